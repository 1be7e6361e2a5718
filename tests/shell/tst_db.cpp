#include "TestSupport.h"

#include "shell/Db.h"

#include <QtTest>

// The database layer under the screens: bound values arrive unchanged, savepoints keep
// what came before a failed record, and the snapshot recordset filters and walks.
class TestDb : public QObject
{
    Q_OBJECT

    static int count(Db& db, const QString& table)
    {
        return db.scalar("select count(*) from " + table).toInt();
    }

private Q_SLOTS:
    void awkwardTextRoundTrips()
    {
        TempDatabase database;
        Db& db = database.db();
        const QString text = "O'Brien \"Ned\"; drop table Tbl_Task; -- Łódź ü 日本";
        db.exec("insert into Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_LastName) values (?,?,?)",
                {7, text, "x"});
        QCOMPARE(db.scalar("select Emp_FirstName from Tbl_Emp_Info where Emp_FirstName = ?",
                           {text})
                     .toString(),
                 text);
        QCOMPARE(count(db, "Tbl_Task"), 0);  // still there
    }

    void savepointUndoesOnlyTheFailedRecord()
    {
        TempDatabase database;
        Db& db = database.db();
        QSqlQuery insert = db.prepare(
            "insert into tbl_attendancelog (Emp_ID, LogDate, LogTime) values (?,?,?)");
        db.beginTransaction();
        for (int i = 0; i < 3; ++i) {
            db.savepoint("punch");
            try {
                Db::run(insert, {i, "2026-12-01", i == 1 ? "8 o'clock" : "08:00:0" + QString::number(i)});
                db.releaseSavepoint("punch");
            } catch (const DbError&) {
                db.rollbackToSavepoint("punch");
                db.releaseSavepoint("punch");
            }
        }
        db.commit();
        QCOMPARE(count(db, "tbl_attendancelog"), 2);
    }

    void transactionLeftByAnErrorRollsBack()
    {
        TempDatabase database;
        Db& db = database.db();
        try {
            Transaction t(db);
            db.exec("insert into tbl_attendancelog (Emp_ID, LogDate, LogTime) values (1, "
                    "'2026-12-01', '08:00:00')");
            throw DbError(1, "interrupted");
        } catch (const DbError&) {
        }
        QVERIFY(!db.inTransaction());
        QCOMPARE(count(db, "tbl_attendancelog"), 0);
        {
            Transaction t(db);
            db.exec("insert into tbl_attendancelog (Emp_ID, LogDate, LogTime) values (1, "
                    "'2026-12-01', '08:00:00')");
            t.commit();
        }
        QCOMPARE(count(db, "tbl_attendancelog"), 1);
    }

    void errorsCarryTheDriversText()
    {
        TempDatabase database;
        try {
            database.db().exec("select x from no_such_table");
            QFAIL("no error");
        } catch (const DbError& e) {
            QVERIFY2(e.text().contains("no_such_table"), qPrintable(e.text()));
        }
        Db closed;
        QVERIFY_THROWS_EXCEPTION(DbError, closed.exec("select 1"));
    }

    // The server's one-result-set rule, which every test database keeps.
    void statementWhileAWalkHoldsRowsIsRefused()
    {
        TempDatabase database;
        Db& db = database.db();
        for (int id : {1, 2})
            db.exec("insert into Tbl_Emp_Info (Emp_ID) values (?)", {id});
        QSqlQuery walk = db.exec("select Emp_ID from Tbl_Emp_Info order by Emp_ID");
        QVERIFY(walk.next());
        QVERIFY_THROWS_EXCEPTION(DbError, db.scalar("select count(*) from Tbl_Emp_Info"));
        Db::run(walk); // the walk itself may start again
        while (walk.next()) {
        }
        QCOMPARE(count(db, "Tbl_Emp_Info"), 2);
    }

    void workingHourLookUp_data()
    {
        QTest::addColumn<int>("employee");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QVariant>("workingHour");
        QTest::newRow("night shift on a Sunday") << 16 << "2026-12-06" << QVariant(3);
        QTest::newRow("own rows end on Thursday") << 16 << "2026-12-11" << QVariant(1);
        QTest::newRow("everyone's Saturday") << 16 << "2026-12-12" << QVariant(2);
        QTest::newRow("default Monday") << 5 << "2026-12-07" << QVariant(1);
        QTest::newRow("unknown employee") << 999 << "2026-12-07" << QVariant(1);
    }

    void workingHourLookUp()
    {
        QFETCH(int, employee);
        QFETCH(QString, date);
        QFETCH(QVariant, workingHour);
        TempDatabase database(true);
        Db& db = database.db();
        QCOMPARE(db.scalar(db.dialect().workingHourQuery(), {employee, date, "08:00:00 AM"}).toInt(),
                 workingHour.toInt());
        db.exec("delete from Tbl_Org_WorkingHrs");
        QVERIFY(!db.exists(db.dialect().workingHourQuery(), {employee, date, "08:00:00 AM"}));
    }

    void rangesNarrowedToHeldDates()
    {
        const Dialect server(Dialect::SqlServer);
        QDate from(1800, 1, 1), to(2099, 12, 31), after(2079, 6, 7), later(2099, 1, 1);
        QVERIFY(server.clampRange(from, to) && !server.clampRange(after, later));
        QCOMPARE(QList<QDate>({from, to}), QList<QDate>({QDate(1900, 1, 1), QDate(2079, 6, 6)}));
    }

    void recordsetFilterAndPositions()
    {
        Recordset rs = Recordset::fromRows(
            {"Emp_ID", "Dept_ID", "Name"},
            {{1, 3, "Ann"}, {2, 4, "O'Hara"}, {3, 3, "Bo"}, {4, 3, QVariant()}});
        QCOMPARE(rs.RecordCount(), 4);
        QCOMPARE(rs.AbsolutePosition(), 1);
        rs.setFilter("Dept_ID=3");
        QCOMPARE(rs.RecordCount(), 3);
        QCOMPARE(rs.value("name").toString(), QString("Ann"));
        rs.MoveLast();
        QCOMPARE(rs.AbsolutePosition(), 3);
        rs.MoveNext();
        QVERIFY(rs.EOF_());
        QCOMPARE(rs.AbsolutePosition(), Recordset::PosEOF);
        QVERIFY(!rs.value("Name").isValid());
        rs.setFilter("Name='O''Hara'");
        QCOMPARE(rs.RecordCount(), 1);
        QCOMPARE(rs.value("Emp_ID").toInt(), 2);
        rs.setFilter("Dept_ID=3 AND Emp_ID=3");
        QCOMPARE(rs.RecordCount(), 1);
        rs.setFilter("");
        QCOMPARE(rs.RecordCount(), 4);
        rs.close();
        QCOMPARE(rs.State(), 0);
        QVERIFY(rs.BOF() && rs.EOF_());
    }
};

QTEST_GUILESS_MAIN(TestDb)
#include "tst_db.moc"
