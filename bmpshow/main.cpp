#include <QApplication>
#include <QLabel>
#include <QPixmap>

int main(int argc, char *argv[])
{
    QApplication a(argc, argv);
    // The label is the window; it lives until the process ends.
    QLabel *label = new QLabel;
    // A missing or unreadable file gives a null pixmap and an empty window.
    QPixmap pixmap("qwe.bmp", nullptr, Qt::AutoColor);
    label->setPixmap(pixmap);
    label->show();
    return a.exec();
}
