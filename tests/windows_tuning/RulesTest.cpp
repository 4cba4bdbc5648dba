// The tool windows' rules that need no amplifier: the focus rings of the compressor and custom EQ edits,
// the surround window's size for each kind of source, the surround record's bytes and the custom EQ's
// presets.
#include "CompressorWnd.h"
#include "CompressorsOnWnd.h"
#include "CsAutoWnd.h"
#include "CustomEqWnd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

}  // namespace

TEST(ToolWindowRules, EditFocusRings) {
    // The compressors window: threshold 0..9, attack 0..9, release 0..9, round again.
    struct Ring { int param, channel; bool forward; const wchar_t* expected; };
    const Ring rings[] = {
        {0, 0, true, L"edit_threshold_1"},    {0, 9, true, L"edit_attack_time_0"},
        {1, 9, true, L"edit_release_time_0"}, {2, 9, true, L"edit_threshold_0"},
        {0, 0, false, L"edit_release_time_9"}, {1, 0, false, L"edit_threshold_9"},
        {2, 4, false, L"edit_release_time_3"},
    };
    for (const Ring& r : rings)
        EXPECT_EQ(CCompressorsOnWnd::NextEditInRing(r.param, r.channel, r.forward), r.expected)
            << r.param << "/" << r.channel << " forward " << r.forward;
    EXPECT_EQ(CCompressorsOnWnd::ParamOfName(L"slider_attack_time_3"), 1);
    EXPECT_EQ(CCompressorsOnWnd::ParamOfName(L"box_enable_3"), -1);

    // The compressor editor: noise, ratio, attack, release, soft knee.
    EXPECT_EQ(CCompressorWnd::NextEdit(CCompressorWnd::ParamOfName(L"edit_noise"), false), L"edit_soft_knee");
    EXPECT_EQ(CCompressorWnd::NextEdit(CCompressorWnd::ParamOfName(L"edit_soft_knee"), true), L"edit_noise");
    EXPECT_EQ(CCompressorWnd::NextEdit(CCompressorWnd::ParamOfName(L"edit_ratio"), true), L"edit_attack_time");
    EXPECT_EQ(CCompressorWnd::ParamOfName(L"slider_release_time"), 3);

    // The custom EQ: rows of 20 bands; Enter goes down a column, then to the next band.
    using Move = CCustomEqWnd::Move;
    struct Focus { const wchar_t* from; int band; Move move; bool qEnabled; const wchar_t* expected; };
    const Focus moves[] = {
        {L"eq_freq_4", 4, Move::Right, true, L"eq_freq_5"},   {L"eq_freq_19", 19, Move::Right, true, L"eq_q_0"},
        {L"eq_q_19", 19, Move::Right, true, L"eq_gain_0"},    {L"eq_gain_19", 19, Move::Right, true, L"eq_freq_0"},
        {L"eq_freq_0", 0, Move::Left, true, L"eq_freq_19"},   {L"eq_q_0", 0, Move::Left, true, L"eq_freq_19"},
        {L"eq_gain_0", 0, Move::Left, true, L"eq_q_19"},      {L"eq_gain_0", 0, Move::Left, false, L"eq_gain_19"},
        {L"eq_gain_7", 7, Move::Left, true, L"eq_gain_6"},    {L"eq_freq_3", 3, Move::Down, true, L"eq_q_3"},
        {L"eq_q_3", 3, Move::Down, true, L"eq_gain_3"},       {L"eq_gain_3", 3, Move::Down, true, L"eq_freq_4"},
        {L"eq_gain_19", 19, Move::Down, true, L"eq_freq_0"},  {L"eq_slider_3", 3, Move::Down, true, L""},
        {L"eq_freq_20", 20, Move::Right, true, L""},
    };
    for (const Focus& m : moves)
        EXPECT_EQ(CCustomEqWnd::FocusTarget(m.from, m.band, m.move, m.qEnabled), m.expected) << Narrow(m.from);
}

