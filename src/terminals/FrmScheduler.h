#pragma once
// The task editor: browses the scheduled terminal tasks one at a time and adds, changes or
// deletes one task per visit; every save closes the dialog.

#include "shell/Recordset.h"

#include <QDialog>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class QToolButton;

class FrmScheduler : public QDialog
{
    Q_OBJECT
public:
    explicit FrmScheduler(QWidget* parent = nullptr);

    // "", "NEW", "EDIT" or "DELETE"
    QString Tag() const { return m_tag; }
    long CurrentTaskID() const { return m_currentTaskId; }
    long TaskDeviceID() const { return m_taskDeviceId; }

    void Form_Load();
    void CmdNew_Click();
    void CmdEdit_Click();
    void CmdDelete_Click();
    void CmdSave_Click();
    void CmdCancel_Click();
    void CmdFirst_Click();
    void CmdPrevious_Click();
    void CmdNext_Click();
    void CmdLast_Click();
    void DumpMachine_Click();
    void MonthView1_DateClick(const QDate& date);
    // False (focus kept, message shown) when the terminal field is blank.
    bool TxtDevice_Validate();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setMode(const QString& tag);
    void refuseDevice();
    void ClearData();
    void DisplayData();

    QComboBox* CboTask;
    QLineEdit* TxtDevice;
    QToolButton* DumpMachine;
    QLineEdit* TxtRemarks;
    QTimeEdit* DTPicker1;
    QCalendarWidget* MonthView1;
    QLabel* LblDate;
    QCheckBox* ChkPerform;
    QPushButton* CmdNew;
    QPushButton* CmdEdit;
    QPushButton* CmdDelete;
    QPushButton* CmdFirst;
    QPushButton* CmdPrevious;
    QPushButton* CmdNext;
    QPushButton* CmdLast;
    QPushButton* CmdSave;
    QPushButton* CmdCancel;

    Recordset TaskRs;
    QString m_tag;
    long m_currentTaskId = 0;
    long m_taskDeviceId = 0;
    // Task code of the row shown; a code the task list has no entry for is saved back as it is.
    int m_shownTask = 0;
    // The picker is open: the focus leaves the Device field for it, not for another field.
    bool m_picking = false;
};
