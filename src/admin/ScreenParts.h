#pragma once
// Pieces the terminal register, users and operation-log screens share.

#include <QString>

class QPushButton;
class QWidget;

// A command button that Enter in a field never clicks (fields move on with Enter).
QPushButton* commandButton(QWidget* parent, const char* name, const QString& text);

// The terminal picker: every registered terminal by DeviceID. Afterwards TagValue1 holds
// the chosen DeviceID and TagValue2 its description (both empty after a cancel).
void ShowTerminalPicker();
