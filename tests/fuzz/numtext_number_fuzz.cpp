// NumberToText on arbitrary 64-bit patterns: a finite value gives a well-formed text of at most
// 22 characters that names the value and reads back as a finite number; whole numbers up to
// 1999999 in magnitude give plain decimal digits.
#include "support/numtext.h"
#include "tests/native/numtext_check.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint64_t bits = 0;
    std::memcpy(&bits, data, size < sizeof bits ? size : sizeof bits);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    std::string text = NumberToText(value);

    std::string fault;
    if (!std::isfinite(value)) {
        if (text != (std::isnan(value) ? "nan" : value < 0 ? "-inf" : "inf")) {
            fault = "not the text of a non-finite value";
        }
    } else {
        fault = numtext_check::CheckFiniteText(value, text);
        if (fault.empty() && std::fabs(value) <= 1999999 && value == std::trunc(value) &&
            text != std::to_string(static_cast<long>(value))) {
            fault = "a whole number not in plain decimal";
        }
    }
    if (!fault.empty()) {
        std::fprintf(stderr, "%.17g (0x%016llx) gave \"%s\": %s\n", value,
                     static_cast<unsigned long long>(bits), text.c_str(), fault.c_str());
        std::abort();
    }
    return 0;
}
