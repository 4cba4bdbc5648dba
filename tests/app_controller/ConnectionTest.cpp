// Connecting to a paced, real-time emulated amplifier: the read-back's requests in their order, the page
// the replies fill, the busy popup, plug-out and plug-in, a DSP-off report, and shut-down.
#include "AmpPlugNotifier.h"
#include "AppTestSupport.h"
#include "ControllerTestSupport.h"
#include "SButton.h"
#include "UICombo.h"
#include "UIMenu.h"
#include "TextFormat.h"
#include "UIOption.h"
#include "UIProgress.h"
#include "UITextResource.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using namespace ControllerTest;
using namespace SkinUI;

namespace {

struct Expected {
    uint8_t cmd, sub;
    std::vector<uint8_t> args;  // leading payload bytes that must match
};

// The read-back as the amplifier sees it, written out from the protocol's own table.
std::vector<Expected> ExpectedReadBack() {
    const uint8_t D = kAmpCmdDsp, F = kAmpCmdFlash, M = kAmpCmdMcu;
    std::vector<Expected> e = {{M, 0x1F, {1}}, {M, 0x08, {}},
                               {D, 0x01, {}},  {D, 0x02, {}},  {M, 0x92, {}},  {D, 0x03, {}},  {D, 0x04, {}},
                               {D, 0x3F, {}},  {D, 0x45, {}},  {D, 0x4B, {}},  {D, 0x4E, {}},  {D, 0x35, {}},
                               {F, 0x0F, {}},  {D, 0x07, {0, 0, 0, 9}}, {D, 0x0D, {0, 0, 0, 9}},
                               {D, 0x34, {0, 0, 0, 9}}, {D, 0x0E, {0}}, {D, 0x0F, {0}},
                               {D, 0x05, {0, 0, 0, 3}}, {D, 0x05, {0, 0, 4, 7}}, {D, 0x05, {0, 0, 8, 11}},
                               {D, 0x12, {0, 0, 0, 9}}};
    for (uint8_t n = 0; n < 10; ++n) {
        e.push_back({D, 0x06, {0, 0, n, 0, 7}});
        if (n < 4) {
            e.push_back({D, 0x06, {0, 0, n, 8, 15}});
            e.push_back({D, 0x06, {0, 0, n, 16, 20}});
        } else {
            e.push_back({D, 0x06, {0, 0, n, 8, 10}});
        }
    }
    e.push_back({D, 0x08, {0, 0, 0, 9}});
    e.push_back({D, 0x09, {0, 0, 0, 9}});
    e.push_back({D, 0x0A, {0, 0, 0, 9}});
    for (uint8_t s = 0; s < 9; ++s) e.push_back({D, 0x0B, {0, s, 0, 9}});
    const int inputs[9] = {4, 2, 4, 2, 10, 10, 4, 2, 2};
    for (uint8_t s = 0; s < 9; ++s)
        for (uint8_t i = 0; i < inputs[s]; ++i) e.push_back({D, 0x24, {0, s, i, 0, 9}});
    // The second sources of each source: the two inputs after its own (inputs minus two of them).
    for (uint8_t s = 0; s < 9; ++s)
        for (uint8_t k = 0; k < 2; ++k) e.push_back({D, 0x4D, {0, s, 0, 0, uint8_t(inputs[s] - 2 + k)}});
    for (uint8_t id = 1; id <= 10; ++id) e.push_back({F, 0x0B, {id}});
    e.push_back({D, 0x4C, {0, 0, 5}});
    return e;
}

void ExpectReadBack(const std::vector<AmpRequest>& requests, size_t from) {
    const std::vector<Expected> expected = ExpectedReadBack();
    ASSERT_EQ(expected.size(), 127u);
    ASSERT_GE(requests.size(), from + expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const AmpRequest& r = requests[from + i];
        EXPECT_EQ(r.cmd, expected[i].cmd) << "request " << i;
        EXPECT_EQ(r.sub, expected[i].sub) << "request " << i;
        for (size_t a = 0; a < expected[i].args.size(); ++a)
            EXPECT_EQ(r.Arg(a), expected[i].args[a]) << "request " << i << " byte " << a;
    }
}

void PrepareAmplifier(AmpState& s) {
    AmpScene& live = s.scenes[0];
    AmpOutput& out0 = live.outputs[0];
    const uint8_t filter[8] = {2, 0x00, 80, 4, 1, 0x0F, 0xA0, 2};  // LR 80 Hz order 4; BW 4000 Hz order 2
    std::copy(filter, filter + 8, out0.filter);
    out0.eqBypass = 0;
    out0.eq[3] = {{0x03, 0xE8}, {2, 5}, {24, 5}};  // 1000 Hz, Q 2.5 (whole, tenths), +6.5 dB (gain + 18)
    out0.type = 1;
    live.outputs[1].type = 7;
    live.outputs[1].trim[0] = 12;                  // 12 dB attenuation: -12 dB
    live.outputs[2].delay[0] = 5;                  // 5.250 ms
    live.outputs[2].delay[1] = 0;
    live.outputs[2].delay[2] = 250;
    live.outputs[3].mute = 1;
    live.mix[4][0] = 0x05;                         // source 4 routes inputs 1 and 3 to output 0
    s.settings.source = 0x55;                      // source 4
    s.settings.mainVolume = 26;  // attenuation: -20 dB
    const char name[] = "Club";
    std::copy(name, name + 5, s.directory.names[0]);
}

// How many of the boxes shown so far say this text.
int BoxesSaying(const wchar_t* key) {
    int count = 0;
    for (const std::wstring& box : MainWindowRun::BoxesSeen())
        if (box.find(Text(key)) != std::wstring::npos) ++count;
    return count;
}

}  // namespace

