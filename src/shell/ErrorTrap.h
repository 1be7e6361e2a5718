#pragma once
// The error trap of an event procedure: the layers below throw, the procedure catches at
// its boundary and reports through the error dialog, then ends; the program carries on.
//
//     void frm2::MnuViewLogs_Click()
//     {
//         trapErrors(objectName(), "MnuViewLogs_Click()", [&] { ... });
//     }

#include <QString>

#include <functional>

struct TrappedError
{
    QString number;
    QString description;
};

// Records where the error happened and shows FrmError modally; returns when it closes.
void ShowErrorForm(const QString& formName, const QString& procName,
                   const TrappedError& error = {});

// Tests replace the dialog; an empty handler restores it.
using ErrorFormHandler = std::function<void(const QString& formName, const QString& procName,
                                            const TrappedError& error)>;
void setErrorFormHandler(ErrorFormHandler handler);

// The error currently being handled, as the dialog shows it.
TrappedError currentError();

// Runs body; an exception ends it and is reported under formName/procName.
// Returns false when the body was ended by an error.
bool trapErrors(const QString& formName, const QString& procName,
                const std::function<void()>& body);
