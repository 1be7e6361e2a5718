-- Quorvane demo data, SQLite dialect, for an empty database built from schema.sqlite.sql.
--
-- One organisation with three departments and twenty employees. Employee numbers 1 to 20
-- are also the user numbers on the terminals, so punches from the simulator's users land on
-- named employees. The names include the awkward cases the screens must cope with: a NULL
-- middle name (number 2), a quote (number 3) and letters outside ASCII (numbers 4 and 5).
-- Comments hold no semicolons, so a loader may split the script at each one.


-- Terminals. Two network terminals on the local simulator and one on a serial line. The
-- fields of the mode not chosen are empty, as the register screen saves them.
INSERT INTO Tbl_DeviceMaster (DeviceID, ComNo, DeviceDescription, PortNo, IPAddress, BaudRate, ConMode, Log_Mode)
VALUES (1, '', 'Front Gate', '4370', '127.0.0.1', '', 1, 3);
INSERT INTO Tbl_DeviceMaster (DeviceID, ComNo, DeviceDescription, PortNo, IPAddress, BaudRate, ConMode, Log_Mode)
VALUES (2, '', 'Warehouse', '4371', '127.0.0.1', '', 1, 3);
INSERT INTO Tbl_DeviceMaster (DeviceID, ComNo, DeviceDescription, PortNo, IPAddress, BaudRate, ConMode, Log_Mode)
VALUES (3, '1', 'Back Office', '', '', '9600', 0, 3);


-- Organisation and departments.
INSERT INTO Tbl_Org (Org_ID, Org_Name) VALUES (1, 'Harbourline Freight Ltd');

INSERT INTO tbl_Org_Dept (Dept_ID, Dept_Name) VALUES (1, 'Administration');
INSERT INTO tbl_Org_Dept (Dept_ID, Dept_Name) VALUES (2, 'Production');
INSERT INTO tbl_Org_Dept (Dept_ID, Dept_Name) VALUES (3, 'Warehouse');


-- Employees.
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (1, 'Amelia', 'Jane', 'Hart');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (2, 'Brian', NULL, 'Okafor');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (3, 'Siobhan', 'Mary', 'O''Brien');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (4, 'Zoë', '', 'Lambert');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (5, 'Łukasz', 'Piotr', 'Nowak');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (6, 'Daniel', '', 'Reyes');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (7, 'Priya', '', 'Raman');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (8, 'Thomas', 'Edward', 'Clarke');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (9, 'Grace', '', 'Mensah');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (10, 'Henrik', '', 'Larsen');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (11, 'Isabel', 'Rose', 'Fontaine');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (12, 'Jamal', '', 'Haddad');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (13, 'Keiko', '', 'Tanaka');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (14, 'Liam', 'Patrick', 'Doyle');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (15, 'Maria', '', 'Santos');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (16, 'Nikolai', '', 'Petrov');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (17, 'Olivia', '', 'Bennett');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (18, 'Rafael', '', 'Costa');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (19, 'Sara', '', 'Lindqvist');
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (20, 'Victor', '', 'Adeyemi');


