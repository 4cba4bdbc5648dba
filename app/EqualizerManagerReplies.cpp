// Replies on the UI thread: each decoded reply the link posts is stored in the live configuration (scene
// 0, which also updates the page) or in a stored scene (1..10, no control touched). Every index that
// comes from the device is checked before it is used; a record that fails is logged and dropped, and
// every record is freed. Values are held to what the page's controls and the setters accept: levels and
// frequencies are clamped, switches become 0 or 1, and a value that names nothing (a NaN, an unknown
// source) drops its record. Applying a reply never sends anything back to the amplifier.
#include "EqualizerManager.h"

#include "base/Log.h"
#include "MsgWnd.h"
#include "PageControls.h"
#include "SButton.h"
#include "UICombo.h"
#include "UIEdit.h"
#include "UIManager.h"
#include "UIOption.h"
#include "UIProgress.h"
#include "UITextResource.h"
#include "device/DeviceMessages.h"
#include "device/DeviceProtocol.h"
#include "device/DeviceRecords.h"
#include "model/ChannelRules.h"
#include "model/ValueRanges.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

using namespace SkinUI;
using namespace PageControls;

namespace {

bool ValidOutput(uint32_t channel, const wchar_t* what) {
    if (channel < static_cast<uint32_t>(OutputCount)) return true;
    LogPrintW(L"%ls: output %u out of range, dropped\n", what, channel);
    return false;
}

int32_t OnOff(uint32_t value) { return value != 0 ? 1 : 0; }

// Sets a slider to a value within its range, only when that changes it.
void SetSliderClamped(CSliderUI* slider, float value) {
    if (!slider) return;
    if (EqualizerManager::ClampToSlider(slider, value)) slider->SetValue(static_cast<int>(std::lround(value)));
}

// Clears the applying flag however the handler ends.
class ApplyingScope {
public:
    explicit ApplyingScope(bool& flag) : m_flag(flag), m_saved(flag) { m_flag = true; }
    ~ApplyingScope() { m_flag = m_saved; }

private:
    bool& m_flag;
    bool m_saved;
};

}  // namespace

void SceneNameFromDevice(const uint8_t* bytes, size_t count, wchar_t (&slot)[kSceneNameChars]) {
    slot[0] = 0;
    if (!bytes) return;
    if (count > 16) count = 16;
    size_t length = 0;
    while (length < count && bytes[length] != 0) ++length;
    bool erased = length > 0;
    for (size_t i = 0; i < length; ++i) erased = erased && bytes[i] == 0xFF;
    if (erased || length == 0) return;  // an erased slot reads as all 0xFF
    wchar_t wide[17] = {};
    int chars = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes), static_cast<int>(length), wide, 16);
    if (chars < 0) chars = 0;
    if (chars > kSceneNameChars - 1) {
        chars = kSceneNameChars - 1;
        // Never keep the first half of a surrogate pair.
        if (wide[chars - 1] >= 0xD800 && wide[chars - 1] <= 0xDBFF) --chars;
    }
    for (int i = 0; i < chars; ++i) slot[i] = wide[i];
    slot[chars] = 0;
}

