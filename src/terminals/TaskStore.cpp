#include "TaskStore.h"

#include "shell/DateText.h"
#include "shell/Db.h"

QString TaskStore::timeText(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm"));
}

QString TaskStore::dateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QDate TaskStore::dateFromText(const QString& text)
{
    const QDate date = QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd"));
    return date.isValid() ? date : dateFromShortText(text);
}

bool TaskStore::isDuplicate(Db& db, const TaskRecord& task)
{
    return db.exists(QStringLiteral("Select TaskID From Tbl_Task Where DeviceID=? And Task=? "
                                    "And TaskDate=? And TaskTime=?"),
                     {task.DeviceID, task.Task, task.TaskDate, task.TaskTime});
}

void TaskStore::insert(Db& db, const TaskRecord& task)
{
    db.exec(QStringLiteral("Insert Into Tbl_Task (DeviceIndex,Task,TaskDate,TaskTime,Remarks,"
                           "TaskEachDay,DeviceID) Values (?,?,?,?,?,?,?)"),
            {task.DeviceIndex, task.Task, task.TaskDate, task.TaskTime, task.Remarks,
             task.TaskEachDay, task.DeviceID});
}

void TaskStore::update(Db& db, const TaskRecord& task)
{
    db.exec(QStringLiteral("Update Tbl_Task Set DeviceIndex=?, Task=?, TaskDate=?, TaskTime=?, "
                           "Remarks=?, TaskEachDay=?, DeviceID=? Where TaskID=?"),
            {task.DeviceIndex, task.Task, task.TaskDate, task.TaskTime, task.Remarks,
             task.TaskEachDay, task.DeviceID, task.TaskID});
}

void TaskStore::remove(Db& db, int taskId)
{
    db.exec(QStringLiteral("Delete From Tbl_Task Where TaskID=?"), {taskId});
}

int TaskStore::deviceIndexOf(Db& db, int deviceId)
{
    // The terminal list shows the register ordered by DeviceID, one element per row.
    QSqlQuery q =
        db.exec(QStringLiteral("Select DeviceID From Tbl_DeviceMaster Order By DeviceID"));
    for (int position = 1; q.next(); ++position)
        if (q.value(0).toInt() == deviceId)
            return position;
    return 0;
}

std::optional<int> TaskStore::terminalNamed(Db& db, const QString& text, int preferred)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return std::nullopt;
    bool isNumber = false;
    const int number = wanted.toInt(&isNumber);
    std::optional<int> byDescription;
    std::optional<int> byNumber;
    // Compared here rather than in SQL, so that letter case counts alike on every database.
    QSqlQuery q = db.exec(QStringLiteral(
        "Select DeviceID, DeviceDescription From Tbl_DeviceMaster Order By DeviceID"));
    while (q.next()) {
        const int id = q.value(0).toInt();
        if (q.value(1).toString().trimmed().compare(wanted, Qt::CaseInsensitive) == 0) {
            if (id == preferred)
                return id;
            if (!byDescription)
                byDescription = id;
        } else if (isNumber && id == number && !byNumber) {
            byNumber = id;
        }
    }
    return byDescription ? byDescription : byNumber;
}

QString TaskStore::deviceDescription(Db& db, int deviceId)
{
    const QVariant v =
        db.scalar(QStringLiteral("Select DeviceDescription From Tbl_DeviceMaster Where DeviceID=?"),
                  {deviceId});
    return v.isValid() ? v.toString() : QString();
}
