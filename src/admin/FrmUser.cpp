#include "FrmUser.h"

#include "DeviceUsers.h"

#include "ScreenParts.h"
#include "data/CodeTables.h"

#include "shell/DbError.h"
#include "shell/ErrorTrap.h"
#include "shell/FieldBehaviour.h"
#include "shell/FrmTagList.h"
#include "shell/MsgBox.h"
#include "shell/Shared.h"
#include "shell/TagList.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalIcons.h"
#include "terminals/TerminalSdk.h"
#include "terminals/frm2.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kNew = QStringLiteral("NEW");
const QString kEdit = QStringLiteral("EDIT");
const QString kDelete = QStringLiteral("DELETE");
const QString kNoMode = QStringLiteral("User");
// Tbl_UserLogInfo keeps names and passwords of this length.
constexpr int kTextColumn = 50;
// The largest user number a terminal holds.
constexpr qlonglong kLargestUser = 2147483647;

// Number columns sort by value, the others by text.
class UserItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        if (column == 0 || column == 2 || column == 4) {
            bool a = false, b = false;
            const qlonglong left = text(column).toLongLong(&a);
            const qlonglong right = other.text(column).toLongLong(&b);
            if (a && b)
                return left < right;
            if (a != b)
                return a;
        }
        return text(column) < other.text(column);
    }
};

QLineEdit* field(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

// The field's user number; false, with the refusal shown, for one past the largest.
bool userNumber(QLineEdit* f, qlonglong& number)
{
    bool ok = false;
    number = f->text().trimmed().toLongLong(&ok);
    if (ok && number <= kLargestUser)
        return true;
    MsgBox(QStringLiteral("Device User ID Cannot Exceed %1").arg(kLargestUser), 64);
    f->setFocus();
    return false;
}

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

QToolButton* picker(QWidget* parent, const char* name)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(QStringLiteral("..."));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// Destroys the picker when the pick ends before it was shown.
struct PickerGuard
{
    ~PickerGuard()
    {
        if (!shown)
            FrmTagList::unloadForm();
    }
    bool shown = false;
};
} // namespace

