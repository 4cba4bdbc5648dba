#include "CurvePlot.h"

#include "UIAttributes.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace SkinUI {

using namespace Gdiplus;

namespace {

bool Contains(const wchar_t* value, const wchar_t* word) { return value && wcsstr(value, word) != nullptr; }

void SetBits(UINT& style, UINT set, UINT clear) { style = (style & ~clear) | set; }

}  // namespace

bool ApplyCurveTextAttribute(TCurveTextStyle& text, const wchar_t* name, const wchar_t* value) {
    auto is = [name](const wchar_t* attribute) { return EqualsIgnoreCase(name, attribute); };
    UINT& style = text.style;
    if (is(L"align")) {
        if (Contains(value, L"left")) SetBits(style, 0, DT_CENTER | DT_RIGHT);
        if (Contains(value, L"center")) SetBits(style, DT_CENTER, DT_RIGHT);
        if (Contains(value, L"right")) SetBits(style, DT_RIGHT, DT_CENTER);
    } else if (is(L"valign")) {
        if (Contains(value, L"top")) SetBits(style, DT_SINGLELINE, DT_VCENTER | DT_BOTTOM | DT_WORDBREAK);
        if (Contains(value, L"vcenter")) SetBits(style, DT_VCENTER | DT_SINGLELINE, DT_BOTTOM | DT_WORDBREAK);
        if (Contains(value, L"bottom")) SetBits(style, DT_BOTTOM | DT_SINGLELINE, DT_VCENTER | DT_WORDBREAK);
    } else if (is(L"endellipsis")) {
        IsTrue(value) ? SetBits(style, DT_END_ELLIPSIS, 0) : SetBits(style, 0, DT_END_ELLIPSIS);
    } else if (is(L"wordbreak")) {
        if (IsTrue(value))
            SetBits(style, DT_WORDBREAK | DT_EDITCONTROL, DT_SINGLELINE);
        else
            SetBits(style, DT_SINGLELINE, DT_WORDBREAK | DT_EDITCONTROL);
    } else if (is(L"noprefix")) {
        IsTrue(value) ? SetBits(style, DT_NOPREFIX, 0) : SetBits(style, 0, DT_NOPREFIX);
    } else if (is(L"font")) {
        text.font = ParseInt(value);
    } else if (is(L"textcolor")) {
        text.textColor = ParseColor(value);
    } else if (is(L"disabledtextcolor")) {
        text.disabledTextColor = ParseColor(value);
    } else if (is(L"textpadding")) {
        text.padding = ParseRect(value);
    } else if (is(L"autocalcwidth")) {
        text.autoCalcWidth = IsTrue(value);
    } else {
        return false;
    }
    return true;
}

int ParseCurveColors(const wchar_t* value, DWORD* colors, int capacity) {
    if (!value) return 0;
    const wchar_t* at = value;
    if (*at == L'#') ++at;
    int count = 0;
    while (count < capacity) {
        colors[count++] = ParseColor(at);
        const wchar_t* next = wcsstr(at, L" #");
        if (!next) break;
        at = next + 2;
    }
    return count;
}

CCurveCanvas::CCurveCanvas(HDC hdc, const RECT& clip) : m_hdc(hdc), m_clip(clip) {}

CCurveCanvas::~CCurveCanvas() {
    if (m_graphics) DllExports::GdipDeleteGraphics(m_graphics);
}

GpGraphics* CCurveCanvas::Graphics() {
    if (m_graphics || !m_hdc) return m_graphics;
    if (DllExports::GdipCreateFromHDC(m_hdc, &m_graphics) != Ok) {
        m_graphics = nullptr;
        return nullptr;
    }
    DllExports::GdipSetSmoothingMode(m_graphics, SmoothingModeAntiAlias);
    DllExports::GdipSetClipRectI(m_graphics, m_clip.left, m_clip.top, m_clip.right - m_clip.left,
                                 m_clip.bottom - m_clip.top, CombineModeIntersect);
    return m_graphics;
}

