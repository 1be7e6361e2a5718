#include "FrmImportUsers.h"

#include "TemplateStore.h"
#include "TemplateWidgets.h"
#include "UserCopy.h"
#include "shell/ErrorTrap.h"
#include "shell/ModFunction.h"
#include "shell/MsgBox.h"
#include "shell/Shared.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"
#include "terminals/frm2.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace TemplateWidgets;

namespace {
const QString kForm = QStringLiteral("FrmImportUsers");
const QString kNotConnected = QStringLiteral("Device is not Connnected");
enum Column { Uid, UserName, Templates, CardNo, Privilege, Password };

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    return l;
}
} // namespace

FrmImportUsers::FrmImportUsers(frm2& window, QWidget* parent) : QDialog(parent), m_window(window)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("  Upload User To Selected Device"));
    resize(820, 600);

    FrmDeviceList = new QGroupBox(this);
    FrmDeviceList->setObjectName(QStringLiteral("FrmDeviceList"));
    Picture1 = new QFrame(FrmDeviceList);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Label2 = label(Picture1, "Label2",
                   QStringLiteral("From where do you want to copy users ?  you can copy users from "
                                  "following device. Source device doesn't need to be connected."));
    Label5 = label(FrmDeviceList, "Label5", QStringLiteral("Source"));
    Label1 = label(FrmDeviceList, "Label1", QStringLiteral("Choose a Source"));
    CboSourceDevice = new QComboBox(FrmDeviceList);
    CboSourceDevice->setObjectName(QStringLiteral("CboSourceDevice"));
    Picture2 = new QFrame(FrmDeviceList);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Label4 = label(Picture2, "Label4",
                   QStringLiteral("To where do you want to copy users ? You can copy users to one "
                                  "of the following destinations. Destination device must be "
                                  "connected in order to import user info."));
    Label6 = label(FrmDeviceList, "Label6", QStringLiteral("Destination"));
    Label3 = label(FrmDeviceList, "Label3", QStringLiteral("Choose a Destination"));
    CboDestination = new QComboBox(FrmDeviceList);
    CboDestination->setObjectName(QStringLiteral("CboDestination"));
    CmdConnect = new QPushButton(QStringLiteral("C&onnect"), FrmDeviceList);
    CmdConnect->setObjectName(QStringLiteral("CmdConnect"));
    CmdConnect->setAutoDefault(false);

    FrmUsers = new QGroupBox(QStringLiteral("Users List"), this);
    FrmUsers->setObjectName(QStringLiteral("FrmUsers"));
    lsv = new QTreeWidget(FrmUsers);
    lsv->setObjectName(QStringLiteral("lsv"));
    ChkImportAll = new QCheckBox(QStringLiteral("Export All Users to selected device"), FrmUsers);
    ChkImportAll->setObjectName(QStringLiteral("ChkImportAll"));
    CmdImport = new QPushButton(QStringLiteral("Upload to Device"), FrmUsers);
    CmdImport->setObjectName(QStringLiteral("CmdImport"));
    CmdImport->setAutoDefault(false);

    TermCtl1 = new TerminalSdk(this);
    TermCtl1->setObjectName(QStringLiteral("TermCtl1"));

    (new QVBoxLayout(Picture1))->addWidget(Label2);
    (new QVBoxLayout(Picture2))->addWidget(Label4);
    auto* devices = new QGridLayout(FrmDeviceList);
    devices->addWidget(Picture1, 0, 0, 1, 3);
    devices->addWidget(Label5, 1, 0);
    devices->addWidget(Label1, 1, 1);
    devices->addWidget(CboSourceDevice, 2, 0, 1, 2);
    devices->addWidget(Picture2, 3, 0, 1, 3);
    devices->addWidget(Label6, 4, 0);
    devices->addWidget(Label3, 4, 1);
    devices->addWidget(CboDestination, 5, 0, 1, 2);
    devices->addWidget(CmdConnect, 5, 2);
    auto* users = new QGridLayout(FrmUsers);
    users->addWidget(lsv, 0, 0, 1, 2);
    users->addWidget(ChkImportAll, 1, 0);
    users->addWidget(CmdImport, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FrmDeviceList);
    layout->addWidget(FrmUsers, 1);

    connect(CboSourceDevice, &QComboBox::activated, this, [this] { CboSourceDevice_Click(); });
    connect(ChkImportAll, &QCheckBox::stateChanged, this, [this] { ChkImportAll_Change(); });
    connect(CmdConnect, &QPushButton::clicked, this, [this] { CmdConnect_Click(); });
    connect(CmdImport, &QPushButton::clicked, this, [this] { CmdImport_Click(); });
    connect(TermCtl1, &TerminalSdk::SdkConnectedEvent, this, [this] { TermCtl1_Connected(); });
}

