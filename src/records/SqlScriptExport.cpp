#include "SqlScriptExport.h"

#include "shell/DateText.h"
#include "shell/Db.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlQuery>

#include <algorithm>
#include <charconv>
#include <numeric>

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

// The variant's text: its own string when it holds one, else made into `scratch`.
QStringView textOf(const QVariant& value, QString& scratch)
{
    if (value.typeId() == QMetaType::QString)
        return *static_cast<const QString*>(value.constData());
    scratch = value.toString();
    return scratch;
}

// Writes `text` at `out` with each quote doubled, as between single quotes in SQL; returns
// the end.
QChar* putLiteral(QChar* out, QStringView text)
{
    for (const QChar c : text) {
        *out++ = c;
        if (c == u'\'')
            *out++ = c;
    }
    return out;
}

// Writes `text` at `out` and moves `out` past it.
void put(QChar*& out, QStringView text)
{
    std::copy(text.begin(), text.end(), out);
    out += text.size();
}

// An employee number as text, made again only when the number changes: the script lists
// each employee's rows together.
class EmpText
{
public:
    QStringView of(qint64 empId)
    {
        if (m_size == 0 || empId != m_emp) {
            char digits[24];
            const auto written = std::to_chars(digits, digits + sizeof digits, empId);
            m_size = written.ptr - digits;
            std::copy(digits, written.ptr, m_text);
            m_emp = empId;
        }
        return QStringView(m_text, m_size);
    }

private:
    qint64 m_emp = 0;
    char16_t m_text[24] = {};
    qsizetype m_size = 0;
};
} // namespace

int ScriptRows::dayOf(const QVariant& tdate)
{
    // Rows come by day or by employee: most rows have the day of the row before.
    QString scratch;
    const QStringView key = textOf(tdate, scratch);
    if (m_lastDay >= 0 && key == m_lastKey)
        return m_lastDay;
    m_lastKey = key.toString();
    auto it = m_dayIndex.constFind(m_lastKey);
    if (it == m_dayIndex.constEnd()) {
        it = m_dayIndex.insert(m_lastKey, int(m_days.size()));
        m_days.append(tdate);
        m_dayTexts.append(dateText(tdate).replace(QLatin1Char('\''), QStringLiteral("''")));
    }
    m_lastDay = *it;
    return m_lastDay;
}

void ScriptRows::append(const ScriptRow& row)
{
    QString inScratch, outScratch;
    const QStringView in = textOf(row.inTime, inScratch);
    const QStringView out = textOf(row.outTime, outScratch);
    const qsizetype most = 2 * (in.size() + out.size()); // every character a quote
    if (m_blocks.isEmpty() || m_used + most > m_blocks.constLast().size()) {
        m_blocks.append(QString());
        m_blocks.last().resize(std::max(kBlockSize, most));
        m_used = 0;
    }
    QChar* const start = m_blocks.last().data() + m_used;
    QChar* const middle = putLiteral(start, in);
    QChar* const end = putLiteral(middle, out);
    m_rows.append({row.empId, dayOf(row.tdate), int(m_blocks.size() - 1), int(m_used),
                   int(middle - start), int(end - middle), row.inTime.isNull(),
                   row.outTime.isNull()});
    m_used += end - start;
}

QStringView ScriptRows::inTime(const Row& row) const
{
    return QStringView(m_blocks.at(row.block)).mid(row.at, row.inLength);
}

QStringView ScriptRows::outTime(const Row& row) const
{
    return QStringView(m_blocks.at(row.block)).mid(row.at + row.inLength, row.outLength);
}

// NULL first, then by text.
bool ScriptRows::timesLess(const Row& a, const Row& b) const
{
    if (a.inNull != b.inNull)
        return a.inNull;
    if (const int c = inTime(a).compare(inTime(b)))
        return c < 0;
    if (a.outNull != b.outNull)
        return a.outNull;
    return outTime(a).compare(outTime(b)) < 0;
}

