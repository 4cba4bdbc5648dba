// DSP reply decoder: every checked frame of packet type CMD_DSP. Values become zero-filled heap records
// (or plain values) posted to the reply windows. Every index and count comes from the device, so each
// read stays inside the frame and each write inside its record.
#include "base/Log.h"
#include "device/DeviceLink.h"
#include "device/DeviceMessages.h"
#include "device/FixedPoint.h"
#include "device/Payload.h"
#include "device/ReplyFrame.h"

#include <algorithm>

namespace {

std::atomic<int> gDspReplyCount{0};

void LogNotSupported() { LogPrintW(L"!!! NOT SUPPORT MSG\n"); }

// Plain values: lParam = d[2].
struct PlainValueRow {
    uint8_t sub;
    const wchar_t* format;
    bool withOptype;  // the line shows the optype before the value
};
const PlainValueRow kPlainValues[] = {
    {DSP_SOURCE_SWITCH, L"DSP_SOURCE_SWITCH OP=0x%x, source = 0x%x\n", true},
    {DSP_VOLUME, L"DSP_VOLUME OP_UPDATE, MVol = %d\n", false},
    {DSP_SUBWOOFER_VOLUME, L"DSP_SUBWOOFER_VOLUME OP=0x%x, SUBW Vol = %d\n", true},
    {DSP_MUTE, L"DSP_MUTE OP=0x%x, MUTE = %d\n", true},
    {DSP_INPUT_THRESHOLD, L"input_threshold = %d\n", false},
    {DSP_FACTORY_PRESET, L"fac_preset mode = %d\n", false},
    {DSP_SETUP_MODE, L"setup_mode mode = %d\n", false},
    {DSP_AUTO_EFFECTION_ON_OFF_CONTROL, L"DSP_AUTO_EFFECTION_ON_OFF_CONTROL%d\n", false},
    {DSP_AMP_MUTE, L"DSP_AMP_MUTE OP=0x%x, MUTE = %d\n", true},
    {DSP_MIX_SOURCE_SWITCH, L"DSP_MIX_SOURCE_SWITCH OP=0x%x, source = 0x%x\n", true},
    {DSP_DSP_STATUS, L"DSP_DSP_STATUS OP=0x%x, on_off = 0x%x\n", true},
    {DSP_SPK_OHM, L"DSP_SPK_OHM OP=0x%x, SPK_OHM = %d\n", true},
    {DSP_NOISE_GATE, L"DSP_NOISE_GATE OP=0x%x, NOISE_GATE = %d\n", true},
};

// Per-channel replies whose value is one byte per channel: {scene, channel, value}.
struct ChannelByteRow {
    uint8_t sub;
    const wchar_t* rangeFormat;  // null: no range line
    const wchar_t* channelFormat;
};
const ChannelByteRow kChannelBytes[] = {
    {DSP_MUTE_CH, L"DSP_MUTE_CH OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n",
     L"ch(%d), mute(%d)\n"},
    {DSP_PHASE_CH, L"Get DSP_PHASE_CH OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n",
     L"ch(%d), phase(%d)\n"},
    {DSP_CH_TYPE, nullptr, L"ch(%d), ch_type(%d)\n"},
    {DSP_EQ_BYPASS, L"DSP_EQ_BYPASS OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n",
     L"ch(%d), bypass(%d)\n"},
    {DSP_CH_SOLO, L"DSP_CH_SOLO OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n",
     L"ch(%d), solo(%d)\n"},
    {DSP_COMPRESSOR_ON_CH, L"DSP_COMPRESSOR_ON_CH OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n",
     L"ch(%d), on(%d)\n"},
};

const wchar_t* const kIrcStatusNames[] = {
    L"IRC_RET_START_TEST\n",     L"IRC_RET_SPK_STATUS_TEST\n",    L"IRC_RET_LEVEL_TEST\n",
    L"IRC_RET_DELAY_TEST\n",     L"IRC_RET_TRIM_TEST\n",          L"IRC_RET_EQ_TEST\n",
    L"IRC_RET_SPEAKER_RTA_TEST\n", L"IRC_RET_SPEAKER_RTA_UPDATE\n", L"IRC_RET_EQ_DATA_UPDATE\n",
    L"IRC_RET_TEST_DATA_UPDATE\n", L"IRC_RET_TEST_DONE\n",         L"IRC_RET_TEST_FAIL->",
    L"IRC_RET_TEST_EXIT\n",
};
const wchar_t* const kIrcFailureNames[] = {
    L"IRC_FAIL_NO_VAR\n", L"IRC_FAIL_NO_MIC\n", L"IRC_FAIL_NO_SPEAKER\n",
    L"IRC_FAIL_DELAY\n",  L"IRC_FAIL_TRIM\n",   L"IRC_FAIL_EQ\n",
};
constexpr uint8_t kIrcStatusFailed = 11;
constexpr uint8_t kIrcStatusDistanceReady = 14;
// The CS47048 form of the cross-source mix carries no gain: the second source is mixed in as it comes,
// which the gain code (dB + 32) says as 32.
constexpr uint8_t kNoGainCode = 32;

}  // namespace

