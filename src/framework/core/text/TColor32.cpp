#include "framework/core/text/TColor32.h"

namespace {

// A float channel as a byte. The range check keeps the conversion defined
// for any input (NaN included, which gives 0).
uint8_t ToByte(float channel) {
    float scaled = channel * 255.0f;
    if (!(scaled > 0.0f)) {
        return 0;
    }
    if (scaled >= 255.0f) {
        return 255;
    }
    return static_cast<uint8_t>(scaled);
}

} // namespace

TColor32::TColor32(const TColor& color)
    : mValue(Pack(ToByte(color.r), ToByte(color.g), ToByte(color.b), ToByte(color.a))) {}
