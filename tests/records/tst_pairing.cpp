// The open-shift pairing over the demo database: pairs across midnight, double presses, the
// day before, holiday and weekend credit, reruns, and what a failure leaves behind.

#include "records/OpenShiftPairing.h"
#include "records/PairingValues.h"
#include "records/PunchFeed.h"
#include "support/TestSupport.h"

#include <QLocale>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {
// Copies punches into the backup table numbered in the order given, as the feed leaves
// them. A punch reads "yyyy-MM-dd HH:mm:ss in|out|ot", with " 24h" to store its time in
// the 24-hour spelling instead of AM/PM.
void copy(Db& db, int emp, const QStringList& punches)
{
    for (const QString& text : punches) {
        const QStringList f = text.split(QLatin1Char(' '));
        const QTime time = QTime::fromString(f[1], QStringLiteral("HH:mm:ss"));
        const int inOut = f[2] == QLatin1String("in") ? 0 : f[2] == QLatin1String("out") ? 1 : 4;
        const QVariant largest =
            db.scalar(QStringLiteral("SELECT MAX(Indx) FROM Tbl_Emp_Attn_Log_Temp_Bck"));
        db.execute(
            QStringLiteral("INSERT INTO Tbl_Emp_Attn_Log_Temp_Bck VALUES (?, ?, 1, ?, ?, ?, 1)"),
            {largest.isNull() ? 0 : largest.toInt() + 1, emp, inOut, f[0],
             f.size() > 3 ? PairingValues::timeText(time) : PairingValues::amPmText(time)});
    }
}

// The employee's day rows: "TDATE>TDATE_OUT INTIME-OUTTIME #COUNTER" and the remark.
QStringList dayRows(Db& db, int emp)
{
    QStringList rows;
    QSqlQuery q =
        db.exec(QStringLiteral("SELECT TDATE, TDATE_OUT, INTIME, OUTTIME, COUNTER, INREMARKS "
                               "FROM Tbl_Emp_Attn_Log_General WHERE EMP_ID = ? "
                               "ORDER BY TDATE, INTIME"),
                {emp});
    while (q.next()) {
        QString row = QStringLiteral("%1>%2 %3-%4 #%5")
                          .arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                               q.value(3).isNull() ? QStringLiteral("NULL") : q.value(3).toString(),
                               q.value(4).toString());
        if (!q.value(5).toString().isEmpty())
            row += QLatin1Char(' ') + q.value(5).toString();
        rows.append(row);
    }
    return rows;
}

QStringList column(Db& db, const QString& sql, const QVariantList& params = {})
{
    QStringList values;
    QSqlQuery q = db.exec(sql, params);
    while (q.next())
        values.append(q.value(0).toString());
    return values;
}

// Every row of the tables the feed and the pairing write, for comparing two runs.
QStringList everything(Db& db)
{
    QStringList rows;
    const QStringList tables = {
        QStringLiteral("Tbl_Emp_Attn_Log_Temp_Bck"), QStringLiteral("Tbl_Emp_Attn_Log_Temp"),
        QStringLiteral("Tbl_Emp_Attn_Log_General"), QStringLiteral("Tbl_Org_Leave_Info"),
        QStringLiteral("Tbl_Org_Leave_Log")};
    for (const QString& table : tables) {
        QSqlQuery q = db.exec(QStringLiteral("SELECT * FROM ") + table);
        QStringList part;
        while (q.next()) {
            QStringList fields;
            for (int i = 0; i < q.record().count(); ++i)
                fields.append(q.value(i).isNull() ? QStringLiteral("NULL") : q.value(i).toString());
            part.append(table + QLatin1Char(':') + fields.join(QLatin1Char('|')));
        }
        part.sort();
        rows += part;
    }
    return rows;
}

void pair(Db& db, int emp, QVector<OpenShiftPairing::HelperError>* errors = nullptr)
{
    OpenShiftPairing pairing(db, 1);
    pairing.ExtDataToDBOpenShift(emp);
    if (errors)
        *errors = pairing.helperErrors();
}
} // namespace

