// Reply decoders: the records and values posted for ordinary replies, the windows they go to, the
// link fields they move, and hostile replies that try to push reads and writes past frame or record.
#include "device/DeviceMessages.h"
#include "device/DeviceTestSupport.h"
#include "device/FixedPoint.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

class ReplyDecoders : public ::testing::Test {
protected:
    LinkFixture f;

    void Dsp(const Bytes& data) { f.Feed(ReplyBytes(1, data)); }
    void Flash(const Bytes& data) { f.Feed(ReplyBytes(2, data)); }
    void Mcu(const Bytes& data) { f.Feed(ReplyBytes(3, data)); }
    void Ktv(const Bytes& data) { f.Feed(ReplyBytes(7, data)); }
};

TEST_F(ReplyDecoders, PerChannelRecordsCarryTheirScaledValues) {
    Dsp({0x08, 0xDD, 0x00, 0x00, 0x02, 0x04, 0xFA, 0x00, 0x05});
    auto trims = f.poster.Of(WM_DSP_VALUE, 8);
    ASSERT_EQ(3u, trims.size());
    const float expected[] = {-6, 0, 5};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(TestWindow(0), trims[i].window);
        EXPECT_EQ(2u + i, trims[i].As<DspTrimRecord>().channel);
        EXPECT_FLOAT_EQ(expected[i], trims[i].As<DspTrimRecord>().trim);
    }

    f.link.SetDeviceProfile(94, 10, 10, 1, 0);  // two-byte trims arrive as attenuations
    Dsp({0x08, 0xDD, 0x01, 0x00, 0x00, 0x01, 0x03, 0x32, 0x00, 0x05});
    trims = f.poster.Of(WM_DSP_VALUE, 8);
    ASSERT_EQ(5u, trims.size());
    EXPECT_EQ(1u, trims[3].As<DspTrimRecord>().scene);
    EXPECT_FLOAT_EQ(-3.5f, trims[3].As<DspTrimRecord>().trim);
    EXPECT_FLOAT_EQ(-0.05f, trims[4].As<DspTrimRecord>().trim);

    Dsp({0x07, 0xDD, 0x00, 0x00, 0x03, 0x03, 0x04, 0x00, 0x64});
    ASSERT_EQ(1u, f.poster.Of(WM_DSP_VALUE, 7).size());
    EXPECT_FLOAT_EQ(4.1f, f.poster.Of(WM_DSP_VALUE, 7)[0].As<DspDelayRecord>().delay);

    Dsp({0x0B, 0xDD, 0x00, 0x02, 0x00, 0x01, 0x03, 0x01, 0x00, 0x04});
    const auto mix = f.poster.Of(WM_DSP_VALUE, 11);
    ASSERT_EQ(2u, mix.size());
    EXPECT_EQ(2u, mix[0].As<DspMixRecord>().source);
    EXPECT_EQ(0x0301u, mix[0].As<DspMixRecord>().mix);
    EXPECT_EQ(0x0004u, mix[1].As<DspMixRecord>().mix);
}

TEST_F(ReplyDecoders, FilterRangePostsOneRecordPerChannelInOrder) {
    Bytes data{0x05, 0xDD, 0x00, 0x00, 0x00, 0x02};
    for (uint8_t c = 0; c < 3; ++c) {
        const Bytes filter{static_cast<uint8_t>(c + 1), 0x00, 0x50, 24, 2, 0x4E, 0x20, 12};
        data.insert(data.end(), filter.begin(), filter.end());
    }
    Dsp(data);
    const auto filters = f.poster.Of(WM_DSP_VALUE, 5);
    ASSERT_EQ(3u, filters.size());
    for (uint32_t c = 0; c < 3; ++c) {
        const auto& r = filters[c].As<DspFilterRecord>();
        EXPECT_EQ(c, r.channel);
        EXPECT_EQ(c + 1, r.hp_type);
        EXPECT_EQ(80u, r.hp_freq);
        EXPECT_EQ(24u, r.hp_slope);
        EXPECT_EQ(2u, r.lp_type);
        EXPECT_EQ(20000u, r.lp_freq);
        EXPECT_EQ(12u, r.lp_slope);
    }
}

