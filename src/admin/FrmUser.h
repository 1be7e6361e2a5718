#pragma once
// The users held on the current terminal: lists them, and adds, changes or deletes one on
// the terminal. It writes nothing to the database; the database's record of a terminal's
// users is refreshed at the terminal's next connect.

#include <QDialog>

class FocusRefusal;
class frm2;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;
class TerminalSdk;

class FrmUser : public QDialog
{
    Q_OBJECT
public:
    explicit FrmUser(frm2& window, QWidget* parent = nullptr);

    // The main window's selected row when the screen was opened; the screen never reads it.
    int SelDevice = 0;

    QString Tag() const { return m_tag; }

    void Form_Load();
    void Form_KeyDown(int keyCode);
    void CmdNew_Click();
    void CmdEdit_Click();
    void CmdDelete_Click();
    void CmdOk_Click();
    void cmdCancelProcess_Click();
    void CmdCancel_Click();
    void DumpUser_Click();
    void DumpEmployee_Click();
    void DumpMachine_Click();
    void lvwUserInformation_Click();
    void lvwUserInformation_ColumnClick(int column);
    void DisplayData();
    // Refills the user list from the terminal (F5).
    void LoadDeviceUsers();

    // False: refused with a message, the focus kept in the field.
    bool txtEnrollNum_Validate();
    bool txtMacNum_Validate();
    bool txtDescription_Validate();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TerminalSdk& device() const;
    long machine() const;
    void fillUsers();
    void setModeButtons(bool enabled);
    // Ok done: the screen goes back to its no-mode controls, keeping Tag and caption.
    void leaveEditing();
    // The fields show the list's highlighted user again; empty when no row is highlighted.
    void showHighlighted();

    frm2& m_window;
    QString m_tag;
    FocusRefusal* m_refusal;
    int m_employee = 0;
    // The number of the user the fields were filled from; empty once they were emptied.
    QString m_shown;
    int m_sortColumn = -1;

    QTreeWidget* lvwUserInformation;
    QGroupBox* frainformation;
    QLineEdit* txtEnrollNum;
    QToolButton* DumpUser;
    QLineEdit* txtName;
    QLineEdit* txtPaw;
    QLineEdit* txtRFID;
    QComboBox* CboPrivilege;
    QCheckBox* ChkEnable;
    QLineEdit* txtMacNum;
    QToolButton* DumpMachine;
    QLineEdit* txtDescription;
    QToolButton* DumpEmployee;
    QPushButton* CmdNew;
    QPushButton* CmdEdit;
    QPushButton* CmdDelete;
    QPushButton* cmdCancelProcess;
    QPushButton* CmdOk;
    QPushButton* CmdCancel;
    QLabel* LblStatus;
};
