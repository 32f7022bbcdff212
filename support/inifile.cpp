// Reading follows the platform's private-profile functions as Wine implements them, checked under
// Wine: lines end at CR, LF or CR LF; each line is trimmed of blanks; a line that starts with "["
// and has a "]" after it opens a section named by what lies between the "[" and the last "]",
// trimmed; every other non-blank line is a key, with or without "="; the first of two sections or
// keys of the same name wins; names compare without regard to ASCII case. Where the platform
// rewrites every line of a file it changes, this text keeps each line it need not change byte for
// byte, and only ends every line with CR LF.
//
// Where Wine does otherwise, on purpose: a quoted value exactly one character shorter than the
// limit keeps its last character (Wine drops it); a lead byte followed by a byte that makes no
// character of code page 932 is passed on as it is (Wine turns the pair into U+30FB); a "[]"
// header stays when writing (Wine's writer leaves it out, which moves its keys into the section
// before); a value that reading would change is written between quotes (Wine's writer drops its
// leading blanks and leaves the rest to be lost).
#include "support/inifile.h"

#include <cstring>

using namespace std::string_view_literals;

namespace {

constexpr size_t kNone = std::string_view::npos;

bool IsLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// A lead byte of code page 932 takes the byte after it, whatever that byte is, as the
// platform's conversion does: a line end or "=" right after a lead byte is no line end or "=".
// Only a lead byte at the very end of the text stands alone.
size_t CharWidth(std::string_view text, size_t i) {
    return IsLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
}

// The platform's blanks, DOS's end-of-file mark among them. All are single bytes below any lead
// byte, so a byte test at a character's start is a character test.
bool IsBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 0x09 && byte <= 0x0D) || byte == 0x1A || byte == ' ';
}

size_t LastCharStart(std::string_view text) {
    size_t last = kNone;
    for (size_t i = 0; i < text.size(); i += CharWidth(text, i)) last = i;
    return last;
}

bool EndsWithLoneLeadByte(std::string_view text) {
    const size_t last = LastCharStart(text);
    return last != kNone && last + 1 == text.size() && IsLeadByte(text[last]);
}

// The first character in [begin, end) that is one of chars; end if none is.
size_t FindChar(std::string_view text, size_t begin, size_t end, std::string_view chars) {
    for (size_t i = begin; i < end; i += CharWidth(text, i)) {
        if (chars.find(text[i]) != kNone) return i;
    }
    return end;
}

// Names and values end at their first NUL character, as the platform's C strings do.
size_t NulCutEnd(std::string_view line, size_t begin, size_t end) {
    return FindChar(line, begin, end, "\0"sv);
}

// Past the last character in [begin, end) that is not a blank; begin if every one is.
size_t ContentEnd(std::string_view text, size_t begin, size_t end) {
    size_t contentEnd = begin;
    for (size_t i = begin; i < end; i += CharWidth(text, i)) {
        if (CharWidth(text, i) == 2 || !IsBlank(text[i])) contentEnd = i + CharWidth(text, i);
    }
    return contentEnd;
}

std::string_view Trimmed(std::string_view text) {
    text = text.substr(0, NulCutEnd(text, 0, text.size()));
    size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    return text.substr(begin, ContentEnd(text, begin, text.size()) - begin);
}

std::string Fold(std::string_view name) {
    std::string folded(name);
    for (size_t i = 0; i < folded.size(); i += CharWidth(folded, i)) {
        if (folded[i] >= 'A' && folded[i] <= 'Z') folded[i] = static_cast<char>(folded[i] - 'A' + 'a');
    }
    return folded;
}

// Where the parts of one line lie, as byte offsets.
struct LineShape {
    size_t first = 0;            // the first non-blank character
    size_t end = 0;              // past the last non-blank character; first == end: blank line
    size_t bracket = kNone;      // the last "]" after a leading "[": a section header
    size_t equals = kNone;       // the first "=" of a key line
    size_t nameEnd = 0;          // past the key's name, its trailing blanks left out
    size_t valueStart = 0;       // the value's first non-blank character
};

LineShape Shape(std::string_view line) {
    LineShape shape;
    while (shape.first < line.size() && IsBlank(line[shape.first])) ++shape.first;
    shape.end = ContentEnd(line, shape.first, line.size());
    if (shape.first == shape.end) return shape;
    if (line[shape.first] == '[') {
        for (size_t i = shape.first + 1; i < shape.end; i += CharWidth(line, i)) {
            if (line[i] == ']') shape.bracket = i;
        }
        if (shape.bracket != kNone) return shape;
    }
    const size_t equals = FindChar(line, shape.first, shape.end, "=");
    shape.nameEnd = ContentEnd(line, shape.first, equals);
    if (equals == shape.end) return shape;
    shape.equals = equals;
    shape.valueStart = shape.equals + 1;
    while (shape.valueStart < shape.end && IsBlank(line[shape.valueStart])) ++shape.valueStart;
    return shape;
}