TEST_F(ReplyDecoders, EqBandsDecodeQHundredthsAndGainOffset) {
    Dsp({0x06, 0xDD, 0x00, 0x00, 0x01, 0x05, 0x06, 0x03, 0xE8, 0x01, 0x29, 0x12, 0x05, 0x00, 0x64, 0x00, 0x46, 0x0C,
         0x00});
    const auto bands = f.poster.Of(WM_DSP_VALUE, 6);
    ASSERT_EQ(2u, bands.size());
    const auto& b5 = bands[0].As<DspEqRecord>();
    EXPECT_EQ(1u, b5.channel);
    EXPECT_EQ(5u, b5.band);
    EXPECT_EQ(1000u, b5.freq);
    EXPECT_FLOAT_EQ(1.41f, b5.q);
    EXPECT_FLOAT_EQ(0.5f, b5.gain);
    EXPECT_FLOAT_EQ(0.70f, bands[1].As<DspEqRecord>().q);
    EXPECT_FLOAT_EQ(-6.0f, bands[1].As<DspEqRecord>().gain);
}

TEST_F(ReplyDecoders, RepliesGoToTheirWindows) {
    Dsp({0x27, 0xDD, 0x00, 0x01, 0x3C, 0x05, 0x32, 0x00});
    auto noise = f.poster.Of(WM_DSP_VALUE, 39);
    ASSERT_EQ(1u, noise.size());
    EXPECT_EQ(TestWindow(3), noise[0].window);
    EXPECT_FLOAT_EQ(-39.5f, noise[0].As<DspInputNoiseRecord>().level[0]);
    EXPECT_FLOAT_EQ(-50.0f, noise[0].As<DspInputNoiseRecord>().level[1]);
    f.link.SetDeviceProfile(94, 10, 10, 0, 1);
    Dsp({0x27, 0xDD, 0x00, 0x00, 0x3C, 0x05});
    EXPECT_EQ(TestWindow(0), f.poster.Of(WM_DSP_VALUE, 39).back().window);

    Dsp({0x42, 0xDD, 0x78, 0x56, 0x34, 0x12, 0xBE, 0xBA, 0xFE, 0xCA});
    const auto mem = f.poster.Of(WM_MEM_DATA, 66);
    ASSERT_EQ(1u, mem.size());
    EXPECT_EQ(TestWindow(4), mem[0].window);
    EXPECT_EQ(0x12345678u, mem[0].As<DspMemDataRecord>().address);
    EXPECT_EQ(0xCAFEBABEu, mem[0].As<DspMemDataRecord>().data);

    Flash({0x08, 0xEE, 0x0A, 0x03});
    Flash({0x0A, 0xEE, 0x0A, 0x04});
    Flash({0x0E, 0xDD, 0x05});
    ASSERT_EQ(1u, f.poster.Of(WM_FLASH_VALUE, 3).size());
    EXPECT_EQ(TestWindow(1), f.poster.Of(WM_FLASH_VALUE, 3)[0].window);
    EXPECT_EQ(0, f.poster.Of(WM_FLASH_VALUE, 3)[0].lParam);
    ASSERT_EQ(1u, f.poster.Of(WM_SCENE_DELETED, 4).size());
    EXPECT_EQ(TestWindow(1), f.poster.Of(WM_SCENE_DELETED, 4)[0].window);
    ASSERT_EQ(1u, f.poster.Of(WM_CURRENT_SCENE, 14).size());
    EXPECT_EQ(5, f.poster.Of(WM_CURRENT_SCENE, 14)[0].lParam);

    Dsp({0x13, 0xDD, 0x0B, 0x00, 0x00, 0x00, 0x09});  // calibration failed with an unknown code
    EXPECT_TRUE(f.poster.Of(WM_IRC_STATUS).empty());
    Dsp({0x13, 0xDD, 0x0B, 0x00, 0x00, 0x00, 0x02});
    Dsp({0x13, 0xDD, 0x07, 0x04, 0x00, 0x20});
    const auto status = f.poster.Of(WM_IRC_STATUS);
    ASSERT_EQ(2u, status.size());
    EXPECT_EQ(TestWindow(2), status[0].window);
    EXPECT_EQ(11u, status[0].wParam);
    EXPECT_EQ(2, status[0].lParam);
    EXPECT_EQ(7u, status[1].wParam);
    EXPECT_EQ(4, status[1].lParam) << "spectrum ready carries the channel";
    Dsp({0x13, 0xDD, 0x0D, 0x03, 0x00, 0x20});  // 13: not a status the window knows
    Dsp({0x13, 0xDD, 0x0E, 0x06, 0x00, 0x30});  // 14: distance of channel 6 ready
    const auto more = f.poster.Of(WM_IRC_STATUS);
    ASSERT_EQ(3u, more.size());
    EXPECT_EQ(14u, more[2].wParam);
    EXPECT_EQ(6, more[2].lParam) << "distance ready carries the channel";
}

