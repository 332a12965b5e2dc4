// Build-time helper for the editor's desktop entry.
//
//   glimmerix_desktopentry                    prints the MIME types, one a line
//   glimmerix_desktopentry TEMPLATE OUTPUT    writes TEMPLATE to OUTPUT with
//                                             @GLIMMERIX_MIME_TYPES@ replaced by them
//
// The MIME types are those of the images the editor can open: it reads through
// QImageReader, so they are what QImageReader::supportedMimeTypes() reports with the
// image plugins installed here. The desktop only matches a file to an entry through
// the shared MIME database, so a name that database does not know (Qt calls MNG
// image/x-mng, the database video/x-mng) is left out, an alias is replaced by the
// database's own name, and only image/ types are kept.
//
// OUTPUT is rewritten only when its contents change, so that running this on every
// build does not make the install step copy the entry again.

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <QMimeDatabase>
#include <QMimeType>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>

namespace {

QStringList readableImageMimeTypes()
{
    const QMimeDatabase database;
    QStringList names;
    for (const QByteArray &reported : QImageReader::supportedMimeTypes()) {
        const QMimeType type = database.mimeTypeForName(QString::fromLatin1(reported));
        if (!type.isValid() || !type.name().startsWith(QLatin1String("image/")))
            continue;
        names.append(type.name());
    }
    names.sort();
    names.removeDuplicates();
    return names;
}

int fail(const QString &message)
{
    std::fprintf(stderr, "glimmerix_desktopentry: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // A core application is enough for QImageReader to find the image plugins.
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty() && arguments.size() != 2)
        return fail("usage: glimmerix_desktopentry [TEMPLATE OUTPUT]");

    const QStringList types = readableImageMimeTypes();
    if (types.isEmpty())
        return fail("Qt reports no image type that it can read");

    if (arguments.isEmpty()) {
        for (const QString &type : types)
            std::printf("%s\n", qPrintable(type));
        return 0;
    }

    const QString &templatePath = arguments.at(0);
    const QString &outputPath = arguments.at(1);
    QFile templateFile(templatePath);
    if (!templateFile.open(QIODevice::ReadOnly))
        return fail(QString("cannot read %1: %2").arg(templatePath, templateFile.errorString()));
    QByteArray entry = templateFile.readAll();

    const QByteArray placeholder = "@GLIMMERIX_MIME_TYPES@";
    if (entry.count(placeholder) != 1)
        return fail(QString("%1 must hold %2 exactly once")
                        .arg(templatePath, QString::fromLatin1(placeholder)));
    // A desktop entry's list ends every item with a semicolon.
    entry.replace(placeholder, (types.join(';') + ';').toLatin1());

    QFile existing(outputPath);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == entry)
        return 0;
    existing.close();

    QSaveFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly) || output.write(entry) != entry.size()
        || !output.commit())
        return fail(QString("cannot write %1: %2").arg(outputPath, output.errorString()));
    return 0;
}
