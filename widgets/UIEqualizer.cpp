#include "UIEqualizer.h"

#include "UIAttributes.h"
#include "UIDpi.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UITextResource.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace SkinUI {

namespace {

const double kLogMinFreq = std::log10(static_cast<double>(MinFreq));
const double kLogSpan = std::log10(static_cast<double>(MaxFreq)) - kLogMinFreq;

constexpr int kGainGrid[5] = {-15, -10, -5, 5, 10};

// Band numbers, the selected band in the accent colour (the plot keeps red for nothing), and the
// caption of an untouched equalizer.
constexpr DWORD kBandTextColor = 0xFFE6E8EB;
constexpr DWORD kSelectedColor = 0xFFF6CE1D;
constexpr DWORD kCaptionColor = 0x77777777;
constexpr DWORD kDefaultCurrentCurveColor = 0xFF00C000;
constexpr DWORD kDefaultOtherCurveColor = 0xFF646464;
constexpr DWORD kPlotFallbackColor = 0xFF111418;
// The other outputs' curves stay behind the shown one: thinner and their colour a little faded into the
// plot (mixed beforehand: an opaque pen draws several times faster than a translucent one).
constexpr DWORD kOtherCurveStrength = 0xB0;

// Lowest and highest frequency of a response point worth plotting.
constexpr double kCurveMinFreq = MinFreq - 10;
constexpr double kCurveMaxFreq = MaxFreq + 100;

void SetCursorShape(const wchar_t* id) { ::SetCursor(LoadCursorW(nullptr, id)); }

// The opaque colour of `top` laid over `bottom` at strength 0..255.
DWORD MixColors(DWORD top, DWORD bottom, DWORD strength) {
    DWORD mixed = 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8) {
        const DWORD a = (top >> shift) & 0xFF, b = (bottom >> shift) & 0xFF;
        mixed |= ((a * strength + b * (255 - strength) + 127) / 255) << shift;
    }
    return mixed;
}

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

void Trace(const wchar_t* format, int a, double b, double c) {
    wchar_t line[128];
    swprintf(line, 128, format, a, b, c);
    OutputDebugStringW(line);
}

}  // namespace

// ---- geometry

float TEqualizerGeometry::CentreY() const {
    return static_cast<float>(plot.top + Height() * kTopGain / (kTopGain - kBottomGain));
}

int TEqualizerGeometry::FreqToX(double freq) const {
    if (!(freq > 0)) return plot.left;
    return static_cast<int>(plot.left + Width() * (std::log10(freq) - kLogMinFreq) / kLogSpan);
}

int TEqualizerGeometry::XToFreq(int x) const {
    if (Width() == 0) return MinFreq;
    const double exponent = (x - plot.left) * kLogSpan / Width() + kLogMinFreq;
    return static_cast<int>(std::lround(std::pow(10.0, exponent)));
}

int TEqualizerGeometry::GainToY(float gain) const {
    const float c = CentreY();
    if (gain > 0) {
        const float product = (c - plot.top) * gain;
        return static_cast<int>(c - std::round(product) / static_cast<double>(kTopGain));
    }
    if (gain < 0) {
        const float product = (plot.bottom - c) * gain;
        return static_cast<int>(c - std::round(product) / static_cast<double>(-kBottomGain));
    }
    return static_cast<int>(c);
}

float TEqualizerGeometry::YToGain(int y) const {
    const float c = CentreY();
    const float fy = static_cast<float>(y);
    if (fy < c) return c - plot.top > 0 ? kTopGain * (c - fy) / (c - plot.top) : 0.0f;
    if (fy > c) return plot.bottom - c > 0 ? kBottomGain * (fy - c) / (plot.bottom - c) : 0.0f;
    return 0.0f;
}

POINT TEqualizerGeometry::ClampToPlot(POINT point) const {
    point.x = std::min(std::max(point.x, plot.left), plot.right);
    point.y = std::min(std::max(point.y, plot.top), plot.bottom);
    return point;
}

float TEqualizerGeometry::QFromDragDistance(int x, int pointX) const {
    const int distance = std::min(std::max(std::abs(x - pointX), Px(3)), Px(162));
    if (distance <= 0) return MaxQ;
    const float q = static_cast<float>(scale * 81 / 100) / static_cast<float>(distance);
    return std::min(std::max(q, MinQ), MaxQ);
}

void TEqualizerGeometry::PlaceHorizontally(int x, int half, int full, RECT& rect) const {
    rect.left = x - half;
    rect.right = x + half;
    if (x < plot.left + half) {
        rect.left = plot.left;
        rect.right = plot.left + full;
    } else if (x > plot.right - half) {
        rect.left = plot.right - full;
        rect.right = plot.right;
    }
}

