#include "admin/AdminScreens.h"
#include "records/RecordsScreens.h"
#include "shell/Startup.h"
#include "terminals/frm2.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
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
