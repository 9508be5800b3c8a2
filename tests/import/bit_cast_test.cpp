// The byte reinterpretation the importers read IEEE floats with.
#include "import/BitCast.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using amplix::bitCast;

// Known single-precision patterns both ways: sign, exponent and mantissa land where IEEE 754 puts them.
TEST(BitCast, FloatsAndTheirBits) {
    struct Case {
        std::uint32_t bits;
        float value;
    };
    const Case cases[] = {
        {0x00000000u, 0.0f},
        {0x3F800000u, 1.0f},
        {0xC0200000u, -2.5f},
        {0x42C80000u, 100.0f},
        {0x3DCCCCCDu, 0.1f},
        {0x7F7FFFFFu, std::numeric_limits<float>::max()},
        {0x00000001u, std::numeric_limits<float>::denorm_min()},
        {0x7F800000u, std::numeric_limits<float>::infinity()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bitCast<float>(c.bits), c.value) << std::hex << c.bits;
        EXPECT_EQ(bitCast<std::uint32_t>(c.value), c.bits) << c.value;
    }
}

// What compares equal as a float still keeps its own bits: the sign of zero and a NaN's payload.
TEST(BitCast, KeepsEveryBit) {
    EXPECT_EQ(bitCast<std::uint32_t>(-0.0f), 0x80000000u);
    EXPECT_TRUE(std::signbit(bitCast<float>(0x80000000u)));
    for (std::uint32_t bits : {0x7FC00000u, 0x7FC00001u, 0xFFC12345u, 0x7F800001u}) {
        const float nan = bitCast<float>(bits);
        EXPECT_TRUE(std::isnan(nan)) << std::hex << bits;
        EXPECT_EQ(bitCast<std::uint32_t>(nan), bits) << std::hex << bits;
    }
}

} // namespace
