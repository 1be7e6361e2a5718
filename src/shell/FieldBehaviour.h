#pragma once
// How data-entry fields behave on every screen: the focused field takes FocusColour (and
// most select their whole text), a field without focus is white, Enter moves to the next
// field, and F1 opens the field's list picker where it has one.

#include <QString>

#include <functional>

class QDateTimeEdit;
class QPushButton;
class QWidget;

// Installs the behaviour on one field. onF1, when given, runs on F1.
void installFieldBehaviour(QWidget* field, bool selectAll = true,
                           std::function<void()> onF1 = {});

// A date or time field takes a date or time typed whole, separators included
// ("03/05/2026"), whichever section the typing starts in, and a 12-hour field takes a 24-hour
// hour ("14:30" is 2:30 PM); installFieldBehaviour does this for the date and time fields it
// is given.
void installDateTyping(QDateTimeEdit* field);

// Enter moves to the next field; nothing else changes (fields that keep their colours).
void installEnterToTab(QWidget* field);

// Moves the focus one field on in tab order, from the window's focused field.
void SendTabKey(QWidget* from = nullptr);

// Selects the whole text of the form's focused field; anything else is left alone.
void SelectAllText(QWidget* form);

// A command button that Enter in a field never clicks: Enter moves the focus on instead.
QPushButton* makeCommandButton(QWidget* parent, const char* name, const QString& text);
