#include "UsbPunchFile.h"

#include <array>
#include <limits>

namespace {
bool isBlank(char c)
{
    return c == ' ';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

// A decimal whole number within [min, max], blanks around it ignored; an optional sign.
bool parseNumber(QByteArrayView text, qint64 min, qint64 max, qint64& value)
{
    text = trimmed(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    qint64 number = 0;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            return false;
        number = number * 10 + (text[i] - '0');
        if (number > max + 1) // past every range asked for; stops any overflow too
            return false;
    }
    value = negative ? -number : number;
    return value >= min && value <= max;
}

// Up to maxDigits digits from text[i]; false when there is none.
bool readDigits(QByteArrayView text, qsizetype& i, int maxDigits, int& value, int& digits)
{
    value = 0;
    digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        if (++digits > maxDigits)
            return false;
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    return digits > 0;
}

bool isDateSeparator(char c)
{
    return c == '-' || c == '/' || c == '.';
}

// "H:m[:s]" with an optional AM or PM after it (12:05 AM is 00:05).
bool parseTime(QByteArrayView text, QTime& time)
{
    qsizetype i = 0;
    int hour = 0, minute = 0, second = 0, digits = 0;
    if (!readDigits(text, i, 2, hour, digits))
        return false;
    if (i >= text.size() || text[i] != ':')
        return false;
    ++i;
    if (!readDigits(text, i, 2, minute, digits))
        return false;
    if (i < text.size() && text[i] == ':') {
        ++i;
        if (!readDigits(text, i, 2, second, digits))
            return false;
    }
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i < text.size()) {
        if (text.size() - i != 2 || (text[i + 1] != 'M' && text[i + 1] != 'm'))
            return false;
        const char half = text[i];
        if (half != 'A' && half != 'a' && half != 'P' && half != 'p')
            return false;
        if (hour < 1 || hour > 12)
            return false;
        hour %= 12;
        if (half == 'P' || half == 'p')
            hour += 12;
    }
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    time = QTime(hour, minute, second);
    return true;
}

QString quoted(QByteArrayView text)
{
    constexpr qsizetype kShown = 40;
    const QString shown = QString::fromLatin1(text.first(qMin(text.size(), kShown)));
    return QLatin1Char('"') + shown +
           (text.size() > kShown ? QStringLiteral("...\"") : QStringLiteral("\""));
}
} // namespace

UsbPunchFile::UsbPunchFile(const QLocale& locale, const QDate& today, qsizetype bufferBytes)
    : m_latestYear(today.year() + 50), m_buffer(qMax<qsizetype>(bufferBytes, 3))
{
    // The order of day, month and year in the locale's short date ("M/d/yy", "dd.MM.yy").
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    Part order[3];
    int found = 0;
    QChar last;
    for (const QChar c : format) {
        if (c != last && found < 3) {
            if (c == QLatin1Char('d'))
                order[found++] = Day;
            else if (c == QLatin1Char('M'))
                order[found++] = Month;
            else if (c == QLatin1Char('y'))
                order[found++] = Year;
        }
        last = c;
    }
    if (found == 3 && order[0] != order[1] && order[1] != order[2] && order[0] != order[2])
        std::copy(order, order + 3, m_order);
}

void UsbPunchFile::feed(QByteArrayView bytes, const Sink& sink)
{
    if (m_refused)
        return;
    if (!m_probing) {
        scan(bytes, sink);
        return;
    }
    // The head is held until its first line (and the three bytes of a byte-order mark) is
    // in, or the buffer is full: that line tells UTF-16 from 8-bit text.
    m_probe.append(bytes);
    m_probeLineEnd = m_probeLineEnd || bytes.contains('\r') || bytes.contains('\n');
    if (m_probe.size() >= m_buffer || (m_probeLineEnd && m_probe.size() >= 3))
        endProbe(sink);
}

void UsbPunchFile::finish(const Sink& sink)
{
    if (m_probing)
        endProbe(sink);
    if (!m_refused)
        endRecord(sink, true);
}

void UsbPunchFile::endProbe(const Sink& sink)
{
    m_probing = false;
    const QByteArray head = std::exchange(m_probe, QByteArray());
    if (isUtf16(head))
        m_refused = true;
    else
        scan(head, sink);
}

