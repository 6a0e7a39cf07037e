// The intensity tool: the spot rectangle and its readout.
#include "analysisview/kyanalysisview.h"

#include "analysisview/intensityview.h"
#include "core/analysissettings.h"
#include "document/kydocument.h"

#include <QPixmap>

#include <algorithm>

namespace {

// The rectangle's side in canvas pixels. The settings file is edited by hand: a size past any
// screen would only overflow the arithmetic below, so it is capped.
int roiSide(const QString &key)
{
    constexpr unsigned int kLargest = 4096;
    return int(std::min(AnalysisSettings::instance()->uintValue(key), kLargest));
}

// The picture fills the label with whole pixels enlarged, not blurred: what is measured is
// what is seen.
void showPicture(QLabel *label, const QImage &picture)
{
    if (picture.isNull()) {
        label->clear();
        return;
    }
    const QSize room = label->contentsRect().size();
    if (room.isEmpty()) {
        label->setPixmap(QPixmap::fromImage(picture));
        return;
    }
    label->setPixmap(QPixmap::fromImage(picture.scaled(room, Qt::KeepAspectRatio, Qt::FastTransformation)));
}

} // namespace

void KyAnalysisView::on_intensityDownButton_clicked()
{
    moveIntensityPoint(0, 1);
}

void KyAnalysisView::on_intensityUpButton_clicked()
{
    moveIntensityPoint(0, -1);
}

// The left and right buttons are named after the arrow the user sees pointing at the rectangle's
// far side: left moves it towards larger x.
void KyAnalysisView::on_intensityLeftButton_clicked()
{
    moveIntensityPoint(1, 0);
}

void KyAnalysisView::on_intensityRightButton_clicked()
{
    moveIntensityPoint(-1, 0);
}

void KyAnalysisView::onSetIntensityPoint(QPoint inImagePt)
{
    KyDocument *doc = document();
    if (!doc)
        return;
    const QSize size = imageView->sizeToImage(
        QSize(roiSide(QStringLiteral("IntensityRoiWidth")), roiSide(QStringLiteral("IntensityRoiHeight"))));
    const int w = size.width();
    const int h = size.height();
    const QPoint topLeft = inImagePt - QPoint(int(w / 2.0 + 0.5), int(h / 2.0 + 0.5));
    doc->SetSelectionRect(QRect(topLeft, QSize(w, h)));
    updateIntensityInfo();
    updateImage();
}

void KyAnalysisView::moveIntensityPoint(int dx, int dy)
{
    KyDocument *doc = document();
    if (!doc)
        return;
    // Zoomed in far, one canvas pixel is less than half an image pixel: still move by one.
    const auto toImage = [this](int step) {
        const int length = imageView->lengthToImage(step);
        if (step != 0 && length == 0)
            return step < 1 ? -1 : 1;
        return length;
    };
    doc->SetSelectionRectTranslated(QPoint(toImage(dx), toImage(dy)));
    if (mIntensityView)
        mIntensityView->setRect(doc->SelectionRect());
    updateIntensityInfo();
    updateImage();
}

void KyAnalysisView::updateIntensityInfo()
{
    KyDocument *doc = document();
    if (!doc)
        return;
    const int decimals = doc->HasODParameter() ? 2 : 0;
    const auto number = [decimals](double value) { return QString::number(value, 'f', decimals); };
    const QRect rect = doc->SelectionRect();
    const bool empty = rect.isEmpty();

    const auto showStatistics = [&](int channel) {
        if (empty) {
            intMinText->clear();
            intMaxText->clear();
            intAveText->clear();
            return;
        }
        double minimum = 0.0;
        double maximum = 0.0;
        double mean = 0.0;
        doc->RegionStatistics(channel, rect, minimum, maximum, mean);
        intMinText->setText(number(minimum));
        intMaxText->setText(number(maximum));
        intAveText->setText(number(mean));
    };

    if (mDocumentKind != kDocument_Multi) {
        const int channel = mDisplayKind == kDisplay_Marker ? 1 : 0;
        showStatistics(channel);
        // An empty rectangle gives the whole image.
        showPicture(intensityImageLabel,
                    mDisplayKind == kDisplay_Color ? doc->ColorImage(rect) : doc->qImage(channel, rect));
        intensityStackWidget->setCurrentIndex(0);
    } else {
        const int selection = selectedChannel();
        if (selection <= 2) {
            showStatistics(selection);
            intensityStackWidget->setCurrentIndex(0);
        } else {
            KyLabel *const labels[] = {BlueMaxLabel, GreenMaxLabel, RedMaxLabel};
            KyTextArea *const fields[] = {intBlueMaxText, intGreenMaxText, intRedMaxText};
            const KyDocument *constDoc = doc;
            for (int i = 0; i < 3; ++i) {
                const ImageFile *image = constDoc->Image(i);
                const bool shown = image && !image->IsNull();
                labels[i]->setVisible(shown);
                fields[i]->setVisible(shown);
                if (!shown)
                    continue;
                if (empty) {
                    fields[i]->clear();
                    continue;
                }
                double minimum = 0.0;
                double maximum = 0.0;
                double mean = 0.0;
                doc->RegionStatistics(i, rect, minimum, maximum, mean);
                labels[i]->setText(tr("%1 Max").arg(doc->ChannelName(i)));
                fields[i]->setText(number(maximum));
            }
            intensityStackWidget->setCurrentIndex(1);
        }
        if (!empty)
            showPicture(intensityImageLabel, doc->qImage(selection, rect));
    }
    if (mIntensityView)
        mIntensityView->setRect(rect);
}