bool DspReplyCarriesValue(WPARAM sub) {
    if (sub == DSP_SEL_REMOTE_CH) return true;  // its 16-bit value, decoded outside the table
    for (const auto& row : kPlainValues) {
        if (row.sub == sub) return true;
    }
    return false;
}

struct DspReplyDecoder {
    DeviceLink& link;
    const ReplyFrame& f;
    const uint8_t sub;
    const uint8_t op;

    void Post(void* record, int slot = DeviceLink::kMainWnd) { link.PostRecord(slot, WM_DSP_VALUE, sub, record); }
    void PostIrc(WPARAM wParam, void* record) {
        link.PostRecord(DeviceLink::kCalibrationWnd, WM_IRC_STATUS, wParam, record);
    }
    bool Require(size_t bytes) {
        if (f.Has(bytes)) return true;
        LogPrintW(L"dsp_ack_process: frame too short\n");
        return false;
    }
    // Items of a ranged reply that lie inside the frame, at most maxItems.
    int ItemsInRange(int first, int last, size_t at, size_t itemSize, int maxItems = 255) const {
        return f.ItemsInside(at, itemSize, std::min(first <= last ? last - first + 1 : 0, maxItems));
    }
    void LogRange(const wchar_t* format) { LogPrintW(format, op, f[2], f[3], f[4], f[5]); }
    // The whole part at `at` and its fraction digits after it, joined as one count of 1/scale steps (less
    // `offset` steps) before it becomes a float.
    float Scaled(size_t at, int32_t scale, int32_t offset = 0) const {
        return FromScaled(f[at] * scale + f[at + 1] - offset, scale);
    }
    // EQ bands: Q as whole and hundredths, gain + 18 dB as whole and tenths.
    float BandQ(size_t p) const { return Scaled(p, 100); }
    float BandGain(size_t p) const { return Scaled(p, 10, 180); }
    // A whole-range reply: its first and last channel at firstAt and firstAt + 1, the values from
    // firstAt + 2 on, indexed in one record by channel number below kRecordChannels. False (logged) when
    // the range asks for channels the record holds but none of their values lies inside the frame.
    struct ChannelSpan {
        int first = 0;
        int filled = 0;     // channels first .. first + filled - 1 carry values
        uint32_t last = 0;  // the last channel the record reports
    };
    bool WholeRange(size_t firstAt, size_t itemSize, ChannelSpan& span);

    void Decode();
    bool DecodeTableRows();
    void Filter();
    void Delay();
    void Trim();
    void Mix();
    void Compressor();
    void Compressor2();
    void Eq();
    void IndexedBytes(const wchar_t* rangeFormat, const wchar_t* channelFormat);
    void InputMixTrim();
    void InputNoise();
    void QFactMode(const wchar_t* format);
    void Distort(bool output);
    void SpeakerDistance();
    void Link(const wchar_t* format);
    void Others();
    void IrcStatus();
    void IrcChannelValues();
    void IrcEq();
    void IrcSpectrum();
    void SourceConfig();
};

void DeviceLink::dsp_ack_process(const uint8_t* data, size_t dataLength) {
    const ReplyFrame frame(data, dataLength);
    DspReplyDecoder decoder{*this, frame, frame[0], frame[1]};
    decoder.Decode();
}

void DspReplyDecoder::Decode() {
    LogPrintW(L"dsp_ack_process %d, cmd(0x%08x), OP(%02x), ", ++gDspReplyCount, sub, op);
    {
        LogUnstampedScope unstamped;
        if (const char* name = DspCmdLogName(sub)) {
            LogPrintW(L"%hs\n", name);
        } else {
            LogPrintW(L"%d\n", sub);
        }
    }

    if (op == OP_ACK) {
        if (sub == DSP_VOLUME) LogPrintW(L"DSP_VOLUME OP_ACK\n");
        if (sub == DSP_CH_TYPE) LogPrintW(L"DSP_CH_TYPE OP_ACK\n");
        return;
    }
    if (op != OP_UPDATE) return;
    if (!DecodeTableRows()) Others();
}

