#include "device/DeviceRecords.h"

#include "device/DeviceMessages.h"
#include "device/DeviceProtocol.h"

bool ReplyCarriesRecord(UINT message, WPARAM wParam, LPARAM lParam) {
    if (lParam == 0) return false;
    switch (message) {
    case WM_DSP_VALUE:
        return !DspReplyCarriesValue(wParam);
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
