#pragma once
// The reader of a terminal's USB punch file ("*.dat"): 8-bit text, one punch per record, a
// record ending at a line end (CR LF, CR or LF) or at a comma, fields split at TAB: user
// number, date and time, verify mode, in/out mode; further fields are ignored.
//
// Bytes go in as they come off the disk, in pieces of any size; each record comes out once
// it is complete, with the number of the line it stands on, as a punch or as the reason it
// is none. Feeding a file in one piece or in many gives the same records.
//
//     UsbPunchFile reader(QLocale(), Clock::today());
//     auto sink = [&](const UsbPunchFile::Record& r) { ... };
//     while (!file.atEnd()) reader.feed(file.read(65536), sink);
//     reader.finish(sink);
//     if (reader.refused()) ...

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

#include <functional>

class UsbPunchFile
{
public:
    struct Record
    {
        qint64 line = 0; // 1-based line of the file the record stands on
        // Empty for a punch; otherwise why the record is no punch.
        QString reason;
        int Emp_ID = 0;
        int VerifyMode = 0; // 16-bit
        int InOutMode = 0;  // 16-bit
        QDate LogDate;
        QTime LogTime;
        // Field 2 exactly as the file holds it (8-bit text), blanks and all. Valid only while
        // the sink runs.
        QByteArrayView dateText;

        bool isPunch() const { return reason.isEmpty(); }
    };
    using Sink = std::function<void(const Record&)>;

    // The most bytes held between calls: of the head of the file until its first line is
    // in, then of the record being read, after its leading spaces. A record whose four
    // fields do not end within them is no punch.
    static constexpr qsizetype kBufferBytes = 64 * 1024;

    // Dates in field 2 that are not year first are read in the order of `locale`'s short
    // date; a two-digit year is this century's unless that lies more than 50 years after
    // `today`, then the last one's. `bufferBytes` (at least 3) is for tests, whose files are
    // small: so that their pieces cross the buffer.
    UsbPunchFile(const QLocale& locale, const QDate& today, qsizetype bufferBytes = kBufferBytes);

    // Feeds the next bytes of the file; complete records go to sink. Blank records (an
    // empty line, the text after a trailing comma) are skipped without a word.
    void feed(QByteArrayView bytes, const Sink& sink);
    // The end of the file: the last record, if it has no line end, goes to sink; NULs at
    // its end are the padding of a file whose writing was cut short, and are dropped.
    void finish(const Sink& sink);

    // True when the file is UTF-16 (a byte-order mark, or a NUL at every other byte of its
    // first line): nothing came out and nothing more will.
    bool refused() const { return m_refused; }
    // Bytes held between calls, never more than bufferBytes.
    qsizetype bytesHeld() const { return m_probe.size() + m_record.size(); }

    // Reads field 2 ("2026-03-07 08:05:03", "2026/3/7 8:05 PM", or the locale's short date
    // and a time). False for text that is no date and time or names one that does not
    // exist (2026-02-29, 24:00:00).
    bool parseDateTime(QByteArrayView text, QDate& date, QTime& time) const;

    // The record as the canonical file line (no line end): "42\t2026-03-07 08:05:03\t1\t0".
    static QByteArray canonicalLine(const Record& punch);

private:
    void endProbe(const Sink& sink);
    bool isUtf16(QByteArrayView head) const;
    void scan(QByteArrayView bytes, const Sink& sink);
    void keep(QByteArrayView text);
    void endRecord(const Sink& sink, bool atEnd = false);
    void parseRecord(QByteArrayView text, const Sink& sink);
    bool parseDate(QByteArrayView text, QDate& date) const;

    enum Part { Day, Month, Year };
    Part m_order[3] = {Month, Day, Year}; // the locale's short date order
    int m_latestYear;                     // a two-digit year past this is the last century's
    qsizetype m_buffer;

    QByteArray m_probe; // the head of the file, held until its first line end is in
    bool m_probing = true;
    bool m_probeLineEnd = false; // the head holds a line end
    bool m_refused = false;
    bool m_atStart = true;  // nothing of the file scanned yet (a BOM may follow)
    bool m_afterCr = false; // the last byte was CR: an LF now ends no further line
    qint64 m_line = 1;
    QByteArray m_record;      // the record being read, without its leading spaces
    bool m_recordCut = false; // more of the record came than m_record keeps
    qint64 m_recordNuls = 0;  // NUL bytes of the record with text after them
    qint64 m_trailingNuls = 0; // NUL bytes of the record since its last other byte
};
