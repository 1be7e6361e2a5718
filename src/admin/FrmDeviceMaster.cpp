#include "FrmDeviceMaster.h"

#include "DeviceMasterStore.h"

#include "ScreenParts.h"
#include "data/CodeTables.h"

#include "shell/DbError.h"
#include "shell/ErrorTrap.h"
#include "shell/FieldBehaviour.h"
#include "shell/ModFunction.h"
#include "shell/MsgBox.h"
#include "shell/Shared.h"
#include "terminals/TerminalIcons.h"
#include "terminals/frm2.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
const QString kNew = QStringLiteral("NEW");
const QString kEdit = QStringLiteral("EDIT");
const QString kDelete = QStringLiteral("DELETE");
// "Process it as it is.", the only processing mode the register writes.
constexpr int kLogModeEntry = 2;

QLineEdit* field(QWidget* parent, const char* name, int maxLength)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    return edit;
}
} // namespace

FrmDeviceMaster::FrmDeviceMaster(frm2& window, QWidget* parent) : QDialog(parent), m_window(window)
{
    setObjectName(QStringLiteral("FrmDeviceMaster"));
    setWindowTitle(QStringLiteral(" Device Setting"));
    setModal(true);

    Frame2 = new QGroupBox(QStringLiteral("Device Information"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    // Each field holds no more than its column takes.
    TxtMacNo = field(Frame2, "TxtMacNo", 11);
    txtDescription = field(Frame2, "txtDescription", 255);
    DumpMachine = new QToolButton(Frame2);
    DumpMachine->setObjectName(QStringLiteral("DumpMachine"));
    DumpMachine->setText(QStringLiteral("..."));
    DumpMachine->setFocusPolicy(Qt::NoFocus);
    Frame1 = new QGroupBox(QStringLiteral("Connection Mode"), Frame2);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    optNetconncet = new QRadioButton(QStringLiteral("Net Connect"), Frame1);
    optNetconncet->setObjectName(QStringLiteral("optNetconncet"));
    optCom = new QRadioButton(QStringLiteral("Com Connect"), Frame1);
    optCom->setObjectName(QStringLiteral("optCom"));
    optNetconncet->setChecked(true);
    auto* modes = new QHBoxLayout(Frame1);
    modes->addWidget(optNetconncet);
    modes->addWidget(optCom);
    TxtIpAdd = field(Frame2, "TxtIpAdd", 18);
    TxtPortNo = field(Frame2, "TxtPortNo", 10);
    TxtPortNo->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), TxtPortNo));
    TxtComNo = field(Frame2, "TxtComNo", 4);
    TxtRate = field(Frame2, "TxtRate", 10);
    cboDeviceLogMode = new QComboBox(Frame2);
    cboDeviceLogMode->setObjectName(QStringLiteral("cboDeviceLogMode"));
    cboDeviceLogMode->hide();
    lblDeviceLogMode = new QLabel(QStringLiteral("Device Logging Style"), Frame2);
    lblDeviceLogMode->hide();

    auto* grid = new QGridLayout(Frame2);
    int row = 0;
    auto addRow = [&](const QString& label, QWidget* w, QWidget* extra = nullptr) {
        grid->addWidget(new QLabel(label, Frame2), row, 0);
        grid->addWidget(w, row, 1);
        if (extra)
            grid->addWidget(extra, row, 2);
        ++row;
    };
    addRow(QStringLiteral("Machine No"), TxtMacNo);
    addRow(QStringLiteral("Description "), txtDescription, DumpMachine);
    grid->addWidget(Frame1, row++, 0, 1, 3);
    addRow(QStringLiteral("IP Address"), TxtIpAdd);
    addRow(QStringLiteral("Port No "), TxtPortNo);
    addRow(QStringLiteral("Com No"), TxtComNo);
    addRow(QStringLiteral("Baud Rate"), TxtRate);
    grid->setRowStretch(row, 1);

    Frame3 = new QGroupBox(QStringLiteral("Device Currently in Use"), this);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    lvX = new QTreeWidget(Frame3);
    lvX->setObjectName(QStringLiteral("lvX"));
    lvX->setRootIsDecorated(false);
    lvX->setUniformRowHeights(true);
    lvX->setAllColumnsShowFocus(true);
    lvX->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvX->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvX->setMinimumWidth(200);
    (new QVBoxLayout(Frame3))->addWidget(lvX);

    FrmOpr = new QGroupBox(this);
    FrmOpr->setObjectName(QStringLiteral("FrmOpr"));
    CmdNew = makeCommandButton(FrmOpr, "CmdNew", QStringLiteral("&New"));
    CmdEdit = makeCommandButton(FrmOpr, "CmdEdit", QStringLiteral("&Edit"));
    CmdDelete = makeCommandButton(FrmOpr, "CmdDelete", QStringLiteral("&Delete"));
    auto* operations = new QHBoxLayout(FrmOpr);
    operations->addWidget(CmdNew);
    operations->addWidget(CmdEdit);
    operations->addWidget(CmdDelete);
    CmdSave = makeCommandButton(this, "CmdSave", QStringLiteral("&Ok"));
    CmdCancel = makeCommandButton(this, "CmdCancel", QStringLiteral("&Cancel"));

    auto* top = new QHBoxLayout;
    top->addWidget(Frame2, 3);
    top->addWidget(Frame3, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(FrmOpr);
    bottom->addStretch();
    bottom->addWidget(CmdSave);
    bottom->addWidget(CmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);

    setTabOrder(TxtMacNo, txtDescription);
    setTabOrder(txtDescription, optNetconncet);
    setTabOrder(optNetconncet, optCom);
    setTabOrder(optCom, TxtIpAdd);
    setTabOrder(TxtIpAdd, TxtPortNo);
    setTabOrder(TxtPortNo, TxtComNo);
    setTabOrder(TxtComNo, TxtRate);

    installFieldBehaviour(TxtMacNo);
    installFieldBehaviour(txtDescription, true, [this] { DumpMachine_Click(); });
    for (QLineEdit* f : {TxtIpAdd, TxtPortNo, TxtComNo, TxtRate})
        installFieldBehaviour(f);
    installEnterToTab(optNetconncet);
    installEnterToTab(optCom);
    for (QLineEdit* f : {TxtMacNo, txtDescription, TxtIpAdd, TxtPortNo, TxtComNo, TxtRate})
        f->installEventFilter(this);
    m_refusal = new FocusRefusal(this);
    m_refusal->watch(lvX);

    connect(CmdNew, &QPushButton::clicked, this, &FrmDeviceMaster::CmdNew_Click);
    connect(CmdEdit, &QPushButton::clicked, this, &FrmDeviceMaster::CmdEdit_Click);
    connect(CmdDelete, &QPushButton::clicked, this, &FrmDeviceMaster::CmdDelete_Click);
    connect(CmdSave, &QPushButton::clicked, this, &FrmDeviceMaster::CmdSave_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmDeviceMaster::CmdCancel_Click);
    connect(DumpMachine, &QToolButton::clicked, this, &FrmDeviceMaster::DumpMachine_Click);
    connect(lvX, &QTreeWidget::itemClicked, this, &FrmDeviceMaster::lvX_Click);
    connect(optCom, &QRadioButton::clicked, this, &FrmDeviceMaster::optCom_Click);
    connect(optNetconncet, &QRadioButton::clicked, this, &FrmDeviceMaster::optNetconncet_Click);
    resize(760, 380);
}