TEST(Connection, ReadsEverythingShowsItAndFollowsThePlug) {
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.SetUsbPacing(true);
    emulator.EditState(PrepareAmplifier);
    MainWindowRun run(emulator);
    ASSERT_NE(run.handle, nullptr);
    EqualizerManager& c = run.Controller();

    // Start-up connects, reads everything behind the busy popup, then shows the connected state.
    ASSERT_TRUE(run.WaitConnected());
    EXPECT_TRUE(MainWindowRun::BoxesSeen().empty());
    EXPECT_EQ(MainWindowRun::PopupsCreated(), 1);  // the busy popup came, and went
    EXPECT_EQ(MainWindowRun::PopupsDestroyed(), 1);
    auto requests = ParsedRequests(emulator);
    EXPECT_EQ(requests.size(), 127u);
    ExpectReadBack(requests, 0);
    EXPECT_EQ(c.Device().mQueueEnabled.load(), 1);
    EXPECT_EQ(c.ConnectButton()->GetTextColor(), 0xFFFFFFFFu);
    EXPECT_TRUE(c.ConnectButton()->IsSelected());

    // Every control the layout has is bound, with the kind its handlers use.
    for (int n = 0; n < OutputCount; ++n) {
        SCOPED_TRACE(n);
        for (void* p : {(void*)c.chShow[n], (void*)c.chEnable[n], (void*)c.chOutputBtn[n], (void*)c.sliderChVolume[n],
                        (void*)c.editChVolume[n], (void*)c.chMute[n], (void*)c.chPhase[n], (void*)c.chSynchronize[n],
                        (void*)c.sliderChDelay[n], (void*)c.delayLabel[n], (void*)c.editChDelay[n],
                        (void*)c.controlEmpty[n], (void*)c.chVolumeBg[n], (void*)c.input123[n], (void*)c.input456[n]})
            EXPECT_NE(p, nullptr);
        for (int j = 0; j < kRoutingInputs; ++j) EXPECT_NE(c.routing[j][n], nullptr);
    }
    for (int k = 0; k < kPageBands; ++k)
        for (void* p : {(void*)c.eqFreq[k], (void*)c.eqQ[k], (void*)c.eqGain[k], (void*)c.eqSlider[k], (void*)c.ptEnable[k]})
            EXPECT_NE(p, nullptr) << "band " << k;
    for (int m = 1; m <= kSpeakerMarkers; ++m)
        for (void* p : {(void*)c.speaker[m], (void*)c.spkCon[m], (void*)c.spkDelay[m]}) EXPECT_NE(p, nullptr) << m;
    for (void* p : c.chBridge) EXPECT_NE(p, nullptr);
    for (void* p : {(void*)c.btnDebug, (void*)c.btnAmpOnOff, (void*)c.btnRemOut1, (void*)c.btnRemOut2, (void*)c.btnSpkOhm,
                    (void*)c.btnNoiseGate, (void*)c.btnAdvance, (void*)c.inputSourceCombo, (void*)c.labelChannelName,
                    (void*)c.delayUnitCombo, (void*)c.hpType, (void*)c.lpType, (void*)c.hpFreq, (void*)c.lpFreq,
                    (void*)c.hpSlope, (void*)c.lpSlope, (void*)c.editMainVolume, (void*)c.sliderMainVolume,
                    (void*)c.mainMute, (void*)c.btnResetEq, (void*)c.btnBypass, (void*)c.btnArgEq,
                    (void*)c.btnResetOutput, (void*)c.btnLockOutput, (void*)c.btnLinkOutput, (void*)c.btnLinkSelect})
        EXPECT_NE(p, nullptr);
    EXPECT_FALSE(c.btnDebug->IsVisible());  // no "debug.ini" beside the program
    EXPECT_FALSE(c.sliderChDelay[0]->IsVisible());
    EXPECT_EQ(c.sliderChVolume[0]->GetMinValue(), -600);

    // The page shows the amplifier's values.
    EXPECT_EQ(run.TextOf(L"hp_freq"), L"80Hz");
    EXPECT_EQ(run.TextOf(L"lp_freq"), L"4000Hz");
    EXPECT_EQ(static_cast<CComboUI*>(run.Find(L"hp_type")->GetInterface(L"Combo"))->GetCurSel(), 1);
    EXPECT_EQ(static_cast<CComboUI*>(run.Find(L"hp_slop")->GetInterface(L"Combo"))->GetCurSel(), 4);
    EXPECT_EQ(run.TextOf(L"eq_freq_3"), L"1000");
    EXPECT_EQ(run.TextOf(L"eq_q_3"), L"2.50");
    EXPECT_EQ(run.TextOf(L"eq_gain_3"), L"6.5");
    EXPECT_EQ(static_cast<CSliderUI*>(run.Find(L"eq_slider_3")->GetInterface(L"Slider"))->GetValue(), 65);
    EXPECT_EQ(run.TextOf(L"eq_gain_4"), L"0.0");
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_1"), L"-12dB");
    EXPECT_EQ(static_cast<CSliderUI*>(run.Find(L"slider_ch_volume_1")->GetInterface(L"Slider"))->GetValue(), -120);
    EXPECT_FLOAT_EQ(c.config.channels[1].gain, -12.0f);
    EXPECT_EQ(run.TextOf(L"edit_ch_delay_2"), L"5.250 ms");
    EXPECT_EQ(run.TextOf(L"ch_output_btn_0"), Text(L"${front_left_tweeter}"));
    EXPECT_EQ(run.TextOf(L"ch_output_btn_1"), Text(L"${front_right_tweeter}"));
    EXPECT_TRUE(run.Find(L"speaker_1")->IsVisible());
    EXPECT_TRUE(run.Find(L"speaker_7")->IsVisible());
    EXPECT_FALSE(run.Find(L"speaker_2")->IsVisible());
    EXPECT_EQ(c.config.inputSource, 4);
    EXPECT_EQ(static_cast<CComboUI*>(run.Find(L"btn_input_source")->GetInterface(L"Combo"))->GetCurSel(), 4);
    EXPECT_EQ(c.config.mainVolume, 9);  // 10 ^ ((-20 + 60) / 41.25), truncated
    EXPECT_EQ(static_cast<CSliderUI*>(run.Find(L"slider_main_volume")->GetInterface(L"Slider"))->GetValue(), 9);
    EXPECT_EQ(run.TextOf(L"edit_main_volume"), L"9");
    EXPECT_EQ(c.config.channels[3].mute, 1);
    EXPECT_EQ(c.config.inputs[4][0], 0x05);
    EXPECT_STREQ(c.sceneNames[0], L"Club");
    EXPECT_STREQ(c.sceneNames[1], L"");  // an erased slot
    EXPECT_EQ(c.config.model, 94);

    // A reply applied while the queue is on sends nothing back (no echo of the trims it set).
    emulator.ClearRequests();
    std::thread trims([&] { c.Device().Get_Trim(0, 0, 0, 9); });
    trims.join();
    AppTest::PumpUntil([] { return false; }, 300);
    EXPECT_EQ(ParsedRequests(emulator).size(), 1u);
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_1"), L"-12dB");

    // User data and names outside their ranges are ignored by the routing.
    const int mutes[] = {c.config.channels[0].mute, c.config.channels[3].mute};
    CControlUI* hostile[] = {run.Find(L"ch_mute_0"), run.Find(L"option_ch_in0_0"), run.Find(L"ch_enable_1"),
                             run.Find(L"eq_gain_3")};
    for (CControlUI* control : hostile) ASSERT_NE(control, nullptr);
    hostile[0]->SetUserData(L"42");
    hostile[1]->SetName(L"option_ch_in9_x");
    hostile[2]->SetUserData(L"-3");
    hostile[3]->SetUserData(L"99");
    for (CControlUI* control : hostile) {
        TNotifyMessage msg;
        msg.pSender = control;
        for (const wchar_t* type : {L"selectchanged", L"click", L"setfocus", L"killfocus", L"valuechangedup"}) {
            msg.sType = type;
            run.window->Notify(msg);
        }
    }
    EXPECT_EQ(c.config.channels[0].mute, mutes[0]);
    EXPECT_EQ(c.config.channels[3].mute, mutes[1]);
    emulator.ClearRequests();
    AppTest::PumpUntil([] { return false; }, 100);
    EXPECT_TRUE(ParsedRequests(emulator).empty());

    // Plug-out: disconnected, the box tells the user.
    emulator.Unplug();
    EXPECT_TRUE(run.WaitForBox(L"${device_plugout}"));
    EXPECT_FALSE(c.Device().IsConnected());
    EXPECT_EQ(run.TextOf(L"btnConnect"), Text(L"${btn_disconnected}"));
    EXPECT_EQ(c.config.model, -1);

    // The button cannot connect an absent amplifier: its box says so.
    run.window->DispatchClick(run.Find(L"btnConnect"));
    EXPECT_TRUE(run.WaitForBox(L"${device_connect_fail}"));
    EXPECT_EQ(run.TextOf(L"btnConnect"), Text(L"${btn_disconnected}"));

    // Plug-in: connects and reads everything again; a repeated arrival changes nothing.
    emulator.ClearRequests();
    emulator.Replug();
    SendAmpPlugNotification(run.handle, true);
    ASSERT_TRUE(run.WaitConnected());
    EXPECT_EQ(MainWindowRun::PopupsCreated(), 2);
    EXPECT_EQ(MainWindowRun::PopupsDestroyed(), 2);
    requests = ParsedRequests(emulator);
    EXPECT_EQ(requests.size(), 127u);
    ExpectReadBack(requests, 0);
    EXPECT_EQ(emulator.Counters().opens, 2);

    // The amplifier reports its DSP off: disconnected, with its box.
    emulator.Inject(MakeAmpFrame(kAmpCmdDsp, {0x46, kAmpOpUpdate, 0x00}), AmpInject::OwnReport);
    std::thread reader([&] { c.Device().Get_Source(); });
    reader.join();
    EXPECT_TRUE(run.WaitForBox(L"${dsp_is_off}"));
    EXPECT_TRUE(run.WaitDisconnected());
    EXPECT_EQ(run.TextOf(L"btnConnect"), Text(L"${btn_disconnected}"));

    // The button connects again; closing tells the amplifier the PC leaves and ends the loop.
    c.ConnectDevice(true);
    ASSERT_TRUE(run.WaitConnected());
    emulator.ClearRequests();
    EXPECT_TRUE(run.Close());
    EXPECT_TRUE(AppTest::QuitSeen());
    requests = ParsedRequests(emulator);
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().sub, 0x1F);
    EXPECT_EQ(requests.back().Arg(0), 0);
}

