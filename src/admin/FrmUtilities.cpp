#include "FrmUtilities.h"

#include "ScreenParts.h"
#include "records/SqlScriptExport.h"
#include "shell/Clock.h"
#include "shell/DbError.h"
#include "shell/Desktop.h"
#include "shell/ErrorTrap.h"
#include "shell/FieldBehaviour.h"
#include "shell/ModFunction.h"
#include "shell/MsgBox.h"
#include "shell/MySysPath.h"
#include "shell/Settings.h"
#include "shell/Shared.h"
#include "terminals/DeviceLink.h"
#include "terminals/TerminalSdk.h"
#include "terminals/frm2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
const QString kForm = QStringLiteral("FrmUtilities");
const QString kScriptCaption = QStringLiteral("Generate SQL Scripts");
const QColor kCheckBoxColour(0xF8, 0xF8, 0xF8);

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QDateEdit* datePicker(const char* name)
{
    auto* picker = named(new QDateEdit(Clock::today()), name);
    picker->setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
    picker->setCalendarPopup(true);
    installFieldBehaviour(picker);
    return picker;
}

// The clock as the screen writes it: "2026/3/5" and "08:05:03".
QString clockDateText(const std::array<long, 6>& c)
{
    return QStringLiteral("%1/%2/%3").arg(c[0]).arg(c[1]).arg(c[2]);
}

QString clockTimeText(const std::array<long, 6>& c)
{
    return QStringLiteral("%1:%2:%3")
        .arg(c[3], 2, 10, QLatin1Char('0'))
        .arg(c[4], 2, 10, QLatin1Char('0'))
        .arg(c[5], 2, 10, QLatin1Char('0'));
}

// A multi-line box breaks its lines at LF; a CR before it would show as a stray mark.
QString shownText(const QString& text)
{
    return QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// 0 cleared, 1 ticked, any other whole number partly ticked; anything else is an error.
void showOption(QCheckBox* box, Settings::Key key)
{
    bool whole = false;
    const int value = Settings::text(key).trimmed().toInt(&whole);
    if (!whole)
        throw DbError(13, QStringLiteral("Type mismatch"));
    box->setCheckState(value == 0   ? Qt::Unchecked
                       : value == 1 ? Qt::Checked
                                    : Qt::PartiallyChecked);
}
} // namespace