TEST_F(ReplyDecoders, CalibrationResultsDecodeSignedSpectrumAndEq) {
    Dsp({0x1A, 0xDD, 0x02, 0x00, 0x00, 0x03, 0xE8, 0x32, 0xFB, 0xCE});
    const auto spectrum = f.poster.Of(WM_IRC_STATUS, 0x1A);
    ASSERT_EQ(1u, spectrum.size());
    EXPECT_FLOAT_EQ(1000.5f, spectrum[0].As<IrcSpectrumRecord>().freq);
    EXPECT_FLOAT_EQ(-5.5f, spectrum[0].As<IrcSpectrumRecord>().gain);
    Dsp({0x14, 0xDD, 0x01, 0x02, 0x01, 0x32, 0x02, 0x05});
    const auto distance = f.poster.Of(WM_IRC_STATUS, 0x14);
    ASSERT_EQ(2u, distance.size());
    EXPECT_FLOAT_EQ(1.5f, distance[0].As<IrcDistanceRecord>().distance);
    EXPECT_EQ(2u, distance[1].As<IrcDistanceRecord>().channel);
}

TEST_F(ReplyDecoders, HandshakeSetsIdentityAndAbnormalStateLeavesItAlone) {
    Mcu({0x08, 0xDD, 0x00, 0x5E, 0x01, 0x13});
    EXPECT_EQ(94, f.link.mModel);
    EXPECT_EQ(1, f.link.mHandshakeOk);
    const auto hs = f.poster.Of(WM_READ_MCU_VALUE, 8);
    ASSERT_EQ(1u, hs.size());
    EXPECT_EQ(94u, hs[0].As<McuHandshakeRecord>().model);
    EXPECT_EQ(1u, hs[0].As<McuHandshakeRecord>().master_version);
    EXPECT_EQ(19u, hs[0].As<McuHandshakeRecord>().slave_version);

    Mcu({0x08, 0xDD, 0xF0, 0x33, 0x02, 0x00});
    EXPECT_EQ(94, f.link.mModel);
    EXPECT_EQ(0, f.link.mHandshakeOk);
    ASSERT_EQ(1u, f.poster.Of(WM_DEVICE_ABNORMAL).size());

    Mcu({0x08, 0xDD, 0x00, 0x5E, 0x01, 0x13});
    Mcu({0x93, 0xDD});
    EXPECT_EQ(0, f.link.mHandshakeOk) << "a ping reply comes from the upgrade mode";
    EXPECT_EQ(1u, f.poster.Of(WM_READ_MCU_VALUE, 0x93).size());

    Mcu({0x92, 0xDD, 0xF6});
    EXPECT_EQ(-10, f.poster.Of(WM_READ_MCU_VALUE, 0x92)[0].lParam);
    Mcu({0x91, 0xDD, 0x05, 0xDC});
    EXPECT_EQ(1500, f.poster.Of(WM_READ_MCU_VALUE, 0x91)[0].lParam);
    Ktv({0x09, 0xDD, 0xF6});
    Ktv({0x05, 0xDD, 0x01, 0xF4});
    EXPECT_EQ(-10, f.poster.Of(WM_KTV_VALUE, 9)[0].lParam);
    EXPECT_EQ(500, f.poster.Of(WM_KTV_VALUE, 5)[0].lParam);
}

