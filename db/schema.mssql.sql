-- Quorvane database, SQL Server dialect (T-SQL, batches separated by GO as sqlcmd expects).
--
-- In production these tables live in the database shared with the personnel application and
-- exist before the program starts: the program creates none of them. This script builds them
-- for a test or demo server. schema.sqlite.sql holds the same tables for the embedded
-- database, and the two must be changed together.
--
-- Column types follow the shared database where it fixes them (the punch tables, the
-- terminal register, the task table, the daily attendance and pairing tables). Every column
-- that holds a name, a description, a password or text an operator types is nvarchar:
-- names are not all in one code page, and varchar would store "Zoë" or "李小龙" as '?'.


-- ---------------------------------------------------------------------------------------
-- Terminals and what they hold
-- ---------------------------------------------------------------------------------------

-- The terminal register. It declares no key: unique machine numbers rest on the register
-- screen's duplicate test, and a save of an edited terminal deletes and re-inserts its row.
CREATE TABLE Tbl_DeviceMaster (
    DeviceID          int NOT NULL,
    ComNo             varchar(4) NULL,
    DeviceDescription nvarchar(255) NULL,
    PortNo            varchar(10) NULL,
    IPAddress         varchar(18) NULL,
    BaudRate          varchar(10) NULL,
    ConMode           int NULL,         -- 0 serial, 1 network, anything else cannot connect
    Log_Mode          int NULL          -- written as 3 and read by nothing
);
CREATE INDEX IX_DeviceMaster_DeviceID ON Tbl_DeviceMaster (DeviceID);

-- Users seen on a terminal at connect time. Rows are inserted by position, so the six
-- columns and their order are fixed.
CREATE TABLE Tbl_UserLogInfo (
    DeviceUserID int NOT NULL,
    UserName     nvarchar(50) NULL,
    Pwd          nvarchar(50) NULL,
    Privilege    int NULL,              -- 0 to 3
    Enabled      int NULL,              -- -1 enabled, 0 disabled
    DeviceID     int NOT NULL
);
-- Not unique: a row is inserted only after a look-up by this pair found none.
CREATE INDEX IX_UserLogInfo_User ON Tbl_UserLogInfo (DeviceUserID, DeviceID);

-- Users with their fingerprint templates, one row per user, finger and terminal (a user
-- without fingerprints has one row with finger 0 and an empty template). Inserted by
-- position: the ten columns and their order are fixed.
CREATE TABLE Tbl_UserTemplate (
    DeviceUserID   int NOT NULL,
    DeviceUserName nvarchar(50) NULL,
    FingerIndex    int NOT NULL,        -- 0 to 9
    FTemplate      varchar(8000) NULL,
    DeviceID       int NOT NULL,
    rfid           int NULL,            -- card number
    password       nvarchar(50) NULL,
    previlege      int NULL,
    Status         int NULL,            -- enabled flag as the terminal reports it
    IsNew          int NULL
);
-- Each download deletes by (user, finger, terminal) before it inserts, and the copy and
-- upload read a user's rows of every terminal, which the leading column serves.
CREATE INDEX IX_UserTemplate_Finger ON Tbl_UserTemplate (DeviceUserID, FingerIndex, DeviceID);
CREATE INDEX IX_UserTemplate_Device ON Tbl_UserTemplate (DeviceID);

-- Scheduled terminal tasks.
CREATE TABLE Tbl_Task (
    TaskID      int IDENTITY(1,1) NOT NULL PRIMARY KEY,
    DeviceIndex int NULL,               -- element of the main window's control array
    Task        smallint NULL,          -- task code 0 to 5
    TaskDate    varchar(20) NULL,       -- the date as the editor writes it
    TaskTime    varchar(20) NULL,       -- 'HH:mm', 24-hour
    Remarks     nvarchar(200) NULL,
    Performed   varchar(1) NULL,        -- 'Y' after a successful run, else NULL
    TaskEachDay varchar(1) NULL,        -- '1' every day, '0' only on TaskDate
    DeviceID    int NULL
);
-- The scheduler pass asks by time alone and by time and date, the editor's duplicate test
-- by both as well, so the time leads.
CREATE INDEX IX_Task_Time ON Tbl_Task (TaskTime, TaskDate);


-- ---------------------------------------------------------------------------------------
-- Punches
-- ---------------------------------------------------------------------------------------

