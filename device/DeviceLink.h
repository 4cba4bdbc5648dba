#pragma once
// DeviceLink: the one object through which the application talks to the amplifier (USB HID, vendor
// 0x0483, product 0x5750). It owns the HID connection, the receive ring and frame parser, the send queue
// and its worker, the reply windows that decoded replies are posted to, and the command catalogue:
// one named builder per request, each logging its line and sending at once or through the queue.
//
// Threads: builders run on their caller's thread, queued commands on the link's worker. One
// request-and-reply exchange (a send and the read that follows it) holds the exchange lock, so a
// thread always reads the reply to its own request; the flags are atomic and the queue takes several
// producers. The UI thread never waits for the device: its synchronous calls that read a reply are
// carried out by the worker, in order, and their replies arrive as posted messages like any other.
//
// A write or read that fails (rather than times out) means the device has gone: the link is marked
// failed and every later request fails at once, without touching the device, until it is opened again.
#include "device/DeviceClock.h"
#include "device/DeviceProtocol.h"
#include "device/DeviceRecords.h"
#include "device/HidBackend.h"
#include "device/HidPacket.h"
#include "device/McuCmd.h"
#include "device/ReplyPoster.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class Payload;
class Thread;

// What a DeviceLink talks through. Null members get the product's: hidapi, GetTickCount/Sleep,
// PostMessageW. The objects given must outlive the link.
struct DeviceLinkSeams {
    HidBackend* hid = nullptr;
    DeviceClock* clock = nullptr;
    ReplyPoster* poster = nullptr;
};

class DeviceLink {
public:
    static constexpr uint16_t kVendorId = 0x0483;
    static constexpr uint16_t kProductId = 0x5750;
    static constexpr int kReplyWindows = 5;
    static constexpr size_t kRingSize = 1024;
    static constexpr uint32_t kWriteBusyTimeoutMs = 2000;
    static constexpr int kReplyWaitMs = 10000;

    // Reply window slots.
    enum ReplySlot { kMainWnd = 0, kSceneWnd = 1, kCalibrationWnd = 2, kNoiseWnd = 3, kMemoryWnd = 4 };

    DeviceLink();
    explicit DeviceLink(const DeviceLinkSeams& seams);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // ---- Link object ----
    void SetDeviceProfile(uint8_t pc_model_id, uint32_t outputs, uint32_t inputs, uint32_t wideTrim,
                          uint8_t noiseReplyToMain);
    // Also takes the window's thread as the UI thread.
    void SetMainHwnd(HWND hwnd);
    // The thread whose synchronous requests are handed to the worker instead of waiting; 0 for none.
    void SetUiThread(DWORD threadId) { mUiThread = threadId; }
    // Opening is one step however many threads ask at once.
    void OpenHIDDevice();
    void CloseHIDDevice(bool notify);
    bool IsConnected() const { return mHidHandle.load() != nullptr; }
    // The USB serial number of the amplifier opened last (empty when it gave none): which amplifier it is.
    std::wstring SerialNumber() const;
    // True once a write or read found the device gone; cleared when it is opened again.
    bool IsLinkFailed() const { return mLinkFailed.load(); }
    void EnableCmdQueue() { mQueueEnabled = 1; }
    void DisableCmdQueue() { mQueueEnabled = 0; }
    bool IsUpgFlash() const { return upg_device == 1; }
    bool IsUpgMcu() const { return upg_device == 2; }
    bool IsUpgBL() const { return upg_device == 3; }
    void SetNoCheckID(uint8_t flag) { noCheckID = flag; }
    static bool RunHiddenProcess(const wchar_t* commandLine);
    // True when nothing is queued and the worker is not sending or reading.
    bool IsCmdQueueIdle() const;

