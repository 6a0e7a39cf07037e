#include "document/kycurrentdocument.h"

#include "document/kydocument.h"

KyCurrentDocument::KyCurrentDocument() = default;

KyCurrentDocument *KyCurrentDocument::instance()
{
    static KyCurrentDocument *holder = new KyCurrentDocument;
    return holder;
}

KyDocument *KyCurrentDocument::document()
{
    return instance()->mDocument.data();
}

void KyCurrentDocument::setDocument(KyDocument *inDocument)
{
    KyCurrentDocument *holder = instance();
    if (holder->mDocument.data() == inDocument)
        return;
    holder->mDocument = inDocument;
    emit holder->documentChanged(inDocument);
}
