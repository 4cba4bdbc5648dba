#pragma once
// Records the reply decoders post in lParam. Each is a zero-filled heap block (calloc) that belongs to
// the receiving window, which frees it with free(). Field order and sizes are fixed: the receivers read
// them as laid out here. Other replies carry a plain value in lParam (see ReplyCarriesRecord).
#include <windows.h>

#include <cstdint>
#include <cstdlib>

constexpr int kRecordChannels = 16;  // records indexed by channel hold this many entries
constexpr int kBridgeEntries = 20;
constexpr int kNameBytes = 16;       // scene names, passwords, remarks, MCU 0x41 bytes
constexpr int kLinkPairs = 18;       // pairs a link list holds: as many as one request can set

// ---- WM_DSP_VALUE (wParam = DSP sub-command) ----

struct DspFilterRecord {  // DSP_FILTER_SET, one per output
    uint32_t scene, channel, hp_type, hp_freq, hp_slope, lp_type, lp_freq, lp_slope;
};
struct DspEqRecord {  // DSP_EQ_CH and DSP_INPUT_EQ_CH, one per band
    uint32_t scene, channel, band, freq;
    float q, gain;
};
struct DspDelayRecord {  // DSP_DELAY_CH, ms
    uint32_t scene, channel;
    float delay;
};
struct DspTrimRecord {  // DSP_TRIM_CH, dB
    uint32_t scene, channel;
    float trim;
};
// DSP_MUTE_CH, DSP_PHASE_CH, DSP_CH_TYPE, DSP_EQ_BYPASS, DSP_CH_SOLO, DSP_COMPRESSOR_ON_CH, and
// DSP_BYPASS (the all-bypass switch, one record for the channel asked). Phase and bypass are byte values:
// the low byte of value.
struct DspChannelValueRecord {
    uint32_t scene, channel, value;
};
struct DspMixRecord {  // DSP_MIX_CH: bit j of mix routes input j to the output
    uint32_t scene, source, channel, mix;
};
struct DspCompressorRecord {  // DSP_COMPRESSOR_SETTING
    uint32_t scene, channel, bypass;
    float noise, ratio;
    uint32_t attack, release;
    float soft_knee;
};
struct DspCompressor2Record {  // DSP_COMPRESSOR_SETTING2
    uint32_t scene, channel, reserved0;
    float threshold;
    uint32_t reserved1, attack, release, reserved2;
};
// DSP_INPUT_TRIM_CH, DSP_INPUT_CH_MUTE, DSP_INPUT_CH_PHASE: value[c] for channels first..last.
struct DspInputRangeRecord {
    uint32_t scene, source, first, last;
    uint8_t value[kRecordChannels];
};
// DSP_INPUT_MIX_CH_TRIM: trim[k] is the level of output out_first + k.
struct DspInputMixTrimRecord {
    uint32_t scene, source, input, out_first, out_last;
    uint8_t trim[kRecordChannels];
};
struct DspInputNoiseRecord {  // DSP_INPUT_NOISE: level[c] in dBu
    uint32_t first, last;
    float level[kRecordChannels];
};
struct DspQFactModeRecord {  // DSP_HPF_Q_FACT_MODE, DSP_LPF_Q_FACT_MODE: mode[c]
    uint8_t d2, d3, first, last;
    uint8_t mode[kRecordChannels];
};
struct DspInputDistortRecord {  // DSP_INPUT_CH_DISTORT: distort[c]
    uint32_t source, first, last;
    uint8_t distort[kRecordChannels];
};
struct DspOutputDistortRecord {  // DSP_OUTPUT_CH_DISTORT: distort[c]
    uint32_t reserved, source, first, last;
    uint8_t distort[kRecordChannels];
};
struct DspSpeakerDistRecord {  // DSP_SPK_DIST: dist[c] in hundredths
    uint8_t d2, d3, first, last;
    uint16_t dist[kRecordChannels];
};
struct DspLinkRecord {  // DSP_CH_LINK, DSP_CH_TRIM_LINK, DSP_CH_DELAY_LINK
    uint32_t scene, link;
    uint8_t pairs[8];  // half the output count of bytes as the device sends them
    // The whole list as the device sends it: its pair count, then from, to of each pair.
    uint8_t count;
    uint8_t list[2 * kLinkPairs];
};
struct DspLockRecord {  // DSP_CH_LOCK
    uint32_t scene, lock;
};
struct DspSpeakerConfigRecord {  // DSP_SPK_CH_CONFIG
    uint32_t config;
};
struct DspMixTypeRecord {  // DSP_MIX_TYPE, DSP_MIX_TYPE2
    uint32_t scene, source, mix_type;
};
struct DspRemOutRecord {  // DSP_REM_OUT
    uint8_t rem_out1, rem_out2;
};
// DSP_CROSS_SOURCE_MIX and DSP_CROSS_SOURCE_MIX_CS47048 (whose gain code is always 32: 0 dB).
struct DspCrossSourceMixRecord {
    uint8_t scene, source, ch, vice_source, vice_ch, vice_gain;
};
struct DspOutputBridgeRecord {  // DSP_OUPUT_BRIDGE: one flag per output pair
    uint8_t scene, source, count;
    uint8_t bridge[kBridgeEntries];
};

