#include "pixelrows.h"

#include "parallel.h"
#include "progress.h"

#include <QRgba64>

#include <cstdlib>
#include <deque>
#include <mutex>

namespace effects {

namespace {

// Recycled pixel buffers. A large new buffer comes from the system as untouched
// pages, and the first write into each page costs a fault (at 768x576 that is as
// long as a whole fast effect); so the buffers of images that are gone are kept
// for the next image of the same size: at most two, and at most 512 MiB.
class BufferPool
{
public:
    // A buffer of `bytes` bytes (64-byte aligned), or nullptr.
    uchar *take(qsizetype bytes)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            for (auto it = idle.begin(); it != idle.end(); ++it) {
                if (it->bytes == bytes) {
                    uchar *data = it->data;
                    idleBytes -= it->bytes;
                    idle.erase(it);
                    return data;
                }
            }
        }
        void *block = std::aligned_alloc(alignment, size_t(header + bytes + alignment - 1) / alignment * alignment);
        if (!block)
            return nullptr;
        *static_cast<qsizetype *>(block) = bytes;
        return static_cast<uchar *>(block) + header;
    }

    // Called by the toolkit when the last image on the buffer goes.
    static void give(void *info)
    {
        uchar *data = static_cast<uchar *>(info);
        instance().keep(data, *reinterpret_cast<const qsizetype *>(data - header));
    }

    static BufferPool &instance()
    {
        // Never destroyed: images may outlive every static object.
        static BufferPool *pool = new BufferPool;
        return *pool;
    }

private:
    static constexpr size_t alignment = 64;
    static constexpr qsizetype header = 64;
    static constexpr int maxIdle = 2;
    static constexpr qsizetype maxIdleBytes = qsizetype(512) << 20;

    struct Idle
    {
        uchar *data;
        qsizetype bytes;
    };

    void keep(uchar *data, qsizetype bytes)
    {
        std::deque<uchar *> drop;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (bytes <= maxIdleBytes) {
                idle.push_back({data, bytes});
                idleBytes += bytes;
                data = nullptr;
            }
            while (int(idle.size()) > maxIdle || idleBytes > maxIdleBytes) {
                drop.push_back(idle.front().data);
                idleBytes -= idle.front().bytes;
                idle.pop_front();
            }
        }
        if (data)
            drop.push_back(data);
        for (uchar *d : drop)
            std::free(d - header);
    }

    std::mutex mutex;
    std::deque<Idle> idle;
    qsizetype idleBytes = 0;
};

// A new 32-bit image of the given size and format on a recycled buffer; null when
// it cannot be allocated or the size is empty.
QImage newImage32(int width, int height, QImage::Format format)
{
    if (width <= 0 || height <= 0)
        return QImage();
    const qsizetype bytesPerLine = qsizetype(width) * 4;
    if (bytesPerLine > (qsizetype(1) << 40) / height)
        return QImage();
    const qsizetype bytes = bytesPerLine * height;
    BufferPool &pool = BufferPool::instance();
    uchar *data = pool.take(bytes);
    if (!data)
        return QImage();
    QImage image(data, width, height, bytesPerLine, format, &BufferPool::give, data);
    if (image.isNull())
        BufferPool::give(data);
    return image;
}

// Fills one row of ARGB32 words with what pixel() returns for the source row.
void convertRow(const QImage &source, int y, QRgb *out)
{
    const uchar *in = source.constScanLine(y);
    const int width = source.width();
    switch (source.format()) {
    case QImage::Format_Indexed8: {
        const QList<QRgb> table = source.colorTable();
        for (int x = 0; x < width; ++x) {
            const int index = in[x];
            out[x] = index < table.size() ? table[index] : source.pixel(x, y);
        }
        break;
    }
    case QImage::Format_Grayscale8:
        for (int x = 0; x < width; ++x)
            out[x] = qRgb(in[x], in[x], in[x]);
        break;
    case QImage::Format_RGB888:
        for (int x = 0; x < width; ++x)
            out[x] = qRgb(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
        break;
    case QImage::Format_BGR888:
        for (int x = 0; x < width; ++x)
            out[x] = qRgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
        break;
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied:
        for (int x = 0; x < width; ++x)
            out[x] = qRgba(in[4 * x], in[4 * x + 1], in[4 * x + 2], in[4 * x + 3]);
        break;
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied: {
        const QRgba64 *wide = reinterpret_cast<const QRgba64 *>(in);
        for (int x = 0; x < width; ++x)
            out[x] = wide[x].toArgb32();
        break;
    }
    default:
        // Rare formats (1-bit, 16-bit, 30-bit, floating point): the toolkit's own reading.
        for (int x = 0; x < width; ++x)
            out[x] = source.pixel(x, y);
        break;
    }
}

} // namespace

PixelRows::PixelRows(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        words = image; // shared, not copied
        return;
    case QImage::Format_Invalid:
        return;
    default:
        break;
    }
    words = newImage32(image.width(), image.height(), QImage::Format_ARGB32);
    if (words.isNull())
        return;
    uchar *bits = words.bits();
    const qsizetype stride = words.bytesPerLine();
    const UnreportedPass conversion;
    parallelFor(image.height(), 16, [&](int begin, int end) {
        for (int y = begin; y < end; ++y)
            convertRow(image, y, reinterpret_cast<QRgb *>(bits + y * stride));
    });
}

QImage newRgb32(int width, int height)
{
    return newImage32(width, height, QImage::Format_RGB32);
}

bool fitTarget(QImage &target, int width, int height)
{
    if (target.format() != QImage::Format_RGB32 || target.size() != QSize(width, height))
        target = newRgb32(width, height);
    return !target.isNull();
}

bool ownTarget(QImage &target, bool everyPixel)
{
    if (everyPixel && !target.isDetached())
        target = newRgb32(target.width(), target.height());
    return !target.isNull();
}

} // namespace effects
