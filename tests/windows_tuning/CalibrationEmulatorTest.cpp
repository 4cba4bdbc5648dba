// The emulated amplifier's calibration: a run measures each channel as it reaches it (distance, spectrum,
// the corrective EQ computed from that spectrum), results move between runs, applying writes the EQ and
// the delays into the working configuration, and a stop ends the run.
#include "emulator/EmulatorTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

constexpr uint8_t kDsp = 1;

// The status reply's fields: status, channel, progress.
struct Status {
    int status, channel, progress;
};
Status StatusOf(const Bytes& report) { return {report[4 + 2], report[4 + 3], report[4 + 5]}; }

// Level of a spectrum point in dB, from its reply bytes (whole and hundredths, both signed).
double Level(const uint8_t* point) { return static_cast<int8_t>(point[3]) + static_cast<int8_t>(point[4]) / 100.0; }
double EqGain(const uint8_t* band) { return band[4] + band[5] / 10.0 - 18.0; }
int BandFreq(const uint8_t* band) { return band[0] << 8 | band[1]; }

// Steps the run until the given status (for the given channel) has been reported; false when it never is.
bool WalkTo(RawHost& host, int status, int channel = -1) {
    for (int i = 0; i < 40; ++i) {
        const Status s = StatusOf(host.Get(kDsp, 0x13));
        if (s.status == status && (channel < 0 || s.channel == channel)) return true;
    }
    return false;
}

}  // namespace

TEST(CalibrationEmulator, RunMeasuresAppliesAndStops) {
    AmpEmulator amp;
    RawHost host(amp);
    ASSERT_TRUE(host.Open());
    const AmpIrcChannel factory = amp.State().calibration.channels[1];
    host.Set(kDsp, 0x1E, {3});                    // EQ and delay
    host.Set(kDsp, 0x13, {1, 0x00, 0x0A, 4});     // outputs 1 and 3
    EXPECT_TRUE(amp.State().calibration.running);

    // Distances as each distance step passes: 0.85 m + 0.23 m per channel, 1 cm more on the first run.
    ASSERT_TRUE(WalkTo(host, 14, 1));
    const AmpIrcChannel one = amp.State().calibration.channels[1];
    EXPECT_EQ(Bytes({1, 9}), Bytes(one.distance, one.distance + 2));
    ASSERT_TRUE(WalkTo(host, 14, 3));
    const AmpIrcChannel three = amp.State().calibration.channels[3];
    EXPECT_EQ(three.distance[0], 1);
    EXPECT_EQ(three.distance[1], 55);

    // The spectrum changes only when its step comes.
    ASSERT_TRUE(WalkTo(host, 6));
    EXPECT_EQ(0, std::memcmp(amp.State().calibration.channels[1].spectrum, factory.spectrum, sizeof factory.spectrum));
    ASSERT_TRUE(WalkTo(host, 7, 1));
    const AmpIrcChannel measured = amp.State().calibration.channels[1];
    EXPECT_NE(0, std::memcmp(measured.spectrum, factory.spectrum, sizeof factory.spectrum));
    ASSERT_TRUE(WalkTo(host, 8, 1));
    // The corrective EQ mirrors the spectrum at each band's frequency (within the spectrum's point spacing).
    const AmpIrcChannel corrected = amp.State().calibration.channels[1];
    for (int b = 0; b < kAmpIrcResultBands; ++b) {
        const int freq = BandFreq(corrected.eq[b]);
        const int nearest = static_cast<int>(std::lround(120.0 * std::log10(freq / 20.0) / 3.0));
        EXPECT_NEAR(EqGain(corrected.eq[b]), -Level(measured.spectrum[nearest]), 0.6) << freq << " Hz";
        EXPECT_EQ(corrected.eq[b][2], 1);
        EXPECT_EQ(corrected.eq[b][3], 41);
    }
    ASSERT_TRUE(WalkTo(host, 10));
    EXPECT_FALSE(amp.State().calibration.running);

    // Applying: bands 0..10 from the result, the rest flat, the EQ on; output 1 waits for output 3,
    // (1.55 m - 1.09 m) / 0.343 m per ms = 1.341 ms.
    host.Set(kDsp, 0x13, {2, 0, 0, 4});
    const AmpState applied = amp.State();
    EXPECT_EQ(applied.calibration.applied, 1);
    const AmpOutput& out = applied.scenes[0].outputs[1];
    for (int b = 0; b < kAmpBands; ++b) {
        if (b < kAmpIrcResultBands) {
            EXPECT_EQ(Bytes(out.eq[b].freq, out.eq[b].freq + 2), Bytes(corrected.eq[b], corrected.eq[b] + 2));
            EXPECT_EQ(out.eq[b].q[0], 1);
            EXPECT_EQ(out.eq[b].q[1], 4);
            EXPECT_EQ(Bytes(out.eq[b].gain, out.eq[b].gain + 2), Bytes(corrected.eq[b] + 4, corrected.eq[b] + 6));
        } else {
            EXPECT_EQ(out.eq[b].gain[0], 18) << b;
            EXPECT_EQ(out.eq[b].gain[1], 0) << b;
        }
    }
    EXPECT_EQ(out.eqBypass, 0);
    EXPECT_EQ(Bytes(out.delay, out.delay + 3), Bytes({1, 0x01, 0x55}));
    EXPECT_EQ(Bytes(applied.scenes[0].outputs[3].delay, applied.scenes[0].outputs[3].delay + 3), Bytes({0, 0, 0}));
    EXPECT_EQ(applied.scenes[0].outputs[0].eq[0].gain[0], 18) << "an output not measured keeps its EQ";

    // A second run measures a slightly different room; a stop ends it at once.
    host.Set(kDsp, 0x13, {1, 0x00, 0x02, 4});
    ASSERT_TRUE(WalkTo(host, 7, 1));
    EXPECT_NE(0, std::memcmp(amp.State().calibration.channels[1].spectrum, measured.spectrum, sizeof measured.spectrum));
    host.Set(kDsp, 0x13, {0, 0, 0, 0});
    const AmpState stopped = amp.State();
    EXPECT_FALSE(stopped.calibration.running);
    EXPECT_EQ(stopped.calibration.stops, 1);
    EXPECT_EQ(StatusOf(host.Get(kDsp, 0x13)).status, 12);
    host.Set(kDsp, 0x13, {3, 0, 0, 0});
    EXPECT_EQ(amp.State().calibration.discarded, 1);
}
