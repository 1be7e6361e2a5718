#include "frm2.h"

#include "DeviceLink.h"
#include "Extraction.h"
#include "LogListModel.h"
#include "TerminalIcons.h"
#include "TerminalSdk.h"
#include "TerminalUserNames.h"
#include "data/CodeTables.h"
#include "FrmScheduler.h"
#include "MinuteTrigger.h"
#include "frmProgressBar.h"
#include "shell/Clock.h"
#include "shell/DbError.h"
#include "shell/ErrorTrap.h"
#include "shell/MsgBox.h"
#include "shell/Settings.h"
#include "shell/Shared.h"
#include "shell/Startup.h"
#include "shell/Twips.h"
#include "shell/WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace {
const QString kProceed = QStringLiteral("Press F5 key to proceed.");
const char* const kTag = "Tag";
// Where a terminal row keeps its key ("D5") and the key of its small icon.
constexpr int KeyRole = Qt::UserRole + 1;
constexpr int SmallIconRole = Qt::UserRole + 2;
// The listing yields to the event loop and moves the bar once per this many punches.
constexpr int kListingStep = 256;

QStringList deviceCaptions()
{
    return {QStringLiteral("Device ID"), QStringLiteral("Description"),
            QStringLiteral("Com No"),    QStringLiteral("IP Address"),
            QStringLiteral("Port No"),   QStringLiteral("Baud Rate"),
            QStringLiteral("Com Type"),  QStringLiteral("Status")};
}

const QList<int> kDeviceWidths = {900, 1800, 1000, 1300, 800, 1100, 1100, 1350};

QString fieldText(const QSqlQuery& q, const char* name)
{
    const QVariant v = q.value(QLatin1String(name));
    return v.isNull() ? QString() : v.toString();
}
} // namespace

frm2::frm2(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frm2"));
    resize(900, 600);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 4, 6, 4);

    Shape1 = new QFrame(central);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::StyledPanel);
    Shape1->setAutoFillBackground(true);
    QPalette band = Shape1->palette();
    band.setColor(QPalette::Window, QColor(189, 211, 243));
    Shape1->setPalette(band);
    auto* bandLayout = new QHBoxLayout(Shape1);
    bandLayout->setContentsMargins(6, 2, 6, 2);
    Image1 = new QLabel(Shape1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(32, 32);
    LblDescriptions = new QLabel(Shape1);
    LblDescriptions->setObjectName(QStringLiteral("LblDescriptions"));
    QFont title = LblDescriptions->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.3);
    LblDescriptions->setFont(title);
    bandLayout->addWidget(Image1);
    bandLayout->addWidget(LblDescriptions, 1);
    layout->addWidget(Shape1);

    lvX = new QTreeView(central);
    lvX->setObjectName(QStringLiteral("lvX"));
    lvX->setRootIsDecorated(false);
    lvX->setUniformRowHeights(true);
    lvX->setAllColumnsShowFocus(true);
    lvX->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvX->setSelectionMode(QAbstractItemView::SingleSelection);
    // Row texts are never edited.
    lvX->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvX->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(lvX, 1);
    setCentralWidget(central);

    m_devices = new QStandardItemModel(this);
    // Panel 3 follows the current terminal's status, whoever changes it: Disconnect, a
    // screen that disconnects before a restart, a refill of the list.
    connect(m_devices, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                if (from.column() <= 7 && to.column() >= 7)
                    showCurrentStatus(from.row() + 1, to.row() + 1);
            });
    connect(m_devices, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                showCurrentStatus(first + 1, last + 1);
            });
    m_log = new LogListModel(this);
    m_message = new QStandardItemModel(this);

    // Used by no command; it has its columns and nothing else.
    ListView1 = new QTreeWidget(central);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->hide();

    txtTime = new QLineEdit(central);
    txtTime->setObjectName(QStringLiteral("txtTime"));
    txtTime->hide();
    connect(txtTime, &QLineEdit::textChanged, this, [this] { txtTime_Change(); });
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, &frm2::Timer2_Timer);

    buildMenus();
    buildToolbar();
    buildStatusBar();

    connect(lvX, &QTreeView::clicked, this, [this] { dispatch(&frm2::lvX_Click); });
    connect(lvX, &QTreeView::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (!m_busy)
            MnuActions->popup(lvX->viewport()->mapToGlobal(pos));
    });

    auto* element0 = new TerminalSdk(this);
    element0->setObjectName(QStringLiteral("TermCtl1_0"));
    TermCtl1.append(element0);
    showDeviceModel();
}

frm2::~frm2() = default;

// ---------------------------------------------------------------------------------------
// Building the window

QAction* frm2::addItem(QMenu* menu, const char* name, const QString& caption,
                       void (frm2::*command)(), const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (command)
        connect(action, &QAction::triggered, this, [this, command] { dispatch(command); });
    return action;
}

