#pragma once

#include <QChartView>

// The bar chart's view: its context menu copies the chart to the clipboard as an image.
class KyChartView : public QChartView
{
    Q_OBJECT

public:
    explicit KyChartView(QWidget *parent = nullptr);
    ~KyChartView() override;

    // The view rendered into a white image of its size (RGB888).
    QImage renderImage();
    void CopyToClipboard();

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
};
