#include "SuperLogModel.h"

#include "data/CodeTables.h"

namespace {
constexpr int kColumns = 10;
}

SuperLogModel::SuperLogModel(QObject* parent) : QAbstractTableModel(parent) {}

QStringList SuperLogModel::captions()
{
    return {QStringLiteral("Sn"),      QStringLiteral("Emp ID"), QStringLiteral("Employee Name"),
            QStringLiteral("Prm4"),    QStringLiteral("User"),   QStringLiteral("Prm2"),
            QStringLiteral("Actions"), QStringLiteral("Prm3"),   QStringLiteral("Date"),
            QStringLiteral("Time")};
}

QVector<int> SuperLogModel::widthsTwips()
{
    return {600, 800, 2000, 750, 750, 750, 1300, 750, 1000, 750};
}

QString SuperLogModel::cellText(const Row& row, int column)
{
    const auto& v = row.values;
    switch (column) {
    case 0:
        return QString::number(row.sn);
    case 1:
        return QString::number(v[1]);
    case 2:
        return row.name;
    case 3:
        return QString::number(v[2]);
    case 4:
        // The record's fourth value, which the terminal reads out and nothing else shows.
        return QString::number(v[3]);
    case 5:
        return QString::number(v[4]);
    case 6:
        return SuperLogOperationNames::name(int(v[5]));
    case 7:
        return QString::number(v[6]);
    case 8:
        return QStringLiteral("%1-%2-%3").arg(v[7]).arg(v[8]).arg(v[9]);
    case 9:
        return QStringLiteral("%1:%2").arg(v[10]).arg(v[11]);
    default:
        return QString();
    }
}

void SuperLogModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_rows.squeeze();
    endResetModel();
}

void SuperLogModel::append(const QVector<Row>& rows)
{
    if (rows.isEmpty())
        return;
    beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + rows.size() - 1));
    m_rows += rows;
    endInsertRows();
}

int SuperLogModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SuperLogModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant SuperLogModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows.size())
        return {};
    return cellText(m_rows.at(index.row()), index.column());
}

QVariant SuperLogModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return captions().value(section);
}
