#include "SqlScriptExport.h"

#include "shell/DateText.h"
#include "shell/Db.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlQuery>

namespace {
const QString kLineStart =
    QStringLiteral("Insert Into attd (Employee_Id,Attd_Date,InTime,OutTime) values ('");
const QString kSeparator = QStringLiteral("','");
const QString kLineEnd = QStringLiteral("')\r\n");
constexpr qint64 kProgressEveryMs = 50;

// A day as the connection's dialect takes it: a QDate for SQL Server, whose date text
// would follow the login's date format, ISO text for SQLite, which compares TDATE as text.
QVariant dayValue(const Db& db, const QDate& day)
{
    if (db.dialect().kind() == Dialect::SqlServer)
        return day;
    return day.toString(Qt::ISODate);
}

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
    QString text = shortDateText(when.date());
    if (when.time() != QTime(0, 0))
        text += when.toString(QStringLiteral(" HH:mm:ss"));
    return text;
}

// A value between single quotes in SQL: each quote doubled.
QString literal(const QString& text)
{
    if (!text.contains(QLatin1Char('\'')))
        return text;
    return QString(text).replace(QLatin1Char('\''), QStringLiteral("''"));
}
} // namespace

QVector<ScriptRow> readScriptRows(Db& db, const QDate& from, const QDate& to)
{
    QVector<ScriptRow> rows;
    if (from > to)
        return rows;
    // The upper end is the day after To, so a row of the last day that carries a time of
    // day is still inside; BETWEEN would compare it with To's midnight.
    QSqlQuery query = db.exec(
        QStringLiteral("Select Distinct Emp_ID,TDATE,INTIME,OUTTIME From Tbl_Emp_Attn_Log_General "
                       "Where TDATE >= ? And TDATE < ? Order By Emp_ID,TDATE,INTIME,OUTTIME"),
        {dayValue(db, from), dayValue(db, to.addDays(1))});
    while (query.next())
        rows.append({query.value(0).toLongLong(), query.value(1), query.value(2), query.value(3)});
    return rows;
}

QString scriptLine(const ScriptRow& row)
{
    return kLineStart + QString::number(row.empId) + kSeparator + literal(dateText(row.tdate)) +
           kSeparator + literal(row.inTime.toString()) + kSeparator +
           literal(row.outTime.toString()) + kLineEnd;
}

QString buildScript(const QVector<ScriptRow>& rows, const ScriptProgress& progress)
{
    const int count = int(rows.size());
    QString script;
    // Each line is about the statement's fixed text and some 30 characters of values.
    script.reserve(qsizetype(count) * (kLineStart.size() + 40));
    QElapsedTimer clock;
    clock.start();
    qint64 lastReport = -kProgressEveryMs;
    // Walking the rows backwards puts every line after the ones already built: the text
    // grows at its end, not by copying everything built so far behind each new line.
    for (int position = 1; position <= count; ++position) {
        script += scriptLine(rows.at(count - position));
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
