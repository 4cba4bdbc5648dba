// The pure parts behind the page: delay units (15 ms = 519 cm = 204 inch), slider steps, and the speaker
// positions with their menu item names and texts.
#include "EqualizerManager.h"
#include "OutputTypeNames.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::wstring Shown(int unit, float ms) {
    wchar_t text[32];
    EqualizerManager::DelayText(unit, ms, text, 32);
    return text;
}

}  // namespace

TEST(DelayUnits, TextsConversionsAndQuantising) {
    struct {
        int unit;
        float ms;
        const wchar_t* text;
    } shown[] = {{1, 15, L"519 cm"}, {2, 15, L"204 in"}, {1, 1, L"35 cm"},   {2, 1, L"14 in"},
                 {0, 2.5f, L"2.500 ms"}, {0, -3, L"0.000 ms"}, {0, 99, L"15.000 ms"}, {1, 99, L"519 cm"}};
    for (const auto& s : shown) EXPECT_EQ(Shown(s.unit, s.ms), s.text) << s.unit << " " << s.ms;

    // Typed values: clamped and truncated in the unit, then milliseconds.
    wchar_t text[32];
    EXPECT_FLOAT_EQ(EqualizerManager::FormatDelay(1, 600, text, 32), 15.0f);
    EXPECT_STREQ(text, L"519 cm");
    EXPECT_FLOAT_EQ(EqualizerManager::FormatDelay(1, 100.7f, text, 32), 100 * 15.0f / 519);
    EXPECT_STREQ(text, L"100 cm");
    EXPECT_FLOAT_EQ(EqualizerManager::FormatDelay(2, 300, text, 32), 15.0f);
    EXPECT_STREQ(text, L"204 in");
    EXPECT_FLOAT_EQ(EqualizerManager::FormatDelay(0, -3, text, 32), 0.0f);
    EXPECT_STREQ(text, L"0.000 ms");
    EXPECT_FLOAT_EQ(EqualizerManager::FormatDelay(0, 7.25f, nullptr, 0), 7.25f);

    // Stored delays land on whole units of the unit shown.
    EXPECT_FLOAT_EQ(EqualizerManager::QuantizeDelay(1, 1.0f), 35 * 15.0f / 519);
    EXPECT_FLOAT_EQ(EqualizerManager::QuantizeDelay(2, 1.0f), 14 * 15.0f / 204);
    EXPECT_FLOAT_EQ(EqualizerManager::QuantizeDelay(0, 1.2345f), 1.2345f);
    EXPECT_FLOAT_EQ(EqualizerManager::QuantizeDelay(0, 20), 15.0f);
    EXPECT_FLOAT_EQ(EqualizerManager::QuantizeDelay(1, -1), 0.0f);
}

TEST(SpeakerPositions, NamesTextsAndLookupsRoundTrip) {
    EXPECT_STREQ(OutputTypeName(0), L"${empty}");
    EXPECT_EQ(OutputTypeName(25), nullptr);
    EXPECT_EQ(OutputTypeName(-1), nullptr);
    EXPECT_STREQ(OutputTypeName(6), L"${front_left_full}");
    EXPECT_STREQ(OutputTypeName(24), L"${subwoofer_freq}");
    EXPECT_STREQ(OutputTypeMenuName(13), L"output_menu_rear_left_high_freq");
    // Category and side items are no positions and show no button text.
    EXPECT_EQ(OutputTypeFromName(L"output_menu_front"), -1);
    EXPECT_STREQ(OutputMenuText(L"output_menu_front"), L"");
    EXPECT_STREQ(OutputMenuItemText(L"output_menu_rear_right"), L"${right}");
    EXPECT_EQ(OutputMenuText(L"no_such_item"), nullptr);
    EXPECT_EQ(OutputTypeFromName(L"OUTPUT_MENU_SUBWOOF_LOW"), -1);  // names match exactly
    EXPECT_EQ(OutputTypeFromName(nullptr), -1);
    std::set<std::wstring> names;
    for (int type = 0; type < OutputTypeCount; ++type) {
        const wchar_t* name = OutputTypeMenuName(type);
        ASSERT_NE(name, nullptr) << type;
        EXPECT_TRUE(names.insert(name).second) << "duplicate name for " << type;
        EXPECT_EQ(OutputTypeFromName(name), type);
        ASSERT_NE(OutputTypeName(type), nullptr);
        EXPECT_EQ(std::wstring(OutputTypeName(type)).substr(0, 2), L"${") << type;
        EXPECT_STREQ(OutputTypeButtonText(type), OutputTypeName(type));
    }
}
