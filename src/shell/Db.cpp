#include "Db.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlResult>

#include <sqlite3.h>

namespace {
QAtomicInt g_counter;
QAtomicInt g_oneResultSet;

// SQL name of the case folding that SQLite lacks beyond A-Z.
constexpr char FoldFunction[] = "quorvane_fold";

void foldText(sqlite3_context* context, int, sqlite3_value** values)
{
    if (sqlite3_value_type(values[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = static_cast<const char16_t*>(sqlite3_value_text16(values[0]));
    const int bytes = sqlite3_value_bytes16(values[0]);
    const QString folded =
        QString::fromUtf16(text, bytes / int(sizeof(char16_t))).toCaseFolded();
    sqlite3_result_text16(context, folded.utf16(), int(folded.size() * sizeof(char16_t)),
                          SQLITE_TRANSIENT);
}

// Gives the connection the fold function; false when the driver hands out no handle.
bool addFoldFunction(const QSqlDatabase& db)
{
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    auto* connection = *static_cast<sqlite3* const*>(handle.data());
    return connection &&
           sqlite3_create_function_v2(connection, FoldFunction, 1,
                                      SQLITE_UTF16 | SQLITE_DETERMINISTIC, nullptr, foldText,
                                      nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Throws when a statement of the query's SQLite connection other than the query's own has
// been stepped and neither read to its end nor reset: the server would be busy with it.
void refuseSecondResultSet(const QSqlQuery& query)
{
    if (!g_oneResultSet.loadRelaxed() || !query.driver())
        return;
    const QVariant handle = query.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return;
    auto* connection = *static_cast<sqlite3* const*>(handle.data());
    const QVariant own = query.result() ? query.result()->handle() : QVariant();
    sqlite3_stmt* self = qstrcmp(own.typeName(), "sqlite3_stmt*") == 0
                             ? *static_cast<sqlite3_stmt* const*>(own.data())
                             : nullptr;
    for (sqlite3_stmt* s = sqlite3_next_stmt(connection, nullptr); s;
         s = sqlite3_next_stmt(connection, s)) {
        if (s != self && sqlite3_stmt_busy(s))
            throw DbError(-2147217900L,
                          QStringLiteral("Connection is busy with results for another command "
                                         "(%1)")
                              .arg(QString::fromUtf8(sqlite3_sql(s))));
    }
}

QString between(const QString& text, const QString& from, const QString& to)
{
    const int a = text.indexOf(from);
    if (a < 0)
        return {};
    const int start = a + from.size();
    const int b = to.isEmpty() ? text.size() : text.indexOf(to, start);
    return text.mid(start, (b < 0 ? text.size() : b) - start);
}
}  // namespace

ConnectionConfig ConnectionConfig::parse(const QString& s)
{
    ConnectionConfig c;
    c.user = between(s, QStringLiteral("User ID="), QStringLiteral(";Password="));
    // The server line comes last and the database before it, so they are found from the
    // end: a password may hold any character.
    const int ds = s.lastIndexOf(QStringLiteral(";Data Source="));
    const int ic = s.lastIndexOf(QStringLiteral(";Initial Catalog="), ds);
    const int pw = s.indexOf(QStringLiteral(";Password="));
    if (ds >= 0)
        c.server = s.mid(ds + 13);
    if (ic >= 0 && ds >= 0)
        c.database = s.mid(ic + 17, ds - ic - 17);
    if (pw >= 0 && ic >= 0)
        c.password = s.mid(pw + 10, ic - pw - 10);
    return c;
}

Db::Db() : m_name(QStringLiteral("quorvane-db-%1").arg(g_counter.fetchAndAddRelaxed(1))) {}

Db::~Db() { close(); }

QSqlDatabase Db::database() const { return QSqlDatabase::database(m_name, false); }

bool Db::isOpen() const
{
    return QSqlDatabase::contains(m_name) && database().isOpen();
}

void Db::close()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = database();
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_inTransaction = false;
}

void Db::openSqliteFile(const QString& path)
{
    ConnectionConfig c;
    c.server = QStringLiteral("sqlite:") + path;
    open(c);
}

DbError Db::errorOf(const QSqlError& error)
{
    bool ok = false;
    long number = error.nativeErrorCode().toLong(&ok);
    const QString text = error.text().trimmed();
    // No answer from the server at all: ODBC's connection and timeout states, and FreeTDS's
    // own numbers for "server unavailable" (20009) and "connect timed out" (20003).
    const QString code = error.nativeErrorCode();
    static const QStringList unreachable = {QStringLiteral("20009"), QStringLiteral("20003"),
                                            QStringLiteral("HYT00")};
    for (const QString& part : code.split(QLatin1Char(';'))) {
        const QString c = part.trimmed();
        if (c.startsWith(QLatin1String("08")) || unreachable.contains(c))
            return DbError(DbError::ServerNotFound, text);
    }
    if (!ok)
        number = -2147217900L;  // the provider's generic "command failed"
    return DbError(number, text.isEmpty() ? QStringLiteral("Database error") : text);
}

DbError Db::loginErrorOf(const QSqlError& error)
{
    // A server that takes the connection and never answers ends in FreeTDS's login
    // timeout, reported with no server error number (0) as "Timeout expired". A refused
    // login always carries the server's own number.
    const QString code = error.nativeErrorCode().trimmed();
    if ((code.isEmpty() || code == QLatin1String("0")) &&
        error.text().contains(QLatin1String("Timeout expired"), Qt::CaseInsensitive))
        return DbError(DbError::ServerNotFound, error.text().trimmed());
    return errorOf(error);
}

QString Db::likeIgnoringCase(const QString& column) const
{
    if (m_dialect.kind() == Dialect::Sqlite)
        return QStringLiteral("%1(%2) Like %1(?) ESCAPE '\\'")
            .arg(QLatin1String(FoldFunction), column);
    return column + QStringLiteral(" Like ? ESCAPE '\\'");
}

void Db::open(const ConnectionConfig& config)
{
    close();
    m_config = config;
    if (config.isSqlite()) {
        const QString path = config.server.mid(7);
        // The program creates no tables, so a missing file is a missing server, not a
        // new empty database.
        if (!QFileInfo::exists(path))
            throw DbError(DbError::ServerNotFound,
                          QStringLiteral("Database file not found: %1").arg(path));
        m_dialect = Dialect(Dialect::Sqlite);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            const DbError e = errorOf(db.lastError());
            db = QSqlDatabase();
            close();
            throw e;
        }
        // SQLite opens any file and only the first read finds that it is no database;
        // read now, so that such a file is refused here and not at every later query.
        QSqlQuery probe(db);
        if (!probe.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
            const DbError driver = errorOf(probe.lastError());
            probe = QSqlQuery();
            db = QSqlDatabase();
            close();
            throw DbError(driver.number(), QStringLiteral("%1 is not a database the program "
                                                          "can open (%2)")
                                               .arg(QDir::toNativeSeparators(path), driver.text()));
        }
        probe = QSqlQuery();
        if (!addFoldFunction(db)) {
            db = QSqlDatabase();
            close();
            throw DbError(-2147217900L, QStringLiteral("The SQLite driver gives no handle to "
                                                       "add text functions to"));
        }
        // WAL for speed, FULL so that a commit is on disk before a terminal is cleared.
        QSqlQuery pragma(db);
        pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        pragma.exec(QStringLiteral("PRAGMA synchronous=FULL"));
        return;
    }
    m_dialect = Dialect(Dialect::SqlServer);
    QString driver = qEnvironmentVariable("QUORVANE_ODBC_DRIVER");
    if (driver.isEmpty())
        driver = QStringLiteral("FreeTDS");
    auto braced = [](QString v) { return QLatin1Char('{') + v.replace(QLatin1Char('}'), QStringLiteral("}}")) + QLatin1Char('}'); };
    QString server = config.server;
    QString port;
    // "host,port" is how SQL Server names a port.
    if (const int comma = server.indexOf(QLatin1Char(',')); comma >= 0) {
        port = server.mid(comma + 1).trimmed();
        server = server.left(comma);
    }
    QString dsn = QStringLiteral("DRIVER=%1;SERVER=%2;DATABASE=%3;UID=%4;PWD=%5;TDS_Version=7.4;")
                      .arg(braced(driver), braced(server), braced(config.database),
                           braced(config.user), braced(config.password));
    if (!port.isEmpty())
        dsn += QStringLiteral("PORT=%1;").arg(port);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
    db.setDatabaseName(dsn);
    // Without a login timeout a FreeTDS login to a silent server waits forever.
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=5;SQL_ATTR_CONNECTION_TIMEOUT=5"));
    if (!db.open()) {
        const DbError e = loginErrorOf(db.lastError());
        db = QSqlDatabase();
        close();
        throw e;
    }
}

QSqlQuery Db::prepare(const QString& sql)
{
    if (!isOpen())
        throw DbError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
    QSqlQuery q(database());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw errorOf(q.lastError());
    return q;
}

void Db::setOneResultSet(bool on) { g_oneResultSet.storeRelaxed(on ? 1 : 0); }

void Db::run(QSqlQuery& query, const QVariantList& params)
{
    refuseSecondResultSet(query);
    for (int i = 0; i < params.size(); ++i)
        query.bindValue(i, params[i]);
    if (!query.exec())
        throw errorOf(query.lastError());
}

QSqlQuery Db::exec(const QString& sql, const QVariantList& params)
{
    QSqlQuery q = prepare(sql);
    run(q, params);
    return q;
}

void Db::execDirect(const QString& sql)
{
    if (!isOpen())
        throw DbError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
    QSqlQuery q(database());
    refuseSecondResultSet(q);
    if (!q.exec(sql))
        throw errorOf(q.lastError());
}

int Db::execute(const QString& sql, const QVariantList& params)
{
    QSqlQuery q = exec(sql, params);
    return q.numRowsAffected();
}

QVariant Db::scalar(const QString& sql, const QVariantList& params)
{
    QSqlQuery q = exec(sql, params);
    return q.next() ? q.value(0) : QVariant();
}

bool Db::exists(const QString& sql, const QVariantList& params)
{
    QSqlQuery q = exec(sql, params);
    return q.next();
}

Recordset Db::select(const QString& sql, const QVariantList& params)
{
    QSqlQuery q = exec(sql, params);
    return Recordset::fromQuery(q);
}

void Db::beginTransaction()
{
    if (!isOpen())
        throw DbError(3704, QStringLiteral("Operation is not allowed when the object is closed."));
    QSqlDatabase db = database();
    if (!db.transaction())
        throw errorOf(db.lastError());
    m_inTransaction = true;
}

void Db::commit()
{
    QSqlDatabase db = database();
    if (!db.commit()) {
        const DbError e = errorOf(db.lastError());
        db.rollback();
        m_inTransaction = false;
        throw e;
    }
    m_inTransaction = false;
}

void Db::rollback()
{
    if (!m_inTransaction)
        return;
    database().rollback();
    m_inTransaction = false;
}

void Db::savepoint(const QString& name) { exec(m_dialect.savepoint(name)); }

void Db::rollbackToSavepoint(const QString& name) { exec(m_dialect.rollbackToSavepoint(name)); }

void Db::releaseSavepoint(const QString& name)
{
    const QString sql = m_dialect.releaseSavepoint(name);
    if (!sql.isEmpty())
        exec(sql);
}

Transaction::~Transaction()
{
    if (!m_done)
        m_db.rollback();
}

void Transaction::commit()
{
    m_done = true;
    m_db.commit();
}
