// Template download, template upload and user copy at full size, each against this
// machine's own limit: the same terminal calls alone, plus the same rows written by one
// prepared statement in one transaction (download) or read by one query (upload, copy).
//
// A file-backed SQLite store already holding 30,000 rows of other users, 3,000 employees,
// and an in-memory simulated terminal with 3,000 users of ten templates of ~1,000
// characters each. Every phase runs three rounds (or as many as the first argument says)
// and its line gives the medians, so a busy machine sways the figures less. Lines:
//   user-read users=3000 seconds=S per_s=R
//   <phase> rows=30000 seconds=S per_s=R limit_per_s=L ratio=X
//   templates rows=90000 seconds=S per_s=R limit_per_s=L ratio=X     (the sum)

#include "BenchSupport.h"
#include "SimState.h"
#include "SimThread.h"
#include "admin/TemplateDownload.h"
#include "admin/TemplateUpload.h"
#include "admin/UserCopy.h"
#include "support/TestSupport.h"
#include "terminals/TerminalSdk.h"

#include <QCoreApplication>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int kUsers = 3000;
constexpr int kFingers = 10;
constexpr int kRows = kUsers * kFingers;
constexpr int kSource = 1;
constexpr int kOther = 9;

QString templateText(int user, int finger)
{
    return QStringLiteral("TPL%1-%2:")
        .arg(user)
        .arg(finger)
        .leftJustified(16, QLatin1Char('x'))
        .repeated(62)
        .left(1000);
}

SimState fullTerminal()
{
    SimState state;
    state.machine = kSource;
    state.users.reserve(kUsers);
    for (int n = 1; n <= kUsers; ++n) {
        SimUser u;
        u.number = QString::number(n);
        u.name = QStringLiteral("User %1").arg(n);
        u.password = QString::number(1000 + n);
        u.privilege = n % 4;
        u.card = QString::number(500000 + n);
        for (int f = 0; f < kFingers; ++f)
            u.templates[size_t(f)] = templateText(n, f);
        state.users.append(u);
    }
    return state;
}

SimState emptyTerminal()
{
    SimState state;
    state.machine = kSource;
    return state;
}

const QString kInsert = QStringLiteral(
    "Insert Into Tbl_UserTemplate (DeviceUserID, DeviceUserName, FingerIndex, FTemplate, "
    "DeviceID, rfid, password, previlege, Status, IsNew) Values(?,?,?,?,?,?,?,?,?,?)");

// The other users' rows and the employees, stored before.
void fillStore(Db& db)
{
    Transaction transaction(db);
    QSqlQuery insert = db.prepare(kInsert);
    for (int n = 0; n < kUsers; ++n)
        for (int f = 0; f < kFingers; ++f)
            Db::run(insert, {100001 + n, QStringLiteral("Other"), f, templateText(n, f), kOther, 0,
                             QString(), 0, 1, 0});
    QSqlQuery employee = db.prepare(QStringLiteral(
        "Insert Into Tbl_Emp_Info (Emp_ID, Emp_FirstName, Emp_MiddleName, Emp_LastName) "
        "Values (?,?,?,?)"));
    for (int n = 1; n <= kUsers; ++n)
        Db::run(employee,
                {n, QStringLiteral("First"), QString(), QStringLiteral("Last %1").arg(n)});
    transaction.commit();
}

void connect(TerminalSdk& sdk, SimThread& sim)
{
    if (!sdk.SdkConnectNetwork(QStringLiteral("127.0.0.1"), sim.port()))
        qFatal("cannot reach the simulated terminal");
}

// A terminal with no users yet, linked.
struct LinkedEmptyTerminal
{
    SimThread sim{emptyTerminal()};
    TerminalSdk sdk;
    LinkedEmptyTerminal() { connect(sdk, sim); }
};

struct Phase
{
    const char* name;
    double seconds = 0;
    double limit = 0;
};

void print(const Phase& p, int rows)
{
    Bench::printRate(p.name, "rows", rows, p.seconds, p.limit);
}

int rowsOf(Db& db, int device)
{
    return db
        .scalar(QStringLiteral("Select Count(*) From Tbl_UserTemplate Where DeviceID=?"), {device})
        .toInt();
}

void userRead(TerminalSdk& sdk)
{
    const Bench::Stopwatch timer;
    const QList<TerminalUser> users = TemplateDownload::listUsers(sdk, kSource);
    const double seconds = timer.seconds();
    if (users.size() != kUsers)
        qFatal("the bulk read returned %d users", int(users.size()));
    std::printf("user-read users=%d seconds=%.3f per_s=%.0f\n", kUsers, seconds, kUsers / seconds);
}

