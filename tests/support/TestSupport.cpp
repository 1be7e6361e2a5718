#include "TestSupport.h"

#include "shell/MsgBox.h"
#include "shell/Shared.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <QtTest>

TestEnvironment::TestEnvironment()
{
    QDir().mkpath(systemDir());
    QDir().mkpath(homeDir());
    QDir().mkpath(configDir());
    QDir().mkpath(root() + QStringLiteral("/runtime"));
    QFile::setPermissions(root() + QStringLiteral("/runtime"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_CONFIG_HOME", configDir().toUtf8());
    qputenv("XDG_RUNTIME_DIR", (root() + QStringLiteral("/runtime")).toUtf8());
    qputenv("QUORVANE_SYSTEM_DIR", systemDir().toUtf8());
    qputenv("QUORVANE_HOME", homeDir().toUtf8());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configDir());
}

TestEnvironment::~TestEnvironment() = default;

void TestEnvironment::writeConfigurationFile(const QStringList& lines)
{
    QFile file(systemDir() + QStringLiteral("/degest.dll"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

QString sourcePath(const QString& relative)
{
    QString root = qEnvironmentVariable("QUORVANE_SOURCE_DIR");
    if (root.isEmpty())
        root = QStringLiteral(QUORVANE_SOURCE_DIR);
    return root + QLatin1Char('/') + relative;
}

void applySqlFile(Db& db, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    QString statement;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (statement.isEmpty() && (line.isEmpty() || line.startsWith(QLatin1String("--"))))
            continue;
        statement += raw + QLatin1Char('\n');
        if (line.endsWith(QLatin1Char(';'))) {
            db.execDirect(statement);
            statement.clear();
        }
    }
    if (!statement.trimmed().isEmpty())
        db.execDirect(statement);
}

TempDatabase::TempDatabase(bool withDemo)
{
    m_path = m_dir.path() + QStringLiteral("/quorvane.db");
    QFile touch(m_path);
    touch.open(QIODevice::WriteOnly);
    touch.close();
    // As on SQL Server: a statement run while another still has rows to read fails.
    Db::setOneResultSet(true);
    m_db.openSqliteFile(m_path);
    applySqlFile(m_db, sourcePath(QStringLiteral("db/schema.sqlite.sql")));
    if (withDemo)
        applySqlFile(m_db, sourcePath(QStringLiteral("db/demo.sql")));
}

void TempDatabase::openShared() { shared().Cnxn.openSqliteFile(m_path); }

int countRows(Db& db, const QString& table)
{
    return db.scalar(QStringLiteral("select count(*) from ") + table).toInt();
}

int unmatchedPunches(Db& db)
{
    const QString sql =
        QStringLiteral("select count(*) from %1 a where not exists (select 1 from %2 b where "
                       "b.LogDate=a.LogDate and b.LogTime=a.LogTime and b.Emp_ID=a.Emp_ID)");
    const QString device = QStringLiteral("Tbl_DeviceAttenLog");
    const QString log = QStringLiteral("tbl_attendancelog");
    return db.scalar(sql.arg(device, log)).toInt() + db.scalar(sql.arg(log, device)).toInt();
}

void refuseInsertsFrom(Db& db, const QString& table, int rows)
{
    db.execDirect(QStringLiteral("create trigger refuse before insert on %1 "
                                 "when (select count(*) from %1) >= %2 "
                                 "begin select raise(abort, 'attempt to write a readonly "
                                 "database'); end")
                      .arg(table)
                      .arg(rows));
}

void allowInsertsAgain(Db& db)
{
    db.execDirect(QStringLiteral("drop trigger refuse"));
}

MsgBoxRecorder::MsgBoxRecorder()
{
    MsgBox::setHandler([this](const QString& text, int style, const QString& title) {
        shown.append({text, style});
        titles.append(title);
        if (!answers.isEmpty())
            return answers.takeFirst();
        return (style & 0x0F) == 4 ? vbYes : vbOK;
    });
}

MsgBoxRecorder::~MsgBoxRecorder() { MsgBox::setHandler({}); }

QStringList MsgBoxRecorder::texts() const
{
    QStringList list;
    for (const auto& m : shown)
        list << m.first;
    return list;
}

ErrorDialogRecorder::ErrorDialogRecorder()
{
    setErrorFormHandler([this](const QString& form, const QString& proc, const TrappedError& e) {
        calls.append({form, proc, e});
    });
}

ErrorDialogRecorder::~ErrorDialogRecorder() { setErrorFormHandler({}); }

void answerNextModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(modal);
        }
    });
    timer->start();
}