void FrmDeviceMaster::Form_Load()
{
    trapErrors(objectName(), QStringLiteral("Form_Load()"), [this] {
        if (optCom->isChecked())
            optCom_Click();
        if (optNetconncet->isChecked())
            optNetconncet_Click();
        cboDeviceLogMode->clear();
        const QStringList modes = ProcessModes::all();
        for (int i = 0; i < modes.size(); ++i)
            cboDeviceLogMode->addItem(modes[i], i + 1);
        MnuDeviceList_Click();
        DisplayData(1);
    });
}

void FrmDeviceMaster::optCom_Click()
{
    if (!optCom->isChecked())
        return;
    TxtComNo->setEnabled(true);
    TxtRate->setEnabled(true);
    TxtIpAdd->setEnabled(false);
    TxtPortNo->setEnabled(false);
}

void FrmDeviceMaster::optNetconncet_Click()
{
    if (!optNetconncet->isChecked())
        return;
    TxtComNo->setEnabled(false);
    TxtRate->setEnabled(false);
    TxtIpAdd->setEnabled(true);
    TxtPortNo->setEnabled(true);
}

void FrmDeviceMaster::MnuDeviceList_Click()
{
    trapErrors(objectName(), QStringLiteral("MnuDeviceList_Click()"), [this] {
        lvX->setProperty("Tag", QStringLiteral("MLIST"));
        ReloadMachinList();
    });
}

