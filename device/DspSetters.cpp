// DSP setters (packet type 1, optype set). Each lays out its payload, writes its log line and hands the
// frame to Submit, which sends it at once, queues it or drops it.
#include "base/Log.h"
#include "device/DeviceLink.h"
#include "device/FixedPoint.h"
#include "device/Payload.h"

namespace {

// Payload blocks of the setters; the frame's 57 bytes bound them all.
constexpr size_t kFixedBlock = 10;
constexpr size_t kSmallListBlock = 20;  // threshold and bridge flags
constexpr size_t kRangeBlock = 40;      // one or two bytes per channel, link pairs
constexpr size_t kDelayBlock = 52;
constexpr size_t kWideBlock = 60;       // input EQ bands, surround words
constexpr size_t kFrameBlock = HidPacket::kMaxRequestPayload;
constexpr int kRangeHeader = 4;         // scene, source, first, last

// Refuses items that would not fit the block before any of them is read from the caller's array.
bool ItemsFit(const void* items, int count, size_t header, size_t itemSize, size_t block, uint8_t sub) {
    if (count == 0) return true;
    const size_t capacity = block < kFrameBlock ? block : kFrameBlock;
    if (items != nullptr && header + count * itemSize <= capacity) return true;
    LogPrintW(L"payload too long for cmd 0x%02x sub 0x%02x, not sent\n", CMD_DSP, sub);
    return false;
}

Payload RangeHeader(size_t block, uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y) {
    Payload p(block);
    p.U8(scene).U8(source).U8(ch_x).U8(ch_y);
    return p;
}

}  // namespace

// ---- Shared shapes ----

void DeviceLink::SetByteRange(uint8_t sub, const wchar_t* format, bool withSource, uint8_t scene, uint8_t source,
                              uint8_t ch_x, uint8_t ch_y, const uint8_t* values, bool sync) {
    const int count = RangeCount(ch_x, ch_y);
    if (!ItemsFit(values, count, kRangeHeader, 1, kRangeBlock, sub)) return;
    Payload p = RangeHeader(kRangeBlock, scene, source, ch_x, ch_y);
    for (int i = 0; i < count; ++i) {
        p.U8(values[i]);
        if (withSource) {
            LogPrintW(format, scene, source, ch_x + i, values[i]);
        } else {
            LogPrintW(format, scene, ch_x + i, values[i]);
        }
    }
    Submit(CMD_DSP, sub, OP_SET, p, sync);
}

void DeviceLink::SetLinkPairs(uint8_t sub, const wchar_t* format, uint8_t scene, uint8_t link, uint8_t count,
                              const uint8_t* pairs, bool sync) {
    if (!ItemsFit(pairs, count, 3, 2, kRangeBlock, sub)) return;
    Payload p(kRangeBlock);
    p.U8(scene).U8(link).U8(count);
    LogPrintW(format, scene, link, count);
    for (int i = 0; i < count; ++i) {
        p.U8(pairs[2 * i]).U8(pairs[2 * i + 1]);
        LogPrintW(L"from ch(%d) to ch(%d)\n", pairs[2 * i], pairs[2 * i + 1]);
    }
    Submit(CMD_DSP, sub, OP_SET, p, sync);
}

// ---- Device-wide values ----

void DeviceLink::Source_Switch_Ctrl(uint8_t source, bool sync) {
    LogPrintW(L"Source_Switch_Ctrl: source(0x%x)\n", source);
    Submit(CMD_DSP, DSP_SOURCE_SWITCH, OP_SET, Payload(kFixedBlock).U8(source), sync);
}

void DeviceLink::Main_Volume_Ctrl(float gain, bool sync) {
    LogPrintW(L"Main_Volume_Ctrl gain:(%.1f) \n", gain);
    Submit(CMD_DSP, DSP_VOLUME, OP_SET, Payload(kFixedBlock).U8(TruncScaled(gain, 1)), sync);
}

void DeviceLink::Subwoofer_Volume_Ctrl(uint8_t volume, bool sync) {
    Submit(CMD_DSP, DSP_SUBWOOFER_VOLUME, OP_SET, Payload(kFixedBlock).U8(volume), sync);
}