FrmUtilities::FrmUtilities(frm2& window)
    : QDialog(&window), m_window(window), m_item(window.SelectedItem),
      m_machineId(window.MachineID), m_machine(window.MachineID.toString().trimmed().toLong())
{
    setObjectName(kForm);
    setWindowTitle(QStringLiteral("Device Settings"));
    setModal(true);

    LblStatus = named(new QLabel(QStringLiteral("Selected Device")), "LblStatus");
    XTab1 = named(new QTabWidget, "XTab1");
    XTab1->addTab(buildDateTimeTab(), QStringLiteral("  Date Time"));
    XTab1->addTab(buildGeneralTab(), QStringLiteral("  General Settings"));
    XTab1->addTab(buildMiscTab(), QStringLiteral("  Misc..."));
    XTab1->addTab(buildScriptTab(), QStringLiteral("  SQL Script"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblStatus);
    layout->addWidget(XTab1);
}

QWidget* FrmUtilities::buildDateTimeTab()
{
    Frame1 = named(new QGroupBox(QStringLiteral("Date and Time Settings")), "Frame1");
    // Today, not an empty date: a clock read that fails must leave Sync Time a real day.
    DtpDate = datePicker("DtpDate");
    DtpTime = named(new QTimeEdit(Clock::now().time()), "DtpTime");
    DtpTime->setDisplayFormat(QStringLiteral("hh:mm AP"));
    installFieldBehaviour(DtpTime);
    cmbDateFormats = named(new QComboBox, "cmbDateFormats");
    const QStringList formats = {"YY-MM-DD", "YY/MM/DD", "YY.MM.DD", "MM-DD-YY", "MM/DD/YY",
                                 "MM.DD.YY", "DD-MM-YY", "DD/MM/YY", "DD.MM.YY", "YYYYMMDD"};
    for (int i = 0; i < formats.size(); ++i)
        cmbDateFormats->addItem(formats.at(i), i);
    auto* settings = new QGridLayout(Frame1);
    settings->addWidget(new QLabel(QStringLiteral("Date Setting")), 0, 0);
    settings->addWidget(DtpDate, 0, 1);
    settings->addWidget(new QLabel(QStringLiteral("Time Setting")), 1, 0);
    settings->addWidget(DtpTime, 1, 1);
    settings->addWidget(new QLabel(QStringLiteral("Date Format")), 2, 0);
    settings->addWidget(cmbDateFormats, 2, 1);

    Frame2 = named(new QGroupBox(QStringLiteral("Get Device Date Time")), "Frame2");
    txtdate = named(new QLabel, "txtdate");
    txtTime = named(new QLabel, "txtTime");
    txtFormat = named(new QLabel, "txtFormat");
    auto* device = new QGridLayout(Frame2);
    device->addWidget(new QLabel(QStringLiteral("Device Date")), 0, 0);
    device->addWidget(txtdate, 0, 1);
    device->addWidget(new QLabel(QStringLiteral("Device Time")), 1, 0);
    device->addWidget(txtTime, 1, 1);
    device->addWidget(new QLabel(QStringLiteral("Date Format")), 2, 0);
    device->addWidget(txtFormat, 2, 1);

    ChkSysDatetime =
        named(new QCheckBox(QStringLiteral("Use System Date and Time")), "ChkSysDatetime");
    ChkEnableClock = named(new QCheckBox(QStringLiteral("Enable Clock")), "ChkEnableClock");
    connect(ChkSysDatetime, &QCheckBox::toggled, this, [this] { ChkSysDatetime_Click(); });

    XPButton1 = makeCommandButton(nullptr, "XPButton1", QStringLiteral("&Sync Time"));
    XPButton2 = makeCommandButton(nullptr, "XPButton2", QStringLiteral("&Restart Device"));
    XPButton3 = makeCommandButton(nullptr, "XPButton3", QStringLiteral("&Get Device Date Time"));
    CmdCancel = makeCommandButton(nullptr, "CmdCancel", QStringLiteral("&Cancel"));
    connect(XPButton1, &QPushButton::clicked, this, [this] { XPButton1_Click(); });
    connect(XPButton2, &QPushButton::clicked, this, [this] { XPButton2_Click(); });
    connect(XPButton3, &QPushButton::clicked, this, [this] { XPButton3_Click(); });
    connect(CmdCancel, &QPushButton::clicked, this, [this] { CmdCancel_Click(); });

    auto* tab = new QWidget;
    auto* grid = new QGridLayout(tab);
    grid->addWidget(Frame1, 0, 0);
    grid->addWidget(Frame2, 0, 1);
    grid->addWidget(ChkSysDatetime, 1, 0);
    grid->addWidget(ChkEnableClock, 1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {XPButton1, XPButton2, XPButton3, CmdCancel})
        buttons->addWidget(b);
    grid->addLayout(buttons, 2, 0, 1, 2);
    return tab;
}

QWidget* FrmUtilities::buildGeneralTab()
{
    XPButton4 = makeCommandButton(nullptr, "XPButton4", QStringLiteral("&Get Device Info"));
    connect(XPButton4, &QPushButton::clicked, this, [this] { XPButton4_Click(); });
    txtDeviceDetails = named(new QPlainTextEdit, "txtDeviceDetails");
    txtDeviceDetails->setReadOnly(true);
    TxtComSettings = named(new QPlainTextEdit, "TxtComSettings");

    auto* tab = new QWidget;
    auto* grid = new QGridLayout(tab);
    grid->addWidget(XPButton4, 0, 0, Qt::AlignLeft);
    grid->addWidget(txtDeviceDetails, 1, 0);
    grid->addWidget(TxtComSettings, 1, 1);
    return tab;
}

QWidget* FrmUtilities::buildMiscTab()
{
    ChkAutoStart =
        named(new QCheckBox(QStringLiteral("Auto Start With Operating System")), "ChkAutoStart");
    ChkValidate =
        named(new QCheckBox(QStringLiteral("Validate Employee Start End Time")), "ChkValidate");
    ChkSignINOUT =
        named(new QCheckBox(QStringLiteral("Make Last Sign In as Sign Out")), "ChkSignINOUT");

    auto* tab = new QWidget;
    auto* column = new QVBoxLayout(tab);
    for (QCheckBox* box : {ChkAutoStart, ChkValidate, ChkSignINOUT})
        column->addWidget(box);
    column->addStretch();
    return tab;
}

QWidget* FrmUtilities::buildScriptTab()
{
    FrmSQL = named(new QGroupBox(kScriptCaption), "FrmSQL");
    DtFrom = datePicker("DtFrom");
    DtTo = datePicker("DtTo");
    TxtPath = named(new QLineEdit, "TxtPath");
    installFieldBehaviour(TxtPath);
    ChkOutPut = named(new QCheckBox(QStringLiteral("Show Output")), "ChkOutPut");
    CmdGenerate = makeCommandButton(nullptr, "CmdGenerate", QStringLiteral("Generate SQL Script"));
    connect(CmdGenerate, &QPushButton::clicked, this, [this] { CmdGenerate_Click(); });

    auto* grid = new QGridLayout(FrmSQL);
    grid->addWidget(new QLabel(QStringLiteral("From")), 0, 0);
    grid->addWidget(DtFrom, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("To")), 0, 2);
    grid->addWidget(DtTo, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("(mm/dd/yyyy)")), 0, 4);
    grid->addWidget(new QLabel(QStringLiteral("Script Path")), 1, 0);
    grid->addWidget(TxtPath, 1, 1, 1, 4);
    grid->addWidget(ChkOutPut, 2, 1);
    grid->addWidget(CmdGenerate, 2, 3, 1, 2);

    auto* tab = new QWidget;
    auto* column = new QVBoxLayout(tab);
    column->addWidget(FrmSQL);
    column->addStretch();
    return tab;
}

