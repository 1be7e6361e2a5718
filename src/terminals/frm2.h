#pragma once
// The main window: the terminal list and the hub of every command.

#include <QMainWindow>

class frm2 : public QMainWindow
{
    Q_OBJECT
public:
    explicit frm2(QWidget* parent = nullptr);

    void Form_Load();
};