TEST(Connection, ShutDownDuringTheReadBackEndsCleanly) {
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.SetReplyDelay(15);  // a slow amplifier: the read-back takes about two seconds
    MainWindowRun run(emulator);
    ASSERT_NE(run.handle, nullptr);
    // The close arrives while the busy popup's loop runs the read-back.
    bool readingAtClose = false;
    DWORD closedAt = 0;
    AppTest::RunLater(400, [&] {
        readingAtClose = run.Controller().IsReadRunning();
        closedAt = GetTickCount();
        PostMessageW(run.handle, WM_CLOSE, 0, 0);
    });
    // A second connect while the read runs does nothing.
    bool stillReading = false;
    AppTest::RunLater(200, [&] {
        run.Controller().ConnectDevice(true);
        run.Controller().DevicePlugin();
        stillReading = run.Controller().IsReadRunning() && run.Controller().Device().IsConnected();
    });
    EXPECT_TRUE(AppTest::PumpUntil([&] { return !IsWindow(run.handle); }, 20000));
    EXPECT_TRUE(stillReading);
    EXPECT_EQ(emulator.Counters().opens, 1);
    EXPECT_TRUE(readingAtClose);
    EXPECT_LT(GetTickCount() - closedAt, 1000u);
    EXPECT_FALSE(run.Controller().IsReadRunning());
    EXPECT_LT(ParsedRequests(emulator).size(), 127u);
    EXPECT_FALSE(run.Controller().Device().IsConnected());
}

