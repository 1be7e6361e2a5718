#include "ctrlLiner.h"

#include "cToolTip.h"

#include <QPainter>

namespace {
constexpr int kHeight = 30 / 15;       // 30 twips
constexpr int kHighlightTop = 20 / 15; // the second line, 20 twips down
constexpr quint32 kButtonShadow = 0x80000010u;
constexpr quint32 kHighlight3D = 0x80000014u;
} // namespace

ctrlLiner::ctrlLiner(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ctrlLiner"));
    UserControl_Initialize();
}

void ctrlLiner::UserControl_Initialize()
{
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // The holder's background, so that the rule sits on the form like a drawn line.
    if (QWidget* holder = parentWidget()) {
        QPalette p = palette();
        p.setColor(QPalette::Window, holder->palette().color(QPalette::Window));
        setPalette(p);
        setAutoFillBackground(true);
    }
}

void ctrlLiner::UserControl_Resize()
{
    if (height() != kHeight)
        setFixedHeight(kHeight);
    update();
}

void ctrlLiner::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void ctrlLiner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int right = width() - 1;
    painter.setPen(OleColour(kButtonShadow));
    painter.drawLine(0, 0, right, 0);
    painter.setPen(OleColour(kHighlight3D));
    painter.drawLine(0, kHighlightTop, right, kHighlightTop);
}
