// TerminalSdk against the simulator running in this process: every operation over TCP and
// over a serial line (a pseudo-terminal), and the ways a link fails.

#include "SimState.h"
#include "SimTerminal.h"
#include "SimThread.h"
#include "shell/Settings.h"
#include "support/TestSupport.h"
#include "terminals/SdkLink.h"
#include "terminals/SdkProtocol.h"
#include "terminals/TerminalSdk.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

#include <memory>

namespace {

SimPunch punch(const QString& user, int verify, int inOut, QDateTime t, int work = 0)
{
    SimPunch p = SimPunch::at(user, t.date(), t.time(), verify, inOut);
    p.workCode = work;
    return p;
}

SimState sampleState(int punches = 3)
{
    SimState s;
    s.machine = 1;
    s.firmware = QStringLiteral("Ver 6.60 Test");
    const QDateTime start(QDate(2026, 3, 7), QTime(8, 5, 9));
    for (int i = 0; i < punches; ++i)
        s.punches.append(punch(i == 0 ? QStringLiteral("007") : QString::number(i % 5 + 1),
                               1 + i % 3, i % 6, start.addSecs(i * 61), i % 2));
    SimUser boss;
    boss.number = QStringLiteral("1");
    boss.name = QStringLiteral("Boss");
    boss.privilege = 3;
    boss.password = QStringLiteral("99");
    boss.templates[0] = QStringLiteral("AAAA");
    s.users.append(boss);
    return s;
}

struct Punch
{
    QString user;
    long verify = 0, inOut = 0, y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, work = 0;
};

QVector<Punch> walkLog(TerminalSdk& sdk)
{
    QVector<Punch> all;
    Punch p;
    while (sdk.SdkNextAttendanceRecord(1, p.user, p.verify, p.inOut, p.y, p.mo, p.d, p.h, p.mi, p.s,
                                       p.work))
        all.append(p);
    return all;
}

} // namespace

class TestTerminalSdk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void connectAndProbe();
    void attendanceLog();
    void usersRoundTrip_data();
    void usersRoundTrip();
    void cardNumberGoesWithOneWriteOnly();
    void templatesAndDeletion();
    void clockAndDevice();
    void operationLog();
    void serialLink();
    void refusedAndSilentPeers();
    void brokenAnswers();
    void dropAfterAnswers_data();
    void dropAfterAnswers();
    void slowAndFloodingPeers();
    void peerGoneReadsAsDown();

private:
    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<SimThread> m_sim;
    std::unique_ptr<TerminalSdk> m_sdk;
    bool connectSdk()
    {
        return m_sdk->SdkConnectNetwork(QStringLiteral("127.0.0.1"), m_sim->port());
    }
};

void TestTerminalSdk::init()
{
    m_env = std::make_unique<TestEnvironment>();
    Settings::setValue(Settings::SdkConnectTimeoutMs, 2000);
    Settings::setValue(Settings::SdkOperationTimeoutMs, 5000);
    m_sim = std::make_unique<SimThread>(sampleState());
    QVERIFY(m_sim->port() != 0);
    m_sdk = std::make_unique<TerminalSdk>();
}

void TestTerminalSdk::cleanup()
{
    m_sdk.reset();
    m_sim.reset();
    m_env.reset();
}

void TestTerminalSdk::connectAndProbe()
{
    long status = -1;
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    QCOMPARE(status, 0L);

    QSignalSpy opened(m_sdk.get(), &TerminalSdk::SdkConnectedEvent);
    m_sdk->setSdkPreConnectFlag(1);
    QCOMPARE(m_sdk->SdkPreConnectFlag(), 1L);
    QVERIFY(connectSdk());
    QCOMPARE(opened.count(), 1);
    QVERIFY(m_sdk->SdkCheckConnection(status));
    QCOMPARE(status, 1L);

    // Another machine number still reaches the linked terminal.
    QString version;
    QVERIFY(m_sdk->SdkReadFirmwareVersion(42, version));
    QCOMPARE(version, QStringLiteral("Ver 6.60 Test"));

    m_sdk->SdkPrepareDisconnect(150);
    m_sdk->SdkDisconnect();
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    QVERIFY(!m_sdk->SdkReadFirmwareVersion(1, version));

    // Connecting again over a live link replaces it.
    QVERIFY(connectSdk());
    QVERIFY(connectSdk());
    QCOMPARE(opened.count(), 3);
    QVERIFY(m_sdk->SdkCheckConnection(status));

    QVERIFY(!m_sdk->SdkConnectNetwork(QStringLiteral("127.0.0.1"), 0));
    QVERIFY(!m_sdk->SdkCheckConnection(status));
}

