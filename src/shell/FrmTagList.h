#pragma once
// The shared list picker dialog. ShowTagList fills and shows it; the terminal users screen
// fills lsv itself (TagListSize "USER") and calls showForm(). One instance exists at a time:
// made on first use by form(), destroyed when the pick is over.

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class FrmTagList : public QDialog
{
    Q_OBJECT
public:
    explicit FrmTagList(QWidget* parent = nullptr);
    ~FrmTagList() override;

    // The picker's instance, made on first use.
    static FrmTagList& form();
    // Shows the instance modally (or hands it to the test handler), then destroys it.
    static void showForm();
    // Destroys the instance without showing it.
    static void unloadForm();

    // "" ordinary, "USER" the terminal's user list, "BIG" a larger list; set before showing.
    QString TagListSize() const { return m_tagListSize; }
    void setTagListSize(const QString& size) { m_tagListSize = size; }

    // Runs Form_Load once, the first time the dialog's controls are needed.
    void load();
    void setMultipleChoice(bool multiple);
    // No row and no column left.
    void clearList();
    void addColumn(const QString& caption, int widthTwips);
    // One row: the first text as the item, the others as its sub-items.
    void addRow(const QStringList& texts);

    void Form_Load();
    void Form_KeyDown(int keyCode);
    void CmdOk_Click();
    void CmdCancel_Click();
    void ChkTag_Click();
    void lsv_DblClick();
    // True when the key was taken.
    bool lsv_KeyDown(int keyCode);
    void TxtSearch_Change();
    void TxtSearch_Click();

    // The rows; the terminal users screen adds its columns and rows here.
    QTreeWidget* lsv = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void Unload();
    void layOut();

    QString m_tagListSize;
    bool m_loaded = false;

    QFrame* Frame1 = nullptr;
    QLineEdit* TxtSearch = nullptr;
    QCheckBox* ChkTag = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* CmdOk = nullptr;
    QPushButton* CmdCancel = nullptr;
    QLabel* Picture1 = nullptr;
};