bool UsbPunchFile::isUtf16(QByteArrayView head) const
{
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"))
        return true;
    // The first line as far as the buffer reaches, so that the head decides alike
    // whatever the pieces it came in.
    const QByteArrayView line = head.first(qMin(head.size(), m_buffer));
    qsizetype end = 0;
    while (end < line.size() && line[end] != '\r' && line[end] != '\n')
        ++end;
    // The high bytes of its characters are NUL, every other byte; a line of NULs alone
    // is the padding of a file cut short, not text.
    bool allNul[2] = {true, true};
    bool anyText = false;
    for (qsizetype i = 0; i < end; ++i) {
        if (line[i] != '\0') {
            allNul[i % 2] = false;
            anyText = true;
        }
    }
    return end >= 2 && anyText && (allNul[0] || allNul[1]);
}

void UsbPunchFile::scan(QByteArrayView bytes, const Sink& sink)
{
    if (m_atStart && !bytes.isEmpty()) {
        // The probe holds at least three bytes unless the whole file is shorter.
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
        m_atStart = false;
    }
    // The bytes the loop stops at: the ends of a record, and NUL, which spoils one.
    static constexpr auto kStops = [] {
        std::array<bool, 256> stops{};
        for (const char c : {'\r', '\n', ',', '\0'})
            stops[uchar(c)] = true;
        return stops;
    }();
    qsizetype begin = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (!kStops[uchar(c)])
            continue;
        if (c == '\0') {
            // Held apart from the record: NULs that run to the end of the file are padding.
            if (i > begin)
                keep(bytes.sliced(begin, i - begin));
            ++m_trailingNuls;
            begin = i + 1;
            continue;
        }
        if (c == '\n' && m_afterCr && i == begin && m_record.isEmpty()) {
            // The LF of a CR LF: the CR already ended the line.
            m_afterCr = false;
            begin = i + 1;
            continue;
        }
        keep(bytes.sliced(begin, i - begin));
        endRecord(sink);
        begin = i + 1;
        m_afterCr = c == '\r';
        if (c != ',')
            ++m_line;
    }
    if (begin < bytes.size()) {
        keep(bytes.sliced(begin));
        m_afterCr = false;
    }
}

void UsbPunchFile::keep(QByteArrayView text)
{
    // NULs with text after them in one record spoil it.
    if (!text.isEmpty()) {
        m_recordNuls += m_trailingNuls;
        m_trailingNuls = 0;
    }
    // Spaces at the start of a record are dropped here, so that they take no room.
    if (m_record.isEmpty() && !m_recordCut) {
        qsizetype blanks = 0;
        while (blanks < text.size() && isBlank(text[blanks]))
            ++blanks;
        text = text.sliced(blanks);
    }
    // A file without line ends must not be held whole: the first bytes of a record hold
    // its four fields, the rest is fields that are ignored.
    const qsizetype room = m_buffer - m_record.size();
    if (text.size() > room) {
        m_recordCut = true;
        text = text.first(room);
    }
    m_record.append(text);
}

void UsbPunchFile::endRecord(const Sink& sink, bool atEnd)
{
    // A stick pulled out while the file was written leaves NULs after its last line, or
    // right after its last record: they end it as the end of the file does.
    if (!atEnd)
        m_recordNuls += m_trailingNuls;
    if (!m_record.isEmpty() || m_recordNuls > 0)
        parseRecord(m_record, sink);
    m_record.clear();
    m_recordCut = false;
    m_trailingNuls = 0;
    m_recordNuls = 0;
}

