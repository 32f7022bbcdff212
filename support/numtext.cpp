// Numbers to text and back. Every arithmetic step below is one double operation rounded
// before the next one uses it (the build forbids contraction and x87 intermediates), so the
// 32-bit and the 64-bit program produce the same bits.
#include "support/numtext.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr int DIGIT_COUNT = 15;

// The value is about 0.d1 d2 ... d15 x 10^point.
struct DigitRecord {
    bool negative = false;
    int32_t point = 0;
    int digits[DIGIT_COUNT] = {};
};

// A magnitude that leaves the scaling is below 9.99999999999999, so its fifteen digits are
// never all 9 and the carry stops at the first digit at the latest (a leading 0 from a
// magnitude just below 1 becomes 1).
void RoundUpLastDigit(DigitRecord& record) {
    for (int i = DIGIT_COUNT - 1; i >= 0; --i) {
        if (record.digits[i] < 9) {
            ++record.digits[i];
            return;
        }
        record.digits[i] = 0;
    }
}

DigitRecord MakeDigitRecord(double value) {
    DigitRecord record;
    if (value == 0) return record;
    record.negative = value < 0;
    double m = record.negative ? value * -1 : value;
    record.point = 1;
    while (m < 0.999999999999999) {
        m = m * 10;
        --record.point;
    }
    // No second pass of the loop above: m may end a little below 0.999999999999999 and
    // then starts with the digit 0 that the rounding carry turns into 1.
    while (m >= 9.99999999999999) {
        m = m / 10;
        ++record.point;
    }
    for (int& digit : record.digits) {
        // m stays in [0, 10): a difference below 1 times 10 rounds to a double below 10.
        digit = static_cast<int>(m);
        m = m - digit;
        m = m * 10;
    }
    if (m >= 5) RoundUpLastDigit(record);
    return record;
}

char DigitChar(int digit) { return static_cast<char>('0' + digit); }

// The text goes into a local buffer, so calls on different threads share nothing. Its longest
// form is 22 characters: "-", 15 digits, the point and "e-324".
constexpr int TEXT_BUFFER_SIZE = 32;

char* WriteExponentForm(const DigitRecord& record, char* out, const char* end) {
    *out++ = DigitChar(record.digits[0]);
    *out++ = '.';
    for (int i = 1; i < DIGIT_COUNT; ++i) *out++ = DigitChar(record.digits[i]);
    return out + std::snprintf(out, static_cast<size_t>(end - out), record.point > 0 ? "e+%03d" : "e%03d",
                               static_cast<int>(record.point - 1));
}

char* WriteFixedForm(const DigitRecord& record, char* out) {
    int next = 0;
    if (record.point > 0) {
        for (; next < record.point; ++next) *out++ = DigitChar(record.digits[next]);
        *out++ = '.';
    } else {
        *out++ = '0';
        *out++ = '.';
        for (int32_t zero = record.point; zero < 0; ++zero) *out++ = '0';
    }
    for (; next < DIGIT_COUNT; ++next) *out++ = DigitChar(record.digits[next]);
    // The point written above stops this before any digit of the integer part.
    while (out[-1] == '0') --out;
    return out[-1] == '.' ? out - 1 : out;
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

char ToAsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The value of a hexadecimal digit character of either case; 16 (no digit of any base) for
// anything else.
unsigned DigitValue(char c) {
    c = ToAsciiUpper(c);
    if (IsDecimalDigit(c)) return static_cast<unsigned>(c - '0');
    return c >= 'A' && c <= 'F' ? static_cast<unsigned>(c - 'A' + 10) : 16;
}

// Two's complement reading of a 64-bit pattern, spelt out so that it is defined in C++17.
int64_t ToSigned(uint64_t bits) {
    return bits <= INT64_MAX ? static_cast<int64_t>(bits) : -static_cast<int64_t>(~bits) - 1;
}

// text points just after the "&". Upper-casing the base letter and the digits ASCII-wise gives
// what the platform's code page 932 upper-casing gives: every byte before the end of the number
// is ASCII and so a character of its own, never the trail byte of a double-byte character; a byte
// of 0x80 or more ends the number, whatever it and the bytes after it would become.
double ReadBasedForm(const char* text) {
    const char mark = ToAsciiUpper(*text);
    const unsigned base = mark == 'H' ? 16 : mark == 'O' ? 8 : 0;
    if (base == 0) return 0;
    const char* const first = text + 1;
    const char* end = first;
    while (DigitValue(*end) < base) ++end;
    // Every product is a digit times a power of two and so exact as a double: the addition is
    // the one rounding. Once the place value has wrapped to 0 the digits further left add 0.
    double sum = 0;
    uint64_t place = 1;
    for (const char* c = end; c != first && place != 0;) {
        uint64_t product = DigitValue(*--c) * place;
        sum = sum + static_cast<double>(ToSigned(product));
        place = place * base;
    }
    return sum;
}

double ReadDecimalForm(const char* text) {
    const bool negative = *text == '-';
    if (negative || *text == '+') ++text;
    const char* integerEnd = text;
    while (IsDecimalDigit(*integerEnd)) ++integerEnd;
    double sum = 0;
    double place = 1;
    for (const char* c = integerEnd; c != text;) {
        int digit = *--c - '0';
        // Past 308 digits the place value is infinite: a zero digit still adds nothing rather
        // than 0 x infinity = NaN, so leading zeros stay harmless and a longer number reads as
        // infinity.
        if (digit != 0) {
            double product = digit * place;
            sum = product + sum;
        }
        place = place * 10;
    }
    if (*integerEnd == '.') {
        double divisor = 10;
        for (const char* c = integerEnd + 1; IsDecimalDigit(*c); ++c) {
            double quotient = (*c - '0') / divisor;
            sum = quotient + sum;
            divisor = divisor * 10;
        }
    }
    return negative ? sum * -1 : sum;
}

}  // namespace

// The program converts only finite numbers; should an infinity or NaN arrive, it reads "inf",
// "-inf" or "nan", as C's printf writes them.
std::string NumberToText(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    const DigitRecord record = MakeDigitRecord(value);
    char text[TEXT_BUFFER_SIZE];
    char* out = text;
    if (record.negative) *out++ = '-';
    if (record.point > 15 || record.point < -3) {
        out = WriteExponentForm(record, out, text + TEXT_BUFFER_SIZE);
    } else {
        out = WriteFixedForm(record, out);
    }
    return std::string(text, out);
}

// A null pointer reads as the empty text.
double TextToNumber(const char* text) {
    if (text == nullptr) return 0;
    while (*text == ' ' || *text == '\t') ++text;
    return *text == '&' ? ReadBasedForm(text + 1) : ReadDecimalForm(text);
}

// NaN gives 0 and values beyond the range saturate, where a plain conversion is undefined
// ("&H8000000000000000" and digit runs longer than 308 read as such values).
int32_t TruncateToInt32(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0) return INT32_MAX;
    if (value <= -2147483649.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}
