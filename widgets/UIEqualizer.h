#pragma once
// UIEqualizer: the interactive equalizer plot of the main page (element "Curve"). It shows up to ten
// response curves from 20 Hz to 20 kHz (logarithmic) and +12 dB to -18 dB, the shown output's bands as
// numbered points, the selected band's value label and Q handles, and the crossover markers "H" and "L".
// Dragging changes the control's own copies and raises "equalizer_eq", "equalizer_hp" or "equalizer_lp";
// the owner reads the values back and redraws. The control never talks to the amplifier.
#include "CurvePlot.h"
#include "UIControl.h"
#include "model/Crossover.h"
#include "model/DspConfig.h"

namespace SkinUI {

// The plot's mapping between frequency / gain and pixels, for the plot rectangle and the DPI percent s.
struct TEqualizerGeometry {
    static constexpr int kTopGain = 12;
    static constexpr int kBottomGain = -18;

    RECT plot = {};
    int scale = 100;

    explicit TEqualizerGeometry(const RECT& rect = RECT{}, int dpiPercent = 100) : plot(rect), scale(dpiPercent) {}
    int Width() const { return plot.right - plot.left; }
    int Height() const { return plot.bottom - plot.top; }
    // y of 0 dB: 40 % down the plot, on integers.
    float CentreY() const;
    int Px(int n) const { return n * scale / 100; }  // n pixels at 100 %, scaled

    int FreqToX(double freq) const;
    int XToFreq(int x) const;  // 20 Hz on an empty plot
    int GainToY(float gain) const;
    float YToGain(int y) const;  // 0 dB on an empty half
    POINT ClampToPlot(POINT point) const;
    // Q from the handle's distance to its band point at x = pointX (3 to 162 px), within 0.5..9.
    float QFromDragDistance(int x, int pointX) const;

    RECT BandPointRect(POINT point) const;
    RECT BandInfoRect(POINT point) const;   // PEQ value label, 150 px wide
    RECT GainLabelRect(POINT point) const;  // GEQ value label, 50 px wide
    void QHandleRects(POINT point, float q, RECT& left, RECT& right) const;
    RECT HpMarkerRect(int freq) const;
    RECT LpMarkerRect(int freq) const;

private:
    // A box of `full` px centred on x, kept inside the plot horizontally.
    void PlaceHorizontally(int x, int half, int full, RECT& rect) const;
    RECT LabelRect(POINT point, int half) const;
    RECT MarkerRect(int freq, int top, int height) const;
};

// What decides the plot's still layers (fill, grid, caption or logo, the other outputs' curves).
struct TPlotLayersKey {
    RECT plot = {};
    int scale = 0;
    DWORD fill = 0;
    HFONT captionFont = nullptr;
    CUIString caption;  // shown only on an all-flat equalizer without a logo
    CUIString logo;
    UINT textStyle = 0;
    unsigned curvesVersion = 0;
    int curveColorCount = 0;
    DWORD curveColors[12] = {};

    bool operator==(const TPlotLayersKey& o) const;
};

// A 32-bit bitmap of the plot's size holding a kept picture of it (its still layers, or the whole plot),
// drawn again only when what it shows changes; its owner keeps what it was drawn from.
class CPlotLayers {
public:
    CPlotLayers() = default;
    CPlotLayers(const CPlotLayers&) = delete;
    CPlotLayers& operator=(const CPlotLayers&) = delete;
    ~CPlotLayers() { Release(); }

    // A DC over a cleared bitmap of the plot's size whose logical units are the window's (the plot's
    // top-left maps to the bitmap's corner); null when it cannot be made.
    HDC Begin(const RECT& plot);
    void End();  // the picture is drawn
    bool IsValid() const { return m_valid; }
    void CopyTo(HDC hdc) const;  // onto the plot's place, within hdc's clip
    void Forget() { m_valid = false; }
    void Release();

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    SIZE m_size = {};
    RECT m_plot = {};
    bool m_valid = false;
};

class UIEqualizer : public CControlUI {
public:
    static constexpr int kMaxBands = 31;
    static constexpr int kMaxCurves = 10;
    static constexpr int kMaxCurveColors = 12;

    enum CaptureState { kNone = 0, INDEX_CAPTURED = 1, FACTOR_CAPTURED = 2, HP_CAPTURED = 3, LP_CAPTURED = 4 };

    UIEqualizer();

    const wchar_t* GetClass() const override { return L"UIEqualizer"; }
    void* GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void SetText(const wchar_t* text) override;
    void DoEvent(TUIEvent& event) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) override;
    void CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    virtual bool IsAutoCalcWidth() const { return m_text.autoCalcWidth; }
    virtual void SetAutoCalcWidth(bool autoWidth) { m_text.autoCalcWidth = autoWidth; }

    // ---- the owner's operations (in this order when it redraws the shown output)
    void SetCurEqBand(const EqBand* bands, int count, int selected);
    void setCurEqHpLp(int hpFreq, int lpFreq);
    // freqs and gains hold count x 512 values, output after output; shown holds count flags.
    void SetEqResponse(const double* freqs, const double* gains, int count, int current, const int* shown);
    void SetDragAllDirection(bool peq) { m_dragAllDirection = peq; }

