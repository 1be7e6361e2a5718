// Browsing the attendance history over 1,000,000 punches: opening the screen, clicks on the
// offscreen screen, and the punch read the list uses against the plain indexed select of the
// same rows in the same run.
//
// Last line: history-browse rows=N seconds=S per_s=R limit_per_s=L ratio=X

#include "BenchSupport.h"
#include "history_data.h"

#include "records/FrmLogHistory.h"
#include "records/HistoryStore.h"

#include <QApplication>
#include <QDateEdit>
#include <QTreeWidget>

#include <cstdio>

namespace {
constexpr int kRounds = 20;
const QDate kMonthStart(2025, 3, 1);
const QDate kMonthEnd(2025, 3, 31);
constexpr int kDepartment = 7;

QVector<int> departmentEmployees()
{
    QVector<int> ids;
    for (int e = kDepartment; e <= HistoryBench::kEmployees; e += HistoryBench::kDepartments)
        ids.append(e);
    return ids;
}
} // namespace

int main(int argc, char* argv[])
{
    Bench::preferOffscreen();
    QApplication app(argc, argv);
    HistoryBench::Store store;
    Db& db = store.db();
    const QVector<int> employees = departmentEmployees();

    Bench::Stopwatch timer;
    FrmLogHistory screen;
    screen.Form_Load();
    std::printf("history-open employees=%d ms=%lld\n", HistoryBench::kEmployees,
                timer.milliseconds());

    auto* tree = screen.findChild<QTreeWidget*>("TreeView1");
    auto* list = screen.findChild<QTreeWidget*>("lsv");
    screen.findChild<QDateEdit*>("DTPicker1")->setDate(kMonthStart);
    screen.findChild<QDateEdit*>("DTPicker2")->setDate(kMonthEnd);
    QHash<int, QTreeWidgetItem*> nodes;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if (!(*it)->data(0, FrmLogHistory::TagRole).toString().isEmpty())
            nodes.insert((*it)->data(0, FrmLogHistory::TagRole).toInt(), *it);
    long listed = 0;
    timer.restart();
    for (const int e : employees) {
        tree->setCurrentItem(nodes.value(e));
        screen.TreeView1_Click();
        listed += list->topLevelItemCount();
    }
    std::printf("history-click clicks=%lld rows=%ld ms_per_click=%.2f\n",
                qlonglong(employees.size()), listed, timer.seconds() * 1e3 / employees.size());

    const QVariant from = db.dialect().dateValue(kMonthStart);
    const QVariant to = db.dialect().dateValue(kMonthEnd);
    QSqlQuery plain =
        db.prepare("select * from Tbl_DeviceAttenLog where Emp_ID=? and LogDate between ? and ?");
    long limitRows = 0;
    timer.restart();
    for (int r = 0; r < kRounds; ++r)
        for (const int e : employees) {
            Db::run(plain, {e, from, to});
            while (plain.next())
                ++limitRows;
        }
    const double limitSeconds = timer.seconds();

    long rows = 0;
    timer.restart();
    HistoryStore::PunchReader reader(db);
    for (int r = 0; r < kRounds; ++r)
        for (const int e : employees)
            rows += reader.read(e, kMonthStart, kMonthEnd).size();
    const double seconds = timer.seconds();

    Bench::printRate("history-browse", "rows", rows, seconds, limitRows, limitSeconds);
    return 0;
}
