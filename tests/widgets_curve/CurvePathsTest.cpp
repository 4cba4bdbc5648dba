// The equalizer plot's fast drawing against the GDI+ drawing it replaces, on equal 32-bit canvases:
// response curves flattened and drawn anti-aliased straight into the pixels, band discs blended from
// kept pictures.
#include "CurvePlot.h"
#include "UIManager.h"

#include <objidl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

using namespace SkinUI;
using namespace Gdiplus;

namespace {

class Canvas {
public:
    Canvas(int width, int height, DWORD fill) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        bits_ = static_cast<DWORD*>(bits);
        std::fill_n(bits_, static_cast<size_t>(width) * height, fill);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    DWORD At(int x, int y) const {
        GdiFlush();
        return bits_[static_cast<size_t>(y) * width_ + x];
    }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    DWORD* bits_;
    int width_, height_;
};

class CurvePaths : public ::testing::Test {
protected:
    CPaintManagerUI manager;  // starts GDI+
};

// How much of the colour a pixel shows over the background, 0..1, read from the channel in which
// they differ most.
double Coverage(DWORD pixel, DWORD background, DWORD color) {
    int best = 0, shift = 0;
    for (int s = 0; s < 24; s += 8) {
        const int d = std::abs(static_cast<int>((color >> s) & 0xFF) - static_cast<int>((background >> s) & 0xFF));
        if (d > best) best = d, shift = s;
    }
    const double c = (color >> shift) & 0xFF, b = (background >> shift) & 0xFF, p = (pixel >> shift) & 0xFF;
    return std::min(1.0, std::max(0.0, (p - b) / (c - b)));
}

// The length of the Bezier run (segments over the points less the last, trimmed to whole segments)
// inside the rectangle, measured along the curve in small steps.
double LengthWithin(const std::vector<POINT>& p, int count, const RECT& r) {
    double length = 0;
    for (int i = 1; i + 2 < count; i += 3)
        for (int k = 0; k < 64; ++k) {
            auto at = [&](double t, double& x, double& y) {
                const double u = 1 - t;
                x = u * u * u * p[i - 1].x + 3 * u * u * t * p[i].x + 3 * u * t * t * p[i + 1].x + t * t * t * p[i + 2].x;
                y = u * u * u * p[i - 1].y + 3 * u * u * t * p[i].y + 3 * u * t * t * p[i + 1].y + t * t * t * p[i + 2].y;
            };
            double x0, y0, x1, y1;
            at(k / 64.0, x0, y0);
            at((k + 1) / 64.0, x1, y1);
            if (x0 >= r.left && x0 < r.right && y0 >= r.top && y0 < r.bottom) length += std::hypot(x1 - x0, y1 - y0);
        }
    return length;
}

// "" when every pixel the reference inks lies within a pixel of one the fast path covers by a quarter or
// more, every pixel the fast path covers by half or more lies within a pixel of one the reference inks,
// and the fast path lays down the ink of its width along the curve's length (within a tenth: the
// reference, not anti-aliased under Wine, cannot tell that); else what failed.
std::string CompareStrokes(const Canvas& fast, const Canvas& reference, DWORD background, DWORD color,
                           double expectedInk) {
    const int w = fast.width(), h = fast.height();
    std::vector<double> a(static_cast<size_t>(w) * h), b(a.size());
    double ink = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            ink += a[static_cast<size_t>(y) * w + x] = Coverage(fast.At(x, y), background, color);
            b[static_cast<size_t>(y) * w + x] = Coverage(reference.At(x, y), background, color);
        }
    auto inkNear = [&](const std::vector<double>& cover, int x, int y, double least) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int u = x + dx, v = y + dy;
                if (u >= 0 && v >= 0 && u < w && v < h && cover[static_cast<size_t>(v) * w + u] >= least) return true;
            }
        return false;
    };
    char text[120];
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (b[static_cast<size_t>(y) * w + x] > 0.1 && !inkNear(a, x, y, 0.25)) {
                snprintf(text, sizeof text, "(%d, %d) inked by GDI+ has no line beside it", x, y);
                return text;
            }
            if (a[static_cast<size_t>(y) * w + x] >= 0.5 && !inkNear(b, x, y, 0.1)) {
                snprintf(text, sizeof text, "(%d, %d) is far from the GDI+ curve", x, y);
                return text;
            }
        }
    if (expectedInk < 20 || std::fabs(ink - expectedInk) > 0.1 * expectedInk) {
        snprintf(text, sizeof text, "ink %.1f instead of %.1f", ink, expectedInk);
        return text;
    }
    return "";
}

