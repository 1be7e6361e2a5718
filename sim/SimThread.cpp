#include "SimThread.h"

#include "SimPtyPort.h"
#include "SimServer.h"
#include "SimTerminal.h"

#include <QHostAddress>
#include <QMetaObject>

SimThread::SimThread(SimState state, const QString& stateFile)
{
    m_context = new QObject;
    m_context->moveToThread(&m_thread);
    m_thread.start();
    onThread([&] {
        m_terminal = new SimTerminal(std::move(state));
        m_terminal->setStateFile(stateFile);
        m_server = new SimServer(*m_terminal);
        if (m_server->listen(QHostAddress::LocalHost, 0))
            m_port = m_server->port();
    });
}

SimThread::~SimThread()
{
    onThread([&] {
        delete m_pty;
        delete m_server;
        delete m_terminal;
        m_context->deleteLater();
    });
    m_thread.quit();
    m_thread.wait();
}

void SimThread::onThread(const std::function<void()>& f)
{
    QMetaObject::invokeMethod(m_context, f, Qt::BlockingQueuedConnection);
}

QString SimThread::openPty()
{
    QString path;
    onThread([&] {
        if (!m_pty) {
            auto* pty = new SimPtyPort(*m_terminal);
            if (!pty->open()) {
                delete pty;
                return;
            }
            m_pty = pty;
        }
        path = m_pty->path();
    });
    return path;
}

void SimThread::run(const std::function<void(SimTerminal&)>& f)
{
    onThread([&] { f(*m_terminal); });
}

SimState SimThread::state()
{
    SimState copy;
    run([&](SimTerminal& t) { copy = t.state(); });
    return copy;
}

void SimThread::setRefuseConnections(bool refuse)
{
    onThread([&] { m_server->setRefuseConnections(refuse); });
}

void SimThread::setDropAfterAnswers(const QString& op, int answers)
{
    run([&](SimTerminal& t) { t.setDropAfterAnswers(op, answers); });
}

bool SimThread::saveState()
{
    bool saved = false;
    run([&](SimTerminal& t) { saved = t.saveState(); });
    return saved;
}
