#include "PairingValues.h"

#include <QDateTime>
#include <QRegularExpression>

#include <exception>

namespace PairingValues {

QString timeText(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString amPmText(const QTime& time)
{
    // Built by hand: Qt's AP follows the locale in some versions, and the backup table's
    // texts must read the same on every machine.
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(hour12, 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QTime timeFromText(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*([AaPp][Mm])?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return {};
    int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    const int second = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    const QString half = m.captured(4).toUpper();
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12)
            return {};
        hour = hour % 12 + (half == QLatin1String("PM") ? 12 : 0);
    }
    return QTime(hour, minute, second);
}

int minuteBoundaries(const QTime& a, const QTime& b)
{
    return (b.hour() * 60 + b.minute()) - (a.hour() * 60 + a.minute());
}

QVariant dateValue(const Db& db, const QDate& date)
{
    if (db.dialect().kind() == Dialect::SqlServer)
        return date;
    return date.toString(QStringLiteral("yyyy-MM-dd"));
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
        return QDate::fromString(value.toString().trimmed().left(10), QStringLiteral("yyyy-MM-dd"));
    }
}

bool isOpenOutTime(const QVariant& outTime)
{
    if (outTime.isNull())
        return true;
    const QString text = outTime.toString().trimmed();
    return text.isEmpty() || text == QLatin1String("0") ||
           text == QLatin1String("Jan  1 1900 12:00AM");
}

} // namespace PairingValues

namespace {
const QString kRecordPoint = QStringLiteral("quorvane_record");
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

RecordRun::RecordRun(Db& db, int stretch, std::function<void()> between)
    : m_db(db), m_stretch(qMax(1, stretch)), m_between(std::move(between))
{
}

RecordRun::~RecordRun()
{
    if (m_open)
        m_db.rollback();
}

void RecordRun::begin()
{
    m_db.beginTransaction();
    m_open = true;
    m_inStretch = 0;
}

void RecordRun::commit()
{
    m_open = false;
    m_inStretch = 0;
    m_db.commit();
}

void RecordRun::record(const std::function<void()>& body)
{
    if (!m_open)
        begin();
    m_db.savepoint(kRecordPoint);
    try {
        body();
        m_db.releaseSavepoint(kRecordPoint);
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        if (undoTo(m_db, kRecordPoint)) {
            // The records before this one stay; the error is still the one reported.
            try {
                commit();
            } catch (...) {
            }
        } else {
            m_open = false;
            m_db.rollback();
        }
        std::rethrow_exception(failure);
    }
    if (++m_inStretch >= m_stretch) {
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
