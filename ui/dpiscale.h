// Display-scale arithmetic that needs no operating system: layout values are
// given at 96 dots per inch and scaled to a window's dpi, and a picture stored
// at several scales is picked for the size a dpi needs.
#pragma once

namespace ui {

// The dpi at which every layout value is given (100 % display scale).
constexpr int kBaseDpi = 96;

// value * dpi / 96, rounded to the nearest integer with halves away from zero,
// as the system's MulDiv does. At 96 dpi the value itself.
int ScaleToDpi(int value, int dpi);

// The scales (in per cent) at which every picture is stored, smallest first.
constexpr int kRenditionScales[] = {100, 150, 200};

// The size of a rendition stored at `percent` of a picture that is
// `baseSize` pixels at 100 %: baseSize * percent / 100, halves rounded up.
int RenditionSize(int baseSize, int percent);

// The stored scale to draw a picture of `baseWidth` x `baseHeight` (at 100 %)
// from at `dpi`: the smallest rendition at least as large in both directions
// as the picture scaled to that dpi, else the largest one.
int PickRendition(int baseWidth, int baseHeight, int dpi);

}  // namespace ui
