#include "OpenShiftPairing.h"

#include "PairingValues.h"
#include "data/CodeTables.h"
#include "shell/Db.h"
#include "shell/Startup.h"

using namespace PairingValues;

namespace {
const QString kDoubleDuty = QStringLiteral("Double Duty");
const QString kAutoSignIn = QStringLiteral("System Auto Sign In");
const QString kSubstituteLeave = QStringLiteral("Substitute Leave");
// A pair is open while its sign-out holds one of these (or NULL).
const QString kOpenTemp = QStringLiteral(
    "(OutTIme IS NULL OR OutTIme = '' OR OutTIme = '0' OR OutTIme = 'Jan  1 1900 12:00AM')");
const QString kOpenGeneral = QStringLiteral(
    "(OUTTIME IS NULL OR OUTTIME = '' OR OUTTIME = '0' OR OUTTIME = 'Jan  1 1900 12:00AM')");
// Double punches: a sign-in this close to a sign-in of the same day, or a sign-out this
// close after a recorded sign-out, is the same press again.
constexpr int kDoubleSeconds = 5 * 60;

int secondsOf(const QTime& t)
{
    return t.msecsSinceStartOfDay() / 1000;
}

bool isSignIn(int inOut)
{
    return inOut == 0 || inOut == -1 || inOut == 3;
}
bool isSignOut(int inOut)
{
    return inOut == 1 || inOut == 2;
}
} // namespace

struct OpenShiftPairing::Punch
{
    QVariant indx;
    QVariant dateText; // as stored, to mark the copy taken
    QVariant timeText;
    QDate date;
    QTime time;
    QVariant verify;
    QVariant inOut;
};

struct OpenShiftPairing::DayRows
{
    struct Temp
    {
        qint64 sno = 0;
        QDate tdate;
        QString inTime;
        QVariant outTime;
        QDate outDate;
        int counter = 0;
        QString remarks;
    };
    struct General
    {
        QDate tdate;
        QDate tdateOut;
        QVariant inTime;
        QVariant outTime;
        int counter = 0;
        QString inRemarks;
        int status = 0;
    };
    QVector<Temp> temp;       // the pairing rows of the punch date and of the day before
    QVector<General> general; // the day rows of the punch date, or signing out on it or the
                              // day before
    // Kept for the whole call: the rows of these days, or signing out on them.
    QDate first;
    QDate last;
    bool holds(const QDate& day) const
    {
        return first.isValid() && day.isValid() && day >= first && day <= last;
    }
};

struct OpenShiftPairing::Pair
{
    qint64 sno = 0;
    QDate tdate;
    QDate outDay; // OutDate read as a day
    QVariant inTime;
    QVariant outTime;
    QVariant verify;
    QVariant verifyOut;
    QVariant outDate;
    QVariant counter;
    QVariant remarks;
};

OpenShiftPairing::OpenShiftPairing(Db& db, int branch, Progress progress)
    : m_db(db), m_dialect(db.dialect()), m_sql(std::make_unique<Statements>(db)),
      m_rows(std::make_unique<DayRows>()), m_branch(branch), m_progress(std::move(progress))
{
}

void OpenShiftPairing::setDialect(const Dialect& dialect) { m_dialect = dialect; }

OpenShiftPairing::~OpenShiftPairing() = default;

QVariant OpenShiftPairing::date(const QDate& day) const
{
    // The passes bind the same few days thousands of times: each is spelled once.
    auto known = m_dates.constFind(day);
    if (known == m_dates.constEnd())
        known = m_dates.insert(day, m_dialect.dateValue(day));
    return *known;
}

void OpenShiftPairing::ExtDataToDBOpenShift(int EmpID)
{
    m_helperErrors.clear();
    *m_rows = DayRows();
    const std::unique_ptr<RecordRun> run = newRun();
    pairPunches(EmpID, *run);
    postPairs(EmpID, *run);
    run->finish();
}

void OpenShiftPairing::pairingPass(int EmpID)
{
    m_helperErrors.clear();
    *m_rows = DayRows();
    const std::unique_ptr<RecordRun> run = newRun();
    pairPunches(EmpID, *run);
    run->finish();
}

void OpenShiftPairing::postingPass(int EmpID)
{
    m_helperErrors.clear();
    *m_rows = DayRows();
    const std::unique_ptr<RecordRun> run = newRun();
    postPairs(EmpID, *run);
    run->finish();
}

