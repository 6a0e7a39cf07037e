#pragma once

#include <QStyleOptionViewItem>

// The style option of an item drawn picked or not as the model's pickedRole says (not as the
// view's selection has it). A picked item keeps its own text colour: the picked fills are light,
// where the palette's highlighted-text white could not be read.
QStyleOptionViewItem pickedItemOption(const QStyleOptionViewItem &option, const QModelIndex &index,
                                      int pickedRole);