void DeviceLink::Mute_Ctrl(uint8_t mute, bool sync) {
    LogPrintW(L"Mute_Ctrl %d\n", mute);
    switch (Submit(CMD_DSP, DSP_MUTE, OP_SET, Payload(kFixedBlock).U8(mute), sync)) {
    case Outcome::Queued: LogPrintW(L"Mute_Ctrl enqueued %hs\n", "succeed"); break;
    case Outcome::QueueFailed: LogPrintW(L"Mute_Ctrl enqueued %hs\n", "failed"); break;
    case Outcome::Dropped: LogPrintW(L"Mute_Ctrl free\n"); break;
    default: break;
    }
}

void DeviceLink::Input_Ch_Threshold_Ctrl(int8_t threshold, bool sync) {
    LogPrintW(L"Input_Ch_Threshold_Ctrl:threshold(%d)\n", threshold);
    Submit(CMD_DSP, DSP_INPUT_THRESHOLD, OP_SET, Payload(kSmallListBlock).U8(static_cast<uint8_t>(threshold)), sync);
}

void DeviceLink::Sel_Remote_CH_Ctrl(uint16_t sel_ch, bool sync) {
    LogPrintW(L"Sel_Remote_CH_Ctrl sel_ch(%d) \n", sel_ch);
    Submit(CMD_DSP, DSP_SEL_REMOTE_CH, OP_SET, Payload(kFixedBlock).BE16(sel_ch), sync);
}

void DeviceLink::Remote_CH_Volume_Ctrl(uint8_t volume, bool sync) {
    Submit(CMD_DSP, DSP_REMOTE_CH_VOLUME, OP_SET, Payload(kFixedBlock).U8(volume), sync);
}

void DeviceLink::Speaker_Config_Ctrl(uint8_t config, bool sync) {
    Submit(CMD_DSP, DSP_SPK_CH_CONFIG, OP_SET, Payload(kFixedBlock).U8(config), sync);
}

void DeviceLink::Factory_Preset_Ctrl(uint8_t mode) {
    LogPrintW(L"Factory_Preset_Ctrl: mode(%d)\n", mode);
    Request(CMD_DSP, DSP_FACTORY_PRESET, OP_SET, {mode}, 1000);
}

void DeviceLink::Setup_Mode_Ctrl(uint8_t mode) {
    LogPrintW(L"Setup_Mode_Ctrl: mode(%d)\n", mode);
    Request(CMD_DSP, DSP_SETUP_MODE, OP_SET, {mode}, 1000);
}

void DeviceLink::AUTO_ON_Ctrl(uint8_t scene, uint8_t on, bool sync) {
    Submit(CMD_DSP, DSP_AUTO_EFFECTION_ON_OFF_CONTROL, OP_SET, Payload(kFixedBlock).U8(scene).U8(on), sync);
}

void DeviceLink::IRC_Active_Bypass_Ctrl(uint8_t scene, uint8_t bypass, bool sync) {
    Submit(CMD_DSP, DSP_IRC_ACTIVE_BYPASS_CONTROL, OP_SET, Payload(kFixedBlock).U8(scene).U8(bypass), sync);
}

void DeviceLink::CS_Auto_Setting_Ctrl(const uint32_t words[13], bool sync) {
    if (!ItemsFit(words, 13, 0, 4, kWideBlock, DSP_CS_AUTO_SETTING)) return;
    Payload p(kWideBlock);
    for (int i = 0; i < 13; ++i) p.LE32(words[i]);  // as the words lie in memory
    Submit(CMD_DSP, DSP_CS_AUTO_SETTING, OP_SET, p, sync);
}

void DeviceLink::Amp_Mute_Ctrl(uint8_t t_mute, bool sync) {
    LogPrintW(L"Amp_Mute_Ctrl t_mute(%d)\n", t_mute);
    Submit(CMD_DSP, DSP_AMP_MUTE, OP_SET, Payload(kFixedBlock).U8(t_mute), sync);
}

