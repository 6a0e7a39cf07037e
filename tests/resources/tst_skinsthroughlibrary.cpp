#include "testmain.h"

#include "skinconsumer.h"

#include <QGuiApplication>

// A static archive drops object files nothing refers to by name, and the compiled resources are
// such a file: the program gets its skins only if they reach its own link line. This test links
// the resources only through a static library, as the program links them through the widgets.
class TestSkinsThroughLibrary : public QObject
{
    Q_OBJECT

private slots:
    void skinsReachAProgramThroughAStaticLibrary()
    {
        QVERIFY(skinConsumerCanLoad(QStringLiteral(":/KYParts/Resources/btn_blue.png")));
        QVERIFY(skinConsumerCanLoad(QStringLiteral(":/Kestova/Images/ico_copy_active.png")));
        QVERIFY(!skinConsumerCanLoad(QStringLiteral(":/KYParts/Resources/no_such_skin.png")));
    }
};

KY_TEST_MAIN_WITH(QGuiApplication, TestSkinsThroughLibrary)
#include "tst_skinsthroughlibrary.moc"
