#pragma once

#include <QString>
#include <QStringList>

class KyDocument;
class QWidget;

// The "Image information" command of the main window: one table page per image of the capture
// with how it was taken (file name, comment, channel or method, light, filter, exposure time with
// the summing note, exposure mode with the binning note, date and time), read afresh from the
// images' metadata items. Texts are translated in the main window's context.
class KyImageInformation
{
public:
    // The page texts, one per image record that holds an image, in record order: lines of a key,
    // a tab and a value, each ending in "\n". Empty without a document.
    static QStringList Pages(const KyDocument *inDocument);

    // Shows the pages over inWindow (the main window) as table pages that can be copied; returns
    // when the box is closed. Shows nothing without a document or without pages.
    static void Show(QWidget *inWindow, const KyDocument *inDocument);

    // A stored "yyyy:MM:dd hh:mm:ss" shown as "yyyy/MM/dd hh:mm:ss": the characters at positions
    // 4 and 7 become '/', as far as the value reaches them.
    static QString DateText(const QString &inValue);
};
