-- Quorvane database, SQLite dialect.
--
-- The program never creates tables: in production they belong to the shared SQL Server
-- database (schema.mssql.sql holds the same tables). This script builds an empty embedded
-- database for the sqlite: configuration, the tests, the benchmarks and the demo.
--
-- SQLite has no date type, so every date is ISO text: 'yyyy-MM-dd' for a day, with
-- ' HH:mm:ss' added where a time of day belongs to the value. Text in that form compares and
-- sorts as the dates it stands for, which is what the equality tests and BETWEEN ranges of
-- the queries need. The CHECKs on date columns do the work SQL Server's date types do there:
-- they refuse anything else (a locale short date, a QDateTime bound with its 'T' and
-- milliseconds) instead of storing text that no later query would match.
--
-- Declared types are INT, VARCHAR and DATETIME, which QSQLITE maps to sane field types.
-- Name and remark columns that SQL Server compares without regard to case are NOCASE here.
-- Comments hold no semicolons, so a loader may split the script at each one.


-- ---------------------------------------------------------------------------------------
-- Terminals and what they hold
-- ---------------------------------------------------------------------------------------

-- The terminal register. It declares no key: unique machine numbers rest on the register
-- screen's duplicate test, and a save of an edited terminal deletes and re-inserts its row.
CREATE TABLE Tbl_DeviceMaster (
    DeviceID          INT NOT NULL,
    ComNo             VARCHAR(4),
    DeviceDescription VARCHAR(255) COLLATE NOCASE,
    PortNo            VARCHAR(10),
    IPAddress         VARCHAR(18),
    BaudRate          VARCHAR(10),
    ConMode           INT,              -- 0 serial, 1 network, anything else cannot connect
    Log_Mode          INT               -- written as 3 and read by nothing
);
CREATE INDEX IX_DeviceMaster_DeviceID ON Tbl_DeviceMaster (DeviceID);

-- Users seen on a terminal at connect time. Rows are inserted by position, so the six
-- columns and their order are fixed.
CREATE TABLE Tbl_UserLogInfo (
    DeviceUserID INT NOT NULL,
    UserName     VARCHAR(50) COLLATE NOCASE,
    Pwd          VARCHAR(50),
    Privilege    INT,                   -- 0 to 3
    Enabled      INT,                   -- -1 enabled, 0 disabled
    DeviceID     INT NOT NULL
);
-- Not unique: a row is inserted only after a look-up by this pair found none.
CREATE INDEX IX_UserLogInfo_User ON Tbl_UserLogInfo (DeviceUserID, DeviceID);

-- Users with their fingerprint templates, one row per user, finger and terminal (a user
-- without fingerprints has one row with finger 0 and an empty template). Inserted by
-- position: the ten columns and their order are fixed.
CREATE TABLE Tbl_UserTemplate (
    DeviceUserID   INT NOT NULL,
    DeviceUserName VARCHAR(50) COLLATE NOCASE,
    FingerIndex    INT NOT NULL,        -- 0 to 9
    FTemplate      VARCHAR(8000),
    DeviceID       INT NOT NULL,
    rfid           INT,                 -- card number
    password       VARCHAR(50),
    previlege      INT,
    Status         INT,                 -- enabled flag as the terminal reports it
    IsNew          INT
);
-- Each download deletes by (user, finger, terminal) before it inserts, and the copy and
-- upload read a user's rows of every terminal, which the leading column serves.
CREATE INDEX IX_UserTemplate_Finger ON Tbl_UserTemplate (DeviceUserID, FingerIndex, DeviceID);
CREATE INDEX IX_UserTemplate_Device ON Tbl_UserTemplate (DeviceID);

