// Gaussian blur: a window of 2N + 1 weights w[-N..N] (gaussWindow()), one pass
// along the rows, then one along the columns. Each pass gives every channel of
// the pixel at position j of a line of length L
//
//   truncLimited((sum of c[j+k] * w[k]) / (sum of w[k])),  k = max(-N, -j) .. min(N, L-1-j)
//
// both sums in ascending k, in double precision: taps outside the line are left
// out and the quotient divides by the weights used. The plain form is
// scalarRows() and scalarColumns() below (also the library's own path for windows
// whose weights are not finite numbers); the fast form works on vectors of
// pixels, each lane adding its own products in the same order.

#include "gauss.h"

#include "channel.h"
#include "parallel.h"
#include "progress.h"
#include "pixelrows.h"
#include "simd.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace effects {

int gaussHalfWidth(double sigma)
{
    if (!(sigma > 0) || !std::isfinite(sigma))
        return 0;
    const double triple = 3 * sigma;
    if (triple >= maxGaussHalfWidth)
        return maxGaussHalfWidth;
    // 3 sigma is rounded to single precision before the 1 is added.
    const float halfWidth = static_cast<float>(triple) + 1.0f;
    if (halfWidth >= static_cast<float>(maxGaussHalfWidth))
        return maxGaussHalfWidth;
    return static_cast<int>(halfWidth);
}

QVector<double> gaussWindow(double sigma)
{
    const int n = gaussHalfWidth(sigma);
    QVector<double> window(2 * n + 1);
    const double denominator = 2 * sigma * sigma;
    for (int i = 2 * n; i >= 0; --i) {
        if (i >= n) {
            const double t = (double(n - i) * double(i - n)) / denominator;
            if (t >= 0)
                window[i] = std::exp(t);
            else if (t < 0)
                window[i] = 1 / std::exp(-t);
            else
                window[i] = 1; // the centre's 0 / 0 when 2 sigma sigma underflows to 0
        } else {
            window[i] = window[2 * n - i];
        }
    }
    return window;
}

namespace {

// One pass, as the kernels see it. Positions j run along a line (0..length-1),
// lines i across (0..lines-1). Tap t of the window, 0..2N, is the distance t - N.
struct Pass
{
    const PixelRows *in;
    uchar *outBits;
    qsizetype outStride;
    int lines;
    int length;
    int halfWidth;
    const double *window; // 2N + 1 weights
    const double *sums;   // per position: the weights used, added in ascending tap order
                          // (padded with 1 past the end of the line)
    const int *first;     // per position: the first and last tap distance inside the line
    const int *last;

