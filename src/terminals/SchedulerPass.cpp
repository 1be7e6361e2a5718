#include "SchedulerPass.h"

#include "DeviceLink.h"
#include "TaskStore.h"
#include "TerminalSdk.h"

#include "shell/DateText.h"
#include "shell/Db.h"
#include "shell/ModFunction.h"

#include <QVector>

#include <array>

namespace {
struct DueTask
{
    int taskId;
    int task;
    int deviceId;
    QString taskDate;
    QString taskTime;
};

const std::array<const char*, 6> kSuccess = {
    "Configured Device Date time With System at ", "Device Connected at ",
    "Device Disconnected at ", "Device Restarted at ", "Data Extracted at ",
    "Power Off Device at "};
const std::array<const char*, 6> kFailure = {
    "Configured Device Date time With System Failed", "Device Connect Failed ",
    "Device Disconnect Failed at ", "Device Restart Failed ", "Data Extract Failed ",
    "Power Off Device Failed "};

QVector<DueTask> dueTasks(Db& db, const QString& nowText, const QDate& today)
{
    // The first row at this minute decides: an each-day task there runs every task at this
    // minute, otherwise only today's.
    Recordset rows = db.select(QStringLiteral("Select * From Tbl_Task Where TaskTime=?"), {nowText});
    const bool everyTask = !rows.isEmpty() &&
                           rows.value(QStringLiteral("TaskEachDay")).toString().trimmed() ==
                               QLatin1String("1");
    if (!everyTask && !rows.isEmpty())
        // Tasks saved before dates were kept locale-free carry the short date; they still run.
        rows = db.select(QStringLiteral("Select * From Tbl_Task Where TaskTime=? And "
                                        "(TaskDate=? Or TaskDate=?)"),
                         {nowText, TaskStore::dateText(today), shortDateText(today)});
    QVector<DueTask> tasks;
    for (int r = 0; r < rows.RecordCount(); ++r) {
        auto field = [&](const char* name) {
            return rows.valueAt(r, rows.fieldIndex(QLatin1String(name)));
        };
        tasks.append({field("TaskID").toInt(), field("Task").toInt(), field("DeviceID").toInt(),
                      field("TaskDate").toString(), field("TaskTime").toString()});
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

void SchedulerPass::run(Db& db, SchedulerHost& host, const QDateTime& now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    const QString nowText = time.toString(QStringLiteral("HH:mm"));
    for (const DueTask& row : dueTasks(db, nowText, date)) {
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
