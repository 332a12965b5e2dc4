// Saves the pixels of an X window, as the X server holds them, to a PNG file: the
// README's screenshots are the programs' own windows, without a frame.
//
//   glimmerix-grab WINDOW_ID OUTPUT.png       (WINDOW_ID decimal, or hex with 0x)
//   glimmerix-grab X Y WIDTH HEIGHT OUTPUT.png
//
// The second form saves an area of the screen, with whatever is on top there (an
// open menu over the window).
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
    if (argc != 3 && argc != 6) {
        std::fprintf(stderr, "usage: %s WINDOW_ID OUTPUT.png\n       %s X Y WIDTH HEIGHT OUTPUT.png\n",
                     argv[0], argv[0]);
        return 2;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "no screen\n");
        return 1;
    }
    const char *output = argv[argc - 1];
    QImage image;
    if (argc == 3) {
        bool ok = false;
        const qulonglong id = QString::fromLatin1(argv[1]).toULongLong(&ok, 0);
        if (!ok || id == 0) {
            std::fprintf(stderr, "no window %s\n", argv[1]);
            return 1;
        }
        image = screen->grabWindow(WId(id)).toImage();
    } else {
        int area[4];
        for (int i = 0; i < 4; ++i) {
            bool ok = false;
            area[i] = QString::fromLatin1(argv[i + 1]).toInt(&ok);
            if (!ok) {
                std::fprintf(stderr, "not a number: %s\n", argv[i + 1]);
                return 2;
            }
        }
        image = screen->grabWindow(0, area[0], area[1], area[2], area[3]).toImage();
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull() || !image.save(QString::fromLocal8Bit(output), "PNG")) {
        std::fprintf(stderr, "cannot grab into %s\n", output);
        return 1;
    }
    std::printf("%s %dx%d\n", output, image.width(), image.height());
    return 0;
}
