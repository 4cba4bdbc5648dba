#include "device/DeviceRecords.h"

#include "device/DeviceMessages.h"
#include "device/DeviceProtocol.h"

namespace {

bool DspSubCarriesRecord(WPARAM sub) {
    switch (sub) {
    case DSP_SOURCE_SWITCH: case DSP_VOLUME: case DSP_SUBWOOFER_VOLUME: case DSP_MUTE:
    case DSP_INPUT_THRESHOLD: case DSP_SEL_REMOTE_CH: case DSP_FACTORY_PRESET: case DSP_SETUP_MODE:
    case DSP_AUTO_EFFECTION_ON_OFF_CONTROL: case DSP_AMP_MUTE: case DSP_MIX_SOURCE_SWITCH:
    case DSP_DSP_STATUS: case DSP_SPK_OHM: case DSP_NOISE_GATE:
        return false;
    default:
        return true;
    }
}

}  // namespace

bool ReplyCarriesRecord(UINT message, WPARAM wParam, LPARAM lParam) {
    if (lParam == 0) return false;
    switch (message) {
    case WM_DSP_VALUE:
        return DspSubCarriesRecord(wParam);
    case WM_IRC_STATUS:  // status codes stay below the result sub-commands
        return wParam >= DSP_IRC_DISTANCE && wParam <= DSP_IRC_NOISE_LEVEL;
    case WM_MEM_DATA:
        return true;
    case WM_READ_MCU_VALUE:
        return wParam == MCU_HANDSHAKE || wParam == MCU_GET_DSPFLASH_VER || wParam == MCU_PASSWORD ||
               wParam == MCU_0X41;
    case WM_FLASH_VALUE:
        return wParam == FLASH_SCENE_NAME || wParam == FLASH_SCENE_VALID;
    default:
        return false;
    }
}
