// The editor window as it is built: widget tree, tabs, parameter boxes, actions,
// menus, the slot table and the parameter slots.

#include "mainwindowprobe.h"
#include "modaldriver.h"

#include <QAction>
#include <QBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMetaMethod>
#include <QSignalSpy>
#include <QScrollArea>
#include <QTest>

namespace {

// One line per layout item: "Class 'text' stretch", nested layouts in braces.
QStringList describeLayout(QLayout *layout)
{
    QStringList items;
    auto *box = qobject_cast<QBoxLayout *>(layout);
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem *item = layout->itemAt(i);
        const QString stretch = box ? QString::number(box->stretch(i)) : QString("?");
        if (QWidget *widget = item->widget()) {
            QString text;
            if (auto *label = qobject_cast<QLabel *>(widget))
                text = label->text();
            else if (auto *button = qobject_cast<QPushButton *>(widget))
                text = button->text();
            items << QString("%1 '%2' %3").arg(widget->metaObject()->className(), text, stretch);
        } else if (QLayout *inner = item->layout()) {
            items << QString("%1 {%2} %3")
                         .arg(inner->metaObject()->className(), describeLayout(inner).join("; "), stretch);
        }
        if (item->alignment() != Qt::Alignment())
            items.last() += " aligned";
    }
    return items;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    MainWindow *window = nullptr;
    MainWindowProbe *probe = nullptr;

private slots:
    void init()
    {
        window = new MainWindow;
        window->setWindowTitle("Glimmerix");
        probe = new MainWindowProbe(*window);
    }
    void cleanup()
    {
        delete probe;
        delete window;
    }

    void startState()
    {
        QCOMPARE(window->windowTitle(), QString("Glimmerix"));
        QVERIFY(!window->parent());
        QVERIFY(!probe->isOpened());
        QVERIFY(!probe->isModified());
        QVERIFY(probe->curFile().isEmpty());
        QCOMPARE(probe->r(), QString("You are so Inaccuratly..."));
        QCOMPARE(probe->status(), QString("Ready"));
        QVERIFY(probe->labelIm()->text().isEmpty());
        QVERIFY(probe->labelIm()->pixmap().isNull());
        QCOMPARE(probe->gau(), 1.0);
        QCOMPARE(probe->sha(), 0.0);
        QCOMPARE(probe->rot(), 0.0);
        QCOMPARE(probe->zoo(), 100.0);
        QCOMPARE(probe->waam(), 0.0);
        QCOMPARE(probe->wadl(), 0.0);
        QCOMPARE(probe->med(), 3);
    }

    void widgetTree()
    {
        QWidget *central = window->centralWidget();
        QVERIFY(central);
        QCOMPARE(QString(central->metaObject()->className()), QString("QWidget"));
        QLayout *mainLayout = central->layout();
        QVERIFY(qobject_cast<QVBoxLayout *>(mainLayout));
        QCOMPARE(mainLayout->sizeConstraint(), QLayout::SetMinimumSize);
        QCOMPARE(mainLayout->count(), 2);
        // The label shows the picture in a scroll area, which keeps the tabs on the screen.
        auto *pictureArea = qobject_cast<QScrollArea *>(mainLayout->itemAt(0)->widget());
        QVERIFY(pictureArea);
        QCOMPARE(pictureArea->widget(), probe->labelIm());
        QCOMPARE(mainLayout->itemAt(1)->widget(), probe->tabWidget());

        const QStringList titles = {"Harshness", "Median Filtration", "Gauss Filtration",
                                    "Rotation", "Zooming", "Transversal-longitudinal Waves"};
        QTabWidget *tabs = probe->tabWidget();
        QCOMPARE(tabs->count(), titles.size());
        for (int i = 0; i < titles.size(); ++i)
            QCOMPARE(tabs->tabText(i), titles[i]);
        QCOMPARE(tabs->currentIndex(), 0);
    }

    void pages_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("layoutClass");
        QTest::addColumn<QStringList>("items");

