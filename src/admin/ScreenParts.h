#pragma once
// Pieces the terminal register, users and operation-log screens share.

#include <QObject>
#include <QString>

class QWidget;

// The terminal picker: every registered terminal by DeviceID. Afterwards TagValue1 holds
// the chosen DeviceID and TagValue2 its description (both empty after a cancel).
void ShowTerminalPicker();

// A field that refuses to let the focus go cancels the focus change: the press on a list
// that took the focus then does nothing (no row shown). The screen reports each refusal
// with refusedFor(the widget the focus was going to).
class FocusRefusal : public QObject
{
public:
    using QObject::QObject;
    // Watches presses on `widget`; for an item view, pass its viewport.
    void watch(QWidget* widget);
    void refusedFor(QWidget* next) { m_refusedFor = next; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_refusedFor = nullptr;
};