void FrmDeviceMaster::ReloadMachinList()
{
    trapErrors(objectName(), QStringLiteral("ReloadMachinList()"), [this] {
        const QVector<TerminalRecord> rows = DeviceMasterStore::list(shared().Cnxn);
        lvX->clear();
        const QStringList captions = {QStringLiteral("ID"),       QStringLiteral("Description"),
                                      QStringLiteral("Com No"),   QStringLiteral("IP Address"),
                                      QStringLiteral("Port No"),  QStringLiteral("Baud Rate"),
                                      QStringLiteral("Com Type"), QStringLiteral("Status"),
                                      QStringLiteral("Log Style")};
        lvX->setColumnCount(captions.size());
        lvX->setHeaderLabels(captions);
        // Only the number and the description show; the other columns are there, unseen.
        lvX->setColumnWidth(0, 600 / 15);
        lvX->setColumnWidth(1, 2250 / 15);
        for (int c = 2; c < captions.size(); ++c)
            lvX->setColumnHidden(c, true);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const QIcon icon = TerminalIcons::icon(QStringLiteral("device"));
        QList<QTreeWidgetItem*> items;
        items.reserve(rows.size());
        for (const TerminalRecord& r : rows) {
            auto* item = new QTreeWidgetItem(
                QStringList{QString::number(r.DeviceID), r.DeviceDescription, r.ComNo, r.IPAddress,
                            r.PortNo, r.BaudRate, QString(), QString(), QString()});
            item->setIcon(0, icon);
            items.append(item);
        }
        lvX->addTopLevelItems(items);
        QApplication::restoreOverrideCursor();
    });
}

void FrmDeviceMaster::DisplayData(int Source)
{
    trapErrors(objectName(), QStringLiteral("DisplayData()"), [&] {
        QString number, description, com, ip, port, rate;
        if (Source == 1) {
            if (m_window.ListItemCount() == 0)
                return;
            const QModelIndex current = m_window.lvX->currentIndex();
            const int row = current.isValid() ? current.row() + 1 : m_window.SelectedItem;
            if (row < 1 || row > m_window.ListItemCount())
                throw DbError(91, QStringLiteral("No terminal row is selected."));
            // The key, not the row text: in large-icon view the text is "Name (5)".
            number = m_window.ListItemKey(row).mid(1);
            description = m_window.ListItemText(row, 1);
            com = m_window.ListItemText(row, 2);
            ip = m_window.ListItemText(row, 3);
            port = m_window.ListItemText(row, 4);
            rate = m_window.ListItemText(row, 5);
        } else {
            const QTreeWidgetItem* item = lvX->currentItem();
            if (!item)
                throw DbError(91, QStringLiteral("No terminal row is selected."));
            number = item->text(0);
            description = item->text(1);
            com = item->text(2);
            ip = item->text(3);
            port = item->text(4);
            rate = item->text(5);
        }
        // The option follows whether an address is stored, not the stored ConMode.
        if (ip.isEmpty()) {
            optCom->setChecked(true);
            optCom_Click();
        } else {
            optNetconncet->setChecked(true);
            optNetconncet_Click();
        }
        txtDescription->setText(description);
        TxtMacNo->setText(number);
        bool ok = false;
        const long shown = number.toLong(&ok);
        m_shown = ok ? std::optional<long>(shown) : std::nullopt;
        TxtComNo->setText(com);
        TxtIpAdd->setText(ip);
        TxtPortNo->setText(port);
        TxtRate->setText(rate);
        if (const QTreeWidgetItem* own = lvX->currentItem())
            SelectComboItem(cboDeviceLogMode, -1, own->text(8));
    });
}

void FrmDeviceMaster::lvX_Click()
{
    DisplayData(2);
}

void FrmDeviceMaster::ClearFields()
{
    for (QLineEdit* f : {TxtComNo, txtDescription, TxtIpAdd, TxtPortNo, TxtMacNo, TxtRate})
        f->clear();
    cboDeviceLogMode->setCurrentIndex(-1);
    m_shown.reset();
}