FrmImportUsers::~FrmImportUsers() = default;

void FrmImportUsers::open(frm2& window)
{
    FrmImportUsers screen(window, &window);
    screen.Form_Load();
    screen.exec();
}

void FrmImportUsers::Form_Load()
{
    trapErrors(kForm, QStringLiteral("Form_Load()"), [&] {
        QSqlQuery q = shared().Cnxn.exec(
            QStringLiteral("Select DeviceID, DeviceDescription From Tbl_DeviceMaster"));
        while (q.next()) {
            const QVariant id = q.value(0).toLongLong();
            CboDestination->addItem(q.value(1).toString(), id);
            CboSourceDevice->addItem(q.value(1).toString(), id);
        }
        CboDestination->setCurrentIndex(-1);
        CboSourceDevice->setCurrentIndex(-1);
        setUpList(lsv,
                  {QStringLiteral("Dev. UID"), QStringLiteral("Dev. UserName"),
                   QStringLiteral("FP Templates"), QStringLiteral("Card No"),
                   QStringLiteral("Privilege"), QStringLiteral("Password")},
                  {800, 1600, 2000, 1000, 1000, 1000});
    });
}

void FrmImportUsers::CboSourceDevice_Click()
{
    trapErrors(kForm, QStringLiteral("CboSourceDevice_Click()"), [&] {
        lsv->clear();
        if (CboSourceDevice->currentIndex() < 0)
            return;
        m_source = CboSourceDevice->currentData().toLongLong();
        const QList<StoredUser> users = UserCopy::listUsers(shared().Cnxn, m_source);
        QList<QTreeWidgetItem*> items;
        items.reserve(users.size());
        for (const StoredUser& u : users) {
            auto* item = new QTreeWidgetItem;
            item->setText(Uid, QString::number(u.number));
            item->setText(UserName, u.name);
            item->setText(Templates, u.previews);
            item->setText(CardNo, u.card);
            item->setText(Privilege, u.privilege);
            item->setText(Password, u.password);
            item->setCheckState(0, Qt::Unchecked);
            if (u.isNew)
                StyleListItem(item, QColor(255, 0, 0), true);
            items.append(item);
        }
        lsv->addTopLevelItems(items);
        FrmUsers->setTitle(QStringLiteral("Users On ") + CboSourceDevice->currentText());
    });
}

void FrmImportUsers::ChkImportAll_Change()
{
    trapErrors(kForm, QStringLiteral("ChkImportAll_Change()"), [&] {
        const Qt::CheckState state = ChkImportAll->checkState();
        if (lsv->topLevelItemCount() > 0 && (state == Qt::Checked || state == Qt::Unchecked))
            checkAll(lsv, state == Qt::Checked);
    });
}

void FrmImportUsers::CmdConnect_Click()
{
    trapErrors(kForm, QStringLiteral("CmdConnect_Click()"), [&] {
        if (CboDestination->currentText().isEmpty() || CboDestination->currentIndex() < 0 ||
            !CboDestination->currentData().isValid())
            return;
        const qint64 id = CboDestination->currentData().toLongLong();
        if (IsDeviceConnected(*TermCtl1))
            TermCtl1->SdkDisconnect();
        if (!IsDeviceConnected(*TermCtl1)) {
            m_destination = id;
            TermCtl1->setSdkPreConnectFlag(1);
            ConnectDevice(*TermCtl1, long(id));
        }
        if (!IsDeviceConnected(*TermCtl1))
            MsgBox(QStringLiteral("Couldnot connect with ") + CboDestination->currentText(), 48);
    });
}

