// Short, fixed-length names for long texts, for system object names (limited to MAX_PATH).
#pragma once

#include <string>
#include <string_view>

// prefix followed by 16 hexadecimal digits of a 64-bit FNV-1a hash of bytes.
std::string HashedName(std::string_view prefix, std::string_view bytes);