std::unique_ptr<RecordRun> OpenShiftPairing::newRun()
{
    auto progress = [this] {
        if (m_progress)
            m_progress(m_value, m_maximum);
    };
    // What a stretch run again must start from.
    auto mark = [this] {
        const int counter = m_counter;
        const bool dayCountRead = m_dayCountRead;
        const QDate lastSignInDate = m_lastSignInDate;
        const int value = m_value;
        const qsizetype errors = m_helperErrors.size();
        const DayRows rows = *m_rows;
        return std::function<void()>([=, this] {
            *m_rows = rows;
            m_counter = counter;
            m_dayCountRead = dayCountRead;
            m_lastSignInDate = lastSignInDate;
            m_value = value;
            m_helperErrors.erase(m_helperErrors.begin() + errors, m_helperErrors.end());
        });
    };
    return std::make_unique<RecordRun>(m_db, kStretch, progress, mark);
}

// ---------------------------------------------------------------------------------------
// The pairing pass

void OpenShiftPairing::pairPunches(int EmpID, RecordRun& run)
{
    m_counter = 0;
    m_dayCountRead = false;
    m_lastSignInDate = QDate();

    m_punches.clear();
    for (const QVariantList& row :
         m_sql->rows(QStringLiteral("SELECT Indx, VerifyMode, InOutMode, logDate, LogTime "
                                    "FROM Tbl_Emp_Attn_Log_Temp_Bck "
                                    "WHERE EmpID = ? AND IsNew = 1 ORDER BY Indx"),
                     {EmpID})) {
        Punch p;
        p.indx = row[0];
        p.verify = row[1];
        p.inOut = row[2];
        p.dateText = row[3];
        p.timeText = row[4];
        // A day the database cannot hold (a terminal clock set to 2080) would fail every
        // call at its first statement: the punch is refused as one without a date instead,
        // after the punches before it are paired.
        p.date = heldDateOf(m_dialect, p.dateText);
        p.time = timeFromText(p.timeText.toString());
        m_punches.append(p);
    }
    loadRows(EmpID);
    m_value = 0;
    m_maximum = int(m_punches.size());
    if (m_progress)
        m_progress(m_value, m_maximum);

    for (qsizetype i = 0; i < m_punches.size(); ++i)
        run.record([this, EmpID, i] { pairPunch(EmpID, m_punches[i]); });
}

void OpenShiftPairing::pairPunch(int EmpID, const Punch& punch)
{
    // The pairing table keeps the verify code in a byte (tinyint on SQL Server).
    bool verifyRead = false;
    const int verify = punch.verify.toInt(&verifyRead);
    if (!punch.date.isValid() || !punch.time.isValid() || !verifyRead || verify < 0 ||
        verify > 255 || punch.inOut.isNull())
        throw DbError(13, QStringLiteral("Type mismatch: the punch copy %1 of employee %2 reads "
                                         "\"%3\" \"%4\", which is no date and time with its "
                                         "codes. The punches before it are paired; it and those "
                                         "after it wait.")
                              .arg(punch.indx.toString())
                              .arg(EmpID)
                              .arg(punch.dateText.toString(), punch.timeText.toString()));
    const bool advanced = handlePunch(EmpID, punch);
    m_sql->execute(QStringLiteral("UPDATE Tbl_Emp_Attn_Log_Temp_Bck SET IsNew = 0 "
                                  "WHERE EmpID = ? AND Indx = ? AND logDate = ? "
                                  "AND LogTime = ? AND IsNew = 1"),
                   {EmpID, punch.indx, punch.dateText, punch.timeText});
    if (advanced)
        ++m_value;
}

void OpenShiftPairing::loadRows(int emp)
{
    *m_rows = DayRows();
    QDate first, last;
    for (const Punch& p : std::as_const(m_punches)) {
        if (!p.date.isValid())
            continue;
        first = first.isValid() ? qMin(first, p.date) : p.date;
        last = last.isValid() ? qMax(last, p.date) : p.date;
    }
    if (!first.isValid())
        return;
    first = qMax(first.addDays(-1), m_dialect.firstHeldDate());
    m_rows->first = first;
    m_rows->last = last;
    for (const QVariantList& t : m_sql->rows(
             QStringLiteral("SELECT Sno, TDate, INTime, OutTIme, OutDate, counter, Remarks "
                            "FROM Tbl_Emp_Attn_Log_Temp WHERE Emp_Id = ? AND "
                            "((TDate >= ? AND TDate <= ?) OR (OutDate >= ? AND OutDate <= ?))"),
             {emp, date(first), date(last), date(first), date(last)}))
        m_rows->temp.append({t[0].toLongLong(), dateOf(t[1]), t[2].toString(), t[3], dateOf(t[4]),
                             t[5].toInt(), t[6].toString()});
    for (const QVariantList& g :
         m_sql->rows(QStringLiteral(
                         "SELECT TDATE, TDATE_OUT, INTIME, OUTTIME, COUNTER, INREMARKS, ATT_STATUS "
                         "FROM Tbl_Emp_Attn_Log_General WHERE EMP_ID = ? AND "
                         "((TDATE >= ? AND TDATE <= ?) OR (TDATE_OUT >= ? AND TDATE_OUT <= ?))"),
                     {emp, date(first), date(last), date(first), date(last)}))
        m_rows->general.append(
            {dateOf(g[0]), dateOf(g[1]), g[2], g[3], g[4].toInt(), g[5].toString(), g[6].toInt()});
}

