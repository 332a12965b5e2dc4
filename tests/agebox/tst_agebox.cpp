// The agebox program: the empty form widget of blankform under its own title.

#include <QTemporaryDir>
#include <QTest>

#include "windowprobe.h"

class TestAgeBox : public QObject
{
    Q_OBJECT

private slots:
    void showsTheFormTitledEnterYourAgeAndEndsWithZero();
};

void TestAgeBox::showsTheFormTitledEnterYourAgeAndEndsWithZero()
{
    QTemporaryDir workingDirectory;
    QVERIFY(workingDirectory.isValid());
    const windowprobe::Run run =
        windowprobe::runAndClose(QStringLiteral(AGEBOX_PROGRAM), workingDirectory.path());
    QVERIFY2(run.finished, qPrintable(run.errorOutput));
    QCOMPARE(run.exitStatus, QProcess::NormalExit);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.windows.size(), 1);
    const windowprobe::Window &window = run.windows.first();
    QCOMPARE(window.value(QStringLiteral("class")), QStringLiteral("Widget"));
    QCOMPARE(window.value(QStringLiteral("super")), QStringLiteral("QWidget"));
    // The form names the widget; only the title is the program's own.
    QCOMPARE(window.value(QStringLiteral("name")), QStringLiteral("Widget"));
    QCOMPARE(window.value(QStringLiteral("title")), QStringLiteral("Enter Your Age"));
    QCOMPARE(window.value(QStringLiteral("size")), QStringLiteral("400x300"));
    QCOMPARE(window.value(QStringLiteral("parts")), QString());
}

QTEST_MAIN(TestAgeBox)
#include "tst_agebox.moc"
