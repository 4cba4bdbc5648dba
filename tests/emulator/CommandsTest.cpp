// What the emulated amplifier stores and answers, request by request: every getter returns what its
// setter stored, in the reply layout the host decodes, per scene.
#include "EmulatorTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t kDsp = 1, kFlash = 2, kMcu = 3, kKtv = 7;

Bytes Ack(uint8_t type, uint8_t sub) { return ReplyReport(type, {sub, 0xEE, 0x0A}); }
Bytes Refusal(uint8_t type, uint8_t sub) { return ReplyReport(type, {sub, 0xEE, 0x60}); }
Bytes Values(uint8_t type, uint8_t sub, Bytes values) {
    values.insert(values.begin(), {sub, 0xDD});
    return ReplyReport(type, values);
}
Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// ---- DSP -----------------------------------------------------------------------------------------

struct RangedCase {
    uint8_t sub;
    size_t bytes;
};

TEST(DspCommands, RangedValuesRoundTripPerSceneAndChannel) {
    const RangedCase cases[] = {{0x07, 3}, {0x09, 1}, {0x0A, 1}, {0x0D, 1}, {0x12, 1}, {0x20, 1}, {0x21, 1},
                                {0x22, 1}, {0x34, 1}, {0x37, 1}, {0x38, 1}, {0x43, 2}, {0x49, 1}, {0x4A, 6}};
    for (const RangedCase& c : cases) {
        SCOPED_TRACE(c.sub);
        AmpEmulator amp;
        RawHost host(amp);
        Bytes values;  // channels 2..4 of scene 3
        for (size_t i = 0; i < 3 * c.bytes; ++i) values.push_back(static_cast<uint8_t>(0x10 + i));
        EXPECT_EQ(Ack(kDsp, c.sub), host.Set(kDsp, c.sub, Concat({3, 0, 2, 4}, values)));
        const Bytes zeros(2 * c.bytes, 0);
        EXPECT_EQ(Values(kDsp, c.sub, Concat(Concat({3, 1, 1, 5}, Concat(Bytes(c.bytes, 0), values)), Bytes(c.bytes, 0))),
                  host.Get(kDsp, c.sub, {3, 1, 1, 5}));
        EXPECT_EQ(Values(kDsp, c.sub, Concat({0, 0, 2, 3}, zeros)), host.Get(kDsp, c.sub, {0, 0, 2, 3}));
    }
}

TEST(DspCommands, RangedRepliesStopAtChannel15AndAtAFullFrame) {
    AmpEmulator amp;
    RawHost host(amp);
    EXPECT_EQ(Values(kDsp, 0x09, Concat({0, 0, 12, 15}, Bytes(4, 0))), host.Get(kDsp, 0x09, {0, 0, 12, 40}));
    EXPECT_EQ(Values(kDsp, 0x09, {0, 0, 20, 19}), host.Get(kDsp, 0x09, {0, 0, 20, 30}));
    EXPECT_EQ(Values(kDsp, 0x09, {0, 0, 5, 4}), host.Get(kDsp, 0x09, {0, 0, 5, 4}));
    // Compressor 2: six bytes a channel, so 8 channels fill a frame of one report.
    EXPECT_EQ(Values(kDsp, 0x4A, Concat({0, 0, 0, 7}, Bytes(48, 0))), host.Get(kDsp, 0x4A, {0, 0, 0, 9}));
}

TEST(DspCommands, TrimRepliesAsSignedGainOrAsSent) {
    AmpEmulator amp;
    RawHost host(amp);
    host.Set(kDsp, 0x08, {0, 0, 2, 4, 6, 0, 0xFB});  // attenuations 6, 0, -5
    EXPECT_EQ(Values(kDsp, 0x08, {0, 0, 2, 4, 0xFA, 0x00, 0x05}), host.Get(kDsp, 0x08, {0, 0, 2, 4}));
    host.Set(kDsp, 0x08, {0, 0, 1, 2, 6, 50, 3, 25});  // two-byte trims: 6.50 and 3.25
    amp.EditState([](AmpState& s) { s.wideTrim = true; });
    EXPECT_EQ(Values(kDsp, 0x08, {0, 0, 1, 2, 6, 50, 3, 25}), host.Get(kDsp, 0x08, {0, 0, 1, 2}));
}

