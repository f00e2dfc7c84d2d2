#include "ui/dpiscale.h"

#include <cstdint>

namespace ui {

int ScaleToDpi(int value, int dpi) {
    if (dpi <= 0) return value;
    const std::int64_t product = static_cast<std::int64_t>(value) * dpi;
    const std::int64_t half = kBaseDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : (product - half) / kBaseDpi);
}

int RenditionSize(int baseSize, int percent) {
    return static_cast<int>((static_cast<std::int64_t>(baseSize) * percent * 2 + 100) / 200);
}

int PickRendition(int baseWidth, int baseHeight, int dpi) {
    const int needW = ScaleToDpi(baseWidth, dpi), needH = ScaleToDpi(baseHeight, dpi);
    for (int percent : kRenditionScales) {
        if (RenditionSize(baseWidth, percent) >= needW && RenditionSize(baseHeight, percent) >= needH)
            return percent;
    }
    return kRenditionScales[sizeof kRenditionScales / sizeof kRenditionScales[0] - 1];
}

}  // namespace ui
