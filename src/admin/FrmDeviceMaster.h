#pragma once
// The terminal register editor: lists the registered terminals and adds, changes or
// removes one per Ok. The mode lives in Tag ("", "NEW", "EDIT", "DELETE") and outlives a
// save, so a further Ok repeats it with whatever the fields then hold. After each save the
// main window reloads its terminal list.

#include <QDialog>

#include <optional>

class FocusRefusal;
class frm2;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QTreeWidget;

class FrmDeviceMaster : public QDialog
{
    Q_OBJECT
public:
    explicit FrmDeviceMaster(frm2& window, QWidget* parent = nullptr);

    QString Tag() const { return m_tag; }

    void Form_Load();
    void Form_KeyDown(int keyCode);
    void CmdNew_Click();
    void CmdEdit_Click();
    void CmdDelete_Click();
    void CmdSave_Click();
    void CmdCancel_Click();
    void DumpMachine_Click();
    void lvX_Click();
    void optCom_Click();
    void optNetconncet_Click();

    // Refills the screen's own list.
    void ReloadMachinList();
    // Makes sure the main window has an element for every registered terminal.
    void LoadControl();

    // The field tests run when the focus leaves a field; false: refused, focus kept.
    bool TxtMacNo_Validate();
    bool txtDescription_Validate();
    bool TxtIpAdd_Validate();
    bool TxtPortNo_Validate();
    bool TxtComNo_Validate();
    bool TxtRate_Validate();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void MnuDeviceList_Click();
    // 1: the main window's selected row; anything else: this screen's selected row.
    void DisplayData(int Source);
    void ClearFields();
    void ResetButtons();
    void setMode(const QString& tag, const QString& caption, QPushButton* keep);
    bool blankRefused(QLineEdit* field, const QString& message);
    // The tests of the mode's fields, run again by Ok.
    bool fieldsAccepted();
    // The duplicate test: false (refused, or its look-up failed) when a row holds Machine No.
    bool numberFree();

    frm2& m_window;
    QString m_tag;
    // A refusal puts the focus back: the field it had reached must not be tested for that.
    bool m_validating = false;
    FocusRefusal* m_refusal;
    // The number of the row the fields were filled from; none after they were cleared.
    std::optional<long> m_shown;

    QGroupBox* Frame1;
    QGroupBox* Frame2;
    QGroupBox* Frame3;
    QGroupBox* FrmOpr;
    QLineEdit* TxtMacNo;
    QLineEdit* txtDescription;
    QToolButton* DumpMachine;
    QRadioButton* optNetconncet;
    QRadioButton* optCom;
    QLineEdit* TxtIpAdd;
    QLineEdit* TxtPortNo;
    QLineEdit* TxtComNo;
    QLineEdit* TxtRate;
    QComboBox* cboDeviceLogMode;
    QLabel* lblDeviceLogMode;
    QTreeWidget* lvX;
    QPushButton* CmdNew;
    QPushButton* CmdEdit;
    QPushButton* CmdDelete;
    QPushButton* CmdSave;
    QPushButton* CmdCancel;
};
