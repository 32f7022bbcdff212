// Checks of a number's text that the unit tests and the fuzz target share.
#pragma once

#include "support/numtext.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace numtext_check {

constexpr size_t MAX_TEXT_LENGTH = 22;

// Up to 324 scaling steps of relative error 2^-53 each, plus the rounding to 15 digits.
constexpr double MAX_RELATIVE_ERROR = 5e-14;

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool AllDigits(const std::string& text, size_t from, size_t count)
{
    if (text.size() < from + count) {
        return false;
    }
    for (size_t i = from; i < from + count; ++i) {
        if (!IsDigit(text[i])) {
            return false;
        }
    }
    return true;
}

// d.dddddddddddddde+XXX or d.dddddddddddddde-XX(X), the first digit not 0.
inline bool IsExponentForm(const std::string& body)
{
    if (body.size() < 20 || !AllDigits(body, 0, 1) || body[0] == '0' || body[1] != '.' ||
        !AllDigits(body, 2, 14) || body[16] != 'e') {
        return false;
    }
    std::string exponent = body.substr(17);
    if (exponent.size() < 3 || (exponent[0] != '+' && exponent[0] != '-') ||
        !AllDigits(exponent, 1, exponent.size() - 1)) {
        return false;
    }
    long power = std::strtol(exponent.c_str(), nullptr, 10);
    return exponent[0] == '+' ? (exponent.size() >= 4 && power >= 15)
                              : (exponent.size() >= 3 && power <= -5);
}

// Digits with an optional point: no leading zero of the integer part, no trailing zero or
// point after it, at most 15 significant digits.
inline bool IsFixedForm(const std::string& body)
{
    size_t point = body.find('.');
    std::string whole = body.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : body.substr(point + 1);
    if (whole.empty() || !AllDigits(whole, 0, whole.size()) ||
        !AllDigits(fraction, 0, fraction.size()) || (whole.size() > 1 && whole[0] == '0')) {
        return false;
    }
    if (point != std::string::npos && (fraction.empty() || fraction.back() == '0')) {
        return false;
    }
    std::string digits = whole + fraction;
    size_t first = digits.find_first_not_of('0');
    return first == std::string::npos || digits.size() - first <= 15;
}

// An empty result when text is a sound text for the finite value, else what is wrong.
inline std::string CheckFiniteText(double value, const std::string& text)
{
    if (text.size() > MAX_TEXT_LENGTH) {
        return "longer than 22 characters";
    }
    bool negative = !text.empty() && text[0] == '-';
    std::string body = negative ? text.substr(1) : text;
    bool exponentForm = IsExponentForm(body);
    if (!exponentForm && !IsFixedForm(body)) {
        return "neither the fixed nor the exponent form";
    }
    if (negative != (value < 0)) {
        return "wrong sign";
    }
    if (negative && body == "0") {
        return "negative zero text";
    }
    // In long double: the text of the largest double names a number beyond the double range,
    // and the error allowed for the smallest ones is below it.
    long double written = std::strtold(text.c_str(), nullptr);
    long double exact = value;
    if (std::fabs(written - exact) > MAX_RELATIVE_ERROR * std::fabs(exact)) {
        return "does not name the value";
    }
    double reread = TextToNumber(text.c_str());
    if (!std::isfinite(reread)) {
        return "reads back as a non-finite number";
    }
    // Read back, the exponent form gives its mantissa; the fixed form gives the value.
    double expected = std::strtod((exponentForm ? text.substr(0, text.find('e')) : text).c_str(),
                                  nullptr);
    if (std::fabs(reread - expected) > MAX_RELATIVE_ERROR * std::fabs(expected)) {
        return "reads back as a different number";
    }
    return "";
}

}  // namespace numtext_check
