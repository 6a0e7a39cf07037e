#include "app/kyhelp.h"

#include "core/lfile.h"
#include "core/systemsettings.h"
#include "platform/logcategories.h"
#include "widgets/kylabel.h"
#include "widgets/kymessagebox.h"

#include <QClipboard>
#include <QDebug>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGuiApplication>

namespace {

// The whole file as text; false when it cannot be opened.
bool readWhole(const QString &inPath, QString *outText)
{
    LFile file(inPath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    *outText = QString::fromUtf8(file.readAll());
    return true;
}

} // namespace

void KyHelp::ShowHelp(QWidget *inWindow, const QString &inTitle, const QString &inName, bool inCopyEnabled)
{
    KyHelp help(inWindow, inCopyEnabled);
    help.CollectPages(inTitle, inName);
}

void KyHelp::ShowTextPages(QWidget *inWindow, const QString &inTitle, const QStringList &inTexts, int inKind,
                           bool inCopyEnabled)
{
    KyHelp help(inWindow, inCopyEnabled);
    help.CollectTextPages(inTitle, inTexts, inKind);
}

// The help object is not made a child of the window: it lives on the caller's stack, and a window
// destroyed while the box runs must not delete it a second time.
KyHelp::KyHelp(QWidget *inWindow, bool inCopyEnabled)
    : mCopyEnabled(inCopyEnabled)
{
    mBox = new KyMessageBox(inWindow, 2, false, true);
    mBox->setCopyEnabled(mCopyEnabled);
    mBox->setSizeType(2);
    mBox->setButtonTexts(tr("Close"), tr("Close"), QString());
    connect(mBox, &KyMessageBox::pageChanged, this, &KyHelp::onPageChanged);
    connect(mBox, &KyMessageBox::copy, this, &KyHelp::onCopy);
}

// The box holds a snapshot of the whole window; each call makes a new one, so it goes with the
// call rather than with the window.
KyHelp::~KyHelp()
{
    delete mBox.data();
}

QString KyHelp::HelpFolder()
{
    return SystemSettings::instance()->stringValue(QStringLiteral("HelpFolderPath"));
}

QString KyHelp::ReadPageText(const QString &inPageName)
{
    QString path = HelpFolder() + inPageName + QStringLiteral(".html");
    QString text;
    if (!readWhole(path, &text)) {
        path.chop(1);
        readWhole(path, &text);
    }
    return text;
}

QPixmap KyHelp::PageImagePath(const QString &inPageName)
{
    return QPixmap(HelpFolder() + inPageName + QStringLiteral(".png"));
}

QString KyHelp::ReadTextPage(const QString &inPageName)
{
    QString text;
    readWhole(HelpFolder() + inPageName + QStringLiteral(".txt"), &text);
    return text;
}

QList<KyHelp::Page> KyHelp::TopicPages(const QString &inName)
{
    QList<Page> pages;
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("%1%2").arg(inName).arg(n);
        const QString html = ReadPageText(name);
        if (!html.isEmpty()) {
            pages.append(Page(kPage_Html, html));
            continue;
        }
        const QPixmap picture = PageImagePath(name);
        if (!picture.isNull()) {
            pages.append(Page(kPage_Picture, picture));
            continue;
        }
        const QString text = ReadTextPage(name);
        if (!text.isEmpty()) {
            pages.append(Page(kPage_Text, text));
            continue;
        }
        return pages;
    }
}

void KyHelp::CollectPages(const QString &inTitle, const QString &inName)
{
    if (!mBox)
        return;
    mPages = TopicPages(inName);
    if (mPages.isEmpty())
        return;
    Run(inTitle);
}

void KyHelp::CollectTextPages(const QString &inTitle, const QStringList &inTexts, int inKind)
{
    if (!mBox)
        return;
    mPages.clear();
    for (const QString &text : inTexts)
        mPages.append(Page(inKind, text));
    if (mPages.isEmpty())
        return;
    mBox->setTitle(inTitle);
    mBox->setPageCount(int(mPages.size()));
    mBox->exec();
}

void KyHelp::Run(const QString &inTitle)
{
    mBox->setTitle(inTitle);
    mBox->setPageCount(int(mPages.size()));
    const int result = mBox->exec();
    qCDebug(lcApp, "ret: %d", result);
}

QString KyHelp::ElideText(const QString &inText, const QFont &inFont, int inWidth)
{
    if (inText.isEmpty() || inWidth < 1)
        return QString();
    const QFontMetrics metrics(inFont);
    for (qsizetype length = 1; length <= inText.size(); ++length) {
        if (metrics.horizontalAdvance(inText.left(length)) >= inWidth)
            return inText.left(length - 1);
    }
    return inText;
}

