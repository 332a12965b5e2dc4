#ifndef GLIMMERIX_PICTUREIO_H
#define GLIMMERIX_PICTUREIO_H

#include <QByteArray>
#include <QImage>
#include <QString>

// Reading and writing picture files, on whatever thread calls them. They report
// how far they have come into the calling thread's progress span and stop when it
// is asked to stop (see effects::ProgressScope): a stopped read leaves the picture
// unread, a stopped write leaves the file as it was.
namespace pictureio {

enum class Outcome { Done, Failed, Stopped };

// Reads a picture upright: a photo's orientation tag is applied. A file without
// one reads exactly as QImageReader reads its name. On failure *error says why.
Outcome readPicture(const QString &fileName, QImage &picture, QString *error);

// Encodes a picture in memory in the writer format `format`, at the writer's
// default quality. On failure *error gives the writer's reason.
Outcome encodePicture(const QImage &picture, const QByteArray &format, QByteArray &encoded,
                      QString *error);

// Writes bytes as the whole new content of a file, through a temporary file that
// replaces it only once complete: a failed or stopped write leaves the old file
// as it was and no temporary file behind. *error names the file and the reason.
Outcome writeWholeFile(const QString &fileName, const QByteArray &bytes, QString *error);

} // namespace pictureio

#endif
