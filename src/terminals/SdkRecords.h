#pragma once
// The rows of the bulk answers (SdkProtocol.h) as TerminalSdk hands them out, and their
// decoding. Decoding is all or nothing: one unreadable row makes the whole answer broken.
// A punch row of the right shape whose number field holds no whole number (a text, an empty
// text) is still read, so that one bad record does not hold back the rest of the log: the
// row marks each such field and carries 0 in it, for the caller to refuse or leave blank.

#include <QJsonValue>
#include <QString>
#include <QVector>

#include <array>

namespace SdkRecords {

// The number fields of a punch row, in the order SdkNextAttendanceRecord hands them out.
enum PunchField { VerifyMode, InOutMode, Year, Month, Day, Hour, Minute, Second, WorkCode };

// "verify mode", "in/out mode", "year", ...
QString punchFieldName(PunchField field);

struct PunchRow
{
    QString user;
    long verifyMode = 0;
    long inOutMode = 0;
    long year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    long workCode = 0;
    unsigned unreadable = 0; // bit 1 << PunchField for each field that holds no whole number
};

struct UserRow
{
    QString user;
    QString name;
    QString password;
    long privilege = 0;
    bool enabled = false;
    QString card;
};

using OperationRow = std::array<long, 12>;

// A whole number that fits a Long; false for anything else.
bool wholeNumber(const QJsonValue& value, long& out);

bool decodePunch(const QJsonValue& value, PunchRow& row);
bool decodeUser(const QJsonValue& value, UserRow& row);
bool decodeOperation(const QJsonValue& value, OperationRow& row);

// Every row of the array, or none (rows left empty) when one cannot be read.
bool decodePunches(const QJsonValue& value, QVector<PunchRow>& rows);
bool decodeUsers(const QJsonValue& value, QVector<UserRow>& rows);
bool decodeOperations(const QJsonValue& value, QVector<OperationRow>& rows);

} // namespace SdkRecords
