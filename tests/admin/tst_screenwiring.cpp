// The main window's openers of the administration screens: each applies its guards, then
// runs the opener registered under its name; one without an opener does nothing.

#include "admin/AdminScreens.h"
#include "support/WindowFixture.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QtTest>

namespace {
using Procedure = void (frm2::*)();

const QHash<QString, Procedure>& procedures()
{
    static const QHash<QString, Procedure> table = {
        {QStringLiteral("MnuDeviceMaster_Click"), &frm2::MnuDeviceMaster_Click},
        {QStringLiteral("mnuViewDeviceUsers_Click"), &frm2::mnuViewDeviceUsers_Click},
        {QStringLiteral("mnuDownloadUserInfo_Click"), &frm2::mnuDownloadUserInfo_Click},
        {QStringLiteral("mnuUploadUserInfo_Click"), &frm2::mnuUploadUserInfo_Click},
        {QStringLiteral("mnuUpload_Click"), &frm2::mnuUpload_Click},
        {QStringLiteral("MnuSettings_Click"), &frm2::MnuSettings_Click},
        {QStringLiteral("ShowSuperLogData"), &frm2::ShowSuperLogData},
        {QStringLiteral("MnuScheduler_Click"), &frm2::MnuScheduler_Click},
    };
    return table;
}
}  // namespace

class TestScreenWiring : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void guardsComeBeforeTheOpener_data()
    {
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<bool>("listGuard");
        QTest::addColumn<bool>("linkGuard");
        QTest::newRow("device master") << "MnuDeviceMaster_Click" << true << false;
        QTest::newRow("device users") << "mnuViewDeviceUsers_Click" << true << true;
        QTest::newRow("download") << "mnuDownloadUserInfo_Click" << true << true;
        QTest::newRow("user copy") << "mnuUploadUserInfo_Click" << true << false;
        QTest::newRow("upload") << "mnuUpload_Click" << false << false;
        QTest::newRow("settings") << "MnuSettings_Click" << false << false;
        QTest::newRow("operation log") << "ShowSuperLogData" << false << false;
    }

    void guardsComeBeforeTheOpener()
    {
        QFETCH(QString, procedure);
        QFETCH(bool, listGuard);
        QFETCH(bool, linkGuard);
        WindowFixture f;
        f.addTerminal(5, QStringLiteral("Front Gate"), SimState());
        f.load();
        const Procedure run = procedures().value(procedure);

        // Nothing registered: the item does nothing at all.
        (f.window.get()->*run)();
        QVERIFY(f.messages.shown.isEmpty());

        int opened = 0;
        f.window->setScreenOpener(procedure, [&opened](frm2&) { ++opened; });
        (f.window.get()->*run)();
        QCOMPARE(opened, linkGuard ? 0 : 1);
        QCOMPARE(f.messages.texts(), linkGuard ? QStringList{"Device is not Connected"}
                                               : QStringList{});
        QVERIFY(f.connectRow(1));
        f.messages.clear();
        (f.window.get()->*run)();
        QCOMPARE(opened, linkGuard ? 1 : 2);

        // The log is listed: the list-mode guard refuses before the link is looked at.
        f.window->LblDescriptions->setProperty("Tag", QStringLiteral("L"));
        (f.window.get()->*run)();
        QCOMPARE(opened, listGuard ? (linkGuard ? 1 : 2) : (linkGuard ? 2 : 3));
        QCOMPARE(f.messages.texts(), listGuard ? QStringList{"Press F5 key to proceed."}
                                               : QStringList{});
        QVERIFY(f.errors.calls.isEmpty());
    }

    void screensOpenOverTheMainWindow_data()
    {
        QTest::addColumn<QString>("procedure");
        for (const char* name : {"MnuDeviceMaster_Click", "mnuViewDeviceUsers_Click",
                                 "mnuDownloadUserInfo_Click", "mnuUploadUserInfo_Click",
                                 "mnuUpload_Click", "ShowSuperLogData", "MnuScheduler_Click"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    // A screen of its own, without the main window as parent, can open behind it.
    void screensOpenOverTheMainWindow()
    {
        QFETCH(QString, procedure);
        WindowFixture f;
        f.addTerminal(5, QStringLiteral("Front Gate"), SimState());
        f.load();
        registerAdminScreens(*f.window);
        QVERIFY(f.connectRow(1));
        QWidget* parent = nullptr;
        answerNextModal([&parent](QWidget* screen) {
            parent = screen->parentWidget();
            qobject_cast<QDialog*>(screen)->reject();
        });
        (f.window.get()->*procedures().value(procedure))();
        QCOMPARE(parent, static_cast<QWidget*>(f.window.get()));
    }

    // The menu refuses while a job holds the window.
    void menuItemsWaitForABusyWindow()
    {
        WindowFixture f;
        f.load();
        int opened = 0;
        f.window->setScreenOpener(QStringLiteral("mnuUpload_Click"), [&opened](frm2&) { ++opened; });
        auto* item = f.window->findChild<QAction*>(QStringLiteral("mnuUpload"));
        QVERIFY(item);
        {
            frm2::BusyGuard job(*f.window);
            item->trigger();
            f.window->Toolbar1_ButtonMenuClick(QStringLiteral("U"));
        }
        QCOMPARE(opened, 0);
        item->trigger();
        QCOMPARE(opened, 1);
    }
};

QTEST_MAIN(TestScreenWiring)
#include "tst_screenwiring.moc"
