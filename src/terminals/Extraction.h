#pragma once
// The primary extraction: every punch a terminal holds goes into both punch tables, and
// the terminal's log is cleared only once every punch is safely committed.

#include "data/Records.h"

#include <QString>

class Db;
class TerminalSdk;

class Extraction
{
public:
    enum class Outcome {
        NoData,     // the terminal returned no punch; its log is left as it is
        Completed,  // every punch is stored and the terminal's log is cleared
    };
    struct Result
    {
        Outcome outcome = Outcome::NoData;
        int stored = 0;
    };

    // DbError numbers this class throws besides the database's own.
    static constexpr long TypeMismatch = 13;  // a record that is no punch
    static constexpr long LinkError = 57;     // the link broke, or the log was not cleared

    // Reads the attendance log of the terminal linked to `sdk` (machine number machineId)
    // and stores each punch in Tbl_DeviceAttenLog and tbl_attendancelog, replacing any row
    // with the same date, time and user. All punches go in one transaction with a savepoint
    // each. A bad record, a database error or a broken link ends the run with a DbError:
    // the punches before it are committed, none is stored by halves, and the terminal's
    // log is kept, so a later run stores the rest and each punch once.
    static Result run(Db& db, TerminalSdk& sdk, long machineId);

    // One record as the terminal delivers it, checked: the user number must be a whole
    // number ("007" is 7) and the fields a real date and time; anything else throws
    // TypeMismatch rather than becoming a row no query would find.
    static PunchRecord punchFromTerminal(const QString& userNo, long verifyMode, long inOutMode,
                                         long year, long month, long day, long hour,
                                         long minute, long second, long machineId);
};
