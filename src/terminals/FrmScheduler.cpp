#include "FrmScheduler.h"

#include "TaskStore.h"

#include "data/CodeTables.h"
#include "shell/Clock.h"
#include "shell/DateText.h"
#include "shell/ErrorTrap.h"
#include "shell/FieldBehaviour.h"
#include "shell/FrmTagList.h"
#include "shell/ModFunction.h"
#include "shell/MsgBox.h"
#include "shell/Shared.h"
#include "shell/TagList.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString kCaption = QStringLiteral("Task Scheduler");
// Width of Tbl_Task.Remarks: a server refuses a longer text, so the field takes no more.
constexpr int kRemarksWidth = 200;

// "Date : " and the date as year, day, month: the form the editor has always shown.
QString dateLabel(const QDate& date)
{
    const QString sep = dateSeparator();
    return QStringLiteral("Date : ") + date.toString(QStringLiteral("yyyy")) + sep +
           date.toString(QStringLiteral("dd")) + sep + date.toString(QStringLiteral("MM"));
}

} // namespace

FrmScheduler::FrmScheduler(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmScheduler"));
    setWindowTitle(kCaption);

    auto* help = new QLabel(
        QStringLiteral("This will help you schedule a task for Palowen Device to perform. "
                       "Select the task that you want Device to perform in your schedule and "
                       "convenient time."),
        this);
    help->setWordWrap(true);

    CboTask = new QComboBox(this);
    CboTask->setObjectName(QStringLiteral("CboTask"));
    TxtDevice = new QLineEdit(this);
    TxtDevice->setObjectName(QStringLiteral("TxtDevice"));
    DumpMachine = new QToolButton(this);
    DumpMachine->setObjectName(QStringLiteral("DumpMachine"));
    DumpMachine->setText(QStringLiteral("..."));
    DumpMachine->setFocusPolicy(Qt::NoFocus);
    TxtRemarks = new QLineEdit(this);
    TxtRemarks->setObjectName(QStringLiteral("TxtRemarks"));
    TxtRemarks->setMaxLength(kRemarksWidth);
    DTPicker1 = new QTimeEdit(this);
    DTPicker1->setObjectName(QStringLiteral("DTPicker1"));
    DTPicker1->setDisplayFormat(QStringLiteral("hh:mm AP"));
    MonthView1 = new QCalendarWidget(this);
    MonthView1->setObjectName(QStringLiteral("MonthView1"));
    MonthView1->setSelectedDate(Clock::today());
    LblDate = new QLabel(this);
    LblDate->setObjectName(QStringLiteral("LblDate"));
    ChkPerform = new QCheckBox(QStringLiteral("Perform this task on every date and time"), this);
    ChkPerform->setObjectName(QStringLiteral("ChkPerform"));

    CmdNew = makeCommandButton(this, "CmdNew", QStringLiteral("&New"));
    CmdEdit = makeCommandButton(this, "CmdEdit", QStringLiteral("&Edit"));
    CmdDelete = makeCommandButton(this, "CmdDelete", QStringLiteral("&Delete"));
    CmdFirst = makeCommandButton(this, "CmdFirst", QStringLiteral("|<"));
    CmdFirst->setToolTip(QStringLiteral("First Record"));
    CmdPrevious = makeCommandButton(this, "CmdPrevious", QStringLiteral("<"));
    CmdPrevious->setToolTip(QStringLiteral("Previous Record"));
    CmdNext = makeCommandButton(this, "CmdNext", QStringLiteral(">"));
    CmdNext->setToolTip(QStringLiteral("Next Record"));
    CmdLast = makeCommandButton(this, "CmdLast", QStringLiteral(">|"));
    CmdLast->setToolTip(QStringLiteral("Last Record"));
    CmdSave = makeCommandButton(this, "CmdSave", QStringLiteral("&Ok"));
    CmdCancel = makeCommandButton(this, "CmdCancel", QStringLiteral("&Close"));

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Task"), this), 0, 0);
    fields->addWidget(CboTask, 0, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("Device"), this), 1, 0);
    fields->addWidget(TxtDevice, 1, 1);
    fields->addWidget(DumpMachine, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("Remarks"), this), 2, 0);
    fields->addWidget(TxtRemarks, 2, 1, 1, 2);
    fields->addWidget(new QLabel(QStringLiteral("Time"), this), 3, 0);
    fields->addWidget(DTPicker1, 3, 1, 1, 2);
    fields->addWidget(ChkPerform, 4, 0, 1, 3);

    auto* calendar = new QVBoxLayout;
    calendar->addWidget(MonthView1);
    calendar->addWidget(LblDate);

    auto* top = new QHBoxLayout;
    top->addLayout(fields);
    top->addLayout(calendar);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {CmdNew, CmdEdit, CmdDelete, CmdFirst, CmdPrevious, CmdNext, CmdLast})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(CmdSave);
    buttons->addWidget(CmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addLayout(top);
    layout->addLayout(buttons);

    installFieldBehaviour(CboTask, false);
    installFieldBehaviour(TxtDevice, true, [this] { DumpMachine_Click(); });
    installFieldBehaviour(TxtRemarks);
    installDateTyping(DTPicker1);
    installEnterToTab(DTPicker1);
    TxtDevice->installEventFilter(this);

    connect(CmdNew, &QPushButton::clicked, this, &FrmScheduler::CmdNew_Click);
    connect(CmdEdit, &QPushButton::clicked, this, &FrmScheduler::CmdEdit_Click);
    connect(CmdDelete, &QPushButton::clicked, this, &FrmScheduler::CmdDelete_Click);
    connect(CmdSave, &QPushButton::clicked, this, &FrmScheduler::CmdSave_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmScheduler::CmdCancel_Click);
    connect(CmdFirst, &QPushButton::clicked, this, &FrmScheduler::CmdFirst_Click);
    connect(CmdPrevious, &QPushButton::clicked, this, &FrmScheduler::CmdPrevious_Click);
    connect(CmdNext, &QPushButton::clicked, this, &FrmScheduler::CmdNext_Click);
    connect(CmdLast, &QPushButton::clicked, this, &FrmScheduler::CmdLast_Click);
    connect(DumpMachine, &QToolButton::clicked, this, &FrmScheduler::DumpMachine_Click);
    connect(MonthView1, &QCalendarWidget::clicked, this, &FrmScheduler::MonthView1_DateClick);
}

