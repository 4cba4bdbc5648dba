// The mixer from the Functions menu against the emulated amplifier, for a two-input source and for the
// eight-input high-level source: the rows and the window's height follow the source; routing switches,
// typed levels and slider clicks reach the amplifier as level and routing frames and keep switch and
// level in step; a bridged pair follows its left output; input phase and the second-source pairing are
// sent; a second source the list does not offer shows as none; the main page shows the routing
// afterwards; a disconnect closes the window. Also the matrix's arithmetic as a table.
#include "AppTestSupport.h"
#include "tool_windows/ToolWindowTestSupport.h"
#include "PageControls.h"
#include "UICombo.h"
#include "ScreenInfo.h"
#include "windows/MixerWnd.h"

#include <gtest/gtest.h>

#include <string>

using namespace ControllerTest;
using namespace SceneTest;
using namespace ToolTest;
using namespace SkinUI;

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t kMixTrim = 0x24, kMixMask = 0x0B, kInputPhase = 0x22, kCrossMix = 0x4D, kBridge = 0x4C;
constexpr SIZE kLayout = {1200, 684};  // the mixer layout as drawn: ten rows of 56

WindowImplBase* Mixer() { return OpenTool(L"MixerWnd"); }

std::wstring Name(const wchar_t* pattern, int a, int b = 0) {
    wchar_t name[64];
    swprintf(name, 64, pattern, a, b);
    return name;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom && inner.right > inner.left && inner.bottom > inner.top;
}

// Where the open mixer's layout went wrong: every shown row whole inside the client area, above the
// button row and inside each of its containers, lined up across the header and output columns, each control whole inside its row and no
// two rows overlapping. Empty when all is well.
std::string MixerLayoutFaults(WindowImplBase* mixer, int inputs) {
    std::string faults;
    auto fault = [&](const std::wstring& name, const char* what) {
        faults += std::string(name.begin(), name.end()) + " " + what + "; ";
    };
    // A control's rectangle as far as its containers let it paint: empty when any of them cuts it.
    auto rect = [&](const std::wstring& name) {
        CControlUI* control = Control(mixer, name);
        if (!control || !control->IsVisible()) return RECT{};
        const RECT own = control->GetPos();
        for (CControlUI* parent = control->GetParent(); parent; parent = parent->GetParent())
            if (!Inside(own, parent->GetPos())) return RECT{};
        return own;
    };
    const SIZE size = ClientSize(mixer);
    const RECT client = {0, 0, size.cx, size.cy};
    RECT above = client;
    for (const wchar_t* button : {L"cancel_btn", L"confirm_btn"}) {
        if (!Inside(rect(button), client)) fault(button, "not whole in the window");
        above.bottom = std::min(above.bottom, rect(button).top);
    }
    for (int p = 0; p < OutputCount / 2; ++p) {
        if (!Inside(rect(Name(L"ch_bridge_%d", p)), client)) fault(Name(L"ch_bridge_%d", p), "not whole in the window");
        above.bottom = std::min(above.bottom, rect(Name(L"ch_bridge_%d", p)).top);
    }
    int lastBottom = 0;
    for (int r = 0; r < kMixerRows; ++r) {
        if (!MixerRowShown(r, inputs, true)) continue;
        const RECT row = rect(Name(L"box_0_%d", r));
        if (!Inside(row, above)) fault(Name(L"box_0_%d", r), "not whole above the buttons");
        if (row.top < lastBottom) fault(Name(L"box_0_%d", r), "overlaps the row above");
        lastBottom = row.bottom;
        std::vector<std::pair<std::wstring, std::wstring>> parts;  // (part, its row box)
        for (int c = 0; c < OutputCount; ++c) {
            const std::wstring box = Name(L"box_%d_%d", c, r);
            for (const wchar_t* part : {L"box_enable_%d_%d", L"box_volume_%d_%d", L"box_edit_%d_%d", L"box_phase_%d_%d"})
                parts.emplace_back(Name(part, c, r), box);
            parts.emplace_back(box, box);
        }
        for (const wchar_t* header : {L"left_box_%d", L"second_%d", L"in_phase_box_%d"})
            parts.emplace_back(Name(header, r), Name(header, r));
        parts.emplace_back(Name(L"title_label_%d", r), Name(L"left_box_%d", r));
        parts.emplace_back(Name(L"in_phase_%d", r), Name(L"in_phase_box_%d", r));
        if (r >= kMixerFirstViceRow) {
            const int k = r - kMixerFirstViceRow;
            for (const wchar_t* part : {L"cmb_csm_vice_source_%d", L"csm_vice_gain_edit_%d", L"line_0_%d",
                                        L"line_1_%d", L"arrow_up_%d"})
                parts.emplace_back(Name(part, k), Name(L"second_%d", r));
        }
        for (const auto& [part, box] : parts) {
            const RECT outer = rect(box);
            if (outer.top != row.top || outer.bottom != row.bottom) fault(box, "not level with its row");
            if (!Inside(rect(part), outer)) fault(part, "not whole inside its row");
        }
    }
    return faults;
}

}  // namespace

