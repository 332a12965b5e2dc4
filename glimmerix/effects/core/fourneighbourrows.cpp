#include "fourneighbourrows.h"

#include "simd.h"

#include <algorithm>
#include <limits>

namespace effects {

namespace {

// The four words of as many pixels as the vector has lanes, their fractions, and
// which of them are inside (-1) or give black (0).
template <class V> struct Neighbours
{
    typedef typename simd::Lanes<V>::Int I;
    I c00, c01, c11, c10;
    V fx, fy;
    I inside;
};

// The channel at `shift` of every lane's four words (no lambda here: a lambda is a
// function of its own, compiled for the baseline, and vectors must not cross into it).
template <class V, WeightOrder order>
GLIMMERIX_ALWAYS_INLINE typename simd::Lanes<V>::Int blendShifted(const Neighbours<V> &n, int shift)
{
    typedef typename simd::Lanes<V>::Int I;
    const I mask = simd::splatInt<I>(255);
    return truncLimited(fourNeighbourBlend<order>(simd::toDouble((n.c00 >> shift) & mask),
                                                  simd::toDouble((n.c01 >> shift) & mask),
                                                  simd::toDouble((n.c11 >> shift) & mask),
                                                  simd::toDouble((n.c10 >> shift) & mask), n.fx, n.fy));
}

template <class V, WeightOrder order>
GLIMMERIX_ALWAYS_INLINE typename simd::Lanes<V>::Int blendWords(const Neighbours<V> &n)
{
    typedef typename simd::Lanes<V>::Int I;
    const I blended = simd::packRgb(blendShifted<V, order>(n, 16), blendShifted<V, order>(n, 8),
                                    blendShifted<V, order>(n, 0));
    const I black = simd::splatInt<I>(int(0xff000000u));
    return n.inside ? blended : black;
}

template <WeightOrder order> struct SeparableRow {
template <class V>
GLIMMERIX_ALWAYS_INLINE static void run(const QRgb *upper, const QRgb *lower, const SeparableColumns &columns,
                                        double rowFraction, QRgb *out)
{
    typedef typename simd::Lanes<V>::Int I;
    constexpr int L = simd::Lanes<V>::count;
    const int count = columns.count;
    const int *lowerColumn = columns.lower.data();
    const int *upperColumn = columns.upper.data();
    const double *fraction = columns.fraction.data();
    const int *inside = columns.inside.data();
    Neighbours<V> n;
    n.fy = simd::splat<V>(rowFraction);
    // The last vector of the row reads padding columns; its lanes past the row's
    // end are not stored.
    for (int x = 0; x < count; x += L) {
        const I lowerIndex = simd::load<I>(lowerColumn + x);
        const I upperIndex = simd::load<I>(upperColumn + x);
        n.c00 = simd::gatherWords(upper, lowerIndex);
        n.c01 = simd::gatherWords(lower, lowerIndex);
        n.c11 = simd::gatherWords(lower, upperIndex);
        n.c10 = simd::gatherWords(upper, upperIndex);
        n.fx = simd::load<V>(fraction + x);
        n.inside = simd::load<I>(inside + x);
        simd::storeWords(out + x, blendWords<V, order>(n), count - x);
    }
}
};

// The words of a PixelRows as one array: row y starts rowWords words after row
// y - 1. sampleRow() makes sure that every word's index fits an int.
inline qsizetype wordsPerRow(const PixelRows &source)
{
    return source.height() > 1 ? source.row(1) - source.row(0) : source.width();
}

// Where a chunk of samples reads, as the separable kernel takes it: the index of
// each of the four words in the source's words, the fractions and inside (-1) or
// black (0). Working a chunk out before blending it keeps the two dependency
// chains (position to index, and gather to blend) apart, so that the processor
// overlaps them.
constexpr int chunkSamples = 256;
struct ChunkNeighbours
{
    alignas(64) int c00[chunkSamples];
    alignas(64) int c01[chunkSamples];
    alignas(64) int c11[chunkSamples];
    alignas(64) int c10[chunkSamples];
    alignas(64) double fx[chunkSamples];
    alignas(64) double fy[chunkSamples];
    alignas(64) int inside[chunkSamples];
};

// axisNeighbours() along both axes on as many positions as the vector has lanes: the same
// comparisons on the doubles, the same truncations, and a lane that is not inside
// reads word 0 and gives black. count is a whole number of vectors; the samples
// go to the chunk from place `first` on.
template <class V>
GLIMMERIX_ALWAYS_INLINE void chunkPositions(const double *xtemp, const double *ytemp, int count, int width,
                                            int height, int rowWords, ChunkNeighbours &chunk, int first)
{
    typedef typename simd::Lanes<V>::Int I;
    constexpr int L = simd::Lanes<V>::count;
    const I widthI = simd::splatInt<I>(width);
    const I heightI = simd::splatInt<I>(height);
    const I rowWordsI = simd::splatInt<I>(rowWords);
    const I zero = I{};
    const I intOne = simd::splatInt<I>(1);
    const I intTwo = simd::splatInt<I>(2);
    const V one = simd::splat<V>(1.0);
    const V four = simd::splat<V>(4.0);
    const V minusOne = simd::splat<V>(-1.0);
    const V lastColumn = simd::splat<V>(double(width - 1));
    const V lastRow = simd::splat<V>(double(height - 1));
    for (int x = 0; x < count; x += L) {
        V xt = simd::load<V>(xtemp + x);
        V yt = simd::load<V>(ytemp + x);
        // NaN fails every comparison; whatever passes all four truncates safely, the
        // others are set to 0 first. The tests are counted as numbers: GCC 12 splits
        // masks combined with & into lanes on AVX-512.
        const V testsPassed = (xt > minusOne ? one : V{}) + (xt <= lastColumn ? one : V{})
            + (yt > minusOne ? one : V{}) + (yt <= lastRow ? one : V{});
        const V passes = testsPassed == four ? one : V{};
        xt = passes == one ? xt : V{};
        yt = passes == one ? yt : V{};
        const I xLower = __builtin_convertvector(xt, I);
        const I yLower = __builtin_convertvector(yt, I);
        const V xWhole = __builtin_convertvector(xLower, V);
        const V yWhole = __builtin_convertvector(yLower, V);
        const I xUpper = xLower + __builtin_convertvector(xt == xWhole ? V{} : one, I);
        const I yUpper = yLower + __builtin_convertvector(yt == yWhole ? V{} : one, I);
        // The upper neighbours are tested as the four tests above are.
        const I neighboursInside = (xUpper < widthI ? intOne : zero) + (yUpper < heightI ? intOne : zero);
        const I inside = neighboursInside == intTwo ? __builtin_convertvector(passes, I) : zero; // 1 or 0
        const I upperRow = (inside == intOne ? yLower : zero) * rowWordsI;
        const I lowerRow = (inside == intOne ? yUpper : zero) * rowWordsI;
        const I lowerColumn = inside == intOne ? xLower : zero;
        const I upperColumn = inside == intOne ? xUpper : zero;
        const int at = first + x;
        simd::store(chunk.c00 + at, upperRow + lowerColumn);
        simd::store(chunk.c01 + at, lowerRow + lowerColumn);
        simd::store(chunk.c11 + at, lowerRow + upperColumn);
        simd::store(chunk.c10 + at, upperRow + upperColumn);
        simd::store(chunk.fx + at, xt - xWhole);
        simd::store(chunk.fy + at, yt - yWhole);
        simd::store(chunk.inside + at, -inside);
    }
}

struct PositionsRow {
template <class V>
GLIMMERIX_ALWAYS_INLINE static void run(const PixelRows &source, const double *xtemp, const double *ytemp,
                                        int count, QRgb *out)
{
    typedef typename simd::Lanes<V>::Int I;
    constexpr int L = simd::Lanes<V>::count;
    const QRgb *words = source.row(0);
    const int rowWords = int(wordsPerRow(source));
    ChunkNeighbours chunk;
    Neighbours<V> n;
    for (int start = 0; start < count; start += chunkSamples) {
        const int samples = std::min(chunkSamples, count - start);
        const int whole = samples / L * L;
        chunkPositions<V>(xtemp + start, ytemp + start, whole, source.width(), source.height(), rowWords,
                          chunk, 0);
        if (whole < samples) {
            // The last vector: positions past the row's end are at -1, outside;
            // their lanes are not stored.
            alignas(64) double xs[L], ys[L];
            for (int l = 0; l < L; ++l) {
                xs[l] = whole + l < samples ? xtemp[start + whole + l] : -1.0;
                ys[l] = whole + l < samples ? ytemp[start + whole + l] : -1.0;
            }
            chunkPositions<V>(xs, ys, L, source.width(), source.height(), rowWords, chunk, whole);
        }
        for (int x = 0; x < samples; x += L) {
            n.c00 = simd::gatherWords(words, simd::load<I>(chunk.c00 + x));
            n.c01 = simd::gatherWords(words, simd::load<I>(chunk.c01 + x));
            n.c11 = simd::gatherWords(words, simd::load<I>(chunk.c11 + x));
            n.c10 = simd::gatherWords(words, simd::load<I>(chunk.c10 + x));
            n.fx = simd::load<V>(chunk.fx + x);
            n.fy = simd::load<V>(chunk.fy + x);
            n.inside = simd::load<I>(chunk.inside + x);
            simd::storeWords(out + start + x, blendWords<V, WeightOrder::FourNeighbour>(n), samples - x);
        }
    }
}
};

} // namespace

SeparableColumns::SeparableColumns(const std::vector<AxisNeighbours> &columns)
    : count(int(columns.size()))
{
    // Whole vectors of the widest kernel, 8 lanes.
    const size_t padded = (columns.size() + 7) / 8 * 8;
    lower.assign(padded, 0);
    upper.assign(padded, 0);
    fraction.assign(padded, 0);
    inside.assign(padded, 0);
    for (size_t x = 0; x < columns.size(); ++x) {
        if (!columns[x].inside)
            continue;
        lower[x] = columns[x].lower;
        upper[x] = columns[x].upper;
        fraction[x] = columns[x].fraction;
        inside[x] = -1;
    }
}

void blendSeparableRow(const QRgb *upper, const QRgb *lower, const SeparableColumns &columns,
                       double rowFraction, WeightOrder order, QRgb *out)
{
    if (order == WeightOrder::FourNeighbour)
        simd::run<SeparableRow<WeightOrder::FourNeighbour>>(upper, lower, columns, rowFraction, out);
    else
        simd::run<SeparableRow<WeightOrder::Resample>>(upper, lower, columns, rowFraction, out);
}

void sampleRow(const PixelRows &source, const double *xtemp, const double *ytemp, int count, QRgb *out)
{
    // The kernels index the words as ints; a larger image is sampled one pixel at
    // a time.
    if (qint64(wordsPerRow(source)) * source.height() > std::numeric_limits<int>::max()) {
        for (int i = 0; i < count; ++i)
            out[i] = fourNeighbourSample(source, xtemp[i], ytemp[i]);
        return;
    }
    simd::run<PositionsRow>(source, xtemp, ytemp, count, out);
}

} // namespace effects
