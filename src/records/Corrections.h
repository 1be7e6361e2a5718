#pragma once
// The manual corrections of the attendance history screen: punches turned into daily
// sign-in and sign-out rows of Tbl_Emp_Attn_Log_General, missing sign-outs filled from
// the punches, and punches cleared. No widgets.
//
// Every command runs in one transaction with a savepoint per item (a checked punch, a day,
// a row). When an item fails, that item is rolled back, everything before it is committed,
// and the error is thrown; `committed` then tells the caller how many items stand.

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>

class Db;
class Dialect;

namespace Corrections {

// Rows the two fill commands update between commits; they yield only after a commit.
constexpr int RowsPerCommit = 250;

// A checked punch of the history list.
struct Item
{
    QDate day;
    QString time;        // "HH:mm:ss" as stored
    QVariant verifyMode; // NULL reads as an empty verify text
};

// The working-hour id of an employee and a day: the lowest Work_ID of the employee's rows for
// the day's weekday (Sunday 1), else of the organisation's default (employee 0). Throws a
// DbError naming employee and day when neither has one.
int workingHourId(Db& db, int empId, const QDate& day);

// Sign In: each item, in order, becomes the sign-in of its day. A day without a row gets
// one (COUNTER 1) and a pairing row; a day with rows has every row's sign-in replaced. An
// item later than the sign-out of a row of its day signed out that same day is left alone
// and its index goes to `refused`: a sign-in must come before its sign-out. A row signed
// out on a later day (a night shift) or not signed out takes the item. `committed` is the
// number of leading items that stand or were refused.
void signIn(Db& db, int empId, const QVector<Item>& items, int& committed,
            QVector<int>* refused = nullptr);

// The last day a sign-out punch may fall on, counted from its sign-in's day: no shift runs
// past the next day, so a later punch means the sign-in day was left over from another one.
constexpr int SignOutDaysAfterSignIn = 1;

struct SignOutOutcome
{
    QVector<int> assigned;  // indexes of items stored as the sign-out
    QVector<int> refused;   // dated before the sign-in day, or on it before its sign-in
    QVector<int> late;      // dated after SignOutDaysAfterSignIn days past the sign-in day
    QVector<int> unmatched; // the sign-in day has no row to take them
};
// Sign Out: each item, in order, becomes the sign-out (TDATE_OUT its own day) of the rows of
// `signInDay`, with COUNTER `counter`. Items are left alone when signInDay has no such rows
// (unmatched), when dated before signInDay or on it before its first sign-in (refused: a
// sign-out must follow its sign-in), and when dated later than SignOutDaysAfterSignIn allows
// (late: taken, such a punch would overwrite the real sign-out of that sign-in). On an
// error, `outcome` holds what was committed.
void signOut(Db& db, int empId, const QVector<Item>& items, const QDate& signInDay, int counter,
             SignOutOutcome& outcome);

// Sign In - Sign Out: for each employee of `employees` (in that order) and each day with
// punches from `from` to `to`, the day's rows are replaced by one row: the first punch as
// sign-in and, with two or more, the last as sign-out. Reads the range's punches once.
// `committed` counts the days that stand.
void pairRange(Db& db, const QVector<int>& employees, const QDate& from, const QDate& to,
               int& committed);

// The two bound days of a range read over the day columns, narrowed to the days the
// dialect holds (SQL Server's smalldatetime overflows outside 1900-01-01..2079-06-06, and no
// row can stand there); empty when no day of the range is held, and the range reads nothing.
QVariantList dayRange(const Dialect& dialect, QDate from, QDate to);

// Called after each commit of a fill command, with the employee last handled; the screen
// shows progress and yields there, never inside a transaction.
using Progress = std::function<void(int empId)>;

// Last Sign in as Sign Out: for each employee and day from `from` to `to` with sign-in rows,
// when the day holds two or more sign-in punches (InOutMode 0 or -1), the latest becomes
// the sign-out of the day's rows that signed in before it. `committed` counts the days.
void makeOut(Db& db, const QDate& from, const QDate& to, const Progress& progress, int& committed);

// Missing Sign Out: for each employee and day from `from` to `to` with rows lacking a
// sign-out, the day's latest sign-out punch (InOutMode 1) closes the rows that signed in
// before it, and one line per row closed goes to the scheduler log once committed.
void fillMissingSignOuts(Db& db, const QDate& from, const QDate& to, const Progress& progress,
                         int& committed);

// Clear Log: deletes the employee's punches from `from` to `to` in Tbl_DeviceAttenLog only.
int clearLog(Db& db, int empId, const QDate& from, const QDate& to);

// The verify code of the pairing table for a verify text: "FPrint" 1, "Card" 0, any other
// text 1 ("Password" included). Exact and case-sensitive.
int GetVerifyCode(const QString& verifyText);
// Verify text of a verify mode; NULL reads as empty.
QString GetVerifyMode(const QVariant& verifyMode);
// In/out text of an in/out mode; NULL reads as empty.
QString GetInOutMode(const QVariant& inOutMode);

} // namespace Corrections
