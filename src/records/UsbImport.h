#pragma once
// The USB punch-file import: View lists the punches of a file, Extract lists them and stores
// each in both punch tables, attributed to a registered terminal and marked "USB". The file
// is read in blocks, never whole; Extract stores in chunks, each committed before the
// screen yields, so that whatever runs in the yield (a scheduler pass) can write.

#include "UsbPunchFile.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QIcon>
#include <QStringList>

#include <functional>
#include <vector>

class Db;

// The rows of the import list: 16 bytes a punch, no string per cell, so that a file of
// millions of punches lists in little memory. Field 2 is shown as the file spells it; only
// spellings other than "yyyy-MM-dd HH:mm:ss" are kept as text.
class UsbPunchList : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit UsbPunchList(QObject* parent = nullptr);

    // "Emp ID", "Name", "Verify Mode", "In/Out Mode", "DateTime", and their widths in twips.
    static QStringList captions();
    static QList<int> widthsTwips();

    void clear();
    // Keeps a punch for the list; it shows after the next publish().
    void add(const UsbPunchFile::Record& punch);
    // Shows every punch added since the last call, in one insertion.
    void publish();
    qint64 size() const { return qint64(m_rows.size()); }
    // Memory the rows hold, for the benchmark's note.
    qint64 bytesHeld() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Row
    {
        qint32 empId;
        qint16 verifyMode;
        qint16 inOutMode;
        qint32 day;    // Julian day
        qint32 second; // of the day
    };
    // A row whose field 2 is spelled otherwise; its text starts at `text` in m_text and
    // ends where the next one's starts.
    struct Spelling
    {
        qint64 row;
        qint64 text;
    };
    QString dateText(qsizetype row) const;

    std::vector<Row> m_rows;
    std::vector<Spelling> m_spellings;
    QByteArray m_text;
    qsizetype m_shown = 0; // rows the view has been told of
    QIcon m_rowIcon;
};

class UsbImport
{
public:
    struct Result
    {
        qint64 punches = 0;         // records listed
        qint64 stored = 0;          // punches stored (Extract)
        qint64 malformed = 0;       // records that are no punch, skipped
        QStringList firstMalformed; // the first ten: "line 12: the user number ..."
        bool refused = false;       // the file is UTF-16 text; nothing was read
        bool anyRecord() const { return punches + malformed > 0; }
    };

    // DbError numbers thrown besides the database's own.
    static constexpr long FileNotFound = 53;
    static constexpr long FileError = 57;

    // Lists the punches of the file at path. `betweenChunks` runs after each block of
    // punches (may be empty). Throws DbError when the file cannot be opened or read.
    static Result view(const QString& path, UsbPunchList& list,
                       const std::function<void()>& betweenChunks = {});

    // Lists the punches and stores each one in Tbl_DeviceAttenLog and tbl_attendancelog
    // with extractedfrom deviceId and emp_name 'USB', replacing the rows of its date, time
    // and user; of two punches of one key in the file the later one stays. Chunks are
    // committed one by one and `betweenChunks` runs after each commit, with no transaction
    // open. A database failure ends the run with a DbError naming the failing line and the
    // punches stored before it, which stay; a punch is in both tables or in neither.
    static Result extract(Db& db, const QString& path, int deviceId, UsbPunchList& list,
                          const std::function<void()>& betweenChunks = {});

    // Punches stored in one committed chunk.
    static constexpr int kChunk = 4096;
    // How many malformed lines the closing message names.
    static constexpr int kNamedMalformed = 10;
};
