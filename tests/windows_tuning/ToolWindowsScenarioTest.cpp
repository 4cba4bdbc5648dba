// The compressor, CS auto surround and custom EQ windows against the emulated amplifier, driven with the
// mouse and keyboard: each change goes out as one frame, checked byte for byte against frames written
// out here, and the amplifier ends holding the values.
#include "AppTestSupport.h"
#include "CompressorWnd.h"
#include "CompressorsOnWnd.h"
#include "CsAutoWnd.h"
#include "CustomEqWnd.h"
#include "PageControls.h"
#include "SceneTestSupport.h"
#include "UICombo.h"
#include "tool_windows/ToolWindowTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace ControllerTest;
using namespace SceneTest;
using namespace SkinUI;
using ToolTest::Bytes;
using ToolTest::Driver;
using ToolTest::OpenManager;
using ToolTest::Payloads;

namespace {

constexpr uint8_t D = kAmpCmdDsp;
constexpr uint8_t kSource = 4;  // the low-level input, selected on the amplifier

void PrepareAmplifier(AmpState& state) {
    const int positions[10] = {6, 12, 15, 18, 19, 20, 14, 17, 22, 23};
    for (int c = 0; c < 10; ++c) state.scenes[0].outputs[c].type = static_cast<uint8_t>(positions[c]);
    state.settings.source = 0x51 + kSource;
}

// Pumps until the emulator has received `count` frames of this kind; they are returned.
std::vector<Bytes> WaitFrames(const AmpEmulator& emulator, uint8_t sub, size_t count) {
    AppTest::PumpUntil([&] { return Payloads(emulator, D, sub).size() >= count; }, 5000);
    return Payloads(emulator, D, sub);
}

Bytes Le32(float value) {
    uint8_t b[4];
    std::memcpy(b, &value, 4);
    return Bytes(b, b + 4);
}

// The surround record as the amplifier receives it, written out field by field.
Bytes SurroundFrame(const uint8_t (&enable)[11], const float (&gains)[9], uint8_t mode) {
    Bytes out{0};
    out.insert(out.end(), enable, enable + 11);
    for (float g : gains) {
        const Bytes le = Le32(g);
        out.insert(out.end(), le.begin(), le.end());
    }
    out.insert(out.end(), {mode, 5, 5, 5});
    return out;
}

struct Fixture {
    Fixture() {
        emulator.SetRealTime(true);
        emulator.EditState(PrepareAmplifier);
    }
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
};

}  // namespace