void ReferenceBeziers(HDC dc, const std::vector<POINT>& points, int count, DWORD color, float width, const RECT& clip) {
    GpGraphics* graphics = nullptr;
    ASSERT_EQ(DllExports::GdipCreateFromHDC(dc, &graphics), Ok);
    DllExports::GdipSetSmoothingMode(graphics, SmoothingModeAntiAlias);
    DllExports::GdipSetClipRectI(graphics, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top,
                                 CombineModeIntersect);
    GpPen* pen = nullptr;
    DllExports::GdipCreatePen1(color, width, UnitWorld, &pen);
    DllExports::GdipDrawBeziersI(graphics, pen, reinterpret_cast<const Point*>(points.data()), count);
    DllExports::GdipDeletePen(pen);
    DllExports::GdipDeleteGraphics(graphics);
}

// Response-like point lists: a gentle wave, a steep crossover slope running out of the plot, a flat line.
std::vector<std::vector<POINT>> SampleCurves() {
    std::vector<std::vector<POINT>> curves(3);
    for (int i = 0; i < 301; ++i) {
        curves[0].push_back({10 + i, static_cast<LONG>(std::lround(60 + 30 * std::sin(i / 23.0) + 8 * std::sin(i / 5.0)))});
        curves[1].push_back({10 + i, static_cast<LONG>(std::lround(20 + 0.002 * i * i * (i > 150 ? 4 : 1)))});
        curves[2].push_back({10 + i, 100});
    }
    return curves;
}

}  // namespace

// Solid Bezier runs: the fast path draws the same curve as GDI+ (within a pixel, the same ink), whatever
// the pen width, and keeps within the plot; a ragged tail is dropped as before.
TEST_F(CurvePaths, BezierCurvesFollowGdiplus) {
    const DWORD background = 0xFF111418;
    const RECT clip = {5, 5, 300, 120};
    for (const std::vector<POINT>& points : SampleCurves())
        for (float width : {1.0f, 1.5f, 2.0f, 3.0f})
            for (DWORD color : {0xFF5AA9F0u, 0xFFF28E2Bu}) {
                Canvas fast(320, 130, background), reference(320, 130, background);
                {
                    CCurveCanvas canvas(fast.dc(), clip);
                    canvas.DrawCurve(points, color, width, CurveStroke::Bezier, false, true);
                }
                int count = static_cast<int>(points.size()) - 1;
                count -= (count - 1) % 3;
                ReferenceBeziers(reference.dc(), points, count, color, width, clip);
                const double ink = width * LengthWithin(points, count, clip);
                EXPECT_EQ(CompareStrokes(fast, reference, background, color, ink), "") << "width " << width;
                for (int y = 0; y < 130; ++y)
                    for (int x = 0; x < 320; ++x)
                        if (x < clip.left || x >= clip.right || y < clip.top || y >= clip.bottom)
                            ASSERT_EQ(fast.At(x, y), background) << x << "," << y;
            }
}

