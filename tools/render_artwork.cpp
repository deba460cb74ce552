// Renders the window's artwork, as the Qt window draws it, into the files the Windows window
// embeds: PNG pictures at the screen scales it serves, the program's icon and the resource
// script listing them. The drawings stay the one source; these files are their prints.
//   render-artwork FOLDER

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QtEndian>
#include <cstdio>
#include <functional>
#include <vector>

#include "qt/artwork.h"

namespace {

namespace art = korrin::qt::artwork;

// The screen scales the Windows window picks pictures for, in percent; other scales are
// drawn from the nearest one larger.
constexpr int kScales[] = {100, 125, 150, 200};

struct Picture {
    const char* name;
    std::function<QPixmap(int percent)> draw;
};

void Put16(QByteArray& out, quint16 v) {
    v = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&v), 2);
}

void Put32(QByteArray& out, quint32 v) {
    v = qToLittleEndian(v);
    out.append(reinterpret_cast<const char*>(&v), 4);
}

// An icon file of 32-bit device-independent bitmaps, which every Windows version and Wine
// read, with an all-clear mask since the alpha channel says what shows.
QByteArray IconFile(const std::vector<QImage>& images) {
    QByteArray directory;
    QByteArray data;
    const quint32 headerSize = 6 + 16 * static_cast<quint32>(images.size());
    for (const QImage& source : images) {
        const QImage image = source.convertToFormat(QImage::Format_ARGB32);
        const int n = image.width();
        const int maskRow = ((n + 31) / 32) * 4;
        QByteArray entry;
        Put32(entry, 40);
        Put32(entry, static_cast<quint32>(n));
        Put32(entry, static_cast<quint32>(2 * n));  // colour and mask rows
        Put16(entry, 1);
        Put16(entry, 32);
        Put32(entry, 0);
        Put32(entry, static_cast<quint32>(n * n * 4 + maskRow * n));
        for (int i = 0; i < 4; ++i) Put32(entry, 0);
        for (int y = n - 1; y >= 0; --y) {
            const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < n; ++x) Put32(entry, row[x]);  // ARGB32 is BGRA in memory
        }
        entry.append(QByteArray(maskRow * n, '\0'));
        directory.append(static_cast<char>(n >= 256 ? 0 : n));
        directory.append(static_cast<char>(n >= 256 ? 0 : n));
        directory.append('\0');
        directory.append('\0');
        Put16(directory, 1);
        Put16(directory, 32);
        Put32(directory, static_cast<quint32>(entry.size()));
        Put32(directory, headerSize + static_cast<quint32>(data.size()));
        data.append(entry);
    }
    QByteArray file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, static_cast<quint16>(images.size()));
    return file + directory + data;
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render-artwork FOLDER\n");
        return 2;
    }
    // The fonts the Qt window loads, so the title reads the same in both windows.
    for (const char* font :
         {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        QFontDatabase::addApplicationFont(QString::fromLatin1(font));
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    auto icon = [](QPixmap (*draw)(int), int size) {
        return [draw, size](int percent) { return draw(size * percent / 100); };
    };
    const Picture pictures[] = {
        {"FIND", icon(art::FindIcon, 32)},
        {"PATCH", icon(art::PatchIcon, 32)},
        {"UPDATE", icon(art::UpdateIcon, 32)},
        {"EXIT", icon(art::ExitIcon, 32)},
        {"FOLDER", icon(art::FolderPicture, 16)},
        {"TITLE", [](int percent) { return art::TitlePicture(percent / 100.0); }},
    };
    QByteArray script =
        "// Made by render-artwork from the Qt window's drawings (src/qt/artwork.cpp).\n";
    for (const Picture& picture : pictures) {
        for (int percent : kScales) {
            const QString name =
                QStringLiteral("%1_%2").arg(QLatin1String(picture.name)).arg(percent);
            const QString file = name.toLower() + QStringLiteral(".png");
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            picture.draw(percent).toImage().save(&buffer, "PNG");
            if (!Write(folder.filePath(file), png)) return 1;
            script += name.toLatin1() + " RCDATA \"artwork/" + file.toLatin1() + "\"\n";
        }
    }
    std::vector<QImage> sizes;
    for (int size : {16, 20, 24, 32, 40, 48, 64}) {
        sizes.push_back(art::WindowIconPixmap(size).toImage());
    }
    if (!Write(folder.filePath(QStringLiteral("korrin-patcher.ico")), IconFile(sizes))) return 1;
    script += "1 ICON \"artwork/korrin-patcher.ico\"\n";
    return Write(folder.filePath(QStringLiteral("artwork.rc")), script) ? 0 : 1;
}