void frm2::buildMenus()
{
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("MnuFile"));
    addItem(file, "MnuExit", QStringLiteral("Exit"), &frm2::MnuExit_Click);

    QMenu* device = bar->addMenu(QStringLiteral("Device"));
    device->setObjectName(QStringLiteral("MnuDevice"));
    addItem(device, "MnuDeviceMaster", QStringLiteral("Device Master"),
            &frm2::MnuDeviceMaster_Click);
    addItem(device, "MnuRestartDevice", QStringLiteral("Restart Device"),
            &frm2::MnuRestartDevice_Click);
    device->addSeparator();
    addItem(device, "MnuDeviceList", QStringLiteral("Device List"), &frm2::MnuDeviceList_Click,
            QKeySequence(Qt::Key_F5));
    device->addSeparator()->setVisible(false);
    QMenu* templates = device->addMenu(QStringLiteral("FP Templates"));
    templates->setObjectName(QStringLiteral("MnuFpTemplatesMenu"));
    templates->menuAction()->setObjectName(QStringLiteral("MnuFpTemplates"));
    templates->menuAction()->setVisible(false);
    addItem(templates, "mnuDownload", QStringLiteral("Download"));
    addItem(templates, "mnuUpload", QStringLiteral("Upload"), &frm2::mnuUpload_Click);
    device->addSeparator();
    addItem(device, "MnuUSBLogImport", QStringLiteral("USB Log Data Import"),
            &frm2::MnuUSBLogImport_Click);

    MnuActions = bar->addMenu(QStringLiteral("Actions"));
    MnuActions->setObjectName(QStringLiteral("MnuActions"));
    addItem(MnuActions, "MnuConnectAction", QStringLiteral("Connect"),
            &frm2::MnuConnectAction_Click, QKeySequence(Qt::Key_F3));
    addItem(MnuActions, "MnuDisConnect", QStringLiteral("Disconnect"), &frm2::MnuDisConnect_Click,
            QKeySequence(Qt::SHIFT | Qt::Key_F3));
    MnuActions->addSeparator();
    addItem(MnuActions, "mnuViewDeviceUsers", QStringLiteral("View Device Users"),
            &frm2::mnuViewDeviceUsers_Click);
    MnuActions->addSeparator();
    addItem(MnuActions, "mnuDownloadUserInfo", QStringLiteral("Download User Info"),
            &frm2::mnuDownloadUserInfo_Click, QKeySequence(Qt::CTRL | Qt::Key_D));
    addItem(MnuActions, "mnuUploadUserInfo", QStringLiteral("Upload User Info"),
            &frm2::mnuUploadUserInfo_Click, QKeySequence(Qt::CTRL | Qt::Key_U));
    MnuActions->addSeparator();
    addItem(MnuActions, "MnuDeleteTemplate", QStringLiteral("Delete Templates"),
            &frm2::MnuDeleteTemplate_Click);
    addItem(MnuActions, "MnuSetGetDevice", QStringLiteral("Set / Get Device"))->setVisible(false);
    MnuActions->addSeparator();
    addItem(MnuActions, "MnuViewLogs", QStringLiteral("View Logs"), &frm2::MnuViewLogs_Click,
            QKeySequence(Qt::CTRL | Qt::Key_L));
    addItem(MnuActions, "mnuRepairData", QStringLiteral("Repair Data"), &frm2::mnuRepairData_Click);
    addItem(MnuActions, "MnuExtractData", QStringLiteral("Extract Data"),
            &frm2::MnuExtractData_Click, QKeySequence(Qt::CTRL | Qt::Key_E));
    addItem(MnuActions, "mnudeleteattendancedata", QStringLiteral("Clear Device Log"),
            &frm2::mnudeleteattendancedata_Click);
    MnuActions->addSeparator()->setVisible(false);
    addItem(MnuActions, "MnuBackUpdata", QStringLiteral("BackUp Data"))->setVisible(false);

    QMenu* tools = bar->addMenu(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("MnuTools"));
    addItem(tools, "MnuSettings", QStringLiteral("Settings"), &frm2::MnuSettings_Click);
    addItem(tools, "MnuScheduler", QStringLiteral("Scheduler"), &frm2::MnuScheduler_Click);
    tools->addSeparator();
    addItem(tools, "MnuLogHistory", QStringLiteral("Log History"), &frm2::MnuLogHistory_Click);
}

void frm2::buildToolbar()
{
    Toolbar1 = addToolBar(QStringLiteral("Toolbar1"));
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Toolbar1->setMovable(false);
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);

    auto button = [this](const QString& key, const QString& text, const QString& icon) {
        QAction* action = Toolbar1->addAction(TerminalIcons::icon(icon), text);
        action->setObjectName(QStringLiteral("Toolbar1_") + key);
        action->setData(key);
        connect(action, &QAction::triggered, this, [this, key] {
            if (!m_busy)
                Toolbar1_ButtonClick(key);
        });
        return action;
    };
    auto dropDown = [this](const QString& key, const QString& text, const QString& icon,
                           const QList<QPair<QString, QString>>& items) {
        auto* menu = new QMenu(this);
        for (const auto& [itemKey, itemText] : items) {
            QAction* item = menu->addAction(itemText);
            item->setObjectName(QStringLiteral("Toolbar1_Menu_") + itemKey);
            item->setData(itemKey);
            connect(item, &QAction::triggered, this, [this, itemKey] {
                if (!m_busy)
                    Toolbar1_ButtonMenuClick(itemKey);
            });
        }
        auto* tool = new QToolButton(Toolbar1);
        tool->setText(text);
        tool->setIcon(TerminalIcons::icon(icon));
        tool->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        tool->setMenu(menu);
        tool->setPopupMode(QToolButton::MenuButtonPopup);
        tool->setObjectName(QStringLiteral("Toolbar1_") +
                            (key.isEmpty() ? QStringLiteral("ViewStyle") : key));
        // The button itself does nothing; only its drop-down items act.
        connect(tool, &QToolButton::clicked, this, [this, key] {
            if (!m_busy)
                Toolbar1_ButtonClick(key);
        });
        Toolbar1->addWidget(tool);
        return menu;
    };

    button(QStringLiteral("DEVICEMASTER"), QStringLiteral("Device Master"),
           QStringLiteral("device2"));
    button(QStringLiteral("CONNECT"), QStringLiteral("Connect"), QStringLiteral("connect"));
    button(QStringLiteral("DISCONNECT"), QStringLiteral("Disconnect"),
           QStringLiteral("Disconnect"));
    button(QStringLiteral("USERS"), QStringLiteral("Device Users"), QStringLiteral("devicelist"));
    button(QStringLiteral("EXTRACT"), QStringLiteral("Extract Data from Device"),
           QStringLiteral("extract"));
    dropDown(QStringLiteral("TEMPLATES"), QStringLiteral("User Templates"),
             QStringLiteral("finger"),
             {{QStringLiteral("D"), QStringLiteral("Download Templates")},
              {QStringLiteral("U"), QStringLiteral("Upload Templates")}});
    dropDown(QString(), QStringLiteral("View Style"), QStringLiteral("log"),
             {{QStringLiteral("L"), QStringLiteral("Large Icons")},
              {QStringLiteral("R"), QStringLiteral("Report View")}});
    button(QStringLiteral("EXIT"), QStringLiteral("Exit from the system."), QStringLiteral("exit"));
}

