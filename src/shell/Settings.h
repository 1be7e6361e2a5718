#pragma once
// The one way into the settings store. Every key, its section and its default stand in
// one table (Settings.cpp); no screen touches QSettings itself.
//
// Two stores, as the program has always kept them: the "ZEMLIKA" application (section
// "Auto Start") shared with the personnel application, and the store named after the
// program's file, which holds the script folder and this build's own settings.

#include <QString>
#include <QVariant>

class Settings
{
public:
    enum Key {
        AutoStart,   // "Auto Start": 0 off, 1 on, other numbers leave the autostart entry alone
        Validate,    // read into frm2's ValidateSetting
        Signinout,   // read into SignInOutSetting
        UrlName,     // written at every start: the error-report endpoint
        ScriptFolder,          // FPATH/FKEY: folder of the SQL scripts
        ReportEndpoint,        // where error reports go
        InternetCheckPage,     // page fetched to see whether the internet is reachable
        InternetCheckMarker,   // word that page reliably contains
        HttpTimeoutMs,         // limit of one fetch
        SdkConnectTimeoutMs,   // limit of opening a terminal link
        SdkOperationTimeoutMs, // limit of one terminal operation
    };

    static QVariant value(Key key);
    static QString text(Key key) { return value(key).toString(); }
    static int number(Key key) { return value(key).toInt(); }
    static bool contains(Key key);
    static void setValue(Key key, const QVariant& value);

    // Device behind "COM n" (setting SerialPorts/COMn, default /dev/ttyS<n-1>).
    static QString serialDevice(int com);
    static void setSerialDevice(int com, const QString& device);

    // Makes the next reads see changes written behind the program's back (tests).
    static void sync();
};
