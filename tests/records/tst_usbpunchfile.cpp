// The USB punch-file reader on its own: records, fields, line ends and refusals, each file
// fed whole and byte by byte.

#include "UsbPunchFileCheck.h"
#include "records/UsbPunchFile.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
// One line per record: "3: 42 2026-03-07 08:05:03 1 0 [field 2]" or "3: bad".
QStringList read(const QByteArray& bytes, qsizetype chunk, const QLocale& locale, bool* refused)
{
    QStringList out;
    UsbPunchFile reader(locale, QDate(2026, 12, 7));
    const auto sink = [&](const UsbPunchFile::Record& r) {
        if (!r.isPunch()) {
            out << QStringLiteral("%1: bad").arg(r.line);
            return;
        }
        out << QStringLiteral("%1: %2 %3 %4 %5 %6 [%7]")
                   .arg(r.line)
                   .arg(r.Emp_ID)
                   .arg(r.LogDate.toString(Qt::ISODate), r.LogTime.toString(Qt::ISODate))
                   .arg(r.VerifyMode)
                   .arg(r.InOutMode)
                   .arg(QString::fromLatin1(r.dateText));
    };
    for (qsizetype at = 0; at < bytes.size(); at += chunk)
        reader.feed(QByteArrayView(bytes).sliced(at, qMin(chunk, bytes.size() - at)), sink);
    reader.finish(sink);
    *refused = reader.refused();
    return out;
}

QByteArray utf16(const QString& text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}
} // namespace

class TestUsbPunchFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void records_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("refused");

        const QString us = QStringLiteral("en_US");
        QTest::newRow("empty file") << QByteArray() << us << QStringList() << false;
        QTest::newRow("leading blanks, zeros, extra fields")
            << QByteArray("   00042\t2026-03-07 08:05:03\t1\t0\tx\ty\r\n") << us
            << QStringList{"1: 42 2026-03-07 08:05:03 1 0 [2026-03-07 08:05:03]"} << false;
        QTest::newRow("CR LF, lone CR, LF, no final end")
            << QByteArray("1\t2026-03-07 08:00:00\t1\t0\r\n2\t2026-03-07 08:01:00\t1\t1\r"
                          "3\t2026-03-07 08:02:00\t2\t2\n4\t2026-03-07 08:03:00\t15\t-1")
            << us
            << QStringList{"1: 1 2026-03-07 08:00:00 1 0 [2026-03-07 08:00:00]",
                           "2: 2 2026-03-07 08:01:00 1 1 [2026-03-07 08:01:00]",
                           "3: 3 2026-03-07 08:02:00 2 2 [2026-03-07 08:02:00]",
                           "4: 4 2026-03-07 08:03:00 15 -1 [2026-03-07 08:03:00]"}
            << false;
        QTest::newRow("comma splits, trailing comma and blank lines skipped")
            << QByteArray("\r\n5\t2026-3-7 8:05\t1\t0, 6\t2026/03/07 9:5:7\t0\t1,\r\n   \r\n"
                          "7\t2026-03-08 10:00:00\t1\t0,")
            << us
            << QStringList{"2: 5 2026-03-07 08:05:00 1 0 [2026-3-7 8:05]",
                           "2: 6 2026-03-07 09:05:07 0 1 [2026/03/07 9:5:7]",
                           "4: 7 2026-03-08 10:00:00 1 0 [2026-03-08 10:00:00]"}
            << false;
        QTest::newRow("BOM dropped")
            << QByteArray("\xEF\xBB\xBF"
                          "8\t2026-03-07 08:00:00\t1\t0\r\n")
            << us << QStringList{"1: 8 2026-03-07 08:00:00 1 0 [2026-03-07 08:00:00]"} << false;
        QTest::newRow("NUL in a line, NUL padding after the last")
            << QByteArray("1\t2026-03-07 08:00:00\t1\t0\tx") + '\0' +
                   "\r\n2\t2026-03-07 08:00:00\t1\t0\r\n" + QByteArray(300, '\0')
            << us << QStringList{"1: bad", "2: 2 2026-03-07 08:00:00 1 0 [2026-03-07 08:00:00]"}
            << false;
        QTest::newRow("NUL padding right after the last record")
            << QByteArray("2\t2026-03-07 08:00:00\t1\t0") + QByteArray(300, '\0') << us
            << QStringList{"1: 2 2026-03-07 08:00:00 1 0 [2026-03-07 08:00:00]"} << false;
        QTest::newRow("NUL in the last record") << QByteArray("2\t2026-3-7 8:00\t1") + '\0' + "\t0"
                                                << us << QStringList{"1: bad"} << false;
        QTest::newRow("UTF-16 refused") << utf16(QStringLiteral("8\t2026-03-07 08:00:00\t1\t0\r\n"))
                                        << us << QStringList() << true;
        QTest::newRow("AM and PM")
            << QByteArray("1\t2026-03-07 12:05 AM\t1\t0\n2\t2026-03-07 12:05:09 pm\t1\t0\n"
                          "3\t2026-03-07 1:05PM\t1\t0\n4\t2026-03-07 13:05 PM\t1\t0\n"
                          "5\t2026-03-07 0:05 AM\t1\t0")
            << us
            << QStringList{"1: 1 2026-03-07 00:05:00 1 0 [2026-03-07 12:05 AM]",
                           "2: 2 2026-03-07 12:05:09 1 0 [2026-03-07 12:05:09 pm]",
                           "3: 3 2026-03-07 13:05:00 1 0 [2026-03-07 1:05PM]", "4: bad", "5: bad"}
            << false;
        QTest::newRow("malformed records")
            << QByteArray("1\t2026-03-07 08:00:00\t1\n"      // three fields
                          "4x2\t2026-03-07 08:00:00\t1\t0\n" // no number
                          "2147483648\t2026-03-07 08:00:00\t1\t0\n"
                          "-2147483648\t2026-03-07 08:00:00\t1\t0\n"
                          "1\t2026-03-07 08:00:00\t70000\t0\n" // past 16 bits
                          "1\t2026-03-07 08:00:00\t1\t-32769\n"
                          "1\t2026-02-29 08:00:00\t1\t0\n" // no such day
                          "1\t2028-02-29 08:00:00\t1\t0\n"
                          "1\t2026-03-07 24:00:00\t1\t0\n"
                          "1\t2026-03-07\t1\t0\n" // no time
                          "\t2026-03-07 08:00:00\t1\t0\n"
                          " 9 \t 2026-03-07 08:00:00 \t 2 \t 3 \n")
            << us << QStringList{"1: bad",
                                 "2: bad",
                                 "3: bad",
                                 "4: -2147483648 2026-03-07 08:00:00 1 0 [2026-03-07 08:00:00]",
                                 "5: bad",
                                 "6: bad",
                                 "7: bad",
                                 "8: 1 2028-02-29 08:00:00 1 0 [2028-02-29 08:00:00]",
                                 "9: bad",
                                 "10: bad",
                                 "11: bad",
                                 "12: 9 2026-03-07 08:00:00 2 3 [ 2026-03-07 08:00:00 ]"}
            << false;
        QTest::newRow("locale's short date, month first")
            << QByteArray(
                   "1\t3/7/26 8:05 PM\t1\t0\n2\t3/7/2026 08:05:01\t1\t0\n3\t13/7/26 8:05\t1\t0")
            << us
            << QStringList{"1: 1 2026-03-07 20:05:00 1 0 [3/7/26 8:05 PM]",
                           "2: 2 2026-03-07 08:05:01 1 0 [3/7/2026 08:05:01]", "3: bad"}
            << false;
        QTest::newRow("two-digit year more than 50 years ahead is the last century's")
            << QByteArray("1\t3/7/99 8:05\t1\t0\n2\t3/7/76 8:05\t1\t0\n3\t3/7/77 8:05\t1\t0") << us
            << QStringList{"1: 1 1999-03-07 08:05:00 1 0 [3/7/99 8:05]",
                           "2: 2 2076-03-07 08:05:00 1 0 [3/7/76 8:05]",
                           "3: 3 1977-03-07 08:05:00 1 0 [3/7/77 8:05]"}
            << false;
        QTest::newRow("locale's short date, day first")
            << QByteArray("1\t07.03.26 08:05\t1\t0\n2\t2026-03-07 08:05\t1\t0")
            << QStringLiteral("de_DE")
            << QStringList{"1: 1 2026-03-07 08:05:00 1 0 [07.03.26 08:05]",
                           "2: 2 2026-03-07 08:05:00 1 0 [2026-03-07 08:05]"}
            << false;
    }

    void records()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, locale);
        QFETCH(QStringList, expected);
        QFETCH(bool, refused);
        for (const qsizetype chunk : {qsizetype(1), qsizetype(2), qsizetype(1) << 20}) {
            bool wasRefused = false;
            QCOMPARE(read(file, chunk, QLocale(locale), &wasRefused), expected);
            QCOMPARE(wasRefused, refused);
        }
    }

    // A NUL past the buffer spoils one record.
    void nulPastTheHeadSpoilsOneRecord()
    {
        QByteArray file;
        const QByteArray line("1\t2026-03-07 08:00:00\t1\t0\n");
        while (file.size() < UsbPunchFile::kBufferBytes)
            file += line;
        const int lines = int(file.size() / line.size());
        file += QByteArray("2\t2026-03-07 08:00\0\t1\t0\n", 24);
        bool refused = true;
        const QStringList out = read(file, 4096, QLocale(QStringLiteral("en_US")), &refused);
        QVERIFY(!refused);
        QCOMPARE(out.size(), lines + 1);
        QCOMPARE(out.last(), QStringLiteral("%1: bad").arg(lines + 1));
    }

    // A file without line ends is not held whole; a record's four fields still read when
    // further fields make it long.
    void longRecordsHoldLittle()
    {
        UsbPunchFile reader(QLocale(QStringLiteral("en_US")), QDate(2026, 12, 7));
        QStringList out;
        const auto sink = [&](const UsbPunchFile::Record& r) {
            out << (r.isPunch() ? QString::number(r.Emp_ID) : r.reason);
        };
        const QByteArray block(1 << 20, 'x');
        reader.feed(QByteArray(UsbPunchFile::kBufferBytes, ' '), sink);
        for (int i = 0; i < 8; ++i) {
            reader.feed(block, sink);
            QVERIFY(reader.bytesHeld() <= UsbPunchFile::kBufferBytes);
        }
        reader.feed("\n5\t2026-03-07 08:00\t1\t0\t" + block + "\n", sink);
        reader.finish(sink);
        QCOMPARE(out, (QStringList{"it is longer than 65536 bytes", "5"}));
    }

    void reasonNamesTheField()
    {
        UsbPunchFile reader(QLocale(QStringLiteral("en_US")), QDate(2026, 12, 7));
        QStringList reasons;
        const auto sink = [&](const UsbPunchFile::Record& r) { reasons << r.reason; };
        reader.feed("4x2\t2026-03-07 08:00:00\t1\t0\n1\t2026-02-29 08:00\t1\t0\n1\t2", sink);
        reader.finish(sink);
        QCOMPARE(reasons,
                 (QStringList{"the user number \"4x2\" is not a whole number from -2147483648 "
                              "to 2147483647",
                              "the date and time \"2026-02-29 08:00\" cannot be read",
                              "it has 2 fields; four are needed"}));
    }

    // The fuzz target's checks over 20,000 inputs mutated from three seeds, seeded so a
    // failure repeats.
    void mutatedInputs()
    {
        QList<QByteArray> seeds;
        seeds << "   00042\t2026-03-07 08:05:03\t1\t0\tx\r\n7\t2026/3/7 8:05 PM\t15\t-1,\r"
              << "\xEF\xBB\xBF"
                 "1\t2026-02-29 24:00:00\t70000\t0\n4x2\t2026-03-07 08:00\t1\n"
              << "2147483648\t3/7/26 12:05 AM\t2\t9\r\n-2147483648\t2026-3-7 0:0:0\t-32768\t32767";
        static const char alphabet[] = "\r\n,\t 0123456789:/-.+APMapmx\xEF\xBB\xBF";
        QRandomGenerator random(20261207);
        QByteArray input;
        for (int i = 0; i < 20000; ++i) {
            if (i % 8 == 0 || input.size() > 4096)
                input = seeds[random.bounded(int(seeds.size()))];
            for (int edits = random.bounded(1, 5); edits > 0; --edits) {
                const int at = input.isEmpty() ? 0 : random.bounded(int(input.size()));
                const char c = random.bounded(16) == 0
                                   ? char(random.bounded(256))
                                   : alphabet[random.bounded(int(sizeof alphabet))];
                switch (random.bounded(9) / 2) {
                case 0:
                    if (!input.isEmpty())
                        input[at] = c;
                    break;
                case 1:
                    input.insert(at, c);
                    break;
                case 2:
                    input.remove(at, random.bounded(1, 4));
                    break;
                case 3:
                    input.insert(at, input.mid(random.bounded(int(input.size()) + 1),
                                               random.bounded(1, 32)));
                    break;
                default:
                    input.truncate(at);
                }
            }
            const QString failure = checkUsbPunchFile(input, random.generate64());
            QVERIFY2(failure.isEmpty(),
                     qPrintable(QString::fromLatin1(input.toHex()) + QLatin1Char('\n') + failure));
        }
    }
};

QTEST_GUILESS_MAIN(TestUsbPunchFile)
#include "tst_usbpunchfile.moc"
