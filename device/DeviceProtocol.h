#pragma once
// Numbers of the amplifier's USB-HID protocol: packet types, operation types and sub-commands.
#include <cstdint>

// Packet types (the cmd byte of a request, the type byte of a reply).
constexpr uint8_t CMD_DSP = 1;
constexpr uint8_t CMD_FLASH = 2;
constexpr uint8_t CMD_MCU = 3;
constexpr uint8_t CMD_DSP_DWRITE = 4;
constexpr uint8_t CMD_KTV = 7;

// Operation types: requests set or get, replies carry values or acknowledge.
constexpr uint8_t OP_SET = 0xBB;
constexpr uint8_t OP_GET = 0x66;
constexpr uint8_t OP_UPDATE = 0xDD;
constexpr uint8_t OP_ACK = 0xEE;

// Status byte of an acknowledgement.
constexpr uint8_t ACK_READY = 0x0A;
constexpr uint8_t NOT_READY = 0x60;

// DSP sub-commands (packet type 1); their log names are DspCmdNames.
enum DspSub : uint8_t {
    DSP_SOURCE_CONFIG = 0, DSP_SOURCE_SWITCH = 1, DSP_VOLUME = 2, DSP_SUBWOOFER_VOLUME = 3, DSP_MUTE = 4,
    DSP_FILTER_SET = 5, DSP_EQ_CH = 6, DSP_DELAY_CH = 7, DSP_TRIM_CH = 8, DSP_MUTE_CH = 9, DSP_PHASE_CH = 10,
    DSP_MIX_CH = 11, DSP_REMAP_CH = 12, DSP_CH_TYPE = 13, DSP_CH_LINK = 14, DSP_CH_LOCK = 15, DSP_BYPASS = 16,
    DSP_EQ_RESET = 17, DSP_EQ_BYPASS = 18, DSP_IRC_CTRL = 19, DSP_IRC_DISTANCE = 20, DSP_IRC_TRIM = 21,
    DSP_IRC_EQ = 22, DSP_IRC_SPK_SIZE = 23, DSP_IRC_SPK_PHASE = 24, DSP_IRC_SPK_LEVEL = 25,
    DSP_IRC_SPECTRUM = 26, DSP_IRC_NOISE_LEVEL = 27, DSP_IRC_RTA = 28, DSP_IRC_TEST_MIC = 29,
    DSP_IRC_SEL_TEST_MODULE = 30, DSP_INPUT_TRIM_CH = 32, DSP_INPUT_CH_MUTE = 33, DSP_INPUT_CH_PHASE = 34,
    DSP_INPUT_EQ_CH = 35, DSP_INPUT_MIX_CH_TRIM = 36, DSP_INPUT_MIX_CH_PHASE = 37, DSP_INPUT_THRESHOLD = 38,
    DSP_INPUT_NOISE = 39, DSP_INPUT_MIX_CH_TRIM2 = 40, DSP_CH_TRIM_LINK = 48, DSP_CH_DELAY_LINK = 49,
    DSP_SEL_REMOTE_CH = 50, DSP_REMOTE_CH_VOLUME = 51, DSP_CH_SOLO = 52, DSP_SPK_CH_CONFIG = 53,
    DSP_MIX_TYPE = 54, DSP_HPF_Q_FACT_MODE = 55, DSP_LPF_Q_FACT_MODE = 56, DSP_FACTORY_PRESET = 57,
    DSP_SETUP_MODE = 58, DSP_AUTO_EFFECTION_ON_OFF_CONTROL = 59, DSP_IRC_ACTIVE_BYPASS_CONTROL = 60,
    DSP_CS_AUTO_SETTING = 61, DSP_COMPRESSOR_SETTING = 62, DSP_AMP_MUTE = 63, DSP_INPUT_CH_DISTORT = 64,
    DSP_OUTPUT_CH_DISTORT = 65, DSP_MEM_DATA = 66, DSP_SPK_DIST = 67, DSP_MIX_SOURCE_SWITCH = 68,
    DSP_REM_OUT = 69, DSP_DSP_STATUS = 70, DSP_CROSS_SOURCE_MIX = 71, DSP_COMPRESSOR_ON_CH = 73,
    DSP_COMPRESSOR_SETTING2 = 74, DSP_SPK_OHM = 75, DSP_OUPUT_BRIDGE = 76, DSP_CROSS_SOURCE_MIX_CS47048 = 77,
    DSP_NOISE_GATE = 78, DSP_MIX_TYPE2 = 0x83,
};

