#include "AmpSystemCommands.h"

#include <algorithm>
#include <cstring>

namespace {

using Bytes = std::vector<uint8_t>;

bool IsStoredScene(uint8_t id) { return id >= 1 && id <= 10; }

// Copies a length-prefixed string of the request (length byte at `at`) into a 16-byte slot; returns the
// position after it.
size_t TakeString(const AmpRequest& r, size_t at, uint8_t& length, uint8_t (&slot)[16]) {
    const size_t declared = r.Arg(at);
    const size_t present = r.payload.size() > at + 1 ? r.payload.size() - at - 1 : 0;
    length = static_cast<uint8_t>(std::min({declared, present, sizeof slot}));
    std::memset(slot, 0, sizeof slot);
    if (length) std::memcpy(slot, &r.payload[at + 1], length);
    return at + 1 + declared;
}

// ---- scenes --------------------------------------------------------------------------------------

AmpReply SaveScene(AmpState& st, const AmpRequest& r) {
    const uint8_t id = r.Arg(0);
    if (!IsStoredScene(id)) return AmpAckEcho(kAmpCmdFlash, r.sub, kAmpNotReady, id);
    st.scenes[id] = st.scenes[0];
    st.directory.validMask |= static_cast<uint16_t>(1u << (id - 1));
    st.directory.currentScene = id;
    return AmpAckEcho(kAmpCmdFlash, r.sub, kAmpAckReady, id);
}

AmpReply ReadScene(AmpState& st, const AmpRequest& r) {
    const uint8_t from = r.Arg(0), to = r.Arg(1);
    if (IsStoredScene(from) && (to == 0 || to == 0xFF)) {
        st.scenes[0] = st.scenes[from];
        st.directory.currentScene = from;
    }
    return AmpAckEcho(kAmpCmdFlash, r.sub, kAmpAckReady, from);
}

AmpReply DeleteScene(AmpState& st, const AmpRequest& r) {
    const uint8_t id = r.Arg(0);
    if (!IsStoredScene(id)) return AmpAckEcho(kAmpCmdFlash, r.sub, kAmpNotReady, id);
    st.scenes[id] = FactoryScene();
    std::memset(st.directory.names[id - 1], 0xFF, kAmpSceneNameBytes);
    st.directory.validMask &= static_cast<uint16_t>(~(1u << (id - 1)));
    if (st.directory.currentScene == id) st.directory.currentScene = 0;
    return AmpAckEcho(kAmpCmdFlash, r.sub, kAmpAckReady, id);
}

AmpReply SceneName(AmpState& st, const AmpRequest& r) {
    const uint8_t id = r.Arg(0);
    if (r.IsGet()) {
        Bytes v{id};
        if (IsStoredScene(id))
            v.insert(v.end(), st.directory.names[id - 1], st.directory.names[id - 1] + kAmpSceneNameBytes);
        else
            v.resize(1 + kAmpSceneNameBytes, 0xFF);
        return AmpUpdate(kAmpCmdFlash, r.sub, v);
    }
    if (!IsStoredScene(id)) return AmpAckEcho(kAmpCmdFlash, r.sub, kAmpNotReady, id);
    uint8_t length = 0;
    TakeString(r, 1, length, st.directory.names[id - 1]);
    return AmpAckEcho(kAmpCmdFlash, r.sub, kAmpAckReady, id);
}

// Scene profile area: (scene, start hi, lo, length[, data]).
AmpReply SceneProfile(AmpState& st, const AmpRequest& r) {
    const uint8_t scene = r.Arg(0);
    const size_t start = static_cast<size_t>(r.Arg(1) << 8 | r.Arg(2));
    const size_t room = start < kAmpProfileBytes ? kAmpProfileBytes - start : 0;
    if (r.IsGet()) {
        const size_t n = std::min({static_cast<size_t>(r.Arg(3)), room, kAmpMaxFrameData - 6});
        Bytes v{scene, r.Arg(1), r.Arg(2), static_cast<uint8_t>(n)};
        const uint8_t* area = st.SceneForRead(scene).profile + start;
        if (n) v.insert(v.end(), area, area + n);
        return AmpUpdate(kAmpCmdFlash, r.sub, v);
    }
    AmpScene* s = st.SceneForWrite(scene);
    const size_t present = r.payload.size() > 4 ? r.payload.size() - 4 : 0;
    const size_t n = std::min({static_cast<size_t>(r.Arg(3)), present, room});
    if (s && n) std::memcpy(s->profile + start, &r.payload[4], n);
    return AmpAck(kAmpCmdFlash, r.sub);
}

// ---- MCU -----------------------------------------------------------------------------------------

AmpReply Handshake(AmpState& st) {
    if (st.mode != AmpMode::Normal) return AmpUpdate(kAmpCmdMcu, 0x93, {});
    const AmpIdentity& id = st.identity;
    return AmpUpdate(kAmpCmdMcu, 0x08, {id.handshakeStatus, id.model, id.masterVersion, id.slaveVersion});
}

AmpReply Password(AmpState& st, const AmpRequest& r) {
    AmpSettings& s = st.settings;
    if (r.IsGet()) {
        Bytes v{s.passwordLength};
        v.insert(v.end(), s.password, s.password + s.passwordLength);
        v.push_back(s.remarkLength);
        v.insert(v.end(), s.remark, s.remark + s.remarkLength);
        return AmpUpdate(kAmpCmdMcu, r.sub, v);
    }
    const size_t next = TakeString(r, 0, s.passwordLength, s.password);
    TakeString(r, next, s.remarkLength, s.remark);
    return AmpAck(kAmpCmdMcu, r.sub);
}

// A device-wide MCU value: the setter's payload, the getter's reply values.
AmpReply McuValue(const AmpRequest& r, uint8_t* value, size_t bytes) {
    if (r.IsGet()) return AmpUpdate(kAmpCmdMcu, r.sub, Bytes(value, value + bytes));
    for (size_t i = 0; i < bytes; ++i) value[i] = r.Arg(i);
    return AmpAck(kAmpCmdMcu, r.sub);
}

}  // namespace

