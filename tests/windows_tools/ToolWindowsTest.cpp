// The noise-threshold, karaoke and channel-link windows against the emulated amplifier, opened the way
// the main window opens them: the threshold typed, stepped and shown as "off", sent and kept; the noise
// meters polled only for the source's inputs and only while the window is open; the karaoke values
// clamped to their sliders and sent in their commands' bytes; the proposed link pairs in both directions
// and the ticked pair made the amplifier's link. Also the windows' small rules as tables.
#include "AppTestSupport.h"
#include "PageControls.h"
#include "tool_windows/ToolWindowTestSupport.h"
#include "UICombo.h"
#include "windows/KtvWnd.h"
#include "windows/LinkSelWnd.h"
#include "windows/NoiseThresholdWnd.h"

#include <gtest/gtest.h>

using namespace ControllerTest;
using namespace SceneTest;
using namespace ToolTest;
using namespace SkinUI;

namespace {

constexpr uint8_t kThreshold = 0x26, kInputNoise = 0x27, kLink = 0x0E, kLock = 0x0F;
constexpr uint8_t kKtv = 7;
constexpr int kNoiseLayoutWidth = 420;

size_t Count(const AmpEmulator& emulator, uint8_t sub, uint8_t cmd = 1) { return Sent(emulator, sub, cmd).size(); }

bool SelectSource(MainWindowRun& run, AmpEmulator& emulator, int source) {
    auto* sources = dynamic_cast<CComboUI*>(run.Find(L"btn_input_source"));
    if (!sources) return false;
    sources->SelectItem(source);
    return AppTest::PumpUntil([&] {
        return emulator.State().settings.source == 0x51 + source && run.Controller().Device().IsCmdQueueIdle();
    });
}

int MeterValue(WindowImplBase* window, const wchar_t* name) {
    auto* meter = dynamic_cast<CProgressUI*>(Control(window, name));
    return meter ? meter->GetValue() : 12345;
}

}  // namespace

TEST(ToolWindowRules, ThresholdTextsKaraokeRingAndLinkCandidates) {
    const wchar_t* off = L"Off";
    struct Typed {
        const wchar_t* text;
        int value;
    } typed[] = {{L"-30", -40}, {L"-70", -61}, {L"Off", -61}, {L"-45dBu", -45}, {L"-61", -61}, {L"", -40}};
    for (const Typed& t : typed) EXPECT_EQ(ParseNoiseThreshold(t.text, off), t.value) << t.text;
    EXPECT_EQ(NoiseThresholdText(-45, off), L"-45dBu");
    EXPECT_EQ(NoiseThresholdText(-61, off), L"Off");
    EXPECT_EQ(StepNoiseThreshold(-61, true), -60);
    EXPECT_EQ(StepNoiseThreshold(-61, false), -61);
    EXPECT_EQ(StepNoiseThreshold(-40, false), -41);
    EXPECT_EQ(StepNoiseThreshold(-40, true), -40);
    EXPECT_EQ(NoiseClientWidth(420, 2, 100), 420);
    EXPECT_EQ(NoiseClientWidth(420, 8, 100), 520);
    EXPECT_EQ(NoiseClientWidth(420, 0, 150), 630);

    EXPECT_STREQ(kKtvParameterTable[KtvFocusNeighbour(0, true)].edit, L"edit_bgmusic_volume");
    EXPECT_STREQ(kKtvParameterTable[KtvFocusNeighbour(2, true)].edit, L"edit_treble");
    EXPECT_STREQ(kKtvParameterTable[KtvFocusNeighbour(4, true)].edit, L"edit_echo_level");
    EXPECT_STREQ(kKtvParameterTable[KtvFocusNeighbour(8, true)].edit, L"edit_mic_volume");
    EXPECT_STREQ(kKtvParameterTable[KtvFocusNeighbour(0, false)].edit, L"edit_reverb_time");

    DspConfig config;
    const OutputType types[OutputCount] = {1, 7, 2, 3, 9, 4, 10, 0, 13, 16};
    for (int n = 0; n < OutputCount; ++n) config.outputs[n] = types[n];
    int partner[OutputCount];
    BuildLinkPartners(config, partner);
    EXPECT_EQ(partner[0], 1);
    EXPECT_EQ(partner[1], 0);
    EXPECT_EQ(partner[2], -1) << "no front-right midrange";
    EXPECT_EQ(partner[3], -1) << "outputs 3 and 4 lie in different groups";
    EXPECT_EQ(partner[4], -1);
    EXPECT_EQ(partner[7], -1) << "an empty output pairs with nothing";
    const std::vector<LinkPair> right = LinkCandidates(config, partner, true);
    ASSERT_EQ(right.size(), 3u);
    EXPECT_EQ(right[0].first, 0);
    EXPECT_EQ(right[0].second, 1);
    EXPECT_EQ(right[1].first, 5);
    EXPECT_EQ(right[2].first, 8);
    EXPECT_EQ(right[2].second, 9);
    const std::vector<LinkPair> left = LinkCandidates(config, partner, false);
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left[0].first, 1);
    EXPECT_EQ(left[0].second, 0);
    EXPECT_TRUE(PresentLinks(config).empty()) << "link mode off";
    config.linkMode = 1;
    for (int& p : config.linkOutputs) p = -1;
    config.linkOutputs[5] = 6;
    config.linkOutputs[6] = 5;
    config.linkOutputs[2] = 42;  // out of range: ignored
    const std::vector<LinkPair> present = PresentLinks(config);
    ASSERT_EQ(present.size(), 1u);
    EXPECT_EQ(present[0].first, 5);
}

