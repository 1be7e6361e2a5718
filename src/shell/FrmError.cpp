#include "FrmError.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FrmError::FrmError(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmError"));
    auto* layout = new QVBoxLayout(this);
    CmdDontSend = new QPushButton(QStringLiteral("Don't Send"), this);
    CmdDontSend->setObjectName(QStringLiteral("CmdDontSend"));
    layout->addWidget(CmdDontSend);
    connect(CmdDontSend, &QPushButton::clicked, this, &FrmError::CmdDontSend_Click);
}

void FrmError::Form_Load() {}
void FrmError::LblDisplay_Click() {}
void FrmError::Label4_Click() {}
void FrmError::CmdSend_Click() {}
void FrmError::CmdDontSend_Click() { accept(); }