OpenShiftPairing::DayRows OpenShiftPairing::readDayRows(const QDate& day) const
{
    DayRows rows;
    const QDate before = day.addDays(-1);
    for (const DayRows::Temp& t : m_rows->temp)
        if (t.tdate == day || t.tdate == before)
            rows.temp.append(t);
    for (const DayRows::General& g : m_rows->general)
        if (g.tdate == day || g.tdateOut == day || g.tdateOut == before)
            rows.general.append(g);
    return rows;
}

namespace {
bool isDoubleDuty(const QString& remarks)
{
    return remarks.compare(kDoubleDuty, Qt::CaseInsensitive) == 0;
}

// Removes the rows `match` picks; true when there were any.
template <typename Rows, typename Match> bool removeRows(Rows& rows, Match match)
{
    const auto size = rows.size();
    rows.erase(std::remove_if(rows.begin(), rows.end(), match), rows.end());
    return rows.size() != size;
}
} // namespace

bool OpenShiftPairing::deleteDoubleDuty(int emp, const QDate& day)
{
    const bool inTemp = removeRows(m_rows->temp, [&](const DayRows::Temp& t) {
        return t.outDate == day && isDoubleDuty(t.remarks);
    });
    if (inTemp)
        m_sql->execute(QStringLiteral("DELETE FROM Tbl_Emp_Attn_Log_Temp "
                                      "WHERE OutDate = ? AND Emp_Id = ? AND Remarks = ?"),
                       {date(day), emp, kDoubleDuty});
    const bool inGeneral = removeRows(m_rows->general, [&](const DayRows::General& g) {
        return g.tdateOut == day && isDoubleDuty(g.inRemarks);
    });
    if (inGeneral)
        m_sql->execute(QStringLiteral("DELETE FROM Tbl_Emp_Attn_Log_General "
                                      "WHERE TDATE_OUT = ? AND EMP_ID = ? AND INREMARKS = ?"),
                       {date(day), emp, kDoubleDuty});
    return inTemp || inGeneral;
}

void OpenShiftPairing::insertPair(int emp, const Punch& punch, int counter, const QString& remarks)
{
    const QVariant noRemarks(QMetaType::fromType<QString>());
    QVariant sno = m_sql->insert(
        QStringLiteral("INSERT INTO Tbl_Emp_Attn_Log_Temp (Emp_Id, TDate, INTime, Verify, "
                       "SignInBranch, counter, IsNew, Remarks) VALUES (?, ?, ?, ?, ?, ?, 1, ?)"),
        {emp, date(punch.date), timeText(punch.time), punch.verify, m_branch, counter,
         remarks.isEmpty() ? noRemarks : QVariant(remarks)});
    if (!sno.isValid())
        sno = m_sql->scalar(
            QStringLiteral("SELECT MAX(Sno) FROM Tbl_Emp_Attn_Log_Temp WHERE Emp_Id = ?"), {emp});
    m_rows->temp.append({sno.toLongLong(), punch.date, timeText(punch.time), QVariant(), QDate(),
                         counter, remarks});
}

void OpenShiftPairing::closePair(qint64 sno, const Punch& punch)
{
    m_sql->execute(QStringLiteral("UPDATE Tbl_Emp_Attn_Log_Temp SET IsNew = 1, OutTIme = ?, "
                                  "OutDate = ?, VerifyOut = ?, SignOutBranch = ? WHERE Sno = ?"),
                   {timeText(punch.time), date(punch.date), punch.verify, m_branch, sno});
    for (DayRows::Temp& t : m_rows->temp)
        if (t.sno == sno) {
            t.outTime = timeText(punch.time);
            t.outDate = punch.date;
        }
}