TEST(MixerLayout, RowsSizesFocusAndSecondSourceTags) {
    struct Case {
        int inputs;
        int row;
        int index;
        bool shown, separator;
    } rows[] = {
        {2, 0, 0, true, true},    {2, 1, 1, true, false},   {2, 2, 4, false, false}, {2, 7, 9, false, true},
        {2, 8, 2, true, true},    {2, 9, 3, true, false},   {8, 7, 7, true, true},   {8, 8, 8, true, true},
        {8, 9, 9, true, false},   {0, 0, 0, false, false},  {0, 8, 0, true, true},   {0, 9, 1, true, false},
    };
    for (const Case& c : rows) {
        SCOPED_TRACE(testing::Message() << "inputs " << c.inputs << " row " << c.row);
        EXPECT_EQ(MixerRowShown(c.row, c.inputs, true), c.shown);
        EXPECT_EQ(MixerSeparatorShown(c.row, c.inputs, true), c.separator);
        if (c.shown) {
            EXPECT_EQ(MixerInputIndex(c.row, c.inputs), c.row < 8 ? c.row : c.inputs + c.row - 8);
        }
    }
    EXPECT_FALSE(MixerRowShown(8, 2, false));
    EXPECT_FALSE(MixerRowShown(10, 8, true));
    EXPECT_FALSE(MixerSeparatorShown(9, 8, true));
    // Hidden rows take their 56 units with them; the second-source rows add two back.
    EXPECT_EQ(MixerClientSize(kLayout, 2, true, 100).cy, 348);
    EXPECT_EQ(MixerClientSize(kLayout, 8, true, 100).cy, 684);
    EXPECT_EQ(MixerClientSize(kLayout, 0, true, 150).cy, 354);
    EXPECT_EQ(MixerClientSize(kLayout, 0, true, 150).cx, 1800);
    // The tallest matrix at 150 % still fits the work area of a 1920 x 1080 screen with a taskbar.
    EXPECT_LE(MixerClientSize(kLayout, 8, true, 150).cy, 1040);
    EXPECT_LE(MixerClientSize(kLayout, 8, true, 150).cx, 1920);

    // Left and Right walk the level edits row by row, wrapping within the source's own inputs.
    struct Move {
        int inputs, output, row;
        bool right;
        int toOutput, toRow;
    } moves[] = {{2, 3, 0, true, 4, 0}, {2, 9, 0, true, 0, 1}, {2, 9, 1, true, 0, 0},
                 {2, 0, 0, false, 9, 1}, {8, 9, 8, true, 0, 0}, {8, 0, 9, false, 9, 0}};
    for (const Move& m : moves) {
        int output = m.output, row = m.row;
        ASSERT_TRUE(MixerEditNeighbour(output, row, m.inputs, m.right));
        EXPECT_EQ(output, m.toOutput) << m.output << "," << m.row;
        EXPECT_EQ(row, m.toRow) << m.output << "," << m.row;
    }
    int output = 5, row = 8;
    EXPECT_FALSE(MixerEditNeighbour(output, row, 0, true)) << "a source without inputs has no level edit to reach";

    EXPECT_EQ(ViceSourceTag(5, 1), L"0501");
    EXPECT_EQ(ViceSourceTag(9, 0), L"0900");
    int source = -1, channel = -1;
    ParseViceSourceTag(L"0407", source, channel);
    EXPECT_EQ(source, 4);
    EXPECT_EQ(channel, 7);
    ParseViceSourceTag(L"4203", source, channel);
    EXPECT_EQ(source, 9) << "a source beyond the list reads as none";
    EXPECT_EQ(PairedViceChannel(0, 2, 0), 1);
    EXPECT_EQ(PairedViceChannel(0, 2, 1), 0);
    EXPECT_EQ(PairedViceChannel(5, 5, 7), 6);
    EXPECT_EQ(PairedViceChannel(5, 5, 6), 7);
    EXPECT_EQ(PairedViceChannel(4, 5, 3), 0);

    int level = -1;
    EXPECT_TRUE(TextToMixLevel(L" 150", level));
    EXPECT_EQ(level, 150);
    EXPECT_FALSE(TextToMixLevel(L"loud", level));
    EXPECT_FALSE(TextToMixLevel(L"", level));
    // Any length is held far beyond a level, so a step from it cannot overflow; no hexadecimal.
    EXPECT_TRUE(TextToMixLevel(L"99999999999", level));
    EXPECT_EQ(level, 1000);
    EXPECT_TRUE(TextToMixLevel(L"-99999999999", level));
    EXPECT_EQ(level, -1000);
    EXPECT_FALSE(TextToMixLevel(L"0x50", level));
    EXPECT_FALSE(TextToMixLevel(L"nan", level));
}

