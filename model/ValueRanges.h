#pragma once
// What the setters and the main page's controls accept for the values the amplifier reports and the
// profile files carry. Replies are held inside these ranges before they are stored or shown, and the
// profile loader refuses a file with a value outside them. Numbers typed into edits are read here too.
#include <cmath>
#include <cstdint>

#include "model/DspConfig.h"

constexpr int32_t MinMainVolume = 0;  // the main volume slider; 0 is "off"
constexpr int32_t MaxMainVolume = 40;
constexpr float MinChannelGain = -60.0f;  // output trim in dB (slider -600..0 tenths)
constexpr float MaxChannelGain = 0.0f;
constexpr float MinBandGain = -18.0f;  // EQ band gain in dB: band sliders and curve
constexpr float MaxBandGain = 12.0f;
constexpr int32_t MinBandFreq = MinFreq;  // band frequencies, Hz
constexpr int32_t MaxBandFreq = MaxFreq;
constexpr int32_t MaxMixLevel = 100;                                   // input mix level, 0..100
constexpr int32_t MaxRoutingMask = (1 << InputChannelCount) - 1;       // one bit per input channel
constexpr int32_t NoCrossMixSource = SourceCount;                      // crossMixSource 9: none
constexpr int32_t MinCrossMixGain = -32;  // the amplifier codes the gain as gain + 32
constexpr int32_t MaxCrossMixGain = 32;
constexpr int32_t MinAcc = -128;  // sent as one byte
constexpr int32_t MaxAcc = 255;
// Compressor values: what the compressor windows' sliders cover.
constexpr float MaxCompressorThreshold = 100.0f;  // dB, from 0
constexpr float MinCompressorRatio = 1.0f;
constexpr float MaxCompressorRatio = 100.0f;
constexpr int32_t MaxAttackMs = 1000;  // from 0
constexpr int32_t MaxReleaseMs = 30000;
constexpr float MaxSoftKnee = 30.0f;  // dB, from 0

// The value held to [low, high]; a NaN gives fallback.
inline float ClampFinite(float value, float low, float high, float fallback) {
    if (std::isnan(value)) return fallback;
    return value < low ? low : (value > high ? high : value);
}

inline int32_t ClampInt(int64_t value, int32_t low, int32_t high) {
    return value < low ? low : (value > high ? high : static_cast<int32_t>(value));
}

// A number typed into an edit: optional blanks and a sign, digits with an optional decimal point and
// exponent ("-12.5", ".5", "2e3"); a unit may follow ("12.5dB", "250 ms"). Not numbers: empty text,
// words, "nan", "inf", hexadecimal ("0x10") and a comma between digits ("1,500" is 1.5 in some countries
// and 1500 in others). However many digits it has, nothing wraps: a value beyond [low, high] is that
// end. False, with *value left as it was, for text that is not a number.
bool ReadNumberText(const wchar_t* text, double low, double high, double* value);

// The same number truncated toward zero ("250.9 ms" is 250) within [low, high].
bool ReadIntegerText(const wchar_t* text, int32_t low, int32_t high, int32_t* value);

// The digits of `base` (8, 10 or 16) from `at` on as an unsigned 32-bit word, 0xFFFFFFFF when they
// stand for more; `at` is left after the last digit.
uint32_t ReadWordDigits(const wchar_t*& at, int base);