void FrmDeviceMaster::ResetButtons()
{
    CmdNew->setEnabled(true);
    CmdEdit->setEnabled(true);
    CmdDelete->setEnabled(true);
    ClearFields();
}

void FrmDeviceMaster::setMode(const QString& tag, const QString& caption, QPushButton* keep)
{
    m_tag = tag;
    setWindowTitle(caption);
    for (QPushButton* b : {CmdNew, CmdEdit, CmdDelete})
        b->setEnabled(b == keep);
}

void FrmDeviceMaster::CmdNew_Click()
{
    setMode(kNew, QStringLiteral("Device Master - [New]"), CmdNew);
    ClearFields();
    TxtMacNo->setFocus();
}

void FrmDeviceMaster::CmdEdit_Click()
{
    setMode(kEdit, QStringLiteral("Device Master - [Edit]"), CmdEdit);
}

void FrmDeviceMaster::CmdDelete_Click()
{
    setMode(kDelete, QStringLiteral("Device Master - [Delete]"), CmdDelete);
}

bool FrmDeviceMaster::blankRefused(QLineEdit* f, const QString& message)
{
    if (!f->text().isEmpty())
        return false;
    MsgBox(message, 64);
    f->setFocus();
    return true;
}

bool FrmDeviceMaster::TxtMacNo_Validate()
{
    // With no mode nothing is being entered: an emptied field may be left.
    if (m_tag.isEmpty())
        return true;
    if (blankRefused(TxtMacNo, QStringLiteral("Machine No Cannot Left Blank")))
        return false;
    // The terminal being edited may keep its own number.
    bool ok = false;
    const long number = TxtMacNo->text().trimmed().toLong(&ok);
    if (m_tag == kEdit && ok && number == m_shown)
        return true;
    return numberFree();
}

bool FrmDeviceMaster::numberFree()
{
    bool used = false;
    if (!trapErrors(objectName(), QStringLiteral("TxtMacNo_Validate()"),
                    [&] { used = DeviceMasterStore::exists(shared().Cnxn, TxtMacNo->text()); }))
        return false;
    if (!used)
        return true;
    MsgBox(QStringLiteral("Machine No Already in Use"), 64);
    TxtMacNo->setFocus();
    return false;
}

bool FrmDeviceMaster::txtDescription_Validate()
{
    return !blankRefused(txtDescription, QStringLiteral("Description Cannot Left Blank"));
}

bool FrmDeviceMaster::TxtIpAdd_Validate()
{
    return !optNetconncet->isChecked() ||
           !blankRefused(TxtIpAdd, QStringLiteral("IP Address Cannot Left Blank"));
}

bool FrmDeviceMaster::TxtPortNo_Validate()
{
    return !optNetconncet->isChecked() ||
           !blankRefused(TxtPortNo, QStringLiteral("Port No Cannot Left Blank"));
}

bool FrmDeviceMaster::TxtComNo_Validate()
{
    return !optCom->isChecked() ||
           !blankRefused(TxtComNo, QStringLiteral("Com No Cannot Left Blank"));
}

bool FrmDeviceMaster::TxtRate_Validate()
{
    return !optCom->isChecked() || !blankRefused(TxtRate, QStringLiteral("Rate Cannot Left Blank"));
}

bool FrmDeviceMaster::fieldsAccepted()
{
    // A field the operator never left was never tested: Ok tests the mode's fields again.
    // DELETE works on the number it shows. EDIT replaces every row of the number it saves
    // under, so a number other than its own must be free, or another terminal's row would go.
    if (m_tag == kDelete)
        return !blankRefused(TxtMacNo, QStringLiteral("Machine No Cannot Left Blank"));
    return TxtMacNo_Validate() && txtDescription_Validate() && TxtIpAdd_Validate() &&
           TxtPortNo_Validate() && TxtComNo_Validate() && TxtRate_Validate();
}

