#pragma once
// One line of requests to a terminal (a TCP connection or a pseudo-terminal): cuts the
// incoming bytes into request lines, answers them one at a time in order, and carries the
// terminal's faults (late answers, answers cut off, links dropped).

#include <QByteArray>
#include <QObject>
#include <QTimer>

class SimTerminal;
struct SimReply;

class SimSession : public QObject
{
    Q_OBJECT
public:
    explicit SimSession(SimTerminal& terminal, QObject* parent = nullptr);

protected:
    void received(const QByteArray& bytes);
    SimTerminal& terminal() { return m_terminal; }

    virtual void writeOut(const QByteArray& bytes) = 0;
    // The terminal ends the link (after a cut-off answer, a restart, a power-off).
    virtual void endLink() = 0;
    // A new caller greets the terminal: what was still to go to the old one is dropped.
    virtual void discardOut() {}
    // Forget the half request an earlier caller left.
    void discardIn() { m_inbox.clear(); }

private:
    void answerWaiting();
    void deliver(const SimReply& reply);
    void hangUp();
    void trickleOne();

    SimTerminal& m_terminal;
    QByteArray m_inbox;
    bool m_busy = false;
    // The terminal dropped this link; a serial line stays open, so until a new caller
    // greets it the terminal hears nothing on it.
    bool m_hungUp = false;
    QByteArray m_trickle;
    QTimer m_trickleTimer;
};
