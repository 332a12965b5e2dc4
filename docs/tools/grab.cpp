// Saves the pixels of an X window, as the X server holds them, to a PNG file: the
// README's screenshots are the programs' own windows, without a frame.
//
//   glimmerix-grab WINDOW_ID OUTPUT.png       (WINDOW_ID decimal, or hex with 0x)
//
// Runs on the xcb platform (under Xvfb in docs/generate.sh).

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QString>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s WINDOW_ID OUTPUT.png\n", argv[0]);
        return 2;
    }
    bool ok = false;
    const qulonglong id = QString::fromLatin1(argv[1]).toULongLong(&ok, 0);
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!ok || id == 0 || !screen) {
        std::fprintf(stderr, "no window %s, or no screen\n", argv[1]);
        return 1;
    }
    const QImage image = screen->grabWindow(WId(id)).toImage().convertToFormat(QImage::Format_RGB32);
    if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot grab window %s into %s\n", argv[1], argv[2]);
        return 1;
    }
    std::printf("%s %dx%d\n", argv[2], image.width(), image.height());
    return 0;
}
