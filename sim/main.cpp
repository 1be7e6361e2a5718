// quorvane-terminal-sim: serves simulated terminals from their JSON state files.
//
//   quorvane-terminal-sim --terminal FILE [--listen HOST:PORT] [--pty]
//                         [--delay MS] [--drop-after N] [--drop-after-answers OP:N]
//                         [--garbage OP] [--refuse]
//                         [--terminal FILE ...]
//       Each --terminal starts a terminal; the options after it, up to the next
//       --terminal, are that terminal's. Port 0 picks a free port. For every terminal the
//       simulator prints "listen MACHINE HOST:PORT" and/or "pty MACHINE PATH" (the serial
//       device to give the program), then "ready" once all serve.
//   quorvane-terminal-sim --generate N --out FILE [--machine M] [--users U]
//                         [--templates K] [--operations O]
//       Writes a terminal holding N punches of U users (default 100), each user with K
//       fingerprint templates, and O operation-log records (benchmarks, bulk trials).
//
// Changes are saved to the state files at most every 200 ms, when a network link closes,
// and when the simulator ends (SIGINT, SIGTERM and SIGHUP end it in order).
//   quorvane-terminal-sim --write-demo FOLDER
//       Writes the three demo terminals, terminal-1.json to terminal-3.json.

#include "SimGenerator.h"
#include "SimPtyPort.h"
#include "SimServer.h"
#include "SimTerminal.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

struct TerminalOptions
{
    QString file;
    QString listen;
    bool pty = false;
    int delayMs = 0;
    int dropAfter = -1;
    QString dropOp;
    int dropAnswers = -1;
    bool garble = false;
    QString garbleOp;
    bool refuse = false;
};

int usage(const QString& why)
{
    std::fprintf(stderr,
                 "quorvane-terminal-sim: %s\n"
                 "usage: quorvane-terminal-sim --terminal FILE [--listen HOST:PORT] [--pty]\n"
                 "           [--delay MS] [--drop-after N] [--drop-after-answers OP:N]\n"
                 "           [--garbage OP] [--refuse] ...\n"
                 "       quorvane-terminal-sim --generate N --out FILE [--machine M]\n"
                 "           [--users U] [--templates K] [--operations O]\n"
                 "       quorvane-terminal-sim --write-demo FOLDER\n",
                 qPrintable(why));
    return 2;
}

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// A signal only writes a byte; the event loop then ends the program in order.
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

