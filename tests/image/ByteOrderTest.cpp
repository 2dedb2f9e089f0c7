#include "image/ByteOrder.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

using namespace corvane;

TEST(ByteOrderTest, NumbersAreStoredLeastSignificantByteFirstOnEveryHost) {
    using Bytes = std::array<std::uint8_t, 4>;
    Bytes b{};
    WriteU32LE(b.data(), 0x12345678u);
    EXPECT_EQ(b, (Bytes{0x78, 0x56, 0x34, 0x12}));
    WriteU16LE(b.data(), 0xBEEF);
    EXPECT_EQ(b, (Bytes{0xEF, 0xBE, 0x34, 0x12}));
    WriteF32LE(b.data(), 1.0f); // 0x3F800000: a file written here reads the same on any machine
    EXPECT_EQ(b, (Bytes{0x00, 0x00, 0x80, 0x3F}));
}

TEST(ByteOrderTest, EveryValueComesBackUnchanged) {
    std::uint8_t b[4] = {};
    for (std::int32_t v :
         {0, -1, 1, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}) {
        WriteU32LE(b, static_cast<std::uint32_t>(v));
        EXPECT_EQ(ReadI32LE(b), v);
    }
    // Floats keep every bit: signed zero, subnormals, infinities and NaN payloads alike.
    for (float v : {0.0f, -0.0f, 1.5f, -3.25e-40f, std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::max(), std::bit_cast<float>(0x7FC12345u)}) {
        WriteF32LE(b, v);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(ReadF32LE(b)), std::bit_cast<std::uint32_t>(v));
    }
}

TEST(ByteOrderTest, FloatArraysConvertInPlaceBothWays) {
    const float values[3] = {1.0f, -2.5f, 1e-30f};
    std::uint8_t file[12];
    for (int i = 0; i < 3; ++i)
        WriteF32LE(file + 4 * i, values[i]);
    // Raw bytes of a file turned into host values in place, then back into file order.
    float host[3];
    std::memcpy(host, file, sizeof host);
    FixFloatByteOrder(host, 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(host[i], values[i]);
    FixFloatByteOrder(host, 3);
    EXPECT_EQ(std::memcmp(host, file, sizeof file), 0);
}
