// Pictures: PNG images with alpha decoded by the platform's imaging component
// (WIC) into premultiplied 32-bit bitmaps.
#pragma once

#include <windows.h>

#include "base/handles.h"

namespace ui {

// A 32-bit top-down DIB section of w x h pixels; *bits points at its first
// row. Empty (and *bits null) on failure.
base::UniqueBitmap CreateDib32(int w, int h, void** bits);

// A decoded picture: a top-down 32-bit premultiplied BGRA DIB section.
// A picture's renditions at 150 % and 200 % of its size are stored under its
// own resource id plus these offsets.
constexpr int kRendition150Offset = 1000;
constexpr int kRendition200Offset = 2000;

class Picture {
public:
    Picture() = default;
    // Decodes the PNG stored as an RCDATA resource of this module; an empty
    // picture when the resource is missing or cannot be decoded.
    static Picture FromResource(int resourceId);
    static Picture FromMemory(const void* data, size_t size);
    // A BITMAP resource of this module, drawn without alpha.
    static Picture FromBitmapResource(int resourceId);
    // The picture `resourceId` (a PNG, or a BITMAP when `bitmap`) for a window
    // at `dpi`: its size at 100 % scaled to the dpi, taken from the stored
    // rendition (100, 150 or 200 %, see resource.h) nearest at or above that
    // size and scaled down with high quality where it is larger. At 96 dpi the
    // 100 % picture itself.
    static Picture ForDpi(int resourceId, bool bitmap, int dpi);

    // A copy resampled to w x h with the imaging component's high-quality
    // filter; empty on failure.
    Picture Scaled(int w, int h) const;

    bool empty() const { return !bitmap_.valid(); }
    int width() const { return width_; }
    int height() const { return height_; }
    HBITMAP bitmap() const { return bitmap_.get(); }
    bool alpha() const { return alpha_; }
    // Draws the picture with its alpha over what the DC already shows,
    // stretched to w x h.
    void Draw(HDC dc, int x, int y, int w, int h) const;
    void Draw(HDC dc, int x, int y) const { Draw(dc, x, y, width_, height_); }

private:
    base::UniqueBitmap bitmap_;
    int width_ = 0;
    int height_ = 0;
    bool alpha_ = true;
};


}  // namespace ui
