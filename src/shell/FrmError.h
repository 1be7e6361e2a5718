#pragma once
// The error dialog: the offer to send a report of the error just trapped, with the error's
// number and text one click away.

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Unload();

    QLabel* Image1 = nullptr;
    QWidget* PicDescr = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* LblDisplay = nullptr;
    QWidget* PicError = nullptr;
    QLabel* LblErrorCode = nullptr;
    QLabel* LblErrorDescr = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* CmdSend = nullptr;
    QPushButton* CmdDontSend = nullptr;
    bool m_sending = false;
};