// A value that starts and ends with the same quote loses both when read.
std::string_view Unquoted(std::string_view value) {
    if (value.empty() || (value[0] != '"' && value[0] != '\'')) return value;
    const size_t last = LastCharStart(value);
    if (last == 0 || value[last] != value[0]) return value;
    return value.substr(1, last - 1);
}

// The longest run of whole characters that fits in limit - 1 bytes. The platform cuts to
// limit - 1 characters first and then to limit - 1 bytes without splitting a double-byte
// character, which comes to the same.
std::string_view CutToLimit(std::string_view text, size_t limit) {
    if (limit == 0) return {};
    size_t end = 0;
    while (end < text.size() && end + CharWidth(text, end) <= limit - 1) end += CharWidth(text, end);
    return text.substr(0, end);
}

// The platform reads an integer as a C runtime would, with base prefixes "0x", "0o" and "0b",
// a sign, and no overflow check: the digits wrap around 32 bits.
uint32_t ParseInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    uint32_t base = 10;
    if (text.size() - i >= 2 && text[i] == '0') {
        const char mark = text[i + 1];
        base = mark == 'x' ? 16 : mark == 'o' ? 8 : mark == 'b' ? 2 : 10;
        if (base != 10) i += 2;
    }
    uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        uint32_t digit = 99;
        if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
        if (c >= 'A' && c <= 'Z') digit = static_cast<uint32_t>(c - 'A' + 10);
        if (c >= 'a' && c <= 'z') digit = static_cast<uint32_t>(c - 'a' + 10);
        if (digit >= base) break;
        total = total * base + digit;
    }
    return negative ? 0u - total : total;
}

// The text to put after "=" so that the value reads back as it is. A line break cannot be
// stored, so the value ends before one; a lone lead byte at its end would take the line end
// with it, so it goes. Blanks at either end, and a pair of quotes around the value, would be
// lost on reading: the value is then put between quotes, which reading takes away.
std::string EncodeValue(std::string_view value) {
    std::string kept(value.substr(0, FindChar(value, 0, value.size(), "\0\n\r"sv)));
    if (EndsWithLoneLeadByte(kept)) kept.pop_back();
    return Unquoted(Trimmed(kept)) == kept ? kept : '"' + kept + '"';
}

// The length of the UTF-8 sequence that a byte starts, or 0 where no sequence starts with it.
size_t Utf8Length(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    return lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
}

// Strict UTF-8 with a character of three bytes or more, as Japanese takes: no overlong form, no
// surrogate, nothing above U+10FFFF, no sequence cut short. Two-byte forms alone do not count:
// pairs of half-width katakana in code page 932 ("ﾈｺ" is C8 BA) make them.
bool IsJapaneseUtf8(std::string_view bytes) {
    bool wide = false;
    for (size_t i = 0, length; i < bytes.size(); i += length) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        length = Utf8Length(lead);
        if (length == 0 || i + length > bytes.size()) return false;
        if (length == 1) continue;
        // The second byte's range is narrower after E0, ED, F0 and F4.
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        if (second < low || second > high) return false;
        for (size_t k = 2; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) return false;
        }
        wide = wide || length > 2;
    }
    return wide;
}

}  // namespace

IniTextEncoding DetectIniTextEncoding(std::string_view bytes, size_t* markLength) {
    static const struct { std::string_view mark; IniTextEncoding encoding; } marks[] = {
        {"\xEF\xBB\xBF", IniTextEncoding::Utf8}, {"\xFF\xFE", IniTextEncoding::Utf16LE},
        {"\xFE\xFF", IniTextEncoding::Utf16BE}};
    for (const auto& m : marks) {
        if (bytes.substr(0, m.mark.size()) != m.mark) continue;
        *markLength = m.mark.size();
        return m.encoding;
    }
    // Notepad saves UTF-8 without a mark. Japanese in code page 932 is almost never valid UTF-8:
    // its lead bytes 81-9F are continuation bytes there.
    *markLength = 0;
    return IsJapaneseUtf8(bytes) ? IniTextEncoding::Utf8 : IniTextEncoding::Ansi;
}

IniText::IniText() : sections_(1) { byName_.emplace("", 0); }

IniText::IniText(std::string_view text) : IniText() {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); i += CharWidth(text, i)) {
        if (text[i] != '\n' && text[i] != '\r') continue;
        AddLine(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) AddLine(text.substr(start));
}

