#include "AutoCalWnd.h"

#include "EqualizerManager.h"
#include "MsgWnd.h"
#include "PageControls.h"
#include "SButton.h"
#include "ToolWindowControls.h"
#include "UIEqualizerAc.h"
#include "UIOption.h"
#include "base/Log.h"
#include "device/DeviceMessages.h"
#include "device/DeviceRecords.h"
#include "model/ResponseMath.h"
#include "model/ValueRanges.h"

#include <cstdlib>
#include <exception>

using namespace SkinUI;
using namespace ToolWindow;

namespace {

CAutoCalWnd* gCurrent = nullptr;

constexpr int kLinkWatchMs = 200;
constexpr int kStatusDistanceReady = 14;

// Texts of the statuses that name a test step.
const wchar_t* StepText(WPARAM status) {
    switch (status) {
    case 1: return L"${detect_speaker}";
    case 2: return L"${detect_level}";
    case 3: return L"${detect_location}";
    case 4: return L"${adjust_ch_volume}";
    case 5: return L"${compensate_eq}";
    case 6: return L"${test_freq_response}";
    default: return nullptr;
    }
}

const wchar_t* const kFailureTexts[] = {L"${irc_failed_level}", L"${irc_failed_mic}", L"${irc_failed_speaker}",
                                        L"${irc_failed_delay}", L"${irc_failed_ch_volume}", L"${irc_failed_eq}"};

void OneButtonBox(HWND owner, const wchar_t* text) {
    const wchar_t* captions[] = {L"${confirm}", L"", L""};
    ShowMsgWndButtons(owner, L"${tips}", text, captions, 1);
}

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CAutoCalWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CAutoCalWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

int ShowAutoCalWnd(HWND owner, EqualizerManager& controller) {
    auto* window = new CAutoCalWnd(controller);
    if (!OpenToolWindow(window, owner, L"updatefwwnd")) return 0;
    if (owner) ShowWindow(owner, SW_SHOWMINIMIZED);
    const int result = static_cast<int>(window->RunModal());
    if (owner) ShowWindow(owner, SW_RESTORE);
    return result;
}

CAutoCalWnd* CAutoCalWnd::Current() { return gCurrent; }

int& CAutoCalWnd::PauseMs() {
    static int pause = kAutoCalPauseMs;
    return pause;
}

CAutoCalWnd::CAutoCalWnd(EqualizerManager& controller)
    : m_controller(controller), m_config(controller.config), m_link(controller.Device()) {
    for (int ch = 0; ch < kChannels; ++ch) {
        m_bandCounts[ch] = BandCountOfOutput(ch);
        for (int b = 0; b < BandSlotsPerOutput; ++b)
            m_resultBands[ch][b] = EqBand(0.0f, 5.8f, ThirdOctaveBands[b], 1);
        for (int j = 0; j < kSpectrumPoints; ++j)
            m_spectrumPoints[ch][j] = EqBand(0.0f, 15.0f, 20 + (19980 * j) / kSpectrumPoints, 1);
    }
    gCurrent = this;
}

CAutoCalWnd::~CAutoCalWnd() {
    m_worker.Stop();
    if (gCurrent == this) gCurrent = nullptr;
}

CControlUI* CAutoCalWnd::CreateControl(const wchar_t* className) {
    if (_wcsicmp(className, L"CurveAc") == 0) return new UIEqualizerAc;
    if (_wcsicmp(className, L"SButton") == 0) return new CSButtonUI;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Start-up

void CAutoCalWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    CControlUI* display = m_pm.FindControlByName(L"equalizer_ac");
    m_display = display ? static_cast<UIEqualizerAc*>(display->GetInterface(L"Curve")) : nullptr;
    m_tips = m_pm.FindControlByName(L"tips");
    CControlUI* progress = m_pm.FindControlByName(L"progress");
    m_progress = progress ? static_cast<CProgressUI*>(progress->GetInterface(L"Progress")) : nullptr;
    m_startButton = m_pm.FindControlByName(L"start_auto_cal");
    for (int e = 0; e < kEffects; ++e) m_effects[e] = m_pm.FindControlByName(Numbered(L"audio_effect_", e).c_str());
    InitChannelBoxes();
    for (int ch = 0; ch < kChannels; ++ch) {
        ComputeEqCurve(ch);
        CopySpectrum(ch);
        if (m_config.outputs[ch] == 0) {
            PageControls::SetSelected(m_channelBoxes[ch], false);
            PageControls::Enable(m_channelBoxes[ch], false);
            m_curveFlags[ch] = 0;
        }
    }
    ShowEqCurves();
    ShowSpectra();
    m_link.mReplyWnd[DeviceLink::kCalibrationWnd] = m_hWnd;
    m_wasConnected = m_link.IsConnected();
    SetTimer(m_hWnd, kLinkWatchTimer, kLinkWatchMs, nullptr);
}

void CAutoCalWnd::InitChannelBoxes() {
    for (int ch = 0; ch < kChannels; ++ch) {
        CControlUI* box = m_pm.FindControlByName(Numbered(L"ch_checkbox_", ch).c_str());
        m_channelBoxes[ch] = box;
        if (!box) {
            m_curveFlags[ch] = 0;
            continue;
        }
        box->SetVisible(true);
        PageControls::SetSelected(box, ch == 0);
        // The second output of a bridged pair plays with the first: it is not measured on its own.
        if (ch % 2 == 1 && m_config.outputBridge[ch / 2]) {
            box->SetEnabled(false);
            PageControls::SetTextColor(box, kDisabledChannelColor);
            box->SetBorderColor(kDisabledChannelColor);
        }
        m_curveFlags[ch] = PageControls::IsSelected(box) ? 1 : 0;
    }
}

void CAutoCalWnd::ComputeEqCurve(int ch) {
    MakeLogFreqAxis(CurveSampleRate, CurvePoints, m_eqFreqs[ch]);
    double band[CurvePoints];
    std::fill(m_eqGains[ch], m_eqGains[ch] + CurvePoints, 0.0);
    for (int b = 0; b < m_bandCounts[ch]; ++b) {
        const EqBand& r = m_resultBands[ch][b];
        PeakingEqCurve(CurveSampleRate, r.freq, r.gain, r.factor, m_eqFreqs[ch], band, CurvePoints);
        for (int p = 0; p < CurvePoints; ++p) m_eqGains[ch][p] += band[p];
    }
}

void CAutoCalWnd::CopySpectrum(int ch) {
    for (int j = 0; j < kSpectrumPoints; ++j) {
        m_spectrumFreqs[ch][j] = m_spectrumPoints[ch][j].freq;
        m_spectrumLevels[ch][j] = m_spectrumPoints[ch][j].gain;
    }
}

void CAutoCalWnd::ShowEqCurves() {
    if (m_display) m_display->SetCurves(&m_eqFreqs[0][0], &m_eqGains[0][0], kChannels, 0, m_showEq ? m_curveFlags : m_noCurveFlags);
}

void CAutoCalWnd::ShowSpectra() {
    if (m_display)
        m_display->SetCurves121(&m_spectrumFreqs[0][0], &m_spectrumLevels[0][0], kChannels, 0,
                                m_showSpectra ? m_curveFlags : m_noCurveFlags);
}

void CAutoCalWnd::SetTips(const wchar_t* text) { PageControls::SetText(m_tips, text); }

// ---------------------------------------------------------------------------------------------------
// Notifications

void CAutoCalWnd::Notify(TNotifyMessage& msg) {
    bool passOn = true;
    try {
        LogPrintW(L"Notify %ls\n", msg.sType.Data());
        // The start button's click is handled here whole; the others go on to OnClick.
        passOn = !(msg.sType == L"click" && NameOf(msg.pSender) == L"start_auto_cal");
        Route(msg);
    } catch (const std::exception& e) {
        LogPrintA("CAutoCalWnd::Notify: %s\n", e.what());
    } catch (...) {
        LogPrintA("CAutoCalWnd::Notify failed\n");
    }
    if (passOn) WindowImplBase::Notify(msg);
}

void CAutoCalWnd::Route(TNotifyMessage& msg) {
    if (!msg.pSender) return;
    const std::wstring name = NameOf(msg.pSender);
    if (msg.sType == L"click") {
        if (name == L"start_auto_cal") OnStartClick();
        else if (name == L"irc_save_data") OnResultClick(true);
        else if (name == L"irc_cancel_data") OnResultClick(false);
    } else if (msg.sType == L"selectchanged") {
        LogPrintW(L"on option %ls UI_MSGTYPE_SELECTCHANGED index %d\n", name.c_str(), UserIndex(msg.pSender));
        OnSelectChanged(name, msg.pSender);
    }
}

void CAutoCalWnd::OnSelectChanged(const std::wstring& name, CControlUI* sender) {
    const bool selected = PageControls::IsSelected(sender);
    if (name == L"display_eq") {
        m_showEq = selected;
        ShowEqCurves();
    } else if (name == L"display_spk") {
        m_showSpectra = selected;
        ShowSpectra();
    } else if (StartsWith(name, L"ch_checkbox_")) {
        const int ch = UserIndex(sender);
        if (ch < 0 || ch >= kChannels) return;
        m_curveFlags[ch] = selected ? 1 : 0;
        ShowEqCurves();
        ShowSpectra();
    } else {
        const int bit = name == L"irc_eq" ? 1 : name == L"irc_delay" ? 2 : name == L"irc_phase" ? 4 : 0;
        if (!bit) return;
        mIrcModel = selected ? (mIrcModel | bit) : (mIrcModel & ~bit);
        LogPrintW(L"mIrcModel %02x\n", mIrcModel);
    }
}

void CAutoCalWnd::OnStartClick() {
    if (mIrcModel == 0) {
        OneButtonBox(m_hWnd, L"${irc_option_warning_tips}");
        return;
    }
    const uint16_t channels = CheckedChannels();
    // Without an output the amplifier would run, measure nothing and report success.
    if (!m_measuring && channels == 0) {
        LogPrintW(L"CAutoCalWnd: no output to measure, not started\n");
        OneButtonBox(m_hWnd, L"${irc_no_channel_tips}");
        return;
    }
    // Preset n (0..8) is EQ mode n + 1, so each of the nine has its own mode; none chosen is 0.
    m_eqMode = 0;
    for (int e = 0; e < kEffects; ++e) {
        if (PageControls::IsSelected(m_effects[e])) {
            m_eqMode = e + 1;
            break;
        }
    }
    mIrcCh = channels;
    LogPrintW(L"mIrcCh = 0x%x\n", mIrcCh);
    if (m_measuring) StopMeasuring();
    else StartMeasuring();
    m_decided = false;
}

uint16_t CAutoCalWnd::CheckedChannels() const {
    uint16_t mask = 0;
    for (int ch = 0; ch < kChannels; ++ch)
        if (PageControls::IsSelected(m_channelBoxes[ch])) mask |= static_cast<uint16_t>(1u << ch);
    return mask;
}

void CAutoCalWnd::StartMeasuring() {
    PageControls::SetText(m_startButton, L"${stop}");
    SetTips(L"${start_irc_tips}");
    PageControls::Enable(m_closeButton, false);
    m_done = false;
    AutoCalJob job;
    job.link = &m_link;
    job.window = m_hWnd;
    job.modules = static_cast<uint8_t>(mIrcModel);
    job.channels = mIrcCh;
    job.eqMode = static_cast<uint8_t>(m_eqMode);
    job.pauseMs = PauseMs();
    m_measuring = m_worker.Start(m_shared, job);
    if (!m_measuring) ShowIdleButtons();
}

// The amplifier is told first, so its test stops even while the worker finishes a request.
void CAutoCalWnd::StopMeasuring() {
    m_link.IRC_Ctrl(0, 0, 0, true);
    m_worker.Stop();
    m_measuring = false;
    ShowIdleButtons();
    SetTips(L"${irc_stoped}");
    m_done = false;
}

void CAutoCalWnd::ShowIdleButtons() {
    PageControls::Enable(m_closeButton, true);
    PageControls::SetText(m_startButton, L"${start_irc}");
    PageControls::Enable(m_startButton, true);
}

void CAutoCalWnd::OnResultClick(bool apply) {
    if (m_measuring || !m_done || m_decided) {
        SetTips(L"${irc_start_tips}");
        return;
    }
    if (apply) {
        m_link.IRC_Ctrl(2, 0, static_cast<uint8_t>(m_eqMode), true);
        SetTips(L"${irc_applyed}");
    } else {
        m_link.IRC_Ctrl(3, 0, 0, true);
        SetTips(L"${irc_canceled}");
    }
    m_decided = true;
}

// ---------------------------------------------------------------------------------------------------
// Closing

void CAutoCalWnd::OnClick(TNotifyMessage& msg) {
    if (msg.pSender && msg.pSender == m_closeButton) CloseAsked();
    else if (EqualsNoCase(NameOf(msg.pSender), L"minbtn")) SendMessageW(m_hWnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

// Closing stops a running test first, then settles an undecided result, and closes only this window.
void CAutoCalWnd::CloseAsked() {
    if (m_measuring) StopMeasuring();
    m_worker.Stop();
    int result = 0;
    if (m_decided) {
        result = 1;
    } else if (m_done) {
        if (ShowMsgWnd(m_hWnd, L"${tips}", L"${irc_apply_tips}") == 1) {
            m_link.IRC_Ctrl(2, 0, static_cast<uint8_t>(m_eqMode), true);
            result = 1;
        } else {
            m_link.IRC_Ctrl(3, 0, 0, true);
        }
    } else {
        m_link.IRC_Ctrl(3, 0, 0, true);
    }
    PostClose(result);
}

// The amplifier went away: nothing can be stopped or settled there, and nothing is to be read back.
void CAutoCalWnd::CloseOnDisconnect() {
    LogPrintW(L"CAutoCalWnd: the amplifier was disconnected, closing\n");
    KillTimer(m_hWnd, kLinkWatchTimer);
    m_worker.Stop();
    m_measuring = false;
    PostClose(0);
}

LRESULT CAutoCalWnd::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        CloseAsked();
        handled = TRUE;
        return 0;
    }
    return CSkinDialogWnd::OnSysCommand(message, wParam, lParam, handled);
}

LRESULT CAutoCalWnd::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) handled = true;  // Escape does not close this window
    return 0;
}

