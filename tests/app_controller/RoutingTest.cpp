// Pure parts of the controller and its routing: the focus ring, scene names from the device, the
// firmware decision and the volume scale.
#include "MainWnd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

TEST(Routing, FocusRingMovesThroughEveryEditAndWraps) {
    const auto all = [](const std::wstring&) { return true; };
    struct Step {
        const wchar_t* from;
        int index;
        bool right;
        int bands;
        const wchar_t* to;
    } steps[] = {
        {L"hp_freq", 0, true, 21, L"lp_freq"},
        {L"lp_freq", 0, true, 21, L"edit_main_volume"},
        {L"edit_main_volume", 0, true, 21, L"eq_freq_0"},
        {L"eq_freq_5", 5, true, 21, L"eq_freq_6"},
        {L"eq_freq_20", 20, true, 21, L"eq_q_0"},
        {L"eq_q_10", 10, true, 11, L"eq_gain_0"},
        {L"eq_gain_10", 10, true, 11, L"edit_ch_volume_0"},
        {L"edit_ch_volume_9", 9, true, 21, L"edit_ch_delay_0"},
        {L"edit_ch_delay_9", 9, true, 21, L"hp_freq"},
        {L"hp_freq", 0, false, 21, L"edit_ch_delay_9"},
        {L"lp_freq", 0, false, 21, L"hp_freq"},
        {L"edit_main_volume", 0, false, 21, L"lp_freq"},
        {L"eq_freq_0", 0, false, 21, L"edit_main_volume"},
        {L"eq_q_0", 0, false, 11, L"eq_freq_10"},
        {L"eq_gain_0", 0, false, 21, L"eq_q_20"},
        {L"edit_ch_volume_0", 0, false, 11, L"eq_gain_10"},
        {L"edit_ch_delay_0", 0, false, 21, L"edit_ch_volume_9"},
        {L"edit_ch_delay_4", 4, false, 21, L"edit_ch_delay_3"},
        {L"edit_acc", 0, true, 21, L""},
        {L"spk_delay_3", 3, false, 21, L""},
    };
    for (const Step& s : steps)
        EXPECT_EQ(NextInFocusRing(s.from, s.index, s.right, s.bands, all), s.to) << std::wstring(s.from).size();
    // Disabled frequency and Q edits (graphic EQ mode) are stepped over.
    const auto noFreqQ = [](const std::wstring& name) { return name.rfind(L"eq_freq_", 0) != 0 && name.rfind(L"eq_q_", 0) != 0; };
    EXPECT_EQ(NextInFocusRing(L"edit_main_volume", 0, true, 21, noFreqQ), L"eq_gain_0");
    EXPECT_EQ(NextInFocusRing(L"eq_gain_0", 0, false, 21, noFreqQ), L"edit_main_volume");

    // Walking right from hp_freq visits every edit once and comes back.
    std::set<std::wstring> seen;
    std::wstring at = L"hp_freq";
    for (int i = 0; i < 200 && seen.insert(at).second; ++i) {
        const size_t digit = at.find_last_not_of(L"0123456789");
        const int index = digit + 1 < at.size() ? std::stoi(at.substr(digit + 1)) : 0;
        at = NextInFocusRing(at, index, true, 11, all);
    }
    EXPECT_EQ(at, L"hp_freq");
    EXPECT_EQ(seen.size(), 3u + 3 * 11 + 20);
}

TEST(Routing, SceneNamesAreBoundedAndNeverSplit) {
    wchar_t slot[kSceneNameChars];
    const uint8_t full[16] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'};
    SceneNameFromDevice(full, 16, slot);
    EXPECT_STREQ(slot, L"ABCDEFG");
    const uint8_t shortName[16] = {'C', 'l', 'u', 'b', 0, 'x', 'x'};
    SceneNameFromDevice(shortName, 16, slot);
    EXPECT_STREQ(slot, L"Club");
    uint8_t erased[16];
    std::memset(erased, 0xFF, sizeof erased);
    SceneNameFromDevice(erased, 16, slot);
    EXPECT_STREQ(slot, L"");
    SceneNameFromDevice(nullptr, 16, slot);
    EXPECT_STREQ(slot, L"");
}

TEST(Routing, FirmwareDecisionAndVolumeScale) {
    EXPECT_EQ(CompareFirmware(1, 19), FirmwareVerdict::Same);
    EXPECT_EQ(CompareFirmware(1, 20), FirmwareVerdict::Newer);
    EXPECT_EQ(CompareFirmware(2, 0), FirmwareVerdict::Newer);
    EXPECT_EQ(CompareFirmware(1, 18), FirmwareVerdict::Older);
    EXPECT_EQ(CompareFirmware(0, 99), FirmwareVerdict::Older);
    EXPECT_FLOAT_EQ(EqualizerManager::VolumeToDb(0), -60.0f);
    EXPECT_FLOAT_EQ(EqualizerManager::VolumeToDb(40), 6.0f);
    EXPECT_NEAR(EqualizerManager::VolumeToDb(10), -18.75f, 1e-4);
    EXPECT_STREQ(EqualizerManager::FormatDb(-12.7f), L"-12dB");
}
