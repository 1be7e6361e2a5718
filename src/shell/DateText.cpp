#include "DateText.h"

#include "Clock.h"

#include <QLocale>

QString shortDateText(const QDate& date)
{
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString fullYearDateText(const QDate& date)
{
    const QLocale locale = QLocale();
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString wide;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('y')) {
            wide += c;
            continue;
        }
        while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('y'))
            ++i;
        wide += QLatin1String("yyyy");
    }
    QString text;
    // By code point: Chakma and Adlam digits lie beyond U+FFFF, two UTF-16 units each.
    for (const char32_t c : locale.toString(date, wide).toUcs4()) {
        // Direction marks only steer how the text is shown; a reader would take them for
        // part of the date.
        if (QChar::category(c) == QChar::Other_Format)
            continue;
        if (QChar::isDigit(c))
            text += QChar(u'0' + QChar::digitValue(c));
        else
            text += QString::fromUcs4(&c, 1);
    }
    return text;
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
