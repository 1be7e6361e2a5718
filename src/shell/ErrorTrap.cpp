#include "ErrorTrap.h"

#include "DbError.h"
#include "FrmError.h"
#include "Shared.h"

#include <exception>

namespace {
ErrorFormHandler& handler()
{
    static ErrorFormHandler h;
    return h;
}
}  // namespace

void setErrorFormHandler(ErrorFormHandler h) { handler() = std::move(h); }

void ShowErrorForm(const QString& formName, const QString& procName, const TrappedError& error)
{
    shared().ErrFormName = formName;
    shared().ErrProcName = procName;
    shared().LastError = error;
    if (handler()) {
        handler()(formName, procName, error);
        return;
    }
    FrmError dialog;
    dialog.exec();
}

TrappedError currentError()
{
    try {
        throw;
    } catch (const DbError& e) {
        return {QString::number(e.number()), e.text()};
    } catch (const std::exception& e) {
        return {QStringLiteral("0"), QString::fromUtf8(e.what())};
    } catch (...) {
        return {QStringLiteral("0"), QStringLiteral("Unknown error")};
    }
}

bool trapErrors(const QString& formName, const QString& procName,
                const std::function<void()>& body)
{
    TrappedError error;
    try {
        body();
        return true;
    } catch (...) {
        error = currentError();
    }
    ShowErrorForm(formName, procName, error);
    return false;
}
