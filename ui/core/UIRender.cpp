#include "UIRender.h"

#include "UIImage.h"
#include "UIManager.h"
#include "UIRenderSurface.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace SkinUI {

using namespace Gdiplus;

namespace {

COLORREF ToColorRef(DWORD argb) {
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

BYTE Alpha(DWORD argb) { return static_cast<BYTE>(argb >> 24); }

// The rectangle's corners converted to device units: regions are always in device units.
HRGN DeviceRectRegion(HDC hdc, const RECT& rect) {
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    LPtoDP(hdc, corners, 2);
    return CreateRectRgn(corners[0].x, corners[0].y, corners[1].x, corners[1].y);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Clip guard. The previous clip is saved as the region itself (not its bounding box), so it comes back
// exactly, also under a window origin. On the window's off-screen picture the clip is also kept beside
// the DC as rectangles: while it is one rectangle, narrowing and restoring it take one or two calls and
// nothing is read back; a rounded control's clip is known by the rectangles of its kept region.

void CUIRenderClip::Begin(HDC hdc, const RECT& rect, HRGN narrowing, CUIRenderClip& clip) {
    clip.rcItem = rect;
    clip.hDC = hdc;
    clip.m_generic = true;
    clip.hOldRgn = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(hdc, clip.hOldRgn) != 1) {  // no clip region yet
        DeleteObject(clip.hOldRgn);
        clip.hOldRgn = nullptr;
    }
    ExtSelectClipRgn(hdc, narrowing, RGN_AND);
    DeleteObject(narrowing);
}

namespace {

// Selects a rectangle as the clip (SelectClipRgn copies the kept region). UI thread only.
void SelectClipRect(HDC hdc, const RECT& rect) {
    static HRGN region = CreateRectRgn(0, 0, 0, 0);
    SetRectRgn(region, rect.left, rect.top, rect.right, rect.bottom);
    SelectClipRgn(hdc, region);
}

// The known clip narrowed to rect (device units), in place.
void NarrowKnownClip(TKnownClip& clip, const RECT& rect) {
    if (!clip.known) return;
    IntersectRects(clip.rect, clip.rect, rect);  // emptied when they do not meet
    if (!clip.shaped) return;
    size_t kept = 0;
    for (const RECT& piece : clip.shape) {
        RECT part;
        if (IntersectRects(part, piece, rect)) clip.shape[kept++] = part;
    }
    clip.shape.resize(kept);
}

// The known clip as a guard found it. The rectangles' memory stays with the target for the next
// rounded control (a guard is made and ended for each control of each paint).
void RestoreKnownClip(TKnownClip& clip, TKnownClip& old) {
    clip.known = old.known;
    clip.rect = old.rect;
    clip.shaped = old.shaped;
    if (old.shaped)
        clip.shape.swap(old.shape);
    else
        clip.shape.clear();
}

}  // namespace

void CUIRenderClip::GenerateClip(HDC hdc, const RECT& rect, CUIRenderClip& clip) {
    TKnownPaintTarget* target = KnownPaintTarget(hdc);
    if (!target) {
        Begin(hdc, rect, DeviceRectRegion(hdc, rect), clip);
        return;
    }
    clip.m_tracked = true;
    clip.m_old = target->clip;
    if (target->clip.known && !target->clip.shaped) {
        clip.rcItem = rect;
        clip.hDC = hdc;
        IntersectClipRect(hdc, rect.left, rect.top, rect.right, rect.bottom);
    } else {
        Begin(hdc, rect, DeviceRectRegion(hdc, rect), clip);
    }
    NarrowKnownClip(target->clip, rect);
}

namespace {

// The rounded regions of the controls painted last, kept with their rectangles: every paint of a
// window asks for the same ones, and making a rounded region costs more than using one.
struct TRoundRegion {
    RECT box;
    int width, height;
    HRGN region;
    std::vector<RECT> rects;  // the region's, in device units
};

class CRoundRegions {
public:
    static const TRoundRegion* Get(const RECT& box, int width, int height) {
        std::vector<TRoundRegion>& entries = Entries();
        // A window paints its controls in the same order each time: the entry after the last one found
        // is most often the one asked for next.
        static size_t hint = 0;
        auto matches = [&](const TRoundRegion& entry) {
            return EqualRect(&entry.box, &box) && entry.width == width && entry.height == height;
        };
        if (hint < entries.size() && matches(entries[hint])) return &entries[hint++];
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!matches(entries[i])) continue;
            hint = i + 1;
            return &entries[i];
        }
        HRGN region = CreateRoundRectRgn(box.left, box.top, box.right, box.bottom, width, height);
        if (!region) return nullptr;
        if (!HookSet()) {  // the shut-down forgets its hooks: again after each
            CPaintManagerUI::AddShutdownHook(&ReleaseAll);
            HookSet() = true;
        }
        TRoundRegion entry = {box, width, height, region, RegionRects(region)};
        static size_t next = 0;
        if (entries.size() < kEntries) {
            entries.push_back(std::move(entry));
            return &entries.back();
        }
        DeleteObject(entries[next].region);
        entries[next] = std::move(entry);
        const TRoundRegion* kept = &entries[next];
        next = (next + 1) % kEntries;
        return kept;
    }

private:
    static std::vector<RECT> RegionRects(HRGN region) {
        std::vector<RECT> rects;
        const DWORD size = GetRegionData(region, 0, nullptr);
        std::vector<BYTE> buffer(size);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        if (size && GetRegionData(region, size, data) == size) {
            const RECT* first = reinterpret_cast<const RECT*>(data->Buffer);
            rects.assign(first, first + data->rdh.nCount);
        }
        return rects;
    }
    static const size_t kEntries = 256;
    static std::vector<TRoundRegion>& Entries() {
        static std::vector<TRoundRegion> entries = [] {
            std::vector<TRoundRegion> reserved;
            reserved.reserve(kEntries);  // entries handed out stay where they are
            return reserved;
        }();
        return entries;
    }
    static bool& HookSet() {
        static bool set = false;
        return set;
    }
    static void ReleaseAll(bool) {
        for (TRoundRegion& entry : Entries()) DeleteObject(entry.region);
        Entries().clear();
        HookSet() = false;
    }
};

}  // namespace