void FrmDeviceMaster::CmdSave_Click()
{
    if (m_tag != kNew && m_tag != kEdit && m_tag != kDelete)
        return;
    if (!fieldsAccepted())
        return;
    trapErrors(objectName(), QStringLiteral("cmdSave_Click ()"), [this] {
        Db& db = shared().Cnxn;
        TerminalRecord record;
        record.ConMode = optCom->isChecked()          ? ConnectionModes::Serial
                         : optNetconncet->isChecked() ? ConnectionModes::Network
                                                      : ConnectionModes::Serial;
        cboDeviceLogMode->setCurrentIndex(kLogModeEntry);
        record.Log_Mode = cboDeviceLogMode->currentData().toInt();
        record.DeviceID = DeviceMasterStore::machineNumber(TxtMacNo->text());
        record.ComNo = TxtComNo->text();
        record.DeviceDescription = txtDescription->text();
        record.PortNo = TxtPortNo->text();
        record.IPAddress = TxtIpAdd->text();
        record.BaudRate = TxtRate->text();
        if (m_tag == kNew) {
            DeviceMasterStore::insert(db, record);
            ClearFields();
            m_window.LoadElement(DeviceMasterStore::count(db));
        } else if (m_tag == kEdit) {
            DeviceMasterStore::replace(db, record.DeviceID, record);
            ClearFields();
        } else {
            DeviceMasterStore::remove(db, record.DeviceID);
            ClearFields();
        }
        m_window.ReloadMachineList();
        ReloadMachinList();
        ResetButtons();
        // The fields are empty now: the focus waits on the list, not in a field that would
        // refuse to be left blank.
        const QScopedValueRollback<bool> validating(m_validating, true);
        lvX->setFocus();
    });
}

void FrmDeviceMaster::CmdCancel_Click()
{
    done(QDialog::Rejected);
}

void FrmDeviceMaster::LoadControl()
{
    try {
        m_window.LoadElement(DeviceMasterStore::count(shared().Cnxn));
    } catch (...) {
        // Reached by no command; whatever fails is passed over.
    }
}

void FrmDeviceMaster::DumpMachine_Click()
{
    trapErrors(objectName(), QStringLiteral("DumpMachine_Click()"), [this] {
        ShowTerminalPicker();
        const SharedState& s = shared();
        txtDescription->setText(s.TagValue2);
        TxtMacNo->setText(s.TagValue1);
    });
}

void FrmDeviceMaster::Form_KeyDown(int keyCode)
{
    trapErrors(objectName(), QStringLiteral("Form_KeyDown()"), [&] {
        if (keyCode != Qt::Key_Escape)
            return;
        if (m_tag.isEmpty()) {
            done(QDialog::Rejected);
            return;
        }
        CmdEdit->setEnabled(true);
        CmdNew->setEnabled(true);
        CmdDelete->setEnabled(true);
        setWindowTitle(QStringLiteral("Device Master "));
        m_tag.clear();
    });
}

void FrmDeviceMaster::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Form_KeyDown(Qt::Key_Escape);
        return;
    }
    QDialog::keyPressEvent(event);
}

bool FrmDeviceMaster::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && isVisible()) {
        // Leaving for Cancel, a mode button, the picker or another window tests nothing (New
        // clears the very field that would refuse it); Ok tests the fields itself, so leaving
        // for it would show a refusal twice. Nor does a click that chooses a connection mode:
        // the field left may be one the other mode does without, and a refusal would stop the
        // choice. Tab onto a mode chooses nothing, so the field is tested as for any other.
        QWidget* next = QApplication::focusWidget();
        const QList<QWidget*> untested = {CmdCancel, CmdSave,   CmdNew,
                                          CmdEdit,   CmdDelete, DumpMachine};
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        const bool modeClicked =
            reason == Qt::MouseFocusReason && (next == optCom || next == optNetconncet);
        if (!m_validating && !m_tag.isEmpty() && next && !untested.contains(next) && !modeClicked &&
            isAncestorOf(next)) {
            const QScopedValueRollback<bool> validating(m_validating, true);
            bool accepted = true;
            if (watched == TxtMacNo)
                accepted = TxtMacNo_Validate();
            else if (watched == txtDescription)
                accepted = txtDescription_Validate();
            else if (watched == TxtIpAdd)
                accepted = TxtIpAdd_Validate();
            else if (watched == TxtPortNo)
                accepted = TxtPortNo_Validate();
            else if (watched == TxtComNo)
                accepted = TxtComNo_Validate();
            else if (watched == TxtRate)
                accepted = TxtRate_Validate();
            if (!accepted)
                m_refusal->refused(next, reason);
        }
    }
    return QDialog::eventFilter(watched, event);
}
