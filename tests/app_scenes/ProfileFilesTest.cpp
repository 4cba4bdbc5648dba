// Profile files through the scene menu's file commands, with the file dialog answered by the test: a
// scene profile and a whole profile saved and loaded back, and damaged or foreign files refused with
// their message, changing nothing and starting no worker.
#include "AppTestSupport.h"
#include "SceneTestSupport.h"
#include "OutputTypeNames.h"
#include "PageControls.h"
#include "TextFormat.h"
#include "UICombo.h"
#include "UIEdit.h"
#include "model/MessagePresenter.h"
#include "model/ProfileFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

using namespace ControllerTest;
using namespace SceneTest;

namespace {

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::wstring& path, const std::string& text) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << text;
}

// Runs one menu command and pumps until the dialog was asked, its boxes came, its busy popup (when it
// shows one) came and went and no worker is left; then a little longer, so that nothing late is missed.
void RunCommand(MainWindowRun& run, DialogAnswer& answer, const wchar_t* item, size_t boxes, bool popup,
                int timeoutMs = 60000) {
    MainWindowRun::BoxesSeen().clear();
    const size_t asked = answer.asked.size();
    const int created = MainWindowRun::PopupsCreated();
    PostMenuClick(run.handle, item);
    EXPECT_TRUE(AppTest::PumpUntil(
        [&] {
            return answer.asked.size() > asked && MainWindowRun::BoxesSeen().size() >= boxes &&
                   (!popup || MainWindowRun::PopupsCreated() > created) && Settled(run);
        },
        timeoutMs))
        << "menu item " << std::string(item, item + wcslen(item));
    AppTest::PumpUntil([] { return false; }, 300);
}

}  // namespace