void CUIRenderClip::GenerateRoundClip(HDC hdc, const RECT& rect, const RECT& inner, int width, int height,
                                      CUIRenderClip& clip) {
    POINT corners[2] = {{inner.left, inner.top}, {inner.right + 1, inner.bottom + 1}};
    TKnownPaintTarget* target = KnownPaintTarget(hdc);
    if (!target) LPtoDP(hdc, corners, 2);
    const TRoundRegion* round = CRoundRegions::Get(RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y}, width, height);
    if (target && round && target->clip.known && !target->clip.shaped) {
        // The kept region within the known rectangle, selected; its rectangles kept beside.
        static HRGN limit = CreateRectRgn(0, 0, 0, 0), combined = CreateRectRgn(0, 0, 0, 0);
        clip.rcItem = rect;
        clip.hDC = hdc;
        clip.m_tracked = true;
        clip.m_old = target->clip;
        NarrowKnownClip(target->clip, rect);
        const RECT& within = target->clip.rect;
        target->clip.shaped = true;
        RECT inside;
        if (UnionRect(&inside, &within, &round->box) && EqualRect(&inside, &within)) {
            // The whole rounded control is shown (the usual case): its kept region is the clip as it is.
            SelectClipRgn(hdc, round->region);
            target->clip.shape = round->rects;
            return;
        }
        SetRectRgn(limit, within.left, within.top, within.right, within.bottom);
        CombineRgn(combined, round->region, limit, RGN_AND);
        SelectClipRgn(hdc, combined);
        target->clip.shape.clear();
        for (const RECT& piece : round->rects) {
            RECT part;
            if (IntersectRects(part, piece, within)) target->clip.shape.push_back(part);
        }
        return;
    }
    HRGN region = DeviceRectRegion(hdc, rect);
    if (round) CombineRgn(region, region, round->region, RGN_AND);
    if (target) {
        clip.m_tracked = true;
        clip.m_old = target->clip;
        target->clip.known = false;  // GDI alone knows it until this guard ends
    }
    Begin(hdc, rect, region, clip);
}

// The narrowed clip is read only when it is left for a while (most guards never are).
void CUIRenderClip::UseOldClipBegin(HDC hdc, CUIRenderClip& clip) {
    TKnownPaintTarget* target = clip.m_tracked ? KnownPaintTarget(hdc) : nullptr;
    if (target) clip.m_narrowed = target->clip;
    const bool narrowedIsRect = target && target->clip.known && !target->clip.shaped;
    if (!narrowedIsRect) {
        if (!clip.hRgn) clip.hRgn = CreateRectRgn(0, 0, 0, 0);
        if (clip.hRgn && GetClipRgn(hdc, clip.hRgn) != 1) {  // no clip at all: none to go back to
            DeleteObject(clip.hRgn);
            clip.hRgn = nullptr;
        }
    }
    if (clip.m_generic)
        SelectClipRgn(hdc, clip.hOldRgn);
    else
        SelectClipRect(hdc, clip.m_old.rect);
    if (target) target->clip = clip.m_old;
}

void CUIRenderClip::UseOldClipEnd(HDC hdc, CUIRenderClip& clip) {
    TKnownPaintTarget* target = clip.m_tracked ? KnownPaintTarget(hdc) : nullptr;
    if (target && clip.m_narrowed.known && !clip.m_narrowed.shaped)
        SelectClipRect(hdc, clip.m_narrowed.rect);
    else
        SelectClipRgn(hdc, clip.hRgn);
    if (target) target->clip = clip.m_narrowed;
}

CUIRenderClip::~CUIRenderClip() {
    if (hDC) {
        if (m_generic)
            SelectClipRgn(hDC, hOldRgn);
        else
            SelectClipRect(hDC, m_old.rect);
    }
    if (m_tracked) {
        if (TKnownPaintTarget* target = KnownPaintTarget(hDC)) RestoreKnownClip(target->clip, m_old);
    }
    if (hOldRgn) DeleteObject(hOldRgn);
    if (hRgn) DeleteObject(hRgn);
}

