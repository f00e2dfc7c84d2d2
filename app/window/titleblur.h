// The soft shadow behind the About window's title: a byte mask blurred from
// the text's pixels and a blend of the shadow colour into the background.
#pragma once

#include <cstdint>
#include <vector>

// `textMask` holds width*height bytes, non-zero where the shadow text covers a
// pixel (the caption drawn 1 pixel right and down). Returns the blurred mask of
// (width+2)*(height+2) cells after `passes` rounds of: set every cell whose
// pixel is covered to 255, then sweep the interior cells row by row, left to
// right, replacing each by (up+down+left+right) >> 2 in place.
std::vector<std::uint8_t> BlurShadowMask(const std::vector<std::uint8_t>& textMask,
                                         int width, int height, int passes = 4);

// Blends the shadow colour into 32-bit BGRA pixels (width*height of them) by
// the mask of BlurShadowMask: c := (c*(255-a) + s*a) >> 8 per colour channel
// where a > 0 (pixels the shadow does not reach keep the background exactly),
// alpha byte kept. `shadowRgb` is laid out as the pixels are, 0x00RRGGBB.
void BlendShadow(std::vector<std::uint32_t>& pixels, int width, int height,
                 const std::vector<std::uint8_t>& mask, std::uint32_t shadowRgb);