TEST_F(ReplyDecoders, ErasedSceneNamesReadEmptyAndSceneZeroHasNoName) {
    Bytes sceneZero{0x0B, 0xDD, 0x00};
    sceneZero.resize(19, 'Z');
    Flash(sceneZero);
    EXPECT_TRUE(f.poster.Of(WM_FLASH_VALUE, 11).empty()) << "scenes count from 1: no slot before the first";

    Bytes erased{0x0B, 0xDD, 0x03};
    erased.resize(19, 0xFF);
    Flash(erased);
    Bytes named{0x0B, 0xDD, 0x04};
    named.resize(19, 0xFF);
    named[3] = 'A' + 1;  // one even byte: a real name
    Flash(named);
    const auto names = f.poster.Of(WM_FLASH_VALUE, 11);
    ASSERT_EQ(2u, names.size());
    EXPECT_EQ(TestWindow(0), names[0].window);
    EXPECT_EQ(2u, names[0].As<SceneNameRecord>().index);
    const uint8_t zeros[16] = {};
    EXPECT_EQ(0, std::memcmp(zeros, names[0].As<SceneNameRecord>().name, 16));
    EXPECT_EQ('B', names[1].As<SceneNameRecord>().name[0]);
    EXPECT_EQ(0xFF, names[1].As<SceneNameRecord>().name[15]);

    Flash({0x0F, 0xDD, 0x02, 0x05});
    EXPECT_EQ(0x0205u, f.poster.Of(WM_FLASH_VALUE, 15)[0].As<ValidSceneRecord>().mask);
}

TEST_F(ReplyDecoders, UpgradeAcknowledgementsMoveOnlyFromTheStateTheyAnswer) {
    f.link.mUpgState = UPG_READY_FOR_DATA;
    Mcu({0x03, 0xEE, 0x0A});
    EXPECT_EQ(UPG_READY_FOR_DATA, f.link.mUpgState) << "a data ack with no chunk outstanding changes nothing";
    f.link.mUpgState = UPG_WAITING_BIN_DATA_ACK;
    Mcu({0x03, 0xEE, 0x60});
    EXPECT_EQ(1, f.link.mUpgIoPhase);
    EXPECT_EQ(UPG_WAITING_BIN_DATA_ACK, f.link.mUpgState);
    Mcu({0x03, 0xEE, 0x0A});
    EXPECT_EQ(UPG_READY_FOR_DATA, f.link.mUpgState);

    f.link.mUpgState = UPG_PARSING;
    Mcu({0x01, 0xEE, 0x0A});
    EXPECT_EQ(UPG_START, f.link.mUpgState);
    Flash({0x02, 0xEE, 0x0A});
    EXPECT_EQ(UPG_ERASED, f.link.mUpgState);
    Flash({0x03, 0xEE, 0x0A});
    EXPECT_EQ(UPG_ERASED, f.link.mUpgState) << "flash start is acknowledged only in the started state";
    Mcu({0x02, 0xEE, 0x60});
    Flash({0x02, 0xEE, 0x60});
    Flash({0x03, 0xEE, 0x60});
    EXPECT_EQ(UPG_ERASED, f.link.mUpgState) << "a refusal answers only the started state";

    // Start acknowledgements that come late or stray.
    struct StartAckCase {
        uint32_t state;
        bool mcu;
        uint8_t status;
        uint32_t after;
    };
    const StartAckCase cases[] = {
        {UPG_IDLE, true, 0x0A, UPG_IDLE},
        {UPG_IDLE, true, 0x60, UPG_IDLE},
        {UPG_IDLE, false, 0x0A, UPG_IDLE},
        {UPG_WAITING_BIN_DATA_ACK, true, 0x0A, UPG_WAITING_BIN_DATA_ACK},
        {UPG_WAITING_BIN_DATA_ACK, false, 0x0A, UPG_WAITING_BIN_DATA_ACK},
        {UPG_WAITING_BIN_DATA_ACK, true, 0x60, UPG_WAITING_BIN_DATA_ACK},
        {UPG_FINISH, true, 0x60, UPG_FINISH},
        {UPG_START, true, 0x0A, UPG_READY_FOR_DATA},
        {UPG_START, true, 0x60, UPG_FAILED},
        {UPG_START, false, 0x0A, UPG_READY_FOR_DATA},
        {UPG_START, false, 0x60, UPG_FAILED},
    };
    for (const StartAckCase& c : cases) {
        f.link.mUpgState = c.state;
        if (c.mcu) {
            Mcu({0x02, 0xEE, c.status});
            Mcu({0xA1, 0xEE, c.status});  // the bootloader's start, acknowledged the same way
        } else {
            Flash({0x03, 0xEE, c.status});
        }
        EXPECT_EQ(c.after, f.link.mUpgState) << "state " << c.state << (c.mcu ? " mcu" : " flash") << " status "
                                             << int(c.status);
    }
    f.link.mUpgState = UPG_IDLE;
    Mcu({0x0C, 0xDD, 0x07});
    EXPECT_EQ(7, f.link.mBootloaderVersion);
}

