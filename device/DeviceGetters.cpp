// Getters, scene, MCU and KTV commands. A getter sends at once on the caller's thread and reads the
// reply, which the decoders post to the windows; it returns nothing itself.
#include "base/Log.h"
#include "device/DeviceLink.h"
#include "device/Payload.h"

#include <cstring>

namespace {

constexpr size_t kFixedBlock = 10;
constexpr size_t kSceneNameBlock = 30;  // scene, length and at most 28 name bytes
constexpr size_t kPasswordBlock = 40;   // two lengths and at most 38 bytes of both texts
constexpr int kShortWaitMs = 500;
constexpr int kSceneWaitMs = 20000;
constexpr int kFactoryDefaultWaitMs = 30000;

// A terminated copy of a byte string for the log.
struct LogText {
    char text[64] = {};
    LogText(const char* bytes, size_t count) {
        if (bytes == nullptr) return;
        std::memcpy(text, bytes, count < sizeof text - 1 ? count : sizeof text - 1);
    }
};

}  // namespace

void DeviceLink::Request(uint8_t cmd, uint8_t sub, uint8_t optype, std::initializer_list<uint8_t> bytes, int waitMs) {
    Payload p;
    for (uint8_t b : bytes) p.U8(b);
    Exchange(cmd, sub, optype, p, waitMs);
}

// ---- DSP getters ----

void DeviceLink::Get_Source_Config() {
    LogPrintW(L"Get_Source_Config\n");
    Request(CMD_DSP, DSP_SOURCE_CONFIG, OP_GET, {}, kShortWaitMs);
}

void DeviceLink::Get_Source() {
    LogPrintW(L"Get_Source\n");
    Request(CMD_DSP, DSP_SOURCE_SWITCH, OP_GET, {});
}

void DeviceLink::Get_Main_Volume() {
    LogPrintW(L"Get_Main_Volume\n");
    Request(CMD_DSP, DSP_VOLUME, OP_GET, {});
}

void DeviceLink::Get_Subwoofer_Volume() {
    LogPrintW(L"Get_Subwoofer_Volume\n");
    Request(CMD_DSP, DSP_SUBWOOFER_VOLUME, OP_GET, {});
}

void DeviceLink::Get_Mute() {
    LogPrintW(L"Get_Mute\n");
    Request(CMD_DSP, DSP_MUTE, OP_GET, {});
}