// The real window for sources of two, eight and no inputs at 80, 100, 125 and 150 %: nothing clipped,
// and each second-source selector shows what the amplifier holds; one the list does not offer (a source
// without its own entries, a channel the source lacks) shows as none. Opening sends nothing.
TEST(MixerWindow, EveryRowWholeAboveTheButtonsAndTheStoredSecondSourcesForEachSourceAndScale) {
    AppTest::SettingsFileGuard settings;
    UseShotLanguage();
    AmpEmulator emulator;
    emulator.EditState([](AmpState& st) {
        st.scenes[0].crossMix[5][8] = AmpCrossMix{5, 3, 0};  // high level's input 4: listed
        st.scenes[0].crossMix[1][0] = AmpCrossMix{3, 0, 0};  // AUX: no entries of its own
        st.scenes[0].crossMix[1][1] = AmpCrossMix{6, 5, 0};  // DMP has only channels 0 and 1
    });
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    ASSERT_EQ(c.config.crossMixSource[1][0], 3);
    ASSERT_EQ(c.config.crossMixChannel[1][1], 5);
    const std::wstring none = Text(L"${mixer_vice_none}");
    const struct {
        InputSource source;
        const wchar_t* tags[2];
        std::wstring texts[2];
    } sources[] = {{0, {L"0900", L"0900"}, {none, none}},
                   {SourceHighLevel, {L"0503", L"0900"}, {L"HI 4", none}},
                   {1, {L"0900", L"0900"}, {none, none}}};
    const InputSource before = c.config.inputSource;
    for (int dpi : {77, 96, 120, 144}) {
        for (const auto& expected : sources) {
            const InputSource source = expected.source;
            SCOPED_TRACE(testing::Message() << "source " << source << " at " << dpi << " DPI");
            c.config.inputSource = source;
            SetAutoDpiOverride(dpi);
            emulator.ClearRequests();
            WindowImplBase* mixer = nullptr;
            Script look({
                [&] { PostMenuClick(run.handle, L"advance_item_mixer"); return true; },
                [&] { return (mixer = Mixer()) != nullptr; },
                [&] {
                    EXPECT_EQ(Scale(mixer), dpi * 100 / 96);
                    EXPECT_EQ(MixerLayoutFaults(mixer, GetSourceExtraChannels(source)), "");
                    for (int k = 0; k < kMixerViceRows; ++k) {
                        const std::wstring selector = Name(L"cmb_csm_vice_source_%d", k);
                        EXPECT_EQ(SelectedTag(mixer, selector), expected.tags[k]) << k;
                        EXPECT_EQ(TextIn(mixer, selector), expected.texts[k]) << k;
                    }
                    EXPECT_TRUE(emulator.Requests().empty()) << "opening the mixer sends nothing";
                    if (source == 1) EXPECT_TRUE(CheckPicture(mixer, (L"mixer_unlisted_" + std::to_wstring(dpi)).c_str()));
                    return ClickAt(mixer, L"cancel_btn");
                },
                [&] { return Mixer() == nullptr; },
            });
            EXPECT_TRUE(RunWatched(look, L"MixerWnd")) << "stopped after step " << look.StepsDone();
        }
    }
    SetAutoDpiOverride(0);
    c.config.inputSource = before;
    // What the amplifier mixes in stays as it was, in the controller and in the amplifier.
    EXPECT_EQ(c.config.crossMixSource[1][0], 3);
    EXPECT_EQ(c.config.crossMixSource[1][1], 6);
    EXPECT_EQ(c.config.crossMixChannel[1][1], 5);
    const AmpScene live = emulator.State().scenes[0];
    EXPECT_EQ(live.crossMix[1][0].viceSource, 3);
    EXPECT_EQ(live.crossMix[1][1].viceSource, 6);
    EXPECT_EQ(live.crossMix[1][1].viceChannel, 5);
}

