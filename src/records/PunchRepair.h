#pragma once
// The data side of punch repair: the punches of tbl_attendancelog for one user or all over a
// range of days, with the names the current terminal holds, and the queued deletions and
// mode changes carried out on them.

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>

#include <optional>

class Db;
class TerminalSdk;

struct RepairRow
{
    enum State { Unchanged = 1, Delete = -1, NewMode = 2 };

    // The key exactly as the query returned it; changes are bound with it, never with the
    // texts the grid shows.
    int Emp_ID = 0;
    QVariant LogDate;
    QVariant LogTime;
    QString name;
    // Empty where the stored mode is NULL.
    std::optional<int> VerifyMode;
    std::optional<int> InOutMode; // the mode the row shows; a queued new mode replaces it
    int state = Unchanged;

    // "yyyy-MM-dd" and "HH:mm:ss" of the stored values (the stored text when it is neither).
    QString dateText() const;
    QString timeText() const;
};

class PunchRepair
{
public:
    // Appends to rows the punches of user (all users below 1) from first to last, ordered by
    // user, date and time. Names come from the terminal linked to sdk (machine number
    // machineId), read once; with no terminal or its link down they stay empty and no SDK
    // call is made. Throws DbError; the rows appended before a failure stay.
    static void load(Db& db, TerminalSdk* sdk, long machineId, qint64 user, const QDate& first,
                     const QDate& last, QVector<RepairRow>& rows);

    // Counts the rows queued for deletion and for a new mode.
    static void count(const QVector<RepairRow>& rows, int& deletions, int& modifications);

    // The confirmation to ask for, or an empty text when nothing is queued.
    static QString confirmation(int deletions, int modifications);

    // Carries the queued changes out one statement at a time, in row order, without a
    // transaction. A refused statement throws; the changes before it stay done.
    static void execute(Db& db, const QVector<RepairRow>& rows);

    // The user number typed in the user field: its leading number (0 for none), rounded
    // to the nearest whole number, a half to the even one. Throws an overflow past 32 bits.
    static qint64 userNumber(const QString& text);
};