void endOnSignals()
{
    if (::pipe(g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
}

int number(const QString& text, bool& ok)
{
    bool parsed = false;
    const int n = text.toInt(&parsed);
    ok = ok && parsed;
    return n;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);

    std::vector<TerminalOptions> terminals;
    int generate = -1;
    int machine = 1;
    int users = 100;
    int templates = 0;
    int operations = 0;
    QString out;
    QString demoFolder;
    bool ok = true;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        auto value = [&]() { return hasValue ? args.at(++i) : QString(); };
        auto needsTerminal = [&]() -> TerminalOptions* {
            if (terminals.empty()) {
                ok = false;
                return nullptr;
            }
            return &terminals.back();
        };
        if (a == QLatin1String("--terminal") && hasValue) {
            terminals.push_back({});
            terminals.back().file = value();
        } else if (a == QLatin1String("--listen") && hasValue) {
            if (TerminalOptions* t = needsTerminal())
                t->listen = value();
        } else if (a == QLatin1String("--pty")) {
            if (TerminalOptions* t = needsTerminal())
                t->pty = true;
        } else if (a == QLatin1String("--delay") && hasValue) {
            if (TerminalOptions* t = needsTerminal())
                t->delayMs = number(value(), ok);
        } else if (a == QLatin1String("--drop-after-answers") && hasValue) {
            if (TerminalOptions* t = needsTerminal()) {
                const QString spec = value();
                t->dropOp = spec.section(QLatin1Char(':'), 0, 0);
                t->dropAnswers = number(spec.section(QLatin1Char(':'), 1), ok);
                ok = ok && !t->dropOp.isEmpty() && t->dropAnswers >= 0;
            }
        } else if (a == QLatin1String("--drop-after") && hasValue) {
            if (TerminalOptions* t = needsTerminal())
                t->dropAfter = number(value(), ok);
        } else if (a == QLatin1String("--garbage") && hasValue) {
            if (TerminalOptions* t = needsTerminal()) {
                t->garble = true;
                t->garbleOp = value();
            }
        } else if (a == QLatin1String("--refuse")) {
            if (TerminalOptions* t = needsTerminal())
                t->refuse = true;
        } else if (a == QLatin1String("--generate") && hasValue) {
            generate = number(value(), ok);
        } else if (a == QLatin1String("--out") && hasValue) {
            out = value();
        } else if (a == QLatin1String("--machine") && hasValue) {
            machine = number(value(), ok);
        } else if (a == QLatin1String("--users") && hasValue) {
            users = number(value(), ok);
            ok = ok && users > 0;
        } else if (a == QLatin1String("--templates") && hasValue) {
            templates = number(value(), ok);
            ok = ok && templates >= 0 && templates <= 10;
        } else if (a == QLatin1String("--operations") && hasValue) {
            operations = number(value(), ok);
            ok = ok && operations >= 0;
        } else if (a == QLatin1String("--write-demo") && hasValue) {
            demoFolder = value();
        } else {
            return usage(QStringLiteral("unknown or incomplete option %1").arg(a));
        }
        if (!ok)
            return usage(QStringLiteral("bad option %1").arg(a));
    }

    if (!demoFolder.isEmpty()) {
        if (!QDir().mkpath(demoFolder))
            return usage(QStringLiteral("cannot make %1").arg(demoFolder));
        for (int m = 1; m <= 3; ++m) {
            const QString path =
                QDir(demoFolder).filePath(QStringLiteral("terminal-%1.json").arg(m));
            QString error;
            if (!SimGenerator::demo(m, QDate::currentDate()).save(path, &error)) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
                return 1;
            }
            say(path);
        }
        return 0;
    }
    if (generate >= 0) {
        if (out.isEmpty())
            return usage(QStringLiteral("--generate needs --out FILE"));
        QString error;
        if (!SimGenerator::bulk(generate, machine, users, templates, operations)
                 .save(out, &error)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(out), qPrintable(error));
            return 1;
        }
        return 0;
    }
    if (terminals.empty())
        return usage(QStringLiteral("nothing to serve"));

    std::vector<std::unique_ptr<SimTerminal>> running;
    for (const TerminalOptions& t : terminals) {
        auto terminal = std::make_unique<SimTerminal>();
        QString error;
        if (!terminal->open(t.file, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        terminal->setDelayMs(t.delayMs);
        terminal->setDropAfterRecords(t.dropAfter);
        if (t.dropAnswers >= 0)
            terminal->setDropAfterAnswers(t.dropOp, t.dropAnswers);
        if (t.garble)
            terminal->garbleNext(t.garbleOp);
        const int m = terminal->state().machine;
        if (!t.listen.isEmpty()) {
            const qsizetype colon = t.listen.lastIndexOf(QLatin1Char(':'));
            bool portOk = colon > 0;
            const int port = portOk ? number(t.listen.mid(colon + 1), portOk) : 0;
            const QHostAddress host(t.listen.left(colon));
            if (!portOk || port < 0 || port > 65535 || host.isNull())
                return usage(QStringLiteral("bad address %1").arg(t.listen));
            auto* server = new SimServer(*terminal, terminal.get());
            if (!server->listen(host, quint16(port), &error)) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(t.listen), qPrintable(error));
                return 1;
            }
            if (t.refuse)
                server->setRefuseConnections(true);
            say(QStringLiteral("listen %1 %2:%3").arg(m).arg(host.toString()).arg(server->port()));
        }
        if (t.pty) {
            auto* pty = new SimPtyPort(*terminal, terminal.get());
            if (!pty->open(&error)) {
                std::fprintf(stderr, "pty: %s\n", qPrintable(error));
                return 1;
            }
            say(QStringLiteral("pty %1 %2").arg(m).arg(pty->path()));
        }
        running.push_back(std::move(terminal));
    }
    say(QStringLiteral("ready"));
    endOnSignals();
    const int code = app.exec();
    // Each terminal saves what it has not saved yet as it goes.
    running.clear();
    return code;
}