// ---- Hostile replies ----

TEST_F(ReplyDecoders, IndexedRecordsNeverRunPastTheirSixteenChannels) {
    Bytes noise{0x27, 0xDD, 0x00, 0xFF};
    for (int i = 0; i < 28; ++i) noise.insert(noise.end(), {0x3C, 0x00});  // as many as the frame holds
    Dsp(noise);
    const auto& r = f.poster.Of(WM_DSP_VALUE, 39).at(0).As<DspInputNoiseRecord>();
    EXPECT_EQ(0u, r.first);
    EXPECT_EQ(15u, r.last) << "the header names only what the record holds";
    EXPECT_FLOAT_EQ(-40.0f, r.level[15]);

    Dsp({0x20, 0xDD, 0x00, 0x00, 0x00, 0xFF, 0x01, 0x02, 0x03});
    const auto& trim = f.poster.Of(WM_DSP_VALUE, 32).at(0).As<DspInputRangeRecord>();
    EXPECT_EQ(2u, trim.last) << "only the three values the frame carries";
    EXPECT_EQ(3, trim.value[2]);
    EXPECT_EQ(0, trim.value[3]);

    Dsp({0x21, 0xDD, 0x00, 0x00, 0x14, 0x19, 1, 1, 1, 1, 1, 1});
    const auto& outside = f.poster.Of(WM_DSP_VALUE, 33).at(0).As<DspInputRangeRecord>();
    EXPECT_LT(outside.last, outside.first) << "channels 20..25 lie outside the record: header only";

    Dsp({0x37, 0xDD, 0x00, 0x00, 0x00, 0xFF, 1, 2});
    EXPECT_EQ(1, f.poster.Of(WM_DSP_VALUE, 55).at(0).As<DspQFactModeRecord>().last);

    Bytes mixTrim{0x24, 0xDD, 0, 0, 1, 0x00, 0xFF};
    mixTrim.resize(60, 7);
    Dsp(mixTrim);
    const auto& levels = f.poster.Of(WM_DSP_VALUE, 36).at(0).As<DspInputMixTrimRecord>();
    EXPECT_EQ(15u, levels.out_last);
    EXPECT_EQ(7, levels.trim[15]);
}

TEST_F(ReplyDecoders, LengthsFromTheDeviceAreBoundedByFrameAndRecord) {
    Bytes password{0x0D, 0xDD, 200};
    password.resize(30, 'p');
    Mcu(password);
    const auto& pwd = f.poster.Of(WM_READ_MCU_VALUE, 0x0D).at(0).As<McuPasswordRecord>();
    EXPECT_EQ(16u, pwd.len);
    EXPECT_EQ(0u, pwd.remark_len) << "the remark would start past the frame";

    Mcu({0x0D, 0xDD, 2, 'a', 'b', 40, 'r', 'e', 'm'});
    const auto& pwd2 = f.poster.Of(WM_READ_MCU_VALUE, 0x0D).at(1).As<McuPasswordRecord>();
    EXPECT_EQ(2u, pwd2.len);
    EXPECT_EQ(3u, pwd2.remark_len);
    EXPECT_EQ('m', pwd2.remark[2]);

    Mcu({0x41, 0xDD, 100, 1, 2, 3});
    EXPECT_EQ(3, f.poster.Of(WM_READ_MCU_VALUE, 0x41).at(0).As<Mcu0x41Record>().len);

    Bytes bridge{0x4C, 0xDD, 0, 0, 40};
    bridge.resize(60, 1);
    Dsp(bridge);
    EXPECT_EQ(20, f.poster.Of(WM_DSP_VALUE, 76).at(0).As<DspOutputBridgeRecord>().count);

    Dsp({0x05, 0xDD, 0x00, 0x00, 0x00, 0xFF, 1, 0, 80, 24, 2, 0x4E, 0x20, 12, 1, 0, 80});
    EXPECT_EQ(1u, f.poster.Of(WM_DSP_VALUE, 5).size()) << "only whole items inside the frame";

    Bytes compressor{0x3E, 0xDD, 0, 0, 0x00, 0xFF};
    compressor.resize(17, 1);
    Dsp(compressor);
    EXPECT_EQ(16u, f.poster.Of(WM_DSP_VALUE, 62).size());
}

