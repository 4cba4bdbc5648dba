// The link against the emulated amplifier: handshake, a whole configuration set through the setters (via
// the queue) and read back through the getters, scenes, the emulator's fault switches as the link sees
// them, and an unplug at every stage of the read that follows a connect.
#include "DriverCommands.h"
#include "device/DeviceMessages.h"
#include "device/DeviceTestSupport.h"
#include "emulator/AmpEmulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>

namespace {

// EQ values as a user types them: decimals with one digit after the point.
float EqQ(uint32_t band) { return static_cast<float>((5 + band) / 10.0); }
float EqGain(uint32_t output, uint32_t band) {
    return static_cast<float>((-93 + 7 * static_cast<int>(band) + 10 * static_cast<int>(output)) / 10.0);
}

// Runs a test's step just before the next report reaches the emulator (once).
class WireTap final : public ForwardingHidBackend {
public:
    using ForwardingHidBackend::ForwardingHidBackend;
    std::function<void()> beforeNextWrite;

    int Write(HidHandle* dev, const uint8_t* data, size_t length) override {
        std::function<void()> step;
        step.swap(beforeNextWrite);
        if (step) step();
        return mInner.Write(dev, data, length);
    }
};

class EmulatedLink : public ::testing::Test {
protected:
    FakeClock clock;
    AmpEmulator amp;
    WireTap wire{amp};
    CapturingPoster poster;
    DeviceLink link{DeviceLinkSeams{&wire, &clock, &poster}};

    void SetUp() override {
        link.SetDeviceProfile(94, 10, 10, 0, 0);
        for (int slot = 0; slot < DeviceLink::kReplyWindows; ++slot) link.mReplyWnd[slot] = TestWindow(slot);
        link.OpenHIDDevice();
        ASSERT_TRUE(link.IsConnected());
    }