std::vector<TStrokePoint> FlattenBeziers(const POINT* points, int count) {
    std::vector<TStrokePoint> line;
    if (!points || count < 1) return line;
    line.reserve(static_cast<size_t>(count) * 3);
    line.push_back({static_cast<float>(points[0].x), static_cast<float>(points[0].y)});
    for (int i = 1; i + 2 < count; i += 3) {
        const float x0 = static_cast<float>(points[i - 1].x), y0 = static_cast<float>(points[i - 1].y);
        const float x1 = static_cast<float>(points[i].x), y1 = static_cast<float>(points[i].y);
        const float x2 = static_cast<float>(points[i + 1].x), y2 = static_cast<float>(points[i + 1].y);
        const float x3 = static_cast<float>(points[i + 2].x), y3 = static_cast<float>(points[i + 2].y);
        // Chords of about two pixels along the control polygon keep within a tenth of a pixel of the
        // curve for the gentle segments of a response curve.
        const float polygon = std::hypot(x1 - x0, y1 - y0) + std::hypot(x2 - x1, y2 - y1) + std::hypot(x3 - x2, y3 - y2);
        const int steps = std::min(256, std::max(1, static_cast<int>(std::ceil(std::min(polygon, 1e5f) / 2))));
        for (int k = 1; k <= steps; ++k) {
            const float t = static_cast<float>(k) / steps, u = 1 - t;
            const float a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
            line.push_back({a * x0 + b * x1 + c * x2 + d * x3, a * y0 + b * y1 + c * y2 + d * y3});
        }
    }
    return line;
}

void CCurveCanvas::DrawCurve(const std::vector<POINT>& points, DWORD color, float width, CurveStroke stroke,
                             bool dashed, bool dropLast) {
    int count = static_cast<int>(points.size()) - (dropLast ? 1 : 0);
    // A Bezier run is one start point and three per segment; a ragged tail would make GDI+ refuse it all.
    if (stroke == CurveStroke::Bezier && count > 0) count -= (count - 1) % 3;
    if (count < 2) return;
    if (stroke == CurveStroke::Bezier && !dashed) {
        const std::vector<TStrokePoint> line = FlattenBeziers(points.data(), count);
        if (StrokePolylineAntiAliased(m_hdc, line.data(), static_cast<int>(line.size()), width, color, m_clip)) return;
    }
    GpGraphics* graphics = Graphics();
    if (!graphics) return;
    GpPen* pen = nullptr;
    if (DllExports::GdipCreatePen1(color, width, UnitWorld, &pen) != Ok) return;
    if (dashed) DllExports::GdipSetPenDashStyle(pen, DashStyleDash);
    static_assert(sizeof(Point) == sizeof(POINT), "GDI+ points are two ints");
    const auto* data = reinterpret_cast<const Point*>(points.data());
    if (stroke == CurveStroke::Bezier)
        DllExports::GdipDrawBeziersI(graphics, pen, data, count);
    else
        DllExports::GdipDrawCurveI(graphics, pen, data, count);
    DllExports::GdipDeletePen(pen);
}

namespace {

// A disc as drawn: its box, colours and ring width. The place belongs to it: GDI+ rounds an ellipse's
// outline a little differently at different places, so a picture is only good where it was drawn.
struct TDiscLook {
    RECT box;
    DWORD fill, ring;
    float ringWidth;

