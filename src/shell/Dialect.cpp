#include "Dialect.h"

#include <algorithm>

QString Dialect::concat(const QStringList& parts) const
{
    return parts.join(m_kind == SqlServer ? QStringLiteral("+") : QStringLiteral("||"));
}

QString Dialect::isNull(const QString& expr, const QString& fallback) const
{
    return QStringLiteral("%1(%2,%3)")
        .arg(m_kind == SqlServer ? QStringLiteral("ISNULL") : QStringLiteral("IFNULL"), expr,
             fallback);
}

QString Dialect::castDateTime(const QString& expr) const
{
    return m_kind == SqlServer ? QStringLiteral("CAST(%1 AS DATETIME)").arg(expr)
                               : QStringLiteral("datetime(%1)").arg(expr);
}

QString Dialect::savepoint(const QString& name) const
{
    return m_kind == SqlServer ? QStringLiteral("SAVE TRANSACTION ") + name
                               : QStringLiteral("SAVEPOINT ") + name;
}

QString Dialect::rollbackToSavepoint(const QString& name) const
{
    return m_kind == SqlServer ? QStringLiteral("ROLLBACK TRANSACTION ") + name
                               : QStringLiteral("ROLLBACK TO ") + name;
}

QString Dialect::releaseSavepoint(const QString& name) const
{
    return m_kind == SqlServer ? QString() : QStringLiteral("RELEASE ") + name;
}

QVariant Dialect::dateValue(const QDate& date) const
{
    // No date binds NULL, never an empty text.
    if (!date.isValid())
        return QVariant(QMetaType::fromType<QDate>());
    if (m_kind == SqlServer)
        return date;
    return date.toString(Qt::ISODate); // "yyyy-MM-dd", without parsing a format per call
}

QVariant Dialect::dateTimeValue(const QDateTime& dateTime) const
{
    if (!dateTime.isValid())
        return QVariant(QMetaType::fromType<QDateTime>());
    if (m_kind == SqlServer)
        return dateTime;
    return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDate Dialect::firstHeldDate() const
{
    return m_kind == SqlServer ? QDate(1900, 1, 1) : QDate(1, 1, 1);
}

QDate Dialect::lastHeldDate() const
{
    return m_kind == SqlServer ? QDate(2079, 6, 6) : QDate(9999, 12, 31);
}

bool Dialect::holdsDate(const QDate& date) const
{
    return date.isValid() && date >= firstHeldDate() && date <= lastHeldDate();
}

bool Dialect::clampRange(QDate& from, QDate& to) const
{
    if (!from.isValid() || !to.isValid() || to < firstHeldDate() || from > lastHeldDate())
        return false;
    from = std::max(from, firstHeldDate());
    to = std::min(to, lastHeldDate());
    return true;
}

QString Dialect::workingHourQuery() const
{
    if (m_kind == SqlServer)
        return QStringLiteral("exec proc_Get_WH_ID @empid=?, @checkdate=?, @checktime=?");
    // The employee's own rows for the check date's weekday (Sunday 1 to Saturday 7) before
    // the organisation's (employee 0), the lowest working-hour id first. The check time
    // takes no part: the working-hour tables hold no times.
    return QStringLiteral(
        "SELECT wh.WorkHOur_ID AS signed_shift_id "
        "FROM Tbl_Org_WorkingHrs wh "
        "INNER JOIN Tbl_Org_Working_Hrs w ON w.Work_ID = wh.WorkHOur_ID "
        "JOIN (SELECT ? AS empid, ? AS checkdate, ? AS checktime) p "
        "WHERE wh.Emp_ID IN (p.empid, 0) "
        "AND wh.Day_ID = CAST(strftime('%w', p.checkdate) AS INTEGER) + 1 "
        "ORDER BY CASE WHEN wh.Emp_ID = p.empid THEN 0 ELSE 1 END, wh.WorkHOur_ID "
        "LIMIT 1");
}
