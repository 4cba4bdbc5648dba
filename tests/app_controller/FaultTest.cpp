// Amplifiers that do not behave: silent after the handshake, another model, older and newer firmware, and
// replies with indices out of range or cut short during the read-back.
#include "AppTestSupport.h"
#include "ControllerTestSupport.h"

#include <gtest/gtest.h>

using namespace ControllerTest;

namespace {

bool AnyBoxContains(const std::wstring& part) {
    for (const std::wstring& text : MainWindowRun::BoxesSeen())
        if (text.find(part) != std::wstring::npos) return true;
    return false;
}

}  // namespace

TEST(Faults, SilentAmplifierEndsInTheFailureBoxAfterThreeUnansweredRequests) {
    AmpEmulator emulator;
    AmpFaultRule silent;
    silent.fault = AmpFault::NoReply;
    silent.skip = 2;  // PC_Connect and the handshake go through
    silent.times = -1;
    emulator.AddFault(silent);
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitForBox(L"${device_connect_fail}"));
    ASSERT_TRUE(run.WaitDisconnected());
    // The handshake and exactly three getters, then the goodbye: nothing more is asked of a silent amplifier.
    const auto requests = ParsedRequests(emulator);
    ASSERT_EQ(requests.size(), 6u);
    EXPECT_EQ(requests[4].sub, 0x92);  // source, volume, ACC: three without a reply
    EXPECT_EQ(requests[5].sub, 0x1F);
    EXPECT_EQ(requests[5].Arg(0), 0);
    EXPECT_EQ(run.TextOf(L"btnConnect"), Text(L"${btn_disconnected}"));
    EXPECT_EQ(run.Controller().config.model, -1);
    EXPECT_EQ(run.Controller().Device().mQueueEnabled.load(), 0);
}

TEST(Faults, AnotherModelIsDisconnectedWithItsBox) {
    AmpEmulator emulator;
    emulator.EditState([](AmpState& s) { s.identity.model = 95; });
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitForBox(L"95"));
    ASSERT_TRUE(run.WaitDisconnected());
    EXPECT_TRUE(AnyBoxContains(Text(L"${device_not_match}")));
    // Nothing is read from another model: connect, handshake, goodbye.
    EXPECT_EQ(ParsedRequests(emulator).size(), 3u);
    EXPECT_EQ(run.TextOf(L"btnConnect"), Text(L"${btn_disconnected}"));
}

TEST(Faults, FirmwareVersionsDecideTheQuestion) {
    struct Case {
        uint8_t main, slave;
        const wchar_t* boxPart;  // null: no box
    } cases[] = {{1, 18, L"v1.18"}, {0, 30, L"v0.30"}, {1, 20, L"v1.20"}, {2, 0, L"v2.0"}, {1, 19, nullptr}};
    const std::wstring question = Text(L"${update_tips}").substr(0, 10);
    const std::wstring newer = Text(L"${dsp_fw_new_tips}").substr(0, 10);
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << int(k.main) << "." << int(k.slave));
        AmpEmulator emulator;
        emulator.EditState([&](AmpState& s) {
            s.identity.masterVersion = k.main;
            s.identity.slaveVersion = k.slave;
        });
        MainWindowRun run(emulator);
        ASSERT_TRUE(run.WaitConnected());
        if (k.boxPart) {
            ASSERT_TRUE(run.WaitForBox(k.boxPart));
            const std::wstring& text = MainWindowRun::BoxesSeen().back();
            const bool older = k.main < 1 || (k.main == 1 && k.slave < 19);
            EXPECT_EQ(text.compare(0, 10, older ? question : newer), 0) << std::string(text.begin(), text.end());
            EXPECT_NE(text.find(L"v1.19"), std::wstring::npos);
        } else {
            AppTest::PumpUntil([] { return false; }, 300);
            EXPECT_TRUE(MainWindowRun::BoxesSeen().empty());
        }
        // Declining the update leaves the amplifier connected.
        EXPECT_TRUE(run.Controller().Device().IsConnected());
        EXPECT_EQ(run.Controller().Device().mQueueEnabled.load(), 1);
    }
}

