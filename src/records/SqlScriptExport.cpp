#include "SqlScriptExport.h"

#include "shell/DateText.h"
#include "shell/Db.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QSqlQuery>

namespace {
const QString kLineStart =
    QStringLiteral("Insert Into attd (Employee_Id,Attd_Date,InTime,OutTime) values ('");
const QString kSeparator = QStringLiteral("','");
const QString kLineEnd = QStringLiteral("')\r\n");
constexpr qint64 kProgressEveryMs = 50;

// TDATE as a moment: a date-time from SQL Server, "yyyy-MM-dd[ HH:mm:ss]" text from SQLite.
QDateTime moment(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.metaType().id() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0));
    const QString text = value.toString();
    if (text.size() == 10)
        return QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
    return QDateTime::fromString(text.left(19).replace(QLatin1Char(' '), QLatin1Char('T')),
                                 Qt::ISODate);
}

QString dateText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    const QDateTime when = moment(value);
    if (!when.isValid())
        return value.toString();
    QString text = fullYearDateText(when.date());
    if (when.time() != QTime(0, 0))
        text += when.toString(QStringLiteral(" HH:mm:ss"));
    return text;
}

// A value between single quotes in SQL: each quote doubled.
void appendLiteral(QString& out, const QString& text)
{
    if (!text.contains(QLatin1Char('\'')))
        out += text;
    else
        out += QString(text).replace(QLatin1Char('\''), QStringLiteral("''"));
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    // Texts straight, the rest through the variant's own comparison.
    if (a.typeId() == QMetaType::QString && b.typeId() == QMetaType::QString)
        return *static_cast<const QString*>(a.constData()) ==
               *static_cast<const QString*>(b.constData());
    return a == b;
}

bool sameRow(const ScriptRow& a, const ScriptRow& b)
{
    return a.empId == b.empId && sameValue(a.tdate, b.tdate) && sameValue(a.inTime, b.inTime) &&
           sameValue(a.outTime, b.outTime);
}

// Writes lines one after the other into one text. A range holds few days and each
// employee's rows come together, so the texts of days and employee numbers are made once.
class LineWriter
{
public:
    void append(QString& out, const ScriptRow& row)
    {
        if (m_empText.isNull() || row.empId != m_emp) {
            m_emp = row.empId;
            m_empText = QString::number(row.empId);
        }
        out += kLineStart;
        out += m_empText;
        out += kSeparator;
        appendLiteral(out, day(row.tdate));
        out += kSeparator;
        appendLiteral(out, row.inTime.toString());
        out += kSeparator;
        appendLiteral(out, row.outTime.toString());
        out += kLineEnd;
    }

private:
    const QString& day(const QVariant& tdate)
    {
        const QString key = tdate.toString();
        auto it = m_days.constFind(key);
        if (it == m_days.constEnd())
            it = m_days.insert(key, dateText(tdate));
        return *it;
    }

    qint64 m_emp = 0;
    QString m_empText;
    QHash<QString, QString> m_days;
};
} // namespace

QVector<ScriptRow> readScriptRows(Db& db, const QDate& from, const QDate& to)
{
    QVector<ScriptRow> rows;
    if (from > to)
        return rows;
    // The upper end is the day after To, so a row of the last day that carries a time of
    // day is still inside; BETWEEN would compare it with To's midnight.
    // The pickers' last day (31 December 9999) has no day after it that a date column can
    // hold: then there is no upper end at all.
    const QDate after = to.addDays(1);
    const bool bounded = after.year() <= 9999;
    QVariantList bounds{db.dialect().dateValue(from)};
    if (bounded)
        bounds << db.dialect().dateValue(after);
    QSqlQuery query = db.exec(
        QStringLiteral("Select Emp_ID,TDATE,INTIME,OUTTIME From Tbl_Emp_Attn_Log_General "
                       "Where TDATE >= ?%1 Order By Emp_ID,TDATE,INTIME,OUTTIME")
            .arg(bounded ? QStringLiteral(" And TDATE < ?") : QString()),
        bounds);
    // Sorted on all four columns, equal rows come together: dropping a row equal to the one
    // before gives the distinct rows without the database's second sort for DISTINCT.
    while (query.next()) {
        ScriptRow row{query.value(0).toLongLong(), query.value(1), query.value(2), query.value(3)};
        if (rows.isEmpty() || !sameRow(rows.constLast(), row))
            rows.append(std::move(row));
    }
    return rows;
}

QString scriptLine(const ScriptRow& row)
{
    QString line;
    LineWriter().append(line, row);
    return line;
}

QString buildScript(const QVector<ScriptRow>& rows, const ScriptProgress& progress)
{
    const int count = int(rows.size());
    QString script;
    // Each line is the statement's fixed text and some 40 characters of values and quotes;
    // reserving too little would copy the whole text once more at the end.
    script.reserve(qsizetype(count) * (kLineStart.size() + 56));
    LineWriter writer;
    QElapsedTimer clock;
    clock.start();
    qint64 lastReport = -kProgressEveryMs;
    // Walking the rows backwards puts every line after the ones already built: the text
    // grows at its end, not by copying everything built so far behind each new line.
    for (int position = 1; position <= count; ++position) {
        writer.append(script, rows.at(count - position));
        if (progress) {
            const qint64 now = clock.elapsed();
            if (position == count || now - lastReport >= kProgressEveryMs) {
                lastReport = now;
                progress(position, count);
            }
        }
    }
    return script;
}
