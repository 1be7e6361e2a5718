#pragma once
// The template download: users of a linked terminal, with their card numbers, passwords
// and fingerprint templates, into the template store.

#include "TemplateStore.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class Db;
class TerminalSdk;

// One user as the terminal lists it.
struct TerminalUser
{
    qint64 number = 0;
    QString name;
    QString password;
    long privilege = 0;
    bool enabled = true;
};

class TemplateDownload
{
public:
    enum class Outcome {
        Stored,   // the user's rows are in the store
        NotFound, // the terminal does not hold the user: nothing written
        LinkLost, // the link broke: nothing of this user written
    };
    struct Result
    {
        Outcome outcome = Outcome::NotFound;
        QString card;
        QString password;
        long privilege = 0;
        QList<int> fingers;   // fingers stored with a template, ascending
        QStringList previews; // their templates' first five characters and "..."
    };

    // Every user the terminal holds, in its order. Throws a type mismatch for a user
    // number that is not a whole number, an overflow for one the store cannot hold; a
    // failed read lists nobody.
    static QList<TerminalUser> listUsers(TerminalSdk& sdk, long machineId);
    // The same, handing each user to `each` as it is read, so the users before a bad
    // number are already handed over when the error is thrown.
    static void listUsers(TerminalSdk& sdk, long machineId,
                          const std::function<void(const TerminalUser&)>& each);

    TemplateDownload(Db& db, TerminalSdk& sdk, long machineId);

    // Called between terminal reads so the window can repaint, at most once in
    // `intervalMs`; whatever the store holds is committed first. Each commit waits for the
    // disk, so ten a second keep the window alive without slowing a large download.
    void setYield(std::function<void()> yield, int intervalMs = 100);

    // Downloads one user. All ten fingers are read once each: a row per finger found
    // (dropping this terminal's empty finger-0 row), else the row of a user without
    // fingerprints; the user's other rows of this terminal take its current record.
    // Excluding fingerprints deletes the user's rows of this terminal and stores that one
    // empty row. A user whose reads failed is stored only once the link is confirmed up. A
    // database error undoes this user alone and is thrown, after the users before it are
    // committed.
    Result download(qint64 userNo, bool excludeFingerprints);

    // Commits what is pending.
    void finish() { m_store.commit(); }

private:
    void pause();
    bool readUser(const QString& userNo, QString& name, Result& result, bool& enabled);

    TemplateStore m_store;
    TerminalSdk& m_sdk;
    long m_machine;
    std::function<void()> m_yield;
    int m_interval = 100;
    QElapsedTimer m_sinceYield;
};
