#pragma once
// The open-shift pairing of one employee: the pairing pass turns the punches copied into
// Tbl_Emp_Attn_Log_Temp_Bck into sign-in/sign-out pairs of Tbl_Emp_Attn_Log_Temp, closing a
// sign-in of the same day or of the day before (a night shift); the posting pass copies the
// pairs still to be posted into Tbl_Emp_Attn_Log_General with their working hours and the
// holiday and weekend credit, which may earn a day of 'Substitute Leave'.
//
// Every statement runs on the one connection given, in one transaction per call (committed
// every kStretch punches, when the progress callback may yield). A punch or pair that fails
// is undone alone and those before it are kept. A punch is taken once: the pass reads only
// copies whose IsNew is 1 and sets it to 0 with the punch's own changes, so running it again
// changes nothing. Likewise a pair is posted once, whichever way: a day row the operator has
// corrected or deleted since stays as he left it.

#include "shell/DbError.h"
#include "shell/Dialect.h"

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

class Db;
class RecordRun;
class Statements;

class OpenShiftPairing
{
public:
    // Called outside any transaction after each stretch of punches and once at the end:
    // value punches handled so far (a skipped double punch does not count), out of maximum.
    using Progress = std::function<void(int value, int maximum)>;

    // An error of get_Cate or Add_SubstituteLeave: reported under its own procedure name
    // while the pass goes on.
    struct HelperError
    {
        QString procName;
        DbError error;
    };

    // branch: the terminal row written as SignInBranch / SignOutBranch.
    OpenShiftPairing(Db& db, int branch, Progress progress = {});
    ~OpenShiftPairing();

    // Both passes for one employee. A failing punch or pair is rolled back alone, what came
    // before it is committed, and the DbError is thrown; a pairing error skips the posting.
    void ExtDataToDBOpenShift(int EmpID);

    void pairingPass(int EmpID);
    void postingPass(int EmpID);

    // True when a 'Double Duty' pair of the employee signs out on date, posted or not.
    bool IsDoubleDutyOut(int EmpID, const QDate& date);
    // The category of the employee's current office record; 0 when NULL or missing.
    int get_Cate(int EmpID);
    // One more day of 'Substitute Leave', creating the leave type and the employee's log
    // row when missing.
    void Add_SubstituteLeave(int EmpID);

    // The dialect whose day columns the passes keep to and bind days for, the connection's
    // unless set before the passes run: so SQL Server's days can be tried over a SQLite file.
    void setDialect(const Dialect& dialect);

    // Called as the posting pass begins (the window retitles its progress window).
    void setPostingBegins(std::function<void()> begins) { m_postingBegins = std::move(begins); }

    // Errors of the helpers met by the last call, in order.
    const QVector<HelperError>& helperErrors() const { return m_helperErrors; }
    // Where the progress bar stood after the pairing pass.
    int progressValue() const { return m_value; }
    int progressMaximum() const { return m_maximum; }

    // Punches handled between two commits (and calls of the progress callback).
    static constexpr int kStretch = 1024;

private:
    struct Punch;
    struct DayRows;
    struct Pair;

    std::unique_ptr<RecordRun> newRun();
    void pairPunches(int EmpID, RecordRun& run);
    void pairPunch(int EmpID, const Punch& punch);
    void postPairs(int EmpID, RecordRun& run);
    bool handlePunch(int emp, const Punch& punch);
    void signIn(int emp, const Punch& punch, const DayRows& rows);
    void signOut(int emp, const Punch& punch, const DayRows& rows);
    bool closeDayBefore(int emp, const Punch& punch, const DayRows& rows, bool noRowsOnDate);
    void loadRows(int emp);
    DayRows readDayRows(const QDate& day) const;
    // True when there were any.
    bool deleteDoubleDuty(int emp, const QDate& day);
    void insertPair(int emp, const Punch& punch, int counter, const QString& remarks);
    void closePair(qint64 sno, const Punch& punch);
    void readHolidays();
    void postPair(int emp, const Pair& pair);
    int creditCategory(int emp, const QDate& checkDate);
    int categoryOnce(int emp);
    int workingHour(int emp, const QDate& date, const QVariant& inTime);
    QVariant date(const QDate& day) const;

    Db& m_db;
    Dialect m_dialect;
    std::unique_ptr<Statements> m_sql;
    mutable QHash<QDate, QVariant> m_dates; // date() of each day met
    // The employee's pairing and day rows around the punch dates, kept as the pass writes
    // them, so that a punch reads nothing from the database.
    std::unique_ptr<DayRows> m_rows;
    int m_branch;
    Progress m_progress;
    std::function<void()> m_postingBegins;
    QVector<HelperError> m_helperErrors;
    int m_value = 0;
    int m_maximum = 0;

    QVector<Punch> m_punches;
    QVector<Pair> m_pairs;

    // Run state of one pairing pass.
    int m_counter = 0;
    bool m_dayCountRead = false;
    QDate m_lastSignInDate;

    // Read-only look-ups of one posting pass.
    QSet<QDate> m_holidays;      // among the pairs' check days
    QHash<int, int> m_workHours; // by weekday, SQLite only
    std::optional<QVector<bool>> m_weekend;
    std::optional<bool> m_weekendCounts;
    std::optional<int> m_category;
};
