#include "PairingValues.h"

#include <QDateTime>
#include <QSqlRecord>

#include <exception>

namespace PairingValues {

namespace {
// "hh:mm:ss" of `hour` and the time's minute and second, followed by " AM" or " PM" when
// `half` is 'A' or 'P'.
QString clockText(int hour, const QTime& time, char half = 0)
{
    const QChar text[] = {QLatin1Char(char('0' + hour / 10)),
                          QLatin1Char(char('0' + hour % 10)),
                          QLatin1Char(':'),
                          QLatin1Char(char('0' + time.minute() / 10)),
                          QLatin1Char(char('0' + time.minute() % 10)),
                          QLatin1Char(':'),
                          QLatin1Char(char('0' + time.second() / 10)),
                          QLatin1Char(char('0' + time.second() % 10)),
                          QLatin1Char(' '),
                          QLatin1Char(half),
                          QLatin1Char('M')};
    return QString(text, half ? 11 : 8);
}
} // namespace

QString timeText(const QTime& time)
{
    // Built by hand, as QTime::toString reads its format anew on every call: the pairing
    // spells a punch's time several times, for 100,000 punches.
    if (!time.isValid())
        return QString();
    return clockText(time.hour(), time);
}

QString amPmText(const QTime& time)
{
    // Built by hand: Qt's AP follows the locale in some versions, and the backup table's
    // texts must read the same on every machine. It also runs once per punch of a feed.
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return clockText(hour12, time, time.hour() < 12 ? 'A' : 'P');
}

bool isTimeBlank(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || (u >= 9 && u <= 13) || u == 0xA0;
}

QTime timeFromText(const QString& text)
{
    // Read by hand: it runs for every punch of a feed and a pairing.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTimeBlank(text[begin]))
        ++begin;
    while (end > begin && isTimeBlank(text[end - 1]))
        --end;
    const QStringView t = QStringView(text).sliced(begin, end - begin);
    int at = 0;
    // Only 0-9: the feed's statements read no other digits, and a time they cannot read
    // must be refused here too, not copied again on every call.
    auto number = [&](int maxDigits) {
        int value = 0;
        int digits = 0;
        while (at < t.size() && digits < maxDigits && t[at] >= u'0' && t[at] <= u'9') {
            value = value * 10 + (t[at].unicode() - u'0');
            ++at;
            ++digits;
        }
        return digits == 0 ? -1 : value;
    };
    auto colon = [&] {
        if (at < t.size() && t[at] == QLatin1Char(':')) {
            ++at;
            return true;
        }
        return false;
    };
    int hour = number(2);
    if (hour < 0 || !colon())
        return {};
    const int minuteAt = at;
    const int minute = number(2);
    if (minute < 0 || at - minuteAt != 2)
        return {};
    int second = 0;
    if (colon()) {
        const int before = at;
        second = number(2);
        if (second < 0 || at - before != 2)
            return {};
    }
    while (at < t.size() && isTimeBlank(t[at]))
        ++at;
    const QString half = t.sliced(at).toString().toUpper();
    if (half == QLatin1String("AM") || half == QLatin1String("PM")) {
        if (hour < 1 || hour > 12)
            return {};
        hour = hour % 12 + (half == QLatin1String("PM") ? 12 : 0);
    } else if (!half.isEmpty()) {
        return {};
    }
    return QTime(hour, minute, second);
}

int minuteBoundaries(const QTime& a, const QTime& b)
{
    return (b.hour() * 60 + b.minute()) - (a.hour() * 60 + a.minute());
}

QDate dateOf(const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate();
    case QMetaType::QDateTime:
        return value.toDateTime().date();
    default:
        break;
    }
    // "yyyy-MM-dd", read by hand for speed; a time after it is ignored.
    const QString t = value.toString().trimmed();
    if (t.size() < 10 || t[4] != QLatin1Char('-') || t[7] != QLatin1Char('-') ||
        (t.size() > 10 && !t[10].isSpace() && t[10] != QLatin1Char('T')))
        return {};
    // Read through a view: the parts need no copies of their own.
    const QStringView v(t);
    bool y = false, m = false, d = false;
    const QDate date(v.left(4).toInt(&y), v.mid(5, 2).toInt(&m), v.mid(8, 2).toInt(&d));
    return y && m && d ? date : QDate();
}

QDate heldDateOf(const Dialect& dialect, const QVariant& value)
{
    const QDate date = dateOf(value);
    return dialect.holdsDate(date) ? date : QDate();
}

bool isOpenOutTime(const QVariant& outTime)
{
    if (outTime.isNull())
        return true;
    // Exactly what the statements' own test for an open pair matches.
    const QString text = outTime.toString();
    return text.isEmpty() || text == QLatin1String("0") ||
           text == QLatin1String("Jan  1 1900 12:00AM");
}

} // namespace PairingValues

