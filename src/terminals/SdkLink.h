#pragma once
// One open line to one terminal, over TCP or a serial device, and the request/answer
// exchange on it (SdkProtocol.h). Every wait has a limit; whatever goes wrong on the line
// closes it, so a broken link never answers a later request with an earlier reply.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <memory>

class QIODevice;
class QSerialPort;
class QTcpSocket;

class SdkLink
{
public:
    enum class Result {
        Done,     // the terminal carried the request out
        Refused,  // the terminal answered that it could not; the link stays up
        Broken,   // no answer, or none that can be read; the link is now closed
    };

    SdkLink();
    ~SdkLink();

    // Opens the line and greets the terminal; true only once the terminal has answered.
    bool openNetwork(const QString& host, quint16 port, int timeoutMs);
    bool openSerial(const QString& device, qint32 baudRate, int timeoutMs);
    void close();
    bool isOpen() const;

    // Machine number the terminal gave when greeted.
    long machine() const { return m_machine; }

    // Sends one request and waits for its answer. `silenceMs` bounds every wait for the
    // next bytes, so a long answer that keeps arriving is not cut short.
    Result call(const char* op, long m, QJsonObject args, int silenceMs,
                QJsonObject* answer = nullptr);

    // Waits up to `ms` for what was written to leave.
    void flush(int ms);

private:
    QIODevice* device() const;
    bool greet(int timeoutMs);
    bool send(const QByteArray& bytes, int timeoutMs);
    bool readLine(QByteArray& line, int silenceMs);
    Result fail();

    std::unique_ptr<QTcpSocket> m_tcp;
    std::unique_ptr<QSerialPort> m_serial;
    QByteArray m_inbox;
    qint64 m_nextId = 0;
    long m_machine = 0;
};
