#pragma once
// The module variables every screen shares for the whole run, kept in one object.

#include "Db.h"
#include "ErrorTrap.h"
#include "Recordset.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

struct SharedState
{
    // Start-up and connection
    Db Cnxn;              // opened by Main, never closed
    QString CnxnString;   // last built by GetConnectionString
    Recordset Rs;         // scratch recordset: close before refilling
    QString StrSQL;       // scratch SQL text handed to the list picker
    QString ReportURL;    // error-report endpoint
    bool SignInOutSetting = false;
    QStringList ProcessModes;  // index 1 to 4 (index 0 unused)
    QColor FocusColour = QColor(189, 211, 243);

    // Error reporting
    QString ErrFormName;
    QString ErrProcName;
    TrappedError LastError;
    QString ReportCompName;
    QString ReportPhone;
    QString ReportAddress;

    // Files
    QString LastTextFilePath;

    // List picker: inputs and results
    QStringList TagColCaptions;
    QList<int> TagColWidths;  // twips
    QString TagValue1;
    QString TagValue2;
    int TagIndex = 0;
    QString TagList;
    QString TagRawList;
    QString TagListSQL;
    QString TagSearchField;
};

SharedState& shared();
// Back to a fresh state (tests).
void resetShared();
