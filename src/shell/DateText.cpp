#include "DateText.h"

#include "Clock.h"

#include <QLocale>

QString shortDateText(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

QDate dateFromShortText(const QString& text)
{
    const QLocale locale = QLocale();
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QDate date = locale.toDate(text.trimmed(), format);
    if (date.isValid() && !format.contains(QLatin1String("yyyy"))) {
        // Qt reads "yy" as 19yy.
        date = date.addYears(100);
        if (date.year() > Clock::today().year() + 50)
            date = date.addYears(-100);
    }
    return date;
}

QString dateSeparator()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    for (const QChar c : format)
        if (!c.isLetter() && !c.isSpace())
            return QString(c);
    return QStringLiteral("/");
}