void TestTerminalSdk::attendanceLog()
{
    QVERIFY(connectSdk());
    QVERIFY(m_sdk->SdkReadAttendanceLog(1));
    const QVector<Punch> log = walkLog(*m_sdk);
    QCOMPARE(log.size(), 3);
    QCOMPARE(log[0].user, QStringLiteral("007"));
    QCOMPARE(log[0].verify, 1L);
    QCOMPARE(log[0].y, 2026L);
    QCOMPARE(log[0].mo, 3L);
    QCOMPARE(log[0].d, 7L);
    QCOMPARE(log[0].h, 8L);
    QCOMPARE(log[0].mi, 5L);
    QCOMPARE(log[0].s, 9L);
    QCOMPARE(log[1].user, QStringLiteral("2"));
    QCOMPARE(log[1].inOut, 1L);
    QCOMPARE(log[1].mi, 6L);
    QCOMPARE(log[1].s, 10L);
    QCOMPARE(log[1].work, 1L);
    QCOMPARE(log[2].verify, 3L);
    // The walk stays at its end.
    Punch p;
    QVERIFY(!m_sdk->SdkNextAttendanceRecord(1, p.user, p.verify, p.inOut, p.y, p.mo, p.d, p.h, p.mi,
                                            p.s, p.work));

    long count = -1;
    QVERIFY(m_sdk->SdkReadDeviceStatus(1, 6, count));
    QCOMPARE(count, 3L);

    QVERIFY(m_sdk->SdkClearAttendanceLog(1));
    QVERIFY(m_sim->state().punches.isEmpty());
    QVERIFY(m_sdk->SdkLoadAttendanceLog(1));
    QVERIFY(walkLog(*m_sdk).isEmpty());
    QVERIFY(m_sdk->SdkReadDeviceStatus(1, 6, count));
    QCOMPARE(count, 0L);
    // An unknown status code is refused and leaves the value alone; the link stays up.
    QVERIFY(!m_sdk->SdkReadDeviceStatus(1, 99, count));
    QCOMPARE(count, 0L);
    long status = 0;
    QVERIFY(m_sdk->SdkCheckConnection(status));
}

void TestTerminalSdk::usersRoundTrip_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("privilege");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("plain") << "12"
                           << "Ann Lee"
                           << "1234" << 0 << true;
    QTest::newRow("quote") << "13"
                           << "Siobhan O'Brien"
                           << "o'k" << 2 << true;
    QTest::newRow("non-ascii") << "14" << QStringLiteral("Jürgen Weiß Ångström 陈")
                               << QStringLiteral("pässwörd") << 1 << false;
    QTest::newRow("json-breakers") << "15"
                                   << "say \"hi\" \\ {x}\t"
                                   << "" << 3 << true;
}