    QRgb *outRow(int y) const { return reinterpret_cast<QRgb *>(outBits + y * outStride); }
};

// The plain form, for windows with weights that are not finite numbers (where a
// zero pixel times the weight is not zero): each pixel skips the taps outside.
void scalarRows(const Pass &p, int begin, int end)
{
    const double *centre = p.window + p.halfWidth;
    for (int i = begin; i < end; ++i) {
        const QRgb *line = p.in->row(i);
        QRgb *out = p.outRow(i);
        for (int j = 0; j < p.length; ++j) {
            double red = 0, green = 0, blue = 0;
            for (int k = p.first[j]; k <= p.last[j]; ++k) {
                const QRgb q = line[j + k];
                red += qRed(q) * centre[k];
                green += qGreen(q) * centre[k];
                blue += qBlue(q) * centre[k];
            }
            const double sum = p.sums[j];
            out[j] = qRgb(truncLimited(red / sum), truncLimited(green / sum), truncLimited(blue / sum));
        }
    }
}

void scalarColumns(const Pass &p, int begin, int end)
{
    const double *centre = p.window + p.halfWidth;
    for (int j = begin; j < end; ++j) {
        QRgb *out = p.outRow(j);
        const double sum = p.sums[j];
        for (int i = 0; i < p.lines; ++i) {
            double red = 0, green = 0, blue = 0;
            for (int k = p.first[j]; k <= p.last[j]; ++k) {
                const QRgb q = p.in->row(j + k)[i];
                red += qRed(q) * centre[k];
                green += qGreen(q) * centre[k];
                blue += qBlue(q) * centre[k];
            }
            out[i] = qRgb(truncLimited(red / sum), truncLimited(green / sum), truncLimited(blue / sum));
        }
    }
}

// ---------------------------------------------------------------------------
// The fast form.

// Output positions per chunk of a row in the row pass.
constexpr int rowChunk = 256;

// The rows pass keeps one chunk of a row as three planes of doubles, zero outside
// the line. The column pass keeps the 2N + 1 rows a window spans, for one chunk of
// columns, in a ring of such planes, small enough to stay in the nearest caches.
int weightScratchSize(int halfWidth);

int rowScratchSize(int halfWidth)
{
    return weightScratchSize(halfWidth) + 3 * (rowChunk + 2 * halfWidth + 32);
}

int columnChunk(int halfWidth)
{
    const int ringRows = 2 * halfWidth + 1;
    const int budget = 48 * 1024; // bytes of ring
    // A multiple of every block width (6, 12 and 24 pixels).
    const int chunk = budget / (ringRows * 3 * int(sizeof(double))) / 48 * 48;
    return std::clamp(chunk, 48, 480);
}

int columnScratchSize(int halfWidth)
{
    return weightScratchSize(halfWidth) + (2 * halfWidth + 1) * 3 * columnChunk(halfWidth);
}

// The three channels of words[x] for x = x0 .. x0 + count - 1, where x lies inside
// 0..length-1, and 0 elsewhere.
template <class V>
GLIMMERIX_ALWAYS_INLINE void planarise(const QRgb *words, int length, int x0, int count,
                                       double *red, double *green, double *blue)
{
    constexpr int L = simd::Lanes<V>::count;
    int idx = 0;
    for (; idx < count && x0 + idx < 0; ++idx)
        red[idx] = green[idx] = blue[idx] = 0;
    const int inside = std::min(count, length - x0);
    for (; idx + L <= inside; idx += L) {
        V r, g, b;
        simd::unpackRgb<V>(words + x0 + idx, r, g, b);
        simd::store(red + idx, r);
        simd::store(green + idx, g);
        simd::store(blue + idx, b);
    }
    for (; idx < inside; ++idx) {
        const QRgb p = words[x0 + idx];
        red[idx] = qRed(p);
        green[idx] = qGreen(p);
        blue[idx] = qBlue(p);
    }
    for (; idx < count; ++idx)
        red[idx] = green[idx] = blue[idx] = 0;
}

// Blocks of three vectors per channel: nine independent sums keep both adders
// busy while each sum waits for its previous addition.
constexpr int vectorsPerBlock = 3;

// The weights, each repeated across a vector, at scratch (2N + 1) * 8 doubles.
template <class V>
GLIMMERIX_ALWAYS_INLINE const V *spreadWeights(const Pass &p, double *scratch)
{
    V *weights = reinterpret_cast<V *>(scratch);
    for (int t = 0; t <= 2 * p.halfWidth; ++t)
        simd::store(weights + t, simd::splat<V>(p.window[t]));
    return weights;
}

int weightScratchSize(int halfWidth)
{
    return (2 * halfWidth + 1) * 8 + 8;
}

// One block: three vectors per channel at offsets 0, L and 2L of the three planes
// (stride doubles apart), summed over taps 0..taps-1 whose planes start at
// PLANE_OF_TAP(t). The first tap starts each sum (a sum that starts at 0 gets the
// first product unchanged). Written out, so that the nine sums stay in registers.
#define GLIMMERIX_BLOCK_SUMS(PLANE_OF_TAP)                                                        \
    V r0, r1, r2, g0, g1, g2, b0, b1, b2;                                                         \
    {                                                                                             \
        const double *plane = PLANE_OF_TAP(0);                                                    \
        const V w = simd::load<V>(weights);                                                       \
        r0 = simd::load<V>(plane) * w;                                                            \
        r1 = simd::load<V>(plane + L) * w;                                                        \
        r2 = simd::load<V>(plane + 2 * L) * w;                                                    \
        g0 = simd::load<V>(plane + stride) * w;                                                   \
        g1 = simd::load<V>(plane + stride + L) * w;                                               \
        g2 = simd::load<V>(plane + stride + 2 * L) * w;                                           \
        b0 = simd::load<V>(plane + 2 * stride) * w;                                               \
        b1 = simd::load<V>(plane + 2 * stride + L) * w;                                           \
        b2 = simd::load<V>(plane + 2 * stride + 2 * L) * w;                                       \
    }                                                                                             \
    for (int t = 1; t < taps; ++t) {                                                              \
        const double *plane = PLANE_OF_TAP(t);                                                    \
        const V w = simd::load<V>(weights + t);                                                   \
        r0 += simd::load<V>(plane) * w;                                                           \
        r1 += simd::load<V>(plane + L) * w;                                                       \
        r2 += simd::load<V>(plane + 2 * L) * w;                                                   \
        g0 += simd::load<V>(plane + stride) * w;                                                  \
        g1 += simd::load<V>(plane + stride + L) * w;                                              \
        g2 += simd::load<V>(plane + stride + 2 * L) * w;                                          \
        b0 += simd::load<V>(plane + 2 * stride) * w;                                              \
        b1 += simd::load<V>(plane + 2 * stride + L) * w;                                          \
        b2 += simd::load<V>(plane + 2 * stride + 2 * L) * w;                                      \
    }                                                                                             \
    const V r[3] = {r0, r1, r2}, g[3] = {g0, g1, g2}, b[3] = {b0, b1, b2};

// The row pass for lines begin..end-1: every output position sums all 2N + 1 taps
// in ascending order, the taps outside the line reading 0. A zero term adds an
// exact zero to a sum, which leaves it unchanged, and the first term inside the
// line lands on a sum of zero just as it does when the outside taps are skipped:
// each pixel gets the very sum of the taps it uses.
struct RowsKernel {
template <class V>
GLIMMERIX_ALWAYS_INLINE static void run(const Pass &p, int begin, int end, double *scratch)
{
    typedef typename simd::Lanes<V>::Int I;
    constexpr int L = simd::Lanes<V>::count;
    constexpr int K = vectorsPerBlock;
    constexpr int B = K * L; // pixels per block
    const int n = p.halfWidth;
    const int taps = 2 * n + 1;
    const V *weights = spreadWeights<V>(p, scratch);
    const int stride = rowChunk + 2 * n + 32; // doubles per plane
    double *red = scratch + weightScratchSize(n);
    double *green = red + stride;
    double *blue = green + stride;
    for (int i = begin; i < end; ++i) {
        const QRgb *line = p.in->row(i);
        QRgb *out = p.outRow(i);
        for (int j0 = 0; j0 < p.length; j0 += rowChunk) {
            const int j1 = std::min(p.length, j0 + rowChunk);
            const int blocks = (j1 - j0 + B - 1) / B;
            // Planar index o + t holds position j0 + o + t - N.
            planarise<V>(line, p.length, j0 - n, blocks * B + 2 * n, red, green, blue);
            for (int block = 0; block < blocks; ++block) {
                const int o = block * B;
#define GLIMMERIX_ROW_PLANE(t) (red + o + (t))
                GLIMMERIX_BLOCK_SUMS(GLIMMERIX_ROW_PLANE)
#undef GLIMMERIX_ROW_PLANE
                const int j = j0 + o;
                for (int v = 0; v < K; ++v) {
                    const V s = simd::load<V>(p.sums + j + v * L);
                    const I words = simd::packRgb(truncLimited(r[v] / s), truncLimited(g[v] / s),
                                                  truncLimited(b[v] / s));
                    simd::storeWords(out + j + v * L, words, j1 - j - v * L);
                }
            }
        }
    }
}
};

// The column pass for output rows begin..end-1 (positions along the columns),
// vectorised across columns: a run of output pixels of one row at a time, each
// summing its own taps in ascending order.
struct ColumnsKernel {
template <class V>
GLIMMERIX_ALWAYS_INLINE static void run(const Pass &p, int begin, int end, double *scratch)
{
    typedef typename simd::Lanes<V>::Int I;
    constexpr int L = simd::Lanes<V>::count;
    constexpr int K = vectorsPerBlock;
    constexpr int B = K * L;
    const int n = p.halfWidth;
    const int ringRows = 2 * n + 1;
    const int chunk = columnChunk(n);
    const int stride = chunk; // doubles per plane
    const V *allWeights = spreadWeights<V>(p, scratch);
    double *ring = scratch + weightScratchSize(n); // row slot s, channel c: ring + (3 s + c) chunk
    const double *planeOfRow[2 * maxGaussHalfWidth + 1];
    for (int c0 = 0; c0 < p.lines; c0 += chunk) {
        const int c1 = std::min(p.lines, c0 + chunk);
        const int blocks = (c1 - c0 + B - 1) / B;
        int next = begin + p.first[begin]; // the next input row to bring into the ring
        for (int j = begin; j < end; ++j) {
            const int low = j + p.first[j];
            const int high = j + p.last[j];
            next = std::max(next, low);
            for (; next <= high; ++next) {
                double *plane = ring + 3 * (next % ringRows) * chunk;
                planarise<V>(p.in->row(next) + c0, c1 - c0, 0, blocks * B, plane, plane + chunk,
                             plane + 2 * chunk);
            }
            const int taps = high - low + 1;
            for (int t = 0; t < taps; ++t)
                planeOfRow[t] = ring + 3 * ((low + t) % ringRows) * chunk;
            const V *weights = allWeights + (p.first[j] + n);
            const V s = simd::splat<V>(p.sums[j]);
            QRgb *out = p.outRow(j) + c0;
            for (int block = 0; block < blocks; ++block) {
                const int o = block * B;
#define GLIMMERIX_COLUMN_PLANE(t) (planeOfRow[t] + o)
                GLIMMERIX_BLOCK_SUMS(GLIMMERIX_COLUMN_PLANE)
#undef GLIMMERIX_COLUMN_PLANE
                for (int v = 0; v < K; ++v) {
                    const I words = simd::packRgb(truncLimited(r[v] / s), truncLimited(g[v] / s),
                                                  truncLimited(b[v] / s));
                    simd::storeWords(out + o + v * L, words, c1 - c0 - o - v * L);
                }
            }
        }
    }
}
};

#undef GLIMMERIX_BLOCK_SUMS

} // namespace