// ---------------------------------------------------------------------------------------------------
// Replies and worker messages

LRESULT CAutoCalWnd::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = TRUE;
    try {
        switch (message) {
        case WM_IRC_STATUS:
            if (ReplyCarriesRecord(message, wParam, lParam)) {
                void* record = reinterpret_cast<void*>(lParam);
                if (!m_shared.stopRequest) OnRecord(wParam, record);
                free(record);
            } else {
                OnStatus(wParam, lParam);
            }
            return 0;
        case WM_IRC_PROGRESS:
            // The worker's last step may still be queued when the end shows its final value: only a
            // running measurement moves the bar.
            if (m_progress && m_measuring) m_progress->SetValue(static_cast<int>(wParam));
            return 0;
        case WM_IRC_COMPLETED:
            SetTips(L"${irc_completed}");
            PageControls::Enable(m_closeButton, true);
            return 0;
        case WM_IRC_FAILED:
        case WM_IRC_STOPPED:
            PageControls::Enable(m_closeButton, true);
            SetTips(message == WM_IRC_FAILED ? L"${irc_failed}" : L"${irc_stoped}");
            m_done = false;
            return 0;
        case WM_TIMER:
            if (wParam != kLinkWatchTimer) break;
            if (m_wasConnected && !m_link.IsConnected()) CloseOnDisconnect();
            return 0;
        default:
            break;
        }
    } catch (const std::exception& e) {
        LogPrintA("CAutoCalWnd: %s\n", e.what());
        return 0;
    }
    handled = FALSE;
    return 0;
}

