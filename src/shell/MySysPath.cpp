#include "MySysPath.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString withoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\'))))
        path.chop(1);
    return path;
}
}  // namespace

QString MySysPath::GetSysPath() const
{
    const QString dir = qEnvironmentVariable("QUORVANE_SYSTEM_DIR");
    return withoutTrailingSeparator(dir.isEmpty() ? QStringLiteral("/etc/quorvane") : dir);
}

QString MySysPath::GetTmpPath() const { return withoutTrailingSeparator(QDir::tempPath()); }

QString ProgramFolder()
{
    const QString home = qEnvironmentVariable("QUORVANE_HOME");
    return withoutTrailingSeparator(home.isEmpty() ? QCoreApplication::applicationDirPath()
                                                   : home);
}
