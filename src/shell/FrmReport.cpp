#include "FrmReport.h"

#include "Twips.h"

#include <QKeyEvent>
#include <QTableWidget>

FrmReport::FrmReport(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmReport"));
    setWindowTitle(QStringLiteral("Report"));
    setAttribute(Qt::WA_DeleteOnClose);
    Grid = new QTableWidget(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->move(twips(100), twips(100));
    resize(twips(9000), twips(6000));
}

void FrmReport::Form_Resize()
{
    Grid->resize(std::max(0, width() - twips(200)), std::max(0, height() - twips(700)));
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
