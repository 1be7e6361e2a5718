#pragma once
// What must hold for any bytes fed to the USB punch-file reader, shared by the fuzz target
// and the seeded test that runs in CI:
// - fed whole or in pieces of any size, it gives the same records, its buffer at full size
//   or so small that the pieces cross it;
// - an accepted record, written back as a canonical line, reads back as itself;
// - line numbers never go down, and the file is refused or it is not, whatever the pieces.

#include <QByteArray>
#include <QString>

// An empty text when everything holds; otherwise what did not. `pieces` chooses where the
// input is cut (any value gives a valid cut).
QString checkUsbPunchFile(const QByteArray& input, quint64 pieces);
