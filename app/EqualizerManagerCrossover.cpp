// The current output's crossover on the main page: the high-pass and low-pass frequency edits, filter
// type and slope combos. The two sides are mirror twins: they differ in the filter they change, the kind
// sent to the amplifier (2 high-pass, 1 low-pass) and the bound one side sets for the other.
#include "EqualizerManager.h"

#include "base/Log.h"
#include "PageControls.h"
#include "model/ValueRanges.h"
#include "UICombo.h"
#include "UIEdit.h"

#include <cwchar>
#include <cwctype>

using namespace SkinUI;
using namespace PageControls;

namespace {

constexpr int kHighPass = 2;
constexpr int kLowPass = 1;
constexpr int kLinkwitzRiley = 2;

CrossoverFilter& FilterOf(ChannelConfig& ch, int kind) { return kind == kHighPass ? ch.crossover.hp : ch.crossover.lp; }

std::wstring ItemText(CComboUI* combo, int index) {
    CControlUI* item = combo ? combo->GetItemAt(index) : nullptr;
    return item ? item->GetText().Data() : L"";
}

}  // namespace

void EqualizerManager::SendFilter(int n, int kind) {
    const CrossoverFilter& f = FilterOf(config.channels[n], kind);
    device.Filter_Ctrl(SceneByte(), 0, static_cast<uint8_t>(n), static_cast<uint8_t>(kind), f.fs, f.slope, f.type, false);
}

void EqualizerManager::SetFreqDivider(int n) {
    if (n < 0 || n >= OutputCount) return;
    const Crossover& xo = config.channels[n].crossover;
    // Choosing items raises their notifications: the page is being filled, nothing goes out.
    const bool wasApplying = mApplyingReply;
    mApplyingReply = true;
    // The type combos list Butterworth, Linkwitz-Riley and Bessel: item = type - 1.
    auto select = [](CComboUI* combo, int index) {
        if (combo && index >= 0 && index < combo->GetCount() && combo->GetCurSel() != index) combo->SelectItem(index, false);
    };
    select(hpType, xo.GetHpType() - 1);
    select(lpType, xo.GetLpType() - 1);
    ShowOddSlopes(hpSlope, xo.GetHpType() != kLinkwitzRiley);
    ShowOddSlopes(lpSlope, xo.GetLpType() != kLinkwitzRiley);
    select(hpSlope, xo.GetHpSlope());
    select(lpSlope, xo.GetLpSlope());
    SetInt(hpFreq, L"%dHz", xo.GetHpFreq());
    SetInt(lpFreq, L"%dHz", xo.GetLpFreq());
    mApplyingReply = wasApplying;
    LogPrintA("on SetFreqDivider getHPType %d\n", xo.GetHpType());
    LogPrintA("on SetFreqDivider getLPType %d\n", xo.GetLpType());
    LogPrintA("on SetFreqDivider getHPFs %d\n", xo.GetHpFreq());
    LogPrintA("on SetFreqDivider getLPFs %d\n", xo.GetLpFreq());
    LogPrintA("on SetFreqDivider getHPSlope %d\n", xo.GetHpSlope());
    LogPrintA("on SetFreqDivider getLPSlope %d\n", xo.GetLpSlope());
}

void EqualizerManager::RefreshCrossoverControls() { SetFreqDivider(CurrentOutput()); }

// Read as a band frequency is ("2k5" is 2500), without overflow however many digits it has.
int EqualizerManager::ParseCrossoverFrequency(const wchar_t* text) { return ParseBandFrequency(text); }

// Stores a new frequency of one side for the current output, its partner and its sync group, and sends it.
void EqualizerManager::ApplyFilterFreq(int kind, int freq) {
    const int cur = CurrentOutput();
    auto store = [&](int n) {
        if (kind == kHighPass)
            config.channels[n].crossover.SetHpFreq(freq);
        else
            config.channels[n].crossover.SetLpFreq(freq);
    };
    store(cur);
    FindPartner();
    if (hasPartner) store(partnerOutput);
    for (int j : SyncGroupOf(cur)) {
        store(j);
        SendFilter(j, kind);
    }
    CEditUI* edit = kind == kHighPass ? hpFreq : lpFreq;
    SetInt(edit, L"%dHz", FilterOf(config.channels[cur], kind).fs);
    if (edit) edit->SetSelAll();
    UpdateEqualizer(-1);
    SendFilter(cur, kind);
    if (hasPartner) SendFilter(partnerOutput, kind);
}

// A type or slope chosen in a combo; choosing what is already set sends nothing.
void EqualizerManager::ApplyFilterSetting(int kind, bool isType, int value) {
    const int cur = CurrentOutput();
    auto store = [&](int n) {
        Crossover& xo = config.channels[n].crossover;
        if (kind == kHighPass)
            isType ? xo.SetHpType(value) : xo.SetHpSlope(value);
        else
            isType ? xo.SetLpType(value) : xo.SetLpSlope(value);
    };
    const CrossoverFilter& stored = FilterOf(config.channels[cur], kind);
    if ((isType ? stored.type : stored.slope) == value) return;
    store(cur);
    FindPartner();
    if (hasPartner) store(partnerOutput);
    for (int j : SyncGroupOf(cur)) {
        store(j);
        SendFilter(j, kind);
    }
    UpdateEqualizer(-1);
    SendFilter(cur, kind);
    if (hasPartner) SendFilter(partnerOutput, kind);
}

