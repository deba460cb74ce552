#pragma once

// The tool's own artwork, drawn in code so that it is crisp at every size and needs no files.
// It is the one source of the pictures: the Windows window shows renderings of these drawings
// (tools/render_artwork.cpp), since Qt is not to be had there.

#include <QIcon>
#include <QPixmap>

namespace korrin::qt::artwork {

// The header icons are 32 x 32 and the folder picture 16 x 16 at 96 dots per inch; a size
// draws the same picture for a denser screen.
QPixmap FindIcon(int size = 32);       // a page with a magnifying glass
QPixmap PatchIcon(int size = 32);      // a page showing the digits 01
QPixmap UpdateIcon(int size = 32);     // a page with a globe
QPixmap ExitIcon(int size = 32);       // a page with a red tick
QPixmap FolderPicture(int size = 16);  // an open folder
// The Find tab's title picture, 220 x 173 times scale.
QPixmap TitlePicture(double scale = 1.0);
QIcon WindowIcon();  // 16 x 16 and 32 x 32
// The window icon drawn at size x size, for the desktop's icon theme and the Windows program.
QPixmap WindowIconPixmap(int size);

}  // namespace korrin::qt::artwork
