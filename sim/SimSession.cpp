#include "SimSession.h"

#include "SimTerminal.h"
#include "terminals/SdkProtocol.h"

#include <QTimer>

SimSession::SimSession(SimTerminal& terminal, QObject* parent)
    : QObject(parent), m_terminal(terminal)
{
    connect(&terminal, &SimTerminal::linksDropped, this, [this] { hangUp(); });
    connect(&m_trickleTimer, &QTimer::timeout, this, &SimSession::trickleOne);
}

void SimSession::hangUp()
{
    m_hungUp = true;
    if (m_trickleTimer.isActive())
        m_busy = false;
    m_trickle.clear();
    m_trickleTimer.stop();
    endLink();
}

void SimSession::received(const QByteArray& bytes)
{
    m_inbox += bytes;
    answerWaiting();
}

void SimSession::answerWaiting()
{
    while (!m_busy) {
        const qsizetype end = m_inbox.indexOf('\n');
        if (end < 0) {
            if (m_inbox.size() > SdkProtocol::MaxLineBytes)
                m_inbox.clear();
            return;
        }
        const QByteArray line = m_inbox.left(end);
        m_inbox.remove(0, end + 1);
        if (m_hungUp && !SimTerminal::isGreeting(line))
            continue;
        m_hungUp = false;
        const SimReply reply = m_terminal.answer(line);
        if (reply.bytes.isEmpty())
            continue;
        const int delay = m_terminal.delayMs();
        if (delay <= 0) {
            deliver(reply);
            continue;
        }
        m_busy = true;
        QTimer::singleShot(delay, this, [this, reply] {
            m_busy = false;
            deliver(reply);
            answerWaiting();
        });
    }
}

void SimSession::deliver(const SimReply& reply)
{
    if (reply.cutAt >= 0) {
        writeOut(reply.bytes.left(reply.cutAt));
        hangUp();
        return;
    }
    if (reply.greeting)
        discardOut();
    const int trickle = m_terminal.trickleMs();
    if (trickle > 0 && !reply.dropLinks) {
        m_busy = true;
        m_trickle = reply.bytes;
        m_trickleTimer.start(trickle);
        return;
    }
    writeOut(reply.bytes);
    if (reply.dropLinks)
        m_terminal.dropLinks();
}

void SimSession::trickleOne()
{
    if (m_trickle.isEmpty()) {
        m_trickleTimer.stop();
        return;
    }
    writeOut(m_trickle.left(1));
    m_trickle.remove(0, 1);
    if (!m_trickle.isEmpty())
        return;
    m_trickleTimer.stop();
    m_busy = false;
    answerWaiting();
}
