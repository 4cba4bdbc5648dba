// A whole profile written from values read back from the amplifier.
#include "device/DeviceTestSupport.h"
#include "model/ProfileFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Values read back from the amplifier, saved in a whole profile and loaded again, go out as the bytes the
// amplifier held: every EQ gain and Q the band controls allow, every delay up to 15 ms and every two-byte
// trim down to -60 dB, decoded by the link from replies built here and sent by its setters.
TEST(ProfileReadBack, ValuesSavedAndLoadedGoOutAsTheBytesHeld) {
    LinkFixture f;
    f.link.SetDeviceProfile(94, 10, 10, 1, 0);  // two-byte trims
    Bytes sent;
    f.hid.onWrite = [&](const ScriptedHid::Written& w) { sent = w.payload(); };
    auto decoded = [&](const Bytes& data) {
        f.poster.Clear();
        f.Feed(ReplyBytes(1, data));
        return f.poster.Posts().at(0);
    };
    auto live = std::make_unique<DspConfig>(), loadedLive = std::make_unique<DspConfig>();
    std::vector<DspConfig> scenes(10), loadedScenes(10);
    SceneNameSlot names[10] = {};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"velmor_read_back_" + std::to_wstring(GetCurrentProcessId());
    auto record = [&](DspConfig& l, std::vector<DspConfig>& s, int i) -> DspConfig& { return i ? s[i - 1] : l; };
    int wrong = 0, slot = 0, channel = 0;
    for (int round = 0; channel <= 15000; ++round) {  // until every delay has had its channel
        const int bands = round == 0 ? 21 : 0;  // the first file holds every gain and Q; the bands stay
        std::vector<Bytes> held;  // per band (Q, gain), then per channel (delay, trim), in record order
        for (int i = 0; i < 11; ++i) {
            for (int n = 0; n < OutputCount; ++n, ++channel) {
                ChannelConfig& ch = record(*live, scenes, i).channels[n];
                for (int k = 0; k < ch.eqSize && k < bands; ++k, ++slot) {
                    const int q = 5 + slot % 86, gain = slot % 301;  // Q 0.5 .. 9.0, gain -18.0 .. +12.0 dB
                    held.push_back({uint8_t(q / 10), uint8_t(q % 10), uint8_t(gain / 10), uint8_t(gain % 10)});
                    const auto& r = decoded({0x06, 0xDD, 0, 0, uint8_t(n), uint8_t(k), uint8_t(k), 0x03, 0xE8,
                                             uint8_t(q / 10), uint8_t(q % 10 * 10), held.back()[2], held.back()[3]})
                                        .As<DspEqRecord>();
                    ch.eqArray[k] = EqBand(r.gain, r.q, int32_t(r.freq), 1);
                }
                const int us = channel % 15001, trim = channel % 6001;
                held.push_back({uint8_t(us / 1000), uint8_t(us % 1000 >> 8), uint8_t(us % 1000), uint8_t(trim / 100),
                                uint8_t(trim % 100)});
                ch.delay = decoded({0x07, 0xDD, 0, 0, uint8_t(n), uint8_t(n), held.back()[0], held.back()[1],
                                    held.back()[2]}).As<DspDelayRecord>().delay;
                ch.gain = decoded({0x08, 0xDD, 0, 0, uint8_t(n), uint8_t(n), held.back()[3], held.back()[4]})
                              .As<DspTrimRecord>().trim;
            }
        }
        ProfileFile file(nullptr);
        ASSERT_TRUE(file.SaveWholeProfile(*live, scenes.data(), names, path.c_str()));
        ASSERT_TRUE(file.LoadWholeProfile(path.c_str(), *loadedLive, loadedScenes.data(), names));
        size_t at = 0;
        for (int i = 0; i < 11; ++i) {
            for (int n = 0; n < OutputCount; ++n) {
                const ChannelConfig& ch = record(*loadedLive, loadedScenes, i).channels[n];
                for (int k = 0; k < ch.eqSize && k < bands; ++k) {
                    const EqBand& b = ch.eqArray[k];
                    f.link.EQ_Ctrl(0, 0, uint8_t(n), uint8_t(k), uint16_t(b.freq), b.factor, b.gain, true);
                    const Bytes again(sent.begin() + 6, sent.end());
                    wrong += again != held[at];
                    EXPECT_EQ(held[at++], again) << "round " << round << " record " << i << " band " << n << "." << k;
                }
                const float delay = ch.delay, trim = -ch.gain;
                f.link.Delay_Ctrl(0, 0, uint8_t(n), uint8_t(n), &delay, true);
                Bytes again(sent.begin() + 4, sent.end());
                f.link.Trim_Ctrl(0, 0, uint8_t(n), uint8_t(n), &trim, true);
                again.insert(again.end(), sent.begin() + 4, sent.end());
                wrong += again != held[at];
                EXPECT_EQ(held[at++], again) << "round " << round << " record " << i << " output " << n;
            }
        }
        ASSERT_EQ(0, wrong);
    }
    DeleteFileW(path.c_str());
}
