// The INI text module against the platform's own private-profile functions, on the same files:
// every key that either side finds reads the same through both, and the same updates made by
// both leave files that read the same (byte for byte where the file was in the program's own
// form). Runs in the Windows build of the portable tests, under Wine.
#ifdef CB_UNDER_WINE

#include "soundlist/inifile.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct CorpusFile {
    const char* name;
    std::string text;
    bool programForm;  // as the program writes it: the platform's rewrite leaves the same bytes
};

std::string Repeat(const std::string& part, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += part;
    return text;
}

// Printable junk with the characters that matter to the format, from a fixed seed.
std::string StructuralGarbage(unsigned seed, size_t size) {
    static const char alphabet[] = "[]=;\"' \t\r\n\r\nabcKEY1LIST0x";
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        text += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
    }
    return text;
}

std::vector<CorpusFile> Corpus() {
    const std::string example =
        "[LISTNUM]\r\nLIST=2\r\n[LIST0]\r\nkey1=17\r\nkey2=88\r\npath=C:\\sounds\\alarm.wav\r\n"
        "[LIST1]\r\nkey1=112\r\nkey2=-1\r\npath=C:\\sounds\\bell.wav\r\n";
    return {
        {"example", example, true},
        {"empty", "", true},
        {"lf-only", "[LISTNUM]\nLIST=1\n[LIST0]\nkey1=17\nkey2=88\npath=a.wav\n", true},
        {"cr-only", "[LISTNUM]\rLIST=1\r[LIST0]\rkey1=17\rkey2=88\rpath=a.wav\r", true},
        {"no-final-newline", "[LISTNUM]\r\nLIST=1\r\n[LIST0]\r\nkey1=5", true},
        {"cr-then-lf", "[LISTNUM]\rLIST=1\r[LIST0]\nkey1=17\rkey2=3\n", false},
        {"lf-then-cr", "[LISTNUM]\nLIST=1\n[LIST0]\rkey1=17\rkey2=3", false},
        {"blanks", "  [LISTNUM]  \r\n  LIST = 2 \r\n[ LIST0 ]\r\n key1 = 17 \r\n[LIST0]\r\n"
                   "key1\t=\t18\t\r\n\tkey2=  \r\n path =C:\\a b.wav  \r\n\r\n\r\n", false},
        {"quotes", "[s]\r\nk=\"a b\"\r\nj='c d'\r\nl=\"open\r\nm=\"\r\nn=\"\"\r\no=\"x'\r\n"
                   "p=\" in \"\r\nq=\"" + std::string(255, 'x') + "\"\r\nr='" + std::string(255, 'y') + "'\r\n", false},
        {"comments", "; top\r\n[s]\r\n;k=1\r\nk=2\r\n# j=3\r\nj=4\r\n;\r\n", false},
        {"junk", "[s\r\n]\r\n[]\r\nk=1\r\n=x\r\n==\r\n=\r\njunk line\r\n[t]x]y\r\nk=2\r\n[u]\r\nk\r\n", false},
        {"duplicates", "[s]\r\nk=1\r\nk=2\r\n[S]\r\nk=3\r\nj=4\r\n[LISTNUM]\r\nLIST=1\r\n[listnum]\r\nLIST=9\r\n", false},
        {"case", "[LiSt0]\r\nKeY1=5\r\nPATH=x\r\n[ListNum]\r\nlist=1\r\n", false},
        {"nul", std::string("[s]\r\nk=1\0 2\r\nj\0x=3\r\n[t\0u]\r\nk=4\r\n", 29), false},
        {"dos-eof", "[s]\r\nk=1\x1a\x1a\r\nj=\x1a" "2\r\n\x1a", false},
        {"cp932", "[s]\r\nk=\x83\x5C\x83\x41\r\n[\x83\x41]\r\nk=1\r\n[\x83\x61]\r\nk=2\r\n"
                  "[\x93\xFA\x96\x7B]\r\n\x83\x4C\x81\x5B=\x92\x6C\r\n", true},
        {"cp932-bracket-trail", "[s\x81\x5D]\r\nk=1\r\n[t]\r\nk=\x81\x5D\r\n", true},
        {"cp932-cut", "[s]\r\nk=" + Repeat("\x82\xA0", 200) + "\r\nj=a" + Repeat("\x82\xA0", 200) + "\r\n", true},
        {"cp932-lead-before-line-end", "[s]\r\nk=1\x81\r\nj=2\r\nm=\x81\nn=3\r\n", false},
        {"fullwidth-case", "[\x82\x60]\r\nk=1\r\n", true},
        {"numbers", "[n]\r\na=0x10\r\nb=-3\r\nc= 7\r\nd=abc\r\ne=99999999999\r\nf=\"12\"\r\ng=+5\r\n"
                    "h=0b11\r\ni=1e3\r\nj=\x82\x4F\r\nk=0X10\r\nl=0o17\r\nm=-\r\nn=2147483648\r\n"
                    "o=" + std::string(40, '0') + "1\r\n", false},
        {"long-line", "[s]\r\nk=" + std::string(100000, 'v') + "\r\nj=1\r\n", true},
        {"garbage-1", StructuralGarbage(1, 3000), false},
        {"garbage-2", StructuralGarbage(2, 3000), false},
        {"garbage-3", StructuralGarbage(3, 3000), false},
    };
}

