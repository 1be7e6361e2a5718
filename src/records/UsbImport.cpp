#include "UsbImport.h"

#include "data/CodeTables.h"
#include "data/Records.h"
#include "shell/Clock.h"
#include "shell/Db.h"
#include "terminals/PunchWriter.h"
#include "terminals/TerminalIcons.h"

#include <QFile>

#include <algorithm>
#include <optional>

namespace {
// Bytes read from the file at a time.
constexpr qint64 kBlock = 64 * 1024;

// Stores punches through the shared punch writer and commits them a chunk at a time,
// keeping the line of each punch not yet committed so that a failure can name it.
class ChunkStore
{
public:
    explicit ChunkStore(Db& db) : m_writer(db) {}

    // Stores a punch the tables can hold (PunchWriter::refusal is empty). Throws DbError
    // as commit() does when a batch of the writer fails.
    void store(const PunchRecord& punch, qint64 line)
    {
        m_lines.push_back(line);
        guard([&] { m_writer.store(punch); });
    }

    // Commits what is stored. When a punch cannot be stored, the punches before it are
    // committed and the error is thrown, naming its line.
    void commit()
    {
        guard([&] { m_writer.commit(); });
        m_lines.clear();
        m_committed = m_writer.stored();
    }

    qint64 stored() const { return m_writer.stored(); }

private:
    template <typename F> void guard(F&& step)
    {
        try {
            step();
        } catch (const DbError& e) {
            // The writer keeps and commits every punch before the failing one.
            const qsizetype failing =
                qMin<qsizetype>(m_writer.stored() - m_committed, qsizetype(m_lines.size()) - 1);
            const qint64 line = failing >= 0 ? m_lines[size_t(failing)] : 0;
            m_lines.clear();
            throw DbError(e.number(),
                          QStringLiteral("%1\n\nLine %2 of the file could not be stored. The "
                                         "%3 punches before it are stored.")
                              .arg(e.text())
                              .arg(line)
                              .arg(m_writer.stored()));
        }
    }

    PunchWriter m_writer;
    std::vector<qint64> m_lines; // lines of the punches not committed yet, in order
    qint64 m_committed = 0;
};

UsbImport::Result readFile(Db* db, const QString& path, int deviceId, UsbPunchList& list,
                           const std::function<void()>& betweenChunks)
{
    UsbImport::Result result;
    list.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(
            UsbImport::FileError,
            QStringLiteral("The file \"%1\" cannot be opened: %2").arg(path, file.errorString()));

    std::optional<ChunkStore> store;
    if (db)
        store.emplace(*db);
    qint64 listedSinceBreak = 0;
    const auto punchOf = [deviceId](const UsbPunchFile::Record& r) {
        PunchRecord p;
        p.Emp_ID = r.Emp_ID;
        p.VerifyMode = r.VerifyMode;
        p.InOutMode = r.InOutMode;
        p.LogDate = r.LogDate;
        p.LogTime = r.LogTime;
        p.ExtractedFrom = deviceId;
        p.isnew = 1;
        p.emp_name = QStringLiteral("USB");
        return p;
    };
    // Commits what is stored, shows the new rows, then lets the caller yield.
    const auto chunkBreak = [&] {
        if (store) {
            store->commit();
            result.stored = store->stored();
        }
        list.publish();
        listedSinceBreak = 0;
        if (betweenChunks)
            betweenChunks();
    };
    const auto skip = [&result](qint64 line, const QString& reason) {
        if (result.malformed++ < UsbImport::kNamedMalformed)
            result.firstMalformed << QStringLiteral("line %1: %2").arg(line).arg(reason);
    };
    const UsbPunchFile::Sink sink = [&](const UsbPunchFile::Record& r) {
        if (!r.isPunch()) {
            skip(r.line, r.reason);
            return;
        }
        // A punch the tables cannot hold (a year before 1753, a negative user number) is
        // as malformed as a line that is no punch.
        const PunchRecord punch = punchOf(r);
        const QString why = punch.Emp_ID < 0
                                ? QStringLiteral("the user number %1 is below 0").arg(punch.Emp_ID)
                                : PunchWriter::refusal(punch);
        if (!why.isEmpty()) {
            skip(r.line, why);
            return;
        }
        ++result.punches;
        list.add(r);
        if (store)
            store->store(punch, r.line);
        // A chunk is as large as the writer's batch, which it commits in a transaction of
        // its own: the screen yields after each batch, none split across two commits.
        if (++listedSinceBreak == UsbImport::kChunk)
            chunkBreak();
    };

    UsbPunchFile reader(QLocale(), Clock::today());
    QByteArray block(kBlock, Qt::Uninitialized);
    try {
        for (;;) {
            const qint64 read = file.read(block.data(), kBlock);
            if (read < 0)
                throw DbError(UsbImport::FileError,
                              QStringLiteral("The file \"%1\" could not be read to its end: %2")
                                  .arg(path, file.errorString()));
            if (read == 0)
                break;
            reader.feed(QByteArrayView(block.constData(), read), sink);
            if (reader.refused())
                break;
        }
        reader.finish(sink);
        result.refused = reader.refused();
        if (store) {
            store->commit();
            result.stored = store->stored();
        }
    } catch (...) {
        list.publish();
        throw;
    }
    list.publish();
    return result;
}
} // namespace

