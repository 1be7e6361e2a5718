#include "FrmLogHistory.h"

#include "Corrections.h"
#include "HistoryStore.h"

#include "shell/Clock.h"
#include "shell/ErrorTrap.h"
#include "shell/FieldBehaviour.h"
#include "shell/ModFunction.h"
#include "shell/MsgBox.h"
#include "shell/Settings.h"
#include "shell/Shared.h"
#include "shell/cToolTip.h"
#include "terminals/frm2.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <optional>

namespace {
const QString kForm = QStringLiteral("FrmLogHistory");
const QString kDateFormat = QStringLiteral("yyyy/MM/dd");
constexpr int kTwipsPerPixel = 15;

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QDateEdit* picker(QWidget* parent, const char* name)
{
    auto* p = new QDateEdit(parent);
    p->setObjectName(QLatin1String(name));
    p->setDisplayFormat(kDateFormat);
    p->setCalendarPopup(true);
    installDateTyping(p);
    return p;
}

QLineEdit* dateBox(QWidget* parent, const char* name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

// The date box's conversion: the day as the locale writes it in full.
QString dateBoxText(const QDate& date)
{
    return QLocale().toString(date, QLocale::LongFormat);
}

QIcon picture(int index)
{
    const QStyle* style = QApplication::style();
    switch (index) {
    case 1:
        return style->standardIcon(QStyle::SP_ComputerIcon);
    case 2:
        return style->standardIcon(QStyle::SP_DirOpenIcon);
    case 3:
        return style->standardIcon(QStyle::SP_FileIcon);
    default:
        return style->standardIcon(QStyle::SP_DirClosedIcon);
    }
}
} // namespace

FrmLogHistory::FrmLogHistory(frm2* window, QWidget* parent) : QDialog(parent), m_window(window)
{
    setObjectName(kForm);
    setWindowTitle(Caption);

    FrmTreeview = new QFrame(this);
    FrmTreeview->setObjectName(QStringLiteral("FrmTreeview"));
    TreeView1 = new QTreeWidget(FrmTreeview);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setColumnCount(1);
    Label3 = new QLabel(QStringLiteral("Search"), FrmTreeview);
    Label3->setObjectName(QStringLiteral("Label3"));
    TxtSearch = new QLineEdit(FrmTreeview);
    TxtSearch->setObjectName(QStringLiteral("TxtSearch"));
    CmdSearch = button(FrmTreeview, "CmdSearch", QStringLiteral("&Search"));
    auto* search = new QHBoxLayout;
    search->addWidget(Label3);
    search->addWidget(TxtSearch, 1);
    search->addWidget(CmdSearch);
    auto* treeLayout = new QVBoxLayout(FrmTreeview);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->addWidget(TreeView1, 1);
    treeLayout->addLayout(search);

    Frame1 = new QGroupBox(QStringLiteral("Select Date"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Label1 = new QLabel(QStringLiteral("From "), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    DTPicker1 = picker(Frame1, "DTPicker1");
    NDtBox1 = dateBox(Frame1, "NDtBox1");
    Label2 = new QLabel(QStringLiteral("To"), Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    DTPicker2 = picker(Frame1, "DTPicker2");
    NDtBox2 = dateBox(Frame1, "NDtBox2");
    auto* dates = new QGridLayout(Frame1);
    dates->addWidget(Label1, 0, 0);
    dates->addWidget(DTPicker1, 0, 1);
    dates->addWidget(NDtBox1, 0, 2);
    dates->addWidget(Label2, 1, 0);
    dates->addWidget(DTPicker2, 1, 1);
    dates->addWidget(NDtBox2, 1, 2);
    dates->setColumnStretch(2, 1);

    DTPicker3 = picker(this, "DTPicker3");
    DTPicker3->setDate(Clock::today());
    cmbShift = new QComboBox(this);
    cmbShift->setObjectName(QStringLiteral("cmbShift"));
    for (int shift = 1; shift <= 4; ++shift)
        cmbShift->addItem(QStringLiteral("Shift %1").arg(shift), shift);
    cmbShift->setCurrentIndex(-1);

    LblEmployee = new QLabel(this);
    LblEmployee->setObjectName(QStringLiteral("LblEmployee"));
    LblEmployee->setFont(QFont(QStringLiteral("Arial"), 10, QFont::Bold));

    lsv = new QTreeWidget(this);
    lsv->setObjectName(QStringLiteral("lsv"));
    lsv->setRootIsDecorated(false);
    lsv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lsv->setColumnCount(0);

    CmdSignIn = button(this, "CmdSignIn", QStringLiteral("Sign &In"));
    CmdSignOut = button(this, "CmdSignOut", QStringLiteral("Sign &Out"));
    CmdSignInOut = button(this, "CmdSignInOut", QStringLiteral("Sign In - Sign Out"));
    CmdMakeOut = button(this, "CmdMakeOut", QStringLiteral("Last Sign in as Sign Out"));
    ChkConsistent = button(this, "ChkConsistent", QStringLiteral("Missing Sign Out"));
    CmdClearLog = button(this, "CmdClearLog", QStringLiteral("Clear &Log"));
    CmdCancel = button(this, "CmdCancel", QStringLiteral("&Cancel"));

    FrmGrid = new QFrame(this);
    FrmGrid->setObjectName(QStringLiteral("FrmGrid"));
    Grid = new QTableWidget(FrmGrid);
    Grid->setObjectName(QStringLiteral("Grid"));
    FrmGrid->hide();

    auto* signOutDay = new QHBoxLayout;
    signOutDay->addWidget(DTPicker3);
    signOutDay->addWidget(cmbShift);
    signOutDay->addStretch();

    auto* commands = new QVBoxLayout;
    for (QPushButton* b :
         {CmdSignIn, CmdSignOut, CmdSignInOut, CmdMakeOut, ChkConsistent, CmdClearLog})
        commands->addWidget(b);
    commands->addStretch();
    commands->addWidget(CmdCancel);

    auto* list = new QVBoxLayout;
    list->addWidget(Frame1);
    list->addLayout(signOutDay);
    list->addWidget(LblEmployee);
    list->addWidget(lsv, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(FrmTreeview, 2);
    layout->addLayout(list, 3);
    layout->addLayout(commands);
    resize(900, 560);

    connect(CmdSearch, &QPushButton::clicked, this, &FrmLogHistory::CmdSearch_Click);
    connect(TreeView1, &QTreeWidget::itemClicked, this, [this] { TreeView1_Click(); });
    connect(TreeView1, &QTreeWidget::itemExpanded, this, &FrmLogHistory::TreeView1_Expand);
    connect(TreeView1, &QTreeWidget::itemCollapsed, this, &FrmLogHistory::TreeView1_Collapse);
    connect(lsv, &QTreeWidget::itemClicked, this, [this] { lsv_Click(); });
    connect(lsv, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (!m_filling)
            lsv_ItemCheck(item);
    });
    connect(DTPicker1, &QDateEdit::dateChanged, this, &FrmLogHistory::DTPicker1_Change);
    connect(DTPicker2, &QDateEdit::dateChanged, this, &FrmLogHistory::DTPicker2_Change);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmLogHistory::CmdCancel_Click);
    connect(CmdSignIn, &QPushButton::clicked, this, &FrmLogHistory::CmdSignIn_Click);
    connect(CmdSignOut, &QPushButton::clicked, this, &FrmLogHistory::CmdSignOut_Click);
    connect(CmdSignInOut, &QPushButton::clicked, this, &FrmLogHistory::CmdSignInOut_Click);
    connect(CmdMakeOut, &QPushButton::clicked, this, &FrmLogHistory::CmdMakeOut_Click);
    connect(ChkConsistent, &QPushButton::clicked, this, &FrmLogHistory::ChkConsistent_Click);
    connect(CmdClearLog, &QPushButton::clicked, this, &FrmLogHistory::CmdClearLog_Click);
}

FrmLogHistory::~FrmLogHistory() = default;

void FrmLogHistory::Form_Load()
{
    const auto tip = [](QWidget* control, const QStringList& lines) {
        QString title;
        AttachToolTip(control, lines.join(QStringLiteral("\r\n")), title, 1, 65, 0, 0x80000018);
    };
    tip(CmdSearch,
        {QStringLiteral("Enter Text To Search."), QStringLiteral("Press Ctrl + N For New Search."),
         QStringLiteral("Press Enter / Enter To Display data.")});
    tip(CmdMakeOut, {QStringLiteral("Make Last Sign In Data Of Employees as Sign Out."),
                     QStringLiteral("If they have multiple sign in logs.")});
    tip(ChkConsistent, {QStringLiteral("If you cannot view employees Sign out data"),
                        QStringLiteral("in Report but it exists in Employees Attendance Log.")});
    tip(CmdSignInOut,
        {QStringLiteral("Sets First Log Data as Sign In and Last Log Data As Sign Out"),
         QStringLiteral("For all employees in the list between mention Dates.")});
    tip(CmdClearLog, {QStringLiteral("Clears the attendance history logs from"),
                      QStringLiteral("system of selected employee in list"),
                      QStringLiteral("between mention Dates.")});
    tip(CmdSignIn, {QStringLiteral("Sets the Sign In Information of selected Employee")});
    tip(CmdSignOut, {QStringLiteral("Sets the SignOut Information of selected Employee")});
    tip(CmdCancel, {QStringLiteral("Close Current Window")});

    Form_Activate();

    // Ctrl+N is seen by the form before any of its controls.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    DTPicker1->setDate(Clock::today());
    DTPicker2->setDate(Clock::today());
    DTPicker1_Change();
    DTPicker2_Change();

    // The list and the setting come before the tree, so a tree that cannot be built still
    // leaves them as they should be.
    lsv->setColumnCount(4);
    lsv->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Mode"),
                          QStringLiteral("Type")});
    const int widths[4] = {1200, 1200, 1200, 1000};
    for (int c = 0; c < 4; ++c)
        lsv->setColumnWidth(c, widths[c] / kTwipsPerPixel);
    // The date shares its column with the check box.
    lsv->setColumnWidth(0,
                        lsv->columnWidth(0) + 2 * style()->pixelMetric(QStyle::PM_IndicatorWidth));
    shared().SignInOutSetting = Settings::number(Settings::Signinout) != 0;
    CmdMakeOut->setEnabled(shared().SignInOutSetting);

    trapErrors(kForm, QStringLiteral("Form_Load()"), [this] { buildTree(); });
}

void FrmLogHistory::buildTree()
{
    TreeView1->clear();
    Db& db = shared().Cnxn;
    auto* root = new QTreeWidgetItem(TreeView1, {HistoryStore::organisationName(db)});
    root->setData(0, TagRole, QString());
    setPicture(root, 1);
    root->setExpanded(true);
    const QVector<HistoryStore::Department> departments = HistoryStore::departments(db);
    for (const HistoryStore::Department& d : departments) {
        auto* dept = new QTreeWidgetItem(root, {d.name});
        dept->setData(0, TagRole, QString());
        for (const HistoryStore::Employee& e : d.employees) {
            auto* node = new QTreeWidgetItem(dept, {e.fullName + QStringLiteral(" (") +
                                                    QString::number(e.empId) + QLatin1Char(')')});
            node->setData(0, TagRole, QString::number(e.empId));
            setPicture(node, 3);
        }
        dept->setExpanded(true);
        setPicture(dept, 2);
    }
}

void FrmLogHistory::setPicture(QTreeWidgetItem* node, int index)
{
    node->setData(0, PictureRole, index);
    node->setIcon(0, picture(index));
}

void FrmLogHistory::Form_Activate()
{
    FrmGrid->hide();
    FrmTreeview->show();
    FrmGrid->move(FrmTreeview->pos());
}

void FrmLogHistory::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    Form_Activate();
}

bool FrmLogHistory::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    const int shift = (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
                      (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
                      (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
    if (key->key() == Qt::Key_N && shift == 2) {
        Form_KeyDown(78, shift);
        return true;
    }
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == TxtSearch && enter) {
        TxtSearch_KeyDown(13);
        return true;
    }
    if (watched == TreeView1 && enter) {
        TreeView1_KeyDown(13);
        return true;
    }
    if (watched == CmdCancel && key->key() == Qt::Key_Escape) {
        CmdCancel_KeyDown(27);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void FrmLogHistory::keyPressEvent(QKeyEvent* event)
{
    // Esc closes the screen from the Cancel button only (seen there by the event filter).
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FrmLogHistory::Form_KeyDown(int keyCode, int shift)
{
    if (keyCode == 78 && shift == 2) {
        TxtSearch->clear();
        TxtSearch->setFocus();
    }
}

void FrmLogHistory::TxtSearch_KeyDown(int keyCode)
{
    if (keyCode == 13)
        CmdSearch_Click();
}

void FrmLogHistory::CmdSearch_Click()
{
    trapErrors(kForm, QStringLiteral("CmdSearch_Click()"), [this] {
        const QString text = TxtSearch->text();
        for (QTreeWidgetItemIterator it(TreeView1); *it; ++it) {
            if ((*it)->text(0).contains(text, Qt::CaseInsensitive)) {
                TreeView1->setCurrentItem(*it);
                TreeView1->setFocus();
                return;
            }
        }
    });
}

QString FrmLogHistory::selectedTag() const
{
    const QTreeWidgetItem* node = TreeView1->currentItem();
    return node ? node->data(0, TagRole).toString() : QString();
}

QString FrmLogHistory::listedTag(QString& nodeText) const
{
    // The search and the arrow keys move the selection without listing: the checked punches
    // still belong to the employee listed.
    if (!m_listedTag.isEmpty()) {
        nodeText = m_listedText;
        return m_listedTag;
    }
    nodeText = TreeView1->currentItem() ? TreeView1->currentItem()->text(0) : QString();
    return selectedTag();
}

void FrmLogHistory::TreeView1_Click()
{
    trapErrors(kForm, QStringLiteral("TreeView1_Click()"), [this] {
        if (TreeView1->topLevelItemCount() == 0 || selectedTag().isEmpty())
            return;
        const QString text = TreeView1->currentItem()->text(0);
        LblEmployee->setText(text.left(text.lastIndexOf(QStringLiteral(" (")) + 1));
        HistoryLog(selectedTag().toLong());
    });
}

void FrmLogHistory::TreeView1_KeyDown(int keyCode)
{
    trapErrors(kForm, QStringLiteral("TreeView1_KeyDown()"), [&] {
        if (keyCode == 13 && !selectedTag().isEmpty())
            TreeView1_Click();
    });
}

void FrmLogHistory::TreeView1_Expand(QTreeWidgetItem* node)
{
    if (node != TreeView1->topLevelItem(0))
        setPicture(node, 2);
}

void FrmLogHistory::TreeView1_Collapse(QTreeWidgetItem* node)
{
    if (node != TreeView1->topLevelItem(0))
        setPicture(node, 4);
}

void FrmLogHistory::HistoryLog(long EmpID)
{
    trapErrors(kForm, QStringLiteral("HistoryLog(EmpID As Long)"), [&] {
        if (selectedTag().isEmpty())
            return;
        if (!m_reader)
            m_reader = std::make_unique<HistoryStore::PunchReader>(shared().Cnxn);
        const QVector<HistoryStore::Punch> punches =
            m_reader->read(int(EmpID), DTPicker1->date(), DTPicker2->date());
        m_filling = true;
        lsv->clear();
        m_listedTag = QString::number(EmpID);
        m_listedText = TreeView1->currentItem()->text(0);
        for (const HistoryStore::Punch& p : punches) {
            auto* item = new QTreeWidgetItem(lsv, {p.day.toString(kDateFormat), p.time,
                                                   Corrections::GetVerifyMode(p.verifyMode),
                                                   Corrections::GetInOutMode(p.inOutMode)});
            item->setData(0, DayRole, p.day);
            item->setData(0, TimeRole, p.time);
            item->setData(0, VerifyRole, p.verifyMode);
            item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
            item->setCheckState(0, Qt::Unchecked);
        }
        m_filling = false;
    });
    m_filling = false;
}

void FrmLogHistory::lsv_Click()
{
    if (const QTreeWidgetItem* item = lsv->currentItem())
        DTPicker3->setDate(item->data(0, DayRole).toDate());
}

void FrmLogHistory::lsv_ItemCheck(QTreeWidgetItem* item)
{
    // The sign-out day stays with the selected punch, not the one just ticked: to close a
    // night shift the operator selects its sign-in and ticks the next morning's punch. A click
    // on a box selects nothing, so with no punch selected the day follows the tick, and a day
    // signed in and out by ticks alone files its sign-out under that day.
    const QTreeWidgetItem* selected = lsv->currentItem();
    if (selected && selected->isSelected())
        lsv_Click();
    else if (item && item->checkState(0) == Qt::Checked)
        DTPicker3->setDate(item->data(0, DayRole).toDate());
}

void FrmLogHistory::DTPicker1_Change()
{
    NDtBox1->setText(dateBoxText(DTPicker1->date()));
}

void FrmLogHistory::DTPicker2_Change()
{
    NDtBox2->setText(dateBoxText(DTPicker2->date()));
}

void FrmLogHistory::CmdCancel_Click()
{
    // A command still running would carry on in a screen that is gone.
    if (m_running)
        return;
    QDialog::reject();
}

void FrmLogHistory::CmdCancel_KeyDown(int keyCode)
{
    if (keyCode == 27)
        CmdCancel_Click();
}

void FrmLogHistory::reject()
{
    CmdCancel_Click();
}

void FrmLogHistory::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void FrmLogHistory::GridSettings()
{
    Grid->setColumnCount(6);
    Grid->setHorizontalHeaderLabels({QStringLiteral("Sn"), QStringLiteral("Description"),
                                     QStringLiteral("Description"), QStringLiteral("Log Date"),
                                     QStringLiteral("On Time"), QStringLiteral("Off Time")});
    const int widths[6] = {600, 400, 3000, 1400, 1400, 1400};
    for (int c = 0; c < 6; ++c)
        Grid->setColumnWidth(c, widths[c] / kTwipsPerPixel);
    FormatGridRow(Grid, true, 8, QStringLiteral("Tahoma"), 4, 0, 0, 5, Qt::black);
    Grid->horizontalHeaderItem(2)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

// ---------------------------------------------------------------------------------------
// Commands
// ---------------------------------------------------------------------------------------

QList<QTreeWidgetItem*> FrmLogHistory::checkedItems() const
{
    QList<QTreeWidgetItem*> items;
    for (int i = 0; i < lsv->topLevelItemCount(); ++i)
        if (lsv->topLevelItem(i)->checkState(0) == Qt::Checked)
            items.append(lsv->topLevelItem(i));
    return items;
}

void FrmLogHistory::uncheck(QTreeWidgetItem* item)
{
    m_filling = true;
    item->setCheckState(0, Qt::Unchecked);
    m_filling = false;
}

namespace {
QVector<Corrections::Item> itemsOf(const QList<QTreeWidgetItem*>& list)
{
    QVector<Corrections::Item> items;
    for (const QTreeWidgetItem* i : list)
        items.append({i->data(0, FrmLogHistory::DayRole).toDate(),
                      i->data(0, FrmLogHistory::TimeRole).toString(),
                      i->data(0, FrmLogHistory::VerifyRole)});
    return items;
}
} // namespace

void FrmLogHistory::CmdSignIn_Click()
{
    if (m_running || selectedTag().isEmpty())
        return;
    const QList<QTreeWidgetItem*> checked = checkedItems();
    // A click on a punch's text highlights it without ticking it: saying the sign-in was
    // assigned would leave that day to read as an absence.
    if (checked.isEmpty()) {
        MsgBox(QStringLiteral("Sign in not assigned: no punch is ticked."), 48);
        return;
    }
    QString nodeText;
    const int empId = listedTag(nodeText).toInt();
    int committed = 0;
    QVector<int> refused;
    const bool ok = trapErrors(kForm, QStringLiteral("CmdSignIn_Click()"), [&] {
        Corrections::signIn(shared().Cnxn, empId, itemsOf(checked), committed, &refused);
    });
    for (int i = 0; i < committed; ++i)
        if (!refused.contains(i))
            uncheck(checked[i]);
    if (!ok)
        return;
    // Not when every punch was refused: nothing was assigned.
    if (refused.size() < checked.size())
        MsgBox(QStringLiteral("Sign in Time assigned for ") + nodeText, 0);
    if (!refused.isEmpty())
        MsgBox(QStringLiteral("Sign in not assigned to punches after the sign out of that day."),
               48);
}

void FrmLogHistory::CmdSignOut_Click()
{
    if (m_running || selectedTag().isEmpty())
        return;
    const QList<QTreeWidgetItem*> checked = checkedItems();
    const int counter = cmbShift->currentIndex() >= 0 ? cmbShift->currentData().toInt() : 1;
    QString nodeText;
    const int empId = listedTag(nodeText).toInt();
    Corrections::SignOutOutcome outcome;
    const bool ok = trapErrors(kForm, QStringLiteral("CmdSignOut_Click()"), [&] {
        Corrections::signOut(shared().Cnxn, empId, itemsOf(checked), DTPicker3->date(), counter,
                             outcome);
    });
    for (const int i : std::as_const(outcome.assigned))
        uncheck(checked[i]);
    if (!ok)
        return;
    if (!outcome.assigned.isEmpty())
        MsgBox(QStringLiteral("Sign Out Time Assigned To ") + nodeText, 0);
    // Every punch left ticked is answered for, in one box.
    QStringList notAssigned;
    if (!outcome.unmatched.isEmpty())
        notAssigned << QStringLiteral("Sign out not assigned: no sign in on ") +
                           DTPicker3->date().toString(kDateFormat) +
                           QStringLiteral(". For a shift past midnight, set the day back.");
    if (!outcome.refused.isEmpty())
        notAssigned << QStringLiteral("Sign out not assigned to punches before the sign in of "
                                      "that day. For a shift past midnight, set the day back.");
    if (!outcome.late.isEmpty())
        notAssigned << QStringLiteral("Sign out not assigned to punches more than a day after "
                                      "the sign in of that day.");
    if (!notAssigned.isEmpty())
        MsgBox(notAssigned.join(QLatin1Char('\n')), 48);
}

void FrmLogHistory::CmdSignInOut_Click()
{
    if (m_running)
        return;
    QVector<int> employees;
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it) {
        const QString tag = (*it)->data(0, TagRole).toString();
        if (!tag.isEmpty())
            employees.append(tag.toInt());
    }
    int committed = 0;
    trapErrors(kForm, QStringLiteral("CmdSignInOut_Click()"), [&] {
        Corrections::pairRange(shared().Cnxn, employees, DTPicker1->date(), DTPicker2->date(),
                               committed);
    });
}

void FrmLogHistory::runFill(const QString& procName, const QString& captionTail,
                            const QString& doneMessage, bool missingSignOut)
{
    if (m_running)
        return;
    // The job yields: the main window's commands and scheduler pass wait until it ends.
    std::optional<frm2::BusyGuard> hold;
    if (m_window)
        hold.emplace(*m_window);
    m_running = true;
    const auto progress = [&](int empId) {
        setWindowTitle(QStringLiteral("Updating ") + GetEmployeeName(empId) + captionTail);
        QCoreApplication::processEvents();
    };
    int committed = 0;
    const bool ok = trapErrors(kForm, procName, [&] {
        if (missingSignOut)
            Corrections::fillMissingSignOuts(shared().Cnxn, DTPicker1->date(), DTPicker2->date(),
                                             progress, committed);
        else
            Corrections::makeOut(shared().Cnxn, DTPicker1->date(), DTPicker2->date(), progress,
                                 committed);
    });
    m_running = false;
    if (!ok)
        return;
    setWindowTitle(Caption);
    MsgBox(doneMessage, 64);
}

void FrmLogHistory::CmdMakeOut_Click()
{
    runFill(QStringLiteral("CmdMakeOut_Click()"), QStringLiteral(" ..."),
            QStringLiteral("Checking / SignOut Time Assigned."), false);
}

void FrmLogHistory::ChkConsistent_Click()
{
    runFill(QStringLiteral("ChkConsistent_Click()"), QString(),
            QStringLiteral("Checking / Updating Missing SignOut Completed."), true);
}

void FrmLogHistory::CmdClearLog_Click()
{
    if (m_running || selectedTag().isEmpty())
        return;
    const QString question = QStringLiteral("Are you sure to clear log of ") +
                             TreeView1->currentItem()->text(0) + QStringLiteral(" ?");
    if (MsgBox(question, 68) != vbYes)
        return;
    trapErrors(kForm, QStringLiteral("CmdClearLog_Click()"), [&] {
        Corrections::clearLog(shared().Cnxn, selectedTag().toInt(), DTPicker1->date(),
                              DTPicker2->date());
    });
}
