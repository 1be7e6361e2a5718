-- Quorvane demo daily attendance, SQLite dialect, loaded after demo.sql by scripts/run.
-- Kept apart from demo.sql, whose organisation the screens' tests build on: they expect no
-- daily attendance rows but their own.
-- Comments hold no semicolons, so a loader may split the script at each one.

-- Daily attendance of the two weeks up to yesterday: one pair per employee and working day,
-- weekends and working hours as demo.sql gives them, sign-out punches from the Front Gate.
-- A night shift's pair signs out the next morning (TDATE_OUT that day), as Sign In and then
-- Sign Out, with the sign-out day left on the evening, file it. Sign In - Sign Out does not
-- make such rows: for each employee and each day with punches in the range it deletes the
-- day's rows and writes one row of that day's own punches, the first as sign-in and, with
-- two or more, the last as sign-out (one punch gives a sign-in alone), with no TDATE_OUT and
-- no COUNTER. A night worker's day then pairs the morning's sign-out with the evening's
-- sign-in.
-- Siobhan O'Brien (3) has not signed out on her last working day. Tools, Settings, tab
-- "SQL Script", From two weeks ago To yesterday writes it out as a script.
WITH RECURSIVE days (n, day) AS (
    SELECT 14, date('now', 'localtime', '-14 days')
    UNION ALL
    SELECT n - 1, date(day, '+1 day') FROM days WHERE n > 1
),
shifts AS (
    SELECT e.Emp_ID AS emp, d.n AS n, d.day AS day, (e.Emp_ID * 7 + d.n * 3) % 20 AS late,
        COALESCE(
            (SELECT w.WorkHOur_ID FROM Tbl_Org_WorkingHrs w
             WHERE w.Emp_ID = e.Emp_ID AND w.Day_ID = strftime('%w', d.day) + 1),
            (SELECT w.WorkHOur_ID FROM Tbl_Org_WorkingHrs w
             WHERE w.Emp_ID = 0 AND w.Day_ID = strftime('%w', d.day) + 1)) AS work
    FROM Tbl_Emp_Info e CROSS JOIN days d
    WHERE COALESCE(
        (SELECT CASE strftime('%w', d.day) WHEN '0' THEN k.sun WHEN '1' THEN k.mon
                WHEN '2' THEN k.tue WHEN '3' THEN k.wed WHEN '4' THEN k.thu
                WHEN '5' THEN k.fri ELSE k.sat END
         FROM Tbl_Org_WeekEnd k WHERE k.emp_id IN (e.Emp_ID, 0)
         ORDER BY k.emp_id DESC LIMIT 1), 0) = 0
),
marked AS (
    SELECT s.*, s.emp = 3 AND s.day = (SELECT max(t.day) FROM shifts t WHERE t.emp = 3) AS open
    FROM shifts s
)
INSERT INTO Tbl_Emp_Attn_Log_General (EMP_ID, WORKHOUR_ID, TDATE, TDATE_OUT, INTIME, INMODE, OUTTIME, OUTMODE, COUNTER, SignOutBranch)
SELECT emp, work, day,
    CASE WHEN open THEN NULL WHEN work = 3 THEN date(day, '+1 day') ELSE day END,
    printf('%02d:%02d:%02d', CASE work WHEN 2 THEN 9 WHEN 3 THEN 22 ELSE 8 END, late, emp * 11 % 60),
    'FPrint',
    CASE WHEN open THEN NULL
        ELSE printf('%02d:%02d:%02d', CASE work WHEN 2 THEN 13 WHEN 3 THEN 6 ELSE 17 END,
                    late * 3 % 60, (emp + n) * 7 % 60) END,
    CASE WHEN open THEN NULL ELSE 'FPrint' END,
    1,
    CASE WHEN open THEN NULL ELSE 1 END
FROM marked;
