#pragma once
// One database connection: the embedded SQLite file or SQL Server through ODBC/FreeTDS,
// chosen by the server line of the configuration file ("sqlite:PATH" opens a file).
// Every value goes in as a bound parameter; errors come out as DbError.

#include "Dialect.h"
#include "DbError.h"
#include "Recordset.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

// The four lines of the configuration file.
struct ConnectionConfig
{
    QString server;
    QString user;
    QString password;
    QString database;

    // Reads back the fields of a connection string built by GetConnectionString.
    static ConnectionConfig parse(const QString& connectionString);
    bool isSqlite() const { return server.startsWith(QLatin1String("sqlite:")); }
};

class Db
{
public:
    Db();
    ~Db();
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;

    // Throws DbError; a server that cannot be reached is DbError::ServerNotFound.
    void open(const ConnectionConfig& config);
    void open(const QString& connectionString) { open(ConnectionConfig::parse(connectionString)); }
    void openSqliteFile(const QString& path);
    bool isOpen() const;
    void close();

    const ConnectionConfig& config() const { return m_config; }
    const Dialect& dialect() const { return m_dialect; }
    // A condition that column holds the text of one bound LIKE pattern (escape '\'),
    // whatever the letter case: SQL Server's collation ignores case for every letter, and
    // on SQLite, whose LIKE does so for A-Z only, both sides are case-folded first.
    QString likeIgnoringCase(const QString& column) const;
    QSqlDatabase database() const;
    // SQL Server through FreeTDS serves one result set at a time on a connection: a
    // statement run while another of the same connection still has rows to read fails
    // there. When on (it is off unless asked for), every SQLite connection of the process
    // refuses the same with a DbError, so that such a walk fails on SQLite as well.
    static void setOneResultSet(bool on);

    // Prepares once; bind and run it as often as needed with run().
    QSqlQuery prepare(const QString& sql);
    static void run(QSqlQuery& query, const QVariantList& params = {});
    // Prepares, binds and runs; forward-only, for loops and single statements.
    QSqlQuery exec(const QString& sql, const QVariantList& params = {});
    // Runs a statement of the program's own text with no values, as it stands (schema
    // scripts: their comments may hold colons that a prepared statement reads as names).
    void execDirect(const QString& sql);
    // Rows affected.
    int execute(const QString& sql, const QVariantList& params = {});
    // First column of the first row, or an invalid QVariant without a row.
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    bool exists(const QString& sql, const QVariantList& params = {});
    Recordset select(const QString& sql, const QVariantList& params = {});

    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }
    void savepoint(const QString& name);
    void rollbackToSavepoint(const QString& name);
    void releaseSavepoint(const QString& name);

    // The DbError that stands for a driver's error.
    static DbError errorOf(const QSqlError& error);
    // The same for a failed login: a server that gave no answer at all is ServerNotFound.
    static DbError loginErrorOf(const QSqlError& error);

private:
    QString m_name;
    ConnectionConfig m_config;
    Dialect m_dialect;
    bool m_inTransaction = false;
};

// Commits on commit(); rolls back when left any other way (an exception, an early return).
class Transaction
{
public:
    explicit Transaction(Db& db) : m_db(db) { m_db.beginTransaction(); }
    ~Transaction();
    void commit();

private:
    Db& m_db;
    bool m_done = false;
};
