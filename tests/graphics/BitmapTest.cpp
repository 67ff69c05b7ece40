#include "graphics/LICE_Bitmap.h"

#include <gtest/gtest.h>

namespace
{

struct SpanCase
{
    int width;
    int height;
    int rowSpan;
};

class RowSpanTable : public ::testing::TestWithParam<SpanCase>
{
};

TEST_P(RowSpanTable, RowsAreWidthRoundedUpToFourPixels)
{
    const SpanCase& c = GetParam();
    LICE_SysBitmap bitmap(c.width, c.height);
    EXPECT_EQ(bitmap.Width(), c.width);
    EXPECT_EQ(bitmap.Height(), c.height);
    EXPECT_EQ(bitmap.RowSpan(), c.rowSpan);
    EXPECT_FALSE(bitmap.IsFlipped());
    ASSERT_NE(bitmap.Bits(), nullptr);
    // The last pixel of the last row is addressable and starts cleared.
    const LICE_pixel* last = bitmap.Bits() + (c.height - 1) * c.rowSpan + c.rowSpan - 1;
    EXPECT_EQ(*last, 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, RowSpanTable,
                         ::testing::Values(SpanCase{800, 600, 800}, SpanCase{801, 600, 804},
                                           SpanCase{1, 1, 4}, SpanCase{803, 2, 804},
                                           SpanCase{804, 2, 804}));

TEST(BitmapTest, RowsOf801PixelsAre3216BytesApart)
{
    LICE_SysBitmap bitmap(801, 600);
    const auto* row0 = reinterpret_cast<const unsigned char*>(bitmap.Bits());
    const auto* row1 = reinterpret_cast<const unsigned char*>(bitmap.Bits() + bitmap.RowSpan());
    EXPECT_EQ(row1 - row0, 3216);
}

TEST(BitmapTest, ShrinkAndGrowBackKeepAllocation)
{
    LICE_SysBitmap bitmap(800, 600);
    LICE_pixel* memory = bitmap.Bits();
    memory[0] = 0x123456u;
    EXPECT_TRUE(bitmap.Resize(400, 300));
    EXPECT_EQ(bitmap.Width(), 400);
    EXPECT_EQ(bitmap.RowSpan(), 800);
    EXPECT_EQ(bitmap.Bits(), memory);
    EXPECT_TRUE(bitmap.Resize(800, 600));
    EXPECT_EQ(bitmap.Bits(), memory);
    EXPECT_EQ(bitmap.Bits()[0], 0x123456u);
}

TEST(BitmapTest, GrowingBeyondAllocationReallocates)
{
    LICE_SysBitmap bitmap(100, 100);
    EXPECT_TRUE(bitmap.Resize(101, 100));
    EXPECT_EQ(bitmap.RowSpan(), 104);
    ASSERT_NE(bitmap.Bits(), nullptr);
    EXPECT_TRUE(bitmap.Resize(100, 101));
    EXPECT_EQ(bitmap.RowSpan(), 100);
}

TEST(BitmapTest, SameSizeReturnsFalseAndChangesNothing)
{
    LICE_SysBitmap bitmap(800, 600);
    LICE_pixel* memory = bitmap.Bits();
    EXPECT_FALSE(bitmap.Resize(800, 600));
    EXPECT_EQ(bitmap.Bits(), memory);
    EXPECT_EQ(bitmap.RowSpan(), 800);
}

TEST(BitmapTest, ZeroOrNegativeSizeReleases)
{
    LICE_SysBitmap bitmap(800, 600);
    EXPECT_FALSE(bitmap.Resize(0, 0));
    EXPECT_EQ(bitmap.Bits(), nullptr);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_FALSE(bitmap.Resize(-8, 10));
    EXPECT_EQ(bitmap.Bits(), nullptr);
    EXPECT_EQ(bitmap.Extended(1, nullptr), nullptr);
}

TEST(BitmapTest, OversizedBitmapIsReportedAsFailure)
{
    LICE_SysBitmap bitmap(16, 16);
    EXPECT_FALSE(bitmap.Resize(40000, 40000));
    EXPECT_EQ(bitmap.Bits(), nullptr);
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Height(), 0);
    EXPECT_TRUE(bitmap.Resize(8, 8));
    EXPECT_NE(bitmap.Bits(), nullptr);
}

TEST(BitmapTest, NegativeSizeWithinAllocationIsRefused)
{
    LICE_SysBitmap bitmap(800, 600);
    EXPECT_FALSE(bitmap.Resize(-5, 100));
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_EQ(bitmap.Bits(), nullptr);
}

} // namespace
