#pragma once
// Hands the main window the openers of the attendance-record screens and routines.

class frm2;

void registerRecordsScreens(frm2& window);
