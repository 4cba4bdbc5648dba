// DeviceLink firmware upgrade. UpgradeStart checks the file, puts the device into upgrade (or bootloader)
// mode, waits for it to come back on the bus and sends the start command; UpgradeProgress then moves the
// transfer one step per call. MCU and bootloader images go in 32-byte chunks from the end toward offset 0
// (the first chunk carries the odd remainder), DSP images in chunks of up to 50 bytes from offset 0.
// The acknowledgements are decoded once, by the read that receives them, and move mUpgState.
#include "device/DeviceLink.h"

#include "base/Log.h"
#include "device/Payload.h"

#include <algorithm>
#include <cwctype>
#include <string>

namespace {

constexpr uint32_t kMcuChunkBytes = 32;
constexpr uint8_t kMcuChunkPayload = 4 + kMcuChunkBytes;  // offset, then the bytes zero-padded
constexpr uint32_t kDspChunkBytes = 50;
constexpr uint32_t kModeChangeMs = 8000;  // the device restarts into upgrade mode meanwhile
constexpr int kReopenAttempts = 10;
constexpr uint32_t kReopenPauseMs = 500;

// Which reader a file name asks for, tested in this order.
enum class FileKind { Unknown, Bootloader, Flash, Mcu, Combined };

// The file name after the last path separator, upper-cased for the pattern test.
std::wstring UpperFileName(const wchar_t* path) {
    std::wstring name = path != nullptr ? path : L"";
    const size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
    return name;
}

FileKind KindOfFile(const std::wstring& upperName) {
    auto has = [&](const wchar_t* pattern) { return upperName.find(pattern) != std::wstring::npos; };
    if (has(L"BL_UPG.BIN")) return FileKind::Bootloader;
    if (has(L"FLASH_UPG.BIN")) return FileKind::Flash;
    if (has(L"MCU_UPG.BIN")) return FileKind::Mcu;
    if (has(L"UPG_FW.BIN")) return FileKind::Combined;
    return FileKind::Unknown;
}

}  // namespace

// ---- Commands of the procedure ----

void DeviceLink::MCU_Enter_Upg_Mode() {
    LogPrintW(L"MCU_Enter_Upg_Mode\n");
    Exchange(CMD_MCU, MCU_UPG_ENTER, OP_SET, Payload(0), kReplyWaitMs);
}

void DeviceLink::MCU_Enter_BL_Mode() { Exchange(CMD_MCU, MCU_BL_ENTER, OP_SET, Payload(0), kReplyWaitMs); }

void DeviceLink::MCU_Upg_Start() {
    Exchange(CMD_MCU, MCU_UPG_START, OP_SET, Payload(4).Bytes(mMcuHead, 4), kReplyWaitMs);
}

void DeviceLink::MCU_Upg_Start_BL() {
    Exchange(CMD_MCU, MCU_BL_START, OP_SET, Payload(4).Bytes(mMcuHead, 4), kReplyWaitMs);
}

void DeviceLink::Flash_Chip_Erase() { Exchange(CMD_FLASH, FLASH_CHIP_ERASE, OP_SET, Payload(0), kReplyWaitMs); }

void DeviceLink::Flash_Upg_Start() {
    Exchange(CMD_FLASH, FLASH_UPG_START, OP_SET, Payload(4).Bytes(mDspHead, 4), kReplyWaitMs);
}

bool DeviceLink::Flash_Write_Data(uint32_t offset, const uint8_t* data, uint8_t length) {
    Payload payload(5 + kDspChunkBytes);
    payload.BE16(offset >> 16).BE16(offset).U8(length).Bytes(data, length);
    if (!PayloadFits(CMD_FLASH, FLASH_UPG_DATA, payload)) return false;
    return SendCtrlCommand(CMD_FLASH, FLASH_UPG_DATA, OP_SET, payload.Data(), payload.Size());
}

void DeviceLink::MCU_Reboot_Ctrl() {
    LogPrintW(L"MCU_Reboot_Ctrl\n");
    Exchange(CMD_MCU, MCU_REBOOT, OP_SET, Payload(0), kReplyWaitMs);
}