TEST(ToolWindows, NoiseThresholdKaraokeAndLinksAgainstTheAmplifier) {
    AppTest::SettingsFileGuard settings;
    UseShotLanguage();
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState([](AmpState& s) {
        s.settings.noiseLevel[0][0] = 60;  // -39.5 dBu
        s.settings.noiseLevel[0][1] = 5;
        s.settings.noiseLevel[1][0] = 45;  // -55.0 dBu
        s.settings.noiseLevel[7][0] = 30;  // -70.0 dBu
        s.settings.noiseLevel[2][0] = 153;  // +53.5 dBu: beyond the meter's top
        s.settings.noiseLevel[2][1] = 5;
        const uint8_t types[OutputCount] = {1, 7, 2, 3, 9, 4, 10, 0, 0, 0};
        for (int n = 0; n < OutputCount; ++n) s.scenes[0].outputs[n].type = types[n];
    });
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    const std::wstring off = Text(L"${off}");
    emulator.ClearRequests();

    // ---- Noise threshold, optical source: two meters ----
    WindowImplBase* noise = nullptr;
    Script threshold({
        [&] { PostMenuClick(run.handle, L"advance_item_noise_threshold"); return true; },
        [&] { return (noise = OpenTool(L"NoiseThresholdWnd")) != nullptr; },
        [&] {
            EXPECT_EQ(TextIn(noise, L"value_edt"), L"-60dBu");
            EXPECT_TRUE(IsShown(noise, L"prg_group_1"));
            EXPECT_FALSE(IsShown(noise, L"prg_group_2"));
            EXPECT_FALSE(IsShown(noise, L"in_2"));
            EXPECT_EQ(c.Device().mReplyWnd[DeviceLink::kNoiseWnd].load(), noise->GetHandle());
            EXPECT_EQ(ClientSize(noise).cx, NoiseClientWidth(kNoiseLayoutWidth, 2, Scale(noise)));
            return true;
        },
        [&] { return HasRequest(emulator, kInputNoise, {0, 1}) && TextIn(noise, L"noise_1") == L" -55.0"; },
        [&] {
            EXPECT_EQ(TextIn(noise, L"noise_0"), L" -39.5");
            EXPECT_EQ(MeterValue(noise, L"progress_0"), -39);
            EXPECT_EQ(MeterValue(noise, L"progress_1"), -55);
            EXPECT_EQ(MeterValue(noise, L"progress_2"), -100) << "no reply reaches a hidden meter";
            EXPECT_TRUE(CheckPicture(noise, L"noise_optical"));
            return Type(noise, L"value_edt", L"-30");
        },
        [&] { return HasRequest(emulator, kThreshold, {0xD8}); },  // -40
        [&] {
            EXPECT_EQ(TextIn(noise, L"value_edt"), L"-40dBu");
            return Type(noise, L"value_edt", L"-70", L"killfocus");  // applied when the edit loses the focus
        },
        [&] { return HasRequest(emulator, kThreshold, {0xC3}); },  // -61
        [&] {
            EXPECT_EQ(TextIn(noise, L"value_edt"), off);
            PostMessageW(noise->GetHandle(), WM_KEYDOWN, VK_UP, 0);
            return true;
        },
        [&] { return HasRequest(emulator, kThreshold, {0xC4}); },  // one up from off: -60
        [&] {
            EXPECT_EQ(TextIn(noise, L"value_edt"), L"-60dBu");
            return ClickAt(noise, L"cancel_btn");
        },
        [&] { return OpenTool(L"NoiseThresholdWnd") == nullptr; },
    });
    ASSERT_TRUE(RunWatched(threshold, L"NoiseThresholdWnd")) << "stopped after step " << threshold.StepsDone();
    EXPECT_EQ(c.config.noiseGateThreshold, -60);
    EXPECT_EQ(emulator.State().settings.inputThreshold, 0xC4);
    EXPECT_EQ(c.Device().mReplyWnd[DeviceLink::kNoiseWnd].load(), nullptr) << "the reply slot is given back";
    // Closed, it asks no more.
    ASSERT_TRUE(AppTest::PumpUntil([&] { return c.Device().IsCmdQueueIdle(); }));
    const size_t polls = Count(emulator, kInputNoise);
    AppTest::PumpUntil([] { return false; }, 1200);
    EXPECT_EQ(Count(emulator, kInputNoise), polls);

    // ---- A source without inputs polls nothing; eight inputs widen the window ----
    ASSERT_TRUE(SelectSource(run, emulator, 1));
    emulator.ClearRequests();
    Script none({
        [&] { PostMenuClick(run.handle, L"advance_item_noise_threshold"); return true; },
        [&] { return (noise = OpenTool(L"NoiseThresholdWnd")) != nullptr; },
        [&] {
            EXPECT_FALSE(IsShown(noise, L"prg_group_0"));
            return ClickAt(noise, L"closebtn");
        },
        [&] { return OpenTool(L"NoiseThresholdWnd") == nullptr; },
    });
    ASSERT_TRUE(RunWatched(none, L"NoiseThresholdWnd")) << "stopped after step " << none.StepsDone();
    EXPECT_EQ(Count(emulator, kInputNoise), 0u) << "no request for a source without inputs";
    ASSERT_TRUE(SelectSource(run, emulator, SourceHighLevel));
    emulator.ClearRequests();
    Script eight({
        [&] { PostMenuClick(run.handle, L"advance_item_noise_threshold"); return true; },
        [&] { return (noise = OpenTool(L"NoiseThresholdWnd")) != nullptr; },
        [&] {
            EXPECT_TRUE(IsShown(noise, L"prg_group_7"));
            EXPECT_EQ(ClientSize(noise).cx, NoiseClientWidth(kNoiseLayoutWidth, 8, Scale(noise)));
            return HasRequest(emulator, kInputNoise, {0, 7}) && TextIn(noise, L"noise_7") == L" -70.0";
        },
        [&] {
            EXPECT_EQ(TextIn(noise, L"noise_2"), L" 0.0") << "what the meter beside it shows";
            EXPECT_EQ(MeterValue(noise, L"progress_2"), 0);
            EXPECT_TRUE(CheckPicture(noise, L"noise_high_level"));
            return ClickAt(noise, L"confirm_btn");
        },
        [&] { return OpenTool(L"NoiseThresholdWnd") == nullptr; },
    });
    ASSERT_TRUE(RunWatched(eight, L"NoiseThresholdWnd")) << "stopped after step " << eight.StepsDone();

    // ---- Karaoke ----
    emulator.ClearRequests();
    WindowImplBase* ktv = nullptr;
    Script karaoke({
        [&] { PostMenuClick(run.handle, L"advance_item_ktv"); return true; },
        [&] { return (ktv = OpenTool(L"KtvWnd")) != nullptr; },
        [&] {
            EXPECT_TRUE(CheckPicture(ktv, L"karaoke"));
            return Type(ktv, L"edit_echo_delay", L"300");
        },
        [&] { return HasRequest(emulator, 5, {0x01, 0x2C}, kKtv); },
        [&] {
            EXPECT_EQ(TextIn(ktv, L"edit_echo_delay"), L"300ms");
            return Type(ktv, L"edit_mic_volume", L"99", L"killfocus");
        },
        [&] { return HasRequest(emulator, 1, {60}, kKtv); },
        [&] {
            EXPECT_EQ(TextIn(ktv, L"edit_mic_volume"), L"60dB") << "above the slider: its maximum";
            return DragSlider(ktv, L"slider_treble", -0.2);
        },
        [&] { return HasRequest(emulator, 10, {0xF4}, kKtv); },  // -12
        [&] {
            EXPECT_EQ(TextIn(ktv, L"edit_treble"), L"-12");
            EXPECT_TRUE(Raise(ktv, L"edit_bass", L"valuechangedup"));
            return ClickAt(ktv, L"option_howling_control", 0.05);
        },
        [&] { return HasRequest(emulator, 3, {1}, kKtv) && HasRequest(emulator, 9, {1}, kKtv); },
        [&] {
            EXPECT_EQ(TextIn(ktv, L"edit_bass"), L"1");
            // However many digits: the slider's end, and Up from there stays at it.
            return Type(ktv, L"edit_echo_level", L"99999999999999999999");
        },
        [&] { return HasRequest(emulator, 4, {60}, kKtv); },
        [&] {
            EXPECT_EQ(TextIn(ktv, L"edit_echo_level"), L"60dB");
            EXPECT_TRUE(Type(ktv, L"edit_voice_changer", L"2147483647", L"valuechangedup"));
            EXPECT_EQ(TextIn(ktv, L"edit_voice_changer"), L"24");
            EXPECT_TRUE(Type(ktv, L"edit_voice_changer", L"??", L"valuechangeddown"));
            EXPECT_EQ(TextIn(ktv, L"edit_voice_changer"), L"23") << "not a number: a step from the value in force";
            EXPECT_TRUE(Raise(ktv, L"edit_reverb_time", L"valuechangedright"));
            EXPECT_EQ(ktv->GetPaintManager()->GetFocusedControl(), Control(ktv, L"edit_mic_volume"));
            EXPECT_TRUE(Raise(ktv, L"edit_mic_volume", L"valuechangedleft"));
            EXPECT_EQ(ktv->GetPaintManager()->GetFocusedControl(), Control(ktv, L"edit_reverb_time"));
            return ClickAt(ktv, L"confirm_btn");
        },
        [&] { return OpenTool(L"KtvWnd") == nullptr; },
    });
    ASSERT_TRUE(RunWatched(karaoke, L"KtvWnd")) << "stopped after step " << karaoke.StepsDone();
    ASSERT_TRUE(AppTest::PumpUntil([&] { return c.Device().IsCmdQueueIdle(); }));
    AmpState state = emulator.State();
    EXPECT_EQ(state.settings.ktv[4][0], 0x01);
    EXPECT_EQ(state.settings.ktv[4][1], 0x2C);
    EXPECT_EQ(state.settings.ktv[0][0], 60);
    EXPECT_EQ(state.settings.ktv[9][0], 0xF4);
    EXPECT_EQ(state.settings.ktv[8][0], 1);
    EXPECT_EQ(state.settings.ktv[2][0], 1);
    EXPECT_EQ(c.config.ktv.echoDelay, 300);
    EXPECT_EQ(c.config.ktv.treble, -12);
    EXPECT_EQ(c.config.ktv.howling, 1);
    EXPECT_EQ(state.settings.ktv[3][0], 60);  // echo level
    EXPECT_EQ(state.settings.ktv[7][0], 23);  // voice changer
    EXPECT_EQ(c.config.ktv.voiceChanger, 23);

    // ---- Link selection from the page's link button ----
    emulator.ClearRequests();
    WindowImplBase* links = nullptr;
    Script choose({
        [&] { return PostClick(run.window->GetPaintManager(), L"btn_link_select"); },
        [&] { return (links = OpenTool(L"CMsgLinkSelWnd")) != nullptr; },
        [&] {
            EXPECT_EQ(TextIn(links, L"check_box_0"), L"CH1 -> CH2");
            EXPECT_EQ(TextIn(links, L"check_box_1"), L"CH6 -> CH7");
            EXPECT_FALSE(IsShown(links, L"check_box_2")) << "outputs 4 and 5 lie in different groups";
            EXPECT_TRUE(CheckPicture(links, L"link_select"));
            return ClickAt(links, L"check_box_right");
        },
        [&] { return TextIn(links, L"check_box_0") == L"CH2 -> CH1"; },
        [&] {
            EXPECT_EQ(TextIn(links, L"check_box_1"), L"CH7 -> CH6");
            return ClickAt(links, L"check_box_left");
        },
        [&] { return TextIn(links, L"check_box_0") == L"CH1 -> CH2"; },
        [&] { return ClickAt(links, L"check_box_1", 0.05); },
        [&] { return IsChecked(links, L"check_box_1"); },
        [&] { return ClickAt(links, L"confirm_btn"); },
        [&] { return OpenTool(L"CMsgLinkSelWnd") == nullptr; },
    });
    ASSERT_TRUE(RunWatched(choose, L"CMsgLinkSelWnd")) << "stopped after step " << choose.StepsDone();
    ASSERT_TRUE(AppTest::PumpUntil([&] { return HasRequest(emulator, kLink, {0, 1, 1, 5, 6}); }))
        << Dump(emulator, kLink);
    EXPECT_TRUE(HasRequest(emulator, kLock, {0, 1}));
    ASSERT_TRUE(AppTest::PumpUntil([&] { return c.Device().IsCmdQueueIdle(); }));
    state = emulator.State();
    EXPECT_EQ(state.scenes[0].link.link, 1);
    EXPECT_EQ(state.scenes[0].link.count, 1);
    EXPECT_EQ(state.scenes[0].link.pairs[0], 5);
    EXPECT_EQ(state.scenes[0].link.pairs[1], 6);
    EXPECT_EQ(c.config.linkMode, 1);
    EXPECT_EQ(c.config.linkOutputs[5], 6);
    EXPECT_EQ(c.config.linkOutputs[6], 5);
    EXPECT_EQ(c.config.linkOutputs[0], -1);
    EXPECT_TRUE(PageControls::IsSelected(run.Find(L"btn_link_output")));

    // Opened again: the present link is ticked; cancelled: nothing sent.
    emulator.ClearRequests();
    Script again({
        [&] { return PostClick(run.window->GetPaintManager(), L"btn_link_select"); },
        [&] { return (links = OpenTool(L"CMsgLinkSelWnd")) != nullptr; },
        [&] {
            EXPECT_TRUE(IsChecked(links, L"check_box_1"));
            EXPECT_FALSE(IsChecked(links, L"check_box_0"));
            return ClickAt(links, L"cancel_btn");
        },
        [&] { return OpenTool(L"CMsgLinkSelWnd") == nullptr; },
    });
    ASSERT_TRUE(RunWatched(again, L"CMsgLinkSelWnd")) << "stopped after step " << again.StepsDone();
    AppTest::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(Count(emulator, kLink), 0u);
}

