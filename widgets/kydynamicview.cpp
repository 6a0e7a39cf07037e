#include "widgets/kydynamicview.h"

KyDynamicView::KyDynamicView(QWidget *parent)
    : QWidget(parent)
{
}

KyDynamicView::~KyDynamicView() = default;
