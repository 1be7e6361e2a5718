#include "Extraction.h"

#include "DeviceLink.h"
#include "PunchWriter.h"
#include "TerminalSdk.h"
#include "shell/Db.h"

namespace {
// SdkReadDeviceStatus: the number of attendance records the terminal holds.
constexpr long kAttendanceRecords = 6;

QString recordText(const QString& userNo, long year, long month, long day, long hour, long minute,
                   long second)
{
    const QChar zero(QLatin1Char('0'));
    return QStringLiteral("user \"%1\", %2-%3-%4 %5:%6:%7")
        .arg(userNo)
        .arg(year)
        .arg(month)
        .arg(day)
        .arg(hour, 2, 10, zero)
        .arg(minute, 2, 10, zero)
        .arg(second, 2, 10, zero);
}

DbError brokenLink(int stored)
{
    return DbError(Extraction::LinkError,
                   stored == 0
                       ? QStringLiteral("The link to the terminal broke while its attendance log "
                                        "was being read. Nothing was stored and the terminal's "
                                        "log is kept.")
                       : QStringLiteral("The link to the terminal broke while its attendance log "
                                        "was being read. The %1 punches read are stored; the "
                                        "terminal's log is kept.")
                             .arg(stored));
}
} // namespace

QString Extraction::punchFromTerminal(const QString& userNo, long verifyMode, long inOutMode,
                                      long year, long month, long day, long hour, long minute,
                                      long second, long machineId, PunchRecord& punch)
{
    punch = PunchRecord();
    const std::optional<int> number = PunchWriter::userNumber(userNo);
    if (!number)
        return QStringLiteral("the user number is not a number");
    punch.Emp_ID = *number;
    punch.VerifyMode = int(verifyMode);
    punch.InOutMode = int(inOutMode);
    // Values too large for a date field stay no date rather than wrap round into one.
    auto fits = [](long v) { return v >= 0 && v <= 9999; };
    if (fits(year) && fits(month) && fits(day) && fits(hour) && fits(minute) && fits(second)) {
        punch.LogDate = QDate(int(year), int(month), int(day));
        punch.LogTime = QTime(int(hour), int(minute), int(second));
    }
    punch.ExtractedFrom = int(machineId);
    punch.isnew = 1;
    punch.emp_name = QStringLiteral("");
    return PunchWriter::refusal(punch);
}

Extraction::Result Extraction::run(Db& db, TerminalSdk& sdk, long machineId,
                                   const std::function<void(int)>& afterRead)
{
    Result result;
    QString version;
    sdk.SdkReadFirmwareVersion(machineId, version);
    PunchWriter writer(db);

    for (int read = 1; read <= MaxReads; ++read) {
        // The SDK answers false both for a log it has nothing in and for a link that broke
        // during the read; only the second leaves the link down.
        const bool hasLog = sdk.SdkReadAttendanceLog(machineId);
        if (!hasLog && !IsDeviceConnected(sdk))
            throw brokenLink(result.stored);

        int records = 0;
        int accepted = 0;
        result.refused.clear();
        result.refusedCount = 0;
        QString userNo;
        long verifyMode = 0, inOutMode = 0, year = 0, month = 0, day = 0, hour = 0, minute = 0,
             second = 0, workCode = 0;
        while (hasLog && sdk.SdkNextAttendanceRecord(machineId, userNo, verifyMode, inOutMode, year,
                                                     month, day, hour, minute, second, workCode)) {
            ++records;
            PunchRecord punch;
            // The work code is not stored, so a punch does not fail on it alone.
            const QString unreadable = sdk.unreadableField();
            QString why = unreadable.isEmpty() || unreadable == QLatin1String("work code")
                              ? punchFromTerminal(userNo, verifyMode, inOutMode, year, month, day,
                                                  hour, minute, second, machineId, punch)
                              : QStringLiteral("the %1 is not a number").arg(unreadable);
            if (why.isEmpty())
                why = writer.store(punch);
            if (why.isEmpty()) {
                ++accepted;
                continue;
            }
            if (++result.refusedCount <= RefusalsListed)
                result.refused.append(
                    {records, recordText(userNo, year, month, day, hour, minute, second), why});
        }
        writer.commit();
        if (records > 0)
            result.stored = accepted;

        // A walk that ended because the link broke looks like the end of the log; the link
        // tells them apart.
        if (!IsDeviceConnected(sdk))
            throw brokenLink(result.stored);
        if (records == 0) {
            // Empty at the first read: nothing to extract. Empty later: someone else
            // emptied it, and every punch it held before is stored.
            if (read > 1)
                result.outcome = Outcome::Completed;
            return result;
        }
        if (result.refusedCount > 0) {
            result.outcome = Outcome::Kept;
            return result;
        }
        if (afterRead)
            afterRead(read);

        // A punch made while the log was read is not in this read, and the clear would take
        // it with the rest.
        long held = 0;
        if (!sdk.SdkReadDeviceStatus(machineId, kAttendanceRecords, held)) {
            if (!IsDeviceConnected(sdk))
                throw brokenLink(result.stored);
            throw DbError(LinkError, QStringLiteral("The %1 punches are stored, but the terminal "
                                                    "did not say how many records it holds, so "
                                                    "its log is kept.")
                                         .arg(result.stored));
        }
        if (held > records)
            continue;
        if (!sdk.SdkClearAttendanceLog(machineId))
            throw DbError(LinkError, QStringLiteral("The %1 punches are stored, but the terminal "
                                                    "did not clear its attendance log.")
                                         .arg(result.stored));
        result.outcome = Outcome::Completed;
        return result;
    }
    result.stillPunching = true;
    result.outcome = Outcome::Kept;
    return result;
}

QString Extraction::keptMessage(const Result& result)
{
    if (result.stillPunching)
        return QStringLiteral("%1 punches are stored, but new punches kept arriving on the "
                              "terminal while its log was read, so its log is kept. Extract "
                              "again later.")
            .arg(result.stored);
    QString text = QStringLiteral("%1 punches are stored. %2 records could not be stored, so the "
                                  "terminal's log is kept:")
                       .arg(result.stored)
                       .arg(result.refusedCount);
    for (const Refused& r : result.refused)
        text += QStringLiteral("\nRecord %1: %2 (%3)").arg(r.position).arg(r.record, r.reason);
    if (result.refusedCount > result.refused.size())
        text += QStringLiteral("\nand %1 more.").arg(result.refusedCount - result.refused.size());
    return text;
}
