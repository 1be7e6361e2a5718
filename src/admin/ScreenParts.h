#pragma once
// Pieces the terminal register, users and operation-log screens share.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// The terminal picker: every registered terminal by DeviceID. Afterwards TagValue1 holds
// the chosen DeviceID and TagValue2 its description (both empty after a cancel).
void ShowTerminalPicker();

// A field that refuses to let the focus go cancels the focus change: the press on a list
// that took the focus then does nothing (no row shown). The screen reports each refusal
// with refused(the widget the focus was going to, the focus-out's reason). Only the press
// that moved the focus is stopped: a refusal by key, or one whose press lands elsewhere,
// leaves nothing behind for a later press.
class FocusRefusal : public QObject
{
public:
    using QObject::QObject;
    // Stops refused presses on `view` and its children (its rows, its header).
    void watch(QWidget* view) { m_watched.append(view); }
    void refused(QWidget* next, Qt::FocusReason reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QWidget*> m_watched;
    QPointer<QWidget> m_refusedFor;
};
