#include "ReplyPrinter.h"

#include "device/DeviceMessages.h"
#include "device/DeviceProtocol.h"
#include "device/DeviceRecords.h"

#include <cstdarg>
#include <cstdlib>

namespace {

std::string Format(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string Bytes(const uint8_t* bytes, size_t count) {
    std::string out = "[";
    for (size_t i = 0; i < count; ++i) out += Format(i ? ",%u" : "%u", bytes[i]);
    return out + "]";
}

// Values first..last of an array indexed by channel, bounded by its size.
template <typename T>
std::string Indexed(const T* values, uint32_t first, uint32_t last, const char* format) {
    std::string out = "[";
    for (uint32_t c = first; c <= last && c < static_cast<uint32_t>(kRecordChannels); ++c) {
        out += (c == first ? "" : ",") + Format(format, values[c]);
    }
    return out + "]";
}

std::string DspName(WPARAM sub) {
    if (sub == DSP_MIX_TYPE2) return "DSP_MIX_TYPE2";
    return sub < static_cast<WPARAM>(kDspCmdNameCount) ? DspCmdNames[sub] : Format("%u", static_cast<unsigned>(sub));
}

template <typename R>
const R& As(LPARAM lParam) {
    return *reinterpret_cast<const R*>(lParam);
}

std::string DspRecord(WPARAM sub, LPARAM l) {
    switch (sub) {
    case DSP_FILTER_SET: {
        const auto& r = As<DspFilterRecord>(l);
        return Format("scene=%u channel=%u hp_type=%u hp_freq=%u hp_slope=%u lp_type=%u lp_freq=%u lp_slope=%u",
                      r.scene, r.channel, r.hp_type, r.hp_freq, r.hp_slope, r.lp_type, r.lp_freq, r.lp_slope);
    }
    case DSP_EQ_CH: case DSP_INPUT_EQ_CH: {
        const auto& r = As<DspEqRecord>(l);
        return Format("scene=%u channel=%u band=%u freq=%u q=%.2f gain=%.2f", r.scene, r.channel, r.band, r.freq, r.q,
                      r.gain);
    }
    case DSP_DELAY_CH: {
        const auto& r = As<DspDelayRecord>(l);
        return Format("scene=%u channel=%u delay=%.3f", r.scene, r.channel, r.delay);
    }
    case DSP_TRIM_CH: {
        const auto& r = As<DspTrimRecord>(l);
        return Format("scene=%u channel=%u trim=%.2f", r.scene, r.channel, r.trim);
    }
    case DSP_MUTE_CH: case DSP_PHASE_CH: case DSP_CH_TYPE: case DSP_EQ_BYPASS: case DSP_CH_SOLO:
    case DSP_COMPRESSOR_ON_CH: {
        const auto& r = As<DspChannelValueRecord>(l);
        return Format("scene=%u channel=%u value=%u", r.scene, r.channel, r.value);
    }
    case DSP_MIX_CH: {
        const auto& r = As<DspMixRecord>(l);
        return Format("scene=%u source=%u channel=%u mix=0x%x", r.scene, r.source, r.channel, r.mix);
    }
    case DSP_CH_LINK: case DSP_CH_TRIM_LINK: case DSP_CH_DELAY_LINK: {
        const auto& r = As<DspLinkRecord>(l);
        return Format("scene=%u link=%u bytes=", r.scene, r.link) + Bytes(r.pairs, sizeof r.pairs);
    }
    case DSP_CH_LOCK: return Format("scene=%u lock=%u", As<DspLockRecord>(l).scene, As<DspLockRecord>(l).lock);
    case DSP_INPUT_TRIM_CH: case DSP_INPUT_CH_MUTE: case DSP_INPUT_CH_PHASE: {
        const auto& r = As<DspInputRangeRecord>(l);
        return Format("scene=%u source=%u first=%u last=%u values=", r.scene, r.source, r.first, r.last) +
               Indexed(r.value, r.first, r.last, "%u");
    }
    case DSP_INPUT_MIX_CH_TRIM: {
        const auto& r = As<DspInputMixTrimRecord>(l);
        return Format("scene=%u source=%u input=%u outputs=%u..%u levels=", r.scene, r.source, r.input, r.out_first,
                      r.out_last) +
               (r.out_last >= r.out_first ? Indexed(r.trim, 0, r.out_last - r.out_first, "%u") : "[]");
    }
    case DSP_INPUT_NOISE: {
        const auto& r = As<DspInputNoiseRecord>(l);
        return Format("first=%u last=%u levels=", r.first, r.last) + Indexed(r.level, r.first, r.last, "%.1f");
    }
    case DSP_SPK_CH_CONFIG: return Format("config=0x%02x", As<DspSpeakerConfigRecord>(l).config);
    case DSP_MIX_TYPE: case DSP_MIX_TYPE2: {
        const auto& r = As<DspMixTypeRecord>(l);
        return Format("scene=%u source=%u mix_type=%u", r.scene, r.source, r.mix_type);
    }
    case DSP_HPF_Q_FACT_MODE: case DSP_LPF_Q_FACT_MODE: {
        const auto& r = As<DspQFactModeRecord>(l);
        return Format("first=%u last=%u modes=", r.first, r.last) + Indexed(r.mode, r.first, r.last, "%u");
    }
    case DSP_COMPRESSOR_SETTING: {
        const auto& r = As<DspCompressorRecord>(l);
        return Format("scene=%u channel=%u bypass=%u threshold=%.1f ratio=%.1f attack=%u release=%u soft_knee=%.1f",
                      r.scene, r.channel, r.bypass, r.noise, r.ratio, r.attack, r.release, r.soft_knee);
    }
    case DSP_COMPRESSOR_SETTING2: {
        const auto& r = As<DspCompressor2Record>(l);
        return Format("scene=%u channel=%u threshold=%.1f attack=%u release=%u", r.scene, r.channel, r.threshold,
                      r.attack, r.release);
    }
    case DSP_INPUT_CH_DISTORT: {
        const auto& r = As<DspInputDistortRecord>(l);
        return Format("source=%u first=%u last=%u values=", r.source, r.first, r.last) +
               Indexed(r.distort, r.first, r.last, "%u");
    }
    case DSP_OUTPUT_CH_DISTORT: {
        const auto& r = As<DspOutputDistortRecord>(l);
        return Format("source=%u first=%u last=%u values=", r.source, r.first, r.last) +
               Indexed(r.distort, r.first, r.last, "%u");
    }
    case DSP_SPK_DIST: {
        const auto& r = As<DspSpeakerDistRecord>(l);
        return Format("first=%u last=%u hundredths=", r.first, r.last) + Indexed(r.dist, r.first, r.last, "%u");
    }
    case DSP_REM_OUT: return Format("rem_out1=%u rem_out2=%u", As<DspRemOutRecord>(l).rem_out1, As<DspRemOutRecord>(l).rem_out2);
    case DSP_CROSS_SOURCE_MIX: case DSP_CROSS_SOURCE_MIX_CS47048: {
        const auto& r = As<DspCrossSourceMixRecord>(l);
        return Format("scene=%u source=%u ch=%u vice_source=0x%02x vice_ch=%u vice_gain=%u", r.scene, r.source, r.ch,
                      r.vice_source, r.vice_ch, r.vice_gain);
    }
    case DSP_OUPUT_BRIDGE: {
        const auto& r = As<DspOutputBridgeRecord>(l);
        return Format("scene=%u source=%u count=%u flags=", r.scene, r.source, r.count) + Bytes(r.bridge, r.count);
    }
    default: return "record";
    }
}

std::string IrcRecord(WPARAM sub, LPARAM l) {
    switch (sub) {
    case DSP_IRC_DISTANCE: return Format("channel=%u distance=%.2f", As<IrcDistanceRecord>(l).channel, As<IrcDistanceRecord>(l).distance);
    case DSP_IRC_TRIM: return Format("channel=%u trim=%.0f", As<IrcTrimRecord>(l).channel, As<IrcTrimRecord>(l).trim);
    case DSP_IRC_EQ: {
        const auto& r = As<IrcEqRecord>(l);
        return Format("channel=%u band=%u freq=%u q=%.2f gain=%.2f", r.channel, r.band, r.freq, r.q, r.gain);
    }
    case DSP_IRC_SPECTRUM: {
        const auto& r = As<IrcSpectrumRecord>(l);
        return Format("channel=%u point=%u freq=%.2f level=%.2f", r.channel, r.band, r.freq, r.gain);
    }
    default: return Format("channel=%u value=%u", As<IrcValueRecord>(l).channel, As<IrcValueRecord>(l).value);
    }
}

std::string McuRecord(WPARAM sub, LPARAM l) {
    switch (sub) {
    case MCU_HANDSHAKE: {
        const auto& r = As<McuHandshakeRecord>(l);
        return Format("model=%u master_version=%u slave_version=%u", r.model, r.master_version, r.slave_version);
    }
    case MCU_GET_DSPFLASH_VER: {
        const auto& r = As<McuFlashVersionRecord>(l);
        return Format("flash_version=%02u%02u%02u%02u", r.version[0], r.version[1], r.version[2], r.version[3]);
    }
    case MCU_PASSWORD: {
        const auto& r = As<McuPasswordRecord>(l);
        return "password=" + Bytes(r.password, r.len) + " remark=" + Bytes(r.remark, r.remark_len);
    }
    default: return "bytes=" + Bytes(As<Mcu0x41Record>(l).data, As<Mcu0x41Record>(l).len);
    }
}

}  // namespace

std::string DescribeReply(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool record = ReplyCarriesRecord(message, wParam, lParam);
    const long value = static_cast<long>(lParam);
    switch (message) {
    case WM_DSP_VALUE:
        return "WM_DSP_VALUE " + DspName(wParam) + ": " + (record ? DspRecord(wParam, lParam) : Format("value=%ld", value));
    case WM_IRC_STATUS:
        return record ? "WM_IRC_STATUS " + DspName(wParam) + ": " + IrcRecord(wParam, lParam)
                      : Format("WM_IRC_STATUS status=%u value=%ld", static_cast<unsigned>(wParam), value);
    case WM_MEM_DATA: {
        const auto& r = As<DspMemDataRecord>(lParam);
        return Format("WM_MEM_DATA: address=0x%08x data=0x%08x", r.address, r.data);
    }
    case WM_READ_MCU_VALUE:
        return Format("WM_READ_MCU_VALUE 0x%02x: ", static_cast<unsigned>(wParam)) +
               (record ? McuRecord(wParam, lParam) : Format("value=%ld", value));
    case WM_FLASH_VALUE:
        if (wParam == FLASH_SCENE_NAME && record) {
            const auto& r = As<SceneNameRecord>(lParam);
            return Format("WM_FLASH_VALUE scene name: index=%u name=", r.index) + Bytes(r.name, sizeof r.name);
        }
        if (wParam == FLASH_SCENE_VALID && record) return Format("WM_FLASH_VALUE valid scenes: mask=0x%04x", As<ValidSceneRecord>(lParam).mask);
        return Format("WM_FLASH_VALUE scene saved: scene=%u", static_cast<unsigned>(wParam));
    case WM_SCENE_DELETED: return Format("WM_SCENE_DELETED: scene=%u", static_cast<unsigned>(wParam));
    case WM_CURRENT_SCENE: return Format("WM_CURRENT_SCENE: scene=%ld", value);
    case WM_DEVICE_ABNORMAL: return "WM_DEVICE_ABNORMAL";
    case WM_KTV_VALUE: return Format("WM_KTV_VALUE %u: value=%ld", static_cast<unsigned>(wParam), value);
    default: return Format("message %u: wParam=%u lParam=%ld", message, static_cast<unsigned>(wParam), value);
    }
}

bool ReplyPrinter::Post(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    std::fprintf(mOut, "  %s\n", DescribeReply(message, wParam, lParam).c_str());
    std::fflush(mOut);
    if (ReplyCarriesRecord(message, wParam, lParam)) free(reinterpret_cast<void*>(lParam));
    return true;
}