// ---- WM_MEM_DATA (wParam 66) ----
struct DspMemDataRecord {
    uint32_t address, data;
};

// ---- WM_IRC_STATUS (wParam = sub-command for the result records) ----
struct IrcDistanceRecord {  // DSP_IRC_DISTANCE
    uint32_t channel;
    float distance;
};
struct IrcTrimRecord {  // DSP_IRC_TRIM
    uint32_t channel;
    float trim;
};
struct IrcValueRecord {  // DSP_IRC_SPK_SIZE and DSP_IRC_SPK_PHASE (byte values), DSP_IRC_SPK_LEVEL, DSP_IRC_NOISE_LEVEL
    uint32_t channel, value;
};
struct IrcEqRecord {  // DSP_IRC_EQ
    uint32_t channel, band, freq;
    float q, gain;
};
struct IrcSpectrumRecord {  // DSP_IRC_SPECTRUM
    uint32_t channel, band;
    float freq, gain;
};

// ---- WM_READ_MCU_VALUE (wParam = MCU sub-command) ----
struct McuHandshakeRecord {  // MCU_HANDSHAKE
    uint32_t reserved, model, master_version, slave_version;
};
struct McuFlashVersionRecord {  // MCU_GET_DSPFLASH_VER: the version in words 4..7
    uint32_t reserved[4];
    uint32_t version[4];
};
struct McuPasswordRecord {  // MCU_PASSWORD
    uint32_t len;
    uint8_t password[kNameBytes];
    uint32_t remark_len;
    uint8_t remark[kNameBytes];
};
struct Mcu0x41Record {  // MCU_0X41
    uint8_t len;
    uint8_t data[kNameBytes];
};

// ---- WM_FLASH_VALUE (wParam 11 and 15) ----
struct SceneNameRecord {  // FLASH_SCENE_NAME: index = scene - 1; ANSI, not terminated when full
    uint32_t reserved, index;
    uint8_t name[kNameBytes];
};
struct ValidSceneRecord {  // FLASH_SCENE_VALID
    uint32_t mask;
};

// ---- Inputs of the builders ----
struct Compressor2Setting {  // one channel of Compressor_Ctrl2
    float threshold;
    int32_t attack;   // ms
    int32_t release;  // ms
};

// A zero-filled record for a decoder to post; null when memory is short.
template <typename Record>
Record* NewRecord() {
    return static_cast<Record*>(calloc(1, sizeof(Record)));
}

// True when a reply message carries a heap record in lParam (which its receiver must free).
bool ReplyCarriesRecord(UINT message, WPARAM wParam, LPARAM lParam);
// True for the DSP sub-commands whose WM_DSP_VALUE carries a plain value; the DSP decoder's own table
// answers, so the two cannot disagree.
bool DspReplyCarriesValue(WPARAM sub);

static_assert(sizeof(DspFilterRecord) == 32 && sizeof(DspEqRecord) == 24 && sizeof(DspDelayRecord) == 12,
              "record sizes are shared with the receivers");
static_assert(sizeof(DspMixRecord) == 16 && sizeof(DspCompressorRecord) == 32 && sizeof(DspCompressor2Record) == 32,
              "record sizes are shared with the receivers");
static_assert(sizeof(DspInputRangeRecord) == 32 && sizeof(DspInputMixTrimRecord) == 36 &&
                  sizeof(DspInputNoiseRecord) == 72 && sizeof(DspQFactModeRecord) == 20,
              "record sizes are shared with the receivers");
static_assert(sizeof(DspInputDistortRecord) == 28 && sizeof(DspOutputDistortRecord) == 32 &&
                  sizeof(DspSpeakerDistRecord) == 36 && sizeof(DspLinkRecord) == 56,
              "record sizes are shared with the receivers");
static_assert(sizeof(DspCrossSourceMixRecord) == 6 && sizeof(DspOutputBridgeRecord) == 23 &&
                  sizeof(DspRemOutRecord) == 2,
              "record sizes are shared with the receivers");
static_assert(sizeof(IrcEqRecord) == 20 && sizeof(IrcSpectrumRecord) == 16 && sizeof(McuHandshakeRecord) == 16,
              "record sizes are shared with the receivers");
static_assert(sizeof(McuFlashVersionRecord) == 32 && sizeof(McuPasswordRecord) == 40 && sizeof(Mcu0x41Record) == 17 &&
                  sizeof(SceneNameRecord) == 24,
              "record sizes are shared with the receivers");