TerminalSdk& FrmUtilities::element() const
{
    if (m_item < 0 || m_item >= m_window.TermCtl1.size())
        throw DbError(340, QStringLiteral("Control array element '%1' doesn't exist").arg(m_item));
    return *m_window.TermCtl1.at(m_item);
}

bool FrmUtilities::readClock(TerminalSdk& device)
{
    std::array<long, 6> c{};
    if (!device.SdkReadDeviceClock(m_machine, c[0], c[1], c[2], c[3], c[4], c[5]))
        return false;
    m_clock = c;
    return true;
}

void FrmUtilities::showClock(bool pickersToo)
{
    if (pickersToo) {
        DtpDate->setDate(QDate(int(m_clock[0]), int(m_clock[1]), int(m_clock[2])));
        DtpTime->setTime(QTime(int(m_clock[3]), int(m_clock[4]), int(m_clock[5])));
    }
    txtdate->setText(clockDateText(m_clock));
    txtTime->setText(clockTimeText(m_clock));
    txtFormat->clear();
}

void FrmUtilities::setTxtComSettings(const QString& text)
{
    m_comSettings = text;
    TxtComSettings->setPlainText(shownText(text));
}

// ---------------------------------------------------------------------------------------
// Load, keys, close

void FrmUtilities::Form_Load()
{
    trapErrors(kForm, QStringLiteral("Form_Load()"), [&] {
        XTab1->setCurrentIndex(0);
        DtpTime->setTime(Clock::now().time());
        TerminalSdk& device = element();
        device.SdkWriteDisplayText(0, 1, QStringLiteral("Working........."));
        if (IsDeviceConnected(device)) {
            // Into values of its own: Get Device Date Time still starts from zeros.
            std::array<long, 6> c{};
            if (device.SdkReadDeviceClock(m_machine, c[0], c[1], c[2], c[3], c[4], c[5])) {
                DtpDate->setDate(QDate(int(c[0]), int(c[1]), int(c[2])));
                DtpTime->setTime(QTime(int(c[3]), int(c[4]), int(c[5])));
            }
            ChkEnableClock->setChecked(device.SdkEnableClock(0));
        }
        loadOptions();
    });
}

void FrmUtilities::loadOptions()
{
    showOption(ChkAutoStart, Settings::AutoStart);
    showOption(ChkValidate, Settings::Validate);
    showOption(ChkSignINOUT, Settings::Signinout);
    for (QCheckBox* box :
         {ChkSysDatetime, ChkEnableClock, ChkAutoStart, ChkValidate, ChkSignINOUT, ChkOutPut}) {
        QPalette p = box->palette();
        p.setColor(QPalette::Window, kCheckBoxColour);
        box->setPalette(p);
        box->setAutoFillBackground(true);
    }
    cmbDateFormats->setCurrentIndex(1);
    TxtPath->setText(Settings::contains(Settings::ScriptFolder)
                         ? Settings::text(Settings::ScriptFolder)
                         : ProgramFolder() + QStringLiteral("/Data"));
}

void FrmUtilities::Form_KeyDown(int keyCode)
{
    if (keyCode == 27)
        CmdCancel_Click();
}

void FrmUtilities::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Form_KeyDown(27);
        return;
    }
    QDialog::keyPressEvent(event);
}

void FrmUtilities::CmdCancel_Click()
{
    reject();
}

void FrmUtilities::done(int result)
{
    // The export's loop runs inside this screen: closing it there would free it under the
    // loop.
    if (m_exporting)
        return;
    QDialog::done(result);
}

// ---------------------------------------------------------------------------------------
// Date Time

void FrmUtilities::ChkSysDatetime_Click()
{
    if (!ChkSysDatetime->isChecked())
        return;
    // One reading: read apart, a tick at midnight pairs the old day with the new time.
    const QDateTime now = Clock::now();
    DtpDate->setDate(now.date());
    DtpTime->setTime(now.time());
}

