// The template download screen against a simulated terminal: which rows a user leaves in
// the store, the cells the list shows, and what survives a dropped link or a database
// that stops taking writes.

#include "SimTerminal.h"
#include "TemplateRows.h"
#include "admin/AdminScreens.h"
#include "admin/FrmDownload.h"
#include "shell/Shared.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace TemplateRows;

namespace {
enum Column { EmpId, Name, BackupIndex, Templates, CardNo, Password, Privilege, Status };
const QString kDone = QStringLiteral("Download Finger Print Template Completed Successfully");

SimUser withFingers(int number, const QString& name, const QList<int>& fingers)
{
    SimUser u = simUser(QString::number(number), name);
    for (int finger : fingers)
        u.templates[size_t(finger)] = templ(number, finger);
    return u;
}
} // namespace

class TestDownload : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowFixture> f;
    std::unique_ptr<FrmDownload> screen;

    // Front Gate, machine 5, holding `users`, connected and current; the screen open.
    SimThread& open(const QList<SimUser>& users)
    {
        f = std::make_unique<WindowFixture>();
        SimState state;
        state.machine = 5;
        state.users = users;
        SimThread& sim = f->addTerminal(5, QStringLiteral("Front Gate"), state);
        f->load();
        if (!f->connectRow(1))
            qFatal("the simulated terminal did not connect");
        screen = std::make_unique<FrmDownload>(*f->window);
        screen->yieldIntervalMs = 0;
        screen->Form_Load();
        return sim;
    }

    void tickAll() { screen->ChkCheck->setCheckState(Qt::Checked); }