void DeviceLink::Set_MemData(uint32_t addr, uint32_t data, bool sync) {
    Payload p(kFixedBlock);
    p.LE32(addr).LE32(data);
    LogPrintW(L"Get_MemData: addr(0x%08x), data(0x%08x)\n", addr, data);
    LogPrintW(L"addr %02x, %02x, %02x, %02x\n", p[0], p[1], p[2], p[3]);
    LogPrintW(L"data %02x, %02x, %02x, %02x\n", p[4], p[5], p[6], p[7]);
    Submit(CMD_DSP, DSP_MEM_DATA, OP_SET, p, sync);
}

void DeviceLink::Mix_Source_Switch_Ctrl(uint8_t source, bool sync) {
    LogPrintW(L"Mix_Source_Switch_Ctrl: source(0x%x)\n", source);
    Submit(CMD_DSP, DSP_MIX_SOURCE_SWITCH, OP_SET, Payload(kFixedBlock).U8(source), sync);
}

void DeviceLink::Rem_Out_Ctrl(uint8_t remOut1, uint8_t remOut2, bool sync) {
    LogPrintW(L"Rem_Out_Ctrl remOut1(%d), remOut2(%d)\n", remOut1, remOut2);
    Submit(CMD_DSP, DSP_REM_OUT, OP_SET, Payload(kFixedBlock).U8(remOut1).U8(remOut2), sync);
}

void DeviceLink::Spk_Ohm_Ctrl(uint8_t ohm, bool sync) {
    LogPrintW(L"Spk_Ohm_Ctrl ohm(%d)\n", ohm);
    Submit(CMD_DSP, DSP_SPK_OHM, OP_SET, Payload(kFixedBlock).U8(ohm), sync);
}

void DeviceLink::Noise_Gate_Ctrl(uint8_t onoff, bool sync) {
    LogPrintW(L"Noise_Gate_Ctrl onoff(%d)\n", onoff);
    Submit(CMD_DSP, DSP_NOISE_GATE, OP_SET, Payload(kFixedBlock).U8(onoff), sync);
}

// ---- Auto-calibration ----

void DeviceLink::IRC_Ctrl(uint8_t on, uint16_t ircch, uint8_t eqmode, bool sync) {
    LogPrintW(L"IRC_Ctrl: on(%d), ircch=0x%x, irc_eqmode = %d, syncMode(%d)\n", on, ircch, eqmode, sync);
    Submit(CMD_DSP, DSP_IRC_CTRL, OP_SET, Payload(kFixedBlock).U8(on).BE16(ircch).U8(eqmode), sync);
}

void DeviceLink::IRC_Set_Test_Mic(uint8_t on, bool sync) {
    LogPrintW(L"IRC_Set_Test_Mic: on(%d)\n", on);
    Submit(CMD_DSP, DSP_IRC_TEST_MIC, OP_SET, Payload(kFixedBlock).U8(on), sync);
}

void DeviceLink::IRC_Sel_Test_Module(uint8_t module, bool sync) {
    LogPrintW(L"IRC_Sel_Test_Module: Module(0x%x), syncMode(%d)\n", module, sync);
    Submit(CMD_DSP, DSP_IRC_SEL_TEST_MODULE, OP_SET, Payload(kFixedBlock).U8(module), sync);
}

// ---- Output channels ----

void DeviceLink::Filter_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t iFilter, int32_t freq, int32_t slope,
                             int32_t type, bool sync) {
    LogPrintW(L"Filter_Ctrl scene@(%d), source(%d), ch(%d), iFilter(%d), freq(%d), slope(%d), type(%d)\n", scene,
              source, ch, iFilter, freq, slope, type);
    Payload p(kFixedBlock);
    p.U8(scene).U8(source).U8(ch).U8(iFilter).U8(type).BE16(freq).U8(slope);
    Submit(CMD_DSP, DSP_FILTER_SET, OP_SET, p, sync);
}

