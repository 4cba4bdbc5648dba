// Output channel editing end to end: the main window filled from an emulated amplifier, then edited with
// the mouse and the keyboard. Every step checks the frames the amplifier received, byte for byte and in
// order, the page's texts, and what the amplifier holds afterwards.
#include "AmpEmulator.h"
#include "AppTestSupport.h"
#include "OutputsTestSupport.h"
#include "SButton.h"
#include "UILabel.h"
#include "UIOption.h"
#include "UIProgress.h"

#include <gtest/gtest.h>

using namespace ControllerTest;
using namespace OutputsTest;
using namespace SkinUI;

namespace {

constexpr uint8_t kDelay = 0x07, kTrim = 0x08, kMuteCh = 0x09, kPhase = 0x0A, kFilter = 0x05, kEq = 0x06,
                  kEqBypass = 0x12, kMixTrim = 0x24, kBridge = 0x4C, kType = 0x0D, kMixMask = 0x0B;

Frame Trim(uint8_t output, uint8_t attenuation) { return Dsp(kTrim, {0, 0, output, output, attenuation}); }
Frame MuteCh(uint8_t output, uint8_t mute) { return Dsp(kMuteCh, {0, 0, output, output, mute}); }

// The positions of the default ten-output layout; gains -6, -10 and -20 dB on outputs 0, 2 and 4.
void Prepare(AmpState& s) {
    const uint8_t positions[10] = {6, 12, 15, 18, 19, 20, 14, 17, 22, 23};
    AmpScene& live = s.scenes[0];
    for (int n = 0; n < 10; ++n) live.outputs[n].type = positions[n];
    live.outputs[0].trim[0] = 6;
    live.outputs[2].trim[0] = 10;
    live.outputs[4].trim[0] = 20;
    live.outputs[4].delay[0] = 3;  // 3.5 ms
    live.outputs[4].delay[2] = 0xF4;
    live.outputs[4].delay[1] = 0x01;
    live.outputs[3].mute = 1;
    live.outputs[4].phase = 1;
    live.outputs[8].trim[0] = 4;  // outputs 8 and 9 bridged, with different gains: the page follows, no copy
    live.bridgeCount = 5;
    live.bridge[4] = 1;
    live.mix[0][4] = 0x3;  // optical L and R into output 4; output 5 routed otherwise
    live.mix[0][5] = 0x1;
    live.mix[3][5] = 0x2;
}

bool Selected(Driver& d, const wchar_t* name) {
    CControlUI* control = d.Find(name);
    auto* option = control ? static_cast<COptionUI*>(control->GetInterface(L"Option")) : nullptr;
    if (option) return option->IsSelected();
    auto* button = control ? static_cast<CSButtonUI*>(control->GetInterface(L"SButton")) : nullptr;
    return button && button->IsSelected();
}

}  // namespace

