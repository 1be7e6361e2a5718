#pragma once
// Program start: settings, the autostart entry, the single-instance test, the shared
// connection, then the main window.

#include <QString>

#include <functional>

class Db;

// Runs the start-up steps in their order. showMainWindow is called last; returns true when
// it was, so that the caller runs the event loop, and false when the program must end.
bool Main(const std::function<void()>& showMainWindow);

// Clear = true empties the autostart entry (Hidden=true); false points it at the program.
// A refused write changes nothing and raises nothing.
void SetAutoStart(bool Clear);

// "Provider=SQLOLEDB.1;..." from the four lines of "degest.dll"; throws when the file is
// missing or shorter than four lines. Also stored in shared().CnxnString.
QString GetConnectionString();

// The next free number of Table.Field: its maximum (NULL as 0) plus 1, 1 for an empty
// table. Throws an overflow error past the 16-bit range the callers store.
int get_MaxId(const QString& Table, const QString& Field, Db& Connection);

// Releases the single-instance lock (tests; the program keeps it until it ends).
void releaseInstanceLock();

// Path of the autostart entry: $XDG_CONFIG_HOME/autostart/Quorvane.desktop.
QString autostartEntryPath();
