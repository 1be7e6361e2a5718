#pragma once
// Serves one terminal on a pseudo-terminal, the stand-in for its serial line: the program
// opens path() as its serial device.
//
// The simulator keeps the device end open itself, so a caller that closes and opens the
// line again finds it as it was; it cannot hang up, so a dropped link is a line that
// falls silent.

#include "SimSession.h"

#include <QString>

class QSocketNotifier;

class SimPtyPort : public SimSession
{
    Q_OBJECT
public:
    explicit SimPtyPort(SimTerminal& terminal, QObject* parent = nullptr);
    ~SimPtyPort() override;

    bool open(QString* error = nullptr);
    QString path() const { return m_path; }

protected:
    void writeOut(const QByteArray& bytes) override;
    void endLink() override;
    void discardOut() override
    {
        m_outbox.clear();
        m_sent = 0;
    }

private:
    void readIn();
    void writeWaiting();

    int m_master = -1;
    int m_device = -1;
    QString m_path;
    QSocketNotifier* m_reader = nullptr;
    QSocketNotifier* m_writer = nullptr;
    QByteArray m_outbox;
    qsizetype m_sent = 0;
};
