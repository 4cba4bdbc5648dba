// The pure rules of the equalizer and crossover edits: the logarithmic frequency step and the
// kilohertz notation of the frequency edits.
#include "EqualizerManager.h"

#include <gtest/gtest.h>

TEST(EqRules, FrequencyStepsOnTheLogarithmicScale) {
    struct {
        int from;
        bool up;
        int to;
    } steps[] = {{1000, true, 1026}, {1000, false, 957}, {20, true, 21},     {100, true, 101},
                 {20000, true, 20000}, {20, false, 20},  {2000, false, 1910}, {2500, true, 2518}};
    for (const auto& s : steps) EXPECT_EQ(EqualizerManager::StepFrequency(s.from, s.up), s.to) << s.from << " " << s.up;
    // Every step moves within the range, and a walk up from 20 Hz reaches 20 kHz in at most 200 steps.
    int f = 20, count = 0;
    while (f < 20000 && count < 300) {
        const int next = EqualizerManager::StepFrequency(f, true);
        ASSERT_GT(next, f);
        f = next;
        ++count;
    }
    EXPECT_EQ(f, 20000);
    EXPECT_LE(count, 200);
}

TEST(EqRules, KilohertzNotation) {
    EXPECT_EQ(EqualizerManager::ParseBandFrequency(L"1k5"), 1500);
    EXPECT_EQ(EqualizerManager::ParseBandFrequency(L"12k"), 12000);
    EXPECT_EQ(EqualizerManager::ParseBandFrequency(L"2K"), 2000);
    EXPECT_EQ(EqualizerManager::ParseBandFrequency(L"750"), 750);
    EXPECT_EQ(EqualizerManager::ParseCrossoverFrequency(L"2K5"), 2500);
    EXPECT_EQ(EqualizerManager::ParseCrossoverFrequency(L"1k"), 1000);
    EXPECT_EQ(EqualizerManager::ParseCrossoverFrequency(L"12K3"), 12300);
    EXPECT_EQ(EqualizerManager::ParseCrossoverFrequency(L"3400Hz"), 3400);
    EXPECT_EQ(EqualizerManager::ParseCrossoverFrequency(L"K5"), 0);
    EXPECT_EQ(EqualizerManager::ParseCrossoverFrequency(L"abc"), 0);
    EXPECT_EQ(EqualizerManager::ParseCrossoverFrequency(L""), 0);
    // However many digits, never a wrapped value inside the range: 107374183k4 computed with 32-bit
    // wrapping is exactly 1000 Hz.
    for (const wchar_t* huge : {L"107374183k4", L"2147483647k", L"99999999999", L"18446744073709551617k"}) {
        EXPECT_GT(EqualizerManager::ParseBandFrequency(huge), 20000) << huge;
        EXPECT_GT(EqualizerManager::ParseCrossoverFrequency(huge), 20000) << huge;
    }
    EXPECT_LT(EqualizerManager::ParseBandFrequency(L"-107374183k4"), 20);
    EXPECT_EQ(EqualizerManager::ParseBandFrequency(L"0x3E8"), 0) << "no hexadecimal";
    EXPECT_EQ(EqualizerManager::ParseBandFrequency(L"1e3"), 1000);
}