void TestTerminalSdk::usersRoundTrip()
{
    QFETCH(QString, number);
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(int, privilege);
    QFETCH(bool, enabled);

    QVERIFY(connectSdk());
    m_sdk->setSdkCardNumber(0, QStringLiteral("5551234"));
    QVERIFY(m_sdk->SdkSetUserInfoStr(1, number, name, password, privilege, enabled));

    QString n, pw;
    long priv = -1;
    bool en = !enabled;
    m_sdk->setSdkCardNumber(0, QStringLiteral("1")); // only shown until the next read
    QVERIFY(m_sdk->SdkReadUserInfo(1, number, n, pw, priv, en));
    QCOMPARE(n, name);
    QCOMPARE(pw, password);
    QCOMPARE(priv, long(privilege));
    QCOMPARE(en, enabled);
    QCOMPARE(m_sdk->SdkCardNumber(0), QStringLiteral("5551234"));

    // Both walks list the new user after the one the terminal held.
    QVERIFY(m_sdk->SdkReadAllUserInfo(1));
    QString text;
    QVERIFY(m_sdk->SdkNextUserInfoStr(1, text, n, pw, priv, en));
    QCOMPARE(text, QStringLiteral("1"));
    QCOMPARE(m_sdk->SdkCardNumber(0), QStringLiteral("0"));
    QVERIFY(m_sdk->SdkNextUserInfoStr(1, text, n, pw, priv, en));
    QCOMPARE(text, number);
    QCOMPARE(n, name);
    QCOMPARE(m_sdk->SdkCardNumber(0), QStringLiteral("5551234"));
    QVERIFY(!m_sdk->SdkNextUserInfoStr(1, text, n, pw, priv, en));

    QVERIFY(m_sdk->SdkReadAllUserInfo(1));
    long numeric = 0;
    QVERIFY(m_sdk->SdkNextUserInfo(1, numeric, n, pw, priv, en));
    QVERIFY(m_sdk->SdkNextUserInfo(1, numeric, n, pw, priv, en));
    QCOMPARE(numeric, number.toLong());
    QCOMPARE(n, name);

    // The state the terminal keeps (and saves) holds the same text.
    const SimState state = m_sim->state();
    const SimUser* u = state.findUser(number);
    QVERIFY(u);
    QCOMPARE(u->name, name);
    QCOMPARE(SimState::fromJson(state.toJson())->findUser(number)->name, name);
}

void TestTerminalSdk::cardNumberGoesWithOneWriteOnly()
{
    QVERIFY(connectSdk());
    m_sdk->setSdkCardNumber(0, QStringLiteral("777"));
    QVERIFY(m_sdk->SdkSetUserInfo(1, 20, QStringLiteral("A"), QString(), 0, true));
    QVERIFY(m_sdk->SdkSetUserInfo(1, 21, QStringLiteral("B"), QString(), 0, true));
    // Changing a user without a card keeps the card it has.
    QVERIFY(m_sdk->SdkSetUserInfoStr(1, QStringLiteral("20"), QStringLiteral("A2"), QString(), 1,
                                     true));
    const SimState s = m_sim->state();
    QCOMPARE(s.findUser(QStringLiteral("20"))->card, QStringLiteral("777"));
    QCOMPARE(s.findUser(QStringLiteral("20"))->name, QStringLiteral("A2"));
    QCOMPARE(s.findUser(QStringLiteral("21"))->card, QStringLiteral("0"));

    // The terminal refuses what it cannot hold, and nothing changes.
    QVERIFY(!m_sdk->SdkSetUserInfoStr(1, QStringLiteral("22"), QStringLiteral("C"), QString(), 7,
                                      true));
    m_sdk->setSdkCardNumber(0, QStringLiteral("12ab"));
    QVERIFY(!m_sdk->SdkSetUserInfoStr(1, QStringLiteral("22"), QStringLiteral("C"), QString(), 0,
                                      true));
    QVERIFY(!m_sim->state().findUser(QStringLiteral("22")));

    // "007" and 7 are the same user.
    QVERIFY(m_sdk->SdkSetUserInfo(1, 7, QStringLiteral("Seven"), QString(), 0, true));
    QString n, pw;
    long priv = 0;
    bool en = false;
    QVERIFY(m_sdk->SdkReadUserInfo(1, QStringLiteral("007"), n, pw, priv, en));
    QCOMPARE(n, QStringLiteral("Seven"));
    QVERIFY(!m_sdk->SdkReadUserInfo(1, QStringLiteral("70"), n, pw, priv, en));
    QCOMPARE(n, QStringLiteral("Seven"));

    long value = 0;
    QVERIFY(m_sdk->SdkReadDeviceStatus(1, 1, value)); // administrators: Boss and A2
    QCOMPARE(value, 2L);
    QVERIFY(m_sdk->SdkReadDeviceStatus(1, 2, value));
    QCOMPARE(value, 4L);
    QVERIFY(m_sdk->SdkReadDeviceStatus(1, 3, value));
    QCOMPARE(value, 1L);
    QVERIFY(m_sdk->SdkReadDeviceStatus(1, 4, value));
    QCOMPARE(value, 1L);
}