class PlatformFiles : public testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "cb-ini-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir_.c_str(), nullptr);
    }
    void TearDown() override {
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
        for (const std::string& file : written_) DeleteFileA(file.c_str());
        RemoveDirectoryA(dir_.c_str());
    }

    // A new file name each time: the platform keeps files it read in a cache.
    std::string Write(const std::string& text) {
        const std::string file = dir_ + "\\f" + std::to_string(written_.size()) + ".ini";
        std::ofstream(file, std::ios::binary) << text;
        written_.push_back(file);
        return file;
    }
    static std::string Read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string dir_;
    std::vector<std::string> written_;
};

std::string Trim(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    while (!text.empty() && text.front() == ' ') text.erase(0, 1);
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

using Names = std::set<std::pair<std::string, std::string>>;

std::vector<std::string> SplitNulList(const std::vector<char>& buffer, DWORD length) {
    std::vector<std::string> items;
    for (DWORD i = 0; i < length && buffer[i] != '\0'; i += static_cast<DWORD>(items.back().size()) + 1) {
        items.emplace_back(&buffer[i]);
    }
    return items;
}

// Every section and key that the platform reports, as it spells them.
Names PlatformNames(const std::string& file) {
    Names names;
    std::vector<char> buffer(1 << 20);
    const DWORD length = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    for (const std::string& section : SplitNulList(buffer, length)) {
        std::vector<char> keys(1 << 20);
        const DWORD keyLength = GetPrivateProfileSectionA(section.c_str(), keys.data(), static_cast<DWORD>(keys.size()), file.c_str());
        for (const std::string& entry : SplitNulList(keys, keyLength)) {
            names.emplace(section, entry.substr(0, entry.find('=')));
        }
    }
    return names;
}

// Names that the program asks for, and spellings that only case or blanks set apart.
Names ProgramNames() {
    Names names;
    for (const char* section : {"LISTNUM", "listnum", "LIST0", "list0", "LIST1", " LIST0 ", "s", "S", "t",
                                "u", "n", "\x82\x81", "\x83\x61", "s\x81\x5D", "t\x81\x5D", "", "t]x"}) {
        for (const char* key : {"LIST", "list", "key1", "KEY1", "key2", "path", "k", "K", "j", " k ", "", "x",
                                "a", "b", "c", "d", "e", "f", "g", "h", "i", "l", "m", "n", "o", "p", "q", "r"}) {
            names.emplace(section, key);
        }
    }
    return names;
}

std::string PlatformString(const std::string& file, const std::string& section, const std::string& key,
                           DWORD limit) {
    std::vector<char> buffer(limit + 1, '\0');
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "<default>", buffer.data(), limit, file.c_str());
    return buffer.data();
}

