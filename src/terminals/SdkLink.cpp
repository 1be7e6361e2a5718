#include "SdkLink.h"

#include "SdkProtocol.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QSerialPort>
#include <QTcpSocket>

SdkLink::SdkLink() = default;

SdkLink::~SdkLink() { close(); }

QIODevice* SdkLink::device() const
{
    if (m_tcp)
        return m_tcp.get();
    return m_serial.get();
}

bool SdkLink::isOpen() const
{
    if (m_tcp)
        return m_tcp->state() == QAbstractSocket::ConnectedState;
    if (m_serial)
        return m_serial->isOpen();
    return false;
}

void SdkLink::close()
{
    if (m_tcp) {
        m_tcp->abort();
        m_tcp.reset();
    }
    if (m_serial) {
        m_serial->close();
        m_serial.reset();
    }
    m_inbox.clear();
    m_machine = 0;
}

bool SdkLink::openNetwork(const QString& host, quint16 port, int timeoutMs)
{
    close();
    if (port == 0)
        return false;
    m_tcp = std::make_unique<QTcpSocket>();
    m_tcp->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_tcp->connectToHost(host, port);
    if (!m_tcp->waitForConnected(timeoutMs)) {
        close();
        return false;
    }
    return greet(timeoutMs);
}

bool SdkLink::openSerial(const QString& device, qint32 baudRate, int timeoutMs)
{
    close();
    m_serial = std::make_unique<QSerialPort>(device);
    if (!m_serial->open(QIODevice::ReadWrite)) {
        close();
        return false;
    }
    const bool configured = m_serial->setBaudRate(baudRate) &&
                            m_serial->setDataBits(QSerialPort::Data8) &&
                            m_serial->setParity(QSerialPort::NoParity) &&
                            m_serial->setStopBits(QSerialPort::OneStop) &&
                            m_serial->setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        close();
        return false;
    }
    // Bytes of an earlier, broken exchange may still wait in the line.
    m_serial->clear(QSerialPort::AllDirections);
    return greet(timeoutMs);
}

// The greeting tolerates lines left over on the line (see SdkProtocol.h): it skips
// everything until the answer to its own request arrives or the time is up.
bool SdkLink::greet(int timeoutMs)
{
    const qint64 id = ++m_nextId;
    QJsonObject request{{QStringLiteral("id"), id},
                        {QStringLiteral("op"), QLatin1String(SdkProtocol::Hello)}};
    QByteArray bytes = "\n" + QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n';
    const QDeadlineTimer deadline(timeoutMs);
    if (!send(bytes, timeoutMs)) {
        close();
        return false;
    }
    for (;;) {
        QByteArray line;
        const int left = int(deadline.remainingTime());
        if (left <= 0 || !readLine(line, left)) {
            close();
            return false;
        }
        const QJsonObject answer = QJsonDocument::fromJson(line).object();
        if (answer.value(QLatin1String("id")).toInteger(-1) != id)
            continue;
        if (!answer.value(QLatin1String("ok")).toBool()) {
            close();
            return false;
        }
        m_machine = long(answer.value(QLatin1String("machine")).toInteger());
        return true;
    }
}

bool SdkLink::send(const QByteArray& bytes, int timeoutMs)
{
    QIODevice* dev = device();
    if (dev->write(bytes) != bytes.size())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    while (dev->bytesToWrite() > 0) {
        if (!isOpen() || deadline.hasExpired())
            return false;
        const int left = int(deadline.remainingTime());
        const bool written = m_tcp ? m_tcp->waitForBytesWritten(left)
                                   : m_serial->waitForBytesWritten(left);
        if (!written && dev->bytesToWrite() > 0)
            return false;
    }
    return true;
}

bool SdkLink::readLine(QByteArray& line, int silenceMs)
{
    QIODevice* dev = device();
    qsizetype scanned = 0;
    QDeadlineTimer deadline(silenceMs);
    for (;;) {
        const qsizetype end = m_inbox.indexOf('\n', scanned);
        if (end >= 0) {
            line = m_inbox.left(end);
            m_inbox.remove(0, end + 1);
            return true;
        }
        scanned = m_inbox.size();
        if (m_inbox.size() > SdkProtocol::MaxLineBytes)
            return false;
        if (dev->bytesAvailable() > 0) {
            m_inbox += dev->readAll();
            deadline.setRemainingTime(silenceMs);
            continue;
        }
        if (!isOpen() || deadline.hasExpired())
            return false;
        const int left = int(deadline.remainingTime());
        const bool arrived =
            m_tcp ? m_tcp->waitForReadyRead(left) : m_serial->waitForReadyRead(left);
        if (!arrived && dev->bytesAvailable() == 0)
            return false;
    }
}

SdkLink::Result SdkLink::fail()
{
    close();
    return Result::Broken;
}

SdkLink::Result SdkLink::call(const char* op, long m, QJsonObject args, int silenceMs,
                              QJsonObject* answer)
{
    if (!isOpen())
        return fail();
    // Anything already waiting belongs to no request of ours.
    m_inbox.clear();
    device()->readAll();

    const qint64 id = ++m_nextId;
    args.insert(QStringLiteral("id"), id);
    args.insert(QStringLiteral("op"), QLatin1String(op));
    args.insert(QStringLiteral("m"), qint64(m));
    if (!send(QJsonDocument(args).toJson(QJsonDocument::Compact) + '\n', silenceMs))
        return fail();

    QByteArray line;
    if (!readLine(line, silenceMs))
        return fail();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return fail();
    QJsonObject reply = doc.object();
    if (reply.value(QLatin1String("id")).toInteger(-1) != id)
        return fail();
    const QJsonValue ok = reply.value(QLatin1String("ok"));
    if (!ok.isBool())
        return fail();
    if (!ok.toBool())
        return Result::Refused;
    if (answer)
        *answer = std::move(reply);
    return Result::Done;
}

void SdkLink::flush(int ms)
{
    if (isOpen() && device()->bytesToWrite() > 0)
        send(QByteArray(), ms);
}
