#include "device/FixedPoint.h"

int32_t TruncScaled(float value, int32_t scale, double offset) {
    double exact = (static_cast<double>(value) + offset) * scale;
    // Out-of-range or NaN input saturates instead of overflowing the conversion.
    if (!(exact > -2e9)) exact = exact != exact ? 0.0 : -2e9;
    if (exact > 2e9) exact = 2e9;
    const int32_t truncated = static_cast<int32_t>(exact);
    const int32_t next = exact >= 0 ? truncated + 1 : truncated - 1;
    // The next unit wins only when it is the decimal whose float the caller handed in.
    const float nextAsFloat = static_cast<float>(static_cast<double>(next) / scale - offset);
    return nextAsFloat == value ? next : truncated;
}

FixedBytes SignedFraction(float value, int32_t scale, double offset) {
    const int32_t scaled = TruncScaled(value, scale, offset);
    FixedBytes out;
    out.whole = static_cast<uint8_t>(scaled / scale);
    out.fraction = static_cast<uint8_t>(scaled % scale);
    return out;
}

FixedBytes LowByteFraction(float value, int32_t scale) {
    const int32_t scaled = TruncScaled(value, scale);
    FixedBytes out;
    out.whole = static_cast<uint8_t>(scaled / scale);
    out.fraction = value >= 0 ? static_cast<uint8_t>(scaled % scale)
                              : static_cast<uint8_t>(static_cast<uint8_t>(scaled) % scale);
    return out;
}

bool DelayEncodable(float ms) { return ms >= 0.0f && ms < kMaxEncodableDelayMs; }

DelayBytes EncodeDelay(float ms) {
    const int32_t us = TruncScaled(ms, 1000);
    DelayBytes out;
    out.ms = static_cast<uint8_t>(us / 1000);
    out.us = static_cast<uint16_t>(us % 1000);
    return out;
}

FixedBytes EncodeTrim(float trim) {
    const int32_t whole = TruncScaled(trim, 1);
    FixedBytes out;
    out.whole = static_cast<uint8_t>(whole);
    // Negative trims keep their historical second byte: trim less the whole part's low byte.
    const double base = trim >= 0 ? whole : static_cast<uint8_t>(whole);
    out.fraction = static_cast<uint8_t>(TruncScaled(trim, 100, -base));
    return out;
}

float FromScaled(int32_t units, int32_t scale) {
    // Both are exact in float for every reply field (|units| < 2^24): one division, one rounding.
    return static_cast<float>(units) / static_cast<float>(scale);
}
