#include "app/kyimageinformation.h"

#include "app/kyhelp.h"
#include "document/kydocument.h"
#include "image/imagefile.h"

#include <QCoreApplication>

namespace {

// Every keyed row is translated in the main window's context.

// The image file's name without its folder and without its last extension; empty for a name
// without any '.'.
QString baseFileName(const ImageFile &inImage)
{
    const QString name = inImage.FileName().section(QLatin1Char('/'), -1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.left(dot);
}

QString pageText(const KyDocument &inDocument, int inIndex, const ImageFile &inImage)
{
    QString text;
    if (inDocument.IsOpenedDocument()) {
        text += QCoreApplication::translate("TeskWindow", "File name\t%1\n").arg(baseFileName(inImage));
        text += QStringLiteral("\t\n");
    }
    const QString comment = inImage.Comment();
    if (!comment.isEmpty())
        text += QCoreApplication::translate("TeskWindow", "Comment\t%1\n").arg(comment);

    const QString channel = inDocument.ChannelName(inIndex);
    const QString channelRow = inDocument.IsSingleImage()
                                   ? QCoreApplication::translate("TeskWindow", "Method\t%1\n")
                                   : QCoreApplication::translate("TeskWindow", "Channel\t%1\n");
    text += channelRow.arg(channel);

    QString light = inImage.Tag(QStringLiteral("Light"));
    if (light.contains(QLatin1Char('-')))
        light = light.section(QLatin1Char('-'), 0, 0);
    text += QCoreApplication::translate("TeskWindow", "Light\t%1\n").arg(light);

    const QString filter = inImage.Tag(QStringLiteral("Filter"));
    text += QCoreApplication::translate("TeskWindow", "Filter\t%1\n").arg(filter);

    QString exposure = inImage.Tag(QStringLiteral("Exposure time"));
    const QString sum = inImage.Tag(QStringLiteral("Sum"));
    if (!sum.isEmpty() && sum.compare(QLatin1String("No"), Qt::CaseInsensitive) != 0)
        exposure += QStringLiteral("\n\t (%1)").arg(sum);
    text += QCoreApplication::translate("TeskWindow", "Exposure time\t%1\n").arg(exposure);

    QString mode = inImage.Tag(QStringLiteral("Exposure mode"));
    if (mode.compare(QLatin1String("Advanced"), Qt::CaseInsensitive) == 0
        && channel.compare(QLatin1String("marker"), Qt::CaseInsensitive) != 0) {
        mode += QStringLiteral(",\n\t %1, %2")
                    .arg(inImage.Tag(QStringLiteral("Binning")), inImage.Tag(QStringLiteral("Zoom")));
    }
    text += QCoreApplication::translate("TeskWindow", "Exposure mode\t%1\n").arg(mode);

    const QString date = KyImageInformation::DateText(inImage.Tag(QStringLiteral("Date time")));
    text += QCoreApplication::translate("TeskWindow", "Date & time\t%1\n").arg(date);
    return text;
}

} // namespace

QString KyImageInformation::DateText(const QString &inValue)
{
    // A short value keeps its length: only positions that exist are replaced.
    QString date = inValue;
    for (qsizetype position : {4, 7}) {
        if (position < date.size())
            date[position] = QLatin1Char('/');
    }
    return date;
}

QStringList KyImageInformation::Pages(const KyDocument *inDocument)
{
    QStringList pages;
    if (!inDocument)
        return pages;
    for (int i = 0; i < inDocument->ImageCount(); ++i) {
        const ImageFile *image = inDocument->Image(i);
        if (!image || image->IsNull())
            continue;
        pages.append(pageText(*inDocument, i, *image));
    }
    return pages;
}

void KyImageInformation::Show(QWidget *inWindow, const KyDocument *inDocument)
{
    if (!inDocument)
        return;
    KyHelp::ShowTextPages(inWindow, QCoreApplication::translate("TeskWindow", "Image information"),
                          Pages(inDocument), KyHelp::kPage_Table, true);
}