void ScriptRows::sortDistinct()
{
    // The days renumbered in time order, so that a row's day number sorts it. Two texts
    // of one moment keep apart, as the database keeps them.
    QVector<QDateTime> moments(m_days.size());
    for (int d = 0; d < m_days.size(); ++d)
        moments[d] = moment(m_days.at(d));
    QVector<int> byTime(m_days.size());
    std::iota(byTime.begin(), byTime.end(), 0);
    std::sort(byTime.begin(), byTime.end(), [&](int a, int b) {
        if (moments.at(a) != moments.at(b))
            return moments.at(a) < moments.at(b);
        return m_days.at(a).toString() < m_days.at(b).toString();
    });
    QVector<int> renumbered(m_days.size());
    QVector<QVariant> days;
    QVector<QString> texts;
    m_dayIndex.clear();
    for (const int d : std::as_const(byTime)) {
        renumbered[d] = int(days.size());
        m_dayIndex.insert(m_days.at(d).toString(), int(days.size()));
        days.append(m_days.at(d));
        texts.append(m_dayTexts.at(d));
    }
    m_days = std::move(days);
    m_dayTexts = std::move(texts);
    m_lastDay = -1;
    for (Row& row : m_rows)
        row.day = renumbered.at(row.day);

    std::sort(m_rows.begin(), m_rows.end(), [this](const Row& a, const Row& b) {
        if (a.empId != b.empId)
            return a.empId < b.empId;
        if (a.day != b.day)
            return a.day < b.day;
        return timesLess(a, b);
    });
    // Sorted on all four columns, equal rows come together.
    const auto end = std::unique(m_rows.begin(), m_rows.end(), [this](const Row& a, const Row& b) {
        return a.empId == b.empId && a.day == b.day && !timesLess(a, b) && !timesLess(b, a);
    });
    m_rows.erase(end, m_rows.end());
}

QVariantList scriptBounds(const Dialect& dialect, QDate from, QDate to)
{
    if (from > to || !dialect.clampRange(from, to))
        return {};
    // The upper end is the day after To, so a row of the last day that carries a time of
    // day is still inside; BETWEEN would compare it with To's midnight. After the last day
    // the dialect holds (SQL Server's 6 June 2079, the pickers' 31 December 9999) there is
    // no day its date columns could compare with, nor any row to keep out: no upper end.
    QVariantList bounds{dialect.dateValue(from)};
    if (to < dialect.lastHeldDate())
        bounds << dialect.dateValue(to.addDays(1));
    return bounds;
}

ScriptRows readScriptRows(Db& db, const QDate& from, const QDate& to)
{
    ScriptRows rows;
    const QVariantList bounds = scriptBounds(db.dialect(), from, to);
    if (bounds.isEmpty())
        return rows;
    // Sorted here rather than by the database, which would first copy every row into a
    // sorter of its own: the rows come in the date index's order and each is written into
    // its line at once, while its values are at hand.
    QSqlQuery query =
        db.exec(QStringLiteral("Select Emp_ID,TDATE,INTIME,OUTTIME From Tbl_Emp_Attn_Log_General "
                               "Where TDATE >= ?%1")
                    .arg(bounds.size() > 1 ? QStringLiteral(" And TDATE < ?") : QString()),
                bounds);
    while (query.next())
        rows.append({query.value(0).toLongLong(), query.value(1), query.value(2), query.value(3)});
    rows.sortDistinct();
    return rows;
}

QString scriptLine(const ScriptRow& row)
{
    ScriptRows rows;
    rows.append(row);
    return buildScript(rows);
}

QString buildScript(const ScriptRows& rows, const ScriptProgress& progress)
{
    const int count = int(rows.size());
    const qsizetype fixed = kLineStart.size() + 3 * kSeparator.size() + kLineEnd.size();
    EmpText emp;
    qsizetype length = 0;
    for (const ScriptRows::Row& r : rows.m_rows)
        length += fixed + emp.of(r.empId).size() + rows.m_dayTexts.at(r.day).size() + r.inLength +
                  r.outLength;
    // Each line is copied once, straight to its place: no append checks its room, and the
    // text is never moved to grow.
    QString script;
    script.resize(length);
    QChar* out = script.data();
    QElapsedTimer clock;
    clock.start();
    qint64 lastReport = -kProgressEveryMs;
    // The last row first: walking the rows backwards writes the text from its start.
    for (int position = 1; position <= count; ++position) {
        const ScriptRows::Row& r = rows.m_rows.at(count - position);
        put(out, kLineStart);
        put(out, emp.of(r.empId));
        put(out, kSeparator);
        put(out, rows.m_dayTexts.at(r.day));
        put(out, kSeparator);
        put(out, rows.inTime(r));
        put(out, kSeparator);
        put(out, rows.outTime(r));
        put(out, kLineEnd);
        if (progress) {
            const qint64 now = clock.elapsed();
            if (position == count || now - lastReport >= kProgressEveryMs) {
                lastReport = now;
                progress(position, count);
            }
        }
    }
    Q_ASSERT(out == script.constData() + length);
    return script;
}
