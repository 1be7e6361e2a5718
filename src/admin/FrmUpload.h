#pragma once
// The template upload screen: every employee with what the template store holds for the
// chosen destination terminal; the checked employees' stored templates go to it.

#include <QDialog>

class frm2;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class TerminalSdk;

class FrmUpload : public QDialog
{
    Q_OBJECT
public:
    explicit FrmUpload(frm2& window, QWidget* parent = nullptr);

    // The main window's opener: shows the screen modally.
    static void open(frm2& window);

    QLabel* Label1 = nullptr;
    QComboBox* cboSourceDevice = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cboDestinationDevice = nullptr;
    QTreeWidget* lsv = nullptr;
    QCheckBox* ChkCheck = nullptr;
    QPushButton* ChkUpLoad = nullptr;
    QPushButton* CmdCancel = nullptr;

    void Form_Load();
    void LoadDeviceCombos();
    void cboDestinationDevice_Click();
    void LoadStoredUsers();
    void ChkCheck_Click();
    void ChkUpLoad_Click();
    void CmdCancel_Click();
    void Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The chosen destination's DeviceID; false when none is chosen.
    bool destination(qint64& deviceId) const;
    // The main window's element for that terminal, or nullptr when it has none.
    TerminalSdk* destinationElement(qint64 deviceId);

    frm2& m_window;
};
