// The rest of the main page end to end: link, lock and output reset, speaker delays in ms, cm and inch,
// main volume and mute, the input source with a routing box, and the amplifier's switches.
#include "AmpEmulator.h"
#include "AppTestSupport.h"
#include "OutputsTestSupport.h"
#include "SButton.h"
#include "UILabel.h"
#include "UIOption.h"
#include "UICombo.h"
#include "UIProgress.h"

#include <gtest/gtest.h>

using namespace ControllerTest;
using namespace OutputsTest;
using namespace SkinUI;

namespace {

constexpr uint8_t kVolume = 0x02, kMute = 0x04, kDelay = 0x07, kTrim = 0x08, kMuteCh = 0x09, kMix = 0x0B,
                  kLink = 0x0E, kLock = 0x0F, kMixTrim = 0x24, kAmpMute = 0x3F, kRemOut = 0x45, kSpkOhm = 0x4B,
                  kBridge = 0x4C, kNoiseGate = 0x4E, kSourceSwitch = 0x01, kType = 0x0D, kFilter = 0x05;

Frame Trim(uint8_t output, uint8_t attenuation) { return Dsp(kTrim, {0, 0, output, output, attenuation}); }
Frame MuteCh(uint8_t output, uint8_t mute) { return Dsp(kMuteCh, {0, 0, output, output, mute}); }
Frame Delay(uint8_t output, uint8_t ms, uint16_t us) {
    return Dsp(kDelay, {0, 0, output, output, ms, uint8_t(us >> 8), uint8_t(us)});
}

void Prepare(AmpState& s) {
    const uint8_t positions[10] = {6, 12, 15, 18, 19, 20, 14, 17, 22, 23};
    AmpScene& live = s.scenes[0];
    for (int n = 0; n < 10; ++n) live.outputs[n].type = positions[n];
    live.outputs[0].trim[0] = 3;
    live.outputs[1].trim[0] = 8;
    live.outputs[0].delay[0] = 1;  // 1 ms
    live.mix[4][3] = 0;
    live.inputMix[4][2][3] = 0;  // input 2 of source 4 never routed to output 3: level 0
    s.settings.source = 0x51;
    s.settings.mainVolume = 16;  // attenuation: -10 dB
    s.settings.speakerOhm = 0;
}

bool Selected(Driver& d, const wchar_t* name) {
    CControlUI* control = d.Find(name);
    if (auto* option = control ? static_cast<COptionUI*>(control->GetInterface(L"Option")) : nullptr) return option->IsSelected();
    auto* button = control ? static_cast<CSButtonUI*>(control->GetInterface(L"SButton")) : nullptr;
    return button && button->IsSelected();
}

DWORD TextColour(Driver& d, const wchar_t* name) {
    auto* label = static_cast<CLabelUI*>(d.Find(name)->GetInterface(L"Label"));
    return label ? label->GetTextColor() : 0;
}

void Choose(Driver& d, const wchar_t* combo, int item) {
    auto* box = static_cast<CComboUI*>(d.Find(combo)->GetInterface(L"Combo"));
    ASSERT_NE(box, nullptr);
    box->SelectItem(item, false);
    AppTest::PumpUntil([] { return false; }, 30);
}

}  // namespace

