#pragma once
// One simulated terminal: its state, the answers it gives to the protocol's requests
// (terminals/SdkProtocol.h) and the faults tests can switch on.
//
// Changes reach the state file, when there is one, at most once per save interval: the
// first change after a quiet interval is saved before its answer leaves (and undone and
// refused when it cannot be saved); later ones are saved together when the interval has
// passed, when a link closes and when the terminal ends. 30,000 template writes so cost a
// few saves, not 30,000. Every save replaces the file whole.

#include "SimState.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QJsonObject;

struct SimReply
{
    QByteArray bytes;       // the answer, '\n' included; empty: no answer at all
    qsizetype cutAt = -1;   // >= 0: only so many bytes leave, then the link drops
    bool dropLinks = false; // the terminal goes away after this answer
    bool greeting = false;  // answers a new caller's hello
};

inline constexpr int DefaultSaveIntervalMs = 200;

class SimTerminal : public QObject
{
    Q_OBJECT
public:
    explicit SimTerminal(SimState state = SimState(), QObject* parent = nullptr);
    // Saves what is not saved yet.
    ~SimTerminal() override;

    // Loads the state file and keeps saving to it.
    bool open(const QString& stateFile, QString* error = nullptr);
    // From now on every change is saved to `stateFile` (empty: kept in memory only).
    void setStateFile(const QString& stateFile) { m_stateFile = stateFile; }
    QString stateFile() const { return m_stateFile; }
    // Writes the changes not saved yet now; true when the file holds the state.
    bool saveState();
    void setSaveIntervalMs(int ms) { m_saveIntervalMs = ms; }
    // Times the state file was written (tests of the coalescing).
    int saves() const { return m_saves; }

    SimState& state() { return m_state; }
    const SimState& state() const { return m_state; }

    // Answers one request line.
    SimReply answer(const QByteArray& line);

    // Faults. Delay: every answer leaves that many milliseconds late. Trickle: answers
    // leave one byte every that many milliseconds. Drop: every read of the attendance log
    // stops after that many records and the link drops (-1: off). Drop after answers: the
    // link drops right after the next `answers` answers to operation `op` (0: at its next
    // request, unanswered), once. Garbage: the next request of that operation (any, when
    // empty) is answered with bytes that are no answer. Oversize: the next answer to `op`
    // carries `bytes` more bytes of padding, still a valid answer.
    void setDelayMs(int ms) { m_delayMs = ms; }
    int delayMs() const { return m_delayMs; }
    void setTrickleMs(int ms) { m_trickleMs = ms; }
    int trickleMs() const { return m_trickleMs; }
    void setDropAfterRecords(int records) { m_dropAfter = records; }
    void setDropAfterAnswers(const QString& op, int answers);
    void garbleNext(const QString& op = QString());
    void oversizeNext(const QString& op, qsizetype bytes);

    // Whether a request line is a greeting (a hung-up serial line hears nothing else).
    static bool isGreeting(const QByteArray& line);

    // The terminal drops its links (called once the restart's answer has been sent).
    void dropLinks() { Q_EMIT linksDropped(); }

Q_SIGNALS:
    void linksDropped();

private:
    SimReply dispatch(const QString& op, const QJsonObject& request, QJsonObject& reply);
    SimReply readLog(const QByteArray& id);
    void applyAnswerFaults(const QString& op, SimReply& reply);
    // Keeps a change (see the top): false when it had to be saved at once and could not,
    // after `undo` has put the state back.
    bool commit(const std::function<void()>& undo);

    SimState m_state;
    QString m_stateFile;
    bool m_unsaved = false;
    bool m_saveFailed = false;
    int m_saveIntervalMs = DefaultSaveIntervalMs;
    int m_saves = 0;
    QElapsedTimer m_sinceSave;
    QTimer m_saveTimer;

    int m_delayMs = 0;
    int m_trickleMs = 0;
    int m_dropAfter = -1;
    QString m_dropOp;
    int m_dropAnswers = -1;
    bool m_garble = false;
    QString m_garbleOp;
    QString m_oversizeOp;
    qsizetype m_oversizeBytes = 0;
};
