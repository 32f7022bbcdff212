// The INI text module on arbitrary text and names with double-byte characters that hold a letter
// or "]": the written form is stable and reads as the text did; a value written reads back whole
// and cut to any limit, and every other key reads as before.
#include "support/inifile.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <strings.h>

#include <cstdlib>

namespace {

bool IsLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

std::string Name(FuzzedDataProvider& data) {
    static const char* const parts[] = {"LIST", "list", "key", "0", "12", "\x83\x41", "\x83\x61", "\x81\x5D", "\x82\x60"};
    std::string name = data.PickValueInArray(parts);
    while (data.ConsumeBool()) name += data.PickValueInArray(parts);
    return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::string input = data.ConsumeRandomLengthString(4096), section = Name(data), key = Name(data);
    const size_t limit = data.ConsumeIntegralInRange<size_t>(1, 400);
    std::string value;  // any characters but NUL and the line ends
    size_t cut = 0;     // the whole characters within the limit
    for (size_t count = data.ConsumeIntegralInRange<size_t>(0, 300); count > 0 && data.remaining_bytes() > 0; --count) {
        const char byte = data.ConsumeIntegral<char>();
        if (byte == '\0' || byte == '\r' || byte == '\n') continue;
        value += IsLeadByte(byte) ? std::string{byte, data.ConsumeIntegral<char>()} : std::string{byte};
        if (value.size() < limit) cut = value.size();
    }
    const IniText raw(input), base(raw.Text());
    IniText changed = base;
    changed.SetString(section, key, value);
    const IniText reread(changed.Text());
    const char* const none = "<none>";
    bool sound = base.Text() == raw.Text() && reread.GetString(section, key, none, value.size() + 2) == value &&
                 reread.GetString(section, key, none, limit) == value.substr(0, cut);
    const bool whole = input.empty() || !IsLeadByte(input.back());  // a lone lead byte at the end goes
    for (int i = 0; i < 4; ++i) {
        const std::string s = Name(data), k = Name(data), before = base.GetString(s, k, none, 1024);
        const bool same = strcasecmp(s.c_str(), section.c_str()) == 0 && strcasecmp(k.c_str(), key.c_str()) == 0;
        sound = sound && (!whole || (raw.GetString(s, k, none, 1024) == before && raw.GetInt(s, k, 7) == base.GetInt(s, k, 7)));
        sound = sound && (same || reread.GetString(s, k, none, 1024) == before);
    }
    if (!sound) std::abort();
    return 0;
}