namespace {

// One pass into target, an RGB32 image of the source's size that owns its pixels,
// for lines 0..lines-1 of length `length` (both within the image, neither 0).
void passInto(const PixelRows &in, QImage &target, int lines, int length, int halfWidth,
              const double *window, bool alongRows)
{
    // Taps k from first[j] to last[j] lie inside the line; sums[j] adds their
    // weights in ascending k, exactly as each output pixel does.
    const double *centre = window + halfWidth;
    std::vector<int> first(length), last(length);
    std::vector<double> sums(length + 32, 1.0);
    for (int j = 0; j < length; ++j) {
        first[j] = std::max(-halfWidth, -j);
        last[j] = std::min(halfWidth, length - 1 - j);
        double sum = 0;
        for (int k = first[j]; k <= last[j]; ++k)
            sum += centre[k];
        sums[j] = sum;
    }
    bool finite = true;
    for (int t = 0; t <= 2 * halfWidth; ++t)
        finite = finite && std::isfinite(window[t]);

    Pass pass;
    pass.in = &in;
    pass.outBits = target.bits(); // owned here, before any thread writes
    pass.outStride = target.bytesPerLine();
    pass.lines = lines;
    pass.length = length;
    pass.halfWidth = halfWidth;
    pass.window = window;
    pass.sums = sums.data();
    pass.first = first.data();
    pass.last = last.data();
    const int scratchSize = alongRows ? rowScratchSize(halfWidth) : columnScratchSize(halfWidth);

    // Rows pass: lines are rows. Column pass: the ranges are output rows, each
    // range a band that brings the rows its windows span into its own ring.
    const int count = alongRows ? lines : length;
    const int grain = alongRows ? 8 : std::max(16, 2 * halfWidth);
    parallelFor(count, grain, [&](int begin, int end) {
        if (!finite) {
            if (alongRows)
                scalarRows(pass, begin, end);
            else
                scalarColumns(pass, begin, end);
            return;
        }
        std::vector<double> scratch(scratchSize);
        if (alongRows)
            simd::run<RowsKernel>(pass, begin, end, scratch.data());
        else
            simd::run<ColumnsKernel>(pass, begin, end, scratch.data());
    });
}

} // namespace

