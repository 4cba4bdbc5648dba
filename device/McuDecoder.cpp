// MCU, FLASH and KTV reply decoders: handshake and identity, firmware-upgrade acknowledgements, scene
// replies and karaoke values. The upgrade acknowledgements move mUpgState only from the state they
// answer; one that arrives in another state is ignored.
#include "base/Log.h"
#include "device/DeviceLink.h"
#include "device/DeviceMessages.h"
#include "device/ReplyFrame.h"

#include <algorithm>
#include <cstring>

namespace {

void LogNotSupported() { LogPrintW(L"!!! NOT SUPPORT MSG\n"); }

// Logs bytes as characters on the current line.
void LogChars(const uint8_t* bytes, size_t count) {
    LogUnstampedScope unstamped;
    for (size_t i = 0; i < count; ++i) LogPrintW(L"%c", bytes[i]);
    LogPrintW(L"\n");
}

}  // namespace

struct McuReplyDecoder {
    DeviceLink& link;
    const ReplyFrame& f;
    const uint8_t sub;
    const uint8_t op;

    bool IsAck(uint8_t status) const { return op == OP_ACK && f.Has(3) && f[2] == status; }
    bool Require(size_t bytes) {
        if (f.Has(bytes)) return true;
        LogPrintW(L"reply frame too short\n");
        return false;
    }
    // Moves the upgrade state to `to` only when it stands at `from`.
    void Advance(uint32_t from, uint32_t to) {
        uint32_t expected = from;
        link.mUpgState.compare_exchange_strong(expected, to);
    }

    // A chunk's acknowledgement: READY lets the next chunk go, NOT_READY makes the pump read again.
    void DataAck(const wchar_t* readyLog, const wchar_t* notReadyLog);
    // An erase or DSP start acknowledgement, which only the started state waits for.
    void StartedAck(uint32_t to, const wchar_t* readyLog, const wchar_t* notReadyLog);

    void Mcu();
    void McuUpgradeStart();
    void Handshake();
    void Password();
    void Mcu0x41();
    void Flash();
    void SceneName();
    void Ktv();
};

void DeviceLink::McuAckProcess(const uint8_t* data, size_t dataLength) {
    const ReplyFrame frame(data, dataLength);
    McuReplyDecoder{*this, frame, frame[0], frame[1]}.Mcu();
}

void DeviceLink::FlashAckProcess(const uint8_t* data, size_t dataLength) {
    const ReplyFrame frame(data, dataLength);
    McuReplyDecoder{*this, frame, frame[0], frame[1]}.Flash();
}

void DeviceLink::KtvAckProcess(const uint8_t* data, size_t dataLength) {
    const ReplyFrame frame(data, dataLength);
    McuReplyDecoder{*this, frame, frame[0], frame[1]}.Ktv();
}

// ---- MCU ----