TEST_F(ReplyDecoders, FramesTooShortForTheirFieldsPostNothing) {
    f.Feed({0xAA, 0x55, 0x02, 0x01, 0x05, 0xF8});  // a DSP frame with no optype
    Flash({0x0B, 0xDD, 0x03});                      // a scene name without its 16 bytes
    Mcu({0x08, 0xDD, 0x00, 0x5E});                  // a handshake without versions
    Dsp({0x42, 0xDD, 0x78, 0x56});                  // a memory word cut short
    Dsp({0x02, 0xDD});                              // a volume without its value
    EXPECT_TRUE(f.poster.Posts().empty());
    EXPECT_EQ(-1, f.link.mModel);
}

TEST_F(ReplyDecoders, AFailedPostLeavesTheLinkWorking) {
    f.poster.accept = false;  // every record must be freed by the link
    for (int i = 0; i < 100; ++i) Dsp({0x05, 0xDD, 0, 0, 0, 2, 1, 0, 80, 24, 2, 0x4E, 0x20, 12});
    f.poster.accept = true;
    Dsp({0x04, 0xDD, 1});
    EXPECT_EQ(1u, f.poster.Posts().size());
}

// ---- Values read back and sent again ----

// One field, over every value its encoder can write (a whole byte and its fraction digits): the bytes the
// amplifier holds (built here), its answer carrying them, and the decoded value encoded again, by the
// setter that sends it or, for values only shown, by the protocol's own encoding.
using Posted = CapturingPoster::Posted;
struct ReadBackField {
    const char* name;
    int first, last, step;
    std::function<Bytes(int)> held;
    std::function<Bytes(const Bytes&)> reply;
    std::function<Bytes(DeviceLink&, const Posted&)> resend;
};
void PrintTo(const ReadBackField& field, std::ostream* out) { *out << field.name; }

Bytes gSent;  // the payload of the last request written
Bytes Slice(const Bytes& b, size_t at, size_t count) { return Bytes(b.begin() + at, b.begin() + at + count); }
Bytes Sent(size_t at, size_t count) { return Slice(gSent, at, count); }
Bytes Digits(int value, int scale) { return {uint8_t(value / scale), uint8_t(value % scale)}; }
Bytes Pair(FixedBytes b) { return {b.whole, b.fraction}; }
Bytes Cat(Bytes a, const Bytes& b) { return a.insert(a.end(), b.begin(), b.end()), a; }

