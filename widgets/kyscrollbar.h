#pragma once

#include "widgets/kyborderimage.h"

class KyButton;

// A stand-alone, image-skinned vertical scroll bar: up and down buttons with a track between
// them and a slider that shows the visible part. It scrolls by its buttons (held down they
// repeat) and by clicks in the track, a page at a time; the slider cannot be dragged.
class KyScrollBar : public KyBorderImage
{
    Q_OBJECT

public:
    explicit KyScrollBar(QWidget *parent = nullptr);
    ~KyScrollBar() override;

    // Lengths in content units. A total no larger than the page shows the slider over the whole
    // track and keeps the position at 0.
    void setTotal(int inTotal);
    void setPageSize(int inPageSize);
    void setStep(int inStep);
    // Clamped to 0 … total − page size; emits scrolled with the clamped position.
    void setPosition(int inPosition);

    int total() const { return mTotal; }
    int pageSize() const { return mPageSize; }
    int step() const { return mStep; }
    int position() const { return mPosition; }

signals:
    void scrolled(int pos);

public slots:
    void onUpButtonClicked();
    void onDownButtonClicked();
    void up(int size);
    void down(int size);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    int maxPosition() const;
    bool showsEverything() const { return mTotal <= mPageSize; }
    void sizeSlider();
    void placeSlider();

    int mTotal = 100;
    int mPageSize = 20;
    int mStep = 1;
    int mPosition = 0;
    KyButton *mUpButton = nullptr;
    KyButton *mDownButton = nullptr;
    QWidget *mTrack = nullptr;
    KyBorderImage *mSlider = nullptr;
    bool mDragging = false;
};