TEST(DspCommands, FilterSidesAndEqBands) {
    AmpEmulator amp;
    RawHost host(amp);
    host.Set(kDsp, 0x05, {0, 0, 1, 2, 2, 0x00, 0x50, 4});  // high-pass: Linkwitz-Riley 80 Hz, order 4
    host.Set(kDsp, 0x05, {0, 0, 1, 1, 3, 0x0F, 0xA0, 2});  // low-pass: Bessel 4000 Hz, order 2
    EXPECT_EQ(Values(kDsp, 0x05, {0, 0, 0, 1, 1, 0, 20, 0, 1, 0x4E, 0x20, 0, 2, 0, 0x50, 4, 3, 0x0F, 0xA0, 2}),
              host.Get(kDsp, 0x05, {0, 0, 0, 1}));

    // Band 5 of output 2: 1000 Hz, Q 1.4 (sent in tenths, reported in hundredths), gain -6.0 (12.0 after +18).
    EXPECT_EQ(Ack(kDsp, 0x06), host.Set(kDsp, 0x06, {0, 0, 2, 5, 0x03, 0xE8, 1, 4, 12, 0}));
    EXPECT_EQ(Values(kDsp, 0x06, {0, 0, 2, 4, 6, 0, 50, 5, 80, 18, 0, 0x03, 0xE8, 1, 40, 12, 0, 0, 80, 5, 80, 18, 0}),
              host.Get(kDsp, 0x06, {0, 0, 2, 4, 6}));
    const Bytes eight = host.Get(kDsp, 0x06, {0, 0, 2, 0, 20});
    EXPECT_EQ(7, eight[10]);  // bands 0..7 fill the frame
    EXPECT_EQ(7 + 6 * 8 + 1, eight[2]);

    // Input EQ takes a band range in one request.
    host.Set(kDsp, 0x23, {0, 1, 3, 0, 1, 0x00, 0x64, 2, 0, 20, 5, 0x01, 0xF4, 0, 7, 15, 0});
    EXPECT_EQ(Values(kDsp, 0x23, {0, 1, 3, 0, 1, 0x00, 0x64, 2, 0, 20, 5, 0x01, 0xF4, 0, 70, 15, 0}),
              host.Get(kDsp, 0x23, {0, 1, 3, 0, 1}));
    // PEQ reset puts the listed outputs back on the grid.
    host.Set(kDsp, 0x11, {0, 0, 1, 2});
    EXPECT_EQ(Values(kDsp, 0x06, {0, 0, 2, 5, 5, 0, 63, 5, 80, 18, 0}), host.Get(kDsp, 0x06, {0, 0, 2, 5, 5}));
}

TEST(DspCommands, RoutingMasksFollowTheInputCount) {
    AmpEmulator amp;
    RawHost host(amp);
    host.Set(kDsp, 0x0B, {0, 4, 0, 1, 0x02, 0x03, 0x00, 0x81});  // two bytes a mask
    EXPECT_EQ(Values(kDsp, 0x0B, {0, 4, 0, 1, 0x02, 0x03, 0x00, 0x81}), host.Get(kDsp, 0x0B, {0, 4, 0, 1}));
    EXPECT_EQ(Values(kDsp, 0x0B, {0, 5, 0, 0, 0, 0}), host.Get(kDsp, 0x0B, {0, 5, 0, 0}));  // per source
    amp.EditState([](AmpState& s) { s.inputCount = 8; });
    host.Set(kDsp, 0x0B, {0, 4, 2, 2, 0x44});  // one byte a mask
    EXPECT_EQ(Values(kDsp, 0x0B, {0, 4, 0, 2, 0x03, 0x81, 0x44}), host.Get(kDsp, 0x0B, {0, 4, 0, 2}));
}