// A band of output 1, band 5, 1000 Hz: Q whole and hundredths, then gain + 18 dB whole and tenths.
Bytes Band(uint8_t sub, const Bytes& q, const Bytes& gain) {
    const Bytes head = sub == 0x16 ? Bytes{sub, 0xDD, 1, 5, 5} : Bytes{sub, 0xDD, 0, 0, 1, 5, 5};
    return Cat(Cat(Cat(head, {0x03, 0xE8}), q), gain);
}
Bytes ResendBand(DeviceLink& l, const Posted& p) {
    const auto& r = p.As<DspEqRecord>();
    l.EQ_Ctrl(0, 0, 1, 5, static_cast<uint16_t>(r.freq), r.q, r.gain, true);
    return Sent(6, 4);
}
// Output 3's compressor: bypass, threshold + 100, ratio, soft knee, attack 50 ms, release 300 ms.
Bytes Compressor(const Bytes& thr, const Bytes& ratio, const Bytes& knee) {
    return Cat(Cat(Cat(Cat(Bytes{0x3E, 0xDD, 0, 0, 3, 3, 1}, thr), ratio), knee), {0, 50, 1, 44});
}
Bytes ResendCompressor(DeviceLink& l, const Posted& p) {
    const auto& r = p.As<DspCompressorRecord>();
    l.Compressor_Ctrl(0, 0, 3, 1, r.noise, r.ratio, r.attack, r.release, r.soft_knee, true);
    return Sent(4, 6);
}
// Output 3's second compressor form: threshold whole and tenths, attack 50 ms, release seconds and tenths.
Bytes Compressor2(const Bytes& thr, const Bytes& release) {
    return Cat(Cat(Bytes{0x4A, 0xDD, 0, 0, 3, 3}, thr), Cat({0, 50}, release));
}
Bytes ResendCompressor2(DeviceLink& l, const Posted& p) {
    const auto& r = p.As<DspCompressor2Record>();
    const Compressor2Setting setting{r.threshold, static_cast<int32_t>(r.attack), static_cast<int32_t>(r.release)};
    l.Compressor_Ctrl2(0, 0, 3, 3, &setting, true);
    return Cat(Sent(4, 2), Sent(8, 2));
}

const Bytes kQ{1, 40}, kGain{18, 0}, kThr{164, 5}, kRatio{4, 0}, kKnee{2, 5}, kRelease{0, 3};