void DeviceLink::EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band, uint16_t freq, float q, float gain,
                         bool sync) {
    LogPrintW(L"EQ_Ctrl: gain(%.2f) ,freqValue(%d) ,qValue(%f) @ band(%d) @channel(%d) @scene(%d)\n", gain, freq, q,
              band, ch, scene);
    const FixedBytes qBytes = LowByteFraction(q, 10);
    const FixedBytes gainBytes = SignedFraction(gain, 10, 18.0);
    Payload p(kFixedBlock);
    p.U8(scene).U8(source).U8(ch).U8(band).BE16(freq);
    p.U8(qBytes.whole).U8(qBytes.fraction).U8(gainBytes.whole).U8(gainBytes.fraction);
    Submit(CMD_DSP, DSP_EQ_CH, OP_SET, p, sync);
}

void DeviceLink::Delay_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const float* delay, bool sync) {
    const int count = RangeCount(ch_x, ch_y);
    if (!ItemsFit(delay, count, kRangeHeader, 3, kDelayBlock, DSP_DELAY_CH)) return;
    for (int i = 0; i < count; ++i) {
        // A whole byte of milliseconds cannot carry the value: sending it would set another delay.
        if (!DelayEncodable(delay[i])) {
            LogPrintW(L"Delay_Ctrl: channel(%d), delay(%.3f) outside 0..256 ms, not sent\n", ch_x + i, delay[i]);
            return;
        }
    }
    Payload p = RangeHeader(kDelayBlock, scene, source, ch_x, ch_y);
    for (int i = 0; i < count; ++i) {
        const DelayBytes bytes = EncodeDelay(delay[i]);
        p.U8(bytes.ms).BE16(bytes.us);
        LogPrintW(L"Delay_Ctrl: scene(%d), channel(%d), delay(%.3f)\n", scene, ch_x + i, delay[i]);
    }
    Submit(CMD_DSP, DSP_DELAY_CH, OP_SET, p, sync);
}

void DeviceLink::Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const float* trim, bool sync) {
    const int count = RangeCount(ch_x, ch_y);
    const bool wide = mWideTrim != 0;
    if (!ItemsFit(trim, count, kRangeHeader, wide ? 2 : 1, kRangeBlock, DSP_TRIM_CH)) return;
    LogPrintW(L"destch_x = %d, dest_chy = %d\n", ch_x, ch_y);
    Payload p = RangeHeader(kRangeBlock, scene, source, ch_x, ch_y);
    for (int i = 0; i < count; ++i) {
        const FixedBytes bytes = EncodeTrim(trim[i]);
        p.U8(bytes.whole);
        if (wide) p.U8(bytes.fraction);
        LogPrintW(L"Trim_Ctrl: scene(%d), channel(%d), trim(%.2f)\n", scene, ch_x + i, trim[i]);
    }
    Submit(CMD_DSP, DSP_TRIM_CH, OP_SET, p, sync);
}

void DeviceLink::Mute_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* mute,
                              bool sync) {
    SetByteRange(DSP_MUTE_CH, L"Mute_Ch_Ctrl: scene(%d), channel(%d), mute(%d)\n", false, scene, source, ch_x, ch_y,
                 mute, sync);
}

void DeviceLink::Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* phase,
                            bool sync) {
    SetByteRange(DSP_PHASE_CH, L"Phase_Ctrl: scene(%d), channel(%d), phase(%d)\n", false, scene, source, ch_x, ch_y,
                 phase, sync);
}

void DeviceLink::Mix_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const int32_t* mask,
                             bool sync) {
    const int count = RangeCount(ch_x, ch_y);
    const bool wide = mInputCount > 8;
    if (!ItemsFit(mask, count, kRangeHeader, wide ? 2 : 1, kRangeBlock, DSP_MIX_CH)) return;
    Payload p = RangeHeader(kRangeBlock, scene, source, ch_x, ch_y);
    for (int i = 0; i < count; ++i) {
        const uint32_t bits = static_cast<uint32_t>(mask[i]);
        if (wide) {
            p.BE16(bits & 0xFFFF);  // inputs 8..15, then 0..7
        } else {
            p.U8(bits);
        }
        LogPrintW(L"Mix_Ch_Ctrl: scene(%d), source(%d), output_channel(%d), input_ch(0x%x)\n", scene, source,
                  ch_x + i, bits);
    }
    Submit(CMD_DSP, DSP_MIX_CH, OP_SET, p, sync);
}

