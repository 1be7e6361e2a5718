#pragma once
// The names of a terminal's users for the log view, read once instead of once per punch.

#include <QHash>
#include <QString>

class TerminalSdk;

class TerminalUserNames
{
public:
    // Reads every user of the terminal in one bulk read. When the terminal refuses the bulk
    // read, names are asked one user number at a time and remembered.
    TerminalUserNames(TerminalSdk& sdk, long machineId);

    // The terminal's name for a user number text ("7", "007"); empty for a user the
    // terminal does not know.
    QString name(const QString& userNo);

    // The user number as the terminal's user records spell it: the number without leading
    // zeros, or the text itself when it is no number.
    static QString key(const QString& userNo);

private:
    TerminalSdk& m_sdk;
    long m_machineId;
    bool m_complete = false;  // the bulk read gave every user
    QHash<QString, QString> m_names;
};
