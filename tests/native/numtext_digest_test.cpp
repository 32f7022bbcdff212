// The same sources run natively, in the 64-bit and in the 32-bit Windows build: one digest of
// many conversions, equal to the same constant everywhere, shows that they give the same bits.
#include "support/numtext.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstring>
#include <string>

namespace {

class Digest {
public:
    void Add(const std::string& text)
    {
        for (char c : text) {
            AddByte(static_cast<uint8_t>(c));
        }
        AddByte(0);
    }

    void Add(double value)
    {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        for (int shift = 0; shift < 64; shift += 8) {
            AddByte(static_cast<uint8_t>(bits >> shift));
        }
    }

    uint64_t Value() const { return hash_; }

private:
    void AddByte(uint8_t byte)
    {
        hash_ = (hash_ ^ byte) * 0x100000001B3ull;  // FNV-1a, 64 bits
    }

    uint64_t hash_ = 0xCBF29CE484222325ull;
};

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    uint64_t Next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    unsigned Below(unsigned bound) { return static_cast<unsigned>(Next() % bound); }

private:
    uint64_t state_;
};

double FromBits(uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Numbers of every magnitude and numbers with few decimal digits, where rounding is closest.
void AddNumberTexts(Random& random, Digest& digest)
{
    for (int i = 0; i < 4000; ++i) {
        digest.Add(NumberToText(FromBits(random.Next())));
    }
    for (int i = 0; i < 4000; ++i) {
        uint64_t bits = random.Next();
        // A signed operand: every build converts it with one rounding.
        double value = static_cast<double>(static_cast<int64_t>(bits >> (1 + random.Below(63))));
        for (unsigned scale = random.Below(25); scale > 0; --scale) {
            value = value / 10;
        }
        digest.Add(NumberToText(random.Below(2) ? value : value * -1));
    }
}

std::string RandomDigits(Random& random, unsigned count, const char* alphabet, unsigned size)
{
    std::string digits;
    for (unsigned i = 0; i < count; ++i) {
        digits += alphabet[random.Below(size)];
    }
    return digits;
}

void AddTextNumbers(Random& random, Digest& digest)
{
    const char* const signs[] = {"", "-", "+", " ", "\t-"};
    for (int i = 0; i < 4000; ++i) {
        std::string text = signs[random.Below(5)];
        text += RandomDigits(random, random.Below(26), "0123456789", 10);
        if (random.Below(3) != 0) {
            text += "." + RandomDigits(random, random.Below(26), "0123456789", 10);
        }
        digest.Add(TextToNumber(text.c_str()));
    }
    for (int i = 0; i < 2000; ++i) {
        bool hex = random.Below(2) != 0;
        std::string text = hex ? (random.Below(2) ? "&H" : "&h") : (random.Below(2) ? "&O" : "&o");
        text += hex ? RandomDigits(random, 1 + random.Below(24), "0123456789ABCDEFabcdef", 22)
                    : RandomDigits(random, 1 + random.Below(26), "01234567", 8);
        digest.Add(TextToNumber(text.c_str()));
    }
    for (int i = 0; i < 2000; ++i) {
        digest.Add(TextToNumber(NumberToText(FromBits(random.Next())).c_str()));
    }
}

TEST(NumericTextDigest, IsTheSameOnEveryBuild)
{
    Random random(20240601);
    Digest digest;
    AddNumberTexts(random, digest);
    AddTextNumbers(random, digest);
    EXPECT_EQ(UINT64_C(0x62AD899922206F18), digest.Value())
        << "digest 0x" << std::hex << digest.Value() << " differs from the other builds'";
}

}  // namespace
