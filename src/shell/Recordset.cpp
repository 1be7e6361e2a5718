#include "Recordset.h"

#include <QRegularExpression>
#include <QSqlRecord>

Recordset Recordset::fromQuery(QSqlQuery& query)
{
    QStringList fields;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        fields << record.fieldName(i);
    QVector<QVariantList> rows;
    while (query.next()) {
        QVariantList row;
        row.reserve(fields.size());
        for (int i = 0; i < fields.size(); ++i)
            row << query.value(i);
        rows << row;
    }
    return fromRows(fields, rows);
}

Recordset Recordset::fromRows(const QStringList& fields, const QVector<QVariantList>& rows)
{
    Recordset rs;
    rs.m_open = true;
    rs.m_fields = fields;
    rs.m_rows = rows;
    rs.setFilter(QString());
    return rs;
}

void Recordset::close() { *this = Recordset(); }

void Recordset::MoveFirst() { m_cur = m_view.isEmpty() ? -1 : 0; }

void Recordset::MoveLast() { m_cur = static_cast<int>(m_view.size()) - 1; }

void Recordset::MoveNext()
{
    if (m_cur < m_view.size())
        ++m_cur;
}

void Recordset::MovePrevious()
{
    if (m_cur >= 0)
        --m_cur;
}

int Recordset::AbsolutePosition() const
{
    if (m_view.isEmpty() || m_cur < 0)
        return PosBOF;
    if (m_cur >= m_view.size())
        return PosEOF;
    return m_cur + 1;
}

void Recordset::setAbsolutePosition(int position)
{
    if (position >= 1 && position <= m_view.size())
        m_cur = position - 1;
}

int Recordset::fieldIndex(const QString& name) const
{
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant Recordset::value(const QString& field) const { return value(fieldIndex(field)); }

QVariant Recordset::value(int index) const
{
    if (m_cur < 0 || m_cur >= m_view.size())
        return {};
    return valueAt(m_cur, index);
}

QVariant Recordset::valueAt(int row, int index) const
{
    if (row < 0 || row >= m_view.size() || index < 0 || index >= m_fields.size())
        return {};
    return m_rows[m_view[row]].value(index);
}

namespace {
bool sameValue(const QVariant& cell, const QString& wanted)
{
    if (cell.isNull())
        return false;
    bool a = false, b = false;
    const double x = cell.toString().toDouble(&a);
    const double y = wanted.toDouble(&b);
    if (a && b)
        return x == y;
    return cell.toString().compare(wanted, Qt::CaseInsensitive) == 0;
}
}  // namespace

void Recordset::setFilter(const QString& filter)
{
    m_filter = filter;
    struct Term
    {
        int field;
        QString value;
    };
    QVector<Term> terms;
    static const QRegularExpression andSplit(QStringLiteral("\\s+AND\\s+"),
                                             QRegularExpression::CaseInsensitiveOption);
    for (const QString& part : filter.split(andSplit, Qt::SkipEmptyParts)) {
        const int eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        QString value = part.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('\'')) &&
            value.endsWith(QLatin1Char('\'')))
            value = value.mid(1, value.size() - 2).replace(QStringLiteral("''"),
                                                           QStringLiteral("'"));
        terms << Term{fieldIndex(part.left(eq).trimmed()), value};
    }
    m_view.clear();
    for (int r = 0; r < m_rows.size(); ++r) {
        bool keep = true;
        for (const Term& t : terms)
            keep = keep && t.field >= 0 && sameValue(m_rows[r].value(t.field), t.value);
        if (keep)
            m_view << r;
    }
    m_cur = m_view.isEmpty() ? -1 : 0;
}