void McuReplyDecoder::Mcu() {
    switch (sub) {
    case MCU_UPG_ENTER:
    case MCU_BL_ENTER:
        // Only an upgrade being started waits for it: a late one must not make an idle link look busy.
        if (IsAck(ACK_READY)) Advance(UPG_PARSING, UPG_START);
        break;
    case MCU_UPG_START:
    case MCU_BL_START:
        McuUpgradeStart();
        break;
    case MCU_UPG_DATA:
    case MCU_BL_DATA:
        DataAck(L"MCU UPG_WAITING_BIN_DATA_ACK: ACK_READY\n\n", L"MCU !!!!! NOT_READY !!!!!!\n\n");
        break;
    case MCU_UPG_FINISH:
    case MCU_BL_FINISH:
        if (IsAck(ACK_READY) && link.mUpgState == UPG_FINISH) LogPrintW(L"MCU UPG_FINISH: ACK_READY\n\n");
        break;
    case MCU_FACTORY_DEFAULT:
        if (IsAck(ACK_READY)) link.mFactoryResetAcked = true;
        break;
    case 0x05: case 0x06: case 0x07: case 0x0A: case MCU_PC_CONNECT: case MCU_REBOOT:
        break;
    case MCU_HANDSHAKE:
        Handshake();
        break;
    case MCU_GET_DSPFLASH_VER:
        if (op != OP_UPDATE) break;
        LogPrintW(L"MCU_GET_DSPFLASH_VER\n");
        if (!Require(6)) break;
        if (auto* r = NewRecord<McuFlashVersionRecord>()) {
            for (int i = 0; i < 4; ++i) r->version[i] = f[2 + i];
            LogPrintW(L"flashver = %02d%02d%02d%02d\n", f[2], f[3], f[4], f[5]);
            link.PostRecord(DeviceLink::kMainWnd, WM_READ_MCU_VALUE, sub, r);
        }
        break;
    case MCU_BOOTLOADER_VER:
        if (op == OP_UPDATE && Require(3)) link.mBootloaderVersion = f[2];
        break;
    case MCU_PASSWORD:
        if (op == OP_UPDATE) Password();
        break;
    case MCU_0X41:
        if (op == OP_UPDATE) Mcu0x41();
        break;
    case MCU_INIT:
        LogPrintW(L"MCU INIT\n");
        break;
    case MCU_POWER_OFF_DELAY:
        if (op == OP_UPDATE && Require(4)) link.PostValue(DeviceLink::kMainWnd, WM_READ_MCU_VALUE, sub, f.BE16(2));
        break;
    case MCU_ACC:
        if (op == OP_UPDATE && Require(3)) {
            const int8_t delay = static_cast<int8_t>(f[2]);
            LogPrintW(L"MCU_ACC OP=0x%x, delay = %d\n", op, delay);
            link.PostValue(DeviceLink::kMainWnd, WM_READ_MCU_VALUE, sub, delay);
        }
        break;
    case MCU_PING:
        if (op != OP_UPDATE) break;
        LogPrintW(L"\nMCU_PING\n");
        LogPrintW(L"\n post WM_READ_MCU_VALUE + MCU_PING\n");
        link.mHandshakeOk = 0;
        ++link.mHandshakeReplies;
        link.PostValue(DeviceLink::kMainWnd, WM_READ_MCU_VALUE, sub, 0);
        break;
    default:
        LogNotSupported();
        break;
    }
}

// Only the started state waits for it: a stray one leaves an idle link idle, and a late one in the middle
// of the transfer must not stand in for a chunk's acknowledgement.
void McuReplyDecoder::McuUpgradeStart() {
    if (op != OP_ACK || !Require(3)) return;
    if (f[2] == ACK_READY) {
        LogPrintW(L"MCU_UPG_START: ACK_READY\n\n");
        Advance(UPG_START, UPG_READY_FOR_DATA);
    } else {
        LogPrintW(L"MCU_UPG_START: ACK_NOT_READY\n\n");
        Advance(UPG_START, UPG_FAILED);
    }
}

void McuReplyDecoder::DataAck(const wchar_t* readyLog, const wchar_t* notReadyLog) {
    if (op != OP_ACK || !f.Has(3) || link.mUpgState != UPG_WAITING_BIN_DATA_ACK) return;
    if (f[2] == ACK_READY) {
        LogPrintW(readyLog);
        Advance(UPG_WAITING_BIN_DATA_ACK, UPG_READY_FOR_DATA);
    } else if (f[2] == NOT_READY) {
        LogPrintW(notReadyLog);
        link.mUpgIoPhase = 1;
    }
}

void McuReplyDecoder::StartedAck(uint32_t to, const wchar_t* readyLog, const wchar_t* notReadyLog) {
    if (IsAck(ACK_READY) && link.mUpgState == UPG_START) {
        LogPrintW(readyLog);
        Advance(UPG_START, to);
    } else if (IsAck(NOT_READY)) {
        LogPrintW(notReadyLog);
        Advance(UPG_START, UPG_FAILED);
    }
}

void McuReplyDecoder::Handshake() {
    LogPrintW(L"MCU_HANDSHAKE\n");
    if (op != OP_UPDATE || !Require(3)) return;
    if (f[2] == 0xF0) {  // the amplifier reports an abnormal state
        link.mHandshakeOk = 0;
        ++link.mHandshakeReplies;
        link.PostValue(DeviceLink::kMainWnd, WM_DEVICE_ABNORMAL, 0, 0);
        return;
    }
    if (!Require(6)) return;
    link.mHandshakeOk = 1;
    link.mModel = f[3];
    link.mMasterVersion = f[4];
    link.mSlaveVersion = f[5];
    ++link.mHandshakeReplies;
    LogPrintW(L"model = %d, master verion = %d, slave verion = %d\n", f[3], f[4], f[5]);
    if (auto* r = NewRecord<McuHandshakeRecord>()) {
        *r = {0, f[3], f[4], f[5]};
        link.PostRecord(DeviceLink::kMainWnd, WM_READ_MCU_VALUE, sub, r);
    }
}