QImage gaussPass(const QImage &source, const QVector<double> &window, BlurAxis axis)
{
    const PixelRows in(source);
    QImage target = newRgb32(in.width(), in.height());
    if (target.isNull())
        return target;
    static const double identity = 1;
    const bool proper = window.size() % 2 == 1;
    const bool alongRows = axis == BlurAxis::Rows;
    passInto(in, target, alongRows ? in.height() : in.width(), alongRows ? in.width() : in.height(),
             proper ? int(window.size() / 2) : 0, proper ? window.constData() : &identity, alongRows);
    return target;
}

void wash(const QImage &source, QImage &target, int lines, int length, int halfWidth,
          const double *window, bool alongRows)
{
    const PixelRows in(source);
    const int width = in.width();
    const int height = in.height();
    if (!fitTarget(target, width, height))
        return;

    static const double identity = 1;
    if (window == nullptr || halfWidth < 0) {
        window = &identity;
        halfWidth = 0;
    }
    lines = std::clamp(lines, 0, alongRows ? height : width);
    length = std::clamp(length, 0, alongRows ? width : height);
    if (lines == 0 || length == 0)
        return;

    // Only a pass over every pixel may give a target that shares its pixels (with
    // the source, as in the editor's second pass) new ones instead of a copy.
    const bool everyPixel = lines == (alongRows ? height : width) && length == (alongRows ? width : height);
    if (!ownTarget(target, everyPixel))
        return;
    passInto(in, target, lines, length, halfWidth, window, alongRows);
}

QImage gaussBlur(const QImage &source, double sigma)
{
    const QVector<double> window = gaussWindow(sigma);
    ProgressStages passes(2);
    passes.next();
    const QImage rows = gaussPass(source, window, BlurAxis::Rows);
    passes.next();
    return gaussPass(rows, window, BlurAxis::Columns);
}

} // namespace effects