void frm2::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    const int stretch[3] = {3, 3, 1};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(bar);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        m_panels[i]->setFrameShape(QFrame::StyledPanel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        bar->addPermanentWidget(m_panels[i], stretch[i]);
    }
}

void frm2::SubClassMenuXP()
{
    // Owner-drawn captions "text|#key" become the text with the icon of that key.
    const QList<QPair<const char*, QString>> captions = {
        {"MnuDeviceMaster", QStringLiteral("Attendance Quorvane Ver 2.0|#device2")},
        {"MnuSettings", QStringLiteral("Settings|#settings")},
        {"MnuRestartDevice", QStringLiteral("Restart Device|#restartdevice")},
        {"MnuDeviceList", QStringLiteral("Device List|#devicelist")},
        {"MnuConnectAction", QStringLiteral("Connect|#connect")},
        {"MnuDisConnect", QStringLiteral("Disconnect|#Disconnect")},
        {"MnuViewLogs", QStringLiteral("View Logs|#log")},
        {"MnuExit", QStringLiteral("Exit|#exit")},
        {"MnuExtractData", QStringLiteral("Extract|#extract")},
        {"MnuBackUpdata", QStringLiteral("Backup Data|#backup")},
        {"MnuFpTemplates", QStringLiteral("FP Templates|#finger")},
    };
    for (const auto& [name, caption] : captions) {
        auto* action = findChild<QAction*>(QLatin1String(name));
        if (!action)
            continue;
        const int split = caption.indexOf(QStringLiteral("|#"));
        action->setText(caption.left(split));
        action->setIcon(TerminalIcons::icon(caption.mid(split + 2)));
    }
}

void frm2::dispatch(void (frm2::*command)())
{
    if (m_busy)
        return;
    (this->*command)();
}

// ---------------------------------------------------------------------------------------
// Small helpers over the list and the status bar

void frm2::LoadElement(int index)
{
    while (TermCtl1.size() <= index) {
        auto* sdk = new TerminalSdk(this);
        sdk->setObjectName(QStringLiteral("TermCtl1_%1").arg(TermCtl1.size()));
        TermCtl1.append(sdk);
    }
}

TerminalSdk& frm2::element(int index) const
{
    if (index < 0 || index >= TermCtl1.size())
        throw DbError(340, QStringLiteral("Control array element '%1' doesn't exist").arg(index));
    return *TermCtl1.at(index);
}

long frm2::machineNumber() const
{
    return LinkSettingNumber(MachineID.toString(), "Machine No");
}

QString frm2::ListMode() const
{
    return LblDescriptions->property(kTag).toString();
}

void frm2::setListMode(const QString& mode)
{
    LblDescriptions->setProperty(kTag, mode);
}

QString frm2::lvXTag() const
{
    return lvX->property(kTag).toString();
}

void frm2::setlvXTag(const QString& tag)
{
    lvX->setProperty(kTag, tag);
}

QString frm2::PanelText(int panel) const
{
    return panel >= 1 && panel <= 3 ? m_panels[panel - 1]->text() : QString();
}

void frm2::setPanel(int panel, const QString& text)
{
    m_panels[panel - 1]->setText(text);
}

int frm2::ListItemCount() const
{
    return m_devices->rowCount();
}

QString frm2::ListItemText(int index, int subItem) const
{
    const QStandardItem* item = m_devices->item(index - 1, subItem);
    return item ? item->text() : QString();
}

QString frm2::ListItemKey(int index) const
{
    const QStandardItem* item = m_devices->item(index - 1, 0);
    return item ? item->data(KeyRole).toString() : QString();
}

QString frm2::ListItemSmallIcon(int index) const
{
    const QStandardItem* item = m_devices->item(index - 1, 0);
    return item ? item->data(SmallIconRole).toString() : QString();
}

bool frm2::ListItemChecked(int index) const
{
    const QStandardItem* item = m_devices->item(index - 1, 0);
    return item && item->checkState() == Qt::Checked;
}

void frm2::setSubItem(int index, int subItem, const QString& text)
{
    if (QStandardItem* item = m_devices->item(index - 1, subItem))
        item->setText(text);
}

void frm2::showCurrentStatus(int fromRow, int toRow)
{
    if (SelectedItem >= fromRow && SelectedItem <= toRow && SelectedItem <= ListItemCount())
        setPanel(3, QStringLiteral(" ") + ListItemText(SelectedItem, 7));
}

void frm2::setSmallIcon(int index, const QString& key)
{
    QStandardItem* item = m_devices->item(index - 1, 0);
    if (!item)
        return;
    item->setData(key, SmallIconRole);
    item->setIcon(TerminalIcons::icon(m_viewMode == 0 ? QStringLiteral("device") : key));
}

void frm2::showDeviceModel()
{
    if (lvX->model() == m_devices)
        return;
    QItemSelectionModel* old = lvX->selectionModel();
    lvX->setModel(m_devices);
    delete old;
    // Moving the selection with the keys chooses a terminal as a click does.
    connect(lvX->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (!m_filling && !m_busy)
            lvX_Click();
    });
    applyViewMode();
}

