#include "support/placement.h"

#include <cstdint>

namespace {

// Sums and offsets are 32-bit integer additions that wrap rather than overflow.
int WrappingAdd(int a, int b) {
    return static_cast<int>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// Truncation toward zero, saturating where a float lies outside the int range.
int TruncateFloat(float value) {
    if (value >= 2147483648.0f) return INT32_MAX;
    if (value < -2147483648.0f) return INT32_MIN;
    return static_cast<int>(value);
}

// Half of a moved span, measured from its low edge; every step rounded to single precision.
float HalfSpan(int low, int high) {
    float mid = static_cast<float>(WrappingAdd(low, high)) / 2.0f;
    return mid - static_cast<float>(low);
}

}  // namespace

int CenterOnScreenExtent(int screenExtent, int low, int high) {
    float reference = static_cast<float>(screenExtent) / 2.0f;
    return TruncateFloat(reference - HalfSpan(low, high));
}

int CenterOverSpan(int baseLow, int baseHigh, int low, int high) {
    float reference = static_cast<float>(WrappingAdd(baseLow, baseHigh)) / 2.0f;
    return TruncateFloat(reference - HalfSpan(low, high));
}

// The end test looks at the start itself, not start + extent: a window that starts on the
// screen and overhangs its end is left alone, and one that starts exactly at the end stays.
int ClampToScreen(int position, int screenExtent, int windowExtent) {
    if (position < 0) return 0;
    if (position > screenExtent) return screenExtent - windowExtent;
    return position;
}

int AddOffset(int position, int offset) { return WrappingAdd(position, offset); }
