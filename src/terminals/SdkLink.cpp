#include "SdkLink.h"

#include "SdkProtocol.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QSerialPort>
#include <QTcpSocket>

#include <climits>

SdkLink::SdkLink() = default;

SdkLink::~SdkLink()
{
    close();
}

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

namespace {

// The slowest a working terminal sends a long answer: over the network far below any LAN,
// on a serial line half the line's speed (ten bits a byte).
constexpr qint64 NetworkFloorBytesPerSecond = 64 * 1024;

qint64 serialFloor(qint32 baudRate)
{
    return qMax<qint64>(1, baudRate / 20);
}

} // namespace

bool SdkLink::openNetwork(const QString& host, quint16 port, int timeoutMs)
{
    close();
    if (port == 0)
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    m_floorBytesPerSecond = NetworkFloorBytesPerSecond;
    m_tcp = std::make_unique<QTcpSocket>();
    m_tcp->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_tcp->connectToHost(host, port);
    if (!m_tcp->waitForConnected(int(deadline.remainingTime()))) {
        close();
        return false;
    }
    return greet(deadline);
}

bool SdkLink::openSerial(const QString& device, qint32 baudRate, int timeoutMs)
{
    close();
    const QDeadlineTimer deadline(timeoutMs);
    m_floorBytesPerSecond = serialFloor(baudRate);
    m_serial = std::make_unique<QSerialPort>(device);
    if (!m_serial->open(QIODevice::ReadWrite)) {
        close();
        return false;
    }
    const bool configured =
        m_serial->setBaudRate(baudRate) && m_serial->setDataBits(QSerialPort::Data8) &&
        m_serial->setParity(QSerialPort::NoParity) && m_serial->setStopBits(QSerialPort::OneStop) &&
        m_serial->setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        close();
        return false;
    }
    // Bytes of an earlier, broken exchange may still wait in the line.
    m_serial->clear(QSerialPort::AllDirections);
    return greet(deadline);
}

// The greeting tolerates lines left over on the line (see SdkProtocol.h): it skips
// everything until the answer to its own request arrives or the time is up.
bool SdkLink::greet(QDeadlineTimer deadline)
{
    const qint64 id = ++m_nextId;
    QJsonObject request{{QStringLiteral("id"), id},
                        {QStringLiteral("op"), QLatin1String(SdkProtocol::Hello)}};
    QByteArray bytes = "\n" + QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n';
    if (!send(bytes, deadline)) {
        close();
        return false;
    }
    for (;;) {
        QByteArray line;
        if (!readLine(line, deadline)) {
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

bool SdkLink::send(const QByteArray& bytes, QDeadlineTimer deadline)
{
    QIODevice* dev = device();
    if (dev->write(bytes) != bytes.size())
        return false;
    while (dev->bytesToWrite() > 0) {
        if (!isOpen() || deadline.hasExpired())
            return false;
        const int left = int(deadline.remainingTime());
        const bool written =
            m_tcp ? m_tcp->waitForBytesWritten(left) : m_serial->waitForBytesWritten(left);
        if (!written && dev->bytesToWrite() > 0)
            return false;
    }
    return true;
}

bool SdkLink::readLine(QByteArray& line, QDeadlineTimer& deadline)
{
    QIODevice* dev = device();
    qsizetype scanned = 0;
    qint64 received = 0;
    qint64 creditedMs = 0;
    for (;;) {
        const qsizetype end = m_inbox.indexOf('\n', scanned);
        if (end >= 0) {
            line = m_inbox.left(end);
            m_inbox.remove(0, end + 1);
            return true;
        }
        scanned = m_inbox.size();
        // Checked before reading on: a peer that keeps sending must not keep the loop going.
        if (m_inbox.size() > SdkProtocol::MaxLineBytes || !isOpen() || deadline.hasExpired())
            return false;
        if (dev->bytesAvailable() > 0) {
            const QByteArray bytes = dev->read(SdkProtocol::MaxLineBytes + 1 - m_inbox.size());
            m_inbox += bytes;
            received += bytes.size();
            const qint64 earnedMs = received * 1000 / m_floorBytesPerSecond;
            deadline += earnedMs - creditedMs;
            creditedMs = earnedMs;
            continue;
        }
        const int left = int(qMin<qint64>(deadline.remainingTime(), INT_MAX));
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

SdkLink::Result SdkLink::readAnswer(const QByteArray& line, qint64 id, QJsonObject* answer)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return Result::Broken;
    QJsonObject reply = doc.object();
    if (reply.value(QLatin1String("id")).toInteger(-1) != id)
        return Result::Broken;
    const QJsonValue ok = reply.value(QLatin1String("ok"));
    if (!ok.isBool())
        return Result::Broken;
    if (!ok.toBool())
        return Result::Refused;
    if (answer)
        *answer = std::move(reply);
    return Result::Done;
}

SdkLink::Result SdkLink::call(const char* op, long m, QJsonObject args, QDeadlineTimer deadline,
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
    if (!send(QJsonDocument(args).toJson(QJsonDocument::Compact) + '\n', deadline))
        return fail();

    QByteArray line;
    if (!readLine(line, deadline))
        return fail();
    const Result result = readAnswer(line, id, answer);
    return result == Result::Broken ? fail() : result;
}

void SdkLink::flush(int ms)
{
    if (isOpen() && device()->bytesToWrite() > 0)
        send(QByteArray(), QDeadlineTimer(ms));
}
