#include "SimSession.h"

#include "SimTerminal.h"
#include "terminals/SdkProtocol.h"

#include <QTimer>

SimSession::SimSession(SimTerminal& terminal, QObject* parent)
    : QObject(parent), m_terminal(terminal)
{
    connect(&terminal, &SimTerminal::linksDropped, this, [this] { endLink(); });
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
        endLink();
        return;
    }
    if (reply.greeting)
        discardOut();
    writeOut(reply.bytes);
    if (reply.dropLinks)
        m_terminal.dropLinks();
}
