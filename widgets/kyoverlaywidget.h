#pragma once

#include <QWidget>

// An invisible click catcher laid over another widget: a left click anywhere on it is one clicked().
class KyOverlayWidget : public QWidget
{
    Q_OBJECT

public:
    explicit KyOverlayWidget(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
