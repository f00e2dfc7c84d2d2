// The shadow behind the About window's title: the blurred mask and the blend.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/window/titleblur.h"

namespace {

using Mask = std::vector<std::uint8_t>;

// The interior cells of a mask (the label's pixels), row by row.
Mask Interior(const Mask& mask, int width, int height) {
    Mask inner;
    for (int y = 1; y <= height; ++y) {
        for (int x = 1; x <= width; ++x) inner.push_back(mask[static_cast<std::size_t>(y * (width + 2) + x)]);
    }
    return inner;
}

// A 3 x 3 label whose middle pixel alone is covered. Cells are (x, y) of the
// 5 x 5 mask; the sweep runs row by row, left to right, each cell taking
// (up + down + left + right) >> 2 with the cells before it already replaced.
//
// Pass 1, after (2,2) := 255:
//   (1,1) = (0 + 0 + 0 + 0) >> 2       = 0
//   (2,1) = (0 + 255 + 0 + 0) >> 2     = 63
//   (3,1) = (0 + 0 + 63 + 0) >> 2      = 15
//   (1,2) = (0 + 0 + 0 + 255) >> 2     = 63
//   (2,2) = (63 + 0 + 63 + 0) >> 2     = 31
//   (3,2) = (15 + 0 + 31 + 0) >> 2     = 11
//   (1,3) = (63 + 0 + 0 + 0) >> 2      = 15
//   (2,3) = (31 + 0 + 15 + 0) >> 2     = 11
//   (3,3) = (11 + 0 + 11 + 0) >> 2     = 5
// Pass 2, after (2,2) := 255 again:
//   (1,1) = (0 + 63 + 0 + 63) >> 2     = 31
//   (2,1) = (0 + 255 + 31 + 15) >> 2   = 75
//   (3,1) = (0 + 11 + 75 + 0) >> 2     = 21
//   (1,2) = (31 + 15 + 0 + 255) >> 2   = 75
//   (2,2) = (75 + 11 + 75 + 11) >> 2   = 43
//   (3,2) = (21 + 5 + 43 + 0) >> 2     = 17
//   (1,3) = (75 + 0 + 0 + 11) >> 2     = 21
//   (2,3) = (43 + 0 + 21 + 5) >> 2     = 17
//   (3,3) = (17 + 0 + 17 + 0) >> 2     = 8
TEST(TitleBlurMask, SinglePixelByHand) {
    const Mask text = {0, 0, 0, 0, 255, 0, 0, 0, 0};
    const Mask afterOne = BlurShadowMask(text, 3, 3, 1);
    ASSERT_EQ(afterOne.size(), 25u);
    EXPECT_EQ(Interior(afterOne, 3, 3), (Mask{0, 63, 15, 63, 31, 11, 15, 11, 5}));
    const Mask afterTwo = BlurShadowMask(text, 3, 3, 2);
    EXPECT_EQ(Interior(afterTwo, 3, 3), (Mask{31, 75, 21, 75, 43, 17, 21, 17, 8}));
}

TEST(TitleBlurMask, AnyNonZeroByteCovers) {
    EXPECT_EQ(BlurShadowMask({0, 0, 0, 0, 1, 0, 0, 0, 0}, 3, 3, 2),
              BlurShadowMask({0, 0, 0, 0, 255, 0, 0, 0, 0}, 3, 3, 2));
}

TEST(TitleBlurMask, DefaultIsFourPasses) {
    const Mask text = {0, 1, 1, 0, 1, 0, 0, 0, 1, 1, 0, 0};
    EXPECT_EQ(BlurShadowMask(text, 4, 3), BlurShadowMask(text, 4, 3, 4));
    EXPECT_NE(BlurShadowMask(text, 4, 3), BlurShadowMask(text, 4, 3, 3));
}

TEST(TitleBlurMask, NoPassesLeavesTheMaskEmpty) {
    EXPECT_EQ(BlurShadowMask(Mask(6, 1), 3, 2, 0), Mask(20, 0));
}

TEST(TitleBlurMask, BorderStaysZeroAndSizeIsPadded) {
    const int width = 5;
    const int height = 4;
    const Mask mask = BlurShadowMask(Mask(width * height, 1), width, height);
    ASSERT_EQ(mask.size(), static_cast<std::size_t>((width + 2) * (height + 2)));
    for (int y = 0; y < height + 2; ++y) {
        for (int x = 0; x < width + 2; ++x) {
            const bool border = x == 0 || y == 0 || x == width + 1 || y == height + 1;
            const std::uint8_t cell = mask[static_cast<std::size_t>(y * (width + 2) + x)];
            if (border) {
                EXPECT_EQ(cell, 0) << x << "," << y;
            } else {
                EXPECT_GT(cell, 0) << x << "," << y;
            }
        }
    }
}

// The sweep's order is the same under transposition (the up and left cells are
// the replaced ones), so a text symmetric about the diagonal keeps a symmetric
// mask; mirrored left to right it does not.
TEST(TitleBlurMask, SweepOrderShowsInTheShape) {
    const int n = 4;
    const Mask text = {1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1};
    const Mask mask = Interior(BlurShadowMask(text, n, n), n, n);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < y; ++x) {
            EXPECT_EQ(mask[static_cast<std::size_t>(y * n + x)],
                      mask[static_cast<std::size_t>(x * n + y)])
                << x << "," << y;
        }
    }
    const Mask line = Interior(BlurShadowMask({0, 1, 0}, 3, 1, 1), 3, 1);
    // One row, middle covered: (1,1) = 255 >> 2 = 63; the covered (2,1) is then
    // replaced by 63 >> 2 = 15, and (3,1) = 15 >> 2 = 3. Only the right side
    // sees the replaced cells.
    EXPECT_EQ(line, (Mask{63, 15, 3}));
}

