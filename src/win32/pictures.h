#pragma once

// The window's pictures, as embedded in the executable (resources named after the picture and
// the screen scale it was drawn for), drawn with GDI+ at any size.

#include <windows.h>

#include <memory>
#include <string>

namespace Gdiplus {
class Bitmap;
}

namespace korrin::win32 {

class Picture {
  public:
    // The print of name (e.g. "FIND") meant for dpi: the one drawn for that scale, or else for
    // the nearest larger one, which shrinks better than a smaller one grows.
    Picture(const std::string& name, UINT dpi);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // Draws the picture into place, scaled to fit it exactly.
    void Draw(HDC dc, const RECT& place) const;

  private:
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
};

// GDI+ for the life of the program.
class PictureLibrary {
  public:
    PictureLibrary();
    ~PictureLibrary();

  private:
    ULONG_PTR token_ = 0;
};

}  // namespace korrin::win32
