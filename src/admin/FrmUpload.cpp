#include "FrmUpload.h"

#include "TemplateUpload.h"
#include "TemplateWidgets.h"
#include "shell/ErrorTrap.h"
#include "shell/MsgBox.h"
#include "shell/Shared.h"
#include "terminals/DeviceLink.h"
#include "terminals/frm2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSqlQuery>
#include <QTreeWidget>

using namespace TemplateWidgets;

namespace {
const QString kForm = QStringLiteral("FrmUpload");
enum Column { EmpId, Name, BackupIndex, Templates };

QString notConnected()
{
    return QStringLiteral("Destination device is not connected. Destination device must ") +
           QStringLiteral("\r\n") + QStringLiteral("be connected in order to upload user data.");
}
} // namespace

FrmUpload::FrmUpload(frm2& window, QWidget* parent) : QDialog(parent), m_window(window)
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("Upload Finger Print Template "));
    resize(820, 520);

    Label1 = new QLabel(QStringLiteral("Source Device :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    cboSourceDevice = new QComboBox(this);
    cboSourceDevice->setObjectName(QStringLiteral("cboSourceDevice"));
    Label2 = new QLabel(QStringLiteral("Destination Device :"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    cboDestinationDevice = new QComboBox(this);
    cboDestinationDevice->setObjectName(QStringLiteral("cboDestinationDevice"));
    lsv = new QTreeWidget(this);
    lsv->setObjectName(QStringLiteral("lsv"));
    ChkCheck = new QCheckBox(this);
    ChkCheck->setObjectName(QStringLiteral("ChkCheck"));
    ChkUpLoad = new QPushButton(QStringLiteral("&Upload"), this);
    ChkUpLoad->setObjectName(QStringLiteral("ChkUpLoad"));
    ChkUpLoad->setAutoDefault(false);
    CmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    CmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    CmdCancel->setAutoDefault(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(cboSourceDevice, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(cboDestinationDevice, 1, 1);
    grid->addWidget(lsv, 2, 0, 1, 4);
    grid->addWidget(ChkCheck, 3, 0);
    grid->addWidget(ChkUpLoad, 3, 2);
    grid->addWidget(CmdCancel, 3, 3);

    connect(cboDestinationDevice, &QComboBox::activated, this,
            [this] { cboDestinationDevice_Click(); });
    connect(ChkCheck, &QCheckBox::clicked, this, [this] { ChkCheck_Click(); });
    connect(ChkUpLoad, &QPushButton::clicked, this, [this] { ChkUpLoad_Click(); });
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });
}

void FrmUpload::open(frm2& window)
{
    FrmUpload screen(window);
    screen.Form_Load();
    screen.exec();
}

void FrmUpload::Form_Load()
{
    trapErrors(kForm, QStringLiteral("Form_Load()"), [&] {
        setUpList(lsv,
                  {QStringLiteral("      Emp ID"), QStringLiteral("Employee Name"),
                   QStringLiteral("Backup Index"), QStringLiteral("FP Templates")},
                  {1200, 3000, 1200, 3100});
        LoadDeviceCombos();
        LoadStoredUsers();
    });
}

void FrmUpload::LoadDeviceCombos()
{
    QSqlQuery q = shared().Cnxn.exec(QStringLiteral(
        "Select deviceid,devicedescription From Tbl_DeviceMaster Order By DeviceID"));
    if (!q.next())
        return;
    cboSourceDevice->clear();
    cboDestinationDevice->clear();
    do {
        const QVariant id = q.value(0).toLongLong();
        cboSourceDevice->addItem(q.value(1).toString(), id);
        cboDestinationDevice->addItem(q.value(1).toString(), id);
    } while (q.next());
    cboSourceDevice->setCurrentIndex(0);
    cboDestinationDevice->setCurrentIndex(-1);
    bool ok = false;
    const qint64 current = m_window.MachineID.toString().trimmed().toLongLong(&ok);
    for (int i = 0; ok && i < cboDestinationDevice->count(); ++i) {
        if (cboDestinationDevice->itemData(i).toLongLong() == current) {
            cboDestinationDevice->setCurrentIndex(i);
            cboDestinationDevice_Click();
        }
    }
}

bool FrmUpload::destination(qint64& deviceId) const
{
    if (cboDestinationDevice->currentIndex() < 0)
        return false;
    deviceId = cboDestinationDevice->currentData().toLongLong();
    return true;
}

TerminalSdk* FrmUpload::destinationElement(qint64 deviceId)
{
    int element = 0;
    return m_window.controlForDevice(int(deviceId), element);
}

void FrmUpload::cboDestinationDevice_Click()
{
    trapErrors(kForm, QStringLiteral("cboDestinationDevice_Click()"), [&] {
        qint64 deviceId = 0;
        if (!destination(deviceId))
            return;
        TerminalSdk* sdk = destinationElement(deviceId);
        if (!sdk || !IsDeviceConnected(*sdk)) {
            lsv->clear();
            MsgBox(notConnected(), 16);
            return;
        }
        LoadStoredUsers();
    });
}

void FrmUpload::LoadStoredUsers()
{
    lsv->clear();
    qint64 deviceId = 0;
    // No terminal to choose: nothing stored can be shown.
    if (!destination(deviceId))
        return;
    const QList<EmployeeTemplates> employees =
        TemplateUpload::listEmployees(shared().Cnxn, deviceId);
    QList<QTreeWidgetItem*> items;
    items.reserve(employees.size());
    for (const EmployeeTemplates& e : employees) {
        auto* item = new QTreeWidgetItem;
        item->setText(EmpId, QString::number(e.empId));
        item->setText(Name, e.name);
        item->setText(BackupIndex, e.backupIndex);
        item->setText(Templates, e.previews);
        item->setCheckState(0, Qt::Unchecked);
        items.append(item);
    }
    lsv->addTopLevelItems(items);
}

void FrmUpload::ChkCheck_Click()
{
    trapErrors(kForm, QStringLiteral("ChkCheck_Click()"), [&] {
        const Qt::CheckState state = ChkCheck->checkState();
        if (state == Qt::Checked || state == Qt::Unchecked)
            checkAll(lsv, state == Qt::Checked);
    });
}

void FrmUpload::ChkUpLoad_Click()
{
    trapErrors(kForm, QStringLiteral("ChkUpLoad_Click()"), [&] {
        const int count = lsv->topLevelItemCount();
        bool any = false;
        for (int i = 0; i < count && !any; ++i)
            any = isChecked(lsv->topLevelItem(i));
        qint64 deviceId = 0;
        if (!any || !destination(deviceId))
            return;
        // The writes go to the chosen destination, so its link is what must be up.
        TerminalSdk* sdk = destinationElement(deviceId);
        if (!sdk || !IsDeviceConnected(*sdk)) {
            MsgBox(notConnected(), 16);
            return;
        }
        TemplateUpload job(shared().Cnxn, *sdk, long(deviceId));
        for (int i = 0; i < count; ++i) {
            QTreeWidgetItem* item = lsv->topLevelItem(i);
            if (!isChecked(item))
                continue;
            const qint64 user = wholeNumber(item->text(EmpId), QStringLiteral("employee number"));
            switch (job.upload(user)) {
            case TemplateUpload::Outcome::Sent:
                if (item->text(BackupIndex).trimmed().isEmpty())
                    setRowImage(item, 4, Picture::DoneElsewhere);
                else
                    setRowImage(item, 2);
                break;
            case TemplateUpload::Outcome::Refused:
                setRowImage(item, 0);
                break;
            case TemplateUpload::Outcome::LinkLost:
                MsgBox(notConnected(), 16);
                return;
            }
        }
    });
}

void FrmUpload::CmdCancel_Click()
{
    done(QDialog::Rejected);
}

void FrmUpload::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    Q_UNUSED(shift);
    if (keyCode == Qt::Key_Escape)
        done(QDialog::Rejected);
}

void FrmUpload::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        Form_KeyDown(event->key(), event->modifiers());
    else
        QDialog::keyPressEvent(event);
}
