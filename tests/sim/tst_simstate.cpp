// The simulator's state file and its answers, without a link.

#include "SimGenerator.h"
#include "SimState.h"
#include "SimTerminal.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

SimState fullState()
{
    SimState s;
    s.machine = 9;
    s.firmware = QStringLiteral("Ver 1.2");
    s.clockOffsetSeconds = -3600;
    s.clockEnabled = false;
    s.restarts = 2;
    s.powerOffs = 1;
    s.refreshes = 4;
    s.params.insert(34, 2);
    s.displayRow = 0;
    s.displayColumn = 1;
    s.displayText = QStringLiteral("Working.........");
    SimUser u;
    u.number = QStringLiteral("007");
    u.name = QStringLiteral("Siobhan O'Brien \"Shiv\" Weiß");
    u.password = QStringLiteral("12'34");
    u.privilege = 2;
    u.enabled = false;
    u.card = QStringLiteral("4005123");
    u.templates[0] = QStringLiteral("AbC+/=");
    u.templates[9] = QStringLiteral("nine");
    s.users.append(u);
    SimPunch p;
    p.user = QStringLiteral("007");
    p.verifyMode = 2;
    p.inOutMode = 5;
    p.year = 2026;
    p.month = 3;
    p.day = 7;
    p.hour = 8;
    p.minute = 5;
    p.second = 9;
    p.workCode = 3;
    s.punches.append(p);
    SimOperation op;
    op.values = {9, 1, 4, 11, 2, 30, 3, 2026, 3, 7, 9, 5};
    s.operations.append(op);
    return s;
}

QJsonObject answerOf(SimTerminal& t, const QByteArray& request)
{
    return QJsonDocument::fromJson(t.answer(request).bytes).object();
}

} // namespace

class TestSimState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileRoundTrip();
    void badFilesAreRejected_data();
    void badFilesAreRejected();
    void changesAreSavedBeforeTheAnswer();
    void unsavableChangeIsRefusedAndUndone();
    void requestsItCannotRead();
    void generatedTerminals();
};

void TestSimState::fileRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.json"));
    const SimState s = fullState();
    QVERIFY(s.save(path));
    QString error;
    const std::optional<SimState> r = SimState::load(path, &error);
    QVERIFY2(r, qPrintable(error));
    QCOMPARE(r->machine, 9);
    QCOMPARE(r->firmware, s.firmware);
    QCOMPARE(r->clockOffsetSeconds, qint64(-3600));
    QCOMPARE(r->clockEnabled, false);
    QCOMPARE(r->restarts, 2);
    QCOMPARE(r->powerOffs, 1);
    QCOMPARE(r->refreshes, 4);
    QCOMPARE(r->params, s.params);
    QCOMPARE(r->displayText, s.displayText);
    QCOMPARE(r->displayColumn, 1);
    QCOMPARE(r->users.size(), 1);
    const SimUser& u = r->users.first();
    QCOMPARE(u.number, QStringLiteral("007"));
    QCOMPARE(u.name, s.users.first().name);
    QCOMPARE(u.password, s.users.first().password);
    QCOMPARE(u.privilege, 2);
    QCOMPARE(u.enabled, false);
    QCOMPARE(u.card, QStringLiteral("4005123"));
    QCOMPARE(u.templates, s.users.first().templates);
    QCOMPARE(r->punches.size(), 1);
    const SimPunch& p = r->punches.first();
    QCOMPARE(p.user, QStringLiteral("007"));
    QCOMPARE(p.verifyMode, 2);
    QCOMPARE(p.inOutMode, 5);
    QCOMPARE(p.year, 2026);
    QCOMPARE(p.month, 3);
    QCOMPARE(p.day, 7);
    QCOMPARE(p.hour, 8);
    QCOMPARE(p.minute, 5);
    QCOMPARE(p.second, 9);
    QCOMPARE(p.workCode, 3);
    QCOMPARE(r->operations.size(), 1);
    QCOMPARE(r->operations.first().values, s.operations.first().values);
    // Found by value as well as by its own text.
    QVERIFY(r->findUser(QStringLiteral("7")));
    QVERIFY(!r->findUser(QStringLiteral("70")));
}

void TestSimState::badFilesAreRejected_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not json") << QByteArray("{\"machine\": 1,");
    QTest::newRow("array") << QByteArray("[]");
    QTest::newRow("same user twice")
        << QByteArray(R"({"users":[{"number":"7"},{"number":"007"}]})");
    QTest::newRow("user without number") << QByteArray(R"({"users":[{"name":"x"}]})");
    QTest::newRow("finger 12") << QByteArray(
        R"({"users":[{"number":"1","templates":{"12":"x"}}]})");
    QTest::newRow("no such day") << QByteArray(
        R"({"attendance":[{"user":"1","time":"2026-02-30 08:00:00"}]})");
    QTest::newRow("time without seconds")
        << QByteArray(R"({"attendance":[{"user":"1","time":"2026-02-03 08:00"}]})");
    QTest::newRow("operation at 25 o'clock")
        << QByteArray(R"({"operations":[{"operation":1,"time":"2026-02-03 25:00"}]})");
}

