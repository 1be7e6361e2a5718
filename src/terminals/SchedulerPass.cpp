#include "SchedulerPass.h"

#include "DeviceLink.h"
#include "TaskStore.h"
#include "TerminalSdk.h"

#include "shell/Clock.h"
#include "shell/DateText.h"
#include "shell/Db.h"
#include "shell/ModFunction.h"

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVector>

#include <algorithm>
#include <array>

namespace {
struct DueTask
{
    int taskId;
    int task;
    int deviceId;
    QString taskDate;
    QString taskTime;
    bool eachDay;
    qint64 dueAt = 0; // steady moment of the latest minute it is owed for
};

const std::array<const char*, 6> kSuccess = {
    "Configured Device Date time With System at ", "Device Connected at ",
    "Device Disconnected at ", "Device Restarted at ", "Data Extracted at ",
    "Power Off Device at "};
const std::array<const char*, 6> kFailure = {
    "Configured Device Date time With System Failed", "Device Connect Failed ",
    "Device Disconnect Failed at ", "Device Restart Failed ", "Data Extract Failed ",
    "Power Off Device Failed "};

// The tasks set for one "HH:mm", in the order the table returns them.
QVector<DueTask> tasksAt(Db& db, const QString& timeText)
{
    QSqlQuery q = db.exec(QStringLiteral("Select * From Tbl_Task Where TaskTime=?"), {timeText});
    const QSqlRecord r = q.record();
    const int id = r.indexOf(QStringLiteral("TaskID")), task = r.indexOf(QStringLiteral("Task")),
              device = r.indexOf(QStringLiteral("DeviceID")),
              date = r.indexOf(QStringLiteral("TaskDate")),
              time = r.indexOf(QStringLiteral("TaskTime")),
              eachDay = r.indexOf(QStringLiteral("TaskEachDay"));
    QVector<DueTask> tasks;
    while (q.next())
        tasks.append({q.value(id).toInt(), q.value(task).toInt(), q.value(device).toInt(),
                      q.value(date).toString(), q.value(time).toString(),
                      q.value(eachDay).toString().trimmed() == QLatin1String("1")});
    return tasks;
}

// Of the tasks at one minute, those due on `day`: each by its own flag, every day or its
// own date only.
QVector<DueTask> dueOn(const QVector<DueTask>& atMinute, const QDate& day)
{
    // Tasks saved before dates were kept locale-free carry the short date; they still run.
    const QString dated = TaskStore::dateText(day);
    const QString shortDated = shortDateText(day);
    QVector<DueTask> due;
    for (const DueTask& t : atMinute)
        if (t.eachDay || t.taskDate == dated || t.taskDate == shortDated)
            due.append(t);
    return due;
}

// The tasks due at the given wall minutes, each once, in the order of the minutes. A task
// owed again at a later minute is as late as that minute only. A long spell asks the table
// once per time of day.
QVector<DueTask> dueTasks(Db& db, const QVector<SchedulerPass::OwedMinute>& minutes)
{
    QHash<QString, QVector<DueTask>> byTime;
    QHash<int, qsizetype> taken; // TaskID -> its place in tasks
    QVector<DueTask> tasks;
    for (const auto& [minute, dueAt] : minutes) {
        const QString timeText =
            QTime(static_cast<int>(minute % 1440 / 60), static_cast<int>(minute % 60))
                .toString(QStringLiteral("HH:mm"));
        auto at = byTime.find(timeText);
        if (at == byTime.end())
            at = byTime.insert(timeText, tasksAt(db, timeText));
        for (const DueTask& t : dueOn(*at, QDate::fromJulianDay(minute / 1440))) {
            const auto place = taken.constFind(t.taskId);
            if (place != taken.cend()) {
                tasks[*place].dueAt = dueAt;
                continue;
            }
            taken.insert(t.taskId, tasks.size());
            tasks.append(t);
            tasks.last().dueAt = dueAt;
        }
    }
    return tasks;
}

// Carries out one task on its terminal; true when the terminal did what was asked.
bool carryOut(SchedulerHost& host, const DueTask& row)
{
    int element = 0;
    TerminalSdk* sdk = host.controlForDevice(row.deviceId, element);
    host.setCurrentTerminal(element, row.deviceId);
    const long m = row.deviceId;
    // Every task but Disconnect first makes sure of the link.
    if (!sdk || (row.task != 2 && !ConnectDevice(*sdk, m)))
        return false;
    switch (row.task) {
    case 0: {
        // Read only now: an earlier task or the connect may have held the pass long.
        const QDateTime now = Clock::now();
        const QDate date = now.date();
        const QTime time = now.time();
        const bool done = sdk->SdkSetDeviceClock(m, date.year(), date.month(), date.day(),
                                                 time.hour(), time.minute(), time.second());
        sdk->SdkSetDeviceParam(m, 34, 2);
        return done;
    }
    case 1:
        return true;
    case 2:
        if (!IsDeviceConnected(*sdk))
            return false;
        host.closeLink(element);
        return true;
    case 3:
    case 5: {
        const bool done = row.task == 3 ? sdk->SdkRestartDevice(m) : sdk->SdkPowerOffDevice(m);
        // The terminal drops the link as it goes down; its row must not read "Connected".
        host.closeLink(element);
        return done;
    }
    default: // 4, Extract Data: the pass runs no other code
        host.viewLogs();
        return host.extractData();
    }
}
}  // namespace

QString SchedulerPass::successText(int task)
{
    return task >= 0 && task < 6 ? QString::fromLatin1(kSuccess[static_cast<size_t>(task)]) : QString();
}

QString SchedulerPass::failureText(int task)
{
    return task >= 0 && task < 6 ? QString::fromLatin1(kFailure[static_cast<size_t>(task)]) : QString();
}

void SchedulerPass::run(Db& db, SchedulerHost& host, const QDateTime& now, qint64 missed)
{
    const qint64 last = wallMinute(now);
    const qint64 dueAt = Clock::steadyMsecs();
    QVector<OwedMinute> minutes;
    for (qint64 minute = last - std::max<qint64>(missed, 0); minute <= last; ++minute)
        minutes.append({minute, dueAt});
    run(db, host, minutes);
}

qint64 SchedulerPass::wallMinute(const QDateTime& when)
{
    // Local wall-clock minutes: tasks are set in local time.
    return when.date().toJulianDay() * 1440 + when.time().hour() * 60 + when.time().minute();
}

void SchedulerPass::run(Db& db, SchedulerHost& host, const QVector<OwedMinute>& minutes)
{
    for (const DueTask& row : dueTasks(db, minutes)) {
        if (row.task < 0 || row.task > 5)
            continue;
        // A task held back too long (a box left open overnight) would act at an hour no one
        // chose; the log says it did not run.
        const bool done = Clock::steadyMsecs() - row.dueAt <= LatestRunMs && carryOut(host, row);
        if (done)
            db.exec(QStringLiteral("Update Tbl_Task Set Performed='Y' Where TaskID=?"), {row.taskId});
        WriteSchedulerLog((done ? successText(row.task) : failureText(row.task)) +
                          QStringLiteral("(%1)").arg(row.deviceId) + row.taskDate +
                          QLatin1Char(',') + row.taskTime);
    }
}
