#pragma once
// The SQL script of daily attendance: the rows of Tbl_Emp_Attn_Log_General in a range of
// days written as insert statements for a table attd, which another database loads.
//
//     const ScriptRows rows = readScriptRows(db, from, to);
//     const QString script = buildScript(rows, [](int i, int n) { /* progress, yield */ });

#include <QDate>
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>

class Db;
class Dialect;

// One (Emp_ID, TDATE, INTIME, OUTTIME) of the daily attendance table, as the database
// hands it out (a NULL stays a null QVariant).
struct ScriptRow
{
    qint64 empId = 0;
    QVariant tdate;
    QVariant inTime;
    QVariant outTime;
};

// Told the position (from 1) and the row count while the script is built: at the first
// row, then at most every 50 ms, and at the last row.
using ScriptProgress = std::function<void(int position, int count)>;

// The rows of a script, kept small: employee, day and the two times as their script text;
// each day's text is made once. The lines themselves are written once, in the script.
class ScriptRows
{
public:
    // Adds a row after those added before.
    void append(const ScriptRow& row);
    // Orders the rows by Emp_ID, TDATE, INTIME, OUTTIME (NULL first) and keeps one of
    // each set of rows equal in all four.
    void sortDistinct();

    qsizetype size() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }

private:
    friend QString buildScript(const ScriptRows& rows, const ScriptProgress& progress);
    struct Row
    {
        qint64 empId;
        int day;                 // into m_days
        int block, at;           // where the two times stand, one after the other
        int inLength, outLength; // quotes doubled
        bool inNull, outNull;
    };
    static constexpr qsizetype kBlockSize = 1 << 16;
    int dayOf(const QVariant& tdate);
    QStringView inTime(const Row& row) const;
    QStringView outTime(const Row& row) const;
    // Within one employee and day.
    bool timesLess(const Row& a, const Row& b) const;

    QVector<Row> m_rows;
    // The times in blocks of a fixed size, each made full size at once: one text grown to
    // hold them all would be moved, and copied, each time it outgrew its room.
    QVector<QString> m_blocks;
    qsizetype m_used = 0; // of the last block
    // Each TDATE once, with its text in the script: a range holds few days.
    QVector<QVariant> m_days;
    QVector<QString> m_dayTexts;
    QHash<QString, int> m_dayIndex;
    QString m_lastKey;
    int m_lastDay = -1;
};

// The values bound in "TDATE >= ? [And TDATE < ?]" to select the days from..to, narrowed
// to the days the dialect's date columns hold: none when the range holds no such day (or
// From is after To), and no upper end when To is the last of them. SQL Server fails the
// whole statement on a day it cannot hold (Msg 298).
QVariantList scriptBounds(const Dialect& dialect, QDate from, QDate to);

// The distinct rows of the days from..to, both included (a row of the last day with a time
// of day too), ordered by Emp_ID, TDATE, INTIME, OUTTIME. Read whole, so no statement stays
// open while the caller yields. From after To, or a range the database holds no day of,
// gives no row. Throws DbError.
ScriptRows readScriptRows(Db& db, const QDate& from, const QDate& to);

// "Insert Into attd (Employee_Id,Attd_Date,InTime,OutTime) values ('5','3/5/2026','08:00:00','')"
// and CR LF. TDATE is fullYearDateText, with " HH:mm:ss" when not midnight; times as
// stored; every quote doubled, so the line stores each value unchanged.
QString scriptLine(const ScriptRow& row);

// One line per row, the last row first (the exact reverse of the rows' order).
QString buildScript(const ScriptRows& rows, const ScriptProgress& progress = {});
