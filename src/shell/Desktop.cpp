#include "Desktop.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
std::function<bool(const QString&)>& handler()
{
    static std::function<bool(const QString&)> h;
    return h;
}
}  // namespace

bool OpenDocument(const QString& path)
{
    if (handler())
        return handler()(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void setOpenDocumentHandler(std::function<bool(const QString& path)> h)
{
    handler() = std::move(h);
}