// A read where the platform differs on purpose of ours, with the reason. With a limit, the two
// must differ at that limit; without one (0), the key is not compared.
struct KnownDifference {
    const char* file;
    const char* section;
    const char* key;
    DWORD limit;
    const char* reason;
};

const KnownDifference kKnownReadDifferences[] = {
    // Wine's quote stripping is off by one: a quoted value whose inside is exactly limit - 1
    // characters long loses its last character as well.
    {"quotes", "s", "q", 256, "double quotes"},
    {"quotes", "s", "r", 256, "single quotes"},
    {"numbers", "n", "f", 3, "\"12\" read with limit 3 gives \"1\" in Wine"},
    // A lead byte before a line end makes a pair that is no character of code page 932; Wine's
    // conversion turns it into U+30FB (81 45), while the module passes the bytes on.
    {"cp932-lead-before-line-end", "s", "k", 0, "invalid pair"},
    {"cp932-lead-before-line-end", "s", "m", 0, "invalid pair"},
};

const KnownDifference* Known(const char* file, const std::string& section, const std::string& key) {
    for (const KnownDifference& known : kKnownReadDifferences) {
        if (std::string(known.file) == file && Trim(known.section) == Trim(section) && Trim(known.key) == Trim(key)) {
            return &known;
        }
    }
    return nullptr;
}

// Readable in a failure message: control and non-ASCII bytes escaped, long runs shortened.
std::string Show(const std::string& text) {
    if (text.size() > 40) return Show(text.substr(0, 16)) + "...(" + std::to_string(text.size()) + " bytes)";
    std::string shown;
    for (unsigned char c : text) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        shown += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c)) : std::string(hex);
    }
    return '"' + shown + '"';
}

void ExpectNone(const std::vector<std::string>& differences) {
    for (const std::string& difference : differences) ADD_FAILURE() << difference;
}

std::string Where(const char* file, const std::string& section, const std::string& key) {
    return std::string(file) + " [" + Show(section) + "] " + Show(key);
}

TEST_F(PlatformFiles, EveryKeyReadsTheSame) {
    std::vector<std::string> differences;
    for (const CorpusFile& corpus : Corpus()) {
        const std::string file = Write(corpus.text);
        const IniText ini(corpus.text);
        Names names = PlatformNames(file);
        const Names asked = ProgramNames();
        names.insert(asked.begin(), asked.end());
        for (const auto& [section, key] : names) {
            for (DWORD limit : {1024u, 256u, 30u, 3u, 1u}) {
                const std::string platform = PlatformString(file, section, key, limit);
                const std::string ours = ini.GetString(section, key, "<default>", limit);
                const KnownDifference* known = Known(corpus.name, section, key);
                if (known != nullptr && known->limit == 0) continue;
                const bool mustDiffer = known != nullptr && known->limit == limit;
                if (mustDiffer == (platform == ours)) {
                    differences.push_back(Where(corpus.name, section, key) + " limit " + std::to_string(limit) +
                                          ": platform " + Show(platform) + ", ours " + Show(ours));
                }
            }
            const auto platformInt = static_cast<int32_t>(GetPrivateProfileIntA(section.c_str(), key.c_str(), -7, file.c_str()));
            if (platformInt != ini.GetInt(section, key, -7)) {
                differences.push_back(Where(corpus.name, section, key) + " as integer: platform " +
                                      std::to_string(platformInt) + ", ours " + std::to_string(ini.GetInt(section, key, -7)));
            }
        }
    }
    ExpectNone(differences);
}

// A header such as "[]" or "[ ]".
bool HasEmptySectionHeader(const std::string& text) {
    std::string line;
    std::string lineEnds = text;
    for (char& c : lineEnds) c = c == '\r' ? '\n' : c;
    std::istringstream lines(lineEnds);
    while (std::getline(lines, line)) {
        const size_t open = line.find_first_not_of(" \t\r");
        const size_t close = line.rfind(']');
        if (open != std::string::npos && line[open] == '[' && close != std::string::npos && close > open &&
            line.find_first_not_of(" \t", open + 1) == close) {
            return true;
        }
    }
    return false;
}