TEST(PageEdit, LinkLockAndResetTheOutputs) {
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState(Prepare);
    MainWindowRun run(emulator);
    ASSERT_NE(run.handle, nullptr);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    Driver d(run, emulator);
    d.Settle();

    // Linking, the left side copied to the right: lock on, every left output's gain again (its copy
    // partner follows), then the pairs.
    // The question declined first: nothing changes and nothing is sent.
    int linkAnswer = 0;
    std::vector<std::wstring> linkQuestions;
    c.checkBoxQuestion = [&](HWND, const wchar_t* title, const wchar_t* text, const wchar_t* const* boxes) {
        linkQuestions.push_back(std::wstring(title) + L"|" + text + L"|" + boxes[0] + L"|" + boxes[1]);
        return linkAnswer;
    };
    d.Click(L"btn_link_output");
    ASSERT_EQ(linkQuestions.size(), 1u);
    EXPECT_EQ(linkQuestions[0], L"${tips}|${link_tips}|${copy_left_to_right}|${copy_right_to_left}");
    ExpectFrames(d.Take(0), {}, "link declined");
    EXPECT_EQ(c.config.linkMode, 0);
    EXPECT_FALSE(Selected(d, L"btn_link_output"));
    d.Settle();
    // Then "copy left to right" chosen.
    linkAnswer = 1;
    d.Click(L"btn_link_output");
    EXPECT_EQ(linkQuestions.size(), 2u);
    // Pairs by position within the EQ banks: 6/12 on 0/1, 15/18 on 2/3, 14/17 on 6/7, 22/23 on 8/9.
    // Each re-applied gain also reaches the current output's partner (output 1) with its own gain.
    ExpectFrames(d.Take(10),
                 {Dsp(kLock, {0, 1}), Trim(0, 3), Trim(1, 8), Trim(2, 0), Trim(1, 8), Trim(6, 0), Trim(1, 8), Trim(8, 0),
                  Trim(1, 8), Dsp(kLink, {0, 1, 4, 0, 1, 2, 3, 6, 7, 8, 9})},
                 "link");
    EXPECT_EQ(c.config.linkMode, 1);
    EXPECT_EQ(c.config.linkOutputs[1], 0);
    EXPECT_TRUE(Selected(d, L"btn_link_output"));
    EXPECT_TRUE(Selected(d, L"btn_lock_output"));
    EXPECT_FALSE(d.Find(L"ch_output_btn_0")->IsEnabled());
    EXPECT_FALSE(d.Find(L"ch_synchronize_3")->IsEnabled());
    EXPECT_TRUE(Selected(d, L"ch_enable_1"));  // the current output's partner is shown with it
    d.Settle();

    // A gain edit of the current output reaches its link partner once.
    d.TypeAndEnter(L"edit_ch_volume_0", L"-5");
    ExpectFrames(d.Take(4), {Trim(0, 5), MuteCh(0, 0), Trim(1, 10), MuteCh(1, 0)}, "linked gain");
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_1"), L"-10dB");
    d.Settle();

    // Unlocking, confirmed, also unlinks: the link goes before the lock.
    MainWindowRun::ConfirmContaining() = Text(L"${unlock_output_tips}");
    d.Click(L"btn_lock_output");
    ExpectFrames(d.Take(2), {Dsp(kLink, {0, 0, 0}), Dsp(kLock, {0, 0})}, "unlock");
    EXPECT_EQ(c.config.linkMode, 0);
    EXPECT_EQ(c.config.linkOutputs[1], -1);
    EXPECT_FALSE(Selected(d, L"btn_link_output"));
    EXPECT_TRUE(d.Find(L"ch_output_btn_0")->IsEnabled());
    d.Settle();

    // Locking, declined, changes nothing but sends the state it keeps.
    MainWindowRun::ConfirmContaining().clear();
    d.Click(L"btn_lock_output");
    ExpectFrames(d.Take(1), {Dsp(kLock, {0, 0})}, "lock declined");
    EXPECT_EQ(c.config.lockMode, 0);
    d.Settle();

    // Output reset to the defaults: lock off, link off, the ten trims in one frame, output 0 current, the
    // bridge flags.
    d.Click(L"ch_enable_3");
    MainWindowRun::ConfirmContaining() = Text(L"${empty_output_tips}");
    d.Click(L"btn_reset_output");
    std::vector<Frame> reset = d.Take(44);
    ASSERT_EQ(reset.size(), 44u);
    // Each output takes its default position (report bytes: 5 sub-command, 10 filter kind): the position,
    // its crossover preset (high-pass, low-pass)
    // and its trim.
    const uint8_t defaults[10] = {6, 12, 15, 18, 19, 20, 14, 17, 22, 23};
    const uint8_t attenuations[10] = {5, 10, 0, 0, 0, 0, 0, 0, 0, 0};
    for (uint8_t n = 0; n < 10; ++n) {
        EXPECT_EQ(reset[4 * n], Dsp(kType, {0, 0, n, n, defaults[n]})) << int(n);
        EXPECT_EQ(reset[4 * n + 1][5], kFilter) << int(n);
        EXPECT_EQ(reset[4 * n + 1][10], 2) << int(n);
        EXPECT_EQ(reset[4 * n + 2][10], 1) << int(n);
        EXPECT_EQ(reset[4 * n + 3], Trim(n, attenuations[n])) << int(n);
    }
    ExpectFrames(std::vector<Frame>(reset.begin() + 40, reset.end()),
                 {Dsp(kLock, {0, 0}), Dsp(kLink, {0, 0, 0}), Dsp(kTrim, {0, 0, 0, 9, 5, 10, 0, 0, 0, 0, 0, 0, 0, 0}),
                  Dsp(kBridge, {0, 0, 5, 0, 0, 0, 0, 0})},
                 "output reset");
    EXPECT_EQ(run.TextOf(L"ch_output_btn_6"), Text(L"${rear_left_woofer}"));
    EXPECT_EQ(c.CurrentOutput(), 0);
    EXPECT_EQ(run.TextOf(L"label_channel_name"), L"CH1");
    d.Settle();

    const AmpState state = emulator.State();
    EXPECT_EQ(state.scenes[0].link.link, 0);
    EXPECT_EQ(state.scenes[0].lock, 0);
    EXPECT_EQ(state.scenes[0].outputs[1].trim[0], 10);
}

