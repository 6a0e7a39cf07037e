#pragma once

#include <QString>

// Stands for a library such as the widgets: a static library that links the resources and loads
// skins by name without referring to any symbol of the compiled resource data.
bool skinConsumerCanLoad(const QString &path);
