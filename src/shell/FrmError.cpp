#include "FrmError.h"

#include "ErrorReport.h"
#include "MsgBox.h"
#include "Shared.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
QLabel* makeLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// "Click Here" and "Back" look and behave like links but stay plain text.
void styleAsLink(QLabel* label)
{
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Link));
    label->setPalette(palette);
    label->setCursor(Qt::PointingHandCursor);
}
}  // namespace

FrmError::FrmError(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmError"));
    setWindowTitle(AppTitle() + QStringLiteral(" - Error"));

    Image1 = makeLabel(QStringLiteral("Image1"), QString(), this);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    PicDescr = new QWidget(this);
    PicDescr->setObjectName(QStringLiteral("PicDescr"));
    Label1 = makeLabel(QStringLiteral("Label1"),
                       QStringLiteral("Please tell Marrowick about this problem"), PicDescr);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 = makeLabel(QStringLiteral("Label2"),
                       QStringLiteral("We have created an Error Report that you can send to us. "
                                      "We will treat this report as confidential and "
                                      "anonymous."),
                       PicDescr);
    Label2->setWordWrap(true);
    Label3 = makeLabel(QStringLiteral("Label3"),
                       QStringLiteral("To see what Data this Report Contains "), PicDescr);
    LblDisplay = makeLabel(QStringLiteral("LblDisplay"), QStringLiteral("Click Here"), PicDescr);
    styleAsLink(LblDisplay);
    auto* seeLine = new QHBoxLayout;
    seeLine->setSpacing(0);
    seeLine->addWidget(Label3);
    seeLine->addWidget(LblDisplay);
    seeLine->addStretch();
    auto* descrLayout = new QVBoxLayout(PicDescr);
    descrLayout->setContentsMargins(0, 0, 0, 0);
    descrLayout->addWidget(Label1);
    descrLayout->addWidget(Label2);
    descrLayout->addLayout(seeLine);
    descrLayout->addStretch();

    PicError = new QWidget(this);
    PicError->setObjectName(QStringLiteral("PicError"));
    LblErrorCode = makeLabel(QStringLiteral("LblErrorCode"), QStringLiteral("Error No:"), PicError);
    LblErrorDescr =
        makeLabel(QStringLiteral("LblErrorDescr"), QStringLiteral("Error Description :"), PicError);
    LblErrorDescr->setWordWrap(true);
    LblErrorDescr->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Label4 = makeLabel(QStringLiteral("Label4"), QStringLiteral("Back"), PicError);
    styleAsLink(Label4);
    auto* errorLayout = new QVBoxLayout(PicError);
    errorLayout->setContentsMargins(0, 0, 0, 0);
    errorLayout->addWidget(LblErrorCode);
    errorLayout->addWidget(LblErrorDescr);
    errorLayout->addStretch();
    errorLayout->addWidget(Label4, 0, Qt::AlignLeft);

    // Both panels share one cell: one place on the dialog, one panel visible at a time.
    auto* panels = new QGridLayout;
    panels->addWidget(PicDescr, 0, 0);
    panels->addWidget(PicError, 0, 0);

    CmdSend = new QPushButton(QStringLiteral("Send Error Report"), this);
    CmdSend->setObjectName(QStringLiteral("CmdSend"));
    CmdDontSend = new QPushButton(QStringLiteral("Don't Send"), this);
    CmdDontSend->setObjectName(QStringLiteral("CmdDontSend"));
    for (QPushButton* button : {CmdSend, CmdDontSend}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdSend);
    buttons->addWidget(CmdDontSend);

    auto* top = new QHBoxLayout;
    top->addWidget(Image1);
    top->addLayout(panels, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    LblDisplay->installEventFilter(this);
    Label4->installEventFilter(this);
    connect(CmdSend, &QPushButton::clicked, this, &FrmError::CmdSend_Click);
    connect(CmdDontSend, &QPushButton::clicked, this, &FrmError::CmdDontSend_Click);

    Form_Load();
}

bool FrmError::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* label = static_cast<QLabel*>(watched);
        // A press dragged off the link and released elsewhere is no click.
        if (mouse->button() == Qt::LeftButton &&
            label->rect().contains(mouse->position().toPoint())) {
            if (watched == LblDisplay)
                LblDisplay_Click();
            else if (watched == Label4)
                Label4_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FrmError::Form_Load()
{
    // The error's own number and text, so that the operator sees them and the report
    // carries them.
    const TrappedError& error = shared().LastError;
    LblErrorCode->setText(QStringLiteral("Error No:") + error.number);
    LblErrorDescr->setText(QStringLiteral("Error Description :") + error.description);
    PicDescr->setVisible(true);
    PicError->setVisible(false);
}

void FrmError::LblDisplay_Click()
{
    PicDescr->setVisible(false);
    PicError->setVisible(true);
}

void FrmError::Label4_Click()
{
    PicDescr->setVisible(true);
    PicError->setVisible(false);
}

void FrmError::CmdSend_Click()
{
    // The yields below let a second click through; one report per press is enough.
    if (m_sending)
        return;
    m_sending = true;
    // This is the error trap's own path: whatever goes wrong here must not open another
    // error dialog, so it ends quietly with the dialog closed.
    try {
        QCoreApplication::processEvents();
        setWindowTitle(QStringLiteral("Checking Internet Connection..."));
        if (!IsInternetConnected()) {
            MsgBox(QStringLiteral("Cannot find any internet connections"), 64);
        } else {
            setWindowTitle(QStringLiteral("Sending Error Report.."));
            QCoreApplication::processEvents();
            SendErrorReport(LblErrorCode->text(), LblErrorDescr->text());
        }
    } catch (...) {
    }
    m_sending = false;
    Unload();
}

void FrmError::CmdDontSend_Click()
{
    Unload();
}

void FrmError::Unload()
{
    done(QDialog::Accepted);
}