-- Raw punches, kept twice: the history screen and the manual corrections work on
-- Tbl_DeviceAttenLog, the repair screen on tbl_attendancelog. Both take the same eight
-- columns in the same order. A punch is identified by (LogDate, LogTime, Emp_ID) and every
-- writer deletes that triple before it inserts, so the indexes stay non-unique: a unique one
-- would turn a re-extraction into an error instead of a replacement.
-- indx is the running number the USB log store gives a punch, other writers leave it NULL.
-- There is deliberately no reference to Tbl_Emp_Info: a terminal may hold users the
-- personnel tables do not, and their punches must still be stored.
CREATE TABLE Tbl_DeviceAttenLog (
    Emp_ID        int NOT NULL,
    VerifyMode    int NULL,
    InOutMode     int NULL,
    LogDate       datetime NOT NULL,    -- the day, no time of day
    LogTime       varchar(20) NOT NULL, -- 'HH:mm:ss'
    ExtractedFrom int NULL,             -- DeviceID of the terminal, or of the USB file's terminal
    isnew         int NULL,
    emp_name      nvarchar(50) NULL,    -- '' from a terminal, 'USB' from a USB file
    indx          int NULL
);
-- The codes close the punch index so that the pairing's feed, which reads every punch from a
-- day on in date and time order, finds all it reads in the index and never visits the rows.
CREATE INDEX IX_DeviceAttenLog_Punch
    ON Tbl_DeviceAttenLog (LogDate, LogTime, Emp_ID, InOutMode, VerifyMode);
CREATE INDEX IX_DeviceAttenLog_Emp ON Tbl_DeviceAttenLog (Emp_ID, LogDate);

CREATE TABLE tbl_attendancelog (
    Emp_ID        int NOT NULL,
    VerifyMode    int NULL,
    InOutMode     int NULL,
    LogDate       datetime NOT NULL,
    LogTime       varchar(20) NOT NULL,
    ExtractedFrom int NULL,
    isnew         int NULL,
    emp_name      nvarchar(50) NULL
);
CREATE INDEX IX_attendancelog_Punch ON tbl_attendancelog (LogDate, LogTime, Emp_ID);
CREATE INDEX IX_attendancelog_Emp ON tbl_attendancelog (Emp_ID, LogDate);

-- Punch copies that the open-shift pairing reads in Indx order. Filled by position with
-- seven values, so no further column may be added.
CREATE TABLE Tbl_Emp_Attn_Log_Temp_Bck (
    Indx       int NULL,                -- running number of the copy, from 0
    EmpID      int NULL,
    VerifyMode int NULL,
    InOutMode  int NULL,
    logDate    varchar(10) NULL,        -- 'yyyy-MM-dd'
    LogTime    varchar(20) NULL,        -- time text as the copy writes it
    IsNew      int NULL                 -- always 1
);
CREATE INDEX IX_Emp_Attn_Log_Temp_Bck_Emp ON Tbl_Emp_Attn_Log_Temp_Bck (EmpID, Indx);


-- ---------------------------------------------------------------------------------------
-- Organisation and employees (owned by the personnel application)
-- ---------------------------------------------------------------------------------------

CREATE TABLE Tbl_Org (
    Org_ID   int NOT NULL PRIMARY KEY,
    Org_Name nvarchar(100) NULL
);

CREATE TABLE tbl_Org_Dept (
    Dept_ID   int NOT NULL PRIMARY KEY,
    Dept_Name nvarchar(100) NULL
);

-- Emp_ID is also the user number on every terminal.
CREATE TABLE Tbl_Emp_Info (
    Emp_ID         int NOT NULL PRIMARY KEY,
    Emp_FirstName  nvarchar(50) NULL,
    Emp_MiddleName nvarchar(50) NULL,
    Emp_LastName   nvarchar(50) NULL
);

-- Office records: an employee may have several, the latest has the highest PID. No
-- reference to tbl_Org_Dept: a record may name a department the organisation no longer has.
CREATE TABLE Tbl_Emp_Off_Info (
    PID          int NOT NULL PRIMARY KEY,
    Emp_ID       int NOT NULL,
    Dept_ID      int NULL,
    emp_category smallint NULL,         -- credited as the attendance status on holidays
    CHKDontCal   bit NOT NULL DEFAULT 0 -- 1: weekend days earn nothing
);
CREATE INDEX IX_Emp_Off_Info_Emp ON Tbl_Emp_Off_Info (Emp_ID, PID);
CREATE INDEX IX_Emp_Off_Info_Dept ON Tbl_Emp_Off_Info (Dept_ID);