TEST(ToolWindows, CompressorsSwitchedAndEdited) {
    Fixture f;
    MainWindowRun run(f.emulator);
    ASSERT_TRUE(run.WaitConnected());
    f.emulator.ClearRequests();
    CPaintManagerUI* pm = nullptr;
    uint8_t boxNow = 0;
    Script compressors({
        [&] { PostMenuClick(run.handle, L"advance_item_compressors_on"); return true; },
        [&] { return (pm = OpenManager(L"CompressorsOnWnd")) != nullptr; },
        [&] {
            Driver d(pm);
            EXPECT_EQ(d.TextOf(L"edit_threshold_2"), L"64.0dB");
            EXPECT_EQ(d.TextOf(L"edit_release_time_7"), L"30000ms");
            EXPECT_TRUE(Payloads(f.emulator, D, 0x49).empty()) << "filling the boxes sends nothing";
            // The box shows the configuration's state; a click turns it over and sends only that output.
            const uint8_t was = run.Controller().config.channels[3].compressorOn;
            EXPECT_EQ(PageControls::IsSelected(d.Find(L"box_enable_3")), was != 0);
            d.Click(L"box_enable_3");
            boxNow = was ? 0 : 1;
            EXPECT_EQ(WaitFrames(f.emulator, 0x49, 1), (std::vector<Bytes>{{0, 0, 3, 3, boxNow}}));
            d.Type(L"edit_threshold_2", L"12.34");
            EXPECT_EQ(d.TextOf(L"edit_threshold_2"), L"12.3dB");
            for (const wchar_t* notNumber : {L"nan", L"-0x10", L"??"}) {  // nothing sent, the value in force shown
                d.Type(L"edit_threshold_2", notNumber);
                EXPECT_EQ(d.TextOf(L"edit_threshold_2"), L"12.3dB");
            }
            d.KeyIn(L"edit_attack_time_5", VK_DOWN);  // 1000 ms to 990 ms
            EXPECT_EQ(d.TextOf(L"edit_attack_time_5"), L"990ms");
            d.KeyIn(L"edit_release_time_7", VK_UP);   // already at the top: nothing
            d.Type(L"edit_attack_time_6", L"5000");   // above the range: its top
            EXPECT_EQ(d.TextOf(L"edit_attack_time_6"), L"1000ms");
            d.KeyIn(L"edit_release_time_9", VK_RIGHT);
            EXPECT_EQ(d.FocusedName(), L"edit_threshold_0");
            d.KeyIn(L"edit_threshold_0", VK_LEFT);
            EXPECT_EQ(d.FocusedName(), L"edit_release_time_9");
            return true;
        },
        [&] {
            // Threshold 12.3 dB (tenths truncated), attack 1000 ms, release 30.0 s, with the source byte.
            const std::vector<Bytes> frames = WaitFrames(f.emulator, 0x4A, 3);
            const std::vector<Bytes> expected = {{0, kSource, 2, 2, 12, 3, 0x03, 0xE8, 30, 0},
                                                 {0, kSource, 5, 5, 64, 0, 0x03, 0xDE, 30, 0},
                                                 {0, kSource, 6, 6, 64, 0, 0x03, 0xE8, 30, 0}};
            EXPECT_EQ(frames, expected);
            Driver(pm).Click(L"closebtn");
            return true;
        },
        [&] { PostMenuClick(run.handle, L"advance_item_compressor"); return true; },
        [&] { return (pm = OpenManager(L"CustomEqWnd")) != nullptr; },
        [&] {
            Driver d(pm);
            EXPECT_EQ(d.TextOf(L"curr_channel_text"), L"CH1");
            EXPECT_EQ(d.TextOf(L"edit_ratio"), L"100.0");
            d.Type(L"edit_ratio", L"3.24");
            EXPECT_EQ(d.TextOf(L"edit_ratio"), L"3.2");
            d.Click(L"btn_bp");  // bypassed by default: now active
            d.KeyIn(L"edit_noise", VK_LEFT);
            EXPECT_EQ(d.FocusedName(), L"edit_soft_knee");
            d.KeyIn(L"edit_soft_knee", VK_RIGHT);
            EXPECT_EQ(d.FocusedName(), L"edit_noise");
            d.KeyIn(L"edit_release_time", VK_UP);  // at its top: nothing
            return true;
        },
        [&] {
            // bypass, threshold + 100, ratio, soft knee (whole, tenths), attack and release (BE16).
            const std::vector<Bytes> expected = {{0, kSource, 0, 1, 164, 0, 3, 2, 24, 0, 0x03, 0xE8, 0x75, 0x30},
                                                 {0, kSource, 0, 0, 164, 0, 3, 2, 24, 0, 0x03, 0xE8, 0x75, 0x30}};
            EXPECT_EQ(WaitFrames(f.emulator, 0x3E, 2), expected);
            Driver(pm).Click(L"confirm_btn");
            return true;
        },
    });
    ASSERT_TRUE(AppTest::PumpUntil([&] { return compressors.Done() && !FindWindowW(L"CustomEqWnd", nullptr); }, 30000))
        << "stopped after step " << compressors.StepsDone();
    ToolTest::Settle();
    EXPECT_EQ(Payloads(f.emulator, D, 0x4A).size(), 3u);
    EXPECT_EQ(Payloads(f.emulator, D, 0x3E).size(), 2u);
    const AmpState state = f.emulator.State();
    EXPECT_EQ(state.scenes[0].outputs[3].compressorOn, boxNow);
    EXPECT_EQ(Bytes(state.scenes[0].outputs[2].compressor2, state.scenes[0].outputs[2].compressor2 + 6),
              (Bytes{12, 3, 0x03, 0xE8, 30, 0}));
    const EqualizerManager& c = run.Controller();
    EXPECT_FLOAT_EQ(c.config.compressor.threshold[2], 12.34f) << "stored as typed";
    EXPECT_FLOAT_EQ(c.config.compressor.ratio[0], 3.24f);
    EXPECT_EQ(c.config.compressor.bypass[0], 0);
}