TEST(Connection, UnplugDuringTheReadBackIsToldAsAnUnplug) {
    AmpEmulator emulator;
    emulator.SetRealTime(true);
    emulator.SetReplyDelay(5);  // the read-back takes long enough to be unplugged in the middle of it
    MainWindowRun run(emulator);
    ASSERT_NE(run.handle, nullptr);
    // Unplugged once the read has gone some way; checked from a timer, which also runs inside the busy
    // popup's own loop.
    int requestsAtStart = 0;
    bool unplugged = false;
    std::function<void()> unplugWhenReading = [&] {
        if (run.Controller().IsReadRunning() && emulator.Counters().requests > requestsAtStart + 20) {
            emulator.Unplug();
            unplugged = true;
            return;
        }
        AppTest::RunLater(5, unplugWhenReading);
    };
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        requestsAtStart = emulator.Counters().requests;
        unplugged = false;
        AppTest::RunLater(5, unplugWhenReading);
        if (round > 1) emulator.Replug();
        ASSERT_TRUE(AppTest::PumpUntil([&] { return unplugged; }, 5000));
        ASSERT_TRUE(run.WaitDisconnected());
        AppTest::PumpUntil([] { return false; }, 200);  // whatever the ended read still posts
        EXPECT_EQ(BoxesSaying(L"${device_plugout}"), round);
        EXPECT_EQ(BoxesSaying(L"${device_connect_fail}"), 0);
        EXPECT_EQ(run.TextOf(L"btnConnect"), Text(L"${btn_disconnected}"));
        EXPECT_FALSE(FindWindowW(L"LoadingWnd", nullptr));
    }
}

