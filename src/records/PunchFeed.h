#pragma once
// The punches around the open-shift pairing: the feed that copies Tbl_DeviceAttenLog into
// the backup table the pairing reads, the walk over punches still marked new, and the store
// of one punch read from a USB log file.

#include <QDateTime>
#include <QString>

#include <functional>

class Db;
class DbError;

class PunchFeed
{
public:
    // Called outside any transaction after each stretch of punches and once at the end.
    using Progress = std::function<void(int value, int maximum)>;

    explicit PunchFeed(Db& db, Progress progress = {});

    // Copies every punch from 10 November 2008 on into Tbl_Emp_Attn_Log_Temp_Bck unless the
    // employee's punch with those codes at that date and time is there already; the memory
    // it takes grows with the punches still to copy, not with either table's history.
    // Copies are numbered on from the largest Indx in date and time order, carry IsNew 1,
    // and are stored employee by employee. A punch that cannot be copied is rolled back
    // alone after the ones before it are committed, and the error is thrown. Returns the
    // number copied; the progress callback counts copies.
    int CopyDeviceLogToTempBck();

    // Walks the punches still marked new in employee, date and time order; returns how many.
    int ScanNewDeviceLogs();

    // Stores one punch in Tbl_DeviceAttenLog with the next running indx, replacing the
    // employee's punch at the same date and time; both stand or fall together. Throws
    // DbError (isIntegrityViolation() for an employee the database refuses).
    void SaveUsbLogRecord(int EmpId, const QDateTime& punch, int verifyCode, int inOutCode);

    // The punch text of a USB log record: "yyyy-MM-dd HH:mm:ss" or "yyyy/MM/dd HH:mm:ss"
    // (seconds optional, a 'T' for the blank too); invalid otherwise.
    static QDateTime punchFromText(const QString& text);

    // True when the database refused a write by its integrity rules (a constraint, a key, a
    // trigger's refusal on SQLite).
    static bool isIntegrityViolation(const Db& db, const DbError& error);

    static constexpr int kStretch = 4096;

private:
    Db& m_db;
    Progress m_progress;
};
