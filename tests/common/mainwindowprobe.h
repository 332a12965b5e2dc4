#ifndef GLIMMERIX_TESTS_MAINWINDOWPROBE_H
#define GLIMMERIX_TESTS_MAINWINDOWPROBE_H

// Read access to the editor window's private state, for the tests (the window
// declares this class its friend). Commands are still run the way the program
// runs them: through the widgets, the actions or the meta-object.

#include "mainwindow.h"

#include <QDoubleSpinBox>
#include <QImage>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QLabel>
#include <QMetaObject>
#include <QPixmap>
#include <QStatusBar>

class MainWindowProbe
{
public:
    explicit MainWindowProbe(MainWindow &window) : w(window) {}

    MainWindow &window() { return w; }
    bool isModified() const { return w.isModified; }
    bool isOpened() const { return w.isOpened; }
    QString curFile() const { return w.curFile; }
    const QImage *curImage() const { return w.curImage; }
    const QPixmap *image() const { return w.image; }
    QLabel *labelIm() const { return w.labelIm; }
    double gau() const { return w.gau; }
    double sha() const { return w.sha; }
    double rot() const { return w.rot; }
    double zoo() const { return w.zoo; }
    double waam() const { return w.waam; }
    double wadl() const { return w.wadl; }
    int med() const { return w.med; }
    double koefg() const { return w.koefg; }
    double koefp() const { return w.koefp; }
    QString r() const { return w.r; }
    QTabWidget *tabWidget() const { return w.tabWidget; }

    // The parameter widgets by their member names.
    QAbstractSpinBox *spinBox(const QString &name) const
    {
        const QList<QPair<QString, QAbstractSpinBox *>> boxes = {
            {"spinBoxH", w.spinBoxH},   {"spinBoxM", w.spinBoxM},   {"spinBoxF1", w.spinBoxF1},
            {"spinBoxG1", w.spinBoxG1}, {"spinBoxG", w.spinBoxG},   {"spinBoxG2", w.spinBoxG2},
            {"spinBoxW1", w.spinBoxW1}, {"spinBoxW2", w.spinBoxW2}};
        for (const auto &box : boxes)
            if (box.first == name)
                return box.second;
        return nullptr;
    }
    QPushButton *button(const QString &name) const
    {
        const QList<QPair<QString, QPushButton *>> buttons = {
            {"butH", w.butH}, {"butM", w.butM}, {"butF1", w.butF1}, {"butG1", w.butG1},
            {"butG", w.butG}, {"butG2", w.butG2}, {"butW", w.butW}};
        for (const auto &button : buttons)
            if (button.first == name)
                return button.second;
        return nullptr;
    }

    QString status() const { return w.statusBar()->currentMessage(); }

    // Runs a slot by name through the meta-object, as a connection would.
    void run(const char *slot) { QMetaObject::invokeMethod(&w, slot); }
    bool runForResult(const char *slot)
    {
        bool result = false;
        QMetaObject::invokeMethod(&w, slot, Q_RETURN_ARG(bool, result));
        return result;
    }

private:
    MainWindow &w;
};

#endif