bool OpenShiftPairing::handlePunch(int emp, const Punch& punch)
{
    const int inOut = punch.inOut.toInt();
    if (!isSignIn(inOut) && !isSignOut(inOut))
        return true;
    const DayRows rows = readDayRows(punch.date);
    const int at = secondsOf(punch.time);

    if (isSignIn(inOut)) {
        // The window ends at the day's bounds: a sign-in just after midnight is no double
        // of one just before it, which belongs to another day.
        const int from = qMax(0, at - kDoubleSeconds);
        const int to = qMin(86399, at + kDoubleSeconds);
        for (const DayRows::Temp& r : rows.temp) {
            const QTime in = timeFromText(r.inTime);
            if (r.tdate == punch.date && in.isValid() && secondsOf(in) >= from &&
                secondsOf(in) <= to)
                return false;
        }
        signIn(emp, punch, rows);
        return true;
    }

    // A second press of the sign-out key would otherwise close a stale row of the day
    // before or become a sign-in of its own, also when the first press was just before
    // midnight.
    auto justSignedOut = [&](const QDate& outDate, const QVariant& outTime) {
        if (!outDate.isValid() || isOpenOutTime(outTime))
            return false;
        const QTime out = timeFromText(outTime.toString());
        if (!out.isValid())
            return false;
        const qint64 gap = outDate.daysTo(punch.date) * 86400 + at - secondsOf(out);
        return gap >= 0 && gap <= kDoubleSeconds;
    };
    for (const DayRows::Temp& r : rows.temp)
        if (justSignedOut(r.outDate, r.outTime))
            return false;
    for (const DayRows::General& g : rows.general)
        if (justSignedOut(g.tdateOut, g.outTime))
            return false;
    signOut(emp, punch, rows);
    return true;
}

namespace {
template <typename Rows> int maxCounter(const Rows& rows, const QDate& day)
{
    int counter = 0;
    for (const auto& r : rows)
        if (r.tdate == day)
            counter = qMax(counter, r.counter);
    return counter;
}
} // namespace

void OpenShiftPairing::signIn(int emp, const Punch& punch, const DayRows& rows)
{
    const QString time = timeText(punch.time);
    if (!(punch.date == m_lastSignInDate && m_dayCountRead)) {
        m_counter = maxCounter(rows.general, punch.date);
        if (m_counter == 0)
            m_counter = maxCounter(rows.temp, punch.date);
        m_dayCountRead = true;
    }
    if (m_counter == -1)
        m_counter = 0;

    bool posted = false;
    for (const DayRows::General& g : rows.general)
        posted = posted || (g.tdate == punch.date && g.inTime.toString() == time);
    if (posted) {
        bool any = false;
        for (DayRows::Temp& t : m_rows->temp)
            if (t.tdate == punch.date) {
                t.inTime = time;
                any = true;
            }
        if (any)
            m_sql->execute(QStringLiteral("UPDATE Tbl_Emp_Attn_Log_Temp SET INTime = ?, "
                                          "Verify = ?, SignInBranch = ?, IsNew = 1 "
                                          "WHERE Emp_Id = ? AND TDate = ?"),
                           {time, punch.verify, m_branch, emp, date(punch.date)});
    } else {
        ++m_counter;
        // The kept rows hold every row that signs out on a punch date, so they tell
        // whether IsDoubleDutyOut holds without asking the database once more per sign-in.
        if (m_counter == 2 && deleteDoubleDuty(emp, punch.date))
            --m_counter;
        insertPair(emp, punch, m_counter, QString());
    }
    m_lastSignInDate = punch.date;
}

