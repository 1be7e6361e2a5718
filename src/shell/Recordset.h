#pragma once
// A client-side snapshot of a query's rows that a screen keeps and walks: first, previous,
// next, last, the ends (BOF/EOF), the absolute position, the record count and a simple
// filter such as "Dept_ID=3". Loops over large results read a forward-only query instead.

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class Recordset
{
public:
    // Positions the snapshot reports off its rows.
    static constexpr int PosUnknown = -1;
    static constexpr int PosBOF = -2;
    static constexpr int PosEOF = -3;

    Recordset() = default;
    // Reads every row of an executed query; the query is left at its end.
    static Recordset fromQuery(QSqlQuery& query);
    static Recordset fromRows(const QStringList& fields, const QVector<QVariantList>& rows);

    bool isOpen() const { return m_open; }
    // 1 while open, 0 when closed.
    int State() const { return m_open ? 1 : 0; }
    void close();

    int RecordCount() const { return static_cast<int>(m_view.size()); }
    bool isEmpty() const { return m_view.isEmpty(); }
    bool BOF() const { return m_cur < 0 || m_view.isEmpty(); }
    bool EOF_() const { return m_cur >= m_view.size() || m_view.isEmpty(); }

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    // 1-based position of the current row, or PosBOF / PosEOF off the rows.
    int AbsolutePosition() const;
    void setAbsolutePosition(int position);

    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    QString fieldName(int index) const { return m_fields.value(index); }
    int fieldIndex(const QString& name) const;
    // Value of the current row; field names match without regard to case.
    QVariant value(const QString& field) const;
    QVariant value(int index) const;
    // Value of any row of the current view (0-based), for filling lists.
    QVariant valueAt(int row, int index) const;

    // "Field=Value" terms joined by AND (values bare or in single quotes); empty shows all
    // rows. The current row becomes the first row of the view.
    void setFilter(const QString& filter);
    QString filter() const { return m_filter; }

private:
    bool m_open = false;
    QStringList m_fields;
    QVector<QVariantList> m_rows;
    QVector<int> m_view;  // indexes into m_rows that the filter lets through
    int m_cur = -1;
    QString m_filter;
};
