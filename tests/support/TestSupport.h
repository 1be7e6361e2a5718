#pragma once
// Fixtures every test area shares: a private environment (no real user folders), a
// temporary SQLite database built from the schema, recorders for message boxes and the
// error dialog, and a helper that answers a modal dialog.

#include "shell/Db.h"
#include "shell/ErrorTrap.h"

#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <functional>
#include <memory>

class QWidget;

// Points XDG_CONFIG_HOME, XDG_RUNTIME_DIR, QUORVANE_SYSTEM_DIR and QUORVANE_HOME at
// folders of one temporary directory, so no test touches the user's settings, autostart
// folder, program folder or /etc.
class TestEnvironment
{
public:
    TestEnvironment();
    ~TestEnvironment();
    QString root() const { return m_dir.path(); }
    QString systemDir() const { return m_dir.path() + QStringLiteral("/system"); }
    QString homeDir() const { return m_dir.path() + QStringLiteral("/home"); }
    QString configDir() const { return m_dir.path() + QStringLiteral("/config"); }
    // Writes degest.dll with the given lines (server, user, password, database).
    void writeConfigurationFile(const QStringList& lines);

private:
    QTemporaryDir m_dir;
};

// Runs every statement of a .sql file (statements end with ';' at the end of a line).
void applySqlFile(Db& db, const QString& path);
QString sourcePath(const QString& relative);

// A fresh SQLite database file made from db/schema.sqlite.sql (plus db/demo.sql when
// asked), opened in `db`; shared().Cnxn can be opened on the same file.
class TempDatabase
{
public:
    explicit TempDatabase(bool withDemo = false);
    QString path() const { return m_path; }
    QString server() const { return QStringLiteral("sqlite:") + m_path; }
    Db& db() { return m_db; }
    // Opens shared().Cnxn on this file.
    void openShared();

private:
    QTemporaryDir m_dir;
    QString m_path;
    Db m_db;
};

// How many rows `table` holds.
int countRows(Db& db, const QString& table);
// Punches of Tbl_DeviceAttenLog without their twin in tbl_attendancelog, and the other
// way round: a half-stored punch shows up here.
int unmatchedPunches(Db& db);

// From the moment `table` holds `rows` rows, each further insert into it fails as on a
// database file that turned read-only, until allowInsertsAgain.
void refuseInsertsFrom(Db& db, const QString& table, int rows);
void allowInsertsAgain(Db& db);

// Records every message box and answers with scripted answers (default: OK / Yes).
class MsgBoxRecorder
{
public:
    MsgBoxRecorder();
    ~MsgBoxRecorder();
    QVector<QPair<QString, int>> shown;
    QStringList titles;  // the title each box was given; empty: the application's
    QVector<int> answers;  // consumed in order; empty gives vbYes for yes/no, else vbOK
    QStringList texts() const;
    void clear()
    {
        shown.clear();
        titles.clear();
    }
};

// Records every call of the error dialog instead of showing it.
class ErrorDialogRecorder
{
public:
    ErrorDialogRecorder();
    ~ErrorDialogRecorder();
    struct Call
    {
        QString form;
        QString proc;
        TrappedError error;
    };
    QVector<Call> calls;
};

// Answers the next modal dialog that opens: calls `act` with it once it is shown.
void answerNextModal(std::function<void(QWidget*)> act);