void TestTerminalSdk::templatesAndDeletion()
{
    QVERIFY(connectSdk());
    QVERIFY(m_sdk->SdkSetUserInfo(1, 30, QStringLiteral("Finger"), QStringLiteral("1"), 0, true));
    const QString t0 = QStringLiteral("TUzNMjEx").repeated(60);
    QVERIFY(m_sdk->SdkWriteUserTemplate(1, 30, 0, t0));
    QVERIFY(m_sdk->SdkWriteUserTemplate(1, 30, 6, QStringLiteral("SIX")));
    QVERIFY(!m_sdk->SdkWriteUserTemplate(1, 30, 10, QStringLiteral("X")));

    QString templ;
    int length = 0;
    QVERIFY(m_sdk->SdkReadUserTemplate(1, QStringLiteral("30"), 0, templ, length));
    QCOMPARE(templ, t0);
    QCOMPARE(length, int(t0.size()));
    QVERIFY(!m_sdk->SdkReadUserTemplate(1, QStringLiteral("30"), 3, templ, length));

    long a = -1, b = -1, c = -1;
    QVERIFY(m_sdk->SdkReadEnrollData(1, 30, 1, 0, a, b, c));
    QCOMPARE(a, 0L);
    QCOMPARE(b, 2L);
    QCOMPARE(c, 1L);
    QVERIFY(!m_sdk->SdkReadEnrollData(1, 31, 1, 0, a, b, c));

    QVERIFY(m_sdk->SdkDeleteFingerTemplate(1, 30, 6));
    QVERIFY(!m_sdk->SdkReadUserTemplate(1, QStringLiteral("30"), 6, templ, length));
    QVERIFY(m_sdk->SdkReadUserTemplate(1, QStringLiteral("30"), 0, templ, length));
    QVERIFY(m_sdk->SdkDeleteFingerTemplate(1, 30, 12));
    QVERIFY(!m_sdk->SdkReadUserTemplate(1, QStringLiteral("30"), 0, templ, length));
    QVERIFY(!m_sdk->SdkDeleteFingerTemplate(1, 31, 12));

    // An empty template changes nothing (a user stored without fingerprints sends one);
    // a template for an unknown user brings it in.
    QVERIFY(m_sdk->SdkWriteUserTemplate(1, 30, 2, QStringLiteral("TWO")));
    QVERIFY(m_sdk->SdkWriteUserTemplate(1, 30, 2, QString()));
    QVERIFY(m_sdk->SdkReadUserTemplate(1, QStringLiteral("30"), 2, templ, length));
    QCOMPARE(templ, QStringLiteral("TWO"));
    QVERIFY(m_sdk->SdkWriteUserTemplate(1, 32, 0, QString()));
    QVERIFY(!m_sim->state().findUser(QStringLiteral("32")));
    QVERIFY(m_sdk->SdkWriteUserTemplate(1, 32, 0, QStringLiteral("NEW")));
    QVERIFY(m_sim->state().findUser(QStringLiteral("32")));

    QVERIFY(m_sdk->SdkDeleteEnrollData(1, 30, 1, 10));
    QCOMPARE(m_sim->state().findUser(QStringLiteral("30"))->password, QString());
    QVERIFY(m_sdk->SdkDeleteEnrollData(1, 30, 1, 12));
    QString n, pw;
    long priv = 0;
    bool en = false;
    QVERIFY(!m_sdk->SdkReadUserInfo(1, QStringLiteral("30"), n, pw, priv, en));
    QVERIFY(!m_sdk->SdkDeleteEnrollData(1, 30, 1, 12));
    QVERIFY(m_sdk->SdkRefreshData(1));
    QCOMPARE(m_sim->state().refreshes, 1);
}

