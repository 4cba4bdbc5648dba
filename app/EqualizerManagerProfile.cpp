// A profile loaded from a file goes to the amplifier from a worker: a scene profile as the working
// configuration, a whole profile as the ten stored scenes and then the working configuration. The page
// is then rewritten from the live record on the UI thread, before the busy popup closes.
#include "EqualizerManager.h"

#include "base/Log.h"
#include "PageControls.h"
#include "SceneWnd.h"
#include "UIEdit.h"
#include "device/DeviceMessages.h"
#include "model/ChannelRules.h"

#include <cstring>

using namespace SkinUI;
using namespace PageControls;

namespace {

// Mix-level rows sent for every profile: (source, inputs).
constexpr struct {
    uint8_t source;
    uint8_t inputs;
} kMixRows[] = {{0, 2}, {2, 2}, {4, 8}, {5, 8}, {6, 2}};

}  // namespace

// Sends one record's crossovers, bands and whole-range values for a scene (0 = working configuration).
// A switched-off band goes out flat, as the page's band switch sends it.
static void SendRecordOutputs(DeviceLink& device, const DspConfig& r, uint8_t scene, bool sync) {
    for (int n = 0; n < OutputCount; ++n) {
        const Crossover& xo = r.channels[n].crossover;
        device.Filter_Ctrl(scene, 0, static_cast<uint8_t>(n), 1, xo.GetLpFreq(), xo.GetLpSlope(), xo.GetLpType(), sync);
        device.Filter_Ctrl(scene, 0, static_cast<uint8_t>(n), 2, xo.GetHpFreq(), xo.GetHpSlope(), xo.GetHpType(), sync);
        const int bands = r.channels[n].eqSize;
        for (int b = 0; b < bands && b < BandSlotsPerOutput; ++b) {
            const EqBand& e = r.channels[n].eqArray[b];
            device.EQ_Ctrl(scene, 0, static_cast<uint8_t>(n), static_cast<uint8_t>(b), static_cast<uint16_t>(e.freq),
                           e.factor, e.SentGain(), sync);
        }
    }
    uint8_t positions[OutputCount], mutes[OutputCount], phases[OutputCount], bypass[OutputCount];
    float trims[OutputCount], delays[OutputCount];
    for (int n = 0; n < OutputCount; ++n) {
        const ChannelConfig& ch = r.channels[n];
        positions[n] = static_cast<uint8_t>(r.outputs[n]);
        trims[n] = 0 - ch.gain;
        mutes[n] = static_cast<uint8_t>(ch.mute);
        phases[n] = static_cast<uint8_t>(ch.phase);
        delays[n] = ch.delay;
        bypass[n] = ch.bypass;
    }
    const uint8_t last = OutputCount - 1;
    device.CH_Type_Ctrl(scene, 0, 0, last, positions, sync);
    device.Trim_Ctrl(scene, 0, 0, last, trims, sync);
    device.Mute_Ch_Ctrl(scene, 0, 0, last, mutes, sync);
    device.Phase_Ctrl(scene, 0, 0, last, phases, sync);
    device.Delay_Ctrl(scene, 0, 0, last, delays, sync);
    device.PEQ_Bypass_Ctrl(scene, 0, 0, last, bypass, sync);
}

static void SendMixLevels(DeviceLink& device, const DspConfig& r, uint8_t scene, bool sync) {
    for (const auto& row : kMixRows) {
        for (uint8_t input = 0; input < row.inputs && input < InputChannelCount; ++input) {
            uint8_t levels[OutputCount];
            for (int n = 0; n < OutputCount; ++n) levels[n] = static_cast<uint8_t>(r.inputMixVolume[row.source][input][n]);
            device.Input_Mix_Trim_Ctrl(scene, row.source, input, 0, OutputCount - 1, levels, sync);
        }
    }
}

// One record into the amplifier's working configuration: crossovers, bands, the whole-range values,
// the routing of every source (the page shows them all) and the mix levels.
void EqualizerManager::SendWorkingRecord(const DspConfig& r, bool sync) {
    SendRecordOutputs(device, r, 0, sync);
    for (int s = 0; s < SourceCount; ++s)
        device.Mix_Ch_Ctrl(0, static_cast<uint8_t>(s), 0, OutputCount - 1, r.inputs[s], sync);
    SendMixLevels(device, r, 0, sync);
}

// Linked outputs as the link button sends them when the left output is copied to the right one.
static int LinkPairsLeftToRight(const DspConfig& r, uint8_t (&pairs)[2 * OutputCount]) {
    int count = 0;
    if (!r.linkMode) return 0;
    for (int i = 0; i < OutputCount; ++i) {
        const int p = r.linkOutputs[i];
        if (p < 0 || p >= OutputCount || r.outputs[i] >= r.outputs[p]) continue;
        pairs[2 * count] = static_cast<uint8_t>(i);
        pairs[2 * count + 1] = static_cast<uint8_t>(p);
        ++count;
    }
    return count;
}