void CAutoCalWnd::OnStatus(WPARAM status, LPARAM value) {
    m_shared.status = static_cast<int>(status);
    ++m_shared.statusesTaken;
    if (m_shared.stopRequest) return;
    if (const wchar_t* text = StepText(status)) SetTips(text);
    switch (status) {
    case 0: case 1: case 2: case 3: case 4: case 5: case 6:
        m_shared.progress = static_cast<int>(value);
        break;
    case 7: case 8: case kStatusDistanceReady:
        m_shared.currentChannel = static_cast<int>(value & 0xFF);
        break;
    case 9:
        SetTips(L"${test_freq_response}");
        m_shared.dataUpdate = true;
        break;
    case 10: case 12:
        SetTips(L"${irc_completed}");
        m_measuring = false;
        ShowIdleButtons();
        m_done = true;
        m_shared.progress = static_cast<int>(value);
        if (m_progress) m_progress->SetValue(static_cast<int>(value));
        break;
    case 11:
        m_measuring = false;
        ShowIdleButtons();
        m_done = false;
        if (value >= 0 && value < static_cast<LPARAM>(sizeof kFailureTexts / sizeof kFailureTexts[0]))
            SetTips(kFailureTexts[value]);
        break;
    default:
        break;
    }
}

void CAutoCalWnd::OnRecord(WPARAM kind, const void* record) {
    if (kind == DSP_IRC_DISTANCE) {
        const auto* r = static_cast<const IrcDistanceRecord*>(record);
        if (r->channel >= kChannels) return;
        const std::wstring name = L"ch_" + std::to_wstring(r->channel) + L": ";
        // The layout names every distance label; one missing is skipped rather than relied on.
        if (CControlUI* label = m_pm.FindControlByName(name.c_str())) {
            // The label may stand in a hidden cell that names its output: the cell shows with it.
            for (CControlUI* hidden = label; hidden && !hidden->IsVisible(); hidden = hidden->GetParent())
                hidden->SetVisible(true);
            PageControls::SetNumber(label, L"%f", r->distance);
        }
    } else if (kind == DSP_IRC_EQ) {
        const auto* r = static_cast<const IrcEqRecord*>(record);
        LogPrintW(L"message DSP_IRC_EQ\n");
        LogPrintW(L"ch(%d), band(%d), freq=%d, Q=%1.2f, Gain=%.2f\n", r->channel, r->band, r->freq, r->q, r->gain);
        if (r->channel >= kChannels || r->band >= static_cast<uint32_t>(m_bandCounts[r->channel])) return;
        // Held to what the page's band controls accept, so a garbled reply cannot bend the curve.
        m_resultBands[r->channel][r->band] =
            EqBand(ClampFinite(r->gain, MinBandGain, MaxBandGain, 0.0f), ClampFinite(r->q, MinQ, MaxQ, MinQ),
                   ClampInt(r->freq, MinBandFreq, MaxBandFreq), 1);
        if (r->band >= 10) {
            LogPrintW(L"update EQ response\n");
            ComputeEqCurve(static_cast<int>(r->channel));
            ShowEqCurves();
            LogPrintW(L"update EQ response end\n");
        }
    } else if (kind == DSP_IRC_SPECTRUM) {
        const auto* r = static_cast<const IrcSpectrumRecord*>(record);
        if (r->channel >= kChannels || r->band >= kSpectrumPoints) return;
        EqBand& point = m_spectrumPoints[r->channel][r->band];
        point.gain = r->gain;
        point.freq = static_cast<int32_t>(r->freq);
        if (r->band == kSpectrumPoints - 1) {
            CopySpectrum(static_cast<int>(r->channel));
            ShowSpectra();
        }
    }
}
