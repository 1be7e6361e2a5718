#include "admin/AdminScreens.h"
#include "records/RecordsScreens.h"
#include "shell/Startup.h"
#include "terminals/frm2.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Qt ends the program with an abort when its platform finds no display; this tells first,
// in one line. Only the platforms that need a display server are checked ("xcb",
// "wayland", or none named, which picks one of them); "-platform" on the command line
// (offscreen, vnc, ...) is Qt's to judge.
bool displayMissing(int argc, char* argv[])
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return false;
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const QString platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platforms.trimmed().isEmpty())
        return !x11 && !wayland;
    // A list ("wayland;xcb") is tried in order: one that can start is enough.
    for (const QString& entry : platforms.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        const bool needsX11 = name == QLatin1String("xcb");
        const bool needsWayland = name.startsWith(QLatin1String("wayland"));
        if ((!needsX11 || x11) && (!needsWayland || wayland))
            return false;
    }
    return true;
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return false;
#endif
}

// A display that is named but cannot be opened (no server behind DISPLAY, a refused
// login) is only found by Qt itself, which logs a few lines and then aborts. While the
// application object is made, Qt's messages are held back: a fatal one ends the program
// with one line of its own and status 1, and when the display opens they are passed on.
struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QString text;
};
QList<HeldMessage> heldMessages;

void holdStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        // Qt's first warning names the cause ("could not connect to display :1").
        QString cause = text;
        for (const HeldMessage& m : heldMessages)
            if (m.type == QtWarningMsg || m.type == QtCriticalMsg) {
                cause = m.text;
                break;
            }
        std::fprintf(stderr,
                     "quorvane: the display could not be opened (%s); start it in a desktop "
                     "session, or with QT_QPA_PLATFORM=offscreen\n",
                     qPrintable(cause.section(QLatin1Char('\n'), 0, 0).trimmed()));
        std::_Exit(1);
    }
    heldMessages.append({type, QByteArray(context.category ? context.category : ""), text});
}

void passHeldMessagesOn(QtMessageHandler handler)
{
    for (const HeldMessage& m : heldMessages) {
        const QMessageLogContext context(nullptr, 0, nullptr, m.category.constData());
        handler(m.type, context, m.text);
    }
    heldMessages.clear();
}

} // namespace

int main(int argc, char* argv[])
{
    if (displayMissing(argc, argv)) {
        std::fprintf(stderr, "quorvane: no display to show the window on (DISPLAY and "
                             "WAYLAND_DISPLAY are not set); start it in a desktop session, or "
                             "with QT_QPA_PLATFORM=offscreen\n");
        return 1;
    }
    const QtMessageHandler qtHandler = qInstallMessageHandler(holdStartMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtHandler);
    if (qtHandler)
        passHeldMessagesOn(qtHandler);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationVersion(QStringLiteral("2.0"));

    std::unique_ptr<frm2> window;
    const bool started = Main([&] {
        window = std::make_unique<frm2>();
        registerAdminScreens(*window);
        registerRecordsScreens(*window);
        window->Form_Load();
        window->show();
    });
    if (!started)
        return 0;
    return app.exec();
}
