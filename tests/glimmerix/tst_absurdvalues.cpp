// Absurd sizes and values, through the window as the user meets them: text
// typed into every parameter box beyond its range or not a number at all;
// every box at both ends of its range on pictures of 1 x 1, 1 x N and N x 1
// pixels; the resampling at 1 % and 10000 %; the resampling repeated until the
// picture cannot get smaller or larger. Nothing may crash or hang, every box
// must keep a value of its range, every result must be the plain reference
// form's picture (no silent corruption), and every refusal must be told.

#include "editortest.h"
#include "reference.h"
#include "resample.h"
#include "testimages.h"

#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>

namespace {

// The commands that read the boxes, with their Apply buttons.
struct Command
{
    const char *slot;
    const char *button;
};

const QMap<QString, Command> &commandOfBox()
{
    static const QMap<QString, Command> commands = {
        {"spinBoxH", {"harshnes", "butH"}},  {"spinBoxM", {"median", "butM"}},
        {"spinBoxF1", {"gauss", "butF1"}},   {"spinBoxG1", {"rotate", "butG1"}},
        {"spinBoxG", {"zoom2", "butG"}},     {"spinBoxG2", {"zoom", "butG2"}},
        {"spinBoxW1", {"waves", "butW"}},    {"spinBoxW2", {"waves", "butW"}},
    };
    return commands;
}

double boxValue(QAbstractSpinBox *box)
{
    if (auto *d = qobject_cast<QDoubleSpinBox *>(box))
        return d->value();
    return qobject_cast<QSpinBox *>(box)->value();
}

QPair<double, double> boxRange(QAbstractSpinBox *box)
{
    if (auto *d = qobject_cast<QDoubleSpinBox *>(box))
        return {d->minimum(), d->maximum()};
    auto *i = qobject_cast<QSpinBox *>(box);
    return {double(i->minimum()), double(i->maximum())};
}

void setBoxValue(QAbstractSpinBox *box, double value)
{
    if (auto *d = qobject_cast<QDoubleSpinBox *>(box))
        d->setValue(value);
    else
        qobject_cast<QSpinBox *>(box)->setValue(int(value));
}

} // namespace

class TestAbsurdValues : public EditorTest
{
    Q_OBJECT

private:
    QTemporaryDir dir;

    QImage working() const { return probe->curImage() ? *probe->curImage() : QImage(); }

    void openPicture(QSize size, quint32 seed = 1)
    {
        const QString file = dir.filePath(QString("picture-%1x%2-%3.png")
                                              .arg(size.width()).arg(size.height()).arg(seed));
        if (!QFile::exists(file))
            QVERIFY(testimages::photoLikeImage(size.width(), size.height(), seed).save(file));
        driver->chooseFile(file);
        probe->run("openIm");
        QCOMPARE(probe->curFile(), file);
        driver->seen.clear();
    }

    // What the command of a slot must make of the picture, by the reference forms,
    // with the parameters the window holds now.
    QImage expectedResult(const QString &slot, const QImage &before) const
    {
        if (slot == "zoom")
            return reference::zoomAboutCentre(before, probe->zoo(), probe->koefp());
        if (slot == "zoom2")
            return reference::resample(before, int(probe->zoo()));
        if (slot == "rotate")
            return reference::rotateAboutCentre(before, probe->rot(), probe->koefg());
        if (slot == "gauss")
            return reference::gaussBlur(before, probe->gau());
        if (slot == "median")
            return reference::median(before, probe->med());
        if (slot == "harshnes")
            return reference::sharpen(before, reference::gaussBlur(before, 0.7), probe->sha());
        if (slot == "waves")
            return reference::waves(before, probe->wadl(), probe->waam());
        if (slot == "grayworld")
            return reference::grayWorld(before);
        if (slot == "linear")
            return reference::extension(before, 0);
        if (slot == "inchannel")
            return reference::extension(reference::extension(reference::extension(before, 1), 2), 3);
        qFatal("no reference for %s", qPrintable(slot));
    }

    // Whether the window must refuse the command with the parameters it holds.
    QString expectedRefusal(const QString &slot, const QImage &before) const
    {
        if (slot == "zoom2" && !effects::resampleAllowed(before.size(), int(probe->zoo())))
            return "Damn! Image is too big or too small to Zoom!";
        if (slot == "waves" && probe->wadl() == 0)
            return "Damn! Wawe length can't be 0!";
        return QString();
    }

