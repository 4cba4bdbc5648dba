#include "UIEqualizerAc.h"

#include "UIRender.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace SkinUI {

namespace {

constexpr double kMinFreq = 20;
constexpr double kMaxFreq = 20000;
const double kLogMinFreq = std::log10(kMinFreq);
const double kLogSpan = std::log10(kMaxFreq) - kLogMinFreq;

constexpr int kGainGrid[6] = {-15, -10, -5, 5, 10, 15};

constexpr DWORD kResponseColors[16] = {0xFFFF0000, 0xFFFF8040, 0xFFFFFF37, 0xFFB7FF4A, 0xFF00AEAE, 0xFF0000E3,
                                       0xFF8600FF, 0xFFF00078, 0xFFFF6600, 0xFFFFFF00, 0xFFAAFF00, 0xFF00FF22,
                                       0xFF00FFFF, 0xFF0088FF, 0xFF0000FF, 0xFF8F00FF};
constexpr DWORD kSpectrumColors[16] = {0xFFEF0000, 0xFFEF7030, 0xFFEFEF27, 0xFFA7EF3A, 0xFF009E9E, 0xFF0000D3,
                                       0xFF7600EF, 0xFFE00068, 0xFFFF6600, 0xFFFFFF00, 0xFFAAFF00, 0xFF00FF22,
                                       0xFF00FFFF, 0xFF0088FF, 0xFF0000FF, 0xFF8F00FF};
constexpr DWORD kThirdSetColor = 0xFFE00068;
constexpr float kPenWidth = 2.0f;
constexpr int kSmallestPlot = 3;

}  // namespace

// Curves of one set; points per curve fixed by the set (512 or 121).
struct UIEqualizerAc::CurveSet {
    explicit CurveSet(int pointsPerCurve) : points(pointsPerCurve) {
        freqs.assign(kMaxCurves * points, 0.0);
        gains.assign(kMaxCurves * points, 0.0);
    }
    int points;
    std::vector<double> freqs;
    std::vector<double> gains;
    BYTE shown[kMaxCurves] = {};
    int count = 0;
};

float TCalibrationGeometry::CentreY() const {
    const int height = plot.bottom - plot.top;
    return static_cast<float>(plot.top + height * kTopGain / (kTopGain - kBottomGain));
}

float TCalibrationGeometry::FreqToX(double freq) const {
    if (!(freq > 0)) return static_cast<float>(plot.left);
    const float width = static_cast<float>(plot.right - plot.left);
    return plot.left + width * static_cast<float>((std::log10(freq) - kLogMinFreq) / kLogSpan);
}

float TCalibrationGeometry::GainToY(double gain) const {
    const float c = CentreY();
    const float g = static_cast<float>(gain);
    if (g > 0) return c - (c - plot.top) * g / kTopGain;
    if (g < 0) return c + (plot.bottom - c) * (-g) / kTopGain;
    return c;
}

UIEqualizerAc::UIEqualizerAc()
    : m_responses(new CurveSet(kResponsePoints)), m_spectra(new CurveSet(kSpectrumPoints)),
      m_third(new CurveSet(kResponsePoints)) {
    m_text.style = DT_VCENTER | DT_SINGLELINE;
}

UIEqualizerAc::~UIEqualizerAc() {
    delete m_responses;
    delete m_spectra;
    delete m_third;
}

void* UIEqualizerAc::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"Curve") == 0) return this;
    return CControlUI::GetInterface(name);
}

UINT UIEqualizerAc::GetControlFlags() const { return IsEnabled() ? static_cast<UINT>(UIFLAG_SETCURSOR) : 0u; }

void UIEqualizerAc::SetText(const wchar_t* text) {
    CControlUI::SetText(text);
    if (m_text.autoCalcWidth) NeedParentUpdate();
}

void UIEqualizerAc::DoEvent(TUIEvent& event) {
    if (event.Type == UIEVENT_SETFOCUS || event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = event.Type == UIEVENT_SETFOCUS;
        return;
    }
    CControlUI::DoEvent(event);
}

void UIEqualizerAc::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!ApplyCurveTextAttribute(m_text, name, value)) CControlUI::SetAttribute(name, value);
}

int UIEqualizerAc::GetCurveCount(int set) const {
    return set == 1 ? m_responses->count : set == 2 ? m_spectra->count : set == 3 ? m_third->count : 0;
}

DWORD UIEqualizerAc::ResponseColor(int index) { return kResponseColors[index & 15]; }
DWORD UIEqualizerAc::SpectrumColor(int index) { return kSpectrumColors[index & 15]; }

