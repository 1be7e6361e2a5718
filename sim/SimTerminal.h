#pragma once
// One simulated terminal: its state, the answers it gives to the protocol's requests
// (terminals/SdkProtocol.h) and the faults tests can switch on. Every change is saved to
// the state file, when there is one, before the answer leaves; a change that cannot be
// saved is undone and refused.

#include "SimState.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QJsonObject;

struct SimReply
{
    QByteArray bytes;        // the answer, '\n' included; empty: no answer at all
    qsizetype cutAt = -1;    // >= 0: only so many bytes leave, then the link drops
    bool dropLinks = false;  // the terminal goes away after this answer
    bool greeting = false;   // answers a new caller's hello
};

class SimTerminal : public QObject
{
    Q_OBJECT
public:
    explicit SimTerminal(SimState state = SimState(), QObject* parent = nullptr);

    // Loads the state file and keeps saving to it.
    bool open(const QString& stateFile, QString* error = nullptr);
    // From now on every change is saved to `stateFile` (empty: kept in memory only).
    void setStateFile(const QString& stateFile) { m_stateFile = stateFile; }
    QString stateFile() const { return m_stateFile; }

    SimState& state() { return m_state; }
    const SimState& state() const { return m_state; }

    // Answers one request line.
    SimReply answer(const QByteArray& line);

    // Faults. Delay: every answer leaves that many milliseconds late. Drop: every read of
    // the attendance log stops after that many records and the link drops (-1: off).
    // Garbage: the next request of that operation (any, when empty) is answered with
    // bytes that are no answer.
    void setDelayMs(int ms) { m_delayMs = ms; }
    int delayMs() const { return m_delayMs; }
    void setDropAfterRecords(int records) { m_dropAfter = records; }
    void garbleNext(const QString& op = QString());

    // The terminal drops its links (called once the restart's answer has been sent).
    void dropLinks() { Q_EMIT linksDropped(); }

Q_SIGNALS:
    void linksDropped();

private:
    SimReply dispatch(const QString& op, const QJsonObject& request, QJsonObject& reply);
    SimReply readLog(const QByteArray& id);
    bool commit(const SimState& before);

    SimState m_state;
    QString m_stateFile;
    int m_delayMs = 0;
    int m_dropAfter = -1;
    bool m_garble = false;
    QString m_garbleOp;
};