void EqualizerManager::PutTuningBack(const PutBackTuning& tuning) {
    // The link list as the amplifier held it goes back with the rest, when it was read.
    RestoreWorkingRecord(tuning.record, !tuning.offPage.links[OffPageSettings::OutputLink].have);
    tuning.offPage.SendTo(device);
}

void EqualizerManager::RestoreWorkingRecord(const DspConfig& r, bool withOutputLink) {
    LogPrintA("%s\n", "EqualizerManager::RestoreWorkingRecord");
    device.Main_Volume_Ctrl(6.0f - VolumeToDb(static_cast<float>(r.mainVolume)), true);
    device.Mute_Ctrl(static_cast<uint8_t>(r.mainVolumeMute), true);
    SendRecordOutputs(device, r, 0, true);
    for (int s = 0; s < SourceCount; ++s)
        device.Mix_Ch_Ctrl(0, static_cast<uint8_t>(s), 0, OutputCount - 1, r.inputs[s], true);
    // Every level the read-back reads: each source's own inputs and the two second-source inputs after them.
    for (int s = 0; s < SourceCount; ++s) {
        const int extra = GetSourceExtraChannels(s);
        for (int i = 0; i < extra + 2 && i < InputChannelCount; ++i) {
            uint8_t levels[OutputCount];
            for (int n = 0; n < OutputCount; ++n) levels[n] = static_cast<uint8_t>(r.inputMixVolume[s][i][n]);
            device.Input_Mix_Trim_Ctrl(0, static_cast<uint8_t>(s), static_cast<uint8_t>(i), 0, OutputCount - 1, levels,
                                       true);
        }
        for (int slot = extra; slot < extra + 2 && slot < InputChannelCount; ++slot)
            device.Cross_Source_Mix_Ctrl_CS47048(0, static_cast<uint8_t>(s), static_cast<uint8_t>(slot),
                                                  static_cast<uint8_t>(r.crossMixSource[s][slot]),
                                                  static_cast<uint8_t>(r.crossMixChannel[s][slot]), true);
    }
    if (withOutputLink) {
        uint8_t pairs[2 * OutputCount] = {};
        const int pairCount = LinkPairsLeftToRight(r, pairs);
        device.CH_Link_Ctrl(0, r.linkMode ? 1 : 0, static_cast<uint8_t>(pairCount), pairCount ? pairs : nullptr, true);
    }
    device.CH_Lock_Ctrl(0, r.lockMode ? 1 : 0, true);
    uint8_t bridges[kBridgePairs];
    std::memcpy(bridges, r.outputBridge, sizeof bridges);
    device.Output_Bridge_Ctrl(0, 0, kBridgePairs, bridges, true);
}

// Sent on a worker, each command waiting for its reply, so the busy popup stays up exactly as long as
// the bus needs and nothing queued is still on its way when it closes.
void EqualizerManager::SetReadCurProfileToMCU(const DspConfig& r) {
    LogPrintA("%s\n", "EqualizerManager::SetReadCurProfileToMCU");
    device.Main_Volume_Ctrl(6.0f - VolumeToDb(static_cast<float>(r.mainVolume)), true);
    device.Mute_Ctrl(static_cast<uint8_t>(r.mainVolumeMute), true);
    SendWorkingRecord(r, true);
}

// The amplifier stores a scene from its working configuration (SaveScene), so each scene of the file
// is first made the working one, then stored under its id and name; the live record comes last and
// stays the working configuration. All of it from the copies taken when the file was loaded.
bool EqualizerManager::SetReadWholeProfileToMCU() {
    LogPrintA("%s\n", "EqualizerManager::SetReadWholeProfileToMCU");
    if (!mWholeToSend) return false;
    bool stored = true;
    for (int id = 1; id <= kSceneSlots && ConnectionIntact(); ++id) {
        const uint8_t scene = static_cast<uint8_t>(id);
        LogPrintA("set scene(%d)\n", id);
        SendWorkingRecord(mWholeToSend->scenes[id - 1], true);
        device.SetSceneName(scene, mWholeToSend->names[id - 1], sizeof mWholeToSend->names[id - 1]);
        device.SaveScene(scene, 1);
        stored = stored && device.mBytesRead.load() > 0;
    }
    SetReadCurProfileToMCU(*mSendRecord);
    return stored && ConnectionIntact();
}

