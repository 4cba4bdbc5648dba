#pragma once
// The auto-calibration window: the outputs to measure, what to correct (EQ, delay, phase) and the target
// sound; start and stop of the amplifier's microphone measurement, its progress, the measured distances,
// spectra and resulting EQ curves; and applying or discarding the result. The measurement runs in the
// amplifier; a worker (AutoCalWorker.h) starts and polls it, and the link brings its status and results
// here as WM_IRC_STATUS while this window is the link's calibration reply window.
#include "AutoCalWorker.h"
#include "SkinDialogWnd.h"
#include "model/Crossover.h"
#include "model/DspConfig.h"

#include <string>

class EqualizerManager;
class DeviceLink;

namespace SkinUI {
class CProgressUI;
class UIEqualizerAc;
}  // namespace SkinUI

// Opens the window (the owner minimised meanwhile) and returns 1 when a finished result was applied or
// discarded through the window, else 0. A 1 means the amplifier's configuration may have changed.
int ShowAutoCalWnd(HWND owner, EqualizerManager& controller);

class CAutoCalWnd : public CSkinDialogWnd {
public:
    static constexpr int kChannels = 10;
    static constexpr int kSpectrumPoints = 121;
    static constexpr int kEffects = 9;
    static constexpr UINT_PTR kLinkWatchTimer = 4115;  // notices a disconnect
    static constexpr DWORD kDisabledChannelColor = 0xFF888888;

    explicit CAutoCalWnd(EqualizerManager& controller);
    ~CAutoCalWnd() override;

    // The window now open, or null.
    static CAutoCalWnd* Current();
    // The worker's pause; tests shorten it.
    static int& PauseMs();

    void Notify(SkinUI::TNotifyMessage& msg) override;
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // ---- State, for tests ----
    bool IsMeasuring() const { return m_measuring; }
    bool IsDone() const { return m_done; }
    bool IsDecided() const { return m_decided; }
    uint16_t ChannelMask() const { return mIrcCh; }
    int Modules() const { return mIrcModel; }
    int EqMode() const { return m_eqMode; }
    const EqBand& ResultBand(int channel, int band) const { return m_resultBands[channel][band]; }
    const EqBand& SpectrumPoint(int channel, int point) const { return m_spectrumPoints[channel][point]; }
    const double* EqCurveGains(int channel) const { return m_eqGains[channel]; }
    bool CurveShown(int channel) const { return m_curveFlags[channel] != 0; }

protected:
    const wchar_t* GetWndClassName() const override { return L"AutoCalWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_AUTO_CAL"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    SkinUI::CControlUI* CreateControl(const wchar_t* className) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

private:
    void InitChannelBoxes();
    void ComputeEqCurve(int channel);
    void CopySpectrum(int channel);
    void ShowEqCurves();
    void ShowSpectra();
    void Route(SkinUI::TNotifyMessage& msg);
    void OnStartClick();
    uint16_t CheckedChannels() const;
    void StartMeasuring();
    void StopMeasuring();
    void OnResultClick(bool apply);
    void OnSelectChanged(const std::wstring& name, SkinUI::CControlUI* sender);
    void CloseAsked();
    void CloseOnDisconnect();
    void OnStatus(WPARAM status, LPARAM value);
    void OnRecord(WPARAM kind, const void* record);
    void SetTips(const wchar_t* text);
    void ShowIdleButtons();

    EqualizerManager& m_controller;
    DspConfig& m_config;
    DeviceLink& m_link;
    AutoCalShared m_shared;
    AutoCalWorker m_worker;

    SkinUI::UIEqualizerAc* m_display = nullptr;
    SkinUI::CControlUI* m_tips = nullptr;
    SkinUI::CProgressUI* m_progress = nullptr;
    SkinUI::CControlUI* m_startButton = nullptr;
    SkinUI::CControlUI* m_channelBoxes[kChannels] = {};
    SkinUI::CControlUI* m_effects[kEffects] = {};

    BYTE m_curveFlags[kChannels] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    BYTE m_noCurveFlags[kChannels] = {};
    EqBand m_resultBands[kChannels][BandSlotsPerOutput];
    int m_bandCounts[kChannels] = {};
    EqBand m_spectrumPoints[kChannels][kSpectrumPoints];
    double m_eqFreqs[kChannels][CurvePoints] = {};
    double m_eqGains[kChannels][CurvePoints] = {};
    double m_spectrumFreqs[kChannels][kSpectrumPoints] = {};
    double m_spectrumLevels[kChannels][kSpectrumPoints] = {};

    uint16_t mIrcCh = 0;
    int mIrcModel = 7;
    int m_eqMode = 0;
    bool m_measuring = false;  // started and not yet ended, failed or stopped
    bool m_done = false;
    bool m_decided = false;
    bool m_showEq = true;
    bool m_showSpectra = true;
    bool m_wasConnected = false;

    SKINUI_DECLARE_NOTIFY_MAP()
};
