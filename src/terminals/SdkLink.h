#pragma once
// One open line to one terminal, over TCP or a serial device, and the request/answer
// exchange on it (SdkProtocol.h). Every exchange has one deadline; whatever goes wrong on
// the line closes it, so a broken link never answers a later request with an earlier reply.

#include <QByteArray>
#include <QDeadlineTimer>
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
        Done,    // the terminal carried the request out
        Refused, // the terminal answered that it could not; the link stays up
        Broken,  // no answer, or none that can be read; the link is now closed
    };

    SdkLink();
    ~SdkLink();

    // Opens the line and greets the terminal within `timeoutMs` in all; true only once the
    // terminal has answered.
    bool openNetwork(const QString& host, quint16 port, int timeoutMs);
    bool openSerial(const QString& device, qint32 baudRate, int timeoutMs);
    void close();
    bool isOpen() const;

    // Machine number the terminal gave when greeted.
    long machine() const { return m_machine; }

    // Sends one request and waits for its answer until `deadline`. The answer's bytes move
    // the deadline on only by the time they take at the line's floor speed, so a long answer
    // that arrives at a working speed completes, while a peer that trickles is cut off close
    // to the deadline, however often a byte comes.
    Result call(const char* op, long m, QJsonObject args, QDeadlineTimer deadline,
                QJsonObject* answer = nullptr);

    // Reads one answer line to the request `id`: Done with the answer, Refused, or Broken
    // when the line is no answer to it.
    static Result readAnswer(const QByteArray& line, qint64 id, QJsonObject* answer);

    // Waits up to `ms` for what was written to leave.
    void flush(int ms);

private:
    QIODevice* device() const;
    bool greet(QDeadlineTimer deadline);
    bool send(const QByteArray& bytes, QDeadlineTimer deadline);
    bool readLine(QByteArray& line, QDeadlineTimer& deadline);
    Result fail();

    std::unique_ptr<QTcpSocket> m_tcp;
    std::unique_ptr<QSerialPort> m_serial;
    QByteArray m_inbox;
    qint64 m_nextId = 0;
    long m_machine = 0;
    qint64 m_floorBytesPerSecond = 1;
};