// A start or erase counts only when its acknowledgement arrived: a silent device must not leave the
// pump waiting at 0 % for ever.
int DeviceLink::AcknowledgedStart(uint32_t acknowledgedState) {
    if (mUpgState != acknowledgedState) return UPG_START_FAIL;
    mUpgIoPhase = 0;
    return 0;
}

int DeviceLink::StartMCUUpg() {
    MCU_Upg_Start();
    return AcknowledgedStart(UPG_READY_FOR_DATA);
}

int DeviceLink::StartMCUUpgBL() {
    MCU_Upg_Start_BL();
    return AcknowledgedStart(UPG_READY_FOR_DATA);
}

int DeviceLink::StartFlashUpg() {
    Flash_Upg_Start();
    return AcknowledgedStart(UPG_READY_FOR_DATA);
}

int DeviceLink::StartFlashErase() {
    Flash_Chip_Erase();
    return AcknowledgedStart(UPG_ERASED);
}

// ---- Start ----

// Ends a start that went wrong: nothing kept, and an idle state so that plug events count again.
int DeviceLink::FailUpgradeStart(int result) {
    FreeFirmwareImages();
    mUpgState = UPG_IDLE;
    return result;
}

// The device leaves the bus to restart in upgrade mode; wait, then look for it again.
void DeviceLink::ReconnectAfterModeChange() {
    CloseHIDDevice(false);
    mClock->SleepMs(kModeChangeMs);
    for (int attempt = 0; attempt < kReopenAttempts; ++attempt) {
        OpenHIDDevice();
        if (IsConnected()) break;
        mClock->SleepMs(kReopenPauseMs);
    }
}

int DeviceLink::UpgradeStart(const wchar_t* path, uint8_t erase) {
    const std::wstring name = UpperFileName(path);
    LogPrintW(L"UpgradeStart filename\n");
    const FileKind kind = KindOfFile(name);
    if (kind == FileKind::Unknown) {
        // A name without an image pattern (a download script among them) is refused: starting nothing
        // and reporting success would leave the caller waiting for progress that never comes.
        LogPrintW(L"UpgradeStart UPG_FILE_INVALID\n");
        mUpgState = UPG_IDLE;
        LogPrintA("return UPG_FILE_INVALID %s %d\n", "UpgradeStart", __LINE__);
        return UPG_FILE_INVALID;
    }

    mDspSent = 0;
    mMcuRemaining = 0;
    int result = UPG_FILE_INVALID;
    switch (kind) {
    case FileKind::Bootloader:
        LogPrintW(L"before MCUUpgBLParsingFile\n");
        result = MCUUpgBLParsingFile(path);
        break;
    case FileKind::Flash:
        LogPrintW(L"before FlashUpgParsingFile\n");
        result = FlashUpgParsingFile(path);
        break;
    case FileKind::Mcu:
        LogPrintW(L"before MCUUpgParsingFile\n");
        result = MCUUpgParsingFile(path);
        break;
    default:
        LogPrintW(L"before ParsingUpgFWFile\n");
        result = ParsingUpgFWFile(path);
        break;
    }
    LogPrintW(L"Parsing return 0x%0x\n", result);
    if (result != UPG_FILE_VALID) return FailUpgradeStart(result);

    switch (upg_device) {
    case UPG_DEVICE_BL:
        MCU_Enter_BL_Mode();
        break;
    case UPG_DEVICE_MCU:
        MCU_Enter_Upg_Mode();
        break;
    case UPG_DEVICE_FLASH:
        // The erase is acknowledged from the started state; a refused or silent erase stops here.
        mUpgState = UPG_START;
        if (erase != 0 && StartFlashErase() != 0) return FailUpgradeStart(UPG_START_FAIL);
        // From the parsing state only the enter-upgrade acknowledgement leads on.
        mUpgState = UPG_PARSING;
        MCU_Enter_Upg_Mode();
        break;
    default:
        LogPrintW(L"unknown upg_device: 0x%0x\n", upg_device);
        return FailUpgradeStart(UPG_START_FAIL);
    }
    if (mUpgState != UPG_START) return FailUpgradeStart(UPG_START_FAIL);

    // The normal firmware restarts into upgrade mode; the bootloader stays on the bus.
    if (mHandshakeOk == 1 && upg_device != UPG_DEVICE_BL) ReconnectAfterModeChange();
    mBootloaderVersion = 0;
    if (!IsConnected()) {
        LogPrintW(L"UpgradeStart Device not Connected\n");
        FailUpgradeStart(UPG_CONNECT_FAIL);
        LogPrintW(L"UpgradeStart UPG_CONNECT_FAIL\n");
        return UPG_CONNECT_FAIL;
    }

    LogPrintW(L"UpgradeStart Device Connected\n");
    {
        std::lock_guard<std::recursive_mutex> lock(mExchangeLock);
        ResetReceiveState();
    }
    mSilentAckReads = 0;
    if (upg_device == UPG_DEVICE_BL)
        result = StartMCUUpgBL();
    else if (upg_device == UPG_DEVICE_MCU)
        result = StartMCUUpg();
    else
        result = StartFlashUpg();
    if (result == UPG_START_FAIL) FailUpgradeStart(result);
    LogPrintW(L"UpgradeStart xxxStart return 0x%0x\n", result);
    return result;
}

