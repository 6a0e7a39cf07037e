#include "testmain.h"

#include "analysisview/kyanalysisview.h"
#include "app/teskapp.h"
#include "app/teskwindow.h"
#include "widgets/kyborderimage.h"
#include "widgets/kybusyview.h"
#include "widgets/kybutton.h"
#include "widgets/kylabel.h"
#include "widgets/kytextarea.h"

#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpressionValidator>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QTranslator>

namespace {

// Qt reports a by-name slot whose object or signal it cannot find, and a failed connect, only as
// warnings.
QStringList gWarnings;
QtMessageHandler gPreviousHandler = nullptr;

void collectWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg || type == QtCriticalMsg)
        gWarnings.append(message);
    gPreviousHandler(type, context, message);
}

struct WarningCollector
{
    WarningCollector()
    {
        gWarnings.clear();
        gPreviousHandler = qInstallMessageHandler(collectWarnings);
    }
    ~WarningCollector() { qInstallMessageHandler(gPreviousHandler); }
};

// The form's own object of a name: the analysis screen and the busy view carry objects of the
// same names (stackedWidget, widget, label, kyBorderImage), which are not the form's.
QObject *formObject(QMainWindow *window, const QString &name)
{
    if (window->objectName() == name)
        return window;
    QList<QObject *> found;
    for (QObject *object : window->findChildren<QObject *>(name)) {
        bool inner = false;
        for (QObject *p = object->parent(); p && p != window; p = p->parent())
            inner = inner || qobject_cast<KyAnalysisView *>(p) || qobject_cast<KyBusyView *>(p);
        if (!inner)
            found.append(object);
    }
    return found.size() == 1 ? found.first() : nullptr;
}

// A layout's items in order: widgets and layouts by name, spacers by size and policies.
QStringList layoutItems(const QLayout *layout)
{
    QStringList items;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        if (QSpacerItem *spacer = item->spacerItem()) {
            const QSizePolicy policy = spacer->sizePolicy();
            const auto name = [](QSizePolicy::Policy p) {
                switch (p) {
                case QSizePolicy::Fixed: return "Fixed";
                case QSizePolicy::Minimum: return "Minimum";
                case QSizePolicy::Preferred: return "Preferred";
                case QSizePolicy::Expanding: return "Expanding";
                default: return "other";
                }
            };
            items.append(QStringLiteral("spacer %1x%2 %3 %4")
                             .arg(spacer->sizeHint().width())
                             .arg(spacer->sizeHint().height())
                             .arg(QLatin1String(name(policy.horizontalPolicy())),
                                  QLatin1String(name(policy.verticalPolicy()))));
        } else if (item->widget()) {
            items.append(item->widget()->objectName());
        } else if (item->layout()) {
            items.append(item->layout()->objectName());
        }
    }
    return items;
}

QStringList menuEntries(const QMenu *menu)
{
    QStringList entries;
    for (const QAction *action : menu->actions())
        entries.append(action->isSeparator() ? QStringLiteral("-") : action->objectName());
    return entries;
}

// A translation that moves Open to other keys and another text.
class MovedOpenTranslator : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "TeskWindow") != 0)
            return QString();
        if (qstrcmp(sourceText, "Ctrl+O") == 0)
            return QStringLiteral("Ctrl+Shift+O");
        if (qstrcmp(sourceText, "&Open...") == 0)
            return QStringLiteral("&Ouvrir...");
        return QString();
    }
};

const char *const kActionNames[] = {"actionOpen",  "actionClose",  "actionExit",  "actionCopy",
                                    "actionPrint", "actionSave",   "actionSaveAs", "actionAbout",
                                    "actionFileInfo", "actionOpenInNewWindow"};

} // namespace

class TestTeskWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(TeskApp::instance());
        TeskApp::setQuitOnLastWindowClosed(false);
    }

    void buildsWithoutConnectionWarnings()
    {
        WarningCollector collector;
        {
            TeskWindow window;
        }
        QCOMPARE(gWarnings.filter(QStringLiteral("No matching signal")), QStringList());
        QCOMPARE(gWarnings.filter(QStringLiteral("connect")), QStringList());
    }

    void widgetTree_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QString>("parentName");
        const char *const rows[][3] = {
            {"centralWidget", "QWidget", "TeskWindow"},
            {"verticalLayout", "QVBoxLayout", "centralWidget"},
            {"stackedWidget", "QStackedWidget", "centralWidget"},
            {"menuPage", "QWidget", "stackedWidget"},
            {"verticalLayout_2", "QVBoxLayout", "menuPage"},
            {"kyBorderImage", "KyBorderImage", "menuPage"},
            {"verticalLayout_4", "QVBoxLayout", "kyBorderImage"},
            {"horizontalLayout_2", "QHBoxLayout", "verticalLayout_4"},
            {"widget", "QWidget", "kyBorderImage"},
            {"horizontalLayout", "QHBoxLayout", "widget"},
            {"label", "QLabel", "widget"},
            {"verticalLayout_3", "QVBoxLayout", "horizontalLayout"},
            {"openButton", "KyButton", "widget"},
            {"exitButton", "KyButton", "widget"},
            {"analysisPage", "KyAnalysisView", "stackedWidget"},
            {"savePage", "QWidget", "stackedWidget"},
            {"verticalLayout_7", "QVBoxLayout", "savePage"},
            {"horizontalLayout_129", "QHBoxLayout", "verticalLayout_7"},
            {"trayLabel_16", "KyLabel", "savePage"},
            {"horizontalLayout_29", "QHBoxLayout", "verticalLayout_7"},
            {"trayLabel_13", "KyLabel", "savePage"},
            {"horizontalLayout_30", "QHBoxLayout", "verticalLayout_7"},
            {"saveCommentText", "KyTextArea", "savePage"},
            {"horizontalLayout_134", "QHBoxLayout", "verticalLayout_7"},
            {"saveCancelButton", "KyButton", "savePage"},
            {"saveSaveAsButton", "KyButton", "savePage"},
            {"saveSaveButton", "KyButton", "savePage"},
            {"busyPage", "KyBusyView", "stackedWidget"},
            {"menuBar", "QMenuBar", "TeskWindow"},
            {"menuFile", "QMenu", "menuBar"},
            {"menuEdit", "QMenu", "menuBar"},
            {"menu_Help", "QMenu", "menuBar"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1])
                                  << QString::fromLatin1(row[2]);
        for (const char *action : kActionNames)
            QTest::newRow(action) << QString::fromLatin1(action) << QStringLiteral("QAction")
                                  << QStringLiteral("TeskWindow");
    }

    void widgetTree()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QFETCH(QString, parentName);
        TeskWindow window;
        QObject *object = formObject(&window, name);
        QVERIFY2(object, qPrintable(name));
        QCOMPARE(QString::fromLatin1(object->metaObject()->className()), className);
        QVERIFY(object->parent());
        QCOMPARE(object->parent()->objectName(), parentName);
    }

    // Order of items, spacer sizes and policies of every layout of the form.
    void layoutItems_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("verticalLayout") << "verticalLayout" << QStringList{"stackedWidget"};
        QTest::newRow("verticalLayout_2") << "verticalLayout_2" << QStringList{"kyBorderImage"};
        QTest::newRow("verticalLayout_4")
            << "verticalLayout_4"
            << QStringList{"spacer 20x100 Minimum Fixed", "spacer 721x20 Minimum Minimum", "horizontalLayout_2",
                           "spacer 721x20 Minimum Minimum"};
        QTest::newRow("horizontalLayout_2")
            << "horizontalLayout_2"
            << QStringList{"spacer 40x20 Minimum Minimum", "widget", "spacer 40x20 Minimum Minimum"};
        QTest::newRow("horizontalLayout")
            << "horizontalLayout" << QStringList{"spacer 194x20 Fixed Minimum", "label", "verticalLayout_3"};
        QTest::newRow("verticalLayout_3")
            << "verticalLayout_3"
            << QStringList{"spacer 20x40 Minimum Expanding", "openButton", "spacer 20x27 Minimum Fixed",
                           "exitButton", "spacer 20x20 Minimum Fixed"};
        QTest::newRow("verticalLayout_7")
            << "verticalLayout_7"
            << QStringList{"horizontalLayout_129",         "spacer 20x40 Minimum Fixed",
                           "spacer 20x13 Minimum Preferred", "horizontalLayout_29",
                           "horizontalLayout_30",          "spacer 20x245 Minimum Expanding",
                           "spacer 20x40 Minimum Preferred", "horizontalLayout_134"};
        QTest::newRow("horizontalLayout_129")
            << "horizontalLayout_129" << QStringList{"spacer 20x20 Fixed Minimum", "trayLabel_16"};
        QTest::newRow("horizontalLayout_29")
            << "horizontalLayout_29"
            << QStringList{"spacer 20x20 Fixed Minimum", "trayLabel_13", "spacer 10x42 Expanding Minimum"};
        QTest::newRow("horizontalLayout_30")
            << "horizontalLayout_30"
            << QStringList{"spacer 20x20 Fixed Minimum", "saveCommentText", "spacer 20x42 Fixed Minimum"};
        QTest::newRow("horizontalLayout_134")
            << "horizontalLayout_134"
            << QStringList{"saveCancelButton", "spacer 40x20 Expanding Minimum", "saveSaveAsButton",
                           "spacer 40x20 Expanding Minimum", "saveSaveButton"};
    }

    void layoutItems()
    {
        QFETCH(QString, layout);
        QFETCH(QStringList, items);
        TeskWindow window;
        auto *found = qobject_cast<QLayout *>(formObject(&window, layout));
        QVERIFY(found);
        QCOMPARE(::layoutItems(found), items);
    }

    void layoutSpacingAndMargins_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<QMargins>("margins");
        QTest::newRow("verticalLayout") << "verticalLayout" << 0 << QMargins(0, 0, 0, 0);
        QTest::newRow("verticalLayout_2") << "verticalLayout_2" << 0 << QMargins(0, 0, 0, 0);
        QTest::newRow("verticalLayout_4") << "verticalLayout_4" << 6 << QMargins(11, 11, 11, 11);
        QTest::newRow("horizontalLayout") << "horizontalLayout" << 30 << QMargins(0, 0, 0, 0);
        QTest::newRow("verticalLayout_7") << "verticalLayout_7" << 6 << QMargins(11, 11, 11, 11);
        QTest::newRow("horizontalLayout_134") << "horizontalLayout_134" << 6 << QMargins(20, 0, 20, 0);
    }

    void layoutSpacingAndMargins()
    {
        QFETCH(QString, layout);
        QFETCH(int, spacing);
        QFETCH(QMargins, margins);
        TeskWindow window;
        auto *found = qobject_cast<QLayout *>(formObject(&window, layout));
        QVERIFY(found);
        QCOMPARE(found->spacing(), spacing);
        QCOMPARE(found->contentsMargins(), margins);
    }

    void pagesInOrder()
    {
        TeskWindow window;
        const QStackedWidget *stack = window.form().stackedWidget;
        QCOMPARE(stack->count(), 4);
        const QStringList names{"menuPage", "analysisPage", "savePage", "busyPage"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(stack->widget(i)->objectName(), names.at(i));
        QVERIFY(qobject_cast<KyAnalysisView *>(stack->widget(TeskWindow::kPage_Analysis)));
        QVERIFY(qobject_cast<KyBusyView *>(stack->widget(TeskWindow::kPage_Busy)));
        QCOMPARE(stack->currentIndex(), int(TeskWindow::kPage_Menu));
    }

    void windowProperties()
    {
        TeskWindow window;
        QCOMPARE(window.objectName(), QStringLiteral("TeskWindow"));
        QCOMPARE(window.size(), QSize(800, 624));
        QCOMPARE(window.font().family(), QStringLiteral("Arial"));
        QVERIFY(window.acceptDrops());
        QCOMPARE(window.centralWidget(), window.form().centralWidget);
        QCOMPARE(window.centralWidget()->minimumSize(), QSize(800, 600));
        QCOMPARE(window.menuBar(), window.form().menuBar);
        QCOMPARE(window.form().menuBar->geometry(), QRect(0, 0, 800, 24));
    }

    void aNamedWindowKeepsItsName()
    {
        QMainWindow window;
        window.setObjectName(QStringLiteral("ownName"));
        Ui_TeskWindow form;
        form.setupUi(&window);
        QCOMPARE(window.objectName(), QStringLiteral("ownName"));

        QMainWindow unnamed;
        Ui_TeskWindow form2;
        form2.setupUi(&unnamed);
        QCOMPARE(unnamed.objectName(), QStringLiteral("TeskWindow"));
    }

    // What the form alone leaves, before the window completes it.
    void stateAfterSetup()
    {
        QMainWindow window;
        Ui_TeskWindow form;
        form.setupUi(&window);
        QCOMPARE(form.stackedWidget->currentIndex(), 0);
        QStringList disabled;
        for (const char *name : kActionNames) {
            auto *action = window.findChild<QAction *>(QLatin1String(name));
            QVERIFY(action);
            if (!action->isEnabled())
                disabled.append(action->objectName());
        }
        QCOMPARE(disabled, (QStringList{"actionClose", "actionCopy"}));
        QVERIFY(form.saveCommentText->isReadOnly());
        QCOMPARE(form.saveCommentText->text(), QString());
        QCOMPARE(window.windowTitle(), QStringLiteral("Brevik Ziredo 410 Analysis Software"));
        // The actions are made in this order, all owned by the window.
        QStringList order;
        for (QAction *action : window.findChildren<QAction *>(Qt::FindDirectChildrenOnly))
            if (!action->objectName().isEmpty())
                order.append(action->objectName());
        QStringList expected;
        for (const char *name : kActionNames)
            expected.append(QLatin1String(name));
        QCOMPARE(order, expected);
    }

    void texts_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("text");
        const char *const rows[][3] = {
            {"TeskWindow", "windowTitle", "Brevik Ziredo 410 Analysis Software"},
            {"actionOpen", "text", "&Open..."},
            {"actionClose", "text", "&Close"},
            {"actionExit", "text", "E&xit"},
            {"actionCopy", "text", "Copy"},
            {"actionPrint", "text", "Print..."},
            {"actionSave", "text", "Save"},
            {"actionSaveAs", "text", "Save as..."},
            {"actionAbout", "text", "About Brevik Ziredo 410 Analysis Software"},
            {"actionFileInfo", "text", "Image information"},
            {"actionOpenInNewWindow", "text", "Open in new window..."},
            {"label", "text", ""},
            {"openButton", "text", "Open folder"},
            {"exitButton", "text", "Exit"},
            {"trayLabel_16", "text", "Save"},
            {"trayLabel_13", "text", "Comment"},
            {"saveCommentText", "text", ""},
            {"saveCancelButton", "text", "Cancel"},
            {"saveSaveAsButton", "text", "Save as"},
            {"saveSaveButton", "text", "Save"},
            {"menuFile", "title", "&File"},
            {"menuEdit", "title", "&Edit"},
            {"menu_Help", "title", "&Help"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1])
                                  << QString::fromUtf8(row[2]);
    }

    void texts()
    {
        QFETCH(QString, object);
        QFETCH(QString, property);
        QFETCH(QString, text);
        QMainWindow window;
        Ui_TeskWindow form;
        form.setupUi(&window);
        QObject *found = formObject(&window, object);
        QVERIFY(found);
        QCOMPARE(found->property(qPrintable(property)).toString(), text);
    }

    void shortcuts_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QKeySequence>("keys");
        QTest::newRow("open") << "actionOpen" << QKeySequence(Qt::CTRL | Qt::Key_O);
        QTest::newRow("close") << "actionClose" << QKeySequence(Qt::CTRL | Qt::Key_W);
        QTest::newRow("copy") << "actionCopy" << QKeySequence(Qt::CTRL | Qt::Key_C);
        QTest::newRow("print") << "actionPrint" << QKeySequence(Qt::CTRL | Qt::Key_P);
        QTest::newRow("save") << "actionSave" << QKeySequence(Qt::CTRL | Qt::Key_S);
        QTest::newRow("file info") << "actionFileInfo" << QKeySequence(Qt::CTRL | Qt::Key_I);
        QTest::newRow("exit") << "actionExit" << QKeySequence();
        QTest::newRow("save as") << "actionSaveAs" << QKeySequence();
        QTest::newRow("about") << "actionAbout" << QKeySequence();
        QTest::newRow("new window") << "actionOpenInNewWindow" << QKeySequence();
    }

    void shortcuts()
    {
        QFETCH(QString, action);
        QFETCH(QKeySequence, keys);
        TeskWindow window;
        auto *found = window.findChild<QAction *>(action);
        QVERIFY(found);
        QCOMPARE(found->shortcut(), keys);
    }

    // The keys are translatable texts like every other text of the form.
    void aTranslationMovesTheShortcut()
    {
        MovedOpenTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        TeskWindow window;
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(window.form().actionOpen->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
        QCOMPARE(window.form().actionOpen->text(), QStringLiteral("&Ouvrir..."));
        QCOMPARE(window.form().actionClose->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));
    }

    void menus()
    {
        TeskWindow window;
        const Ui_TeskWindow &form = window.form();
        const QList<QAction *> bar = form.menuBar->actions();
        QCOMPARE(bar.size(), 3);
        QCOMPARE(bar.at(0), form.menuFile->menuAction());
        QCOMPARE(bar.at(1), form.menuEdit->menuAction());
        QCOMPARE(bar.at(2), form.menu_Help->menuAction());
        QCOMPARE(menuEntries(form.menuFile),
                 (QStringList{"actionOpen", "actionOpenInNewWindow", "actionClose", "-", "actionFileInfo", "-",
                              "actionSave", "actionSaveAs", "-", "actionPrint", "-", "actionExit"}));
        QCOMPARE(menuEntries(form.menuEdit), QStringList{"actionCopy"});
        QCOMPARE(menuEntries(form.menu_Help), QStringList{"actionAbout"});
    }

    void openingPage()
    {
        TeskWindow window;
        const Ui_TeskWindow &form = window.form();
        QCOMPARE(form.kyBorderImage->minimumSize(), QSize(0, 100));
        QCOMPARE(form.kyBorderImage->pixmap().size(), QSize(800, 600));
        QCOMPARE(form.kyBorderImage->property("mBorderLeft").toInt(), 700);
        QCOMPARE(form.kyBorderImage->property("mBorderRight").toInt(), 50);
        QCOMPARE(form.kyBorderImage->property("mBorderTop").toInt(), 590);
        QCOMPARE(form.kyBorderImage->property("mBorderBottom").toInt(), 5);
        QCOMPARE(form.label->pixmap().size(), QSize(222, 450));
        QCOMPARE(form.label->alignment(), Qt::AlignCenter);
        QCOMPARE(form.openButton->type(), KyButton::kType_Blue);
        QCOMPARE(form.exitButton->type(), KyButton::kType_White);
        for (QWidget *fixed : {static_cast<QWidget *>(form.openButton), static_cast<QWidget *>(form.exitButton)}) {
            QCOMPARE(fixed->minimumSize(), QSize(200, 80));
            QCOMPARE(fixed->maximumSize(), QSize(200, 80));
        }
    }

    void savePage()
    {
        TeskWindow window;
        const Ui_TeskWindow &form = window.form();
        QVERIFY(form.trayLabel_16->isTopHeader());
        QCOMPARE(form.trayLabel_16->minimumSize(), QSize(0, 42));
        QCOMPARE(form.trayLabel_13->minimumSize(), QSize(110, 40));
        QCOMPARE(form.trayLabel_13->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
        QCOMPARE(form.saveCommentText->minimumSize(), QSize(260, 42));
        QCOMPARE(form.saveCommentText->maximumSize(), QSize(QWIDGETSIZE_MAX, 42));
        QCOMPARE(form.saveCommentText->maxLength(), 50);
        QCOMPARE(form.saveCancelButton->type(), KyButton::kType_White);
        QCOMPARE(form.saveSaveAsButton->type(), KyButton::kType_White);
        QCOMPARE(form.saveSaveButton->type(), KyButton::kType_Blue);
        for (KyButton *button : {form.saveCancelButton, form.saveSaveAsButton, form.saveSaveButton})
            QCOMPARE(button->minimumSize(), QSize(120, 63));
    }

    // Left to right "Cancel", "Save as", "Save", the space between them growing with the window.
    void saveButtonsSpreadAcrossThePage()
    {
        TeskWindow window;
        const Ui_TeskWindow &form = window.form();
        form.stackedWidget->setCurrentIndex(TeskWindow::kPage_Save);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto gap = [&form] { return form.saveSaveButton->x() - form.saveSaveAsButton->x(); };
        QVERIFY(form.saveCancelButton->x() < form.saveSaveAsButton->x());
        QVERIFY(form.saveSaveAsButton->x() < form.saveSaveButton->x());
        QCOMPARE(form.saveCancelButton->x(), 11 + 20);
        const int narrowGap = gap();
        window.resize(1200, 800);
        QTRY_VERIFY(gap() > narrowGap + 150);
        QCOMPARE(form.saveSaveButton->geometry().right(), 1200 - 11 - 20 - 1);
    }

    // Only the background follows the window; the panel and the product picture keep their size.
    void openingPanelKeepsItsSize_data()
    {
        QTest::addColumn<QSize>("windowSize");
        QTest::newRow("form size") << QSize(800, 624);
        QTest::newRow("large") << QSize(1280, 1000);
        QTest::newRow("wide") << QSize(1600, 700);
    }

    void openingPanelKeepsItsSize()
    {
        QFETCH(QSize, windowSize);
        TeskWindow window;
        window.resize(windowSize);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const Ui_TeskWindow &form = window.form();
        QTRY_COMPARE(window.size(), windowSize);
        QCOMPARE(form.widget->size(), QSize(650, 450));
        QCOMPARE(form.label->size(), QSize(222, 450));
        QCOMPARE(form.kyBorderImage->size(), form.centralWidget->size());
        QCOMPARE(form.centralWidget->width(), windowSize.width());
    }

    void commentFieldTakesFiftyCharacters()
    {
        TeskWindow window;
        auto *edit = window.form().saveCommentText->findChild<QLineEdit *>();
        QVERIFY(edit);
        QCOMPARE(edit->maxLength(), 50);
        QCOMPARE(edit->validator(), window.commentValidator());
        window.show();
        window.form().stackedWidget->setCurrentIndex(TeskWindow::kPage_Save);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        edit->setFocus();
        QTest::keyClicks(edit, QString(60, QLatin1Char('a')));
        QCOMPARE(window.form().saveCommentText->text(), QString(50, QLatin1Char('a')));
    }

    void commentValidator_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty") << QString() << true;
        QTest::newRow("ascii letters, digits, blank") << QStringLiteral("Sample 12") << true;
        QTest::newRow("all 32 ascii punctuation")
            << QStringLiteral("!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~") << true;
        QTest::newRow("tab and ideographic space") << QStringLiteral("a\tb\u3000c") << true;
        QTest::newRow("accented latin") << QStringLiteral("Gel \u00c4\u00d6\u00fc\u00df \u00e9t\u00e9") << true;
        QTest::newRow("greek") << QStringLiteral("\u0394\u03b5\u03af\u03b3\u03bc\u03b1") << true;
        QTest::newRow("cyrillic") << QStringLiteral("\u041e\u0431\u0440\u0430\u0437\u0435\u0446") << true;
        QTest::newRow("japanese") << QStringLiteral("\u8a66\u6599_1") << true;
        QTest::newRow("devanagari with vowel signs") << QStringLiteral("\u0928\u092e\u0942\u0928\u093e") << true;
        QTest::newRow("combining accent") << QStringLiteral("e\u0301") << true;
        QTest::newRow("arabic-indic digits") << QStringLiteral("\u0663\u0664") << true;
        QTest::newRow("euro sign") << QStringLiteral("5\u20ac") << false;
        QTest::newRow("pound sign") << QStringLiteral("\u00a3") << false;
        QTest::newRow("yen sign") << QStringLiteral("\u00a5") << false;
        QTest::newRow("section sign") << QStringLiteral("\u00a7") << false;
        QTest::newRow("degree sign") << QStringLiteral("37\u00b0") << false;
        QTest::newRow("plus-minus") << QStringLiteral("\u00b1") << false;
        QTest::newRow("middle dot") << QStringLiteral("a\u00b7b") << false;
        QTest::newRow("fullwidth comma") << QStringLiteral("a\uff0cb") << false;
        QTest::newRow("em dash") << QStringLiteral("a\u2014b") << false;
        QTest::newRow("curly quotes") << QStringLiteral("\u201ca\u201d") << false;
        QTest::newRow("guillemets") << QStringLiteral("\u00aba\u00bb") << false;
        QTest::newRow("inverted question mark") << QStringLiteral("\u00bfa?") << false;
        QTest::newRow("copyright sign") << QStringLiteral("\u00a9") << false;
        QTest::newRow("emoji") << QStringLiteral("a\U0001F600") << false;
        QTest::newRow("refused character at the start") << QStringLiteral("\u20acabc") << false;
    }

    void commentValidator()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        TeskWindow window;
        const QRegularExpressionValidator *validator = window.commentValidator();
        QVERIFY(validator);
        QVERIFY(validator->regularExpression().isValid());
        QString input = text;
        int pos = 0;
        const QValidator::State state = validator->validate(input, pos);
        QCOMPARE(state, accepted ? QValidator::Acceptable : QValidator::Invalid);
    }

    // The field refuses a typed character that the validator refuses and keeps the rest.
    void typingARefusedCharacter()
    {
        TeskWindow window;
        auto *edit = window.form().saveCommentText->findChild<QLineEdit *>();
        QVERIFY(edit);
        window.show();
        window.form().stackedWidget->setCurrentIndex(TeskWindow::kPage_Save);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        edit->setFocus();
        // Key events carrying the characters as text, as a keyboard layout sends them.
        for (const QChar c : QStringLiteral("ab\u20acc\u00e9$"))
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(window.form().saveCommentText->text(), QStringLiteral("abc\u00e9$"));
    }
};

KY_TEST_MAIN_WITH(TeskApp, TestTeskWindowForm)
#include "tst_teskwindowform.moc"
