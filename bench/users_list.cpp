// The terminal users screen listing 10,000 users with names, passwords and cards, against
// this machine's limit: one bulk read of the same terminal and a walk over its users.
//
// Last line: users-list users=N seconds=S per_s=R limit_per_s=L ratio=X

#include "BenchSupport.h"
#include "LinkedWindow.h"
#include "admin/FrmUser.h"
#include "terminals/TerminalSdk.h"

#include <QApplication>
#include <QTreeWidget>

namespace {
constexpr int kUsers = 10000;
constexpr int kRounds = 3;

SimState terminal()
{
    SimState s;
    s.users.reserve(kUsers);
    for (int i = 1; i <= kUsers; ++i) {
        SimUser u = simUser(QString::number(i), QStringLiteral("User %1").arg(i));
        u.password = QString::number(1000 + i % 9000);
        u.card = QString::number(5000000 + i);
        u.privilege = i % 50 == 0 ? 2 : 0;
        s.users.append(u);
    }
    return s;
}

// The bulk read and the walk alone, with every value the list takes.
double limitSeconds(TerminalSdk& sdk, long machine)
{
    const Bench::Stopwatch timer;
    if (!sdk.SdkReadAllUserInfo(machine))
        qFatal("the terminal refused the user read");
    QString number, name, password, card;
    long privilege = 0;
    bool enabled = false;
    int walked = 0;
    while (sdk.SdkNextUserInfoStr(machine, number, name, password, privilege, enabled)) {
        card = sdk.SdkCardNumber(0);
        ++walked;
    }
    if (walked != kUsers)
        qFatal("walked %d users", walked);
    return timer.seconds();
}
} // namespace

int main(int argc, char* argv[])
{
    Bench::preferOffscreen();
    QApplication app(argc, argv);
    WindowFixture f;
    Bench::linkTerminal(f, QStringLiteral("Front Gate"), terminal());
    FrmUser screen(*f.window);
    screen.Form_Load();
    auto* list = screen.findChild<QTreeWidget*>(QStringLiteral("lvwUserInformation"));

    double limit = 1e9, seconds = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        limit = std::min(limit, limitSeconds(*f.window->TermCtl1.at(1), 1));
        const Bench::Stopwatch timer;
        screen.LoadDeviceUsers();
        seconds = std::min(seconds, timer.seconds());
        if (list->topLevelItemCount() != kUsers)
            qFatal("listed %d users", list->topLevelItemCount());
    }
    Bench::printRate("users-list", "users", kUsers, seconds, limit);
    return 0;
}