TEST(ToolWindowRules, SurroundWindowSizeFollowsTheSource) {
    const SIZE layout{620, 640};
    struct Case { int extra, dpi; LONG cx, cy; };
    const Case cases[] = {
        {6, 100, 850, 640},    // the layout's six extra channels
        {8, 100, 850, 806},    // 166 taller
        {4, 100, 850, 474},    // 166 shorter
        {2, 100, 850, 470},    // 332 shorter would hide rows: the least height
        {0, 100, 850, 470},
        {8, 150, 1275, 1209},  // scaled after the sum
        {8, 125, 1062, 1007},  // truncated
    };
    for (const Case& c : cases) {
        const SIZE size = CsAutoClientSize(layout, c.extra, c.dpi);
        EXPECT_EQ(size.cx, c.cx) << c.extra << " at " << c.dpi;
        EXPECT_EQ(size.cy, c.cy) << c.extra << " at " << c.dpi;
    }
}

TEST(ToolWindowRules, SurroundRecordBytesAndRestore) {
    CsAutoSettings s;
    s.scene = 3;
    s.enable[4] = 0;
    s.gain[2] = 0.5f;
    s.mode = 2;
    s.subwoofer = 7;
    uint8_t bytes[52];
    std::memcpy(bytes, &s, sizeof bytes);
    EXPECT_EQ(bytes[0], 3);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(bytes[1 + i], i == 4 ? 0 : 1) << "switch " << i;
    // 0.5 and 1.0 as little-endian IEEE singles.
    const uint8_t half[4] = {0x00, 0x00, 0x00, 0x3F}, one[4] = {0x00, 0x00, 0x80, 0x3F};
    for (int g = 0; g < 9; ++g)
        EXPECT_EQ(std::memcmp(bytes + 12 + 4 * g, g == 2 ? half : one, 4), 0) << "gain " << g;
    EXPECT_EQ(bytes[48], 2);
    EXPECT_EQ(bytes[49], 5);
    EXPECT_EQ(bytes[50], 5);
    EXPECT_EQ(bytes[51], 7);

    s.Restore();
    std::memcpy(bytes, &s, sizeof bytes);
    EXPECT_EQ(bytes[0], 3) << "the scene stays";
    EXPECT_EQ(bytes[5], 1);
    EXPECT_EQ(std::memcmp(bytes + 20, one, 4), 0);
    EXPECT_EQ(bytes[48], 0);
    EXPECT_EQ(bytes[51], 5);
}

TEST(ToolWindowRules, CustomEqPresetsStayInTheAmplifiersRange) {
    DspConfig config;
    for (int i = 0; i < CCustomEqWnd::kBands; ++i) {
        const EqBand flat = CCustomEqWnd::FlatBand(i);
        EXPECT_EQ(flat.freq, ThirdOctaveBands[i]);
        EXPECT_EQ(flat.gain, 0.0f);
        EXPECT_FLOAT_EQ(flat.factor, 5.8f);
        // A fresh configuration's custom block is the flat preset.
        EXPECT_EQ(config.customEqBands[i].freq, flat.freq) << i;
        EXPECT_EQ(config.customEqBands[i].gain, 0.0f) << i;
    }
    // The factory table starts at 10 Hz; the amplifier takes 20 Hz at the lowest.
    const int factoryFreqs[20] = {20, 20, 20, 20, 20, 21, 24, 27, 30, 33, 100, 150, 200, 130, 180, 230, 280, 1000, 1250, 1600};
    const float factoryGains[20] = {0, 11, 12, 1, 6, 8, 5, 4, 4, 3, 3, 3, 3, 3, 3, 2, 3, 0, 0, 0};
    for (int i = 0; i < CCustomEqWnd::kBands; ++i) {
        const EqBand band = CCustomEqWnd::FactoryBand(config, i);
        EXPECT_EQ(band.freq, factoryFreqs[i]) << i;
        EXPECT_EQ(band.gain, factoryGains[i]) << i;
        EXPECT_EQ(band.enable, 1);
    }
}
