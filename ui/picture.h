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
class Picture {
public:
    Picture() = default;
    // Decodes the PNG stored as an RCDATA resource of this module; an empty
    // picture when the resource is missing or cannot be decoded.
    static Picture FromResource(int resourceId);
    static Picture FromMemory(const void* data, size_t size);
    // A BITMAP resource of this module, drawn without alpha.
    static Picture FromBitmapResource(int resourceId);

    bool empty() const { return !bitmap_.valid(); }
    int width() const { return width_; }
    int height() const { return height_; }
    HBITMAP bitmap() const { return bitmap_.get(); }
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
