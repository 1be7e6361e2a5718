#pragma once
// "USB Data Import": lists the punches of a terminal's USB file (View) and stores them in
// both punch tables, attributed to a registered terminal (Extract).

#include "UsbImport.h"
#include "shell/Db.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class frm2;

class frmUSBDataImport : public QDialog
{
    Q_OBJECT
public:
    // window: the main window, held busy while Extract yields; may be null.
    explicit frmUSBDataImport(frm2* window, QWidget* parent = nullptr);
    ~frmUSBDataImport() override;

    void Form_Load();
    void cmdBrowse_Click();
    void cmdView_Click();
    void cmdExtract_Click();
    void CloseForm();

    // True while View or Extract runs.
    bool isRunning() const { return m_running; }
    UsbPunchList& list() { return *m_list; }

    // The closing message of a run that skipped records: "Some data could not be saved",
    // their count and the first ones with their reasons.
    static QString skippedMessage(const UsbImport::Result& result);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    // The checks View and Extract make before reading; false ends the command.
    bool checkFile(bool extract);
    void run(bool extract);
    void setRunning(bool running);

    frm2* m_window;
    QGroupBox* Frame1;
    QLineEdit* txtfile;
    QPushButton* cmdBrowse;
    QLabel* Label1;
    QComboBox* cboExtractedFrom;
    QPushButton* cmdView;
    QPushButton* cmdExtract;
    QTreeView* lsv;
    UsbPunchList* m_list;

    Db m_connection;
    QString m_dialogFileName; // what the file dialog last held
    bool m_running = false;
    bool m_closeAfterRun = false;
};