TEST(DspCommands, DeviceWideValuesRoundTrip) {
    const uint8_t oneByte[] = {0x01, 0x03, 0x04, 0x1D, 0x1E, 0x26, 0x33, 0x35, 0x39, 0x3A, 0x3F, 0x44, 0x4B, 0x4E};
    AmpEmulator amp;
    RawHost host(amp);
    for (uint8_t sub : oneByte) {
        SCOPED_TRACE(sub);
        EXPECT_EQ(Ack(kDsp, sub), host.Set(kDsp, sub, {static_cast<uint8_t>(sub + 0x80)}));
        EXPECT_EQ(Values(kDsp, sub, {static_cast<uint8_t>(sub + 0x80)}), host.Get(kDsp, sub, {0, 0}));
    }
    host.Set(kDsp, 0x32, {0x12, 0x34});
    EXPECT_EQ(Values(kDsp, 0x32, {0x12, 0x34}), host.Get(kDsp, 0x32));
    host.Set(kDsp, 0x45, {1, 0});
    EXPECT_EQ(Values(kDsp, 0x45, {1, 0}), host.Get(kDsp, 0x45));
    EXPECT_EQ(Values(kDsp, 0x00, {9, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59}), host.Get(kDsp, 0x00));
    Bytes words(52);
    for (size_t i = 0; i < words.size(); ++i) words[i] = static_cast<uint8_t>(i * 3);
    host.Set(kDsp, 0x3D, words);
    EXPECT_EQ(Values(kDsp, 0x3D, words), host.Get(kDsp, 0x3D));
    EXPECT_EQ(Refusal(kDsp, 0x48), host.Set(kDsp, 0x48, {1}));
    EXPECT_EQ(Refusal(kDsp, 0x90), host.Get(kDsp, 0x90));
}

TEST(DspCommands, MainVolumeIsSetAsAttenuationAndReportedInDb) {
    struct {
        uint8_t attenuation;
        int8_t db;
    } const cases[] = {{0, 6}, {6, 0}, {24, -18}, {26, -20}, {66, -60}, {67, -60}, {255, -60}};
    AmpEmulator amp;
    RawHost host(amp);
    EXPECT_EQ(Values(kDsp, 0x02, {static_cast<uint8_t>(-20)}), host.Get(kDsp, 0x02));  // the factory level
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attenuation);
        EXPECT_EQ(Ack(kDsp, 0x02), host.Set(kDsp, 0x02, {c.attenuation}));
        EXPECT_EQ(c.attenuation, amp.State().settings.mainVolume);
        EXPECT_EQ(Values(kDsp, 0x02, {static_cast<uint8_t>(c.db)}), host.Get(kDsp, 0x02));
    }
}

TEST(DspCommands, SceneWideValuesRoundTrip) {
    AmpEmulator amp;
    RawHost host(amp);
    host.Set(kDsp, 0x0E, {2, 1, 2, 0, 1, 2, 3});  // link pairs (0, 1), (2, 3) in scene 2
    EXPECT_EQ(Values(kDsp, 0x0E, {2, 1, 2, 0, 1, 2, 3}), host.Get(kDsp, 0x0E, {2}));
    EXPECT_EQ(Values(kDsp, 0x30, {2, 0, 0}), host.Get(kDsp, 0x30, {2}));
    host.Set(kDsp, 0x0F, {2, 1});
    EXPECT_EQ(Values(kDsp, 0x0F, {2, 1}), host.Get(kDsp, 0x0F, {2}));
    EXPECT_EQ(Values(kDsp, 0x0F, {0, 0}), host.Get(kDsp, 0x0F, {0}));
    host.Set(kDsp, 0x4C, {0, 0, 5, 1, 0, 1, 0, 1});
    EXPECT_EQ(Values(kDsp, 0x4C, {0, 0, 5, 1, 0, 1, 0, 1}), host.Get(kDsp, 0x4C, {0, 0, 5}));
    host.Set(kDsp, 0x36, {0, 3, 2});
    host.Set(kDsp, 0x83, {0, 3, 7});
    EXPECT_EQ(Values(kDsp, 0x36, {0, 3, 2}), host.Get(kDsp, 0x36, {0, 3}));
    EXPECT_EQ(Values(kDsp, 0x83, {0, 3, 7}), host.Get(kDsp, 0x83, {0, 3}));
    host.Set(kDsp, 0x10, {0, 0, 1});
    EXPECT_EQ(Values(kDsp, 0x10, {0, 0, 0, 9, 1}), host.Get(kDsp, 0x10, {0, 0, 0, 9}));
    host.Set(kDsp, 0x3B, {0, 1});
    EXPECT_EQ(Values(kDsp, 0x3B, {1}), host.Get(kDsp, 0x3B));
    host.Set(kDsp, 0x0C, {0, 0, 4, 1, 3});  // output 4 takes inputs 1 and 3
    EXPECT_EQ(Values(kDsp, 0x0C, {0, 0, 3, 5, 0, 2, 1, 3, 0}), host.Get(kDsp, 0x0C, {0, 0, 3, 5}));
}

