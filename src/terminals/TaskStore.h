#pragma once
// The table of scheduled terminal tasks as the task editor keeps it.

#include "data/Records.h"

#include <QDate>
#include <QTime>

#include <optional>

class Db;

namespace TaskStore {
// "HH:mm", the form the scheduler pass looks tasks up by.
QString timeText(const QTime& time);

// The task date as Tbl_Task keeps it, "yyyy-MM-dd" whatever the locale: the scheduler
// pass finds a task by this text, so the editor and the pass must write it alike, and a
// change of the operator's date format must not stop stored tasks from running.
QString dateText(const QDate& date);
// Reads dateText back; rows kept in the locale's short date by earlier versions are read
// in that form. An invalid date for text that is neither.
QDate dateFromText(const QString& text);

// True when a task of this terminal, code, date text and time text is stored already;
// remarks and the each-day flag take no part.
bool isDuplicate(Db& db, const TaskRecord& task);
void insert(Db& db, const TaskRecord& task);
void update(Db& db, const TaskRecord& task);
void remove(Db& db, int taskId);

// 1-based position of the terminal in the terminal list (ordered by DeviceID), which is
// its element of the main window's control array; 0 for a terminal not registered.
int deviceIndexOf(Db& db, int deviceId);
// The registered terminal that the task editor's Device field names: `preferred` when the
// text is its description, else the first terminal (by DeviceID) with that description,
// else the terminal with that number. Letter case and outer blanks do not count. Nothing
// when the text names no registered terminal.
std::optional<int> terminalNamed(Db& db, const QString& text, int preferred);
// The terminal's description, or "" when no terminal has that number.
QString deviceDescription(Db& db, int deviceId);
} // namespace TaskStore
