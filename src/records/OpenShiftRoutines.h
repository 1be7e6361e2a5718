#pragma once
// The open-shift pairing and the punch feed as the main window runs them: the hourglass,
// the status bar, the window's progress window, the busy guard while they yield, and the
// error dialog. No command of the window runs them.

class frm2;

// Hands the window its ExtDataToDBOpenShift, CopyDeviceLogToTempBck and ScanNewDeviceLogs.
void registerOpenShiftRoutines(frm2& window);
