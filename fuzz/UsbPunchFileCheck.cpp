#include "UsbPunchFileCheck.h"

#include "records/UsbPunchFile.h"

#include <QStringList>

namespace {
struct Read
{
    QStringList records;
    QList<UsbPunchFile::Record> punches;
    bool refused = false;
};

QString describe(const UsbPunchFile::Record& r)
{
    if (!r.isPunch())
        return QStringLiteral("%1 %2").arg(r.line).arg(r.reason);
    return QStringLiteral("%1 %2 %3 %4 %5 %6 [%7]")
        .arg(r.line)
        .arg(r.Emp_ID)
        .arg(r.LogDate.toString(Qt::ISODate), r.LogTime.toString(Qt::ISODate))
        .arg(r.VerifyMode)
        .arg(r.InOutMode)
        .arg(QString::fromLatin1(r.dateText.toByteArray().toHex()));
}

// Reads input cut at the lengths the bits of `pieces` choose (1 to 16 bytes, cycling).
Read read(const QByteArray& input, quint64 pieces, bool whole, qsizetype buffer)
{
    Read out;
    UsbPunchFile reader(QLocale(QLocale::English, QLocale::UnitedStates), QDate(2026, 12, 7),
                        buffer);
    const auto sink = [&](const UsbPunchFile::Record& r) {
        out.records << describe(r);
        if (r.isPunch()) {
            UsbPunchFile::Record kept = r;
            kept.dateText = {};
            out.punches << kept;
        }
    };
    if (whole) {
        reader.feed(input, sink);
    } else {
        qsizetype at = 0;
        quint64 bits = pieces;
        while (at < input.size()) {
            const qsizetype length = qMin<qsizetype>(qsizetype(bits & 15) + 1, input.size() - at);
            bits = bits >> 4 | bits << 60;
            reader.feed(QByteArrayView(input).sliced(at, length), sink);
            at += length;
        }
    }
    reader.finish(sink);
    out.refused = reader.refused();
    return out;
}
} // namespace

QString checkUsbPunchFile(const QByteArray& input, quint64 pieces)
{
    // Half the inputs are read with a buffer so small that their pieces cross it.
    const qsizetype buffer =
        pieces >> 63 ? UsbPunchFile::kBufferBytes : qsizetype(3 + (pieces >> 57 & 63));
    const Read whole = read(input, pieces, true, buffer);
    const Read cut = read(input, pieces, false, buffer);
    if (whole.records != cut.records || whole.refused != cut.refused)
        return QStringLiteral("pieces read differently from the whole:\n%1\n---\n%2")
            .arg(whole.records.join(QLatin1Char('\n')), cut.records.join(QLatin1Char('\n')));
    if (whole.refused && !whole.records.isEmpty())
        return QStringLiteral("a refused file gave records");

    qint64 line = 0;
    for (const QString& record : whole.records) {
        const qint64 number = record.section(QLatin1Char(' '), 0, 0).toLongLong();
        if (number < line || number < 1)
            return QStringLiteral("line numbers went down: %1 after %2").arg(number).arg(line);
        line = number;
    }

    for (const UsbPunchFile::Record& punch : whole.punches) {
        const QByteArray canonical = UsbPunchFile::canonicalLine(punch);
        const Read again = read(canonical, 0, true, UsbPunchFile::kBufferBytes);
        if (again.punches.size() != 1)
            return QStringLiteral("\"%1\" did not read back as one punch")
                .arg(QString::fromLatin1(canonical));
        const UsbPunchFile::Record& back = again.punches.first();
        if (back.Emp_ID != punch.Emp_ID || back.VerifyMode != punch.VerifyMode ||
            back.InOutMode != punch.InOutMode || back.LogDate != punch.LogDate ||
            back.LogTime != punch.LogTime)
            return QStringLiteral("\"%1\" read back as %2")
                .arg(QString::fromLatin1(canonical), describe(back));
    }
    return {};
}
