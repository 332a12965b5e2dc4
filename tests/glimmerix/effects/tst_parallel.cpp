// The parallel loop covers every item exactly once, whatever the thread count;
// inside a progress scope it reports the items done and, once a stop is
// requested, begins no further range.

#include "parallel.h"
#include "progress.h"

#include <QTest>

#include <atomic>
#include <optional>
#include <vector>

class TestParallel : public QObject
{
    Q_OBJECT

private slots:
    void coversEveryItemOnce_data();
    void coversEveryItemOnce();
    void stopEndsTheLoopEarly_data();
    void stopEndsTheLoopEarly();
    void reportsIntoItsSpan();
    void cleanup();
};

void TestParallel::cleanup()
{
    effects::setThreadCount(0);
}

void TestParallel::coversEveryItemOnce_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("grain");
    QTest::addColumn<int>("threads");
    QTest::addColumn<bool>("reporting");

    for (const bool reporting : {false, true}) {
        const char *how = reporting ? "reporting" : "quiet";
        QTest::addRow("%s: one item, 4 threads", how) << 1 << 16 << 4 << reporting;
        QTest::addRow("%s: fewer items than a grain", how) << 10 << 16 << 2 << reporting;
        QTest::addRow("%s: 1000 items, 1 thread", how) << 1000 << 8 << 1 << reporting;
        QTest::addRow("%s: 1000 items, 3 threads", how) << 1000 << 8 << 3 << reporting;
        QTest::addRow("%s: 14169 items, 2 threads", how) << 14169 << 16 << 2 << reporting;
        QTest::addRow("%s: 5000 items of grain 1, 4 threads", how) << 5000 << 1 << 4 << reporting;
    }
}

void TestParallel::coversEveryItemOnce()
{
    QFETCH(int, count);
    QFETCH(int, grain);
    QFETCH(int, threads);
    QFETCH(bool, reporting);

    effects::setThreadCount(threads);
    std::vector<std::atomic<int>> visits(count);
    effects::Progress progress;
    std::optional<effects::ProgressScope> scope;
    if (reporting)
        scope.emplace(progress);
    effects::parallelFor(count, grain, [&](int begin, int end) {
        QVERIFY(begin < end);
        for (int item = begin; item < end; ++item)
            ++visits[item];
    });
    for (int item = 0; item < count; ++item)
        QCOMPARE(visits[item].load(), 1);
    QCOMPARE(progress.done(), reporting ? 1.0 : 0.0);
}

void TestParallel::stopEndsTheLoopEarly_data()
{
    QTest::addColumn<int>("threads");
    QTest::newRow("1 thread") << 1;
    QTest::newRow("2 threads") << 2;
    QTest::newRow("4 threads") << 4;
}

void TestParallel::stopEndsTheLoopEarly()
{
    QFETCH(int, threads);
    effects::setThreadCount(threads);
    constexpr int count = 20000;

    effects::Progress progress;
    {
        // The first range asks for the stop: only ranges already begun by then end.
        const effects::ProgressScope scope(progress);
        std::atomic<int> itemsDone{0};
        effects::parallelFor(count, 1, [&](int begin, int end) {
            progress.requestStop();
            itemsDone += end - begin;
        });
        QVERIFY2(itemsDone > 0, "no range ran");
        QVERIFY2(itemsDone <= count / 8,
                 qPrintable(QString("%1 of %2 items done after the stop").arg(itemsDone.load()).arg(count)));

        // A loop that starts stopped runs nothing at all.
        std::atomic<int> laterItems{0};
        effects::parallelFor(count, 1, [&](int begin, int end) { laterItems += end - begin; });
        QCOMPARE(laterItems.load(), 0);
    }

    // The stop belongs to that work: a loop outside its scope runs to its end.
    std::atomic<int> unscopedItems{0};
    effects::parallelFor(count, 1, [&](int begin, int end) { unscopedItems += end - begin; });
    QCOMPARE(unscopedItems.load(), count);
}

void TestParallel::reportsIntoItsSpan()
{
    // One thread takes the ranges in order: each sees the share of the items
    // before it, mapped into the span from 0.25 to 0.75.
    effects::setThreadCount(1);
    constexpr int count = 1024;
    effects::Progress progress;
    const effects::ProgressScope scope(progress, 0.25, 0.75);
    int itemsBefore = 0;
    bool first = true;
    effects::parallelFor(count, 1, [&](int begin, int end) {
        QCOMPARE(begin, itemsBefore);
        const double expected = first ? 0.0 : 0.25 + 0.5 * itemsBefore / count;
        QVERIFY2(qAbs(progress.done() - expected) < 1e-6,
                 qPrintable(QString("%1 at item %2, expected %3").arg(progress.done()).arg(begin).arg(expected)));
        first = false;
        itemsBefore = end;
    });
    QCOMPARE(itemsBefore, count);
    QCOMPARE(progress.done(), 0.75);
}

QTEST_APPLESS_MAIN(TestParallel)
#include "tst_parallel.moc"
