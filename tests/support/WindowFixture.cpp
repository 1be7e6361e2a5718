#include "WindowFixture.h"

#include "shell/Clock.h"
#include "shell/Shared.h"

#include <QTreeView>

WindowFixture::WindowFixture(bool withDemo) : database(withDemo)
{
    env.writeConfigurationFile(
        {database.server(), QStringLiteral("sa"), QString(), QStringLiteral("quorvane")});
    database.openShared();
}

WindowFixture::~WindowFixture()
{
    Clock::reset();
    window.reset();
    sims.clear();
    resetShared();
}

SimThread& WindowFixture::addTerminal(int id, const QString& description, const SimState& state)
{
    sims.push_back(std::make_unique<SimThread>(state));
    registerTerminal(id, description, 1, QString::number(sims.back()->port()));
    return *sims.back();
}

void WindowFixture::registerTerminal(int id, const QString& description, int conMode,
                                     const QString& port, const QString& com,
                                     const QString& baud)
{
    db().exec(QStringLiteral("insert into Tbl_DeviceMaster (DeviceID, ComNo, DeviceDescription, "
                             "PortNo, IPAddress, BaudRate, ConMode, Log_Mode) "
                             "values (?, ?, ?, ?, '127.0.0.1', ?, ?, 3)"),
              {id, com, description, port, baud, conMode});
}

void WindowFixture::load()
{
    window = std::make_unique<frm2>();
    window->Form_Load();
}

void WindowFixture::select(int index)
{
    window->lvX->setCurrentIndex(window->lvX->model()->index(index - 1, 0));
    window->lvX_Click();
}

bool WindowFixture::connectRow(int index)
{
    select(index);
    window->MnuConnectAction_Click();
    return window->ListItemText(index, 7) == QLatin1String("Connected");
}

const QAbstractItemModel* WindowFixture::list() const { return window->lvX->model(); }

SimUser simUser(const QString& number, const QString& name)
{
    SimUser u;
    u.number = number;
    u.name = name;
    return u;
}