TEST(Connection, MenuCommandsAndTheVolumePoll) {
    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    auto* texts = CTextResource::GetInstance();
    // A menu click hands over a record the receiver frees; the name decides.
    auto click = [&](const wchar_t* item) {
        auto* record = static_cast<MenuCmd*>(calloc(1, sizeof(MenuCmd)));
        wcsncpy(record->szName, item, MenuCmd::kNameLength - 1);
        SendMessageW(run.handle, WM_MENU_CLICK, reinterpret_cast<WPARAM>(record), 0);
    };
    click(L"option_item_language_cn");
    EXPECT_STREQ(texts->GetLanguage().Data(), L"cn_zh");
    click(L"OPTION_ITEM_LANGUAGE");  // toggles between Chinese and English only
    EXPECT_STREQ(texts->GetLanguage().Data(), L"en");
    click(L"option_item_language");
    EXPECT_STREQ(texts->GetLanguage().Data(), L"cn_zh");
    click(L"option_item_language_ru");
    EXPECT_STREQ(texts->GetLanguage().Data(), L"ru");
    click(L"no_such_item");
    EXPECT_STREQ(texts->GetLanguage().Data(), L"ru");

    // The poll asks for the main volume each second; the reply ends it.
    emulator.ClearRequests();
    run.window->StartMainVolumePoll();
    ASSERT_TRUE(AppTest::PumpUntil([&] { return !ParsedRequests(emulator).empty(); }, 3000));
    AppTest::PumpUntil([] { return false; }, 200);
    const auto requests = ParsedRequests(emulator);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].sub, 0x02);
    EXPECT_FALSE(KillTimer(run.handle, GET_MAIN_VOLUME_TIMER));  // already gone
}

