#pragma once
// The table of scheduled terminal tasks as the task editor keeps it.

#include "data/Records.h"

#include <QTime>

class Db;

namespace TaskStore {
// "HH:mm", the form the scheduler pass looks tasks up by.
QString timeText(const QTime& time);

// True when a task of this terminal, code, date text and time text is stored already;
// remarks and the each-day flag take no part.
bool isDuplicate(Db& db, const TaskRecord& task);
void insert(Db& db, const TaskRecord& task);
void update(Db& db, const TaskRecord& task);
void remove(Db& db, int taskId);

// 1-based position of the terminal in the terminal list (ordered by DeviceID), which is
// its element of the main window's control array; 0 for a terminal not registered.
int deviceIndexOf(Db& db, int deviceId);
// The terminal's description, or "" when no terminal has that number.
QString deviceDescription(Db& db, int deviceId);
}  // namespace TaskStore
