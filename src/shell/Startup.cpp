#include "Startup.h"

#include "Db.h"
#include "data/CodeTables.h"
#include "DbError.h"
#include "ErrorTrap.h"
#include "MsgBox.h"
#include "MySysPath.h"
#include "Settings.h"
#include "Shared.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>

#include <memory>
#include <stdexcept>

namespace {
std::unique_ptr<QLockFile>& instanceLock()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

// True when no other copy of the program holds the lock.
bool takeInstanceLock()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    auto lock = std::make_unique<QLockFile>(dir + QStringLiteral("/quorvane.lock"));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    instanceLock() = std::move(lock);
    return true;
}

int toNumber(const QString& text, const char* what)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok)
        throw DbError(13, QStringLiteral("Type mismatch (%1)").arg(QLatin1String(what)));
    return n;
}

bool toBoolean(const QString& text, const char* what)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double n = t.toDouble(&ok);
    if (!ok)
        throw DbError(13, QStringLiteral("Type mismatch (%1)").arg(QLatin1String(what)));
    return n != 0;
}
}  // namespace

QString autostartEntryPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/") + AppTitle() + QStringLiteral(".desktop");
}

void SetAutoStart(bool Clear)
{
    const QString path = autostartEntryPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString program = QCoreApplication::applicationFilePath();
    // Exec= takes a quoted path when it holds blanks.
    if (program.contains(QLatin1Char(' ')))
        program = QLatin1Char('"') + program + QLatin1Char('"');
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\n").arg(AppTitle());
    text += Clear ? QStringLiteral("Exec=\nHidden=true\n") : QStringLiteral("Exec=%1\n").arg(program);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(text.toUtf8());
    file.commit();
}

QString GetConnectionString()
{
    const QString path = MySysPath().GetSysPath() + QStringLiteral("/degest.dll");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(53, QStringLiteral("File not found: %1").arg(path));
    const QString all = QString::fromUtf8(file.readAll());
    // Lines are taken whole; only the line ends of a file edited on Windows are dropped.
    QStringList lines = all.split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (all.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    if (lines.size() < 4)
        throw DbError(62, QStringLiteral("Input past end of file: %1").arg(path));
    const QString text = QStringLiteral("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=") +
                         lines[1] + QStringLiteral(";Password=") + lines[2] +
                         QStringLiteral(";Initial Catalog=") + lines[3] +
                         QStringLiteral(";Data Source=") + lines[0];
    shared().CnxnString = text;
    return text;
}

int get_MaxId(const QString& Table, const QString& Field, Db& Connection)
{
    // Names cannot be bound; only the program's own table and column names come here.
    static const QRegularExpression name(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!name.match(Table).hasMatch() || !name.match(Field).hasMatch())
        throw DbError(5, QStringLiteral("Invalid procedure call or argument"));
    QSqlQuery q = Connection.exec(QStringLiteral("select max(%1) from %2").arg(Field, Table));
    qint64 next = 1;
    if (q.next())
        next = (q.value(0).isNull() ? 0 : q.value(0).toLongLong()) + 1;
    if (next > 32767)
        throw DbError(6, QStringLiteral("Overflow"));
    return static_cast<int>(next);
}

void releaseInstanceLock() { instanceLock().reset(); }

bool Main(const std::function<void()>& showMainWindow)
{
    TrappedError error;
    try {
        SharedState& s = shared();
        s.ReportURL = Settings::text(Settings::ReportEndpoint);
        Settings::setValue(Settings::UrlName, s.ReportURL);

        const int autoStart = toNumber(Settings::text(Settings::AutoStart), "Auto Start");
        if (autoStart == 0)
            SetAutoStart(true);
        else if (autoStart == 1)
            SetAutoStart(false);

        s.SignInOutSetting = toBoolean(Settings::text(Settings::Signinout), "Signinout");

        if (!takeInstanceLock()) {
            MsgBox(QStringLiteral("Another Instance is Running"), 64);
            return false;
        }

        s.ProcessModes = QStringList{QString()} + ProcessModes::all();

        s.Cnxn.open(GetConnectionString());
        s.FocusColour = QColor(189, 211, 243);
        showMainWindow();
        return true;
    } catch (const DbError& e) {
        if (e.number() == DbError::ServerNotFound) {
            MsgBox(QStringLiteral("Database Server Couldnot Be Found. Configure MS-SQL Server"),
                   64);
            releaseInstanceLock();
            return false;
        }
        error = {QString::number(e.number()), e.text()};
    } catch (...) {
        error = currentError();
    }
    ShowErrorForm(QStringLiteral("Sub Main"), QStringLiteral("Main()"), error);
    releaseInstanceLock();
    return false;
}