void OpenShiftPairing::signOut(int emp, const Punch& punch, const DayRows& rows)
{
    if (!m_dayCountRead) {
        m_counter = maxCounter(rows.general, punch.date) - 1;
        m_dayCountRead = true;
        if (m_counter == -1)
            m_counter = 0;
    }

    QVector<const DayRows::Temp*> sameDay;
    for (const DayRows::Temp& r : rows.temp)
        if (r.tdate == punch.date)
            sameDay.append(&r);
    if (sameDay.isEmpty()) {
        if (!closeDayBefore(emp, punch, rows, true)) {
            ++m_counter;
            insertPair(emp, punch, 1, kAutoSignIn);
        }
        return;
    }

    // The latest sign-in of the day more than 5 minutes (as DateDiff counts them) before
    // the punch closes, if it is still open.
    QString latest;
    for (const DayRows::Temp* r : std::as_const(sameDay)) {
        const QTime in = timeFromText(r->inTime);
        if (in.isValid() && minuteBoundaries(in, punch.time) > 5 && r->inTime > latest)
            latest = r->inTime;
    }
    bool closed = false;
    if (!latest.isEmpty()) {
        for (const DayRows::Temp* r : std::as_const(sameDay)) {
            if (r->inTime != latest || !isOpenOutTime(r->outTime))
                continue;
            closePair(r->sno, punch);
            closed = true;
        }
    }
    if (!closed) {
        closeDayBefore(emp, punch, rows, false);
        return;
    }
    // Sign-ins from 5 minutes before the sign-out onwards belong to no pair.
    auto within = [&](const QString& inTime) {
        const QTime in = timeFromText(inTime);
        return in.isValid() && minuteBoundaries(in, punch.time) <= 5;
    };
    for (const DayRows::Temp* r : std::as_const(sameDay)) {
        if (!within(r->inTime))
            continue;
        const qint64 sno = r->sno;
        m_sql->execute(QStringLiteral("DELETE FROM Tbl_Emp_Attn_Log_Temp WHERE Sno = ?"), {sno});
        removeRows(m_rows->temp, [sno](const DayRows::Temp& t) { return t.sno == sno; });
    }
    QStringList removed;
    for (const DayRows::General& g : rows.general) {
        const QString in = g.inTime.toString();
        if (g.tdate != punch.date || g.inTime.isNull() || !within(in) || removed.contains(in))
            continue;
        m_sql->execute(QStringLiteral("DELETE FROM Tbl_Emp_Attn_Log_General "
                                      "WHERE EMP_ID = ? AND TDATE = ? AND INTIME = ?"),
                       {emp, date(punch.date), in});
        removeRows(m_rows->general, [&](const DayRows::General& r) {
            return r.tdate == punch.date && !r.inTime.isNull() && r.inTime.toString() == in;
        });
        removed.append(in);
    }
}

bool OpenShiftPairing::closeDayBefore(int emp, const Punch& punch, const DayRows& rows,
                                      bool noRowsOnDate)
{
    const QDate before = punch.date.addDays(-1);
    // One row closes, the latest open one: with two left open the day before, the shift
    // that ends now is the later one.
    const DayRows::Temp* open = nullptr;
    for (const DayRows::Temp& r : rows.temp) {
        if (r.tdate != before || !isOpenOutTime(r.outTime))
            continue;
        if (!open || r.inTime > open->inTime || (r.inTime == open->inTime && r.sno > open->sno))
            open = &r;
    }
    if (!open)
        return false;

    const QDate day = punch.date;
    closePair(open->sno, punch);
    // The punch date's open sign-ins go; its finished pairs stay.
    if (removeRows(m_rows->temp, [&](const DayRows::Temp& t) {
            return t.tdate == day && isOpenOutTime(t.outTime);
        }))
        m_sql->execute(QStringLiteral("DELETE FROM Tbl_Emp_Attn_Log_Temp WHERE TDate = ? AND "
                                      "Emp_Id = ? AND ") +
                           kOpenTemp,
                       {date(day), emp});
    if (removeRows(m_rows->general, [&](const DayRows::General& g) {
            return g.tdate == day && isOpenOutTime(g.outTime);
        }))
        m_sql->execute(QStringLiteral("DELETE FROM Tbl_Emp_Attn_Log_General WHERE TDATE = ? AND "
                                      "EMP_ID = ? AND ") +
                           kOpenGeneral,
                       {date(day), emp});
    bool renumbered = false;
    for (DayRows::Temp& t : m_rows->temp)
        if (t.outDate == day && t.counter == 2 && t.tdate < day) {
            t.counter = 1;
            renumbered = true;
        }
    if (renumbered)
        m_sql->execute(QStringLiteral("UPDATE Tbl_Emp_Attn_Log_Temp SET counter = counter - 1 "
                                      "WHERE OutDate = ? AND Emp_Id = ? AND counter = 2 "
                                      "AND TDate < ?"),
                       {date(day), emp, date(day)});
    renumbered = false;
    for (DayRows::General& g : m_rows->general)
        if (g.tdateOut == day && g.counter == 2 && g.tdate < day) {
            g.counter = 1;
            renumbered = true;
        }
    if (renumbered)
        m_sql->execute(QStringLiteral("UPDATE Tbl_Emp_Attn_Log_General SET COUNTER = COUNTER - 1 "
                                      "WHERE TDATE_OUT = ? AND EMP_ID = ? AND COUNTER = 2 "
                                      "AND TDATE < ?"),
                       {date(day), emp, date(day)});
    if (noRowsOnDate)
        deleteDoubleDuty(emp, day);
    return true;
}

bool OpenShiftPairing::IsDoubleDutyOut(int EmpID, const QDate& day)
{
    // No pair signs out on a day the database cannot hold, and naming one fails the query.
    if (!m_dialect.holdsDate(day))
        return false;
    if (m_sql->exists(QStringLiteral("SELECT TDATE FROM Tbl_Emp_Attn_Log_General "
                                     "WHERE EMP_ID = ? AND TDATE_OUT = ? AND INREMARKS = ?"),
                      {EmpID, date(day), kDoubleDuty}))
        return true;
    return m_sql->exists(QStringLiteral("SELECT TDate FROM Tbl_Emp_Attn_Log_Temp "
                                        "WHERE Emp_Id = ? AND OutDate = ? AND Remarks = ?"),
                         {EmpID, date(day), kDoubleDuty});
}

