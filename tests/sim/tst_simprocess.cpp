// quorvane-terminal-sim as the demo runs it: a process serving state files over TCP and a
// pseudo-terminal, and a state file that survives the process being killed while it saves.

#include "SimGenerator.h"
#include "SimState.h"
#include "shell/Settings.h"
#include "support/TestSupport.h"
#include "terminals/TerminalSdk.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString simulator = QStringLiteral(QUORVANE_SIM_EXECUTABLE);

// Starts the simulator and collects what it prints up to "ready".
bool start(QProcess& process, const QStringList& args, QStringList& lines)
{
    process.start(simulator, args);
    if (!process.waitForStarted())
        return false;
    QByteArray out;
    const QDeadlineTimer deadline(20000);
    while (!out.contains("ready\n")) {
        if (deadline.hasExpired() || process.state() != QProcess::Running)
            return false;
        process.waitForReadyRead(int(deadline.remainingTime()));
        out += process.readAllStandardOutput();
    }
    lines = QString::fromUtf8(out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return true;
}

QString field(const QStringList& lines, const QString& kind, int machine)
{
    const QString prefix = QStringLiteral("%1 %2 ").arg(kind).arg(machine);
    for (const QString& line : lines)
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    return QString();
}

// Whether the process has a file in `dir` open: it only has while it saves its state.
bool savingInto(qint64 pid, const QString& dir)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::System | QDir::Files)) {
        if (QFile::symLinkTarget(fds.filePath(fd)).startsWith(dir + QLatin1Char('/')))
            return true;
    }
    return false;
}

} // namespace

class TestSimProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void servesTerminalsOverTcpAndSerial();
    void stateSurvivesAKillWhileSaving();
    void badCommandLines();
};

void TestSimProcess::servesTerminalsOverTcpAndSerial()
{
    TestEnvironment env;
    QTemporaryDir dir;
    const QString bulk = dir.filePath(QStringLiteral("bulk.json"));
    QCOMPARE(QProcess::execute(simulator, {QStringLiteral("--generate"), QStringLiteral("1000"),
                                           QStringLiteral("--out"), bulk,
                                           QStringLiteral("--machine"), QStringLiteral("5"),
                                           QStringLiteral("--users"), QStringLiteral("40"),
                                           QStringLiteral("--templates"), QStringLiteral("2"),
                                           QStringLiteral("--operations"), QStringLiteral("25")}),
             0);
    QCOMPARE(QProcess::execute(simulator, {QStringLiteral("--write-demo"), dir.path()}), 0);
    const QString demo3 = dir.filePath(QStringLiteral("terminal-3.json"));

    QProcess process;
    QStringList lines;
    QVERIFY(start(process,
                  {QStringLiteral("--terminal"), bulk, QStringLiteral("--listen"),
                   QStringLiteral("127.0.0.1:0"), QStringLiteral("--terminal"), demo3,
                   QStringLiteral("--pty")},
                  lines));
    const QString address = field(lines, QStringLiteral("listen"), 5);
    const QString device = field(lines, QStringLiteral("pty"), 3);
    QVERIFY2(address.startsWith(QLatin1String("127.0.0.1:")), qPrintable(lines.join(u'|')));
    QVERIFY(!device.isEmpty());

    TerminalSdk network;
    QVERIFY(network.SdkConnectNetwork(QStringLiteral("127.0.0.1"),
                                      address.section(QLatin1Char(':'), 1).toLong()));
    QVERIFY(network.SdkReadAttendanceLog(5));
    long count = 0;
    QString user;
    long v, io, y, mo, d, h, mi, s, w;
    while (network.SdkNextAttendanceRecord(5, user, v, io, y, mo, d, h, mi, s, w))
        ++count;
    QCOMPARE(count, 1000L);
    for (const auto& [code, expected] : {std::pair{2L, 40L}, {3L, 80L}, {5L, 25L}}) {
        long value = 0;
        QVERIFY(network.SdkReadDeviceStatus(5, code, value));
        QCOMPARE(value, expected);
    }

    Settings::setSerialDevice(1, device);
    TerminalSdk serial;
    QVERIFY(serial.SdkConnectSerial(1, 3, 9600));
    QString name, password;
    long privilege = 0;
    bool enabled = false;
    QVERIFY(serial.SdkReadUserInfo(3, QStringLiteral("3"), name, password, privilege, enabled));
    QCOMPARE(name, QStringLiteral("Siobhan O'Brien"));
    QVERIFY(serial.SdkSetUserInfoStr(3, QStringLiteral("21"), QStringLiteral("Ærøskøbing Ödön"),
                                     QString(), 0, true));
    QVERIFY(serial.SdkClearAttendanceLog(3));

    // Ended in order, the simulator leaves on disk everything it answered.
    process.terminate();
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    const std::optional<SimState> saved = SimState::load(demo3);
    QVERIFY(saved);
    QVERIFY(saved->punches.isEmpty());
    QCOMPARE(saved->findUser(QStringLiteral("21"))->name, QStringLiteral("Ærøskøbing Ödön"));

    long status = 0;
    QVERIFY(!network.SdkCheckConnection(status));
}