// Handlers no control of the page calls: each sends its command with the working scene byte.
TEST(Connection, DspSwitchNoiseOptionActiveBypassAndTheFileTest) {
    AmpEmulator emulator;
    emulator.EditState([](AmpState& st) { st.scenes[0].autoOn = 1; });
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    emulator.ClearRequests();
    COptionUI option;
    option.Selected(true, true);
    c.SetNoiseOpen(&option);  // open: -60 dBu
    EXPECT_EQ(option.GetText().Data(), Text(L"${noise_open}"));
    option.Selected(false, true);
    c.SetNoiseOpen(&option);  // closed: -100 dBu
    EXPECT_EQ(option.GetText().Data(), Text(L"${noise_close}"));
    option.Selected(true, true);
    c.SetIrcActiveBypass(&option);
    c.OnDspOnOff(true);  // the page has no DSP button: it reads as off, and goes out at once
    ASSERT_TRUE(AppTest::PumpUntil([&] { return ParsedRequests(emulator).size() >= 4u; }, 5000));
    const auto sent = ParsedRequests(emulator);
    const std::vector<std::vector<uint8_t>> expected = {{0x26, 196}, {0x26, 156}, {0x3C, 0, 1}, {0x3B, 0, 0}};
    ASSERT_EQ(sent.size(), expected.size());
    for (size_t i = 0; i < sent.size(); ++i) {
        std::vector<uint8_t> got = {sent[i].sub};
        got.insert(got.end(), sent[i].payload.begin(), sent[i].payload.begin() + (expected[i].size() - 1));
        EXPECT_EQ(got, expected[i]) << i;
    }
    const AmpState state = emulator.State();
    EXPECT_EQ(state.settings.inputThreshold, 156);
    EXPECT_EQ(state.scenes[0].ircActiveBypass, 1);
    EXPECT_EQ(state.scenes[0].autoOn, 0);

    const std::wstring path = TempFilePath(L"controller_present.txt");
    _wremove(path.c_str());
    EXPECT_FALSE(EqualizerManager::IsFilePresent(path.c_str()));
    fclose(_wfopen(path.c_str(), L"w"));
    EXPECT_TRUE(EqualizerManager::IsFilePresent(path.c_str()));
    _wremove(path.c_str());
}

TEST(Connection, StoredSceneReadsLandInTheSceneRecordOnly) {
    AmpEmulator emulator;
    emulator.EditState([](AmpState& s) {
        s.scenes[3].outputs[0].type = 5;
        s.scenes[3].outputs[4].delay[0] = 2;
        s.scenes[0].outputs[0].type = 1;
    });
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    emulator.ClearRequests();
    int result = 99;
    std::thread worker([&] { result = c.ReadSceneFromDevice(3); });
    worker.join();
    EXPECT_EQ(result, 0);
    AppTest::PumpUntil([] { return false; }, 300);
    const auto requests = ParsedRequests(emulator);
    ASSERT_EQ(requests.size(), 1u + 113u);
    EXPECT_EQ(requests[0].cmd, kAmpCmdFlash);
    EXPECT_EQ(requests[0].sub, 0x09);
    EXPECT_EQ(requests[1].sub, 0x0D);
    EXPECT_EQ(requests[1].Arg(0), 3);
    EXPECT_EQ(c.sceneConfigs[2].outputs[0], 5);
    EXPECT_FLOAT_EQ(c.sceneConfigs[2].channels[4].delay, 2.0f);
    EXPECT_EQ(c.config.outputs[0], 1);  // the page's own record is untouched
    EXPECT_EQ(run.TextOf(L"ch_output_btn_0"), Text(L"${front_left_tweeter}"));
    const auto fresh = std::make_unique<DspConfig>();
    EXPECT_EQ(c.sceneConfigs[1].outputs[0], fresh->outputs[0]);  // other scenes are untouched
}