AmpReply RespondScenes(AmpState& st, const AmpRequest& r) {
    switch (r.sub) {
        case 0x08: return SaveScene(st, r);
        case 0x09: return ReadScene(st, r);
        case 0x0A: return DeleteScene(st, r);
        case 0x0B: return SceneName(st, r);
        case 0x0C: return SceneProfile(st, r);
        case 0x0D: return AmpUpdate(kAmpCmdFlash, r.sub, {r.Arg(0)});
        case 0x0E: return AmpUpdate(kAmpCmdFlash, r.sub, {st.directory.currentScene});
        case 0x0F: {
            const uint16_t mask = st.directory.validMask;
            return AmpUpdate(kAmpCmdFlash, r.sub, {static_cast<uint8_t>(mask >> 8), static_cast<uint8_t>(mask)});
        }
        default: return AmpAck(kAmpCmdFlash, r.sub, kAmpNotReady);
    }
}

AmpReply RespondMcu(AmpState& st, const AmpRequest& r) {
    AmpSettings& s = st.settings;
    switch (r.sub) {
        case 0x08: return Handshake(st);
        case 0x0B: return AmpUpdate(kAmpCmdMcu, r.sub, Bytes(st.identity.flashVersion, st.identity.flashVersion + 4));
        case 0x0C: return AmpUpdate(kAmpCmdMcu, r.sub, {st.identity.bootloaderVersion});
        case 0x0D: return Password(st, r);
        case 0x1F:
            s.pcConnected = r.Arg(0);
            return AmpNoReply();
        case 0x41: {
            Bytes v{s.mcu41Length};
            v.insert(v.end(), s.mcu41, s.mcu41 + s.mcu41Length);
            return AmpUpdate(kAmpCmdMcu, r.sub, v);
        }
        case 0x90: {
            AmpFactoryReset(st);
            AmpReply ack = AmpAck(kAmpCmdMcu, r.sub);
            ack.after = AmpAfterReply::RebootToNormal;
            return ack;
        }
        case 0x91: return McuValue(r, s.powerOffDelay, 2);
        case 0x92: return McuValue(r, &s.acc, 1);
        case 0x93: return AmpNoReply();
        default: return AmpAck(kAmpCmdMcu, r.sub, kAmpNotReady);
    }
}

AmpReply RespondKtv(AmpState& st, const AmpRequest& r) {
    if (r.sub < 1 || r.sub > 10) return AmpAck(kAmpCmdKtv, r.sub, kAmpNotReady);
    uint8_t* value = st.settings.ktv[r.sub - 1];
    const size_t bytes = r.sub == 5 ? 2 : 1;
    if (r.IsGet()) return AmpUpdate(kAmpCmdKtv, r.sub, Bytes(value, value + bytes));
    for (size_t i = 0; i < bytes; ++i) value[i] = r.Arg(i);
    return AmpAck(kAmpCmdKtv, r.sub);
}
