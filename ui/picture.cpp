#include "ui/picture.h"

#include <wincodec.h>
#include <shlwapi.h>

#include <cstring>

namespace ui {

namespace {

IWICImagingFactory* CreateFactory(base::ComPtr<IWICImagingFactory>& factory) {
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                     IID_IWICImagingFactory, factory.put_void());
    return factory.get();
}

}  // namespace

base::UniqueBitmap CreateDib32(int w, int h, void** bits) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    base::UniqueBitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, bits, nullptr, 0));
    if (!*bits) bmp.reset();
    return bmp;
}

Picture Picture::FromMemory(const void* data, size_t size) {
    Picture pic;
    base::ComPtr<IWICImagingFactory> factory;
    if (!CreateFactory(factory)) return pic;
    base::ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.put()))) return pic;
    if (FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)),
                                            static_cast<DWORD>(size))))
        return pic;
    base::ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.put())))
        return pic;
    base::ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put()))) return pic;
    base::ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put()))) return pic;
    if (FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return pic;
    UINT w = 0, h = 0;
    if (FAILED(converter->GetSize(&w, &h)) || w == 0 || h == 0) return pic;

    void* bits = nullptr;
    // Top-down, as WIC delivers the rows.
    base::UniqueBitmap bmp = CreateDib32(static_cast<int>(w), static_cast<int>(h), &bits);
    if (!bmp || !bits) return pic;
    if (FAILED(converter->CopyPixels(nullptr, w * 4, w * h * 4, static_cast<BYTE*>(bits))))
        return pic;
    pic.bitmap_ = std::move(bmp);
    pic.width_ = static_cast<int>(w);
    pic.height_ = static_cast<int>(h);
    return pic;
}

Picture Picture::FromResource(int resourceId) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10) /*RT_RCDATA*/);
    if (!res) return Picture();
    HGLOBAL loaded = LoadResource(module, res);  // resource memory needs no release
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return Picture();
    return FromMemory(data, SizeofResource(module, res));
}

Picture Picture::FromBitmapResource(int resourceId) {
    Picture pic;
    pic.bitmap_.reset(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP bm{};
    if (pic.bitmap_ && GetObjectA(pic.bitmap_.get(), sizeof bm, &bm)) {
        pic.width_ = bm.bmWidth;
        pic.height_ = bm.bmHeight;
    }
    pic.alpha_ = false;
    return pic;
}

void Picture::Draw(HDC dc, int x, int y, int w, int h) const {
    if (empty()) return;
    base::MemoryDC mem(CreateCompatibleDC(dc));
    if (!mem) return;
    base::SelectObj sel(mem.get(), bitmap_.get());
    if (!alpha_) {
        StretchBlt(dc, x, y, w, h, mem.get(), 0, 0, width_, height_, SRCCOPY);
        return;
    }
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, x, y, w, h, mem.get(), 0, 0, width_, height_, blend);
}

}  // namespace ui
