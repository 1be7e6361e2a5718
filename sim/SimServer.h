#pragma once
// Serves one terminal over TCP: every accepted connection is a line of requests to it.

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class SimTerminal;

class SimServer : public QObject
{
    Q_OBJECT
public:
    explicit SimServer(SimTerminal& terminal, QObject* parent = nullptr);

    // Port 0 picks a free port; port() tells which.
    bool listen(const QHostAddress& address, quint16 port, QString* error = nullptr);
    quint16 port() const { return m_port; }
    QHostAddress address() const { return m_address; }

    // Refused: the port stops listening, so connecting fails at once; connections already
    // open stay. Allowed again: the same port listens again.
    bool setRefuseConnections(bool refuse);

private:
    void accept();

    SimTerminal& m_terminal;
    QTcpServer m_server;
    QHostAddress m_address;
    quint16 m_port = 0;
};
