#pragma once
// "Repair Extracted Data": lists the punches of tbl_attendancelog for a user or all users
// over a range of days, queues rows for deletion or a new in/out mode, and carries the
// queued changes out after a confirmation with their counts.

#include "PunchRepair.h"

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableView;
class RepairLogModel;
class TerminalSdk;
class frm2;

class frmDataRepair : public QDialog
{
    Q_OBJECT
public:
    // Grid columns.
    enum Column { ColUser, ColName, ColDate, ColTime, ColVM, ColVerify, ColLM, ColLogMode, ColX };

    // window: the main window whose current terminal when the screen opens
    // (TermCtl1(SelectedItem), MachineID) gives the user names; may be null (names stay
    // empty).
    explicit frmDataRepair(frm2* window, QWidget* parent = nullptr);
    ~frmDataRepair() override;

    void Form_Load();
    void cmdShow_Click();
    void cmdExecute_Click();
    // A click on a data cell (row from 0, column as above).
    void GridLogData_Click(int row, int column);
    void cboLogType_Click();
    void picLogType_Resize();

    void SetupRepairGrid();
    // The in/out modes a row can be given, each with its mode as item data.
    void FillLogTypeCombo();
    // Fills the grid; throws DbError (the rows appended before a failure stay).
    void LoadRepairLogs(qint64 user, const QDate& first, const QDate& last);

    // The day selection of mvw: a click picks a day, Shift+click extends it to a range.
    QDate SelStart() const { return m_selStart; }
    QDate SelEnd() const { return m_selEnd; }
    void setSelection(const QDate& first, const QDate& last);
    void mvw_Click(const QDate& date, Qt::KeyboardModifiers modifiers);

    // The grid as the operator sees it.
    int rowCount() const;
    QString TextMatrix(int row, int column) const;
    int rowState(int row) const;
    const QVector<RepairRow>& rows() const;

private:
    void showSelection();

    TerminalSdk* m_terminal = nullptr;
    long m_machineId = 0;
    QGroupBox* XPFrame1;
    QLabel* Label1;
    QComboBox* cboUserID;
    QGroupBox* XPFrame2;
    QLabel* Label2;
    QCalendarWidget* mvw;
    QPushButton* cmdShow;
    QPushButton* cmdExecute;
    QGroupBox* fraLogDetail;
    QTableView* GridLogData;
    QWidget* picLogType;
    QComboBox* cboLogType;
    RepairLogModel* m_model;

    int m_deletions = 0;
    int m_modifications = 0;
    QString m_logTypeTag; // "TAVI" while the grid sets cboLogType itself
    int m_currentRow = -1;
    int m_currentColumn = 0;
    QDate m_selStart;
    QDate m_selEnd;
    QDate m_anchor;
    bool m_showingSelection = false; // mvw follows the selection; not the operator's choice

    friend class RepairLogModel;
};
