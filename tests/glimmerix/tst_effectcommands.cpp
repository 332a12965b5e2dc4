// The effect commands as the user runs them: the Apply buttons and the Effects
// menu, on an opened picture. Each command must hand the right parameters to the
// effects library, replace the working image and the display, mark the document
// modified, show its status text, and keep the zoom and angle already applied.

#include "editortest.h"
#include "testimages.h"

#include "gauss.h"
#include "grayworld.h"
#include "median.h"
#include "resample.h"
#include "rotate.h"
#include "sharpen.h"
#include "stretch.h"
#include "waves.h"
#include "zoom.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using Effect = std::function<QImage(const QImage &)>;
Q_DECLARE_METATYPE(Effect)

class TestEffectCommands : public EditorTest
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString photo;        // opaque picture
    QString translucent;  // picture with alpha: opens as premultiplied ARGB

    void open(const QString &file)
    {
        driver->chooseFile(file);
        probe->run("openIm");
        QCOMPARE(probe->curFile(), file);
    }

    QImage working() const { return *probe->curImage(); }

    QDoubleSpinBox *doubleBox(const char *name) const
    {
        return qobject_cast<QDoubleSpinBox *>(probe->spinBox(name));
    }

    void press(const char *button)
    {
        QTest::mouseClick(probe->button(button), Qt::LeftButton);
    }

    void triggerMenu(const QString &text)
    {
        for (QAction *menu : window->menuBar()->actions())
            if (menu->menu())
                for (QAction *action : menu->menu()->actions())
                    if (action->text() == text)
                        return action->trigger();
        QFAIL(qPrintable("no menu entry " + text));
    }

    // Runs a command the way the user starts it: by its Apply button or menu entry.
    void runCommand(const QString &command)
    {
        const QMap<QString, QString> buttons = {
            {"zoom", "butG2"},  {"zoom2", "butG"},  {"rotate", "butG1"}, {"gauss", "butF1"},
            {"median", "butM"}, {"harshnes", "butH"}, {"waves", "butW"}};
        const QMap<QString, QString> menuEntries = {
            {"linear", "&Linear"}, {"inchannel", "&Channel"}, {"grayworld", "&Gray World"}};
        if (buttons.contains(command))
            press(qPrintable(buttons[command]));
        else
            triggerMenu(menuEntries[command]);
    }

    void checkDisplayShowsWorkingImage()
    {
        COMPARE_IMAGES(probe->image()->toImage(), working());
        COMPARE_IMAGES(probe->labelIm()->pixmap().toImage(), working());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
        photo = dir.filePath("photo.png");
        QVERIFY(testimages::photoLikeImage(23, 17, 21).save(photo));
        translucent = dir.filePath("translucent.png");
        QVERIFY(testimages::randomAlphaImage(19, 13, 22).save(translucent));
    }

    void init()
    {
        startEditor(Window::Shown);
    }

    void cleanup()
    {
        finishEditor();
    }

    // Each command on a freshly opened picture, with parameters set in its boxes.
    void commandResult_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("box");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("status");
        QTest::addColumn<Effect>("expected");

        for (const bool alpha : {false, true}) {
            const QString file = alpha ? "translucent" : "photo";
            auto row = [&](const char *name) -> QTestData & { return QTest::addRow("%s, %s", name, qPrintable(file)); };
            row("zoom") << file << "zoom" << "spinBoxG2" << 170.25 << "Image was Zoomed"
                << Effect([](const QImage &s) { return effects::zoomAboutCentre(s, 170.25, 100.0); });
            row("zoom2") << file << "zoom2" << "spinBoxG" << 150.99 << "Zoomed2"
                << Effect([](const QImage &s) { return effects::resample(s, 150); });
            row("rotate") << file << "rotate" << "spinBoxG1" << -37.5 << "Image was Rotated"
                << Effect([](const QImage &s) { return effects::rotateAboutCentre(s, -37.5, 0.0); });
            row("gauss") << file << "gauss" << "spinBoxF1" << 2.35 << "Image was Gaussed"
                << Effect([](const QImage &s) { return effects::gaussBlur(s, 2.35); });
            row("median") << file << "median" << "spinBoxM" << 5.0 << "Image was Medianed"
                << Effect([](const QImage &s) { return effects::median(s, 5); });
            row("sharpen") << file << "harshnes" << "spinBoxH" << 1.75 << "Image was Sharped"
                << Effect([](const QImage &s) {
                       return effects::sharpen(s, effects::gaussBlur(s, 0.7), 1.75);
                   });
            row("waves") << file << "waves" << "spinBoxW1" << 6.5 << "Image was Waved"
                << Effect([](const QImage &s) { return effects::waves(s, 6.5, 2.25); });
            row("gray world") << file << "grayworld" << "" << 0.0 << "Image was Gray Worlded"
                << Effect([](const QImage &s) { return effects::grayWorld(s); });
            row("linear") << file << "linear" << "" << 0.0 << "Image was Lineal Extensioned"
                << Effect([](const QImage &s) { return effects::linearStretch(s); });
            row("channel") << file << "inchannel" << "" << 0.0 << "Image was Channel Extensioned"
                << Effect([](const QImage &s) { return effects::channelStretch(s); });
        }
    }
    void commandResult()
    {
        QFETCH(QString, file);
        QFETCH(QString, command);
        QFETCH(QString, box);
        QFETCH(double, value);
        QFETCH(QString, status);
        QFETCH(Effect, expected);

        open(file == "photo" ? photo : translucent);
        const QImage opened = working();
        if (file == "translucent")
            QCOMPARE(opened.format(), QImage::Format_ARGB32_Premultiplied);
        if (command == "waves")
            doubleBox("spinBoxW2")->setValue(2.25);
        if (auto *intBox = qobject_cast<QSpinBox *>(probe->spinBox(box)))
            intBox->setValue(int(value));
        else if (!box.isEmpty())
            doubleBox(qPrintable(box))->setValue(value);
        QVERIFY(!probe->isModified());

        runCommand(command);

        const QImage result = expected(opened);
        QVERIFY(!result.isNull());
        COMPARE_IMAGES(working(), result);
        QCOMPARE(working().format(), command == "harshnes" ? opened.format() : QImage::Format_RGB32);
        checkDisplayShowsWorkingImage();
        QVERIFY(probe->isModified());
        QCOMPARE(probe->status(), status);
        QCOMPARE(probe->labelIm()->minimumSize(), working().size());
    }

    // An effect that changes no pixel still counts as a change.
    void unchangedPictureStillModified()
    {
        open(photo);
        const QImage opened = working();
        press("butG2");
        COMPARE_IMAGES(working(), opened);
        QVERIFY(probe->isModified());
        QCOMPARE(probe->status(), QString("Image was Zoomed"));
    }

    // The zoom value is a total since opening: each run divides by the zoom
    // already applied, and the border pushed out by a magnification comes back black.
    void zoomChain()
    {
        open(photo);
        const QImage opened = working();
        doubleBox("spinBoxG2")->setValue(200.0);
        press("butG2");
        QCOMPARE(probe->koefp(), 200.0);
        doubleBox("spinBoxG2")->setValue(100.0);
        press("butG2");
        QCOMPARE(probe->koefp(), 100.0);
        const QImage expected = effects::zoomAboutCentre(effects::zoomAboutCentre(opened, 200, 100), 100, 200);
        COMPARE_IMAGES(working(), expected);
        QCOMPARE(working().pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(working().pixel(11, 8), opened.pixel(11, 8));
    }

    // After a resampling the zoom about the centre with the same whole value
    // changes nothing.
    void resampleThenZoomSameValue()
    {
        open(photo);
        doubleBox("spinBoxG")->setValue(150.99);
        press("butG");
        QCOMPARE(probe->koefp(), 150.0);
        const QImage resampled = working();
        QCOMPARE(resampled.size(), QSize(34, 25));
        doubleBox("spinBoxG2")->setValue(150.0);
        press("butG2");
        COMPARE_IMAGES(working(), resampled);
    }

    void rotationChain()
    {
        open(photo);
        QImage expected = working();
        double applied = 0.0;
        for (const double angle : {30.0, 45.0, 0.0}) {
            doubleBox("spinBoxG1")->setValue(angle);
            press("butG1");
            expected = effects::rotateAboutCentre(expected, angle, applied);
            applied = angle;
            QCOMPARE(probe->koefg(), angle);
            COMPARE_IMAGES(working(), expected);
        }
    }

    // Opening a picture resets the zoom and angle already applied, and the boxes.
    void openResetsZoomAndAngle()
    {
        open(photo);
        doubleBox("spinBoxG2")->setValue(300.0);
        press("butG2");
        doubleBox("spinBoxG1")->setValue(90.0);
        press("butG1");
        driver->press(QMessageBox::Discard);
        open(photo);
        QCOMPARE(probe->koefp(), 100.0);
        QCOMPARE(probe->koefg(), 0.0);
        QCOMPARE(doubleBox("spinBoxG2")->value(), 100.0);
        QCOMPARE(doubleBox("spinBoxG1")->value(), 0.0);
        QCOMPARE(probe->zoo(), 100.0);
        QCOMPARE(probe->rot(), 0.0);
    }

    // Sharpening runs the whole Gauss command at 0.7 first and leaves the Gauss
    // parameter at 0.7, while the Gauss box keeps showing its own value.
    void sharpeningLeavesGaussAtPointSeven()
    {
        open(photo);
        QSignalSpy messages(window->statusBar(), &QStatusBar::messageChanged);
        doubleBox("spinBoxH")->setValue(0.5);
        press("butH");
        QStringList shown;
        for (const QList<QVariant> &message : messages)
            shown << message.at(0).toString();
        QCOMPARE(shown, (QStringList{"Image was Gaussed", "Image was Sharped"}));
        QCOMPARE(probe->gau(), 0.7);
        QCOMPARE(doubleBox("spinBoxF1")->text(), QString("1.00"));

        const QImage sharpened = working();
        press("butF1");
        COMPARE_IMAGES(working(), effects::gaussBlur(sharpened, 0.7));

        const QImage blurred = working();
        doubleBox("spinBoxF1")->setValue(1.5);
        QCOMPARE(probe->gau(), 1.5);
        press("butF1");
        COMPARE_IMAGES(working(), effects::gaussBlur(blurred, 1.5));
    }

    // A wave length of 0 would turn the whole picture black: refused instead.
    void wavesRefuseZeroLength()
    {
        open(photo);
        const QImage opened = working();
        doubleBox("spinBoxW2")->setValue(5.0);
        driver->press();
        press("butW");
        QCOMPARE(driver->lastSeen().text, QString("Damn! Wawe length can't be 0!"));
        QCOMPARE(probe->status(), QString("Image wasn't Waved"));
        QVERIFY(!probe->isModified());
        COMPARE_IMAGES(working(), opened);
    }

    // The "Another" row refuses sizes it cannot make and changes nothing.
    void resampleRefusals_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("percent");
        QTest::newRow("width 0") << QSize(60, 40) << 1.5;
        QTest::newRow("over 2^28 pixels") << QSize(768, 600) << 10000.0;
    }
    void resampleRefusals()
    {
        QFETCH(QSize, size);
        QFETCH(double, percent);
        const QString file = dir.filePath("refused.png");
        QVERIFY(testimages::photoLikeImage(size.width(), size.height(), 23).save(file));
        open(file);
        const QImage opened = working();
        doubleBox("spinBoxG")->setValue(percent);
        driver->press();
        press("butG");
        QCOMPARE(driver->lastSeen().text, QString("Damn! Image is too big or too small to Zoom!"));
        QCOMPARE(probe->status(), QString("Image wasn't Zoomed"));
        QVERIFY(!probe->isModified());
        QCOMPARE(probe->koefp(), 100.0);
        COMPARE_IMAGES(working(), opened);
        QCOMPARE(probe->labelIm()->minimumSize(), size);
    }

    // The resampling resizes the label; a later resampling scales the current size.
    void resampleResizesLabel()
    {
        const QString file = dir.filePath("resized.png");
        QVERIFY(testimages::photoLikeImage(101, 51, 24).save(file));
        open(file);
        doubleBox("spinBoxG")->setValue(50.0);
        press("butG");
        QCOMPARE(working().size(), QSize(50, 25));
        QCOMPARE(probe->labelIm()->minimumSize(), QSize(50, 25));
        press("butG");
        QCOMPARE(working().size(), QSize(25, 12));
        QCOMPARE(probe->koefp(), 50.0);
    }

    // wash and extension are working routines that can be called by name.
    void workingRoutinesByName()
    {
        open(photo);
        const QImage opened = working();
        QImage temp(opened.size(), QImage::Format_RGB32);
        QVERIFY(QMetaObject::invokeMethod(window, "extension", Q_ARG(QImage *, &temp),
                                          Q_ARG(int, effects::StretchBrightness)));
        COMPARE_IMAGES(working(), effects::linearStretch(opened));
        COMPARE_IMAGES(temp, working());

        const QImage stretched = working();
        QVector<double> window7 = effects::gaussWindow(0.7);
        QVERIFY(QMetaObject::invokeMethod(
            window, "wash", Q_ARG(QImage *, &temp), Q_ARG(int, stretched.height()),
            Q_ARG(int, stretched.width()), Q_ARG(int, effects::gaussHalfWidth(0.7)),
            Q_ARG(double *, window7.data()), Q_ARG(bool, true)));
        QImage expected(stretched.size(), QImage::Format_RGB32);
        effects::wash(stretched, expected, stretched.height(), stretched.width(),
                      effects::gaussHalfWidth(0.7), window7.data(), true);
        COMPARE_IMAGES(working(), expected);
    }
};

QTEST_MAIN(TestEffectCommands)
#include "tst_effectcommands.moc"
