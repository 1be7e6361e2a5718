#pragma once
// The error dialog: what went wrong, and the offer to send a report.

#include <QDialog>

class QLabel;
class QPushButton;
class QWidget;

class FrmError : public QDialog
{
    Q_OBJECT
public:
    explicit FrmError(QWidget* parent = nullptr);

    void Form_Load();
    void LblDisplay_Click();
    void Label4_Click();
    void CmdSend_Click();
    void CmdDontSend_Click();

private:
    QWidget* PicDescr = nullptr;
    QWidget* PicError = nullptr;
    QLabel* LblErrorCode = nullptr;
    QLabel* LblErrorDescr = nullptr;
    QPushButton* CmdSend = nullptr;
    QPushButton* CmdDontSend = nullptr;
};
