#pragma once
// The terminal settings screen "Device Settings": the terminal's clock, its counts, its
// restart, the start-up options kept in the settings, and the SQL script of daily
// attendance on the fourth tab.
//
// The screen works on the terminal that was current when it was made: a scheduler pass
// while it is open moves frm2's current terminal, and Sync Time or Restart must not follow.

#include <QDialog>
#include <QVariant>

#include <array>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimeEdit;
class TerminalSdk;
class frm2;

class FrmUtilities : public QDialog
{
    Q_OBJECT
public:
    explicit FrmUtilities(frm2& window);

    void Form_Load();
    void Form_KeyDown(int keyCode);
    void CmdCancel_Click();
    void ChkSysDatetime_Click();
    void XPButton1_Click(); // Sync Time
    void XPButton2_Click(); // Restart Device
    void XPButton3_Click(); // Get Device Date Time
    void XPButton4_Click(); // Get Device Info
    void CmdGenerate_Click();

    // The multi-line boxes keep their text exactly as written, CR LF line ends included.
    void setTxtComSettings(const QString& text);
    QString TxtComSettingsText() const { return m_comSettings; }
    QString txtDeviceDetailsText() const { return m_deviceDetails; }
    // True while the SQL script is being generated.
    bool isExporting() const { return m_exporting; }

    QLabel* LblStatus;
    QTabWidget* XTab1;
    // Date Time
    QGroupBox* Frame1;
    QDateEdit* DtpDate;
    QTimeEdit* DtpTime;
    QComboBox* cmbDateFormats;
    QGroupBox* Frame2;
    QLabel* txtdate;
    QLabel* txtTime;
    QLabel* txtFormat;
    QCheckBox* ChkSysDatetime;
    QCheckBox* ChkEnableClock;
    QPushButton* XPButton1;
    QPushButton* XPButton2;
    QPushButton* XPButton3;
    QPushButton* CmdCancel;
    // General Settings
    QPushButton* XPButton4;
    QPlainTextEdit* txtDeviceDetails;
    QPlainTextEdit* TxtComSettings;
    // Misc...
    QCheckBox* ChkAutoStart;
    QCheckBox* ChkValidate;
    QCheckBox* ChkSignINOUT;
    // SQL Script
    QGroupBox* FrmSQL;
    QDateEdit* DtFrom;
    QDateEdit* DtTo;
    QLineEdit* TxtPath;
    QCheckBox* ChkOutPut;
    QPushButton* CmdGenerate;

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* buildDateTimeTab();
    QWidget* buildGeneralTab();
    QWidget* buildMiscTab();
    QWidget* buildScriptTab();

    TerminalSdk& element() const;
    // Reads the terminal's clock into the clock fields; a failed read leaves them.
    bool readClock(TerminalSdk& device);
    // Steps of Form_Load that Sync Time runs again: options, colours, date format, folder.
    void loadOptions();
    void showClock(bool pickersToo);

    frm2& m_window;
    // The terminal the screen was opened on: its row (element of TermCtl1) and number.
    int m_item;
    QVariant m_machineId;
    long m_machine;
    // Year, month, day, hour, minute, second of the last clock read; zero before one.
    std::array<long, 6> m_clock{};
    QString m_comSettings;
    QString m_deviceDetails;
    bool m_exporting = false;
    bool m_restarting = false;
};
