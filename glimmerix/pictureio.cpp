#include "pictureio.h"

#include "progress.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>

namespace pictureio {

namespace {

// Written in pieces of this size, so that a stop waits for one piece at most.
constexpr qint64 writePiece = qint64(4) << 20;

// A file that reports how much of it has been read, and fails every read once
// the work is asked to stop, which ends the decoder's work early.
class StoppableFile : public QFile
{
public:
    StoppableFile(const QString &name, const effects::ProgressSpan &span)
        : QFile(name), span(span)
    {
    }
    bool wasStopped() const { return stopped; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (span.progress && span.progress->stopRequested()) {
            stopped = true;
            return -1;
        }
        const qint64 got = QFile::readData(data, maxSize);
        if (got > 0) {
            bytesRead += got;
            effects::reportProgress(span, std::min(bytesRead, size()), size());
        }
        return got;
    }

private:
    effects::ProgressSpan span;
    qint64 bytesRead = 0;
    bool stopped = false;
};

// A buffer that refuses every write once the work is asked to stop, which ends
// the encoder's work early.
class StoppableBuffer : public QBuffer
{
public:
    explicit StoppableBuffer(QByteArray *bytes)
        : QBuffer(bytes)
    {
    }
    bool wasStopped() const { return stopped; }

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        if (effects::stopRequested()) {
            stopped = true;
            return -1;
        }
        return QBuffer::writeData(data, length);
    }

private:
    bool stopped = false;
};

// The reason a write failed, with the file's name when the reason lacks it.
QString writeFailure(const QString &fileName, const QString &reason)
{
    const QString name = QDir::toNativeSeparators(fileName);
    if (reason.contains(name) || reason.contains(fileName))
        return reason;
    return QString("%1: %2").arg(name, reason);
}

Outcome readByName(const QString &fileName, QImage &picture, QString *error)
{
    QImageReader reader(fileName);
    reader.setAutoTransform(true);
    picture = reader.read();
    if (!picture.isNull())
        return Outcome::Done;
    *error = reader.errorString();
    return Outcome::Failed;
}

} // namespace

Outcome readPicture(const QString &fileName, QImage &picture, QString *error)
{
    // The format as the reader of the name finds it (suffix first, then content);
    // the pixels are then read from a file that can stop. Where the format is not
    // found or the file does not open, the reader of the name gives the reason.
    const QByteArray format = QImageReader(fileName).format();
    StoppableFile file(fileName, effects::currentProgressSpan());
    if (format.isEmpty() || !file.open(QIODevice::ReadOnly))
        return readByName(fileName, picture, error);
    QImageReader reader(&file, format);
    reader.setAutoTransform(true);
    picture = reader.read();
    if (file.wasStopped()) {
        picture = QImage();
        return Outcome::Stopped;
    }
    if (!picture.isNull())
        return Outcome::Done;
    *error = reader.errorString();
    return Outcome::Failed;
}

Outcome encodePicture(const QImage &picture, const QByteArray &format, QByteArray &encoded,
                      QString *error)
{
    StoppableBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (writer.write(picture))
        return Outcome::Done;
    if (buffer.wasStopped())
        return Outcome::Stopped;
    *error = writer.errorString();
    return Outcome::Failed;
}

Outcome writeWholeFile(const QString &fileName, const QByteArray &bytes, QString *error)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = writeFailure(fileName, file.errorString());
        return Outcome::Failed;
    }
    const effects::ProgressSpan span = effects::currentProgressSpan();
    for (qint64 written = 0; written < bytes.size();) {
        if (effects::stopRequested()) {
            file.cancelWriting();
            return Outcome::Stopped;
        }
        const qint64 piece = std::min(writePiece, qint64(bytes.size()) - written);
        if (file.write(bytes.constData() + written, piece) != piece) {
            *error = writeFailure(fileName, file.errorString());
            file.cancelWriting();
            return Outcome::Failed;
        }
        written += piece;
        effects::reportProgress(span, written, bytes.size());
    }
    // commit() misses a failure of its own final flush
    if (!file.flush()) {
        *error = writeFailure(fileName, file.errorString());
        file.cancelWriting();
        return Outcome::Failed;
    }
    if (effects::stopRequested()) {
        file.cancelWriting();
        return Outcome::Stopped;
    }
    if (!file.commit()) {
        *error = writeFailure(fileName, file.errorString());
        return Outcome::Failed;
    }
    return Outcome::Done;
}

} // namespace pictureio
