#pragma once
// The application's private window messages, numbered from WM_USER. The device link posts the reply
// messages; the others pass between the application's own threads and windows.
#include <windows.h>

// Replies posted by the device link's decoders.
constexpr UINT WM_DSP_VALUE = WM_USER + 210;        // 1234: wParam DSP sub-command, lParam value or record
constexpr UINT WM_READ_MCU_VALUE = WM_USER + 211;   // 1235: wParam MCU sub-command, lParam value or record
constexpr UINT WM_FLASH_VALUE = WM_USER + 213;      // 1237: scene names, valid-scene mask, save acknowledgement
constexpr UINT WM_SCENE_DELETED = WM_USER + 214;    // 1238: wParam the deleted scene
constexpr UINT WM_DEVICE_ABNORMAL = WM_USER + 215;  // 1239: the handshake reported an abnormal device
constexpr UINT WM_IRC_STATUS = WM_USER + 217;       // 1241: auto-calibration status or result record
constexpr UINT WM_KTV_VALUE = WM_USER + 222;        // 1246: wParam KTV sub-command, lParam value
constexpr UINT WM_MEM_DATA = WM_USER + 225;         // 1249: 8-byte {address, data} record
constexpr UINT WM_CURRENT_SCENE = WM_USER + 226;    // 1250: wParam 14, lParam the current scene

// Connection and read-back workers to the main window.
constexpr UINT WM_FACTORY_DEFAULT_DONE = WM_USER + 216;  // 1240
constexpr UINT WM_CONNECT_FAILED = WM_USER + 218;        // 1242
constexpr UINT WM_DSP_READY = WM_USER + 219;             // 1243
constexpr UINT WM_READ_FAILED = WM_USER + 221;           // 1245
constexpr UINT WM_FORCE_UPDATE = WM_USER + 224;          // 1248
constexpr UINT WM_FW_NEWER = WM_USER + 227;              // 1251

// Firmware update workers to their window.
constexpr UINT WM_UPDATE_PROGRESS = WM_USER + 231;       // 1255: wParam percent
constexpr UINT WM_UPDATE_STAGE_DONE = WM_USER + 232;     // 1256
constexpr UINT WM_UPDATE_FAILED = WM_USER + 233;         // 1257
constexpr UINT WM_UPDATE_START_FAILED = WM_USER + 234;   // 1258
constexpr UINT WM_UPDATE_MCU_STARTED = WM_USER + 235;    // 1259
constexpr UINT WM_UPDATE_FLASH_STARTED = WM_USER + 236;  // 1260
constexpr UINT WM_UPDATE_REPLUG = WM_USER + 237;         // 1261
constexpr UINT WM_UPDATE_TICK = WM_USER + 238;           // 1262
constexpr UINT WM_UPDATE_RESTART = WM_USER + 239;        // 1263

// Auto-calibration.
constexpr UINT WM_IRC_COMPLETED = WM_USER + 241;  // 1265
constexpr UINT WM_IRC_FAILED = WM_USER + 242;     // 1266
constexpr UINT WM_IRC_STOPPED = WM_USER + 243;    // 1267
constexpr UINT WM_IRC_PROGRESS = WM_USER + 244;   // 1268

// Busy popup around long workers.
constexpr UINT WM_SHOW_LOADING = WM_USER + 250;  // 1274
constexpr UINT WM_HIDE_LOADING = WM_USER + 251;  // 1275

static_assert(WM_DSP_VALUE == 1234 && WM_CURRENT_SCENE == 1250 && WM_HIDE_LOADING == 1275,
              "message numbers are shared with the receiving windows");