    // Runs a command with its button (or its slot, for the menu effects) and checks
    // the result against the reference, or the refusal.
    void runAndCheck(const QString &slot, const char *button)
    {
        const QImage before = working();
        const bool modifiedBefore = probe->isModified();
        const QString refusal = expectedRefusal(slot, before);
        // Computed first: zoom and rotate store the value they applied.
        const QImage expected = refusal.isEmpty() ? expectedResult(slot, before) : QImage();
        if (!refusal.isEmpty())
            driver->press();
        driver->seen.clear();
        if (button)
            QTest::mouseClick(probe->button(button), Qt::LeftButton);
        else
            probe->run(slot.toLatin1().constData());

        if (!refusal.isEmpty()) {
            QCOMPARE(driver->seen.size(), 1);
            QCOMPARE(driver->seen[0].text, refusal);
            QVERIFY(probe->status().startsWith("Image wasn't"));
            QCOMPARE(probe->isModified(), modifiedBefore);
            COMPARE_IMAGES(working(), before);
            return;
        }
        QVERIFY(driver->seen.isEmpty());
        QVERIFY(probe->isModified());
        COMPARE_IMAGES(working(), expected);
        COMPARE_IMAGES(probe->image()->toImage(), working());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        QApplication::setQuitOnLastWindowClosed(false);
    }

    void init()
    {
        startEditor(Window::Shown);
    }

    void cleanup()
    {
        finishEditor();
    }

