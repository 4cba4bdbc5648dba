#pragma once
// The amplifier's microphone-driven auto-calibration, DSP sub-commands 0x13 to 0x1C.
//
// `IRC_Ctrl` (0x13 set: on, channel mask hi, lo, EQ mode): 1 starts a run over the channels of the mask,
// 0 stops it (the status becomes 12, exit), 2 applies and 3 discards the result (acknowledged; the
// configuration is left as it is). Each status request (0x13 get) reports the run's current step as
// `13 DD status channel 0 progress failure` and then moves to the next step; the last step repeats.
// Before the first run the status is 0 with progress 0.
//
// Unless a script is set (AmpState::calibration.script, replayed for every run), a run for channels
// c1..cn goes: start (0, 0 %), speaker test (1, 10 %), level test (2, 20 %), delay test (3, 30 %), a
// distance step (14) per channel, trim test (4, 40 %), EQ test (5, 50 %), spectrum test (6, 60 %), per
// channel spectrum ready (7) then EQ ready (8), data update (9, 90 %), done (10, 100 %).
//
// Result getters answer from AmpState::calibration: distance (0x14, whole and hundredths per channel),
// trim, size, phase, level and noise level (0x15, 0x17, 0x18, 0x19, 0x1B, a byte per channel), EQ bands
// (0x16: channel, first, last, 6 bytes per band) and spectrum points (0x1A: channel, first, last, 5 bytes
// per point), cut to what one frame holds. The RTA request (0x1C) is answered `1C DD`.
#include "AmpProtocol.h"
#include "AmpState.h"

#include <vector>

class AmpCalibration {
public:
    static bool Handles(uint8_t sub) { return sub >= 0x13 && sub <= 0x1C; }

    // Answers from (and runs the script of) state.calibration.
    AmpReply Respond(const AmpState& state, const AmpRequest& request);
    void Reset();  // idle, as after power-up

private:
    AmpReply Control(const AmpCalibrationData& data, const AmpRequest& request);
    AmpReply Status();
    std::vector<AmpIrcStep> BuiltInRun(uint16_t channelMask) const;

    std::vector<AmpIrcStep> mRun;
    size_t mNext = 0;
    AmpIrcStep mCurrent;
};