TEST(ToolWindows, KaraokeShowsTheAmplifierValuesItsSlidersCanTake) {
    AppTest::SettingsFileGuard settings;
    UseShotLanguage();
    // The amplifier's bytes per sub-command, and what the window shows for them. The sliders take
    // 0..60 dB (volumes, echo level), 0..24 (voice), -12..12 (treble, bass), 0..500 ms (echo delay),
    // 0..100 (reverb level) and 0..250 ms (reverb time).
    struct Row {
        uint8_t sub;
        Bytes reply;
        const wchar_t* edit;
        const wchar_t* slider;
        const wchar_t* text;
        int position;
    } rows[] = {
        {1, {120}, L"edit_mic_volume", L"slider_mic_volume", L"60dB", 60},
        {2, {45}, L"edit_bgmusic_volume", L"slider_bgmusic_volume", L"45dB", 45},
        {4, {255}, L"edit_echo_level", L"slider_echo_level", L"60dB", 60},
        {5, {0x02, 0x58}, L"edit_echo_delay", L"slider_echo_delay", L"500ms", 500},
        {6, {150}, L"edit_reverb_level", L"slider_reverb_level", L"100", 100},
        {7, {251}, L"edit_reverb_time", L"slider_reverb_time", L"250ms", 250},
        {8, {25}, L"edit_voice_changer", L"slider_voice_changer", L"24", 24},
        {9, {0xF0}, L"edit_bass", L"slider_bass", L"-12", -12},
        {10, {0x7F}, L"edit_treble", L"slider_treble", L"12", 12},
    };
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState([&](AmpState& s) {
        for (const Row& r : rows) std::copy(r.reply.begin(), r.reply.end(), s.settings.ktv[r.sub - 1]);
    });
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    DeviceLink& link = c.Device();
    link.Get_KTV_Mic_Vol(0, 0);
    link.Get_KTV_Music_Vol(0, 0);
    link.Get_KTV_Echo_Level(0, 0);
    link.Get_KTV_Echo_Delay(0, 0);
    link.Get_KTV_Reverb_Level(0, 0);
    link.Get_KTV_Reverb_Time(0, 0);
    link.Get_KTV_Voice_Changer(0, 0);
    link.Get_KTV_Bass_Gain(0, 0);
    link.Get_KTV_Treble_Gain(0, 0);
    ASSERT_TRUE(AppTest::PumpUntil([&] { return c.config.ktv.treble == 127 && c.config.ktv.micVolume == 120; }));
    emulator.ClearRequests();

    WindowImplBase* ktv = nullptr;
    Script look({
        [&] { PostMenuClick(run.handle, L"advance_item_ktv"); return true; },
        [&] { return (ktv = OpenTool(L"KtvWnd")) != nullptr; },
        [&] {
            for (const Row& r : rows) {
                EXPECT_EQ(TextIn(ktv, r.edit), r.text) << r.edit;
                auto* slider = dynamic_cast<CSliderUI*>(Control(ktv, r.slider));
                EXPECT_EQ(slider ? slider->GetValue() : 12345, r.position) << r.slider;
            }
            EXPECT_TRUE(CheckPicture(ktv, L"karaoke_held"));
            return ClickAt(ktv, L"closebtn");
        },
        [&] { return OpenTool(L"KtvWnd") == nullptr; },
    });
    ASSERT_TRUE(RunWatched(look, L"KtvWnd")) << "stopped after step " << look.StepsDone();
    Settle();
    for (uint8_t sub = 1; sub <= 10; ++sub)
        EXPECT_TRUE(Payloads(emulator, kKtv, sub).empty()) << "showing a value sends nothing";
    EXPECT_EQ(emulator.State().settings.ktv[0][0], 120) << "the amplifier keeps its own";
}
