#include "ui/dpiscale.h"

#include <gtest/gtest.h>

namespace {

TEST(DpiScale, RoundsAsMulDivAndKeepsValuesAt96) {
    const struct {
        int value, dpi, expected;
    } cases[] = {
        {405, 96, 405}, {11, 96, 11}, {-2, 96, -2}, {0, 144, 0},
        {405, 120, 506},   // 506.25
        {560, 120, 700},
        {9, 120, 11},      // 11.25
        {2, 120, 3},       // 2.5: halves away from zero
        {-2, 120, -3},     // and so back again by the same distance
        {1, 144, 2},       // 1.5
        {-1, 144, -2},
        {1, 120, 1},       // 1.25
        {13, 144, 20},     // 19.5
        {405, 144, 608},   // 607.5
        {405, 192, 810},
        {11, 192, 22},
        {2147483647 / 2, 192, 2147483646},  // no overflow on the way
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " at " + std::to_string(c.dpi));
        EXPECT_EQ(c.expected, ui::ScaleToDpi(c.value, c.dpi));
    }
}

TEST(DpiScale, RenditionSizesMatchTheStoredPictures) {
    EXPECT_EQ(48, ui::RenditionSize(48, 100));
    EXPECT_EQ(72, ui::RenditionSize(48, 150));
    EXPECT_EQ(96, ui::RenditionSize(48, 200));
    EXPECT_EQ(26, ui::RenditionSize(17, 150));  // 25.5
    EXPECT_EQ(173, ui::RenditionSize(115, 150));
}

TEST(DpiScale, PicksTheSmallestRenditionAtOrAboveTheNeededSize) {
    const struct {
        int w, h, dpi, percent;
    } cases[] = {
        {48, 48, 96, 100},   {48, 48, 97, 150},  {48, 48, 120, 150}, {48, 48, 144, 150},
        {48, 48, 145, 200},  {48, 48, 192, 200}, {48, 48, 288, 200},  // nothing larger: the largest
        {20, 17, 144, 150},  {147, 110, 144, 150}, {155, 115, 168, 200},
        {48, 48, 72, 100},   // below 100 %: scaled down from 100 %
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " at " + std::to_string(c.dpi));
        EXPECT_EQ(c.percent, ui::PickRendition(c.w, c.h, c.dpi));
    }
}

}  // namespace