void FrmScheduler::Form_Load()
{
    trapErrors(objectName(), QStringLiteral("Form_Load()"), [this] {
        TaskRs.close();
        TaskRs = shared().Cnxn.select(QStringLiteral("Select * From Tbl_Task"));
        CboTask->clear();
        CboTask->addItems(TaskTypes::all());
        CboTask->setCurrentIndex(0);
        CmdFirst_Click();
    });
}

void FrmScheduler::setMode(const QString& tag)
{
    m_tag = tag;
    setWindowTitle(tag.isEmpty() ? kCaption
                                 : kCaption + QStringLiteral(" [") + tag + QLatin1Char(']'));
}

void FrmScheduler::CmdNew_Click()
{
    setMode(QStringLiteral("NEW"));
    ClearData();
}

void FrmScheduler::CmdEdit_Click()
{
    setMode(QStringLiteral("EDIT"));
    CboTask->setFocus();
}

void FrmScheduler::CmdDelete_Click()
{
    setMode(QStringLiteral("DELETE"));
    CboTask->setFocus();
}

void FrmScheduler::ClearData()
{
    CboTask->setCurrentIndex(0);
    TxtDevice->clear();
    TxtRemarks->clear();
    DTPicker1->setTime(Clock::now().time());
    ChkPerform->setChecked(false);
    CboTask->setFocus();
}

void FrmScheduler::DisplayData()
{
    trapErrors(objectName(), QStringLiteral("DisplayData()"), [this] {
        m_currentTaskId = TaskRs.value(QStringLiteral("TaskID")).toLongLong();
        m_taskDeviceId = TaskRs.value(QStringLiteral("DeviceID")).toLongLong();
        shared().Rs.close();
        TxtDevice->setText(TaskStore::deviceDescription(shared().Cnxn, m_taskDeviceId));
        m_shownTask = TaskRs.value(QStringLiteral("Task")).toInt();
        CboTask->setCurrentIndex(m_shownTask);
        TxtRemarks->setText(TaskRs.value(QStringLiteral("Remarks")).toString());
        DTPicker1->setTime(QTime::fromString(TaskRs.value(QStringLiteral("TaskTime")).toString(),
                                             QStringLiteral("HH:mm")));
        const QString dateText = TaskRs.value(QStringLiteral("TaskDate")).toString();
        const QDate date = TaskStore::dateFromText(dateText);
        if (date.isValid())
            MonthView1->setSelectedDate(date);
        const QString eachDay = TaskRs.value(QStringLiteral("TaskEachDay")).toString().trimmed();
        if (eachDay == QLatin1String("0"))
            ChkPerform->setChecked(false);
        else if (eachDay == QLatin1String("1"))
            ChkPerform->setChecked(true);
        LblDate->setText(date.isValid() ? dateLabel(date) : QStringLiteral("Date : ") + dateText);
    });
}

void FrmScheduler::CmdFirst_Click()
{
    if (MoveFirstRecord(TaskRs))
        DisplayData();
}