    // expected: the value the box holds once the text is typed and Enter pressed.
    // The box drops every key that cannot lead to a value of its range ("181" in
    // -180..180 ends as 18, "99" in 0..3 leaves the old value), and Enter turns a
    // text that is no value yet ("1" in 3..9) back into the old value.
    void typedValue_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("expected");
        const QList<std::tuple<const char *, const char *, double>> rows = {
            {"spinBoxH", "3", 3.0},          {"spinBoxH", "0", 0.0},
            {"spinBoxH", "3.5", 3.0},        {"spinBoxH", "-1", 0.0},
            {"spinBoxH", "99", 0.0},         {"spinBoxH", "abc", 0.0},
            {"spinBoxH", "2.999", 2.99},
            {"spinBoxM", "9", 9},            {"spinBoxM", "3", 3},
            {"spinBoxM", "8", 8},            {"spinBoxM", "1", 3},
            {"spinBoxM", "10", 3},           {"spinBoxM", "-3", 3},
            {"spinBoxF1", "5", 5.0},         {"spinBoxF1", "0.01", 0.01},
            {"spinBoxF1", "0", 1.0},         {"spinBoxF1", "5.01", 5.0},
            {"spinBoxF1", "0.001", 1.0},     {"spinBoxF1", "77", 1.0},
            {"spinBoxG1", "180", 180.0},     {"spinBoxG1", "-180", -180.0},
            {"spinBoxG1", "181", 18.0},      {"spinBoxG1", "-180.01", -180.0},
            {"spinBoxG1", "1e3", 13.0},      {"spinBoxG1", "-0", 0.0},
            {"spinBoxG2", "10000", 10000.0}, {"spinBoxG2", "1", 1.0},
            {"spinBoxG2", "0.5", 100.0},       {"spinBoxG2", "10001", 1000.0},
            {"spinBoxG2", "99999", 9999.0},  {"spinBoxG2", "inf", 100.0},
            {"spinBoxG", "10000", 10000.0},  {"spinBoxG", "1", 1.0},
            {"spinBoxG", "0", 100.0},        {"spinBoxG", "20000", 2000.0},
            {"spinBoxW1", "0", 0.0},         {"spinBoxW1", "0.01", 0.01},
            {"spinBoxW1", "100", 100.0},     {"spinBoxW1", "100.01", 100.0},
            {"spinBoxW1", "1000", 100.0},
            {"spinBoxW2", "100", 100.0},     {"spinBoxW2", "101", 10.0},
            {"spinBoxW2", "-5", 0.0},        {"spinBoxW2", "nan", 0.0},
        };
        for (const auto &[box, typed, expected] : rows)
            QTest::addRow("%s \"%s\"", box, typed) << QString(box) << QString(typed) << expected;
    }
    void typedValue()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(double, expected);
        openPicture(QSize(12, 9));
        if (box == "spinBoxW2")
            setBoxValue(probe->spinBox("spinBoxW1"), 7.5); // a wave length that is not refused
        else if (box == "spinBoxW1")
            setBoxValue(probe->spinBox("spinBoxW2"), 3.25);

        QAbstractSpinBox *spinBox = probe->spinBox(box);
        spinBox->setFocus();
        spinBox->selectAll();
        QTest::keyClicks(spinBox, typed);
        QTest::keyClick(spinBox, Qt::Key_Enter);

        const double value = boxValue(spinBox);
        const auto [minimum, maximum] = boxRange(spinBox);
        QVERIFY(value >= minimum && value <= maximum);
        QCOMPARE(value, expected);
        const QMap<QString, double> member = {
            {"spinBoxH", probe->sha()},  {"spinBoxM", double(probe->med())},
            {"spinBoxF1", probe->gau()}, {"spinBoxG1", probe->rot()},
            {"spinBoxG", probe->zoo()},  {"spinBoxG2", probe->zoo()},
            {"spinBoxW1", probe->wadl()}, {"spinBoxW2", probe->waam()}};
        QCOMPARE(member[box], value);

        const Command command = commandOfBox()[box];
        runAndCheck(command.slot, command.button);
    }

    // Every box at both ends of its range, every command, on pictures that have
    // a single row or column or pixel.
    void rangeEndsOnThinPictures_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("box");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("slot");
        const QList<QSize> sizes = {QSize(1, 1), QSize(1, 9), QSize(9, 1), QSize(2, 2)};
        for (const QSize &size : sizes) {
            const QByteArray name = QByteArray::number(size.width()) + "x"
                + QByteArray::number(size.height());
            for (auto it = commandOfBox().begin(); it != commandOfBox().end(); ++it) {
                MainWindow scratch;
                QAbstractSpinBox *box = MainWindowProbe(scratch).spinBox(it.key());
                const auto [minimum, maximum] = boxRange(box);
                for (double value : {minimum, maximum})
                    QTest::addRow("%s %s %g", name.constData(), qPrintable(it.key()), value)
                        << size << it.key() << value << QString(it.value().slot);
            }
            for (const char *slot : {"linear", "inchannel", "grayworld"})
                QTest::addRow("%s %s", name.constData(), slot) << size << QString() << 0.0 << QString(slot);
        }
    }
    void rangeEndsOnThinPictures()
    {
        QFETCH(QSize, size);
        QFETCH(QString, box);
        QFETCH(double, value);
        QFETCH(QString, slot);
        openPicture(size, 2);
        if (box.isEmpty()) {
            runAndCheck(slot, nullptr);
            return;
        }
        // The other wave box at a value that is not refused, so both ends of each count.
        if (box == "spinBoxW2")
            setBoxValue(probe->spinBox("spinBoxW1"), 0.5);
        else if (box == "spinBoxW1")
            setBoxValue(probe->spinBox("spinBoxW2"), 100.0);
        setBoxValue(probe->spinBox(box), value);
        runAndCheck(slot, commandOfBox()[box].button);
    }

    // The resampling at the ends of its box on a small and on a large picture.
    // A result with a side of 0 or more than 2^28 pixels is refused.
    void resampleEnds_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("percent");
        QTest::addColumn<QSize>("result"); // invalid: refused
        QTest::newRow("40x30 at 1 %") << QSize(40, 30) << 1.0 << QSize();
        QTest::newRow("40x30 at 10000 %") << QSize(40, 30) << 10000.0 << QSize(4000, 3000);
        QTest::newRow("768x576 at 1 %") << QSize(768, 576) << 1.0 << QSize(7, 5);
        QTest::newRow("768x576 at 1.99 %") << QSize(768, 576) << 1.99 << QSize(7, 5);
        QTest::newRow("768x576 at 10000 %") << QSize(768, 576) << 10000.0 << QSize();
        QTest::newRow("1x1 at 10000 %") << QSize(1, 1) << 10000.0 << QSize(100, 100);
        QTest::newRow("300x2 at 10000 %") << QSize(300, 2) << 10000.0 << QSize(30000, 200);
    }
    void resampleEnds()
    {
        QFETCH(QSize, size);
        QFETCH(double, percent);
        QFETCH(QSize, result);
        openPicture(size, 3);
        const QImage before = working();
        setBoxValue(probe->spinBox("spinBoxG"), percent);
        runAndCheck("zoom2", "butG");
        QCOMPARE(working().size(), result.isValid() ? result : before.size());
        // The window makes room for the picture, up to 16384 pixels either way.
        QCOMPARE(probe->labelIm()->minimumSize(), working().size().boundedTo(QSize(16384, 16384)));
    }

    // Halving again and again ends in a refusal once a side would be 0, and the
    // picture stays as the last resampling left it.
    void repeatedShrinking()
    {
        openPicture(QSize(40, 30), 4);
        setBoxValue(probe->spinBox("spinBoxG"), 50.0);
        int steps = 0;
        while (effects::resampleAllowed(working().size(), 50)) {
            QVERIFY2(++steps <= 10, "the picture never got too small");
            const QSize next = effects::resampledSize(working().size(), 50);
            runAndCheck("zoom2", "butG");
            QCOMPARE(working().size(), next);
        }
        QCOMPARE(working().size(), QSize(2, 1));
        runAndCheck("zoom2", "butG"); // refused
        QCOMPARE(working().size(), QSize(2, 1));
    }

    // Growing by 10000 % until the next step would pass 2^28 pixels: refused, and
    // the big picture stays, still usable.
    void repeatedGrowing()
    {
        openPicture(QSize(4, 3), 5);
        setBoxValue(probe->spinBox("spinBoxG"), 10000.0);
        runAndCheck("zoom2", "butG");
        QCOMPARE(working().size(), QSize(400, 300));
        runAndCheck("zoom2", "butG"); // 40000 x 30000 pixels: refused
        QCOMPARE(working().size(), QSize(400, 300));
        setBoxValue(probe->spinBox("spinBoxG"), 1.0);
        runAndCheck("zoom2", "butG");
        QCOMPARE(working().size(), QSize(4, 3));
    }
};

QTEST_MAIN(TestAbsurdValues)
#include "tst_absurdvalues.moc"