TEST(ProfileFiles, SceneAndWholeProfilesRoundTripAndBadFilesChangeNothing) {
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState(PrepareScenes);
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    DialogAnswer answer;
    AnsweredProfileUi answered(answer);
    const std::wstring spf = TempFilePath(L"scenes_test.spf");
    const std::wstring wpf = TempFilePath(L"scenes_test.wpf");
    const std::wstring bad = TempFilePath(L"scenes_test_bad.spf");
    _wremove(spf.c_str());
    _wremove(wpf.c_str());

    // ---- Scene profile: saved, the live values changed, loaded back ----
    c.config.channels[0].gain = -12.5f;
    c.config.outputs[1] = 7;
    c.config.channels[2].delay = 0.251f;  // a float a little under its microseconds
    answer.path = spf;
    RunCommand(run, answer, L"scene_item_save_file", 1, false);
    ASSERT_EQ(answer.asked.size(), 1u);
    EXPECT_EQ(answer.asked[0], std::make_pair(true, false));
    EXPECT_EQ(MainWindowRun::BoxesSeen(), std::vector<std::wstring>{Text(L"${profile_save_ok}")});
    const std::string saved = ReadAll(spf);
    ASSERT_FALSE(saved.empty());
    EXPECT_NE(saved.find("\"model\":94"), std::string::npos);
    int popups = MainWindowRun::PopupsCreated();
    EXPECT_EQ(popups, MainWindowRun::PopupsDestroyed());  // saving a scene file needs no popup

    c.config.channels[0].gain = 0.0f;
    c.config.outputs[1] = 2;
    RunCommand(run, answer, L"scene_item_load_file", 0, true);
    EXPECT_TRUE(MainWindowRun::BoxesSeen().empty());
    EXPECT_FLOAT_EQ(c.config.channels[0].gain, -12.5f);
    EXPECT_EQ(c.config.outputs[1], 7);
    EXPECT_EQ(MainWindowRun::PopupsCreated(), popups + 1);  // sent under the busy popup
    EXPECT_EQ(MainWindowRun::PopupsDestroyed(), popups + 1);
    // The page's delay is the one loaded, to the microsecond: one step up from it sends 0.272 ms.
    auto* delayEdit = static_cast<SkinUI::CEditUI*>(run.Find(L"edit_ch_delay_2")->GetInterface(L"Edit"));
    ASSERT_NE(delayEdit, nullptr);
    delayEdit->SetFocus();
    AppTest::PumpUntil([] { return false; }, 30);
    ASSERT_NE(delayEdit->GetNativeWindow(), nullptr);
    emulator.ClearRequests();
    SendMessageW(delayEdit->GetNativeWindow(), WM_KEYDOWN, VK_UP, 1);
    SendMessageW(delayEdit->GetNativeWindow(), WM_KEYUP, VK_UP, 0xC0000001);
    ASSERT_TRUE(AppTest::PumpUntil([&] { return !RequestsOf(emulator, kAmpCmdDsp, 0x07).empty(); }));
    EXPECT_EQ(RequestsOf(emulator, kAmpCmdDsp, 0x07)[0].payload, (std::vector<uint8_t>{0, 0, 2, 2, 0, 0x01, 0x10}));
    run.window->GetPaintManager()->FocusControl(nullptr);

    // Loaded again right after a source switch, while the amplifier reports changes of its own (a trim, a
    // band, a mix level, the main volume): what goes out is the file, copied before the worker started,
    // and what the page shows once it is sent, whatever it took meanwhile.
    const uint8_t fileTrim1 = emulator.State().scenes[0].outputs[1].trim[0];
    const int fileVolume = c.config.mainVolume;
    const EqBand fileBand = c.config.channels[0].eqArray[3];
    const int fileLevel = c.config.inputMixVolume[4][0][0];
    emulator.EditState([](AmpState& st) {
        st.scenes[0].outputs[0].trim[0] = 3;
        st.settings.mainVolume = 60;
    });
    static_cast<SkinUI::CComboUI*>(run.Find(L"btn_input_source")->GetInterface(L"Combo"))->SelectItem(4);
    emulator.SetReplyDelay(2);
    answer.whileAsked = [&] {
        emulator.Inject(MakeAmpFrame(kAmpCmdDsp, {0x08, kAmpOpUpdate, 0, 0, 1, 1, static_cast<uint8_t>(-20)}));
        // Output 1's band 4 at 2000 Hz, Q 2, -8 dB; source 4's input 1 into output 1 at 37; -30 dB.
        emulator.Inject(MakeAmpFrame(kAmpCmdDsp, {0x06, kAmpOpUpdate, 0, 0, 0, 3, 3, 0x07, 0xD0, 2, 0, 10, 0}));
        emulator.Inject(MakeAmpFrame(kAmpCmdDsp, {0x24, kAmpOpUpdate, 0, 4, 0, 0, 0, 37}));
        emulator.Inject(MakeAmpFrame(kAmpCmdDsp, {0x02, kAmpOpUpdate, static_cast<uint8_t>(-30)}));
    };
    RunCommand(run, answer, L"scene_item_load_file", 0, true);
    answer.whileAsked = nullptr;
    emulator.SetReplyDelay(0);
    AppTest::PumpUntil([] { return false; }, 1500);  // the volume poll's time
    AmpState sent = emulator.State();
    EXPECT_EQ(sent.scenes[0].outputs[0].trim[0], 12);
    EXPECT_EQ(sent.scenes[0].outputs[1].trim[0], fileTrim1);
    EXPECT_EQ(sent.settings.mainVolume, static_cast<uint8_t>(6 - EqualizerManager::VolumeToDb(float(fileVolume))));
    EXPECT_EQ(c.config.mainVolume, fileVolume);
    EXPECT_EQ(run.TextOf(L"edit_main_volume"), std::to_wstring(fileVolume));
    // The page and the live record show what was sent, not the change reported meanwhile.
    EXPECT_FLOAT_EQ(c.config.channels[1].gain, -float(fileTrim1));
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_1"), std::to_wstring(-int(fileTrim1)) + L"dB");
    const EqBand& band = c.config.channels[0].eqArray[3];
    EXPECT_EQ(band.freq, fileBand.freq);
    EXPECT_FLOAT_EQ(band.gain, fileBand.gain);
    EXPECT_EQ(run.TextOf(L"eq_freq_3"), std::to_wstring(fileBand.freq));
    EXPECT_EQ(c.config.inputMixVolume[4][0][0], fileLevel);

    // ---- Bad scene files: their message, nothing changed, no popup ----
    std::string foreign = saved;
    foreign.replace(foreign.find("\"model\":94"), 10, "\"model\":95");
    const struct {
        std::string content;
        const wchar_t* message;
    } bads[] = {
        {"this is not a profile", L"${profile_open_error}"},  // a scene file that is not JSON
        {foreign, L"${software_not_match}"},
        {"", L"${profile_open_error}"},
    };
    for (const auto& b : bads) {
        if (b.content.empty())
            _wremove(bad.c_str());
        else
            WriteAll(bad, b.content);
        answer.path = bad;
        c.config.channels[0].gain = -3.0f;
        popups = MainWindowRun::PopupsCreated();
        RunCommand(run, answer, L"scene_item_load_file", 1, false);
        EXPECT_EQ(MainWindowRun::BoxesSeen(), std::vector<std::wstring>{Text(b.message)}) << b.content;
        EXPECT_FLOAT_EQ(c.config.channels[0].gain, -3.0f);
        EXPECT_EQ(c.config.outputs[1], 7);
        EXPECT_EQ(MainWindowRun::PopupsCreated(), popups);
    }
    // A cancelled dialog does nothing at all.
    answer.path.clear();
    RunCommand(run, answer, L"scene_item_load_file", 0, false);
    EXPECT_TRUE(MainWindowRun::BoxesSeen().empty());
    EXPECT_FLOAT_EQ(c.config.channels[0].gain, -3.0f);

    // ---- Whole profile: the live set read, the ten scenes in order, the live set back, then the file ----
    // What plays (output 1 at position 7, -12.5 dB, from the file above) links outputs 0 and 1 (left to
    // right, as the link button sends it), bridges pair 1, mixes Bluetooth into optical's and optical R
    // into high level's second-source inputs at their own levels, and routes two inputs to output 8.
    // Stored scene 10 differs in all of it.
    emulator.EditState([](AmpState& st) {
        AmpScene& live = st.scenes[0];
        live.outputs[0].type = 1;
        live.link = AmpLinkList{1, 1, {0, 1}};
        live.lock = 1;
        live.bridgeCount = 5;
        std::memset(live.bridge, 0, sizeof live.bridge);
        live.bridge[1] = 1;
        live.crossMix[0][2] = AmpCrossMix{2, 0, 0};
        live.crossMix[0][3] = AmpCrossMix{2, 1, 0};
        live.crossMix[5][8] = AmpCrossMix{0, 1, 0};
        live.inputMix[0][2][3] = 40;
        live.inputMix[1][0][0] = 30;
        live.inputMix[5][9][6] = 20;
        live.mix[2][8] = 3;
        AmpScene& ten = st.scenes[10];
        ten = live;
        ten.outputs[1].type = 20;
        ten.mix[3][2] = 5;
        ten.link = AmpLinkList{};
        ten.lock = 0;
        ten.bridge[1] = 0;
        ten.bridge[3] = 1;
        ten.crossMix[0][2] = AmpCrossMix{9, 0, 0};
        ten.crossMix[0][3] = AmpCrossMix{6, 0, 0};
        ten.crossMix[5][8] = AmpCrossMix{9, 0, 0};
        ten.inputMix[0][2][3] = 100;
        ten.inputMix[1][0][0] = 100;
        ten.inputMix[5][9][6] = 100;
        ten.mix[2][8] = 0;
    });
    const AmpScene liveAmp = emulator.State().scenes[0];
    ASSERT_EQ(liveAmp.outputs[1].type, 7);
    emulator.ClearRequests();
    answer.path = wpf;
    answer.asked.clear();
    popups = MainWindowRun::PopupsCreated();
    RunCommand(run, answer, L"scene_item_save_whole", 1, true, 120000);
    ASSERT_EQ(answer.asked.size(), 1u);
    EXPECT_EQ(answer.asked[0], std::make_pair(true, true));
    EXPECT_EQ(MainWindowRun::BoxesSeen(), std::vector<std::wstring>{Text(L"${profile_save_ok}")});
    EXPECT_EQ(MainWindowRun::PopupsCreated(), popups + 1);
    auto reads = RequestsOf(emulator, kAmpCmdFlash, 0x09);
    ASSERT_EQ(reads.size(), 10u);
    for (uint8_t id = 1; id <= 10; ++id) EXPECT_EQ(reads[id - 1].payload, (std::vector<uint8_t>{id, 0xFF}));
    // The read-all's handshake comes before the first scene is loaded.
    const auto all = ParsedRequests(emulator);
    size_t firstSceneRead = all.size(), handshake = all.size();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i].cmd == kAmpCmdFlash && all[i].sub == 0x09 && firstSceneRead == all.size()) firstSceneRead = i;
        if (all[i].cmd == kAmpCmdMcu && all[i].sub == 0x08) handshake = i;
    }
    EXPECT_LT(handshake, firstSceneRead);
    // What plays is the live set again, in the amplifier and on the page, and the file's current set.
    // Field for field: outputs, routing, levels, second sources, links, lock and bridges.
    EXPECT_EQ(DifferingParts(emulator.State().scenes[0], liveAmp), "");
    EXPECT_EQ(c.config.outputs[1], 7);
    EXPECT_EQ(run.TextOf(L"ch_output_btn_1"), Text(OutputTypeButtonText(7)));

    // The file holds what the amplifier holds: names, scene 2's values.
    DspConfig live;
    DspConfig scenes[kSceneSlots];
    SceneNameSlot names[kSceneSlots] = {};
    ProfileFile reader(nullptr);
    ASSERT_TRUE(reader.LoadWholeProfile(wpf.c_str(), live, scenes, names));
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(names[0]), L"Club");
    EXPECT_STREQ(reinterpret_cast<const wchar_t*>(names[1]), L"Road");
    EXPECT_EQ(scenes[1].outputs[0], 3);
    EXPECT_FLOAT_EQ(scenes[1].channels[0].gain, -6.0f);
    EXPECT_EQ(scenes[9].outputs[1], 20);
    EXPECT_EQ(scenes[9].linkMode, 0);
    EXPECT_EQ(live.outputs[1], 7);
    EXPECT_EQ(live.linkMode, 1);

    // Loaded back over changed names and scenes, in the controller and in the amplifier.
    wcscpy(c.sceneNames[1], L"Other");
    c.sceneConfigs[1].outputs[0] = 9;
    emulator.EditState([](AmpState& st) {
        st.scenes[2].outputs[0].type = 9;
        st.scenes[10].outputs[1].type = 2;
        st.scenes[0].outputs[1].type = 3;
    });
    emulator.ClearRequests();
    popups = MainWindowRun::PopupsCreated();
    // Meanwhile the amplifier reports stored scene 10's output 2 at -20 dB: what goes out is the file,
    // copied before the worker started, while the scene's record takes the report.
    emulator.SetReplyDelay(2);
    answer.whileAsked = [&] {
        emulator.Inject(MakeAmpFrame(kAmpCmdDsp, {0x08, kAmpOpUpdate, 10, 0, 1, 1, static_cast<uint8_t>(-20)}));
    };
    RunCommand(run, answer, L"scene_item_load_whole", 0, true);
    answer.whileAsked = nullptr;
    emulator.SetReplyDelay(0);
    EXPECT_FLOAT_EQ(c.sceneConfigs[9].channels[1].gain, -20.0f);
    EXPECT_TRUE(MainWindowRun::BoxesSeen().empty());
    EXPECT_STREQ(c.sceneNames[1], L"Road");
    EXPECT_EQ(c.sceneConfigs[1].outputs[0], 3);
    EXPECT_EQ(MainWindowRun::PopupsCreated(), popups + 1);
    // Each stored scene is the file's scene, and the working configuration the file's current set.
    AmpState loaded = emulator.State();
    EXPECT_EQ(loaded.scenes[2].outputs[0].type, 3);
    EXPECT_EQ(loaded.scenes[2].outputs[0].trim[0], 6);
    EXPECT_EQ(loaded.scenes[10].outputs[1].type, 20);
    EXPECT_EQ(loaded.scenes[10].outputs[1].trim[0], liveAmp.outputs[1].trim[0]);
    EXPECT_EQ(loaded.scenes[0].outputs[1].type, 7);
    EXPECT_EQ(loaded.scenes[0].outputs[0].trim[0], liveAmp.outputs[0].trim[0]);
    EXPECT_EQ(NameBytes(loaded.directory.names[1]), "Road");
    EXPECT_EQ(loaded.directory.validMask, 0x3FF);
    // Each scene went out as the working configuration (scene byte 0) before it was stored.
    for (const AmpRequest& r : ParsedRequests(emulator)) {
        if (r.cmd != kAmpCmdDsp || r.sub == 0x02 || r.sub == 0x04) continue;  // volume and mute: no scene byte
        EXPECT_EQ(r.payload[0], 0) << "sub " << int(r.sub);
    }
    EXPECT_EQ(RequestsOf(emulator, kAmpCmdFlash, 0x08).size(), 10u);

    // A damaged whole profile changes neither the names nor the scenes.
    WriteAll(bad, ReadAll(wpf).substr(0, 200));
    answer.path = bad;
    wcscpy(c.sceneNames[1], L"Other");
    popups = MainWindowRun::PopupsCreated();
    RunCommand(run, answer, L"scene_item_load_whole", 1, false);
    EXPECT_EQ(MainWindowRun::BoxesSeen(), std::vector<std::wstring>{Text(L"${profile_load_error}")});
    EXPECT_STREQ(c.sceneNames[1], L"Other");
    EXPECT_EQ(c.sceneConfigs[1].outputs[0], 3);
    EXPECT_EQ(MainWindowRun::PopupsCreated(), popups);

    _wremove(spf.c_str());
    _wremove(wpf.c_str());
    _wremove(bad.c_str());
}