-- Scheduled terminal tasks.
CREATE TABLE Tbl_Task (
    TaskID      INTEGER PRIMARY KEY AUTOINCREMENT,
    DeviceIndex INT,                    -- element of the main window's control array
    Task        INT,                    -- task code 0 to 5
    TaskDate    VARCHAR(20),            -- the date as the editor writes it
    TaskTime    VARCHAR(20),            -- 'HH:mm', 24-hour
    Remarks     VARCHAR(200),
    Performed   VARCHAR(1),             -- 'Y' after a successful run, else NULL
    TaskEachDay VARCHAR(1),             -- '1' every day, '0' only on TaskDate
    DeviceID    INT
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
    Emp_ID        INT NOT NULL,
    VerifyMode    INT,
    InOutMode     INT,
    LogDate       DATETIME NOT NULL
        CHECK (LogDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    -- The time text itself is part of the punch's identity, so one spelling only.
    LogTime       VARCHAR(20) NOT NULL
        CHECK (LogTime GLOB '[0-2][0-9]:[0-5][0-9]:[0-5][0-9]'),
    ExtractedFrom INT,                  -- DeviceID of the terminal, or of the USB file's terminal
    isnew         INT,
    emp_name      VARCHAR(50),          -- '' from a terminal, 'USB' from a USB file
    indx          INT
);
-- The codes close the punch index so that the pairing's feed, which reads every punch from a
-- day on in date and time order, finds all it reads in the index and never visits the rows.
CREATE INDEX IX_DeviceAttenLog_Punch
    ON Tbl_DeviceAttenLog (LogDate, LogTime, Emp_ID, InOutMode, VerifyMode);
CREATE INDEX IX_DeviceAttenLog_Emp ON Tbl_DeviceAttenLog (Emp_ID, LogDate);

CREATE TABLE tbl_attendancelog (
    Emp_ID        INT NOT NULL,
    VerifyMode    INT,
    InOutMode     INT,
    LogDate       DATETIME NOT NULL
        CHECK (LogDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'),
    LogTime       VARCHAR(20) NOT NULL
        CHECK (LogTime GLOB '[0-2][0-9]:[0-5][0-9]:[0-5][0-9]'),
    ExtractedFrom INT,
    isnew         INT,
    emp_name      VARCHAR(50)
);
CREATE INDEX IX_attendancelog_Punch ON tbl_attendancelog (LogDate, LogTime, Emp_ID);
CREATE INDEX IX_attendancelog_Emp ON tbl_attendancelog (Emp_ID, LogDate);

-- Punch copies that the open-shift pairing reads in Indx order. Filled by position with
-- seven values, so no further column may be added.
CREATE TABLE Tbl_Emp_Attn_Log_Temp_Bck (
    Indx       INT,                     -- running number of the copy, from 0
    EmpID      INT,
    VerifyMode INT,
    InOutMode  INT,
    logDate    VARCHAR(10),             -- 'yyyy-MM-dd'
    LogTime    VARCHAR(20),             -- time text as the copy writes it
    IsNew      INT                      -- always 1
);
CREATE INDEX IX_Emp_Attn_Log_Temp_Bck_Emp ON Tbl_Emp_Attn_Log_Temp_Bck (EmpID, Indx);


-- ---------------------------------------------------------------------------------------
-- Organisation and employees (owned by the personnel application)
-- ---------------------------------------------------------------------------------------

CREATE TABLE Tbl_Org (
    Org_ID   INT NOT NULL PRIMARY KEY,
    Org_Name VARCHAR(100) COLLATE NOCASE
);

CREATE TABLE tbl_Org_Dept (
    Dept_ID   INT NOT NULL PRIMARY KEY,
    Dept_Name VARCHAR(100) COLLATE NOCASE
);

-- Emp_ID is also the user number on every terminal.
CREATE TABLE Tbl_Emp_Info (
    Emp_ID         INT NOT NULL PRIMARY KEY,
    Emp_FirstName  VARCHAR(50) COLLATE NOCASE,
    Emp_MiddleName VARCHAR(50) COLLATE NOCASE,
    Emp_LastName   VARCHAR(50) COLLATE NOCASE
);

-- Office records: an employee may have several, the latest has the highest PID. No
-- reference to tbl_Org_Dept: a record may name a department the organisation no longer has.
CREATE TABLE Tbl_Emp_Off_Info (
    PID          INT NOT NULL PRIMARY KEY,
    Emp_ID       INT NOT NULL,
    Dept_ID      INT,
    emp_category INT,                   -- credited as the attendance status on holidays
    CHKDontCal   INT NOT NULL DEFAULT 0 -- 1: weekend days earn nothing
);
CREATE INDEX IX_Emp_Off_Info_Emp ON Tbl_Emp_Off_Info (Emp_ID, PID);
CREATE INDEX IX_Emp_Off_Info_Dept ON Tbl_Emp_Off_Info (Dept_ID);

-- The employee's current office record.
CREATE TABLE Tbl_Emp_DBID (
    emp_id INT NOT NULL PRIMARY KEY,
    pid    INT NOT NULL
);


-- ---------------------------------------------------------------------------------------
-- Working hours, holidays, weekends and leave (owned by the personnel application)
-- ---------------------------------------------------------------------------------------

-- The working-hour definitions. The look-up joins this table to Tbl_Org_WorkingHrs and
-- names Emp_ID and Day_ID unqualified, so neither may appear here.
CREATE TABLE Tbl_Org_Working_Hrs (
    Work_ID INT NOT NULL PRIMARY KEY
);

-- Which working hours an employee keeps on which weekday. Emp_ID 0 holds the
-- organisation's default for employees without rows of their own for that weekday.
CREATE TABLE Tbl_Org_WorkingHrs (
    Emp_ID      INT NOT NULL,
    WorkHOur_ID INT NOT NULL,
    Day_ID      INT NOT NULL,           -- 1 Sunday to 7 Saturday
    PRIMARY KEY (Emp_ID, Day_ID, WorkHOur_ID)
);

CREATE TABLE Tbl_Org_Holiday (
    holiday_id   INT NOT NULL PRIMARY KEY,
    holiday_date DATETIME NOT NULL
        CHECK (holiday_date GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]')
);
CREATE INDEX IX_Org_Holiday_Date ON Tbl_Org_Holiday (holiday_date);

-- Weekend days per employee (1 = weekend). emp_id 0 is the default row. The day columns
-- must keep this order: the posting picks a column by weekday number, Sunday first.
CREATE TABLE Tbl_Org_WeekEnd (
    emp_id INT NOT NULL PRIMARY KEY,
    sun    INT NOT NULL DEFAULT 0,
    mon    INT NOT NULL DEFAULT 0,
    tue    INT NOT NULL DEFAULT 0,
    wed    INT NOT NULL DEFAULT 0,
    thu    INT NOT NULL DEFAULT 0,
    fri    INT NOT NULL DEFAULT 0,
    sat    INT NOT NULL DEFAULT 0
);

-- Leave types. Leave_Id is handed out as max + 1 by the program, so it is no identity.
CREATE TABLE Tbl_Org_Leave_Info (
    Leave_Id   INT NOT NULL PRIMARY KEY,
    Leave_Name VARCHAR(50) COLLATE NOCASE,
    Leave_Days INT,
    Leave_Type INT
);
CREATE INDEX IX_Org_Leave_Info_Name ON Tbl_Org_Leave_Info (Leave_Name);

-- Days of each leave type given to each employee.
CREATE TABLE Tbl_Org_Leave_Log (
    Emp_Id   INT NOT NULL,
    Leave_Id INT NOT NULL,
    Given    INT NOT NULL DEFAULT 0,
    PRIMARY KEY (Leave_Id, Emp_Id)
);


-- ---------------------------------------------------------------------------------------
-- Daily attendance
-- ---------------------------------------------------------------------------------------

-- One employee's sign-in and sign-out of one day and one pair (COUNTER). Rows are found by
-- employee and day, or by employee and sign-out day, never by a key of their own.
CREATE TABLE Tbl_Emp_Attn_Log_General (
    EMP_ID        INT NOT NULL REFERENCES Tbl_Emp_Info (Emp_ID),
    WORKHOUR_ID   INT NOT NULL REFERENCES Tbl_Org_Working_Hrs (Work_ID),
    TDATE         DATETIME NOT NULL
        CHECK (TDATE GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'
            OR TDATE GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'),
    TDATE_OUT     DATETIME
        CHECK (TDATE_OUT IS NULL
            OR TDATE_OUT GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'
            OR TDATE_OUT GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'),
    INTIME        VARCHAR(15),
    INMODE        VARCHAR(20),          -- 'FPrint', 'Password' or 'Card'
    OUTTIME       VARCHAR(15),
    OUTMODE       VARCHAR(20),
    COUNTER       INT,
    SignOutBranch INT,
    INREMARKS     VARCHAR(255) COLLATE NOCASE,
    OUTREMARKS    VARCHAR(255) COLLATE NOCASE,
    ATT_STATUS    INT NOT NULL DEFAULT 0,
    IS_HALTED     INT DEFAULT 0,
    FLGIN         INT NOT NULL DEFAULT 0,
    FLGOUT        INT NOT NULL DEFAULT 0,
    SignInBranch  INT,
    OUT_VNO       VARCHAR(20)
);
CREATE INDEX IX_Emp_Attn_Log_General_Day ON Tbl_Emp_Attn_Log_General (EMP_ID, TDATE);
-- Double-duty checks and the renumbering after a night shift go by sign-out day.
CREATE INDEX IX_Emp_Attn_Log_General_Out ON Tbl_Emp_Attn_Log_General (EMP_ID, TDATE_OUT);
-- The fill commands and the script export scan a range of days for every employee.
CREATE INDEX IX_Emp_Attn_Log_General_Date ON Tbl_Emp_Attn_Log_General (TDATE);

-- Work table of the open-shift pairing: pairs are built and closed here, then posted to
-- Tbl_Emp_Attn_Log_General while IsNew is 1. A pair is open while OutTime is NULL, '' or '0'.
CREATE TABLE Tbl_Emp_Attn_Log_Temp (
    Sno           INTEGER PRIMARY KEY AUTOINCREMENT,
    Emp_Id        INT,
    TDate         DATETIME
        CHECK (TDate IS NULL
            OR TDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'
            OR TDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'),
    INTime        VARCHAR(15),
    Verify        INT,                  -- verify code of the sign-in punch
    Status        INT,
    WorkCode      INT,
    OutTIme       VARCHAR(15),
    SignInBranch  INT,
    SignOutBranch INT,
    breakouttime  VARCHAR(15),
    breakoutmode  INT,
    boutdate      DATETIME
        CHECK (boutdate IS NULL
            OR boutdate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'
            OR boutdate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'),
    breakintime   VARCHAR(15),
    breakinmode   INT,
    bindate       DATETIME
        CHECK (bindate IS NULL
            OR bindate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'
            OR bindate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'),
    OutDate       DATETIME
        CHECK (OutDate IS NULL
            OR OutDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]'
            OR OutDate GLOB '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'),
    VerifyOut     INT,                  -- verify code of the sign-out punch
    counter       INT,                  -- the pair's number within the day
    IsNew         INT,                  -- 1 while the pair waits to be posted
    Remarks       VARCHAR(255) COLLATE NOCASE
);
CREATE INDEX IX_Emp_Attn_Log_Temp_Day ON Tbl_Emp_Attn_Log_Temp (Emp_Id, TDate);
-- The sign-in day closes the sign-out index: the renumbering after a night shift asks for
-- the pairs that sign out on a day and began before it, and with the sign-in day alone in
-- reach SQLite would walk every earlier pair of the employee instead.
CREATE INDEX IX_Emp_Attn_Log_Temp_Out ON Tbl_Emp_Attn_Log_Temp (Emp_Id, OutDate, TDate);


-- ---------------------------------------------------------------------------------------
-- proc_Get_WH_ID
-- ---------------------------------------------------------------------------------------
-- SQLite has no stored procedures. Where SQL Server runs proc_Get_WH_ID, the program answers
-- the call itself with the same rule as the procedure in schema.mssql.sql: the weekday of the
-- check date (Sunday 1 to Saturday 7), the lowest WorkHOur_ID of the employee's
-- Tbl_Org_WorkingHrs rows for that weekday that has a Tbl_Org_Working_Hrs row, else the
-- lowest of the Emp_ID 0 rows, else no row at all (the caller then takes working hours 1).
-- The check time plays no part because the working-hour tables hold no times.


-- The pairing marks each punch copy it has taken by employee, date and time, which is also
-- how the feed tells a punch copied before.
CREATE INDEX IX_Emp_Attn_Log_Temp_Bck_Punch ON Tbl_Emp_Attn_Log_Temp_Bck (EmpID, logDate, LogTime);
