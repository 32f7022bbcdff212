// Under Windows: reading a text gives what reading its copy upper-cased by CharUpperA in code
// page 932 gives, which is how the based forms are meant to match letters.
#ifdef _WIN32

#include "support/numtext.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

uint64_t Bits(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::string UpperCased(std::string text)
{
    CharUpperA(&text[0]);
    return text;
}

class CodePage932 : public testing::Test {
protected:
    void SetUp() override
    {
        if (GetACP() != 932) {
            GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 932";
        }
    }
};

TEST_F(CodePage932, UpperCasingChangesDoubleByteCharactersOnlyAsAWhole)
{
    // Full-width small a becomes full-width capital A: the trail byte 0x81 turns into 0x60.
    EXPECT_EQ("&H4\x82\x60", UpperCased("&h4\x82\x81"));
    // Full-width capital B ends in the byte of "a", which stays as it is.
    EXPECT_EQ("&H4\x82\x61", UpperCased("&h4\x82\x61"));
}

TEST_F(CodePage932, ReadsAsTheTextUpperCasedByThePlatform)
{
    const char* const prefixes[] = {"&h", "&o", "&hf", "&O1", "&h4", " &ha", "12", "&"};
    const char* const characters[] = {
        "\x82\x61", "\x82\x62", "\x82\x66", "\x82\x68", "\x82\x6F",  // full-width B C G I P
        "\x82\x81", "\x82\x82", "\x82\x86", "\x82\x88", "\x82\x8F",  // full-width a b f h o
        // Small alpha, small Cyrillic a, small roman one, ideographic space, a kanji.
        "\x83\xBF", "\x84\x70", "\xFA\x40", "\x81\x40", "\x88\x9F",
        // A half-width katakana, a lone lead byte, lead bytes with invalid trail bytes.
        "\xB1", "\x82", "\x82\x20", "\x82\x7F",
    };
    const char* const tails[] = {"", "1", "a", "f", "h41", "&h41"};
    for (const char* prefix : prefixes) {
        for (const char* character : characters) {
            for (const char* tail : tails) {
                std::string text = std::string(prefix) + character + tail;
                double platform = TextToNumber(UpperCased(text).c_str());
                EXPECT_EQ(Bits(platform), Bits(TextToNumber(text.c_str()))) << '"' << text << '"';
            }
        }
    }
}

}  // namespace

#endif
