#include "SimPtyPort.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

SimPtyPort::SimPtyPort(SimTerminal& terminal, QObject* parent) : SimSession(terminal, parent) {}

SimPtyPort::~SimPtyPort()
{
    delete m_reader;
    delete m_writer;
    if (m_device >= 0)
        ::close(m_device);
    if (m_master >= 0)
        ::close(m_master);
}

bool SimPtyPort::open(QString* error)
{
    auto failed = [&](const char* step) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(step),
                                                  QString::fromLocal8Bit(strerror(errno)));
        return false;
    };
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0)
        return failed("posix_openpt");
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        return failed("unlockpt");
    const char* name = ptsname(m_master);
    if (!name)
        return failed("ptsname");
    m_path = QString::fromLocal8Bit(name);
    m_device = ::open(name, O_RDWR | O_NOCTTY);
    if (m_device < 0)
        return failed("open");
    // Raw from the start: no echo and no line editing, whatever the caller sets later.
    termios raw{};
    if (tcgetattr(m_device, &raw) != 0)
        return failed("tcgetattr");
    cfmakeraw(&raw);
    if (tcsetattr(m_device, TCSANOW, &raw) != 0)
        return failed("tcsetattr");

    m_reader = new QSocketNotifier(m_master, QSocketNotifier::Read);
    connect(m_reader, &QSocketNotifier::activated, this, [this] { readIn(); });
    m_writer = new QSocketNotifier(m_master, QSocketNotifier::Write);
    m_writer->setEnabled(false);
    connect(m_writer, &QSocketNotifier::activated, this, [this] { writeWaiting(); });
    return true;
}

void SimPtyPort::readIn()
{
    char buffer[65536];
    QByteArray bytes;
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (!bytes.isEmpty())
        received(bytes);
}

void SimPtyPort::writeOut(const QByteArray& bytes)
{
    m_outbox += bytes;
    writeWaiting();
}

void SimPtyPort::writeWaiting()
{
    while (m_sent < m_outbox.size()) {
        const ssize_t n = ::write(m_master, m_outbox.constData() + m_sent,
                                  size_t(m_outbox.size() - m_sent));
        if (n > 0) {
            m_sent += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            m_writer->setEnabled(true);
            return;
        }
        break;
    }
    discardOut();
    m_writer->setEnabled(false);
}

void SimPtyPort::endLink()
{
    // A serial line cannot be hung up from here; the half request an earlier caller may
    // have left is dropped.
    discardIn();
}
