#pragma once
// A simulated terminal on a thread of its own, listening on 127.0.0.1 at a free port, for
// tests and benchmarks that drive TerminalSdk in the same process: the SDK waits for its
// answers on the calling thread, so the terminal cannot answer from that thread too.

#include "SimState.h"

#include <QString>
#include <QThread>

#include <functional>

class QObject;
class SimPtyPort;
class SimServer;
class SimTerminal;

class SimThread
{
public:
    explicit SimThread(SimState state = SimState(), const QString& stateFile = QString());
    ~SimThread();
    SimThread(const SimThread&) = delete;
    SimThread& operator=(const SimThread&) = delete;

    quint16 port() const { return m_port; }
    // Opens the terminal's serial line too; its device path, empty when that fails.
    QString openPty();

    // Runs `f` on the terminal's thread and waits for it: the way to look at or change the
    // terminal's state and faults while it serves.
    void run(const std::function<void(SimTerminal&)>& f);
    SimState state();
    void setRefuseConnections(bool refuse);
    // The terminal's fault switch (SimTerminal::setDropAfterAnswers).
    void setDropAfterAnswers(const QString& op, int answers);
    // Writes the terminal's unsaved changes to its state file now.
    bool saveState();

private:
    void onThread(const std::function<void()>& f);

    QThread m_thread;
    QObject* m_context = nullptr;
    SimTerminal* m_terminal = nullptr;
    SimServer* m_server = nullptr;
    SimPtyPort* m_pty = nullptr;
    quint16 m_port = 0;
};