// ---- Transfer ----

uint8_t DeviceLink::UpgradePercent() const {
    if (IsUpgFlash()) return mDspImageSize == 0 ? 0 : static_cast<uint8_t>(uint64_t{mDspSent} * 100 / mDspImageSize);
    if (mMcuImageSize == 0) return 0;
    return static_cast<uint8_t>(uint64_t{mMcuImageSize - mMcuRemaining} * 100 / mMcuImageSize);
}

void DeviceLink::SendNextMcuChunk() {
    const bool bootloader = IsUpgBL();
    if (mMcuRemaining == 0) {
        Exchange(CMD_MCU, bootloader ? MCU_BL_FINISH : MCU_UPG_FINISH, OP_SET, Payload(0), 0);
        mUpgIoPhase = 3;
        mUpgState = UPG_FINISH;
        LogPrintW(bootloader ? L"upgrade mcu bootloader finished!\n" : L"upgrade mcu finished!\n");
        return;
    }
    if (!IsConnected()) {
        mUpgIoPhase = 3;
        mUpgState = UPG_FAILED;
        return;
    }
    const bool first = mMcuRemaining == mMcuImageSize;
    const uint32_t odd = mMcuImageSize % kMcuChunkBytes;
    const uint32_t n = first && odd != 0 ? odd : std::min(kMcuChunkBytes, mMcuRemaining);
    mMcuRemaining -= n;
    const uint32_t offset = mMcuRemaining;
    std::fill(std::begin(mChunk), std::end(mChunk), 0);
    std::copy(mMcuImage + offset, mMcuImage + offset + n, mChunk);
    Payload payload(kMcuChunkPayload);
    payload.BE16(offset >> 16).BE16(offset).Bytes(mChunk, kMcuChunkBytes);
    // A chunk the device did not take can never be acknowledged: the device is gone.
    if (!SendCtrlCommand(CMD_MCU, bootloader ? MCU_BL_DATA : MCU_UPG_DATA, OP_SET, payload.Data(), payload.Size())) {
        mUpgIoPhase = 3;
        mUpgState = UPG_FAILED;
        return;
    }
    mUpgState = UPG_WAITING_BIN_DATA_ACK;
    mUpgIoPhase = 1;
}

