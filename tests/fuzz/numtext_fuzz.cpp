// TextToNumber on arbitrary bytes in a block of their size, NumberToText on the first eight taken
// as a double: no read past the NUL, no change, no NaN, no case or leading blanks; sound texts.
// A byte of 0x80 or more (a double-byte character's lead byte) ends the number.
#include "support/numtext.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <regex>
#include <vector>

namespace {

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The fixed form, or 15 digits and an exponent, within 324 scaling steps of error 2^-53 of the
// value (in long double: DBL_MAX's text lies beyond the doubles); the fixed form reads back.
bool IsSoundText(long double value, const std::string& text) {
    static const std::regex forms(R"(-?([1-9]\.\d{14}e(\+\d{3}|-\d{2,3})|(0|[1-9]\d*)(\.\d*[1-9])?))");
    auto near = [&](long double named) { return std::fabs(named - value) <= 5e-14 * std::fabs(value); };
    return text.size() <= 22 && std::regex_match(text, forms) && (text[0] == '-') == (value < 0) &&
           near(std::strtold(text.c_str(), nullptr)) && (text.find('e') != text.npos || near(TextToNumber(text.c_str())));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char> block(size + 1, '\0');
    std::memcpy(block.data(), data, size);
    const double value = TextToNumber(block.data());
    std::string upper(block.data());
    const std::string ascii = upper.substr(0, std::find_if(upper.begin(), upper.end(), [](char c) { return c & 0x80; }) - upper.begin());
    for (char& c : upper) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    double number = 0;
    std::memcpy(&number, data, size < sizeof number ? size : sizeof number);
    const std::string text = NumberToText(number);
    const bool sound = !std::isfinite(number) ? text == (std::isnan(number) ? "nan" : number < 0 ? "-inf" : "inf")
                       : std::fabs(number) <= 2147483648.0 && number == std::trunc(number)
                           ? text == std::to_string(static_cast<long>(number))
                           : IsSoundText(number, text);
    if (std::memcmp(block.data(), data, size) != 0 || std::isnan(value) || !sound ||
        !SameBits(TextToNumber(upper.c_str()), value) || !SameBits(TextToNumber((" \t" + upper).c_str()), value) ||
        !SameBits(TextToNumber(ascii.c_str()), value)) {
        std::abort();
    }
    return 0;
}
