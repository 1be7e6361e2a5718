#include "SchedulerPass.h"

#include "DeviceLink.h"
#include "TaskStore.h"
#include "TerminalSdk.h"

#include "shell/DateText.h"
#include "shell/Db.h"
#include "shell/ModFunction.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVector>

#include <algorithm>
#include <array>
#include <numeric>

namespace {
struct DueTask
{
    int taskId;
    int task;
    int deviceId;
    QString taskDate;
    QString taskTime;
    bool eachDay;
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

// Of the tasks at one minute, those due on `day`. The first of them decides: an each-day
// task there runs every task at this minute, otherwise only the day's.
QVector<DueTask> dueOn(const QVector<DueTask>& atMinute, const QDate& day)
{
    if (atMinute.isEmpty() || atMinute.first().eachDay)
        return atMinute;
    // Tasks saved before dates were kept locale-free carry the short date; they still run.
    const QString dated = TaskStore::dateText(day);
    const QString shortDated = shortDateText(day);
    QVector<DueTask> due;
    for (const DueTask& t : atMinute)
        if (t.taskDate == dated || t.taskDate == shortDated)
            due.append(t);
    return due;
}

// The tasks due at the given wall minutes, each once, in the order of the minutes. A long
// spell asks the table once per time of day.
QVector<DueTask> dueTasks(Db& db, const QVector<qint64>& minutes)
{
    QHash<QString, QVector<DueTask>> byTime;
    QSet<int> taken;
    QVector<DueTask> tasks;
    for (const qint64 minute : minutes) {
        const QString timeText =
            QTime(static_cast<int>(minute % 1440 / 60), static_cast<int>(minute % 60))
                .toString(QStringLiteral("HH:mm"));
        auto at = byTime.find(timeText);
        if (at == byTime.end())
            at = byTime.insert(timeText, tasksAt(db, timeText));
        for (const DueTask& t : dueOn(*at, QDate::fromJulianDay(minute / 1440)))
            if (!taken.contains(t.taskId)) {
                taken.insert(t.taskId);
                tasks.append(t);
            }
    }
    return tasks;
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
    QVector<qint64> minutes(std::max<qint64>(missed, 0) + 1);
    std::iota(minutes.begin(), minutes.end(), wallMinute(now) - minutes.size() + 1);
    run(db, host, now, minutes);
}

qint64 SchedulerPass::wallMinute(const QDateTime& when)
{
    // Local wall-clock minutes: tasks are set in local time.
    return when.date().toJulianDay() * 1440 + when.time().hour() * 60 + when.time().minute();
}

void SchedulerPass::run(Db& db, SchedulerHost& host, const QDateTime& now,
                        const QVector<qint64>& minutes)
{
    const QDate date = now.date();
    const QTime time = now.time();
    for (const DueTask& row : dueTasks(db, minutes)) {
        if (row.task < 0 || row.task > 5)
            continue;
        int element = 0;
        TerminalSdk* sdk = host.controlForDevice(row.deviceId, element);
        host.setCurrentTerminal(element, row.deviceId);
        const long m = row.deviceId;
        bool done = false;
        if (sdk) {
            switch (row.task) {
            case 0:
                if ((done = ConnectDevice(*sdk, m))) {
                    sdk->SdkSetDeviceClock(m, date.year(), date.month(), date.day(), time.hour(),
                                           time.minute(), time.second());
                    sdk->SdkSetDeviceParam(m, 34, 2);
                }
                break;
            case 1:
                done = ConnectDevice(*sdk, m);
                break;
            case 2:
                if ((done = IsDeviceConnected(*sdk)))
                    sdk->SdkDisconnect();
                break;
            case 3:
                if ((done = ConnectDevice(*sdk, m)))
                    sdk->SdkRestartDevice(m);
                break;
            case 4:
                if (ConnectDevice(*sdk, m)) {
                    host.viewLogs();
                    done = host.extractData();
                }
                break;
            case 5:
                if ((done = ConnectDevice(*sdk, m)))
                    sdk->SdkPowerOffDevice(m);
                break;
            }
        }
        if (done)
            db.exec(QStringLiteral("Update Tbl_Task Set Performed='Y' Where TaskID=?"), {row.taskId});
        WriteSchedulerLog((done ? successText(row.task) : failureText(row.task)) +
                          QStringLiteral("(%1)").arg(row.deviceId) + row.taskDate +
                          QLatin1Char(',') + row.taskTime);
    }
}