void TestTerminalSdk::clockAndDevice()
{
    QVERIFY(connectSdk());
    QVERIFY(m_sdk->SdkSetDeviceClock(1, 2030, 1, 2, 3, 4, 5));
    long y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    QVERIFY(m_sdk->SdkReadDeviceClock(1, y, mo, d, h, mi, s));
    const QDateTime read{QDate(int(y), int(mo), int(d)), QTime(int(h), int(mi), int(s))};
    const QDateTime set(QDate(2030, 1, 2), QTime(3, 4, 5));
    QVERIFY2(set.secsTo(read) >= 0 && set.secsTo(read) < 60, qPrintable(read.toString()));

    // A clock that nothing filled never reaches the terminal.
    const qint64 offset = m_sim->state().clockOffsetSeconds;
    QVERIFY(!m_sdk->SdkSetDeviceClock(1, 0, 0, 0, 0, 0, 0));
    QVERIFY(!m_sdk->SdkSetDeviceClock(1, 2030, 2, 30, 0, 0, 0));
    QCOMPARE(m_sim->state().clockOffsetSeconds, offset);

    QVERIFY(m_sdk->SdkSetDeviceParam(1, 34, 2));
    QCOMPARE(m_sim->state().params.value(34), 2);
    QVERIFY(m_sdk->SdkWriteDisplayText(0, 1, QStringLiteral("Working.........")));
    QCOMPARE(m_sim->state().displayText, QStringLiteral("Working........."));

    QVERIFY(m_sdk->SdkEnableClock(0));
    m_sim->run([](SimTerminal& t) { t.state().clockEnabled = false; });
    QVERIFY(!m_sdk->SdkEnableClock(0));
    QVERIFY(m_sdk->SdkEnableClock(1));
    QVERIFY(m_sim->state().clockEnabled);

    // The terminal drops the link when it restarts.
    long status = 0;
    QVERIFY(m_sdk->SdkRestartDevice(1));
    QCOMPARE(m_sim->state().restarts, 1);
    QVERIFY(!m_sdk->SdkCheckConnection(status));

    // A link that was closed is not opened again: the restart does not arrive.
    QVERIFY(connectSdk());
    m_sdk->SdkDisconnect();
    QVERIFY(!m_sdk->SdkRestartDevice(1));
    QCOMPARE(m_sim->state().restarts, 1);
    QVERIFY(!m_sdk->SdkCheckConnection(status));

    QVERIFY(connectSdk());
    QVERIFY(m_sdk->SdkPowerOffDevice(1));
    QCOMPARE(m_sim->state().powerOffs, 1);
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    QVERIFY(!m_sdk->SdkPowerOffDevice(1));
    QCOMPARE(m_sim->state().powerOffs, 1);

    // Nothing to send without a link.
    QVERIFY(!m_sdk->SdkWriteDisplayText(0, 1, QStringLiteral("x")));
}

void TestTerminalSdk::operationLog()
{
    m_sim->run([](SimTerminal& t) {
        for (int i = 0; i < 2; ++i) {
            SimOperation op;
            op.values = {1, 5 + i, 4, 11, 2, 3 + i, 3, 2026, 3, 7, 9, 5};
            t.state().operations.append(op);
        }
    });
    QVERIFY(connectSdk());
    QVERIFY(m_sdk->SdkReadSuperLog(1));
    std::array<long, 12> v{};
    QVERIFY(m_sdk->SdkNextSuperLogRecord(1, v));
    QCOMPARE(v[1], 5L);
    QCOMPARE(v[5], 3L);
    QCOMPARE(v[9], 7L);
    QVERIFY(m_sdk->SdkNextSuperLogRecord(1, v));
    QCOMPARE(v[1], 6L);
    QVERIFY(!m_sdk->SdkNextSuperLogRecord(1, v));
    long count = 0;
    QVERIFY(m_sdk->SdkReadDeviceStatus(1, 5, count));
    QCOMPARE(count, 2L);
    // Reading again starts over.
    QVERIFY(m_sdk->SdkReadSuperLog(1));
    QVERIFY(m_sdk->SdkNextSuperLogRecord(1, v));
    QCOMPARE(v[1], 5L);
}

