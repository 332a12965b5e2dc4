// Progress: spans and stages add up to one progress over work in several passes,
// a stop freezes it, and every effect reports through it from start to end,
// stops when asked, and gives the very same pixels with a report as without.

#include "gauss.h"
#include "grayworld.h"
#include "median.h"
#include "parallel.h"
#include "progress.h"
#include "resample.h"
#include "rotate.h"
#include "sharpen.h"
#include "stretch.h"
#include "testimages.h"
#include "waves.h"
#include "zoom.h"

#include <QTest>

#include <atomic>
#include <functional>
#include <thread>

namespace {

using Effect = std::function<QImage(const QImage &)>;

struct NamedEffect
{
    const char *name;
    Effect run;
};

// Every effect of the library, with the parameters that make it work hardest.
const NamedEffect everyEffect[] = {
    {"median 9", [](const QImage &in) { return effects::median(in, 9); }},
    {"gauss 5.0", [](const QImage &in) { return effects::gaussBlur(in, 5.0); }},
    {"sharpen", [](const QImage &in) { return effects::sharpen(in, effects::gaussBlur(in, 0.7), 1.0); }},
    {"rotate 30", [](const QImage &in) { return effects::rotateAboutCentre(in, 30, 0); }},
    {"zoom 150", [](const QImage &in) { return effects::zoomAboutCentre(in, 150, 100); }},
    {"resample 150", [](const QImage &in) { return effects::resample(in, 150); }},
    {"waves 10/5", [](const QImage &in) { return effects::waves(in, 10, 5); }},
    {"gray world", [](const QImage &in) { return effects::grayWorld(in); }},
    {"linear", [](const QImage &in) { return effects::linearStretch(in); }},
    {"channel", [](const QImage &in) { return effects::channelStretch(in); }},
};

void addEffectRows()
{
    QTest::addColumn<int>("effect");
    for (int i = 0; i < int(std::size(everyEffect)); ++i)
        QTest::newRow(everyEffect[i].name) << i;
}

} // namespace

class TestProgress : public QObject
{
    Q_OBJECT

private slots:
    void stagesSplitTheSpan_data();
    void stagesSplitTheSpan();
    void nestedStages();
    void unreportedPassMovesNothing();
    void stoppedStagesNeverEnd();
    void effectsReportToTheEnd_data();
    void effectsReportToTheEnd();
    void effectsStopWhenAsked_data();
    void effectsStopWhenAsked();
    void cleanup();
};

void TestProgress::cleanup()
{
    effects::setThreadCount(0);
}

void TestProgress::stagesSplitTheSpan_data()
{
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<int>("stages");
    QTest::addColumn<int>("entered");
    QTest::addColumn<int>("done");
    QTest::addColumn<int>("total");
    QTest::addColumn<double>("expected");

    QTest::newRow("whole, first of 2, half done") << 0.0 << 1.0 << 2 << 1 << 1 << 2 << 0.25;
    QTest::newRow("whole, second of 2, begun") << 0.0 << 1.0 << 2 << 2 << 0 << 7 << 0.5;
    QTest::newRow("whole, third of 3, done") << 0.0 << 1.0 << 3 << 3 << 5 << 5 << 1.0;
    QTest::newRow("half span, second of 4, half done") << 0.5 << 1.0 << 4 << 2 << 3 << 6 << 0.6875;
    QTest::newRow("next beyond the last stays in it") << 0.0 << 1.0 << 2 << 5 << 1 << 2 << 0.75;
}

void TestProgress::stagesSplitTheSpan()
{
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(int, stages);
    QFETCH(int, entered);
    QFETCH(int, done);
    QFETCH(int, total);
    QFETCH(double, expected);

    effects::Progress progress;
    {
        const effects::ProgressScope scope(progress, from, to);
        effects::ProgressStages passes(stages);
        for (int i = 0; i < entered; ++i)
            passes.next();
        effects::reportProgress(effects::currentProgressSpan(), done, total);
        QVERIFY2(qAbs(progress.done() - expected) < 1e-6, qPrintable(QString::number(progress.done())));
    }
    // Stages that end leave their whole span done.
    QVERIFY(qAbs(progress.done() - std::max(expected, to)) < 1e-6);
}

