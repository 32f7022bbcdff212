// The reading rules are those of the platform's private-profile functions as Wine implements
// them, checked against them under Wine: lines end at CR, LF or CR LF; each line is trimmed of
// blanks; a line that starts with "[" and has a "]" after it opens a section named by what lies
// between the "[" and the last "]", trimmed; every other non-blank line is a key, with or
// without an "="; the first of two sections or keys of the same name wins; names compare
// without regard to the case of ASCII letters. Where the platform rewrites every line of a file
// it changes, this text keeps every line it does not have to change, byte for byte, and only
// gives every line a CR LF end.
//
// Where Wine does otherwise, on purpose: a quoted value exactly one character shorter than the
// limit keeps its last character (Wine drops it); a lead byte followed by a byte that makes no
// character of code page 932 is passed on as it is (Wine turns the pair into U+30FB); a "[]"
// header stays when writing (Wine's writer leaves it out, which moves its keys into the section
// before); a value that reading would change is written between quotes (Wine's writer drops its
// leading blanks and leaves the rest to be lost).
#include "support/inifile.h"

#include <cstring>

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

// Names and values end at their first NUL character, as the platform's C strings do.
size_t NulCutEnd(std::string_view line, size_t begin, size_t end) {
    for (size_t i = begin; i < end; i += CharWidth(line, i)) {
        if (line[i] == '\0') return i;
    }
    return end;
}

std::string_view Trimmed(std::string_view text) {
    text = text.substr(0, NulCutEnd(text, 0, text.size()));
    size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    size_t end = begin;
    for (size_t i = begin; i < text.size(); i += CharWidth(text, i)) {
        if (CharWidth(text, i) == 2 || !IsBlank(text[i])) end = i + CharWidth(text, i);
    }
    return text.substr(begin, end - begin);
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
    bool seen = false;
    for (size_t i = 0; i < line.size(); i += CharWidth(line, i)) {
        const size_t width = CharWidth(line, i);
        if (width == 1 && IsBlank(line[i])) continue;
        if (!seen) shape.first = i;
        seen = true;
        shape.end = i + width;
    }
    if (!seen) return shape;
    if (line[shape.first] == '[') {
        for (size_t i = shape.first + 1; i < shape.end; i += CharWidth(line, i)) {
            if (line[i] == ']') shape.bracket = i;
        }
        if (shape.bracket != kNone) return shape;
    }
    shape.nameEnd = shape.end;
    for (size_t i = shape.first; i < shape.end; i += CharWidth(line, i)) {
        if (line[i] == '=') {
            shape.equals = i;
            break;
        }
    }
    if (shape.equals == kNone) return shape;
    shape.nameEnd = shape.first;
    for (size_t i = shape.first; i < shape.equals; i += CharWidth(line, i)) {
        if (CharWidth(line, i) == 2 || !IsBlank(line[i])) shape.nameEnd = i + CharWidth(line, i);
    }
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
    size_t end = value.size();
    for (size_t i = 0; i < value.size(); i += CharWidth(value, i)) {
        if (value[i] == '\0' || value[i] == '\n' || value[i] == '\r') {
            end = i;
            break;
        }
    }
    std::string kept(value.substr(0, end));
    if (EndsWithLoneLeadByte(kept)) kept.pop_back();
    if (kept.empty()) return kept;
    const size_t last = LastCharStart(kept);
    const bool lastBlank = CharWidth(kept, last) == 1 && IsBlank(kept[last]);
    const bool quoted = Unquoted(kept).size() != kept.size();
    if (IsBlank(kept[0]) || lastBlank || quoted) return '"' + kept + '"';
    return kept;
}

}  // namespace

IniTextEncoding DetectIniTextEncoding(std::string_view bytes, size_t* markLength) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        *markLength = 3;
        return IniTextEncoding::Utf8;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        *markLength = 2;
        return IniTextEncoding::Utf16LE;
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        *markLength = 2;
        return IniTextEncoding::Utf16BE;
    }
    *markLength = 0;
    return IniTextEncoding::Ansi;
}

IniText::IniText() : sections_(1) { byName_.emplace("", 0); }

// Lines end at CR, LF or CR LF, as the platform reads them.
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
    if (shape.first == shape.end) {
        sections_.back().lines.emplace_back(line);
        return;
    }
    if (shape.bracket != kNone) {
        const std::string_view name = line.substr(shape.first + 1, shape.bracket - shape.first - 1);
        byName_.emplace(Fold(Trimmed(name)), sections_.size());
        Section& section = sections_.emplace_back();
        section.lines.emplace_back(line);
        section.contentEnd = 1;
        return;
    }
    Section& section = sections_.back();
    Key key;
    key.foldedName = Fold(line.substr(shape.first, NulCutEnd(line, shape.first, shape.nameEnd) - shape.first));
    key.line = section.lines.size();
    key.hasValue = shape.equals != kNone;
    key.valueStart = key.hasValue ? shape.valueStart : 0;
    key.valueEnd = key.hasValue ? NulCutEnd(line, shape.valueStart, shape.end) : 0;
    section.keys.push_back(std::move(key));
    section.lines.emplace_back(line);
    section.contentEnd = section.lines.size();
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
    if (text.empty()) return defaultValue;
    return static_cast<int32_t>(ParseInteger(text));
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
    if (found == byName_.end()) {
        byName_.emplace(Fold(section), sections_.size());
        Section& created = sections_.emplace_back();
        created.lines.push_back('[' + std::string(section) + ']');
        created.lines.push_back(std::move(keyLine));
        created.keys.push_back(added);
        created.keys.back().line = 1;
        created.contentEnd = 2;
        return;
    }
    Section& target = sections_[found->second];
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
