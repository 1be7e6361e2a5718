#pragma once
// The small modeless window that shows how far a long listing has come. It has no
// behaviour of its own: the procedures that drive it set its texts and its bar.

#include <QWidget>

class QLabel;
class QProgressBar;

class frmProgressBar : public QWidget
{
    Q_OBJECT
public:
    explicit frmProgressBar(QWidget* parent = nullptr);

    QLabel* ProTitle;
    QLabel* ProTitle1;
    QLabel* Label1;
    QProgressBar* PBar;
    QProgressBar* MBar;
};
