#include "support/numtext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

uint64_t Bits(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// From a block of exactly the text's size, so AddressSanitizer sees any read past the NUL.
double ReadExact(const std::string& text) {
    std::vector<char> block(text.c_str(), text.c_str() + text.size() + 1);
    const double value = TextToNumber(block.data());
    EXPECT_EQ(text, block.data()) << "changed";
    return value;
}

TEST(NumberToText, GivesTheTextOfEachEdgeCase) {
    const struct { double value; const char* text; } cases[] = {
        {-0.0, "0"}, {-0.5, "-0.5"}, {0.1 + 0.2, "0.3"}, {2.0 / 3, "0.666666666666667"}, {0.0001, "0.0001"},
        {0.00001, "1.00000000000000e-05"}, {9.99999999999999, "10"}, {999999999999998, "999999999999998"},
        {999999999999999, "1.00000000000000e+015"}, {1234567890123456, "1.23456789012346e+015"}, {NAN, "nan"},
        {1e300, "1.00000000000000e+300"}, {1e-300, "1.00000000000000e-300"}, {HUGE_VAL, "inf"}, {-HUGE_VAL, "-inf"},
        {-1.7976931348623157e308, "-1.79769313486232e+308"}, {4.9406564584124654e-324, "4.94065645841247e-324"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, NumberToText(c.value)) << c.text;
}

TEST(TextToNumber, ReadsEachEdgeCaseToTheExactBits) {
    const std::string zeros(400, '0');
    const struct { std::string text; double value; } cases[] = {
        {"", 0}, {"\n65", 0}, {"+7", 7}, {"1e3", 1}, {"-", -0.0}, {"- 7", -0.0}, {"+-5", 0}, {"-.5", -0.5},
        {" \t-0012.50x", -12.5}, {"1.5.5", 1.5}, {"&H", 0}, {"& H41", 0}, {"&H-1", 0}, {"&O8", 0}, {"-&H41", -0.0},
        {"&hfF", 255}, {"&o101", 65}, {"&O178", 15}, {"&H41.5", 65}, {"9007199254740993", 9007199254740992.0},
        // 3.1 + 0.04 + 0.001 + 0.0005 + 0.00009 ends one double above the one nearest 3.14159.
        {"3.14159", 3.1415900000000003}, {"&H7FFFFFFFFFFFFF", 36028797018963968.0} /* rounds up on the last sum */,
        // From 8 on the 16th hexadecimal digit adds its value minus 2^64; an odd 22nd octal one, -2^63.
        {"&H8000000000000000", -9223372036854775808.0}, {"&H10000000000000000", 0}, {"&HFFFFFFFFFFFFFFFF", 0},
        {"&H" + std::string(1000, 'F') + "0000000000000041", 65}, {"&O2000000000000000000000", 0},
        {"&O1000000000000000000000", -9223372036854775808.0}, {"&O777777777777777777777", 9223372036854775808.0},
        {zeros + "65", 65}, {"1." + zeros + "5", 1}, {"-9" + zeros + ".5", -HUGE_VAL},  // place values past 1e308
    };
    for (const auto& c : cases) EXPECT_EQ(Bits(c.value), Bits(ReadExact(c.text))) << c.text;
}

TEST(TruncateToInt32, TruncatesTowardZeroAndSaturates) {
    const struct { double value; int32_t result; } cases[] = {{-0.9, 0}, {65.99, 65}, {-1.5, -1}, {2147483647.9, INT32_MAX},
        {2147483648.0, INT32_MAX}, {-2147483648.9, INT32_MIN}, {-2147483649.0, INT32_MIN}, {HUGE_VAL, INT32_MAX}, {NAN, 0}};
    for (const auto& c : cases) EXPECT_EQ(c.result, TruncateToInt32(c.value)) << c.value;
}

// The fuzz target checks these texts further; the digest is the same natively, in 32 and 64 bits.
TEST(NumberToText, WritesRandomBitPatternsShortWithTheSameBitsOnEveryBuild) {
    uint64_t bits = 0x5EED0001, hash = 0xCBF29CE484222325ull;
    for (int i = 0; i < 20000; ++i) {
        bits ^= bits << 13, bits ^= bits >> 7, bits ^= bits << 17;  // xorshift64
        double value;
        std::memcpy(&value, &bits, sizeof value);
        const std::string text = NumberToText(value);
        ASSERT_LE(text.size(), 22u) << text;
        for (char c : text) hash = (hash ^ static_cast<uint8_t>(c)) * 0x100000001B3ull;
        hash = (hash ^ Bits(TextToNumber(text.c_str()))) * 0x100000001B3ull;
    }
    EXPECT_EQ(UINT64_C(0x0BF617E018DD8F08), hash) << std::hex << hash;
}

}  // namespace