bool DspReplyDecoder::DecodeTableRows() {
    for (const auto& row : kPlainValues) {
        if (row.sub != sub) continue;
        if (!Require(3)) return true;
        if (row.withOptype) {
            LogPrintW(row.format, op, f[2]);
        } else {
            LogPrintW(row.format, f[2]);
        }
        link.PostValue(DeviceLink::kMainWnd, WM_DSP_VALUE, sub, f[2]);
        return true;
    }
    for (const auto& row : kChannelBytes) {
        if (row.sub != sub) continue;
        if (row.rangeFormat != nullptr) LogRange(row.rangeFormat);
        const int n = ItemsInRange(f[4], f[5], 6, 1);
        for (int i = 0; i < n; ++i) {
            auto* record = NewRecord<DspChannelValueRecord>();
            if (record == nullptr) return true;
            *record = {f[2], static_cast<uint32_t>(f[4] + i), f[6 + i]};
            LogPrintW(row.channelFormat, record->channel, record->value);
            Post(record);
        }
        return true;
    }
    return false;
}

void DspReplyDecoder::Others() {
    switch (sub) {
    case DSP_SOURCE_CONFIG: SourceConfig(); break;
    case DSP_FILTER_SET: Filter(); break;
    case DSP_EQ_CH: case DSP_INPUT_EQ_CH: Eq(); break;
    case DSP_DELAY_CH: Delay(); break;
    case DSP_TRIM_CH: Trim(); break;
    case DSP_MIX_CH: Mix(); break;
    case DSP_COMPRESSOR_SETTING: Compressor(); break;
    case DSP_COMPRESSOR_SETTING2: Compressor2(); break;
    case DSP_INPUT_TRIM_CH:
        IndexedBytes(L"DSP_INPUT_TRIM_CH OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n",
                     L"ch(%d), trim(%d)\n");
        break;
    case DSP_INPUT_CH_MUTE:
        IndexedBytes(L"DSP_INPUT_CH_MUTE OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n",
                     L"ch(%d), trim(%d)\n");
        break;
    case DSP_INPUT_CH_PHASE:
        IndexedBytes(L"Get INPUT_CH_PHASE OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n",
                     L"ch(%d), phase(%d)\n");
        break;
    case DSP_INPUT_MIX_CH_TRIM: InputMixTrim(); break;
    case DSP_INPUT_NOISE: InputNoise(); break;
    case DSP_HPF_Q_FACT_MODE: QFactMode(L"DSP_HPF_Q_FACT_MODE OP=0x%x, ch_x=%d, ch_y = %d\n"); break;
    case DSP_LPF_Q_FACT_MODE: QFactMode(L"DSP_LPF_Q_FACT_MODE OP=0x%x, ch_x=%d, ch_y = %d\n"); break;
    case DSP_INPUT_CH_DISTORT: Distort(false); break;
    case DSP_OUTPUT_CH_DISTORT: Distort(true); break;
    case DSP_SPK_DIST: SpeakerDistance(); break;
    case DSP_CH_LINK: Link(L"scene(%d), link(%d)\n"); break;
    case DSP_CH_TRIM_LINK: Link(L"scene(%d), trim_link(%d)\n"); break;
    case DSP_CH_DELAY_LINK: Link(L"scene(%d), delay_link(%d)\n"); break;
    case DSP_IRC_CTRL: IrcStatus(); break;
    case DSP_IRC_DISTANCE: case DSP_IRC_TRIM: case DSP_IRC_SPK_SIZE: case DSP_IRC_SPK_PHASE:
    case DSP_IRC_SPK_LEVEL: case DSP_IRC_NOISE_LEVEL:
        IrcChannelValues();
        break;
    case DSP_IRC_EQ: IrcEq(); break;
    case DSP_IRC_SPECTRUM: IrcSpectrum(); break;
    case DSP_EQ_RESET: LogPrintW(L"DSP_EQ_RESET OP=0x%x, scene =%d, \n", op, f[2]); break;
    case DSP_REMAP_CH: case DSP_IRC_RTA: break;  // nothing to report
    case DSP_BYPASS:
        // The all-bypass switch after the range asked: kept so that it can be put back as it was.
        if (!Require(7)) break;
        if (auto* record = NewRecord<DspChannelValueRecord>()) {
            *record = {f[2], f[4], f[6]};
            LogPrintW(L"DSP_BYPASS OP=0x%x, scene =%d, bypass(%d)\n", op, f[2], f[6]);
            Post(record);
        }
        break;
    case DSP_CH_LOCK:
        if (!Require(4)) break;
        if (auto* record = NewRecord<DspLockRecord>()) {
            *record = {f[2], f[3]};
            LogPrintW(L"scene(%d), lock(%d)\n", f[2], f[3]);
            Post(record);
        }
        break;
    case DSP_SPK_CH_CONFIG:
        if (!Require(3)) break;
        if (auto* record = NewRecord<DspSpeakerConfigRecord>()) {
            record->config = f[2];
            LogPrintW(L"DSP_SPK_CH_CONFIG spk_cfg(0x%02x)\n", f[2]);
            Post(record);
        }
        break;
    case DSP_MIX_TYPE: case DSP_MIX_TYPE2:
        if (!Require(5)) break;
        if (auto* record = NewRecord<DspMixTypeRecord>()) {
            *record = {f[2], f[3], f[4]};
            if (sub == DSP_MIX_TYPE) {
                LogPrintW(L"MIX_TYPE OP=0x%x, scene =%d, source = 0x%x, mix_type(%d)\n", op, f[2], f[3], f[4]);
                LogPrintW(L"mix_type(%d)\n", f[4]);
            } else {
                LogPrintW(L"MIX_TYPE2 OP=0x%x, scene =%d, source = 0x%x, mix_type(%d)\n", op, f[2], f[3], f[4]);
                LogPrintW(L"mix_type2(%d)\n", f[4]);
            }
            Post(record);
        }
        break;
    case DSP_REM_OUT:
        if (!Require(4)) break;
        if (auto* record = NewRecord<DspRemOutRecord>()) {
            *record = {f[2], f[3]};
            LogPrintW(L"DSP_REM_OUT OP=0x%x, REM_OUT1 = %d, REM_OUT2 = %d\n", op, f[2], f[3]);
            Post(record);
        }
        break;
    case DSP_CROSS_SOURCE_MIX:
        if (!Require(8)) break;
        if (auto* record = NewRecord<DspCrossSourceMixRecord>()) {
            *record = {f[2], f[3], f[4], f[5], f[6], f[7]};
            LogPrintW(L"DSP_CROSS_SOURCE_MIX OP=0x%x, scene(0x%x), source(0x%x), ch(0x%x), vice_source(0x%x), "
                      L"vice_ch(0x%x), vice_gain(0x%x)\n",
                      op, f[2], f[3], f[4], f[5], f[6], f[7]);
            Post(record);
        }
        break;
    case DSP_CROSS_SOURCE_MIX_CS47048:
        if (!Require(7)) break;
        if (auto* record = NewRecord<DspCrossSourceMixRecord>()) {
            *record = {f[2], f[3], f[6], f[4], f[5], kNoGainCode};
            LogPrintW(L"DSP_CROSS_SOURCE_MIX_CS47048 OP=0x%x, scene(0x%x), source(0x%x), vice_source(0x%x), "
                      L"vice_ch(0x%x), ch(0x%x)\n",
                      op, f[2], f[3], f[4], f[5], f[6]);
            Post(record);
        }
        break;
    case DSP_OUPUT_BRIDGE: {
        if (!Require(5)) break;
        auto* record = NewRecord<DspOutputBridgeRecord>();
        if (record == nullptr) break;
        const int count = f.ItemsInside(5, 1, std::min<int>(f[4], kBridgeEntries));
        *record = {f[2], f[3], static_cast<uint8_t>(count), {}};
        LogPrintW(L"DSP_OUPUT_BRIDGE OP=0x%x, scene =%d, source =%d, count(%d)\n", op, f[2], f[3], f[4]);
        for (int i = 0; i < count; ++i) {
            record->bridge[i] = f[5 + i];
            LogPrintW(L"bridge[%d] = %d\n", i, record->bridge[i]);
        }
        Post(record);
        break;
    }
    case DSP_MEM_DATA:
        if (!Require(10)) break;
        if (auto* record = NewRecord<DspMemDataRecord>()) {
            *record = {f.LE32(2), f.LE32(6)};
            LogPrintW(L"DSP_MEM_DATA: addr(0x%08x), data(0x%08x)\n", record->address, record->data);
            LogPrintW(L"addr %02x, %02x, %02x, %02x\n", f[2], f[3], f[4], f[5]);
            LogPrintW(L"data %02x, %02x, %02x, %02x\n", f[6], f[7], f[8], f[9]);
            link.PostRecord(DeviceLink::kMemoryWnd, WM_MEM_DATA, DSP_MEM_DATA, record);
        }
        break;
    case DSP_SEL_REMOTE_CH:
        if (Require(4)) link.PostValue(DeviceLink::kMainWnd, WM_DSP_VALUE, sub, f.BE16(2));
        break;
    default:
        LogNotSupported();
        break;
    }
}

