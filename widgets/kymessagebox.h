#pragma once

#include <QDialog>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <functional>

namespace Ui {
class KyMessageBox;
}

// The program's own modal question box: a frameless dialog laid over its whole parent window,
// which shows through as a faded snapshot, with a centred frame holding a title, a close button,
// one content page (text, picture or a caller's widget) and a row of up to three buttons, or
// the paged row of the help viewer. At most one box runs its modal loop at a time: exec on a
// second box returns 0 at once without showing it.
class KyMessageBox : public QDialog
{
    Q_OBJECT

public:
    // sizeType 0, 1 or 2 picks the frame size; dismissible lets the Escape key, a click beside the
    // frame and forceClose() close the box.
    KyMessageBox(QWidget *parent, int sizeType, bool rejectIsDefault, bool dismissible);
    ~KyMessageBox() override;

    // True when accepted; false also when another box is showing.
    static bool question(QWidget *parent, const QString &title, const QString &text,
                         const QString &acceptText, const QString &rejectText, int sizeType = 0,
                         bool rejectIsDefault = false);
    // 0 accepted, 2 the alternative button, 1 rejected or closed any other way (also when
    // another box is showing).
    static int question3(QWidget *parent, const QString &title, const QString &text,
                         const QString &acceptText, const QString &rejectText,
                         const QString &alternativeText, int sizeType = 0, bool rejectIsDefault = false);
    static bool pixmapQuestion(QWidget *parent, const QString &title, const QPixmap &picture,
                               const QString &acceptText, const QString &rejectText,
                               bool rejectIsDefault = false);
    // The content widget becomes a page of the box and is destroyed with it.
    static bool widgetQuestion(QWidget *parent, const QString &title, QWidget *content,
                               const QString &acceptText, const QString &rejectText,
                               bool rejectIsDefault = false);

    void setTitle(const QString &title);
    void setText(const QString &text);
    void setHtml(const QString &html);
    QString text() const;
    void setPixmap(const QPixmap &picture);
    // Adds the widget as a page of the content stack (which takes it as a child) and shows it.
    void setWidget(QWidget *widget);
    // Takes such a page out again without deleting it.
    void removeWidget(QWidget *widget);
    // An empty text hides its button; an empty reject text also hides the close button.
    void setButtonTexts(const QString &acceptText, const QString &rejectText,
                        const QString &alternativeText);
    // Switches to the paged button row and shows page 1.
    void setPageCount(int count);
    void setPage(int page);
    int currentPage() const { return mCurrentPage; }
    void setSizeType(int sizeType);
    // 1 accepted, 0 rejected; 0 at once, without showing, while another box runs its loop.
    int exec() override;
    bool isAltPressed() const { return mAltPressed; }
    void setCopyEnabled(bool on) { mCopyEnabled = on; }
    bool isCopyEnabled() const { return mCopyEnabled; }
    // The text page's plain text or the picture to the clipboard; on a caller's page copy().
    void copyContents();

    // The frame sizes of the size types 0, 1 and 2.
    static const QSize kBoxSizes[3];

signals:
    void pageChanged(int page);
    void copy();

public slots:
    void forceClose();

private slots:
    void on_acceptButton_clicked();
    void on_acceptButton2_clicked();
    void on_rejectButton_clicked();
    void on_altButton_clicked();
    void on_closeButton_clicked();
    void on_prevPageButton_clicked();
    void on_nextPageButton_clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // The static questions: a dismissible box with the title, the content content() puts in and
    // the button texts, run once; the exec result, and whether the alternative button ended it.
    static int ask(QWidget *parent, int sizeType, bool rejectIsDefault, const QString &title,
                   const std::function<void(KyMessageBox &)> &content, const QString &acceptText,
                   const QString &rejectText, const QString &alternativeText, bool *altPressed);

    Ui::KyMessageBox *ui;
    bool mAltPressed;
    int mCurrentPage;
    int mPageCount;
    int mSizeType;
    bool mDismissible;
    bool mCopyEnabled;
    bool mRejectIsDefault;
    // This box set sShowing and has not cleared it yet.
    bool mHoldsShowing = false;

    static bool sShowing;
};
