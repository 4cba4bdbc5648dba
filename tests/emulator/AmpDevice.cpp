#include "AmpDevice.h"

#include "AmpDspCommands.h"
#include "AmpSystemCommands.h"

bool AmpDevice::ExpectsReply(const AmpRequest& r) {
    if (r.cmd == kAmpCmdMcu) return r.sub != 0x1F && r.sub != 0x93 && r.sub != 0x04 && r.sub != 0xA3;
    if (r.cmd == kAmpCmdFlash) return r.sub != 0x05;
    return true;
}

AmpReply AmpDevice::Respond(const AmpRequest& r) {
    AmpReply reply;
    if (IsAmpFirmwareRequest(r.cmd, r.sub))
        reply = RespondFirmware(state, r);
    else if (r.cmd == kAmpCmdDsp)
        reply = AmpCalibration::Handles(r.sub) ? calibration.Respond(state, r) : RespondDsp(state, r);
    else if (r.cmd == kAmpCmdFlash)
        reply = RespondScenes(state, r);
    else if (r.cmd == kAmpCmdMcu)
        reply = RespondMcu(state, r);
    else if (r.cmd == kAmpCmdKtv)
        reply = RespondKtv(state, r);
    else
        reply = AmpAck(r.cmd, r.sub, kAmpNotReady);
    if (!ExpectsReply(r)) reply.expected = false;
    return reply;
}