FrmUser::FrmUser(frm2& window, QWidget* parent) : QDialog(parent), m_window(window)
{
    setObjectName(QStringLiteral("FrmUser"));
    setWindowTitle(QStringLiteral(" User Manager"));
    setModal(true);

    auto* Frame1 = new QGroupBox(QStringLiteral("Available Users"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto* Label4 = label(Frame1, "Label4", QStringLiteral("Users in selected device"));
    lvwUserInformation = new QTreeWidget(Frame1);
    lvwUserInformation->setObjectName(QStringLiteral("lvwUserInformation"));
    lvwUserInformation->setRootIsDecorated(false);
    lvwUserInformation->setUniformRowHeights(true);
    lvwUserInformation->setAllColumnsShowFocus(true);
    lvwUserInformation->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwUserInformation->setHeaderLabels(
        {QStringLiteral("Device User ID"), QStringLiteral("Device Name"), QStringLiteral("RFID"),
         QStringLiteral("Password"), QStringLiteral("Privilage"), QStringLiteral("Status")});
    lvwUserInformation->header()->setSectionsClickable(true);
    const int widths[] = {90, 115, 70, 65, 55, 45};
    for (int c = 0; c < 6; ++c)
        lvwUserInformation->setColumnWidth(c, widths[c]);
    lvwUserInformation->setMinimumWidth(420);
    auto* listLayout = new QVBoxLayout(Frame1);
    listLayout->addWidget(Label4);
    listLayout->addWidget(lvwUserInformation);

    frainformation = new QGroupBox(QStringLiteral("Selected User"), this);
    frainformation->setObjectName(QStringLiteral("frainformation"));
    txtEnrollNum = field(frainformation, "txtEnrollNum");
    // Digits only, every one of them kept: a number cut to fewer digits would be another
    // user's, while the whole number is refused as too large.
    txtEnrollNum->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]*")), txtEnrollNum));
    DumpUser = picker(frainformation, "DumpUser");
    txtName = field(frainformation, "txtName");
    txtName->setMaxLength(kTextColumn);
    txtPaw = field(frainformation, "txtPaw");
    txtPaw->setMaxLength(kTextColumn);
    txtPaw->setEchoMode(QLineEdit::Password);
    // One "*" per character, whatever the style would mask with.
    txtPaw->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    txtRFID = field(frainformation, "txtRFID");
    CboPrivilege = new QComboBox(frainformation);
    CboPrivilege->setObjectName(QStringLiteral("CboPrivilege"));
    ChkEnable = new QCheckBox(QStringLiteral("Enabled"), frainformation);
    ChkEnable->setObjectName(QStringLiteral("ChkEnable"));
    txtMacNum = field(frainformation, "txtMacNum");
    txtMacNum->setEnabled(false);
    txtMacNum->hide();
    DumpMachine = picker(frainformation, "DumpMachine");
    DumpMachine->setEnabled(false);
    DumpMachine->hide();
    txtDescription = field(frainformation, "txtDescription");
    txtDescription->setEnabled(false);
    DumpEmployee = picker(frainformation, "DumpEmployee");

    auto* grid = new QGridLayout(frainformation);
    grid->addWidget(label(frainformation, "labEnrollNum", QStringLiteral("Device User ID")), 0, 0);
    grid->addWidget(txtEnrollNum, 0, 1);
    grid->addWidget(DumpUser, 0, 2);
    grid->addWidget(label(frainformation, "labName", QStringLiteral("Device User Name")), 1, 0);
    grid->addWidget(txtName, 1, 1, 1, 2);
    grid->addWidget(label(frainformation, "labPaw", QStringLiteral("Password")), 2, 0);
    grid->addWidget(txtPaw, 2, 1, 1, 2);
    grid->addWidget(label(frainformation, "Label3", QStringLiteral("ID Card in Device")), 3, 0);
    grid->addWidget(txtRFID, 3, 1, 1, 2);
    grid->addWidget(label(frainformation, "Label2", QStringLiteral("Privilege")), 4, 0);
    grid->addWidget(CboPrivilege, 4, 1, 1, 2);
    grid->addWidget(ChkEnable, 5, 1, 1, 2);
    auto* Label1 = label(frainformation, "Label1", QStringLiteral("Assign Employee"));
    Label1->setEnabled(false);
    grid->addWidget(Label1, 6, 0);
    grid->addWidget(txtDescription, 6, 1);
    grid->addWidget(DumpEmployee, 6, 2);
    auto* labMacNum = label(frainformation, "labMacNum", QStringLiteral("Machine No"));
    labMacNum->hide();
    grid->addWidget(labMacNum, 7, 0);
    grid->addWidget(txtMacNum, 7, 1);
    grid->addWidget(DumpMachine, 7, 2);
    grid->setRowStretch(8, 1);

    auto* FrmOpr = new QGroupBox(this);
    FrmOpr->setObjectName(QStringLiteral("FrmOpr"));
    CmdNew = makeCommandButton(FrmOpr, "CmdNew", QStringLiteral("&New"));
    CmdEdit = makeCommandButton(FrmOpr, "CmdEdit", QStringLiteral("&Edit"));
    CmdDelete = makeCommandButton(FrmOpr, "CmdDelete", QStringLiteral("&Delete"));
    cmdCancelProcess = makeCommandButton(FrmOpr, "cmdCancelProcess", QStringLiteral("C&ancel"));
    cmdCancelProcess->setEnabled(false);
    auto* operations = new QHBoxLayout(FrmOpr);
    for (QPushButton* b : {CmdNew, CmdEdit, CmdDelete, cmdCancelProcess})
        operations->addWidget(b);
    CmdOk = makeCommandButton(this, "CmdOk", QStringLiteral("&Ok"));
    CmdCancel = makeCommandButton(this, "CmdCancel", QStringLiteral("&Close"));
    LblStatus = new QLabel(this);
    LblStatus->setObjectName(QStringLiteral("LblStatus"));

    auto* top = new QHBoxLayout;
    top->addWidget(Frame1, 3);
    top->addWidget(frainformation, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(FrmOpr);
    bottom->addStretch();
    bottom->addWidget(CmdOk);
    bottom->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(LblStatus);
    layout->addLayout(bottom);
    frainformation->setEnabled(false);

    installFieldBehaviour(txtEnrollNum, false, [this] { DumpUser_Click(); });
    installFieldBehaviour(txtName, false);
    installFieldBehaviour(txtPaw, false);
    installFieldBehaviour(txtRFID, false);
    installFieldBehaviour(CboPrivilege, false);
    installEnterToTab(ChkEnable);
    installFieldBehaviour(txtMacNum, true, [this] { DumpMachine_Click(); });
    installFieldBehaviour(txtDescription, true, [this] { DumpEmployee_Click(); });
    // Installed last so that it sees Enter in the user number before the field behaviour.
    for (QLineEdit* f : {txtEnrollNum, txtMacNum, txtDescription})
        f->installEventFilter(this);
    m_refusal = new FocusRefusal(this);
    m_refusal->watch(lvwUserInformation);

    connect(CmdNew, &QPushButton::clicked, this, &FrmUser::CmdNew_Click);
    connect(CmdEdit, &QPushButton::clicked, this, &FrmUser::CmdEdit_Click);
    connect(CmdDelete, &QPushButton::clicked, this, &FrmUser::CmdDelete_Click);
    connect(CmdOk, &QPushButton::clicked, this, &FrmUser::CmdOk_Click);
    connect(cmdCancelProcess, &QPushButton::clicked, this, &FrmUser::cmdCancelProcess_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmUser::CmdCancel_Click);
    connect(DumpUser, &QToolButton::clicked, this, &FrmUser::DumpUser_Click);
    connect(DumpEmployee, &QToolButton::clicked, this, &FrmUser::DumpEmployee_Click);
    connect(DumpMachine, &QToolButton::clicked, this, &FrmUser::DumpMachine_Click);
    connect(lvwUserInformation, &QTreeWidget::itemClicked, this,
            &FrmUser::lvwUserInformation_Click);
    connect(lvwUserInformation->header(), &QHeaderView::sectionClicked, this,
            &FrmUser::lvwUserInformation_ColumnClick);
    resize(860, 420);
}

TerminalSdk& FrmUser::device() const
{
    const int index = m_window.SelectedItem;
    if (index < 0 || index >= m_window.TermCtl1.size())
        throw DbError(340, QStringLiteral("Control array element '%1' doesn't exist").arg(index));
    return *m_window.TermCtl1.at(index);
}

long FrmUser::machine() const
{
    return LinkSettingNumber(m_window.MachineID.toString(), "Machine No");
}

void FrmUser::Form_Load()
{
    trapErrors(objectName(), QStringLiteral("Form_Load()"), [this] {
        CboPrivilege->clear();
        for (int code = 0; code <= 3; ++code)
            CboPrivilege->addItem(PrivilegeNames::name(code));
        CboPrivilege->setCurrentIndex(0);
        fillUsers();
    });
}

void FrmUser::LoadDeviceUsers()
{
    trapErrors(objectName(), QStringLiteral("LoadDeviceUsers()"), [this] { fillUsers(); });
}

void FrmUser::fillUsers()
{
    lvwUserInformation->setSortingEnabled(false);
    lvwUserInformation->clear();
    QVector<DeviceUsers::Row> users;
    auto show = [&] {
        const QIcon icon = TerminalIcons::icon(QStringLiteral("positive"));
        QList<QTreeWidgetItem*> items;
        items.reserve(users.size());
        for (const DeviceUsers::Row& u : users) {
            auto* item = new UserItem(
                QStringList{u.number, u.name, u.card, u.password, QString::number(u.privilege),
                            u.enabled ? QStringLiteral("True") : QStringLiteral("False")});
            item->setIcon(0, icon);
            items.append(item);
        }
        lvwUserInformation->addTopLevelItems(items);
        // One sort of the whole list once it is filled, in the order last asked for.
        if (m_sortColumn >= 0)
            lvwUserInformation->sortItems(m_sortColumn, Qt::AscendingOrder);
        // Outside a mode the user the fields show stays highlighted, so that Delete deletes
        // a listed, highlighted user; one the terminal no longer lists leaves the fields.
        if (frainformation->isEnabled())
            return;
        bool ok = false;
        const qlonglong shown = txtEnrollNum->text().trimmed().toLongLong(&ok);
        const QList<QTreeWidgetItem*> same =
            ok ? lvwUserInformation->findItems(QString::number(shown), Qt::MatchExactly)
               : QList<QTreeWidgetItem*>();
        if (!same.isEmpty())
            lvwUserInformation->setCurrentItem(same.first());
        showHighlighted();
    };
    try {
        DeviceUsers::readAll(device(), machine(), users);
    } catch (...) {
        // The users read before the failure stay listed.
        show();
        throw;
    }
    show();
}

void FrmUser::lvwUserInformation_ColumnClick(int column)
{
    m_sortColumn = column;
    lvwUserInformation->sortItems(column, Qt::AscendingOrder);
}

void FrmUser::DisplayData()
{
    trapErrors(objectName(), QStringLiteral("DisplayData()"), [this] {
        if (lvwUserInformation->topLevelItemCount() == 0)
            return;
        const QTreeWidgetItem* row = lvwUserInformation->currentItem();
        if (!row)
            row = lvwUserInformation->topLevelItem(0);
        txtEnrollNum->setText(row->text(0));
        m_shown = row->text(0);
        // What the operator types is capped; what the terminal holds is shown, and goes
        // back, whole.
        for (const auto& [f, text] : {std::pair{txtName, row->text(1)}, {txtPaw, row->text(3)}}) {
            f->setMaxLength(std::max(kTextColumn, int(text.size())));
            f->setText(text);
        }
        txtRFID->setText(row->text(2));
        int privilege = 0;
        if (!row->text(4).isEmpty()) {
            bool ok = false;
            privilege = row->text(4).toInt(&ok);
            if (!ok || privilege < 0 || privilege >= CboPrivilege->count())
                throw DbError(380, QStringLiteral("Invalid property value"));
        }
        CboPrivilege->setCurrentIndex(privilege);
        ChkEnable->setChecked(row->text(5) == QLatin1String("True"));
    });
}

void FrmUser::lvwUserInformation_Click()
{
    DisplayData();
    // A click during New shows a listed user to edit: Ok writes over that user, so the
    // caption must stop promising a new one.
    if (m_tag == kNew)
        setWindowTitle(QStringLiteral("User -[Edit]"));
    m_tag = kEdit;
}

void FrmUser::setModeButtons(bool enabled)
{
    CmdNew->setEnabled(enabled);
    CmdEdit->setEnabled(enabled);
    CmdDelete->setEnabled(enabled);
}

void FrmUser::CmdNew_Click()
{
    frainformation->setEnabled(true);
    m_tag = kNew;
    setWindowTitle(QStringLiteral("User -[New]"));
    setModeButtons(false);
    cmdCancelProcess->setEnabled(true);
    for (QLineEdit* f : {txtDescription, txtEnrollNum, txtName, txtPaw, txtRFID})
        f->clear();
    txtName->setMaxLength(kTextColumn);
    txtPaw->setMaxLength(kTextColumn);
    m_shown.clear();
    txtMacNum->setText(m_window.MachineID.toString());
    ChkEnable->setChecked(true);
    CboPrivilege->setCurrentIndex(0);
    txtEnrollNum->setFocus();
}

void FrmUser::CmdEdit_Click()
{
    m_tag = kEdit;
    setWindowTitle(QStringLiteral("User -[Edit]"));
    lvwUserInformation->setEnabled(false);
    setModeButtons(false);
    cmdCancelProcess->setEnabled(true);
    frainformation->setEnabled(true);
}

void FrmUser::leaveEditing()
{
    lvwUserInformation->setEnabled(true);
    setModeButtons(true);
    cmdCancelProcess->setEnabled(false);
    frainformation->setEnabled(false);
}

void FrmUser::CmdOk_Click()
{
    if (m_tag == kDelete) {
        CmdDelete_Click();
        return;
    }
    if (m_tag != kNew && m_tag != kEdit)
        return;
    // The field tests run again: the operator may never have left the user number.
    if (!txtEnrollNum_Validate())
        return;
    const bool written = trapErrors(objectName(), QStringLiteral("Error while uploading"), [this] {
        TerminalSdk& sdk = device();
        DeviceUsers::Row user;
        user.number = txtEnrollNum->text();
        user.name = txtName->text();
        user.password = txtPaw->text();
        user.card = QString::number(DeviceUsers::cardNumber(txtRFID->text()));
        user.privilege = DeviceUsers::privilegeCode(CboPrivilege->currentText());
        user.enabled = ChkEnable->isChecked();
        DeviceUsers::write(sdk, machine(), user);
    });
    if (!written)
        return;
    leaveEditing();
    // A refresh that fails is the refresh's failure: the user is written.
    LoadDeviceUsers();
}

void FrmUser::CmdDelete_Click()
{
    trapErrors(objectName(), QStringLiteral("CmdDelete_Click()"), [this] {
        m_tag = kDelete;
        setWindowTitle(QStringLiteral("User -[Delete]"));
        qlonglong user = 0;
        if (txtEnrollNum->text().trimmed().isEmpty() || !userNumber(txtEnrollNum, user))
            return;
        const QString question =
            QStringLiteral("All the information regarding the selected user i.e.User "
                           "Information, Fingerprint Information and User Log Data ") +
            QStringLiteral(" will be deleted fromt the device. ") + QStringLiteral("\r\n") +
            QStringLiteral("Do you want to proceed?");
        if (MsgBox(question, 52) != vbYes)
            return;
        if (DeviceUsers::remove(device(), machine(), long(user)))
            MsgBox(QStringLiteral("User information deleted successfully."), 64);
        else
            MsgBox(QStringLiteral("User information deletion process execution unsuccessful."), 48);
    });
}

void FrmUser::cmdCancelProcess_Click()
{
    m_tag.clear();
    setWindowTitle(kNoMode);
    setModeButtons(true);
    cmdCancelProcess->setEnabled(false);
    frainformation->setEnabled(false);
    lvwUserInformation->setEnabled(true);
    showHighlighted();
}

void FrmUser::showHighlighted()
{
    // Delete deletes the user the fields show: a number typed in the mode just left must not
    // stand in for the user the list highlights.
    const QList<QTreeWidgetItem*> selected = lvwUserInformation->selectedItems();
    if (!selected.isEmpty()) {
        lvwUserInformation->setCurrentItem(selected.first());
        DisplayData();
        return;
    }
    for (QLineEdit* f : {txtEnrollNum, txtName, txtPaw, txtRFID})
        f->clear();
    m_shown.clear();
    CboPrivilege->setCurrentIndex(0);
    ChkEnable->setChecked(false);
}

void FrmUser::CmdCancel_Click()
{
    done(QDialog::Rejected);
}

bool FrmUser::txtEnrollNum_Validate()
{
    if (txtEnrollNum->text().trimmed().isEmpty()) {
        MsgBox(QStringLiteral("Enroll No Cannot Left Blank "), 64);
        txtEnrollNum->setFocus();
        return false;
    }
    qlonglong number = 0;
    if (!userNumber(txtEnrollNum, number))
        return false;
    // NEW and EDIT write over the user of the number they write: another user's number would
    // replace that user, fingerprints left under the new name. The terminal is asked too, for
    // users enrolled since its last connect or added earlier in this visit.
    const bool ownNumber = m_tag == kEdit && !m_shown.isEmpty() && number == m_shown.toLongLong();
    if ((m_tag != kNew && m_tag != kEdit) || ownNumber)
        return true;
    bool used = false;
    if (!trapErrors(objectName(), QStringLiteral("txtEnrollNum_Validate()"), [&] {
            const long device = m_tag == kNew ? txtMacNum->text().trimmed().toLong() : machine();
            used = DeviceUsers::recorded(shared().Cnxn, long(number), device) ||
                   DeviceUsers::held(this->device(), machine(), number);
        }))
        return false;
    if (!used)
        return true;
    MsgBox(QStringLiteral("Device UserID already in use "), 16);
    txtEnrollNum->setFocus();
    return false;
}

bool FrmUser::txtMacNum_Validate()
{
    if (!txtMacNum->isEnabled() || !txtMacNum->text().trimmed().isEmpty())
        return true;
    MsgBox(QStringLiteral("Machine No Cannot Left Blank "), 64);
    txtMacNum->setFocus();
    return false;
}

bool FrmUser::txtDescription_Validate()
{
    if (!txtDescription->isEnabled() || !txtDescription->text().isEmpty())
        return true;
    MsgBox(QStringLiteral("Employee Cannnot Left Blank"), 64);
    txtDescription->setFocus();
    return false;
}

void FrmUser::DumpUser_Click()
{
    trapErrors(objectName(), QStringLiteral("DumpUser_Click()"), [this] {
        PickerGuard guard;
        FrmTagList& list = FrmTagList::form();
        list.setTagListSize(QStringLiteral("USER"));
        list.clearList();
        const QList<QPair<QString, int>> columns = {{QStringLiteral("User ID"), 800},
                                                    {QStringLiteral("Name"), 1200},
                                                    {QStringLiteral("Password"), 1000},
                                                    {QStringLiteral("Privilege"), 1470},
                                                    {QStringLiteral("Enabled"), 800}};
        for (const auto& [caption, width] : columns)
            list.addColumn(caption, width);
        int listed = 0;
        TerminalSdk& sdk = device();
        long status = 0;
        if (!sdk.SdkCheckConnection(status)) {
            MsgBox(QStringLiteral("Device Is Not Connected"), 16);
            return;
        }
        const long m = machine();
        if (sdk.SdkReadAllUserInfo(m)) {
            long number = 0, privilege = 0;
            QString name, password;
            bool enabled = false;
            while (sdk.SdkNextUserInfo(m, number, name, password, privilege, enabled)) {
                list.addRow({QString::number(number),
                             name.isEmpty() ? QStringLiteral("NULL") : name,
                             password.isEmpty() ? QStringLiteral("Null")
                                                : QString(password.size(), QLatin1Char('*')),
                             PrivilegeNames::name(int(privilege)),
                             enabled ? QStringLiteral("True") : QStringLiteral("False")});
                ++listed;
            }
        }
        guard.shown = true;
        FrmTagList::showForm();
        // An empty pick leaves the number alone: the picker's result then is whatever an
        // earlier pick left in it.
        if (m_tag != kNew && listed > 0 && !shared().TagValue1.isEmpty())
            txtEnrollNum->setText(shared().TagValue1);
    });
}

void FrmUser::DumpEmployee_Click()
{
    trapErrors(objectName(), QStringLiteral("DumpEmployee_Click()"), [this] {
        SharedState& s = shared();
        s.TagColCaptions = {QStringLiteral("Emp ID"), QStringLiteral("First Name"),
                            QStringLiteral("Last Name")};
        s.TagColWidths = {950, 1600, 1500};
        FrmTagList::form().setTagListSize(QString());
        s.StrSQL = QStringLiteral(
            "Select EMP_ID,EMP_FIRSTNAME,EMP_LASTNAME From Tbl_Emp_Info Order By Emp_FirstName");
        ShowTagList(s.StrSQL, 2, QStringLiteral("Employee List Not Available"),
                    QStringLiteral("Emp_FirstName"), QStringLiteral("Employee List"), QString());
        if (!s.TagValue1.isEmpty()) {
            m_employee = s.TagValue1.trimmed().toInt();
            txtDescription->setText(s.TagValue1);
        }
    });
}

void FrmUser::DumpMachine_Click()
{
    trapErrors(objectName(), QStringLiteral("DumpMachine_Click()"), [this] {
        ShowTerminalPicker();
        const SharedState& s = shared();
        txtMacNum->setText(s.TagValue1);
    });
}

void FrmUser::Form_KeyDown(int keyCode)
{
    if (keyCode == Qt::Key_Escape) {
        if (m_tag.isEmpty()) {
            done(QDialog::Rejected);
            return;
        }
        // Leaves the mode as Cancel does: fields the mode no longer owns stay closed to
        // typing, so Delete cannot be handed a number the list does not highlight.
        cmdCancelProcess_Click();
    } else if (keyCode == Qt::Key_F5) {
        LoadDeviceUsers();
    }
}

void FrmUser::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_F5) {
        Form_KeyDown(event->key());
        return;
    }
    QDialog::keyPressEvent(event);
}