TEST(ToolWindows, SurroundModesAndLevelsSent) {
    Fixture f;
    MainWindowRun run(f.emulator);
    ASSERT_TRUE(run.WaitConnected());
    f.emulator.ClearRequests();
    CsAutoSettings settings;
    CPaintManagerUI* pm = nullptr;
    MainWindowRun::ConfirmContaining() = Text(L"${restore_cs_auto}");
    uint8_t enable[11] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    float gains[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    std::vector<Bytes> expected;
    Script surround({
        [&] {
            AppTest::RunLater(0, [&] { ShowCsAutoWnd(run.handle, run.Controller().config, run.Controller().Device(), settings); });
            return true;
        },
        [&] { return (pm = OpenManager(L"CSAutoWnd")) != nullptr; },
        [&] {
            // Eight extra input channels: two rows of 83 more than the layout.
            RECT client;
            GetClientRect(pm->GetWindowHandle(), &client);
            const int scale = pm->GetDpiScaler()->GetScale();
            SIZE wanted = CsAutoClientSize({620, 640}, 8, scale);
            RECT work;
            SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
            wanted.cy = std::min<LONG>(wanted.cy, work.bottom - work.top);
            EXPECT_EQ(client.right, wanted.cx);
            EXPECT_EQ(client.bottom, wanted.cy);
            EXPECT_TRUE(Payloads(f.emulator, D, 0x3D).empty()) << "opening sends nothing";
            Driver d(pm);
            d.Type(L"edit_auto_2", L"0.5");
            EXPECT_EQ(d.TextOf(L"edit_auto_2"), L"0.500");
            gains[2] = 0.5f;
            expected.push_back(SurroundFrame(enable, gains, 0));
            for (const wchar_t* notNumber : {L"nan", L"-0x10", L"??"}) {  // nothing sent, the value in force shown
                d.Type(L"edit_auto_2", notNumber);
                EXPECT_EQ(d.TextOf(L"edit_auto_2"), L"0.500");
            }
            d.KeyIn(L"edit_auto_2", VK_UP);
            gains[2] = 0.51f;
            expected.push_back(SurroundFrame(enable, gains, 0));
            d.Type(L"edit_auto_7", L"9");  // above the slider: its top, 2.000
            EXPECT_EQ(d.TextOf(L"edit_auto_7"), L"2.000");
            gains[7] = 2.0f;
            expected.push_back(SurroundFrame(enable, gains, 0));
            d.KeyIn(L"edit_auto_7", VK_UP);  // at the top: nothing
            d.Click(L"btn_auto_4");
            enable[4] = 0;
            expected.push_back(SurroundFrame(enable, gains, 0));
            auto* mode = static_cast<CComboUI*>(d.Find(L"combo_mode")->GetInterface(L"Combo"));
            if (mode) mode->SelectItem(2);
            expected.push_back(SurroundFrame(enable, gains, 2));
            return true;
        },
        [&] {
            EXPECT_EQ(WaitFrames(f.emulator, 0x3D, expected.size()), expected);
            Driver(pm).Click(L"btn_restore_cs_auto");
            return true;
        },
        [&] {
            // Restored after the question: the mode combo reports its change, then the whole record.
            const uint8_t on[11] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
            const float ones[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
            const std::vector<Bytes> frames = WaitFrames(f.emulator, 0x3D, expected.size() + 2);
            EXPECT_EQ(frames.size(), expected.size() + 2);
            EXPECT_EQ(frames.back(), SurroundFrame(on, ones, 0));
            Driver d(pm);
            EXPECT_EQ(d.TextOf(L"edit_auto_2"), L"1.000");
            d.Click(L"confirm_btn");
            return true;
        },
    });
    ASSERT_TRUE(AppTest::PumpUntil([&] { return surround.Done() && !FindWindowW(L"CSAutoWnd", nullptr); }, 30000))
        << "stopped after step " << surround.StepsDone();
    const AmpState state = f.emulator.State();
    const uint8_t on[11] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    const float ones[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    EXPECT_EQ(Bytes(state.settings.csAuto, state.settings.csAuto + 52), SurroundFrame(on, ones, 0));
}

TEST(ToolWindows, CustomEqBandsSentToTheCurrentOutputOnly) {
    Fixture f;
    MainWindowRun run(f.emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    c.SetCurChannelChange(1);
    ToolTest::Settle();
    f.emulator.ClearRequests();
    const AmpState before = f.emulator.State();
    const EqBand pageBand3 = c.config.channels[1].eqArray[3], pageBand14 = c.config.channels[1].eqArray[14];
    CPaintManagerUI* pm = nullptr;
    MainWindowRun::ConfirmContaining() = Text(L"${reset_all_eq_tips}");
    // EQ band frame: scene, source, output, band, frequency (BE16), Q whole and tenths, gain + 18.
    auto band = [](uint8_t b, int freq, uint8_t q0, uint8_t q1, uint8_t g0, uint8_t g1) {
        return Bytes{0, 0, 1, b, static_cast<uint8_t>(freq >> 8), static_cast<uint8_t>(freq), q0, q1, g0, g1};
    };
    std::vector<Bytes> expected;
    Script custom({
        [&] {
            AppTest::RunLater(0, [&] { ShowCustomEqWnd(run.handle, c); });
            return true;
        },
        [&] { return (pm = OpenManager(L"CustomEqWnd")) != nullptr; },
        [&] {
            Driver d(pm);
            EXPECT_EQ(d.TextOf(L"eq_freq_3"), L"40");
            d.Type(L"eq_freq_3", L"1k5");  // Enter moves the focus down the band; leaving commits
            EXPECT_EQ(d.FocusedName(), L"eq_q_3");
            EXPECT_EQ(d.TextOf(L"eq_freq_3"), L"1500");
            expected.push_back(band(14, 1500, 5, 8, 18, 0));
            d.Type(L"eq_q_3", L"12");
            EXPECT_EQ(d.FocusedName(), L"eq_gain_3");
            EXPECT_EQ(d.TextOf(L"eq_q_3"), L"9.00");
            expected.push_back(band(14, 1500, 9, 0, 18, 0));
            d.Type(L"eq_freq_4", L"30000");
            EXPECT_EQ(d.TextOf(L"eq_freq_4"), L"50") << "out of range: the stored frequency";
            d.Wheel(L"eq_slider_5", true);
            EXPECT_EQ(d.TextOf(L"eq_gain_5"), L"0.5");
            expected.push_back(band(16, 63, 5, 8, 18, 5));
            d.Click(L"pt_enable_5");  // off: sent as 0 dB, the 0.5 dB kept
            expected.push_back(band(16, 63, 5, 8, 18, 0));
            EXPECT_EQ(d.TextOf(L"eq_gain_5"), L"0.0");
            d.Click(L"pt_enable_5");  // on again: the kept gain
            expected.push_back(band(16, 63, 5, 8, 18, 5));
            return true;
        },
        [&] {
            EXPECT_EQ(WaitFrames(f.emulator, 0x06, expected.size()), expected);
            Driver(pm).Click(L"btn_reset_eq");
            for (int i = 0; i < 20; ++i) expected.push_back(band(static_cast<uint8_t>(11 + i), ThirdOctaveBands[i], 5, 8, 18, 0));
            return true;
        },
        [&] {
            EXPECT_EQ(WaitFrames(f.emulator, 0x06, expected.size()), expected);
            Driver(pm).Click(L"confirm_btn");
            return true;
        },
    });
    ASSERT_TRUE(AppTest::PumpUntil([&] { return custom.Done() && !FindWindowW(L"CustomEqWnd", nullptr); }, 30000))
        << "stopped after step " << custom.StepsDone();
    ToolTest::Settle();
    EXPECT_EQ(Payloads(f.emulator, D, 0x06).size(), expected.size());
    // Output 1's own bands and every other output's bands are as they were.
    const AmpState after = f.emulator.State();
    for (int out = 0; out < 10; ++out) {
        for (int b = 0; b < kAmpBands; ++b) {
            if (out == 1 && b >= 11) continue;
            EXPECT_EQ(0, std::memcmp(&after.scenes[0].outputs[out].eq[b], &before.scenes[0].outputs[out].eq[b], sizeof(AmpEqBand)))
                << "output " << out << " band " << b;
        }
    }
    for (int i = 0; i < 20; ++i) {
        const AmpEqBand& b = after.scenes[0].outputs[1].eq[11 + i];
        EXPECT_EQ(b.freq[0] << 8 | b.freq[1], ThirdOctaveBands[i]) << i;
        EXPECT_EQ(b.gain[0], 18) << i;
    }
    // The window's bands live in the configuration's own block, not in output 1's band slots.
    EXPECT_EQ(c.config.customEqBands[3].freq, 40) << "reset to the flat preset";
    EXPECT_FLOAT_EQ(c.config.customEqBands[5].gain, 0.0f);
    EXPECT_EQ(c.config.channels[1].eqArray[3].freq, pageBand3.freq);
    EXPECT_EQ(c.config.channels[1].eqArray[14].freq, pageBand14.freq);
    EXPECT_FLOAT_EQ(c.config.channels[1].eqArray[14].factor, pageBand14.factor);
}

// Numbers of any length keyed into the compressor editor and the custom EQ: beyond the range they are its
// end, and what is no number changes nothing (the edit shows the value in force again, nothing is sent).
TEST(ToolWindows, CompressorAndCustomEqTakeHostileNumbers) {
    Fixture f;
    MainWindowRun run(f.emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    f.emulator.ClearRequests();
    CPaintManagerUI* pm = nullptr;
    // Output 0's compressor: bypass, threshold + 100, ratio, soft knee (whole, tenths), attack, release (BE16).
    auto compressor = [](uint8_t threshold, uint8_t ratio, uint8_t ratioTenths, uint8_t attackHi, uint8_t attackLo,
                         uint8_t releaseHi, uint8_t releaseLo) {
        return Bytes{0, kSource, 0, 1, threshold, 0, ratio, ratioTenths, 24, 0,
                     attackHi, attackLo, releaseHi, releaseLo};
    };
    const std::vector<Bytes> compressorFrames = {
        compressor(164, 100, 0, 0x01, 0xF4, 0x75, 0x30),  // attack 500
        compressor(164, 100, 0, 0x03, 0xE8, 0x75, 0x30),  // attack 99999999999: 1000
        compressor(164, 100, 0, 0x03, 0xE8, 0x00, 0xC8),  // release 200
        compressor(164, 100, 0, 0x03, 0xE8, 0x75, 0x30),  // release 1e308: 30000
        compressor(100, 100, 0, 0x03, 0xE8, 0x75, 0x30),  // threshold -1e308: 0.0
        compressor(100, 1, 0, 0x03, 0xE8, 0x75, 0x30),    // ratio -99999999999: 1.0
    };
    // Custom band frame: scene, source, output, band + 11, frequency (BE16), Q whole and tenths, gain + 18.
    auto band = [](uint8_t b, int freq, uint8_t q0, uint8_t q1, uint8_t g0, uint8_t g1) {
        return Bytes{0, 0, 0, b, static_cast<uint8_t>(freq >> 8), static_cast<uint8_t>(freq), q0, q1, g0, g1};
    };
    const std::vector<Bytes> bandFrames = {
        band(13, 31, 5, 8, 21, 5),    // band 2 at 3.5 dB
        band(15, 50, 5, 8, 30, 0),    // band 4 at 1e308 dB: 12.0
        band(18, 100, 5, 8, 0, 0),    // band 7 at -99999999999 dB: -18.0
        band(19, 125, 9, 0, 18, 0),   // band 8's Q at 99999999999: 9.0
    };
    struct Step {
        const wchar_t* edit;
        const wchar_t* typed;
        const wchar_t* shown;
    };
    auto typeAll = [](CPaintManagerUI* manager, const std::vector<Step>& steps) {
        Driver d(manager);
        for (const Step& s : steps) {
            d.Type(s.edit, s.typed);
            EXPECT_EQ(d.TextOf(s.edit), s.shown) << std::wstring(s.edit) << L" " << s.typed;
        }
    };
    // An attack of 0 ms (as the amplifier may report it) lies below the attack slider, which starts at 1.
    c.config.compressor.attackTime[0] = 0;
    Script script({
        [&] { PostMenuClick(run.handle, L"advance_item_compressor"); return true; },
        [&] { return (pm = OpenManager(L"CustomEqWnd")) != nullptr; },
        [&] {
            // Shown as its slider can show it; leaving the edit untouched sends nothing.
            Driver d(pm);
            EXPECT_EQ(d.TextOf(L"edit_attack_time"), L"1ms");
            auto* attack = static_cast<CSliderUI*>(d.Find(L"slider_attack_time")->GetInterface(L"Slider"));
            EXPECT_EQ(attack ? attack->GetValue() : -1, 1);
            d.Click(L"edit_attack_time");
            d.Click(L"edit_ratio");
            typeAll(pm, {{L"edit_attack_time", L"500", L"500ms"},
                         {L"edit_attack_time", L"99999999999", L"1000ms"},
                         {L"edit_release_time", L"200", L"200ms"},
                         {L"edit_release_time", L"1e308", L"30000ms"},
                         {L"edit_ratio", L"nan", L"100.0"},
                         {L"edit_soft_knee", L"-0x10", L"24.0dB"},
                         {L"edit_noise", L"??", L"64.0dB"},
                         {L"edit_noise", L"-1e308", L"0.0dB"},
                         {L"edit_ratio", L"-99999999999", L"1.0"}});
            return true;
        },
        [&] { return Payloads(f.emulator, D, 0x3E).size() >= compressorFrames.size(); },
        [&] {
            EXPECT_EQ(Payloads(f.emulator, D, 0x3E), compressorFrames);
            Driver(pm).Click(L"confirm_btn");
            return true;
        },
        [&] { return !FindWindowW(L"CustomEqWnd", nullptr); },
        [&] {
            AppTest::RunLater(0, [&] { ShowCustomEqWnd(run.handle, c); });
            return true;
        },
        [&] { return (pm = OpenManager(L"CustomEqWnd")) != nullptr; },
        [&] {
            typeAll(pm, {{L"eq_gain_2", L"3.5", L"3.5"},
                         {L"eq_gain_2", L"nan", L"3.5"},
                         {L"eq_gain_2", L"-0x10", L"3.5"},
                         {L"eq_gain_2", L"??", L"3.5"},
                         {L"eq_gain_4", L"1e308", L"12.0"},
                         {L"eq_q_5", L"nan", L"5.80"},
                         {L"eq_freq_6", L"107374183k4", L"80"},  // read with wrapping arithmetic: 1000 Hz
                         {L"eq_gain_7", L"-99999999999", L"-18.0"},
                         {L"eq_q_8", L"99999999999", L"9.00"}});
            Driver d(pm);
            auto* slider = static_cast<CSliderUI*>(d.Find(L"eq_slider_2")->GetInterface(L"Slider"));
            EXPECT_EQ(slider ? slider->GetValue() : 0, 35) << "the slider stays with the band in force";
            EXPECT_TRUE(PageControls::IsSelected(d.Find(L"pt_enable_2")));
            return true;
        },
        [&] { return Payloads(f.emulator, D, 0x06).size() >= bandFrames.size(); },
        [&] {
            EXPECT_EQ(Payloads(f.emulator, D, 0x06), bandFrames);
            Driver(pm).Click(L"confirm_btn");
            return true;
        },
    });
    ASSERT_TRUE(AppTest::PumpUntil([&] { return script.Done() && !FindWindowW(L"CustomEqWnd", nullptr); }, 30000))
        << "stopped after step " << script.StepsDone();
    ToolTest::Settle();
    EXPECT_EQ(Payloads(f.emulator, D, 0x3E).size(), compressorFrames.size());
    EXPECT_EQ(Payloads(f.emulator, D, 0x06).size(), bandFrames.size());
    // The amplifier holds what was sent: the compressor as last sent, the bands as edited.
    const AmpState state = f.emulator.State();
    const AmpOutput& out = state.scenes[0].outputs[0];
    const Bytes& lastCompressor = compressorFrames.back();
    EXPECT_EQ(Bytes(out.compressor, out.compressor + 11), Bytes(lastCompressor.begin() + 3, lastCompressor.end()));
    auto held = [&](int b) {
        const AmpEqBand& e = out.eq[b];
        return Bytes{0, 0, 0, static_cast<uint8_t>(b), e.freq[0], e.freq[1], e.q[0], e.q[1], e.gain[0], e.gain[1]};
    };
    for (const Bytes& frame : bandFrames) EXPECT_EQ(held(frame[3]), frame);
    EXPECT_FLOAT_EQ(c.config.customEqBands[2].gain, 3.5f);
    EXPECT_FLOAT_EQ(c.config.customEqBands[5].factor, 5.8f);
    EXPECT_EQ(c.config.customEqBands[6].freq, 80);
}
