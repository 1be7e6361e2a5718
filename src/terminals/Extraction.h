#pragma once
// The primary extraction: every punch a terminal holds goes into both punch tables, and
// the terminal's log is cleared only once every punch it holds is safely committed.

#include "data/Records.h"

#include <QString>
#include <QVector>

#include <functional>

class Db;
class TerminalSdk;

class Extraction
{
public:
    enum class Outcome {
        NoData,    // the terminal returned no punch; its log is left as it is
        Completed, // every punch is stored and the terminal's log is cleared
        Kept,      // the punches that could be stored are; the terminal's log is kept
    };
    // A record of the log that could not be stored.
    struct Refused
    {
        int position = 0; // in the log, from 1
        QString record;   // as the terminal delivered it
        QString reason;
    };
    struct Result
    {
        Outcome outcome = Outcome::NoData;
        int stored = 0;           // punches of the log's last read that are stored
        QVector<Refused> refused; // the first RefusalsListed of them
        int refusedCount = 0;
        bool stillPunching = false; // the log kept growing through every read
    };

    static constexpr int MaxReads = 3;
    static constexpr int RefusalsListed = 10;
    // DbError number for a link that broke, or a terminal that did not clear its log.
    static constexpr long LinkError = 57;

    // Reads the attendance log of the terminal linked to `sdk` (machine number machineId)
    // and stores each punch in both punch tables, replacing any row with the same date,
    // time and user. A record that is no punch (a field that is no number, a date that
    // does not exist) is refused, naming the field, and the rest are stored; the log is
    // then kept. Before clearing, the terminal is asked how many records it holds: a
    // punch made during the read is read and stored in a further read (at most MaxReads),
    // and a log that keeps growing is kept. A database error or a broken link ends the run
    // with a DbError; punches before it are committed, the log is kept, and a later run
    // stores each punch once. `afterRead` is called with the read's number once its punches
    // are committed, before the terminal is asked for its count.
    static Result run(Db& db, TerminalSdk& sdk, long machineId,
                      const std::function<void(int read)>& afterRead = {});

    // What the operator is told of a Kept outcome.
    static QString keptMessage(const Result& result);

    // One record as the terminal delivers it, checked: the user number must be a whole
    // number ("007" is 7) and the fields a real date and time. Returns why it is no punch,
    // or an empty text and the punch.
    static QString punchFromTerminal(const QString& userNo, long verifyMode, long inOutMode,
                                     long year, long month, long day, long hour, long minute,
                                     long second, long machineId, PunchRecord& punch);
};
