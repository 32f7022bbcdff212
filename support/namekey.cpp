#include "support/namekey.h"

#include <cstdint>

std::string HashedName(std::string_view prefix, std::string_view bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    std::string name(prefix);
    for (int shift = 60; shift >= 0; shift -= 4) name += "0123456789abcdef"[(hash >> shift) & 0xF];
    return name;
}
