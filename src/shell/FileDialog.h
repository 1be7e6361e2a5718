#pragma once
// The file-open dialog the screens browse with. Tests install a handler that answers in
// its place, so no test waits on a real modal dialog.

#include <QString>

#include <functional>

class QWidget;

// The chosen file's path; empty when the operator cancelled.
QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                        const QString& filter);

using OpenFileNameHandler =
    std::function<QString(const QString& caption, const QString& dir, const QString& filter)>;
// Replaces the dialog (tests); an empty handler restores it.
void setOpenFileNameHandler(OpenFileNameHandler handler);