RECT TEqualizerGeometry::BandPointRect(POINT point) const {
    RECT rect;
    const int half = Px(8), full = Px(16);
    PlaceHorizontally(point.x, half, full, rect);
    rect.top = point.y - half;
    rect.bottom = point.y + half;
    if (point.y < plot.top + half) {
        rect.top = plot.top;
        rect.bottom = plot.top + full;
    } else if (point.y > plot.bottom - half) {
        rect.top = plot.bottom - full;
        rect.bottom = plot.bottom;
    }
    return rect;
}

RECT TEqualizerGeometry::LabelRect(POINT point, int half) const {
    RECT rect;
    PlaceHorizontally(point.x, Px(half), Px(2 * half), rect);
    const int a = Px(14), b = Px(29), e = Px(10);
    const int y = point.y;
    if (y < plot.top + a) {
        rect.top = plot.top + Px(22);
        rect.bottom = plot.top + Px(37);
    } else if (y > plot.bottom - b && y < plot.bottom - e) {
        rect.top = y - b;  // above the point
        rect.bottom = y - a;
    } else if (y < plot.bottom - e) {
        rect.top = y + a;  // below the point
        rect.bottom = y + b;
    } else {
        rect.top = plot.bottom - Px(37);
        rect.bottom = plot.bottom - Px(22);
    }
    return rect;
}

RECT TEqualizerGeometry::BandInfoRect(POINT point) const { return LabelRect(point, 75); }
RECT TEqualizerGeometry::GainLabelRect(POINT point) const { return LabelRect(point, 25); }

void TEqualizerGeometry::QHandleRects(POINT point, float q, RECT& left, RECT& right) const {
    q = std::min(std::max(q, MinQ), MaxQ);
    const int d = static_cast<int>(std::round(81.0 / q) * scale / 100);
    const int h = Px(4);
    left.left = point.x - d - h;
    left.right = point.x - d + h;
    right.left = point.x + d - h;
    right.right = point.x + d + h;
    int top, bottom;
    if (point.y < plot.top + Px(14)) {
        top = plot.top + Px(12);
        bottom = plot.top + Px(20);
    } else if (point.y > plot.bottom - Px(29) && point.y < plot.bottom - Px(10)) {
        top = point.y - Px(12);
        bottom = point.y - h;
    } else if (point.y < plot.bottom - Px(10)) {
        top = point.y + h;
        bottom = point.y + Px(12);
    } else {
        top = plot.bottom - Px(20);
        bottom = plot.bottom - Px(12);
    }
    left.top = right.top = top;
    left.bottom = right.bottom = bottom;
}

RECT TEqualizerGeometry::MarkerRect(int freq, int top, int height) const {
    const int x = FreqToX(freq);
    const int half = Px(7), full = Px(14);
    RECT rect;
    rect.left = std::max(static_cast<int>(plot.left), x - half);
    rect.right = x + half;
    if (x - half < plot.left) rect.right = plot.left + full;
    if (rect.right > plot.right) {
        rect.left = plot.right - full;
        rect.right = plot.right;
    }
    rect.top = top;
    rect.bottom = top + height;
    return rect;
}

RECT TEqualizerGeometry::HpMarkerRect(int freq) const { return MarkerRect(freq, GainToY(-8), Px(10)); }
RECT TEqualizerGeometry::LpMarkerRect(int freq) const { return MarkerRect(freq, GainToY(-11), Px(10) + 2); }

// ---- control

UIEqualizer::UIEqualizer() {}

void* UIEqualizer::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"Curve") == 0) return this;
    return CControlUI::GetInterface(name);
}

UINT UIEqualizer::GetControlFlags() const { return IsEnabled() ? static_cast<UINT>(UIFLAG_SETCURSOR) : 0u; }

void UIEqualizer::SetText(const wchar_t* text) {
    CControlUI::SetText(text);
    if (m_text.autoCalcWidth) NeedParentUpdate();
}

int UIEqualizer::DpiPercent() const { return m_pManager ? m_pManager->GetDpiScaler()->GetScale() : 100; }

EqBand UIEqualizer::GetBand(int index) const {
    return index >= 0 && index < kMaxBands ? m_bands[index] : EqBand();
}

DWORD UIEqualizer::GetCurveColor(int index) const {
    return index >= 0 && index < m_curveColorCount ? m_curveColors[index] : 0;
}

POINT UIEqualizer::GetBandPoint(int index) const {
    return index >= 0 && index < m_bandCount ? m_bandPoints[index] : POINT{};
}

RECT UIEqualizer::GetBandPointRect(int index) const {
    return index >= 0 && index < m_bandCount ? m_bandRects[index] : RECT{};
}

