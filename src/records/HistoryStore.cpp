#include "HistoryStore.h"

#include "shell/Db.h"

#include <QHash>
#include <QSqlQuery>

namespace HistoryStore {

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
    QHash<int, int> indexOf; // Dept_ID -> position in result
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

PunchReader::PunchReader(Db& db)
    : m_db(db),
      // Duplicates are dropped below: asked to collapse them, SQLite sorts every row twice.
      m_query(db.prepare(
          QStringLiteral("Select LogDate, LogTime, VerifyMode, InOutMode From Tbl_DeviceAttenLog"
                         " Where Emp_ID=? And LogDate Between ? And ?"
                         " Order By LogDate, LogTime, VerifyMode, InOutMode")))
{
}

PunchReader::~PunchReader() = default;

QVector<Punch> PunchReader::read(int empId, const QDate& from, const QDate& to)
{
    QVector<Punch> result;
    const Dialect& dialect = m_db.dialect();
    Db::run(m_query, {empId, dialect.dateValue(from), dialect.dateValue(to)});
    QVariant lastDate;
    while (m_query.next()) {
        const QVariant date = m_query.value(0);
        Punch p{QDate(), m_query.value(1).toString(), m_query.value(2), m_query.value(3)};
        // Equal punches come together in this order; each is listed once.
        if (!result.isEmpty() && date == lastDate && p.time == result.last().time &&
            p.verifyMode == result.last().verifyMode && p.inOutMode == result.last().inOutMode)
            continue;
        p.day = date == lastDate && !result.isEmpty() ? result.last().day : dayOf(date);
        lastDate = date;
        result.append(p);
    }
    m_query.finish();
    return result;
}

} // namespace HistoryStore