std::vector<ReadBackField> ReadBackFields() {
    return {
        {"EqGain", -180, 2379, 1, [](int v) { return Digits(v + 180, 10); },
         [](const Bytes& h) { return Band(0x06, kQ, h); },
         [](DeviceLink& l, const Posted& p) { return Slice(ResendBand(l, p), 2, 2); }},
        {"EqQ", 0, 2559, 1, [](int v) { return Digits(v, 10); },
         [](const Bytes& h) { return Band(0x06, {h[0], uint8_t(h[1] * 10)}, kGain); },  // answered in hundredths
         [](DeviceLink& l, const Posted& p) { return Slice(ResendBand(l, p), 0, 2); }},
        {"InputEqGain", -180, 2379, 1, [](int v) { return Digits(v + 180, 10); },
         [](const Bytes& h) { return Band(0x23, kQ, h); },
         [](DeviceLink& l, const Posted& p) {
             const auto& r = p.As<DspEqRecord>();
             const uint16_t freq = static_cast<uint16_t>(r.freq);
             l.Input_EQ_Ctrl(0, 0, 1, 5, 5, &freq, &r.q, &r.gain, true);
             return Sent(9, 2);
         }},
        {"CalibrationEqGain", -180, 2379, 1, [](int v) { return Digits(v + 180, 10); },
         [](const Bytes& h) { return Band(0x16, kQ, h); },
         [](DeviceLink& l, const Posted& p) {
             const auto& r = p.As<IrcEqRecord>();
             l.EQ_Ctrl(0, 0, 1, 5, static_cast<uint16_t>(r.freq), r.q, r.gain, true);
             return Sent(8, 2);
         }},
        {"Delay", 0, 255999, 1,  // whole ms, then microseconds big-endian
         [](int v) { return Bytes{uint8_t(v / 1000), uint8_t(v % 1000 >> 8), uint8_t(v % 1000)}; },
         [](const Bytes& h) { return Cat({0x07, 0xDD, 0, 0, 2, 2}, h); },
         [](DeviceLink& l, const Posted& p) {
             l.Delay_Ctrl(0, 0, 2, 2, &p.As<DspDelayRecord>().delay, true);
             return Sent(4, 3);
         }},
        {"TwoByteTrim", 0, 25599, 1, [](int v) { return Digits(v, 100); },  // attenuation, read back as a gain
         [](const Bytes& h) { return Cat({0x08, 0xDD, 0, 0, 2, 2}, h); },
         [](DeviceLink& l, const Posted& p) {
             const float trim = -p.As<DspTrimRecord>().trim;
             l.Trim_Ctrl(0, 0, 2, 2, &trim, true);
             return Sent(4, 2);
         }},
        {"CompressorThreshold", -1000, 1559, 1, [](int v) { return Digits(v + 1000, 10); },
         [](const Bytes& h) { return Compressor(h, kRatio, kKnee); },
         [](DeviceLink& l, const Posted& p) { return Slice(ResendCompressor(l, p), 0, 2); }},
        {"CompressorRatio", 0, 2559, 1, [](int v) { return Digits(v, 10); },
         [](const Bytes& h) { return Compressor(kThr, h, kKnee); },
         [](DeviceLink& l, const Posted& p) { return Slice(ResendCompressor(l, p), 2, 2); }},
        {"CompressorSoftKnee", 0, 2559, 1, [](int v) { return Digits(v, 10); },
         [](const Bytes& h) { return Compressor(kThr, kRatio, h); },
         [](DeviceLink& l, const Posted& p) { return Slice(ResendCompressor(l, p), 4, 2); }},
        {"Compressor2Threshold", 0, 2559, 1, [](int v) { return Cat(Digits(v, 10), kRelease); },
         [](const Bytes& h) { return Compressor2({h[0], h[1]}, kRelease); }, ResendCompressor2},
        {"Compressor2Release", 0, 2559, 1, [](int v) { return Cat(kThr, Digits(v, 10)); },
         [](const Bytes& h) { return Compressor2(kThr, {h[2], h[3]}); }, ResendCompressor2},
        {"InputNoise", -1000, 1559, 1, [](int v) { return Digits(v + 1000, 10); },
         [](const Bytes& h) { return Cat({0x27, 0xDD, 0, 0}, h); },
         [](DeviceLink&, const Posted& p) {
             return Pair(SignedFraction(p.As<DspInputNoiseRecord>().level[0], 10, 100.0));
         }},
        {"CalibrationDistance", 0, 25599, 1, [](int v) { return Digits(v, 100); },
         [](const Bytes& h) { return Cat({0x14, 0xDD, 1, 1}, h); },
         [](DeviceLink&, const Posted& p) {
             return Pair(SignedFraction(p.As<IrcDistanceRecord>().distance, 100));
         }},
        {"CalibrationSpectrumLevel", -12799, 12799, 1, [](int v) { return Digits(v, 100); },  // signed digits
         [](const Bytes& h) { return Cat({0x1A, 0xDD, 2, 0, 0, 0x03, 0xE8, 0}, h); },
         [](DeviceLink&, const Posted& p) { return Pair(SignedFraction(p.As<IrcSpectrumRecord>().gain, 100)); }},
        {"CalibrationSpectrumFrequency", 0, 6553599, 7,  // every seventh hundredth: each digit, each byte
         [](int v) { return Bytes{uint8_t(v / 25600), uint8_t(v / 100), uint8_t(v % 100)}; },
         [](const Bytes& h) { return Cat(Cat({0x1A, 0xDD, 2, 0, 0}, h), {0, 0}); },
         [](DeviceLink&, const Posted& p) {
             const int v = TruncScaled(p.As<IrcSpectrumRecord>().freq, 100);
             return Bytes{uint8_t(v / 25600), uint8_t(v / 100), uint8_t(v % 100)};
         }},
    };
}

class ReadBack : public ::testing::TestWithParam<ReadBackField> {
protected:
    LinkFixture f;
};

TEST_P(ReadBack, EveryValueTheEncoderWritesIsSentAgainAsTheSameBytes) {
    const ReadBackField& field = GetParam();
    f.link.SetDeviceProfile(94, 10, 10, 1, 0);  // two-byte trims
    f.hid.onWrite = [](const ScriptedHid::Written& w) { gSent = w.payload(); };
    int wrong = 0;
    for (int v = field.first; v <= field.last && wrong < 5; v += field.step) {
        const Bytes held = field.held(v);
        f.poster.Clear();
        f.Feed(ReplyBytes(1, field.reply(held)));
        const auto posts = f.poster.Posts();
        ASSERT_EQ(1u, posts.size()) << v;
        const Bytes again = field.resend(f.link, posts[0]);
        if (again != held) ++wrong;
        EXPECT_EQ(held, again) << field.name << " value " << v;
    }
    EXPECT_EQ(0, wrong);
}

INSTANTIATE_TEST_SUITE_P(Fields, ReadBack, ::testing::ValuesIn(ReadBackFields()),
                         [](const ::testing::TestParamInfo<ReadBackField>& info) { return info.param.name; });

}  // namespace