    // ---- read back after a notification
    int GetCurrentControlIndex() const { return mCurrentControlIndex; }
    EqBand GetBand(int index) const;  // a default band outside the table
    int GetBandCount() const { return m_bandCount; }
    int GetHpFreq() const { return mHpFreq; }
    int GetLpFreq() const { return mLpFreq; }
    bool IsDragAllDirection() const { return m_dragAllDirection; }

    // ---- state for tests and tools
    TEqualizerGeometry Geometry() const { return TEqualizerGeometry(m_plot, DpiPercent()); }
    const TCurveTextStyle& TextStyle() const { return m_text; }
    int GetBypassFont() const { return m_bypassFont; }
    int GetCurveColorCount() const { return m_curveColorCount; }
    DWORD GetCurveColor(int index) const;
    const CUIString& GetCurveLogo() const { return m_curveLogo; }
    int GetCaptureState() const { return m_capture; }
    bool IsAllFlat() const { return m_allFlat; }
    POINT GetBandPoint(int index) const;
    RECT GetBandPointRect(int index) const;
    const CUIString& GetSelectedLabel() const { return m_selectedLabel; }
    RECT GetSelectedLabelRect() const { return m_selectedLabelRect; }
    RECT GetQHandleRect(int side) const { return m_qHandleRects[side & 1]; }
    RECT GetHpMarkerRect() const { return m_hpMarkerRect; }
    RECT GetLpMarkerRect() const { return m_lpMarkerRect; }

private:
    struct Curve {
        double freqs[CurvePoints];
        double gains[CurvePoints];
    };

    int DpiPercent() const;
    void RefreshBandLabel();
    void RefreshSelection();
    void RefreshMarkers(const TEqualizerGeometry& geometry);
    void SelectBand(int index);
    bool HasSelection() const { return mCurrentControlIndex >= 0 && mCurrentControlIndex < m_bandCount; }
    void Raise(const wchar_t* type);

    void OnButtonDown(POINT point);
    void OnMouseMove(POINT point);
    void OnButtonUp(POINT point);
    void HoverOver(POINT point);

    // What decides the whole plot: the still layers and all drawn over them.
    struct TPictureKey {
        TPlotLayersKey still;
        unsigned currentCurveVersion = 0;
        HFONT font = nullptr;
        int bandCount = 0;
        RECT bandRects[kMaxBands] = {};
        int selected = -1;
        CUIString selectedLabel;
        RECT selectedLabelRect = {};
        bool dragAllDirection = false;
        RECT qHandleRects[2] = {};
        RECT hpMarkerRect = {};
        RECT lpMarkerRect = {};
        int capture = kNone;

        bool operator==(const TPictureKey& o) const;
    };

    TPlotLayersKey StillLayersKey(const TEqualizerGeometry& geometry) const;
    TPictureKey PictureKey(const TEqualizerGeometry& geometry) const;
    bool PaintKeptPicture(HDC hdc, const TEqualizerGeometry& geometry);
    bool PaintOverKeptLayers(HDC hdc, const TEqualizerGeometry& geometry);
    void PaintStillLayers(HDC hdc, const TEqualizerGeometry& geometry);
    void PaintMovingParts(HDC hdc, const TEqualizerGeometry& geometry);
    void PaintGrid(HDC hdc, const TEqualizerGeometry& geometry);
    void PaintCaption(HDC hdc);
    void PaintOtherCurves(CCurveCanvas& canvas, const TEqualizerGeometry& geometry);
    void PaintCurrentCurve(CCurveCanvas& canvas, const TEqualizerGeometry& geometry);
    void PaintBandDiscs(CCurveCanvas& canvas);
    void PaintBands(HDC hdc);
    DWORD PlotColor() const;
    void PaintMarkers(HDC hdc);

    EqBand m_bands[kMaxBands];
    int mHpFreq = -1;
    int mLpFreq = -1;
    TCurveTextStyle m_text;
    RECT m_plot = {};
    int m_current = 0;
    Curve m_curves[kMaxCurves] = {};
    bool m_curveShown[kMaxCurves] = {};
    int m_curveCount = 0;
    int m_bypassFont = -1;
    int m_curveColorCount = 0;
    DWORD m_curveColors[kMaxCurveColors] = {};
    bool m_layoutValid = false;
    int m_bandCount = 0;
    POINT m_bandPoints[kMaxBands] = {};
    RECT m_bandRects[kMaxBands] = {};
    CUIString m_bandLabels[kMaxBands];
    RECT m_selectedLabelRect = {};
    CUIString m_selectedLabel;
    RECT m_qHandleRects[2] = {};
    int m_capture = kNone;
    int mCurrentControlIndex = -1;
    bool m_dragAllDirection = false;
    CUIString m_curveLogo;
    RECT m_hpMarkerRect = {};
    RECT m_lpMarkerRect = {};
    bool m_allFlat = false;
    POINT m_pressPoint = {};  // where the captured drag began
    bool m_movedSincePress = false;
    unsigned m_otherCurvesVersion = 0;  // changes whenever a curve behind the shown one does
    unsigned m_currentCurveVersion = 0;  // changes whenever the shown curve does
    // Between drags the whole plot is kept; during one its still layers are kept apart instead.
    CPlotLayers m_picture;
    TPictureKey m_pictureKey;
    CPlotLayers m_stillLayers;
    TPlotLayersKey m_stillKey;
};

}  // namespace SkinUI
