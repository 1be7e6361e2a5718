#pragma once
// The user copy: users of the template store, downloaded from one terminal, with their
// card numbers, passwords and templates onto another terminal.

#include "TemplateStore.h"

#include <QList>
#include <QString>

class Db;
class TerminalSdk;

// One user stored from the source terminal, as the copy screen lists it.
struct StoredUser
{
    qint64 number = 0;
    QString name;      // trimmed
    QString previews;  // each non-empty template's first five characters and "...", by " , "
    QString card;      // empty for none or 0
    QString privilege; // empty when the store holds none
    QString password;  // empty for none, "" or "0"
    bool isNew = false;
};

class UserCopy
{
public:
    enum class Outcome {
        Copied,   // record, card, password and every template are on the terminal
        Refused,  // the terminal refused the user (or one of its templates)
        LinkLost, // the link broke: the copy ends
    };

    // The users stored from `sourceId`, one per user number, by number.
    static QList<StoredUser> listUsers(Db& db, qint64 sourceId);

    // Writes go to the terminal linked to `sdk`, machine number `destinationId`; a user's
    // name and enabled flag come from its row of `sourceId`.
    UserCopy(Db& db, TerminalSdk& sdk, long destinationId, qint64 sourceId);
    ~UserCopy();

    // Copies one user with the card, password and privilege of its list row. An empty or
    // non-numeric privilege throws before anything is sent. Nothing leaves the terminal
    // before the user's new record is accepted; then its fingers are cleared and every
    // stored template written, the source's last.
    Outcome copy(qint64 userNo, const QString& card, const QString& password,
                 const QString& privilege);

    // Clears IsNew, in one transaction, for the users copied whole so far.
    void finish();

private:
    Outcome failed();

    TemplateStore m_store;
    TerminalSdk& m_sdk;
    long m_destination;
    qint64 m_source;
    QList<qint64> m_copied;
};
