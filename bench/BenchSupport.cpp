#include "BenchSupport.h"

#include "shell/Db.h"

#include <QDate>
#include <QSqlQuery>
#include <QTime>

#include <algorithm>
#include <cstdio>

namespace Bench {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void printRate(const char* name, const char* unit, qint64 count, double seconds, qint64 limitCount,
               double limitSeconds)
{
    const double perSecond = count / seconds;
    const double limitPerSecond = limitCount / limitSeconds;
    std::printf("%s %s=%lld seconds=%.3f per_s=%.0f limit_per_s=%.0f ratio=%.2f\n", name, unit,
                qlonglong(count), seconds, perSecond, limitPerSecond, limitPerSecond / perSecond);
    std::fflush(stdout);
}

void preferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void insertPunchRows(Db& db, int count, const std::function<QVariantList(int)>& rowAt)
{
    const QString insert = QStringLiteral(
        "insert into %1 (emp_id,verifymode,inoutmode,logdate,logtime,extractedfrom,isnew,"
        "emp_name) values(?,?,?,?,?,?,?,?)");
    Transaction transaction(db);
    QSqlQuery device = db.prepare(insert.arg(QStringLiteral("Tbl_DeviceAttenLog")));
    QSqlQuery log = db.prepare(insert.arg(QStringLiteral("tbl_attendancelog")));
    for (int i = 0; i < count; ++i) {
        const QVariantList row = rowAt(i);
        Db::run(device, row);
        Db::run(log, row);
    }
    transaction.commit();
}

void storeEarlierPunches(Db& db, int count, int users, const QVariant& name)
{
    insertPunchRows(db, count, [&](int i) {
        const int round = i / users;
        return QVariantList{i % users + 1,
                            1,
                            0,
                            QDate(2025, 1, 1).addDays(round % 300).toString(Qt::ISODate),
                            QTime(6, 0)
                                .addSecs(round / 300 * 3600 + i % users * 7)
                                .toString(QStringLiteral("HH:mm:ss")),
                            2,
                            1,
                            name};
    });
}

} // namespace Bench