// ---------------------------------------------------------------------------------------------------
// Colours.

DWORD CUIRender::AdjustColor(DWORD color, short hue, short saturation, short lightness) {
    if (hue == 180 && saturation == 100 && lightness == 100) return color;
    float h, s, l;
    RGBtoHSL(color, &h, &s, &l);
    h += static_cast<float>(hue - 180);
    if (h <= 0) h += 360;
    s = s * saturation / 100.0f;
    l = l * lightness / 100.0f;
    HSLtoRGB(&color, h, s, l);
    return color;
}

void CUIRender::AdjustImage(bool useHSL, TImageRecord* image, short hue, short saturation, short lightness) {
    if (!image || !image->useHSL || !image->bitmap || !image->currentPixels || !image->sourcePixels) return;
    CUIPixelMemo::Clear();
    const int count = image->width * image->height;
    GdiFlush();
    if (!useHSL || (hue == 180 && saturation == 100 && lightness == 100)) {
        memcpy(image->currentPixels, image->sourcePixels, static_cast<size_t>(count) * 4);
        return;
    }
    const DWORD* source = reinterpret_cast<const DWORD*>(image->sourcePixels);
    DWORD* current = reinterpret_cast<DWORD*>(image->currentPixels);
    for (int i = 0; i < count; ++i) current[i] = AdjustColor(source[i], hue, saturation, lightness);
}

void CUIRender::RGBtoHSL(DWORD argb, float* hue, float* saturation, float* lightness) {
    const float r = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
    const float g = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
    const float b = static_cast<float>(argb & 0xFF) / 255.0f;
    const float maxValue = std::max(r, std::max(g, b));
    const float minValue = std::min(r, std::min(g, b));
    const float l = (maxValue + minValue) * 0.5f;
    float h = 0, s = 0;
    if (maxValue != minValue) {
        const float d = maxValue - minValue;
        if (r == minValue)
            h = 3 - (g - b) / d;
        else if (g == minValue)
            h = 5 - (b - r) / d;
        else
            h = 1 - (r - g) / d;
        if (h >= 6) h -= 6;
        h *= 60;
        s = (2 * l <= 1) ? d / (maxValue + minValue) : d / (2 - maxValue - minValue);
    }
    *hue = h;
    *saturation = s;
    *lightness = l;
}

namespace {

float HueChannel(float p, float q, float t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (6 * t < 1) return p + (q - p) * 6 * t;
    if (2 * t < 1) return q;
    if (3 * t < 2) return p + (q - p) * 6 * (2.0f / 3.0f - t);
    return p;
}

DWORD ChannelByte(float value) {
    float scaled = value * 255;
    if (scaled < 0) scaled = 0;
    if (scaled > 255) scaled = 255;
    return static_cast<DWORD>(scaled);
}

}  // namespace

void CUIRender::HSLtoRGB(DWORD* argb, float hue, float saturation, float lightness) {
    const float h = hue / 360;
    const float q = (2 * lightness < 1) ? lightness * (1 + saturation)
                                        : lightness + saturation - lightness * saturation;
    const float p = 2 * lightness - q;
    const float third = 1.0f / 3.0f;
    const DWORD r = ChannelByte(HueChannel(p, q, h + third));
    const DWORD g = ChannelByte(HueChannel(p, q, h));
    const DWORD b = ChannelByte(HueChannel(p, q, h - third));
    *argb = (*argb & 0xFF000000) | r << 16 | g << 8 | b;
}

DWORD CUIRender::PixelAlpha(DWORD source, double sourceWeight, DWORD destination, double destinationWeight) {
    DWORD result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        double value = ((source >> shift) & 0xFF) * sourceWeight + ((destination >> shift) & 0xFF) * destinationWeight;
        result |= (static_cast<DWORD>(value) & 0xFF) << shift;
    }
    return result;
}

void CUIRender::CheckAlphaColor(DWORD& color) {
    if ((color & 0x00FFFFFF) == 0) color += 1;
}

// ---------------------------------------------------------------------------------------------------
// Fills and lines.

void CUIRender::DrawColor(HDC hdc, const RECT& rect, DWORD color) {
    if (color <= 0x00FFFFFF) return;
    if (Alpha(color) == 0xFF && FillOpaqueRects(hdc, &rect, 1, color)) return;
    GpGraphics* graphics = nullptr;
    if (DllExports::GdipCreateFromHDC(hdc, &graphics) != Ok) return;
    GpSolidFill* brush = nullptr;
    DllExports::GdipCreateSolidFill(color, &brush);
    DllExports::GdipFillRectangleI(graphics, brush, rect.left, rect.top, rect.right - rect.left,
                                   rect.bottom - rect.top);
    DllExports::GdipDeleteBrush(brush);
    DllExports::GdipDeleteGraphics(graphics);
}