// The page belongs to the UI thread: the workers ask for the refresh by message, posted ahead of their
// end, which closes the busy popup, so it runs first.
bool EqualizerManager::SetCurSceneThread(EqualizerManager* c) {
    LogPrintA("SetCurSceneThread start!\n");
    if (c->mSendRecord) c->SetReadCurProfileToMCU(*c->mSendRecord);
    PostMessageW(c->hMainWnd, WM_REFRESH_PAGE, 0, 0);
    LogPrintA("SetCurSceneThread end!\n");
    return c->ConnectionIntact();
}

// Each SaveScene waits for the amplifier's acknowledgement that the scene is stored; nothing more
// needs waiting for once the last command is answered.
bool EqualizerManager::SetWholeProfileThread(EqualizerManager* c) {
    LogPrintA("SetWholeProfileThread start!\n");
    const bool ok = c->SetReadWholeProfileToMCU();
    PostMessageW(c->hMainWnd, WM_REFRESH_PAGE, 0, 0);
    LogPrintA("SetWholeProfileThread end!\n");
    return ok;
}

// What a profile send puts on the amplifier, from the record sent into the live one: main volume and
// mute, every output (crossover, bands, position, trim, mute, phase, delay, bypass), routing and mix
// levels. The rest of the live record (the amplifier's identity, its input source) stays as it is.
static void TakeSentParts(const DspConfig& sent, DspConfig& live) {
    live.mainVolume = sent.mainVolume;
    live.mainVolumeMute = sent.mainVolumeMute;
    for (int n = 0; n < OutputCount; ++n) {
        EqBand* const bands = live.channels[n].eqArray;
        live.channels[n] = sent.channels[n];
        live.channels[n].eqArray = bands;
        std::memcpy(live.bandStorage[n], sent.bandStorage[n], sizeof live.bandStorage[n]);
    }
    std::memcpy(live.outputs, sent.outputs, sizeof live.outputs);
    std::memcpy(live.inputs, sent.inputs, sizeof live.inputs);
    std::memcpy(live.inputMixVolume, sent.inputMixVolume, sizeof live.inputMixVolume);
}

void EqualizerManager::ShowSentProfile() {
    if (mSendRecord) TakeSentParts(*mSendRecord, config);
    RefreshAllFromConfig();
}

void EqualizerManager::RefreshAllFromConfig() {
    const bool wasApplying = mApplyingReply;
    mApplyingReply = true;
    SetSlider(sliderMainVolume, config.mainVolume);
    SetSelected(mainMute, config.mainVolumeMute != 0);
    SetMainVolumeEditText(config.mainVolume);
    const int cur = CurrentOutput();
    SetFreqDivider(cur);
    RefreshEqBandControls();
    ShowOutputTypes();
    for (int n = 0; n < OutputCount; ++n) {
        const ChannelConfig& ch = config.channels[n];
        const int tenths = static_cast<int>(ch.gain * 10);
        SetSlider(ChVolumeSlider(n), tenths);
        UpdateChVolumeEdit(n, tenths);
        SetSelected(ChMuteOption(n), ch.mute != 0);
        SetChPhase(n, ch.phase != 0);
        UpdateChDelayText(n);
        SetChDelaySliderValue(n, ch.delay * 1000);  // rounded to the microsecond, as the delay handlers do
    }
    ShowRoutingOptions();
    if (config.linkMode) {
        SetSelected(btnLinkOutput, true);
        config.lockMode = 1;
        SetSelected(btnLockOutput, true);
        for (int n = 0; n < OutputCount; ++n) Enable(chOutputBtn[n], false);
        for (int i = 0; i < OutputCount; ++i) {
            config.linkOutputs[i] = -1;
            if (config.outputs[i] == 0) continue;
            const OutputType pair = GetPairedOutputType(config.outputs[i]);
            for (int j = 0; j < OutputCount; ++j) {
                if (j != i && config.outputs[j] == pair && IsSameOutputGroup(i, j)) {
                    config.linkOutputs[i] = j;
                    break;
                }
            }
        }
    } else {
        SetSelected(btnLinkOutput, false);
        for (int i = 0; i < OutputCount; ++i) config.linkOutputs[i] = -1;
        SetSelected(btnLockOutput, config.lockMode != 0);
        for (int n = 0; n < OutputCount; ++n) Enable(chOutputBtn[n], config.lockMode == 0);
    }
    mApplyingReply = wasApplying;
    // Mute and phase go out again, as a user's change would send them.
    for (int n = 0; n < OutputCount; ++n) {
        OnChMuteOption(n);
        SetChPhase(n, config.channels[n].phase != 0);
    }
    SetCurChannelChange(cur);
    for (int n = 0; n < OutputCount; ++n) UpdateEqCurve(n, config.channels[n].bypass == 1, CurvePoints);
    UpdateEqualizer(-1);
}
