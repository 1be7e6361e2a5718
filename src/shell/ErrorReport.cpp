#include "ErrorReport.h"

#include "Clock.h"
#include "HttpFetch.h"
#include "MsgBox.h"
#include "Settings.h"
#include "Shared.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QUrl>
#include <QVersionNumber>

namespace {
const QLatin1String ErrorNoPrefix("Error No:");
const QLatin1String ErrorDescrPrefix("Error Description :");

QString afterPrefix(const QString& caption, QLatin1String prefix)
{
    return caption.mid(prefix.size());
}

QString majorMinorVersion()
{
    const QVersionNumber v = QVersionNumber::fromString(QCoreApplication::applicationVersion());
    if (v.isNull())
        return QStringLiteral("2.0");
    return QStringLiteral("%1.%2").arg(v.majorVersion()).arg(v.minorVersion());
}

QUrl ErrorReportUrl(const QString& errorNumber, const QString& errorDescription,
                    const QDateTime& when)
{
    const SharedState& s = shared();
    const QLocale locale = QLocale::system();
    // The receiving page reads the keys in this order.
    const std::pair<const char*, QString> fields[] = {
        {"?CompName=", s.ReportCompName},
        {"&Phone=", s.ReportPhone},
        {"&Address=", s.ReportAddress},
        {"&ErNo=", errorNumber},
        {"&ErDesc=", errorDescription},
        {"&ErDate=", locale.toString(when.date(), QLocale::ShortFormat)},
        {"&ErTime=", locale.toString(when.time(), QLocale::LongFormat)},
        {"&FormName=", s.ErrFormName},
        {"&ProcName=", s.ErrProcName},
        {"&Software=", AppTitle()},
        {"&Version=", majorMinorVersion()},
    };
    QByteArray encoded = QUrl(s.ReportURL).toEncoded();
    for (const auto& [key, value] : fields)
        encoded += QByteArray(key) + QUrl::toPercentEncoding(value);
    return QUrl::fromEncoded(encoded, QUrl::StrictMode);
}
}  // namespace

bool IsInternetConnected()
{
    const QString marker = Settings::text(Settings::InternetCheckMarker);
    HttpFetch::Result page;
    {
        HttpFetch fetch;
        page = fetch.get(QUrl(Settings::text(Settings::InternetCheckPage)));
    }
    QCoreApplication::processEvents();
    return page.answered && !marker.isEmpty() && page.body.contains(marker, Qt::CaseInsensitive);
}

bool SendErrorReport(const QString& errorCodeCaption, const QString& errorDescrCaption)
{
    const QString number = afterPrefix(errorCodeCaption, ErrorNoPrefix);
    QString description = afterPrefix(errorDescrCaption, ErrorDescrPrefix);
    description.remove(QLatin1Char('\''));

    HttpFetch::Result sent;
    {
        HttpFetch fetch;
        sent = fetch.get(ErrorReportUrl(number, description, Clock::now()));
    }
    // Whatever the page answered counts as delivered; a request that reached no server
    // was not, and is not confirmed.
    if (!sent.answered)
        return false;
    MsgBox(QStringLiteral("Your error report has been sent"), 64);
    return true;
}
