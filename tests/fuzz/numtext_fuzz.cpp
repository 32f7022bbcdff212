// TextToNumber on arbitrary bytes: it reads no byte past the NUL (the text sits in a block of
// exactly its size), leaves the text as it was, never gives NaN, ignores case and leading
// blanks, and reads short whole numbers to their exact value.
#include "support/numtext.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

void Require(bool condition, const char* what, const std::string& text)
{
    if (!condition) {
        std::fprintf(stderr, "%s: \"%s\"\n", what, text.c_str());
        std::abort();
    }
}

uint64_t Bits(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::string MapLetters(std::string text, char from, char to)
{
    for (char& c : text) {
        if (c >= from && c <= from + 25) {
            c = static_cast<char>(c - from + to);
        }
    }
    return text;
}

size_t CountWhile(const std::string& text, size_t from, bool (*accept)(char))
{
    size_t end = from;
    while (end < text.size() && accept(text[end])) {
        ++end;
    }
    return end - from;
}

bool IsDecimal(char c)
{
    return c >= '0' && c <= '9';
}

bool IsOctal(char c)
{
    return c >= '0' && c <= '7';
}

bool IsHex(char c)
{
    return IsDecimal(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The exact value of a whole number short enough for every partial sum to be exact:
// up to 15 decimal, 13 hexadecimal or 17 octal digits. false when text holds no such number.
bool ExactWholeValue(const std::string& text, double& value)
{
    size_t at = text.find_first_not_of(" \t");
    if (at == std::string::npos) {
        return false;
    }
    if (text[at] == '&' && at + 1 < text.size()) {
        char letter = text[at + 1];
        bool hex = letter == 'H' || letter == 'h';
        if (!hex && letter != 'O' && letter != 'o') {
            return false;
        }
        size_t count = CountWhile(text, at + 2, hex ? IsHex : IsOctal);
        if (count == 0 || count > (hex ? 13u : 17u)) {
            return false;
        }
        std::string digits = text.substr(at + 2, count);
        value = static_cast<double>(std::strtoull(digits.c_str(), nullptr, hex ? 16 : 8));
        return true;
    }
    bool negative = text[at] == '-';
    if (negative || text[at] == '+') {
        ++at;
    }
    size_t count = CountWhile(text, at, IsDecimal);
    if (count == 0 || count > 15 || (at + count < text.size() && text[at + count] == '.')) {
        return false;
    }
    std::string digits = text.substr(at, count);
    double magnitude = static_cast<double>(std::strtoull(digits.c_str(), nullptr, 10));
    value = negative ? magnitude * -1 : magnitude;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<char[]> block(new char[size + 1]);
    std::memcpy(block.get(), data, size);
    block[size] = '\0';
    double value = TextToNumber(block.get());

    std::string text(block.get());  // up to the first NUL, as the reader sees it
    Require(std::memcmp(block.get(), data, size) == 0 && block[size] == '\0', "text changed", text);
    Require(!std::isnan(value), "NaN", text);
    Require(Bits(TextToNumber(MapLetters(text, 'a', 'A').c_str())) == Bits(value), "case", text);
    Require(Bits(TextToNumber(MapLetters(text, 'A', 'a').c_str())) == Bits(value), "case", text);
    Require(Bits(TextToNumber((" \t" + text).c_str())) == Bits(value), "leading blanks", text);
    double exact = 0;
    if (ExactWholeValue(text, exact)) {
        Require(Bits(value) == Bits(exact), "whole number", text);
    }
    return 0;
}
