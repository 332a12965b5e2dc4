// Median by brightness. For every pixel whose size x size window lies inside the
// image, the window's pixels are placed at places 0..P-1 (P = size * size), down
// each column of the window and the columns from left to right, keyed by their
// brightness (brightness.h). The selection sort runs over the places: step k takes
// the least key of places k..P-1 (of equal keys the lowest place) and exchanges it
// with place k. The output pixel is the whole word of the pixel that ends at the
// middle place m = (P - 1) / 2. The plain form is sortRows() below, which runs
// that sort one window at a time, stopped at step m (the later steps only touch
// places above m).

#include "median.h"

#include "brightness.h"
#include "parallel.h"
#include "progress.h"
#include "pixelrows.h"
#include "simd.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace effects {

int medianWindowSize(int requestedSize)
{
    if (requestedSize < 3)
        return 1;
    return requestedSize % 2 == 0 ? requestedSize - 1 : requestedSize;
}

namespace {

// The widest vector of windows, in bytes.
constexpr int maxLanes = 32;

// The key of a pixel: its brightness minus 128, a signed byte.
inline int8_t levelOf(QRgb pixel)
{
    return static_cast<int8_t>(brightness(pixel) - 128);
}

// Everything the filter reads, shared read-only by all threads.
struct Source {
    int width = 0;
    int height = 0;
    std::vector<const QRgb *> inRows;
    std::vector<QRgb *> outRows;
    // levelOf() of every pixel, row by row; each row has maxLanes bytes of
    // slack so that a full vector can be loaded at any interior column.
    int stride = 0;
    std::vector<int8_t> levels;

