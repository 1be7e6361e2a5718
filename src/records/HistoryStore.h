#pragma once
// What the attendance history screen reads: the organisation tree of departments and
// employees, and one employee's punches between two days. No widgets; every value bound.

#include <QDate>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVector>

class Db;
class Dialect;

namespace HistoryStore {

struct Employee
{
    int empId = 0;
    QString fullName; // first, middle and last name joined by blanks; a NULL part is empty
};

struct Department
{
    int deptId = 0;
    QString name;
    QVector<Employee> employees; // by full name
};

// Every department some office record points to, by name, each with the employees whose
// latest office record (highest PID) names it. Built from two reads grouped in one pass.
QVector<Department> departments(Db& db);

// The first organisation's name; throws DbError when Tbl_Org holds no row.
QString organisationName(Db& db);

// One punch as the history list shows it and the commands read it.
struct Punch
{
    QDate day;
    QString time;        // LogTime as stored, "HH:mm:ss"
    QVariant verifyMode; // may be NULL
    QVariant inOutMode;  // may be NULL
};

// Reads employees' punches with one statement prepared once, for a screen that lists one
// employee after another.
class PunchReader
{
public:
    explicit PunchReader(Db& db);
    ~PunchReader();
    // The employee's distinct punches from `from` to `to` (both days included), by day then
    // time. A range whose first day is after its last finds nothing.
    QVector<Punch> read(int empId, const QDate& from, const QDate& to);

private:
    Db& m_db;
    QSqlQuery m_query;
};

// A day read back from a date column, whichever of the two forms the driver returns.
QDate dayOf(const QVariant& value);

} // namespace HistoryStore