void DeviceLink::SendNextDspChunk() {
    if (mDspSent >= mDspImageSize) {
        Exchange(CMD_FLASH, FLASH_UPG_FINISH, OP_SET, Payload(0), 0);
        mUpgIoPhase = 3;
        mUpgState = UPG_FINISH;
        LogPrintW(L"upgrade dsp finished!\n");
        return;
    }
    const uint32_t n = std::min(kDspChunkBytes, mDspImageSize - mDspSent);
    std::fill(std::begin(mChunk), std::end(mChunk), 0);
    std::copy(mDspImage + mDspSent, mDspImage + mDspSent + n, mChunk);
    mDspSent += n;
    LogPrintW(L"Total file len %ld; current read pos: %ld;  has read len %ld.\n", static_cast<long>(mDspImageSize),
              static_cast<long>(n), static_cast<long>(mDspSent));
    if (!IsConnected() || !Flash_Write_Data(mDspSent - n, mChunk, static_cast<uint8_t>(n))) {
        mUpgIoPhase = 3;
        mUpgState = UPG_FAILED;
        return;
    }
    mUpgState = UPG_WAITING_BIN_DATA_ACK;
    mUpgIoPhase = 1;
}

// Reads once for the acknowledgement of the chunk just sent. The read decodes what arrives; until a
// READY moves the state on (a NOT_READY says another acknowledgement follows) the next call reads again.
void DeviceLink::ReadChunkAck() {
    if (!IsConnected()) {
        mUpgIoPhase = 3;
        mUpgState = UPG_FAILED;
        return;
    }
    // Held from the state test through the read and its log: another thread's read (a window's poll) may
    // have taken and decoded the acknowledgement meanwhile, and then there is nothing left to wait for.
    std::lock_guard<std::recursive_mutex> lock(mExchangeLock);
    if (mUpgState != UPG_WAITING_BIN_DATA_ACK) {
        mUpgIoPhase = 0;
        return;
    }
    LogPrintW(L"begain to read data...\n");
    if (ReadHIDData(mRxBuffer, kReplyWaitMs) == 1) {
        const int count = std::min<int>(mBytesRead, HidPacket::kInputReportSize);
        LogPrintW(L"has send out %d dtata... \n", count);
        LogPrintW(L"data return from devices is:\n");
        {
            LogUnstampedScope unstamped;
            for (int i = 0; i < count; ++i) LogPrintW(L"%02X ", mRxBuffer[i]);
            LogPrintW(L"\n");
        }
        mSilentAckReads = 0;
        mUpgIoPhase = mUpgState == UPG_WAITING_BIN_DATA_ACK ? 2 : 0;
        return;
    }
    LogPrintW(L"read data error! %d\n", static_cast<int>(GetLastError()));
    // A read that fails rather than times out means the device left the bus; a device that stays
    // silent for several full waits will not answer this chunk any more.
    if (mReadFailed || ++mSilentAckReads >= kMaxSilentAckReads) {
        LogPrintW(L"no acknowledgement of the upgrade data, upgrade failed\n");
        mUpgIoPhase = 3;
        mUpgState = UPG_FAILED;
    }
}

uint8_t DeviceLink::FinishUpgrade() {
    const bool done = mUpgState == UPG_FINISH;
    if (IsUpgFlash()) MCU_Reboot_Ctrl();  // the DSP takes its new flash image on restart
    FreeFirmwareImages();
    mUpgState = UPG_IDLE;
    mUpgIoPhase = 3;
    return done ? UPG_PROGRESS_DONE : UPG_PROGRESS_FAILED;
}

uint8_t DeviceLink::UpgradeProgress() {
    if (mUpgIoPhase == 1) {
        mUpgIoPhase = 2;
        return UpgradePercent();
    }
    if (mUpgIoPhase == 2) {
        ReadChunkAck();
        return UpgradePercent();
    }
    switch (mUpgState.load()) {
    case UPG_READY_FOR_DATA:
        // A stray start acknowledgement can leave this state with nothing loaded: there is nothing to send.
        if ((IsUpgFlash() ? mDspImage : mMcuImage) == nullptr) return UPG_PROGRESS_FAILED;
        if (IsUpgFlash())
            SendNextDspChunk();
        else
            SendNextMcuChunk();
        return UpgradePercent();
    case UPG_FINISH:
    case UPG_FAILED:
        return FinishUpgrade();
    case UPG_WAITING_BIN_DATA_ACK:
        ReadChunkAck();  // a chunk is still unacknowledged, whatever the phase says
        return UpgradePercent();
    default:
        // No transfer is running (none started, or it already ended): nothing will ever progress.
        return UPG_PROGRESS_FAILED;
    }
}