void CUIRender::DrawGradient(HDC hdc, const RECT& rect, DWORD first, DWORD second, bool vertical, int steps) {
    (void)steps;  // strips only mattered without GradientFill, which msimg32 always has
    const int alphaSum = Alpha(first) + Alpha(second);
    if (alphaSum < 2) return;
    const BYTE alpha = static_cast<BYTE>(alphaSum >> 1);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return;

    HDC surface = hdc;
    RECT area = rect;
    HDC memory = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    if (alpha < 255) {
        memory = CreateCompatibleDC(hdc);
        bitmap = CreateCompatibleBitmap(hdc, width, height);
        if (!memory || !bitmap) {
            if (bitmap) DeleteObject(bitmap);
            if (memory) DeleteDC(memory);
            return;
        }
        oldBitmap = SelectObject(memory, bitmap);
        surface = memory;
        area = {0, 0, width, height};
    }
    TRIVERTEX vertices[2] = {};
    vertices[0] = {area.left, area.top, static_cast<COLOR16>(((first >> 16) & 0xFF) << 8),
                   static_cast<COLOR16>(((first >> 8) & 0xFF) << 8), static_cast<COLOR16>((first & 0xFF) << 8),
                   0xFF00};
    vertices[1] = {area.right, area.bottom, static_cast<COLOR16>(((second >> 16) & 0xFF) << 8),
                   static_cast<COLOR16>(((second >> 8) & 0xFF) << 8), static_cast<COLOR16>((second & 0xFF) << 8),
                   0xFF00};
    GRADIENT_RECT mesh = {0, 1};
    GradientFill(surface, vertices, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
    if (memory) {
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
        AlphaBlend(hdc, rect.left, rect.top, width, height, memory, 0, 0, width, height, blend);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
    }
}

void CUIRender::DrawLine(HDC hdc, const RECT& rect, int size, DWORD color, int style) {
    LOGPEN description = {static_cast<UINT>(style), {size, 0}, ToColorRef(color)};
    HPEN pen = CreatePenIndirect(&description);
    if (!pen) return;
    if (style != PS_SOLID) SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ old = SelectObject(hdc, pen);
    MoveToEx(hdc, rect.left, rect.top, nullptr);
    LineTo(hdc, rect.right, rect.bottom);
    SelectObject(hdc, old);
    DeleteObject(pen);
}

namespace {

// The four sides of a square border of the given width, inside rect; a border as wide as half the
// rectangle fills it.
int BorderSides(const RECT& r, int size, RECT sides[4]) {
    if (2 * size >= r.right - r.left || 2 * size >= r.bottom - r.top) {
        sides[0] = r;
        return 1;
    }
    sides[0] = {r.left, r.top, r.right, r.top + size};
    sides[1] = {r.left, r.bottom - size, r.right, r.bottom};
    sides[2] = {r.left, r.top + size, r.left + size, r.bottom - size};
    sides[3] = {r.right - size, r.top + size, r.right, r.bottom - size};
    return 4;
}

}  // namespace

// An opaque border is four fills: the pen lies inside the rectangle, as an inset GDI+ pen does.
void CUIRender::DrawRect(HDC hdc, const RECT& rect, int size, DWORD color, int style) {
    (void)style;
    RECT sides[4];
    if (Alpha(color) == 0xFF && size > 0 && FillOpaqueRects(hdc, sides, BorderSides(rect, size, sides), color)) return;
    GpGraphics* graphics = nullptr;
    if (DllExports::GdipCreateFromHDC(hdc, &graphics) != Ok) return;
    GpPen* pen = nullptr;
    DllExports::GdipCreatePen1(color, static_cast<REAL>(size), UnitWorld, &pen);
    DllExports::GdipSetPenMode(pen, PenAlignmentInset);
    DllExports::GdipDrawRectangleI(graphics, pen, rect.left, rect.top, rect.right - rect.left - 1,
                                   rect.bottom - rect.top - 1);
    DllExports::GdipDeletePen(pen);
    DllExports::GdipDeleteGraphics(graphics);
}

void CUIRender::DrawRoundRect(HDC hdc, const RECT& rect, int size, int width, int height, DWORD color,
                              int style) {
    (void)height;
    (void)style;
    DrawRoundRectangle(hdc, static_cast<float>(rect.left), static_cast<float>(rect.top),
                       static_cast<float>(rect.right - rect.left - 1), static_cast<float>(rect.bottom - rect.top - 1),
                       static_cast<float>(width), color, static_cast<float>(size), false, 0);
}

namespace {

// A rounded rectangle as drawn: everything that decides its pixels, its place as the offset from the
// whole-pixel corner of its picture.
struct TRoundShape {
    float offsetX, offsetY, width, height, arcSize, penWidth;
    DWORD penColor, fillColor;
    bool fill;

    bool operator==(const TRoundShape& o) const {
        return offsetX == o.offsetX && offsetY == o.offsetY && width == o.width && height == o.height &&
               arcSize == o.arcSize && penWidth == o.penWidth && penColor == o.penColor && fillColor == o.fillColor &&
               fill == o.fill;
    }
};

void DrawRoundPath(GpGraphics* graphics, const TRoundShape& shape) {
    DllExports::GdipSetSmoothingMode(graphics, SmoothingModeHighQuality);
    const float x = shape.offsetX, y = shape.offsetY, width = shape.width, height = shape.height;
    const float r = shape.arcSize / 2, d = 2 * r;
    GpPath* path = nullptr;
    DllExports::GdipCreatePath(FillModeAlternate, &path);
    DllExports::GdipAddPathLine(path, x + r, y, x + width - r, y);
    DllExports::GdipAddPathArc(path, x + width - d, y, d, d, 270, 90);
    DllExports::GdipAddPathLine(path, x + width, y + r, x + width, y + height - r);
    DllExports::GdipAddPathArc(path, x + width - d, y + height - d, d, d, 0, 90);
    DllExports::GdipAddPathLine(path, x + width - r, y + height, x + r, y + height);
    DllExports::GdipAddPathArc(path, x, y + height - d, d, d, 90, 90);
    DllExports::GdipAddPathLine(path, x, y + height - r, x, y + r);
    DllExports::GdipAddPathArc(path, x, y, d, d, 180, 90);
    GpPen* pen = nullptr;
    DllExports::GdipCreatePen1(shape.penColor, shape.penWidth, UnitWorld, &pen);
    DllExports::GdipDrawPath(graphics, pen, path);
    if (shape.fill) {
        GpSolidFill* brush = nullptr;
        DllExports::GdipCreateSolidFill(Alpha(shape.fillColor) ? shape.fillColor : shape.penColor, &brush);
        DllExports::GdipFillPath(graphics, brush, path);
        DllExports::GdipDeleteBrush(brush);
    }
    DllExports::GdipDeletePen(pen);
    DllExports::GdipDeletePath(path);
}

// Pictures up to this many pixels are kept.
const size_t kKeptPicturePixels = 32 * 1024;

// The pictures of the rounded shapes drawn last: a window's rounded controls mostly share a few sizes
// and colours, and each picture is drawn by GDI+ only once. Small pictures only (8 MB at most).
class CRoundShapePictures {
public:
    static const TShapePicture* Find(const TRoundShape& shape) {
        for (const TEntry& entry : Entries())
            if (entry.shape == shape) return &entry.picture;
        return nullptr;
    }
    static void Keep(const TRoundShape& shape, TShapePicture&& picture) {
        if (picture.pixels.size() > kKeptPicturePixels) return;
        std::vector<TEntry>& entries = Entries();
        static size_t next = 0;
        if (entries.size() < kEntries) {
            entries.push_back({shape, std::move(picture)});
        } else {
            entries[next] = {shape, std::move(picture)};
            next = (next + 1) % kEntries;
        }
    }

private:
    struct TEntry {
        TRoundShape shape;
        TShapePicture picture;
    };
    static const size_t kEntries = 64;

    static std::vector<TEntry>& Entries() {
        static std::vector<TEntry> entries;
        return entries;
    }
};

// Shapes larger than this are drawn by GDI+ on the target itself rather than through a picture.
const long long kMaxPicturePixels = 4 * 1024 * 1024;

// The picture of a shape, kept or drawn now (and kept when small); null when it cannot be drawn.
const TShapePicture* RoundShapePicture(const TRoundShape& shape, int width, int height) {
    if (const TShapePicture* kept = CRoundShapePictures::Find(shape)) return kept;
    GpGraphics* graphics = CUIScratchSurface::Begin(0, 0, width, height);
    if (!graphics) return nullptr;
    DrawRoundPath(graphics, shape);
    static TShapePicture drawn;  // the last large one, which is not kept
    CUIScratchSurface::End(graphics, drawn);
    if (drawn.pixels.size() > kKeptPicturePixels) return &drawn;
    CRoundShapePictures::Keep(shape, std::move(drawn));
    return CRoundShapePictures::Find(shape);
}

// A rounded shape is its corners joined by straight sides: the same shape made just wide and
// high enough for its corners and a few pixels of straight side is drawn (and kept) small, and its
// middle column and row are repeated to the full size. The corners keep their place within their pixels,
// so every pixel is the one GDI+ gives the full shape. Pens of three pixels and more are left whole:
// Wine's GDI+ adds stray pixels to them that depend on the absolute position.
bool DrawRoundAsNineGrid(HDC hdc, const TRoundShape& shape, int left, int top, int width, int height) {
    if (shape.penWidth >= 3) return false;
    const float reach = std::max(shape.penWidth, 1.0f) / 2 + 2;
    const float needed = std::max(shape.arcSize, 0.0f) + 2 * reach + 8;  // corners and a straight piece
    // Even, as the picture's corner is (see DrawRoundRectangle).
    const int shrinkX = shape.width > needed ? static_cast<int>(shape.width - needed) & ~1 : 0;
    const int shrinkY = shape.height > needed ? static_cast<int>(shape.height - needed) & ~1 : 0;
    if (shrinkX == 0 && shrinkY == 0) return false;
    TRoundShape small = shape;
    small.width -= static_cast<float>(shrinkX);
    small.height -= static_cast<float>(shrinkY);
    const int smallWidth = width - shrinkX, smallHeight = height - shrinkY;
    if (static_cast<size_t>(smallWidth) * smallHeight > kKeptPicturePixels) return false;
    const TShapePicture* picture = RoundShapePicture(small, smallWidth, smallHeight);
    if (!picture) return true;
    // The split lies in the middle of the straight sides.
    const int splitX = static_cast<int>(small.offsetX + small.width / 2);
    const int splitY = static_cast<int>(small.offsetY + small.height / 2);
    CUIScratchSurface::BlendStretched(hdc, left, top, width, height, *picture, splitX, splitY);
    return true;
}

}  // namespace

// The rounded path is drawn by GDI+ on a scratch bitmap over just the shape's bounds, kept for shapes
// drawn alike, and blended onto the target: GDI+ on the target DC makes a surface of its own per call.
void CUIRender::DrawRoundRectangle(HDC hdc, float x, float y, float width, float height, float arcSize,
                                   DWORD penColor, float penWidth, bool fill, DWORD fillColor) {
    if (!hdc || !(width >= 0) || !(height >= 0) || !(penWidth >= 0) || width > 1e6f || height > 1e6f || penWidth > 1e6f)
        return;
    // The picture's whole-pixel corner, with room for the pen's half width and anti-aliased edges; even,
    // because GDI+ rounds halves to even and a shape moved by an odd number of pixels may differ.
    const float reach = std::max(penWidth, 1.0f) / 2 + 2;
    const int left = static_cast<int>(std::floor(x - reach)) & ~1, top = static_cast<int>(std::floor(y - reach)) & ~1;
    const int right = static_cast<int>(std::ceil(x + width + reach)), bottom = static_cast<int>(std::ceil(y + height + reach));
    const TRoundShape shape = {x - left, y - top, width, height, arcSize, penWidth, penColor, fill ? fillColor : 0, fill};
    if (static_cast<long long>(right - left) * (bottom - top) > kMaxPicturePixels) {
        GpGraphics* graphics = nullptr;
        if (DllExports::GdipCreateFromHDC(hdc, &graphics) != Ok) return;
        TRoundShape placed = shape;
        placed.offsetX = x;
        placed.offsetY = y;
        DrawRoundPath(graphics, placed);
        DllExports::GdipDeleteGraphics(graphics);
        return;
    }
    if (DrawRoundAsNineGrid(hdc, shape, left, top, right - left, bottom - top)) return;
    const TShapePicture* picture = RoundShapePicture(shape, right - left, bottom - top);
    if (picture) CUIScratchSurface::Blend(hdc, left, top, *picture);
}

// ---------------------------------------------------------------------------------------------------
// Plain text.

namespace {

// A text holding "&#x" stands for the one character whose hexadecimal code follows (icon fonts).
bool CharacterCode(const wchar_t* text, wchar_t* code) {
    const wchar_t* marker = wcsstr(text, L"&#x");
    if (!marker) return false;
    std::wstring digits(marker + 3, std::min<size_t>(wcslen(marker + 3), 4));
    if (!digits.empty() && digits.back() == L' ') digits.pop_back();
    if (!digits.empty() && digits.back() == L';') digits.pop_back();
    *code = static_cast<wchar_t>(wcstol(digits.c_str(), nullptr, 16));
    return true;
}

// GDI+ fonts and string formats for text in layered windows, made once and kept: making a GDI+ font
// costs more than a short string takes to draw. The cache holds its own GDI+ start-up, so its objects
// outlive the paint managers that come and go, and lets both go at the shared shut-down.
class CGdiplusTextCache {
public:
    static CGdiplusTextCache& Get() {
        static CGdiplusTextCache cache;
        return cache;
    }

    GpFont* Font(HDC hdc, const LOGFONTW& logFont) {
        if (!Start()) return nullptr;
        const int dpi = GetDeviceCaps(hdc, LOGPIXELSY);
        for (const TFont& font : m_fonts)
            if (font.dpi == dpi && memcmp(&font.logFont, &logFont, sizeof logFont) == 0) return font.font;
        GpFont* made = nullptr;
        if (DllExports::GdipCreateFontFromLogfontW(hdc, &logFont, &made) != Ok || !made) return nullptr;
        if (m_fonts.size() < kFonts) {
            m_fonts.push_back({logFont, dpi, made});
        } else {
            TFont& slot = m_fonts[m_nextFont];
            m_nextFont = (m_nextFont + 1) % kFonts;
            DllExports::GdipDeleteFont(slot.font);
            slot = {logFont, dpi, made};
        }
        return made;
    }

    // The format for the DT_* flags that shape it: trimming, clipping, wrapping and both alignments.
    GpStringFormat* Format(UINT style) {
        if (!Start()) return nullptr;
        const UINT key = style & (DT_END_ELLIPSIS | DT_NOCLIP | DT_SINGLELINE | DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM);
        for (const auto& format : m_formats)
            if (format.first == key) return format.second;
        GpStringFormat* typographic = nullptr;
        GpStringFormat* format = nullptr;
        DllExports::GdipStringFormatGetGenericTypographic(&typographic);
        DllExports::GdipCloneStringFormat(typographic, &format);
        if (typographic) DllExports::GdipDeleteStringFormat(typographic);
        if (!format) return nullptr;
        if (key & DT_END_ELLIPSIS) DllExports::GdipSetStringFormatTrimming(format, StringTrimmingEllipsisCharacter);
        INT flags = 0;
        if (key & DT_NOCLIP) flags |= StringFormatFlagsNoClip;
        if (key & DT_SINGLELINE) flags |= StringFormatFlagsNoWrap;
        DllExports::GdipSetStringFormatFlags(format, flags);
        DllExports::GdipSetStringFormatAlign(format, (key & DT_CENTER)  ? StringAlignmentCenter
                                                     : (key & DT_RIGHT) ? StringAlignmentFar
                                                                        : StringAlignmentNear);
        DllExports::GdipSetStringFormatLineAlign(format, (key & DT_VCENTER)  ? StringAlignmentCenter
                                                         : (key & DT_BOTTOM) ? StringAlignmentFar
                                                                             : StringAlignmentNear);
        m_formats.push_back({key, format});  // at most 2^7 combinations
        return format;
    }

private:
    struct TFont {
        LOGFONTW logFont;
        int dpi;
        GpFont* font;
    };
    static const size_t kFonts = 16;

    bool Start() {
        if (m_token) return true;
        GdiplusStartupInput input;
        if (GdiplusStartup(&m_token, &input, nullptr) != Ok) {
            m_token = 0;
            return false;
        }
        CPaintManagerUI::AddShutdownHook(&ReleaseAtShutdown);  // the shut-down forgets its hooks: again each start
        return true;
    }

    static void ReleaseAtShutdown(bool) { Get().Release(); }

    void Release() {
        for (TFont& font : m_fonts) DllExports::GdipDeleteFont(font.font);
        for (auto& format : m_formats) DllExports::GdipDeleteStringFormat(format.second);
        m_fonts.clear();
        m_formats.clear();
        m_nextFont = 0;
        if (m_token) GdiplusShutdown(m_token);
        m_token = 0;
    }

    ULONG_PTR m_token = 0;
    std::vector<TFont> m_fonts;
    size_t m_nextFont = 0;
    std::vector<std::pair<UINT, GpStringFormat*>> m_formats;
};

void DrawTextGdiplus(HDC hdc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD color, HFONT font,
                     UINT style) {
    CGdiplusTextCache& cache = CGdiplusTextCache::Get();
    GpStringFormat* format = cache.Format(style);
    if (!format) return;
    HGDIOBJ oldFont = SelectObject(hdc, font);
    GpGraphics* graphics = nullptr;
    if (DllExports::GdipCreateFromHDC(hdc, &graphics) != Ok) {
        SelectObject(hdc, oldFont);
        return;
    }
    LOGFONTW logFont = {};
    GpFont* gpFont = GetObjectW(font, sizeof logFont, &logFont) ? cache.Font(hdc, logFont) : nullptr;
    GpFont* ownFont = nullptr;  // the DC's font, when the cache has none
    if (!gpFont && DllExports::GdipCreateFontFromDC(hdc, &ownFont) == Ok) gpFont = ownFont;
    const int hint = manager->GetGdiplusTextRenderingHint();
    DllExports::GdipSetTextRenderingHint(graphics,
                                         static_cast<TextRenderingHint>(hint >= 1 && hint <= 5 ? hint : 0));
    DllExports::GdipSetSmoothingMode(graphics, SmoothingModeHighQuality);
    DllExports::GdipSetInterpolationMode(graphics, InterpolationModeHighQualityBicubic);
    RectF layout(static_cast<REAL>(rect.left), static_cast<REAL>(rect.top), static_cast<REAL>(rect.right - rect.left),
                 static_cast<REAL>(rect.bottom - rect.top));
    if (style & DT_CALCRECT) {
        RectF bounds;
        DllExports::GdipMeasureString(graphics, text, -1, gpFont, &layout, format, &bounds, nullptr, nullptr);
        rect.right = rect.left + static_cast<LONG>(bounds.Width) + 1;
        rect.bottom = rect.top + static_cast<LONG>(bounds.Height) + 1;
    } else {
        GpSolidFill* brush = nullptr;
        DllExports::GdipCreateSolidFill(0xFE000000 | (color & 0x00FFFFFF), &brush);  // 254: not opaque
        DllExports::GdipDrawString(graphics, text, -1, gpFont, &layout, format, brush);
        DllExports::GdipDeleteBrush(brush);
    }
    if (ownFont) DllExports::GdipDeleteFont(ownFont);
    DllExports::GdipDeleteGraphics(graphics);
    SelectObject(hdc, oldFont);
}

}  // namespace

void CUIRender::DrawText(HDC hdc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD color, int font,
                         UINT style) {
    if (!text || !manager) return;
    const TFontRecord* record = manager->GetFontRecord(font);
    HFONT handle = record->handle;
    // The character-code form applies to both paths.
    wchar_t code[2] = {};
    const wchar_t* shown = CharacterCode(text, &code[0]) ? code : text;
    if (manager->IsLayeredWindow() || manager->IsUseGdiplusText()) {
        DrawTextGdiplus(hdc, manager, rect, shown, color, handle, style);
        return;
    }
    // Text drawn within its rectangle in the DC's plain text set-up is a memo's call: the same words over
    // the same pixels give the same pixels.
    // The font record and the window's own paint target know the set-up without asking GDI.
    bool memoable = !(style & (DT_CALCRECT | DT_NOCLIP | DT_MODIFYSTRING | DT_EXTERNALLEADING));
    if (memoable) {
        const TKnownPaintTarget* target = KnownPaintTarget(hdc);
        memoable = target ? target->plainText : GetTextAlign(hdc) == 0 && GetTextCharacterExtra(hdc) == 0;
    }
    std::wstring key;
    LOGFONTW asked = {};
    const LOGFONTW* logFont = record->logFontOf == handle ? &record->logFont : nullptr;
    if (memoable && !logFont && GetObjectW(handle, sizeof asked, &asked)) logFont = &asked;
    if (memoable && logFont) {
        const struct {
            COLORREF color;
            UINT style;
            LONG width, height;
        } call = {ToColorRef(color), style, rect.right - rect.left, rect.bottom - rect.top};
        const size_t length = wcslen(shown);
        // Room for what the memo appends (the clip's pieces and the place), so the key is made once.
        key.reserve(4 + (sizeof call + sizeof *logFont + 4 * sizeof(RECT)) / sizeof(wchar_t) + length);
        key.assign(L"text");
        key.append(reinterpret_cast<const wchar_t*>(&call), sizeof call / sizeof(wchar_t));
        key.append(reinterpret_cast<const wchar_t*>(logFont), sizeof *logFont / sizeof(wchar_t));
        key.append(shown, length);
    }
    HDC memoTarget = key.empty() ? nullptr : hdc;  // before the key moves
    CUIPixelMemo memo(memoTarget, rect, std::move(key));
    if (memo.Done()) return;
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, ToColorRef(color));
    HGDIOBJ oldFont = SelectObject(hdc, handle);
    ::DrawTextW(hdc, shown, -1, &rect, style);
    SelectObject(hdc, oldFont);
    memo.Keep();
}