-- The employee's current office record.
CREATE TABLE Tbl_Emp_DBID (
    emp_id int NOT NULL PRIMARY KEY,
    pid    int NOT NULL
);


-- ---------------------------------------------------------------------------------------
-- Working hours, holidays, weekends and leave (owned by the personnel application)
-- ---------------------------------------------------------------------------------------

-- The working-hour definitions. The look-up joins this table to Tbl_Org_WorkingHrs and
-- names Emp_ID and Day_ID unqualified, so neither may appear here.
CREATE TABLE Tbl_Org_Working_Hrs (
    Work_ID smallint NOT NULL PRIMARY KEY
);

-- Which working hours an employee keeps on which weekday. Emp_ID 0 holds the
-- organisation's default for employees without rows of their own for that weekday.
CREATE TABLE Tbl_Org_WorkingHrs (
    Emp_ID      int NOT NULL,
    WorkHOur_ID smallint NOT NULL,
    Day_ID      tinyint NOT NULL,       -- 1 Sunday to 7 Saturday
    PRIMARY KEY (Emp_ID, Day_ID, WorkHOur_ID)
);

CREATE TABLE Tbl_Org_Holiday (
    holiday_id   int NOT NULL PRIMARY KEY,
    holiday_date smalldatetime NOT NULL
);
CREATE INDEX IX_Org_Holiday_Date ON Tbl_Org_Holiday (holiday_date);

-- Weekend days per employee (1 = weekend). emp_id 0 is the default row. The day columns
-- must keep this order: the posting picks a column by weekday number, Sunday first.
CREATE TABLE Tbl_Org_WeekEnd (
    emp_id int NOT NULL PRIMARY KEY,
    sun    bit NOT NULL DEFAULT 0,
    mon    bit NOT NULL DEFAULT 0,
    tue    bit NOT NULL DEFAULT 0,
    wed    bit NOT NULL DEFAULT 0,
    thu    bit NOT NULL DEFAULT 0,
    fri    bit NOT NULL DEFAULT 0,
    sat    bit NOT NULL DEFAULT 0
);

-- Leave types. Leave_Id is handed out as max + 1 by the program, so it is no identity.
CREATE TABLE Tbl_Org_Leave_Info (
    Leave_Id   int NOT NULL PRIMARY KEY,
    Leave_Name nvarchar(50) NULL,
    Leave_Days int NULL,
    Leave_Type int NULL
);
CREATE INDEX IX_Org_Leave_Info_Name ON Tbl_Org_Leave_Info (Leave_Name);

-- Days of each leave type given to each employee.
CREATE TABLE Tbl_Org_Leave_Log (
    Emp_Id   int NOT NULL,
    Leave_Id int NOT NULL,
    Given    int NOT NULL DEFAULT 0,
    PRIMARY KEY (Leave_Id, Emp_Id)
);


-- ---------------------------------------------------------------------------------------
-- Daily attendance
-- ---------------------------------------------------------------------------------------

-- One employee's sign-in and sign-out of one day and one pair (COUNTER). Rows are found by
-- employee and day, or by employee and sign-out day, never by a key of their own.
CREATE TABLE Tbl_Emp_Attn_Log_General (
    EMP_ID        int NOT NULL REFERENCES Tbl_Emp_Info (Emp_ID),
    WORKHOUR_ID   smallint NOT NULL REFERENCES Tbl_Org_Working_Hrs (Work_ID),
    TDATE         smalldatetime NOT NULL,
    TDATE_OUT     smalldatetime NULL,
    INTIME        varchar(15) NULL,
    INMODE        nvarchar(20) NULL,    -- 'FPrint', 'Password' or 'Card'
    OUTTIME       varchar(15) NULL,
    OUTMODE       nvarchar(20) NULL,
    COUNTER       int NULL,
    SignOutBranch int NULL,
    INREMARKS     nvarchar(255) NULL,
    OUTREMARKS    nvarchar(255) NULL,
    ATT_STATUS    tinyint NOT NULL DEFAULT 0,
    IS_HALTED     tinyint NULL DEFAULT 0,
    FLGIN         bit NOT NULL DEFAULT 0,
    FLGOUT        bit NOT NULL DEFAULT 0,
    SignInBranch  int NULL,
    OUT_VNO       varchar(20) NULL
);
CREATE INDEX IX_Emp_Attn_Log_General_Day ON Tbl_Emp_Attn_Log_General (EMP_ID, TDATE);
-- Double-duty checks and the renumbering after a night shift go by sign-out day.
CREATE INDEX IX_Emp_Attn_Log_General_Out ON Tbl_Emp_Attn_Log_General (EMP_ID, TDATE_OUT);
-- The fill commands and the script export scan a range of days for every employee.
CREATE INDEX IX_Emp_Attn_Log_General_Date ON Tbl_Emp_Attn_Log_General (TDATE);