void TestSimState::badFilesAreRejected()
{
    QFETCH(QByteArray, json);
    QString error;
    QVERIFY(!SimState::fromJson(json, &error));
    QVERIFY(!error.isEmpty());
}

void TestSimState::changesAreSavedBeforeTheAnswer()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.json"));
    QVERIFY(fullState().save(path));
    SimTerminal t;
    QVERIFY(t.open(path));

    QVERIFY(answerOf(t, R"({"id":1,"op":"setUser","m":9,"user":"12","name":"Zoë","password":"",)"
                        R"("privilege":0,"enabled":true,"card":"99"})")
                .value(QLatin1String("ok"))
                .toBool());
    const SimUser* u = SimState::load(path)->findUser(QStringLiteral("12"));
    QVERIFY(u);
    QCOMPARE(u->name, QStringLiteral("Zoë"));
    QCOMPARE(u->card, QStringLiteral("99"));

    QVERIFY(answerOf(t, R"({"id":2,"op":"clearLog","m":9})").value(QLatin1String("ok")).toBool());
    QVERIFY(SimState::load(path)->punches.isEmpty());

    QVERIFY(answerOf(t, R"({"id":3,"op":"restart","m":9})").value(QLatin1String("ok")).toBool());
    QCOMPARE(SimState::load(path)->restarts, 3);

    // Reads change nothing on disk.
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QVERIFY(answerOf(t, R"({"id":4,"op":"readUsers","m":9})").value(QLatin1String("ok")).toBool());
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestSimState::unsavableChangeIsRefusedAndUndone()
{
    QTemporaryDir dir;
    SimTerminal t(fullState());
    t.setStateFile(dir.filePath(QStringLiteral("gone/t.json")));
    const QJsonObject a = answerOf(t, R"({"id":5,"op":"clearLog","m":9})");
    QCOMPARE(a.value(QLatin1String("id")).toInt(), 5);
    QCOMPARE(a.value(QLatin1String("ok")).toBool(true), false);
    QCOMPARE(t.state().punches.size(), 1);
    QVERIFY(!answerOf(t, R"({"id":6,"op":"deleteEnroll","m":9,"user":"7","backup":12})")
                 .value(QLatin1String("ok"))
                 .toBool());
    QCOMPARE(t.state().users.size(), 1);
}

void TestSimState::requestsItCannotRead()
{
    SimTerminal t(fullState());
    QVERIFY(t.answer("   ").bytes.isEmpty());
    const SimReply garbage = t.answer("{not json");
    QVERIFY(garbage.bytes.endsWith('\n'));
    QCOMPARE(
        QJsonDocument::fromJson(garbage.bytes).object().value(QLatin1String("ok")).toBool(true),
        false);
    QCOMPARE(answerOf(t, R"({"id":8,"op":"selfDestruct","m":9})")
                 .value(QLatin1String("ok"))
                 .toBool(true),
             false);
    QCOMPARE(answerOf(t, R"({"id":9,"op":"status","m":9,"code":"6"})")
                 .value(QLatin1String("ok"))
                 .toBool(true),
             false);
    // The greeting starts with a newline, which ends any half line left on a serial line.
    QVERIFY(t.answer(R"({"id":1,"op":"hello"})").bytes.startsWith("\n{"));
}

void TestSimState::generatedTerminals()
{
    const SimState bulk = SimGenerator::bulk(1234, 4);
    QCOMPARE(bulk.machine, 4);
    QCOMPARE(bulk.punches.size(), 1234);
    QVERIFY(SimState::fromJson(bulk.toJson()));

    for (int m = 1; m <= 3; ++m) {
        const SimState demo = SimGenerator::demo(m, QDate(2026, 3, 20));
        QCOMPARE(demo.machine, m);
        QCOMPARE(demo.users.size(), 20);
        QVERIFY(demo.punches.size() >= 100);
        QVERIFY(!demo.operations.isEmpty());
        const std::optional<SimState> again = SimState::fromJson(demo.toJson());
        QVERIFY(again);
        QCOMPARE(again->punches.size(), demo.punches.size());
        QCOMPARE(again->findUser(QStringLiteral("4"))->name, QStringLiteral("Siobhan O'Brien"));
    }
}

QTEST_GUILESS_MAIN(TestSimState)
#include "tst_simstate.moc"
