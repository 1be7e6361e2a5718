#include "Settings.h"

#include <QSettings>

#include <array>
#include <memory>

namespace {
enum class Store { Zemlika, Program };

struct Entry
{
    Settings::Key key;
    Store store;
    const char* path;  // "section/name"
    QVariant fallback;
};

const std::array<Entry, 11>& table()
{
    static const std::array<Entry, 11> entries = {{
        {Settings::AutoStart, Store::Zemlika, "Auto Start/Auto Start", QStringLiteral("0")},
        {Settings::Validate, Store::Zemlika, "Auto Start/Validate", QStringLiteral("0")},
        {Settings::Signinout, Store::Zemlika, "Auto Start/Signinout", QStringLiteral("0")},
        {Settings::UrlName, Store::Zemlika, "Auto Start/URLNAME", QString()},
        {Settings::ScriptFolder, Store::Program, "FPATH/FKEY", QString()},
        {Settings::ReportEndpoint, Store::Program, "ErrorReport/Endpoint",
         QStringLiteral("http://errorreport.quorvane.invalid/report")},
        {Settings::InternetCheckPage, Store::Program, "ErrorReport/CheckPage",
         QStringLiteral("http://www.debian.org/")},
        {Settings::InternetCheckMarker, Store::Program, "ErrorReport/CheckMarker",
         QStringLiteral("debian")},
        {Settings::HttpTimeoutMs, Store::Program, "ErrorReport/TimeoutMs", 10000},
        {Settings::SdkConnectTimeoutMs, Store::Program, "Sdk/ConnectTimeoutMs", 3000},
        {Settings::SdkOperationTimeoutMs, Store::Program, "Sdk/OperationTimeoutMs", 10000},
    }};
    return entries;
}

const Entry& entry(Settings::Key key)
{
    for (const Entry& e : table())
        if (e.key == key)
            return e;
    Q_UNREACHABLE();
}

// INI files under the user's configuration folder on every platform, so that tests can
// point XDG_CONFIG_HOME at a temporary folder.
std::unique_ptr<QSettings> store(Store which)
{
    return std::make_unique<QSettings>(
        QSettings::IniFormat, QSettings::UserScope, QStringLiteral("ZEMLIKA"),
        which == Store::Zemlika ? QStringLiteral("ZEMLIKA") : QStringLiteral("quorvane"));
}
}  // namespace

QVariant Settings::value(Key key)
{
    const Entry& e = entry(key);
    return store(e.store)->value(QLatin1String(e.path), e.fallback);
}

bool Settings::contains(Key key)
{
    const Entry& e = entry(key);
    return store(e.store)->contains(QLatin1String(e.path));
}

void Settings::setValue(Key key, const QVariant& value)
{
    const Entry& e = entry(key);
    auto s = store(e.store);
    s->setValue(QLatin1String(e.path), value);
    s->sync();
}

QString Settings::serialDevice(int com)
{
    return store(Store::Program)
        ->value(QStringLiteral("SerialPorts/COM%1").arg(com),
               QStringLiteral("/dev/ttyS%1").arg(com - 1))
        .toString();
}

void Settings::setSerialDevice(int com, const QString& device)
{
    auto s = store(Store::Program);
    s->setValue(QStringLiteral("SerialPorts/COM%1").arg(com), device);
    s->sync();
}

void Settings::sync()
{
    store(Store::Zemlika)->sync();
    store(Store::Program)->sync();
}
