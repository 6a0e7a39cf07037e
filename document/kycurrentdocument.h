#pragma once

#include <QObject>
#include <QPointer>

class KyDocument;

// The document the program works on, process-wide. The application object hands its document on
// here; views read it at every paint and never own it. A document deleted behind the holder's back
// reads as none. Created on first use, which has to be on the GUI thread.
class KyCurrentDocument : public QObject
{
    Q_OBJECT

public:
    static KyCurrentDocument *instance();

    // Null when no document is open.
    static KyDocument *document();
    // Emits documentChanged when the document differs from the held one.
    static void setDocument(KyDocument *inDocument);

signals:
    void documentChanged(KyDocument *document);

private:
    KyCurrentDocument();

    QPointer<KyDocument> mDocument;
};
