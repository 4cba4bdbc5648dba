#include "NoiseThresholdWnd.h"

#include "EqualizerManager.h"
#include "PageControls.h"
#include "ToolWindowControls.h"
#include "base/Log.h"
#include "device/DeviceMessages.h"
#include "device/DeviceProtocol.h"
#include "device/DeviceRecords.h"
#include "model/ValueRanges.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>

using namespace SkinUI;
using namespace PageControls;

namespace {

constexpr int kNoiseFloor = -100;  // the meters' start
constexpr int kNoiseCeiling = 0;   // and end, when the layout has no meter to ask
constexpr int kBaseMeters = 6;     // the layout's width holds six meters

std::wstring Numbered(const wchar_t* format, int n) {
    wchar_t name[32];
    _snwprintf(name, 31, format, n);
    name[31] = 0;
    return name;
}

// A level as its meter can show it: the label beside the meter says what the meter shows.
float HeldToMeter(const CProgressUI* meter, float level) {
    const float low = static_cast<float>(meter ? meter->GetMinValue() : kNoiseFloor);
    const float high = static_cast<float>(meter ? meter->GetMaxValue() : kNoiseCeiling);
    return ClampFinite(level, low, high, low);
}

int ClampThreshold(int value) { return std::max(kNoiseThresholdOff, std::min(kNoiseThresholdMax, value)); }

}  // namespace

int ParseNoiseThreshold(const wchar_t* text, const wchar_t* offText) {
    if (!text) return kNoiseThresholdOff;
    if (offText && *offText && wcscmp(text, offText) == 0) return kNoiseThresholdOff;
    return ClampThreshold(_wtoi(text));
}

std::wstring NoiseThresholdText(int value, const wchar_t* offText) {
    if (value <= kNoiseThresholdOff) return offText ? offText : L"";
    return Format(L"%ddBu", value);
}

int StepNoiseThreshold(int value, bool up) { return ClampThreshold(value + (up ? 1 : -1)); }

int NoiseClientWidth(int layoutWidth, int inputs, int scalePercent) {
    return ((std::max(inputs, kBaseMeters) - kBaseMeters) * kNoiseMeterWidth + layoutWidth) * scalePercent / 100;
}

