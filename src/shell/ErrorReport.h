#pragma once
// The error report: the internet check before it and the request that carries it.
// No widgets here; the error dialog hands over the texts of its two detail labels.

#include <QString>

// True when the check page can be fetched and contains its marker word (any case).
// Any failure of the fetch counts as "no internet".
bool IsInternetConnected();

// Sends the report made from the two detail labels ("Error No:..." and
// "Error Description :...") and confirms it. Returns false, without a confirmation, when
// the request could not be delivered. The request is ReportURL followed by eleven keys
// in the order the receiving page expects; values are percent-encoded so that blanks,
// quotes, '&', '+' and non-ASCII letters reach the page as they were.
bool SendErrorReport(const QString& errorCodeCaption, const QString& errorDescrCaption);
