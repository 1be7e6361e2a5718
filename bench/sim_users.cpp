// What one request on one user or template costs the simulator, with few users and with
// many: 30,000 template writes, then as many template reads and user writes, answered
// straight from SimTerminal (no link) with a state file, as the simulator serves them.
// Prints the time per request and how often the state file was written.

#include "BenchSupport.h"
#include "SimGenerator.h"
#include "SimTerminal.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double perRequestUs(SimTerminal& terminal, int users, const char* pattern, int count)
{
    const Bench::Stopwatch timer;
    for (int i = 0; i < count; ++i) {
        const QByteArray request = QString::asprintf(pattern, i, 1 + i % users, i % 10, i).toUtf8();
        if (terminal.answer(request).bytes.isEmpty())
            return -1;
    }
    return timer.seconds() * 1e6 / count;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int requests = 30000;
    for (int users : {10, 10000}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("terminal.json"));
        if (!SimGenerator::bulk(1000, 1, users, 1).save(path))
            return 1;
        SimTerminal terminal;
        if (!terminal.open(path))
            return 1;
        const double write = perRequestUs(
            terminal, users,
            R"({"id":%d,"op":"writeTemplate","m":1,"user":"%d","finger":%d,"template":"T%d"})",
            requests);
        const double read = perRequestUs(
            terminal, users, R"({"id":%d,"op":"readTemplate","m":1,"user":"%d","finger":%d})",
            requests);
        const double setUser = perRequestUs(
            terminal, users,
            R"({"id":%d,"op":"setUser","m":1,"user":"%d","name":"N%d","password":"%d",)"
            R"("privilege":0,"enabled":true})",
            requests);
        terminal.saveState();
        std::printf("sim-users users=%d write_template_us=%.2f read_template_us=%.2f "
                    "set_user_us=%.2f saves=%d\n",
                    users, write, read, setUser, terminal.saves());
    }
    return 0;
}
