#pragma once
// The template download screen: the users of the main window's current terminal, of whom
// the checked ones are stored in the template store with their card numbers, passwords
// and (unless excluded) fingerprint templates.

#include <QDialog>

class frm2;
class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class TerminalSdk;

class FrmDownload : public QDialog
{
    Q_OBJECT
public:
    explicit FrmDownload(frm2& window, QWidget* parent = nullptr);

    // The main window's opener: names the current terminal in lblDeviceName and shows the
    // screen modally.
    static void open(frm2& window);

    QLabel* lblDeviceName = nullptr;
    QLabel* Label1 = nullptr;
    QTreeWidget* lsv = nullptr;
    QCheckBox* ChkCheck = nullptr;
    QCheckBox* chkExclFingerPrints = nullptr;
    QPushButton* CmdDownload = nullptr;
    QLabel* LblStatus = nullptr;

    void Form_Load();
    void LoadDeviceUsers();
    void Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void ChkCheck_Change();
    void CmdDownload_Click();
    static QString PrivilegeText(int privilege);

    // True while a download runs.
    bool isRunning() const { return m_running; }
    // The download lets the window repaint between terminal reads at most this often, and
    // commits what it stored each time.
    int yieldIntervalMs = 100;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    TerminalSdk& device() const;
    long machineNumber() const;

    frm2& m_window;
    bool m_running = false;
};
