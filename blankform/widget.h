#ifndef BLANKFORM_WIDGET_H
#define BLANKFORM_WIDGET_H

#include <QWidget>

namespace Ui {
class Widget;
}

// An empty form widget; its size and title come from the designer form.
class Widget : public QWidget
{
    Q_OBJECT

public:
    explicit Widget(QWidget *parent = nullptr);
    ~Widget();

private:
    Ui::Widget *ui;
};

#endif // BLANKFORM_WIDGET_H
