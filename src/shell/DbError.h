#pragma once
// An error of the database or of a terminal operation, carrying the driver's number and
// text so that the error dialog can show them.

#include <QString>

#include <stdexcept>

class DbError : public std::runtime_error
{
public:
    // The provider's number for "the server cannot be reached" (0x80004005); start-up
    // answers it with its own message instead of the error dialog.
    static constexpr long ServerNotFound = -2147467259L;

    DbError(long number, const QString& text)
        : std::runtime_error(text.toStdString()), m_number(number), m_text(text)
    {}

    long number() const { return m_number; }
    QString text() const { return m_text; }

private:
    long m_number;
    QString m_text;
};