        QTest::newRow("Harshness") << 0 << "QHBoxLayout"
            << QStringList{"QDoubleSpinBox '' 0", "QLabel '[0,3]' 0", "QPushButton '&Apply' 8"};
        QTest::newRow("Median") << 1 << "QHBoxLayout"
            << QStringList{"QSpinBox '' 0", "QLabel '[3; 5; 7; 9]' 0", "QPushButton '&Apply' 8"};
        QTest::newRow("Gauss") << 2 << "QHBoxLayout"
            << QStringList{"QDoubleSpinBox '' 0", "QLabel '[0.01,5.0]' 0", "QPushButton '&Apply' 8"};
        QTest::newRow("Rotation") << 3 << "QHBoxLayout"
            << QStringList{"QDoubleSpinBox '' 0", "QLabel '[-180',180']' 0", "QPushButton '&Apply' 8"};
        QTest::newRow("Zooming") << 4 << "QVBoxLayout"
            << QStringList{"QHBoxLayout {QLabel 'Another' 0; QDoubleSpinBox '' 0; QLabel '[1,10000]' 0; "
                           "QPushButton '&Apply' 8} 0",
                           "QHBoxLayout {QLabel 'Correct' 0; QDoubleSpinBox '' 0; QLabel '[1,10000]' 0; "
                           "QPushButton '&Apply' 8} 0"};
        QTest::newRow("Waves") << 5 << "QVBoxLayout"
            << QStringList{"QHBoxLayout {QLabel 'Wawe length' 0; QDoubleSpinBox '' 0; QLabel '[0,10]' 0} 0",
                           "QHBoxLayout {QLabel 'Amplituda' 0; QDoubleSpinBox '' 0; QLabel '[0,10]' 0} 0",
                           "QPushButton '&Apply' 8"};
    }
    void pages()
    {
        QFETCH(int, tab);
        QFETCH(QString, layoutClass);
        QFETCH(QStringList, items);
        QLayout *layout = probe->tabWidget()->widget(tab)->layout();
        QVERIFY(layout);
        QCOMPARE(QString(layout->metaObject()->className()), layoutClass);
        QCOMPARE(describeLayout(layout), items);
    }

    // The page layouts hold the member widgets, not look-alikes.
    void pageMembers_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("members");
        QTest::newRow("Harshness") << 0 << QStringList{"spinBoxH", "butH"};
        QTest::newRow("Median") << 1 << QStringList{"spinBoxM", "butM"};
        QTest::newRow("Gauss") << 2 << QStringList{"spinBoxF1", "butF1"};
        QTest::newRow("Rotation") << 3 << QStringList{"spinBoxG1", "butG1"};
        QTest::newRow("Zooming") << 4 << QStringList{"spinBoxG", "butG", "spinBoxG2", "butG2"};
        QTest::newRow("Waves") << 5 << QStringList{"spinBoxW1", "spinBoxW2", "butW"};
    }
    void pageMembers()
    {
        QFETCH(int, tab);
        QFETCH(QStringList, members);
        QWidget *page = probe->tabWidget()->widget(tab);
        QList<QWidget *> inOrder;
        for (QWidget *child : page->findChildren<QWidget *>())
            if (qobject_cast<QAbstractSpinBox *>(child) || qobject_cast<QPushButton *>(child))
                inOrder << child;
        QCOMPARE(inOrder.size(), members.size());
        for (const QString &name : members) {
            QWidget *member = probe->spinBox(name) ? static_cast<QWidget *>(probe->spinBox(name))
                                                   : probe->button(name);
            QVERIFY2(member && member->parentWidget() == page, qPrintable(name));
        }
    }

    void spinBoxes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("minimum");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("step");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("shown");

        QTest::newRow("spinBoxH") << "spinBoxH" << 0.0 << 3.0 << 0.01 << 2 << "" << "0.00";
        QTest::newRow("spinBoxM") << "spinBoxM" << 3.0 << 9.0 << 2.0 << 0 << "" << "3";
        QTest::newRow("spinBoxF1") << "spinBoxF1" << 0.01 << 5.0 << 0.01 << 2 << "" << "1.00";
        QTest::newRow("spinBoxG1") << "spinBoxG1" << -180.0 << 180.0 << 1.0 << 2 << "'" << "0.00'";
        QTest::newRow("spinBoxG") << "spinBoxG" << 1.0 << 10000.0 << 0.01 << 2 << "%" << "100.00%";
        QTest::newRow("spinBoxG2") << "spinBoxG2" << 1.0 << 10000.0 << 0.01 << 2 << "%" << "100.00%";
        QTest::newRow("spinBoxW1") << "spinBoxW1" << 0.0 << 100.0 << 0.01 << 2 << "" << "0.00";
        QTest::newRow("spinBoxW2") << "spinBoxW2" << 0.0 << 100.0 << 0.01 << 2 << "" << "0.00";
    }
    void spinBoxes()
    {
        QFETCH(QString, name);
        QFETCH(double, minimum);
        QFETCH(double, maximum);
        QFETCH(double, step);
        QFETCH(int, decimals);
        QFETCH(QString, suffix);
        QFETCH(QString, shown);

        QAbstractSpinBox *box = probe->spinBox(name);
        QVERIFY(box);
        QCOMPARE(box->text(), shown);
        if (auto *intBox = qobject_cast<QSpinBox *>(box)) {
            QCOMPARE(intBox->minimum(), int(minimum));
            QCOMPARE(intBox->maximum(), int(maximum));
            QCOMPARE(intBox->singleStep(), int(step));
            QCOMPARE(intBox->suffix(), suffix);
            QCOMPARE(decimals, 0);
        } else {
            auto *doubleBox = qobject_cast<QDoubleSpinBox *>(box);
            QVERIFY(doubleBox);
            QCOMPARE(doubleBox->minimum(), minimum);
            QCOMPARE(doubleBox->maximum(), maximum);
            QCOMPARE(doubleBox->singleStep(), step);
            QCOMPARE(doubleBox->decimals(), decimals);
            QCOMPARE(doubleBox->suffix(), suffix);
        }
    }

    void arrowSteps()
    {
        auto *median = qobject_cast<QSpinBox *>(probe->spinBox("spinBoxM"));
        QList<int> values;
        for (int i = 0; i < 4; ++i) {
            median->stepUp();
            values << probe->med();
        }
        QCOMPARE(values, (QList<int>{5, 7, 9, 9}));

        auto *rotation = qobject_cast<QDoubleSpinBox *>(probe->spinBox("spinBoxG1"));
        rotation->stepUp();
        QCOMPARE(probe->rot(), 1.0);
        QCOMPARE(rotation->text(), QString("1.00'"));
    }

    void parameterBoxes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("value");
        QTest::newRow("sharpening") << "spinBoxH" << 2.5;
        QTest::newRow("median typed 4") << "spinBoxM" << 4.0;
        QTest::newRow("gauss") << "spinBoxF1" << 2.0;
        QTest::newRow("rotation") << "spinBoxG1" << -33.0;
        QTest::newRow("zoom another") << "spinBoxG" << 250.5;
        QTest::newRow("zoom correct") << "spinBoxG2" << 42.25;
        QTest::newRow("wave length") << "spinBoxW1" << 55.5;
        QTest::newRow("amplitude") << "spinBoxW2" << 99.99;
    }
    void parameterBoxes()
    {
        QFETCH(QString, name);
        QFETCH(double, value);
        const QMap<QString, std::function<double()>> member = {
            {"spinBoxH", [this] { return probe->sha(); }},
            {"spinBoxM", [this] { return double(probe->med()); }},
            {"spinBoxF1", [this] { return probe->gau(); }},
            {"spinBoxG1", [this] { return probe->rot(); }},
            {"spinBoxG", [this] { return probe->zoo(); }},
            {"spinBoxG2", [this] { return probe->zoo(); }},
            {"spinBoxW1", [this] { return probe->wadl(); }},
            {"spinBoxW2", [this] { return probe->waam(); }},
        };
        ModalDriver driver;
        QAbstractSpinBox *box = probe->spinBox(name);
        box->setFocus();
        box->clear();
        QTest::keyClicks(box, QString::number(value));
        QTest::keyClick(box, Qt::Key_Enter);
        QCOMPARE(member[name](), value);
        // Storing a value applies nothing.
        QVERIFY(!probe->isOpened());
        QVERIFY(!probe->isModified());
        QCOMPARE(probe->status(), QString("Ready"));
        QVERIFY(driver.seen.isEmpty());
    }

    void zoomBoxesMirror_data()
    {
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("other");
        QTest::newRow("another moves correct") << "spinBoxG" << "spinBoxG2";
        QTest::newRow("correct moves another") << "spinBoxG2" << "spinBoxG";
    }
    void zoomBoxesMirror()
    {
        QFETCH(QString, changed);
        QFETCH(QString, other);
        auto *changedBox = qobject_cast<QDoubleSpinBox *>(probe->spinBox(changed));
        auto *otherBox = qobject_cast<QDoubleSpinBox *>(probe->spinBox(other));
        QSignalSpy otherChanged(otherBox, &QDoubleSpinBox::valueChanged);
        changedBox->setValue(333.33);
        QCOMPARE(otherBox->value(), 333.33);
        QCOMPARE(otherChanged.count(), 1);
        QCOMPARE(probe->zoo(), 333.33);
    }

    void menus()
    {
        const QList<QAction *> bar = window->menuBar()->actions();
        QCOMPARE(bar.size(), 4);
        QCOMPARE(bar[0]->text(), QString("&File"));
        QCOMPARE(bar[1]->text(), QString("&Edit"));
        QCOMPARE(bar[2]->text(), QString("&Effects"));
        QVERIFY(bar[3]->isSeparator());

        QStringList edit;
        for (QAction *action : bar[1]->menu()->actions())
            edit << action->text();
        QCOMPARE(edit, (QStringList{"&Undo", "&Redo"}));

        QStringList file;
        for (QAction *action : bar[0]->menu()->actions())
            file << (action->isSeparator() ? QString("---") : action->text());
        QCOMPARE(file, (QStringList{"&Open...", "&Save", "Save &As...", "---", "E&xit"}));

        QStringList effectsMenu;
        for (QAction *action : bar[2]->menu()->actions())
            effectsMenu << action->text();
        QCOMPARE(effectsMenu, (QStringList{"&Linear", "&Channel", "&Gray World"}));
    }

    // "&Edit" and "&Effects" share Alt+E: pressing it again goes on to the other.
    void altEReachesBothMenus()
    {
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QStringList opened;
        for (int press = 0; press < 2; ++press) {
            QTest::keyClick(window, Qt::Key_E, Qt::AltModifier);
            QTRY_VERIFY(QApplication::activePopupWidget());
            opened << qobject_cast<QMenu *>(QApplication::activePopupWidget())->title();
            QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
            QTRY_VERIFY(!QApplication::activePopupWidget());
        }
        QCOMPARE(opened, (QStringList{"&Edit", "&Effects"}));
    }

    void menuActions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("statusTip");
        QTest::addColumn<int>("standardKey");
        const int none = -1;
        QTest::newRow("open") << "&Open..." << "Open an existing IMAGE" << int(QKeySequence::Open);
        QTest::newRow("save") << "&Save" << "Save the Image to disk" << int(QKeySequence::Save);
        QTest::newRow("save as") << "Save &As..." << "Save the Image under to disk a new name"
                                 << int(QKeySequence::SaveAs);
        QTest::newRow("exit") << "E&xit" << "Exit Glimmerix" << int(QKeySequence::Quit);
        QTest::newRow("linear") << "&Linear" << "Linear Extension" << none;
        QTest::newRow("channel") << "&Channel" << "Channel Extension" << none;
        QTest::newRow("gray world") << "&Gray World" << "Gray World" << none;
    }
    void menuActions()
    {
        QFETCH(QString, text);
        QFETCH(QString, statusTip);
        QFETCH(int, standardKey);
        QAction *found = nullptr;
        for (QAction *action : window->findChildren<QAction *>(Qt::FindDirectChildrenOnly))
            if (action->text() == text)
                found = action;
        QVERIFY(found);
        QCOMPARE(found->statusTip(), statusTip);
        const QList<QKeySequence> expected = standardKey < 0
            ? QList<QKeySequence>()
            : QKeySequence::keyBindings(QKeySequence::StandardKey(standardKey));
        QCOMPARE(found->shortcuts(), expected);
    }

    // Seven actions carry only a status tip: no text, no menu, no connection.
    void tipOnlyActions()
    {
        QStringList tips;
        for (QAction *action : window->findChildren<QAction *>(Qt::FindDirectChildrenOnly)) {
            if (!action->text().isEmpty() || action->isSeparator() || action->menu())
                continue;
            tips << action->statusTip();
            QVERIFY(action->associatedObjects().isEmpty());
            QVERIFY(action->shortcuts().isEmpty());
            ModalDriver driver;
            action->trigger();
            QVERIFY(driver.seen.isEmpty());
            QCOMPARE(probe->status(), QString("Ready"));
        }
        QCOMPARE(tips, (QStringList{"Zoom", "Zoom2", "Rotation", "Gauss", "Harshness", "Waves", "Median"}));
    }

    void slotTable()
    {
        const QMetaObject *meta = window->metaObject();
        QCOMPARE(QString(meta->className()), QString("MainWindow"));
        QCOMPARE(QString(meta->superClass()->className()), QString("QMainWindow"));
        QCOMPARE(meta->propertyOffset(), meta->propertyCount());

        const QStringList expected = {
            "openIm()", "saveIm()", "saveImAs()", "exit()", "zoom()", "zoom2()", "rotate()",
            "gauss()", "median()", "grayworld()", "harshnes()", "waves()",
            "wash(QImage*,int,int,int,double*,bool)", "linear()", "inchannel()",
            "extension(QImage*,int)", "inputmed(int)", "inputgau(double)", "inputsha(double)",
            "inputzoo(double)", "inputrot(double)", "inputwaam(double)", "inputwadl(double)",
            "historyCleanChanged(bool)"};
        QStringList declared;
        for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
            const QMetaMethod method = meta->method(i);
            QCOMPARE(method.methodType(), QMetaMethod::Slot);
            QCOMPARE(method.access(), QMetaMethod::Private);
            declared << QString(method.methodSignature());
            const bool returnsBool = declared.last() == "saveIm()" || declared.last() == "saveImAs()";
            QCOMPARE(method.returnType(), returnsBool ? int(QMetaType::Bool) : int(QMetaType::Void));
        }
        QCOMPARE(declared, expected);

        const QMetaMethod extension = meta->method(meta->indexOfSlot("extension(QImage*,int)"));
        QCOMPARE(extension.parameterNames(), (QList<QByteArray>{"Temp", "channels"}));
        const QMetaMethod wash = meta->method(meta->indexOfSlot("wash(QImage*,int,int,int,double*,bool)"));
        for (const QByteArray &name : wash.parameterNames())
            QVERIFY(name.isEmpty());
    }

    // Parameter slots store their argument and nothing else, also when called by name.
    void parameterSlotsByName()
    {
        QMetaObject::invokeMethod(window, "inputmed", Q_ARG(int, 6));
        QMetaObject::invokeMethod(window, "inputgau", Q_ARG(double, 0.25));
        QMetaObject::invokeMethod(window, "inputsha", Q_ARG(double, 1.5));
        QMetaObject::invokeMethod(window, "inputzoo", Q_ARG(double, 12.5));
        QMetaObject::invokeMethod(window, "inputrot", Q_ARG(double, -90.0));
        QMetaObject::invokeMethod(window, "inputwaam", Q_ARG(double, 3.0));
        QMetaObject::invokeMethod(window, "inputwadl", Q_ARG(double, 7.0));
        QCOMPARE(probe->med(), 6);
        QCOMPARE(probe->gau(), 0.25);
        QCOMPARE(probe->sha(), 1.5);
        QCOMPARE(probe->zoo(), 12.5);
        QCOMPARE(probe->rot(), -90.0);
        QCOMPARE(probe->waam(), 3.0);
        QCOMPARE(probe->wadl(), 7.0);
        // A direct call does not move the box.
        QCOMPARE(qobject_cast<QSpinBox *>(probe->spinBox("spinBoxM"))->value(), 3);
        QVERIFY(!probe->isModified());
    }

    // "Ready" has no time-out: it stays until a timed message replaces it, and
    // when that one expires the status bar is empty.
    void readyStaysUntilReplaced()
    {
        ModalDriver driver(window->statusBar());
        driver.press();
        QTest::qWait(2200);
        QCOMPARE(probe->status(), QString("Ready"));
        probe->run("grayworld");
        QCOMPARE(probe->status(), QString("You are so Inaccuratly..."));
        QTRY_COMPARE_WITH_TIMEOUT(probe->status(), QString(), 3000);
    }

    // An Apply button starts its effect when the mouse button goes down.
    void applyActsOnPress()
    {
        ModalDriver driver(window->statusBar());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QPushButton *button = probe->button("butM");
        probe->tabWidget()->setCurrentIndex(1);
        bool released = false;
        bool boxBeforeRelease = false;
        driver.then([&](QWidget *dialog) {
            boxBeforeRelease = !released;
            qobject_cast<QMessageBox *>(dialog)->button(QMessageBox::Ok)->click();
        });
        QTest::mousePress(button, Qt::LeftButton);
        QVERIFY(boxBeforeRelease);
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen[0].text, QString("Damn! You forgot to open an Image!!!"));
        released = true;
        QTest::mouseRelease(button, Qt::LeftButton);
        QCOMPARE(driver.seen.size(), 1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
