#pragma once
// UIEqualizerAc: the read-only plot of the automatic calibration (element "CurveAc"): per output a
// measured spectrum (121 points, a smooth solid curve) and the equalizer response computed from the
// result (512 points, dashed), from 20 Hz to 20 kHz and +20 dB to -20 dB. It takes no mouse input and
// follows its position at every paint. Sizes are plain pixels, not DPI-scaled.
#include "CurvePlot.h"
#include "UIControl.h"

namespace SkinUI {

// The display's mapping for a plot rectangle, in single precision.
struct TCalibrationGeometry {
    static constexpr int kTopGain = 20;
    static constexpr int kBottomGain = -20;

    RECT plot = {};
    explicit TCalibrationGeometry(const RECT& rect = RECT{}) : plot(rect) {}
    float CentreY() const;  // halfway down, on integers
    float FreqToX(double freq) const;
    float GainToY(double gain) const;
};

class UIEqualizerAc : public CControlUI {
public:
    static constexpr int kMaxCurves = 16;
    static constexpr int kResponsePoints = 512;
    static constexpr int kSpectrumPoints = 121;

    UIEqualizerAc();
    ~UIEqualizerAc() override;

    const wchar_t* GetClass() const override { return L"UIEqualizerAc"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetText(const wchar_t* text) override;
    void DoEvent(TUIEvent& event) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    virtual bool IsAutoCalcWidth() const { return m_text.autoCalcWidth; }
    virtual void SetAutoCalcWidth(bool autoWidth) { m_text.autoCalcWidth = autoWidth; }

    // Each: count curves of freqs and gains, output after output; shown holds count bytes. The fourth
    // argument is not used.
    void SetCurves(const double* freqs, const double* gains, int count, int ignored, const BYTE* shown);
    void SetCurves121(const double* freqs, const double* gains, int count, int ignored, const BYTE* shown);
    void SetCurvesSet3(const double* freqs, const double* gains, int count, int ignored, const BYTE* shown);

    const TCurveTextStyle& TextStyle() const { return m_text; }
    int GetCurveCount(int set) const;  // set 1, 2 or 3
    static DWORD ResponseColor(int index);  // set 1
    static DWORD SpectrumColor(int index);  // set 2

private:
    struct CurveSet;
    void Store(CurveSet& set, const double* freqs, const double* gains, int count, const BYTE* shown);
    void PaintGrid(HDC hdc, const TCalibrationGeometry& geometry);

    TCurveTextStyle m_text;
    RECT m_plot = {};
    CurveSet* m_responses;  // set 1
    CurveSet* m_spectra;    // set 2
    CurveSet* m_third;      // set 3
};

}  // namespace SkinUI
