#include "frmProgressBar.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

frmProgressBar::frmProgressBar(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("frmProgressBar"));
    setWindowTitle(QStringLiteral("Wait . . ."));
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto makeLabel = [this](const char* name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        return label;
    };
    auto makeBar = [this](const char* name) {
        auto* bar = new QProgressBar(this);
        bar->setObjectName(QLatin1String(name));
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        return bar;
    };
    const QString transferring = QStringLiteral("Transfering Data . . . Please Wait.");
    ProTitle = makeLabel("ProTitle", transferring);
    ProTitle1 = makeLabel("ProTitle1", transferring);
    Label1 = makeLabel("Label1",
                       QStringLiteral("Please wait while Quorvane extracts data into your system."));
    PBar = makeBar("PBar");
    MBar = makeBar("MBar");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProTitle);
    layout->addWidget(PBar);
    layout->addWidget(ProTitle1);
    layout->addWidget(MBar);
    layout->addWidget(Label1);
    setFixedWidth(380);
}
