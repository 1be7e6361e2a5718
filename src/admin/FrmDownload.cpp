#include "FrmDownload.h"

#include "TemplateDownload.h"
#include "TemplateWidgets.h"
#include "data/CodeTables.h"
#include "shell/ErrorTrap.h"
#include "shell/ModFunction.h"
#include "shell/MsgBox.h"
#include "shell/Shared.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"
#include "terminals/frm2.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeWidget>

using namespace TemplateWidgets;

namespace {
const QString kForm = QStringLiteral("FrmDownload");
const QString kNotConnected = QStringLiteral("Device is not connected");
enum Column { EmpId, Name, BackupIndex, Templates, CardNo, Password, Privilege, Status };
} // namespace

FrmDownload::FrmDownload(frm2& window, QWidget* parent) : QDialog(parent), m_window(window)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("  Download User From Selected Device"));
    resize(900, 520);

    lblDeviceName = new QLabel(this);
    lblDeviceName->setObjectName(QStringLiteral("lblDeviceName"));
    Label1 = new QLabel(
        QStringLiteral("Check users to download their information into the system."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    lsv = new QTreeWidget(this);
    lsv->setObjectName(QStringLiteral("lsv"));
    ChkCheck = new QCheckBox(QStringLiteral("Select/ Deselect"), this);
    ChkCheck->setObjectName(QStringLiteral("ChkCheck"));
    chkExclFingerPrints = new QCheckBox(QStringLiteral("Do not download fingerprints."), this);
    chkExclFingerPrints->setObjectName(QStringLiteral("chkExclFingerPrints"));
    CmdDownload = new QPushButton(QStringLiteral("&Download "), this);
    CmdDownload->setObjectName(QStringLiteral("CmdDownload"));
    CmdDownload->setAutoDefault(false);
    LblStatus = new QLabel(this);
    LblStatus->setObjectName(QStringLiteral("LblStatus"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblDeviceName, 0, 0, 1, 3);
    grid->addWidget(Label1, 1, 0, 1, 3);
    grid->addWidget(lsv, 2, 0, 1, 3);
    grid->addWidget(ChkCheck, 3, 0);
    grid->addWidget(chkExclFingerPrints, 3, 1);
    grid->addWidget(CmdDownload, 3, 2);
    grid->addWidget(LblStatus, 4, 0, 1, 3);

    connect(ChkCheck, &QCheckBox::stateChanged, this, [this] { ChkCheck_Change(); });
    connect(CmdDownload, &QPushButton::clicked, this, [this] { CmdDownload_Click(); });
}

void FrmDownload::open(frm2& window)
{
    FrmDownload screen(window, &window);
    screen.lblDeviceName->setText(QStringLiteral("Device:") +
                                  window.ListItemText(window.SelectedItem, 1));
    screen.Form_Load();
    screen.exec();
}

TerminalSdk& FrmDownload::device() const
{
    m_window.LoadElement(m_window.SelectedItem);
    return *m_window.TermCtl1.at(m_window.SelectedItem);
}

long FrmDownload::machineNumber() const
{
    return long(wholeNumber(m_window.MachineID.toString(), QStringLiteral("machine number")));
}

QString FrmDownload::PrivilegeText(int privilege)
{
    return DownloadPrivilegeNames::name(privilege);
}

void FrmDownload::Form_Load()
{
    trapErrors(kForm, QStringLiteral("Form_Load()"), [&] {
        setUpList(lsv,
                  {QStringLiteral("      Emp ID"), QStringLiteral("Emplyee Name"),
                   QStringLiteral("Backup Index"), QStringLiteral("FP Templates"),
                   QStringLiteral("Card No"), QStringLiteral("Password"),
                   QStringLiteral("Privilege"), QStringLiteral("Status")},
                  {1500, 1980, 1550, 2500, 1000, 1000, 1500, 1000});
        if (IsDeviceConnected(device()))
            LoadDeviceUsers();
    });
}

void FrmDownload::LoadDeviceUsers()
{
    lsv->clear();
    QList<QTreeWidgetItem*> items;
    // A bad user number ends the listing; the users listed before it stay.
    const auto show = qScopeGuard([&] { lsv->addTopLevelItems(items); });
    TemplateDownload::listUsers(device(), machineNumber(), [&](const TerminalUser& u) {
        auto* item = new QTreeWidgetItem;
        item->setText(EmpId, QString::number(u.number));
        item->setText(Name, u.name);
        item->setText(Password, u.password);
        item->setText(Privilege, QString::number(u.privilege));
        item->setText(Status, QString::number(u.enabled ? 1 : 0));
        item->setCheckState(0, Qt::Unchecked);
        items.append(item);
    });
}

void FrmDownload::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    Q_UNUSED(shift);
    // A running download walks the list's rows: closing or relisting would pull them away.
    if (m_running)
        return;
    if (keyCode == Qt::Key_Escape)
        done(QDialog::Rejected);
    if (keyCode == Qt::Key_F5)
        trapErrors(kForm, QStringLiteral("LoadDeviceUsers()"), [&] { LoadDeviceUsers(); });
}

void FrmDownload::keyPressEvent(QKeyEvent* event)
{
    Form_KeyDown(event->key(), event->modifiers());
    if (event->key() != Qt::Key_Escape && event->key() != Qt::Key_F5)
        QDialog::keyPressEvent(event);
}

void FrmDownload::closeEvent(QCloseEvent* event)
{
    if (m_running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void FrmDownload::reject()
{
    if (!m_running)
        QDialog::reject();
}

void FrmDownload::ChkCheck_Change()
{
    trapErrors(kForm, QStringLiteral("ChkCheck_Change()"), [&] {
        const Qt::CheckState state = ChkCheck->checkState();
        if (state == Qt::Checked || state == Qt::Unchecked)
            checkAll(lsv, state == Qt::Checked);
    });
}

void FrmDownload::CmdDownload_Click()
{
    if (m_running)
        return;
    trapErrors(kForm, QStringLiteral("CmdDownload_Click()"), [&] {
        LblStatus->setText(QString());
        for (int i = 0; i < lsv->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = lsv->topLevelItem(i);
            setRowImage(item, 0);
            item->setText(BackupIndex, QString());
            item->setText(Templates, QString());
        }
        TerminalSdk& sdk = device();
        if (!IsDeviceConnected(sdk)) {
            MsgBox(kNotConnected, 16);
            LblStatus->setText(QString());
            return;
        }
        // Nothing to download is no success to report.
        if (CountCheckedItems(lsv) == 0) {
            MsgBox(QStringLiteral("No user is checked"), 16);
            return;
        }

        bool lost = false;
        {
            JobRun run(m_window, m_running, {lsv, ChkCheck, chkExclFingerPrints, CmdDownload});
            TemplateDownload job(shared().Cnxn, sdk, machineNumber());
            job.setYield([] { QCoreApplication::processEvents(); }, yieldIntervalMs);
            const bool exclude = chkExclFingerPrints->checkState() == Qt::Checked;
            const int count = lsv->topLevelItemCount();
            for (int i = 0; i < count && !lost; ++i) {
                QTreeWidgetItem* item = lsv->topLevelItem(i);
                if (!isChecked(item))
                    continue;
                LblStatus->setText(QStringLiteral("Downloading..."));
                const qint64 user = wholeNumber(item->text(EmpId), QStringLiteral("user number"));
                const TemplateDownload::Result r = job.download(user, exclude);
                if (r.outcome == TemplateDownload::Outcome::LinkLost) {
                    lost = true;
                } else if (r.outcome == TemplateDownload::Outcome::Stored) {
                    item->setText(CardNo, r.card);
                    item->setText(Password, r.password);
                    item->setText(Privilege, PrivilegeText(int(r.privilege)));
                    QStringList fingers;
                    for (int finger : r.fingers)
                        fingers.append(QString::number(finger));
                    item->setText(BackupIndex, fingers.join(QLatin1Char(',')));
                    item->setText(Templates, r.previews.join(QStringLiteral(" , ")));
                    setRowImage(item, 2);
                }
            }
            job.finish();
        }
        // A dropped link is no success: the users before it are stored, the one being
        // read when it dropped is not.
        MsgBox(lost ? kNotConnected
                    : QStringLiteral("Download Finger Print Template Completed "
                                     "Successfully"),
               lost ? 16 : 64);
        LblStatus->setText(QString());
    });
}