void frm2::applyViewMode()
{
    const bool icons = m_viewMode == 0;
    lvX->setHeaderHidden(icons);
    lvX->setIconSize(icons ? QSize(32, 32) : QSize(16, 16));
    for (int c = 0; c < m_devices->columnCount(); ++c) {
        lvX->setColumnHidden(c, icons && c > 0);
        lvX->setColumnWidth(c, twips(kDeviceWidths.value(c, 1000)));
    }
    if (icons)
        lvX->setColumnWidth(0, lvX->viewport()->width());
    for (int r = 0; r < m_devices->rowCount(); ++r) {
        QStandardItem* item = m_devices->item(r, 0);
        item->setIcon(TerminalIcons::icon(icons ? QStringLiteral("device")
                                                : item->data(SmallIconRole).toString()));
    }
}

void frm2::selectRow(int index)
{
    if (lvX->model() != m_devices || index < 1 || index > m_devices->rowCount())
        return;
    lvX->setCurrentIndex(m_devices->index(index - 1, 0));
}

// ---------------------------------------------------------------------------------------
// Load and unload

void frm2::Form_Load()
{
    trapErrors(objectName(), QStringLiteral("Form_Load()"), [&] {
        setWindowTitle(AppTitle());
        SubClassMenuXP();
        if (!MainConnection.isOpen())
            MainConnection.open(GetConnectionString());
        MnuDeviceList_Click();
        lvX_Click();
        TickSecond = Clock::now().time().second();
        const QString validate = Settings::text(Settings::Validate).trimmed();
        bool numeric = false;
        const double number = validate.toDouble(&numeric);
        ValidateSetting = numeric
                              ? number != 0
                              : validate.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        ListView1->setColumnCount(5);
        ListView1->setHeaderLabels({QStringLiteral("User ID"), QStringLiteral("Device Name"),
                                    QStringLiteral("Verify Mode"), QStringLiteral("In/Out Mode"),
                                    QStringLiteral("DateTime")});
        const int widths[5] = {1000, 3000, 1600, 1600, 1900};
        for (int c = 0; c < 5; ++c)
            ListView1->setColumnWidth(c, twips(widths[c]));
    });
    // The scheduler starts once the terminal list, and so every element, is loaded.
    m_trigger = std::make_unique<MinuteTrigger>(Clock::now());
    Timer2->start();
}

void frm2::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    trapErrors(objectName(), QStringLiteral("Form_Unload()"), [&] {
        if (ListMode() != QLatin1String("L"))
            MnuDisConnect_Click();
    });
}