void DspReplyDecoder::SourceConfig() {
    LogPrintW(L"DSP_SOURCE_CONFIG update total source=%d -->\n", f[2]);
    const int n = f.ItemsInside(3, 1, f[2]);
    for (int i = 0; i < n; ++i) LogPrintW(L"source%d = %d\n", i, f[3 + i]);
}

void DspReplyDecoder::Filter() {
    LogRange(L"DSP_FILTER_GET OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n");
    const int n = ItemsInRange(f[4], f[5], 6, 8);
    for (int i = 0; i < n; ++i) {
        auto* r = NewRecord<DspFilterRecord>();
        if (r == nullptr) return;
        const size_t p = 6 + 8 * i;
        *r = {f[2], static_cast<uint32_t>(f[4] + i), f[p], f.BE16(p + 1), f[p + 3], f[p + 4], f.BE16(p + 5), f[p + 7]};
        LogPrintW(L"ch(%d): hp_type = %d, hp_freq = %d, hp_slope = %d, lp_type = %d, lp_freq = %d, lp_slope = %d\n",
                  r->channel, r->hp_type, r->hp_freq, r->hp_slope, r->lp_type, r->lp_freq, r->lp_slope);
        Post(r);
    }
}

void DspReplyDecoder::Delay() {
    LogRange(L"DSP_DELAY_CH OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n");
    const int n = ItemsInRange(f[4], f[5], 6, 3);
    for (int i = 0; i < n; ++i) {
        auto* r = NewRecord<DspDelayRecord>();
        if (r == nullptr) return;
        const size_t p = 6 + 3 * i;
        *r = {f[2], static_cast<uint32_t>(f[4] + i), FromScaled(f[p] * 1000 + f.BE16(p + 1), 1000)};
        LogPrintW(L"ch(%d), delay(%.3f)\n", r->channel, r->delay);
        Post(r);
    }
}