namespace {
const QString kUnitPoint = QStringLiteral("quorvane_unit");

// Undoes what ran since the savepoint was set; false when the transaction itself is gone.
bool undoTo(Db& db, const QString& name) noexcept
{
    try {
        db.rollbackToSavepoint(name);
        db.releaseSavepoint(name);
        return true;
    } catch (...) {
        return false;
    }
}
} // namespace

void PairingValues::atomically(Db& db, const std::function<void()>& body)
{
    if (!db.inTransaction()) {
        Transaction transaction(db);
        body();
        transaction.commit();
        return;
    }
    db.savepoint(kUnitPoint);
    try {
        body();
        db.releaseSavepoint(kUnitPoint);
    } catch (...) {
        undoTo(db, kUnitPoint);
        throw;
    }
}

namespace {
// True when binding `next` in place of `bound` would hand the database the same value. Only
// for the kinds the record loops bind, and a text's null-ness counts, which QString's ==
// ignores (a null text is NULL, an empty one is '').
bool sameBinding(const QVariant& bound, const QVariant& next)
{
    if (bound.metaType() != next.metaType() || bound.isNull() != next.isNull())
        return false;
    switch (next.typeId()) {
    case QMetaType::UnknownType:
        return true;
    case QMetaType::QString: {
        const QString a = bound.toString();
        const QString b = next.toString();
        return a.isNull() == b.isNull() && a == b;
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::QDate:
        return bound == next;
    default:
        return false;
    }
}
} // namespace

QSqlQuery& Statements::run(const QString& sql, const QVariantList& params)
{
    auto it = m_queries.find(sql);
    if (it == m_queries.end())
        it = m_queries.emplace(sql, m_db.prepare(sql)).first;
    QSqlQuery& q = it->second;
    // A value is bound again only where it changed: Qt spells a placeholder name for every
    // value bound, which costs a record loop more than some of its statements do, and the
    // employee, the codes and the day mostly stay from one record to the next.
    const QVariantList bound = q.boundValues();
    for (int i = 0; i < params.size(); ++i)
        if (i >= bound.size() || !sameBinding(bound[i], params[i]))
            q.bindValue(i, params[i]);
    Db::run(q);
    return q;
}

QVector<QVariantList> Statements::rows(const QString& sql, const QVariantList& params)
{
    QSqlQuery& q = run(sql, params);
    QVector<QVariantList> rows;
    const int columns = q.record().count();
    while (q.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i)
            row.append(q.value(i));
        rows.append(row);
    }
    q.finish();
    return rows;
}

bool Statements::exists(const QString& sql, const QVariantList& params)
{
    QSqlQuery& q = run(sql, params);
    const bool found = q.next();
    q.finish();
    return found;
}

QVariant Statements::scalar(const QString& sql, const QVariantList& params)
{
    QSqlQuery& q = run(sql, params);
    const QVariant value = q.next() ? q.value(0) : QVariant();
    q.finish();
    return value;
}

int Statements::execute(const QString& sql, const QVariantList& params)
{
    QSqlQuery& q = run(sql, params);
    const int affected = q.numRowsAffected();
    q.finish();
    return affected;
}

QVariant Statements::insert(const QString& sql, const QVariantList& params)
{
    QSqlQuery& q = run(sql, params);
    const QVariant key = q.lastInsertId();
    q.finish();
    return key;
}

RecordRun::RecordRun(Db& db, int stretch, std::function<void()> between, Mark mark)
    : m_db(db), m_stretch(qMax(1, stretch)), m_between(std::move(between)), m_mark(std::move(mark))
{
}

RecordRun::~RecordRun()
{
    if (m_open)
        m_db.rollback();
}

void RecordRun::commit()
{
    m_open = false;
    m_done.clear();
    m_db.commit();
}

bool RecordRun::undoStretch() noexcept
{
    try {
        m_db.rollback();
        if (m_restore)
            m_restore();
        m_db.beginTransaction();
        return true;
    } catch (...) {
        return false;
    }
}

void RecordRun::record(std::function<void()> body)
{
    if (!m_open) {
        m_db.beginTransaction();
        m_open = true;
        m_restore = m_mark ? m_mark() : std::function<void()>();
    }
    try {
        body();
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        bool kept = undoStretch();
        if (kept) {
            try {
                for (const auto& done : std::as_const(m_done))
                    done();
            } catch (...) {
                kept = undoStretch();
            }
        }
        if (kept) {
            // The records before this one stay; the error is still the one reported.
            try {
                commit();
            } catch (...) {
            }
        } else {
            m_open = false;
            m_done.clear();
            m_db.rollback();
        }
        std::rethrow_exception(failure);
    }
    m_done.append(std::move(body));
    if (m_done.size() >= m_stretch) {
        commit();
        if (m_between)
            m_between();
    }
}

void RecordRun::finish()
{
    if (m_open)
        commit();
    if (m_between)
        m_between();
}