// ---------------------------------------------------------------------------------------
// The posting pass

void OpenShiftPairing::postPairs(int EmpID, RecordRun& run)
{
    if (m_postingBegins)
        m_postingBegins();
    m_workHours.clear();
    m_weekend.reset();
    m_weekendCounts.reset();
    m_category.reset();

    // Read after the pairing pass, inside its transaction.
    run.record([this, EmpID] {
        m_pairs.clear();
        for (const QVariantList& r : m_sql->rows(
                 QStringLiteral("SELECT Sno, TDate, INTime, OutTIme, Verify, VerifyOut, OutDate, "
                                "counter, Remarks FROM Tbl_Emp_Attn_Log_Temp "
                                "WHERE IsNew = 1 AND Emp_Id = ? ORDER BY TDate, Emp_Id, counter"),
                 {EmpID}))
            m_pairs.append({r[0].toLongLong(), dateOf(r[1]), dateOf(r[6]), r[2], r[3], r[4], r[5],
                            r[6], r[7], r[8]});
        readHolidays();
    });
    const qsizetype pairs = m_pairs.size();
    for (qsizetype i = 0; i < pairs; ++i)
        run.record([this, EmpID, i] { postPair(EmpID, m_pairs[i]); });
}

namespace {
// The day whose holiday or weekend credit a pair earns.
QDate checkDay(const QDate& tdate, const QDate& outDay)
{
    return tdate.isValid() ? tdate : outDay;
}
} // namespace

void OpenShiftPairing::readHolidays()
{
    // One read for the days of all the pairs: asked day by day, the holidays cost the
    // posting a statement for every second pair.
    m_holidays.clear();
    QDate first, last;
    for (const Pair& pair : std::as_const(m_pairs)) {
        const QDate day = checkDay(pair.tdate, pair.outDay);
        if (!day.isValid())
            continue;
        first = first.isValid() ? qMin(first, day) : day;
        last = last.isValid() ? qMax(last, day) : day;
    }
    if (!first.isValid())
        return;
    for (const QVariantList& h :
         m_sql->rows(QStringLiteral("SELECT holiday_date FROM Tbl_Org_Holiday "
                                    "WHERE holiday_date >= ? AND holiday_date <= ?"),
                     {date(first), date(last)})) {
        // Only what `holiday_date = day` would find: the day's own text, or its midnight.
        const QDate day = dateOf(h[0]);
        const bool exact = h[0].typeId() == QMetaType::QDateTime
                               ? h[0].toDateTime().time() == QTime(0, 0)
                               : h[0].toString() == date(day).toString();
        if (day.isValid() && exact)
            m_holidays.insert(day);
    }
}

