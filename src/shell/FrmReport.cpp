#include "FrmReport.h"

#include <QKeyEvent>
#include <QTableWidget>

namespace {
constexpr int px(int twips)
{
    return twips / 15;
}
} // namespace

FrmReport::FrmReport(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmReport"));
    setWindowTitle(QStringLiteral("Report"));
    setAttribute(Qt::WA_DeleteOnClose);
    Grid = new QTableWidget(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->move(px(100), px(100));
    resize(px(9000), px(6000));
}

void FrmReport::Form_Resize()
{
    Grid->resize(std::max(0, width() - px(200)), std::max(0, height() - px(700)));
}

void FrmReport::Form_KeyDown(int keyCode)
{
    if (keyCode == Qt::Key_Escape)
        close();
}

void FrmReport::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmReport::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        Form_KeyDown(Qt::Key_Escape);
        return;
    }
    QWidget::keyPressEvent(event);
}