UsbImport::Result UsbImport::view(const QString& path, UsbPunchList& list,
                                  const std::function<void()>& betweenChunks)
{
    return readFile(nullptr, path, 0, list, betweenChunks);
}

UsbImport::Result UsbImport::extract(Db& db, const QString& path, int deviceId, UsbPunchList& list,
                                     const std::function<void()>& betweenChunks)
{
    return readFile(&db, path, deviceId, list, betweenChunks);
}

// The list

UsbPunchList::UsbPunchList(QObject* parent)
    : QAbstractTableModel(parent), m_rowIcon(TerminalIcons::icon(QStringLiteral("log")))
{
}

QStringList UsbPunchList::captions()
{
    return {QStringLiteral("Emp ID"), QStringLiteral("Name"), QStringLiteral("Verify Mode"),
            QStringLiteral("In/Out Mode"), QStringLiteral("DateTime")};
}

QList<int> UsbPunchList::widthsTwips()
{
    return {1000, 3000, 1600, 1600, 1900};
}

void UsbPunchList::clear()
{
    beginResetModel();
    m_rows = {};
    m_spellings = {};
    m_text = QByteArray();
    m_shown = 0;
    endResetModel();
}

namespace {
// "yyyy-MM-dd HH:mm:ss", the spelling the list keeps no text for.
bool isCanonical(QByteArrayView text, const QDate& date, const QTime& time)
{
    char canonical[19];
    const auto put = [&canonical](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            canonical[at + i] = char('0' + value % 10);
    };
    put(0, date.year(), 4);
    canonical[4] = '-';
    put(5, date.month(), 2);
    canonical[7] = '-';
    put(8, date.day(), 2);
    canonical[10] = ' ';
    put(11, time.hour(), 2);
    canonical[13] = ':';
    put(14, time.minute(), 2);
    canonical[16] = ':';
    put(17, time.second(), 2);
    return text == QByteArrayView(canonical, 19);
}
} // namespace

void UsbPunchList::add(const UsbPunchFile::Record& punch)
{
    if (!isCanonical(punch.dateText, punch.LogDate, punch.LogTime)) {
        m_spellings.push_back({qint64(m_rows.size()), m_text.size()});
        m_text.append(punch.dateText);
    }
    m_rows.push_back(Row{qint32(punch.Emp_ID), qint16(punch.VerifyMode), qint16(punch.InOutMode),
                         qint32(punch.LogDate.toJulianDay()),
                         punch.LogTime.msecsSinceStartOfDay() / 1000});
}

void UsbPunchList::publish()
{
    const qsizetype total = qsizetype(m_rows.size());
    if (total == m_shown)
        return;
    beginInsertRows({}, int(m_shown), int(total - 1));
    m_shown = total;
    endInsertRows();
}

qint64 UsbPunchList::bytesHeld() const
{
    return qint64(m_rows.capacity() * sizeof(Row) + m_spellings.capacity() * sizeof(Spelling)) +
           m_text.capacity();
}

int UsbPunchList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown);
}

int UsbPunchList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 5;
}

QString UsbPunchList::dateText(qsizetype row) const
{
    const auto spelled = std::lower_bound(m_spellings.begin(), m_spellings.end(), row,
                                          [](const Spelling& s, qint64 r) { return s.row < r; });
    if (spelled == m_spellings.end() || spelled->row != row) {
        const Row& r = m_rows[size_t(row)];
        return QDate::fromJulianDay(r.day).toString(QStringLiteral("yyyy-MM-dd ")) +
               QTime::fromMSecsSinceStartOfDay(r.second * 1000)
                   .toString(QStringLiteral("HH:mm:ss"));
    }
    const qint64 end = spelled + 1 != m_spellings.end() ? (spelled + 1)->text : m_text.size();
    return QString::fromLatin1(m_text.constData() + spelled->text, end - spelled->text);
}

QVariant UsbPunchList::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown)
        return {};
    const Row& row = m_rows[size_t(index.row())];
    if (role == Qt::DecorationRole)
        return index.column() == 0 ? QVariant(m_rowIcon) : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case 0:
        return QString::number(row.empId);
    case 1:
        return QString();
    case 2:
        return UsbVerifyModeNames::name(row.verifyMode);
    case 3:
        return InOutModeNames::name(row.inOutMode);
    case 4:
        return dateText(index.row());
    default:
        return {};
    }
}

QVariant UsbPunchList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return captions().value(section);
}