void DeviceLink::Remap_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t out_ch, const uint8_t* in, uint8_t count,
                               bool sync) {
    if (!ItemsFit(in, count, 3, 1, kRangeBlock, DSP_REMAP_CH)) return;
    Payload p(kRangeBlock);
    p.U8(scene).U8(source).U8(out_ch);
    for (int i = 0; i < count; ++i) {
        p.U8(in[i]);
        LogPrintW(L"Remap_Ch_Ctrl: scene(%d), output_channel(%d), input_ch(%d)\n", scene, out_ch, in[i]);
    }
    Submit(CMD_DSP, DSP_REMAP_CH, OP_SET, p, sync);
}

void DeviceLink::CH_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* type,
                              bool sync) {
    const int count = RangeCount(ch_x, ch_y);
    if (!ItemsFit(type, count, kRangeHeader, 1, kRangeBlock, DSP_CH_TYPE)) return;
    LogPrintW(L"CH_Type_Ctrl scene(%d), source(%d), ch_x(%d), ch_y(%d)\n", scene, source, ch_x, ch_y);
    Payload p = RangeHeader(kRangeBlock, scene, source, ch_x, ch_y);
    for (int i = 0; i < count; ++i) {
        p.U8(type[i]);
        LogPrintW(L"CH_Type_Ctrl channel(%d) -> t_ch_type(0x%x)\n", ch_x + i, type[i]);
    }
    Submit(CMD_DSP, DSP_CH_TYPE, OP_SET, p, sync);
}

void DeviceLink::CH_Link_Ctrl(uint8_t scene, uint8_t link, uint8_t count, const uint8_t* pairs, bool sync) {
    SetLinkPairs(DSP_CH_LINK, L"CH_Link_Ctrl scene(%d), link(%d), ch_count(%d)\n", scene, link, count, pairs, sync);
}

void DeviceLink::CH_Trim_Link_Ctrl(uint8_t scene, uint8_t link, uint8_t count, const uint8_t* pairs, bool sync) {
    SetLinkPairs(DSP_CH_TRIM_LINK, L"CH_Trim_Link_Ctrl scene(%d), link(%d), ch_count(%d)\n", scene, link, count,
                 pairs, sync);
}

void DeviceLink::CH_Delay_Link_Ctrl(uint8_t scene, uint8_t link, uint8_t count, const uint8_t* pairs, bool sync) {
    SetLinkPairs(DSP_CH_DELAY_LINK, L"CH_Delay_Link_Ctrl scene(%d), link(%d), ch_count(%d)\n", scene, link, count,
                 pairs, sync);
}

void DeviceLink::CH_Lock_Ctrl(uint8_t x, uint8_t lock, bool sync) {
    Submit(CMD_DSP, DSP_CH_LOCK, OP_SET, Payload(kFixedBlock).U8(x).U8(lock), sync);
}

void DeviceLink::DSP_Bypass_Ctrl(uint8_t scene, uint8_t source, uint8_t channel, uint8_t bypass, bool sync) {
    LogPrintW(L"DSP_Bypass_Ctrl: scene(%d), channel(%d), bypass(%d)\n", scene, channel, bypass);
    Submit(CMD_DSP, DSP_BYPASS, OP_SET, Payload(kFixedBlock).U8(scene).U8(source).U8(bypass), sync);
}

void DeviceLink::PEQ_Reset_Ctrl(uint8_t scene, uint8_t source, uint8_t count, const uint8_t* ch, bool sync) {
    if (!ItemsFit(ch, count, 3, 1, kRangeBlock, DSP_EQ_RESET)) return;
    Payload p(kRangeBlock);
    p.U8(scene).U8(source).U8(count);
    LogPrintW(L"PEQ_Reset_Ctrl: scene(%d), ch_count(%d), ", scene, count);
    {
        LogUnstampedScope unstamped;
        for (int i = 0; i < count; ++i) {
            p.U8(ch[i]);
            LogPrintW(L"ch(%d), ", ch[i]);
        }
        LogPrintW(L"\n");
    }
    Submit(CMD_DSP, DSP_EQ_RESET, OP_SET, p, sync);
}