void UIEqualizerAc::Store(CurveSet& set, const double* freqs, const double* gains, int count, const BYTE* shown) {
    if (count <= 0 || !freqs || !gains) return;
    set.count = std::min(count, static_cast<int>(kMaxCurves));
    std::fill(set.freqs.begin(), set.freqs.end(), 0.0);
    std::fill(set.gains.begin(), set.gains.end(), 0.0);
    const size_t values = static_cast<size_t>(set.count) * set.points;
    // A value that is not a number is dropped: a frequency of 0 is never drawn, a gain of 0 is the centre.
    auto finite = [](double v) { return std::isfinite(v) ? v : 0.0; };
    std::transform(freqs, freqs + values, set.freqs.begin(), finite);
    std::transform(gains, gains + values, set.gains.begin(), finite);
    for (int i = 0; i < kMaxCurves; ++i) set.shown[i] = i < set.count && shown ? shown[i] : 0;
    Invalidate();
}

void UIEqualizerAc::SetCurves(const double* freqs, const double* gains, int count, int, const BYTE* shown) {
    Store(*m_responses, freqs, gains, count, shown);
}

void UIEqualizerAc::SetCurves121(const double* freqs, const double* gains, int count, int, const BYTE* shown) {
    Store(*m_spectra, freqs, gains, count, shown);
}

void UIEqualizerAc::SetCurvesSet3(const double* freqs, const double* gains, int count, int, const BYTE* shown) {
    Store(*m_third, freqs, gains, count, shown);
}

void UIEqualizerAc::PaintGrid(HDC hdc, const TCalibrationGeometry& geometry) {
    const RECT& p = m_plot;
    CUIRender::DrawRect(hdc, p, 1, kCurveGridColor, PS_SOLID);
    for (int gain : kGainGrid) {
        const int y = static_cast<int>(geometry.GainToY(gain));
        CUIRender::DrawLine(hdc, RECT{p.left, y, p.right, y}, 1, kCurveGridColor, PS_DOT);
    }
    for (int freq : kCurveFreqGrid) {
        if (freq >= kMaxFreq) continue;
        const int x = static_cast<int>(geometry.FreqToX(freq));
        CUIRender::DrawLine(hdc, RECT{x, p.top, x, p.bottom}, 1, kCurveGridColor, PS_SOLID);
    }
    const int c = static_cast<int>(geometry.CentreY());
    CUIRender::DrawLine(hdc, RECT{p.left, c, p.right, c}, 1, kCurveZeroLineColor, PS_SOLID);
}

bool UIEqualizerAc::DoPaint(HDC hdc, const RECT&, CControlUI*) {
    m_plot = m_rcItem;
    const TCalibrationGeometry geometry(m_plot);
    CUIRender::DrawColor(hdc, m_plot, GetAdjustColor(m_dwBackColor));
    // A plot too small to hold a grid line between its edges shows only its background.
    if (m_plot.right - m_plot.left < kSmallestPlot || m_plot.bottom - m_plot.top < kSmallestPlot) return true;
    PaintGrid(hdc, geometry);
    auto map = [&geometry](double f, double g, double& x, double& y) {
        x = geometry.FreqToX(f);
        y = geometry.GainToY(std::min(std::max(g, -100.0), 100.0));
    };
    auto curve = [](const CurveSet& set, int i, const double*& f, const double*& g) {
        f = set.freqs.data() + static_cast<size_t>(i) * set.points;
        g = set.gains.data() + static_cast<size_t>(i) * set.points;
    };
    const double *f, *g;
    CCurveCanvas canvas(hdc, m_plot);
    for (int i = 0; i < m_spectra->count; ++i) {
        if (!m_spectra->shown[i]) continue;
        curve(*m_spectra, i, f, g);
        const auto points = CollectCurvePoints(f, g, kSpectrumPoints, kMinFreq, kMaxFreq, false, m_plot.left, map);
        canvas.DrawCurve(points, kSpectrumColors[i], kPenWidth, CurveStroke::Cardinal, false, false);
    }
    for (int i = 0; i < m_responses->count; ++i) {
        if (!m_responses->shown[i]) continue;
        curve(*m_responses, i, f, g);
        const auto points = CollectCurvePoints(f, g, kResponsePoints, kMinFreq, kMaxFreq, true, m_plot.left, map);
        canvas.DrawCurve(points, kResponseColors[i], kPenWidth, CurveStroke::Bezier, true, true);
    }
    for (int i = 0; i < m_third->count; ++i) {
        if (!m_third->shown[i]) continue;
        curve(*m_third, i, f, g);
        const auto points = CollectCurvePoints(f, g, kResponsePoints, kMinFreq, kMaxFreq, true, m_plot.left, map);
        canvas.DrawCurve(points, kThirdSetColor, kPenWidth, CurveStroke::Cardinal, false, true);
    }
    return true;
}

}  // namespace SkinUI