TEST(TitleBlurMask, DegenerateSizes) {
    EXPECT_EQ(BlurShadowMask({}, 0, 0), Mask(4, 0));
    EXPECT_EQ(BlurShadowMask({1}, 1, 1), Mask(9, 0));
    EXPECT_TRUE(BlurShadowMask({}, -1, 3).empty());
}

struct BlendCase {
    std::uint32_t pixel;
    std::uint8_t a;
    std::uint32_t shadow;
    std::uint32_t expected;
};

// One pixel, c := (c * (255 - a) + s * a) >> 8 per colour channel.
TEST(TitleBlurBlend, OnePixelByHand) {
    const BlendCase cases[] = {
        // a = 0 leaves the background exactly as it was.
        {0xFFC0DCC0u, 0, 0x000000u, 0xFFC0DCC0u},
        // a = 1 already blends: 192 * 254 >> 8 = 190, 220 * 254 >> 8 = 218.
        {0xFFC0DCC0u, 1, 0x000000u, 0xFFBEDABEu},
        {0xFFC0DCC0u, 255, 0x000000u, 0xFF000000u},
        // s * 255 >> 8: 255 -> 254, 128 -> 127, 64 -> 63; alpha kept.
        {0x12345678u, 255, 0xFF8040u, 0x12FE7F3Fu},
        // 200 * 127 >> 8 = 99.
        {0x00C8C8C8u, 128, 0x000000u, 0x00636363u},
        // 255 * 128 >> 8 = 127.
        {0x00000000u, 128, 0xFFFFFFu, 0x007F7F7Fu},
        // R: (16*191 + 240*64) >> 8 = 71; G: (32*191 + 224*64) >> 8 = 79;
        // B: (48*191 + 208*64) >> 8 = 87.
        {0x00102030u, 64, 0xF0E0D0u, 0x00474F57u},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.pixel << " a=" << std::dec << int(c.a));
        std::vector<std::uint32_t> pixels = {c.pixel};
        Mask mask(9, 0);
        mask[4] = c.a;
        BlendShadow(pixels, 1, 1, mask, c.shadow);
        EXPECT_EQ(pixels[0], c.expected);
    }
}

TEST(TitleBlurBlend, PixelTakesTheCellOffsetByOne) {
    // 2 x 1 label, 4 x 3 mask: pixel (1, 0) is cell (2, 1), index 1 * 4 + 2.
    std::vector<std::uint32_t> pixels = {0x00000000u, 0x00000000u};
    Mask mask(12, 0);
    mask[6] = 255;
    BlendShadow(pixels, 2, 1, mask, 0xFFFFFFu);
    EXPECT_EQ(pixels, (std::vector<std::uint32_t>{0x00000000u, 0x00FEFEFEu}));
}

}  // namespace
