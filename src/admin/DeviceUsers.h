#pragma once
// The users held on a terminal, as the terminal users screen lists, writes and deletes
// them. Everything here goes to the terminal; only the duplicate test reads the database.

#include <QString>
#include <QVector>

class Db;
class TerminalSdk;

namespace DeviceUsers {

struct Row
{
    QString number; // the user number as a decimal number ("007" reads "7")
    QString name;
    QString card;
    QString password;
    long privilege = 0;
    bool enabled = false;
};

// Appends every user with its card to `rows`, in the terminal's order; nothing when the
// terminal refuses the read. Throws a type mismatch at a user number that is no number, the
// users before it appended.
void readAll(TerminalSdk& sdk, long machine, QVector<Row>& rows);

// The card field's value: its leading number rounded to a whole number ("0012345abc" is
// 12345, "12.5" is 12); 0 when the text does not begin with a number. Throws an overflow
// (DbError 6) for a number no card holds.
qlonglong cardNumber(const QString& text);

// The number the privilege text begins with: 3 for "3 - Super Administrator".
long privilegeCode(const QString& text);

// True when Tbl_UserLogInfo records user `user` for terminal `device` (the users seen at
// the terminal's last connect).
bool recorded(Db& db, long user, long device);

// True when the terminal holds user `user`. Throws when the terminal could not be asked.
bool held(TerminalSdk& sdk, long machine, qlonglong user);

// Writes a user with its card. Throws when the terminal does not take it.
void write(TerminalSdk& sdk, long machine, const Row& user);

// Deletes every finger and then the user. False when the terminal refused either step.
bool remove(TerminalSdk& sdk, long machine, long user);

} // namespace DeviceUsers