void frm2::closeEvent(QCloseEvent* event)
{
    // A listing still running would carry on into a window that is gone.
    if (m_busy) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frm2::MnuExit_Click()
{
    if (m_busy)
        return;
    Form_Unload();
    QCoreApplication::quit();
}

void frm2::ShowMainWindow()
{
    setVisible(false);
    show();
}

// ---------------------------------------------------------------------------------------
// The terminal list

void frm2::MnuDeviceList_Click()
{
    if (m_busy)
        return;
    try {
        LoadControl();
        setlvXTag(QStringLiteral("MLIST"));
        ReloadMachineList();
        RelabelDeviceItems(m_viewMode);
        if (m_devices->rowCount() > 0) {
            const int row = lvX->currentIndex().isValid() ? lvX->currentIndex().row() + 1 : 1;
            setPanel(2, QStringLiteral(" Device : ") + ListItemText(row, 1));
        } else {
            setPanel(2, QString());
        }
    } catch (...) {
        // Device List ends quietly on an error.
    }
}

void frm2::LoadControl()
{
    try {
        QSqlQuery q = MainConnection.exec(QStringLiteral("Select Count(*) From Tbl_DeviceMaster"));
        DeviceCount = q.next() ? q.value(0).toInt() : 0;
        LoadElement(DeviceCount);
    } catch (...) {
        // Errors are passed over: the list loads what it can.
    }
}

void frm2::ReloadMachineList()
{
    std::unique_ptr<WaitCursor> hourglass;
    trapErrors(objectName(), QStringLiteral("ReloadMachineList()"), [&] {
        QSqlQuery q =
            shared().Cnxn.exec(QStringLiteral("Select * From Tbl_DeviceMaster Order By DeviceID"));
        LblDescriptions->setText(QStringLiteral("Available Machine(s) in Network"));
        Image1->setPixmap(TerminalIcons::icon(QStringLiteral("device")).pixmap(32, 32));
        setListMode(QStringLiteral("D"));

        m_filling = true;
        const int keep = SelectedItem;
        showDeviceModel();
        m_devices->clear();
        m_devices->setHorizontalHeaderLabels(deviceCaptions());
        hourglass = std::make_unique<WaitCursor>();
        setPanel(1, QStringLiteral("Listing Devices..."));

        int i = 0;
        while (q.next()) {
            ++i;
            LoadElement(i);
            const QString id = fieldText(q, "DeviceID");
            const QVariant conMode = q.value(QStringLiteral("ConMode"));
            const QStringList link = {id,
                                      conMode.toString(),
                                      fieldText(q, "ComNo"),
                                      fieldText(q, "IPAddress"),
                                      fieldText(q, "PortNo"),
                                      fieldText(q, "BaudRate")};
            // An element's link was opened with the settings its row listed then: a row now
            // listing another terminal, or this terminal at another address, drops it.
            releaseMovedLink(i, link.join(QChar(0x1f)));
            QList<QStandardItem*> row;
            row << new QStandardItem(id) << new QStandardItem(fieldText(q, "DeviceDescription"))
                << new QStandardItem(link[2]) << new QStandardItem(link[3])
                << new QStandardItem(link[4]) << new QStandardItem(link[5])
                << new QStandardItem(conMode.isNull() ? QString()
                                                      : ConnectionModes::name(conMode.toInt()));
            const bool up = IsDeviceConnected(*TermCtl1.at(i));
            row << new QStandardItem(up ? QStringLiteral("Connected")
                                        : QStringLiteral("Disconnected"));
            row.first()->setData(QStringLiteral("D") + id, KeyRole);
            row.first()->setCheckState(up ? Qt::Checked : Qt::Unchecked);
            m_devices->appendRow(row);
            setSmallIcon(i, up ? QStringLiteral("connected") : QStringLiteral("notconnected"));
        }
        for (int gone = i + 1; gone < m_elementDevice.size(); ++gone)
            releaseMovedLink(gone, QString());
        applyViewMode();
        // The highlighted row stays on the current terminal's row. When the register lost
        // that terminal or moved it to another row, the current terminal is put back on the
        // row that lists it (or on the first row), so no command goes to a terminal other
        // than the one the list and the status bar show.
        const QString currentKey = QStringLiteral("D") + MachineID.toString();
        int current = keep >= 1 && keep <= i ? keep : 1;
        const bool moved = keep >= 1 && i > 0 &&
                           (keep > i || ListItemKey(keep) != currentKey);
        if (moved) {
            current = 1;
            for (int r = 1; r <= i; ++r)
                if (ListItemKey(r) == currentKey)
                    current = r;
        }
        selectRow(current);
        m_filling = false;
        if (moved)
            lvX_Click();
        hourglass.reset();
        setPanel(1, QString());
    });
    m_filling = false;
}

void frm2::releaseMovedLink(int index, const QString& deviceId)
{
    // Element i serves whatever terminal row i lists. When the register changed under the
    // list, the element must not keep the link of the terminal it served before, or a
    // command on this row would reach that terminal under this row's machine number.
    if (m_elementDevice.size() <= index)
        m_elementDevice.resize(index + 1);
    if (m_elementDevice[index] == deviceId)
        return;
    if (!m_elementDevice[index].isEmpty() && index < TermCtl1.size())
        TermCtl1.at(index)->SdkDisconnect();
    m_elementDevice[index] = deviceId;
}

void frm2::RelabelDeviceItems(long& ViewMode)
{
    if (ListMode() != QLatin1String("D"))
        return;
    for (int r = 1; r <= m_devices->rowCount(); ++r) {
        const QString number = ListItemKey(r).mid(1);
        if (ViewMode == 0)
            setSubItem(r, 0,
                       ListItemText(r, 1) + QStringLiteral(" (") + number + QStringLiteral(")"));
        else if (ViewMode == 3)
            setSubItem(r, 0, number);
    }
}

void frm2::lvX_Click()
{
    if (ListMode() != QLatin1String("D") || m_devices->rowCount() == 0)
        return;
    trapErrors(objectName(), QStringLiteral("lvX_Click()"), [&] {
        setPanel(1, QString());
        const int row = lvX->currentIndex().isValid() ? lvX->currentIndex().row() + 1 : 1;
        if (lvXTag() == QLatin1String("MLIST")) {
            SelectedItem = row;
            setPanel(2, QStringLiteral(" Device : ") + ListItemText(row, 1));
            setPanel(3, QStringLiteral(" ") + ListItemText(row, 7));
        }
        MachineID = ListItemKey(row).mid(1);
    });
}

// ---------------------------------------------------------------------------------------
// Connect and disconnect

void frm2::MnuConnectAction_Click()
{
    if (m_busy)
        return;
    trapErrors(objectName(), QStringLiteral("MnuConnectAction_Click()"), [&] {
        TerminalSdk& previous = element(SelectedItem);
        previous.setSdkPreConnectFlag(1);
        previous.SdkDisconnect();
        if (ListMode() == QLatin1String("L")) {
            MsgBox(kProceed, 48);
            return;
        }
        lvX_Click();
        if (SelectedItem < 1 || SelectedItem > m_devices->rowCount())
            return;
        const int row = SelectedItem;
        TerminalSdk& device = element(row);
        const QString type = ListItemText(row, 6);
        const QString description = ListItemText(row, 1);
        bool network = false;
        bool up = false;
        if (type == QLatin1String("Ethernet")) {
            const QString port = ListItemText(row, 4);
            if (port.trimmed().isEmpty())
                return;
            const long portNo = LinkSettingNumber(port, "Port No");
            network = true;
            setPanel(1, QStringLiteral("Connecting ..."));
            up = device.SdkConnectNetwork(ListItemText(row, 3), portNo);
        } else if (type == QLatin1String("Serial Port")) {
            device.setSdkPreConnectFlag(1);
            const long comNo = LinkSettingNumber(ListItemText(row, 2), "Com No");
            const long machine = LinkSettingNumber(ListItemKey(row).mid(1), "Device ID");
            const long baud = LinkSettingNumber(ListItemText(row, 5), "Baud Rate");
            setPanel(1, QStringLiteral("Connecting ..."));
            up = device.SdkConnectSerial(comNo, machine, baud);
        } else {
            return;
        }
        if (up) {
            setSubItem(row, 7, QStringLiteral("Connected"));
            SaveDeviceUsers(device, machineNumber());
            setPanel(1, QStringLiteral("Connected With ") + description);
            setPanel(3, QStringLiteral("Connected"));
            if (network)
                setSmallIcon(row, QStringLiteral("connected"));
        } else {
            setSubItem(row, 7, QStringLiteral("Not Connected"));
            setPanel(1, QStringLiteral("Cannot Connect With ") + description);
            setPanel(3, QStringLiteral("Disconnected"));
            if (network)
                setSmallIcon(row, QStringLiteral("cantconnect"));
        }
    });
}

void frm2::MnuDisConnect_Click()
{
    if (m_busy)
        return;
    trapErrors(objectName(), QStringLiteral("MnuDisConnect_Click()"), [&] {
        if (ListMode() == QLatin1String("L")) {
            MsgBox(kProceed, 48);
            return;
        }
        setPanel(1, QStringLiteral("Disconnecting..."));
        closeLink(SelectedItem);
        setPanel(1, QStringLiteral("Disconnected"));
    });
}

// ---------------------------------------------------------------------------------------
// Extraction

void frm2::MnuExtractData_Click()
{
    if (m_busy)
        return;
    ExtDataFromDevice();
}

// ---------------------------------------------------------------------------------------
// Scheduler

void frm2::Timer2_Timer()
{
    // A job that yields, or a pass still running, holds the minutes back until it ends;
    // the next pass catches them up.
    const QDateTime now = Clock::now();
    if (!m_trigger || !m_trigger->tick(now, m_busy > 0))
        return;
    const QString minute = now.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    // The hour that daylight saving repeats can raise a pass under the text of the last.
    if (txtTime->text() == minute)
        txtTime_Change();
    else
        txtTime->setText(minute);
}

void frm2::txtTime_Change()
{
    if (!m_trigger || m_trigger->isRunning())
        return;
    m_trigger->setRunning(true);
    // The pass moves the current terminal from task to task. The operator's highlighted
    // row must be current again afterwards, or a command such as Clear Device Log would
    // act on the last task's terminal.
    const int operatorItem = SelectedItem;
    const QVariant operatorMachine = MachineID;
    const auto minutes = m_trigger->takeDueMinutes();
    trapErrors(objectName(), QStringLiteral("TxtTime_Change()"), [this, &minutes] {
        SchedulerPass::run(shared().Cnxn, *this, minutes);
    });
    SelectedItem = operatorItem;
    MachineID = operatorMachine;
    showOperatorTerminal();
    m_trigger->setRunning(false);
}

void frm2::showOperatorTerminal()
{
    // An Extract task ends with Device List, which highlights the task's row; the operator
    // would then see one terminal and act on another. The highlight, panel 2 and panel 3
    // go back to the current terminal's row, found by its key in case the list changed.
    if (ListMode() != QLatin1String("D") || ListItemCount() == 0)
        return;
    const int row = rowOfDevice(MachineID.toString());
    if (!row) {
        // The register lost it meanwhile: the highlighted row becomes current, as a click.
        lvX_Click();
        return;
    }
    SelectedItem = row;
    {
        const QScopedValueRollback<bool> filling(m_filling, true);
        selectRow(row);
    }
    setPanel(2, QStringLiteral(" Device : ") + ListItemText(row, 1));
    showCurrentStatus(row, row);
}

void frm2::closeLink(int elementIndex)
{
    // In either list mode: a scheduled task closing a link while punches are listed shows
    // no box for it. The busy guard keeps the list as it is meanwhile. Panel 1 is the
    // caller's: the menu command speaks there, the pass leaves it to the operator's row.
    TerminalSdk& device = element(elementIndex);
    device.SdkPrepareDisconnect(150);
    {
        BusyGuard busy(*this);
        QCoreApplication::processEvents();
    }
    device.SdkDisconnect();
    setSubItem(elementIndex, 7, QStringLiteral("Disconnected"));
    setSmallIcon(elementIndex, QStringLiteral("notconnected"));
}

int frm2::rowOfDevice(const QString& deviceId) const
{
    const QString key = QStringLiteral("D") + deviceId;
    for (int row = 1; row <= ListItemCount(); ++row)
        if (ListItemKey(row) == key)
            return row;
    return 0;
}

TerminalSdk* frm2::controlForDevice(int deviceId, int& elementIndex)
{
    elementIndex = rowOfDevice(QString::number(deviceId));
    if (!elementIndex)
        return nullptr;
    LoadElement(elementIndex);
    return TermCtl1.at(elementIndex);
}

void frm2::setCurrentTerminal(int selectedItem, int machineId)
{
    SelectedItem = selectedItem;
    MachineID = QString::number(machineId);
}

void frm2::viewLogs() { MnuViewLogs_Click(); }

bool frm2::extractData() { return !m_busy && ExtDataFromDevice(); }

bool frm2::ExtDataFromDevice()
{
    std::unique_ptr<WaitCursor> hourglass;
    bool extracted = false;
    trapErrors(objectName(), QStringLiteral("MnuExtractData_Click()"), [&] {
        TerminalSdk& device = element(SelectedItem);
        if (!IsDeviceConnected(device)) {
            MsgBox(QStringLiteral("Device is not connected."), 16);
            return;
        }
        const long machine = machineNumber();
        Db connection;
        connection.open(GetConnectionString());
        hourglass = std::make_unique<WaitCursor>();
        const Extraction::Result result = Extraction::run(connection, device, machine);
        hourglass.reset();
        if (result.outcome == Extraction::Outcome::NoData)
            MsgBox(QStringLiteral("No data to extract"), 48);
        else if (result.outcome == Extraction::Outcome::Kept)
            MsgBox(Extraction::keptMessage(result), 48);
        else
            MsgBox(QStringLiteral("Primary Level Extraction Completed. "), 64);
        connection.close();
        // A log kept on the terminal is not done with: a scheduled task is not marked.
        extracted = result.outcome != Extraction::Outcome::Kept;
        MnuDeviceList_Click();
    });
    return extracted;
}

// ---------------------------------------------------------------------------------------
// Log view

void frm2::showEmptyLogMessage()
{
    m_message->clear();
    m_message->setColumnCount(1);
    m_message->setHorizontalHeaderItem(0, new QStandardItem(QString()));
    m_message->horizontalHeaderItem(0)->setData(QStringLiteral("TAVI"), KeyRole);
    auto* item = new QStandardItem(
        TerminalIcons::icon(QStringLiteral("log")),
        QStringLiteral("Device attendance log database is empty. Press F5 key to proceed."));
    m_message->appendRow(item);
    QItemSelectionModel* old = lvX->selectionModel();
    lvX->setModel(m_message);
    delete old;
    lvX->setHeaderHidden(false);
    lvX->setColumnWidth(0, lvX->viewport()->width());
    lvX->header()->setStretchLastSection(true);
}

void frm2::MnuViewLogs_Click()
{
    if (m_busy)
        return;
    if (ListMode() == QLatin1String("L")) {
        MsgBox(kProceed, 48);
        return;
    }
    BusyGuard busy(*this);
    std::unique_ptr<frmProgressBar> progress;
    trapErrors(objectName(), QStringLiteral("MnuViewLogs_Click()"), [&] {
        TerminalSdk& device = element(SelectedItem);
        if (!IsDeviceConnected(device)) {
            MsgBox(QStringLiteral("Device is Not Connected"), 16);
            return;
        }
        const long machine = machineNumber();

        LblDescriptions->setText(QStringLiteral("Employee Log List"));
        Image1->setPixmap(TerminalIcons::icon(QStringLiteral("employeelog")).pixmap(32, 32));
        setListMode(QStringLiteral("L"));
        m_log->clear();
        QItemSelectionModel* old = lvX->selectionModel();
        lvX->setModel(m_log);
        delete old;
        lvX->setHeaderHidden(false);
        lvX->setIconSize(QSize(16, 16));
        const QList<int> widths = LogListModel::widthsTwips();
        for (int c = 0; c < widths.size(); ++c) {
            lvX->setColumnHidden(c, false);
            lvX->setColumnWidth(c, twips(widths[c]));
        }

        // Names come from one read of all users, not one question per punch.
        TerminalUserNames names(device, machine);
        if (!device.SdkLoadAttendanceLog(machine)) {
            setPanel(1, QString());
        } else {
            progress = std::make_unique<frmProgressBar>(this);
            progress->ProTitle->setText(QStringLiteral("Listing log informations from device ..."));
            progress->show();
            m_recordCount = 0;
            device.SdkReadDeviceStatus(machine, 6, m_recordCount);
            const int maximum = int(qBound(0L, m_recordCount, long(INT_MAX)));
            progress->PBar->setRange(0, maximum);
            progress->PBar->setValue(0);
            setlvXTag(QString());

            QVector<LogListModel::Row> batch;
            batch.reserve(kListingStep);
            long listed = 0;
            QString userNo;
            long verifyMode = 0, inOutMode = 0, year = 0, month = 0, day = 0, hour = 0, minute = 0,
                 second = 0, workCode = 0;
            auto step = [&] {
                m_log->append(batch);
                // More punches than the terminal counted: the bar stays full.
                progress->PBar->setValue(int(qMin<long>(listed, maximum)));
                progress->raise();
                QCoreApplication::processEvents();
            };
            while (device.SdkNextAttendanceRecord(machine, userNo, verifyMode, inOutMode, year,
                                                  month, day, hour, minute, second, workCode)) {
                batch.append(LogListModel::makeRow(userNo, names.name(userNo), verifyMode,
                                                   inOutMode, year, month, day, hour, minute,
                                                   second, device.unreadableFields()));
                if (++listed % kListingStep == 0)
                    step();
            }
            step();
            progress.reset();
            setlvXTag(QString());
        }
        if (m_log->rowCount() == 0)
            showEmptyLogMessage();
    });
    // An error leaves no progress window behind.
    progress.reset();
}

// ---------------------------------------------------------------------------------------
// Terminal commands

void frm2::MnuRestartDevice_Click()
{
    if (m_busy)
        return;
    trapErrors(objectName(), QStringLiteral("MnuRestartDevice_Click"), [&] {
        if (ListMode() == QLatin1String("L")) {
            MsgBox(kProceed, 48);
            return;
        }
        if (lvXTag() != QLatin1String("MLIST"))
            return;
        TerminalSdk& device = element(SelectedItem);
        long status = 0;
        if (!device.SdkCheckConnection(status)) {
            MsgBox(QStringLiteral("Device is not Connnected"), 16);
            return;
        }
        device.SdkRestartDevice(machineNumber());
        // The terminal drops the link as it restarts; a row left reading "Connected" would
        // claim a link that is gone.
        MnuDisConnect_Click();
    });
}

void frm2::mnudeleteattendancedata_Click()
{
    if (m_busy)
        return;
    trapErrors(objectName(), QStringLiteral("mnudeleteattendancedata_Click()"), [&] {
        TerminalSdk& device = element(SelectedItem);
        if (!IsDeviceConnected(device)) {
            MsgBox(QStringLiteral("Device is not Connected"), 16);
            return;
        }
        const QString question =
            QStringLiteral("Proceeding with 'Yes' will clear all the attendance log information ") +
            QStringLiteral("\r\n") + QStringLiteral(" from the selected device.") +
            QStringLiteral("\r\n\r\n") + QStringLiteral("Click Yes to proceed.");
        if (MsgBox(question, 36) != vbYes)
            return;
        WaitCursor hourglass;
        device.SdkClearAttendanceLog(machineNumber());
    });
}

void frm2::MnuDeleteTemplate_Click()
{
    if (m_busy)
        return;
    trapErrors(objectName(), QStringLiteral("MnuDeleteTemplate_Click()"), [&] {
        if (!m_templateConnection.isOpen())
            m_templateConnection.open(shared().Cnxn.config());
        // Each stored template goes to the element that serves its terminal, and only while
        // that element is linked; the terminal list says which element serves which.
        QHash<long, TerminalSdk*> linked;
        for (int r = 1; r <= m_devices->rowCount() && r < TermCtl1.size(); ++r) {
            bool ok = false;
            const long id = ListItemKey(r).mid(1).toLong(&ok);
            if (ok && !linked.contains(id))
                linked.insert(id, IsDeviceConnected(*TermCtl1.at(r)) ? TermCtl1.at(r) : nullptr);
        }
        QSqlQuery rows = m_templateConnection.exec(
            QStringLiteral("select DeviceID, DeviceUserID, FingerIndex from tbl_usertemplate"));
        while (rows.next()) {
            const long device = rows.value(0).toLongLong();
            TerminalSdk* sdk = linked.value(device, nullptr);
            if (!sdk)
                continue;
            sdk->SdkDeleteFingerTemplate(device, long(rows.value(1).toLongLong()),
                                         long(rows.value(2).toLongLong()));
        }
    });
}

// ---------------------------------------------------------------------------------------
// Toolbar

void frm2::Toolbar1_ButtonClick(const QString& key)
{
    if (m_busy)
        return;
    if (key == QLatin1String("DEVICEMASTER"))
        MnuDeviceMaster_Click();
    else if (key == QLatin1String("CONNECT"))
        MnuConnectAction_Click();
    else if (key == QLatin1String("DISCONNECT"))
        MnuDisConnect_Click();
    else if (key == QLatin1String("USERS"))
        mnuViewDeviceUsers_Click();
    else if (key == QLatin1String("EXTRACT"))
        MnuExtractData_Click();
    else if (key == QLatin1String("EXIT"))
        MnuExit_Click();
}

void frm2::Toolbar1_ButtonMenuClick(const QString& key)
{
    if (m_busy)
        return;
    if (key == QLatin1String("D")) {
        mnuDownloadUserInfo_Click();
    } else if (key == QLatin1String("U")) {
        mnuUpload_Click();
    } else if (key == QLatin1String("L") || key == QLatin1String("R")) {
        m_viewMode = key == QLatin1String("L") ? 0 : 3;
        // The log list always stays in report view; the terminal list takes the new view.
        if (lvX->model() == m_devices)
            applyViewMode();
        RelabelDeviceItems(m_viewMode);
    }
}

// ---------------------------------------------------------------------------------------
// Openers of the other screens. Each procedure applies its guards here; the screen itself
// comes from the opener src/app registered under the procedure's name.

void frm2::setScreenOpener(const QString& procedure, ScreenOpener opener)
{
    m_openers.insert(procedure, std::move(opener));
}

bool frm2::openScreen(const QString& procedure)
{
    const auto it = m_openers.constFind(procedure);
    if (it == m_openers.constEnd() || !*it)
        return false;
    // A copy: an opener may register openers of its own while it runs.
    const ScreenOpener opener = *it;
    opener(*this);
    return true;
}

void frm2::openGuardedScreen(const QString& procedure, bool listGuard,
                             const QString& linkMessage)
{
    if (!m_openers.value(procedure))
        return;
    if (listGuard && !listModeGuard())
        return;
    if (!linkMessage.isEmpty() && !linkGuard(linkMessage))
        return;
    openScreen(procedure);
}

bool frm2::listModeGuard()
{
    if (ListMode() != QLatin1String("L"))
        return true;
    MsgBox(kProceed, 48);
    return false;
}

bool frm2::linkGuard(const QString& message)
{
    if (SelectedItem >= 0 && SelectedItem < TermCtl1.size() &&
        IsDeviceConnected(*TermCtl1.at(SelectedItem)))
        return true;
    MsgBox(message, 16);
    return false;
}

void frm2::MnuDeviceMaster_Click()
{
    openGuardedScreen(QStringLiteral("MnuDeviceMaster_Click"), true);
}

void frm2::mnuViewDeviceUsers_Click()
{
    openGuardedScreen(QStringLiteral("mnuViewDeviceUsers_Click"), true,
                      QStringLiteral("Device is not Connected"));
}

void frm2::mnuDownloadUserInfo_Click()
{
    openGuardedScreen(QStringLiteral("mnuDownloadUserInfo_Click"), true,
                      QStringLiteral("Device is not Connected"));
}

void frm2::mnuUploadUserInfo_Click()
{
    openGuardedScreen(QStringLiteral("mnuUploadUserInfo_Click"), true);
}

void frm2::mnuUpload_Click()
{
    openScreen(QStringLiteral("mnuUpload_Click"));
}

void frm2::MnuUSBLogImport_Click()
{
    openScreen(QStringLiteral("MnuUSBLogImport_Click"));
}

void frm2::mnuRepairData_Click()
{
    openScreen(QStringLiteral("mnuRepairData_Click"));
}

void frm2::MnuSettings_Click()
{
    openScreen(QStringLiteral("MnuSettings_Click"));
}

void frm2::MnuScheduler_Click()
{
    FrmScheduler dialog(this);
    dialog.Form_Load();
    dialog.exec();
}

void frm2::MnuLogHistory_Click()
{
    openScreen(QStringLiteral("MnuLogHistory_Click"));
}

void frm2::ShowSuperLogData()
{
    openScreen(QStringLiteral("ShowSuperLogData"));
}

// ---------------------------------------------------------------------------------------
// The open-shift pairing and its punch feed

void frm2::setOpenShiftPairing(EmployeeRoutine routine)
{
    m_openShiftPairing = std::move(routine);
}

void frm2::ExtDataToDBOpenShift(int EmpID)
{
    if (!isBusy() && m_openShiftPairing)
        m_openShiftPairing(*this, EmpID);
}

void frm2::CopyDeviceLogToTempBck()
{
    if (!isBusy())
        openScreen(QStringLiteral("CopyDeviceLogToTempBck"));
}

void frm2::ScanNewDeviceLogs()
{
    if (!isBusy())
        openScreen(QStringLiteral("ScanNewDeviceLogs"));
}

void frm2::NotifyNormalModeUnsupported()
{
    MsgBox(QStringLiteral("Sorry System Currently not Configured to Handle Normal Attendance Mode"),
           64, QStringLiteral("Notification"));
}

frmProgressBar& frm2::ProgressWindow()
{
    if (!m_progressWindow)
        m_progressWindow = new frmProgressBar(this);
    return *m_progressWindow;
}
