#include "MsgBox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
MsgBox::Handler& handler()
{
    static MsgBox::Handler h;
    return h;
}

int showDialog(const QString& text, int style, const QString& title)
{
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? AppTitle() : title);
    box.setText(text);
    const int buttons = style & 0x0F;
    switch (style & 0xF0) {
    case 16:
        box.setIcon(QMessageBox::Critical);
        break;
    case 32:
        box.setIcon(QMessageBox::Question);
        break;
    case 48:
        box.setIcon(QMessageBox::Warning);
        break;
    case 64:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
    }
    if (buttons == 4) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else if (buttons == 1) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    case QMessageBox::Cancel:
        return vbCancel;
    default:
        return vbOK;
    }
}
}  // namespace

MsgBox::MsgBox(const QString& text, int style, const QString& title)
    : m_answer(handler() ? handler()(text, style, title) : showDialog(text, style, title))
{}

void MsgBox::setHandler(Handler h) { handler() = std::move(h); }

QString AppTitle() { return QStringLiteral("Quorvane"); }