// Log names of the DSP sub-commands 0..78.
constexpr int kDspCmdNameCount = 79;
extern const char* const DspCmdNames[kDspCmdNameCount];
// The name a DSP sub-command goes by in the log, or null where the log shows its number instead
// (78 and above, DSP_MIX_TYPE2 excepted).
const char* DspCmdLogName(uint8_t sub);

// MCU sub-commands (packet type 3).
enum McuSub : uint8_t {
    MCU_UPG_ENTER = 0x01, MCU_UPG_START = 0x02, MCU_UPG_DATA = 0x03, MCU_UPG_FINISH = 0x04,
    MCU_HANDSHAKE = 0x08, MCU_GET_DSPFLASH_VER = 0x0B, MCU_BOOTLOADER_VER = 0x0C, MCU_PASSWORD = 0x0D,
    MCU_PC_CONNECT = 0x1F, MCU_0X41 = 0x41, MCU_INIT = 0x60, MCU_REBOOT = 0x8F, MCU_FACTORY_DEFAULT = 0x90,
    MCU_POWER_OFF_DELAY = 0x91, MCU_ACC = 0x92, MCU_PING = 0x93, MCU_BL_ENTER = 0xA0, MCU_BL_START = 0xA1,
    MCU_BL_DATA = 0xA2, MCU_BL_FINISH = 0xA3,
};

// FLASH sub-commands (packet type 2): DSP flash upgrade and scenes.
enum FlashSub : uint8_t {
    FLASH_CHIP_ERASE = 0x02, FLASH_UPG_START = 0x03, FLASH_UPG_DATA = 0x04, FLASH_UPG_FINISH = 0x05,
    FLASH_SAVE_SCENE = 0x08, FLASH_READ_SCENE = 0x09, FLASH_DELETE_SCENE = 0x0A, FLASH_SCENE_NAME = 0x0B,
    FLASH_SCENE_PROFILE = 0x0C, FLASH_SCENE_0X0D = 0x0D, FLASH_SCENE_ID = 0x0E, FLASH_SCENE_VALID = 0x0F,
};

// KTV sub-commands (packet type 7).
enum KtvSub : uint8_t {
    KTV_MIC_VOL = 1, KTV_MUSIC_VOL = 2, KTV_HOWLING = 3, KTV_ECHO_LEVEL = 4, KTV_ECHO_DELAY = 5,
    KTV_REVERB_LEVEL = 6, KTV_REVERB_TIME = 7, KTV_VOICE_CHANGER = 8, KTV_BASS_GAIN = 9, KTV_TREBLE_GAIN = 10,
};

// Firmware upgrade states (DeviceLink::mUpgState).
enum UpgState : uint32_t {
    UPG_IDLE = 0, UPG_PARSING = 16, UPG_START = 32, UPG_READY_FOR_DATA = 48, UPG_WAITING_BIN_DATA_ACK = 49,
    UPG_FINISH = 64, UPG_FAILED = 80, UPG_ERASED = 96,
};

// Upgrade targets (DeviceLink::upg_device).
enum UpgDevice : uint8_t { UPG_DEVICE_FLASH = 1, UPG_DEVICE_MCU = 2, UPG_DEVICE_BL = 3 };

// Results of the firmware file readers and of UpgradeStart.
enum UpgResult : int {
    UPG_FILE_VALID = 0, UPG_FILE_OPEN_FAIL = 1, UPG_FILE_INVALID = 2, UPG_CONNECT_FAIL = 3, UPG_START_FAIL = 4,
};

// UpgradeProgress values beyond the percentages 0..100.
constexpr uint8_t UPG_PROGRESS_DONE = 101;
constexpr uint8_t UPG_PROGRESS_FAILED = 255;