    // While a thread holds a reply batch, the replies it decodes are posted once its next request has
    // been written, while that request is on the bus, instead of between the reply and that request (a
    // post costs a good part of a bus interval under Wine); the batch's end posts whatever is left. The
    // order of posts is kept: a reply decoded by another thread first posts what is pending. One batch
    // at a time; a second one meanwhile changes nothing.
    class ReplyBatch {
    public:
        explicit ReplyBatch(DeviceLink& link);
        ~ReplyBatch();
        ReplyBatch(const ReplyBatch&) = delete;
        ReplyBatch& operator=(const ReplyBatch&) = delete;

    private:
        DeviceLink& mLink;
        bool mOwner = false;
    };

    // ---- Send path ----
    bool SendCtrlCommand(uint8_t cmd, uint8_t sub, uint8_t optype, const uint8_t* payload, uint8_t len);
    bool PingMsg();

    // ---- Receive path ----
    uint32_t ReadHIDData(uint8_t* buffer, int timeoutMs);
    void RingPush(uint8_t byte);
    void RingDrain();
    uint8_t FrameParser(uint8_t state, uint8_t byte);
    uint32_t packet_checksum(uint8_t length, uint8_t type, const uint8_t* data);
    void packet_process(uint8_t length, uint8_t type, const uint8_t* data);

    // ---- Reply decoders (data[0] sub-command, data[1] optype; dataLength = L - 1) ----
    void dsp_ack_process(const uint8_t* data, size_t dataLength);
    void McuAckProcess(const uint8_t* data, size_t dataLength);
    void FlashAckProcess(const uint8_t* data, size_t dataLength);
    void KtvAckProcess(const uint8_t* data, size_t dataLength);

    // ---- Send queue worker ----
    static void McuCmdThread(void* link);

    // ---- Firmware image files: each returns an UpgResult (0 valid, 1 cannot open, 2 invalid, 3 not
    // connected). Paths are wide, so any file name opens. ----
    int CopyFileToBuffer(const wchar_t* path);     // MCU or bootloader wrapper into mMcuImage
    int MCUUpgParsingFile(const wchar_t* path);    // MCU application image
    int MCUUpgBLParsingFile(const wchar_t* path);  // MCU bootloader image
    int FlashUpgParsingFile(const wchar_t* path);  // DSP flash wrapper into mDspImage
    int ParsingUpgFWFile(const wchar_t* path);     // combined file: MCU and DSP wrappers; runs as a DSP upgrade

    // ---- Firmware upgrade, driven from one worker thread with the send queue off ----
    // Reads and checks the file chosen by its name, puts the device into upgrade mode, reconnects and sends
    // the start command. 0 started, else the UpgResult (4: the device refused or did not answer).
    int UpgradeStart(const wchar_t* path, uint8_t erase);
    // One step of the transfer: 0..100 percent while running, UPG_PROGRESS_DONE (101) when finished,
    // UPG_PROGRESS_FAILED (255) when it failed or no upgrade is running. Each call reads at most once.
    uint8_t UpgradeProgress();
    // The commands of the procedure; those that read take one reply of up to kReplyWaitMs.
    void MCU_Enter_Upg_Mode();
    void MCU_Enter_BL_Mode();
    void MCU_Upg_Start();
    void MCU_Upg_Start_BL();
    void Flash_Chip_Erase();
    void Flash_Upg_Start();
    bool Flash_Write_Data(uint32_t offset, const uint8_t* data, uint8_t length);  // false: not written
    void MCU_Reboot_Ctrl();
    // Start wrappers: 0 when the acknowledgement moved the upgrade on, else UPG_START_FAIL.
    int StartMCUUpg();
    int StartMCUUpgBL();
    int StartFlashUpg();
    int StartFlashErase();