void TestSimProcess::stateSurvivesAKillWhileSaving()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("terminal.json"));
    const int punches = 150000;
    QVERIFY(SimGenerator::bulk(punches).save(path));

    QProcess process;
    QStringList lines;
    QVERIFY(start(process,
                  {QStringLiteral("--terminal"), path, QStringLiteral("--listen"),
                   QStringLiteral("127.0.0.1:0")},
                  lines));
    const quint16 port =
        quint16(field(lines, QStringLiteral("listen"), 1).section(u':', 1).toUInt());
    QVERIFY(port != 0);

    // Twenty user writes at once: the first is saved before its answer, the others together
    // a moment later.
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(socket.waitForConnected(5000));
    QByteArray requests;
    for (int i = 1; i <= 20; ++i)
        requests += QStringLiteral("{\"id\":%1,\"op\":\"setUser\",\"m\":1,\"user\":\"%2\","
                                   "\"name\":\"Saved %1\",\"password\":\"\",\"privilege\":0,"
                                   "\"enabled\":true}\n")
                        .arg(i)
                        .arg(5000 + i)
                        .toUtf8();
    socket.write(requests);
    QVERIFY(socket.waitForBytesWritten(5000));

    // Wait for the first answer, then kill the process as soon as it is writing a save.
    QByteArray answers;
    const QDeadlineTimer deadline(60000);
    while (!answers.contains('\n') && !deadline.hasExpired()) {
        socket.waitForReadyRead(100);
        answers += socket.readAll();
    }
    QVERIFY(answers.contains("\"ok\":true"));
    bool caught = false;
    while (!caught && !deadline.hasExpired())
        caught = savingInto(process.processId(), dir.path());
    process.kill();
    QVERIFY(process.waitForFinished(10000));
    QVERIFY(caught);

    // The file is one whole save: the first write at least, and the writes in order.
    QString error;
    const std::optional<SimState> state = SimState::load(path, &error);
    QVERIFY2(state, qPrintable(error));
    QCOMPARE(state->punches.size(), punches);
    QVERIFY(state->findUser(QStringLiteral("5001")));
    for (int i = 2; i <= 20; ++i)
        QVERIFY(!state->findUser(QString::number(5000 + i)) ||
                state->findUser(QString::number(5000 + i - 1)));
}

void TestSimProcess::badCommandLines()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.json"));
    QVERIFY(QProcess::execute(simulator, {QStringLiteral("--terminal"), missing}) != 0);
    QVERIFY(QProcess::execute(simulator, {QStringLiteral("--pty")}) != 0);
    QVERIFY(QProcess::execute(simulator, {QStringLiteral("--generate"), QStringLiteral("10")}) !=
            0);
    const QString broken = dir.filePath(QStringLiteral("broken.json"));
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("{\"users\":[{\"number\":\"1\"}],\"attendance\":7}");
    f.close();
    // A file of the wrong shape: the message names the file and the field.
    QProcess refused;
    refused.start(simulator, {QStringLiteral("--terminal"), broken, QStringLiteral("--listen"),
                              QStringLiteral("127.0.0.1:0")});
    QVERIFY(refused.waitForFinished(10000));
    QVERIFY(refused.exitCode() != 0);
    const QString said = QString::fromLocal8Bit(refused.readAllStandardError());
    QVERIFY2(said.contains(broken + QStringLiteral(": attendance")), qPrintable(said));
}

QTEST_GUILESS_MAIN(TestSimProcess)
#include "tst_simprocess.moc"
