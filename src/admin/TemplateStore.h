#pragma once
// The template store Tbl_UserTemplate: one row per terminal user, finger and terminal,
// identified by (DeviceUserID, FingerIndex, DeviceID). A user without fingerprints has one
// row with finger 0 and an empty template.
//
// Writes go into a batch: one transaction, begun by the first write, with a savepoint per
// user, so a user's deletes and inserts stand or fall together while a long download runs
// at bulk speed. A job commits the batch before it yields to the event loop, so no
// transaction stays open while other code may run.

#include "data/Records.h"

#include <QList>
#include <QSqlQuery>
#include <QString>

#include <functional>

class Db;

class TemplateStore
{
public:
    explicit TemplateStore(Db& db);
    // Commits what the batch holds; an error here is swallowed (call commit() to see it).
    ~TemplateStore();
    TemplateStore(const TemplateStore&) = delete;
    TemplateStore& operator=(const TemplateStore&) = delete;

    // Runs the writes of one user under a savepoint of the batch. When they throw, that
    // user's writes are undone, the users before it are committed, and the error goes on.
    void storeUser(const std::function<void()>& writes);
    // Commits the batch, if one is open.
    void commit();

    // The writes storeUser's callback makes.
    // Replaces the row of the same user, finger and terminal.
    void replaceFinger(const StoredUserTemplate& row);
    // Deletes every row of the user and terminal, then inserts `row`. The rows stored from
    // other terminals stay: they may be the only copy of fingerprints this terminal lacks.
    void replaceOnTerminal(const StoredUserTemplate& row);
    // Writes the row's name, card, password, privilege and enabled flag to every row of its
    // user and terminal, in one statement: a finger stored by an earlier download must not
    // keep a record the terminal no longer holds, which a copy would take for the user's.
    void writeRecord(const StoredUserTemplate& row);
    // Deletes the user's empty finger-0 row of that terminal (a user who now has templates).
    void dropEmptyFingerZero(qint64 user, qint64 device);

    // Every stored row of a user, of every terminal, by finger; for one finger the rows of
    // `lastDevice` come last, so that a writer going through them in order leaves that
    // terminal's template on the finger.
    QList<StoredUserTemplate> rowsOfUser(qint64 user, qint64 lastDevice);

    // Sets IsNew to 0 for each user, in one transaction.
    void clearIsNew(const QList<qint64>& users);

    // The first `length` characters of a template followed by "...": the list previews.
    static QString preview(const QString& templ, int length);

private:
    void insert(const StoredUserTemplate& row);
    void ensureBatch();

    Db& m_db;
    QSqlQuery m_deleteFinger;
    QSqlQuery m_deleteUser;
    QSqlQuery m_updateRecord;
    QSqlQuery m_deleteEmptyZero;
    QSqlQuery m_insert;
    QSqlQuery m_rowsOfUser;
    QSqlQuery m_savepoint;
    QSqlQuery m_rollbackToSavepoint;
    QSqlQuery m_releaseSavepoint;
    bool m_hasRelease = false;
    bool m_batch = false;
};

// A whole number from a text the terminal or a list cell holds ("007" is 7). Throws a type
// mismatch naming `what` for anything else, before anything is written or sent.
qint64 wholeNumber(const QString& text, const QString& what);