void UsbPunchFile::parseRecord(QByteArrayView text, const Sink& sink)
{
    QByteArrayView fields[4];
    int count = 0;
    qsizetype begin = 0;
    qsizetype tab = -1;
    while (count < 4) {
        tab = text.indexOf('\t', begin);
        fields[count++] = text.sliced(begin, (tab < 0 ? text.size() : tab) - begin);
        if (tab < 0)
            break;
        begin = tab + 1;
    }

    Record record;
    record.line = m_line;
    if (m_recordNuls > 0) {
        record.reason = QStringLiteral("it holds a NUL byte");
        sink(record);
        return;
    }
    if (m_recordCut && tab < 0) {
        // The four fields do not end within the bytes kept.
        record.reason = QStringLiteral("it is longer than %1 bytes").arg(m_buffer);
        sink(record);
        return;
    }
    if (count < 4) {
        record.reason = count == 1 ? QStringLiteral("it has 1 field; four are needed")
                                   : QStringLiteral("it has %1 fields; four are needed").arg(count);
        sink(record);
        return;
    }
    record.dateText = fields[1];
    qint64 number = 0;
    if (!parseNumber(fields[0], std::numeric_limits<qint32>::min(),
                     std::numeric_limits<qint32>::max(), number))
        record.reason = QStringLiteral("the user number %1 is not a whole number from "
                                       "-2147483648 to 2147483647")
                            .arg(quoted(fields[0]));
    record.Emp_ID = int(number);
    if (record.isPunch() && !parseDateTime(fields[1], record.LogDate, record.LogTime))
        record.reason =
            QStringLiteral("the date and time %1 cannot be read").arg(quoted(fields[1]));
    if (record.isPunch() && !parseNumber(fields[2], -32768, 32767, number))
        record.reason = QStringLiteral("the verify mode %1 is not a whole number from -32768 to "
                                       "32767")
                            .arg(quoted(fields[2]));
    record.VerifyMode = int(number);
    if (record.isPunch() && !parseNumber(fields[3], -32768, 32767, number))
        record.reason = QStringLiteral("the in/out mode %1 is not a whole number from -32768 to "
                                       "32767")
                            .arg(quoted(fields[3]));
    record.InOutMode = int(number);
    if (!record.isPunch()) {
        record.Emp_ID = record.VerifyMode = record.InOutMode = 0;
        record.LogDate = QDate();
        record.LogTime = QTime();
    }
    sink(record);
}

bool UsbPunchFile::parseDate(QByteArrayView text, QDate& date) const
{
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    qsizetype i = 0;
    char separator = 0;
    for (int n = 0; n < 3; ++n) {
        if (n > 0) {
            if (i >= text.size() || !isDateSeparator(text[i]))
                return false;
            if (separator && text[i] != separator)
                return false;
            separator = text[i++];
        }
        if (!readDigits(text, i, 4, parts[n], digits[n]))
            return false;
    }
    if (i != text.size())
        return false;

    int year = 0, month = 0, day = 0;
    if (digits[0] == 4) {
        // Year first, as terminals write it: yyyy-M-d or yyyy/M/d.
        year = parts[0];
        month = parts[1];
        day = parts[2];
        if (digits[1] > 2 || digits[2] > 2)
            return false;
    } else {
        for (int n = 0; n < 3; ++n) {
            switch (m_order[n]) {
            case Day:
                if (digits[n] > 2)
                    return false;
                day = parts[n];
                break;
            case Month:
                if (digits[n] > 2)
                    return false;
                month = parts[n];
                break;
            case Year:
                if (digits[n] != 2 && digits[n] != 4)
                    return false;
                // A two-digit year as the program reads any short date: this century's
                // unless that is more than 50 years ahead.
                year = parts[n];
                if (digits[n] == 2) {
                    year += 2000;
                    if (year > m_latestYear)
                        year -= 100;
                }
                break;
            }
        }
    }
    if (year < 1)
        return false;
    date = QDate(year, month, day);
    return date.isValid();
}

bool UsbPunchFile::parseDateTime(QByteArrayView text, QDate& date, QTime& time) const
{
    text = trimmed(text);
    const qsizetype space = text.indexOf(' ');
    if (space < 0)
        return false;
    QDate d;
    QTime t;
    if (!parseDate(text.first(space), d) || !parseTime(trimmed(text.sliced(space)), t))
        return false;
    date = d;
    time = t;
    return true;
}

QByteArray UsbPunchFile::canonicalLine(const Record& punch)
{
    QByteArray line = QByteArray::number(punch.Emp_ID);
    line += '\t';
    line += punch.LogDate.toString(QStringLiteral("yyyy-MM-dd")).toLatin1();
    line += ' ';
    line += punch.LogTime.toString(QStringLiteral("HH:mm:ss")).toLatin1();
    line += '\t';
    line += QByteArray::number(punch.VerifyMode);
    line += '\t';
    line += QByteArray::number(punch.InOutMode);
    return line;
}
