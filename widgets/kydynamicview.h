#pragma once

#include <QWidget>

// A widget that runs an animation while it shows (the busy view).
class KyDynamicView : public QWidget
{
    Q_OBJECT

public:
    explicit KyDynamicView(QWidget *parent = nullptr);
    ~KyDynamicView() override;

    virtual void startAnimation() = 0;
};