void OpenShiftPairing::postPair(int emp, const Pair& pair)
{
    // Each punch's own verify kind, the other's where it has none.
    auto verifyText = [](const QVariant& own, const QVariant& other) {
        return VerifyModeNames::name(!own.isNull()     ? own.toInt()
                                     : !other.isNull() ? other.toInt()
                                                       : 3);
    };
    const QString inMode = verifyText(pair.verify, pair.verifyOut);
    const QString outMode = verifyText(pair.verifyOut, pair.verify);
    const QVariant tdate = date(pair.tdate);

    // The day rows of this pair's sign-in or sign-out, from those kept since the pairing
    // pass where they reach that far back.
    QVector<QVariant> outTimes;
    const bool kept = m_rows->holds(pair.tdate);
    if (kept) {
        auto same = [](const QVariant& a, const QVariant& b) {
            return !a.isNull() && !b.isNull() && a.toString() == b.toString();
        };
        for (const DayRows::General& g : std::as_const(m_rows->general))
            if (g.tdate == pair.tdate &&
                (same(g.inTime, pair.inTime) || same(g.outTime, pair.outTime)))
                outTimes.append(g.outTime);
    } else {
        for (const QVariantList& r : m_sql->rows(
                 QStringLiteral("SELECT OUTTIME FROM Tbl_Emp_Attn_Log_General "
                                "WHERE EMP_ID = ? AND TDATE = ? AND (INTIME = ? OR OUTTIME = ?)"),
                 {emp, tdate, pair.inTime, pair.outTime}))
            outTimes.append(r[0]);
    }
    const bool found = !outTimes.isEmpty();
    QVariant latest;
    for (const QVariant& out : std::as_const(outTimes))
        if (!out.isNull() && (latest.isNull() || out.toString() > latest.toString()))
            latest = out;

    if (found) {
        // The day row is posted already; a sign-out that arrived since closes it.
        if (isOpenOutTime(latest) && !pair.outTime.isNull()) {
            const QDate out = pair.outDay.isValid() ? pair.outDay : pair.tdate;
            m_sql->execute(
                QStringLiteral("UPDATE Tbl_Emp_Attn_Log_General SET OUTTIME = ?, "
                               "OUTMODE = ?, TDATE_OUT = ? WHERE EMP_ID = ? AND TDATE = ? "
                               "AND INTIME = (SELECT MAX(INTIME) FROM "
                               "Tbl_Emp_Attn_Log_General WHERE EMP_ID = ? AND TDATE = ?)"),
                {pair.outTime, outMode, date(out), emp, tdate, emp, tdate});
            if (kept) {
                QString last;
                for (const DayRows::General& g : std::as_const(m_rows->general))
                    if (g.tdate == pair.tdate && !g.inTime.isNull() && g.inTime.toString() > last)
                        last = g.inTime.toString();
                for (DayRows::General& g : m_rows->general)
                    if (g.tdate == pair.tdate && !g.inTime.isNull() &&
                        g.inTime.toString() == last) {
                        g.outTime = pair.outTime;
                        g.tdateOut = out;
                    }
            }
        }
        // Handled: posted again it would bring back a day row the operator has since
        // deleted, or add a second one beside the row he corrected.
        m_sql->execute(QStringLiteral("UPDATE Tbl_Emp_Attn_Log_Temp SET IsNew = 0 WHERE Sno = ?"),
                       {pair.sno});
        return;
    }

    const int category = creditCategory(emp, checkDay(pair.tdate, pair.outDay));
    const int workHour = workingHour(emp, pair.tdate, pair.inTime);
    const QString outDateText = pair.outDate.toString().trimmed();
    const QString outTimeText = pair.outTime.toString().trimmed();
    const bool open = pair.outDate.isNull() || outDateText.isEmpty() ||
                      outDateText == QLatin1String("0") || pair.outTime.isNull() ||
                      outTimeText == QLatin1String("0");
    // One day of leave per day worked, however many pairs the day has.
    bool credited = false;
    if (category == 1 && kept) {
        for (const DayRows::General& g : std::as_const(m_rows->general))
            credited = credited || (g.tdate == pair.tdate && g.status == 1);
    } else if (category == 1) {
        credited =
            m_sql->exists(QStringLiteral("SELECT EMP_ID FROM Tbl_Emp_Attn_Log_General "
                                         "WHERE EMP_ID = ? AND TDATE = ? AND ATT_STATUS = 1"),
                          {emp, tdate});
    }

    const QVariant remarks = pair.remarks.isNull() ? QVariant(QStringLiteral("")) : pair.remarks;
    m_sql->execute(QStringLiteral("INSERT INTO Tbl_Emp_Attn_Log_General (EMP_ID, WORKHOUR_ID, "
                                  "TDATE, INTIME, OUTTIME, INMODE, OUTMODE, ATT_STATUS, TDATE_OUT, "
                                  "COUNTER, INREMARKS) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                   {emp, workHour, tdate, pair.inTime,
                    open ? QVariant(QMetaType::fromType<QString>()) : pair.outTime, inMode, outMode,
                    category, open ? tdate : date(pair.outDay), pair.counter, remarks});
    const QDate dayOut = open ? pair.tdate : pair.outDay;
    if (kept || m_rows->holds(dayOut))
        m_rows->general.append({pair.tdate, dayOut, pair.inTime, open ? QVariant() : pair.outTime,
                                pair.counter.toInt(), remarks.toString(), category});
    if (open) {
        m_sql->execute(QStringLiteral("UPDATE Tbl_Emp_Attn_Log_Temp SET IsNew = 0 "
                                      "WHERE Emp_Id = ? AND TDate = ? AND INTime = ?"),
                       {emp, tdate, pair.inTime});
    } else {
        m_sql->execute(QStringLiteral("DELETE FROM Tbl_Emp_Attn_Log_Temp "
                                      "WHERE Emp_Id = ? AND TDate <= ? AND INTime <= ?"),
                       {emp, tdate, pair.inTime});
    }
    if (category == 1 && !credited) {
        try {
            atomically(m_db, [&] { Add_SubstituteLeave(emp); });
        } catch (const DbError& e) {
            m_helperErrors.append({QStringLiteral("Add_SubstituteLeave()"), e});
        }
    }
}

