#pragma once
// The user-copy screen: users stored from a source terminal, with their cards, passwords
// and templates, onto a destination terminal reached through this screen's own SDK
// control. The source needs no link.

#include <QColor>
#include <QDialog>

class frm2;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TerminalSdk;

class FrmImportUsers : public QDialog
{
    Q_OBJECT
public:
    explicit FrmImportUsers(frm2& window, QWidget* parent = nullptr);
    ~FrmImportUsers() override;

    // The main window's opener: shows the screen modally.
    static void open(frm2& window);

    QGroupBox* FrmDeviceList = nullptr;
    QFrame* Picture1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* CboSourceDevice = nullptr;
    QFrame* Picture2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* CboDestination = nullptr;
    QPushButton* CmdConnect = nullptr;
    QGroupBox* FrmUsers = nullptr;
    QTreeWidget* lsv = nullptr;
    QCheckBox* ChkImportAll = nullptr;
    QPushButton* CmdImport = nullptr;
    // The link to the destination; it goes with the screen.
    TerminalSdk* TermCtl1 = nullptr;

    void Form_Load();
    void CboSourceDevice_Click();
    void ChkImportAll_Change();
    void CmdConnect_Click();
    void TermCtl1_Connected();
    void CmdImport_Click();
    void Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    static void StyleListItem(QTreeWidgetItem* item, const QColor& colour, bool bold);
    void ShowDeviceListPanel();
    void CloseForm();

    // True while a copy runs.
    bool isRunning() const { return m_running; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    frm2& m_window;
    bool m_running = false;
    qint64 m_source = 0;
    qint64 m_destination = 0; // the terminal TermCtl1 was linked to
};
