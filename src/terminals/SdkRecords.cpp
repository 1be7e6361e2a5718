#include "SdkRecords.h"

#include "SdkProtocol.h"

#include <QJsonArray>

#include <iterator>

namespace SdkRecords {

namespace {

template <typename Row, typename Decode>
bool decodeAll(const QJsonValue& value, QVector<Row>& rows, Decode decode)
{
    rows.clear();
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    rows.resize(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (!decode(array.at(i), rows[i])) {
            rows.clear();
            return false;
        }
    }
    return true;
}

} // namespace

bool wholeNumber(const QJsonValue& value, long& out)
{
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    if (d != double(qint64(d)) || d < -2147483648.0 || d > 2147483647.0)
        return false;
    out = long(d);
    return true;
}

QString punchFieldName(PunchField field)
{
    static const char* const names[] = {"verify mode", "in/out mode", "year",   "month",    "day",
                                        "hour",        "minute",      "second", "work code"};
    return QLatin1String(names[field]);
}

bool decodePunch(const QJsonValue& value, PunchRow& row)
{
    const QJsonArray a = value.toArray();
    if (a.size() != SdkProtocol::AttendanceFields || !a.at(0).isString())
        return false;
    row.user = a.at(0).toString();
    row.unreadable = 0;
    long* const fields[] = {&row.verifyMode, &row.inOutMode, &row.year,   &row.month,   &row.day,
                            &row.hour,       &row.minute,    &row.second, &row.workCode};
    for (int i = 0; i < int(std::size(fields)); ++i) {
        if (wholeNumber(a.at(i + 1), *fields[i]))
            continue;
        *fields[i] = 0;
        row.unreadable |= 1u << i;
    }
    return true;
}

bool decodeUser(const QJsonValue& value, UserRow& row)
{
    const QJsonArray a = value.toArray();
    if (a.size() != SdkProtocol::UserFields || !a.at(0).isString() || !a.at(1).isString() ||
        !a.at(2).isString() || !a.at(4).isBool() || !a.at(5).isString())
        return false;
    row.user = a.at(0).toString();
    row.name = a.at(1).toString();
    row.password = a.at(2).toString();
    row.enabled = a.at(4).toBool();
    row.card = a.at(5).toString();
    return wholeNumber(a.at(3), row.privilege);
}

bool decodeOperation(const QJsonValue& value, OperationRow& row)
{
    const QJsonArray a = value.toArray();
    if (a.size() != SdkProtocol::OperationFields)
        return false;
    for (int i = 0; i < SdkProtocol::OperationFields; ++i)
        if (!wholeNumber(a.at(i), row[size_t(i)]))
            return false;
    return true;
}

bool decodePunches(const QJsonValue& value, QVector<PunchRow>& rows)
{
    return decodeAll(value, rows, decodePunch);
}

bool decodeUsers(const QJsonValue& value, QVector<UserRow>& rows)
{
    return decodeAll(value, rows, decodeUser);
}

bool decodeOperations(const QJsonValue& value, QVector<OperationRow>& rows)
{
    return decodeAll(value, rows, decodeOperation);
}

} // namespace SdkRecords
