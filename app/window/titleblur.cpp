#include "app/window/titleblur.h"

#include <cstddef>

std::vector<std::uint8_t> BlurShadowMask(const std::vector<std::uint8_t>& textMask,
                                         int width, int height, int passes) {
    if (width < 0 || height < 0) return {};
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t h = static_cast<std::size_t>(height);
    const std::size_t stride = w + 2;
    std::vector<std::uint8_t> mask(stride * (h + 2), 0);
    if (textMask.size() < w * h) return mask;

    for (int pass = 0; pass < passes; ++pass) {
        for (std::size_t y = 0; y < h; ++y) {
            for (std::size_t x = 0; x < w; ++x) {
                if (textMask[y * w + x] != 0) mask[(y + 1) * stride + x + 1] = 255;
            }
        }
        // In place: cells already replaced in this sweep feed the ones after
        // them, which pulls the shadow down and to the right.
        for (std::size_t y = 1; y <= h; ++y) {
            for (std::size_t x = 1; x <= w; ++x) {
                const std::size_t i = y * stride + x;
                const unsigned sum = mask[i - stride] + mask[i + stride] + mask[i - 1] + mask[i + 1];
                mask[i] = static_cast<std::uint8_t>(sum >> 2);
            }
        }
    }
    return mask;
}

void BlendShadow(std::vector<std::uint32_t>& pixels, int width, int height,
                 const std::vector<std::uint8_t>& mask, std::uint32_t shadowRgb) {
    if (width <= 0 || height <= 0) return;
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t h = static_cast<std::size_t>(height);
    const std::size_t stride = w + 2;
    if (pixels.size() < w * h || mask.size() < stride * (h + 2)) return;

    for (std::size_t y = 0; y < h; ++y) {
        for (std::size_t x = 0; x < w; ++x) {
            const std::uint32_t a = mask[(y + 1) * stride + x + 1];
            // Uncovered pixels keep the background exactly: the blend alone
            // would take one level off each channel and leave a visible box.
            if (a == 0) continue;
            std::uint32_t& pixel = pixels[y * w + x];
            std::uint32_t result = pixel & 0xFF000000u;
            for (int shift = 0; shift <= 16; shift += 8) {
                const std::uint32_t c = (pixel >> shift) & 0xFFu;
                const std::uint32_t s = (shadowRgb >> shift) & 0xFFu;
                result |= ((c * (255 - a) + s * a) >> 8) << shift;
            }
            pixel = result;
        }
    }
}
