#pragma once
// A window holding one grid, Grid, that fills it; Esc closes it.

#include <QWidget>

class QTableWidget;

class FrmReport : public QWidget
{
    Q_OBJECT
public:
    explicit FrmReport(QWidget* parent = nullptr);

    void Form_Resize();
    void Form_KeyDown(int keyCode);

    QTableWidget* Grid = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
