#include "Dialect.h"

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