void TestTerminalSdk::serialLink()
{
    const QString device = m_sim->openPty();
    QVERIFY(!device.isEmpty());
    Settings::setSerialDevice(1, device);
    QCOMPARE(Settings::serialDevice(1), device);

    QSignalSpy opened(m_sdk.get(), &TerminalSdk::SdkConnectedEvent);
    QVERIFY(m_sdk->SdkConnectSerial(1, 1, 115200));
    QCOMPARE(opened.count(), 1);
    long status = 0;
    QVERIFY(m_sdk->SdkCheckConnection(status));
    QVERIFY(m_sdk->SdkReadAttendanceLog(1));
    QCOMPARE(walkLog(*m_sdk).size(), 3);

    QVERIFY(m_sdk->SdkSetUserInfoStr(1, QStringLiteral("40"), QStringLiteral("O'Neill Žofie"),
                                     QString(), 0, true));
    QString n, pw;
    long priv = 0;
    bool en = false;
    QVERIFY(m_sdk->SdkReadUserInfo(1, QStringLiteral("40"), n, pw, priv, en));
    QCOMPARE(n, QStringLiteral("O'Neill Žofie"));

    // Closed and opened again, the line carries on.
    m_sdk->SdkDisconnect();
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    // A line that refuses its settings is closed again, free for the next link.
    SdkLink refused;
    QVERIFY(!refused.openSerial(device, -1, 1000));
    QVERIFY(m_sdk->SdkConnectSerial(1, 1, 9600));

    // A read cut off on the line leaves no record and the link down; the next link reads
    // the whole log.
    Settings::setValue(Settings::SdkOperationTimeoutMs, 300);
    m_sim->run([](SimTerminal& t) {
        for (int i = 0; i < 200; ++i)
            t.state().punches.append(t.state().punches.first());
        t.setDropAfterRecords(50);
    });
    QVERIFY(!m_sdk->SdkReadAttendanceLog(1));
    QVERIFY(walkLog(*m_sdk).isEmpty());
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    m_sim->run([](SimTerminal& t) { t.setDropAfterRecords(-1); });
    Settings::setValue(Settings::SdkOperationTimeoutMs, 5000);
    QVERIFY(m_sdk->SdkConnectSerial(1, 1, 9600));
    QVERIFY(m_sdk->SdkReadAttendanceLog(1));
    QCOMPARE(walkLog(*m_sdk).size(), 203);

    QVERIFY(m_sdk->SdkClearAttendanceLog(1));
    QVERIFY(m_sim->state().punches.isEmpty());

    // An answer that comes after the caller gave up is still on the line when it opens
    // the link again: the greeting skips it and later answers are not taken for it.
    Settings::setValue(Settings::SdkOperationTimeoutMs, 300);
    m_sim->run([](SimTerminal& t) { t.setDelayMs(1500); });
    QString version;
    QVERIFY(!m_sdk->SdkReadFirmwareVersion(1, version));
    m_sim->run([](SimTerminal& t) { t.setDelayMs(0); });
    Settings::setValue(Settings::SdkOperationTimeoutMs, 5000);
    Settings::setValue(Settings::SdkConnectTimeoutMs, 5000);
    QVERIFY(m_sdk->SdkConnectSerial(1, 1, 9600));
    QVERIFY(m_sdk->SdkReadUserInfo(1, QStringLiteral("40"), n, pw, priv, en));
    QCOMPARE(n, QStringLiteral("O'Neill Žofie"));
    QVERIFY(m_sdk->SdkReadFirmwareVersion(1, version));
    QCOMPARE(version, QStringLiteral("Ver 6.60 Test"));

    // A COM port whose device does not exist does not open.
    Settings::setSerialDevice(2, m_env->root() + QStringLiteral("/no-such-tty"));
    QVERIFY(!m_sdk->SdkConnectSerial(2, 1, 9600));
    QVERIFY(!m_sdk->SdkCheckConnection(status));
}