void DeviceLink::PEQ_Bypass_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* bypass,
                                 bool sync) {
    SetByteRange(DSP_EQ_BYPASS, L"PEQ_Bypass_Ctrl: scene(%d), channel(%d), bypass(%d)\n", false, scene, source, ch_x,
                 ch_y, bypass, sync);
}

void DeviceLink::Solo_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* solo, bool sync) {
    SetByteRange(DSP_CH_SOLO, L"Solo_Ctrl: scene(%d), channel(%d), solo(%d)\n", false, scene, source, ch_x, ch_y, solo,
                 sync);
}

void DeviceLink::Mix_Type_Ctrl(uint8_t scene, uint8_t source, uint8_t type, bool sync) {
    LogPrintW(L"Mix_Type_Ctrl: scene(%d), source(%d), type(%d)\n", scene, source, type);
    Submit(CMD_DSP, DSP_MIX_TYPE, OP_SET, Payload(kFixedBlock).U8(scene).U8(source).U8(type), sync);
}

void DeviceLink::Mix_Type2_Ctrl(uint8_t scene, uint8_t source, uint8_t type, bool sync) {
    LogPrintW(L"Mix_Type_Ctrl: scene(%d), source(%d), type(%d)\n", scene, source, type);
    Submit(CMD_DSP, DSP_MIX_TYPE2, OP_SET, Payload(kFixedBlock).U8(scene).U8(source).U8(type), sync);
}

void DeviceLink::HPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* type,
                                 bool sync) {
    SetByteRange(DSP_HPF_Q_FACT_MODE, L"HPF_Q_Fact_Ctrl: scene(%d), channel(%d), Q_fac_type(%d)\n", false, scene,
                 source, ch_x, ch_y, type, sync);
}

void DeviceLink::LPF_Q_Fact_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* type,
                                 bool sync) {
    SetByteRange(DSP_LPF_Q_FACT_MODE, L"LPF_Q_Fact_Ctrl: scene(%d), channel(%d), Q_fac_type(%d)\n", false, scene,
                 source, ch_x, ch_y, type, sync);
}

void DeviceLink::Spk_Dist_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint16_t* dist,
                               bool sync) {
    const int count = RangeCount(ch_x, ch_y);
    if (!ItemsFit(dist, count, kRangeHeader, 2, kRangeBlock, DSP_SPK_DIST)) return;
    Payload p = RangeHeader(kRangeBlock, scene, source, ch_x, ch_y);
    for (int i = 0; i < count; ++i) {
        p.BE16(dist[i]);
        LogPrintW(L"Spk_Dist_Ctrl: scene(%d), channel(%d), spk_dist(%d/100)\n", scene, ch_x + i, dist[i]);
    }
    Submit(CMD_DSP, DSP_SPK_DIST, OP_SET, p, sync);
}

void DeviceLink::Compressor_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t bypass, float threshold,
                                 float ratio, int32_t attack, int32_t release, float softKnee, bool sync) {
    const FixedBytes thr = SignedFraction(threshold, 10, 100.0);
    const FixedBytes ratioBytes = SignedFraction(ratio, 10);
    const FixedBytes knee = LowByteFraction(softKnee, 10);
    Payload p(kFrameBlock);
    p.U8(scene).U8(source).U8(ch).U8(bypass);
    p.U8(thr.whole).U8(thr.fraction).U8(ratioBytes.whole).U8(ratioBytes.fraction).U8(knee.whole).U8(knee.fraction);
    p.BE16(attack).BE16(release);
    Submit(CMD_DSP, DSP_COMPRESSOR_SETTING, OP_SET, p, sync);
}

void DeviceLink::Compressor_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* on,
                                    bool sync) {
    SetByteRange(DSP_COMPRESSOR_ON_CH, L"Compressor_Ch_Ctrl: scene(%d), channel(%d), On(%d)\n", false, scene, source,
                 ch_x, ch_y, on, sync);
}

