#pragma once
// Rows of the tables that several screens share. Each is a plain value; the screens and
// the logic beside them read and write the tables with bound statements.

#include <QDate>
#include <QString>
#include <QTime>

// One row of Tbl_DeviceMaster.
struct TerminalRecord
{
    int DeviceID = 0;  // the terminal's machine number
    QString ComNo;     // the three link settings are free text in the table
    QString DeviceDescription;
    QString PortNo;
    QString IPAddress;
    QString BaudRate;
    int ConMode = 0;   // ConnectionModes
    int Log_Mode = 3;  // always written as 3, read by nothing
};

// One punch, kept in Tbl_DeviceAttenLog and in tbl_attendancelog.
struct PunchRecord
{
    int Emp_ID = 0;
    int VerifyMode = 0;
    int InOutMode = 0;
    QDate LogDate;
    QTime LogTime;
    int ExtractedFrom = 0;
    int isnew = 1;
    QString emp_name;  // empty from a terminal, "USB" from a USB file

    // The texts the tables hold: "yyyy-MM-dd" and "hh:mm:ss" (24-hour, two digits each).
    QString logDateText() const { return LogDate.toString(QStringLiteral("yyyy-MM-dd")); }
    QString logTimeText() const { return LogTime.toString(QStringLiteral("HH:mm:ss")); }
};

// One row of Tbl_UserTemplate: a terminal user with one finger template.
struct StoredUserTemplate
{
    int DeviceUserID = 0;
    QString DeviceUserName;
    int FingerIndex = 0;  // 0-9
    QString FTemplate;
    int DeviceID = 0;
    QString rfid;
    QString password;
    int previlege = 0;
    int Status = 1;
    int IsNew = 1;
};

// One row of Tbl_UserLogInfo: a user seen on a terminal.
struct DeviceUserRecord
{
    int DeviceUserID = 0;
    QString UserName;
    QString Pwd;
    int Privilege = 0;
    int Enabled = 0;  // -1 enabled, 0 not
    int DeviceID = 0;
};

// One row of Tbl_Task.
struct TaskRecord
{
    int TaskID = 0;
    int DeviceIndex = 0;
    int Task = 0;  // TaskTypes
    QString TaskDate;
    QString TaskTime;  // "HH:MM", 24-hour
    QString Remarks;
    QString Performed;    // 'Y' after a run
    QString TaskEachDay;  // '1' every date, '0' only TaskDate
    int DeviceID = 0;
};

// One row of Tbl_Emp_Attn_Log_General: an employee's sign-in and sign-out of one pair.
struct AttendanceRow
{
    int EMP_ID = 0;
    int WORKHOUR_ID = 0;
    QDate TDATE;
    QDate TDATE_OUT;
    QString INTIME;
    QString INMODE;
    QString OUTTIME;
    QString OUTMODE;
    int COUNTER = 0;
    int SignOutBranch = 0;
};

// One row of Tbl_Emp_Attn_Log_Temp, the work table of the open-shift pairing.
struct PairingRow
{
    qint64 Sno = 0;
    int Emp_Id = 0;
    QDate TDate;
    QString INTime;
    int Verify = 0;
    int Status = 0;
    int WorkCode = 0;
    QString OutTIme;
    int SignInBranch = 0;
    int SignOutBranch = 0;
    QDate OutDate;
    int VerifyOut = 0;
    int counter = 0;
    int IsNew = 0;
    QString Remarks;
};
