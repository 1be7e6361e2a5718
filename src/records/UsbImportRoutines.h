#pragma once
// What the USB import screen carries beside its import: the store of one punch with a
// running indx, and its own copies of the pairing's helpers. Each runs the one
// implementation of the pairing and the punch feed; what differs is the screen's messages
// and the names its errors are reported under (form "frmUSBDataImport").

#include <QDate>
#include <QString>

class Db;

namespace UsbImportRoutines {

// Stores one punch ("yyyy-MM-dd HH:mm:ss", '/' also read) in Tbl_DeviceAttenLog with the
// next indx, replacing the employee's punch at that date and time; true when stored. An
// employee the database refuses gives "Employee information of '<n>' is not entered.
// Unrecognized employee id", any other failure its description, both exclamation (48);
// the punch stored before is kept.
bool SaveUsbLogRecord(Db& connection, int EmpId, const QString& punch, int verifyCode,
                      int inOutCode);

// True when a 'Double Duty' pair of the employee signs out on date. Errors reach the caller.
bool IsDoubleDutyOut(Db& connection, int EmpId, const QDate& date);

// The employee's category on the shared connection; an error shows the error dialog
// ("get_cate()") and gives 0.
int get_cate(int EmpId);

// One more day of 'Substitute Leave' on the given connection; an error shows the error
// dialog ("Add_SubstituteLeave()") and writes nothing.
void Add_SubstituteLeave(Db& connection, int EmpId);

// The next free number of Table.Field, 1 for an empty table.
int get_MaxId(const QString& Table, const QString& Field, Db& Connection);

} // namespace UsbImportRoutines
