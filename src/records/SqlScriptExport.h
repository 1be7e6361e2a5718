#pragma once
// The SQL script of daily attendance: the rows of Tbl_Emp_Attn_Log_General in a range of
// days written as insert statements for a table attd, which another database loads.
//
//     const QVector<ScriptRow> rows = readScriptRows(db, from, to);
//     const QString script = buildScript(rows, [](int i, int n) { /* progress, yield */ });

#include <QDate>
#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>

class Db;

// One distinct (Emp_ID, TDATE, INTIME, OUTTIME) of the daily attendance table, as the
// database hands it out (a NULL stays a null QVariant).
struct ScriptRow
{
    qint64 empId = 0;
    QVariant tdate;
    QVariant inTime;
    QVariant outTime;
};
// Moved as bytes when the row list grows.
Q_DECLARE_TYPEINFO(ScriptRow, Q_RELOCATABLE_TYPE);

// The distinct rows of the days from..to, both included (a row of the last day with a time
// of day too), ordered by Emp_ID, TDATE, INTIME, OUTTIME. Read whole, so no statement stays
// open while the caller yields. From after To gives no row. Throws DbError.
QVector<ScriptRow> readScriptRows(Db& db, const QDate& from, const QDate& to);

// "Insert Into attd (Employee_Id,Attd_Date,InTime,OutTime) values ('5','3/5/2026','08:00:00','')"
// and CR LF. TDATE is fullYearDateText, with " HH:mm:ss" when not midnight; times as
// stored; every quote doubled, so the line stores each value unchanged.
QString scriptLine(const ScriptRow& row);

// Told the position (from 1) and the row count while the script is built: at the first
// row, then at most every 50 ms, and at the last row.
using ScriptProgress = std::function<void(int position, int count)>;

// One line per row, the last row first (the exact reverse of the rows' order).
QString buildScript(const QVector<ScriptRow>& rows, const ScriptProgress& progress = {});