void McuReplyDecoder::Password() {
    if (!Require(3)) return;
    auto* r = NewRecord<McuPasswordRecord>();
    if (r == nullptr) return;
    // Both texts are bounded by their 16-byte slots and by the bytes the frame really holds.
    const size_t len = f[2];
    r->len = static_cast<uint32_t>(f.ItemsInside(3, 1, static_cast<int>(std::min<size_t>(len, kNameBytes))));
    for (uint32_t i = 0; i < r->len; ++i) r->password[i] = f[3 + i];
    const size_t remarkAt = 3 + len;
    if (f.Has(remarkAt + 1)) {
        const size_t remarkLen = f[remarkAt];
        r->remark_len = static_cast<uint32_t>(
            f.ItemsInside(remarkAt + 1, 1, static_cast<int>(std::min<size_t>(remarkLen, kNameBytes))));
        for (uint32_t i = 0; i < r->remark_len; ++i) r->remark[i] = f[remarkAt + 1 + i];
    }
    LogPrintW(L"password->len(%d),  pwd-->> ", r->len);
    LogChars(r->password, r->len);
    LogPrintW(L"password->remark_len(%d),  -->> ", r->remark_len);
    LogChars(r->remark, r->remark_len);
    link.PostRecord(DeviceLink::kMainWnd, WM_READ_MCU_VALUE, sub, r);
}

void McuReplyDecoder::Mcu0x41() {
    if (!Require(3)) return;
    auto* r = NewRecord<Mcu0x41Record>();
    if (r == nullptr) return;
    r->len = static_cast<uint8_t>(f.ItemsInside(3, 1, std::min<int>(f[2], kNameBytes)));
    for (int i = 0; i < r->len; ++i) r->data[i] = f[3 + i];
    link.PostRecord(DeviceLink::kMainWnd, WM_READ_MCU_VALUE, sub, r);
}

// ---- FLASH (DSP flash upgrade and scenes) ----

void McuReplyDecoder::Flash() {
    switch (sub) {
    case FLASH_CHIP_ERASE:
        StartedAck(UPG_ERASED, L"FLASH CHIP ERASE: ACK_READY\n\n", L"FLASH CHIP ERASE: ACK_NOT_READY\n\n");
        break;
    case FLASH_UPG_START:
        StartedAck(UPG_READY_FOR_DATA, L"FLASH UPG_START: ACK_READY\n\n", L"FLASH UPG_START: ACK_NOT_READY\n\n");
        break;
    case FLASH_UPG_DATA:
        DataAck(L"UPG_WAITING_BIN_DATA_ACK: ACK_READY\n\n", L"!!!!! NOT_READY !!!!!!\n\n");
        break;
    case FLASH_UPG_FINISH:
        if (IsAck(ACK_READY) && link.mUpgState == UPG_FINISH) LogPrintW(L"UPG_FINISH: ACK_READY\n");
        break;
    case FLASH_SAVE_SCENE:
        if (IsAck(ACK_READY) && Require(4)) link.PostValue(DeviceLink::kSceneWnd, WM_FLASH_VALUE, f[3], 0);
        break;
    case FLASH_READ_SCENE:
        break;
    case FLASH_DELETE_SCENE:
        if (IsAck(ACK_READY) && Require(4)) link.PostValue(DeviceLink::kSceneWnd, WM_SCENE_DELETED, f[3], 0);
        break;
    case FLASH_SCENE_NAME:
        if (op == OP_UPDATE) SceneName();
        break;
    case FLASH_SCENE_ID:
        if (op == OP_UPDATE && Require(3)) {
            LogPrintW(L"FLASH_SCENE_ID current scene id = %d\n", f[2]);
            link.PostValue(DeviceLink::kSceneWnd, WM_CURRENT_SCENE, FLASH_SCENE_ID, f[2]);
        }
        break;
    case FLASH_SCENE_VALID:
        if (op == OP_UPDATE && Require(4)) {
            auto* r = NewRecord<ValidSceneRecord>();
            if (r == nullptr) break;
            r->mask = f.BE16(2);
            LogPrintW(L"FLASH_SCENE_VALID valid scene = %d\n", r->mask);
            link.PostRecord(DeviceLink::kMainWnd, WM_FLASH_VALUE, FLASH_SCENE_VALID, r);
        }
        break;
    default:
        LogNotSupported();
        break;
    }
}

