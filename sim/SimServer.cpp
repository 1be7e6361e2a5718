#include "SimServer.h"

#include "SimSession.h"
#include "SimTerminal.h"

#include <QTcpSocket>

namespace {

class TcpSession : public SimSession
{
public:
    TcpSession(SimTerminal& terminal, QTcpSocket* socket, QObject* parent)
        : SimSession(terminal, parent), m_socket(socket)
    {
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this] { received(m_socket->readAll()); });
        // A caller that is done finds its changes in the state file.
        connect(socket, &QTcpSocket::disconnected, this, [this] {
            this->terminal().saveState();
            deleteLater();
        });
        if (socket->bytesAvailable() > 0)
            received(socket->readAll());
    }

protected:
    // Sent at once rather than when the event loop comes round: the next request may keep
    // this thread busy (a long save) for a while.
    void writeOut(const QByteArray& bytes) override
    {
        m_socket->write(bytes);
        m_socket->flush();
    }
    // Lets what was written leave first, then closes: a cut-off answer arrives cut off.
    void endLink() override { m_socket->disconnectFromHost(); }

private:
    QTcpSocket* m_socket;
};

} // namespace

SimServer::SimServer(SimTerminal& terminal, QObject* parent) : QObject(parent), m_terminal(terminal)
{
    connect(&m_server, &QTcpServer::newConnection, this, &SimServer::accept);
}

bool SimServer::listen(const QHostAddress& address, quint16 port, QString* error)
{
    if (!m_server.listen(address, port)) {
        if (error)
            *error = m_server.errorString();
        return false;
    }
    m_address = address;
    m_port = m_server.serverPort();
    return true;
}

bool SimServer::setRefuseConnections(bool refuse)
{
    if (refuse) {
        m_server.close();
        return true;
    }
    return m_server.isListening() || m_server.listen(m_address, m_port);
}

void SimServer::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection())
        new TcpSession(m_terminal, socket, this);
}