class TestPairing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_database = std::make_unique<TempDatabase>(true);
        m_database->db().execute(QStringLiteral(
            "INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName) VALUES (40000, 'Ines')"));
    }
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        m_database.reset();
    }

    void pairs_data()
    {
        QTest::addColumn<int>("emp");
        QTest::addColumn<QStringList>("punches");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("progress");
        QTest::addColumn<QString>("locale");

        QTest::newRow("night shift")
            << 1 << QStringList{"2026-12-07 22:00:00 in", "2026-12-08 06:00:00 out"}
            << QStringList{"2026-12-07>2026-12-08 22:00:00-06:00:00 #1"} << 2 << QString();
        QTest::newRow("closed at midnight")
            << 1 << QStringList{"2026-12-07 16:00:00 in", "2026-12-08 00:00:00 out"}
            << QStringList{"2026-12-07>2026-12-08 16:00:00-00:00:00 #1"} << 2 << QString();
        QTest::newRow("copies in 24-hour spelling")
            << 1 << QStringList{"2026-12-07 22:00:00 in 24h", "2026-12-08 06:00:00 out 24h"}
            << QStringList{"2026-12-07>2026-12-08 22:00:00-06:00:00 #1"} << 2 << QString();
        QTest::newRow("sign-ins 23:57 and 23:59")
            << 1 << QStringList{"2026-12-07 23:57:00 in", "2026-12-07 23:59:00 in"}
            << QStringList{"2026-12-07>2026-12-07 23:57:00-NULL #1"} << 1 << QString();
        QTest::newRow("sign-ins 00:01 and 00:03")
            << 1 << QStringList{"2026-12-08 00:01:00 in", "2026-12-08 00:03:00 in"}
            << QStringList{"2026-12-08>2026-12-08 00:01:00-NULL #1"} << 1 << QString();
        QTest::newRow("sign-ins either side of midnight")
            << 1 << QStringList{"2026-12-07 23:59:00 in", "2026-12-08 00:01:00 in"}
            << QStringList{"2026-12-07>2026-12-07 23:59:00-NULL #1",
                           "2026-12-08>2026-12-08 00:01:00-NULL #1"}
            << 2 << QString();
        QTest::newRow("two open the day before: the later closes")
            << 1
            << QStringList{"2026-12-07 08:00:00 in", "2026-12-07 20:00:00 in",
                           "2026-12-08 06:00:00 out"}
            << QStringList{"2026-12-07>2026-12-07 08:00:00-NULL #1",
                           "2026-12-07>2026-12-08 20:00:00-06:00:00 #1"}
            << 3 << QString();
        QTest::newRow("1 January closes 31 December")
            << 1 << QStringList{"2026-12-31 22:00:00 in", "2027-01-01 06:00:00 out"}
            << QStringList{"2026-12-31>2027-01-01 22:00:00-06:00:00 #1"} << 2 << "de_DE";
        QTest::newRow("1 March closes 28 February")
            << 1 << QStringList{"2027-02-28 22:00:00 in", "2027-03-01 06:00:00 out"}
            << QStringList{"2027-02-28>2027-03-01 22:00:00-06:00:00 #1"} << 2 << "en_GB";
        QTest::newRow("double press after a night shift")
            << 1
            << QStringList{"2026-12-07 22:00:00 in", "2026-12-08 06:00:00 out",
                           "2026-12-08 06:01:00 out"}
            << QStringList{"2026-12-07>2026-12-08 22:00:00-06:00:00 #1"} << 2 << QString();
        QTest::newRow("double press either side of midnight")
            << 1
            << QStringList{"2026-12-07 16:00:00 in", "2026-12-07 23:58:00 out",
                           "2026-12-08 00:01:00 out"}
            << QStringList{"2026-12-07>2026-12-07 16:00:00-23:58:00 #1"} << 2 << QString();
        QTest::newRow("sign-out 30 s after a finished pair")
            << 1
            << QStringList{"2026-12-07 08:00:00 in", "2026-12-08 08:00:00 in",
                           "2026-12-08 16:00:00 out", "2026-12-08 16:00:30 out"}
            << QStringList{"2026-12-07>2026-12-07 08:00:00-NULL #1",
                           "2026-12-08>2026-12-08 08:00:00-16:00:00 #1"}
            << 3 << QString();
        QTest::newRow("sign-out 2 h after a finished pair")
            << 1
            << QStringList{"2026-12-07 08:00:00 in", "2026-12-08 08:00:00 in",
                           "2026-12-08 16:00:00 out", "2026-12-08 18:00:00 out"}
            << QStringList{"2026-12-07>2026-12-08 08:00:00-18:00:00 #1",
                           "2026-12-08>2026-12-08 08:00:00-16:00:00 #1"}
            << 4 << QString();
        QTest::newRow("in, out, in")
            << 1
            << QStringList{"2026-12-07 08:00:00 in", "2026-12-07 12:00:00 out",
                           "2026-12-07 13:00:00 in"}
            << QStringList{"2026-12-07>2026-12-07 08:00:00-12:00:00 #1",
                           "2026-12-07>2026-12-07 13:00:00-NULL #2"}
            << 3 << QString();
        QTest::newRow("sign-out 3 minutes after the sign-in is dropped")
            << 1 << QStringList{"2026-12-07 08:00:00 in", "2026-12-07 08:03:00 out"}
            << QStringList{"2026-12-07>2026-12-07 08:00:00-NULL #1"} << 2 << QString();
        QTest::newRow("sign-out drops the sign-ins just before it")
            << 1
            << QStringList{"2026-12-07 08:00:00 in", "2026-12-07 16:57:00 in",
                           "2026-12-07 17:00:00 out"}
            << QStringList{"2026-12-07>2026-12-07 08:00:00-17:00:00 #1"} << 3 << QString();
        QTest::newRow("a later sign-out drops a posted sign-in just before it")
            << 1
            << QStringList{"2026-12-07 08:00:00 in", "2026-12-07 16:57:00 in", "|",
                           "2026-12-07 17:00:00 out"}
            << QStringList{"2026-12-07>2026-12-07 08:00:00-17:00:00 #1"} << 1 << QString();
        QTest::newRow("a posted sign-in again takes the day's pairs")
            << 1 << QStringList{"2026-12-07 08:00:00 in", "2026-12-07 12:00:00 out",
                                "2026-12-07 13:00:00 in", "|",
                                "2026-12-07 08:00:00 in", "2026-12-07 17:00:00 out"}
            << QStringList{"2026-12-07>2026-12-07 08:00:00-12:00:00 #1",
                           "2026-12-07>2026-12-07 13:00:00-NULL #2"}
            << 2 << QString();
        QTest::newRow("overtime codes change nothing")
            << 1
            << QStringList{"2026-12-07 08:00:00 in", "2026-12-07 12:00:00 ot",
                           "2026-12-07 17:00:00 out"}
            << QStringList{"2026-12-07>2026-12-07 08:00:00-17:00:00 #1"} << 3 << QString();
        QTest::newRow("lone sign-out")
            << 1 << QStringList{"2026-12-07 17:00:00 out"}
            << QStringList{"2026-12-07>2026-12-07 17:00:00-NULL #1 System Auto Sign In"} << 1
            << QString();
        QTest::newRow("employee 40000")
            << 40000 << QStringList{"2026-12-07 08:00:00 in", "2026-12-07 17:00:00 out"}
            << QStringList{"2026-12-07>2026-12-07 08:00:00-17:00:00 #1"} << 2 << QString();
        QTest::newRow("no punches") << 2 << QStringList() << QStringList() << 0 << QString();
        QTest::newRow("a call after posted pairs")
            << 1 << QStringList{"2026-12-07 08:00:00 in",  "2026-12-07 17:00:00 out",
                                "2026-12-08 22:00:00 in",  "|",
                                "2026-12-07 08:00:00 in",  "2026-12-07 17:01:00 out",
                                "2026-12-07 18:00:00 out", "2026-12-09 06:00:00 out"}
            << QStringList{"2026-12-07>2026-12-07 08:00:00-17:00:00 #1",
                           "2026-12-07>2026-12-07 18:00:00-NULL #1 System Auto Sign In",
                           "2026-12-08>2026-12-09 22:00:00-06:00:00 #1"}
            << 3 << QString();
    }

    void pairs()
    {
        QFETCH(int, emp);
        QFETCH(QStringList, punches);
        QFETCH(QStringList, rows);
        QFETCH(int, progress);
        QFETCH(QString, locale);
        if (!locale.isEmpty())
            QLocale::setDefault(QLocale(locale));
        Db& db = m_database->db();
        for (const QString& entry : punches)
            entry == QLatin1String("|") ? pair(db, emp) : copy(db, emp, {entry});
        // Another employee's punches stay apart.
        copy(db, 3, {QStringLiteral("2026-12-07 07:00:00 in")});

        QVector<int> bar;
        OpenShiftPairing pairing(db, 1, [&](int value, int maximum) {
            QCOMPARE(maximum, punches.size() - punches.lastIndexOf(QLatin1String("|")) - 1);
            bar.append(value);
        });
        pairing.ExtDataToDBOpenShift(emp);
        QCOMPARE(dayRows(db, emp), rows);
        QCOMPARE(bar.constLast(), progress);
        QVERIFY(!db.exists(QStringLiteral("SELECT 1 FROM Tbl_Emp_Attn_Log_Temp WHERE IsNew = 1")));
        QVERIFY(pairing.helperErrors().isEmpty());
        QCOMPARE(column(db, QStringLiteral(
                                "SELECT COUNT(*) FROM Tbl_Emp_Attn_Log_Temp_Bck WHERE IsNew = 1")),
                 QStringList{"1"});
    }

    // A second pair on a day that ends a Double Duty pair takes the place of that pair.
    void doubleDutyDay()
    {
        Db& db = m_database->db();
        db.execute(
            QStringLiteral("INSERT INTO Tbl_Emp_Attn_Log_General (EMP_ID, WORKHOUR_ID, TDATE, "
                           "TDATE_OUT, INTIME, OUTTIME, COUNTER, INREMARKS) VALUES "
                           "(1, 1, '2026-12-06', '2026-12-07', '22:00:00', '06:00:00', 1, "
                           "'Double Duty')"));
        db.execute(
            QStringLiteral("INSERT INTO Tbl_Emp_Attn_Log_Temp (Emp_Id, TDate, INTime, OutTIme, "
                           "OutDate, counter, IsNew, Remarks) VALUES (1, '2026-12-06', "
                           "'22:00:00', '06:00:00', '2026-12-07', 1, 0, 'Double Duty')"));
        copy(db, 1,
             {QStringLiteral("2026-12-07 08:00:00 in"), QStringLiteral("2026-12-07 12:00:00 out"),
              QStringLiteral("2026-12-07 13:00:00 in")});
        QVERIFY(OpenShiftPairing(db, 1).IsDoubleDutyOut(1, QDate(2026, 12, 7)));
        pair(db, 1);
        QCOMPARE(dayRows(db, 1), QStringList({"2026-12-07>2026-12-07 08:00:00-12:00:00 #1",
                                              "2026-12-07>2026-12-07 13:00:00-NULL #1"}));
        QCOMPARE(
            column(db,
                   QStringLiteral(
                       "SELECT COUNT(*) FROM Tbl_Emp_Attn_Log_Temp WHERE Remarks = 'Double Duty'")),
            QStringList{"0"});
    }

    void credit_data()
    {
        QTest::addColumn<int>("emp");
        QTest::addColumn<QStringList>("punches");
        QTest::addColumn<QString>("statuses");
        QTest::addColumn<QString>("workHours");
        QTest::addColumn<int>("given"); // -1: no leave granted

        const QStringList christmas{"2026-12-25 08:00:00 in", "2026-12-25 17:00:00 out"};
        QTest::newRow("holiday on his Friday weekend") << 16 << christmas << "1"
                                                       << "1" << 1;
        QTest::newRow("holiday, two pairs")
            << 16
            << QStringList{"2026-12-25 08:00:00 in", "2026-12-25 12:00:00 out",
                           "2026-12-25 13:00:00 in", "2026-12-25 17:00:00 out"}
            << "1,1"
            << "1,1" << 1;
        QTest::newRow("holiday, open pair") << 16 << QStringList{"2026-12-25 08:00:00 in"} << "1"
                                            << "1" << 1;
        QTest::newRow("his Friday weekend")
            << 16 << QStringList{"2026-12-18 08:00:00 in", "2026-12-18 17:00:00 out"} << "1"
            << "1" << 1;
        QTest::newRow("his working Thursday")
            << 16 << QStringList{"2026-12-24 08:00:00 in", "2026-12-24 17:00:00 out"} << "0"
            << "3" << -1;
        QTest::newRow("weekend uncounted on Saturday")
            << 12 << QStringList{"2026-12-26 08:00:00 in", "2026-12-26 12:00:00 out"} << "0"
            << "2" << -1;
        QTest::newRow("weekend uncounted, holiday counts") << 12 << christmas << "1"
                                                           << "1" << 1;
        QTest::newRow("Sunday") << 1
                                << QStringList{"2026-12-27 08:00:00 in", "2026-12-27 12:00:00 out"}
                                << "2"
                                << "1" << -1;
        QTest::newRow("Monday") << 1
                                << QStringList{"2026-12-28 08:00:00 in", "2026-12-28 12:00:00 out"}
                                << "0"
                                << "1" << -1;
    }

    void credit()
    {
        QFETCH(int, emp);
        QFETCH(QStringList, punches);
        QFETCH(QString, statuses);
        QFETCH(QString, workHours);
        QFETCH(int, given);
        Db& db = m_database->db();
        copy(db, emp, punches);
        pair(db, emp);
        const QString order =
            QStringLiteral(" FROM Tbl_Emp_Attn_Log_General WHERE EMP_ID = ? ORDER BY INTIME");
        QCOMPARE(
            column(db, QStringLiteral("SELECT ATT_STATUS") + order, {emp}).join(QLatin1Char(',')),
            statuses);
        QCOMPARE(
            column(db, QStringLiteral("SELECT WORKHOUR_ID") + order, {emp}).join(QLatin1Char(',')),
            workHours);
        const QStringList granted =
            column(db,
                   QStringLiteral("SELECT l.Given FROM Tbl_Org_Leave_Log l JOIN Tbl_Org_Leave_Info "
                                  "i ON i.Leave_Id = l.Leave_Id "
                                  "WHERE i.Leave_Name = 'Substitute Leave' AND l.Emp_Id = ?"),
                   {emp});
        QCOMPARE(granted, given < 0 ? QStringList() : QStringList{QString::number(given)});
        if (given > 0)
            QCOMPARE(column(db, QStringLiteral("SELECT Leave_Id || ',' || Leave_Days || ',' || "
                                               "Leave_Type FROM Tbl_Org_Leave_Info "
                                               "WHERE Leave_Name = 'Substitute Leave'")),
                     QStringList{"3,1,2"});
    }

    // The posting pass over pairing rows as they stand: the verify text, the working hours
    // and what a closed pair takes with it.
    void posting_data()
    {
        QTest::addColumn<QStringList>(
            "pairs"); // tdate intime outtime outdate verify verifyout isnew
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("posted"); // INMODE|OUTMODE|WORKHOUR_ID
        QTest::addColumn<QStringList>("left");   // INTime of the pairing rows left

        QTest::newRow("no sign-out code")
            << QStringList{"2026-12-24 08:00:00 17:00:00 2026-12-24 2 - 1"} << QString()
            << QStringList{"Password|Password|3"} << QStringList();
        QTest::newRow("no codes at all")
            << QStringList{"2026-12-24 08:00:00 17:00:00 2026-12-24 - - 1"} << QString()
            << QStringList{"Card|Card|3"} << QStringList();
        QTest::newRow("in by finger, out by card")
            << QStringList{"2026-12-24 08:00:00 17:00:00 2026-12-24 1 0 1"} << QString()
            << QStringList{"FPrint|Card|3"} << QStringList();
        QTest::newRow("no working hours")
            << QStringList{"2026-12-24 08:00:00 - - 1 - 1"} << "DELETE FROM Tbl_Org_WorkingHrs"
            << QStringList{"FPrint|FPrint|1"} << QStringList{"08:00:00"};
        QTest::newRow("a closed pair takes rows neither later nor later in the day")
            << QStringList{"2026-12-24 09:00:00 - - 1 - 0", "2026-12-24 07:00:00 - - 1 - 0",
                           "2026-12-23 10:00:00 - - 1 - 0", "2026-12-22 07:30:00 - - 1 - 0",
                           "2026-12-24 08:00:00 17:00:00 2026-12-24 1 1 1"}
            << QString() << QStringList{"FPrint|FPrint|3"} << QStringList{"09:00:00", "10:00:00"};
        QTest::newRow("night shift whose sign-in an earlier call posted")
            << QStringList{"2026-12-24 22:00:00 06:00:00 2026-12-25 1 0 1"}
            << "INSERT INTO Tbl_Emp_Attn_Log_General (EMP_ID, WORKHOUR_ID, TDATE, INTIME, INMODE, "
               "OUTMODE) VALUES (16, 3, '2026-12-24', '22:00:00', 'FPrint', 'FPrint')"
            << QStringList{"FPrint|Card|3"} << QStringList{"22:00:00"};
    }

    void posting()
    {
        QFETCH(QStringList, pairs);
        QFETCH(QString, fault);
        QFETCH(QStringList, posted);
        QFETCH(QStringList, left);
        Db& db = m_database->db();
        if (!fault.isEmpty())
            db.execute(fault);
        for (const QString& text : pairs) {
            QVariantList values{16};
            for (const QString& f : text.split(QLatin1Char(' ')))
                values.append(f == QLatin1String("-") ? QVariant() : QVariant(f));
            db.execute(QStringLiteral("INSERT INTO Tbl_Emp_Attn_Log_Temp (Emp_Id, TDate, INTime, "
                                      "OutTIme, OutDate, Verify, VerifyOut, IsNew, counter) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, 1)"),
                       values);
        }
        OpenShiftPairing(db, 1).postingPass(16);
        QCOMPARE(column(db, QStringLiteral("SELECT INMODE || '|' || OUTMODE || '|' || WORKHOUR_ID "
                                           "FROM Tbl_Emp_Attn_Log_General")),
                 posted);
        QCOMPARE(
            column(db, QStringLiteral("SELECT INTime FROM Tbl_Emp_Attn_Log_Temp ORDER BY INTime")),
            left);
    }

    // A second call, with or without new punches fed in between, changes nothing.
    void rerunChangesNothing()
    {
        Db& db = m_database->db();
        const QStringList punches{"16 2026-12-24 22:00:00 0", "16 2026-12-25 06:00:00 1",
                                  "16 2026-12-25 14:00:00 0", "16 2026-12-25 14:00:40 0",
                                  "16 2026-12-25 22:00:00 1", "12 2026-12-26 08:00:00 0",
                                  "12 2026-12-26 17:00:00 1", "12 2026-12-26 17:01:00 1",
                                  "1 2026-12-27 09:00:00 1",  "1 2026-12-28 00:00:00 0"};
        for (const QString& p : punches) {
            const QStringList f = p.split(QLatin1Char(' '));
            db.execute(QStringLiteral("INSERT INTO Tbl_DeviceAttenLog (Emp_ID, VerifyMode, "
                                      "InOutMode, LogDate, LogTime, ExtractedFrom, isnew) "
                                      "VALUES (?, 1, ?, ?, ?, 1, 1)"),
                       {f[0].toInt(), f[3].toInt(), f[1], f[2]});
        }
        auto run = [&] {
            PunchFeed(db).CopyDeviceLogToTempBck();
            for (int emp : {16, 12, 1})
                pair(db, emp);
            return everything(db);
        };
        const QStringList first = run();
        QVERIFY(first.filter(QStringLiteral("Tbl_Emp_Attn_Log_General:")).size() >= 4);
        QCOMPARE(run(), first);
        // Day rows the operator corrected, and then deleted, stay as he left them.
        for (const char* change : {"UPDATE Tbl_Emp_Attn_Log_General SET OUTTIME = '23:00:00'",
                                   "DELETE FROM Tbl_Emp_Attn_Log_General"}) {
            db.execute(QLatin1String(change));
            const QStringList left = everything(db);
            QCOMPARE(run(), left);
        }
    }

    // A punch the database refuses halfway is undone whole; those before it stay, and once
    // the refusal is gone a second call ends where an uninterrupted one does.
    void failingPunchKeepsThoseBefore()
    {
        const QStringList punches{"2026-12-07 22:00:00 in", "2026-12-08 06:00:00 out",
                                  "2026-12-08 22:00:00 in", "2026-12-09 06:00:00 out"};
        TempDatabase whole(true);
        copy(whole.db(), 16, punches);
        pair(whole.db(), 16);

        Db& db = m_database->db();
        copy(db, 16, punches);
        // Refuses the mark of the fourth punch, after its own changes are written.
        db.execDirect(QStringLiteral(
            "CREATE TRIGGER refuse AFTER UPDATE OF IsNew ON Tbl_Emp_Attn_Log_Temp_Bck "
            "WHEN (SELECT COUNT(*) FROM Tbl_Emp_Attn_Log_Temp_Bck WHERE IsNew = 0) > 3 "
            "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY_THROWS_EXCEPTION(DbError, pair(db, 16));
        QCOMPARE(column(db, QStringLiteral("SELECT OutTIme IS NULL FROM Tbl_Emp_Attn_Log_Temp "
                                           "WHERE TDate = '2026-12-08'")),
                 QStringList{"1"});
        QCOMPARE(column(db, QStringLiteral(
                                "SELECT Indx FROM Tbl_Emp_Attn_Log_Temp_Bck WHERE IsNew = 1")),
                 QStringList{"3"});
        QVERIFY(dayRows(db, 16).isEmpty());

        db.execDirect(QStringLiteral("DROP TRIGGER refuse"));
        pair(db, 16);
        QCOMPARE(everything(db), everything(whole.db()));
    }

    // A verify code the pairing table cannot hold stops at that punch, on SQLite as on
    // SQL Server, instead of being stored by one database and refused by the other.
    void verifyCodeOutOfRangeWaits()
    {
        Db& db = m_database->db();
        copy(db, 16, {"2026-12-07 08:00:00 in", "2026-12-07 17:00:00 out"});
        db.execute(QStringLiteral("UPDATE Tbl_Emp_Attn_Log_Temp_Bck SET VerifyMode = 300 "
                                  "WHERE Indx = 1"));
        QVERIFY_THROWS_EXCEPTION(DbError, pair(db, 16));
        QCOMPARE(column(db, QStringLiteral(
                                "SELECT Indx FROM Tbl_Emp_Attn_Log_Temp_Bck WHERE IsNew = 1")),
                 QStringList{"1"});
        // So does a day after the last SQL Server's day columns hold, which SQLite holds.
        QVERIFY(!PairingValues::heldDateOf(Dialect(Dialect::SqlServer), "2079-06-07").isValid());
        QVERIFY(PairingValues::heldDateOf(Dialect(), "2079-06-07").isValid());
        db.execute("INSERT INTO Tbl_Emp_Attn_Log_Temp (Emp_Id, TDate) VALUES (1, '1899-12-31')");
        copy(db, 1,
             {"1900-01-01 06:00:00 out", "2079-06-06 08:00:00 in", "2079-06-07 08:00:00 in"});
        OpenShiftPairing server(db, 1);
        server.setDialect(Dialect(Dialect::SqlServer));
        QVERIFY_THROWS_EXCEPTION(DbError, server.pairingPass(1));
        QCOMPARE(column(db, "SELECT TDate FROM Tbl_Emp_Attn_Log_Temp WHERE OutTIme IS NULL"),
                 QStringList({"2026-12-07", "1899-12-31", "1900-01-01", "2079-06-06"}));
    }

    void failingHelperLetsThePassGoOn_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("procName");
        QTest::addColumn<QString>("statuses");

        QTest::newRow("Add_SubstituteLeave")
            << "CREATE TRIGGER refuse BEFORE INSERT ON Tbl_Org_Leave_Log BEGIN SELECT RAISE(ABORT, "
               "'refused'); END"
            << "Add_SubstituteLeave()"
            << "0,1";
        QTest::newRow("get_Cate") << "ALTER TABLE Tbl_Emp_DBID RENAME TO Tbl_Emp_DBID_Gone"
                                  << "get_Cate ()"
                                  << "0,0";
    }

    void failingHelperLetsThePassGoOn()
    {
        QFETCH(QString, fault);
        QFETCH(QString, procName);
        QFETCH(QString, statuses);
        Db& db = m_database->db();
        db.execDirect(fault);
        copy(db, 16,
             {QStringLiteral("2026-12-24 08:00:00 in"), QStringLiteral("2026-12-24 17:00:00 out"),
              QStringLiteral("2026-12-25 08:00:00 in"), QStringLiteral("2026-12-25 17:00:00 out")});
        QVector<OpenShiftPairing::HelperError> errors;
        pair(db, 16, &errors);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0].procName, procName);
        QCOMPARE(column(db, QStringLiteral(
                                "SELECT ATT_STATUS FROM Tbl_Emp_Attn_Log_General ORDER BY TDATE"))
                     .join(QLatin1Char(',')),
                 statuses);
        // The leave type made by the failing grant went with it.
        QCOMPARE(column(db, QStringLiteral("SELECT COUNT(*) FROM Tbl_Org_Leave_Info WHERE "
                                           "Leave_Name = 'Substitute Leave'")),
                 QStringList{"0"});
        QCOMPARE(column(db, QStringLiteral("SELECT COUNT(*) FROM Tbl_Emp_Attn_Log_Temp")),
                 QStringList{"0"});
    }

private:
    std::unique_ptr<TempDatabase> m_database;
};

QTEST_GUILESS_MAIN(TestPairing)
#include "tst_pairing.moc"