void TestProgress::nestedStages()
{
    // Three passes, the second of which runs two of its own: its second one,
    // half done, stands at 1/3 + 1/6 + 1/12.
    effects::Progress progress;
    const effects::ProgressScope scope(progress);
    effects::ProgressStages outer(3);
    outer.next();
    outer.next();
    {
        effects::ProgressStages inner(2);
        inner.next();
        inner.next();
        effects::reportProgress(effects::currentProgressSpan(), 1, 2);
        QVERIFY(qAbs(progress.done() - (1.0 / 3 + 1.0 / 6 + 1.0 / 12)) < 1e-6);
    }
    QVERIFY(qAbs(progress.done() - 2.0 / 3) < 1e-6);
    // Reports never move it back.
    effects::reportProgress(effects::ProgressSpan{&progress, 0, 1}, 1, 10);
    QVERIFY(qAbs(progress.done() - 2.0 / 3) < 1e-6);
}

void TestProgress::unreportedPassMovesNothing()
{
    effects::Progress progress;
    const effects::ProgressScope scope(progress, 0.2, 0.6);
    {
        const effects::UnreportedPass conversion;
        effects::parallelFor(1000, 1, [](int, int) {});
        QVERIFY(qAbs(progress.done() - 0.2) < 1e-6);
    }
    effects::parallelFor(1000, 1, [](int, int) {});
    QVERIFY(qAbs(progress.done() - 0.6) < 1e-6);

    // An unreported pass can be stopped all the same.
    progress.requestStop();
    const effects::UnreportedPass conversion;
    QVERIFY(effects::stopRequested());
    int items = 0;
    effects::parallelFor(1000, 1, [&](int begin, int end) { items += end - begin; });
    QCOMPARE(items, 0);
}

void TestProgress::stoppedStagesNeverEnd()
{
    effects::Progress progress;
    QVERIFY(!effects::stopRequested()); // outside a scope nothing stops
    const effects::ProgressScope scope(progress);
    {
        effects::ProgressStages passes(2);
        passes.next();
        effects::reportProgress(effects::currentProgressSpan(), 3, 5);
        QVERIFY(!effects::stopRequested());
        progress.requestStop();
        QVERIFY(effects::stopRequested());
        passes.next();
    }
    QVERIFY(qAbs(progress.done() - 0.3) < 1e-6);
}

void TestProgress::effectsReportToTheEnd_data()
{
    addEffectRows();
}

// Reported from 0 to exactly 1, never going back, and with the same pixels as
// without a report: the smaller ranges of a reported loop change no result.
void TestProgress::effectsReportToTheEnd()
{
    QFETCH(int, effect);
    const QImage picture = testimages::photoLikeImage(301, 703, 7);
    for (const int threads : {1, 2, 4}) {
        effects::setThreadCount(threads);
        const QImage quiet = everyEffect[effect].run(picture);

        effects::Progress progress;
        std::atomic<bool> finished{false};
        std::atomic<bool> wentBack{false};
        std::thread watcher([&] {
            double last = 0;
            while (!finished) {
                const double now = progress.done();
                if (now < last)
                    wentBack = true;
                last = now;
            }
        });
        QImage reported;
        {
            const effects::ProgressScope scope(progress);
            reported = everyEffect[effect].run(picture);
        }
        finished = true;
        watcher.join();
        QCOMPARE(progress.done(), 1.0);
        QVERIFY(!wentBack);
        QCOMPARE(testimages::firstDifference(reported, quiet), QString());
    }
}

void TestProgress::effectsStopWhenAsked_data()
{
    addEffectRows();
}

// Asked to stop as soon as it has begun, an effect ends before it is done: none
// of its passes runs on to the end.
void TestProgress::effectsStopWhenAsked()
{
    QFETCH(int, effect);
    effects::setThreadCount(1);
    const QImage picture = testimages::photoLikeImage(4000, 3000, 11);

    effects::Progress progress;
    std::atomic<bool> finished{false};
    std::thread stopper([&] {
        while (!finished && progress.done() == 0) {
        }
        progress.requestStop();
    });
    {
        const effects::ProgressScope scope(progress);
        everyEffect[effect].run(picture);
    }
    finished = true;
    stopper.join();
    QVERIFY2(progress.done() < 1.0, qPrintable(QString::number(progress.done())));
}

QTEST_APPLESS_MAIN(TestProgress)
#include "tst_progress.moc"