bool FrmUser::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress && watched == txtEnrollNum && m_tag == kDelete) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CmdOk->setFocus();
            return true;
        }
    } else if (type == QEvent::FocusIn) {
        if (watched == txtEnrollNum)
            LblStatus->setText(QStringLiteral("Press F1 For Device Users List"));
        else if (watched == txtMacNum)
            LblStatus->setText(QStringLiteral("Press F1 For Device List"));
        else if (watched == txtDescription)
            LblStatus->setText(QStringLiteral("Press F1 For Employee List"));
    } else if (type == QEvent::FocusOut && isVisible()) {
        LblStatus->clear();
        // Leaving for Close, a mode button, a picker or another window tests nothing; Ok
        // tests the user number itself.
        QWidget* next = QApplication::focusWidget();
        const QList<QWidget*> untested = {CmdCancel, cmdCancelProcess, CmdOk,
                                          CmdNew,    CmdEdit,          CmdDelete};
        if (next && !untested.contains(next) && isAncestorOf(next)) {
            bool accepted = true;
            if (watched == txtEnrollNum)
                accepted = txtEnrollNum_Validate();
            else if (watched == txtMacNum)
                accepted = txtMacNum_Validate();
            else if (watched == txtDescription)
                accepted = txtDescription_Validate();
            if (!accepted)
                m_refusal->refused(next, static_cast<QFocusEvent*>(event)->reason());
        }
    }
    return QDialog::eventFilter(watched, event);
}