void McuReplyDecoder::SceneName() {
    if (!Require(3 + kNameBytes)) return;
    // Scenes are numbered from 1; a name for "scene 0" has no slot to go to.
    if (f[2] == 0) {
        LogPrintW(L"scene name for scene 0 dropped\n");
        return;
    }
    auto* r = NewRecord<SceneNameRecord>();
    if (r == nullptr) return;
    r->index = static_cast<uint32_t>(f[2] - 1);
    bool erased = true;  // erased flash reads 0xFF: every byte has its lowest bit set
    for (int i = 0; i < kNameBytes; ++i) {
        r->name[i] = f[3 + i];
        erased = erased && (r->name[i] & 1) != 0;
    }
    LogPrintW(L"scene_name->index(%d), name -->> ", static_cast<int>(r->index));
    {
        LogUnstampedScope unstamped;
        for (int i = 0; i < kNameBytes; ++i) LogPrintW(L"0x%02x, ", r->name[i]);
        LogPrintW(L"\n m_payload: ");
        for (int i = 0; i < kNameBytes; ++i) LogPrintW(L"0x%02x, ", r->name[i]);
        LogPrintW(L"\n");
    }
    if (erased) std::memset(r->name, 0, sizeof r->name);
    link.PostRecord(DeviceLink::kMainWnd, WM_FLASH_VALUE, FLASH_SCENE_NAME, r);
}

// ---- KTV ----

void McuReplyDecoder::Ktv() {
    if (sub < KTV_MIC_VOL || sub > KTV_TREBLE_GAIN) {
        LogNotSupported();
        return;
    }
    if (op != OP_UPDATE || !Require(sub == KTV_ECHO_DELAY ? 4 : 3)) return;
    LPARAM value = f[2];
    switch (sub) {
    case KTV_MIC_VOL:
        LogPrintW(L"KTV MIC VOL OP=0x%x, scene=%d, src = %d, mic vol=%d\n", op, f[2], f[3], f[4]);
        break;
    case KTV_MUSIC_VOL:
        LogPrintW(L"KTV MUSIC_VOL OP=0x%x, scene=%d, src = %d, music vol=%d\n", op, f[2], f[3], f[4]);
        break;
    case KTV_HOWLING:
        LogPrintW(L"KTV HOWLING OP=0x%x, scene=%d, src = %d, howling=%d\n", op, f[2], f[3], f[4]);
        break;
    case KTV_ECHO_LEVEL:
        LogPrintW(L"KTV ECHO LEVEL OP=0x%x, scene=%d, src = %d, level=%d\n", op, f[2], f[3], f[4]);
        break;
    case KTV_ECHO_DELAY:
        LogPrintW(L"KTV ECHO_DELAY OP=0x%x, scene=%d, src = %d, delay=%d\n", op, f[2], f[3], f[5]);
        value = f.BE16(2);
        break;
    case KTV_REVERB_LEVEL:
        LogPrintW(L"KTV REVERB_LEVEL OP=0x%x, scene=%d, src = %d, REVERB_LEVEL=%d\n", op, f[2], f[3], f[4]);
        break;
    case KTV_REVERB_TIME:
        LogPrintW(L"KTV REVERB_TIME OP=0x%x, scene=%d, src = %d, time=%d\n", op, f[2], f[3], f[4]);
        break;
    case KTV_VOICE_CHANGER:
        LogPrintW(L"KTV VOICE_CHANGER OP=0x%x, scene=%d, src = %d, voice=%d\n", op, f[2], f[3], f[4]);
        break;
    case KTV_BASS_GAIN:
        value = static_cast<int8_t>(f[2]);
        LogPrintW(L"KTV_BASS_GAIN  low freq gain=%d\n", static_cast<int>(value));
        break;
    default:  // KTV_TREBLE_GAIN
        value = static_cast<int8_t>(f[2]);
        LogPrintW(L"KTV_TREBLE_GAIN treble gain=%d\n", static_cast<int>(value));
        break;
    }
    link.PostValue(DeviceLink::kMainWnd, WM_KTV_VALUE, sub, value);
}
