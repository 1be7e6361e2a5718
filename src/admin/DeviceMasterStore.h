#pragma once
// The terminal register, Tbl_DeviceMaster, as the register screen reads and writes it. The
// table declares no key: that no two rows share a DeviceID rests on the screen's duplicate
// test, so every statement here works on all rows of a DeviceID.

#include "data/Records.h"

#include <QString>
#include <QVector>

class Db;

namespace DeviceMasterStore {

// The Machine No field's text as a DeviceID. Throws a type mismatch (DbError 13) for
// anything but a whole number in the column's range: SQLite would store "5a" as text.
int machineNumber(const QString& text);

// Every row, by ascending DeviceID.
QVector<TerminalRecord> list(Db& db);
int count(Db& db);
// True when a row holds the number the text names; a text that names no number finds none.
bool exists(Db& db, const QString& machineNo);

void insert(Db& db, const TerminalRecord& record);
// Deletes every row of `deviceId` and inserts `record`, together: a refused insert leaves
// the old rows in place.
void replace(Db& db, int deviceId, const TerminalRecord& record);
void remove(Db& db, int deviceId);

} // namespace DeviceMasterStore