private Q_SLOTS:
    void cleanup()
    {
        screen.reset();
        f.reset();
    }

    void storesTheFingersTheTerminalHolds_data()
    {
        QTest::addColumn<QList<int>>("fingers");
        QTest::addColumn<bool>("exclude");
        QTest::addColumn<QString>("backup");
        QTest::addColumn<QStringList>("rows");
        const QString t0 = templ(7, 0), t3 = templ(7, 3), t6 = templ(7, 6);
        QTest::newRow("fingers 0 and 6")
            << QList<int>{0, 6} << false << "0,6"
            << QStringList{"5:0:" + t0, "5:6:" + t6, "5:8:OLD8", "9:2:OTHER"};
        // The empty finger-0 row of an earlier download gives way to the finger found.
        QTest::newRow("finger 3 only")
            << QList<int>{3} << false << "3" << QStringList{"5:3:" + t3, "5:8:OLD8", "9:2:OTHER"};
        QTest::newRow("no fingers")
            << QList<int>{} << false << "" << QStringList{"5:0:", "5:8:OLD8", "9:2:OTHER"};
        QTest::newRow("excluded, other terminals' rows stay")
            << QList<int>{0, 6} << true << "" << QStringList{"5:0:", "9:2:OTHER"};
    }

    void storesTheFingersTheTerminalHolds()
    {
        QFETCH(QList<int>, fingers);
        QFETCH(bool, exclude);
        QFETCH(QString, backup);
        QFETCH(QStringList, rows);
        open({withFingers(7, QStringLiteral("Ann"), fingers)});
        store(f->db(), {7, "Ann", 0, "", 5});
        store(f->db(), {7, "Old", 8, "OLD8", 5, 1111, "old", 2, 0});
        store(f->db(), {7, "Old", 2, "OTHER", 9, 1111, "old", 2, 0});

        tick(screen->lsv, "7");
        screen->chkExclFingerPrints->setChecked(exclude);
        screen->CmdDownload_Click();

        QCOMPARE(rowsOf(f->db(), 7), rows);
        QCOMPARE(count(f->db(), "DeviceUserName='Old' Or rfid=1111 Or password='old' Or "
                                "previlege=2 Or Status=0"),
                 1);
        QCOMPARE(cell(screen->lsv, "7", BackupIndex), backup);
        QStringList previews;
        for (const QString& finger : backup.split(QLatin1Char(','), Qt::SkipEmptyParts))
            previews << templ(7, finger.toInt()).left(5) + QStringLiteral("...");
        QCOMPARE(cell(screen->lsv, "7", Templates), previews.join(QStringLiteral(" , ")));
        QCOMPARE(image(screen->lsv, "7"), 2);
        QCOMPARE(f->messages.texts(), QStringList{kDone});
    }

    // Quotes and letters beyond ASCII reach the store as they are; a second download
    // replaces the first; user numbers beyond 32,767 work.
    void keepsWhatTheTerminalHoldsIntact()
    {
        SimUser brien = withFingers(3, QStringLiteral("Siobhan O'Brien"), {});
        brien.privilege = 3;
        SimUser weiss = withFingers(40000, QStringLiteral("Jürgen Weiß"), {1});
        weiss.password = QStringLiteral("pa'ss\"w0rd");
        weiss.privilege = 1;
        weiss.enabled = false;
        weiss.card = QStringLiteral("123456");
        open({brien, weiss});
        tickAll();
        screen->CmdDownload_Click();
        screen->CmdDownload_Click();

        QCOMPARE(rowsOf(f->db(), 3), QStringList{"5:0:"});
        QCOMPARE(rowsOf(f->db(), 40000), QStringList{"5:1:" + templ(40000, 1)});
        QSqlQuery q = f->db().exec(
            QStringLiteral("Select DeviceUserName, password, rfid, previlege, Status, IsNew From "
                           "Tbl_UserTemplate Where DeviceUserID=40000"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("Jürgen Weiß"));
        QCOMPARE(q.value(1).toString(), QStringLiteral("pa'ss\"w0rd"));
        QCOMPARE(q.value(2).toInt(), 123456);
        QCOMPARE(q.value(3).toInt(), 1);
        QCOMPARE(q.value(4).toInt(), 0);
        QCOMPARE(q.value(5).toInt(), 0);
        q.finish();
        QCOMPARE(f->db()
                     .scalar("Select DeviceUserName From Tbl_UserTemplate Where DeviceUserID=3")
                     .toString(),
                 QStringLiteral("Siobhan O'Brien"));

        QCOMPARE(cell(screen->lsv, "3", Privilege), QString());
        QCOMPARE(cell(screen->lsv, "40000", Privilege), QStringLiteral("Supervisor"));
        QCOMPARE(cell(screen->lsv, "40000", CardNo), QStringLiteral("123456"));
        QCOMPARE(cell(screen->lsv, "40000", Password), QStringLiteral("pa'ss\"w0rd"));
    }

    // A user number the store cannot hold ends the listing through the error dialog; the
    // users listed before it stay.
    void listingStopsAtABadUserNumber_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::newRow("not a number") << "X2";
        QTest::newRow("past 32 bits") << "3000000000";
    }

    void listingStopsAtABadUserNumber()
    {
        QFETCH(QString, bad);
        open({simUser("1", "Ann"), simUser(bad, "Bad"), simUser("3", "Cy")});
        QCOMPARE(screen->lsv->topLevelItemCount(), 1);
        QCOMPARE(cell(screen->lsv, "1", Name), QStringLiteral("Ann"));
        QCOMPARE(f->errors.calls.size(), 1);
        QCOMPARE(f->errors.calls.first().proc, QStringLiteral("Form_Load()"));
    }

    void nothingCheckedClearsResultsAndWritesNothing()
    {
        open({withFingers(7, QStringLiteral("Ann"), {0})});
        tickAll();
        screen->CmdDownload_Click();
        f->db().execute(QStringLiteral("Delete From Tbl_UserTemplate"));
        screen->ChkCheck->setCheckState(Qt::Unchecked);
        f->messages.clear();

        screen->CmdDownload_Click();
        QCOMPARE(count(f->db()), 0);
        QCOMPARE(image(screen->lsv, "7"), 0);
        QCOMPARE(cell(screen->lsv, "7", BackupIndex), QString());
        QCOMPARE(f->messages.shown, (QVector<QPair<QString, int>>{{"No user is checked", 16}}));
    }

    // The link drops while the 500th of 1,000 users is read (after its third finger): the
    // users before it are stored, that user keeps what it had, no success is reported, and
    // a rerun completes. Meanwhile the main window is busy and Esc and closing are ignored.
    void linkDroppedHalfWay()
    {
        QList<SimUser> users;
        for (int n = 1; n <= 1000; ++n)
            users << withFingers(n, QStringLiteral("User %1").arg(n), {0});
        SimThread& sim = open(users);
        store(f->db(), {500, "Old", 0, "OLD", 5});
        tickAll();
        sim.run(
            [](SimTerminal& t) { t.setDropAfterAnswers(QStringLiteral("readTemplate"), 4993); });

        bool busy = false, stayedOpen = false;
        QTimer::singleShot(0, screen.get(), [&] {
            busy = f->window->isBusy();
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(screen.get(), &esc);
            screen->close();
            stayedOpen =
                screen->isRunning() && screen->result() == 0 && !screen->CmdDownload->isEnabled();
        });
        screen->CmdDownload_Click();

        QVERIFY(busy);
        QVERIFY(stayedOpen);
        QVERIFY(!f->window->isBusy());
        QCOMPARE(f->messages.shown,
                 (QVector<QPair<QString, int>>{{"Device is not connected", 16}}));
        QCOMPARE(count(f->db(), "FTemplate<>'' And DeviceUserID<500"), 499);
        QCOMPARE(rowsOf(f->db(), 500), QStringList{"5:0:OLD"});
        QCOMPARE(count(f->db(), "DeviceUserID>500"), 0);
        QCOMPARE(image(screen->lsv, "499"), 2);
        QCOMPARE(image(screen->lsv, "500"), 0);

        QVERIFY(f->connectRow(1));
        f->messages.clear();
        screen->CmdDownload_Click();
        QCOMPARE(f->messages.texts(), QStringList{kDone});
        QCOMPARE(count(f->db(), "FTemplate<>''"), 1000);
        QCOMPARE(rowsOf(f->db(), 500), QStringList{"5:0:" + templ(500, 0)});
    }

    void databaseTurnedReadOnlyHalfWay()
    {
        open({withFingers(1, "A", {0}), withFingers(2, "B", {0}), withFingers(3, "C", {0})});
        tickAll();
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (image(screen->lsv, "1") == 2)
                shared().Cnxn.execDirect(QStringLiteral("PRAGMA query_only=ON"));
        });
        watch.start(0);
        screen->CmdDownload_Click();
        watch.stop();
        shared().Cnxn.execDirect(QStringLiteral("PRAGMA query_only=OFF"));

        QCOMPARE(f->errors.calls.size(), 1);
        QCOMPARE(f->errors.calls.first().form, QStringLiteral("FrmDownload"));
        QCOMPARE(f->errors.calls.first().proc, QStringLiteral("CmdDownload_Click()"));
        QVERIFY(f->messages.shown.isEmpty());
        QCOMPARE(rowsOf(f->db(), 1), QStringList{"5:0:" + templ(1, 0)});
        QCOMPARE(count(f->db(), "DeviceUserID>1"), 0);
        QVERIFY(!screen->isRunning());
        QVERIFY(screen->CmdDownload->isEnabled());
    }

    // The card column is an int on SQL Server: a larger card is refused by name, and the
    // users before it stay stored.
    void cardPastTheColumnIsRefused()
    {
        SimUser big = withFingers(2, "B", {0});
        big.card = QStringLiteral("3000000000");
        open({withFingers(1, "A", {0}), big});
        tickAll();
        screen->CmdDownload_Click();

        QCOMPARE(f->errors.calls.size(), 1);
        QVERIFY(f->errors.calls.first().error.description.contains("3000000000"));
        QCOMPARE(rowsOf(f->db(), 1), QStringList{"5:0:" + templ(1, 0)});
        QCOMPARE(count(f->db(), "DeviceUserID=2"), 0);
    }

    void openerNamesTheCurrentTerminal()
    {
        open({});
        registerAdminScreens(*f->window);
        QString label;
        answerNextModal([&](QWidget* modal) {
            label = modal->findChild<QLabel*>(QStringLiteral("lblDeviceName"))->text();
            modal->close();
        });
        f->window->mnuDownloadUserInfo_Click();
        QCOMPARE(label, QStringLiteral("Device:Front Gate"));
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
