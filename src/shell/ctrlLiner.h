#pragma once
// A separator: an etched horizontal rule, a shadow line above a highlight line, always
// 2 pixels (30 twips) high whatever size it is given.

#include <QWidget>

class ctrlLiner : public QWidget
{
    Q_OBJECT
public:
    explicit ctrlLiner(QWidget* parent = nullptr);

    void UserControl_Initialize();
    void UserControl_Resize();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