TEST(DspCommands, MixLevelsCrossMixAndCompressor) {
    AmpEmulator amp;
    RawHost host(amp);
    host.Set(kDsp, 0x24, {0, 2, 1, 0, 2, 10, 20, 30});  // input 1 to outputs 0..2
    host.Set(kDsp, 0x28, {0, 2, 0, 1, 5, 40, 50});      // inputs 0..1 to output 5
    EXPECT_EQ(Values(kDsp, 0x24, {0, 2, 1, 0, 5, 10, 20, 30, 100, 100, 50}), host.Get(kDsp, 0x24, {0, 2, 1, 0, 5}));
    EXPECT_EQ(Values(kDsp, 0x24, {0, 2, 0, 5, 5, 40}), host.Get(kDsp, 0x24, {0, 2, 0, 5, 5}));

    host.Set(kDsp, 0x47, {0, 1, 0, 0x53, 1, 40});
    EXPECT_EQ(Values(kDsp, 0x47, {0, 1, 0, 0x53, 1, 40}), host.Get(kDsp, 0x47, {0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(Values(kDsp, 0x4D, {0, 1, 0x53, 1, 0}), host.Get(kDsp, 0x4D, {0, 1, 0, 0, 0}));
    host.Set(kDsp, 0x4D, {0, 1, 4, 0, 1});  // the other form names the channel last
    EXPECT_EQ(Values(kDsp, 0x47, {0, 1, 1, 4, 0, 0}), host.Get(kDsp, 0x47, {0, 1, 1, 0, 0, 0}));

    const Bytes settings{0, 64, 5, 4, 0, 2, 5, 0x03, 0xE8, 0x75, 0x30};
    host.Set(kDsp, 0x3E, Concat({0, 0, 6}, settings));
    EXPECT_EQ(Values(kDsp, 0x3E, Concat({0, 0, 6, 7}, settings)), host.Get(kDsp, 0x3E, {0, 0, 6, 7}));
}

TEST(DspCommands, MemoryNoiseAndDistortion) {
    AmpEmulator amp;
    RawHost host(amp);
    host.Set(kDsp, 0x42, {0x78, 0x56, 0x34, 0x12, 0xEF, 0xBE, 0xAD, 0xDE});
    EXPECT_EQ(0xDEADBEEFu, amp.State().memory.at(0x12345678));
    EXPECT_EQ(Values(kDsp, 0x42, {0x78, 0x56, 0x34, 0x12, 0xEF, 0xBE, 0xAD, 0xDE}),
              host.Get(kDsp, 0x42, {0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0}));
    EXPECT_EQ(Values(kDsp, 0x42, {1, 0, 0, 0, 0, 0, 0, 0}), host.Get(kDsp, 0x42, {1, 0, 0, 0, 0, 0, 0, 0}));

    amp.EditState([](AmpState& s) {
        s.settings.noiseLevel[1][0] = 0x3C;  // -39.5 dBu
        s.settings.noiseLevel[1][1] = 0x05;
        s.settings.inDistort[2] = 9;
    });
    EXPECT_EQ(Values(kDsp, 0x27, {0, 1, 20, 0, 0x3C, 0x05}), host.Get(kDsp, 0x27, {0, 1}));
    const Bytes all = host.Get(kDsp, 0x27, {0, 255});  // asked for 256 inputs, answered for 16
    EXPECT_EQ(15, all[7]);
    EXPECT_EQ(1 + 4 + 32, all[2]);
    EXPECT_EQ(Values(kDsp, 0x40, {4, 1, 2, 0, 9}), host.Get(kDsp, 0x40, {0, 4, 1, 2}));
}

// ---- auto-calibration ----------------------------------------------------------------------------

TEST(Calibration, RunWalksTheStatusSequenceForTheMeasuredChannels) {
    AmpEmulator amp;
    RawHost host(amp);
    EXPECT_EQ(Values(kDsp, 0x13, {0, 0, 0, 0, 0}), host.Get(kDsp, 0x13));
    EXPECT_EQ(Ack(kDsp, 0x13), host.Set(kDsp, 0x13, {1, 0x00, 0x05, 2}));  // channels 0 and 2
    const uint8_t expected[][5] = {{0, 0, 0, 0, 0},   {1, 0, 0, 10, 0}, {2, 0, 0, 20, 0}, {3, 0, 0, 30, 0},
                                 {14, 0, 0, 30, 0}, {14, 2, 0, 30, 0}, {4, 0, 0, 40, 0}, {5, 0, 0, 50, 0},
                                 {6, 0, 0, 60, 0},  {7, 0, 0, 60, 0}, {8, 0, 0, 70, 0}, {7, 2, 0, 60, 0},
                                 {8, 2, 0, 70, 0},  {9, 0, 0, 90, 0}, {10, 0, 0, 100, 0}, {10, 0, 0, 100, 0}};
    for (const auto& step : expected) EXPECT_EQ(Values(kDsp, 0x13, Bytes(step, step + 5)), host.Get(kDsp, 0x13));

    host.Set(kDsp, 0x13, {1, 0x00, 0x01, 0});
    host.Get(kDsp, 0x13);
    host.Set(kDsp, 0x13, {0, 0, 0, 0});  // stop
    EXPECT_EQ(Values(kDsp, 0x13, {12, 0, 0, 0, 0}), host.Get(kDsp, 0x13));
}

TEST(Calibration, ScriptedFailureAndResultReplies) {
    AmpEmulator amp;
    amp.EditState([](AmpState& s) {
        s.calibration.script = {{1, 0, 10, 0}, {11, 0, 10, 9}};
        s.calibration.channels[3].distance[0] = 2;
        s.calibration.channels[3].distance[1] = 34;
    });
    RawHost host(amp);
    host.Set(kDsp, 0x13, {1, 0xFF, 0xFF, 0});
    EXPECT_EQ(Values(kDsp, 0x13, {1, 0, 0, 10, 0}), host.Get(kDsp, 0x13));
    EXPECT_EQ(Values(kDsp, 0x13, {11, 0, 0, 10, 9}), host.Get(kDsp, 0x13));

    EXPECT_EQ(Values(kDsp, 0x14, {3, 3, 2, 34}), host.Get(kDsp, 0x14, {3, 3}));
    EXPECT_EQ(Values(kDsp, 0x19, {0, 1, 80, 80}), host.Get(kDsp, 0x19, {0, 1}));
    // EQ result: 1000 Hz is band 17 of the grid; Q 1.41, 0 dB.
    EXPECT_EQ(Values(kDsp, 0x16, {2, 17, 17, 0x03, 0xE8, 1, 41, 18, 0}), host.Get(kDsp, 0x16, {2, 17, 17}));
    // Spectrum: the first point is 20.00 Hz at -6.00 dB; asking for 9 points gets 9.
    const Bytes spectrum = host.Get(kDsp, 0x1A, {1, 0, 8});
    EXPECT_EQ(Bytes({0x1A, 0xDD, 1, 0, 8, 0x00, 20, 0, 0xFA, 0}), Bytes(spectrum.begin() + 4, spectrum.begin() + 14));
    EXPECT_EQ(5 + 9 * 5 + 1, spectrum[2]);
    EXPECT_EQ(Values(kDsp, 0x1A, {1, 120, 120, 0x4E, 0x20, 0, 0xFA, 0}), host.Get(kDsp, 0x1A, {1, 120, 125}));
}

// ---- scenes --------------------------------------------------------------------------------------

TEST(Scenes, SaveLoadDeleteAndNames) {
    AmpEmulator amp;
    RawHost host(amp);
    const Bytes erased(16, 0xFF);
    EXPECT_EQ(Values(kFlash, 0x0B, Concat({4}, erased)), host.Get(kFlash, 0x0B, {4}));
    EXPECT_EQ(ReplyReport(kFlash, {0x0B, 0xEE, 0x0A, 4}), host.Set(kFlash, 0x0B, {4, 3, 'P', 'o', 'p'}));
    EXPECT_EQ(Values(kFlash, 0x0B, {4, 'P', 'o', 'p', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), host.Get(kFlash, 0x0B, {4}));

    host.Set(kDsp, 0x09, {0, 0, 1, 1, 1});  // mute output 1 in the working configuration
    EXPECT_EQ(ReplyReport(kFlash, {0x08, 0xEE, 0x0A, 4}), host.Set(kFlash, 0x08, {4, 0}));
    EXPECT_EQ(Values(kFlash, 0x0F, {0x00, 0x08}), host.Get(kFlash, 0x0F));
    EXPECT_EQ(Values(kFlash, 0x0E, {4}), host.Get(kFlash, 0x0E));
    EXPECT_EQ(Values(kDsp, 0x09, {4, 0, 1, 1, 1}), host.Get(kDsp, 0x09, {4, 0, 1, 1}));

    host.Set(kDsp, 0x09, {0, 0, 1, 1, 0});
    host.Set(kFlash, 0x08, {10, 1});
    EXPECT_EQ(Values(kFlash, 0x0F, {0x02, 0x08}), host.Get(kFlash, 0x0F));
    EXPECT_EQ(ReplyReport(kFlash, {0x09, 0xEE, 0x0A, 4}), host.Set(kFlash, 0x09, {4, 0xFF}));
    EXPECT_EQ(Values(kDsp, 0x09, {0, 0, 1, 1, 1}), host.Get(kDsp, 0x09, {0, 0, 1, 1}));
    EXPECT_EQ(Values(kFlash, 0x0E, {4}), host.Get(kFlash, 0x0E));
    host.Set(kFlash, 0x09, {0, 0});  // from the working configuration: nothing to load
    EXPECT_EQ(Values(kFlash, 0x0E, {4}), host.Get(kFlash, 0x0E));

    EXPECT_EQ(ReplyReport(kFlash, {0x0A, 0xEE, 0x0A, 4}), host.Set(kFlash, 0x0A, {4}));
    EXPECT_EQ(Values(kFlash, 0x0B, Concat({4}, erased)), host.Get(kFlash, 0x0B, {4}));
    EXPECT_EQ(Values(kFlash, 0x0F, {0x02, 0x00}), host.Get(kFlash, 0x0F));
    EXPECT_EQ(Values(kFlash, 0x0E, {0}), host.Get(kFlash, 0x0E));
    EXPECT_EQ(Values(kDsp, 0x09, {4, 0, 1, 1, 0}), host.Get(kDsp, 0x09, {4, 0, 1, 1}));
    EXPECT_EQ(ReplyReport(kFlash, {0x08, 0xEE, 0x60, 11}), host.Set(kFlash, 0x08, {11, 0}));
}

TEST(Scenes, ProfileAreaRoundTrip) {
    AmpEmulator amp;
    RawHost host(amp);
    EXPECT_EQ(Ack(kFlash, 0x0C), host.Set(kFlash, 0x0C, {3, 0x01, 0x20, 4, 9, 8, 7, 6}));
    EXPECT_EQ(Values(kFlash, 0x0C, {3, 0x01, 0x1F, 6, 0, 9, 8, 7, 6, 0}), host.Get(kFlash, 0x0C, {3, 0x01, 0x1F, 6}));
    EXPECT_EQ(Values(kFlash, 0x0C, {3, 0x03, 0xFE, 2, 0, 0}), host.Get(kFlash, 0x0C, {3, 0x03, 0xFE, 40}));
}

// ---- MCU and KTV ---------------------------------------------------------------------------------

TEST(McuCommands, HandshakeByModeAndVersions) {
    AmpEmulator amp;
    RawHost host(amp);
    EXPECT_EQ(ReportOf({0xAA, 0x55, 0x07, 0x03, 0x08, 0xDD, 0x00, 0x5E, 0x01, 0x13, 0x9F}), host.Set(kMcu, 0x08));
    amp.EditState([](AmpState& s) {
        s.identity.handshakeStatus = 0xF0;
        s.identity.slaveVersion = 18;
    });
    EXPECT_EQ(Values(kMcu, 0x08, {0xF0, 94, 1, 18}), host.Set(kMcu, 0x08));
    amp.EditState([](AmpState& s) { s.mode = AmpMode::Upgrade; });
    EXPECT_EQ(Values(kMcu, 0x93, {}), host.Set(kMcu, 0x08));
    EXPECT_EQ(Values(kMcu, 0x0B, {1, 0, 1, 9}), host.Get(kMcu, 0x0B));
    EXPECT_EQ(Values(kMcu, 0x0C, {2}), host.Get(kMcu, 0x0C));
}

TEST(McuCommands, StoredValuesPasswordAndFactoryReset) {
    AmpEmulator amp;
    RawHost host(amp);
    host.Set(kMcu, 0x91, {0x0B, 0xB8});
    EXPECT_EQ(Values(kMcu, 0x91, {0x0B, 0xB8}), host.Get(kMcu, 0x91));
    host.Set(kMcu, 0x92, {0xF6});
    EXPECT_EQ(Values(kMcu, 0x92, {0xF6}), host.Get(kMcu, 0x92));
    EXPECT_EQ(Ack(kMcu, 0x0D), host.Set(kMcu, 0x0D, {0, 2, 'o', 'k'}));
    EXPECT_EQ(Values(kMcu, 0x0D, {0, 2, 'o', 'k'}), host.Get(kMcu, 0x0D));
    Bytes longPassword{20};
    for (int i = 0; i < 20; ++i) longPassword.push_back(static_cast<uint8_t>('a' + i));
    longPassword.push_back(0);
    host.Set(kMcu, 0x0D, longPassword);
    EXPECT_EQ(Values(kMcu, 0x0D, Concat(Concat({16}, Bytes(longPassword.begin() + 1, longPassword.begin() + 17)), {0})),
              host.Get(kMcu, 0x0D));
    amp.EditState([](AmpState& s) {
        s.settings.mcu41Length = 2;
        s.settings.mcu41[0] = 0x41;
        s.settings.mcu41[1] = 0x42;
    });
    EXPECT_EQ(Values(kMcu, 0x41, {2, 0x41, 0x42}), host.Get(kMcu, 0x41));
    EXPECT_EQ(Refusal(kMcu, 0x60), host.Get(kMcu, 0x60));

    host.Set(kFlash, 0x0B, {1, 1, 'A'});
    EXPECT_EQ(Ack(kMcu, 0x90), host.Set(kMcu, 0x90));
    EXPECT_EQ(1, amp.Counters().restarts);
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(Values(kMcu, 0x91, {0, 0}), host.Get(kMcu, 0x91));
    EXPECT_EQ(Values(kFlash, 0x0B, Concat({1}, Bytes(16, 0xFF))), host.Get(kFlash, 0x0B, {1}));
}

TEST(KtvCommands, ValuesRoundTrip) {
    AmpEmulator amp;
    RawHost host(amp);
    for (uint8_t sub = 1; sub <= 10; ++sub) {
        SCOPED_TRACE(sub);
        const Bytes value = sub == 5 ? Bytes{0x01, 0x2C} : Bytes{static_cast<uint8_t>(sub * 11)};
        EXPECT_EQ(Ack(kKtv, sub), host.Set(kKtv, sub, value));
        EXPECT_EQ(Values(kKtv, sub, value), host.Get(kKtv, sub));
    }
    EXPECT_EQ(Refusal(kKtv, 11), host.Get(kKtv, 11));
}

}  // namespace
