#include "results/kyresultcolumns.h"

#include "document/kydocument.h"

#include <QCoreApplication>

namespace KyResultColumns {

const QStringList &titles()
{
    static const QStringList list{
        QCoreApplication::translate("KyTableModel", "Channel"),
        QCoreApplication::translate("KyTableModel", "Lane"),
        QCoreApplication::translate("KyTableModel", "Band"),
        QCoreApplication::translate("KyTableModel", "Volume"),
        QCoreApplication::translate("KyTableModel", "Lane %"),
        QCoreApplication::translate("KyTableModel", "Normalized value"),
        QCoreApplication::translate("KyTableModel", "MW"),
        QCoreApplication::translate("KyTableModel", "Rf"),
    };
    return list;
}

QVariant headerTitle(int inSection, bool inChannelHidden)
{
    const int column = inSection + (inChannelHidden ? 1 : 0);
    if (column < 0 || column >= titles().size())
        return QVariant();
    return titles().at(column);
}

bool hidesChannelColumn(const KyDocument *inDocument)
{
    return !inDocument || inDocument->ImageCount() == 1;
}

QString tableText(const QAbstractItemModel &inModel)
{
    const QChar tab(9);
    const QChar lineFeed(10);
    const int columns = inModel.columnCount();
    QString text;
    for (int c = 0; c < columns; ++c) {
        if (c > 0)
            text += tab;
        text += inModel.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    text += lineFeed;
    const int rows = inModel.rowCount();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                text += tab;
            text += inModel.data(inModel.index(r, c), Qt::DisplayRole).toString();
        }
        text += lineFeed;
    }
    return text;
}

} // namespace KyResultColumns
