#pragma once
// Opens a document with the desktop's program for it (the shell's "open" verb). Tests
// install a handler instead, so nothing is launched.

#include <QString>

#include <functional>

// True when the desktop accepted the document (or the handler says so).
bool OpenDocument(const QString& path);

// Replaces the desktop (tests); an empty handler restores it.
void setOpenDocumentHandler(std::function<bool(const QString& path)> handler);
