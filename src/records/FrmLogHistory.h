#pragma once
// The attendance history screen: an employee picked from the organisation > department >
// employee tree, their punches between two days, and the manual corrections that turn
// punches into daily sign-in and sign-out rows (the logic is records/Corrections).

#include <QDialog>

#include <memory>

class frm2;
namespace HistoryStore {
class PunchReader;
}
class QComboBox;
class QDateEdit;
class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

class FrmLogHistory : public QDialog
{
    Q_OBJECT
public:
    // Data roles. Tree nodes: the tag (the employee's Emp_ID as text, empty on the root and
    // department nodes) and the picture index (1 organisation, 2 open department,
    // 3 employee, 4 closed department). List items: the punch's day (QDate), time text and
    // verify mode, which the commands read instead of the item's text.
    static constexpr int TagRole = Qt::UserRole;
    static constexpr int PictureRole = Qt::UserRole + 1;
    static constexpr int DayRole = Qt::UserRole;
    static constexpr int TimeRole = Qt::UserRole + 1;
    static constexpr int VerifyRole = Qt::UserRole + 2;

    static inline const QString Caption = QStringLiteral("Attendance Log History");

    // `window` is the main window whose busy guard the commands that yield hold; may be null.
    explicit FrmLogHistory(frm2* window = nullptr, QWidget* parent = nullptr);
    ~FrmLogHistory() override;

    // True while a command that yields is running.
    bool isRunning() const { return m_running; }

    void Form_Load();
    void Form_Activate();
    void Form_KeyDown(int keyCode, int shift);
    void TxtSearch_KeyDown(int keyCode);
    void CmdSearch_Click();
    void TreeView1_Click();
    void TreeView1_KeyDown(int keyCode);
    void TreeView1_Expand(QTreeWidgetItem* node);
    void TreeView1_Collapse(QTreeWidgetItem* node);
    void lsv_Click();
    // `item` is the punch whose box changed.
    void lsv_ItemCheck(QTreeWidgetItem* item);
    void DTPicker1_Change();
    void DTPicker2_Change();
    void CmdCancel_Click();
    void CmdCancel_KeyDown(int keyCode);
    void HistoryLog(long EmpID);
    void GridSettings();

    void CmdSignIn_Click();
    void CmdSignOut_Click();
    void CmdSignInOut_Click();
    void CmdMakeOut_Click();
    void ChkConsistent_Click();
    void CmdClearLog_Click();

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildTree();
    void setPicture(QTreeWidgetItem* node, int picture);
    // The selected node's tag; empty when no employee is selected.
    QString selectedTag() const;
    // The employee whose punches the list shows (tag and node text), whom Sign In and Sign Out
    // write for; the selected node's while nothing is listed.
    QString listedTag(QString& nodeText) const;
    // Checked list items in list order.
    QList<QTreeWidgetItem*> checkedItems() const;
    void uncheck(QTreeWidgetItem* item);
    // Runs a fill command holding the guards, with its progress caption.
    void runFill(const QString& procName, const QString& captionTail, const QString& doneMessage,
                 bool missingSignOut);

    frm2* m_window;
    std::unique_ptr<HistoryStore::PunchReader> m_reader;
    bool m_running = false;
    bool m_filling = false; // the list is changed by the program, not the operator
    QString m_listedTag;
    QString m_listedText;

    QFrame* FrmTreeview;
    QTreeWidget* TreeView1;
    QLabel* Label3;
    QLineEdit* TxtSearch;
    QPushButton* CmdSearch;
    QGroupBox* Frame1;
    QLabel* Label1;
    QDateEdit* DTPicker1;
    QLineEdit* NDtBox1;
    QLabel* Label2;
    QDateEdit* DTPicker2;
    QLineEdit* NDtBox2;
    QDateEdit* DTPicker3;
    QComboBox* cmbShift;
    QLabel* LblEmployee;
    QTreeWidget* lsv;
    QPushButton* CmdSignIn;
    QPushButton* CmdSignOut;
    QPushButton* CmdSignInOut;
    QPushButton* CmdMakeOut;
    QPushButton* ChkConsistent;
    QPushButton* CmdClearLog;
    QPushButton* CmdCancel;
    QFrame* FrmGrid;
    QTableWidget* Grid;
};
