#include "widgets/kybutton.h"
#include <QPainter>
void KyButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), isDown() ? Qt::darkBlue : (mType == kType_Blue ? Qt::blue : Qt::white));
    p.drawText(rect(), Qt::AlignCenter, text());
}
