#include "mainwindow.h"
#include "ui_mainwindow.h"

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);
}

// The form's widgets are children of the window and go with it; only the form record is
// ours to delete.
MainWindow::~MainWindow()
{
    delete ui;
}
