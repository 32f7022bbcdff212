#include "support/numtext.h"
#include "tests/native/numtext_check.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace {

uint64_t Bits(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double FromBits(uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string Describe(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.17g (0x%016" PRIx64 ")", value, Bits(value));
    return text;
}

// Reads text from a heap block of exactly its size, so that AddressSanitizer reports a read
// past the NUL, and checks that the text is left as it was.
double ReadExact(const std::string& text)
{
    std::unique_ptr<char[]> block(new char[text.size() + 1]);
    std::memcpy(block.get(), text.c_str(), text.size() + 1);
    double value = TextToNumber(block.get());
    EXPECT_EQ(0, std::memcmp(block.get(), text.c_str(), text.size() + 1)) << "changed: " << text;
    return value;
}

uint64_t NextRandom(uint64_t& state)
{
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

const double INF = std::numeric_limits<double>::infinity();

struct NumberCase {
    double value;
    const char* text;
};

const NumberCase NUMBER_CASES[] = {
    {0.0, "0"},
    {-0.0, "0"},
    {7, "7"},
    {-1, "-1"},
    {255, "255"},
    {1000, "1000"},
    {1999999, "1999999"},
    {-1999999, "-1999999"},
    {0.5, "0.5"},
    {-0.5, "-0.5"},
    {1.5, "1.5"},
    {0.1 + 0.2, "0.3"},
    {0.001, "0.001"},
    {0.0001, "0.0001"},
    {0.00012345, "0.00012345"},
    {0.00001, "1.00000000000000e-05"},
    {-0.00001, "-1.00000000000000e-05"},
    {2.0 / 3, "0.666666666666667"},
    {1.0 / 3, "0.333333333333333"},
    {9.99999999999999, "10"},
    {99999999999999, "99999999999999"},
    {999999999999998, "999999999999998"},
    // Fifteen nines reach the upper bound of the scaling: one more division, then the carry.
    {999999999999999, "1.00000000000000e+015"},
    {123456789012345, "123456789012345"},
    {1234567890123456, "1.23456789012346e+015"},
    {1e15, "1.00000000000000e+015"},
    {1e16, "1.00000000000000e+016"},
    {1.5e15, "1.50000000000000e+015"},
    {-2.5e-5, "-2.50000000000000e-05"},
    {123456789012345678901.0, "1.23456789012346e+020"},
    {1e20, "1.00000000000000e+020"},
    {1e100, "1.00000000000000e+100"},
    {1e300, "1.00000000000000e+300"},
    {1e-300, "1.00000000000000e-300"},
    {1e-10, "1.00000000000000e-10"},
    {1e-100, "1.00000000000000e-100"},
    {DBL_MAX, "1.79769313486232e+308"},
    {-DBL_MAX, "-1.79769313486232e+308"},
    {DBL_MIN, "2.22507385850720e-308"},
    {DBL_TRUE_MIN, "4.94065645841247e-324"},
    {-DBL_TRUE_MIN, "-4.94065645841247e-324"},
    {INF, "inf"},
    {-INF, "-inf"},
    {std::numeric_limits<double>::quiet_NaN(), "nan"},
};

TEST(NumberToText, GivesTheTextOfEachEdgeCase)
{
    for (const NumberCase& c : NUMBER_CASES) {
        EXPECT_EQ(c.text, NumberToText(c.value)) << Describe(c.value);
    }
}

struct TextCase {
    const char* text;
    double value;
};

const TextCase TEXT_CASES[] = {
    {"65", 65},
    {" 65", 65},
    {"00065", 65},
    {"\t 65", 65},
    {"+7", 7},
    {"-1", -1},
    {"12abc", 12},
    {"1,000", 1},
    {"1e3", 1},
    {"0x41", 0},
    {"", 0},
    {"abc", 0},
    {"-", -0.0},
    {"- 7", -0.0},
    {"-+5", -0.0},
    {"+-5", 0},
    {"++5", 0},
    {"-&H41", -0.0},
    {"\n65", 0},
    {"\r65", 0},
    {"\v65", 0},
    {"\f65", 0},
    {"&", 0},
    {"&H", 0},
    {"&O", 0},
    {"&X1", 0},
    {"& H41", 0},
    {"&H-1", 0},
    {"&O8", 0},
    {"&HG1", 0},
    {".5", 0.5},
    {"-.5", -0.5},
    {"1.", 1},
    {".", 0},
    {"-.", -0.0},
    {"  -0012.50x", -12.5},
    {"1.5.5", 1.5},
    // 3.1 + 0.04 + 0.001 + 0.0005 + 0.00009 ends one double above the one nearest 3.14159.
    {"3.14159", 3.1415900000000003},
    {"0.1", 0.1},
    {"-0.3", -0.3},
    {"&H41", 65},
    {"&h41", 65},
    {"&O101", 65},
    {"&o101", 65},
    {"  &H41", 65},
    {"&HFF", 255},
    {"&hff", 255},
    {"&HfF", 255},
    {"&o777", 511},
    {"&O178", 15},
    {"&H41.5", 65},
    {"&HFFFFFFFFFFFFF", 4503599627370495.0},
    {"&H7FFFFFFFFFFFFF", 36028797018963968.0},  // 2^55 - 1 rounds up on the last addition
    // The 16th hexadecimal digit from the right adds its value minus 2^64 from 8 on.
    {"&H8000000000000000", -9223372036854775808.0},
    {"&HF000000000000000", -1152921504606846976.0},
    {"&H7000000000000000", 8070450532247928832.0},
    {"&H10000000000000000", 0},
    {"&H1230000000000000041", 65},
    // The low fifteen F sum to 2^60 - 1, rounded to 2^60 on the way; the top F adds -2^60.
    {"&HFFFFFFFFFFFFFFFF", 0},
    {"&H7FFFFFFFFFFFFFFF", 9223372036854775808.0},
    // The 22nd octal digit from the right adds -2^63 when odd, nothing when even.
    {"&O1000000000000000000000", -9223372036854775808.0},
    {"&O2000000000000000000000", 0},
    {"&O3000000000000000000000", -9223372036854775808.0},
    {"&O10000000000000000000000", 0},
    {"&O777777777777777777777", 9223372036854775808.0},
    {"&O1777777777777777777777", 0},
    {"&O0000000000000000000000000101", 65},
    {"9007199254740993", 9007199254740992.0},
};

TEST(TextToNumber, ReadsEachEdgeCaseToTheExactBits)
{
    for (const TextCase& c : TEXT_CASES) {
        double value = ReadExact(c.text);
        EXPECT_EQ(Bits(c.value), Bits(value))
            << '"' << c.text << "\" gave " << Describe(value) << ", expected " << Describe(c.value);
    }
    EXPECT_EQ(Bits(std::nextafter(3.14159, 4.0)), Bits(TextToNumber("3.14159")));
}

TEST(TextToNumber, ReadsANullPointerAsTheEmptyText)
{
    EXPECT_EQ(Bits(0.0), Bits(TextToNumber(nullptr)));
}

TEST(TextToNumber, StaysDefinedForDigitRunsBeyondTheDoubleRange)
{
    std::string zeros(400, '0');
    EXPECT_EQ(65.0, ReadExact(zeros + "65"));
    EXPECT_EQ(0.0, ReadExact("0." + zeros + "5"));
    EXPECT_EQ(1.0, ReadExact("1." + zeros + "5"));
    EXPECT_EQ(Bits(0.0), Bits(ReadExact(zeros)));

    double largest = ReadExact("1" + std::string(308, '0'));
    EXPECT_TRUE(std::isfinite(largest));
    EXPECT_GT(largest, 9.99e307);
    EXPECT_EQ(INF, ReadExact("1" + std::string(309, '0')));
    EXPECT_EQ(INF, ReadExact("1" + zeros));
    EXPECT_EQ(-INF, ReadExact("-9" + zeros + ".5"));
    EXPECT_EQ(INF, ReadExact(std::string(1000, '9')));

    // A long hexadecimal or octal run still reads only its last digits.
    EXPECT_EQ(65.0, ReadExact("&H" + std::string(1000, 'F') + "0000000000000041"));
    EXPECT_EQ(65.0, ReadExact("&O" + std::string(1000, '6') + "000000000000000000101"));
}

TEST(TextToNumber, NeverReadsPastTheEndOfAText)
{
    // Each text ends where a reader that looks one character too far would step out of its block.
    const char* const endings[] = {"&", "&H", "&h", "&O", "&HF", "&O7", "-", "+", "1", "1.",
                                   "1.5", ".", " ", "\t", "-.", "00", "&H0000000000000000000"};
    for (const char* text : endings) {
        double value = ReadExact(text);
        EXPECT_FALSE(std::isnan(value)) << text;
    }
}

// A double-byte character of code page 932 is a lead byte of 0x81 or more and a trail byte
// of 0x40 or more, so a trail byte is never a blank, tab, sign, point, digit or "&". It can be
// an ASCII letter, but a letter counts only inside a based form, whose every character up to
// the end of the number is ASCII: no trail byte can stand there without its lead byte, which
// is 0x80 or more and already ends the number. Here every byte of 0x80 or more, followed by
// every ASCII byte a trail byte can be, leaves the number read before it as it was.
TEST(TextToNumber, EndsTheNumberAtTheFirstByteOfADoubleByteCharacter)
{
    const char* const prefixes[] = {"", " \t", "&", "&H", "&h", "&O", "&o", "&H4", "&hF", "&O1",
                                    "&o7", "12", "-3", "-3.5", "1.", "+", "-", "  &hff"};
    for (const char* prefix : prefixes) {
        uint64_t expected = Bits(TextToNumber(prefix));
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            for (int trail = 0x40; trail <= 0x7E; ++trail) {
                std::string text = prefix;
                text += static_cast<char>(lead);
                text += static_cast<char>(trail);
                text += "41";
                ASSERT_EQ(expected, Bits(ReadExact(text)))
                    << '"' << prefix << "\" + lead " << lead << ", trail " << trail;
            }
        }
    }
    // A text that begins with a double-byte character holds no number.
    EXPECT_EQ(Bits(0.0), Bits(ReadExact("\x82\x61&H41")));
    EXPECT_EQ(Bits(0.0), Bits(ReadExact("\x82\x61" "65")));
}

struct TruncateCase {
    double value;
    int32_t result;
};

const TruncateCase TRUNCATE_CASES[] = {
    {0.0, 0},
    {-0.0, 0},
    {0.9, 0},
    {-0.9, 0},
    {65.99, 65},
    {-1.5, -1},
    {2147483647.0, INT32_MAX},
    {2147483647.9, INT32_MAX},
    {2147483648.0, INT32_MAX},
    {-2147483648.0, INT32_MIN},
    {-2147483648.9, INT32_MIN},
    {-2147483649.0, INT32_MIN},
    {-2147483647.5, -2147483647},
    {9223372036854775808.0, INT32_MAX},
    {-9223372036854775808.0, INT32_MIN},
    {1e300, INT32_MAX},
    {-1e300, INT32_MIN},
    {INF, INT32_MAX},
    {-INF, INT32_MIN},
    {std::numeric_limits<double>::quiet_NaN(), 0},
    {-std::numeric_limits<double>::quiet_NaN(), 0},
};

TEST(TruncateToInt32, TruncatesTowardZeroAndSaturates)
{
    for (const TruncateCase& c : TRUNCATE_CASES) {
        EXPECT_EQ(c.result, TruncateToInt32(c.value)) << Describe(c.value);
    }
}

TEST(TruncateToInt32, GivesAKeyCodeForEveryKeyText)
{
    EXPECT_EQ(65, TruncateToInt32(TextToNumber("&H41")));
    EXPECT_EQ(INT32_MIN, TruncateToInt32(TextToNumber("&H8000000000000000")));
    EXPECT_EQ(INT32_MAX, TruncateToInt32(TextToNumber(std::string(400, '9').c_str())));
    EXPECT_EQ(-1, TruncateToInt32(TextToNumber("-1.9")));
}

// Under Wine, and the 32-bit build's emulation above all, every 41st whole number and a tenth
// of the bit patterns; all of them natively.
#ifdef CB_UNDER_WINE
constexpr int32_t WHOLE_NUMBER_STRIDE = 41;
constexpr int BIT_PATTERN_COUNT = 20000;
#else
constexpr int32_t WHOLE_NUMBER_STRIDE = 1;
constexpr int BIT_PATTERN_COUNT = 200000;
#endif

TEST(NumberToText, WritesWholeNumbersAsPlainDecimalThatReadsBack)
{
    int failures = 0;
    for (int32_t i = -1999999; i <= 1999999 && failures < 10; i += WHOLE_NUMBER_STRIDE) {
        std::string text = NumberToText(i);
        double back = TextToNumber(text.c_str());
        if (text != std::to_string(i) || back != i) {
            ADD_FAILURE() << i << " gave \"" << text << "\", read back as " << Describe(back);
            ++failures;
        }
    }
    EXPECT_EQ("1999999", NumberToText(1999999));
    EXPECT_EQ("-1999999", NumberToText(-1999999));
}

TEST(NumberToText, WritesEveryFiniteBitPatternSoundly)
{
    uint64_t state = 0x5EED0001;
    int failures = 0;
    int checked = 0;
    while (checked < BIT_PATTERN_COUNT && failures < 10) {
        double value = FromBits(NextRandom(state));
        if (!std::isfinite(value)) {
            continue;
        }
        ++checked;
        std::string text = NumberToText(value);
        std::string fault = numtext_check::CheckFiniteText(value, text);
        if (!fault.empty()) {
            ADD_FAILURE() << Describe(value) << " gave \"" << text << "\": " << fault;
            ++failures;
        }
    }
    EXPECT_EQ(BIT_PATTERN_COUNT, checked);
}

}  // namespace
