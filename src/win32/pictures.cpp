#include "win32/pictures.h"

#include <objidl.h>
#include <shlwapi.h>
// GDI+ expects min and max, which windows.h gives only without NOMINMAX.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include "win32/wide.h"

namespace korrin::win32 {

Picture::Picture(const std::string& name, UINT dpi) {
    int chosen = 200;
    for (int percent : {100, 125, 150, 200}) {
        if (percent * 96 >= static_cast<int>(dpi) * 100) {
            chosen = percent;
            break;
        }
    }
    const std::wstring resource = Wide(name + "_" + std::to_string(chosen));
    HRSRC found = FindResourceW(nullptr, resource.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (found == nullptr) return;
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    IStream* stream = SHCreateMemStream(bytes, SizeofResource(nullptr, found));
    if (stream == nullptr) return;
    bitmap_.reset(Gdiplus::Bitmap::FromStream(stream));
    stream->Release();
    if (bitmap_ && bitmap_->GetLastStatus() != Gdiplus::Ok) bitmap_.reset();
}

Picture::~Picture() = default;

void Picture::Draw(HDC dc, const RECT& place) const {
    if (!bitmap_) return;
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(bitmap_.get(), Gdiplus::Rect(place.left, place.top, place.right - place.left,
                                                    place.bottom - place.top));
}

PictureLibrary::PictureLibrary() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

PictureLibrary::~PictureLibrary() {
    Gdiplus::GdiplusShutdown(token_);
}

}  // namespace korrin::win32