void EqualizerManager::ShowOddSlopes(CComboUI* slopes, bool shown) {
    if (!slopes) return;
    for (int i = 1; i <= 7; i += 2)
        if (CControlUI* item = slopes->GetItemAt(i)) item->SetVisible(shown);
}

void EqualizerManager::SetHpFreq() {
    const ChannelConfig& ch = config.channels[CurrentOutput()];
    if (!ReadNumberText(TextOf(hpFreq).c_str(), MinFreq, MaxFreq, nullptr)) {
        // Not a frequency: the edit shows the one in use again and nothing is sent.
        SetInt(hpFreq, L"%dHz", ch.crossover.GetHpFreq());
        return;
    }
    int freq = ParseCrossoverFrequency(TextOf(hpFreq).c_str());
    freq = freq < 20 ? 20 : (freq > 20000 ? 20000 : freq);
    if (freq > ch.crossover.GetLpFreq()) freq = ch.crossover.GetLpFreq();
    LogPrintA("set hp freq to %d \n", freq);
    ApplyFilterFreq(kHighPass, freq);
}

void EqualizerManager::SetLpFreq() {
    const ChannelConfig& ch = config.channels[CurrentOutput()];
    if (!ReadNumberText(TextOf(lpFreq).c_str(), MinFreq, MaxFreq, nullptr)) {
        // Not a frequency: the edit shows the one in use again and nothing is sent.
        SetInt(lpFreq, L"%dHz", ch.crossover.GetLpFreq());
        return;
    }
    int freq = ParseCrossoverFrequency(TextOf(lpFreq).c_str());
    freq = freq < 20 ? 20 : (freq > 20000 ? 20000 : freq);
    if (freq < ch.crossover.GetHpFreq()) freq = ch.crossover.GetHpFreq();
    LogPrintA("set lp freq to %d \n", freq);
    ApplyFilterFreq(kLowPass, freq);
}

void EqualizerManager::SetHpFreqUp(bool up) {
    LogPrintA("SetHpFreqUp up(%d)\n", up);
    const Crossover& xo = config.channels[CurrentOutput()].crossover;
    const int fs = xo.GetHpFreq();
    if ((up && fs >= 20000) || (!up && fs <= 20)) return;
    if (hpFreq) hpFreq->SetFocus();
    int next = StepFrequency(fs, up);
    if (next > xo.GetLpFreq()) next = xo.GetLpFreq();
    SetInt(hpFreq, L"%dHz", next);
    SetHpFreq();
}

void EqualizerManager::SetLpFreqUp(bool up) {
    LogPrintA("SetLpFreqUp up(%d)\n", up);
    const Crossover& xo = config.channels[CurrentOutput()].crossover;
    const int fs = xo.GetLpFreq();
    if ((up && fs >= 20000) || (!up && fs <= 20)) return;
    if (lpFreq) lpFreq->SetFocus();
    int next = StepFrequency(fs, up);
    if (next < xo.GetHpFreq()) next = xo.GetHpFreq();
    SetInt(lpFreq, L"%dHz", next);
    SetLpFreq();
}

void EqualizerManager::SetHpType() {
    if (!hpType) return;
    const int index = hpType->GetCurSel();
    LogPrintW(L"set hp type to %ls index %d\n", ItemText(hpType, index).c_str(), index);
    if (index < 0) return;
    const int type = index + 1;
    ShowOddSlopes(hpSlope, type != kLinkwitzRiley);
    ApplyFilterSetting(kHighPass, true, type);
}

void EqualizerManager::SetLpType() {
    if (!lpType) return;
    const int index = lpType->GetCurSel();
    LogPrintW(L"set lp type to %ls index %d\n", ItemText(lpType, index).c_str(), index);
    if (index < 0) return;
    const int type = index + 1;
    ShowOddSlopes(lpSlope, type != kLinkwitzRiley);
    ApplyFilterSetting(kLowPass, true, type);
}

void EqualizerManager::SetHpSlope() {
    if (!hpSlope) return;
    const int index = hpSlope->GetCurSel();
    LogPrintW(L"set hp slop to %ls index %d\n", ItemText(hpSlope, index).c_str(), index);
    if (index >= 0) ApplyFilterSetting(kHighPass, false, index);
}

void EqualizerManager::SetLpSlope() {
    if (!lpSlope) return;
    const int index = lpSlope->GetCurSel();
    LogPrintW(L"set lp slop to %ls index %d\n", ItemText(lpSlope, index).c_str(), index);
    if (index >= 0) ApplyFilterSetting(kLowPass, false, index);
}
