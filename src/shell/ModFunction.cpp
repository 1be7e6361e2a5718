#include "ModFunction.h"

#include "Clock.h"
#include "MsgBox.h"
#include "MySysPath.h"
#include "Shared.h"
#include "data/CodeTables.h"

#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTableWidget>
#include <QTreeWidget>

#include <algorithm>

namespace {
constexpr int kInformation = 64;

bool emptyRecordset(const Recordset& rs)
{
    if (rs.RecordCount() < 1) {
        MsgBox(QStringLiteral("No Record To Display"), kInformation);
        return true;
    }
    return false;
}

bool appendLine(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray line = text.toUtf8() + "\r\n";
    return file.write(line) == line.size();
}
}  // namespace

bool MoveNextRecord(Recordset& rs, const QString& mode)
{
    if (emptyRecordset(rs))
        return false;
    if (mode.isEmpty() && rs.AbsolutePosition() == Recordset::PosUnknown)
        rs.MoveLast();
    if (rs.EOF_()) {
        MsgBox(QStringLiteral("This is the Last Record"), kInformation);
        return false;
    }
    rs.MoveNext();
    if (rs.AbsolutePosition() >= 1)
        return true;
    rs.MoveLast();
    MsgBox(QStringLiteral("This is the Last Record"), kInformation);
    return true;
}

bool MovePreviousRecord(Recordset& rs, const QString& mode)
{
    if (emptyRecordset(rs))
        return false;
    if (mode.isEmpty() && rs.AbsolutePosition() == Recordset::PosUnknown)
        rs.MoveFirst();
    if (rs.BOF()) {
        MsgBox(QStringLiteral("This is the First Record"), kInformation);
        return false;
    }
    rs.MovePrevious();
    if (rs.AbsolutePosition() >= 1)
        return true;
    rs.MoveFirst();
    MsgBox(QStringLiteral("This is the First Record"), kInformation);
    return true;
}

bool MoveFirstRecord(Recordset& rs, const QString& mode)
{
    if (emptyRecordset(rs))
        return false;
    if (mode.isEmpty() && rs.AbsolutePosition() == Recordset::PosUnknown)
        rs.MoveFirst();
    if (rs.BOF())
        return false;
    rs.MoveFirst();
    return rs.AbsolutePosition() >= 1;
}

bool MoveLastRecord(Recordset& rs, const QString& mode)
{
    if (emptyRecordset(rs))
        return false;
    if (mode.isEmpty() && rs.AbsolutePosition() == Recordset::PosUnknown)
        rs.MoveLast();
    if (rs.EOF_())
        return false;
    rs.MoveLast();
    return rs.AbsolutePosition() >= 1;
}

QString PrivilegeName(int code) { return PrivilegeNames::name(code); }

QString SuperLogOperationName(int code) { return SuperLogOperationNames::name(code); }

QString GetEmployeeName(long empId)
{
    Db& db = shared().Cnxn;
    const QString sql =
        QStringLiteral("select ") +
        db.dialect().concat({QStringLiteral("emp_firstname"), QStringLiteral("' '"),
                             QStringLiteral("emp_middlename"), QStringLiteral("' '"),
                             QStringLiteral("emp_lastname")}) +
        QStringLiteral("  as FName From Tbl_Emp_Info Where Emp_ID=?");
    QSqlQuery q = db.exec(sql, {QVariant::fromValue<qlonglong>(empId)});
    if (!q.next())
        return QString();
    return q.value(0).isNull() ? QStringLiteral(" ") : q.value(0).toString();
}

int CountCheckedItems(const QTreeWidget* list)
{
    int count = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->checkState(0) == Qt::Checked)
            ++count;
    return count;
}

void SelectComboItem(QComboBox* combo, long id, const QString& text)
{
    for (int i = 0; i < combo->count(); ++i) {
        const bool match = id == -1 ? combo->itemText(i) == text
                                    : combo->itemData(i).isValid() &&
                                          combo->itemData(i).toLongLong() == id;
        if (match) {
            combo->setCurrentIndex(i);
            return;
        }
    }
}