    // Copies of the records posted with one message and wParam, oldest first.
    template <typename Record>
    std::vector<Record> Records(UINT message, int wParam) {
        std::vector<Record> out;
        for (const auto& p : poster.Of(message, wParam)) out.push_back(p.As<Record>());
        return out;
    }
    // The records of one sub-command keyed by channel (a later record replaces an earlier one).
    template <typename Record>
    std::map<uint32_t, Record> ByChannel(int sub) {
        std::map<uint32_t, Record> out;
        for (const Record& r : Records<Record>(WM_DSP_VALUE, sub)) out[r.channel] = r;
        return out;
    }
    LPARAM LastValue(UINT message, int wParam) {
        const auto posts = poster.Of(message, wParam);
        return posts.empty() ? -1000 : posts.back().lParam;
    }
};

TEST_F(EmulatedLink, HandshakeReportsIdentityAndModes) {
    link.PC_Connect(1);
    EXPECT_EQ(0, amp.PendingReports()) << "PC_Connect is not answered";
    EXPECT_TRUE(link.Hand_Connect());
    EXPECT_EQ(94, link.mModel);
    EXPECT_EQ(1u, link.mMasterVersion);
    EXPECT_EQ(19u, link.mSlaveVersion);
    EXPECT_EQ(1, link.mHandshakeOk);
    ASSERT_EQ(1u, Records<McuHandshakeRecord>(WM_READ_MCU_VALUE, 8).size());

    amp.EditState([](AmpState& s) { s.identity.handshakeStatus = 0xF0; });
    EXPECT_TRUE(link.Hand_Connect());
    EXPECT_EQ(0, link.mHandshakeOk);
    EXPECT_EQ(1u, poster.Of(WM_DEVICE_ABNORMAL).size());

    amp.EditState([](AmpState& s) {
        s.identity.handshakeStatus = 0;
        s.mode = AmpMode::Upgrade;
    });
    EXPECT_TRUE(link.Hand_Connect());
    EXPECT_EQ(0, link.mHandshakeOk) << "the upgrade mode answers with the ping reply";

    amp.AddFault({AmpFault::NoReply, 3, 0x08});
    EXPECT_FALSE(link.Hand_Connect());
}

TEST_F(EmulatedLink, ConfigurationSetThroughTheQueueReadsBackThroughTheGetters) {
    link.EnableCmdQueue();
    const float delays[10] = {0.0f, 0.5f, 1.25f, 2.5f, 4.1f, 7.333f, 10.75f, 12.0f, 14.999f, 15.0f};
    const float attenuations[10] = {0, 1, 2, 3, 4, 5, 6, 10, 20, 60};
    const uint8_t mutes[10] = {1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    const uint8_t phases[10] = {0, 1, 0, 1, 0, 1, 0, 1, 0, 1};
    const uint8_t types[10] = {1, 2, 3, 4, 5, 6, 7, 8, 23, 24};
    const uint8_t bypasses[10] = {0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
    const uint8_t solos[10] = {0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    const uint8_t compressorsOn[10] = {1, 1, 0, 0, 1, 0, 0, 0, 0, 1};
    const uint8_t qModes[10] = {0, 1, 2, 0, 1, 2, 0, 1, 2, 0};
    const uint16_t distances[10] = {0, 100, 250, 1234, 5000, 9999, 10, 20, 30, 40};
    const int32_t masks[10] = {0x001, 0x002, 0x004, 0x008, 0x010, 0x020, 0x040, 0x080, 0x100, 0x201};
    const uint8_t levels[10] = {100, 90, 80, 70, 60, 50, 40, 30, 20, 10};
    const uint8_t pairs[4] = {0, 1, 2, 3};
    const uint8_t bridge[5] = {1, 0, 0, 1, 0};
    const Compressor2Setting comp2[2] = {{20.5f, 10, 300}, {3.2f, 250, 2300}};
    for (uint8_t c = 0; c < 10; ++c) {
        link.Filter_Ctrl(0, 0, c, 2, 20 + 10 * c, 12, 1, false);
        link.Filter_Ctrl(0, 0, c, 1, 20000 - 1000 * c, 24, 2, false);
        const int bands = c < 4 ? 21 : 11;
        for (uint8_t b = 0; b < bands; ++b) {
            link.EQ_Ctrl(0, 0, c, b, static_cast<uint16_t>(25 + 50 * b + c), EqQ(b), EqGain(c, b), false);
        }
    }
    link.Delay_Ctrl(0, 0, 0, 9, delays, false);
    link.Trim_Ctrl(0, 0, 0, 9, attenuations, false);
    link.Mute_Ch_Ctrl(0, 0, 0, 9, mutes, false);
    link.Phase_Ctrl(0, 0, 0, 9, phases, false);
    link.CH_Type_Ctrl(0, 0, 0, 9, types, false);
    link.PEQ_Bypass_Ctrl(0, 0, 0, 9, bypasses, false);
    link.Solo_Ctrl(0, 0, 0, 9, solos, false);
    link.Compressor_Ch_Ctrl(0, 0, 0, 9, compressorsOn, false);
    link.HPF_Q_Fact_Ctrl(0, 0, 0, 9, qModes, false);
    link.Spk_Dist_Ctrl(0, 0, 0, 9, distances, false);
    link.Compressor_Ctrl2(0, 0, 0, 1, comp2, false);
    for (uint8_t source = 0; source < 9; ++source) {
        link.Mix_Ch_Ctrl(0, source, 0, 9, masks, false);
        link.Input_Mix_Trim_Ctrl(0, source, source, 0, 9, levels, false);
        link.Cross_Source_Mix_Ctrl_CS47048(0, source, 1, static_cast<uint8_t>(0x51 + 8 - source), 3, false);
    }
    link.CH_Link_Ctrl(0, 1, 2, pairs, false);
    // Four pairs: more than the five bytes a link reply's first field holds, all of them in its list.
    const uint8_t trimPairs[8] = {0, 1, 2, 3, 4, 5, 9, 8};
    link.CH_Trim_Link_Ctrl(0, 1, 4, trimPairs, false);
    link.DSP_Bypass_Ctrl(0, 0, 0, 1, false);
    link.CH_Lock_Ctrl(0, 1, false);
    link.Output_Bridge_Ctrl(0, 0, 5, bridge, false);
    link.Input_Trim_Ctrl(0, 0, 0, 9, levels, false);
    link.Mute_Input_Ch_Ctrl(0, 0, 0, 9, mutes, false);
    link.Input_Phase_Ctrl(0, 0, 0, 9, phases, false);
    link.Source_Switch_Ctrl(0x54, false);
    link.Main_Volume_Ctrl(20.0f, false);
    link.Subwoofer_Volume_Ctrl(33, false);
    link.Mute_Ctrl(1, false);
    link.Amp_Mute_Ctrl(1, false);
    link.Rem_Out_Ctrl(0, 1, false);
    link.Spk_Ohm_Ctrl(1, false);
    link.Noise_Gate_Ctrl(1, false);
    link.Input_Ch_Threshold_Ctrl(-45, false);
    link.Set_Acc(static_cast<uint8_t>(-3), false);
    link.Set_Power_Off_Time(1500, false);
    link.Set_MemData(0x00801234, 0xDEADBEEF, false);
    link.KTV_Mic_Vol_Ctrl(11, false);
    link.KTV_Music_Vol_Ctrl(12, false);
    link.KTV_Echo_Delay_Ctrl(300, false);
    link.KTV_Bass_Gain_Ctrl(-7, false);
    ASSERT_TRUE(Eventually([&] { return link.IsCmdQueueIdle(); }));
    EXPECT_EQ(0, amp.Counters().badRequests);
    link.DisableCmdQueue();
    link.SetPWD("1234", 4, "remark", 6);

    // Read everything back, as the application's read-all does.
    for (uint8_t first : {0, 4, 8}) link.Get_Filter(0, 0, first, static_cast<uint8_t>(first + 3));
    for (uint8_t c = 0; c < 10; ++c) {
        if (c < 4) {
            link.Get_EQ(0, 0, c, 0, 7);
            link.Get_EQ(0, 0, c, 8, 15);
            link.Get_EQ(0, 0, c, 16, 20);
        } else {
            link.Get_EQ(0, 0, c, 0, 7);
            link.Get_EQ(0, 0, c, 8, 10);
        }
    }
    link.Get_Delay(0, 0, 0, 9);
    link.Get_Trim(0, 0, 0, 9);
    link.Get_Mute_Ch(0, 0, 0, 9);
    link.Get_Phase(0, 0, 0, 9);
    link.Get_CH_Type(0, 0, 0, 9);
    link.Get_PEQ_Bypass(0, 0, 0, 9);
    link.Get_Ch_Solo(0, 0, 0, 9);
    link.Get_Compressor_Ch_On(0, 0, 0, 9);
    link.Get_HPF_Q_Fact_Mode(0, 0, 0, 9);
    link.Get_Spk_Dist(0, 0, 0, 9);
    link.Get_Compressor2(0, 0, 0, 1);
    for (uint8_t source = 0; source < 9; ++source) {
        link.Get_Mix_Ch(0, source, 0, 9);
        link.Get_Input_Mix_CH_Trim(0, source, source, 0, 9);
        link.Get_Cross_Source_Mix_CS47048(0, source, 1);
    }
    link.Get_CH_Link(0);
    link.Get_CH_Trim_Link(0);
    link.Get_All_Bypass(0, 0, 0, 9);
    link.Get_CH_Lock(0);
    link.Get_Ouput_Bridge(0, 0, 5);
    link.Get_Input_Trim(0, 0, 0, 9);
    link.Get_Mute_Input_Ch(0, 0, 0, 9);
    link.Get_Phase_Input_Ch(0, 0, 0, 9);
    link.Get_Source();
    link.Get_Main_Volume();
    link.Get_Subwoofer_Volume();
    link.Get_Mute();
    link.Get_Amp_Mute();
    link.Get_Rem_Out();
    link.Get_Spk_Ohm();
    link.Get_Noise_Gate();
    link.Get_Input_Threshold(0, 0, true);
    link.Get_Acc();
    link.Get_Delay_Power_Off_Time();
    link.Get_MemData(0x00801234);
    link.Get_KTV_Mic_Vol(0, 0);
    link.Get_KTV_Music_Vol(0, 0);
    link.Get_KTV_Echo_Delay(0, 0);
    link.Get_KTV_Bass_Gain(0, 0);
    link.Get_PWD();
    EXPECT_EQ(0, amp.PendingReports()) << "every request was answered by exactly one report, read in its call";

    const auto filters = ByChannel<DspFilterRecord>(5);
    ASSERT_GE(filters.size(), 10u);
    const auto eqs = Records<DspEqRecord>(WM_DSP_VALUE, 6);
    EXPECT_EQ(4u * 21 + 6 * 11, eqs.size());
    for (const DspEqRecord& r : eqs) {
        SCOPED_TRACE(testing::Message() << "output " << r.channel << " band " << r.band);
        EXPECT_EQ(25 + 50 * r.band + r.channel, r.freq);
        EXPECT_NEAR(EqQ(r.band), r.q, 1e-4);
        EXPECT_NEAR(EqGain(r.channel, r.band), r.gain, 1e-4);
    }
    const auto delayRecords = ByChannel<DspDelayRecord>(7);
    const auto trimRecords = ByChannel<DspTrimRecord>(8);
    const auto muteRecords = ByChannel<DspChannelValueRecord>(9);
    const auto phaseRecords = ByChannel<DspChannelValueRecord>(10);
    const auto typeRecords = ByChannel<DspChannelValueRecord>(13);
    const auto bypassRecords = ByChannel<DspChannelValueRecord>(18);
    const auto soloRecords = ByChannel<DspChannelValueRecord>(52);
    const auto compOnRecords = ByChannel<DspChannelValueRecord>(73);
    for (uint32_t c = 0; c < 10; ++c) {
        SCOPED_TRACE(testing::Message() << "output " << c);
        EXPECT_EQ(1u, filters.at(c).hp_type);
        EXPECT_EQ(2u, filters.at(c).lp_type);
        EXPECT_EQ(20 + 10 * c, filters.at(c).hp_freq);
        EXPECT_EQ(24u, filters.at(c).lp_slope);
        EXPECT_EQ(20000 - 1000 * c, filters.at(c).lp_freq);
        EXPECT_NEAR(delays[c], delayRecords.at(c).delay, 5e-4);
        EXPECT_FLOAT_EQ(-attenuations[c], trimRecords.at(c).trim);
        EXPECT_EQ(mutes[c], muteRecords.at(c).value);
        EXPECT_EQ(phases[c], phaseRecords.at(c).value);
        EXPECT_EQ(types[c], typeRecords.at(c).value);
        EXPECT_EQ(bypasses[c], bypassRecords.at(c).value);
        EXPECT_EQ(solos[c], soloRecords.at(c).value);
        EXPECT_EQ(compressorsOn[c], compOnRecords.at(c).value);
    }
    const auto qMode = Records<DspQFactModeRecord>(WM_DSP_VALUE, 55).at(0);
    const auto dist = Records<DspSpeakerDistRecord>(WM_DSP_VALUE, 67).at(0);
    EXPECT_EQ(0, std::memcmp(qModes, qMode.mode, 10));
    for (int c = 0; c < 10; ++c) EXPECT_EQ(distances[c], dist.dist[c]);
    const auto comp2Records = Records<DspCompressor2Record>(WM_DSP_VALUE, 74);
    ASSERT_EQ(2u, comp2Records.size());
    EXPECT_NEAR(20.5f, comp2Records[0].threshold, 1e-4);
    EXPECT_EQ(250u, comp2Records[1].attack);
    EXPECT_EQ(2300u, comp2Records[1].release);

    const auto mixes = Records<DspMixRecord>(WM_DSP_VALUE, 11);
    ASSERT_EQ(90u, mixes.size());
    for (const DspMixRecord& m : mixes) EXPECT_EQ(static_cast<uint32_t>(masks[m.channel]), m.mix);
    const auto mixTrims = Records<DspInputMixTrimRecord>(WM_DSP_VALUE, 36);
    ASSERT_EQ(9u, mixTrims.size());
    for (const auto& t : mixTrims) EXPECT_EQ(0, std::memcmp(levels, t.trim, 10)) << "source " << t.source;
    const auto cross = Records<DspCrossSourceMixRecord>(WM_DSP_VALUE, 77);
    ASSERT_EQ(9u, cross.size());
    for (const auto& x : cross) {
        EXPECT_EQ(0x51 + 8 - x.source, x.vice_source);
        EXPECT_EQ(3, x.vice_ch);
        EXPECT_EQ(1, x.ch);
    }
    EXPECT_EQ(1u, Records<DspLinkRecord>(WM_DSP_VALUE, 14).at(0).link);
    const uint8_t linkBytes[5] = {2, 0, 1, 2, 3};  // as this amplifier sends them: count, then the pairs
    EXPECT_EQ(0, std::memcmp(linkBytes, Records<DspLinkRecord>(WM_DSP_VALUE, 14).at(0).pairs, 5));
    EXPECT_EQ(2, Records<DspLinkRecord>(WM_DSP_VALUE, 14).at(0).count);
    EXPECT_EQ(0, std::memcmp(pairs, Records<DspLinkRecord>(WM_DSP_VALUE, 14).at(0).list, 4));
    const DspLinkRecord trimLink = Records<DspLinkRecord>(WM_DSP_VALUE, 48).at(0);
    EXPECT_EQ(4, trimLink.count);
    EXPECT_EQ(0, std::memcmp(trimPairs, trimLink.list, 8));
    EXPECT_EQ(1u, Records<DspChannelValueRecord>(WM_DSP_VALUE, 16).at(0).value);  // the all-bypass switch
    EXPECT_EQ(1u, Records<DspLockRecord>(WM_DSP_VALUE, 15).at(0).lock);
    const auto bridgeRecord = Records<DspOutputBridgeRecord>(WM_DSP_VALUE, 76).at(0);
    EXPECT_EQ(5, bridgeRecord.count);
    EXPECT_EQ(0, std::memcmp(bridge, bridgeRecord.bridge, 5));
    EXPECT_EQ(0, std::memcmp(levels, Records<DspInputRangeRecord>(WM_DSP_VALUE, 32).at(0).value, 10));
    EXPECT_EQ(0, std::memcmp(mutes, Records<DspInputRangeRecord>(WM_DSP_VALUE, 33).at(0).value, 10));
    EXPECT_EQ(0, std::memcmp(phases, Records<DspInputRangeRecord>(WM_DSP_VALUE, 34).at(0).value, 10));

    EXPECT_EQ(0x54, LastValue(WM_DSP_VALUE, 1));
    EXPECT_EQ(static_cast<uint8_t>(-14), LastValue(WM_DSP_VALUE, 2));  // set as attenuation 20, read in dB
    EXPECT_EQ(33, LastValue(WM_DSP_VALUE, 3));
    EXPECT_EQ(1, LastValue(WM_DSP_VALUE, 4));
    EXPECT_EQ(1, LastValue(WM_DSP_VALUE, 63));
    EXPECT_EQ(0, Records<DspRemOutRecord>(WM_DSP_VALUE, 69).at(0).rem_out1);
    EXPECT_EQ(1, Records<DspRemOutRecord>(WM_DSP_VALUE, 69).at(0).rem_out2);
    EXPECT_EQ(1, LastValue(WM_DSP_VALUE, 75));
    EXPECT_EQ(1, LastValue(WM_DSP_VALUE, 78));
    EXPECT_EQ(static_cast<uint8_t>(-45), LastValue(WM_DSP_VALUE, 38));
    EXPECT_EQ(-3, LastValue(WM_READ_MCU_VALUE, 0x92));
    EXPECT_EQ(1500, LastValue(WM_READ_MCU_VALUE, 0x91));
    const auto mem = Records<DspMemDataRecord>(WM_MEM_DATA, 66).at(0);
    EXPECT_EQ(0x00801234u, mem.address);
    EXPECT_EQ(0xDEADBEEFu, mem.data);
    EXPECT_EQ(11, LastValue(WM_KTV_VALUE, 1));
    EXPECT_EQ(12, LastValue(WM_KTV_VALUE, 2));
    EXPECT_EQ(300, LastValue(WM_KTV_VALUE, 5));
    EXPECT_EQ(-7, LastValue(WM_KTV_VALUE, 9));
    const auto pwd = Records<McuPasswordRecord>(WM_READ_MCU_VALUE, 0x0D).at(0);
    EXPECT_EQ(4u, pwd.len);
    EXPECT_EQ(0, std::memcmp("1234", pwd.password, 4));
    EXPECT_EQ(6u, pwd.remark_len);
    EXPECT_EQ(0, std::memcmp("remark", pwd.remark, 6));
}

TEST_F(EmulatedLink, ScenesAreSavedNamedReadAndDeleted) {
    const char name[16] = {'N', 'i', 'g', 'h', 't', ' ', 'd', 'r', 'i', 'v', 'e', 0, 0, 0, 0, 0};
    const float delay[1] = {3.5f};
    link.Delay_Ctrl(0, 0, 2, 2, delay, true);
    link.SetSceneName(3, name, 16);
    link.SaveScene(3, 0);
    ASSERT_EQ(1u, poster.Of(WM_FLASH_VALUE, 3).size());
    EXPECT_EQ(TestWindow(1), poster.Of(WM_FLASH_VALUE, 3)[0].window);

    const float other[1] = {9.0f};
    link.Delay_Ctrl(0, 0, 2, 2, other, true);
    link.Get_Delay(3, 0, 2, 2);  // the stored scene keeps what was saved
    link.Get_Delay(0, 0, 2, 2);
    const auto delays = Records<DspDelayRecord>(WM_DSP_VALUE, 7);
    ASSERT_EQ(2u, delays.size());
    EXPECT_EQ(3u, delays[0].scene);
    EXPECT_FLOAT_EQ(3.5f, delays[0].delay);
    EXPECT_FLOAT_EQ(9.0f, delays[1].delay);

    link.Get_SceneName(3);
    link.GetValidScene();
    link.GetSceneID();
    ASSERT_EQ(1u, poster.Of(WM_FLASH_VALUE, 11).size());
    EXPECT_EQ(2u, Records<SceneNameRecord>(WM_FLASH_VALUE, 11)[0].index);
    EXPECT_EQ(0, std::memcmp(name, Records<SceneNameRecord>(WM_FLASH_VALUE, 11)[0].name, 16));
    EXPECT_EQ(1u << 2, Records<ValidSceneRecord>(WM_FLASH_VALUE, 15)[0].mask);
    EXPECT_EQ(3, LastValue(WM_CURRENT_SCENE, 14));

    link.ReadScene(3, 0xFF);
    link.Get_Delay(0, 0, 2, 2);
    EXPECT_FLOAT_EQ(3.5f, Records<DspDelayRecord>(WM_DSP_VALUE, 7).back().delay) << "scene 3 is working again";

    link.DeleteScene(3);
    ASSERT_EQ(1u, poster.Of(WM_SCENE_DELETED, 3).size());
    link.Get_SceneName(3);
    link.GetValidScene();
    const uint8_t empty[16] = {};
    EXPECT_EQ(0, std::memcmp(empty, Records<SceneNameRecord>(WM_FLASH_VALUE, 11).back().name, 16));
    EXPECT_EQ(0u, Records<ValidSceneRecord>(WM_FLASH_VALUE, 15).back().mask);
}

TEST_F(EmulatedLink, LostCorruptAndOversizedRepliesCostOnlyThemselves) {
    amp.AddFault({AmpFault::NoReply, 1, 0x04});
    link.Get_Mute();
    link.Get_Source();
    EXPECT_TRUE(poster.Of(WM_DSP_VALUE, 4).empty());
    EXPECT_EQ(0x51, LastValue(WM_DSP_VALUE, 1)) << "the next request reads its own reply";

    for (AmpFault fault : {AmpFault::BadChecksum, AmpFault::LengthZero, AmpFault::LengthTooLong}) {
        poster.Clear();
        amp.AddFault({fault, 1, 0x04});
        link.Get_Mute();
        link.Get_Source();
        link.Get_Noise_Gate();
        EXPECT_TRUE(poster.Of(WM_DSP_VALUE, 4).empty()) << static_cast<int>(fault);
        EXPECT_EQ(1u, poster.Of(WM_DSP_VALUE, 1).size()) << static_cast<int>(fault);
        EXPECT_EQ(1u, poster.Of(WM_DSP_VALUE, 78).size()) << static_cast<int>(fault);
    }
}

TEST_F(EmulatedLink, SplitLateAndExtraFramesAreDecodedOnceEach) {
    // A frame that runs to the end of one report and on into the next completes on the second read.
    wire.beforeNextWrite = [&] { amp.Inject(Bytes(60, 0x00), AmpInject::BeforeNextReply); };
    amp.AddFault({AmpFault::Split, 1, 0x04, -1, 0, 1, 4});
    link.Get_Mute();
    EXPECT_TRUE(poster.Of(WM_DSP_VALUE, 4).empty()) << "half a frame decodes nothing yet";
    link.Get_Source();
    EXPECT_EQ(1u, poster.Of(WM_DSP_VALUE, 4).size()) << "completed by the next report";
    EXPECT_EQ(1u, poster.Of(WM_DSP_VALUE, 1).size());

    // Cut in the middle of a report, the rest of that report is padding the frame cannot be told from:
    // the frame is lost, and only it.
    poster.Clear();
    amp.AddFault({AmpFault::Split, 1, 0x04});
    link.Get_Mute();
    link.Get_Source();
    link.Get_Noise_Gate();
    EXPECT_TRUE(poster.Of(WM_DSP_VALUE, 4).empty());
    EXPECT_EQ(1u, poster.Of(WM_DSP_VALUE, 1).size());
    EXPECT_EQ(1u, poster.Of(WM_DSP_VALUE, 78).size());

    // A late reply is decoded (before the next request goes out) and shifts nothing: each later request
    // still reads its own reply within its own call.
    poster.Clear();
    amp.AddFault({AmpFault::Late, 1, 0x03});
    link.Get_Subwoofer_Volume();
    EXPECT_TRUE(poster.Of(WM_DSP_VALUE, 3).empty());
    EXPECT_EQ(1, amp.PendingReports());
    link.Get_Mute();
    EXPECT_EQ(0, amp.PendingReports()) << "the mute reply was read by its own call";
    const auto posts = poster.Posts();
    ASSERT_EQ(2u, posts.size());
    EXPECT_EQ(3u, posts[0].wParam) << "the late reply first";
    EXPECT_EQ(4u, posts[1].wParam);
    link.Get_Source();
    link.Get_Noise_Gate();
    EXPECT_EQ(1u, poster.Of(WM_DSP_VALUE, 1).size());
    EXPECT_EQ(1u, poster.Of(WM_DSP_VALUE, 78).size());
    EXPECT_EQ(0, amp.PendingReports());

    // The amplifier's own news rides in the report of a reply: two frames, both decoded.
    poster.Clear();
    amp.Inject(ReplyBytes(1, {0x46, 0xDD, 0x00}), AmpInject::WithNextReply);
    link.Get_Mute();
    EXPECT_EQ(1u, poster.Of(WM_DSP_VALUE, 4).size());
    EXPECT_EQ(0, LastValue(WM_DSP_VALUE, 70));
}

TEST_F(EmulatedLink, DeviceStringsUnplugAndReplug) {
    link.CloseHIDDevice(false);
    amp.SetFailingStrings(3);
    link.OpenHIDDevice();
    EXPECT_FALSE(link.IsConnected());
    amp.SetFailingStrings(2);
    link.OpenHIDDevice();
    EXPECT_TRUE(link.IsConnected());

    amp.Unplug();
    const uint32_t unpluggedAt = clock.NowMs();
    link.Get_Mute();
    link.Get_Source();
    EXPECT_LT(clock.NowMs() - unpluggedAt, 10u) << "both requests failed at once, without waiting out a reply";
    EXPECT_TRUE(poster.Posts().empty());
    EXPECT_TRUE(link.IsLinkFailed());
    link.CloseHIDDevice(true);
    link.OpenHIDDevice();
    EXPECT_FALSE(link.IsConnected());
    amp.Replug();
    link.OpenHIDDevice();
    ASSERT_TRUE(link.IsConnected());
    EXPECT_FALSE(link.IsLinkFailed()) << "the new handle starts afresh";
    link.Get_Mute();
    EXPECT_EQ(1u, poster.Of(WM_DSP_VALUE, 4).size());
    EXPECT_EQ(0, amp.Counters().closedHandleUses);
}

}  // namespace

namespace {

// The whole-configuration read that follows a connect, request by request in the tuning controller's
// order; false when the handshake failed, where the controller stops.
bool ReadAll(DeviceLink& link) {
    link.PC_Connect(1);
    if (!link.Hand_Connect()) return false;
    link.Get_Source();
    link.Get_Main_Volume();
    link.Get_Acc();
    link.Get_Subwoofer_Volume();
    link.Get_Mute();
    link.Get_Amp_Mute();
    link.Get_Rem_Out();
    link.Get_Spk_Ohm();
    link.Get_Noise_Gate();
    link.Get_Speaker_Config();
    link.GetValidScene();
    link.Get_Delay(0, 0, 0, 9);
    link.Get_CH_Type(0, 0, 0, 9);
    link.Get_Ch_Solo(0, 0, 0, 9);
    link.Get_CH_Link(0);
    link.Get_CH_Lock(0);
    for (uint8_t first : {0, 4, 8}) link.Get_Filter(0, 0, first, static_cast<uint8_t>(first + 3));
    link.Get_PEQ_Bypass(0, 0, 0, 9);
    for (uint8_t output = 0; output < 10; ++output) {
        const int bands = output < 4 ? 21 : 11;
        for (int first = 0; first < bands; first += 8) {
            link.Get_EQ(0, 0, output, static_cast<uint8_t>(first), static_cast<uint8_t>(std::min(first + 7, bands - 1)));
        }
    }
    link.Get_Trim(0, 0, 0, 9);
    link.Get_Mute_Ch(0, 0, 0, 9);
    link.Get_Phase(0, 0, 0, 9);
    for (uint8_t source = 0; source < 9; ++source) link.Get_Mix_Ch(0, source, 0, 9);
    for (uint8_t source = 0; source < 9; ++source) {
        for (uint8_t input = 0; input < 2; ++input) link.Get_Input_Mix_CH_Trim(0, source, input, 0, 9);
    }
    for (uint8_t source = 0; source < 9; ++source) {
        for (uint8_t k = 0; k < 2; ++k) link.Get_Cross_Source_Mix_CS47048(0, source, k);
    }
    for (uint8_t id = 1; id <= 10; ++id) link.Get_SceneName(id);
    link.Get_Ouput_Bridge(0, 0, 5);
    return true;
}

// Counts the reports the link hands to the device.
class WriteCounter final : public ForwardingHidBackend {
public:
    using ForwardingHidBackend::ForwardingHidBackend;
    std::atomic<int> writes{0};
    int Write(HidHandle* dev, const uint8_t* data, size_t length) override {
        ++writes;
        return mInner.Write(dev, data, length);
    }
};

// Real time throughout: the emulator's reads wait for their reply and the link runs on the system clock,
// so a stall shows as time actually spent.
TEST(UnplugDuringReadAll, EveryStageEndsPromptlyAndLeavesTheLinkFailed) {
    int requests = 0;
    {
        AmpEmulator amp;
        CapturingPoster poster;
        DeviceLink link(DeviceLinkSeams{&amp, nullptr, &poster});
        link.OpenHIDDevice();
        ASSERT_TRUE(ReadAll(link));
        requests = amp.Counters().requests;
        EXPECT_FALSE(link.IsLinkFailed());
    }
    ASSERT_GT(requests, 100);

    constexpr long long kPromptMs = 1000;  // an undisturbed read-all takes a few ms
    for (int stage = 0; stage < requests; ++stage) {
        SCOPED_TRACE(testing::Message() << "unplugged on request " << stage);
        AmpEmulator amp;
        amp.SetRealTime(true);
        WriteCounter wire(amp);
        CapturingPoster poster;
        DeviceLink link(DeviceLinkSeams{&wire, nullptr, &poster});
        link.SetDeviceProfile(94, 10, 10, 0, 0);
        link.mReplyWnd[DeviceLink::kMainWnd] = TestWindow(0);
        link.OpenHIDDevice();
        ASSERT_TRUE(link.IsConnected());
        amp.AddFault({AmpFault::Vanish, 0, -1, -1, stage, 1});

        const auto start = std::chrono::steady_clock::now();
        const bool handshake = ReadAll(link);
        const auto tookMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        ASSERT_LT(tookMs, kPromptMs) << "the rest of the read-all waited for a device that had gone";
        EXPECT_EQ(stage >= 2, handshake) << "the handshake fails when the device goes before answering it";
        EXPECT_TRUE(link.IsLinkFailed());
        EXPECT_EQ(stage + 1, wire.writes.load()) << "nothing is written once the device is known gone";
    }
}

}  // namespace

// The command-line driver after a command that restarts the amplifier: the request that finds it gone
// says so, the driver opens it again, and the lines after that reach it.
TEST(DriverAgainstEmulator, ReopensTheAmplifierAfterItsFactoryReset) {
    AmpEmulator amp;
    CapturingPoster poster;
    DeviceLink link{DeviceLinkSeams{&amp, nullptr, &poster}};
    link.SetDeviceProfile(94, 10, 10, 0, 0);
    link.OpenHIDDevice();
    ASSERT_TRUE(link.IsConnected());
    link.EnableCmdQueue();

    EXPECT_EQ(RunDriverLineOnDevice(link, "MCU_Factory_Default", 1000, 1000), "");
    EXPECT_EQ(amp.Counters().restarts, 1);
    const std::string failed = RunDriverLineOnDevice(link, "Get_Trim [0,0,0,9]", 1000, 1000);
    EXPECT_NE(failed.find("error: the request failed"), std::string::npos) << failed;
    EXPECT_NE(failed.find("open again"), std::string::npos) << failed;
    EXPECT_EQ(amp.Counters().opens, 2);

    amp.ClearRequests();
    EXPECT_EQ(RunDriverLineOnDevice(link, "Trim_Ctrl [0,0,3,3,[4],false]", 1000, 1000), "");
    EXPECT_EQ(RunDriverLineOnDevice(link, "Get_Trim [0,0,0,9]", 1000, 1000), "");
    EXPECT_EQ(amp.Requests().size(), 2u);
    EXPECT_EQ(amp.State().scenes[0].outputs[3].trim[0], 4);
}