-- Work table of the open-shift pairing: pairs are built and closed here, then posted to
-- Tbl_Emp_Attn_Log_General while IsNew is 1. A pair is open while OutTime is NULL, '' or '0'.
CREATE TABLE Tbl_Emp_Attn_Log_Temp (
    Sno           numeric(18,0) IDENTITY(1,1) NOT NULL PRIMARY KEY,
    Emp_Id        int NULL,
    TDate         smalldatetime NULL,
    INTime        varchar(15) NULL,
    Verify        tinyint NULL,         -- verify code of the sign-in punch
    Status        int NULL,
    WorkCode      int NULL,
    OutTIme       varchar(15) NULL,
    SignInBranch  int NULL,
    SignOutBranch int NULL,
    breakouttime  varchar(15) NULL,
    breakoutmode  int NULL,
    boutdate      datetime NULL,
    breakintime   varchar(15) NULL,
    breakinmode   int NULL,
    bindate       datetime NULL,
    OutDate       datetime NULL,
    VerifyOut     int NULL,             -- verify code of the sign-out punch
    counter       int NULL,             -- the pair's number within the day
    IsNew         int NULL,             -- 1 while the pair waits to be posted
    Remarks       nvarchar(255) NULL
);
CREATE INDEX IX_Emp_Attn_Log_Temp_Day ON Tbl_Emp_Attn_Log_Temp (Emp_Id, TDate);
-- The sign-in day closes the sign-out index: the renumbering after a night shift asks for
-- the pairs that sign out on a day and began before it, and with the sign-in day alone in
-- reach SQLite would walk every earlier pair of the employee instead.
CREATE INDEX IX_Emp_Attn_Log_Temp_Out ON Tbl_Emp_Attn_Log_Temp (Emp_Id, OutDate, TDate);
GO


-- ---------------------------------------------------------------------------------------
-- proc_Get_WH_ID: the working-hour id of an employee's day row.
-- ---------------------------------------------------------------------------------------
-- The rule is the one the history screen's manual corrections use, so a day posted by the
-- pairing gets the same working hours as one signed in by hand: the weekday of @checkdate
-- ('yyyy-MM-dd', Sunday 1 to Saturday 7), then the lowest WorkHOur_ID among the employee's
-- Tbl_Org_WorkingHrs rows for that weekday that have a Tbl_Org_Working_Hrs row, or, when the
-- employee has none, among the rows of Emp_ID 0 (the organisation's default). No row at all
-- when neither exists, and the caller then takes working hours 1.
-- @checktime plays no part: the working-hour tables hold no times to choose a shift by.
-- The weekday is counted from 7 January 1900, a Sunday, so that it does not depend on the
-- session's DATEFIRST setting.
CREATE PROCEDURE proc_Get_WH_ID
    @empid int,
    @checkdate varchar(10),
    @checktime varchar(15)
AS
SET NOCOUNT ON
SELECT TOP 1 wh.WorkHOur_ID AS signed_shift_id
FROM Tbl_Org_WorkingHrs wh
INNER JOIN Tbl_Org_Working_Hrs w ON w.Work_ID = wh.WorkHOur_ID
WHERE wh.Emp_ID IN (@empid, 0)
  AND wh.Day_ID = DATEDIFF(day, '19000107', CONVERT(date, @checkdate, 23)) % 7 + 1
ORDER BY CASE WHEN wh.Emp_ID = @empid THEN 0 ELSE 1 END, wh.WorkHOur_ID
GO


-- The pairing marks each punch copy it has taken by employee, date and time, which is also
-- how the feed tells a punch copied before.
CREATE INDEX IX_Emp_Attn_Log_Temp_Bck_Punch ON Tbl_Emp_Attn_Log_Temp_Bck (EmpID, logDate, LogTime);
GO
