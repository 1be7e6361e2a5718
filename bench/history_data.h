#pragma once
// The database the history benchmarks share, built per run in a temporary file: 2,000
// employees in 20 departments, each with two punches (on-duty, off-duty) on 250 days spread
// over 2024 and 2025: 1,000,000 punches.

#include "shell/Shared.h"
#include "support/TestSupport.h"

#include <QDate>
#include <QSqlQuery>
#include <QTime>

namespace HistoryBench {

constexpr int kEmployees = 2000;
constexpr int kDepartments = 20;
constexpr int kDays = 250;
const QDate kFirst(2024, 1, 1);

inline QDate punchDay(int i)
{
    return kFirst.addDays(i * 730 / kDays);
}

inline void build(Db& db)
{
    Transaction t(db);
    db.exec("insert into Tbl_Org (Org_ID, Org_Name) values (1, 'Bench Organisation')");
    db.exec("insert into Tbl_Org_Working_Hrs (Work_ID) values (1)");
    for (int day = 1; day <= 7; ++day)
        db.exec("insert into Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) values (0, 1, ?)",
                {day});
    for (int d = 1; d <= kDepartments; ++d)
        db.exec("insert into tbl_Org_Dept (Dept_ID, Dept_Name) values (?, ?)",
                {d, QStringLiteral("Department %1").arg(d, 2, 10, QLatin1Char('0'))});
    QSqlQuery emp = db.prepare("insert into Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName,"
                               " Emp_LastName) values (?, ?, NULL, ?)");
    QSqlQuery off =
        db.prepare("insert into Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID) values (?, ?, ?)");
    for (int e = 1; e <= kEmployees; ++e) {
        Db::run(emp, {e, QStringLiteral("First%1").arg(e), QStringLiteral("Last%1").arg(e)});
        Db::run(off, {e, e, (e - 1) % kDepartments + 1});
    }
    QSqlQuery punch = db.prepare(
        "insert into Tbl_DeviceAttenLog (Emp_ID, VerifyMode, InOutMode, LogDate, LogTime,"
        " ExtractedFrom, isnew, emp_name) values (?, 1, ?, ?, ?, 1, 1, '')");
    for (int i = 0; i < kDays; ++i) {
        const QString day = punchDay(i).toString(Qt::ISODate);
        for (int e = 1; e <= kEmployees; ++e) {
            const int minute = e % 60;
            Db::run(punch, {e, 0, day, QTime(8, minute).toString("HH:mm:ss")});
            Db::run(punch, {e, 1, day, QTime(17, minute).toString("HH:mm:ss")});
        }
    }
    t.commit();
}

// A private environment and the database above in a temporary file, with shared().Cnxn
// open on it as the screens and the corrections expect.
struct Store
{
    TestEnvironment environment;
    TempDatabase database;
    Store()
    {
        build(database.db());
        database.openShared();
    }
    Db& db() { return shared().Cnxn; }
};

} // namespace HistoryBench