TEST(Connection, FactoryResetAskedThenDoneThenTheAmplifierReturns) {
    AmpEmulator emulator;
    emulator.EditState([](AmpState& s) {
        AmpOutput& out0 = s.scenes[0].outputs[0];
        out0.type = 4;
        out0.eq[3] = {{0x03, 0xE8}, {2, 5}, {24, 5}};  // +6.5 dB
        s.settings.source = 0x55;
        s.settings.mainVolume = 16;  // -10 dB
    });
    // As a real amplifier: it is off the bus for a moment while it restarts, and the system says so.
    emulator.SetRealTime(true);
    emulator.SetRestartDelay(0, 500);
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    auto source = [&] { return static_cast<CComboUI*>(run.Find(L"btn_input_source")->GetInterface(L"Combo"))->GetCurSel(); };
    EXPECT_EQ(c.config.outputs[0], 4);
    EXPECT_EQ(run.TextOf(L"eq_gain_3"), L"6.5");
    EXPECT_EQ(run.TextOf(L"edit_main_volume"), L"16");
    EXPECT_EQ(source(), 4);

    // Declined: nothing is sent.
    emulator.ClearRequests();
    c.ResetMcuFactoryDefault();
    EXPECT_TRUE(run.WaitForBox(L"${factory_default_tips}"));
    EXPECT_TRUE(ParsedRequests(emulator).empty());

    // Confirmed: the reset goes out behind the busy popup, then the restart is announced.
    MainWindowRun::ConfirmContaining() = Text(L"${factory_default_tips}");
    c.ResetMcuFactoryDefault();
    ASSERT_TRUE(run.WaitForBox(L"${device_reboot}"));
    const auto requests = ParsedRequests(emulator);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].cmd, kAmpCmdMcu);
    EXPECT_EQ(requests[0].sub, 0x90);

    // The amplifier leaves the bus: the page shows it disconnected; it connects again by itself once the
    // amplifier is back, and shows the factory state.
    ASSERT_TRUE(AppTest::PumpUntil([&] { return !c.Device().IsConnected(); }, 3000));
    EXPECT_EQ(run.TextOf(L"btnConnect"), Text(L"${btn_disconnected}"));
    ASSERT_TRUE(run.WaitConnected(5000));
    EXPECT_EQ(c.config.outputs[0], 0);
    EXPECT_EQ(run.TextOf(L"eq_gain_3"), L"0.0");
    EXPECT_EQ(run.TextOf(L"edit_main_volume"), L"9");  // the factory level, -20 dB
    EXPECT_EQ(source(), 0);
    EXPECT_EQ(MainWindowRun::PopupsCreated(), 3);  // the start-up read, the reset and the read after it
    int handshakes = 0;
    for (const AmpRequest& r : ParsedRequests(emulator))
        if (r.cmd == kAmpCmdMcu && r.sub == 0x08) ++handshakes;
    EXPECT_EQ(handshakes, 1);
    // A restart asked for is no plug-out and no failure.
    EXPECT_EQ(BoxesSaying(L"${device_plugout}"), 0);
    EXPECT_EQ(BoxesSaying(L"${device_connect_fail}"), 0);

    // Refused by the amplifier: told as a failure, sending goes on, and a later unplug is told as one.
    emulator.AddFault({AmpFault::NotReady, kAmpCmdMcu, 0x90});
    MainWindowRun::BoxesSeen().clear();
    c.ResetMcuFactoryDefault();
    ASSERT_TRUE(run.WaitForBox(L"${factory_default_fail}"));
    EXPECT_EQ(BoxesSaying(L"${device_reboot}"), 0);
    EXPECT_FALSE(c.IsRestartExpected());
    EXPECT_TRUE(run.WaitConnected(1000));
    EXPECT_EQ(c.Device().mQueueEnabled.load(), 1);
    emulator.Unplug();
    EXPECT_TRUE(run.WaitForBox(L"${device_plugout}"));
    emulator.Replug();
    EXPECT_TRUE(run.WaitConnected(5000));
}
