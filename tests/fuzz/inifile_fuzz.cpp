// The INI text module on arbitrary text: reading and writing never fail, what it writes reads
// back the same, a value written reads back cut to the limit, and no other key changes.
#include "soundlist/inifile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

bool IsLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// Plain names of the kind the program uses, with double-byte characters whose second byte is a
// letter, a bracket or a digit thrown in.
std::string Name(FuzzedDataProvider& data) {
    static const char* const parts[] = {"LIST", "list", "key", "KEY", "path", "0", "1", "12", "x", "Z",
                                        "\x83\x41", "\x83\x61", "\x81\x5D", "\x81\x5B", "\x82\x60", "\x93\xFA"};
    std::string name;
    const size_t count = data.ConsumeIntegralInRange<size_t>(1, 4);
    for (size_t i = 0; i < count; ++i) name += parts[data.ConsumeIntegralInRange<size_t>(0, std::size(parts) - 1)];
    return name;
}

// A value the format can hold: any characters of code page 932 but NUL and the line ends. A lead
// byte takes any second byte, line ends included. Returns the byte offset where each character ends.
std::string Value(FuzzedDataProvider& data, std::vector<size_t>* charEnds) {
    std::string value;
    const size_t count = data.ConsumeIntegralInRange<size_t>(0, 300);
    for (size_t i = 0; i < count && data.remaining_bytes() > 0; ++i) {
        const auto byte = data.ConsumeIntegral<unsigned char>();
        if (IsLeadByte(byte)) {
            value += static_cast<char>(byte);
            value += static_cast<char>(data.ConsumeIntegral<unsigned char>());
        } else if (byte != '\0' && byte != '\r' && byte != '\n') {
            value += static_cast<char>(byte);
        } else {
            continue;
        }
        charEnds->push_back(value.size());
    }
    return value;
}

std::string CutToLimit(const std::string& value, const std::vector<size_t>& charEnds, size_t limit) {
    size_t end = 0;
    for (size_t charEnd : charEnds) {
        if (charEnd > limit - 1) break;
        end = charEnd;
    }
    return value.substr(0, end);
}

bool SameName(std::string a, std::string b) {
    // The names above fold only in their ASCII parts, and no double-byte part holds a letter in
    // its first byte, so folding every byte outside a pair is enough here.
    auto fold = [](std::string& text) {
        for (size_t i = 0; i < text.size(); ++i) {
            if (IsLeadByte(static_cast<unsigned char>(text[i]))) {
                ++i;
            } else if (text[i] >= 'A' && text[i] <= 'Z') {
                text[i] = static_cast<char>(text[i] - 'A' + 'a');
            }
        }
    };
    fold(a);
    fold(b);
    return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string input = data.ConsumeRandomLengthString(4096);

    // Arbitrary text reads and writes; its written form is stable.
    const IniText raw(input);
    const std::string text = raw.Text();
    const IniText base(text);
    Check(base.Text() == text);

    struct Probe {
        std::string section, key;
    };
    std::vector<Probe> probes;
    for (int i = 0; i < 4; ++i) probes.push_back({Name(data), Name(data)});
    const unsigned char last = input.empty() ? 0 : static_cast<unsigned char>(input.back());
    for (const Probe& probe : probes) {
        const std::string before = base.GetString(probe.section, probe.key, "<default>", 1024);
        // Writing gives every line a proper end; only a lead byte cut off at the very end of the
        // text is dropped on the way.
        if (IsLeadByte(last)) continue;
        Check(raw.GetString(probe.section, probe.key, "<default>", 1024) == before);
        Check(raw.GetInt(probe.section, probe.key, 7) == base.GetInt(probe.section, probe.key, 7));
    }

    // A value written reads back whole, and cut to any limit; every other key reads as before.
    const std::string section = Name(data);
    const std::string key = Name(data);
    std::vector<size_t> charEnds;
    const std::string value = Value(data, &charEnds);
    const size_t limit = data.ConsumeIntegralInRange<size_t>(1, 400);
    IniText changed(text);
    changed.SetString(section, key, value);
    const IniText reread(changed.Text());
    Check(reread.GetString(section, key, "<default>", value.size() + 2) == value);
    Check(reread.GetString(section, key, "<default>", limit) == CutToLimit(value, charEnds, limit));
    for (const Probe& probe : probes) {
        if (SameName(probe.section, section) && SameName(probe.key, key)) continue;
        Check(reread.GetString(probe.section, probe.key, "<default>", 1024) ==
              base.GetString(probe.section, probe.key, "<default>", 1024));
    }
    return 0;
}