TEST(ChannelEdit, GainMutePhaseSelectSyncAndBridgeReachTheAmplifier) {
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState(Prepare);
    MainWindowRun run(emulator);
    ASSERT_NE(run.handle, nullptr);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    Driver d(run, emulator);

    // Filling the page from the replies sent no setter at all.
    for (const AmpRequest& r : ParsedRequests(emulator))
        EXPECT_FALSE(r.cmd == kAmpCmdDsp && r.optype == kAmpOpSet) << "setter 0x" << std::hex << int(r.sub) << " sent while filling";
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_2"), L"-10dB");
    EXPECT_TRUE(Selected(d, L"ch_mute_3"));
    EXPECT_TRUE(Selected(d, L"ch_phase_4"));
    EXPECT_TRUE(Selected(d, L"ch_bridge_4"));
    EXPECT_FLOAT_EQ(c.config.channels[9].gain, 0.0f);
    d.Settle();

    // Choosing a channel sends nothing and shows it.
    d.Click(L"ch_enable_2");
    EXPECT_EQ(c.CurrentOutput(), 2);
    EXPECT_EQ(run.TextOf(L"label_channel_name"), L"CH3");
    for (int n = 0; n < 10; ++n) EXPECT_EQ(Selected(d, (L"ch_enable_" + std::to_wstring(n)).c_str()), n == 2) << n;
    ExpectFrames(d.Take(0), {}, "channel select");

    // A slider drag: the trim of the value it ended on, then the unmute; the edit shows whole dB.
    const int dragged = d.DragSlider(L"slider_ch_volume_0", -25);
    ASSERT_LT(dragged, -60);
    ASSERT_GE(dragged, -600);
    EXPECT_EQ(c.CurrentOutput(), 0);
    const uint8_t attenuation0 = static_cast<uint8_t>(-dragged / 10);
    ExpectFrames(d.Take(2), {Trim(0, attenuation0), MuteCh(0, 0)}, "slider drag");
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_0"), std::to_wstring(dragged / 10) + L"dB");
    EXPECT_FLOAT_EQ(c.config.channels[0].gain, dragged / 10.0f);
    d.Settle();

    // Outputs 2 and 4 join a sync group: 4 takes the current output's EQ bypass, and the stored gains
    // go out again unchanged.
    d.Click(L"ch_synchronize_2");
    auto trims = [&] {
        std::vector<Frame> all;
        const uint8_t a[10] = {attenuation0, 0, 10, 0, 20, 0, 0, 0, 4, 0};
        for (uint8_t n = 0; n < 10; ++n) all.push_back(Trim(n, a[n]));
        return all;
    };
    ExpectFrames(d.Take(10), trims(), "output 2 joins");
    EXPECT_EQ(c.CurrentOutput(), 2);
    d.Click(L"ch_synchronize_4");
    // The neutral amplifier reports the EQ active (bypass 0).
    std::vector<Frame> joined = {Dsp(kEqBypass, {0, 0, 2, 2, 0}), Dsp(kEqBypass, {0, 0, 4, 4, 0})};
    for (const Frame& f : trims()) joined.push_back(f);
    ExpectFrames(d.Take(12), joined, "output 4 joins");
    EXPECT_FALSE(d.Find(L"btn_link_output")->IsEnabled());
    d.Settle();

    // Edit and Enter on output 2: -10 dB to -15 dB moves output 4 by the same -5 dB from its own -20 dB.
    d.TypeAndEnter(L"edit_ch_volume_2", L"-15");
    ExpectFrames(d.Take(4), {Trim(2, 15), MuteCh(2, 0), Trim(4, 25), MuteCh(4, 0)}, "edit and Enter");
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_2"), L"-15dB");
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_4"), L"-25dB");
    // Up and Down in the focused edit step by 1 dB, the group following.
    d.KeyIn(L"edit_ch_volume_2", VK_UP);
    ExpectFrames(d.Take(4), {Trim(2, 14), MuteCh(2, 0), Trim(4, 24), MuteCh(4, 0)}, "Up");
    d.KeyIn(L"edit_ch_volume_2", VK_DOWN);
    d.KeyIn(L"edit_ch_volume_2", VK_DOWN);
    ExpectFrames(d.Take(8),
                 {Trim(2, 15), MuteCh(2, 0), Trim(4, 25), MuteCh(4, 0), Trim(2, 16), MuteCh(2, 0), Trim(4, 26), MuteCh(4, 0)},
                 "Down twice");
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_2"), L"-16dB");
    d.Settle();

    // Text that is no gain changes nothing and the old text comes back: a hexadecimal one is no 0 dB.
    for (const wchar_t* typed : {L"abc", L"-0x10", L"0x0", L"nan"}) {
        d.TypeAndEnter(L"edit_ch_volume_2", typed);
        ExpectFrames(d.Take(0), {}, "not a gain");
        EXPECT_EQ(run.TextOf(L"edit_ch_volume_2"), L"-16dB");
    }
    EXPECT_FLOAT_EQ(c.config.channels[2].gain, -16.0f);
    d.Settle();

    // Mute and phase options.
    d.Click(L"ch_mute_5");
    ExpectFrames(d.Take(1), {MuteCh(5, 1)}, "mute");
    EXPECT_TRUE(Selected(d, L"ch_mute_5"));
    d.Click(L"ch_phase_1");
    ExpectFrames(d.Take(1), {Dsp(kPhase, {0, 0, 1, 1, 1})}, "phase");
    EXPECT_EQ(run.TextOf(L"ch_phase_1"), Text(L"${reverse phase}"));
    d.Click(L"ch_phase_1");
    ExpectFrames(d.Take(1), {Dsp(kPhase, {0, 0, 1, 1, 0})}, "phase back");
    EXPECT_EQ(run.TextOf(L"ch_phase_1"), Text(L"${positive_phase}"));
    d.Settle();

    // Bridging pair 2 makes output 5 a copy of output 4 and sends all of it, then the five bridge flags.
    // Output 4's band 3 is switched off with +4 dB kept: it goes out flat and the copy keeps it so.
    c.config.channels[4].eqArray[2].enable = 0;
    c.config.channels[4].eqArray[2].gain = 4.0f;
    d.Click(L"ch_bridge_2");
    std::vector<Frame> bridge = d.Take(104);
    ASSERT_EQ(bridge.size(), 104u);
    std::vector<Frame> head;
    for (uint8_t b = 0; b < 11; ++b) {
        const uint16_t freq = AmpBandFrequency(b);
        // Every band of the neutral amplifier: Q 5.8 and 0 dB (18 + gain).
        head.push_back(Dsp(kEq, {0, 0, 5, b, uint8_t(freq >> 8), uint8_t(freq), 5, 8, 18, 0}));
    }
    head.push_back(Dsp(kFilter, {0, 0, 5, 1, 1, 0x4E, 0x20, 0}));  // low-pass 20 kHz, Butterworth, off
    head.push_back(Dsp(kFilter, {0, 0, 5, 2, 1, 0x00, 0x14, 0}));  // high-pass 20 Hz
    head.push_back(Dsp(kEqBypass, {0, 0, 5, 5, 0}));
    head.push_back(Trim(5, 26));
    head.push_back(Dsp(kDelay, {0, 0, 5, 5, 3, 0x01, 0xF4}));
    ExpectFrames(std::vector<Frame>(bridge.begin(), bridge.begin() + 16), head, "bridge copy");
    EXPECT_EQ(c.config.channels[5].eqArray[2].enable, 0);
    EXPECT_FLOAT_EQ(c.config.channels[5].eqArray[2].gain, 4.0f);
    // Every source's routing of output 5: output 4's (two inputs of optical, nothing else).
    for (uint8_t s = 0; s < 9; ++s)
        EXPECT_EQ(bridge[16 + s], Dsp(kMixMask, {0, s, 5, 5, 0, uint8_t(s == 0 ? 3 : 0)})) << "routing " << int(s);
    // Every source's and input's level (the neutral amplifier's full level), source by source.
    for (int i = 0; i < 72; ++i) {
        const uint8_t s = uint8_t(i / 8), in = uint8_t(i % 8);
        EXPECT_EQ(bridge[25 + i], Dsp(kMixTrim, {0, s, in, 5, 5, 100})) << "mix level " << i;
    }
    // Output 5 takes output 4's position (centre tweeter) and keeps the crossover copied from it (not
    // the position's preset): the position, the copied high-pass and low-pass, its trim.
    EXPECT_EQ(bridge[97], Dsp(kType, {0, 0, 5, 5, 19}));
    EXPECT_EQ(bridge[98], Dsp(kFilter, {0, 0, 5, 2, 1, 0x00, 0x14, 0}));
    EXPECT_EQ(bridge[99], Dsp(kFilter, {0, 0, 5, 1, 1, 0x4E, 0x20, 0}));
    EXPECT_EQ(bridge[100], Trim(5, 26));
    const AmpScene bridged = emulator.State().scenes[0];
    EXPECT_EQ(bridged.outputs[5].eq[2].gain[0], 18);  // the switched-off band plays flat
    EXPECT_EQ(std::vector<uint8_t>(bridged.outputs[5].filter, bridged.outputs[5].filter + 8),
              std::vector<uint8_t>(bridged.outputs[4].filter, bridged.outputs[4].filter + 8));
    EXPECT_EQ(run.TextOf(L"ch_output_btn_5"), Text(L"${center_tweeter}"));
    // The amplifier routes output 5 as the page shows it.
    for (int s = 0; s < 9; ++s) {
        EXPECT_EQ(bridged.mix[s][5], bridged.mix[s][4]) << "source " << s;
        EXPECT_EQ(bridged.mix[s][5], c.config.inputs[s][5]) << "source " << s;
    }
    EXPECT_TRUE(Selected(d, L"option_ch_in0_5"));
    EXPECT_TRUE(Selected(d, L"option_ch_in1_5"));
    ExpectFrames(std::vector<Frame>(bridge.begin() + 101, bridge.end()),
                 {Dsp(kPhase, {0, 0, 5, 5, 1}), MuteCh(5, 0), Dsp(kBridge, {0, 0, 5, 0, 0, 1, 0, 1})}, "bridge end");
    EXPECT_TRUE(Selected(d, L"ch_bridge_2"));
    EXPECT_FALSE(Selected(d, L"ch_mute_5"));
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_5"), L"-26dB");
    d.Settle();

    // Output 4 current: an Up reaches its group (output 2), then its bridge partner 5, in that order.
    d.Click(L"ch_enable_4");
    EXPECT_EQ(c.CurrentOutput(), 4);
    EXPECT_TRUE(Selected(d, L"ch_enable_5"));  // the partner is shown with it
    d.Click(L"edit_ch_volume_4");
    d.KeyIn(L"edit_ch_volume_4", VK_UP);
    ExpectFrames(d.Take(6), {Trim(4, 25), MuteCh(4, 0), Trim(2, 15), MuteCh(2, 0), Trim(5, 25), MuteCh(5, 0)},
                 "group and partner");
    d.Settle();
    // Muting a bridged output mutes its partner.
    d.Click(L"ch_mute_4");
    ExpectFrames(d.Take(2), {MuteCh(4, 1), MuteCh(5, 1)}, "bridged mute");
    EXPECT_TRUE(Selected(d, L"ch_mute_5"));
    d.Settle();

    // What the amplifier now holds.
    const AmpState state = emulator.State();
    const AmpScene& live = state.scenes[0];
    EXPECT_EQ(live.outputs[0].trim[0], attenuation0);
    EXPECT_EQ(live.outputs[2].trim[0], 15);
    EXPECT_EQ(live.outputs[4].trim[0], 25);
    EXPECT_EQ(live.outputs[5].trim[0], 25);
    EXPECT_EQ(live.outputs[4].mute, 1);
    EXPECT_EQ(live.outputs[5].mute, 1);
    EXPECT_EQ(live.outputs[1].phase, 0);
    EXPECT_EQ(live.outputs[5].phase, 1);
    EXPECT_EQ(live.outputs[5].delay[0], 3);
    EXPECT_EQ(live.bridge[2], 1);
    EXPECT_EQ(live.bridge[1], 0);
    EXPECT_EQ(live.bridge[4], 1);
    EXPECT_EQ(live.outputs[9].trim[0], 0);
}