void DeviceLink::Compressor_Ctrl2(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y,
                                  const Compressor2Setting* record, bool sync) {
    const int count = RangeCount(ch_x, ch_y);
    if (!ItemsFit(record, count, kRangeHeader, 6, kFrameBlock, DSP_COMPRESSOR_SETTING2)) return;
    Payload p = RangeHeader(kFrameBlock, scene, source, ch_x, ch_y);
    for (int i = 0; i < count; ++i) {
        const FixedBytes thr = SignedFraction(record[i].threshold, 10);
        // The release travels in seconds and tenths; whole milliseconds make both digits exact.
        const uint32_t releaseMs = static_cast<uint32_t>(record[i].release);
        const uint32_t seconds = releaseMs / 1000;
        const uint32_t tenths = releaseMs / 100 - 10 * seconds;
        p.U8(thr.whole).U8(thr.fraction).BE16(record[i].attack).U8(seconds).U8(tenths);
        LogPrintW(L"Compressor_Ctrl2: scene(%d), channel(%d), threshold(%g) %d %d, attack(%d), release(%g)\n", scene,
                  ch_x + i, record[i].threshold, static_cast<int8_t>(thr.whole), static_cast<int8_t>(thr.fraction),
                  record[i].attack, releaseMs * 0.001 * 1000);
    }
    Submit(CMD_DSP, DSP_COMPRESSOR_SETTING2, OP_SET, p, sync);
}

void DeviceLink::Output_Bridge_Ctrl(uint8_t scene, uint8_t source, uint8_t count, const uint8_t* bridge, bool sync) {
    if (!ItemsFit(bridge, count, 3, 1, kSmallListBlock, DSP_OUPUT_BRIDGE)) return;
    Payload p(kSmallListBlock);
    p.U8(scene).U8(source).U8(count);
    LogPrintW(L"Output_Bridge_Ctrl scene(%d) source(%d) count(%d)\n", scene, source, count);
    for (int i = 0; i < count; ++i) {
        p.U8(bridge[i]);
        LogPrintW(L"bridge[%d] = %d\n", i, bridge[i]);
    }
    Submit(CMD_DSP, DSP_OUPUT_BRIDGE, OP_SET, p, sync);
}

void DeviceLink::Cross_Source_Mix_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t vice_source, uint8_t vice_ch,
                                       uint8_t vice_gain, bool sync) {
    LogPrintW(L"Cross_Source_Mix_Ctrl: scene(0x%x), source(0x%x), ch(0x%x), vice_source(0x%x), vice_ch(0x%x), "
              L"vice_gain(0x%x)\n",
              scene, source, ch, vice_source, vice_ch, vice_gain);
    Payload p(kFixedBlock);
    p.U8(scene).U8(source).U8(ch).U8(vice_source).U8(vice_ch).U8(vice_gain);
    Submit(CMD_DSP, DSP_CROSS_SOURCE_MIX, OP_SET, p, sync);
}

void DeviceLink::Cross_Source_Mix_Ctrl_CS47048(uint8_t scene, uint8_t source, uint8_t ch, uint8_t vice_source,
                                               uint8_t vice_ch, bool sync) {
    LogPrintW(L"Cross_Source_Mix_Ctrl_CS47048: scene(0x%x), source(0x%x), ch(0x%x), vice_source(0x%x), "
              L"vice_ch(0x%x)\n",
              scene, source, ch, vice_source, vice_ch);
    Payload p(kFixedBlock);
    p.U8(scene).U8(source).U8(vice_source).U8(vice_ch).U8(ch);
    Submit(CMD_DSP, DSP_CROSS_SOURCE_MIX_CS47048, OP_SET, p, sync);
}

// ---- Inputs ----

void DeviceLink::Input_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* gain,
                                 bool sync) {
    SetByteRange(DSP_INPUT_TRIM_CH, L"Input_Trim_Ctrl: scene(%d), channel(%d), gain(%d)\n", false, scene, source, ch_x,
                 ch_y, gain, sync);
}

void DeviceLink::Mute_Input_Ch_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* mute,
                                    bool sync) {
    SetByteRange(DSP_INPUT_CH_MUTE, L"Mute_Input_Ch_Ctrl: scene(%d),source (%d), channel(%d), mute(%d)\n", true, scene,
                 source, ch_x, ch_y, mute, sync);
}