    const int8_t *level(int x, int y) const { return levels.data() + static_cast<size_t>(y) * stride + x; }
};

// Any odd size, one window at a time: the selection sort itself, stopped at
// the middle place.
void sortRows(const Source &source, int size, int begin, int end)
{
    const int ost = (size - 1) / 2;
    const int places = size * size;
    const int middle = (places - 1) / 2;
    std::vector<int> key(places);
    std::vector<int> origin(places);
    for (int y = begin; y < end; ++y) {
        for (int x = ost; x < source.width - ost; ++x) {
            int place = 0;
            for (int k = -ost; k <= ost; ++k) {
                for (int l = -ost; l <= ost; ++l, ++place) {
                    key[place] = *source.level(x + k, y + l);
                    origin[place] = place;
                }
            }
            for (int k = 0; k <= middle; ++k) {
                int n = k;
                for (int l = k + 1; l < places; ++l) {
                    if (key[l] < key[n])
                        n = l;
                }
                std::swap(key[n], key[k]);
                std::swap(origin[n], origin[k]);
            }
            const int chosen = origin[middle];
            source.outRows[y][x] = source.inRows[y + chosen % size - ost][x + chosen / size - ost] | 0xff000000u;
        }
    }
}

// ---------------------------------------------------------------------------
// The fast form.
//
// It runs the same selection sort of every window exactly as
// written, but for 16 or 32 horizontally adjacent windows at once, one byte
// lane each (as many as the instruction set's vectors hold): lane j of every
// vector belongs to the window centred on (x0 + j, y). The steps of the sort
// are the same for every window (place k, then the places after it in order);
// only the values differ, so each comparison and each exchange becomes one
// vector operation with a choice per lane instead of a branch.
//
// The window's entries sit at places 0..P-1, down each column of the window and
// the columns from left to right (P = size * size). Step k takes the entry at
// place k as the candidate, lets every later place whose brightness is strictly
// less take over (so of equal brightnesses the lowest place wins), and then
// exchanges the candidate with the entry at place k. The steps after the middle
// place m = (P - 1) / 2 only touch places above m, so the sort stops at step m.
//
// Only brightnesses are moved. The exchange of step k writes the old entry of
// place k to the place the candidate came from (place k itself is never read
// again); that write is folded into the scan of step k + 1, which passes every
// place above k anyway. Which pixel ends at place m is then read off the
// recorded steps backwards: it was selected at step m from place taken[m];
// before step j (j < m) it stood at place j if step j took its candidate from
// where it stood after step j, and otherwise it did not move. What is left is
// the place it was gathered into.
//
// Brightnesses are held as brightness - 128 in signed bytes, which keeps their
// order and lets the comparison be a plain signed byte comparison.

// levelOf() of a run of words, as many at a time as a vector of doubles holds.
// Processors with AVX-512 run the AVX2 version.
struct LevelRow {
static constexpr simd::Level highest = simd::Level::Avx2;
template <class V> GLIMMERIX_ALWAYS_INLINE static void run(const QRgb *line, int count, int8_t *target)
{
    typedef typename simd::Lanes<V>::Int I;
    typedef int8_t Bytes __attribute__((vector_size(simd::Lanes<V>::count)));
    constexpr int L = simd::Lanes<V>::count;
    int x = 0;
    for (; x + L <= count; x += L) {
        V r, g, b;
        simd::unpackRgb<V>(line + x, r, g, b);
        const I level = simd::toInt(brightnessOf(r, g, b)) - simd::splatInt<I>(128);
        const Bytes bytes = __builtin_convertvector(level, Bytes);
        std::memcpy(target + x, &bytes, sizeof bytes);
    }
    for (; x < count; ++x)
        target[x] = levelOf(line[x]);
}
};

void fillLevels(Source &source)
{
    source.stride = source.width + maxLanes;
    source.levels.assign(static_cast<size_t>(source.height) * source.stride, 0);
    const UnreportedPass levels;
    parallelFor(source.height, 16, [&](int begin, int end) {
        for (int y = begin; y < end; ++y)
            simd::run<LevelRow>(source.inRows[y], source.width,
                                source.levels.data() + static_cast<size_t>(y) * source.stride);
    });
}

// The kernel's vectors: one byte lane per window.
typedef int8_t Lanes16 __attribute__((vector_size(16)));
typedef int8_t Lanes32 __attribute__((vector_size(32)));

// Output rows begin..end-1 (inside the interior) of the filter with an odd
// window size; see the top of the file.
template <int Size, class Lanes>
GLIMMERIX_ALWAYS_INLINE void selectRows(const Source &source, int begin, int end)
{
    constexpr int lanes = sizeof(Lanes);
    constexpr int ost = (Size - 1) / 2;
    constexpr int places = Size * Size;
    constexpr int middle = (places - 1) / 2;
    static_assert(places <= 127, "places must fit in a signed byte");

    Lanes entry[places]; // the brightness at each place (as the steps go)
    Lanes taken[middle + 1]; // step k: the place its candidate came from
    Lanes number[places]; // number[p]: p in every lane
    for (int p = 0; p < places; ++p)
        number[p] = Lanes{} + static_cast<int8_t>(p);
    for (int y = begin; y < end; ++y) {
        QRgb *target = source.outRows[y];
        for (int x0 = ost; x0 < source.width - ost; x0 += lanes) {
            for (int k = 0; k < Size; ++k)
                for (int l = 0; l < Size; ++l)
                    std::memcpy(&entry[k * Size + l], source.level(x0 + k - ost, y + l - ost), sizeof(Lanes));

            // The old entry of place k - 1, and where the exchange of step k - 1
            // put it (-1 before the first step).
            Lanes displaced = Lanes{};
            Lanes displacedTo = Lanes{} - 1;
            for (int k = 0; k <= middle; ++k) {
                const Lanes current = displacedTo == number[k] ? displaced : entry[k];
                Lanes least = current;
                Lanes at = number[k];
                // A few vector operations per place: unrolled, the loop's own
                // counting no longer holds them up.
#pragma GCC unroll 4
                for (int l = k + 1; l < places; ++l) {
                    const Lanes e = displacedTo == number[l] ? displaced : entry[l];
                    entry[l] = e;
                    at = e < least ? number[l] : at;
                    least = least > e ? e : least; // the minimum
                }
                taken[k] = at;
                displaced = current;
                displacedTo = at;
            }

            Lanes origin = taken[middle];
            for (int j = middle - 1; j >= 0; --j)
                origin = taken[j] == origin ? number[j] : origin;

            int8_t chosen[lanes];
            std::memcpy(chosen, &origin, sizeof chosen);
            const int count = std::min(lanes, source.width - ost - x0);
            for (int j = 0; j < count; ++j) {
                const int dx = chosen[j] / Size - ost;
                const int dy = chosen[j] % Size - ost;
                target[x0 + j] = source.inRows[y + dy][x0 + j + dx] | 0xff000000u;
            }
        }
    }
}

// The kernel of one window size: 16 windows a vector on the baseline, 32 with
// AVX2; processors with AVX-512 run the AVX2 version.
template <class V> struct ByteLanes;
template <> struct ByteLanes<simd::d2> { typedef Lanes16 Type; };
template <> struct ByteLanes<simd::d4> { typedef Lanes32 Type; };

template <int Size> struct SelectRows {
static constexpr simd::Level highest = simd::Level::Avx2;
template <class V> GLIMMERIX_ALWAYS_INLINE static void run(const Source &source, int begin, int end)
{
    selectRows<Size, typename ByteLanes<V>::Type>(source, begin, end);
}
};

void filterRows(const Source &source, int size, int begin, int end)
{
    const int ost = (size - 1) / 2;
    begin = std::max(begin, ost);
    end = std::min(end, source.height - ost);
    if (begin >= end)
        return;
    switch (size) {
    case 3: simd::run<SelectRows<3>>(source, begin, end); return;
    case 5: simd::run<SelectRows<5>>(source, begin, end); return;
    case 7: simd::run<SelectRows<7>>(source, begin, end); return;
    case 9: simd::run<SelectRows<9>>(source, begin, end); return;
    default: break;
    }
    sortRows(source, size, begin, end);
}

} // namespace

QImage median(const QImage &image, int requestedSize)
{
    const PixelRows in(image);
    Source source;
    source.width = in.width();
    source.height = in.height();
    QImage out = newRgb32(source.width, source.height);
    if (out.isNull())
        return out;
    source.inRows.resize(source.height);
    source.outRows.resize(source.height);
    for (int y = 0; y < source.height; ++y) {
        source.inRows[y] = in.row(y);
        source.outRows[y] = writableRow(out, y);
    }

    const int size = medianWindowSize(requestedSize);
    const bool filters = size >= 3 && size <= source.width && size <= source.height;
    const int ost = filters ? (size - 1) / 2 : 0;
    if (filters)
        fillLevels(source);

    parallelFor(source.height, 8, [&](int begin, int end) {
        // The border strip (or the whole of an image smaller than the window)
        // keeps its unfiltered words.
        for (int y = begin; y < end; ++y) {
            const QRgb *line = source.inRows[y];
            QRgb *target = source.outRows[y];
            const bool inside = filters && y >= ost && y < source.height - ost;
            const int gapBegin = inside ? ost : source.width;
            const int gapEnd = inside ? source.width - ost : source.width;
            for (int x = 0; x < gapBegin; ++x)
                target[x] = line[x] | 0xff000000u;
            for (int x = gapEnd; x < source.width; ++x)
                target[x] = line[x] | 0xff000000u;
        }
        if (filters)
            filterRows(source, size, begin, end);
    });
    return out;
}

} // namespace effects
