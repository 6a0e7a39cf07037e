#include "skinconsumer.h"

#include <QImage>

bool skinConsumerCanLoad(const QString &path)
{
    return !QImage(path).isNull();
}