void FrmImportUsers::TermCtl1_Connected()
{
    MsgBox(QStringLiteral("Connected to : ") + CboDestination->currentText(), 64);
}

void FrmImportUsers::CmdImport_Click()
{
    if (m_running)
        return;
    trapErrors(kForm, QStringLiteral("CmdImport_Click()"), [&] {
        // The link belongs to the terminal last connected; a destination chosen after it
        // has no link, and its users must not go to the other terminal.
        const bool linked = CboDestination->currentIndex() >= 0 &&
                            CboDestination->currentData().toLongLong() == m_destination;
        if (!linked || !IsDeviceConnected(*TermCtl1)) {
            MsgBox(kNotConnected, 16);
            return;
        }
        if (lsv->topLevelItemCount() == 0) {
            MsgBox(QStringLiteral("User Not Found"), 16);
            return;
        }
        // Nothing to copy is no success to report.
        if (CountCheckedItems(lsv) == 0) {
            MsgBox(QStringLiteral("No user is ticked"), 16);
            return;
        }
        const long machine = long(m_destination);
        bool lost = false;
        QList<QTreeWidgetItem*> copied;
        int refused = 0;
        {
            JobRun run(m_window, m_running, {FrmDeviceList, lsv, ChkImportAll, CmdImport});
            UserCopy job(shared().Cnxn, *TermCtl1, machine, m_source);
            const int count = lsv->topLevelItemCount();
            for (int i = 0; i < count && !lost; ++i) {
                QCoreApplication::processEvents();
                QTreeWidgetItem* item = lsv->topLevelItem(i);
                if (!isChecked(item))
                    continue;
                const qint64 user = wholeNumber(item->text(Uid), QStringLiteral("user number"));
                switch (job.copy(user, item->text(CardNo), item->text(Password),
                                 item->text(Privilege))) {
                case UserCopy::Outcome::Copied:
                    setRowImage(item, 2);
                    copied.append(item);
                    break;
                case UserCopy::Outcome::Refused:
                    setRowImage(item, 4, Picture::Refused);
                    ++refused;
                    break;
                case UserCopy::Outcome::LinkLost:
                    lost = true;
                    break;
                }
            }
            job.finish();
            if (!lost && !TermCtl1->SdkRefreshData(machine))
                lost = !IsDeviceConnected(*TermCtl1);
        }
        if (lost) {
            MsgBox(kNotConnected, 16);
            return;
        }
        if (refused > 0) {
            // The ticks stay only on the users to try again.
            for (QTreeWidgetItem* item : std::as_const(copied))
                item->setCheckState(0, Qt::Unchecked);
            MsgBox(refused == 1 ? QStringLiteral("1 user was not imported.")
                                : QStringLiteral("%1 users were not imported.").arg(refused),
                   48);
            return;
        }
        MsgBox(QStringLiteral("User information imported successfully."), 64);
    });
}

void FrmImportUsers::StyleListItem(QTreeWidgetItem* item, const QColor& colour, bool bold)
{
    for (int column = 0; column < item->columnCount(); ++column) {
        item->setForeground(column, colour);
        QFont font = item->font(column);
        font.setBold(bold);
        item->setFont(column, font);
    }
}

void FrmImportUsers::ShowDeviceListPanel()
{
    FrmUsers->setVisible(false);
    FrmDeviceList->setVisible(true);
}

void FrmImportUsers::CloseForm()
{
    done(QDialog::Rejected);
}

void FrmImportUsers::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    Q_UNUSED(shift);
    // A running copy walks the list's rows: closing would free them under it.
    if (keyCode == Qt::Key_Escape && !m_running)
        done(QDialog::Rejected);
}

void FrmImportUsers::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        Form_KeyDown(event->key(), event->modifiers());
    else
        QDialog::keyPressEvent(event);
}

void FrmImportUsers::closeEvent(QCloseEvent* event)
{
    if (m_running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void FrmImportUsers::reject()
{
    if (!m_running)
        QDialog::reject();
}
