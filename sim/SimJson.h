#pragma once
// Writing JSON by hand where a large answer has to be built fast.

#include <QByteArray>
#include <QString>

namespace SimJson {

// Appends `text` as a JSON string (quotes, escapes, UTF-8).
void appendString(QByteArray& out, const QString& text);

}  // namespace SimJson