void TestTerminalSdk::refusedAndSilentPeers()
{
    m_sim->setRefuseConnections(true);
    QSignalSpy opened(m_sdk.get(), &TerminalSdk::SdkConnectedEvent);
    QVERIFY(!connectSdk());
    m_sim->setRefuseConnections(false);
    QVERIFY(connectSdk());
    QCOMPARE(opened.count(), 1);

    // A peer that takes the connection and never answers.
    Settings::setValue(Settings::SdkConnectTimeoutMs, 300);
    Settings::setValue(Settings::SdkOperationTimeoutMs, 300);
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    QVERIFY(!m_sdk->SdkConnectNetwork(QStringLiteral("127.0.0.1"), silent.serverPort()));
    long status = 0;
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    QCOMPARE(opened.count(), 1);

    // A terminal that falls silent in the middle of a session.
    Settings::setValue(Settings::SdkConnectTimeoutMs, 2000);
    QVERIFY(connectSdk());
    m_sim->run([](SimTerminal& t) { t.setDelayMs(3000); });
    QString version;
    QVERIFY(!m_sdk->SdkReadFirmwareVersion(1, version));
    QVERIFY(version.isEmpty());
    QVERIFY(!m_sdk->SdkReadAttendanceLog(1));
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    m_sim->run([](SimTerminal& t) { t.setDelayMs(0); });
    Settings::setValue(Settings::SdkOperationTimeoutMs, 5000);
    QVERIFY(connectSdk());
    QVERIFY(m_sdk->SdkReadFirmwareVersion(1, version));
}

void TestTerminalSdk::brokenAnswers()
{
    m_sim->run([](SimTerminal& t) {
        for (int i = 0; i < 100; ++i)
            t.state().punches.append(t.state().punches.last());
    });
    QVERIFY(connectSdk());
    QVERIFY(m_sdk->SdkReadAttendanceLog(1));
    Punch p;
    QVERIFY(m_sdk->SdkNextAttendanceRecord(1, p.user, p.verify, p.inOut, p.y, p.mo, p.d, p.h, p.mi,
                                           p.s, p.work));

    // Cut off after 20 records: nothing of it, nor of the earlier read, is handed out.
    m_sim->run([](SimTerminal& t) { t.setDropAfterRecords(20); });
    QVERIFY(!m_sdk->SdkReadAttendanceLog(1));
    QVERIFY(walkLog(*m_sdk).isEmpty());
    long status = 0;
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    // Cut off right after the last record, before the answer ends: still nothing.
    m_sim->run([](SimTerminal& t) { t.setDropAfterRecords(int(t.state().punches.size())); });
    QVERIFY(connectSdk());
    QVERIFY(!m_sdk->SdkLoadAttendanceLog(1));
    QVERIFY(walkLog(*m_sdk).isEmpty());
    m_sim->run([](SimTerminal& t) { t.setDropAfterRecords(-1); });

    // A garbled answer fails the operation and drops the link; the next link works.
    QVERIFY(connectSdk());
    m_sim->run([](SimTerminal& t) { t.garbleNext(QStringLiteral("readUser")); });
    QString n, pw;
    long priv = 0;
    bool en = false;
    QVERIFY(!m_sdk->SdkReadUserInfo(1, QStringLiteral("1"), n, pw, priv, en));
    QVERIFY(n.isEmpty());
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    QVERIFY(connectSdk());
    QVERIFY(m_sdk->SdkReadUserInfo(1, QStringLiteral("1"), n, pw, priv, en));
    QCOMPARE(n, QStringLiteral("Boss"));
    QVERIFY(m_sdk->SdkReadAttendanceLog(1));
    QCOMPARE(walkLog(*m_sdk).size(), 103);

    m_sim->run([](SimTerminal& t) { t.garbleNext(QStringLiteral("readLog")); });
    QVERIFY(!m_sdk->SdkReadAttendanceLog(1));
    QVERIFY(walkLog(*m_sdk).isEmpty());
    QVERIFY(!m_sdk->SdkCheckConnection(status));
}