void DspReplyDecoder::Trim() {
    LogRange(L"DSP_TRIM_CH OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n");
    const bool wide = link.mWideTrim != 0;
    const int n = ItemsInRange(f[4], f[5], 6, wide ? 2 : 1);
    for (int i = 0; i < n; ++i) {
        auto* r = NewRecord<DspTrimRecord>();
        if (r == nullptr) return;
        const float trim = wide ? -Scaled(6 + 2 * i, 100) : static_cast<int8_t>(f[6 + i]);
        *r = {f[2], static_cast<uint32_t>(f[4] + i), trim};
        LogPrintW(L"ch(%d), trim(%.2f)\n", r->channel, r->trim);
        Post(r);
    }
}

void DspReplyDecoder::Mix() {
    LogRange(L"DSP_MIX_CH OP=0x%x, scene =%d, source = 0x%x, from ch(%d) to ch_end(%d)\n");
    const bool wide = link.mInputCount >= 9;
    const int n = ItemsInRange(f[4], f[5], 6, wide ? 2 : 1);
    for (int i = 0; i < n; ++i) {
        auto* r = NewRecord<DspMixRecord>();
        if (r == nullptr) return;
        const uint32_t mix = wide ? f.BE16(6 + 2 * i) : f[6 + i];
        *r = {f[2], f[3], static_cast<uint32_t>(f[4] + i), mix};
        LogPrintW(L"source(%d) ch(%d), mix(%d)\n", r->source, r->channel, r->mix);
        Post(r);
    }
}

void DspReplyDecoder::Compressor() {
    if (!Require(17)) return;
    LogRange(L"DSP_COMPRESSOR_GET OP=0x%x, scene =%d, source =%d, from ch(%d) to ch_end(%d)\n");
    // One set of values for every channel of the range, which a record array bounds to 16 channels.
    const int last = std::min<int>(f[5], kRecordChannels - 1);
    for (int c = f[4]; c <= last; ++c) {
        auto* r = NewRecord<DspCompressorRecord>();
        if (r == nullptr) return;
        *r = {f[2],
              static_cast<uint32_t>(c),
              f[6],
              Scaled(7, 10, 1000),
              Scaled(9, 10),
              f.BE16(13),
              f.BE16(15),
              Scaled(11, 10)};
        LogPrintW(L"ch(%d): bypass = %d, noise = (%f), ratio = (%f), soft_knee =(%f), attack_time = %d, "
                  L"release_time = %d\n",
                  c, r->bypass, r->noise, r->ratio, r->soft_knee, r->attack, r->release);
        Post(r);
    }
}

void DspReplyDecoder::Compressor2() {
    LogRange(L"DSP_COMPRESSOR_GET2 OP=0x%x, scene =%d, source =%d, from ch(%d) to ch_end(%d)\n");
    const int n = ItemsInRange(f[4], f[5], 6, 6);
    for (int i = 0; i < n; ++i) {
        auto* r = NewRecord<DspCompressor2Record>();
        if (r == nullptr) return;
        const size_t p = 6 + 6 * i;
        const float threshold = Scaled(p, 10);
        const uint32_t release = (f[p + 4] * 10u + f[p + 5]) * 100u;
        *r = {f[2], static_cast<uint32_t>(f[4] + i), 0, threshold, 0, f.BE16(p + 2), release, 0};
        LogPrintW(L"ch(%d):threshold = (%g) %d %d, attack_time = %d, release_time = %d\n", r->channel, threshold, f[p],
                  f[p + 1], r->attack, r->release);
        Post(r);
    }
}

