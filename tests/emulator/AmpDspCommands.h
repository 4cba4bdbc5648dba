#pragma once
// Requests of packet type 1 (DSP), except the auto-calibration ones (AmpCalibration): a setter stores
// what it carries in the scene, source and channel it names and is acknowledged with `01 sub EE 0A`;
// a getter is answered `01 sub DD` with the stored values in the layout the host's decoder reads.
//
// Choices the host leaves to the amplifier:
// - Scene bytes 0..10 address the working configuration and the stored scenes; a setter for another scene
//   is acknowledged and changes nothing, a getter for it answers factory values.
// - Ranged replies repeat the range asked for, but end at channel 15 and at the last item that fits a
//   frame of one report (59 data bytes); when nothing fits, the last channel reported is one below the
//   first. A single channel beyond 15 (EQ, mix levels, cross-source mix) reads as a fresh channel.
// - Output trim: the attenuation the host sends is stored; a one-byte reply carries it negated (the host
//   reads a signed gain), a two-byte reply (AmpState::wideTrim) carries whole and hundredths as sent.
// - Main volume: the setter's attenuation (0 = +6 dB, 66 = -60 dB, more counts as 66) is stored; the
//   getter reports the level in dB, +6 down to -60, as a signed byte.
// - EQ Q: sent as whole and tenths, reported as whole and hundredths (tenths x 10).
// - Routing masks reply as two bytes when the input count is above 8, else one; the setter's width is
//   read from its length.
// - Input trim, mute, phase and EQ are per input channel, whatever source the request names; routing,
//   mix levels, cross-source mixing and the mix types are per source.
// - The compressor getter reports the first channel of its range; the bridge getter reports as many
//   flags as it asks for (at most 20); `Get_AUTO_ON` reports the working configuration's switch.
// - PEQ reset puts the listed outputs' bands back to the factory grid (Q 5.8, 0 dB).
// - Unknown sub-commands are answered `01 sub EE 60` (NOT_READY).
#include "AmpProtocol.h"
#include "AmpState.h"

AmpReply RespondDsp(AmpState& state, const AmpRequest& request);