    bool operator==(const TDiscLook& o) const {
        return EqualRect(&box, &o.box) && fill == o.fill && ring == o.ring && ringWidth == o.ringWidth;
    }
};

// Room around the box for the ring's outer half and the anti-aliased edge.
constexpr int kDiscMargin = 3;

void DrawDiscShape(GpGraphics* graphics, const TDiscLook& look) {
    const REAL x = static_cast<REAL>(look.box.left) + 0.5f, y = static_cast<REAL>(look.box.top) + 0.5f;
    const REAL w = static_cast<REAL>(look.box.right - look.box.left) - 1.0f;
    const REAL h = static_cast<REAL>(look.box.bottom - look.box.top) - 1.0f;
    GpSolidFill* brush = nullptr;
    if (DllExports::GdipCreateSolidFill(look.fill, &brush) == Ok) {
        DllExports::GdipFillEllipse(graphics, brush, x, y, w, h);
        DllExports::GdipDeleteBrush(brush);
    }
    GpPen* pen = nullptr;
    if (DllExports::GdipCreatePen1(look.ring, look.ringWidth, UnitWorld, &pen) == Ok) {
        DllExports::GdipDrawEllipse(graphics, pen, x, y, w, h);
        DllExports::GdipDeletePen(pen);
    }
}

// Draws the disc with GDI+ on a device context, as the plot's own drawing does and at the same place
// (the bitmap's corner is moved there), once over black and once over white: the two results give each
// pixel's coverage and premultiplied colour exactly.
bool DrawDiscPicture(const TDiscLook& look, int width, int height, TShapePicture& picture) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool drawn = dc && bitmap;
    std::vector<DWORD> overBlack;
    if (drawn) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        auto* pixels = static_cast<DWORD*>(bits);
        const size_t count = static_cast<size_t>(width) * height;
        for (DWORD ground : {0xFF000000u, 0xFFFFFFFFu}) {
            std::fill_n(pixels, count, ground);
            SetViewportOrgEx(dc, kDiscMargin - look.box.left, kDiscMargin - look.box.top, nullptr);
            GpGraphics* graphics = nullptr;
            if (DllExports::GdipCreateFromHDC(dc, &graphics) != Ok) {
                drawn = false;
                break;
            }
            DllExports::GdipSetSmoothingMode(graphics, SmoothingModeAntiAlias);
            DrawDiscShape(graphics, look);
            DllExports::GdipDeleteGraphics(graphics);
            GdiFlush();
            if (ground == 0xFF000000u) overBlack.assign(pixels, pixels + count);
        }
        if (drawn) {
            picture.width = width;
            picture.height = height;
            picture.pixels.resize(count);
            for (size_t i = 0; i < count; ++i) {
                const DWORD black = overBlack[i], white = pixels[i];
                // Over white each channel gains 255 x (1 - coverage).
                int gained = 0;
                for (int shift = 0; shift < 24; shift += 8)
                    gained = std::max(gained, static_cast<int>((white >> shift) & 0xFF) - static_cast<int>((black >> shift) & 0xFF));
                const DWORD alpha = static_cast<DWORD>(255 - std::min(255, std::max(0, gained)));
                DWORD pixel = alpha << 24;
                for (int shift = 0; shift < 24; shift += 8) pixel |= std::min((black >> shift) & 0xFF, alpha) << shift;
                picture.pixels[i] = alpha ? pixel : 0;
            }
        }
        SelectObject(dc, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return drawn;
}

// The pictures of the discs a plot shows; a drag moves one of them at a time.
const TShapePicture* DiscPicture(const TDiscLook& look) {
    struct TEntry {
        TDiscLook look;
        TShapePicture picture;
    };
    static std::vector<TEntry> entries;
    static size_t next = 0;
    for (const TEntry& entry : entries)
        if (entry.look == look) return &entry.picture;
    const int boxWidth = look.box.right - look.box.left, boxHeight = look.box.bottom - look.box.top;
    if (boxWidth <= 0 || boxHeight <= 0 || boxWidth > 512 || boxHeight > 512 || !(look.ringWidth < 64)) return nullptr;
    TEntry entry = {look, {}};
    if (!DrawDiscPicture(look, boxWidth + 2 * kDiscMargin, boxHeight + 2 * kDiscMargin, entry.picture)) return nullptr;
    const size_t kEntries = 96;  // three plots' worth of 31 bands
    if (entries.size() < kEntries) {
        entries.push_back(std::move(entry));
        return &entries.back().picture;
    }
    TEntry& slot = entries[next];
    next = (next + 1) % kEntries;
    slot = std::move(entry);
    return &slot.picture;
}

}  // namespace

void CCurveCanvas::DrawDisc(const RECT& box, DWORD fill, DWORD ring, float ringWidth) {
    const TDiscLook look = {box, fill, ring, ringWidth};
    if (const TShapePicture* picture = DiscPicture(look)) {
        CUIScratchSurface::Blend(m_hdc, box.left - kDiscMargin, box.top - kDiscMargin, *picture, &m_clip);
        return;
    }
    if (GpGraphics* graphics = Graphics()) DrawDiscShape(graphics, look);
}

}  // namespace SkinUI
