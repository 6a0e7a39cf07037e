#include "document/kysafefile.h"

#include "core/fileutility.h"

#include <QSaveFile>

namespace KySafeFile {

bool Write(const QString &inPath, const QByteArray &inBytes)
{
    QSaveFile file(inPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The flush is checked here because commit() does not look at the flush it makes itself: a
    // disk that fills up, or a size limit reached, in the last buffered bytes would otherwise
    // rename a cut-off file over the old one.
    if (file.write(inBytes) != inBytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    FileUtility::FlushFileAfter(inPath, "KySafeFile::Write");
    return true;
}

} // namespace KySafeFile