void FormatGridRow(QTableWidget* grid, bool Bold, int Size, const QString& FontName, int Align,
                   int Row, int ColFrom, int ColTo, const QColor& Colour)
{
    // Alignment codes of the grid: 0-2 left, 3-5 centre, 6-8 right (top, middle, bottom).
    const Qt::Alignment horizontal = Align <= 2 ? Qt::AlignLeft
                                     : Align <= 5 ? Qt::AlignHCenter
                                                  : Qt::AlignRight;
    const Qt::Alignment vertical = (Align % 3 == 0)   ? Qt::AlignTop
                                   : (Align % 3 == 1) ? Qt::AlignVCenter
                                                      : Qt::AlignBottom;
    for (int col = ColFrom; col <= ColTo && col < grid->columnCount(); ++col) {
        QTableWidgetItem* cell = Row == 0 ? grid->horizontalHeaderItem(col) : grid->item(Row - 1, col);
        if (!cell) {
            cell = new QTableWidgetItem;
            if (Row == 0)
                grid->setHorizontalHeaderItem(col, cell);
            else
                grid->setItem(Row - 1, col, cell);
        }
        QFont font(FontName, Size);
        font.setBold(Bold);
        cell->setFont(font);
        cell->setTextAlignment(horizontal | vertical);
        cell->setForeground(Colour);
    }
}

void WriteSchedulerLog(const QString& text)
{
    appendLine(ProgramFolder() + QStringLiteral("/SchedulerLOG.txt"), text);
}

QString timestampedFileStem(const QDateTime& when)
{
    const QTime t = when.time();
    int hour12 = t.hour() % 12;
    if (hour12 == 0)
        hour12 = 12;
    return when.toString(QStringLiteral("MM.dd.yyyy ")) +
           QStringLiteral("%1.%2.%3 %4")
               .arg(hour12, 2, 10, QLatin1Char('0'))
               .arg(t.minute(), 2, 10, QLatin1Char('0'))
               .arg(t.second(), 2, 10, QLatin1Char('0'))
               .arg(t.hour() < 12 ? QStringLiteral("Am") : QStringLiteral("Pm"));
}

namespace {
// Writes text as UTF-8 and CR LF a piece at a time: the piece's bytes stay in the cache
// and no copy of the whole text is made. A piece never ends on the first half of a
// surrogate pair, so the bytes are those of converting the text at once.
bool writeUtf8Line(QFileDevice& file, const QString& text)
{
    constexpr qsizetype kPiece = 64 * 1024;
    const QStringView all(text);
    for (qsizetype at = 0; at < all.size();) {
        qsizetype length = std::min(kPiece, all.size() - at);
        if (at + length < all.size() && all.at(at + length - 1).isHighSurrogate())
            --length;
        const QByteArray bytes = all.mid(at, length).toUtf8();
        if (file.write(bytes) != bytes.size())
            return false;
        at += length;
    }
    return file.write("\r\n", 2) == 2;
}
} // namespace

bool WriteTimestampedFile(const QString& text, QString& folder)
{
    // A second write in the same second takes the next free name, " (2)", " (3)" and on:
    // appended to the first, a script would load every row of both, and a double click
    // would insert each row twice.
    const QString stem = folder + QLatin1Char('/') + timestampedFileStem(Clock::now());
    folder = stem + QStringLiteral(".txt");
    for (int n = 2; QFileInfo::exists(folder); ++n)
        folder = stem + QStringLiteral(" (%1).txt").arg(n);
    shared().LastTextFilePath = folder;
    // A new file appears whole or not at all: a half-written script would load half.
    QSaveFile file(folder);
    // One not committed is dropped.
    return file.open(QIODevice::WriteOnly) && writeUtf8Line(file, text) && file.commit();
}
