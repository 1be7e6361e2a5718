#pragma once
// The rows of the main list in log mode: one punch held on a terminal per row, kept
// compactly so that a terminal's whole log (100,000 punches and more) lists quickly.

#include <QAbstractTableModel>
#include <QIcon>
#include <QVector>

class LogListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    struct Row
    {
        QString empId; // the user number as a number ("007" shows 7)
        QString name;
        int verifyMode = 0;
        int inOutMode = 0;
        QString dateTime; // "2026-3-7 8:5:9"
        // The terminal sent the mode as no number: its cell stays empty rather than name 0.
        bool verifyModeUnread = false;
        bool inOutModeUnread = false;
    };

    explicit LogListModel(QObject* parent = nullptr);

    // Column captions and widths in twips, in order.
    static QStringList captions();
    static QList<int> widthsTwips();

    // A row from one record as the terminal returns it. `unreadable` holds a bit
    // 1 << SdkRecords::PunchField for each field the terminal sent as no number; those
    // fields are shown empty, the others as sent.
    static Row makeRow(const QString& userNo, const QString& name, long verifyMode, long inOutMode,
                       long year, long month, long day, long hour, long minute, long second,
                       unsigned unreadable = 0);
    // year "-" month "-" day " " hour ":" minute ":" second, without leading zeros; a field
    // marked in `unreadable` is left empty.
    static QString dateTimeText(long year, long month, long day, long hour, long minute,
                                long second, unsigned unreadable = 0);

    void clear();
    // Adds rows at the end in one insertion, so the view updates once per batch.
    void append(QVector<Row>& rows);
    const Row& row(int index) const { return m_rows.at(index); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVector<Row> m_rows;
    QIcon m_rowIcon;
};