void DspReplyDecoder::Eq() {
    if (sub == DSP_INPUT_EQ_CH) LogPrintW(L"DSP_INPUT_EQ_CH OP=0x%x, scene =%d, \n", op, f[2]);
    LogPrintW(L"DSP_EQ_CH OP=0x%x, scene =%d, source = %d, ch= %d, band=%d, band_end = %d\n", op, f[2], f[3], f[4],
              f[5], f[6]);
    const int n = ItemsInRange(f[5], f[6], 7, 6);
    for (int i = 0; i < n; ++i) {
        auto* r = NewRecord<DspEqRecord>();
        if (r == nullptr) return;
        const size_t p = 7 + 6 * i;
        *r = {f[2], f[4], static_cast<uint32_t>(f[5] + i), f.BE16(p), BandQ(p + 2), BandGain(p + 4)};
        LogPrintW(L"band(%d), freq(%d), Q(%1.2f), Gain(%.2f)\n", r->band, r->freq, r->q, r->gain);
        Post(r);
    }
}

// The header's last channel (or output) becomes the last one actually filled, so a receiver that
// walks first..last never reads past the record; a range with first > last stays as sent.
namespace {
template <typename Index>
Index LastFilled(Index first, Index last, int filled) {
    if (first > last) return last;
    return static_cast<Index>(first + filled - 1);
}
}  // namespace

bool DspReplyDecoder::WholeRange(size_t firstAt, size_t itemSize, ChannelSpan& span) {
    const int x = f[firstAt];
    const int y = f[firstAt + 1];
    span.first = x;
    span.filled = ItemsInRange(x, y, firstAt + 2, itemSize, std::max(0, kRecordChannels - x));
    if (x <= y && x < kRecordChannels && span.filled == 0) {
        LogPrintW(L"dsp_ack_process: frame too short\n");
        return false;
    }
    span.last = LastFilled<uint32_t>(x, y, x < kRecordChannels ? span.filled : kRecordChannels - x);
    return true;
}

void DspReplyDecoder::IndexedBytes(const wchar_t* rangeFormat, const wchar_t* channelFormat) {
    if (!Require(6)) return;
    LogRange(rangeFormat);
    ChannelSpan span;
    if (!WholeRange(4, 1, span)) return;
    auto* r = NewRecord<DspInputRangeRecord>();
    if (r == nullptr) return;
    *r = {f[2], f[3], f[4], span.last, {}};
    for (int i = 0; i < span.filled; ++i) {
        const int c = span.first + i;
        r->value[c] = f[6 + i];
        LogPrintW(channelFormat, c, r->value[c]);
    }
    Post(r);
}

void DspReplyDecoder::InputMixTrim() {
    if (!Require(7)) return;
    LogPrintW(L"DSP_INPUT_MIX_CH_TRIM OP=0x%x, scene =%d, source = 0x%x, in_ch(%d) from out_ch(%d) to "
              L"out_ch_end(%d)\n",
              op, f[2], f[3], f[4], f[5], f[6]);
    LogPrintW(L"in_ch(%d) -> out_ch_x(%d) to out_ch_y(%d), \n", f[4], f[5], f[6]);
    const int fit = ItemsInRange(f[5], f[6], 7, 1, kRecordChannels);
    if (f[5] <= f[6] && fit == 0) {
        LogPrintW(L"dsp_ack_process: frame too short\n");
        return;
    }
    auto* r = NewRecord<DspInputMixTrimRecord>();
    if (r == nullptr) return;
    *r = {f[2], f[3], f[4], f[5], LastFilled<uint32_t>(f[5], f[6], fit), {}};
    for (int k = 0; k < fit; ++k) {
        r->trim[k] = f[7 + k];
        LogPrintW(L"trim[%d]=(%d)\n", k, r->trim[k]);
    }
    Post(r);
}

void DspReplyDecoder::InputNoise() {
    if (!Require(4)) return;
    LogPrintW(L"INPUT_NOISE OP=0x%x, ch_x=%d, ch_y = %d\n", op, f[2], f[3]);
    ChannelSpan span;
    if (!WholeRange(2, 2, span)) return;
    auto* r = NewRecord<DspInputNoiseRecord>();
    if (r == nullptr) return;
    r->first = f[2];
    r->last = span.last;
    for (int i = 0; i < span.filled; ++i) {
        const int c = span.first + i;
        r->level[c] = Scaled(4 + 2 * i, 10, 1000);  // dBu + 100
        LogPrintW(L"[%d]=(%f)\n", c, r->level[c]);
    }
    Post(r, link.mNoiseReplyToMain != 0 ? DeviceLink::kMainWnd : DeviceLink::kNoiseWnd);
}