TEST(MixerWindow, RoutesLevelsBridgesPhasesAndSecondSourcesOfTwoSources) {
    AppTest::SettingsFileGuard settings;
    UseShotLanguage();
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    // Second sources the amplifier already mixes in: Bluetooth L and R into high level's inputs 8 and 9,
    // optical R into DMP's input 3 (the second of its two second-source inputs).
    emulator.EditState([](AmpState& st) {
        st.scenes[0].crossMix[5][8] = AmpCrossMix{2, 0, 0};
        st.scenes[0].crossMix[5][9] = AmpCrossMix{2, 1, 0};
        st.scenes[0].crossMix[6][3] = AmpCrossMix{0, 1, 0};
    });
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    ASSERT_EQ(c.config.inputSource, 0);
    EXPECT_EQ(c.config.crossMixSource[6][3], 0);
    EXPECT_EQ(c.config.crossMixChannel[6][3], 1);
    EXPECT_EQ(c.config.crossMixSource[6][2], 9) << "none";
    EXPECT_EQ(c.config.crossMixSource[6][0], 9) << "DMP's own inputs mix nothing in";
    emulator.ClearRequests();

    // ---- Optical (two inputs): routing, typed and slider levels, bridge, phase, second source ----
    WindowImplBase* mixer = nullptr;
    Script optical({
        [&] { PostMenuClick(run.handle, L"advance_item_mixer"); return true; },
        [&] { return (mixer = Mixer()) != nullptr; },
        [&] {
            EXPECT_TRUE(IsShown(mixer, L"box_0_1"));
            EXPECT_FALSE(IsShown(mixer, L"box_0_2")) << "rows beyond the source's inputs are hidden";
            EXPECT_FALSE(IsShown(mixer, L"box_grap_0_1"));
            EXPECT_TRUE(IsShown(mixer, L"box_9_8"));
            EXPECT_TRUE(IsShown(mixer, L"cmb_csm_vice_source_1"));
            EXPECT_EQ(TextIn(mixer, L"title_label_0"), Text(L"${source_opt}") + L" L");
            EXPECT_EQ(TextIn(mixer, L"title_label_1"), Text(L"${source_opt}") + L" R");
            EXPECT_FALSE(Control(mixer, L"box_phase_3_0")->IsEnabled()) << "no command changes a cell's phase";
            const SIZE expected = MixerClientSize(kLayout, 2, true, Scale(mixer));
            EXPECT_EQ(ClientSize(mixer).cx, expected.cx);
            EXPECT_EQ(ClientSize(mixer).cy, expected.cy);
            EXPECT_TRUE(CheckPicture(mixer, L"mixer_optical"));
            return ClickAt(mixer, L"box_enable_1_0");
        },
        // Switched on: full level, and the output's routing mask with input 0.
        [&] { return HasRequest(emulator, kMixTrim, {0, 0, 0, 1, 1, 100}) && HasRequest(emulator, kMixMask, {0, 0, 1, 1, 0x00, 0x01}); },
        [&] {
            EXPECT_EQ(TextIn(mixer, L"box_edit_1_0"), L"100");
            return Type(mixer, L"box_edit_2_1", L"150");
        },
        [&] { return HasRequest(emulator, kMixTrim, {0, 0, 1, 2, 2, 100}) && HasRequest(emulator, kMixMask, {0, 0, 2, 2, 0x00, 0x02}); },
        [&] {
            EXPECT_EQ(TextIn(mixer, L"box_edit_2_1"), L"100") << "150 is beyond the slider";
            EXPECT_TRUE(IsChecked(mixer, L"box_enable_2_1")) << "a level routes the input";
            return Type(mixer, L"box_edit_2_1", L"40", L"killfocus");
        },
        [&] { return HasRequest(emulator, kMixTrim, {0, 0, 1, 2, 2, 40}); },
        [&] {
            EXPECT_EQ(static_cast<CSliderUI*>(Control(mixer, L"box_volume_2_1"))->GetValue(), 40);
            EXPECT_TRUE(Type(mixer, L"box_edit_2_1", L"x"));  // not a number: nothing sent, 40 kept
            EXPECT_EQ(TextIn(mixer, L"box_edit_2_1"), L"40");
            return DragSlider(mixer, L"box_volume_2_1", -0.2);  // past the slider's left end: level 0
        },
        [&] { return HasRequest(emulator, kMixTrim, {0, 0, 1, 2, 2, 0}) && HasRequest(emulator, kMixMask, {0, 0, 2, 2, 0x00, 0x00}); },
        [&] {
            EXPECT_FALSE(IsChecked(mixer, L"box_enable_2_1")) << "level 0 ends the route";
            EXPECT_EQ(TextIn(mixer, L"box_edit_2_1"), L"0");
            return ClickAt(mixer, L"ch_bridge_0");
        },
        [&] { return HasRequest(emulator, kBridge, {0, 0, 5, 1}); },
        [&] {
            // Bridged, output 1 takes output 0's mixing: its route from input 0 is gone, in the
            // amplifier too.
            EXPECT_FALSE(IsChecked(mixer, L"box_enable_1_0"));
            EXPECT_EQ(TextIn(mixer, L"box_edit_1_0"), L"0");
            const AmpScene bridged = emulator.State().scenes[0];
            EXPECT_EQ(bridged.mix[0][1], 0);
            for (int s = 0; s < SourceCount; ++s) EXPECT_EQ(bridged.mix[s][1], c.config.inputs[s][1]) << s;
            emulator.ClearRequests();
            return ClickAt(mixer, L"box_enable_0_1");
        },
        // A change of output 0 is repeated for output 1.
        [&] { return HasRequest(emulator, kMixTrim, {0, 0, 1, 0, 0, 100}) && HasRequest(emulator, kMixTrim, {0, 0, 1, 1, 1, 100}); },
        [&] {
            EXPECT_TRUE(IsChecked(mixer, L"box_enable_1_1"));
            EXPECT_EQ(TextIn(mixer, L"box_edit_1_1"), L"100");
            EXPECT_TRUE(HasRequest(emulator, kMixMask, {0, 0, 0, 0, 0x00, 0x02}));
            EXPECT_TRUE(HasRequest(emulator, kMixMask, {0, 0, 1, 1, 0x00, 0x02}));
            return ClickAt(mixer, L"in_phase_1");
        },
        [&] { return HasRequest(emulator, kInputPhase, {0, 0, 1, 1, 1}); },
        // The second rows: the other row follows only when it holds another source.
        [&] { return ChooseTagged(mixer, L"cmb_csm_vice_source_1", L"0401"); },
        [&] { return HasRequest(emulator, kCrossMix, {0, 0, 4, 1, 3}); },
        [&] {
            EXPECT_EQ(SelectedTag(mixer, L"cmb_csm_vice_source_0"), L"0900") << "a row without a source stays so";
            return ChooseTagged(mixer, L"cmb_csm_vice_source_0", L"0200");
        },
        // Bluetooth L into slot 2; the other row follows with Bluetooth R into slot 3.
        [&] { return HasRequest(emulator, kCrossMix, {0, 0, 2, 0, 2}) && HasRequest(emulator, kCrossMix, {0, 0, 2, 1, 3}); },
        [&] {
            EXPECT_EQ(SelectedTag(mixer, L"cmb_csm_vice_source_1"), L"0201");
            emulator.ClearRequests();
            return ChooseTagged(mixer, L"cmb_csm_vice_source_0", L"0201");
        },
        [&] { return HasRequest(emulator, kCrossMix, {0, 0, 2, 1, 2}); },
        [&] {
            // Both rows on the same channel: the other row moves to the other channel.
            EXPECT_TRUE(HasRequest(emulator, kCrossMix, {0, 0, 2, 0, 3}));
            EXPECT_EQ(SelectedTag(mixer, L"cmb_csm_vice_source_1"), L"0200");
            return ClickAt(mixer, L"confirm_btn");
        },
        [&] { return Mixer() == nullptr; },
    });
    ASSERT_TRUE(RunWatched(optical, L"MixerWnd"))
        << "stopped after step " << optical.StepsDone() << "; levels " << Dump(emulator, kMixTrim) << "; masks "
        << Dump(emulator, kMixMask) << "; second sources " << Dump(emulator, kCrossMix);
    ASSERT_TRUE(AppTest::PumpUntil([&] { return c.Device().IsCmdQueueIdle(); }));

    AmpState state = emulator.State();
    const AmpScene& live = state.scenes[0];
    EXPECT_EQ(live.mix[0][1], 2);
    EXPECT_EQ(live.inputMix[0][1][2], 0);
    EXPECT_EQ(live.mix[0][2], 0);
    EXPECT_EQ(live.inputMix[0][1][0], 100);
    EXPECT_EQ(live.inputMix[0][1][1], 100);
    EXPECT_EQ(live.mix[0][0], 2);
    EXPECT_EQ(live.inputs[1].phase, 1);
    EXPECT_EQ(live.crossMix[0][2].viceSource, 2);
    EXPECT_EQ(live.crossMix[0][2].viceChannel, 1);
    EXPECT_EQ(live.crossMix[0][3].viceSource, 2);
    EXPECT_EQ(live.crossMix[0][3].viceChannel, 0);
    EXPECT_EQ(live.bridge[0], 1);
    EXPECT_EQ(c.config.inputMixVolume[0][1][1], 100);
    EXPECT_EQ(c.config.inputs[0][2], 0);
    EXPECT_EQ(c.config.inMixPhase[0][1], 1);
    EXPECT_EQ(c.config.crossMixChannel[0][3], 0);
    // The page agrees: routing boxes and the bridge button.
    EXPECT_FALSE(PageControls::IsSelected(run.Find(L"option_ch_in0_1")));
    EXPECT_TRUE(PageControls::IsSelected(run.Find(L"option_ch_in1_0")));
    EXPECT_TRUE(PageControls::IsSelected(run.Find(L"option_ch_in1_1")));
    EXPECT_FALSE(PageControls::IsSelected(run.Find(L"option_ch_in1_2")));
    EXPECT_TRUE(PageControls::IsSelected(run.Find(L"ch_bridge_0")));

    // ---- High level (eight inputs): all rows, input 8 in the first second-source row ----
    auto* sources = dynamic_cast<CComboUI*>(run.Find(L"btn_input_source"));
    ASSERT_NE(sources, nullptr);
    sources->SelectItem(SourceHighLevel);
    ASSERT_TRUE(AppTest::PumpUntil([&] { return emulator.State().settings.source == 0x56 && c.Device().IsCmdQueueIdle(); }));
    emulator.ClearRequests();
    Script high({
        [&] { PostMenuClick(run.handle, L"advance_item_mixer"); return true; },
        [&] { return (mixer = Mixer()) != nullptr; },
        [&] {
            EXPECT_TRUE(IsShown(mixer, L"box_4_7"));
            EXPECT_TRUE(IsShown(mixer, L"box_grap_4_7"));
            // The second sources the amplifier holds, with no gain of their own.
            EXPECT_EQ(SelectedTag(mixer, L"cmb_csm_vice_source_0"), L"0200");
            EXPECT_EQ(SelectedTag(mixer, L"cmb_csm_vice_source_1"), L"0201");
            EXPECT_EQ(TextIn(mixer, L"csm_vice_gain_edit_0"), L"0dB");
            EXPECT_EQ(TextIn(mixer, L"title_label_7"), Text(L"${source_hi}") + L"8");
            EXPECT_EQ(ClientSize(mixer).cy, MixerClientSize(kLayout, 8, true, Scale(mixer)).cy);
            EXPECT_TRUE(CheckPicture(mixer, L"mixer_high_level"));
            return Type(mixer, L"box_edit_9_7", L"30");
        },
        [&] { return HasRequest(emulator, kMixTrim, {0, 5, 7, 9, 9, 30}) && Sent(emulator, kMixMask).size() == 1; },
        [&] { return ClickAt(mixer, L"box_enable_0_8"); },
        [&] { return HasRequest(emulator, kMixTrim, {0, 5, 8, 0, 0, 100}) && Sent(emulator, kMixMask).size() >= 2; },
        [&] { return ChooseTagged(mixer, L"cmb_csm_vice_source_1", L"0400"); },
        [&] { return HasRequest(emulator, kCrossMix, {0, 5, 4, 0, 9}); },
        [&] { return ChooseTagged(mixer, L"cmb_csm_vice_source_0", L"0507"); },
        // High level mixing high level pairs channels 6 and 7.
        [&] { return HasRequest(emulator, kCrossMix, {0, 5, 5, 7, 8}) && HasRequest(emulator, kCrossMix, {0, 5, 5, 6, 9}); },
        [&] {
            // Right from the last output of the last own row lands on the first edit.
            EXPECT_TRUE(Raise(mixer, L"box_edit_9_7", L"valuechangedright"));
            EXPECT_EQ(mixer->GetPaintManager()->GetFocusedControl(), Control(mixer, L"box_edit_0_0"));
            c.DisconnectDevice();  // as when the amplifier goes away
            return true;
        },
        [&] { return Mixer() == nullptr; },
    });
    ASSERT_TRUE(RunWatched(high, L"MixerWnd"))
        << "stopped after step " << high.StepsDone() << "; levels " << Dump(emulator, kMixTrim) << "; masks "
        << Dump(emulator, kMixMask) << "; second sources " << Dump(emulator, kCrossMix);
    state = emulator.State();
    EXPECT_EQ(state.scenes[0].inputMix[5][7][9], 30);
    EXPECT_EQ(state.scenes[0].inputMix[5][8][0], 100);
    EXPECT_EQ(state.scenes[0].mix[5][9] & 0x80, 0x80);
    EXPECT_EQ(state.scenes[0].mix[5][0] & 0x100, 0x100) << "input 8 routed to output 0";
    EXPECT_EQ(Sent(emulator, kMixTrim).size(), 3u) << "each change once, output 0's also for its bridge partner";
    EXPECT_EQ(state.scenes[0].crossMix[5][9].viceChannel, 6);
    EXPECT_EQ(CMixerWnd::Open(), nullptr);
}