void UIEqualizer::SetCurEqBand(const EqBand* bands, int count, int selected) {
    m_plot = m_rcItem;
    m_bandCount = bands ? std::min(std::max(count, 0), static_cast<int>(kMaxBands)) : 0;
    m_allFlat = true;
    for (int i = 0; i < m_bandCount; ++i) {
        m_bands[i] = EqBand(bands[i].gain, bands[i].factor, bands[i].freq, bands[i].enable);
        if (m_bands[i].gain != 0) m_allFlat = false;
    }
    mCurrentControlIndex = selected;
    if (selected >= 0 && selected < m_bandCount) SelectBand(selected);
    RefreshBandLabel();
}

void UIEqualizer::setCurEqHpLp(int hpFreq, int lpFreq) {
    auto shown = [](int freq) { return freq >= MinFreq && freq <= MaxFreq; };
    mHpFreq = shown(hpFreq) ? hpFreq : -1;
    mLpFreq = shown(lpFreq) ? lpFreq : -1;
    RefreshMarkers(Geometry());
}

void UIEqualizer::SetEqResponse(const double* freqs, const double* gains, int count, int current, const int* shown) {
    if (count <= 0 || !freqs || !gains) return;
    const int newCount = std::min(count, static_cast<int>(kMaxCurves));
    // The curves behind the shown one mostly stay as they are while its bands are dragged.
    bool othersChanged = newCount != m_curveCount || current != m_current;
    bool currentChanged = othersChanged;
    for (int i = 0; i < kMaxCurves; ++i) {
        const bool show = i < newCount && shown && shown[i] != 0;
        Curve fresh{};
        if (i < newCount) {
            std::memcpy(fresh.freqs, freqs + i * CurvePoints, sizeof(fresh.freqs));
            std::memcpy(fresh.gains, gains + i * CurvePoints, sizeof(fresh.gains));
        }
        if (i != current && (show != m_curveShown[i] || (show && std::memcmp(&fresh, &m_curves[i], sizeof fresh) != 0)))
            othersChanged = true;
        if (i == current && (show != m_curveShown[i] || std::memcmp(&fresh, &m_curves[i], sizeof fresh) != 0))
            currentChanged = true;
        m_curveShown[i] = show;
        m_curves[i] = fresh;
    }
    m_curveCount = newCount;
    m_current = current;
    if (othersChanged) ++m_otherCurvesVersion;
    if (currentChanged) ++m_currentCurveVersion;
    Invalidate();
}

void UIEqualizer::SelectBand(int index) {
    mCurrentControlIndex = index;
    CUIString text;
    text.Format(L"%d", index);
    SetUserData(text.Data());
}

void UIEqualizer::Raise(const wchar_t* type) {
    if (m_pManager) m_pManager->RaiseNotify(this, type, 0, 0, false);
}

void UIEqualizer::RefreshBandLabel() {
    m_plot = m_rcItem;
    const TEqualizerGeometry geometry = Geometry();
    if (geometry.Height() != 0 && geometry.Width() != 0 && geometry.CentreY() != 0) m_layoutValid = true;
    for (int i = 0; i < m_bandCount; ++i) {
        m_bandPoints[i] = {geometry.FreqToX(m_bands[i].freq), geometry.GainToY(m_bands[i].gain)};
        m_bandRects[i] = geometry.BandPointRect(m_bandPoints[i]);
        m_bandLabels[i].Format(L"%d", i + 1);
    }
    RefreshSelection();
}

void UIEqualizer::RefreshSelection() {
    const TEqualizerGeometry geometry = Geometry();
    if (HasSelection()) {
        const int i = mCurrentControlIndex;
        const EqBand& band = m_bands[i];
        m_bandRects[i] = geometry.BandPointRect(m_bandPoints[i]);
        if (m_dragAllDirection) {
            CUIString q;
            q.Format(L"%0.2f", band.factor);
            m_selectedLabel.Format(L"%d Hz %ls Q %.1f dB", band.freq, q.Data(), band.gain);
            m_selectedLabelRect = geometry.BandInfoRect(m_bandPoints[i]);
            geometry.QHandleRects(m_bandPoints[i], band.factor, m_qHandleRects[0], m_qHandleRects[1]);
        } else {
            m_selectedLabel.Format(L"%.1f dB", band.gain);
            m_selectedLabelRect = geometry.GainLabelRect(m_bandPoints[i]);
        }
    }
    RefreshMarkers(geometry);
}

void UIEqualizer::RefreshMarkers(const TEqualizerGeometry& geometry) {
    m_hpMarkerRect = mHpFreq != -1 ? geometry.HpMarkerRect(mHpFreq) : RECT{};
    m_lpMarkerRect = mLpFreq != -1 ? geometry.LpMarkerRect(mLpFreq) : RECT{};
}