void DspReplyDecoder::QFactMode(const wchar_t* format) {
    if (!Require(6)) return;
    LogPrintW(format, op, f[4], f[5]);
    ChannelSpan span;
    if (!WholeRange(4, 1, span)) return;
    auto* r = NewRecord<DspQFactModeRecord>();
    if (r == nullptr) return;
    *r = {f[2], f[3], f[4], static_cast<uint8_t>(span.last), {}};
    for (int i = 0; i < span.filled; ++i) {
        const int c = span.first + i;
        r->mode[c] = f[6 + i];
        LogPrintW(L"q_fact_mode[%d]=(%d)\n", c, r->mode[c]);
    }
    Post(r);
}

void DspReplyDecoder::Distort(bool output) {
    if (!Require(5)) return;
    LogPrintW(output ? L"DSP_OUTPUT_CH_DISTORT OP=0x%x, source = 0x%x, from ch(%d) to ch_end(%d)\n"
                     : L"DSP_INPUT_CH_DISTORT OP=0x%x, source = 0x%x, from ch(%d) to ch_end(%d)\n",
              op, f[2], f[3], f[4]);
    ChannelSpan span;
    if (!WholeRange(3, 1, span)) return;
    uint8_t* distort = nullptr;
    void* record = nullptr;
    if (output) {
        auto* r = NewRecord<DspOutputDistortRecord>();
        if (r == nullptr) return;
        *r = {0, f[2], f[3], span.last, {}};
        distort = r->distort;
        record = r;
    } else {
        auto* r = NewRecord<DspInputDistortRecord>();
        if (r == nullptr) return;
        *r = {f[2], f[3], span.last, {}};
        distort = r->distort;
        record = r;
    }
    for (int i = 0; i < span.filled; ++i) {
        const int c = span.first + i;
        distort[c] = f[5 + i];
        LogPrintW(L"ch(%d), distort(%d)\n", c, distort[c]);
    }
    Post(record);
}

void DspReplyDecoder::SpeakerDistance() {
    if (!Require(6)) return;
    LogPrintW(L"DSP_SPK_DIST OP=0x%x, ch_x=%d, ch_y = %d\n", op, f[4], f[5]);
    ChannelSpan span;
    if (!WholeRange(4, 2, span)) return;
    auto* r = NewRecord<DspSpeakerDistRecord>();
    if (r == nullptr) return;
    *r = {f[2], f[3], f[4], static_cast<uint8_t>(span.last), {}};
    for (int i = 0; i < span.filled; ++i) {
        const int c = span.first + i;
        r->dist[c] = f.BE16(6 + 2 * i);
        LogPrintW(L"q_spk_dist[%d]=(%d/100)\n", c, r->dist[c]);
    }
    Post(r);
}

void DspReplyDecoder::Link(const wchar_t* format) {
    if (!Require(4)) return;
    auto* r = NewRecord<DspLinkRecord>();
    if (r == nullptr) return;
    r->scene = f[2];
    r->link = f[3];
    const int n = f.ItemsInside(4, 1, std::min<int>(link.mOutputCount / 2, sizeof r->pairs));
    for (int i = 0; i < n; ++i) r->pairs[i] = f[4 + i];
    // The whole list, as far as the frame holds whole pairs of it.
    if (f.Has(5)) {
        r->count = static_cast<uint8_t>(f.ItemsInside(5, 2, std::min<int>(f[4], kLinkPairs)));
        for (int i = 0; i < 2 * r->count; ++i) r->list[i] = f[5 + i];
    }
    LogPrintW(format, f[2], f[3]);
    Post(r);
}

// ---- Auto-calibration ----

void DspReplyDecoder::IrcStatus() {
    if (!Require(6)) return;
    const uint8_t status = f[2];
    LogPrintW(L"DSP_IRC_CTRL Update Status = 0x%x, progress = %d\n", status, f[5]);
    // A distance ready for a channel (14) names the channel as the spectrum and EQ steps do; the
    // calibration worker fetches the distance on it.
    if (status == kIrcStatusDistanceReady) {
        LogPrintW(L"IRC_RET_DISTANCE_UPDATE\n");
        link.PostValue(DeviceLink::kCalibrationWnd, WM_IRC_STATUS, status, f[3]);
        return;
    }
    if (status >= sizeof kIrcStatusNames / sizeof kIrcStatusNames[0]) return;
    LogPrintW(kIrcStatusNames[status]);
    LPARAM value = f[5];
    if (status == 7 || status == 8) value = f[3];
    if (status == kIrcStatusFailed) {
        const uint8_t failure = f[6];
        if (!f.Has(7) || failure >= sizeof kIrcFailureNames / sizeof kIrcFailureNames[0]) return;
        LogPrintW(kIrcFailureNames[failure]);
        value = failure;
    }
    link.PostValue(DeviceLink::kCalibrationWnd, WM_IRC_STATUS, status, value);
}