void CUIRender::DrawText(HDC hdc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD color, int font,
                         UINT style, DWORD backColor) {
    if (!text || !manager) return;
    DrawColor(hdc, rect, backColor);
    DrawText(hdc, manager, rect, text, color, font, style);
}

SIZE CUIRender::GetTextSize(HDC hdc, CPaintManagerUI* manager, const wchar_t* text, int font) {
    SIZE size = {};
    if (!text || !manager) return size;
    SetBkMode(hdc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(hdc, manager->GetFontHandle(font));
    GetTextExtentPoint32W(hdc, text, static_cast<int>(wcslen(text)), &size);
    SelectObject(hdc, oldFont);
    return size;
}

// ---------------------------------------------------------------------------------------------------
// Bitmaps.

HBITMAP CUIRender::CreateARGB32Bitmap(HDC hdc, int width, int height, BYTE** bits, bool topDown) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * height * 4;
    void* pixels = nullptr;
    HBITMAP bitmap = CreateDIBSection(hdc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (bits) *bits = static_cast<BYTE*>(pixels);
    return bitmap;
}

BOOL CUIRender::AlphaBitBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy,
                            int sourceWidth, int sourceHeight, BLENDFUNCTION blend) {
    if (width <= 0 || height <= 0) return FALSE;
    HDC memory = CreateCompatibleDC(target);
    if (!memory) return FALSE;
    BYTE* sourceBits = nullptr;
    BYTE* targetBits = nullptr;
    HBITMAP sourceCopy = CreateARGB32Bitmap(source, width, height, &sourceBits, true);
    HBITMAP targetCopy = CreateARGB32Bitmap(target, width, height, &targetBits, true);
    if (!sourceCopy || !targetCopy) {
        if (sourceCopy) DeleteObject(sourceCopy);
        if (targetCopy) DeleteObject(targetCopy);
        DeleteDC(memory);
        return FALSE;
    }
    HGDIOBJ old = SelectObject(memory, sourceCopy);
    StretchBlt(memory, 0, 0, width, height, source, sx, sy, sourceWidth, sourceHeight, SRCCOPY);
    SelectObject(memory, targetCopy);
    BitBlt(memory, 0, 0, width, height, target, x, y, SRCCOPY);
    GdiFlush();
    // The source is premultiplied: result = source * k + destination * (1 - sourceAlpha * k).
    const double k = blend.SourceConstantAlpha / 255.0;
    const DWORD* src = reinterpret_cast<const DWORD*>(sourceBits);
    DWORD* dst = reinterpret_cast<DWORD*>(targetBits);
    for (int i = 0; i < width * height; ++i) {
        const double sourceAlpha = (blend.AlphaFormat & AC_SRC_ALPHA) ? ((src[i] >> 24) & 0xFF) / 255.0 : 1.0;
        DWORD color = PixelAlpha(src[i], k, dst[i], 1.0 - sourceAlpha * k);
        const double alpha = ((src[i] >> 24) & 0xFF) * k + ((dst[i] >> 24) & 0xFF) * (1.0 - sourceAlpha * k);
        dst[i] = color | (static_cast<DWORD>(alpha) & 0xFF) << 24;
    }
    BitBlt(target, x, y, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(sourceCopy);
    DeleteObject(targetCopy);
    DeleteDC(memory);
    return TRUE;
}

}  // namespace SkinUI