// ---- mouse

void UIEqualizer::DoEvent(TUIEvent& event) {
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
        OnButtonDown(event.ptMouse);
        break;
    case UIEVENT_MOUSEMOVE:
        OnMouseMove(event.ptMouse);
        return;
    case UIEVENT_BUTTONUP:
        OnButtonUp(event.ptMouse);
        break;
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

void UIEqualizer::OnButtonDown(POINT point) {
    m_pressPoint = point;
    m_movedSincePress = false;
    if (m_dragAllDirection && HasSelection() &&
        (PtInRect(&m_qHandleRects[0], point) || PtInRect(&m_qHandleRects[1], point))) {
        SetCursorShape(IDC_SIZEWE);
        m_capture = FACTOR_CAPTURED;
        return;
    }
    for (int i = 0; i < m_bandCount; ++i) {
        if (!PtInRect(&m_bandRects[i], point)) continue;
        SetCursorShape(m_dragAllDirection ? IDC_SIZEALL : IDC_SIZENS);
        SelectBand(i);
        m_capture = INDEX_CAPTURED;
        Invalidate();
        return;
    }
    if (mHpFreq != -1 && PtInRect(&m_hpMarkerRect, point)) {
        SetCursorShape(IDC_SIZEWE);
        mCurrentControlIndex = -1;
        m_capture = HP_CAPTURED;
        Invalidate();
    } else if (mLpFreq != -1 && PtInRect(&m_lpMarkerRect, point)) {
        SetCursorShape(IDC_SIZEWE);
        mCurrentControlIndex = -1;
        m_capture = LP_CAPTURED;
        Invalidate();
    }
}

void UIEqualizer::HoverOver(POINT point) {
    for (int i = 0; i < m_bandCount; ++i) {
        if (!PtInRect(&m_bandRects[i], point)) continue;
        SetCursorShape(IDC_HAND);
        if (i != mCurrentControlIndex) {
            SelectBand(i);
            Raise(L"equalizer_eq");
            Invalidate();
        }
        return;
    }
    const bool onHandle = m_dragAllDirection && HasSelection() &&
                          (PtInRect(&m_qHandleRects[0], point) || PtInRect(&m_qHandleRects[1], point));
    const bool onMarker = (mHpFreq != -1 && PtInRect(&m_hpMarkerRect, point)) ||
                          (mLpFreq != -1 && PtInRect(&m_lpMarkerRect, point));
    if (onHandle || onMarker) SetCursorShape(IDC_SIZEWE);
}

void UIEqualizer::OnMouseMove(POINT point) {
    if (m_capture == kNone) {
        HoverOver(point);
        return;
    }
    // A move report that has not left the press point changes nothing (see OnButtonUp).
    if (!SamePoint(point, m_pressPoint)) m_movedSincePress = true;
    if (!m_movedSincePress) return;
    const TEqualizerGeometry geometry = Geometry();
    point = geometry.ClampToPlot(point);
    if (m_capture == INDEX_CAPTURED && HasSelection()) {
        const int i = mCurrentControlIndex;
        EqBand& band = m_bands[i];
        if (m_dragAllDirection) m_bandPoints[i].x = point.x;
        m_bandPoints[i].y = point.y;
        const int freq = geometry.XToFreq(point.x);
        const float gain = geometry.YToGain(point.y);
        bool changed = false;
        if (std::fabs(gain - band.gain) > 0.001f) {
            band.gain = gain;
            changed = true;
        }
        if (m_dragAllDirection && freq != band.freq) {
            band.freq = freq;
            changed = true;
        }
        m_bandRects[i] = geometry.BandPointRect(m_bandPoints[i]);
        if (changed) {
            Trace(L"equalizer drag band %d: %.0f Hz %.2f dB\n", i, band.freq, band.gain);
            Raise(L"equalizer_eq");
            Invalidate();
        }
    } else if (m_capture == FACTOR_CAPTURED && HasSelection()) {
        EqBand& band = m_bands[mCurrentControlIndex];
        const float q = geometry.QFromDragDistance(point.x, m_bandPoints[mCurrentControlIndex].x);
        if (std::fabs(q - band.factor) >= 0.01f) {
            band.factor = q;
            Trace(L"equalizer drag Q of band %d: %.2f\n", mCurrentControlIndex, q, 0);
            Raise(L"equalizer_eq");
            Invalidate();
        }
    } else if (m_capture == HP_CAPTURED) {
        // A hidden low-pass marker sets no limit.
        const int freq = geometry.XToFreq(point.x);
        const int limit = mLpFreq != -1 ? mLpFreq : MaxFreq + 1;
        if (freq < limit && freq != mHpFreq) {
            mHpFreq = freq;
            RefreshMarkers(geometry);
            Raise(L"equalizer_hp");
            Invalidate();
        }
    } else if (m_capture == LP_CAPTURED) {
        const int freq = geometry.XToFreq(point.x);
        const int limit = mHpFreq != -1 ? mHpFreq : MinFreq - 1;
        if (freq > limit && freq != mLpFreq) {
            mLpFreq = freq;
            RefreshMarkers(geometry);
            Raise(L"equalizer_lp");
            Invalidate();
        }
    }
}

void UIEqualizer::OnButtonUp(POINT point) {
    if (m_capture == kNone) return;
    if (!SamePoint(point, m_pressPoint)) m_movedSincePress = true;
    const TEqualizerGeometry geometry = Geometry();
    point = geometry.ClampToPlot(point);
    // A click that never moved keeps the values: the pixel grid is coarser than the stored values.
    const bool apply = m_movedSincePress;
    const int capture = m_capture;
    m_capture = kNone;
    if (capture == INDEX_CAPTURED && HasSelection()) {
        const int i = mCurrentControlIndex;
        if (apply) {
            if (m_dragAllDirection) {
                m_bandPoints[i].x = point.x;
                m_bands[i].freq = geometry.XToFreq(point.x);
            }
            m_bandPoints[i].y = point.y;
            m_bands[i].gain = geometry.YToGain(point.y);
            m_bandRects[i] = geometry.BandPointRect(m_bandPoints[i]);
        }
        Raise(L"equalizer_eq");
        SetCursorShape(IDC_HAND);
    } else if (capture == FACTOR_CAPTURED && HasSelection()) {
        if (apply) m_bands[mCurrentControlIndex].factor = geometry.QFromDragDistance(point.x, m_bandPoints[mCurrentControlIndex].x);
        Raise(L"equalizer_eq");
        SetCursorShape(IDC_ARROW);
    } else if (capture == HP_CAPTURED) {
        const int freq = geometry.XToFreq(point.x);
        if (apply && freq < (mLpFreq != -1 ? mLpFreq : MaxFreq + 1)) mHpFreq = freq;
        RefreshMarkers(geometry);
        Raise(L"equalizer_hp");
        SetCursorShape(IDC_ARROW);
    } else if (capture == LP_CAPTURED) {
        const int freq = geometry.XToFreq(point.x);
        if (apply && freq > (mHpFreq != -1 ? mHpFreq : MinFreq - 1)) mLpFreq = freq;
        RefreshMarkers(geometry);
        Raise(L"equalizer_lp");
        SetCursorShape(IDC_ARROW);
    }
    Invalidate();
}

// ---- painting

bool UIEqualizer::DoPaint(HDC hdc, const RECT&, CControlUI* stopControl) {
    // A control that moved or changed size (a new DPI, a new window size) lays out again.
    if (!m_layoutValid || !EqualRect(&m_plot, &m_rcItem))
        RefreshBandLabel();
    else
        RefreshSelection();
    const TEqualizerGeometry geometry = Geometry();
    // Over an opaque plot the window's own paints use kept pictures; a paint that stops at a control (a
    // drag picture) draws afresh and leaves them as they are.
    if ((GetAdjustColor(m_dwBackColor) >> 24) != 0xFF) {
        m_picture.Release();
        m_stillLayers.Release();
    } else if (!stopControl) {
        if (m_capture == kNone ? PaintKeptPicture(hdc, geometry) : PaintOverKeptLayers(hdc, geometry)) return true;
    }
    PaintStillLayers(hdc, geometry);
    PaintMovingParts(hdc, geometry);
    return true;
}

// Between drags nothing on the plot changes from one paint to the next but what its key holds.
bool UIEqualizer::PaintKeptPicture(HDC hdc, const TEqualizerGeometry& geometry) {
    m_stillLayers.Release();
    const TPictureKey key = PictureKey(geometry);
    if (!m_picture.IsValid() || !(m_pictureKey == key)) {
        HDC picture = m_picture.Begin(m_plot);
        if (!picture) return false;
        PaintStillLayers(picture, geometry);
        PaintMovingParts(picture, geometry);
        m_picture.End();
        m_pictureKey = key;
    }
    m_picture.CopyTo(hdc);
    return true;
}

// A drag changes the shown curve, a disc and the labels at each step: only they are drawn over the kept
// still layers.
bool UIEqualizer::PaintOverKeptLayers(HDC hdc, const TEqualizerGeometry& geometry) {
    const TPlotLayersKey key = StillLayersKey(geometry);
    if (!m_stillLayers.IsValid() || !(m_stillKey == key)) {
        HDC layers = m_stillLayers.Begin(m_plot);
        if (!layers) return false;
        PaintStillLayers(layers, geometry);
        m_stillLayers.End();
        m_stillKey = key;
    }
    m_stillLayers.CopyTo(hdc);
    PaintMovingParts(hdc, geometry);
    return true;
}

// The shown curve, the band discs and numbers, the selected band's label and handles, the markers.
void UIEqualizer::PaintMovingParts(HDC hdc, const TEqualizerGeometry& geometry) {
    {
        CCurveCanvas canvas(hdc, m_plot);
        PaintCurrentCurve(canvas, geometry);
        PaintBandDiscs(canvas);
    }
    PaintBands(hdc);
    PaintMarkers(hdc);
}

UIEqualizer::TPictureKey UIEqualizer::PictureKey(const TEqualizerGeometry& geometry) const {
    TPictureKey key;
    key.still = StillLayersKey(geometry);
    key.currentCurveVersion = m_currentCurveVersion;
    key.font = m_pManager ? m_pManager->GetFontHandle(m_text.font) : nullptr;
    key.bandCount = m_bandCount;
    std::copy(m_bandRects, m_bandRects + m_bandCount, key.bandRects);
    if (HasSelection()) {
        key.selected = mCurrentControlIndex;
        key.selectedLabel = m_selectedLabel;
        key.selectedLabelRect = m_selectedLabelRect;
        key.dragAllDirection = m_dragAllDirection;
        if (m_dragAllDirection) std::copy(m_qHandleRects, m_qHandleRects + 2, key.qHandleRects);
    }
    if (mHpFreq != -1) key.hpMarkerRect = m_hpMarkerRect;
    if (mLpFreq != -1) key.lpMarkerRect = m_lpMarkerRect;
    key.capture = m_capture;
    return key;
}

TPlotLayersKey UIEqualizer::StillLayersKey(const TEqualizerGeometry& geometry) const {
    TPlotLayersKey key;
    key.plot = m_plot;
    key.scale = geometry.scale;
    key.fill = GetAdjustColor(m_dwBackColor);
    key.logo = m_curveLogo;
    if (m_curveLogo.IsEmpty() && m_allFlat) {
        key.caption = CTextResource::GetInstance()->GetText(L"${all_bypass}");
        key.captionFont = m_pManager ? m_pManager->GetFontHandle(m_bypassFont) : nullptr;
    }
    key.textStyle = m_text.style;
    key.curvesVersion = m_otherCurvesVersion;
    key.curveColorCount = m_curveColorCount;
    for (int i = 0; i < kMaxCurveColors; ++i) key.curveColors[i] = i < m_curveColorCount ? m_curveColors[i] : 0;
    return key;
}

// Fill, grid, the caption or logo, and the other outputs' curves.
// Over an opaque colour every pixel of the plot is painted, from the kept layers or afresh.
void UIEqualizer::CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const {
    if ((GetAdjustColor(m_dwBackColor) >> 24) != 0xFF) return;
    RECT part;
    if (IntersectRect(&part, &m_rcItem, &within)) cover.push_back(part);
}

void UIEqualizer::PaintStillLayers(HDC hdc, const TEqualizerGeometry& geometry) {
    // The logo is drawn whole, whatever part of the window this paint covers.
    const CUIRect paint = m_rcPaint;
    m_rcPaint = m_plot;
    CUIRender::DrawColor(hdc, m_plot, GetAdjustColor(m_dwBackColor));
    PaintGrid(hdc, geometry);
    if (!m_curveLogo.IsEmpty())
        DrawImage(hdc, m_curveLogo.Data());
    else if (m_allFlat)
        PaintCaption(hdc);
    m_rcPaint = paint;
    CCurveCanvas canvas(hdc, m_plot);
    PaintOtherCurves(canvas, geometry);
}

void UIEqualizer::PaintGrid(HDC hdc, const TEqualizerGeometry& geometry) {
    const RECT& p = m_plot;
    const int width = std::max(1, geometry.scale / 100);
    CUIRender::DrawRect(hdc, p, width, kCurveGridColor, PS_SOLID);
    for (int gain : kGainGrid) {
        const int y = geometry.GainToY(static_cast<float>(gain));
        CUIRender::DrawLine(hdc, RECT{p.left, y, p.right, y}, width, kCurveGridColor, PS_DOT);
    }
    for (int freq : kCurveFreqGrid) {
        if (freq >= MaxFreq) continue;
        const int x = geometry.FreqToX(freq);
        CUIRender::DrawLine(hdc, RECT{x, p.top, x, p.bottom}, width, kCurveGridColor, PS_SOLID);
    }
    // 0 dB last, so that the grid's columns do not notch it.
    const int c = static_cast<int>(geometry.CentreY());
    CUIRender::DrawLine(hdc, RECT{p.left, c, p.right, c}, width, kCurveZeroLineColor, PS_SOLID);
}

void UIEqualizer::PaintCaption(HDC hdc) {
    const CUIString text = CTextResource::GetInstance()->GetText(L"${all_bypass}");
    RECT rect = {m_plot.left, m_plot.top + Geometry().Px(40), m_plot.right, m_plot.bottom};
    CUIRender::DrawText(hdc, m_pManager, rect, text.Data(), kCaptionColor, m_bypassFont, m_text.style);
}

namespace {

auto CurveMap(const TEqualizerGeometry& geometry) {
    return [&geometry](double f, double g, double& x, double& y) {
        x = geometry.FreqToX(f);
        // Far below the plot (a crossover's floor) is as good as just below it.
        y = geometry.GainToY(static_cast<float>(std::max(g, -100.0)));
    };
}

}  // namespace

void UIEqualizer::PaintOtherCurves(CCurveCanvas& canvas, const TEqualizerGeometry& geometry) {
    const float scale = geometry.scale / 100.0f;
    const int current = m_current >= 0 && m_current < kMaxCurves ? m_current : -1;
    for (int i = 0; i < m_curveCount; ++i) {
        if (!m_curveShown[i] || i == current) continue;
        const Curve& curve = m_curves[i];
        const std::vector<POINT> points = CollectCurvePoints(curve.freqs, curve.gains, CurvePoints, kCurveMinFreq,
                                                             kCurveMaxFreq, true, m_plot.left, CurveMap(geometry));
        const DWORD color = i < m_curveColorCount ? m_curveColors[i] : kDefaultOtherCurveColor;
        canvas.DrawCurve(points, MixColors(color, PlotColor(), kOtherCurveStrength), 1.0f * scale,
                         CurveStroke::Bezier, false, true);
    }
}

void UIEqualizer::PaintCurrentCurve(CCurveCanvas& canvas, const TEqualizerGeometry& geometry) {
    const float scale = geometry.scale / 100.0f;
    const int current = m_current >= 0 && m_current < kMaxCurves ? m_current : -1;
    if (current < 0) return;
    const Curve& curve = m_curves[current];
    const std::vector<POINT> points = CollectCurvePoints(curve.freqs, curve.gains, CurvePoints, kCurveMinFreq,
                                                         kCurveMaxFreq, false, m_plot.left, CurveMap(geometry));
    const DWORD color = current < m_curveColorCount ? m_curveColors[current] : kDefaultCurrentCurveColor;
    canvas.DrawCurve(points, color, 2.0f * scale, CurveStroke::Bezier, false, true);
}

// A disc in the plot colour under each number keeps it readable where it sits on a curve.
void UIEqualizer::PaintBandDiscs(CCurveCanvas& canvas) {
    const DWORD ringColor = m_current >= 0 && m_current < m_curveColorCount ? m_curveColors[m_current]
                                                                            : kDefaultCurrentCurveColor;
    const float ringWidth = static_cast<float>(std::max(1, DpiPercent() / 100));
    for (int i = 0; i < m_bandCount; ++i)
        canvas.DrawDisc(m_bandRects[i], PlotColor(), i == mCurrentControlIndex ? kSelectedColor : ringColor, ringWidth);
}

DWORD UIEqualizer::PlotColor() const { return m_dwBackColor ? GetAdjustColor(m_dwBackColor) : kPlotFallbackColor; }

void UIEqualizer::PaintBands(HDC hdc) {
    for (int i = 0; i < m_bandCount; ++i) {
        RECT rect = m_bandRects[i];
        const DWORD color = i == mCurrentControlIndex ? kSelectedColor : kBandTextColor;
        CUIRender::DrawText(hdc, m_pManager, rect, m_bandLabels[i].Data(), color, m_text.font, m_text.style);
    }
    if (!HasSelection()) return;
    RECT label = m_selectedLabelRect;
    RECT extent = label;
    CUIRender::DrawText(hdc, m_pManager, extent, m_selectedLabel.Data(), kSelectedColor, m_text.font,
                        (m_text.style & ~(DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM)) | DT_CALCRECT);
    const int textWidth = extent.right - extent.left;
    RECT backing = label;
    if ((m_text.style & DT_CENTER) && textWidth < label.right - label.left) {
        backing.left = label.left + (label.right - label.left - textWidth) / 2 - 3;
        backing.right = backing.left + textWidth + 6;
    }
    CUIRender::DrawColor(hdc, backing, PlotColor());
    CUIRender::DrawText(hdc, m_pManager, label, m_selectedLabel.Data(), kSelectedColor, m_text.font, m_text.style);
    if (!m_dragAllDirection) return;
    const int width = std::max(1, DpiPercent() / 100);
    for (const RECT& handle : m_qHandleRects) CUIRender::DrawRect(hdc, handle, width, kSelectedColor, PS_SOLID);
}

void UIEqualizer::PaintMarkers(HDC hdc) {
    if (mHpFreq != -1) {
        RECT rect = m_hpMarkerRect;
        const DWORD color = m_capture == HP_CAPTURED ? kSelectedColor : kBandTextColor;
        CUIRender::DrawText(hdc, m_pManager, rect, L"H", color, m_text.font, m_text.style);
    }
    if (mLpFreq != -1) {
        RECT rect = m_lpMarkerRect;
        const DWORD color = m_capture == LP_CAPTURED ? kSelectedColor : kBandTextColor;
        CUIRender::DrawText(hdc, m_pManager, rect, L"L", color, m_text.font, m_text.style);
    }
}

// ---- kept still layers

bool UIEqualizer::TPictureKey::operator==(const TPictureKey& o) const {
    return still == o.still && currentCurveVersion == o.currentCurveVersion && font == o.font &&
           bandCount == o.bandCount && std::memcmp(bandRects, o.bandRects, sizeof bandRects) == 0 &&
           selected == o.selected && selectedLabel == o.selectedLabel &&
           EqualRect(&selectedLabelRect, &o.selectedLabelRect) && dragAllDirection == o.dragAllDirection &&
           std::memcmp(qHandleRects, o.qHandleRects, sizeof qHandleRects) == 0 &&
           EqualRect(&hpMarkerRect, &o.hpMarkerRect) && EqualRect(&lpMarkerRect, &o.lpMarkerRect) &&
           capture == o.capture;
}

bool TPlotLayersKey::operator==(const TPlotLayersKey& o) const {
    return EqualRect(&plot, &o.plot) && scale == o.scale && fill == o.fill && captionFont == o.captionFont &&
           caption == o.caption && logo == o.logo && textStyle == o.textStyle && curvesVersion == o.curvesVersion &&
           curveColorCount == o.curveColorCount &&
           std::memcmp(curveColors, o.curveColors, sizeof curveColors) == 0;
}

HDC CPlotLayers::Begin(const RECT& plot) {
    m_valid = false;
    const SIZE size = {plot.right - plot.left, plot.bottom - plot.top};
    if (size.cx <= 0 || size.cy <= 0 || size.cx > 8192 || size.cy > 8192) return nullptr;
    if (!m_bitmap || size.cx != m_size.cx || size.cy != m_size.cy) {
        Release();
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.cx, -size.cy, 1, 32, BI_RGB};
        void* bits = nullptr;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!m_dc || !m_bitmap) {
            Release();
            return nullptr;
        }
        m_oldBitmap = SelectObject(m_dc, m_bitmap);
        RememberTopDownBitmap(m_bitmap, bits);
        m_size = size;
    }
    PatBlt(m_dc, 0, 0, size.cx, size.cy, BLACKNESS);
    SetWindowOrgEx(m_dc, plot.left, plot.top, nullptr);
    m_plot = plot;
    return m_dc;
}

