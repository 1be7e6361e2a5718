#include "PunchRepair.h"

#include "shell/Db.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalUserNames.h"

#include <QSqlError>
#include <QSqlQuery>

#include <cmath>
#include <limits>
#include <optional>

namespace {
std::optional<int> modeOf(const QVariant& stored)
{
    return stored.isNull() ? std::nullopt : std::optional<int>(stored.toInt());
}
} // namespace

QString RepairRow::dateText() const
{
    const QString text = LogDate.toString();
    QDate date = LogDate.typeId() == QMetaType::QString
                     ? QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"))
                     : LogDate.toDate();
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : text;
}

QString RepairRow::timeText() const
{
    const QString text = LogTime.toString();
    const QTime time = QTime::fromString(text.trimmed(), QStringLiteral("H:m:s"));
    return time.isValid() ? time.toString(QStringLiteral("HH:mm:ss")) : text;
}

void PunchRepair::load(Db& db, TerminalSdk* sdk, long machineId, qint64 user, const QDate& first,
                       const QDate& last, QVector<RepairRow>& rows)
{
    // One probe and one read of the terminal's users, instead of two calls per row.
    std::optional<TerminalUserNames> names;
    if (sdk && IsDeviceConnected(*sdk))
        names.emplace(*sdk, machineId);

    QString sql = QStringLiteral(
        "Select emp_id,verifymode,inoutmode,logdate,logtime from tbl_attendancelog where ");
    QVariantList params;
    if (user >= 1) {
        sql += QStringLiteral("emp_id = ? and ");
        params << user;
    }
    sql += QStringLiteral("logdate between ? and ? order by emp_id,logdate,logtime");
    params << db.dialect().dateValue(first) << db.dialect().dateValue(last);

    QSqlQuery q = db.exec(sql, params);
    int lastUser = 0;
    QString lastName;
    while (q.next()) {
        RepairRow row;
        row.Emp_ID = q.value(0).toInt();
        row.VerifyMode = modeOf(q.value(1));
        row.InOutMode = modeOf(q.value(2));
        row.LogDate = q.value(3);
        row.LogTime = q.value(4);
        if (names) {
            // Rows come by user: one look-up per user, the same name shared by its rows.
            if (rows.isEmpty() || row.Emp_ID != lastUser) {
                lastUser = row.Emp_ID;
                lastName = names->name(QString::number(row.Emp_ID));
            }
            row.name = lastName;
        }
        rows.append(std::move(row));
    }
    if (q.lastError().isValid())
        throw Db::errorOf(q.lastError());
}

void PunchRepair::count(const QVector<RepairRow>& rows, int& deletions, int& modifications)
{
    deletions = modifications = 0;
    for (const RepairRow& row : rows) {
        if (row.state == RepairRow::Delete)
            ++deletions;
        else if (row.state == RepairRow::NewMode)
            ++modifications;
    }
}

QString PunchRepair::confirmation(int deletions, int modifications)
{
    if (deletions > 0 && modifications > 0)
        return QStringLiteral("There are %1 item(s) queued for deletion and %2 item(s) for "
                              "modification. Do you want to proceed?")
            .arg(deletions)
            .arg(modifications);
    if (deletions > 0)
        return QStringLiteral("There are %1 item(s) queued for deletion. Do you want to proceed?")
            .arg(deletions);
    if (modifications > 0)
        return QStringLiteral(
                   "There are %1 item(s) queued for modification. Do you want to proceed?")
            .arg(modifications);
    return {};
}

void PunchRepair::execute(Db& db, const QVector<RepairRow>& rows)
{
    QSqlQuery remove = db.prepare(QStringLiteral(
        "Delete from tbl_attendancelog where emp_id = ? and logdate=? and logtime=?"));
    QSqlQuery update = db.prepare(QStringLiteral(
        "update tbl_attendancelog set inoutmode=? where emp_id = ? and logdate=? and logtime=?"));
    for (const RepairRow& row : rows) {
        if (row.state == RepairRow::Delete)
            Db::run(remove, {row.Emp_ID, row.LogDate, row.LogTime});
        else if (row.state == RepairRow::NewMode)
            Db::run(update, {row.InOutMode ? QVariant(*row.InOutMode) : QVariant(), row.Emp_ID,
                             row.LogDate, row.LogTime});
    }
}

qint64 PunchRepair::userNumber(const QString& text)
{
    // The leading number: blanks, a sign, digits and a decimal part; anything after it is
    // ignored, and no number at all is 0.
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    const qsizetype begin = i;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        ++i;
    while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
        ++i;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'))
            ++i;
    }
    bool ok = false;
    const double value = text.mid(begin, i - begin).toDouble(&ok);
    if (!ok)
        return 0;
    // nearbyint rounds a half to the even neighbour in the default rounding mode.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint32>::min() ||
        rounded > std::numeric_limits<qint32>::max())
        throw DbError(6, QStringLiteral("Overflow: the user number %1 is past the range of user "
                                        "numbers")
                             .arg(text.trimmed()));
    return qint64(rounded);
}
