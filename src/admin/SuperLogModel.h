#pragma once
// The rows of a terminal's operation log as the operation-log viewer lists them: the twelve
// values of each record, its running number and its operator's name, turned into the ten
// columns' texts only when a cell is shown.

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>

class SuperLogModel : public QAbstractTableModel
{
public:
    struct Row
    {
        long sn = 0;
        std::array<long, 12> values{};
        QString name; // the operator's employee name (shared text, one per operator)
    };

    explicit SuperLogModel(QObject* parent = nullptr);

    static QStringList captions();
    // Widths in twips, in column order.
    static QVector<int> widthsTwips();
    // The text of one cell: "Sn", "Emp ID", ... "Date" ("2026-3-7"), "Time" ("9:5").
    static QString cellText(const Row& row, int column);

    void clear();
    void append(const QVector<Row>& rows);
    const Row& row(int index) const { return m_rows.at(index); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVector<Row> m_rows;
};
