#include "FileDialog.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>

namespace {
OpenFileNameHandler& handler()
{
    static OpenFileNameHandler h;
    return h;
}

// Names and pictures files by their names only. Qt's own provider reads a file's first
// bytes to tell its type, and so opens and closes the database file when the dialog lists
// the folder that holds it (where USB import starts). Closing any handle on a file drops
// every lock this process holds on it, so another program could then take the database
// over from under the open connections.
class NameOnlyIconProvider final : public QFileIconProvider
{
public:
    QIcon icon(const QFileInfo& info) const override
    {
        return QFileIconProvider::icon(info.isDir() ? Folder : File);
    }
    QString type(const QFileInfo& info) const override
    {
        if (info.isDir())
            return QStringLiteral("Folder");
        const QString suffix = info.suffix();
        return suffix.isEmpty() ? QStringLiteral("File")
                                : suffix.toUpper() + QStringLiteral(" File");
    }
};
}  // namespace

QString GetOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                        const QString& filter)
{
    if (handler())
        return handler()(caption, dir, filter);
    NameOnlyIconProvider icons;  // outlives the dialog, which uses it
    QFileDialog dialog(parent, caption, dir, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setIconProvider(&icons);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void setOpenFileNameHandler(OpenFileNameHandler h) { handler() = std::move(h); }
