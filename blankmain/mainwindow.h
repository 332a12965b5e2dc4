#ifndef BLANKMAIN_MAINWINDOW_H
#define BLANKMAIN_MAINWINDOW_H

#include <QMainWindow>

namespace Ui {
class MainWindow;
}

// An empty main window: menu bar, tool bar, central area and status bar, all from the
// designer form.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow();

private:
    Ui::MainWindow *ui;
};

#endif // BLANKMAIN_MAINWINDOW_H