QStringList KyHelp::WrapText(const QString &inText, const QFont &inFont, int inWidth)
{
    QStringList rows;
    QString rest = inText;
    while (!rest.isEmpty()) {
        QString row = ElideText(rest, inFont, inWidth);
        // Not even one character fits: it still takes a row of its own, or the text never ends.
        if (row.isEmpty())
            row = rest.left(1);
        if (row.size() < rest.size() && !rest.at(row.size()).isSpace()) {
            const qsizetype blank = row.lastIndexOf(QLatin1Char(' '));
            if (blank > 0)
                row.truncate(blank);
        }
        rest.remove(0, row.size());
        if (!rest.isEmpty()) {
            // A break: the blanks at it belong to neither row.
            while (!row.isEmpty() && row.back().isSpace())
                row.chop(1);
            while (!rest.isEmpty() && rest.front().isSpace())
                rest.remove(0, 1);
        }
        rows.append(row);
    }
    return rows;
}

QWidget *KyHelp::TablePage(const QString &inText)
{
    auto *page = new QWidget;
    page->setContentsMargins(9, 0, 9, 0);
    auto *layout = new QFormLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(0);
    layout->setHorizontalSpacing(20);
    layout->setFormAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A label's own fixed height, not the layout, sets the row height.
    layout->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    layout->setRowWrapPolicy(QFormLayout::DontWrapRows);

    const auto addRow = [page, layout](const QString &inKey, const QString &inValue, int inHeight) {
        auto *key = new KyLabel(inKey, page);
        auto *value = new KyLabel(inValue, page);
        key->setFixedHeight(inHeight);
        value->setFixedHeight(inHeight);
        layout->addRow(key, value);
    };

    // Values are measured in the font their labels get.
    const QFont valueFont = KyLabel(page).font();
    const QStringList lines = inText.split(QLatin1Char('\n'), Qt::KeepEmptyParts);
    for (const QString &line : lines) {
        const qsizetype firstTab = line.indexOf(QLatin1Char('\t'));
        const QString key = firstTab < 0 ? line : line.left(firstTab);
        const QString value = firstTab < 0 ? line : line.mid(line.lastIndexOf(QLatin1Char('\t')) + 1);
        const int height = key.isEmpty() && value.isEmpty() ? kTableSpacerHeight : kTableRowHeight;
        // A long value (a comment) goes on in rows with a blank key, as many as it needs.
        const QStringList rows = WrapText(value, valueFont, kTableValueWidth);
        addRow(key, rows.value(0), height);
        for (qsizetype i = 1; i < rows.size(); ++i)
            addRow(QStringLiteral(" "), rows.at(i), height);
    }
    return page;
}

void KyHelp::DropTablePage()
{
    if (!mTablePage)
        return;
    if (mBox)
        mBox->removeWidget(mTablePage);
    delete mTablePage.data();
}

void KyHelp::onPageChanged(int inPage)
{
    if (!mBox || inPage < 1 || inPage > mPages.size())
        return;
    const Page &page = mPages.at(inPage - 1);
    switch (page.first) {
    case kPage_Picture:
        DropTablePage();
        mBox->setPixmap(page.second.value<QPixmap>());
        break;
    case kPage_Html:
        DropTablePage();
        mBox->setHtml(page.second.toString());
        break;
    case kPage_Text:
        DropTablePage();
        mBox->setText(page.second.toString());
        break;
    case kPage_Table: {
        // The new page is shown before the old one goes, so the box never shows an empty stack.
        QWidget *old = mTablePage;
        mTablePage = TablePage(page.second.toString());
        mBox->setWidget(mTablePage);
        if (old) {
            mBox->removeWidget(old);
            delete old;
        }
        break;
    }
    default:
        break;
    }
}

void KyHelp::onCopy()
{
    if (!mBox)
        return;
    const int index = mBox->currentPage() - 1;
    if (index < 0 || index >= mPages.size())
        return;
    const Page &page = mPages.at(index);
    QClipboard *clipboard = QGuiApplication::clipboard();
    switch (page.first) {
    case kPage_Picture:
        clipboard->setPixmap(page.second.value<QPixmap>());
        break;
    case kPage_Html:
        // What the page shows, as the box's own copy gives it: the text, not the markup.
        clipboard->setText(mBox->text());
        break;
    case kPage_Text:
    case kPage_Table:
        clipboard->setText(page.second.toString());
        break;
    default:
        break;
    }
}