DspConfig* EqualizerManager::ConfigForScene(uint32_t scene) {
    if (scene == 0) return &config;
    if (scene <= static_cast<uint32_t>(kSceneSlots)) return &sceneConfigs[scene - 1];
    LogPrintW(L"reply for scene %u out of range, dropped\n", scene);
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------
// DSP values

void EqualizerManager::ReadDspValueCallback(WPARAM sub, LPARAM data) {
    LogPrintW(L"ReadDspValueCallback 0x%02x\n", static_cast<unsigned>(sub));
    const bool record = ReplyCarriesRecord(WM_DSP_VALUE, sub, data);
    bool dspOff = false;
    try {
        ApplyingScope applying(mApplyingReply);
        if (record) {
            ReadDspRecord(sub, reinterpret_cast<void*>(data));
        } else {
            const int value = static_cast<int>(data);
            mOffPage.TakeValue(sub, value);
            switch (sub) {
            case DSP_SOURCE_SWITCH: {
                const int source = value >= 0x51 && value <= 0x59 ? value - 0x51 : 4;
                config.inputSource = source;
                if (inputSourceCombo && source < inputSourceCombo->GetCount() && inputSourceCombo->GetCurSel() != source)
                    inputSourceCombo->SelectItem(source, false);
                ShowRoutingOptions();
                break;
            }
            case DSP_VOLUME: {
                if (hMainWnd) KillTimer(hMainWnd, GET_MAIN_VOLUME_TIMER);
                const int db = static_cast<int8_t>(value & 0xFF);
                LogPrintW(L"DSP_VOLUME %d \n", db);
                const int volume =
                    ClampInt(static_cast<int64_t>(std::pow(10.0, (db + 60) / 41.25)), MinMainVolume, MaxMainVolume);
                LogPrintW(L"DSP_VOLUME %d \n", volume);
                config.mainVolume = volume;
                if (sliderMainVolume && sliderMainVolume->GetValue() != volume) sliderMainVolume->SetValue(volume);
                SetMainVolumeEditText(volume);
                break;
            }
            case DSP_MUTE:
                config.mainVolumeMute = OnOff(value);
                ShowSelected(mainMute, value != 0);
                break;
            case DSP_INPUT_THRESHOLD: config.noiseGateThreshold = static_cast<int8_t>(value & 0xFF); break;
            case DSP_FACTORY_PRESET: LogPrintW(L"factory preset mode = %d\n", value); break;
            case DSP_SETUP_MODE: LogPrintW(L"setup_mode mode = %d\n", value); break;
            case DSP_AUTO_EFFECTION_ON_OFF_CONTROL:
                config.autoEffectOn = OnOff(value);
                ShowSelected(btnDspOnOff, value != 0);
                break;
            case DSP_AMP_MUTE: SetAmpOnOffButton(value == 0); break;
            case DSP_SPK_OHM:
                LogPrintW(L"DSP_SPK_OHM spk_ohm = %d\n", value);
                SetSpkOhmButton(value != 0);
                break;
            case DSP_NOISE_GATE:
                LogPrintW(L"DSP_NOISE_GATE noise_gate = %d\n", value);
                SetNoiseGateButton(value != 0);
                break;
            case DSP_DSP_STATUS:
                LogPrintW(L"DSP_DSP_STATUS on_off = %d\n", value);
                // Only a report of "off" ends the connection.
                if (value == 0) {
                    DisconnectDevice();
                    dspOff = true;
                }
                break;
            default: break;
            }
        }
    } catch (const std::exception& e) {
        LogPrintA("ReadDspValueCallback: %s\n", e.what());
    } catch (...) {
        LogPrintA("ReadDspValueCallback failed\n");
    }
    if (record) free(reinterpret_cast<void*>(data));
    // The box waits for the user only once the reply is fully applied.
    if (dspOff) {
        const wchar_t* captions[] = {L"${confirm}", L"", L""};
        ShowMsgWndButtons(hMainWnd, L"${tips}", L"${dsp_is_off}", captions, 1);
    }
}

void EqualizerManager::ReadDspRecord(WPARAM sub, void* data) {
    mOffPage.TakeRecord(sub, data);
    switch (sub) {
    case DSP_FILTER_SET: {
        const auto* r = static_cast<const DspFilterRecord*>(data);
        if (!ValidOutput(r->channel, L"DSP_FILTER_SET")) return;
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        Crossover& xo = target->channels[r->channel].crossover;
        xo.SetHpFreq(static_cast<int32_t>(r->hp_freq));
        xo.SetHpSlope(static_cast<int32_t>(r->hp_slope));
        xo.SetHpType(static_cast<int32_t>(r->hp_type));
        xo.SetLpFreq(static_cast<int32_t>(r->lp_freq));
        xo.SetLpSlope(static_cast<int32_t>(r->lp_slope));
        xo.SetLpType(static_cast<int32_t>(r->lp_type));
        if (target == &config && static_cast<int>(r->channel) == config.currOutChannel) RefreshCrossoverControls();
        break;
    }
    case DSP_EQ_CH: {
        const auto* r = static_cast<const DspEqRecord*>(data);
        if (!ValidOutput(r->channel, L"DSP_EQ_CH")) return;
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        ChannelConfig& channel = target->channels[r->channel];
        if (r->band >= static_cast<uint32_t>(channel.eqSize) || !channel.eqArray) {
            LogPrintW(L"DSP_EQ_CH: band %u of output %u out of range, dropped\n", r->band, r->channel);
            return;
        }
        if (std::isnan(r->q) || std::isnan(r->gain)) {
            LogPrintW(L"DSP_EQ_CH: band %u of output %u is not a number, dropped\n", r->band, r->channel);
            return;
        }
        const int freq = ClampInt(r->freq, MinBandFreq, MaxBandFreq);
        const float q = ClampFinite(r->q, MinQ, MaxQ, MinQ);
        const float gain = ClampFinite(r->gain, MinBandGain, MaxBandGain, 0.0f);
        EqBand& band = channel.eqArray[r->band];
        band.freq = freq;
        band.factor = q;
        band.TakeReadBackGain(gain, KeepsSwitchedOffBands(target));
        if (target != &config) return;
        if (static_cast<int>(r->channel) != config.currOutChannel || r->band >= static_cast<uint32_t>(kPageBands)) return;
        const int k = static_cast<int>(r->band);
        const float shown = ShownBandGain(static_cast<int>(r->channel), k);
        if (eqSlider[k]) SetSliderClamped(eqSlider[k], static_cast<float>(static_cast<int>(shown * 10)));
        SetInt(eqFreq[k], L"%d", freq);
        SetNumber(eqGain[k], L"%.1f", shown);
        SetNumber(eqQ[k], L"%.2f", q);
        ShowSelected(ptEnable[k], shown != 0);
        break;
    }
    case DSP_DELAY_CH: {
        const auto* r = static_cast<const DspDelayRecord*>(data);
        if (!ValidOutput(r->channel, L"DSP_DELAY_CH")) return;
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        float delay = r->delay;
        if (!(delay >= 0)) delay = 0;  // also a NaN
        if (delay > MaxDelayMs) delay = MaxDelayMs;
        target->channels[r->channel].delay = delay;
        if (target != &config) return;
        LogPrintW(L"update UI ch_delay->ch = %d, Delay %.3f\n", r->channel, delay);
        UpdateChDelayText(static_cast<int>(r->channel));
        SetSliderClamped(ChDelaySlider(static_cast<int>(r->channel)), delay * 1000);
        PlaceSpeakerMarkers();
        break;
    }
    case DSP_TRIM_CH: {
        const auto* r = static_cast<const DspTrimRecord*>(data);
        if (!ValidOutput(r->channel, L"DSP_TRIM_CH")) return;
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        const int n = static_cast<int>(r->channel);
        const float trim = ClampFinite(r->trim, MinChannelGain, MaxChannelGain, 0.0f);
        if (target != &config) {
            target->channels[n].gain = trim;
            return;
        }
        float v = trim * 10;
        CSliderUI* slider = ChVolumeSlider(n);
        if (slider) {
            if (ClampToSlider(slider, v)) slider->SetValue(static_cast<int>(std::lround(v)));
            v = static_cast<float>(slider->GetValue());
        } else if (CSliderUI* current = ChVolumeSlider(CurrentOutput())) {
            ClampToSlider(current, v);
        }
        UpdateChVolumeEdit(n, static_cast<int>(v));
        // The configuration holds dB; the controls tenths.
        config.channels[n].gain = v / 10;
        break;
    }
    case DSP_MUTE_CH: {
        const auto* r = static_cast<const DspChannelValueRecord*>(data);
        if (!ValidOutput(r->channel, L"DSP_MUTE_CH")) return;
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        target->channels[r->channel].mute = OnOff(r->value);
        if (target == &config) ShowSelected(ChMuteOption(static_cast<int>(r->channel)), r->value != 0);
        break;
    }
    case DSP_PHASE_CH: {
        const auto* r = static_cast<const DspChannelValueRecord*>(data);
        if (!ValidOutput(r->channel, L"DSP_PHASE_CH")) return;
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        const int value = OnOff(r->value & 0xFF);
        target->channels[r->channel].phase = value;
        if (target != &config) return;
        SetChPhase(static_cast<int>(r->channel), value != 0);
        LogPrintW(L"channel %d phase seleted %d\n", r->channel, value);
        break;
    }
    case DSP_MIX_CH: {
        const auto* r = static_cast<const DspMixRecord*>(data);
        LogPrintW(L"set mix source = %d, ch = %d, mix_in = 0x%x\n", r->source, r->channel, r->mix);
        // Every output the page and the mixer route, 8 and 9 included.
        if (r->channel >= static_cast<uint32_t>(OutputCount) || r->source >= static_cast<uint32_t>(SourceCount)) return;
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        // Bits past the input channels route nothing.
        target->inputs[r->source][r->channel] = static_cast<int32_t>(r->mix & MaxRoutingMask);
        if (target == &config && static_cast<int>(r->source) == config.inputSource) {
            for (int j = 0; j < kRoutingInputs; ++j) ShowSelected(routing[j][r->channel], (r->mix >> j) & 1);
        }
        break;
    }
    case DSP_CH_TYPE: {
        const auto* r = static_cast<const DspChannelValueRecord*>(data);
        if (!ValidOutput(r->channel, L"DSP_CH_TYPE")) return;
        if (r->value >= static_cast<uint32_t>(OutputTypeCount)) {
            LogPrintW(L"DSP_CH_TYPE: type %u out of range, dropped\n", r->value);
            return;
        }
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        target->outputs[r->channel] = static_cast<OutputType>(r->value);
        if (target != &config) return;
        LogPrintW(L"DSP_CH_TYPE ch(%d), type(%d)\n", r->channel, r->value);
        ShowOutputTypes();
        break;
    }
    case DSP_CH_LINK: {
        const auto* r = static_cast<const DspLinkRecord*>(data);
        if (DspConfig* target = ConfigForScene(r->scene)) ApplyLinkReply(*target, target == &config, r->link);
        break;
    }
    case DSP_CH_LOCK: {
        const auto* r = static_cast<const DspLockRecord*>(data);
        if (DspConfig* target = ConfigForScene(r->scene)) ApplyLockReply(*target, target == &config, r->lock);
        break;
    }
    case DSP_EQ_BYPASS: {
        const auto* r = static_cast<const DspChannelValueRecord*>(data);
        if (!ValidOutput(r->channel, L"DSP_EQ_BYPASS")) return;
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        const uint8_t value = (r->value & 0xFF) == 1 ? 1 : 0;  // only 1 bypasses
        target->channels[r->channel].bypass = value;
        if (target == &config && static_cast<int>(r->channel) == config.currOutChannel && btnBypass)
            btnBypass->SetText(value == 1 ? L"${restore_eq}" : L"${bypass_eq}");
        break;
    }
    case DSP_INPUT_MIX_CH_TRIM: {
        const auto* r = static_cast<const DspInputMixTrimRecord*>(data);
        LogPrintW(L"DSP_INPUT_MIX_CH_TRIM source %d, in_ch %d out_ch_x %d, out_ch_y %d\n", r->source, r->input,
                  r->out_first, r->out_last);
        if (r->source >= static_cast<uint32_t>(SourceCount) || r->input >= static_cast<uint32_t>(InputChannelCount) ||
            r->out_first > r->out_last || r->out_last >= static_cast<uint32_t>(OutputCount)) {
            LogPrintW(L"DSP_INPUT_MIX_CH_TRIM out of range, dropped\n");
            return;
        }
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        for (uint32_t o = r->out_first; o <= r->out_last; ++o) {
            int level = static_cast<int8_t>(r->trim[o - r->out_first]);
            if (level <= 0 && ((target->inputs[r->source][o] >> r->input) & 1)) level = MaxMixLevel;
            target->inputMixVolume[r->source][r->input][o] = ClampInt(level, 0, MaxMixLevel);
        }
        break;
    }
    case DSP_INPUT_NOISE: {
        const auto* r = static_cast<const DspInputNoiseRecord*>(data);
        for (uint32_t c = r->first; c <= r->last && c < static_cast<uint32_t>(kRecordChannels); ++c)
            LogPrintW(L"in_ch(%d): noise = %fdB\n", c, r->level[c]);
        break;
    }
    case DSP_HPF_Q_FACT_MODE:
    case DSP_LPF_Q_FACT_MODE: {
        const auto* r = static_cast<const DspQFactModeRecord*>(data);
        const wchar_t* format = sub == DSP_HPF_Q_FACT_MODE ? L"ch(%d): hpf_q_fact->mode = %d\n" : L"ch(%d): lpf_q_fact->mode = %d\n";
        for (int c = r->first; c <= r->last && c < kRecordChannels; ++c) LogPrintW(format, c, r->mode[c]);
        break;
    }
    case DSP_COMPRESSOR_SETTING: {
        const auto* r = static_cast<const DspCompressorRecord*>(data);
        if (!ValidOutput(r->channel, L"DSP_COMPRESSOR_SETTING")) return;
        if (!std::isfinite(r->noise) || !std::isfinite(r->ratio) || !std::isfinite(r->soft_knee)) {
            LogPrintW(L"DSP_COMPRESSOR_SETTING: output %u not a number, dropped\n", r->channel);
            return;
        }
        CompressorSettings& c = config.compressor;
        const uint32_t n = r->channel;
        c.bypass[n] = OnOff(r->bypass);
        c.threshold[n] = ClampFinite(r->noise, 0.0f, MaxCompressorThreshold, 0.0f);
        c.ratio[n] = ClampFinite(r->ratio, MinCompressorRatio, MaxCompressorRatio, MinCompressorRatio);
        c.attackTime[n] = ClampInt(r->attack, 0, MaxAttackMs);
        c.releaseTime[n] = ClampInt(r->release, 0, MaxReleaseMs);
        c.softKnee[n] = ClampFinite(r->soft_knee, 0.0f, MaxSoftKnee, 0.0f);
        break;
    }
    case DSP_COMPRESSOR_ON_CH: {
        const auto* r = static_cast<const DspChannelValueRecord*>(data);
        if (!ValidOutput(r->channel, L"DSP_COMPRESSOR_ON_CH")) return;
        if (DspConfig* target = ConfigForScene(r->scene)) target->channels[r->channel].compressorOn = r->value != 0;
        break;
    }
    case DSP_COMPRESSOR_SETTING2: {
        const auto* r = static_cast<const DspCompressor2Record*>(data);
        if (!ValidOutput(r->channel, L"DSP_COMPRESSOR_SETTING2")) return;
        if (!std::isfinite(r->threshold)) {
            LogPrintW(L"DSP_COMPRESSOR_SETTING2: output %u not a number, dropped\n", r->channel);
            return;
        }
        config.compressor.threshold[r->channel] = ClampFinite(r->threshold, 0.0f, MaxCompressorThreshold, 0.0f);
        config.compressor.attackTime[r->channel] = ClampInt(r->attack, 0, MaxAttackMs);
        config.compressor.releaseTime[r->channel] = ClampInt(r->release, 0, MaxReleaseMs);
        break;
    }
    case DSP_CROSS_SOURCE_MIX:
    case DSP_CROSS_SOURCE_MIX_CS47048: {
        const auto* r = static_cast<const DspCrossSourceMixRecord*>(data);
        LogPrintW(sub == DSP_CROSS_SOURCE_MIX
                      ? L"set cross source mix, source = %d, ch = %d, with source = %d, ch = %d, gain = %d\n"
                      : L"set cross source mix cs47048, source = %d, ch = %d, with source = %d, ch = %d, gain = %d\n",
                  r->source, r->ch, r->vice_source, r->vice_ch, r->vice_gain);
        // Sources with eight inputs take their second sources at inputs 8 and 9.
        if (r->ch >= InputChannelCount || r->source >= SourceCount) return;
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        // The second source is a source code 0x51.. (one past the last source: none), or the plain
        // source number 0..9 that the mixer sends, with one of its inputs; anything else mixes in no
        // known source, so the slot shows none.
        int viceSource = static_cast<int>(r->vice_source) - (r->vice_source >= 0x51 ? 0x51 : 0);
        int viceInput = r->vice_ch;
        if (viceSource < 0 || viceSource > NoCrossMixSource || viceInput >= InputChannelCount) {
            LogPrintW(L"cross source mix: second source %d, input %d unknown, none kept\n", r->vice_source, r->vice_ch);
            viceSource = NoCrossMixSource;
            viceInput = 0;
        }
        target->crossMixSource[r->source][r->ch] = viceSource;
        target->crossMixChannel[r->source][r->ch] = viceInput;
        target->crossMixGain[r->source][r->ch] =
            ClampInt(static_cast<int>(r->vice_gain) - 32, MinCrossMixGain, MaxCrossMixGain);
        break;
    }
    case DSP_REM_OUT: {
        const auto* r = static_cast<const DspRemOutRecord*>(data);
        LogPrintW(L"DSP_REM_OUT rem_out1 = %d, rem_out1 = %d\n", r->rem_out1, r->rem_out2);
        SetRemOut1OnOffButton(r->rem_out1 != 0);
        SetRemOut2OnOffButton(r->rem_out2 != 0);
        break;
    }
    case DSP_OUPUT_BRIDGE: {
        const auto* r = static_cast<const DspOutputBridgeRecord*>(data);
        LogPrintW(L"DSP_OUPUT_BRIDGE bridge count = %d, bridge", r->count);
        {
            LogUnstampedScope unstamped;
            for (int i = 0; i < r->count && i < kBridgeEntries; ++i) LogPrintW(L"%d, ", r->bridge[i]);
            LogPrintW(L"\n");
        }
        DspConfig* target = ConfigForScene(r->scene);
        if (!target) return;
        for (int n = 0; n < r->count && n < kBridgePairs; ++n) {
            if (target == &config)
                SetChBridge(n, r->bridge[n] != 0);
            else
                target->outputBridge[n] = r->bridge[n] != 0;
        }
        break;
    }
    default: break;  // records that only need freeing
    }
}

void EqualizerManager::ApplyLinkReply(DspConfig& target, bool scene0, uint32_t value) {
    if (!scene0) {
        target.linkMode = value == 1;
        return;
    }
    if (value == 1) {
        config.linkMode = 1;
        ShowSelected(btnLinkOutput, true);
        config.lockMode = 1;
        ShowSelected(btnLockOutput, true);
        for (int n = 0; n < OutputCount; ++n) {
            if (chSynchronize[n]) chSynchronize[n]->SetEnabled(false);
            if (chOutputBtn[n]) chOutputBtn[n]->SetEnabled(false);
        }
        for (int a = 0; a < OutputCount; ++a) {
            config.linkOutputs[a] = -1;
            if (config.outputs[a] == 0) continue;
            const OutputType paired = GetPairedOutputType(config.outputs[a]);
            for (int b = 0; b < OutputCount; ++b) {
                if (b != a && config.outputs[b] == paired && IsSameOutputGroup(a, b)) {
                    config.linkOutputs[a] = b;
                    break;
                }
            }
        }
    } else {
        config.linkMode = 0;
        ShowSelected(btnLinkOutput, false);
        for (int& partner : config.linkOutputs) partner = -1;
    }
    ShowSelected(chEnable[CurrentOutput()], true);
}

void EqualizerManager::ApplyLockReply(DspConfig& target, bool scene0, uint32_t value) {
    if (!scene0) {
        target.lockMode = value == 1;
        return;
    }
    config.lockMode = value == 1;
    ShowSelected(btnLockOutput, config.lockMode != 0);
    for (CControlUI* button : chOutputBtn)
        if (button) button->SetEnabled(config.lockMode == 0);
    if (config.lockMode != 0) return;
    if (config.linkMode == 1) {
        config.linkMode = 0;
        for (int& partner : config.linkOutputs) partner = -1;
        ShowSelected(btnLinkOutput, false);
        // The amplifier is told once the queue is on again, not from inside a reply.
        if (device.mQueueEnabled)
            device.CH_Link_Ctrl(0, 0, 0, nullptr, false);
        else
            mLinkOffPending = true;
    }
    ShowSelected(chEnable[CurrentOutput()], true);
}

// ---------------------------------------------------------------------------------------------------
// MCU, scene-flash and karaoke values

void EqualizerManager::ShowNotMatchBox(int model) {
    const std::wstring text = std::wstring(CTextResource::GetInstance()->GetText(L"${device_not_match}").Data()) +
                              L" " + std::to_wstring(model);
    const wchar_t* captions[] = {L"${confirm}", L"", L""};
    ShowMsgWndButtons(hMainWnd, L"${tips}", text.c_str(), captions, 1);
}

void EqualizerManager::ReadMcuValueCallback(WPARAM sub, LPARAM data) {
    LogPrintW(L"ReadMcuValueCallback 0x%02x\n", static_cast<unsigned>(sub));
    const bool record = ReplyCarriesRecord(WM_READ_MCU_VALUE, sub, data);
    int otherModel = -1;
    try {
        ApplyingScope applying(mApplyingReply);
        switch (sub) {
        case MCU_HANDSHAKE:
            if (record) {
                const auto* r = reinterpret_cast<const McuHandshakeRecord*>(data);
                config.model = static_cast<int32_t>(r->model);
                config.mainVersion = static_cast<int32_t>(r->master_version);
                config.slaveVersion = static_cast<int32_t>(r->slave_version);
                const int normal = device.mHandshakeOk.load();
                LogPrintW(L"UI MCU_HANDSHAKE model=%d, mainVersion=%d, slaveVersion=%d, mcu_is_normal_mode=%d\n",
                          config.model, config.mainVersion, config.slaveVersion, normal);
                if (config.model != kAmplifierModel && normal) otherModel = config.model;
            }
            break;
        case MCU_GET_DSPFLASH_VER:
            if (record) {
                const auto* r = reinterpret_cast<const McuFlashVersionRecord*>(data);
                for (int i = 0; i < 4; ++i) config.flashVersion[i] = static_cast<int32_t>(r->version[i]);
            }
            break;
        case MCU_POWER_OFF_DELAY:
            if (!record) config.powerOffDelay = static_cast<int32_t>(data);
            break;
        case MCU_ACC:
            if (!record && sliderAcc) {
                SetSlider(sliderAcc, static_cast<int32_t>(data));
                config.acc = sliderAcc->GetValue();
                if (editAcc) {
                    if (sliderAcc->GetValue() == sliderAcc->GetMinValue())
                        editAcc->SetText(CTextResource::GetInstance()->GetText(L"${off}").Data());
                    else
                        SetInt(editAcc, L"%d", config.acc);
                }
            }
            break;
        case MCU_PING: LogPrintW(L"MCU_PING recved in ReadMcuValueCallback\n"); break;
        default: break;
        }
    } catch (...) {
        LogPrintA("ReadMcuValueCallback failed\n");
    }
    if (record) free(reinterpret_cast<void*>(data));
    if (otherModel != -1) ShowNotMatchBox(otherModel);
}

void EqualizerManager::ReadSenceValueCallback(WPARAM sub, LPARAM data) {
    LogPrintW(L"ReadSenceValueCallback 0x%02x\n", static_cast<unsigned>(sub));
    const bool record = ReplyCarriesRecord(WM_FLASH_VALUE, sub, data);
    if (!record) return;
    if (sub == FLASH_SCENE_NAME) {
        const auto* r = reinterpret_cast<const SceneNameRecord*>(data);
        if (r->index < static_cast<uint32_t>(kSceneSlots))
            SceneNameFromDevice(r->name, kNameBytes, sceneNames[r->index]);
        else
            LogPrintW(L"scene name slot %u out of range, dropped\n", r->index);
    } else if (sub == FLASH_SCENE_VALID) {
        const auto* r = reinterpret_cast<const ValidSceneRecord*>(data);
        validSceneMask = r->mask & ((1u << kSceneSlots) - 1);  // one bit per scene slot
        LogPrintW(L"FLASH_SCENE_VALID 0x%02x\n", r->mask);
    }
    free(reinterpret_cast<void*>(data));
}

void EqualizerManager::ReadKtvValueCallback(WPARAM sub, LPARAM data) {
    LogPrintW(L"ReadKtvValueCallback 0x%02x\n", static_cast<unsigned>(sub));
    const int32_t value = static_cast<int32_t>(data);
    KtvSettings& k = config.ktv;
    switch (sub) {
    case 1: k.micVolume = value; break;
    case 2: k.musicVolume = value; break;
    case 3: k.howling = value; break;
    case 4: k.echoLevel = value; break;
    case 5: k.echoDelay = value; break;
    case 6: k.reverbLevel = value; break;
    case 7: k.reverbTime = value; break;
    case 8: k.voiceChanger = value; break;
    case 9: k.bass = value; break;
    case 10: k.treble = value; break;
    default: break;
    }
}
