#pragma once
// The template upload: templates of the template store back to a terminal.

#include "TemplateStore.h"

#include <QList>
#include <QString>

class Db;
class TerminalSdk;

// One employee with what the store holds for the chosen terminal.
struct EmployeeTemplates
{
    qint64 empId = 0;
    QString name;        // first, middle and last name joined by single blanks
    QString backupIndex; // the stored fingers, joined by ","
    QString previews;    // each stored template's first six characters and "...", joined
};

class TemplateUpload
{
public:
    enum class Outcome {
        Sent,     // every stored row of the user was written
        Refused,  // the terminal refused a write; the link is up
        LinkLost, // the link broke: the upload ends
    };

    // Every employee, by number, with the fingers and previews stored for `deviceId`.
    static QList<EmployeeTemplates> listEmployees(Db& db, qint64 deviceId);

    // Writes go to the terminal linked to `sdk`, machine number `deviceId`.
    TemplateUpload(Db& db, TerminalSdk& sdk, long deviceId);

    // Writes every stored row of the user, of every terminal, by finger; this terminal's
    // own rows last, so they win a finger stored twice. A user without fingerprints sends
    // its empty finger-0 template, which changes nothing on the terminal.
    Outcome upload(qint64 userNo);

private:
    TemplateStore m_store;
    TerminalSdk& m_sdk;
    long m_device;
};