// The save's updates: the count first, then each row's three keys, and one key of a section that
// is not the program's.
const std::pair<std::string, std::string> kUpdates[][2] = {
    {{"LISTNUM", "LIST"}, {"3", ""}},
    {{"LIST0", "key1"}, {"17", ""}},
    {{"LIST0", "key2"}, {"88", ""}},
    {{"LIST0", "path"}, {"C:\\sounds\\alarm.wav", ""}},
    {{"LIST1", "key1"}, {"112", ""}},
    {{"LIST1", "key2"}, {"-1", ""}},
    {{"LIST1", "path"}, {"\x83\x5C\x83\x41.wav", ""}},
    {{"list2", "KEY1"}, {"", ""}},
    {{"s", "k"}, {"new", ""}},
};

TEST_F(PlatformFiles, TheSameUpdatesLeaveFilesThatReadTheSame) {
    std::vector<std::string> differences;
    for (const CorpusFile& corpus : Corpus()) {
        const std::string platformFile = Write(corpus.text);
        IniText ini(corpus.text);
        for (const auto& update : kUpdates) {
            const std::string& section = update[0].first;
            const std::string& key = update[0].second;
            const std::string& value = update[1].first;
            WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), platformFile.c_str());
            ini.SetString(section, key, value);
        }
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, platformFile.c_str());
        const std::string platformText = Read(platformFile);
        const std::string oursFile = Write(ini.Text());
        if (corpus.programForm && platformText != ini.Text()) {
            differences.push_back(std::string(corpus.name) + ": platform wrote " + Show(platformText) + ", ours " +
                                  Show(ini.Text()));
        }
        Names names = PlatformNames(platformFile);
        const Names oursNames = PlatformNames(oursFile);
        names.insert(oursNames.begin(), oursNames.end());
        const Names asked = ProgramNames();
        names.insert(asked.begin(), asked.end());
        // Wine's writer leaves out the header of a section with an empty name, so that section's
        // keys move into the section before it; there the module's own reading is the reference.
        const bool emptyHeader = HasEmptySectionHeader(corpus.text);
        for (const auto& [section, key] : names) {
            const std::string platform = emptyHeader ? IniText(ini.Text()).GetString(section, key, "<default>", 1024)
                                                     : PlatformString(platformFile, section, key, 1024);
            const std::string ours = PlatformString(oursFile, section, key, 1024);
            if (platform != ours) {
                differences.push_back(Where(corpus.name, section, key) + ": platform's file " + Show(platform) +
                                      ", ours " + Show(ours));
            }
        }
    }
    ExpectNone(differences);
}

// What the program writes reads back the same through the platform, also where the platform's
// own writer loses blanks and quotes.
TEST_F(PlatformFiles, WrittenValuesReadBackThroughThePlatform) {
    const std::string values[] = {"17", "", " lead", "trail ", "\"quoted\"", "'single'", "\"open", "a=b",
                                  "\x83\x5C\x83\x41", "x\ty", std::string(1023, 'p')};
    std::vector<std::string> platformLost;
    for (const std::string& value : values) {
        IniText ini;
        ini.SetString("LIST0", "path", value);
        const std::string ours = Write(ini.Text());
        EXPECT_EQ(PlatformString(ours, "LIST0", "path", 1024), value);
        const std::string platform = Write("");
        WritePrivateProfileStringA("LIST0", "path", value.c_str(), platform.c_str());
        if (PlatformString(platform, "LIST0", "path", 1024) != value) platformLost.push_back(value);
    }
    // Documents the platform's own losses, which the module's quoting avoids.
    EXPECT_EQ(platformLost, (std::vector<std::string>{" lead", "trail ", "\"quoted\"", "'single'"}));
}

}  // namespace

#endif  // CB_UNDER_WINE
