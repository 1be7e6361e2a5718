#pragma once
// The current terminal's operation log, read and listed; nothing is written anywhere. The
// log is read twice, first to count it for the progress bar, then to list it.

#include <QDialog>

class frm2;
class QGroupBox;
class QProgressBar;
class QPushButton;
class QTreeView;
class SuperLogModel;

class FrmSuperLogData : public QDialog
{
    Q_OBJECT
public:
    explicit FrmSuperLogData(frm2& window, QWidget* parent = nullptr);

    void CmdViewLogs_Click();
    void CmdCancel_Click();
    void Form_KeyDown(int keyCode);

    const SuperLogModel& rows() const { return *m_model; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Closes now, or once the reading running has stopped.
    void Unload();

    frm2& m_window;
    SuperLogModel* m_model;
    bool m_reading = false;
    bool m_stop = false;

    QGroupBox* Frame1;
    QProgressBar* PrgBar;
    QTreeView* lsv;
    QPushButton* CmdViewLogs;
    QPushButton* CmdCancel;
};
