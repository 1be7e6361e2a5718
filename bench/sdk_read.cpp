// Reads a terminal's whole attendance log through TerminalSdk: the simulator (on its own
// thread, over loopback TCP) holds 100,000 punches; the time covers the read and the walk
// over every record. Five rounds; the last line gives the median, and beside it the limit:
// the same answer read from memory, without a link (parse, decode, walk), and the linked
// read's time over the limit's, as every benchmark reports its ratio.

#include "BenchSupport.h"
#include "SimGenerator.h"
#include "SimTerminal.h"
#include "SimThread.h"
#include "terminals/SdkLink.h"
#include "terminals/SdkRecords.h"
#include "terminals/TerminalSdk.h"

#include <QCoreApplication>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

volatile long g_sink = 0;

// What TerminalSdk does with the answer once its last byte is in: read the line, decode
// every row, and hand each record out.
bool readFromMemory(const QByteArray& line, long expected)
{
    QJsonObject answer;
    if (SdkLink::readAnswer(line, 1, &answer) != SdkLink::Result::Done)
        return false;
    QVector<SdkRecords::PunchRow> rows;
    if (!SdkRecords::decodePunches(answer.value(QLatin1String("records")), rows))
        return false;
    long read = 0;
    QString user;
    long v, io, y, mo, d, h, mi, s, w;
    for (const SdkRecords::PunchRow& r : rows) {
        user = r.user;
        v = r.verifyMode, io = r.inOutMode, y = r.year, mo = r.month, d = r.day;
        h = r.hour, mi = r.minute, s = r.second, w = r.workCode;
        g_sink = g_sink + v + io + y + mo + d + h + mi + s + w + user.size();
        ++read;
    }
    return read == expected;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;

    const SimState state = SimGenerator::bulk(records);
    SimTerminal offline(state);
    QByteArray line = offline.answer(R"({"id":1,"op":"readLog","m":1})").bytes;
    line.chop(1);
    std::vector<double> limits;
    for (int round = 0; round < 5; ++round) {
        const Bench::Stopwatch timer;
        if (!readFromMemory(line, records)) {
            std::fprintf(stderr, "sdk-read: the answer does not read from memory\n");
            return 1;
        }
        limits.push_back(timer.seconds());
    }

    SimThread sim(state);
    TerminalSdk sdk;
    if (!sdk.SdkConnectNetwork(QStringLiteral("127.0.0.1"), sim.port())) {
        std::fprintf(stderr, "sdk-read: cannot connect to the simulator\n");
        return 1;
    }

    std::vector<double> seconds;
    for (int round = 0; round < 5; ++round) {
        const Bench::Stopwatch timer;
        if (!sdk.SdkReadAttendanceLog(1)) {
            std::fprintf(stderr, "sdk-read: read failed\n");
            return 1;
        }
        QString user;
        long v, io, y, mo, d, h, mi, s, w;
        long read = 0;
        while (sdk.SdkNextAttendanceRecord(1, user, v, io, y, mo, d, h, mi, s, w))
            ++read;
        const double elapsed = timer.seconds();
        if (read != records) {
            std::fprintf(stderr, "sdk-read: %ld records instead of %d\n", read, records);
            return 1;
        }
        seconds.push_back(elapsed);
        std::printf("round %d: %.3f s\n", round + 1, elapsed);
    }
    const double linked = Bench::median(seconds);
    const double limit = Bench::median(limits);
    Bench::printRate("sdk-read", "records", records, linked, limit);
    return 0;
}