SKINUI_BEGIN_NOTIFY_MAP(CNoiseThresholdWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CNoiseThresholdWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

CNoiseThresholdWnd::CNoiseThresholdWnd(EqualizerManager& controller) : mController(controller) {
    const InputSource source = controller.config.inputSource;
    mInputs = source >= 0 && source < SourceCount ? GetSourceExtraChannels(source) : 0;
}

void CNoiseThresholdWnd::OnInitWindow() {
    const SIZE layout = ToolWindow::UnscaledLayoutSize(m_pm);
    CSkinDialogWnd::OnInitWindow();
    mOffText = Lang(L"${off}");
    DspConfig& config = mController.config;
    mValueEdit = static_cast<CEditUI*>(m_pm.FindControlByName(L"value_edt"));
    if (mValueEdit) mValueEdit = static_cast<CEditUI*>(mValueEdit->GetInterface(L"Edit"));
    SetText(mValueEdit, NoiseThresholdText(config.noiseGateThreshold, mOffText.c_str()).c_str());
    for (int i = 0; i < kNoiseMeterSlots; ++i) {
        CControlUI* meter = m_pm.FindControlByName(Numbered(L"progress_%d", i).c_str());
        mMeters[i] = meter ? static_cast<CProgressUI*>(meter->GetInterface(L"Progress")) : nullptr;
        mNoiseLabels[i] = m_pm.FindControlByName(Numbered(L"noise_%d", i).c_str());
        if (mMeters[i]) mMeters[i]->SetValue(kNoiseFloor);
        if (i >= mInputs) {
            Show(m_pm.FindControlByName(Numbered(L"in_%d", i).c_str()), false);
            Show(m_pm.FindControlByName(Numbered(L"prg_group_%d", i).c_str()), false);
        }
    }
    DeviceLink& device = mController.Device();
    device.mReplyWnd[DeviceLink::kNoiseWnd] = m_hWnd;
    // Without inputs there is nothing to ask for.
    if (device.IsConnected() && mInputs > 0) mPolling = SetTimer(m_hWnd, NOISE_POLL_TIMER, kNoisePollMs, nullptr) != 0;
    const int scale = m_pm.GetDpiScaler()->GetScale();
    ResizeClientArea(NoiseClientWidth(layout.cx, mInputs, scale), layout.cy * scale / 100);
}

void CNoiseThresholdWnd::Stop() {
    mStop = true;
    if (mPolling) KillTimer(m_hWnd, NOISE_POLL_TIMER);
    mPolling = false;
}

void CNoiseThresholdWnd::OnWindowDestroyed(HWND hwnd) {
    Stop();
    // Replies that come after the window has gone are freed by the link instead of lost.
    std::atomic<HWND>& slot = mController.Device().mReplyWnd[DeviceLink::kNoiseWnd];
    HWND mine = hwnd;
    slot.compare_exchange_strong(mine, nullptr);
    CSkinDialogWnd::OnWindowDestroyed(hwnd);
}

void CNoiseThresholdWnd::OnClick(TNotifyMessage& msg) {
    const CUIString name = msg.pSender ? msg.pSender->GetName() : CUIString();
    if (msg.pSender == m_closeButton || EqualsIgnoreCase(name.Data(), L"confirm_btn") ||
        EqualsIgnoreCase(name.Data(), L"cancel_btn"))
        Stop();
    if (!ToolWindow::HandleClick(*this, m_closeButton, msg.pSender)) WindowImplBase::OnClick(msg);
}

void CNoiseThresholdWnd::Notify(TNotifyMessage& msg) {
    try {
        LogPrintW(L"Notify %ls\n", msg.sType.Data());
        if (msg.pSender && msg.pSender == mValueEdit) {
            if (msg.sType == L"valuechangedup" || msg.sType == L"valuechangeddown")
                StepThreshold(msg.sType == L"valuechangedup");
            else if (msg.sType == L"return" || msg.sType == L"killfocus")
                ApplyTypedThreshold();
        }
    } catch (...) {
        LogPrintA("CNoiseThresholdWnd::Notify failed\n");
    }
    WindowImplBase::Notify(msg);
}

void CNoiseThresholdWnd::ApplyTypedThreshold() {
    if (!mValueEdit) return;
    ApplyThreshold(ParseNoiseThreshold(mValueEdit->GetText().Data(), mOffText.c_str()));
}

void CNoiseThresholdWnd::StepThreshold(bool up) {
    const int current = mValueEdit ? ParseNoiseThreshold(mValueEdit->GetText().Data(), mOffText.c_str())
                                   : mController.config.noiseGateThreshold;
    ApplyThreshold(StepNoiseThreshold(current, up));
}

void CNoiseThresholdWnd::ApplyThreshold(int value) {
    value = ClampThreshold(value);
    LogPrintW(L"on input threshold edit change to %d dB\n", value);
    SetText(mValueEdit, NoiseThresholdText(value, mOffText.c_str()).c_str());
    mController.config.noiseGateThreshold = value;
    mController.Device().Input_Ch_Threshold_Ctrl(static_cast<int8_t>(value), false);
    FocusAndSelectAll(mValueEdit);
}

void CNoiseThresholdWnd::Poll() {
    if (mStop || mInputs <= 0) return;
    mController.Device().Get_Input_Noise(0, static_cast<uint8_t>(mInputs - 1), false);
}

void CNoiseThresholdWnd::ShowNoise(LPARAM lParam) {
    auto* record = reinterpret_cast<DspInputNoiseRecord*>(lParam);
    if (!record) return;
    const float* level = record->level;
    LogPrintA("input noise value %.1f %.1f %.1f %.1f %.2f %.1f\n", level[0], level[1], level[2], level[3], level[4],
              level[5]);
    // Only the channels the reply carries, and only those the window has a meter for.
    const int first = static_cast<int>(std::min<uint32_t>(record->first, kRecordChannels));
    const int last = static_cast<int>(std::min<uint32_t>(record->last, kRecordChannels - 1));
    for (int i = first; i <= last && i < mInputs && i < kNoiseMeterSlots; ++i) {
        const float shown = HeldToMeter(mMeters[i], level[i]);
        SetNumber(mNoiseLabels[i], L" %.1f", shown);
        if (mMeters[i]) mMeters[i]->SetValue(static_cast<int>(shown));
    }
}

LRESULT CNoiseThresholdWnd::HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CSkinDialogWnd::HandleWndMessage(message, wParam, lParam);
    if (message == WM_DSP_VALUE && ReplyCarriesRecord(message, wParam, lParam)) {
        try {
            if (wParam == DSP_INPUT_NOISE && m_hWnd) ShowNoise(lParam);
        } catch (...) {
            LogPrintA("CNoiseThresholdWnd: noise reply failed\n");
        }
        free(reinterpret_cast<void*>(lParam));
    }
    return result;
}

LRESULT CNoiseThresholdWnd::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    handled = FALSE;
    if (wParam == VK_UP || wParam == VK_DOWN) StepThreshold(wParam == VK_UP);
    return 0;
}

LRESULT CNoiseThresholdWnd::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM, BOOL& handled) {
    handled = FALSE;
    if (message == WM_TIMER && wParam == NOISE_POLL_TIMER) {
        LogPrintW(L"WM_TIMER %d\n", static_cast<int>(wParam));
        Poll();
    }
    return 0;
}

int ShowNoiseThresholdWnd(HWND owner, EqualizerManager& controller) {
    return ToolWindow::RunToolWindow(new CNoiseThresholdWnd(controller), owner, L"msgwnd");
}
