#pragma once
// The main window: the terminal list with one SDK control element per terminal, the
// current terminal that other screens act on, and every command and screen opener.
//
// The list lvX has two modes, kept in the Tag of LblDescriptions: "D" lists the terminals
// (one row per Tbl_DeviceMaster row, row i served by element i of TermCtl1), "L" lists the
// punches held on the current terminal (View Logs) until Device List (F5) returns to "D".

#include "SchedulerPass.h"
#include "shell/Db.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QVariant>

#include <functional>
#include <memory>

class LogListModel;
class frmProgressBar;
class MinuteTrigger;
class QLineEdit;
class QTimer;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QStandardItemModel;
class QToolBar;
class QTreeView;
class QTreeWidget;
class TerminalSdk;

class frm2 : public QMainWindow, public SchedulerHost
{
    Q_OBJECT
public:
    explicit frm2(QWidget* parent = nullptr);
    ~frm2() override;

    // The current terminal: its machine number (the DeviceID, passed to the SDK operations)
    // and its row of the terminal list (1-based), which is also its element of TermCtl1.
    QVariant MachineID;
    int SelectedItem = 0;

    // Element 0 exists from the start; element i serves row i of the terminal list. Elements
    // are owned by the window and never unloaded.
    QList<TerminalSdk*> TermCtl1;
    // Makes sure elements 0 to index exist (a screen that adds a terminal calls it).
    void LoadElement(int index);

    // Controls other screens and tests reach by objectName as well.
    QTreeView* lvX = nullptr;
    QLabel* LblDescriptions = nullptr;
    QLabel* Image1 = nullptr;
    QFrame* Shape1 = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QTreeWidget* ListView1 = nullptr;
    QMenu* MnuActions = nullptr;

    // Rows of the terminal list in mode "D": the row count and a row's text (subItem 0) or
    // sub-item 1 to 7, as the list shows them; index is 1-based like SelectedItem.
    int ListItemCount() const;
    QString ListItemText(int index, int subItem = 0) const;
    // "D" + DeviceID.
    QString ListItemKey(int index) const;
    // The key of a row's small icon ("connected", "notconnected", "cantconnect").
    QString ListItemSmallIcon(int index) const;
    bool ListItemChecked(int index) const;

    // The list's mode ("D" or "L", the Tag of LblDescriptions) and lvX's own Tag ("MLIST"
    // after Device List).
    QString ListMode() const;
    QString lvXTag() const;
    // Text of status bar panel 1, 2 or 3.
    QString PanelText(int panel) const;
    // The view mode of the terminal list: 0 large icons, 3 report.
    long ListViewMode() const { return m_viewMode; }
    // True while a job yields to the event loop; commands and toolbar keys started
    // meanwhile are refused without a word, and the minutes that go by wait for the next
    // scheduler pass.
    bool isBusy() const { return m_busy > 0; }

    // Held by a job that yields, for its whole run (log listing, template download, USB
    // import, ...). Guards nest; the window is free again when the last one goes.
    class BusyGuard
    {
    public:
        explicit BusyGuard(frm2& window) : m_window(window) { ++m_window.m_busy; }
        ~BusyGuard() { --m_window.m_busy; }
        BusyGuard(const BusyGuard&) = delete;
        BusyGuard& operator=(const BusyGuard&) = delete;

    private:
        frm2& m_window;
    };

    // The screens of admin and records live above this window; src/app hands their
    // openers over at start, keyed by the menu procedure that opens them
    // ("MnuDeviceMaster_Click", ...). A procedure without an opener does nothing.
    using ScreenOpener = std::function<void(frm2& window)>;
    void setScreenOpener(const QString& procedure, ScreenOpener opener);
    // Runs the opener of `procedure`; false when there is none.
    bool openScreen(const QString& procedure);

    // The guards commands and openers apply. List mode: "Press F5 key to proceed." while
    // the log is listed. Link: `message` (critical style) when the current terminal's
    // element has no link. Each returns true when the command may go on.
    bool listModeGuard();
    bool linkGuard(const QString& message);

    // Load and unload
    void Form_Load();
    void Form_Unload();
    void ShowMainWindow();
    void SubClassMenuXP();

    // The terminal list
    void MnuDeviceList_Click();
    void LoadControl();
    void ReloadMachineList();
    void RelabelDeviceItems(long& ViewMode);
    void lvX_Click();

    // Commands
    void MnuConnectAction_Click();
    void MnuDisConnect_Click();
    void MnuExtractData_Click();
    void MnuViewLogs_Click();
    void MnuRestartDevice_Click();
    void mnudeleteattendancedata_Click();
    void MnuDeleteTemplate_Click();
    void MnuExit_Click();
    void Toolbar1_ButtonClick(const QString& key);
    void Toolbar1_ButtonMenuClick(const QString& key);

