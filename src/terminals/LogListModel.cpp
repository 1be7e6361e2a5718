#include "LogListModel.h"

#include "SdkRecords.h"
#include "TerminalIcons.h"
#include "data/CodeTables.h"

LogListModel::LogListModel(QObject* parent)
    : QAbstractTableModel(parent), m_rowIcon(TerminalIcons::icon(QStringLiteral("finger")))
{
}

QStringList LogListModel::captions()
{
    return {QStringLiteral("Emp ID"), QStringLiteral("Name"), QStringLiteral("Verify Mode"),
            QStringLiteral("In/Out Mode"), QStringLiteral("DateTime")};
}

QList<int> LogListModel::widthsTwips()
{
    return {1200, 3000, 1600, 1600, 1900};
}

QString LogListModel::dateTimeText(long year, long month, long day, long hour, long minute,
                                   long second, unsigned unreadable)
{
    using namespace SdkRecords;
    constexpr unsigned dateAndTime =
        (1u << Year) | (1u << Month) | (1u << Day) | (1u << Hour) | (1u << Minute) | (1u << Second);
    if (unreadable & dateAndTime) {
        // A 0 in place of a field the terminal garbled would pass for a value it sent.
        auto part = [unreadable](long value, PunchField field) {
            return unreadable & (1u << field) ? QString() : QString::number(value);
        };
        return QStringLiteral("%1-%2-%3 %4:%5:%6")
            .arg(part(year, Year), part(month, Month), part(day, Day), part(hour, Hour),
                 part(minute, Minute), part(second, Second));
    }
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(year)
        .arg(month)
        .arg(day)
        .arg(hour)
        .arg(minute)
        .arg(second);
}

LogListModel::Row LogListModel::makeRow(const QString& userNo, const QString& name, long verifyMode,
                                        long inOutMode, long year, long month, long day, long hour,
                                        long minute, long second, unsigned unreadable)
{
    Row r;
    bool ok = false;
    const qlonglong number = userNo.trimmed().toLongLong(&ok);
    // A user number that is no number is shown as the terminal sent it.
    r.empId = ok ? QString::number(number) : userNo;
    r.name = name;
    r.verifyMode = int(verifyMode);
    r.inOutMode = int(inOutMode);
    r.dateTime = dateTimeText(year, month, day, hour, minute, second, unreadable);
    r.verifyModeUnread = unreadable & (1u << SdkRecords::VerifyMode);
    r.inOutModeUnread = unreadable & (1u << SdkRecords::InOutMode);
    return r;
}

void LogListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_rows.squeeze();
    endResetModel();
}

void LogListModel::append(QVector<Row>& rows)
{
    if (rows.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_rows.append(std::move(rows));
    endInsertRows();
    rows.clear();
}

int LogListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LogListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 5;
}

QVariant LogListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const Row& r = m_rows.at(index.row());
    if (role == Qt::DecorationRole)
        return index.column() == 0 ? QVariant(m_rowIcon) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case 0:
        return r.empId;
    case 1:
        return r.name;
    case 2:
        return r.verifyModeUnread ? QString() : VerifyModeNames::name(r.verifyMode);
    case 3:
        return r.inOutModeUnread ? QString() : InOutModeNames::name(r.inOutMode);
    case 4:
        return r.dateTime;
    default:
        return {};
    }
}

QVariant LogListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return captions().value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
