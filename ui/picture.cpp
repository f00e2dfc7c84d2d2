#include "ui/picture.h"

#include <wincodec.h>
#include <shlwapi.h>

#include <cstring>
#include <utility>

#include "ui/dpiscale.h"

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
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10) /*RT_RCDATA*/);
    if (!res) return Picture();
    HGLOBAL loaded = LoadResource(module, res);  // resource memory needs no release
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return Picture();
    return FromMemory(data, SizeofResource(module, res));
}

Picture Picture::FromBitmapResource(int resourceId) {
    Picture pic;
    pic.bitmap_.reset(static_cast<HBITMAP>(LoadImageA(GetModuleHandleW(nullptr), MAKEINTRESOURCEA(resourceId),
                                                      IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP bm{};
    if (pic.bitmap_ && GetObjectA(pic.bitmap_.get(), sizeof bm, &bm)) {
        pic.width_ = bm.bmWidth;
        pic.height_ = bm.bmHeight;
    }
    pic.alpha_ = false;
    return pic;
}

Picture Picture::ForDpi(int resourceId, bool bitmap, int dpi) {
    auto load = [bitmap](int id) { return bitmap ? FromBitmapResource(id) : FromResource(id); };
    Picture base = load(resourceId);
    if (base.empty() || dpi == kBaseDpi) return base;
    const int w = ScaleToDpi(base.width_, dpi), h = ScaleToDpi(base.height_, dpi);
    const int percent = PickRendition(base.width_, base.height_, dpi);
    Picture chosen;
    if (percent == 150) chosen = load(resourceId + kRendition150Offset);
    else if (percent == 200) chosen = load(resourceId + kRendition200Offset);
    if (chosen.empty()) chosen = std::move(base);
    if (chosen.width_ == w && chosen.height_ == h) return chosen;
    Picture scaled = chosen.Scaled(w, h);
    if (scaled.empty()) return chosen;
    return scaled;
}

Picture Picture::Scaled(int w, int h) const {
    Picture pic;
    if (empty() || w <= 0 || h <= 0) return pic;
    // The source as 32-bit pixels: an alpha picture already is one; a bitmap
    // is copied into one first.
    void* srcBits = nullptr;
    base::UniqueBitmap copy;
    DIBSECTION ds{};
    if (GetObjectA(bitmap_.get(), sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBitsPixel == 32 && ds.dsBm.bmBits &&
        ds.dsBmih.biHeight < 0) {
        srcBits = ds.dsBm.bmBits;
    } else {
        copy = CreateDib32(width_, height_, &srcBits);
        if (!copy) return pic;
        base::MemoryDC dst(CreateCompatibleDC(nullptr));
        base::MemoryDC src(CreateCompatibleDC(nullptr));
        base::SelectObj selDst(dst.get(), copy.get());
        base::SelectObj selSrc(src.get(), bitmap_.get());
        BitBlt(dst.get(), 0, 0, width_, height_, src.get(), 0, 0, SRCCOPY);
        GdiFlush();
    }
    base::ComPtr<IWICImagingFactory> factory;
    if (!CreateFactory(factory)) return pic;
    const UINT stride = static_cast<UINT>(width_) * 4;
    base::ComPtr<IWICBitmap> source;
    if (FAILED(factory->CreateBitmapFromMemory(static_cast<UINT>(width_), static_cast<UINT>(height_),
                                               alpha_ ? GUID_WICPixelFormat32bppPBGRA : GUID_WICPixelFormat32bppBGR,
                                               stride, stride * static_cast<UINT>(height_),
                                               static_cast<BYTE*>(srcBits), source.put())))
        return pic;
    base::ComPtr<IWICBitmapScaler> scaler;
    if (FAILED(factory->CreateBitmapScaler(scaler.put()))) return pic;
    // High-quality cubic where the system has it (Windows 10 on), else Fant.
    const auto kHighQualityCubic = static_cast<WICBitmapInterpolationMode>(4);
    if (FAILED(scaler->Initialize(source.get(), static_cast<UINT>(w), static_cast<UINT>(h), kHighQualityCubic)) &&
        FAILED(scaler->Initialize(source.get(), static_cast<UINT>(w), static_cast<UINT>(h),
                                  WICBitmapInterpolationModeFant)))
        return pic;
    void* bits = nullptr;
    base::UniqueBitmap bmp = CreateDib32(w, h, &bits);
    if (!bmp) return pic;
    const UINT outStride = static_cast<UINT>(w) * 4;
    if (FAILED(scaler->CopyPixels(nullptr, outStride, outStride * static_cast<UINT>(h), static_cast<BYTE*>(bits))))
        return pic;
    pic.bitmap_ = std::move(bmp);
    pic.width_ = w;
    pic.height_ = h;
    pic.alpha_ = alpha_;
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
