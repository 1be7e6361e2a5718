#pragma once
// Link helpers every screen uses on an element of the SDK control array: the link probe,
// connecting an element to a registered terminal, and recording the users a terminal
// holds. None of them traps errors: database and conversion errors reach the caller's trap.

class Db;
class QString;
class TerminalSdk;

// True when the element's link is up.
bool IsDeviceConnected(TerminalSdk& Device);

// Links the element to the registered terminal DeviceID unless its link is already up.
// False for a DeviceID without a register row, a connection mode other than serial or
// network, or a refused link. Throws when the row's port, COM port or baud rate is not a
// number. Reads the register through `db` (the shared connection by default).
bool ConnectDevice(TerminalSdk& Device, long DeviceID);
bool ConnectDevice(TerminalSdk& Device, long DeviceID, Db& db);

// Adds every user of the terminal that Tbl_UserLogInfo does not yet hold for DeviceID;
// rows already there are never changed. One user is stored whole or not at all: when a
// user cannot be stored, the users before it stay and the error is thrown.
void SaveDeviceUsers(TerminalSdk& Device, long DeviceID);
void SaveDeviceUsers(TerminalSdk& Device, long DeviceID, Db& db);

// The whole-number value of a connection setting's text ("4370", " 9600 "); throws a type
// mismatch for anything else, as the register's free-text columns may hold anything.
long LinkSettingNumber(const QString& text, const char* what);