// The flattened run starts and ends where the Bezier run does and lies on its segments' ends.
TEST_F(CurvePaths, FlattenedBeziersKeepTheirEnds) {
    const std::vector<POINT> points = {{0, 0}, {10, 30}, {20, -30}, {30, 0}, {40, 10}, {50, 10}, {60, 0}};
    const std::vector<TStrokePoint> line = FlattenBeziers(points.data(), static_cast<int>(points.size()));
    ASSERT_GT(line.size(), 10u);
    EXPECT_EQ(line.front().x, 0.0f);
    EXPECT_EQ(line.back().x, 60.0f);
    EXPECT_EQ(line.back().y, 0.0f);
    const bool throughMiddle = std::any_of(line.begin(), line.end(), [](const TStrokePoint& p) { return p.x == 30 && p.y == 0; });
    EXPECT_TRUE(throughMiddle);
    // Each chord's middle lies within a tenth of a pixel of the curve.
    std::vector<TStrokePoint> curve;
    for (int i = 1; i + 2 < static_cast<int>(points.size()); i += 3)
        for (int k = 0; k <= 2000; ++k) {
            const float t = k / 2000.0f, u = 1 - t;
            const float a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            curve.push_back({a * points[i - 1].x + b * points[i].x + c * points[i + 1].x + d * points[i + 2].x,
                             a * points[i - 1].y + b * points[i].y + c * points[i + 1].y + d * points[i + 2].y});
        }
    for (size_t i = 1; i < line.size(); ++i) {
        const float mx = (line[i - 1].x + line[i].x) / 2, my = (line[i - 1].y + line[i].y) / 2;
        float nearest = 1e9f;
        for (const TStrokePoint& p : curve) nearest = std::min(nearest, std::hypot(p.x - mx, p.y - my));
        ASSERT_LT(nearest, 0.1f) << "chord " << i;
    }
    EXPECT_TRUE(FlattenBeziers(points.data(), 0).empty());
    EXPECT_EQ(FlattenBeziers(points.data(), 3).size(), 1u);  // no whole segment
}

// Band discs come from kept pictures: the pixels of GDI+ filling and ringing the ellipse on the target,
// for both looks of a plot, at two sizes, at the plot's edges (clipped there) and drawn again.
TEST_F(CurvePaths, DiscPicturesMatchGdiplus) {
    const DWORD background = 0xFF111418;
    const RECT clip = {4, 4, 196, 76};
    struct Disc {
        RECT box;
        DWORD ring;
        float ringWidth;
    };
    const Disc discs[] = {{{20, 20, 36, 36}, 0xFF5AA9F0, 1},  {{50, 30, 66, 46}, 0xFFF6CE1D, 1},
                          {{80, 10, 104, 34}, 0xFF5AA9F0, 1}, {{120, 40, 144, 64}, 0xFFF6CE1D, 2},
                          {{2, 50, 18, 66}, 0xFF5AA9F0, 1},   {{184, 66, 200, 82}, 0xFF5AA9F0, 1},
                          {{150, 5, 166, 21}, 0xFF5AA9F0, 1}};
    for (int round = 0; round < 2; ++round) {
        Canvas fast(200, 80, background), reference(200, 80, background);
        {
            CCurveCanvas canvas(fast.dc(), clip);
            for (const Disc& d : discs) canvas.DrawDisc(d.box, background, d.ring, d.ringWidth);
        }
        GpGraphics* graphics = nullptr;
        ASSERT_EQ(DllExports::GdipCreateFromHDC(reference.dc(), &graphics), Ok);
        DllExports::GdipSetSmoothingMode(graphics, SmoothingModeAntiAlias);
        DllExports::GdipSetClipRectI(graphics, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top,
                                     CombineModeIntersect);
        for (const Disc& d : discs) {
            const REAL x = d.box.left + 0.5f, y = d.box.top + 0.5f;
            const REAL w = d.box.right - d.box.left - 1.0f, h = d.box.bottom - d.box.top - 1.0f;
            GpSolidFill* brush = nullptr;
            DllExports::GdipCreateSolidFill(background, &brush);
            DllExports::GdipFillEllipse(graphics, brush, x, y, w, h);
            DllExports::GdipDeleteBrush(brush);
            GpPen* pen = nullptr;
            DllExports::GdipCreatePen1(d.ring, d.ringWidth, UnitWorld, &pen);
            DllExports::GdipDrawEllipse(graphics, pen, x, y, w, h);
            DllExports::GdipDeletePen(pen);
        }
        DllExports::GdipDeleteGraphics(graphics);
        int differing = 0, inked = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 200; ++x) {
                for (int shift = 0; shift < 32; shift += 8)
                    if (std::abs(static_cast<int>((fast.At(x, y) >> shift) & 0xFF) -
                                 static_cast<int>((reference.At(x, y) >> shift) & 0xFF)) > 1) {
                        ++differing;

                        break;
                    }
                inked += reference.At(x, y) != background;
            }
        EXPECT_EQ(differing, 0) << "round " << round;
        EXPECT_GT(inked, 200);
    }
}
