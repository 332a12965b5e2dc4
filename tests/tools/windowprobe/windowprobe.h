#ifndef GLIMMERIX_TESTS_WINDOWPROBE_H
#define GLIMMERIX_TESTS_WINDOWPROBE_H

// Runs a program as a child process on the offscreen platform with the windowprobe
// plugin loaded, which describes the program's windows and then closes them. The texts
// that describe sizes and pixmaps are made here, for the plugin and the tests alike.

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QMap>
#include <QPixmap>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

namespace windowprobe {

inline QString sizeText(const QSize &size)
{
    return QString::number(size.width()) + QLatin1Char('x') + QString::number(size.height());
}

// "null" for a null picture, otherwise its size and a hash of its pixels in RGB32.
inline QString imageText(const QImage &picture)
{
    if (picture.isNull())
        return QStringLiteral("null");
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int y = 0; y < rgb.height(); ++y) {
        hash.addData(QByteArrayView(reinterpret_cast<const char *>(rgb.constScanLine(y)),
                                    qsizetype(rgb.width()) * 4));
    }
    return sizeText(rgb.size()) + QLatin1Char(':') + QString::fromLatin1(hash.result().toHex());
}

inline QString pixmapText(const QPixmap &pixmap)
{
    return pixmap.isNull() ? QStringLiteral("null") : imageText(pixmap.toImage());
}

#ifdef WINDOWPROBE_PLUGIN_DIR
using Window = QMap<QString, QString>;

struct Run
{
    bool finished = false;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    QList<Window> windows;
    QString errorOutput;
};

// Starts the program in the given working directory with the given arguments (none by
// default), waits until the probe has closed its windows and the program has ended, and
// collects the descriptions.
inline Run runAndClose(const QString &program, const QString &workingDirectory,
                       const QStringList &arguments = QStringList())
{
    QDir pluginRoot(QStringLiteral(WINDOWPROBE_PLUGIN_DIR));
    pluginRoot.cdUp();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("windowprobe"));
    environment.insert(QStringLiteral("QT_PLUGIN_PATH"), pluginRoot.absolutePath());

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);

    Run run;
    // Only a guard against a program that never closes; the probe closes at once.
    run.finished = process.waitForFinished(60000);
    if (!run.finished) {
        run.errorOutput = process.errorString() + QLatin1Char('\n');
        process.kill();
        process.waitForFinished();
    }
    run.exitStatus = process.exitStatus();
    run.exitCode = process.exitCode();
    run.errorOutput += QString::fromLocal8Bit(process.readAllStandardError());
    const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        QStringList fields = line.split(QLatin1Char('\t'));
        if (fields.takeFirst() != QLatin1String("window"))
            continue;
        Window window;
        for (const QString &field : std::as_const(fields)) {
            const qsizetype equals = field.indexOf(QLatin1Char('='));
            window.insert(field.left(equals), field.mid(equals + 1));
        }
        run.windows.append(window);
    }
    return run;
}
#endif

} // namespace windowprobe

#endif // GLIMMERIX_TESTS_WINDOWPROBE_H