void IniText::AddLine(std::string_view line) {
    const LineShape shape = Shape(line);
    if (shape.bracket != kNone) {
        const std::string_view name = line.substr(shape.first + 1, shape.bracket - shape.first - 1);
        AddSection(Fold(Trimmed(name)), line);
        return;
    }
    Section& section = sections_.back();
    if (shape.first != shape.end) {
        const bool hasValue = shape.equals != kNone;
        const size_t nameEnd = NulCutEnd(line, shape.first, shape.nameEnd);
        const size_t valueEnd = hasValue ? NulCutEnd(line, shape.valueStart, shape.end) : 0;
        section.keys.push_back({Fold(line.substr(shape.first, nameEnd - shape.first)), section.lines.size(),
                                hasValue, shape.valueStart, valueEnd});
        section.contentEnd = section.lines.size() + 1;
    }
    section.lines.emplace_back(line);
}

// A name seen before keeps finding the first section so named.
IniText::Section& IniText::AddSection(std::string foldedName, std::string_view header) {
    byName_.emplace(std::move(foldedName), sections_.size());
    Section& section = sections_.emplace_back();
    section.lines.emplace_back(header);
    section.contentEnd = 1;
    return section;
}

const IniText::Key* IniText::FindKey(std::string_view section, std::string_view key,
                                     const Section** owner) const {
    const auto found = byName_.find(Fold(Trimmed(section)));
    if (found == byName_.end()) return nullptr;
    *owner = &sections_[found->second];
    const std::string folded = Fold(Trimmed(key));
    for (const Key& candidate : (*owner)->keys) {
        if (candidate.foldedName == folded) return &candidate;
    }
    return nullptr;
}

std::string_view IniText::RawValue(const Section& section, const Key& key) const {
    return std::string_view(section.lines[key.line]).substr(key.valueStart, key.valueEnd - key.valueStart);
}

// A key without "=" reads as missing; a key with "=" and nothing after it reads as empty.
std::string IniText::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue, size_t limit) const {
    std::string_view value = defaultValue;
    const Section* owner = nullptr;
    if (const Key* found = FindKey(section, key, &owner); found != nullptr && found->hasValue) {
        value = RawValue(*owner, *found);
    }
    return std::string(CutToLimit(Unquoted(value), limit));
}

void IniText::CopyString(std::string_view section, std::string_view key, const char* defaultValue,
                         char* buffer, size_t limit) const {
    if (limit == 0) return;
    const std::string value = GetString(section, key, defaultValue, limit);
    std::memcpy(buffer, value.data(), value.size());
    buffer[value.size()] = '\0';
}

// The platform reads the value as text of at most 29 characters, then as a number.
int32_t IniText::GetInt(std::string_view section, std::string_view key, int32_t defaultValue) const {
    const std::string text = GetString(section, key, "", 30);
    return text.empty() ? defaultValue : static_cast<int32_t>(ParseInteger(text));
}

// As the platform's writer: a new section goes at the end of the text, a new key after the
// last non-blank line of its section, a key that is there gets its new value, and a value that
// does not change leaves its line as it was. Names are the caller's plain names: no line break,
// "=" or brackets.
void IniText::SetString(std::string_view section, std::string_view key, std::string_view value) {
    section = Trimmed(section);
    key = Trimmed(key);
    const std::string encoded = EncodeValue(value);
    std::string keyLine = std::string(key) + '=' + encoded;
    const Key added{Fold(key), 0, true, key.size() + 1, keyLine.size()};

    const auto found = byName_.find(Fold(section));
    Section& target = found != byName_.end() ? sections_[found->second]
                                             : AddSection(Fold(section), '[' + std::string(section) + ']');
    for (Key& present : target.keys) {
        if (present.foldedName != added.foldedName) continue;
        std::string& line = target.lines[present.line];
        if (present.hasValue) {
            if (RawValue(target, present) == encoded) return;
            line.erase(present.valueStart);
        } else {
            line.erase(Shape(line).end);
            if (EndsWithLoneLeadByte(line)) line.pop_back();
            line += '=';
            present.valueStart = line.size();
        }
        line += encoded;
        present.hasValue = true;
        present.valueEnd = line.size();
        return;
    }
    target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(target.contentEnd),
                        std::move(keyLine));
    target.keys.push_back(added);
    target.keys.back().line = target.contentEnd++;
}

std::string IniText::Text() const {
    size_t size = 0;
    for (const Section& section : sections_) {
        for (const std::string& line : section.lines) size += line.size() + 2;
    }
    std::string text;
    text.reserve(size);
    for (const Section& section : sections_) {
        for (std::string_view line : section.lines) {
            if (EndsWithLoneLeadByte(line)) line.remove_suffix(1);
            text.append(line).append("\r\n");
        }
    }
    return text;
}