    // ---- DSP setters: the last argument sends at once (true) or through the queue (false) ----
    void Source_Switch_Ctrl(uint8_t source, bool sync);
    void Main_Volume_Ctrl(float gain, bool sync);
    void Subwoofer_Volume_Ctrl(uint8_t volume, bool sync);
    void Mute_Ctrl(uint8_t mute, bool sync);
    void Filter_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t iFilter, int32_t freq, int32_t slope,
                     int32_t type, bool sync);
    // The Q goes out as whole and tenths, the gain as whole and tenths of gain + 18.
    void EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band, uint16_t freq, float q, float gain,
                 bool sync);
    void Delay_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const float* delay, bool sync);
    void Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const float* trim, bool sync);
    void Mute_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* mute, bool sync);
    void Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* phase, bool sync);
    void Mix_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const int32_t* mask, bool sync);
    void Remap_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t out_ch, const uint8_t* in, uint8_t count, bool sync);
    void CH_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* type, bool sync);
    void CH_Link_Ctrl(uint8_t scene, uint8_t link, uint8_t count, const uint8_t* pairs, bool sync);
    void CH_Lock_Ctrl(uint8_t x, uint8_t lock, bool sync);
    void DSP_Bypass_Ctrl(uint8_t scene, uint8_t source, uint8_t channel, uint8_t bypass, bool sync);
    void PEQ_Reset_Ctrl(uint8_t scene, uint8_t source, uint8_t count, const uint8_t* ch, bool sync);
    void PEQ_Bypass_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* bypass, bool sync);
    void IRC_Ctrl(uint8_t on, uint16_t ircch, uint8_t eqmode, bool sync);
    void IRC_Set_Test_Mic(uint8_t on, bool sync);
    void IRC_Sel_Test_Module(uint8_t module, bool sync);
    void Input_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* gain, bool sync);
    void Mute_Input_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* mute,
                            bool sync);
    void Input_Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* phase,
                          bool sync);
    void Input_EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band_x, uint8_t band_y,
                       const uint16_t* freq, const float* q, const float* gain, bool sync);
    void Input_Mix_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t in_ch, uint8_t out_x, uint8_t out_y,
                             const uint8_t* trim, bool sync);
    void Input_Ch_Threshold_Ctrl(int8_t threshold, bool sync);
    void Input_Mix_Trim_Ctrl2(uint8_t scene, uint8_t source, uint8_t in_x, uint8_t in_y, uint8_t out_ch,
                              const uint8_t* trim, bool sync);
    void CH_Trim_Link_Ctrl(uint8_t scene, uint8_t link, uint8_t count, const uint8_t* pairs, bool sync);
    void CH_Delay_Link_Ctrl(uint8_t scene, uint8_t link, uint8_t count, const uint8_t* pairs, bool sync);
    void Sel_Remote_CH_Ctrl(uint16_t sel_ch, bool sync);
    void Remote_CH_Volume_Ctrl(uint8_t volume, bool sync);
    void Solo_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* solo, bool sync);
    void Speaker_Config_Ctrl(uint8_t config, bool sync);
    void Mix_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t type, bool sync);
    void HPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* type, bool sync);
    void LPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* type, bool sync);
    void Factory_Preset_Ctrl(uint8_t mode);
    void Setup_Mode_Ctrl(uint8_t mode);
    void AUTO_ON_Ctrl(uint8_t scene, uint8_t on, bool sync);
    void IRC_Active_Bypass_Ctrl(uint8_t scene, uint8_t bypass, bool sync);
    void CS_Auto_Setting_Ctrl(const uint32_t words[13], bool sync);
    void Compressor_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bypass, float threshold, float ratio,
                         int32_t attack, int32_t release, float softKnee, bool sync);
    void Amp_Mute_Ctrl(uint8_t t_mute, bool sync);
    void Set_MemData(uint32_t addr, uint32_t data, bool sync);
    void Spk_Dist_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint16_t* dist, bool sync);
    void Mix_Source_Switch_Ctrl(uint8_t source, bool sync);
    void Rem_Out_Ctrl(uint8_t remOut1, uint8_t remOut2, bool sync);
    void Cross_Source_Mix_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t vice_source, uint8_t vice_ch,
                               uint8_t vice_gain, bool sync);
    void Compressor_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* on, bool sync);
    void Compressor_Ctrl2(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const Compressor2Setting* record,
                          bool sync);
    void Spk_Ohm_Ctrl(uint8_t ohm, bool sync);
    void Output_Bridge_Ctrl(uint8_t scene, uint8_t source, uint8_t count, const uint8_t* bridge, bool sync);
    void Cross_Source_Mix_Ctrl_CS47048(uint8_t scene, uint8_t source, uint8_t ch, uint8_t vice_source,
                                       uint8_t vice_ch, bool sync);
    void Noise_Gate_Ctrl(uint8_t onoff, bool sync);
    void Mix_Type2_Ctrl(uint8_t scene, uint8_t source, uint8_t type, bool sync);

    // ---- DSP getters: sent at once; the answer arrives as a posted reply ----
    void Get_Source_Config();
    void Get_Source();
    void Get_Main_Volume();
    void Get_Subwoofer_Volume();
    void Get_Mute();
    void Get_Filter(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_EQ(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band, uint8_t band_end);
    void Get_Delay(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Trim(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Mute_Ch(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Phase(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Mix_Ch(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Remap_Ch(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_CH_Type(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_CH_Link(uint8_t scene);
    void Get_CH_Lock(uint8_t scene);
    void Get_All_Bypass(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_PEQ_Reset(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_PEQ_Bypass(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void IRC_Get();
    void IRC_Get_Distance(uint8_t ch, uint8_t ch_end);
    void IRC_Get_Trim(uint8_t ch, uint8_t ch_end);
    void IRC_Get_EQ(uint8_t ch, uint8_t band, uint8_t band_end);
    void IRC_Get_Spk_Size(uint8_t ch, uint8_t ch_end);
    void IRC_Get_Spk_Phase(uint8_t ch, uint8_t ch_end);
    void IRC_Get_Spk_Level(uint8_t ch, uint8_t ch_end);
    void IRC_Get_Spectrum(uint8_t ch, uint8_t band, uint8_t band_end);
    void IRC_Get_Noise_Level(uint8_t ch, uint8_t ch_end);
    void IRC_Get_RTA();
    void Get_Input_Trim(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Mute_Input_Ch(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Phase_Input_Ch(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Input_EQ(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band, uint8_t band_end);
    void Get_Input_Mix_CH_Trim(uint8_t scene, uint8_t source, uint8_t in_ch, uint8_t out_x, uint8_t out_y);
    void Get_Input_Threshold(uint8_t scene, uint8_t source, bool sync);
    void Get_Input_Noise(uint8_t ch_x, uint8_t ch_y, bool sync);
    void Get_CH_Trim_Link(uint8_t scene);
    void Get_CH_Delay_Link(uint8_t scene);
    void Get_Sel_Remote_CH();
    void Get_Ch_Solo(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Speaker_Config();
    void Get_Mix_Type(uint8_t scene, uint8_t source);
    void Get_HPF_Q_Fact_Mode(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_LPF_Q_Fact_Mode(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Factory_Preset();
    void Get_Setup_Mode();
    void Get_AUTO_ON();
    void Get_Compressor(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Amp_Mute();
    void Get_InDistort(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_OutDistort(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_MemData(uint32_t addr);
    void Get_Spk_Dist(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Mix_Source();
    void Get_Rem_Out();
    void Get_Cross_Source_Mix(uint8_t scene, uint8_t source, uint8_t ch);
    void Get_Compressor_Ch_On(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Compressor2(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y);
    void Get_Spk_Ohm();
    void Get_Ouput_Bridge(uint8_t scene, uint8_t source, uint8_t count);
    void Get_Cross_Source_Mix_CS47048(uint8_t scene, uint8_t source, uint8_t ch);
    void Get_Noise_Gate();
    void Get_Mix_Type2(uint8_t scene, uint8_t source);

    // ---- Scene commands (all sent at once) ----
    void SaveScene(uint8_t scene, uint8_t immediately);
    void ReadScene(uint8_t from, uint8_t to);
    void DeleteScene(uint8_t scene);
    void SetSceneName(uint8_t scene, const char* name, uint8_t len);
    void Get_SceneName(uint8_t scene);
    void SetSceneProfile(uint8_t scene, uint16_t start, const uint8_t* data, uint8_t len);
    void GetSceneProfile(uint8_t scene, uint16_t start, uint8_t data_len);
    void GetScene_0x0D(uint8_t value);
    void GetSceneID();
    void GetValidScene();

    // ---- MCU commands ----
    // True only when a handshake reply (or the upgrade-mode ping reply) was decoded during the call.
    bool Hand_Connect();
    void Get_Flash_Version();
    void Get_Bootloader_Version();
    void SetPWD(const char* pwd, uint8_t len, const char* pwd2, uint8_t len2);
    void Get_PWD();
    void PC_Connect(uint8_t on);  // written without a read: the amplifier does not answer it
    void Get_MCU_0x41(bool sync);
    // True when the amplifier acknowledged the reset as done (it restarts then).
    bool MCU_Factory_Default();
    void Set_Power_Off_Time(uint16_t ms, bool sync);
    void Get_Delay_Power_Off_Time();
    void Set_Acc(uint8_t delay, bool sync);
    void Get_Acc();

    // ---- KTV (microphone and karaoke) commands ----
    void KTV_Mic_Vol_Ctrl(uint8_t value, bool sync);
    void KTV_Music_Vol_Ctrl(uint8_t value, bool sync);
    void KTV_Howling_Ctrl(uint8_t value, bool sync);
    void KTV_Echo_Level_Ctrl(uint8_t value, bool sync);
    void KTV_Echo_Delay_Ctrl(uint16_t value, bool sync);
    void KTV_Reverb_Level_Ctrl(uint8_t value, bool sync);
    void KTV_Reverb_Time_Ctrl(uint8_t value, bool sync);
    void KTV_Voice_Changer_Ctrl(uint8_t value, bool sync);
    void KTV_Bass_Gain_Ctrl(int8_t value, bool sync);
    void KTV_Treble_Gain_Ctrl(int8_t value, bool sync);
    // The two arguments are the caller's; the request carries none.
    void Get_KTV_Mic_Vol(uint8_t a, uint8_t b);
    void Get_KTV_Music_Vol(uint8_t a, uint8_t b);
    void Get_KTV_Howling(uint8_t a, uint8_t b);
    void Get_KTV_Echo_Level(uint8_t a, uint8_t b);
    void Get_KTV_Echo_Delay(uint8_t a, uint8_t b);
    void Get_KTV_Reverb_Level(uint8_t a, uint8_t b);
    void Get_KTV_Reverb_Time(uint8_t a, uint8_t b);
    void Get_KTV_Voice_Changer(uint8_t a, uint8_t b);
    void Get_KTV_Bass_Gain(uint8_t a, uint8_t b);
    void Get_KTV_Treble_Gain(uint8_t a, uint8_t b);

    // ---- Fields the application and the firmware upgrade read and write directly ----
    std::atomic<HWND> mReplyWnd[kReplyWindows];  // written by the windows that own slots 1..4
    std::atomic<uint8_t> mRunning{0};
    std::atomic<uint8_t> mQueueEnabled{0};
    std::atomic<int32_t> mModel{-1};
    uint32_t mOutputCount = 0;
    uint32_t mInputCount = 0;
    uint32_t mWideTrim = 0;
    uint32_t mNoiseReplyToMain = 0;

    // Firmware upgrade state, moved by the MCU and FLASH acknowledgements.
    uint8_t mChunk[128] = {};
    uint32_t mMcuImageSize = 0;
    uint32_t mDspImageSize = 0;
    uint32_t mMcuRemaining = 0;
    uint32_t mDspSent = 0;
    std::atomic<uint16_t> mUpgIoPhase{0};
    FILE* mFwFile = nullptr;
    uint8_t* mergedFW = nullptr;
    uint8_t* mMcuImage = nullptr;
    uint8_t* mDspImage = nullptr;
    uint8_t upg_device = 0;
    uint8_t pc_model_id = 0;
    uint8_t FW_MODEL_ID = 0;
    uint8_t FW_ID = 0;
    uint8_t mMergedHead[2] = {};
    uint8_t mMcuHead[4] = {};
    uint8_t mDspHead[4] = {};

    std::atomic<int32_t> mBytesRead{0};
    std::atomic<uint32_t> WRITE_ROPRT{0};  // 1 while a report is being written
    uint8_t noCheckID = 0;
    std::atomic<uint8_t> mHandshakeOk{0};  // 1 after a normal handshake reply
    std::atomic<uint8_t> mBootloaderVersion{0};
    std::atomic<bool> mFactoryResetAcked{false};  // set by the factory reset's acknowledgement
    std::atomic<uint32_t> mUpgState{UPG_IDLE};
    std::atomic<uint32_t> mLastWriteTick{0};

    // Firmware versions of the last normal handshake reply.
    std::atomic<uint32_t> mMasterVersion{0};
    std::atomic<uint32_t> mSlaveVersion{0};

private:
    friend struct DspReplyDecoder;
    friend struct McuReplyDecoder;

    void Construct(const DeviceLinkSeams& seams);

    // A setter's last step: send and read now, queue, or drop.
    enum class Outcome { Sent, Failed, Queued, QueueFailed, Dropped, Refused };
    Outcome Submit(uint8_t cmd, uint8_t sub, uint8_t optype, const Payload& payload, bool sync);
    // One request and the read of its reply (no read when waitMs is 0), atomic against other threads;
    // on the UI thread a request with a reply is handed to the worker (true once queued). False when
    // the payload was refused, the write failed or no reply came.
    bool Exchange(uint8_t cmd, uint8_t sub, uint8_t optype, const Payload& payload, int waitMs);
    // The exchange on this thread: stale input drained, the request written and, only when that
    // succeeded, its reply read. True when a report came back.
    bool ExchangeHere(uint8_t cmd, uint8_t sub, uint8_t optype, const uint8_t* data, uint8_t len, int waitMs);
    bool OnUiThread() const;
    bool CarryThroughWorker(uint8_t cmd, uint8_t sub, uint8_t optype, const Payload& payload, int waitMs);
    bool EnqueueItem(uint8_t cmd, uint8_t sub, uint8_t optype, const Payload& payload, int waitMs);
    bool PayloadFits(uint8_t cmd, uint8_t sub, const Payload& payload);
    // A getter or immediate setter: the bytes given, sent at once, then the reply read.
    void Request(uint8_t cmd, uint8_t sub, uint8_t optype, std::initializer_list<uint8_t> bytes,
                 int waitMs = kReplyWaitMs);
    // A channel-range setter with one byte per channel; each channel is logged with `format`, whose
    // arguments are (scene, channel, value), or (scene, source, channel, value) when withSource.
    void SetByteRange(uint8_t sub, const wchar_t* format, bool withSource, uint8_t scene, uint8_t source,
                      uint8_t ch_x, uint8_t ch_y, const uint8_t* values, bool sync);
    // A link setter: scene, link, count, then the (from, to) pairs.
    void SetLinkPairs(uint8_t sub, const wchar_t* format, uint8_t scene, uint8_t link, uint8_t count,
                      const uint8_t* pairs, bool sync);
    void LogQueuedCmd(const McuCmd& cmd);
    void RunCmdWorker();

    // Ring and parser.
    bool RingEmpty() const { return mRingRead == mRingWrite; }
    void ResetReceiveState();
    // Pushes the mBytesRead bytes of one report through the ring and the parser; 1, or 0 when the
    // device closed meanwhile.
    uint32_t TakeReport(const uint8_t* buffer);
    // Decodes (and logs) input that is already waiting, so that it is not taken as the next reply.
    void DrainStaleInput();
    void MarkLinkFailed(const wchar_t* what);

    // Posts a reply; a record whose post fails is freed here, since no receiver will.
    void PostValue(int slot, UINT message, WPARAM wParam, LPARAM value);
    void PostRecord(int slot, UINT message, WPARAM wParam, void* record);
    struct PendingPost {
        int slot;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool record;  // lParam is a malloc'd record
    };
    // Posts now, or holds the post while this thread's reply batch runs.
    void Deliver(const PendingPost& post);
    void PostNow(const PendingPost& post);
    void FlushPendingPosts();

    std::unique_ptr<HidBackend> mOwnedHid;  // the product backend when none was injected
    HidBackend* mHid = nullptr;
    DeviceClock* mClock = nullptr;
    ReplyPoster* mPoster = nullptr;

    McuCmdQueue mCmdQueue;
    std::atomic<int> mPendingCmds{0};  // queued and not yet sent and read by the worker
    Thread* mCmdThread = nullptr;

    std::atomic<HidHandle*> mHidHandle{nullptr};
    std::mutex mOpenLock;                // one open or close at a time
    mutable std::mutex mSerialLock;
    std::wstring mSerial;                // guarded by mSerialLock
    std::recursive_mutex mExchangeLock;  // one send and its read; also guards ring and parser
    std::atomic<bool> mLinkFailed{false};
    std::atomic<DWORD> mUiThread{0};
    std::atomic<DWORD> mBatchThread{0};      // the thread whose reply batch runs, 0 for none
    std::vector<PendingPost> mPendingPosts;  // guarded by mExchangeLock
    static constexpr int kMaxStaleReports = 16;  // a device that never stops talking cannot hold a send

    uint32_t mRingWrite = 0;
    uint32_t mRingRead = 0;
    uint8_t mRing[kRingSize] = {};
    uint8_t* mRxBuffer = nullptr;
    uint8_t mLastByte = 0;
    uint8_t mParseState = 0;
    uint8_t packet_length = 0;
    uint8_t packet_type = 0;
    uint8_t mPacketData[512] = {};

    std::atomic<uint32_t> mHandshakeReplies{0};  // handshake and ping replies decoded so far
    std::atomic<bool> mReadFailed{false};        // the last ReadHIDData ended in an error, not a time-out

    // Firmware files and upgrade.
    static constexpr long kMaxSingleImageFile = 0x100000;
    static constexpr long kMaxCombinedFile = 0x200000;
    static constexpr int kMaxSilentAckReads = 6;  // empty reads for one chunk before the upgrade fails
    int mSilentAckReads = 0;
    // Reads the whole file through mFwFile into a malloc'd block the caller frees: UPG_FILE_VALID,
    // UPG_FILE_OPEN_FAIL, or UPG_FILE_INVALID when it is larger than maxBytes or cannot be read.
    int ReadFirmwareFile(const wchar_t* path, long maxBytes, uint8_t*& bytes, size_t& size);
    // The MCU and bootloader parsers: the same steps for their target, logged under the parser's name.
    int ParseMcuImageFile(const wchar_t* path, uint8_t device, const wchar_t* name, const wchar_t* failedIn);
    void FreeFirmwareImages();
    int FailUpgradeStart(int result);
    // 0 when the acknowledgement moved the upgrade to the state given, else UPG_START_FAIL.
    int AcknowledgedStart(uint32_t acknowledgedState);
    void ReconnectAfterModeChange();
    void SendNextMcuChunk();
    void SendNextDspChunk();
    void ReadChunkAck();
    uint8_t FinishUpgrade();
    uint8_t UpgradePercent() const;
};
