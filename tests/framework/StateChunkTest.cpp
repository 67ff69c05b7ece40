#include "framework/StateChunk.h"

#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace
{

TEST(StateChunk, ValuesAreStoredLittleEndianAndReadBack)
{
    StateChunk chunk;
    ASSERT_TRUE(chunk.Put(std::int32_t{0x01020304}));
    ASSERT_TRUE(chunk.Put(1.5));
    ASSERT_EQ(chunk.Size(), 12);
    const std::uint8_t expectedInt[] = {0x04, 0x03, 0x02, 0x01};
    EXPECT_EQ(std::memcmp(chunk.Data(), expectedInt, 4), 0);
    double expectedDouble = 1.5;
    EXPECT_EQ(std::memcmp(chunk.Data() + 4, &expectedDouble, 8), 0);

    std::int32_t i = 0;
    double d = 0.0;
    EXPECT_EQ(chunk.Get(&i, 0), 4);
    EXPECT_EQ(chunk.Get(&d, 4), 12);
    EXPECT_EQ(i, 0x01020304);
    EXPECT_EQ(d, 1.5);
}

TEST(StateChunk, ReadsOutsideTheChunkFailAndLeaveTheDestination)
{
    StateChunk chunk;
    chunk.Put(std::int32_t{7});
    for (int position : {-1, -100, 1, 4, 5, 1 << 30})
    {
        std::int32_t value = 99;
        EXPECT_EQ(chunk.Get(&value, position), -1) << position;
        EXPECT_EQ(value, 99);
    }
}

TEST(StateChunk, StringsAreCountedWithoutTerminator)
{
    StateChunk chunk;
    ASSERT_TRUE(chunk.PutStr("abc"));
    ASSERT_TRUE(chunk.PutStr(""));
    ASSERT_TRUE(chunk.PutStr(std::string("xy")));
    EXPECT_EQ(chunk.Size(), 4 + 3 + 4 + 4 + 2);

    std::string text;
    int position = chunk.GetStr(text, 0);
    EXPECT_EQ(position, 7);
    EXPECT_EQ(text, "abc");
    position = chunk.GetStr(text, position);
    EXPECT_EQ(position, 11);
    EXPECT_EQ(text, "");
    position = chunk.GetStr(text, position);
    EXPECT_EQ(position, chunk.Size());
    EXPECT_EQ(text, "xy");
}

// A framed string whose count is corrupt must never yield a position outside the chunk.
TEST(StateChunk, CorruptStringCountsYieldMinusOne)
{
    struct Case
    {
        const char* what;
        std::int32_t count;
        int payloadBytes;
        int position;
    };
    const Case cases[] = {
        {"negative count", -5, 8, 0},         {"most negative count", INT32_MIN, 8, 0},
        {"count past the end", 9, 8, 0},      {"huge count", INT32_MAX, 8, 0},
        {"position past the end", 1, 8, 100}, {"negative position", 1, 8, -1},
        {"count cut short", 1, 0, 2},
    };
    for (const Case& c : cases)
    {
        StateChunk chunk;
        chunk.Put(c.count);
        for (int i = 0; i < c.payloadBytes; ++i)
        {
            chunk.Put(static_cast<char>('a' + i));
        }
        std::string text = "unchanged";
        EXPECT_EQ(chunk.GetStr(text, c.position), -1) << c.what;
        EXPECT_EQ(text, "unchanged") << c.what;
    }
}

TEST(StateChunk, ResizeZeroesNewBytes)
{
    StateChunk chunk;
    chunk.Put(std::int32_t{-1});
    ASSERT_TRUE(chunk.Resize(8));
    std::int32_t tail = 1;
    EXPECT_EQ(chunk.Get(&tail, 4), 8);
    EXPECT_EQ(tail, 0);
    EXPECT_FALSE(chunk.Resize(-1));
    chunk.Clear();
    EXPECT_EQ(chunk.Size(), 0);
}

} // namespace