TEST(PageEdit, DelaysVolumeSourceRoutingAndSwitches) {
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState(Prepare);
    MainWindowRun run(emulator);
    ASSERT_NE(run.handle, nullptr);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    Driver d(run, emulator);
    for (const AmpRequest& r : ParsedRequests(emulator))
        EXPECT_FALSE(r.cmd == kAmpCmdDsp && r.optype == kAmpOpSet) << "setter 0x" << std::hex << int(r.sub) << " sent while filling";
    d.Settle();

    // Delays: a marker's edit in cm, an output's edit in ms and in inch.
    EXPECT_EQ(run.TextOf(L"spk_delay_6"), L"1.000");
    Choose(d, L"comb_ch_unit", 1);
    EXPECT_EQ(run.TextOf(L"spk_delay_6"), L"35");         // 1 ms is 34.6 cm
    EXPECT_EQ(run.TextOf(L"edit_ch_delay_0"), L"35 cm");
    ExpectFrames(d.Take(0), {}, "unit change");
    d.TypeAndEnter(L"spk_delay_6", L"600");  // beyond 519 cm: 15 ms
    ExpectFrames(d.Take(1), {Delay(0, 15, 0)}, "marker delay in cm");
    EXPECT_EQ(run.TextOf(L"spk_delay_6"), L"519");
    EXPECT_EQ(run.TextOf(L"edit_ch_delay_0"), L"519 cm");
    EXPECT_FLOAT_EQ(c.config.channels[0].delay, 15.0f);
    d.Settle();
    Choose(d, L"comb_ch_unit", 0);
    d.TypeAndEnter(L"edit_ch_delay_1", L"2.5");
    ExpectFrames(d.Take(1), {Delay(1, 2, 500)}, "delay in ms");
    EXPECT_EQ(run.TextOf(L"edit_ch_delay_1"), L"2.500 ms");
    EXPECT_EQ(run.TextOf(L"spk_delay_12"), L"2.500");
    d.Settle();
    // What is no number changes no delay; one of any length is the longest delay.
    const wchar_t* const notNumbers[] = {L"nan", L"0x5", L"??"};
    for (const wchar_t* typed : notNumbers) {
        d.TypeAndEnter(L"edit_ch_delay_1", typed);
        ExpectFrames(d.Take(0), {}, "delay not a number");
        EXPECT_EQ(run.TextOf(L"edit_ch_delay_1"), L"2.500 ms");
    }
    d.TypeAndEnter(L"edit_ch_delay_1", std::wstring(300, L'9').c_str());
    ExpectFrames(d.Take(1), {Delay(1, 15, 0)}, "delay of 255 digits");
    EXPECT_EQ(run.TextOf(L"edit_ch_delay_1"), L"15.000 ms");
    d.TypeAndEnter(L"edit_ch_delay_1", L"2.5");
    ExpectFrames(d.Take(1), {Delay(1, 2, 500)}, "delay in ms again");
    // The output's edit commits its delay once more as the focus leaves it for the marker's.
    d.Click(L"spk_delay_12");
    ExpectFrames(d.Take(1), {Delay(1, 2, 500)}, "delay edit left");
    for (const wchar_t* typed : notNumbers) {
        d.TypeAndEnter(L"spk_delay_12", typed);
        ExpectFrames(d.Take(0), {}, "marker delay not a number");
        EXPECT_EQ(run.TextOf(L"spk_delay_12"), L"2.500");
    }
    d.Settle();
    Choose(d, L"comb_ch_unit", 2);
    d.TypeAndEnter(L"edit_ch_delay_2", L"100");  // 100 in = 7.353 ms
    ExpectFrames(d.Take(1), {Delay(2, 7, 352)}, "delay in inch");
    EXPECT_EQ(run.TextOf(L"edit_ch_delay_2"), L"100 in");
    // The arrows move one inch: 101 in = 7.426 ms, and back.
    d.KeyIn(L"edit_ch_delay_2", VK_UP);
    ExpectFrames(d.Take(1), {Delay(2, 7, 426)}, "delay up one inch");
    EXPECT_EQ(run.TextOf(L"edit_ch_delay_2"), L"101 in");
    d.KeyIn(L"edit_ch_delay_2", VK_DOWN);
    ExpectFrames(d.Take(1), {Delay(2, 7, 352)}, "delay down one inch");
    EXPECT_EQ(run.TextOf(L"edit_ch_delay_2"), L"100 in");
    d.Settle();

    // Main volume: typed 10 sends the attenuation 24.75 dB (whole dB on the wire), then the unmute.
    d.TypeAndEnter(L"edit_main_volume", L"10");
    ExpectFrames(d.Take(2), {Dsp(kVolume, {24}), Dsp(kMute, {0})}, "main volume");
    EXPECT_EQ(c.config.mainVolume, 10);
    d.KeyIn(L"edit_main_volume", VK_UP);  // 11: 23.04 dB
    ExpectFrames(d.Take(2), {Dsp(kVolume, {23}), Dsp(kMute, {0})}, "main volume up");
    d.Settle();
    // Read back after the button disconnected and connected again, the volume is the one set: the
    // amplifier reports it in dB.
    d.Click(L"btnConnect");
    ASSERT_TRUE(run.WaitDisconnected());
    d.Click(L"btnConnect");
    ASSERT_TRUE(run.WaitConnected());
    EXPECT_EQ(run.TextOf(L"edit_main_volume"), L"11");
    EXPECT_EQ(static_cast<CSliderUI*>(d.Find(L"slider_main_volume")->GetInterface(L"Slider"))->GetValue(), 11);
    EXPECT_EQ(c.config.mainVolume, 11);
    d.Settle();
    d.Click(L"main_mute");
    ExpectFrames(d.Take(1), {Dsp(kMute, {1})}, "main mute");
    d.TypeAndEnter(L"edit_main_volume", Text(L"${off}").c_str());
    ExpectFrames(d.Take(2), {Dsp(kVolume, {66}), Dsp(kMute, {0})}, "main volume off");
    EXPECT_EQ(run.TextOf(L"edit_main_volume"), Text(L"${off}"));
    EXPECT_FALSE(Selected(d, L"main_mute"));
    d.Settle();

    // Source 4 (eight inputs): the switch, then the volume poll; eight routing boxes per output.
    Choose(d, L"btn_input_source", 4);
    std::vector<Frame> source = d.Take(2);
    ASSERT_GE(source.size(), 1u);
    EXPECT_EQ(source[0], Dsp(kSourceSwitch, {0x55}));
    EXPECT_TRUE(d.Find(L"option_ch_in7_3")->IsVisible());
    Choose(d, L"btn_input_source", 1);
    EXPECT_FALSE(d.Find(L"option_ch_in0_3")->IsVisible());
    Choose(d, L"btn_input_source", 4);
    AppTest::PumpUntil([] { return false; }, 1500);  // the volume poll's first read has come and gone
    d.Settle();
    // Routing input 2 to output 3: the mask (two bytes: ten inputs), then the full level it starts with.
    d.Click(L"option_ch_in2_3");
    ExpectFrames(d.Take(2), {Dsp(kMix, {0, 4, 3, 3, 0x00, 0x04}), Dsp(kMixTrim, {0, 4, 2, 3, 3, 100})}, "routing");
    d.Click(L"option_ch_in2_3");
    ExpectFrames(d.Take(1), {Dsp(kMix, {0, 4, 3, 3, 0x00, 0x00})}, "routing off");
    d.Settle();

    // The switches: each shows its new state in white (on) or red (off) and sends it.
    d.Click(L"btn_amp_onoff");
    ExpectFrames(d.Take(1), {Dsp(kAmpMute, {1})}, "amplifier off");
    EXPECT_EQ(run.TextOf(L"btn_amp_onoff"), Text(L"${amp_off}"));
    EXPECT_EQ(TextColour(d, L"btn_amp_onoff"), 0xFFFF0000u);
    d.Click(L"btn_rem_out1_onoff");
    ExpectFrames(d.Take(1), {Dsp(kRemOut, {0, 1})}, "remote 1 off");
    d.Click(L"btn_rem_out2_onoff");
    ExpectFrames(d.Take(1), {Dsp(kRemOut, {0, 0})}, "remote 2 off");
    EXPECT_EQ(run.TextOf(L"btn_rem_out2_onoff"), Text(L"${rem_out2_off}"));
    d.Click(L"btn_2ohm_spk");
    ExpectFrames(d.Take(1), {Dsp(kSpkOhm, {1})}, "2 ohm");
    EXPECT_EQ(run.TextOf(L"btn_2ohm_spk"), Text(L"${btn_2ohm_spk}"));
    EXPECT_EQ(TextColour(d, L"btn_2ohm_spk"), 0xFFFFFFFFu);
    d.Click(L"btn_noise_gate");
    ExpectFrames(d.Take(1), {Dsp(kNoiseGate, {1})}, "noise gate");
    d.Click(L"btn_amp_onoff");
    ExpectFrames(d.Take(1), {Dsp(kAmpMute, {0})}, "amplifier on");
    EXPECT_EQ(TextColour(d, L"btn_amp_onoff"), 0xFFFFFFFFu);
    d.Settle();

    const AmpState state = emulator.State();
    EXPECT_EQ(state.scenes[0].outputs[0].delay[0], 15);
    EXPECT_EQ(state.scenes[0].outputs[2].delay[0], 7);
    EXPECT_EQ(state.settings.source, 0x55);
    EXPECT_EQ(state.settings.mainVolume, 66);
    EXPECT_EQ(state.settings.mute, 0);
    EXPECT_EQ(state.scenes[0].inputMix[4][2][3], 100);
    EXPECT_EQ(state.scenes[0].mix[4][3], 0);
    EXPECT_EQ(state.settings.ampMute, 0);
    EXPECT_EQ(state.settings.remOut[0], 0);
    EXPECT_EQ(state.settings.remOut[1], 0);
    EXPECT_EQ(state.settings.speakerOhm, 1);
    EXPECT_EQ(state.settings.noiseGate, 1);
}

