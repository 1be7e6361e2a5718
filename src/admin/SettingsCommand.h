#pragma once
// Tools > Settings: describes the main window's current terminal on the settings screen
// (its register row and firmware, or that it is not linked) and shows the screen modally.
// Registered as the opener of frm2's "MnuSettings_Click".

class frm2;

void runSettingsCommand(frm2& window);
