#pragma once
// Fixed-point encodings of the protocol: a value goes out as whole units plus tenths, hundredths or
// thousandths, all truncated toward zero.
#include <cstdint>

// trunc((value + offset) * scale). The caller's float is the nearest binary value to the decimal the
// user meant (4.1 ms is 4.0999999 in binary); when the product falls just short of the next unit only
// for that reason, the next unit is the answer, so 4.1 ms gives 4100 us and not 4099. Products that
// are exact in binary truncate as they stand.
int32_t TruncScaled(float value, int32_t scale, double offset = 0.0);

// Byte pairs of the encodings: whole part first, fraction second.
struct FixedBytes {
    uint8_t whole = 0;
    uint8_t fraction = 0;
};

// Whole part, then the tenths (scale 10) or hundredths (scale 100) as a signed remainder:
// -20.5 gives EC FB.
FixedBytes SignedFraction(float value, int32_t scale, double offset = 0.0);

// Whole part, then for values >= 0 the fraction digit; for negative values the low byte of the scaled
// integer taken as 0..255, reduced mod 10 (-3.5 gives FD 01).
FixedBytes LowByteFraction(float value, int32_t scale);

// Delay in ms: whole milliseconds, then microseconds 0..999 as a big-endian u16.
struct DelayBytes {
    uint8_t ms = 0;
    uint16_t us = 0;
};
// The whole milliseconds travel in one byte: 0 up to (not including) 256 ms.
constexpr float kMaxEncodableDelayMs = 256.0f;
bool DelayEncodable(float ms);
// Only for values DelayEncodable accepts.
DelayBytes EncodeDelay(float ms);

// Output trim: the whole part, and with two-byte trims the hundredths.
FixedBytes EncodeTrim(float trim);

// Decoding: the value that `units` steps of 1/scale stand for, as the float nearest that decimal. A
// reply's whole part and fraction digits are joined as integers first: summing them in float
// (20 + 0.9f - 18) can land one float below the decimal, and the encoders above, which take back only the
// nearest float, would then send a tenth less than the amplifier holds.
float FromScaled(int32_t units, int32_t scale);