Phase download(Db& db, TerminalSdk& sdk)
{
    Phase p{"template-download"};
    // The limit: the terminal reads alone, then the rows by one prepared insert.
    Bench::Stopwatch timer;
    QList<std::array<QString, kFingers>> read(kUsers);
    QString name, password, templ;
    long privilege = 0;
    bool enabled = false;
    int length = 0;
    for (int n = 1; n <= kUsers; ++n) {
        const QString user = QString::number(n);
        sdk.SdkReadUserInfo(kSource, user, name, password, privilege, enabled);
        for (int f = 0; f < kFingers; ++f) {
            sdk.SdkReadUserTemplate(kSource, user, f, templ, length);
            read[n - 1][size_t(f)] = templ;
        }
    }
    p.limit = timer.seconds();
    {
        TempDatabase scratch;
        fillStore(scratch.db());
        timer.restart();
        Transaction transaction(scratch.db());
        QSqlQuery insert = scratch.db().prepare(kInsert);
        for (int n = 1; n <= kUsers; ++n)
            for (int f = 0; f < kFingers; ++f)
                Db::run(insert, {n, name, f, read[n - 1][size_t(f)], kSource, 0, password,
                                 int(privilege), 1, 0});
        transaction.commit();
        p.limit += timer.seconds();
    }

    db.exec(QStringLiteral("Delete From Tbl_UserTemplate Where DeviceID=?"), {kSource});
    timer.restart();
    TemplateDownload job(db, sdk, kSource);
    job.setYield([] { QCoreApplication::processEvents(); });
    for (int n = 1; n <= kUsers; ++n)
        if (job.download(n, false).outcome != TemplateDownload::Outcome::Stored)
            qFatal("user %d was not downloaded", n);
    job.finish();
    p.seconds = timer.seconds();
    if (rowsOf(db, kSource) != kRows)
        qFatal("the download stored %d rows", rowsOf(db, kSource));
    return p;
}

// One read of every row the job below reads.
double readRows(Db& db)
{
    const Bench::Stopwatch timer;
    QSqlQuery q =
        db.exec(QStringLiteral("Select * From Tbl_UserTemplate Where DeviceID=?"), {kSource});
    int rows = 0;
    while (q.next())
        rows += q.value(3).toString().isEmpty() ? 0 : 1;
    if (rows != kRows)
        qFatal("read %d rows", rows);
    return timer.seconds();
}

Phase upload(Db& db)
{
    Phase p{"template-upload"};
    {
        LinkedEmptyTerminal terminal;
        const Bench::Stopwatch timer;
        for (int n = 1; n <= kUsers; ++n)
            for (int f = 0; f < kFingers; ++f)
                terminal.sdk.SdkWriteUserTemplate(kSource, n, f, templateText(n, f));
        p.limit = timer.seconds() + readRows(db);
    }
    LinkedEmptyTerminal terminal;
    const Bench::Stopwatch timer;
    const QList<EmployeeTemplates> list = TemplateUpload::listEmployees(db, kSource);
    TemplateUpload job(db, terminal.sdk, kSource);
    for (const EmployeeTemplates& e : list)
        if (job.upload(e.empId) != TemplateUpload::Outcome::Sent)
            qFatal("employee %lld was not uploaded", e.empId);
    p.seconds = timer.seconds();
    if (terminal.sim.state().users.size() != kUsers)
        qFatal("the terminal holds %d users", int(terminal.sim.state().users.size()));
    return p;
}

Phase copy(Db& db)
{
    Phase p{"user-copy"};
    {
        LinkedEmptyTerminal terminal;
        TerminalSdk& sdk = terminal.sdk;
        const Bench::Stopwatch timer;
        for (int n = 1; n <= kUsers; ++n) {
            sdk.setSdkCardNumber(0, QString::number(500000 + n));
            sdk.SdkSetUserInfo(kSource, n, QStringLiteral("User %1").arg(n).left(8),
                               QString::number(1000 + n), n % 4, true);
            sdk.SdkDeleteFingerTemplate(kSource, n, 12);
            for (int f = 0; f < kFingers; ++f)
                sdk.SdkWriteUserTemplate(kSource, n, f, templateText(n, f));
        }
        sdk.SdkRefreshData(kSource);
        p.limit = timer.seconds() + readRows(db);
    }
    LinkedEmptyTerminal terminal;
    const Bench::Stopwatch timer;
    const QList<StoredUser> list = UserCopy::listUsers(db, kSource);
    UserCopy job(db, terminal.sdk, kSource, kSource);
    for (const StoredUser& u : list) {
        QCoreApplication::processEvents();
        if (job.copy(u.number, u.card, u.password, u.privilege) != UserCopy::Outcome::Copied)
            qFatal("user %lld was not copied", u.number);
    }
    job.finish();
    terminal.sdk.SdkRefreshData(kSource);
    p.seconds = timer.seconds();
    if (terminal.sim.state().users.size() != kUsers)
        qFatal("the terminal holds %d users", int(terminal.sim.state().users.size()));
    return p;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    TestEnvironment environment;
    TempDatabase database;
    Db& db = database.db();
    fillStore(db);

    SimThread sim(fullTerminal());
    TerminalSdk sdk;
    connect(sdk, sim);
    userRead(sdk);

    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    Phase total{"templates"};
    auto add = [&](const std::function<Phase()>& round) {
        std::vector<double> seconds, limits;
        Phase p;
        for (int i = 0; i < rounds; ++i) {
            p = round();
            seconds.push_back(p.seconds);
            limits.push_back(p.limit);
        }
        p.seconds = Bench::median(seconds);
        p.limit = Bench::median(limits);
        print(p, kRows);
        total.seconds += p.seconds;
        total.limit += p.limit;
    };
    add([&] { return download(db, sdk); });
    add([&] { return upload(db); });
    add([&] { return copy(db); });
    print(total, 3 * kRows);
    return 0;
}