void DspReplyDecoder::IrcChannelValues() {
    if (!Require(4)) return;
    const int x = f[2];
    switch (sub) {
    case DSP_IRC_DISTANCE: LogPrintW(L"DSP_IRC_DISTANCE Update from ch(%d) to ch_end(%d) \n", f[2], f[3]); break;
    case DSP_IRC_TRIM: LogPrintW(L"IRC_CH_TRIM Update from ch(%d) to ch_end(%d) \n", f[2], f[3]); break;
    case DSP_IRC_SPK_SIZE: LogPrintW(L"Get DSP_IRC_SPK_SIZE Update from ch(%d) to ch_end(%d)\n", f[2], f[3]); break;
    case DSP_IRC_SPK_PHASE: LogPrintW(L"Get DSP_IRC_SPK_PHASE Update from ch(%d) to ch_end(%d)\n", f[2], f[3]); break;
    case DSP_IRC_SPK_LEVEL: LogPrintW(L"Get DSP_IRC_SPK_LEVEL Update from ch(%d) to ch_end(%d)\n", f[2], f[3]); break;
    default: LogPrintW(L"Get DSP_IRC_NOISE_LEVEL Update from ch(%d) to ch_end(%d)\n", f[2], f[3]); break;
    }
    const size_t itemSize = sub == DSP_IRC_DISTANCE ? 2 : 1;
    const int n = ItemsInRange(x, f[3], 4, itemSize);
    for (int i = 0; i < n; ++i) {
        const uint32_t channel = static_cast<uint32_t>(x + i);
        const uint8_t v = f[4 + i];
        if (sub == DSP_IRC_DISTANCE) {
            auto* r = NewRecord<IrcDistanceRecord>();
            if (r == nullptr) return;
            *r = {channel, Scaled(4 + 2 * i, 100)};
            LogPrintW(L"ch(%d), distance(%f)\n", channel, r->distance);
            PostIrc(sub, r);
        } else if (sub == DSP_IRC_TRIM) {
            auto* r = NewRecord<IrcTrimRecord>();
            if (r == nullptr) return;
            *r = {channel, static_cast<float>(v)};
            LogPrintW(L"ch(%d), trim(%d)\n", channel, static_cast<int>(r->trim));
            PostIrc(sub, r);
        } else {
            auto* r = NewRecord<IrcValueRecord>();
            if (r == nullptr) return;
            *r = {channel, v};
            if (sub == DSP_IRC_SPK_SIZE) LogPrintW(L"ch(%d), size(%d)\n", channel, v);
            if (sub == DSP_IRC_SPK_PHASE) LogPrintW(L"ch(%d), phase(%d)\n", channel, v);
            if (sub == DSP_IRC_SPK_LEVEL) LogPrintW(L"ch(%d), spk_level(%d)\n", channel, v);
            if (sub == DSP_IRC_NOISE_LEVEL) LogPrintW(L"ch(%d), noise level(%d)\n", channel, v);
            PostIrc(sub, r);
        }
    }
}

void DspReplyDecoder::IrcEq() {
    if (!Require(5)) return;
    LogPrintW(L"DSP_IRC_EQ Update from ch(%d) from band(%d) to band_end(%d) \n", f[2], f[3], f[4]);
    const int n = ItemsInRange(f[3], f[4], 5, 6);
    for (int i = 0; i < n; ++i) {
        auto* r = NewRecord<IrcEqRecord>();
        if (r == nullptr) return;
        const size_t p = 5 + 6 * i;
        *r = {f[2], static_cast<uint32_t>(f[3] + i), f.BE16(p), BandQ(p + 2), BandGain(p + 4)};
        LogPrintW(L"band(%d), freq(%d), Q(%1.2f), Gain(%.2f)\n", r->band, r->freq, r->q, r->gain);
        PostIrc(sub, r);
    }
}

void DspReplyDecoder::IrcSpectrum() {
    if (!Require(5)) return;
    LogPrintW(L"DSP_IRC_SPECTRUM Update from band(%d) to band_end(%d) @ ch(%d) \n", f[3], f[4], f[2]);
    const int n = ItemsInRange(f[3], f[4], 5, 5);
    for (int i = 0; i < n; ++i) {
        auto* r = NewRecord<IrcSpectrumRecord>();
        if (r == nullptr) return;
        const size_t p = 5 + 5 * i;
        // Frequency in Hz and hundredths; level in signed whole and hundredths.
        const int32_t level = static_cast<int8_t>(f[p + 3]) * 100 + static_cast<int8_t>(f[p + 4]);
        *r = {f[2], static_cast<uint32_t>(f[3] + i), FromScaled(f.BE16(p) * 100 + f[p + 2], 100),
              FromScaled(level, 100)};
        LogPrintW(L"band(%d), freq(%f), Gain(%f)\n", r->band, r->freq, r->gain);
        PostIrc(sub, r);
    }
}
