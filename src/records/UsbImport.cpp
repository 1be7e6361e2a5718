#include "UsbImport.h"

#include "data/CodeTables.h"
#include "data/Records.h"
#include "shell/Db.h"
#include "terminals/TerminalIcons.h"

#include <QFile>
#include <QSqlQuery>

#include <algorithm>
#include <optional>

namespace {
// Bytes read from the file at a time.
constexpr qint64 kBlock = 64 * 1024;

struct PendingPunch
{
    PunchRecord punch;
    qint64 line;
};

// Stores punches in both tables, a chunk per transaction, each punch whole or not at all.
class ChunkStore
{
public:
    explicit ChunkStore(Db& db)
        : m_db(db),
          m_deleteDevice(db.prepare(QStringLiteral(
              "Delete from tbl_deviceattenlog where logdate=? and logtime=? and emp_id=?"))),
          m_insertDevice(db.prepare(QStringLiteral(
              "insert into tbl_deviceattenlog "
              "(emp_id,verifymode,inoutmode,logdate,logtime,extractedfrom,isnew,emp_name) "
              "values(?,?,?,?,?,?,?,?)"))),
          m_deleteLog(db.prepare(QStringLiteral(
              "Delete from tbl_attendancelog where logdate=? and logtime=? and emp_id=?"))),
          m_insertLog(db.prepare(QStringLiteral(
              "insert into tbl_attendancelog "
              "(emp_id,verifymode,inoutmode,logdate,logtime,extractedfrom,isnew,emp_name) "
              "values(?,?,?,?,?,?,?,?)")))
    {}

    // Commits the chunk. When a punch of it cannot be stored, the punches before it are
    // committed and the error is thrown, naming its line.
    void store(std::vector<PendingPunch>& chunk)
    {
        if (chunk.empty())
            return;
        try {
            Transaction transaction(m_db);
            for (const PendingPunch& p : chunk)
                storeOne(p.punch);
            transaction.commit();
            m_stored += qint64(chunk.size());
            chunk.clear();
            return;
        } catch (const DbError&) {
            // The chunk was rolled back whole; again one punch at a time, so that exactly
            // the punches before the failing one are kept.
        }
        const QString point = QStringLiteral("quorvane_usb_punch");
        Transaction transaction(m_db);
        for (const PendingPunch& p : chunk) {
            m_db.savepoint(point);
            try {
                storeOne(p.punch);
                m_db.releaseSavepoint(point);
            } catch (const DbError& e) {
                m_db.rollbackToSavepoint(point);
                transaction.commit();
                chunk.clear();
                throw DbError(e.number(),
                              QStringLiteral("%1\n\nLine %2 of the file could not be stored. The "
                                             "%3 punches before it are stored.")
                                  .arg(e.text())
                                  .arg(p.line)
                                  .arg(m_stored));
            }
            ++m_stored;
        }
        transaction.commit();
        chunk.clear();
    }

    qint64 stored() const { return m_stored; }

private:
    void storeOne(const PunchRecord& p)
    {
        const QString time = p.logTimeText();
        // SQL Server reads date text by the login's date format; SQLite keeps ISO text.
        const QVariant date = m_db.dialect().kind() == Dialect::SqlServer
                                  ? QVariant(p.LogDate)
                                  : QVariant(p.logDateText());
        const QVariantList key{date, time, p.Emp_ID};
        const QVariantList row{p.Emp_ID, p.VerifyMode,    p.InOutMode, date,
                               time,     p.ExtractedFrom, p.isnew,     p.emp_name};
        Db::run(m_deleteDevice, key);
        Db::run(m_insertDevice, row);
        Db::run(m_deleteLog, key);
        Db::run(m_insertLog, row);
    }

    Db& m_db;
    QSqlQuery m_deleteDevice;
    QSqlQuery m_insertDevice;
    QSqlQuery m_deleteLog;
    QSqlQuery m_insertLog;
    qint64 m_stored = 0;
};

UsbImport::Result readFile(Db* db, const QString& path, int deviceId, UsbPunchList& list,
                           const std::function<void()>& betweenChunks)
{
    UsbImport::Result result;
    list.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(UsbImport::FileError,
                      QStringLiteral("The file \"%1\" cannot be opened: %2")
                          .arg(path, file.errorString()));

    std::optional<ChunkStore> store;
    if (db)
        store.emplace(*db);
    std::vector<PendingPunch> chunk;
    chunk.reserve(UsbImport::kChunk);
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
    const UsbPunchFile::Sink sink = [&](const UsbPunchFile::Record& r) {
        if (!r.isPunch()) {
            if (result.malformed++ < UsbImport::kNamedMalformed)
                result.firstMalformed << QStringLiteral("line %1: %2").arg(r.line).arg(r.reason);
            return;
        }
        ++result.punches;
        ++listedSinceBreak;
        list.add(r);
        if (store)
            chunk.push_back({punchOf(r), r.line});
    };
    // Stores what is pending, shows the new rows, then lets the caller yield.
    const auto chunkBreak = [&] {
        if (store) {
            store->store(chunk);
            result.stored = store->stored();
        }
        list.publish();
        listedSinceBreak = 0;
        if (betweenChunks)
            betweenChunks();
    };

    UsbPunchFile reader;
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
            if (listedSinceBreak >= UsbImport::kChunk)
                chunkBreak();
        }
        reader.finish(sink);
        result.refused = reader.refused();
        if (store) {
            store->store(chunk);
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

UsbImport::Result UsbImport::extract(Db& db, const QString& path, int deviceId,
                                     UsbPunchList& list,
                                     const std::function<void()>& betweenChunks)
{
    return readFile(&db, path, deviceId, list, betweenChunks);
}

// The list

UsbPunchList::UsbPunchList(QObject* parent)
    : QAbstractTableModel(parent), m_rowIcon(TerminalIcons::icon(QStringLiteral("log")))
{}

QStringList UsbPunchList::captions()
{
    return {QStringLiteral("Emp ID"), QStringLiteral("Name"), QStringLiteral("Verify Mode"),
            QStringLiteral("In/Out Mode"), QStringLiteral("DateTime")};
}

QList<int> UsbPunchList::widthsTwips() { return {1000, 3000, 1600, 1600, 1900}; }

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
    const auto spelled = std::lower_bound(
        m_spellings.begin(), m_spellings.end(), row,
        [](const Spelling& s, qint64 r) { return s.row < r; });
    if (spelled == m_spellings.end() || spelled->row != row) {
        const Row& r = m_rows[size_t(row)];
        return QDate::fromJulianDay(r.day).toString(QStringLiteral("yyyy-MM-dd ")) +
               QTime::fromMSecsSinceStartOfDay(r.second * 1000).toString(QStringLiteral("HH:mm:ss"));
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
