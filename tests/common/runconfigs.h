#ifndef GLIMMERIX_TESTS_RUNCONFIGS_H
#define GLIMMERIX_TESTS_RUNCONFIGS_H

// The thread counts and vector levels that the effects' differential tests run
// under: no result may depend on either.

#include "parallel.h"
#include "simd.h"
#include "testimages.h"

#include <QImage>
#include <QList>
#include <QString>

namespace testruns {

struct RunConfig
{
    int threads;
    effects::simd::Level level;

    QString name() const { return QString("%1 threads, level %2").arg(threads).arg(int(level)); }
};

// Avx512 means the widest level this machine has; a level above it runs as it.
inline const RunConfig runConfigs[] = {
    {1, effects::simd::Level::Avx512},   {2, effects::simd::Level::Avx512},
    {4, effects::simd::Level::Avx512},   {1, effects::simd::Level::Avx2},
    {4, effects::simd::Level::Avx2},     {1, effects::simd::Level::Baseline},
    {2, effects::simd::Level::Baseline}, {4, effects::simd::Level::Baseline}};

inline void use(const RunConfig &config)
{
    effects::setThreadCount(config.threads);
    effects::simd::limitLevel(config.level);
}

inline void restoreDefaults()
{
    effects::setThreadCount(0);
    effects::simd::limitLevel(effects::simd::Level::Avx512);
}

// Runs compute() under every configuration and describes the first result that
// differs from expected (in its pixels, its format, or, for RGB32, a stored word
// without alpha 255); empty when none does. The results are kept until the end,
// so that no run gets the pixels of an earlier one back from the allocator (a
// pixel left unwritten must show).
template <class Compute> QString firstDifferenceUnderEveryRun(Compute compute, const QImage &expected)
{
    QList<QImage> results;
    for (const RunConfig &config : runConfigs) {
        use(config);
        results.append(compute());
        const QImage &result = results.last();
        QString difference = testimages::firstDifference(result, expected);
        if (difference.isEmpty() && result.format() != expected.format())
            difference = QString("format %1, expected %2").arg(int(result.format())).arg(int(expected.format()));
        if (difference.isEmpty() && result.format() == QImage::Format_RGB32 && !testimages::opaqueWords(result))
            difference = QStringLiteral("a stored word without alpha 255");
        if (!difference.isEmpty())
            return config.name() + ": " + difference;
    }
    return QString();
}

} // namespace testruns

#endif
