// Renders the window icon as the PNG files of a hicolor icon theme, so that the desktop menu
// shows the same artwork as the window:
//   render-icons OUTPUT_DIR NAME SIZE...   writes OUTPUT_DIR/SIZExSIZE/apps/NAME.png

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

#include "qt/artwork.h"

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: render-icons OUTPUT_DIR NAME SIZE...\n");
        return 2;
    }
    // A build machine has no display; drawing into pixmaps needs none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(output).arg(size);
        if (size <= 0 || !QDir().mkpath(folder) ||
            !korrin::qt::artwork::WindowIconPixmap(size).save(folder + "/" + name + ".png",
                                                              "PNG")) {
            std::fprintf(stderr, "render-icons: cannot write the %s icon into %s\n", argv[i],
                         qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
