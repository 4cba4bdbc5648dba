#pragma once
// What the equalizer curve and the calibration display share: the plot's colours, the text-style
// attributes both accept, the running-midpoint smoothing of a response curve and its GDI+ drawing.
#include "UIRenderSurface.h"
#include "UIString.h"

#include <windows.h>

namespace Gdiplus {
class GpGraphics;
}

#include <cmath>
#include <vector>

namespace SkinUI {

// The plot recedes behind the curves: grid and frame in the border colour, 0 dB a step brighter.
constexpr DWORD kCurveGridColor = 0xFF353B45;
constexpr DWORD kCurveZeroLineColor = 0xFF5C6570;

// The common frequency grid (20 Hz on the left edge; 20000 Hz, the right edge, is not drawn).
constexpr int kCurveFreqGrid[28] = {20,  30,  40,  50,   60,   70,   80,   90,   100,  200,  300,  400,  500,  600,
                                    700, 800, 900, 1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000};

// Text attributes shared by both curve controls: DrawText flags, font, colours, padding, auto width.
struct TCurveTextStyle {
    UINT style = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    int font = -1;
    DWORD textColor = 0xFF444444;
    DWORD disabledTextColor = 0;
    RECT padding = {};
    bool autoCalcWidth = false;
};

// Applies one text attribute (align, valign, endellipsis, wordbreak, noprefix, font, textcolor,
// disabledtextcolor, textpadding, autocalcwidth); false when the name is none of them.
bool ApplyCurveTextAttribute(TCurveTextStyle& text, const wchar_t* name, const wchar_t* value);

// Colours of a "curvecolor" value: "#AARRGGBB #AARRGGBB ..."; at most `capacity` are kept.
int ParseCurveColors(const wchar_t* value, DWORD* colors, int capacity);

// Collects the plot points of one curve, walking from its last point down to the first. A point is used
// when its frequency lies in [minFreq, maxFreq] and is not 0; map gives its (x, y) in pixels.
// Smoothed: each point drawn is the midpoint of the new point and the previously drawn one, and a
// point left of `left` repeats the previous one.
template <typename Map>
std::vector<POINT> CollectCurvePoints(const double* freqs, const double* gains, int count, double minFreq,
                                      double maxFreq, bool smoothed, int left, Map map);

enum class CurveStroke { Bezier, Cardinal };

// The drawing surface of one paint of a curve plot, clipped to `clip` (curves far below the plot's floor
// must not spill over the neighbouring controls). Solid Bezier curves are flattened and drawn
// anti-aliased straight into a 32-bit off-screen target; dashed and cardinal curves, and other targets,
// go through GDI+ with anti-aliasing, made only when one of them is drawn.
class CCurveCanvas {
public:
    CCurveCanvas(HDC hdc, const RECT& clip);
    ~CCurveCanvas();
    CCurveCanvas(const CCurveCanvas&) = delete;
    CCurveCanvas& operator=(const CCurveCanvas&) = delete;

    // Bezier: cubic segments over the points less the last one, trimmed to a whole number of segments;
    // otherwise a cardinal curve. Width in pixels.
    void DrawCurve(const std::vector<POINT>& points, DWORD color, float width, CurveStroke stroke, bool dashed,
                   bool dropLast);
    // A filled disc with a ring inside the box: GDI+'s anti-aliased ellipses, drawn once per look and
    // kept as a picture.
    void DrawDisc(const RECT& box, DWORD fill, DWORD ring, float ringWidth);

private:
    Gdiplus::GpGraphics* Graphics();

    HDC m_hdc;
    RECT m_clip;
    Gdiplus::GpGraphics* m_graphics = nullptr;
};

// The cubic Bezier run (a start point and three points per segment) as a polyline of short chords.
std::vector<TStrokePoint> FlattenBeziers(const POINT* points, int count);

// ---- template body

template <typename Map>
std::vector<POINT> CollectCurvePoints(const double* freqs, const double* gains, int count, double minFreq,
                                      double maxFreq, bool smoothed, int left, Map map) {
    std::vector<POINT> points;
    points.reserve(count > 0 ? count : 0);
    bool started = false;
    double rx = 0, ry = 0;
    for (int i = count - 1; i >= 0; --i) {
        const double f = freqs[i];
        if (f == 0 || f < minFreq || f > maxFreq) continue;
        double px = 0, py = 0;
        map(f, gains[i], px, py);
        if (!smoothed) {
            points.push_back({static_cast<LONG>(lround(px)), static_cast<LONG>(lround(py))});
            continue;
        }
        if (px < left) {
            // Below the plot's first frequency: hold the last drawn point (nothing yet: nothing to hold).
            if (!started) continue;
        } else if (!started) {
            rx = px;
            ry = py;
            started = true;
        } else {
            rx = (px + rx) / 2;
            ry = (py + ry) / 2;
        }
        points.push_back({static_cast<LONG>(lround(rx)), static_cast<LONG>(lround(ry))});
    }
    return points;
}

}  // namespace SkinUI