TEST(PageEdit, SharedPositionsMarkerStepsAndTheOffText) {
    AppTest::SettingsFileGuard settings;  // the language choice is written to it
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState([](AmpState& s) {
        Prepare(s);
        AmpScene& live = s.scenes[0];
        live.outputs[1].type = 6;  // outputs 0 and 1 share the front-left position
        live.outputs[0].delay[0] = 14;
        live.outputs[0].delay[1] = 0x03;  // 14.990 ms
        live.outputs[0].delay[2] = 0xDE;
    });
    MainWindowRun run(emulator);
    ASSERT_NE(run.handle, nullptr);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    Driver d(run, emulator);
    d.Settle();

    // A click on the marker makes each output at that position current in turn: the last one stays.
    d.Click(L"speaker_6");
    EXPECT_EQ(c.CurrentOutput(), 1);
    EXPECT_TRUE(Selected(d, L"speaker_6"));
    ExpectFrames(d.Take(0), {}, "marker click");
    // The delay arrows step the first output at the current output's position, and stop at 15 ms.
    d.Click(L"btn_delay_up");
    ExpectFrames(d.Take(1), {Delay(0, 15, 0)}, "delay up to the top");
    EXPECT_EQ(run.TextOf(L"spk_delay_6"), L"15.000");
    d.Click(L"btn_delay_up");
    ExpectFrames(d.Take(1), {Delay(0, 15, 0)}, "delay up at the top");
    d.Click(L"btn_delay_down");
    ExpectFrames(d.Take(1), {Delay(0, 14, 979)}, "delay down");
    EXPECT_EQ(run.TextOf(L"edit_ch_delay_0"), L"14.979 ms");
    EXPECT_FLOAT_EQ(c.config.channels[1].delay, 0.0f);
    // In inch they move one inch from the one shown: 204 in down to 203 in = 14.926 ms.
    Choose(d, L"comb_ch_unit", 2);
    d.Click(L"btn_delay_down");
    ExpectFrames(d.Take(1), {Delay(0, 14, 926)}, "delay down one inch");
    EXPECT_EQ(run.TextOf(L"spk_delay_6"), L"203");
    Choose(d, L"comb_ch_unit", 0);
    d.Click(L"btn_delay_up");
    ExpectFrames(d.Take(1), {Delay(0, 14, 947)}, "delay up in ms");
    d.Settle();

    // The language's "off" typed into a gain edit is -60 dB, shown as "off" again.
    d.TypeAndEnter(L"edit_ch_volume_3", Text(L"${off}").c_str());
    ExpectFrames(d.Take(2), {Trim(3, 60), MuteCh(3, 0)}, "gain off");
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_3"), Text(L"${off}"));
    EXPECT_EQ(static_cast<CSliderUI*>(d.Find(L"slider_ch_volume_3")->GetInterface(L"Slider"))->GetValue(), -600);
    d.Settle();

    // Another language rewrites every gain edit in it, and sends nothing.
    const std::wstring englishOff = Text(L"${off}");
    run.window->ChangeLanguage(L"cn_zh", L"1");
    EXPECT_NE(Text(L"${off}"), englishOff);
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_3"), Text(L"${off}"));
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_1"), L"-8dB");
    run.window->ChangeLanguage(L"en", L"0");
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_3"), englishOff);
    ExpectFrames(d.Take(0), {}, "language change");

    const AmpState state = emulator.State();
    EXPECT_EQ(state.scenes[0].outputs[3].trim[0], 60);
    EXPECT_EQ(state.scenes[0].outputs[0].delay[0], 14);
    EXPECT_EQ((state.scenes[0].outputs[0].delay[1] << 8) | state.scenes[0].outputs[0].delay[2], 947);
}
