#pragma once
// The amplifier's microphone-driven auto-calibration, DSP sub-commands 0x13 to 0x1C.
//
// `IRC_Ctrl` (0x13 set: on, channel mask hi, lo, EQ mode): 1 starts a run over the channels of the mask,
// 0 stops it (the status becomes 12, exit), 2 applies the result of the last finished run to the working
// configuration and 3 discards it (both acknowledged). Each status request (0x13 get) reports the run's
// current step as `13 DD status channel 0 progress failure` and then moves to the next step; the last
// step repeats. Before the first run the status is 0 with progress 0.
//
// Unless a script is set (AmpState::calibration.script, replayed for every run), a run for channels
// c1..cn goes: start (0, 0 %), speaker test (1, 10 %), level test (2, 20 %), delay test (3, 30 %), a
// distance step (14) per channel, trim test (4, 40 %), EQ test (5, 50 %), spectrum test (6, 60 %), per
// channel spectrum ready (7) then EQ ready (8), data update (9, 90 %), done (10, 100 %).
//
// A built-in run measures as it goes: its distance step stores the channel's distance, its spectrum
// step the channel's spectrum, its EQ step the corrective EQ (11 bands) computed from that spectrum. The
// simulated room differs per channel and a little from run to run, so results change between runs.
// Scripted runs measure nothing: the test sets the results it wants.
//
// Applying writes, for every channel whose EQ a finished run measured, the 11 result bands into the
// output's bands 0..10 with the later bands flat and the EQ switched on, and, when the delay module was
// selected (0x1E bit 1), delays that bring every measured speaker to the farthest one's distance.
//
// Result getters answer from AmpState::calibration: distance (0x14, whole and hundredths per channel),
// trim, size, phase, level and noise level (0x15, 0x17, 0x18, 0x19, 0x1B, a byte per channel), EQ bands
// (0x16: channel, first, last, 6 bytes per band) and spectrum points (0x1A: channel, first, last, 5 bytes
// per point), cut to what one frame holds. The RTA request (0x1C) is answered `1C DD`.
#include "AmpProtocol.h"
#include "AmpState.h"

#include <vector>

constexpr int kAmpIrcResultBands = 11;

class AmpCalibration {
public:
    static bool Handles(uint8_t sub) { return sub >= 0x13 && sub <= 0x1C; }

    // Answers from (and runs the script of) state.calibration; a run's measurements land there too.
    AmpReply Respond(AmpState& state, const AmpRequest& request);
    void Reset();  // idle, as after power-up

    // The simulated room's level at a frequency for a channel and run, in dB.
    static double RoomLevel(int channel, int run, double freq);

private:
    struct Step {
        AmpIrcStep report;
        bool measures = false;  // a built-in step that stores a measurement
    };
    AmpReply Control(AmpState& state, const AmpRequest& request);
    AmpReply Status(AmpState& state);
    void Measure(AmpState& state, const AmpIrcStep& step);
    void Apply(AmpState& state) const;
    std::vector<Step> BuiltInRun(uint16_t channelMask) const;

    std::vector<Step> mRun;
    size_t mNext = 0;
    AmpIrcStep mCurrent;
    uint16_t mMeasuredEq = 0;        // channels whose EQ the current run measured
    uint16_t mMeasuredDistance = 0;  // and whose distance
    uint16_t mResultEq = 0;          // of the last finished run: what applying writes
    uint16_t mResultDistance = 0;
};
