#pragma once
// Small procedures many screens share: record navigation, code-to-text look-ups, the
// employee-name look-up, list and combo helpers, and the two text-file writers.

#include "Recordset.h"

#include <QColor>
#include <QString>

class QComboBox;
class QTableWidget;
class QTreeWidget;

// Record navigation over a recordset the caller keeps. True: show the current row.
bool MoveNextRecord(Recordset& rs, const QString& mode = QString());
bool MovePreviousRecord(Recordset& rs, const QString& mode = QString());
bool MoveFirstRecord(Recordset& rs, const QString& mode = QString());
bool MoveLastRecord(Recordset& rs, const QString& mode = QString());

QString PrivilegeName(int code);
QString SuperLogOperationName(int code);

// First, middle and last name joined by blanks from Tbl_Emp_Info on the shared
// connection; " " when any part is NULL, "" when there is no such employee.
QString GetEmployeeName(long empId);

// Ticked items of a check-box list; 0 for an empty list.
int CountCheckedItems(const QTreeWidget* list);

// ID -1: the first entry whose text equals text exactly; otherwise the first entry whose
// item data equals ID. No match leaves the selection as it was.
void SelectComboItem(QComboBox* combo, long id, const QString& text);

// Formats cells ColFrom..ColTo of one grid row; Colour is the text colour.
void FormatGridRow(QTableWidget* grid, bool Bold, int Size, const QString& FontName, int Align,
                   int Row, int ColFrom, int ColTo, const QColor& Colour);

// Appends one line (CR LF) to SchedulerLOG.txt in the program's folder; a line that
// cannot be written is dropped silently.
void WriteSchedulerLog(const QString& text);

// Writes text (CR LF) to a new file "<folder>/MM.DD.YYYY HH.NN.SS Am.txt" named by the
// clock, or, when that name is taken, "... Am (2).txt", "(3)" and on; never to a file that
// is there already. Hands the full path back in folder and in LastTextFilePath. True when
// every byte was written; the file is there whole or not at all.
bool WriteTimestampedFile(const QString& text, QString& folder);

// "12.06.2026 02.26.57 Pm" for 2:26:57 pm on 6 December 2026.
QString timestampedFileStem(const class QDateTime& when);