    // Openers of the other screens.
    void MnuDeviceMaster_Click();
    void mnuViewDeviceUsers_Click();
    void mnuDownloadUserInfo_Click();
    void mnuUploadUserInfo_Click();
    void mnuUpload_Click();
    void MnuUSBLogImport_Click();
    void mnuRepairData_Click();
    void MnuSettings_Click();
    void MnuScheduler_Click();
    void MnuLogHistory_Click();
    // Opens the operation-log viewer; no command is bound to it.
    void ShowSuperLogData();

    // Routines no command runs: the open-shift pairing of one employee and the punch feed
    // and scan around it. Their logic lives with the attendance records, which hand it over
    // at start; the pairing under setOpenShiftPairing, the other two as openers named after
    // their procedures. Each is refused while a job holds the window.
    using EmployeeRoutine = std::function<void(frm2& window, int EmpID)>;
    void setOpenShiftPairing(EmployeeRoutine routine);
    void ExtDataToDBOpenShift(int EmpID);
    void CopyDeviceLogToTempBck();
    void ScanNewDeviceLogs();
    void NotifyNormalModeUnsupported();
    // The window's own progress window, made on first use; the window never shows it.
    frmProgressBar& ProgressWindow();
    // Writes status bar panel 1, 2 or 3.
    void setPanelText(int panel, const QString& text) { setPanel(panel, text); }

    // The scheduler pass, raised by Timer2 once in each minute through the hidden txtTime.
    void txtTime_Change();
    void Timer2_Timer();
    QLineEdit* txtTime = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    // SchedulerHost
    TerminalSdk* controlForDevice(int deviceId, int& elementIndex) override;
    void setCurrentTerminal(int selectedItem, int machineId) override;
    void closeLink(int elementIndex) override;
    void viewLogs() override;
    bool extractData() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    QAction* addItem(QMenu* menu, const char* name, const QString& caption,
                     void (frm2::*command)() = nullptr, const QKeySequence& shortcut = {});
    // Runs a command unless another one is still running.
    void dispatch(void (frm2::*command)());

    // True when the extraction ran to its end (stored every punch, or found none).
    bool ExtDataFromDevice();

    // Element `index` of TermCtl1; throws when it was never loaded.
    TerminalSdk& element(int index) const;
    // MachineID as the SDK's machine number; throws when it is no number.
    long machineNumber() const;

    void setListMode(const QString& mode);
    void setlvXTag(const QString& tag);
    void setPanel(int panel, const QString& text);
    void setSubItem(int index, int subItem, const QString& text);
    void setSmallIcon(int index, const QString& key);
    // Panel 3 := the current terminal's status, when its row lies in fromRow..toRow.
    void showCurrentStatus(int fromRow, int toRow);
    void showDeviceModel();
    void applyViewMode();
    void selectRow(int index);
    // Opens the screen registered under `procedure` once its guards let it: the list-mode
    // guard when asked, the link guard when a message is given. No opener: nothing at all.
    void openGuardedScreen(const QString& procedure, bool listGuard,
                           const QString& linkMessage = QString());
    void showEmptyLogMessage();
    // After a scheduler pass: the list highlights the current terminal's row again.
    void showOperatorTerminal();
    // The list row of the terminal with this DeviceID; 0 when the list has none.
    int rowOfDevice(const QString& deviceId) const;
    // Drops element index's link when its row no longer lists the terminal it served.
    void releaseMovedLink(int index, const QString& deviceId);

    Db MainConnection;
    // Delete Templates reads the stored templates through a connection of its own.
    Db m_templateConnection;
    int DeviceCount = 0;
    int TickSecond = 0;
    bool ValidateSetting = false;
    long m_recordCount = 0; // attendance records the terminal reported (View Logs)

    QStandardItemModel* m_devices = nullptr;
    LogListModel* m_log = nullptr;
    QStandardItemModel* m_message = nullptr;
    QLabel* m_panels[3] = {nullptr, nullptr, nullptr};
    long m_viewMode = 3;
    int m_busy = 0; // BusyGuards held
    QHash<QString, ScreenOpener> m_openers;
    EmployeeRoutine m_openShiftPairing;
    frmProgressBar* m_progressWindow = nullptr;
    bool m_filling = false; // the list is being refilled: selection changes are no clicks
    bool m_unloaded = false;
    QVector<QString> m_elementDevice; // DeviceID each element's row listed last
    std::unique_ptr<MinuteTrigger> m_trigger;
};
