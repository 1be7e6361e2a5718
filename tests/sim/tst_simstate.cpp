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
    void changesAreSavedTogether();
    void unsavableChangeIsRefusedAndUndone();
    void userIndexFollowsChanges();
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
    QTest::addColumn<QString>("field"); // named in the message
    QTest::newRow("not json") << QByteArray("{\"machine\": 1,") << "JSON";
    QTest::newRow("array") << QByteArray("[]") << "JSON";
    QTest::newRow("same user twice")
        << QByteArray(R"({"users":[{"number":"7"},{"number":"007"}]})") << "users[1].number";
    QTest::newRow("user without number")
        << QByteArray(R"({"users":[{"name":"x"}]})") << "users[0].number";
    QTest::newRow("negative user number")
        << QByteArray(R"({"users":[{"number":"1"},{"number":"-5"}]})") << "users[1].number";
    QTest::newRow("users as numbers") << QByteArray(R"({"users":[1,2]})") << "users[0]";
    QTest::newRow("user number as a number")
        << QByteArray(R"({"users":[{"number":12}]})") << "users[0].number";
    QTest::newRow("attendance not a list")
        << QByteArray(R"({"attendance":{"user":"1"}})") << "attendance";
    QTest::newRow("machine as text") << QByteArray(R"({"machine":"one"})") << "machine";
    QTest::newRow("finger 12") << QByteArray(R"({"users":[{"number":"1","templates":{"12":"x"}}]})")
                               << "users[0].templates.12";
    QTest::newRow("no such day")
        << QByteArray(R"({"attendance":[{"user":"1","time":"2026-02-30 08:00:00"}]})")
        << "attendance[0].time";
    QTest::newRow("time without seconds")
        << QByteArray(R"({"attendance":[{"user":"1","time":"2026-02-03 08:00"}]})")
        << "attendance[0].time";
    QTest::newRow("operation at 25 o'clock")
        << QByteArray(R"({"operations":[{"operation":1,"time":"2026-02-03 25:00"}]})")
        << "operations[0].time";
}

void TestSimState::badFilesAreRejected()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, field);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.json"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(json);
    f.close();
    QString error;
    QVERIFY(!SimState::load(path, &error));
    QVERIFY2(error.startsWith(path + QStringLiteral(": ")), qPrintable(error));
    QVERIFY2(error.contains(field), qPrintable(error));
}

void TestSimState::changesAreSavedTogether()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.json"));
    QVERIFY(fullState().save(path));
    SimTerminal t;
    QVERIFY(t.open(path));
    // No event loop runs here, so nothing is saved later unless asked.
    t.setSaveIntervalMs(3600 * 1000);

    // The first change after a quiet while is on disk before its answer.
    QVERIFY(answerOf(t, R"({"id":1,"op":"setUser","m":9,"user":"12","name":"Zoë","password":"",)"
                        R"("privilege":0,"enabled":true,"card":"99"})")
                .value(QLatin1String("ok"))
                .toBool());
    QCOMPARE(t.saves(), 1);
    const SimUser* u = SimState::load(path)->findUser(QStringLiteral("12"));
    QVERIFY(u);
    QCOMPARE(u->name, QStringLiteral("Zoë"));
    QCOMPARE(u->card, QStringLiteral("99"));

    // A run of changes right after it is saved once, together.
    for (int i = 0; i < 300; ++i)
        QVERIFY(answerOf(t, QStringLiteral(R"({"id":%1,"op":"writeTemplate","m":9,"user":"%2",)"
                                           R"("finger":%3,"template":"T%1"})")
                                .arg(i + 2)
                                .arg(100 + i / 3)
                                .arg(i % 3)
                                .toUtf8())
                    .value(QLatin1String("ok"))
                    .toBool());
    QVERIFY(answerOf(t, R"({"id":400,"op":"clearLog","m":9})").value(QLatin1String("ok")).toBool());
    QCOMPARE(t.saves(), 1);
    QVERIFY(t.saveState());
    QCOMPARE(t.saves(), 2);
    const std::optional<SimState> saved = SimState::load(path);
    QVERIFY(saved->punches.isEmpty());
    QCOMPARE(saved->users.size(), 102);
    QCOMPARE(saved->findUser(QStringLiteral("199"))->templates[2], QStringLiteral("T301"));

    // Reads change nothing on disk, and nothing is left to save.
    QVERIFY(
        answerOf(t, R"({"id":401,"op":"readUsers","m":9})").value(QLatin1String("ok")).toBool());
    QVERIFY(t.saveState());
    QCOMPARE(t.saves(), 2);
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

void TestSimState::userIndexFollowsChanges()
{
    SimTerminal t(fullState());
    auto ok = [&](const QString& request) {
        return answerOf(t, request.toUtf8()).value(QLatin1String("ok")).toBool();
    };
    for (int n = 1; n <= 5; ++n)
        QVERIFY(ok(QStringLiteral(R"({"id":1,"op":"setUser","m":9,"user":"%1","name":"U%1",)"
                                  R"("password":"","privilege":0,"enabled":true})")
                       .arg(n)));
    // Removing a user moves the ones behind it; each is still found as itself.
    QVERIFY(ok(QStringLiteral(R"({"id":2,"op":"deleteEnroll","m":9,"user":"2","backup":12})")));
    QVERIFY(!t.state().findUser(QStringLiteral("2")));
    QCOMPARE(t.state().findUser(QStringLiteral("7"))->number, QStringLiteral("007"));
    for (int n : {1, 3, 4, 5})
        QCOMPARE(t.state().findUser(QString::number(n))->name, QStringLiteral("U%1").arg(n));
    // Users put into the list directly are found too.
    SimUser direct;
    direct.number = QStringLiteral("42");
    t.state().users.append(direct);
    QVERIFY(t.state().findUser(QStringLiteral("0042")));
    t.state().users.removeFirst();
    QVERIFY(!t.state().findUser(QStringLiteral("7")));
    QCOMPARE(t.state().findUser(QStringLiteral("5"))->name, QStringLiteral("U5"));
    // A template for an unknown user brings it in at the end.
    QVERIFY(ok(QStringLiteral(
        R"({"id":3,"op":"writeTemplate","m":9,"user":"2","finger":1,"template":"X"})")));
    QCOMPARE(t.state().users.last().number, QStringLiteral("2"));
    QCOMPARE(t.state().findUser(QStringLiteral("2"))->templates[1], QStringLiteral("X"));
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
    const SimState bulk = SimGenerator::bulk(1234, 4, 30, 3, 17);
    QCOMPARE(bulk.machine, 4);
    QCOMPARE(bulk.punches.size(), 1234);
    QCOMPARE(bulk.users.size(), 30);
    QCOMPARE(bulk.users.last().fingerCount(), 3);
    QCOMPARE(bulk.operations.size(), 17);
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
        QCOMPARE(again->findUser(QStringLiteral("3"))->name, QStringLiteral("Siobhan O'Brien"));
    }
}

QTEST_GUILESS_MAIN(TestSimState)
#include "tst_simstate.moc"
