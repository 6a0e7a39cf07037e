#pragma once

#include "widgets/kymessagebox.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

class QFont;
class QWidget;

// Shows a sequence of pages in one paged message box with a "Close" button: the numbered help
// pages of a topic from the help folder, or texts handed in by the caller. A KyHelp lives only for
// one static call: it builds the box over the main window, runs it and destroys it again.
//
// Help files: page n of topic T is HelpFolderPath + T + n + extension, the extensions tried in
// the order ".html" (".htm" as fallback), ".png", ".txt"; the first number with none of them ends
// the topic.
class KyHelp : public QObject
{
    Q_OBJECT

public:
    // Page kinds.
    enum EPageKind : int {
        kPage_Picture = 0, // a QPixmap
        kPage_Html = 1,    // a QString of HTML
        kPage_Text = 2,    // a QString of plain text
        kPage_Table = 3,   // a QString of lines "key" TAB "value"
    };
    using Page = QPair<int, QVariant>;

    // The value text of a table page goes on in rows of at most this width, in pixels of the
    // value label's font.
    static constexpr int kTableValueWidth = 360;
    static constexpr int kTableRowHeight = 30;
    static constexpr int kTableSpacerHeight = 10;

    // The help pages of topic inName under inTitle, over inWindow (the main window); returns when
    // the box is closed. Shows nothing when the topic has no page 1.
    static void ShowHelp(QWidget *inWindow, const QString &inTitle, const QString &inName, bool inCopyEnabled);
    // One page of kind inKind per text, in order; nothing for an empty list.
    static void ShowTextPages(QWidget *inWindow, const QString &inTitle, const QStringList &inTexts, int inKind,
                              bool inCopyEnabled);

    KyHelp(QWidget *inWindow, bool inCopyEnabled);
    ~KyHelp() override;

    KyHelp(const KyHelp &) = delete;
    KyHelp &operator=(const KyHelp &) = delete;

    // Fill the page list and, when it is not empty, run the box.
    void CollectPages(const QString &inTitle, const QString &inName);
    void CollectTextPages(const QString &inTitle, const QStringList &inTexts, int inKind);

    // The pages of topic inName as they lie in the help folder now.
    static QList<Page> TopicPages(const QString &inName);
    // The help folder, a prefix that ends with "/".
    static QString HelpFolder();
    // Contents of the page's ".html", else ".htm" file; empty when neither can be read.
    static QString ReadPageText(const QString &inPageName);
    // The page's ".png" picture; null when missing or unreadable.
    static QPixmap PageImagePath(const QString &inPageName);
    // Contents of the page's ".txt" file; empty when it cannot be read.
    static QString ReadTextPage(const QString &inPageName);
    // The longest leading part of inText narrower than inWidth pixels in inFont; no mark is added.
    static QString ElideText(const QString &inText, const QFont &inFont, int inWidth);
    // inText in rows narrower than inWidth pixels in inFont, broken at blanks (which no row keeps
    // at its end or start); a word wider than a row is broken inside. All of the text is kept.
    static QStringList WrapText(const QString &inText, const QFont &inFont, int inWidth);
    // The two-column widget of a table page.
    static QWidget *TablePage(const QString &inText);

    const QList<Page> &pages() const { return mPages; }
    KyMessageBox *box() const { return mBox; }

public slots:
    void onPageChanged(int inPage);
    void onCopy();

private:
    void Run(const QString &inTitle);
    void DropTablePage();

    QList<Page> mPages;
    QPointer<KyMessageBox> mBox;
    // The table widget shown now; replaced at every page change.
    QPointer<QWidget> mTablePage;
    bool mCopyEnabled;
};