namespace {

// The amplifier's EQ band as the host sends it: frequency big-endian, Q whole and tenths, gain + 18 dB
// whole and tenths.
std::vector<uint8_t> BandBytes(const AmpEqBand& b) {
    return {b.freq[0], b.freq[1], b.q[0], b.q[1], b.gain[0], b.gain[1]};
}

// Gain bytes of every EQ setter for one output and band, in order.
std::vector<std::vector<uint8_t>> SentBandGains(const AmpEmulator& emulator, uint8_t output, uint8_t band) {
    std::vector<std::vector<uint8_t>> gains;
    for (const AmpRequest& r : RequestsOf(emulator, kAmpCmdDsp, 0x06))
        if (!r.IsGet() && r.Arg(2) == output && r.Arg(3) == band) gains.push_back({r.Arg(8), r.Arg(9)});
    return gains;
}

void ExpectSwitchedOff(const DspConfig& record, int output, int band, float kept, const char* where) {
    const EqBand& e = record.channels[output].eqArray[band];
    EXPECT_EQ(e.enable, 0) << where;
    EXPECT_FLOAT_EQ(e.gain, kept) << where;
}

}  // namespace

// A band switched off on the page plays flat and keeps its gain for switching on again. Whatever path
// takes a whole record to or from the amplifier keeps exactly that: the amplifier plays 0 dB for it, the
// program keeps it off with its gain, and the files hold it so and are never rewritten by loading.
// Scene names the amplifier's code page cannot hold are not sent as stand-in characters: those scenes
// go without a name and the user is told which.
TEST(ProfileFiles, SwitchedOffBandsPlayFlatEverywhereAndUnstorableNamesAreTold) {
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.EditState([](AmpState& st) {
        PrepareScenes(st);
        st.scenes[0].outputs[0].eq[3] = {{0x03, 0xE8}, {2, 5}, {24, 5}};  // 1000 Hz, Q 2.5, +6.5 dB
        st.scenes[0].outputs[0].eq[5].gain[0] = 21;                         // +3 dB
    });
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    ASSERT_EQ(c.CurrentOutput(), 0);
    DialogAnswer answer;
    AnsweredProfileUi answered(answer);
    const std::wstring spf = TempFilePath(L"scenes_off_band.spf");
    const std::wstring wpf = TempFilePath(L"scenes_off_band.wpf");
    const AmpEqBand flat1000 = {{0x03, 0xE8}, {2, 5}, {18, 0}};
    auto liveBand = [&](int band) { return BandBytes(emulator.State().scenes[0].outputs[0].eq[band]); };

    // Read after connecting as ever: a raised band is on at its gain, a flat one on at 0 dB.
    EXPECT_EQ(c.config.channels[0].eqArray[3].enable, 1);
    EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[3].gain, 6.5f);
    EXPECT_EQ(c.config.channels[0].eqArray[4].enable, 1);
    EXPECT_TRUE(PageControls::IsSelected(run.Find(L"pt_enable_3")));

    // ---- The page's switch: band 4 of output 1 off, +6.5 dB kept ----
    run.window->DispatchClick(run.Find(L"pt_enable_3"));
    ASSERT_TRUE(AppTest::PumpUntil([&] { return liveBand(3) == BandBytes(flat1000); }));
    ExpectSwitchedOff(c.config, 0, 3, 6.5f, "switched on the page");
    // Band 6 the program holds off while the amplifier plays it at +3 dB: the amplifier is right.
    c.config.channels[0].eqArray[5].enable = 0;
    c.config.channels[0].eqArray[5].gain = 2.0f;

    // ---- Whole profile saved: its read of the live set keeps the band off with its gain ----
    answer.path = wpf;
    RunCommand(run, answer, L"scene_item_save_whole", 1, true, 120000);
    EXPECT_EQ(MainWindowRun::BoxesSeen(), std::vector<std::wstring>{Text(L"${profile_save_ok}")});
    ExpectSwitchedOff(c.config, 0, 3, 6.5f, "after the whole save");
    EXPECT_EQ(c.config.channels[0].eqArray[5].enable, 1);
    EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[5].gain, 3.0f);
    EXPECT_FALSE(PageControls::IsSelected(run.Find(L"pt_enable_3")));
    EXPECT_EQ(run.TextOf(L"eq_gain_3"), L"0.0");
    EXPECT_EQ(liveBand(3), BandBytes(flat1000));
    DspConfig live;
    DspConfig scenes[kSceneSlots];
    SceneNameSlot names[kSceneSlots] = {};
    ProfileFile reader(nullptr);
    ASSERT_TRUE(reader.LoadWholeProfile(wpf.c_str(), live, scenes, names));
    ExpectSwitchedOff(live, 0, 3, 6.5f, "in the whole file");
    // Switched on again, the kept gain plays.
    emulator.ClearRequests();
    run.window->DispatchClick(run.Find(L"pt_enable_3"));
    ASSERT_TRUE(AppTest::PumpUntil([&] { return liveBand(3)[4] == 24; }));
    EXPECT_EQ(liveBand(3), (std::vector<uint8_t>{0x03, 0xE8, 2, 5, 24, 5}));
    run.window->DispatchClick(run.Find(L"pt_enable_3"));
    ASSERT_TRUE(AppTest::PumpUntil([&] { return liveBand(3) == BandBytes(flat1000); }));

    // ---- Scene profile opened from the menu: the amplifier plays the band flat ----
    answer.path = spf;
    RunCommand(run, answer, L"scene_item_save_file", 1, false);
    const std::string spfBytes = ReadAll(spf);
    ASSERT_FALSE(spfBytes.empty());
    c.config.channels[0].eqArray[3] = EqBand(0.0f, 2.5f, 1000, 1);  // the program holds something else
    emulator.EditState([](AmpState& st) { st.scenes[0].outputs[0].eq[3].gain[0] = 21; });
    emulator.ClearRequests();
    RunCommand(run, answer, L"scene_item_load_file", 0, true);
    EXPECT_TRUE(MainWindowRun::BoxesSeen().empty());
    EXPECT_EQ(SentBandGains(emulator, 0, 3), (std::vector<std::vector<uint8_t>>{{18, 0}}));
    EXPECT_EQ(liveBand(3), BandBytes(flat1000));
    ExpectSwitchedOff(c.config, 0, 3, 6.5f, "after the scene file");
    EXPECT_FALSE(PageControls::IsSelected(run.Find(L"pt_enable_3")));
    EXPECT_EQ(run.TextOf(L"eq_gain_3"), L"0.0");
    EXPECT_EQ(ReadAll(spf), spfBytes);

    // ---- Whole profile opened: every scene and the live set play the band flat; names ----
    // Scene 3 holds band 4 of output 1 off with +4 dB kept; scenes 1 and 4 carry names the code page
    // cannot hold, scene 2 one it can.
    ExpectSwitchedOff(live, 0, 3, 6.5f, "whole file's live set");
    scenes[2].channels[0].eqArray[3] = EqBand(4.0f, 2.5f, 1000, 0);
    const wchar_t* foreign = UnstorableName();
    ASSERT_NE(foreign, nullptr);
    for (int slot : {0, 3}) {
        std::memset(names[slot], 0, sizeof names[slot]);
        std::memcpy(names[slot], foreign, wcslen(foreign) * sizeof(wchar_t));
    }
    ASSERT_TRUE(reader.SaveWholeProfile(live, scenes, names, wpf.c_str()));
    const std::string wpfBytes = ReadAll(wpf);
    emulator.EditState([](AmpState& st) {
        st.scenes[0].outputs[0].eq[3].gain[0] = 21;
        st.scenes[3].outputs[0].eq[3].gain[0] = 21;
    });
    emulator.ClearRequests();
    answer.path = wpf;
    RunCommand(run, answer, L"scene_item_load_whole", 1, true);
    // Told which scenes went without their names, in the language's own words.
    std::wstring told = Text(L"${scene_names_not_stored}");
    const std::wstring list = std::wstring(L"1\x00A0(") + foreign + L"), 4\x00A0(" + foreign + L")";
    ASSERT_NE(told.find(L"%s"), std::wstring::npos);
    told.replace(told.find(L"%s"), 2, list);
    EXPECT_EQ(MainWindowRun::BoxesSeen(), std::vector<std::wstring>{told});
    const AmpState loaded = emulator.State();
    EXPECT_EQ(BandBytes(loaded.scenes[3].outputs[0].eq[3]), BandBytes(flat1000));
    EXPECT_EQ(BandBytes(loaded.scenes[0].outputs[0].eq[3]), BandBytes(flat1000));
    EXPECT_EQ(SentBandGains(emulator, 0, 3), std::vector<std::vector<uint8_t>>(11, {18, 0}));  // ten scenes, live set
    ExpectSwitchedOff(c.sceneConfigs[2], 0, 3, 4.0f, "scene record after the whole file");
    ExpectSwitchedOff(c.config, 0, 3, 6.5f, "live record after the whole file");
    EXPECT_EQ(ReadAll(wpf), wpfBytes);
    // Storable names exactly, the others none at all: never stand-in characters.
    EXPECT_EQ(NameBytes(loaded.directory.names[1]), "Road");
    for (int slot : {0, 3}) {
        EXPECT_EQ(std::vector<uint8_t>(loaded.directory.names[slot], loaded.directory.names[slot] + 16),
                  std::vector<uint8_t>(16, 0))
            << "scene " << slot + 1;
        EXPECT_STREQ(c.sceneNames[slot], L"") << "scene " << slot + 1;
    }
    EXPECT_STREQ(c.sceneNames[1], L"Road");

    // ---- A kept gain stays with its own record ----
    // Another amplifier plugged in: its band 4 is at 2000 Hz, 0 dB, and is read as it is: on, flat (and
    // so shown with its switch off).
    emulator.Unplug();
    ASSERT_TRUE(run.WaitDisconnected());
    emulator.EditState([](AmpState& st) { st.scenes[0].outputs[0].eq[3] = {{0x07, 0xD0}, {2, 5}, {18, 0}}; });
    emulator.Replug();
    ASSERT_TRUE(run.WaitConnected());
    EXPECT_EQ(c.config.channels[0].eqArray[3].enable, 1);
    EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[3].gain, 0.0f);
    EXPECT_EQ(c.config.channels[0].eqArray[3].freq, 2000);
    EXPECT_EQ(run.TextOf(L"eq_gain_3"), L"0.0");
    // Its switch, clicked, has nothing to switch: no gain of the earlier amplifier goes out. Raised here,
    // the band switches off flat and on again at this amplifier's gain.
    emulator.ClearRequests();
    run.window->DispatchClick(run.Find(L"pt_enable_3"));
    run.Find(L"eq_gain_3")->SetText(L"2.0");
    run.window->GetPaintManager()->RaiseNotify(run.Find(L"eq_gain_3"), L"killfocus", 0, 0, false);
    run.window->DispatchClick(run.Find(L"pt_enable_3"));
    run.window->DispatchClick(run.Find(L"pt_enable_3"));
    auto allGone = [&] { return SentBandGains(emulator, 0, 3).size() >= 3 && c.Device().IsCmdQueueIdle(); };
    ASSERT_TRUE(AppTest::PumpUntil(allGone));
    EXPECT_EQ(SentBandGains(emulator, 0, 3), (std::vector<std::vector<uint8_t>>{{20, 0}, {18, 0}, {20, 0}}));
    EXPECT_EQ(liveBand(3), (std::vector<uint8_t>{0x07, 0xD0, 2, 5, 20, 0}));
    EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[3].gain, 2.0f);
    // The program holds the band off with +5 dB kept; a stored scene is another record.
    // A stored scene loaded from the scene window is taken as the amplifier reports it: on at 0 dB.
    c.config.channels[0].eqArray[3] = EqBand(5.0f, 2.5f, 2000, 0);
    MainWindowRun::ConfirmContaining() = L"Road";
    CSceneWnd* scenesWindow = nullptr;
    const int popupsBefore = MainWindowRun::PopupsCreated();
    Script load({
        [&] { PostMenuClick(run.handle, L"scene_item_load_scene"); return true; },
        [&] { return (scenesWindow = OpenSceneWnd()) != nullptr; },
        [&] { return ConfirmRow(scenesWindow, 1); },
        [&] { return MainWindowRun::PopupsCreated() > popupsBefore && Settled(run); },
        [&] { return PostClick(scenesWindow->GetPaintManager(), L"cancel_btn"); },
    });
    ASSERT_TRUE(RunScript(load)) << "stopped after step " << load.StepsDone();
    EXPECT_EQ(c.config.channels[0].eqArray[3].enable, 1);
    EXPECT_FLOAT_EQ(c.config.channels[0].eqArray[3].gain, 0.0f);
    // A whole save here reads this amplifier's scenes as they play: scene 3's band, off with +4 dB kept in
    // the record of the earlier amplifier, is on at 0 dB in the file.
    RunCommand(run, answer, L"scene_item_save_whole", 1, true, 120000);
    EXPECT_EQ(MainWindowRun::BoxesSeen(), std::vector<std::wstring>{Text(L"${profile_save_ok}")});
    ASSERT_TRUE(reader.LoadWholeProfile(wpf.c_str(), live, scenes, names));
    EXPECT_EQ(scenes[2].channels[0].eqArray[3].enable, 1);
    EXPECT_FLOAT_EQ(scenes[2].channels[0].eqArray[3].gain, 0.0f);

    _wremove(spf.c_str());
    _wremove(wpf.c_str());
}
