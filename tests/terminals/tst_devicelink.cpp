// Connecting an SDK element to a registered terminal and recording the terminal's users.

#include "SimState.h"
#include "SimTerminal.h"
#include "SimThread.h"
#include "shell/Settings.h"
#include "support/TestSupport.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"

#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {
SimUser user(const QString& number, const QString& name, const QString& password, int privilege,
             bool enabled)
{
    SimUser u;
    u.number = number;
    u.name = name;
    u.password = password;
    u.privilege = privilege;
    u.enabled = enabled;
    return u;
}

void registerTerminal(Db& db, int id, int conMode, const QString& ip, const QString& port,
                      const QString& com = QString(), const QString& baud = QString())
{
    db.exec(QStringLiteral("insert into Tbl_DeviceMaster (DeviceID, ComNo, DeviceDescription, "
                           "PortNo, IPAddress, BaudRate, ConMode, Log_Mode) "
                           "values (?, ?, ?, ?, ?, ?, ?, 3)"),
            {id, com, QStringLiteral("Terminal %1").arg(id), port, ip, baud, conMode});
}
}  // namespace

class TestDeviceLink : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<TempDatabase> database;

private Q_SLOTS:
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        database = std::make_unique<TempDatabase>();
    }

    void cleanup()
    {
        database.reset();
        env.reset();
    }

    void savesEachUserOnce()
    {
        SimState state;
        state.machine = 5;
        state.users = {user(QStringLiteral("1"), QStringLiteral("O'Brien"),
                            QStringLiteral("pa'ss"), 2, true),
                       user(QStringLiteral("2"), QStringLiteral("Ann"), QString(), 0, false)};
        SimThread sim(state);
        TerminalSdk sdk;
        QVERIFY(sdk.SdkConnectNetwork(QStringLiteral("127.0.0.1"), sim.port()));
        Db& db = database->db();

        SaveDeviceUsers(sdk, 5, db);
        QSqlQuery q = db.exec(QStringLiteral(
            "select DeviceUserID, UserName, Pwd, Privilege, Enabled, DeviceID "
            "from Tbl_UserLogInfo order by DeviceUserID"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QCOMPARE(q.value(1).toString(), QStringLiteral("O'Brien"));
        QCOMPARE(q.value(2).toString(), QStringLiteral("pa'ss"));
        QCOMPARE(q.value(3).toInt(), 2);
        QCOMPARE(q.value(4).toInt(), -1);
        QCOMPARE(q.value(5).toInt(), 5);
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 2);
        QCOMPARE(q.value(4).toInt(), 0);
        QVERIFY(!q.next());

        // Reconnecting adds the new user only; a row keeps what was first seen.
        sim.run([](SimTerminal& t) {
            t.state().users[0].name = QStringLiteral("Renamed");
            t.state().users.append(user(QStringLiteral("3"), QStringLiteral("Bo"), QString(), 0,
                                        true));
        });
        SaveDeviceUsers(sdk, 5, db);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from Tbl_UserLogInfo")).toInt(), 3);
        QCOMPARE(db.scalar(QStringLiteral("select UserName from Tbl_UserLogInfo "
                                          "where DeviceUserID=1"))
                     .toString(),
                 QStringLiteral("O'Brien"));

        // The same users on another terminal are that terminal's users.
        SaveDeviceUsers(sdk, 6, db);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from Tbl_UserLogInfo")).toInt(), 6);
    }

    void connectsByRegisterRow()
    {
        SimState state;
        state.machine = 5;
        SimThread sim(state);
        Db& db = database->db();
        registerTerminal(db, 5, 1, QStringLiteral("127.0.0.1"), QString::number(sim.port()));
        registerTerminal(db, 6, 2, QStringLiteral("127.0.0.1"), QString::number(sim.port()));
        registerTerminal(db, 7, 1, QStringLiteral("127.0.0.1"), QStringLiteral("43a0"));

        TerminalSdk sdk;
        QVERIFY(!ConnectDevice(sdk, 99, db));
        QVERIFY(!IsDeviceConnected(sdk));
        QVERIFY(!ConnectDevice(sdk, 6, db));
        QVERIFY(!IsDeviceConnected(sdk));
        try {
            ConnectDevice(sdk, 7, db);
            QFAIL("a port that is no number must raise an error");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), 13L);
        }

        QVERIFY(ConnectDevice(sdk, 5, db));
        QVERIFY(IsDeviceConnected(sdk));
        // An element already linked stays as it is, register row or not.
        db.exec(QStringLiteral("delete from Tbl_DeviceMaster"));
        QVERIFY(ConnectDevice(sdk, 5, db));
    }

    void connectsOverSerialLine()
    {
        SimState state;
        state.machine = 8;
        SimThread sim(state);
        const QString device = sim.openPty();
        if (device.isEmpty())
            QSKIP("no pseudo-terminal available");
        Settings::setSerialDevice(3, device);
        Db& db = database->db();
        registerTerminal(db, 8, 0, QString(), QString(), QStringLiteral("3"),
                         QStringLiteral("115200"));

        TerminalSdk sdk;
        QVERIFY(ConnectDevice(sdk, 8, db));
        QVERIFY(IsDeviceConnected(sdk));
    }
};

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