void DeviceLink::Input_Phase_Ctrl(uint8_t scene, uint8_t source, uint8_t ch_x, uint8_t ch_y, const uint8_t* phase,
                                  bool sync) {
    SetByteRange(DSP_INPUT_CH_PHASE, L"Input_Phase_Ctrl: scene(%d), source(%d), channel(%d), phase(%d)\n", true, scene,
                 source, ch_x, ch_y, phase, sync);
}

void DeviceLink::Input_EQ_Ctrl(uint8_t scene, uint8_t source, uint8_t ch, uint8_t band_x, uint8_t band_y,
                               const uint16_t* freq, const float* q, const float* gain, bool sync) {
    const int count = RangeCount(band_x, band_y);
    const bool arraysGiven = count == 0 || (freq != nullptr && q != nullptr && gain != nullptr);
    if (!ItemsFit(arraysGiven ? freq : nullptr, count, 5, 6, kWideBlock, DSP_INPUT_EQ_CH)) return;
    Payload p(kWideBlock);
    p.U8(scene).U8(source).U8(ch).U8(band_x).U8(band_y);
    for (int i = 0; i < count; ++i) {
        const FixedBytes qBytes = LowByteFraction(q[i], 10);
        const FixedBytes gainBytes = SignedFraction(gain[i], 10, 18.0);
        p.BE16(freq[i]).U8(qBytes.whole).U8(qBytes.fraction).U8(gainBytes.whole).U8(gainBytes.fraction);
        LogPrintW(L"Input_EQ_Ctrl: gain(%02f) ,freqValue(%d) ,qValue(%f) @band(%d) @ channel(%d) @scene(%d)\n",
                  gain[i], freq[i], q[i], band_x + i, ch, scene);
    }
    Submit(CMD_DSP, DSP_INPUT_EQ_CH, OP_SET, p, sync);
}

void DeviceLink::Input_Mix_Trim_Ctrl(uint8_t scene, uint8_t source, uint8_t in_ch, uint8_t out_x, uint8_t out_y,
                                     const uint8_t* trim, bool sync) {
    const int count = RangeCount(out_x, out_y);
    if (!ItemsFit(trim, count, 5, 1, kRangeBlock, DSP_INPUT_MIX_CH_TRIM)) return;
    Payload p(kRangeBlock);
    p.U8(scene).U8(source).U8(in_ch).U8(out_x).U8(out_y);
    LogPrintW(L"Input_Mix_Trim_Ctrl: scene(%d), source(%d), in_channel(%d),out_channel(%d to %d), ", scene, source,
              in_ch, out_x, out_y);
    {
        LogUnstampedScope unstamped;
        for (int i = 0; i < count; ++i) {
            p.U8(trim[i]);
            LogPrintW(L"out_ch(%d)=trim(%d), ", out_x + i, trim[i]);
        }
        LogPrintW(L"\n");
    }
    Submit(CMD_DSP, DSP_INPUT_MIX_CH_TRIM, OP_SET, p, sync);
}

void DeviceLink::Input_Mix_Trim_Ctrl2(uint8_t scene, uint8_t source, uint8_t in_x, uint8_t in_y, uint8_t out_ch,
                                      const uint8_t* trim, bool sync) {
    const int count = RangeCount(in_x, in_y);
    if (!ItemsFit(trim, count, 5, 1, kRangeBlock, DSP_INPUT_MIX_CH_TRIM2)) return;
    Payload p(kRangeBlock);
    p.U8(scene).U8(source).U8(in_x).U8(in_y).U8(out_ch);
    LogPrintW(L"Input_Mix_Trim_Ctrl2: scene(%d), source(%d), in_channel(%d to %d),out_ch(%d), ", scene, source, in_x,
              in_y, out_ch);
    for (int i = 0; i < count; ++i) {
        p.U8(trim[i]);
        LogPrintW(L"in_ch(%d)=trim(%d), ", in_x + i, trim[i]);
    }
    LogPrintW(L"\n");
    Submit(CMD_DSP, DSP_INPUT_MIX_CH_TRIM2, OP_SET, p, sync);
}
