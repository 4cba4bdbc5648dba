#pragma once
// The amplifier behind the USB link: its stored state and how it answers one request. Not thread-safe:
// AmpEmulator serialises every use.
#include "AmpCalibration.h"
#include "AmpFirmware.h"
#include "AmpProtocol.h"
#include "AmpState.h"

class AmpDevice {
public:
    // The requests the host writes without reading a reply: PC_Connect, the ping and the three finish
    // commands of the firmware upgrade.
    static bool ExpectsReply(const AmpRequest& request);

    // The reply to one well-formed request (AmpReply::expected false: none), with its side effects.
    AmpReply Respond(const AmpRequest& request);

    AmpState state;
    AmpCalibration calibration;  // the run in progress
};
