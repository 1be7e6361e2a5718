#pragma once
// Where the program finds its configuration and keeps its files.

#include <QString>

class MySysPath
{
public:
    // Folder of the configuration file "degest.dll": $QUORVANE_SYSTEM_DIR, else
    // /etc/quorvane; no trailing separator.
    QString GetSysPath() const;
    // The temporary-files folder, without a trailing separator.
    QString GetTmpPath() const;
};

// The program's own folder (scheduler log, default script folder): $QUORVANE_HOME when
// set, else the folder of the executable.
QString ProgramFolder();