void CPlotLayers::End() {
    SetWindowOrgEx(m_dc, 0, 0, nullptr);
    SelectClipRgn(m_dc, nullptr);
    GdiFlush();
    m_valid = true;
}

void CPlotLayers::CopyTo(HDC hdc) const {
    if (!m_valid) return;
    BitBlt(hdc, m_plot.left, m_plot.top, m_size.cx, m_size.cy, m_dc, 0, 0, SRCCOPY);
}

void CPlotLayers::Release() {
    if (m_bitmap) ForgetTopDownBitmap(m_bitmap);
    if (m_dc && m_oldBitmap) SelectObject(m_dc, m_oldBitmap);
    if (m_bitmap) DeleteObject(m_bitmap);
    if (m_dc) DeleteDC(m_dc);
    m_dc = nullptr;
    m_bitmap = nullptr;
    m_oldBitmap = nullptr;
    m_size = {};
    m_valid = false;
}

// ---- attributes

void UIEqualizer::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (ApplyCurveTextAttribute(m_text, name, value)) {
        if (EqualsIgnoreCase(name, L"font") || EqualsIgnoreCase(name, L"textcolor") ||
            EqualsIgnoreCase(name, L"textpadding"))
            Invalidate();
    } else if (EqualsIgnoreCase(name, L"bypassfont")) {
        m_bypassFont = ParseInt(value);
    } else if (EqualsIgnoreCase(name, L"curvecolor")) {
        m_curveColorCount = ParseCurveColors(value, m_curveColors, kMaxCurveColors);
    } else if (EqualsIgnoreCase(name, L"curvelogo")) {
        m_curveLogo = value ? value : L"";
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
