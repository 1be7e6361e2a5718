// USB import of a large punch file into a file-backed SQLite database that already holds
// 100,000 other punches, through Extract's logic and its list, against this machine's own
// limit: the same rows inserted into both punch tables by one prepared statement each
// inside one transaction.
//
// Line before last: the same file imported again (every punch replaces itself).
// Last line: usb-import lines=N seconds=S per_s=R limit_per_s=L ratio=X
//
// bench_usb_import --view FILE: lists FILE as View does and reports rows, seconds and the
// list's bytes per row (run it under /usr/bin/time -v for the peak memory).

#include "BenchSupport.h"
#include "records/UsbImport.h"
#include "shell/Db.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

namespace {
constexpr int kLines = 100000;
constexpr int kUsers = 500;
constexpr int kDays = 60;

struct Line
{
    int user;
    QDate day;
    QTime time;
    int verify;
    int inOut;
};

// Up to four punches a day for each of 500 users over 60 days from 1 March 2026.
QList<Line> punches()
{
    QList<Line> lines;
    lines.reserve(kLines);
    for (int i = 0; i < kLines; ++i) {
        const int user = i % kUsers + 1;
        const int round = i / kUsers;
        lines.append({user, QDate(2026, 3, 1).addDays(round % kDays),
                      QTime(7, 0).addSecs((round / kDays) * 3 * 3600 + user * 7),
                      user % 3 == 0 ? 15 : 1, round / kDays % 2});
    }
    return lines;
}

// The file as a terminal writes it: padded user numbers, CR LF, two further fields.
void writeFile(const QString& path, const QList<Line>& lines)
{
    QByteArray bytes;
    for (const Line& l : lines)
        bytes += QStringLiteral("%1\t%2 %3\t%4\t%5\t0\t0\r\n")
                     .arg(l.user, 6)
                     .arg(l.day.toString(QStringLiteral("yyyy-MM-dd")),
                          l.time.toString(QStringLiteral("HH:mm:ss")))
                     .arg(l.verify)
                     .arg(l.inOut)
                     .toLatin1();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

double limitSeconds(const QList<Line>& lines)
{
    TempDatabase database;
    Db& db = database.db();
    Bench::storeEarlierPunches(db, kLines, kUsers, QString());
    const Bench::Stopwatch timer;
    Bench::insertPunchRows(db, int(lines.size()), [&](int i) {
        const Line& l = lines[i];
        return QVariantList{l.user,
                            l.verify,
                            l.inOut,
                            l.day.toString(QStringLiteral("yyyy-MM-dd")),
                            l.time.toString(QStringLiteral("HH:mm:ss")),
                            1,
                            1,
                            QStringLiteral("USB")};
    });
    return timer.seconds();
}
} // namespace

int main(int argc, char* argv[])
{
    Bench::preferOffscreen();
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--view") == 0) {
        UsbPunchList list;
        const Bench::Stopwatch timer;
        const UsbImport::Result result = UsbImport::view(QString::fromLocal8Bit(argv[2]), list);
        const double seconds = timer.seconds();
        std::printf("usb-view rows=%lld malformed=%lld seconds=%.1f bytes_per_row=%.1f\n",
                    qlonglong(result.punches), qlonglong(result.malformed), seconds,
                    double(list.bytesHeld()) / qMax<qint64>(1, result.punches));
        return 0;
    }
    TestEnvironment environment;
    const QList<Line> lines = punches();
    const QString path = environment.root() + QStringLiteral("/punches.dat");
    writeFile(path, lines);

    const double limit = limitSeconds(lines);

    TempDatabase database;
    Db& db = database.db();
    Bench::storeEarlierPunches(db, kLines, kUsers, QString());
    UsbPunchList list;
    double seconds[2] = {0, 0};
    for (double& run : seconds) {
        const Bench::Stopwatch timer;
        const UsbImport::Result result = UsbImport::extract(db, path, 1, list);
        run = timer.seconds();
        const int rows =
            db.scalar(QStringLiteral("select count(*) from tbl_attendancelog")).toInt();
        if (result.stored != kLines || rows != 2 * kLines || list.rowCount() != kLines)
            qFatal("stored %lld punches (%d rows), listed %d; expected %d",
                   qlonglong(result.stored), rows, list.rowCount(), kLines);
    }
    std::printf("usb-import list: %.1f bytes per row\n", double(list.bytesHeld()) / kLines);
    Bench::printRate("usb-import-again", "lines", kLines, seconds[1], limit);
    Bench::printRate("usb-import", "lines", kLines, seconds[0], limit);
    return 0;
}
