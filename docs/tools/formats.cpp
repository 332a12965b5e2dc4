// Prints the image formats that Qt reads and writes on this machine, as the README's
// list: one line for reading and one for writing, with the file-name suffixes that
// select each format.
//
//   glimmerix-formats

#include <QByteArray>
#include <QCoreApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QList>
#include <QStringList>

#include <cstdio>

namespace {

QString joined(const QList<QByteArray> &formats)
{
    QStringList names;
    for (const QByteArray &format : formats)
        names << QString("`.%1`").arg(QString::fromLatin1(format));
    return names.join(", ");
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::printf("- read: %s;\n", qPrintable(joined(QImageReader::supportedImageFormats())));
    std::printf("- written: %s.\n", qPrintable(joined(QImageWriter::supportedImageFormats())));
    return 0;
}