void TestTerminalSdk::dropAfterAnswers_data()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("network") << false;
    QTest::newRow("serial") << true;
}

void TestTerminalSdk::dropAfterAnswers()
{
    QFETCH(bool, serial);
    Settings::setValue(Settings::SdkOperationTimeoutMs, 300);
    if (serial)
        Settings::setSerialDevice(1, m_sim->openPty());
    auto connectLink = [&] {
        return serial ? m_sdk->SdkConnectSerial(1, 1, 115200) : connectSdk();
    };
    QVERIFY(connectLink());
    QString templ;
    int length = 0;
    m_sim->setDropAfterAnswers(QStringLiteral("readTemplate"), 2);
    QVERIFY(m_sdk->SdkReadUserTemplate(1, QStringLiteral("1"), 0, templ, length));
    // Other operations do not count.
    QString version;
    QVERIFY(m_sdk->SdkReadFirmwareVersion(1, version));
    QVERIFY(m_sdk->SdkReadUserTemplate(1, QStringLiteral("1"), 0, templ, length));
    long status = 0;
    QVERIFY(!m_sdk->SdkReadUserTemplate(1, QStringLiteral("1"), 0, templ, length));
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    // Once: the next link works.
    QVERIFY(connectLink());
    QVERIFY(m_sdk->SdkReadUserTemplate(1, QStringLiteral("1"), 0, templ, length));
    QCOMPARE(templ, QStringLiteral("AAAA"));
    // None left: the next request goes unanswered.
    m_sim->setDropAfterAnswers(QStringLiteral("readTemplate"), 0);
    QVERIFY(!m_sdk->SdkReadUserTemplate(1, QStringLiteral("1"), 0, templ, length));
    QVERIFY(!m_sdk->SdkCheckConnection(status));
}

void TestTerminalSdk::slowAndFloodingPeers()
{
    // A terminal that sends its answer a byte at a time, each byte well within the limit:
    // the operation ends at its deadline all the same.
    QVERIFY(connectSdk());
    Settings::setValue(Settings::SdkOperationTimeoutMs, 300);
    m_sim->run([](SimTerminal& t) { t.setTrickleMs(25); });
    QString version;
    long status = 0;
    QVERIFY(!m_sdk->SdkReadFirmwareVersion(1, version));
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    m_sim->run([](SimTerminal& t) { t.setTrickleMs(0); });

    // An answer longer than any real one is not read to its end.
    Settings::setValue(Settings::SdkOperationTimeoutMs, 60000);
    QVERIFY(connectSdk());
    m_sim->run([](SimTerminal& t) {
        t.oversizeNext(QStringLiteral("firmware"), SdkProtocol::MaxLineBytes);
    });
    QVERIFY(!m_sdk->SdkReadFirmwareVersion(1, version));
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    QVERIFY(connectSdk());
    QVERIFY(m_sdk->SdkReadFirmwareVersion(1, version));
    QCOMPARE(version, QStringLiteral("Ver 6.60 Test"));
}

void TestTerminalSdk::peerGoneReadsAsDown()
{
    QVERIFY(connectSdk());
    long status = 0;
    QVERIFY(m_sdk->SdkCheckConnection(status));
    m_sim.reset();
    QVERIFY(!m_sdk->SdkCheckConnection(status));
    QCOMPARE(status, 0L);
    QVERIFY(!m_sdk->SdkReadAllUserInfo(1));
}

QTEST_MAIN(TestTerminalSdk)
#include "tst_terminalsdk.moc"
