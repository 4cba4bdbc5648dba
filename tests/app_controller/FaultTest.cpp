// Amplifiers that do not behave: silent after the handshake, another model, older and newer firmware, and
// replies with indices out of range or cut short during the read-back.
#include "AppTestSupport.h"
#include "ControllerTestSupport.h"

#include "device/DeviceMessages.h"
#include "device/DeviceProtocol.h"
#include "device/DeviceRecords.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

using namespace ControllerTest;

namespace {

// A reply record on the heap, as the decoders post it (the receiver frees it).
template <class Record>
LPARAM Posted(const Record& record) {
    void* block = calloc(1, sizeof(Record));
    std::memcpy(block, &record, sizeof(Record));
    return reinterpret_cast<LPARAM>(block);
}

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

// Values no control could have set, as a faulty amplifier reports them: what the page shows and the
// configuration keeps stays within what the controls and setters accept.
TEST(Faults, HostileValuesAreHeldToWhatTheControlsAccept) {
    AmpEmulator emulator;
    MainWindowRun run(emulator);
    ASSERT_TRUE(run.WaitConnected());
    EqualizerManager& c = run.Controller();
    const DspConfig& live = c.config;
    const DspConfig& scene3 = c.sceneConfigs[2];
    auto send = [&](UINT message, WPARAM sub, LPARAM data) { SendMessageW(run.handle, message, sub, data); };
    send(WM_DSP_VALUE, DSP_EQ_BYPASS, Posted(DspChannelValueRecord{0, 0, 0}));  // output 0 shows its gains
    ASSERT_EQ(c.CurrentOutput(), 0);
    ASSERT_EQ(live.inputs[0][1] & 2, 0) << "input 2 is not routed to output 1 on source 0";
    const int band5Freq = live.channels[0].eqArray[5].freq;
    const int32_t bypass5 = live.compressor.bypass[5];
    const float ratio5 = live.compressor.ratio[5];

    struct Case {
        const char* what;
        UINT message;
        WPARAM sub;
        std::function<LPARAM()> data;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"EQ above every limit", WM_DSP_VALUE, DSP_EQ_CH, [] { return Posted(DspEqRecord{0, 0, 2, 60223, 254.8f, 99.0f}); },
         [&] {
             const EqBand& band = live.channels[0].eqArray[2];
             EXPECT_EQ(band.freq, 20000);
             EXPECT_FLOAT_EQ(band.factor, 9.0f);
             EXPECT_FLOAT_EQ(band.gain, 12.0f);
             EXPECT_EQ(run.TextOf(L"eq_freq_2"), L"20000");
             EXPECT_EQ(run.TextOf(L"eq_q_2"), L"9.00");
             EXPECT_EQ(run.TextOf(L"eq_gain_2"), L"12.0");
         }},
        {"EQ below every limit", WM_DSP_VALUE, DSP_EQ_CH, [] { return Posted(DspEqRecord{0, 0, 4, 0, -3.0f, -1e30f}); },
         [&] {
             const EqBand& band = live.channels[0].eqArray[4];
             EXPECT_EQ(band.freq, 20);
             EXPECT_FLOAT_EQ(band.factor, 0.5f);
             EXPECT_FLOAT_EQ(band.gain, -18.0f);
             EXPECT_EQ(run.TextOf(L"eq_q_4"), L"0.50");
             EXPECT_EQ(run.TextOf(L"eq_gain_4"), L"-18.0");
         }},
        {"EQ gain not a number", WM_DSP_VALUE, DSP_EQ_CH, [] { return Posted(DspEqRecord{0, 0, 5, 1000, 1.0f, nanf("")}); },
         [&] { EXPECT_EQ(live.channels[0].eqArray[5].freq, band5Freq) << "dropped"; }},
        {"main volume 127 dB", WM_DSP_VALUE, DSP_VOLUME, [] { return LPARAM(127); },
         [&] {
             EXPECT_EQ(live.mainVolume, 40);
             EXPECT_EQ(run.TextOf(L"edit_main_volume"), L"40");
         }},
        {"main volume -128 dB", WM_DSP_VALUE, DSP_VOLUME, [] { return LPARAM(0x80); },
         [&] {
             EXPECT_EQ(live.mainVolume, 0);
             EXPECT_EQ(run.TextOf(L"edit_main_volume"), Text(L"${off}"));
         }},
        {"main mute 5", WM_DSP_VALUE, DSP_MUTE, [] { return LPARAM(5); }, [&] { EXPECT_EQ(live.mainVolumeMute, 1); }},
        {"trim +50 dB", WM_DSP_VALUE, DSP_TRIM_CH, [] { return Posted(DspTrimRecord{0, 1, 50.0f}); },
         [&] {
             EXPECT_EQ(live.channels[1].gain, 0.0f);
             EXPECT_EQ(run.TextOf(L"edit_ch_volume_1"), L"0dB");
         }},
        {"trim -1000 dB", WM_DSP_VALUE, DSP_TRIM_CH, [] { return Posted(DspTrimRecord{0, 2, -1000.0f}); },
         [&] {
             EXPECT_EQ(live.channels[2].gain, -60.0f);
             EXPECT_EQ(run.TextOf(L"edit_ch_volume_2"), Text(L"${off}")) << "the slider's minimum";
         }},
        {"scene trim not a number", WM_DSP_VALUE, DSP_TRIM_CH, [] { return Posted(DspTrimRecord{3, 1, nanf("")}); },
         [&] { EXPECT_EQ(scene3.channels[1].gain, 0.0f); }},
        {"scene trim -70 dB", WM_DSP_VALUE, DSP_TRIM_CH, [] { return Posted(DspTrimRecord{3, 2, -70.0f}); },
         [&] { EXPECT_EQ(scene3.channels[2].gain, -60.0f); }},
        {"channel mute 7", WM_DSP_VALUE, DSP_MUTE_CH, [] { return Posted(DspChannelValueRecord{0, 3, 7}); },
         [&] { EXPECT_EQ(live.channels[3].mute, 1); }},
        {"phase 0x80", WM_DSP_VALUE, DSP_PHASE_CH, [] { return Posted(DspChannelValueRecord{0, 3, 0x80}); },
         [&] { EXPECT_EQ(live.channels[3].phase, 1); }},
        {"EQ bypass 7", WM_DSP_VALUE, DSP_EQ_BYPASS, [] { return Posted(DspChannelValueRecord{3, 4, 7}); },
         [&] { EXPECT_EQ(scene3.channels[4].bypass, 0); }},
        {"routing of every bit", WM_DSP_VALUE, DSP_MIX_CH, [] { return Posted(DspMixRecord{0, 0, 2, 0xFFFFFFFF}); },
         [&] { EXPECT_EQ(live.inputs[0][2], 0x3FF); }},
        {"mix levels 127 and -5", WM_DSP_VALUE, DSP_INPUT_MIX_CH_TRIM,
         [] {
             DspInputMixTrimRecord r = {0, 0, 1, 0, 1, {}};
             r.trim[0] = 127;
             r.trim[1] = uint8_t(-5);  // input 2 is not routed to output 1
             return Posted(r);
         },
         [&] {
             EXPECT_EQ(live.inputMixVolume[0][1][0], 100);
             EXPECT_EQ(live.inputMixVolume[0][1][1], 0);
         }},
        {"cross-mix gain code 250", WM_DSP_VALUE, DSP_CROSS_SOURCE_MIX_CS47048,
         [] { return Posted(DspCrossSourceMixRecord{3, 4, 2, 0x53, 1, 250}); },
         [&] {
             EXPECT_EQ(scene3.crossMixSource[4][2], 2);
             EXPECT_EQ(scene3.crossMixChannel[4][2], 1);
             EXPECT_EQ(scene3.crossMixGain[4][2], 32);
         }},
        {"cross-mix source code 0xFE", WM_DSP_VALUE, DSP_CROSS_SOURCE_MIX_CS47048,
         [] { return Posted(DspCrossSourceMixRecord{3, 4, 2, 0xFE, 1, 0}); },
         [&] {
             EXPECT_EQ(scene3.crossMixSource[4][2], 9) << "none";
             EXPECT_EQ(scene3.crossMixGain[4][2], -32);
         }},
        {"cross-mix input 50", WM_DSP_VALUE, DSP_CROSS_SOURCE_MIX,
         [] { return Posted(DspCrossSourceMixRecord{0, 1, 1, 0x53, 50, 32}); },
         [&] {
             EXPECT_EQ(live.crossMixSource[1][1], 9) << "none";
             EXPECT_EQ(live.crossMixChannel[1][1], 0);
         }},
        {"compressor not a number", WM_DSP_VALUE, DSP_COMPRESSOR_SETTING,
         [] { return Posted(DspCompressorRecord{0, 5, 9, nanf(""), 2.0f, 10, 100, 1.0f}); },
         [&] {
             EXPECT_EQ(live.compressor.bypass[5], bypass5) << "dropped";
             EXPECT_EQ(live.compressor.ratio[5], ratio5);
         }},
        {"compressor far beyond its sliders", WM_DSP_VALUE, DSP_COMPRESSOR_SETTING,
         [] { return Posted(DspCompressorRecord{0, 6, 0, 1e30f, -7.0f, 0xFFFFFFFFu, 0x80000000u, 1e30f}); },
         [&] {
             EXPECT_EQ(live.compressor.threshold[6], 100.0f);
             EXPECT_EQ(live.compressor.ratio[6], 1.0f);
             EXPECT_EQ(live.compressor.attackTime[6], 1000);
             EXPECT_EQ(live.compressor.releaseTime[6], 30000);
             EXPECT_EQ(live.compressor.softKnee[6], 30.0f);
         }},
        {"second compressor record below its sliders", WM_DSP_VALUE, DSP_COMPRESSOR_SETTING2,
         [] { return Posted(DspCompressor2Record{0, 7, 0, -1e30f, 0, 0x7FFFFFFFu, 40000, 0}); },
         [&] {
             EXPECT_EQ(live.compressor.threshold[7], 0.0f);
             EXPECT_EQ(live.compressor.attackTime[7], 1000);
             EXPECT_EQ(live.compressor.releaseTime[7], 30000);
         }},
        {"valid-scene mask of every bit", WM_FLASH_VALUE, FLASH_SCENE_VALID, [] { return Posted(ValidSceneRecord{0xFFFFFFFF}); },
         [&] { EXPECT_EQ(c.validSceneMask, 0x3FFu); }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        send(test.message, test.sub, test.data());
        test.check();
    }
    EXPECT_TRUE(run.Close());
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