void FrmScheduler::CmdPrevious_Click()
{
    if (MovePreviousRecord(TaskRs))
        DisplayData();
}

void FrmScheduler::CmdNext_Click()
{
    if (MoveNextRecord(TaskRs))
        DisplayData();
}

void FrmScheduler::CmdLast_Click()
{
    if (MoveLastRecord(TaskRs))
        DisplayData();
}

void FrmScheduler::MonthView1_DateClick(const QDate& date)
{
    LblDate->setText(dateLabel(date));
}

void FrmScheduler::DumpMachine_Click()
{
    trapErrors(objectName(), QStringLiteral("DumpMachine_Click()"), [this] {
        SharedState& s = shared();
        s.TagColCaptions = {QStringLiteral("Device ID"), QStringLiteral("Device Description")};
        s.TagColWidths = {1100, 3000};
        FrmTagList::form().setTagListSize(QString());
        s.StrSQL = QStringLiteral(
            "Select DeviceID,DeviceDescription From Tbl_DeviceMaster Order By DeviceID");
        m_picking = true;
        const auto picked = qScopeGuard([this] { m_picking = false; });
        ShowTagList(s.StrSQL, 1, QStringLiteral("Device List Not Available"),
                    QStringLiteral("DeviceDescription"), QStringLiteral("Device List"), QString());
        m_taskDeviceId = s.TagValue1.trimmed().toLong();
        TxtDevice->setText(s.TagValue2);
        TxtDevice->setFocus();
    });
}

bool FrmScheduler::TxtDevice_Validate()
{
    shared().Rs.close();
    if (!TxtDevice->text().trimmed().isEmpty())
        return true;
    refuseDevice();
    return false;
}

void FrmScheduler::refuseDevice()
{
    MsgBox(QStringLiteral("Device Cannot Left Blank\r\nPress F1 For Existing Device List"), 16);
    TxtDevice->setFocus();
}

void FrmScheduler::CmdSave_Click()
{
    // The terminal field's rule holds at saving too: a task names a terminal.
    const bool namesTerminal = m_tag == QLatin1String("NEW") || m_tag == QLatin1String("EDIT");
    if (namesTerminal && !TxtDevice_Validate())
        return;
    bool refused = false;
    const bool saved = trapErrors(objectName(), QStringLiteral("cmdSave_Click()"), [&] {
        Db& db = shared().Cnxn;
        if (namesTerminal) {
            // The task goes to the terminal the field names, whether it was picked, shown
            // with the row or typed: never to a terminal an earlier row left behind.
            const std::optional<int> terminal =
                TaskStore::terminalNamed(db, TxtDevice->text(), int(m_taskDeviceId));
            if (!terminal) {
                refuseDevice();
                refused = true;
                return;
            }
            m_taskDeviceId = *terminal;
        }
        TaskRecord task;
        task.TaskID = static_cast<int>(m_currentTaskId);
        task.Task = CboTask->currentIndex() >= 0 ? CboTask->currentIndex() : m_shownTask;
        task.TaskDate = TaskStore::dateText(MonthView1->selectedDate());
        task.TaskTime = TaskStore::timeText(DTPicker1->time());
        task.Remarks = TxtRemarks->text();
        task.TaskEachDay = ChkPerform->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
        task.DeviceID = static_cast<int>(m_taskDeviceId);
        // The element of the main window that the scheduler pass will use is the terminal's
        // position in the terminal list now, however the terminal was chosen.
        task.DeviceIndex = TaskStore::deviceIndexOf(db, task.DeviceID);
        if (m_tag == QLatin1String("NEW")) {
            if (TaskStore::isDuplicate(db, task)) {
                MsgBox(QStringLiteral("Task Schedule Already Exists at This Date Time"), 16);
                refused = true;
                return;
            }
            TaskStore::insert(db, task);
        } else if (m_tag == QLatin1String("EDIT")) {
            TaskStore::update(db, task);
        } else if (m_tag == QLatin1String("DELETE")) {
            TaskStore::remove(db, task.TaskID);
        }
    });
    if (saved && !refused)
        accept();
}

void FrmScheduler::CmdCancel_Click()
{
    reject();
}

void FrmScheduler::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool FrmScheduler::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TxtDevice && event->type() == QEvent::FocusOut) {
        // The check runs when the operator moves on to another field of this dialog. Not
        // when another window takes the focus (the picker that F1 and "..." open, which
        // the blank message itself points to), not for Close, and not for Ok, which checks
        // at saving: one message, not two.
        QWidget* next = QApplication::focusWidget();
        if (isVisible() && !m_picking && next && next->window() == this && next != CmdCancel &&
            next != CmdSave && next != DumpMachine)
            TxtDevice_Validate();
    }
    return QDialog::eventFilter(watched, event);
}
