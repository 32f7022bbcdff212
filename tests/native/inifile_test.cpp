// The INI text module: how hand-edited text reads, how updates change it, and that what it
// writes reads back the same.
#include "soundlist/inifile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct ReadCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    size_t limit;
    std::string expected;  // "<default>" when the default must come back
};

const char* const kDefault = "<default>";

class IniRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, GivesThePlatformsValue) {
    const ReadCase& c = GetParam();
    const IniText ini(c.text);
    EXPECT_EQ(ini.GetString(c.section, c.key, kDefault, c.limit), c.expected);
}

const std::string k300(300, 'x');

INSTANTIATE_TEST_SUITE_P(
    Spellings, IniRead,
    testing::Values(
        ReadCase{"Plain", "[LIST0]\r\nkey1=17\r\n", "LIST0", "key1", 256, "17"},
        ReadCase{"BlanksAroundEquals", "[LIST0]\r\n  key1 \t=  17  \r\n", "LIST0", "key1", 256, "17"},
        ReadCase{"BlanksInsideBrackets", "[ LIST0\t]\r\nkey1=17\r\n", "LIST0", "key1", 256, "17"},
        ReadCase{"IndentedHeader", "  [LIST0]  \r\nkey1=17\r\n", "LIST0", "key1", 256, "17"},
        ReadCase{"TextAfterBracket", "[LIST0] note\r\nkey1=17\r\n", "LIST0", "key1", 256, "17"},
        ReadCase{"LastBracketCloses", "[LIST0]x]\r\nkey1=17\r\n", "LIST0]x", "key1", 256, "17"},
        ReadCase{"NoClosingBracketIsAKey", "[LIST0\r\nkey1=17\r\n", "LIST0", "key1", 256, kDefault},
        ReadCase{"SectionCase", "[list0]\r\nKEY1=17\r\n", "LIST0", "key1", 256, "17"},
        ReadCase{"RequestTrimmed", "[LIST0]\r\nkey1=17\r\n", " LIST0 ", " key1 ", 256, "17"},
        ReadCase{"DoubleQuotes", "[s]\r\nk=\"a b\"\r\n", "s", "k", 256, "a b"},
        ReadCase{"SingleQuotes", "[s]\r\nk='a b'\r\n", "s", "k", 256, "a b"},
        ReadCase{"QuotesKeepBlanks", "[s]\r\nk=\"  a  \"\r\n", "s", "k", 256, "  a  "},
        ReadCase{"UnmatchedQuotes", "[s]\r\nk=\"a'\r\n", "s", "k", 256, "\"a'"},
        ReadCase{"LoneQuote", "[s]\r\nk=\"\r\n", "s", "k", 256, "\""},
        ReadCase{"EmptyQuotes", "[s]\r\nk=\"\"\r\n", "s", "k", 256, ""},
        ReadCase{"InnerEquals", "[s]\r\nk=a=b\r\n", "s", "k", 256, "a=b"},
        ReadCase{"EmptyValue", "[s]\r\nk=\r\n", "s", "k", 256, ""},
        ReadCase{"NoEqualsReadsMissing", "[s]\r\nk\r\n", "s", "k", 256, kDefault},
        ReadCase{"CommentLineIsNotAValue", "[s]\r\n;k=1\r\nk=2\r\n", "s", "k", 256, "2"},
        ReadCase{"FirstKeyWins", "[s]\r\nk=1\r\nK=2\r\n", "s", "k", 256, "1"},
        ReadCase{"FirstSectionWins", "[s]\r\na=1\r\n[S]\r\na=2\r\nb=3\r\n", "s", "b", 256, kDefault},
        ReadCase{"KeyBeforeAnySection", "k=1\r\n[s]\r\n", "s", "k", 256, kDefault},
        ReadCase{"LfOnly", "[s]\nk=1\n", "s", "k", 256, "1"},
        ReadCase{"CrOnly", "[s]\rk=1\rj=2", "s", "j", 256, "2"},
        ReadCase{"CrEndsALineBeforeAnLf", "[s]\rk=1\n", "s", "k", 256, "1"},
        ReadCase{"MixedLineEnds", "[s]\r\nk=1\rj=2\n\rm=3", "s", "m", 256, "3"},
        ReadCase{"NoFinalLineEnd", "[s]\r\nk=1", "s", "k", 256, "1"},
        ReadCase{"CutToLimit", "[s]\r\nk=" + k300 + "\r\n", "s", "k", 256, std::string(255, 'x')},
        ReadCase{"LimitOne", "[s]\r\nk=abc\r\n", "s", "k", 1, ""},
        ReadCase{"DefaultCutToo", "", "s", "k", 4, "<de"},
        ReadCase{"QuotesThenCut", "[s]\r\nk=\"abcdef\"\r\n", "s", "k", 4, "abc"},
        ReadCase{"NulEndsValue", std::string("[s]\r\nk=1\0002\r\n", 12), "s", "k", 256, "1"},
        ReadCase{"NulEndsName", std::string("[s]\r\nk\0x=1\r\n", 12), "s", "k", 256, "1"},
        ReadCase{"NulEndsSectionName", std::string("[s\0x]\r\nk=1\r\n", 12), "s", "k", 256, "1"},
        ReadCase{"DosEndOfFileIsBlank", "[s]\r\nk=1\x1a", "s", "k", 256, "1"},
        // Code page 932: "ソ" is 83 5C, "ア" 83 41, "ャ" 83 61, "‐" 81 5D.
        ReadCase{"DoubleByteValueKept", "[s]\r\nk=\x83\x5C\x83\x41\r\n", "s", "k", 256, "\x83\x5C\x83\x41"},
        ReadCase{"CutKeepsWholeCharacters", "[s]\r\nk=a\x83\x41\r\n", "s", "k", 3, "a"},
        ReadCase{"TrailByteIsNoBracket", "[s\x81]\r\nk=1\r\n", "s", "k", 256, kDefault},
        ReadCase{"TrailByteIsNoCaseLetter", "[\x83\x41]\r\nk=1\r\n", "\x83\x61", "k", 256, kDefault},
        ReadCase{"LeadByteTakesTheLineEnd", "[s]\nk=1\x81\nj=2\n", "s", "j", 256, kDefault},
        ReadCase{"LeadByteTakesTheEquals", "[s]\nk\x81=1\n", "s", "k", 256, kDefault}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST(IniRead, MissingTextGivesTheDefault) {
    const IniText empty;
    EXPECT_EQ(empty.GetString("LISTNUM", "LIST", "17", 256), "17");
    EXPECT_EQ(empty.GetInt("LISTNUM", "LIST", -5), -5);
}

TEST(IniRead, CopyStringTerminatesTheBuffer) {
    const IniText ini("[s]\r\nk=abcdef\r\n");
    char buffer[8];
    std::memset(buffer, 0xCC, sizeof buffer);
    ini.CopyString("s", "k", "", buffer, 4);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(static_cast<unsigned char>(buffer[4]), 0xCC);
    ini.CopyString("s", "missing", "Beep", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "Beep");
}

TEST(IniRead, Integers) {
    const struct {
        const char* value;
        int32_t expected;
    } cases[] = {
        {"2", 2},          {"  42  ", 42},       {"-3", -3},           {"+7", 7},
        {"12abc", 12},     {"abc", 0},           {"", 99},             {"\"5\"", 5},
        {"0x1F", 31},      {"0o17", 15},         {"0b101", 5},         {"0X1F", 0},
        {"2147483647", 2147483647},              {"4294967297", 1},    {"-2147483648", INT32_MIN},
        {"000000000000000000000000000001", 0},  // read as 29 characters first
    };
    for (const auto& c : cases) {
        const IniText ini(std::string("[LISTNUM]\r\nLIST=") + c.value + "\r\n");
        EXPECT_EQ(ini.GetInt("LISTNUM", "LIST", 99), c.expected) << c.value;
    }
}

TEST(IniWrite, BuildsTheSavedListFileFromNothing) {
    IniText ini;
    ini.SetString("LISTNUM", "LIST", "2");
    const char* rows[2][3] = {{"17", "88", "C:\\sounds\\alarm.wav"}, {"112", "-1", "C:\\sounds\\bell.wav"}};
    for (int i = 0; i < 2; ++i) {
        const std::string section = "LIST" + std::to_string(i);
        ini.SetString(section, "key1", rows[i][0]);
        ini.SetString(section, "key2", rows[i][1]);
        ini.SetString(section, "path", rows[i][2]);
    }
    EXPECT_EQ(ini.Text(),
              "[LISTNUM]\r\nLIST=2\r\n"
              "[LIST0]\r\nkey1=17\r\nkey2=88\r\npath=C:\\sounds\\alarm.wav\r\n"
              "[LIST1]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n");
}

TEST(IniWrite, KeepsEveryLineItDoesNotChange) {
    const std::string before =
        "; written by hand\r\n"
        "[other]\r\n"
        "x = 1 ; note\r\n"
        "junk line\r\n"
        "\r\n"
        "[LIST0]\r\n"
        "  KEY1 = 5\r\n"
        "path=\"C:\\a b.wav\"\r\n"
        "\r\n"
        "\r\n";
    IniText ini(before);
    ini.SetString("list0", "key1", "17");           // present: value replaced, spelling kept
    ini.SetString("other", "x", "1 ; note");        // same value: the line stays as it was
    ini.SetString("LIST0", "path", "C:\\a b.wav");  // quotes gone, as the platform does
    ini.SetString("LIST0", "key2", "88");           // new: after the section's last line
    ini.SetString("new", "k", "v");                 // new section at the end
    EXPECT_EQ(ini.Text(),
              "; written by hand\r\n"
              "[other]\r\n"
              "x = 1 ; note\r\n"
              "junk line\r\n"
              "\r\n"
              "[LIST0]\r\n"
              "  KEY1 = 17\r\n"
              "path=C:\\a b.wav\r\n"
              "key2=88\r\n"
              "\r\n"
              "\r\n"
              "[new]\r\n"
              "k=v\r\n");
}

TEST(IniWrite, KeyWithoutEqualsGetsOne) {
    IniText ini("[s]\r\nk\r\nj=1\r\n");
    ini.SetString("s", "k", "2");
    EXPECT_EQ(ini.Text(), "[s]\r\nk=2\r\nj=1\r\n");
}

TEST(IniWrite, GivesEveryLineACrLfEnd) {
    const struct {
        const char* name;
        std::string before;
        std::string after;
    } cases[] = {
        {"lf", "[s]\nk=1\n", "[s]\r\nk=2\r\n"},
        {"cr", "[s]\rk=1\r", "[s]\r\nk=2\r\n"},
        {"no final end", "[s]\r\nk=1", "[s]\r\nk=2\r\n"},
        {"crlf untouched", "[s]\r\n\r\nk=1\r\n", "[s]\r\n\r\nk=2\r\n"},
        {"mixed", "[t]\r[s]\nk=1\n", "[t]\r\n[s]\r\nk=2\r\n"},
        {"lone lead byte at the end", "[s]\r\nk=1\r\nj\x81", "[s]\r\nk=2\r\nj\r\n"},
    };
    for (const auto& c : cases) {
        IniText ini(c.before);
        ini.SetString("s", "k", "2");
        EXPECT_EQ(ini.Text(), c.after) << c.name;
        EXPECT_EQ(IniText(ini.Text()).Text(), c.after) << c.name << ": a second pass changes nothing";
    }
}

TEST(IniWrite, ValuesReadBackAsTheyWere) {
    const std::string values[] = {
        "", "17", " lead", "trail ", "\tboth\t", "\"quoted\"", "'single'", "\"open", "'",
        "a=b", "[x]", ";x", "\x83\x5C\x83\x41", "\x81\x40", "x\x1a",
        std::string(1023, 'p'),
    };
    for (const std::string& value : values) {
        IniText ini("[s]\r\nk=old\r\nafter=1\r\n");
        ini.SetString("s", "k", value);
        ini.SetString("s", "new", value);
        const IniText reread(ini.Text());
        EXPECT_EQ(reread.GetString("s", "k", "<missing>", 1024), value);
        EXPECT_EQ(reread.GetString("s", "new", "<missing>", 1024), value);
        EXPECT_EQ(reread.GetString("s", "after", "<missing>", 1024), "1");
    }
}

TEST(IniWrite, ALineBreakCannotStartAnotherSection) {
    IniText ini;
    ini.SetString("LIST0", "path", "a\r\n[LIST1]\r\nkey1=evil");
    ini.SetString("LIST0", "key1", "b\rkey2=evil");
    ini.SetString("LIST1", "key1", "17");
    const IniText reread(ini.Text());
    EXPECT_EQ(reread.GetString("LIST0", "path", "", 1024), "a");
    EXPECT_EQ(reread.GetString("LIST0", "key1", "", 1024), "b");
    EXPECT_EQ(reread.GetString("LIST0", "key2", "<missing>", 1024), "<missing>");
    EXPECT_EQ(reread.GetString("LIST1", "key1", "", 256), "17");
}

TEST(IniWrite, ManySectionsStayInOrder) {
    IniText ini;
    for (int i = 0; i < 10000; ++i) ini.SetString("LIST" + std::to_string(i), "key1", std::to_string(i));
    for (int i = 0; i < 10000; ++i) ini.SetString("list" + std::to_string(i), "key2", "-1");
    const IniText reread(ini.Text());
    for (int i = 0; i < 10000; i += 997) {
        EXPECT_EQ(reread.GetString("LIST" + std::to_string(i), "key1", "", 256), std::to_string(i));
        EXPECT_EQ(reread.GetString("LIST" + std::to_string(i), "key2", "", 256), "-1");
    }
    EXPECT_EQ(ini.Text().substr(0, 30), "[LIST0]\r\nkey1=0\r\nkey2=-1\r\n[LIS");
}

TEST(IniEncoding, MarksAreRecognised) {
    size_t length = 99;
    EXPECT_EQ(DetectIniTextEncoding("\xEF\xBB\xBF[s]", &length), IniTextEncoding::Utf8);
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(DetectIniTextEncoding("\xFF\xFE[\0", &length), IniTextEncoding::Utf16LE);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(DetectIniTextEncoding("\xFE\xFF\0[", &length), IniTextEncoding::Utf16BE);
    EXPECT_EQ(DetectIniTextEncoding("[s]", &length), IniTextEncoding::Ansi);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(DetectIniTextEncoding("\xEF\xBB", &length), IniTextEncoding::Ansi);
}

}  // namespace