void DeviceLink::Get_Filter(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Filter: channel(%d) to channel(%d) @source(%d), scene(%d)\n", ch_x, ch_y, source, scene);
    Request(CMD_DSP, DSP_FILTER_SET, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_EQ(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band, uint8_t band_end) {
    LogPrintW(L"Get_EQ: band(%d) band_end(%d) @channel(%d) @source(%d), scene(%d)\n", band, band_end, ch, source,
              scene);
    Request(CMD_DSP, DSP_EQ_CH, OP_GET, {scene, source, ch, band, band_end});
}

void DeviceLink::Get_Delay(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Delay: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_DELAY_CH, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Trim(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Trim: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_TRIM_CH, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Mute_Ch(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Mute_Ch: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_MUTE_CH, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Phase(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Phase: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_PHASE_CH, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Mix_Ch(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Mix_Ch: scene(%d), output_channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_MIX_CH, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Remap_Ch(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Remap_Ch: scene(%d), output_channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_REMAP_CH, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_CH_Type(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_CH_Type: scene(%d), channel(%d), channel_end(%d)\n", scene, ch_x, ch_y);
    Request(CMD_DSP, DSP_CH_TYPE, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_CH_Link(uint8_t scene) {
    LogPrintW(L"Get_CH_Link: scene(%d)\n", scene);
    Request(CMD_DSP, DSP_CH_LINK, OP_GET, {scene});
}

void DeviceLink::Get_CH_Lock(uint8_t scene) {
    LogPrintW(L"Get_CH_Lock: scene(%d)\n", scene);
    Request(CMD_DSP, DSP_CH_LOCK, OP_GET, {scene});
}

void DeviceLink::Get_All_Bypass(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_All_Bypass: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_BYPASS, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_PEQ_Reset(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_PEQ_Reset: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_EQ_RESET, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_PEQ_Bypass(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_PEQ_Bypass: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_EQ_BYPASS, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::IRC_Get() {
    LogPrintW(L"IRC_Get\n");
    Request(CMD_DSP, DSP_IRC_CTRL, OP_GET, {});
}

void DeviceLink::IRC_Get_Distance(uint8_t ch, uint8_t ch_end) {
    LogPrintW(L"IRC_Get_Distance from ch(%d) to ch_end(%d)\n", ch, ch_end);
    Request(CMD_DSP, DSP_IRC_DISTANCE, OP_GET, {ch, ch_end});
}

void DeviceLink::IRC_Get_Trim(uint8_t ch, uint8_t ch_end) {
    LogPrintW(L"IRC_Get_Trim from ch(%d) to ch_end(%d)\n", ch, ch_end);
    Request(CMD_DSP, DSP_IRC_TRIM, OP_GET, {ch, ch_end});
}

void DeviceLink::IRC_Get_EQ(uint8_t ch, uint8_t band, uint8_t band_end) {
    LogPrintW(L"IRC_Get_EQ: from band(%d) to band_end(%d) @channel(%d)\n", band, band_end, ch);
    Request(CMD_DSP, DSP_IRC_EQ, OP_GET, {ch, band, band_end});
}

void DeviceLink::IRC_Get_Spk_Size(uint8_t ch, uint8_t ch_end) {
    LogPrintW(L"IRC_Get_Spk_Size from ch(%d) to ch_end(%d)\n", ch, ch_end);
    Request(CMD_DSP, DSP_IRC_SPK_SIZE, OP_GET, {ch, ch_end});
}

void DeviceLink::IRC_Get_Spk_Phase(uint8_t ch, uint8_t ch_end) {
    LogPrintW(L"IRC_Get_Spk_Phase from ch(%d) to ch_end(%d)\n", ch, ch_end);
    Request(CMD_DSP, DSP_IRC_SPK_PHASE, OP_GET, {ch, ch_end});
}

void DeviceLink::IRC_Get_Spk_Level(uint8_t ch, uint8_t ch_end) {
    LogPrintW(L"IRC_Get_Spk_Level from ch(%d) to ch_end(%d)\n", ch, ch_end);
    Request(CMD_DSP, DSP_IRC_SPK_LEVEL, OP_GET, {ch, ch_end});
}

void DeviceLink::IRC_Get_Spectrum(uint8_t ch, uint8_t band, uint8_t band_end) {
    LogPrintW(L"IRC_Get_Spectrum: from band(%d) to band_end(%d) @channel(%d)\n", band, band_end, ch);
    Request(CMD_DSP, DSP_IRC_SPECTRUM, OP_GET, {ch, band, band_end});
}

void DeviceLink::IRC_Get_Noise_Level(uint8_t ch, uint8_t ch_end) {
    LogPrintW(L"IRC_Get_Noise_Level from ch(%d) to ch_end(%d)\n", ch, ch_end);
    Request(CMD_DSP, DSP_IRC_NOISE_LEVEL, OP_GET, {ch, ch_end});
}

void DeviceLink::IRC_Get_RTA() {
    LogPrintW(L"IRC_Get_RTA\n");
    Request(CMD_DSP, DSP_IRC_RTA, OP_GET, {});
}

void DeviceLink::Get_Input_Trim(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Input_Trim: scene(%d), channel(%d) to channel(%d)\n", scene, ch_x, ch_y);
    Request(CMD_DSP, DSP_INPUT_TRIM_CH, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Mute_Input_Ch(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Mute_Input_Ch: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_INPUT_CH_MUTE, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Phase_Input_Ch(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Phase_Input_Ch: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_INPUT_CH_PHASE, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Input_EQ(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band, uint8_t band_end) {
    LogPrintW(L"Get_Input_EQ: @ channel(%d) @scene(%d)\n", ch, scene);
    Request(CMD_DSP, DSP_INPUT_EQ_CH, OP_GET, {scene, source, ch, band, band_end});
}

void DeviceLink::Get_Input_Mix_CH_Trim(uint8_t scene, uint8_t source, uint8_t in_ch, uint8_t out_x, uint8_t out_y) {
    LogPrintW(L"Get_Input_Mix_CH_Trim: scene(%d), in_channel(%d), out_ch_x(%d) to out_ch_y(%d)\n", scene, in_ch, out_x,
              out_y);
    Request(CMD_DSP, DSP_INPUT_MIX_CH_TRIM, OP_GET, {scene, source, in_ch, out_x, out_y});
}

void DeviceLink::Get_Input_Threshold(uint8_t scene, uint8_t source, bool sync) {
    LogPrintW(L"Get_Input_Threshold: scene(%d), source(%d)\n", scene, source);
    Submit(CMD_DSP, DSP_INPUT_THRESHOLD, OP_GET, Payload(kFixedBlock).U8(scene).U8(source), sync);
}

void DeviceLink::Get_Input_Noise(uint8_t ch_x, uint8_t ch_y, bool sync) {
    LogPrintW(L"Get_Input_Noise: ch_x(%d) to ch_y(%d)\n", ch_x, ch_y);
    Submit(CMD_DSP, DSP_INPUT_NOISE, OP_GET, Payload(kFixedBlock).U8(ch_x).U8(ch_y), sync);
}

void DeviceLink::Get_CH_Trim_Link(uint8_t scene) {
    LogPrintW(L"Get_CH_Trim_Link: scene(%d)\n", scene);
    Request(CMD_DSP, DSP_CH_TRIM_LINK, OP_GET, {scene});
}

void DeviceLink::Get_CH_Delay_Link(uint8_t scene) {
    LogPrintW(L"Get_CH_Delay_Link: scene(%d)\n", scene);
    Request(CMD_DSP, DSP_CH_DELAY_LINK, OP_GET, {scene});
}

void DeviceLink::Get_Sel_Remote_CH() { Request(CMD_DSP, DSP_SEL_REMOTE_CH, OP_GET, {}); }

void DeviceLink::Get_Ch_Solo(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Ch_Solo: scene(%d), channel(%d) to ch(%d)\n", scene, ch_x, ch_y);
    Request(CMD_DSP, DSP_CH_SOLO, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Speaker_Config() {
    LogPrintW(L"Get_Speaker_Config\n");
    Request(CMD_DSP, DSP_SPK_CH_CONFIG, OP_GET, {});
}

void DeviceLink::Get_Mix_Type(uint8_t scene, uint8_t source) {
    LogPrintW(L"Get_Mix_Type: scene(%d), source(%d)\n", scene, source);
    Request(CMD_DSP, DSP_MIX_TYPE, OP_GET, {scene, source});
}

void DeviceLink::Get_HPF_Q_Fact_Mode(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_HPF_Q_Fact_Mode: scene(%d), ch_x(%d) ch_y(%d)\n", scene, ch_x, ch_y);
    Request(CMD_DSP, DSP_HPF_Q_FACT_MODE, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_LPF_Q_Fact_Mode(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_LPF_Q_Fact_Mode: scene(%d), ch_x(%d) ch_y(%d)\n", scene, ch_x, ch_y);
    Request(CMD_DSP, DSP_LPF_Q_FACT_MODE, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Factory_Preset() {
    LogPrintW(L"Get_Speaker_Config\n");
    Request(CMD_DSP, DSP_FACTORY_PRESET, OP_GET, {});
}

void DeviceLink::Get_Setup_Mode() {
    LogPrintW(L"Get_Speaker_Config\n");
    Request(CMD_DSP, DSP_SETUP_MODE, OP_GET, {});
}

void DeviceLink::Get_AUTO_ON() {
    LogPrintW(L"Get_AUTO_ON\n");
    Request(CMD_DSP, DSP_AUTO_EFFECTION_ON_OFF_CONTROL, OP_GET, {});
}

void DeviceLink::Get_Compressor(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Compressor: scene(%d), source(%d), ch(%d), ch_end(%d)\n", scene, source, ch_x, ch_y);
    Request(CMD_DSP, DSP_COMPRESSOR_SETTING, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Amp_Mute() {
    LogPrintW(L"Get_Amp_Mute\n");
    Request(CMD_DSP, DSP_AMP_MUTE, OP_GET, {});
}

void DeviceLink::Get_InDistort(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_InDistort: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_INPUT_CH_DISTORT, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_OutDistort(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_OutDistort: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_OUTPUT_CH_DISTORT, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_MemData(uint32_t addr) {
    const uint8_t a0 = addr & 0xFF, a1 = (addr >> 8) & 0xFF, a2 = (addr >> 16) & 0xFF, a3 = addr >> 24;
    LogPrintW(L"Get_MemData: addr(0x%08x), data(0x%08x)\n", addr, 0);
    LogPrintW(L"addr %02x, %02x, %02x, %02x\n", a0, a1, a2, a3);
    LogPrintW(L"data %02x, %02x, %02x, %02x\n", 0, 0, 0, 0);
    Request(CMD_DSP, DSP_MEM_DATA, OP_GET, {a0, a1, a2, a3, 0, 0, 0, 0});
}

void DeviceLink::Get_Spk_Dist(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Spk_Dist: scene(%d), ch_x(%d) ch_y(%d)\n", scene, ch_x, ch_y);
    Request(CMD_DSP, DSP_SPK_DIST, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Mix_Source() {
    LogPrintW(L"Get_Mix_Source\n");
    Request(CMD_DSP, DSP_MIX_SOURCE_SWITCH, OP_GET, {});
}

void DeviceLink::Get_Rem_Out() {
    LogPrintW(L"Get_Rem_Out\n");
    Request(CMD_DSP, DSP_REM_OUT, OP_GET, {});
}

void DeviceLink::Get_Cross_Source_Mix(uint8_t scene, uint8_t source, uint8_t ch) {
    LogPrintW(L"Get_Mix_Source2\n");
    Request(CMD_DSP, DSP_CROSS_SOURCE_MIX, OP_GET, {scene, source, ch, 0, 0, 0});
}

void DeviceLink::Get_Compressor_Ch_On(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Compressor_Ch_On: scene(%d), channel(%d)\n", scene, ch_x);
    Request(CMD_DSP, DSP_COMPRESSOR_ON_CH, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Compressor2(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    LogPrintW(L"Get_Compressor2: scene(%d), source(%d), ch(%d), ch_end(%d)\n", scene, source, ch_x, ch_y);
    Request(CMD_DSP, DSP_COMPRESSOR_SETTING2, OP_GET, {scene, source, ch_x, ch_y});
}

void DeviceLink::Get_Spk_Ohm() {
    LogPrintW(L"Get_Spk_Ohm\n");
    Request(CMD_DSP, DSP_SPK_OHM, OP_GET, {});
}

void DeviceLink::Get_Ouput_Bridge(uint8_t scene, uint8_t source, uint8_t count) {
    LogPrintW(L"Get_Ouput_Bridge\n");
    Request(CMD_DSP, DSP_OUPUT_BRIDGE, OP_GET, {scene, source, count});
}

void DeviceLink::Get_Cross_Source_Mix_CS47048(uint8_t scene, uint8_t source, uint8_t ch) {
    LogPrintW(L"Get_Mix_Source2\n");
    Request(CMD_DSP, DSP_CROSS_SOURCE_MIX_CS47048, OP_GET, {scene, source, 0, 0, ch});
}

void DeviceLink::Get_Noise_Gate() {
    LogPrintW(L"Get_Noise_Gate\n");
    Request(CMD_DSP, DSP_NOISE_GATE, OP_GET, {});
}

void DeviceLink::Get_Mix_Type2(uint8_t scene, uint8_t source) {
    LogPrintW(L"Get_Mix_Type2: scene(%d), source(%d)\n", scene, source);
    Request(CMD_DSP, DSP_MIX_TYPE2, OP_GET, {scene, source});
}

// ---- Scenes ----

void DeviceLink::SaveScene(uint8_t scene, uint8_t immediately) {
    LogPrintW(L"SaveScene scene(%d) immediately=%d\n", scene, immediately);
    Request(CMD_FLASH, FLASH_SAVE_SCENE, OP_SET, {scene, immediately}, kSceneWaitMs);
}

void DeviceLink::ReadScene(uint8_t from, uint8_t to) {
    LogPrintW(L"ReadScene from scene(%d) to scene(%d)\n", from, to);
    Request(CMD_FLASH, FLASH_READ_SCENE, OP_SET, {from, to}, kSceneWaitMs);
}

void DeviceLink::DeleteScene(uint8_t scene) {
    LogPrintW(L"DeleteScene scene(%d)\n", scene);
    Request(CMD_FLASH, FLASH_DELETE_SCENE, OP_SET, {scene}, kSceneWaitMs);
}

void DeviceLink::SetSceneName(uint8_t scene, const char* name, uint8_t len) {
    Payload p(kSceneNameBlock);
    p.U8(scene).U8(len);
    if (name != nullptr) p.Bytes(reinterpret_cast<const uint8_t*>(name), len);
    LogPrintW(L"SetSceneName scene(%d), len(%d), (name)%hs\n", scene, len, LogText(name, len).text);
    if (name == nullptr && len > 0) return;
    Exchange(CMD_FLASH, FLASH_SCENE_NAME, OP_SET, p, kReplyWaitMs);
}

void DeviceLink::Get_SceneName(uint8_t scene) { Request(CMD_FLASH, FLASH_SCENE_NAME, OP_GET, {scene}); }

void DeviceLink::SetSceneProfile(uint8_t scene, uint16_t start, const uint8_t* data, uint8_t len) {
    LogPrintW(L"SetSceneProfile scene(%d)\n", scene);
    if (data == nullptr && len > 0) return;
    Payload p;
    p.U8(scene).BE16(start).U8(len);
    if (data != nullptr) p.Bytes(data, len);
    Exchange(CMD_FLASH, FLASH_SCENE_PROFILE, OP_SET, p, kSceneWaitMs);
}

void DeviceLink::GetSceneProfile(uint8_t scene, uint16_t start, uint8_t data_len) {
    LogPrintW(L"GetSceneProfile scene(%d), start = %d, data_len = %d\n", scene, start, data_len);
    Request(CMD_FLASH, FLASH_SCENE_PROFILE, OP_GET,
            {scene, static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start & 0xFF), data_len}, kSceneWaitMs);
}

void DeviceLink::GetScene_0x0D(uint8_t value) { Request(CMD_FLASH, FLASH_SCENE_0X0D, OP_GET, {value}); }

void DeviceLink::GetSceneID() { Request(CMD_FLASH, FLASH_SCENE_ID, OP_GET, {}); }

void DeviceLink::GetValidScene() { Request(CMD_FLASH, FLASH_SCENE_VALID, OP_GET, {}); }

// ---- MCU ----

bool DeviceLink::Hand_Connect() {
    LogPrintW(L"Hand_Connect\n");
    // Counted under the exchange lock, after the stale input is gone, so only this call's own reply can
    // move the counter. Always exchanged on the caller's thread: the caller needs the answer.
    std::lock_guard<std::recursive_mutex> lock(mExchangeLock);
    DrainStaleInput();
    const uint32_t before = mHandshakeReplies;
    ExchangeHere(CMD_MCU, MCU_HANDSHAKE, OP_SET, nullptr, 0, kReplyWaitMs);
    return mHandshakeReplies != before;
}

void DeviceLink::Get_Flash_Version() {
    LogPrintW(L"Get_Flash_Version\n");
    Request(CMD_MCU, MCU_GET_DSPFLASH_VER, OP_GET, {}, kShortWaitMs);
}

void DeviceLink::Get_Bootloader_Version() {
    LogPrintW(L"Get_Bootloader_Version\n");
    Request(CMD_MCU, MCU_BOOTLOADER_VER, OP_GET, {}, kShortWaitMs);
}

void DeviceLink::SetPWD(const char* pwd, uint8_t len, const char* pwd2, uint8_t len2) {
    LogPrintW(L"SetPWD len(%d), (password)%hs\n", len, LogText(pwd, len).text);
    if ((pwd == nullptr && len > 0) || (pwd2 == nullptr && len2 > 0)) return;
    Payload p(kPasswordBlock);
    p.U8(len);
    if (pwd != nullptr) p.Bytes(reinterpret_cast<const uint8_t*>(pwd), len);
    p.U8(len2);
    if (pwd2 != nullptr) p.Bytes(reinterpret_cast<const uint8_t*>(pwd2), len2);
    Exchange(CMD_MCU, MCU_PASSWORD, OP_SET, p, kReplyWaitMs);
}

void DeviceLink::Get_PWD() { Request(CMD_MCU, MCU_PASSWORD, OP_GET, {}); }

void DeviceLink::PC_Connect(uint8_t on) {
    LogPrintW(L"PC_Connect = %d\n", on);
    Request(CMD_MCU, MCU_PC_CONNECT, OP_SET, {on}, 0);
}

void DeviceLink::Get_MCU_0x41(bool sync) { Submit(CMD_MCU, MCU_0X41, OP_GET, Payload(kFixedBlock), sync); }

bool DeviceLink::MCU_Factory_Default() {
    mFactoryResetAcked = false;
    Request(CMD_MCU, MCU_FACTORY_DEFAULT, OP_SET, {}, kFactoryDefaultWaitMs);
    return mFactoryResetAcked.load();
}

void DeviceLink::Set_Power_Off_Time(uint16_t ms, bool sync) {
    LogPrintW(L"Set_Power_Off_Time = %dms\n", ms);
    Submit(CMD_MCU, MCU_POWER_OFF_DELAY, OP_SET, Payload(kFixedBlock).BE16(ms), sync);
}

void DeviceLink::Get_Delay_Power_Off_Time() {
    LogPrintW(L"Get_Delay_Power_Off_Time\n");
    Request(CMD_MCU, MCU_POWER_OFF_DELAY, OP_GET, {}, kShortWaitMs);
}

void DeviceLink::Set_Acc(uint8_t delay, bool sync) {
    LogPrintW(L"Set_Acc delay:%d\n", delay);
    Submit(CMD_MCU, MCU_ACC, OP_SET, Payload(kFixedBlock).U8(delay), sync);
}

void DeviceLink::Get_Acc() {
    LogPrintW(L"Get_Acc\n");
    Request(CMD_MCU, MCU_ACC, OP_GET, {});
}

// ---- KTV ----

void DeviceLink::KTV_Mic_Vol_Ctrl(uint8_t value, bool sync) {
    Submit(CMD_KTV, KTV_MIC_VOL, OP_SET, Payload(kFixedBlock).U8(value), sync);
}
void DeviceLink::KTV_Music_Vol_Ctrl(uint8_t value, bool sync) {
    Submit(CMD_KTV, KTV_MUSIC_VOL, OP_SET, Payload(kFixedBlock).U8(value), sync);
}
void DeviceLink::KTV_Howling_Ctrl(uint8_t value, bool sync) {
    Submit(CMD_KTV, KTV_HOWLING, OP_SET, Payload(kFixedBlock).U8(value), sync);
}
void DeviceLink::KTV_Echo_Level_Ctrl(uint8_t value, bool sync) {
    Submit(CMD_KTV, KTV_ECHO_LEVEL, OP_SET, Payload(kFixedBlock).U8(value), sync);
}
void DeviceLink::KTV_Echo_Delay_Ctrl(uint16_t value, bool sync) {
    Submit(CMD_KTV, KTV_ECHO_DELAY, OP_SET, Payload(kFixedBlock).BE16(value), sync);
}
void DeviceLink::KTV_Reverb_Level_Ctrl(uint8_t value, bool sync) {
    Submit(CMD_KTV, KTV_REVERB_LEVEL, OP_SET, Payload(kFixedBlock).U8(value), sync);
}
void DeviceLink::KTV_Reverb_Time_Ctrl(uint8_t value, bool sync) {
    Submit(CMD_KTV, KTV_REVERB_TIME, OP_SET, Payload(kFixedBlock).U8(value), sync);
}
void DeviceLink::KTV_Voice_Changer_Ctrl(uint8_t value, bool sync) {
    Submit(CMD_KTV, KTV_VOICE_CHANGER, OP_SET, Payload(kFixedBlock).U8(value), sync);
}
void DeviceLink::KTV_Bass_Gain_Ctrl(int8_t value, bool sync) {
    Submit(CMD_KTV, KTV_BASS_GAIN, OP_SET, Payload(kFixedBlock).U8(static_cast<uint8_t>(value)), sync);
}
void DeviceLink::KTV_Treble_Gain_Ctrl(int8_t value, bool sync) {
    Submit(CMD_KTV, KTV_TREBLE_GAIN, OP_SET, Payload(kFixedBlock).U8(static_cast<uint8_t>(value)), sync);
}

void DeviceLink::Get_KTV_Mic_Vol(uint8_t, uint8_t) { Request(CMD_KTV, KTV_MIC_VOL, OP_GET, {}); }
void DeviceLink::Get_KTV_Music_Vol(uint8_t, uint8_t) { Request(CMD_KTV, KTV_MUSIC_VOL, OP_GET, {}); }
void DeviceLink::Get_KTV_Howling(uint8_t, uint8_t) { Request(CMD_KTV, KTV_HOWLING, OP_GET, {}); }
void DeviceLink::Get_KTV_Echo_Level(uint8_t, uint8_t) { Request(CMD_KTV, KTV_ECHO_LEVEL, OP_GET, {}); }
void DeviceLink::Get_KTV_Echo_Delay(uint8_t, uint8_t) { Request(CMD_KTV, KTV_ECHO_DELAY, OP_GET, {}); }
void DeviceLink::Get_KTV_Reverb_Level(uint8_t, uint8_t) { Request(CMD_KTV, KTV_REVERB_LEVEL, OP_GET, {}); }
void DeviceLink::Get_KTV_Reverb_Time(uint8_t, uint8_t) { Request(CMD_KTV, KTV_REVERB_TIME, OP_GET, {}); }
void DeviceLink::Get_KTV_Voice_Changer(uint8_t, uint8_t) { Request(CMD_KTV, KTV_VOICE_CHANGER, OP_GET, {}); }
void DeviceLink::Get_KTV_Bass_Gain(uint8_t, uint8_t) { Request(CMD_KTV, KTV_BASS_GAIN, OP_GET, {}); }
void DeviceLink::Get_KTV_Treble_Gain(uint8_t, uint8_t) { Request(CMD_KTV, KTV_TREBLE_GAIN, OP_GET, {}); }
