#include "HistoryStore.h"

#include "shell/Db.h"

#include <QHash>
#include <QSqlQuery>

namespace HistoryStore {

QVariant dayValue(const Dialect& dialect, const QDate& day)
{
    if (dialect.kind() == Dialect::SqlServer)
        return day;
    return day.toString(Qt::ISODate);
}

QDate dayOf(const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    return QDate::fromString(value.toString().left(10), Qt::ISODate);
}

QString organisationName(Db& db)
{
    QSqlQuery q = db.exec(QStringLiteral("Select Org_Name From Tbl_Org"));
    if (!q.next())
        throw DbError(3021, QStringLiteral("Either BOF or EOF is True, or the current record has "
                                           "been deleted. (Tbl_Org holds no organisation.)"));
    const QString name = q.value(0).toString();
    q.finish();
    return name;
}

QVector<Department> departments(Db& db)
{
    QVector<Department> result;
    QHash<int, int> indexOf;  // Dept_ID -> position in result
    {
        QSqlQuery q = db.exec(QStringLiteral(
            "Select Distinct tbl_Org_Dept.Dept_ID, Dept_Name From Tbl_Emp_Off_Info"
            " Inner Join tbl_Org_Dept On Tbl_Emp_Off_Info.Dept_ID=tbl_Org_Dept.Dept_ID"
            " Order By Dept_Name"));
        while (q.next()) {
            Department d;
            d.deptId = q.value(0).toInt();
            d.name = q.value(1).toString();
            indexOf.insert(d.deptId, int(result.size()));
            result.append(d);
        }
    }
    // A NULL name part counts as empty, so a missing middle name still leaves the others.
    const Dialect& dialect = db.dialect();
    const QString empty = QStringLiteral("''");
    const QString fullName = dialect.concat(
        {dialect.isNull(QStringLiteral("Emp_FirstName"), empty), QStringLiteral("' '"),
         dialect.isNull(QStringLiteral("Emp_MiddleName"), empty), QStringLiteral("' '"),
         dialect.isNull(QStringLiteral("Emp_LastName"), empty)});
    QSqlQuery q = db.exec(
        QStringLiteral("Select Distinct Tbl_Emp_Info.Emp_ID, tbl_Org_Dept.Dept_ID, ") + fullName +
        QStringLiteral(
            " as FullName From Tbl_Emp_Off_Info"
            " Inner Join tbl_Org_Dept On Tbl_Emp_Off_Info.Dept_ID=tbl_Org_Dept.Dept_ID"
            " Inner Join Tbl_Emp_Info On Tbl_Emp_Off_Info.Emp_ID=Tbl_Emp_Info.Emp_ID"
            " Where Tbl_Emp_Off_Info.PID In (Select Max(PID) as PID From Tbl_Emp_Off_Info "
            "Group By Emp_ID)"
            " Order By FullName"));
    while (q.next()) {
        const auto at = indexOf.constFind(q.value(1).toInt());
        if (at == indexOf.constEnd())
            continue;
        result[*at].employees.append(Employee{q.value(0).toInt(), q.value(2).toString()});
    }
    return result;
}

QVector<Punch> punches(Db& db, int empId, const QDate& from, const QDate& to)
{
    QVector<Punch> result;
    const Dialect& dialect = db.dialect();
    QSqlQuery q = db.exec(
        QStringLiteral("Select Distinct LogDate, LogTime, VerifyMode, InOutMode"
                       " From Tbl_DeviceAttenLog Where Emp_ID=? And LogDate Between ? And ?"
                       " Order By LogDate, LogTime"),
        {empId, dayValue(dialect, from), dayValue(dialect, to)});
    while (q.next())
        result.append(Punch{dayOf(q.value(0)), q.value(1).toString(), q.value(2), q.value(3)});
    return result;
}

}  // namespace HistoryStore
