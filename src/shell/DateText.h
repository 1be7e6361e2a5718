#pragma once
// Dates as the operator's locale writes them: the texts screens show and the SQL scripts
// carry. Nothing is looked up in SQL by this form (task dates were once stored in it; the
// scheduler pass still finds those).

#include <QDate>
#include <QString>

// The locale's short date (the default locale, which is the system's unless set) ("12/6/26", "06.12.26", "6 Dec 2026").
QString shortDateText(const QDate& date);
// Reads shortDateText back; two-digit years fall in 2000-2099 unless that lies more than
// 50 years ahead of today.
QDate dateFromShortText(const QString& text);
// The locale's short date with every year written in four digits and every digit in ASCII,
// in the locale's order of day, month and year ("3/5/2026", "05.03.2026", "5/3/2026" where
// Arabic digits and direction marks would stand): text that keeps its century and that a
// program in another locale still reads.
QString fullYearDateText(const QDate& date);
// The locale's date separator ("/" where the short date has none of its own).
QString dateSeparator();