TEST(Faults, HostileRepliesChangeNothingOutsideTheirRecord) {
    AmpEmulator emulator;
    emulator.EditState([](AmpState& s) {
        s.scenes[0].outputs[0].eq[2] = {{0x01, 0xF4}, {1, 0}, {21, 0}};  // 500 Hz, Q 1, +3 dB
        s.scenes[0].outputs[9].filter[1] = 0x01;                         // output 9 high-pass 300 Hz
        s.scenes[0].outputs[9].filter[2] = 0x2C;
        s.scenes[0].outputs[10].filter[1] = 0x4E;  // outputs 10 and 11 answer too: 20000 Hz
        s.scenes[0].outputs[10].filter[2] = 0x20;
        s.scenes[0].outputs[0].type = 3;
    });
    const uint8_t D = kAmpCmdDsp, U = kAmpOpUpdate;
    // Ride along with the handshake reply, so they arrive in the middle of the read-back.
    emulator.Inject(MakeAmpFrame(D, {0x06, U, 0, 0, 15, 3, 3, 0x03, 0xE8, 1, 0, 20, 0}));   // output 15
    emulator.Inject(MakeAmpFrame(D, {0x06, U, 0, 0, 0, 25, 25, 0x03, 0xE8, 1, 0, 20, 0}));  // band 25 of 21
    emulator.Inject(MakeAmpFrame(D, {0x07, U, 12, 0, 0, 0, 7, 0, 0}));                     // scene 12
    emulator.Inject(MakeAmpFrame(D, {0x0D, U, 0, 0, 0, 0, 99}));                            // position 99
    // Scene 3, bands 0..7 announced, two present: only those two land, in the scene record.
    emulator.Inject(MakeAmpFrame(D, {0x06, U, 3, 0, 0, 0, 7, 0x00, 0x64, 2, 0, 30, 0, 0x00, 0xC8, 3, 0, 12, 0}));
    // A mix-level record whose outputs run past the last one.
    emulator.Inject(MakeAmpFrame(D, {0x24, U, 0, 0, 0, 8, 15, 50, 50, 50, 50, 50, 50, 50, 50}));
    AmpFaultRule split;
    split.fault = AmpFault::Split;
    split.cmd = D;
    split.sub = 0x08;  // the trims' reply comes in two pieces
    emulator.AddFault(split);

    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    const DspConfig& live = run.Controller().config;
    EXPECT_EQ(live.channels[0].eqArray[2].freq, 500);
    EXPECT_FLOAT_EQ(live.channels[0].eqArray[2].gain, 3.0f);
    EXPECT_EQ(live.outputs[0], 3);
    EXPECT_EQ(live.channels[9].crossover.GetHpFreq(), 300);
    EXPECT_EQ(live.channels[0].delay, 0.0f);
    for (int n = 0; n < OutputCount; ++n) EXPECT_EQ(live.channels[n].eqSize, BandCountOfOutput(n));
    EXPECT_NE(live.inputMixVolume[0][0][8], 50);
    const DspConfig& scene3 = run.Controller().sceneConfigs[2];
    EXPECT_EQ(scene3.channels[0].eqArray[0].freq, 100);
    EXPECT_FLOAT_EQ(scene3.channels[0].eqArray[0].gain, 12.0f);
    EXPECT_EQ(scene3.channels[0].eqArray[1].freq, 200);
    const DspConfig fresh;
    for (int b = 2; b < 8; ++b) EXPECT_EQ(scene3.channels[0].eqArray[b].freq, fresh.channels[0].eqArray[b].freq);
    for (int s = 0; s < kSceneSlots; ++s)
        for (int n = 0; n < OutputCount; ++n) EXPECT_EQ(run.Controller().sceneConfigs[s].channels[n].delay, 0.0f);
    EXPECT_EQ(run.TextOf(L"edit_ch_volume_0"), L"0dB");
}

TEST(Faults, LinkCorrectionFoundDuringTheReadIsSentOnceTheQueueIsOn) {
    // Linked but unlocked: the page turns linking off, and the amplifier must hear it after the read.
    AmpEmulator emulator;
    emulator.EditState([](AmpState& s) {
        s.scenes[0].link.link = 1;
        s.scenes[0].lock = 0;
    });
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    ASSERT_TRUE(AppTest::PumpUntil([&] { return ParsedRequests(emulator).size() > 127; }, 5000));
    const auto requests = ParsedRequests(emulator);
    EXPECT_EQ(requests.size(), 128u);
    EXPECT_EQ(requests[127].cmd, kAmpCmdDsp);
    EXPECT_EQ(requests[127].sub, 0x0E);
    EXPECT_EQ(requests[127].optype, kAmpOpSet);
    EXPECT_EQ(requests[127].Arg(1), 0);  // link off
    EXPECT_EQ(emulator.State().scenes[0].link.link, 0);
    EXPECT_EQ(run.Controller().config.linkMode, 0);
    EXPECT_EQ(run.Controller().config.lockMode, 0);
}

// The firmware update window that follows the abnormal-state box is closed unused.
static void CALLBACK CloseUpdateWindow(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND window = FindWindowW(L"UpdateFwWnd", nullptr)) PostMessageW(window, WM_CLOSE, 0, 0);
}

TEST(Faults, AbnormalHandshakeLeavesTheAmplifierConnectingWithTheQueueOff) {
    AmpEmulator emulator;
    emulator.EditState([](AmpState& s) { s.identity.handshakeStatus = 0xF0; });
    MainWindowRun run(emulator);
    const UINT_PTR closer = SetTimer(nullptr, 0, 20, CloseUpdateWindow);
    ASSERT_TRUE(run.WaitForBox(L"${device_status_unnormal}"));
    KillTimer(nullptr, closer);
    ASSERT_TRUE(AppTest::PumpUntil(
        [&] { return !run.Controller().IsReadRunning() && !FindWindowW(L"LoadingWnd", nullptr); }, 5000));
    EXPECT_EQ(ParsedRequests(emulator).size(), 2u);  // nothing is read from it
    EXPECT_TRUE(run.Controller().Device().IsConnected());
    EXPECT_EQ(run.TextOf(L"btnConnect"), Text(L"${btn_connecting}"));
    EXPECT_EQ(run.Controller().Device().mQueueEnabled.load(), 0);
}