void FrmUtilities::XPButton1_Click()
{
    trapErrors(kForm, QStringLiteral("Form_Load()"), [&] {
        XTab1->setCurrentIndex(0);
        TerminalSdk& device = element();
        if (IsDeviceConnected(device)) {
            const QDate day = DtpDate->date();
            const QTime time = DtpTime->time();
            device.SdkSetDeviceClock(m_machine, day.year(), day.month(), day.day(), time.hour(),
                                     time.minute(), time.second());
            if (readClock(device))
                showClock(true);
            ChkEnableClock->setChecked(device.SdkEnableClock(0));
        }
        loadOptions();
    });
}

void FrmUtilities::XPButton2_Click()
{
    // The disconnect yields: a second click delivered there would restart the terminal twice.
    if (m_exporting || m_restarting)
        return;
    trapErrors(kForm, QStringLiteral("XPButton2_Click()"), [&] {
        const QScopedValueRollback<bool> restarting(m_restarting, true);
        TerminalSdk& device = element();
        if (!IsDeviceConnected(device)) {
            MsgBox(QStringLiteral("Device is not connected"), 16);
            return;
        }
        // The terminal this screen was opened on becomes current again, so the disconnect
        // and the row it marks are that terminal's, whatever a scheduler pass chose since.
        if (m_window.ListMode() == QLatin1String("D") && m_item >= 1 &&
            m_item <= m_window.ListItemCount())
            m_window.lvX->setCurrentIndex(m_window.lvX->model()->index(m_item - 1, 0));
        m_window.SelectedItem = m_item;
        m_window.MachineID = m_machineId;
        // Sent while the link is still up: a closed link carries nothing. The terminal
        // drops the link either way, which the disconnect then shows on its row.
        const bool restarted = device.SdkRestartDevice(m_machine);
        m_window.MnuDisConnect_Click();
        if (!restarted)
            throw DbError(5, QStringLiteral("The terminal did not confirm the restart."));
        reject();
    });
}

void FrmUtilities::XPButton3_Click()
{
    trapErrors(kForm, QStringLiteral("XPButton3_Click()"), [&] {
        readClock(element());
        showClock(false);
    });
}

// ---------------------------------------------------------------------------------------
// General Settings

void FrmUtilities::XPButton4_Click()
{
    trapErrors(kForm, QStringLiteral("XPButton4_Click()"), [&] {
        struct Line
        {
            long code;
            const char* label;
        };
        // The control's code 5 counts operation records; 6 is the attendance count.
        static const Line lines[] = {{1, "Administrator in Device : "},
                                     {2, "Registered User in Device : "},
                                     {3, "Fingerprint in Device : "},
                                     {4, "Password in Device : "},
                                     {6, "Attendance in Device : "}};
        TerminalSdk& device = element();
        QString text;
        for (const Line& line : lines) {
            long value = 0;
            // A read that fails shows nothing rather than the count read before it.
            const bool read = device.SdkReadDeviceStatus(m_machine, line.code, value);
            text += QLatin1String(line.label) + (read ? QString::number(value) : QString()) +
                    QStringLiteral("\r\n");
        }
        m_deviceDetails = text;
        txtDeviceDetails->setPlainText(shownText(text));
    });
}

// ---------------------------------------------------------------------------------------
// SQL Script

void FrmUtilities::CmdGenerate_Click()
{
    if (m_exporting)
        return;
    trapErrors(kForm, QStringLiteral("CmdGenerate_Click()"), [&] {
        const QScopedValueRollback<bool> exporting(m_exporting, true);
        const frm2::BusyGuard hold(m_window);
        SharedState& s = shared();
        s.StrSQL.clear();
        const ScriptRows rows = readScriptRows(s.Cnxn, DtFrom->date(), DtTo->date());
        if (rows.isEmpty()) {
            MsgBox(QStringLiteral("No Records Found To Display : Change Your Criteria"), 64);
            return;
        }
        s.StrSQL = buildScript(rows, [this](int position, int count) {
            FrmSQL->setTitle(QStringLiteral("Generating %1 Of %2").arg(position).arg(count));
            QCoreApplication::processEvents();
        });
        FrmSQL->setTitle(kScriptCaption + QStringLiteral(" Completed"));
        QString path = TxtPath->text();
        if (!WriteTimestampedFile(s.StrSQL, path)) {
            FrmSQL->setTitle(kScriptCaption);
            MsgBox(QStringLiteral("Cannot Write Script File : ") + path, 16);
            return;
        }
        if (ChkOutPut->isChecked()) {
            const bool shown = OpenDocument(s.LastTextFilePath);
            Settings::setValue(Settings::ScriptFolder, TxtPath->text());
            // The script is written all the same; the operator is told where to find it.
            if (!shown)
                MsgBox(QStringLiteral("Cannot Open Script File : ") + s.LastTextFilePath, 48);
        }
    });
}