int OpenShiftPairing::creditCategory(int emp, const QDate& checkDate)
{
    if (m_holidays.contains(checkDate))
        return categoryOnce(emp);

    if (!m_weekend) {
        const QString sql = QStringLiteral(
            "SELECT sun, mon, tue, wed, thu, fri, sat FROM Tbl_Org_WeekEnd WHERE emp_id = ?");
        QVector<QVariantList> row = m_sql->rows(sql, {emp});
        if (row.isEmpty())
            row = m_sql->rows(sql, {0});
        QVector<bool> days(7, false);
        if (!row.isEmpty())
            for (int i = 0; i < 7; ++i)
                days[i] = row[0][i].toInt() != 0;
        m_weekend = days;
    }
    // Sunday is day 1 of the weekend row; Qt counts Monday 1 to Sunday 7.
    if (!checkDate.isValid() || !(*m_weekend)[checkDate.dayOfWeek() % 7])
        return 0;
    if (!m_weekendCounts) {
        const QVariant dontCount = m_sql->scalar(
            QStringLiteral("SELECT CHKDontCal FROM Tbl_Emp_Off_Info "
                           "WHERE PID = (SELECT pid FROM Tbl_Emp_DBID WHERE emp_id = ?)"),
            {emp});
        m_weekendCounts = dontCount.isValid() && !dontCount.isNull() && dontCount.toInt() == 0;
    }
    return *m_weekendCounts ? categoryOnce(emp) : 0;
}

int OpenShiftPairing::categoryOnce(int emp)
{
    if (m_category)
        return *m_category;
    try {
        m_category = get_Cate(emp);
        return *m_category;
    } catch (const DbError& e) {
        m_helperErrors.append({QStringLiteral("get_Cate ()"), e});
        return 0;
    }
}

int OpenShiftPairing::workingHour(int emp, const QDate& day, const QVariant& inTime)
{
    // On SQLite the look-up is the program's own query, whose answer depends on the weekday
    // alone; the server's procedure is asked every time.
    const bool byWeekday = m_db.dialect().kind() == Dialect::Sqlite && day.isValid();
    if (byWeekday)
        if (const auto known = m_workHours.constFind(day.dayOfWeek());
            known != m_workHours.constEnd())
            return *known;
    const QVariant id = m_sql->scalar(m_db.dialect().workingHourQuery(),
                                      {emp, day.toString(QStringLiteral("yyyy-MM-dd")), inTime});
    const int workHour = id.isValid() && !id.isNull() ? id.toInt() : 1;
    if (byWeekday)
        m_workHours.insert(day.dayOfWeek(), workHour);
    return workHour;
}

int OpenShiftPairing::get_Cate(int EmpID)
{
    const QVariant category =
        m_sql->scalar(QStringLiteral("SELECT emp_category FROM Tbl_Emp_Off_Info "
                                     "WHERE PID = (SELECT pid FROM Tbl_Emp_DBID WHERE emp_id = ?)"),
                      {EmpID});
    return category.isNull() ? 0 : category.toInt();
}

void OpenShiftPairing::Add_SubstituteLeave(int EmpID)
{
    QVariant leaveId = m_sql->scalar(
        QStringLiteral("SELECT Leave_Id FROM Tbl_Org_Leave_Info WHERE Leave_Name = ?"),
        {kSubstituteLeave});
    if (!leaveId.isValid()) {
        leaveId = get_MaxId(QStringLiteral("Tbl_Org_Leave_Info"), QStringLiteral("Leave_Id"), m_db);
        m_sql->execute(QStringLiteral("INSERT INTO Tbl_Org_Leave_Info "
                                      "(Leave_Id, Leave_Name, Leave_Days, Leave_Type) "
                                      "VALUES (?, ?, 1, 2)"),
                       {leaveId, kSubstituteLeave});
    }
    const QVariant given = m_sql->scalar(
        QStringLiteral("SELECT Given FROM Tbl_Org_Leave_Log WHERE Leave_Id = ? AND Emp_Id = ?"),
        {leaveId, EmpID});
    if (given.isValid())
        m_sql->execute(QStringLiteral("UPDATE Tbl_Org_Leave_Log SET Given = ? "
                                      "WHERE Leave_Id = ? AND Emp_Id = ?"),
                       {given.toInt() + 1, leaveId, EmpID});
    else
        m_sql->execute(QStringLiteral("INSERT INTO Tbl_Org_Leave_Log (Emp_Id, Leave_Id, Given) "
                                      "VALUES (?, ?, 1)"),
                       {EmpID, leaveId});
}
