#pragma once
// Firmware upgrade of the MCU application, the MCU bootloader and the DSP flash, step by step.
//
// MCU application:
//   `03 01` enter upgrade mode: acknowledged; from the normal firmware the device then restarts and
//           enumerates again in upgrade mode (already in upgrade or bootloader mode: no restart).
//   `03 02 HEAD[4]` start: acknowledged in upgrade mode (the image starts empty), else NOT_READY.
//   `03 03 offset[4] data[32]` chunk: acknowledged and stored at its offset.
//   `03 04` finish: no reply; the device restarts into its normal firmware.
// Bootloader: the same with `03 A0` (enter bootloader mode, no restart), `A1`, `A2` and `A3`; the finish
//   returns to the normal firmware without a restart.
// DSP flash:
//   `02 02` chip erase: FLASH acknowledgement in any mode; the stored DSP image is cleared.
//   `02 03 HEAD[4]` start: FLASH acknowledgement in upgrade mode, else NOT_READY.
//   `02 04 offset[4] n data[n]` chunk (n at most 50): FLASH acknowledgement, stored.
//   `02 05` finish: no reply.
//   `03 8F` reboot: acknowledged, then the device restarts into its normal firmware.
// A chunk without an accepted start, in the wrong mode, shorter than its header says, with n above 50
// or reaching beyond 2 MiB is refused with NOT_READY and not stored. What arrives is kept in
// AmpState::upgrades.
#include "AmpProtocol.h"
#include "AmpState.h"

bool IsAmpFirmwareRequest(uint8_t cmd, uint8_t sub);
AmpReply RespondFirmware(AmpState& state, const AmpRequest& request);
