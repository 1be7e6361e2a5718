// Reads a terminal's whole attendance log through TerminalSdk: the simulator (on its own
// thread, over loopback TCP) holds 100,000 punches; the time covers the read and the walk
// over every record. Five rounds; the last line gives the median.

#include "SimGenerator.h"
#include "SimThread.h"
#include "terminals/TerminalSdk.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;

    SimThread sim(SimGenerator::bulk(records));
    TerminalSdk sdk;
    if (!sdk.SdkConnectNetwork(QStringLiteral("127.0.0.1"), sim.port())) {
        std::fprintf(stderr, "sdk-read: cannot connect to the simulator\n");
        return 1;
    }

    std::vector<double> seconds;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        if (!sdk.SdkReadAttendanceLog(1)) {
            std::fprintf(stderr, "sdk-read: read failed\n");
            return 1;
        }
        QString user;
        long v, io, y, mo, d, h, mi, s, w;
        long read = 0;
        while (sdk.SdkNextAttendanceRecord(1, user, v, io, y, mo, d, h, mi, s, w))
            ++read;
        const double elapsed = double(timer.nsecsElapsed()) / 1e9;
        if (read != records) {
            std::fprintf(stderr, "sdk-read: %ld records instead of %d\n", read, records);
            return 1;
        }
        seconds.push_back(elapsed);
        std::printf("round %d: %.3f s\n", round + 1, elapsed);
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    std::printf("sdk-read records=%d seconds=%.3f per_s=%.0f\n", records, median,
                double(records) / median);
    return 0;
}
