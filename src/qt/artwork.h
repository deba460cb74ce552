#pragma once

// The tool's own artwork, drawn in code so that it is crisp at every size and needs no files.

#include <QIcon>
#include <QPixmap>

namespace korrin::qt::artwork {

QPixmap FindIcon();       // a page with a magnifying glass, 32 x 32
QPixmap PatchIcon();      // a page showing the digits 01, 32 x 32
QPixmap UpdateIcon();     // a page with a globe, 32 x 32
QPixmap ExitIcon();       // a page with a red tick, 32 x 32
QPixmap TitlePicture();   // the Find tab's title picture, 220 x 173
QPixmap FolderPicture();  // an open folder, 16 x 16
QIcon WindowIcon();       // 16 x 16 and 32 x 32
// The window icon drawn at size x size, for the desktop's icon theme.
QPixmap WindowIconPixmap(int size);

}  // namespace korrin::qt::artwork