-- Office records, one per employee, PID = employee number. Priya Raman (7) moved from
-- Production to the Warehouse, so she has a second, later record (PID 21), and the tree shows
-- her under Warehouse only. Category 1 (Production and Warehouse) earns substitute leave for
-- work on a holiday or weekend day, 2 (Administration) is credited but earns none, Victor
-- Adeyemi (20) has no category. Jamal Haddad (12) has CHKDontCal set, so his weekend days
-- earn nothing.
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (1, 1, 1, 2, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (2, 2, 1, 2, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (3, 3, 1, 2, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (4, 4, 1, 2, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (5, 5, 2, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (6, 6, 2, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (7, 7, 2, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (8, 8, 2, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (9, 9, 2, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (10, 10, 2, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (11, 11, 2, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (12, 12, 2, 1, 1);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (13, 13, 2, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (14, 14, 3, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (15, 15, 3, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (16, 16, 3, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (17, 17, 3, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (18, 18, 3, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (19, 19, 3, 1, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (20, 20, 3, NULL, 0);
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (21, 7, 3, 1, 0);

-- Each employee's current office record.
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (1, 1);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (2, 2);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (3, 3);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (4, 4);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (5, 5);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (6, 6);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (7, 21);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (8, 8);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (9, 9);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (10, 10);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (11, 11);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (12, 12);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (13, 13);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (14, 14);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (15, 15);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (16, 16);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (17, 17);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (18, 18);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (19, 19);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (20, 20);


-- Working hours: 1 the day shift, 2 the Saturday half day, 3 the night shift.
INSERT INTO Tbl_Org_Working_Hrs (Work_ID) VALUES (1);
INSERT INTO Tbl_Org_Working_Hrs (Work_ID) VALUES (2);
INSERT INTO Tbl_Org_Working_Hrs (Work_ID) VALUES (3);

-- The organisation's default (Emp_ID 0) covers every weekday, so no day is left without
-- working hours: the day shift, and the half day on Saturday (Day_ID 7).
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (0, 1, 1);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (0, 1, 2);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (0, 1, 3);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (0, 1, 4);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (0, 1, 5);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (0, 1, 6);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (0, 2, 7);

-- Three warehouse staff work nights from Sunday to Thursday (their weekend is Friday, below)
-- and fall back to the default on Saturday.
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (16, 3, 1);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (16, 3, 2);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (16, 3, 3);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (16, 3, 4);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (16, 3, 5);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (17, 3, 1);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (17, 3, 2);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (17, 3, 3);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (17, 3, 4);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (17, 3, 5);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (18, 3, 1);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (18, 3, 2);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (18, 3, 3);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (18, 3, 4);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (18, 3, 5);


-- Christmas Day 2026, a Friday.
INSERT INTO Tbl_Org_Holiday (holiday_id, holiday_date) VALUES (1, '2026-12-25');


-- Weekends: Saturday and Sunday by default. The warehouse works through the weekend, so its
-- staff (Priya Raman included since her move) have Friday off instead.
INSERT INTO Tbl_Org_WeekEnd (emp_id, sun, mon, tue, wed, thu, fri, sat) VALUES (0, 1, 0, 0, 0, 0, 0, 1);
INSERT INTO Tbl_Org_WeekEnd (emp_id, sun, mon, tue, wed, thu, fri, sat) VALUES (7, 0, 0, 0, 0, 0, 1, 0);
INSERT INTO Tbl_Org_WeekEnd (emp_id, sun, mon, tue, wed, thu, fri, sat) VALUES (14, 0, 0, 0, 0, 0, 1, 0);
INSERT INTO Tbl_Org_WeekEnd (emp_id, sun, mon, tue, wed, thu, fri, sat) VALUES (15, 0, 0, 0, 0, 0, 1, 0);
INSERT INTO Tbl_Org_WeekEnd (emp_id, sun, mon, tue, wed, thu, fri, sat) VALUES (16, 0, 0, 0, 0, 0, 1, 0);
INSERT INTO Tbl_Org_WeekEnd (emp_id, sun, mon, tue, wed, thu, fri, sat) VALUES (17, 0, 0, 0, 0, 0, 1, 0);
INSERT INTO Tbl_Org_WeekEnd (emp_id, sun, mon, tue, wed, thu, fri, sat) VALUES (18, 0, 0, 0, 0, 0, 1, 0);
INSERT INTO Tbl_Org_WeekEnd (emp_id, sun, mon, tue, wed, thu, fri, sat) VALUES (19, 0, 0, 0, 0, 0, 1, 0);
INSERT INTO Tbl_Org_WeekEnd (emp_id, sun, mon, tue, wed, thu, fri, sat) VALUES (20, 0, 0, 0, 0, 0, 1, 0);


-- Leave types of the personnel application. 'Substitute Leave' is left out on purpose: the
-- program adds it, with the next free Leave_Id, the first time an employee earns a day of it.
INSERT INTO Tbl_Org_Leave_Info (Leave_Id, Leave_Name, Leave_Days, Leave_Type) VALUES (1, 'Annual Leave', 20, 1);
INSERT INTO Tbl_Org_Leave_Info (Leave_Id, Leave_Name, Leave_Days, Leave_Type) VALUES (2, 'Sick Leave', 10, 1);


-- The night shift: Nadia Kowalczyk (21), Warehouse, signs in at 22:00 and out at 06:00 the
-- next morning (the Warehouse demo terminal holds her punches). Her working hours are the
-- night shift on every weekday.
INSERT INTO Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) VALUES (21, 'Nadia', '', 'Kowalczyk');
INSERT INTO Tbl_Emp_Off_Info (PID, Emp_ID, Dept_ID, emp_category, CHKDontCal) VALUES (22, 21, 3, 1, 0);
INSERT INTO Tbl_Emp_DBID (emp_id, pid) VALUES (21, 22);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (21, 3, 1);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (21, 3, 2);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (21, 3, 3);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (21, 3, 4);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (21, 3, 5);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (21, 3, 6);
INSERT INTO Tbl_Org_WorkingHrs (Emp_ID, WorkHOur_ID, Day_ID) VALUES (21, 3, 7);
