#include "FileDialog.h"

#include <QFileDialog>

namespace {
OpenFileNameHandler& handler()
{
    static OpenFileNameHandler h;
    return h;
}
}  // namespace

QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                        const QString& filter)
{
    if (handler())
        return handler()(caption, dir, filter);
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

void setOpenFileNameHandler(OpenFileNameHandler h) { handler() = std::move(h); }
