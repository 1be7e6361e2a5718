// The SQL script of daily attendance: which rows a range selects, the order and text of
// the lines, and that a loader running the lines stores each value unchanged.

#include "records/SqlScriptExport.h"
#include "support/TestSupport.h"

#include <QLocale>
#include <QSqlQuery>
#include <QtTest>

#include <memory>

namespace {
const QString kInsert =
    QStringLiteral("Insert Into attd (Employee_Id,Attd_Date,InTime,OutTime) values ('");
}

class TestSqlScript : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempDatabase> database;
    Db& db() { return database->db(); }

    // TDATE as SQLite keeps it: "yyyy-MM-dd", or with " HH:mm:ss" for a time of day.
    void attend(int emp, const QString& tdate, const QVariant& in, const QVariant& out)
    {
        db().exec(QStringLiteral("insert into Tbl_Emp_Attn_Log_General (EMP_ID, WORKHOUR_ID, "
                                 "TDATE, INTIME, OUTTIME) values (?, 1, ?, ?, ?)"),
                  {emp, tdate, in, out});
    }

    QString script(const QDate& from, const QDate& to)
    {
        return buildScript(readScriptRows(db(), from, to));
    }

private Q_SLOTS:
    void init()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        database = std::make_unique<TempDatabase>();
    }

    void cleanup()
    {
        database.reset();
        QLocale::setDefault(QLocale::system());
    }

    // The exact reverse of employee, day, times: the last employee's latest day first.
    void linesInReverseOrder()
    {
        attend(7, QStringLiteral("2026-03-02"), QStringLiteral("08:00:00"),
               QStringLiteral("17:00:00"));
        attend(5, QStringLiteral("2026-03-02"), QStringLiteral("09:00:00"),
               QStringLiteral("18:00:00"));
        attend(5, QStringLiteral("2026-03-01"), QStringLiteral("07:00:00"), QVariant());
        attend(7, QStringLiteral("2026-03-03"), QStringLiteral("06:00:00"),
               QStringLiteral("14:00:00"));
        attend(5, QStringLiteral("2026-03-01"), QStringLiteral("07:00:00"), QVariant());
        // Two pairs on one day keep one order whatever order they were stored in.
        attend(7, QStringLiteral("2026-03-02"), QStringLiteral("06:00:00"),
               QStringLiteral("07:00:00"));

        QCOMPARE(script(QDate(2026, 3, 1), QDate(2026, 3, 3)),
                 kInsert + "7','3/3/2026','06:00:00','14:00:00')\r\n" + kInsert +
                     "7','3/2/2026','08:00:00','17:00:00')\r\n" + kInsert +
                     "7','3/2/2026','06:00:00','07:00:00')\r\n" + kInsert +
                     "5','3/2/2026','09:00:00','18:00:00')\r\n" + kInsert +
                     "5','3/1/2026','07:00:00','')\r\n");
        ScriptRows served; // the days as SQL Server hands them out: date-times
        auto q = db().exec("select EMP_ID, TDATE, INTIME, OUTTIME from Tbl_Emp_Attn_Log_General");
        while (q.next())
            served.append({q.value(0).toInt(), q.value(1).toDateTime(), q.value(2), q.value(3)});
        served.sortDistinct();
        QCOMPARE(buildScript(served), script(QDate(2026, 3, 1), QDate(2026, 3, 3)));
    }

    void range_data()
    {
        QTest::addColumn<QString>("tdate");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<bool>("inside");
        const QDate march1(2026, 3, 1), march31(2026, 3, 31);
        QTest::newRow("last day with a time") << "2026-03-31 13:30:00" << march1 << march31 << true;
        QTest::newRow("first day") << "2026-03-01" << march1 << march31 << true;
        QTest::newRow("day after") << "2026-04-01" << march1 << march31 << false;
        QTest::newRow("same month a year before")
            << "2025-01-15" << QDate(2026, 1, 1) << QDate(2026, 1, 31) << false;
        QTest::newRow("from after to") << "2026-03-15" << march31 << march1 << false;
        QTest::newRow("to the pickers' last day")
            << "2026-03-15" << march1 << QDate(9999, 12, 31) << true;
        QTest::newRow("to 2099") << "2026-03-15" << march1 << QDate(2099, 12, 31) << true;
        QTest::newRow("1800s") << "1850-01-01" << QDate(1800, 1, 1) << QDate(1899, 12, 31) << true;
    }

    void range()
    {
        QFETCH(QString, tdate);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(bool, inside);
        attend(5, tdate, QStringLiteral("08:00:00"), QStringLiteral("17:00:00"));
        QCOMPARE(readScriptRows(db(), from, to).size(), inside ? 1 : 0);
        // SQL Server fails the whole export on a bound its date columns cannot hold.
        const Dialect server(Dialect::SqlServer);
        for (const QVariant& bound : scriptBounds(server, from, to))
            QVERIFY(server.holdsDate(bound.toDate()));
    }

    void dateAsTheLocaleWritesIt_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("tdate");
        QTest::addColumn<QString>("text");
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        QTest::newRow("en_US") << us << "2026-03-05"
                               << "3/5/2026";
        QTest::newRow("en_US with time") << us << "2026-03-31 13:30:00"
                                         << "3/31/2026 13:30:00";
        QTest::newRow("de_DE") << de << "2026-03-05"
                               << "05.03.2026";
        // Arabic digits and direction marks; Persian digits, year first.
        QTest::newRow("ar_EG") << QLocale("ar_EG") << "2026-03-05"
                               << "5/3/2026";
        QTest::newRow("fa_IR") << QLocale("fa_IR") << "2026-03-05"
                               << "2026/3/5";
        QTest::newRow("ccp_BD") << QLocale("ccp_BD") << "2026-03-05"
                                << "5/3/2026";
        QTest::newRow("ff_Adlm_SN") << QLocale("ff_Adlm_SN") << "2026-03-05"
                                    << "5-3-2026";
    }

    void dateAsTheLocaleWritesIt()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, tdate);
        QFETCH(QString, text);
        QLocale::setDefault(locale);
        const ScriptRow row{5, tdate, QStringLiteral("08:00:00"), QStringLiteral("17:00:00")};
        QCOMPARE(scriptLine(row), kInsert + "5','" + text + "','08:00:00','17:00:00')\r\n");
        // As SQL Server hands it out: a date-time, and a date where it has no time of day.
        const QDateTime at = QDateTime::fromString(tdate, Qt::ISODate);
        for (const QVariant& value : {QVariant(at), QVariant(at.date())})
            if (value.toDateTime() == at)
                QCOMPARE(scriptLine({5, value, row.inTime, row.outTime}), scriptLine(row));
    }

    // Whatever a time column holds, the line is one statement that stores it as it was.
    void loaderStoresValuesUnchanged()
    {
        const QStringList odd = {QStringLiteral("17'30"), QStringLiteral("Zürich"),
                                 QStringLiteral("'); drop table attd; --")};
        for (int i = 0; i < odd.size(); ++i)
            attend(i + 1, QStringLiteral("2026-03-05"), odd.at(i), odd.at(i));
        db().execDirect(
            QStringLiteral("create table attd (Employee_Id, Attd_Date, InTime, OutTime)"));

        const QStringList lines = script(QDate(2026, 3, 5), QDate(2026, 3, 5))
                                      .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), odd.size());
        for (const QString& line : lines)
            db().execDirect(line);

        QSqlQuery stored = db().exec(
            QStringLiteral("select Employee_Id, InTime, OutTime from attd order by Employee_Id"));
        for (const QString& value : odd) {
            QVERIFY(stored.next());
            QCOMPARE(stored.value(1).toString(), value);
            QCOMPARE(stored.value(2).toString(), value);
        }
        QVERIFY(!stored.next());
    }

    // The demo's fortnight up to yesterday: every employee's working days, one pair open.
    void demoFortnight()
    {
        TempDatabase demo(true);
        applySqlFile(demo.db(), sourcePath(QStringLiteral("db/demo-attendance.sql")));
        const QDate today = QDate::currentDate();
        const QString text = buildScript(readScriptRows(demo.db(), today.addDays(-14), today));
        QCOMPARE(text.count(QStringLiteral("Insert Into")), 226);
        QCOMPARE(text.count(QStringLiteral("'')")), 1);
    }

    void progressAtFirstAndLastRow()
    {
        ScriptRows rows;
        for (int i = 0; i < 1000; ++i)
            rows.append({5, QStringLiteral("2026-03-05"), {}, {}});
        QVector<int> positions;
        buildScript(rows, [&](int position, int count) {
            QCOMPARE(count, 1000);
            positions.append(position);
        });
        QVERIFY(positions.size() >= 2);
        QCOMPARE(positions.first(), 1);
        QCOMPARE(positions.last(), 1000);
        QVERIFY(std::is_sorted(positions.begin(), positions.end()));
    }
};

QTEST_GUILESS_MAIN(TestSqlScript)
#include "tst_sqlscript.moc"
