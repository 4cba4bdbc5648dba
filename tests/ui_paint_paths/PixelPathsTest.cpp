// Fast painting paths against the reference drawing they replace: the same calls are drawn once through
// the fast path and once through the general GDI+ (or AlphaBlend) calls, on equal canvases, and every
// byte of every pixel, alpha included, must agree.
#include <gtest/gtest.h>

#include <objidl.h>
#include <gdiplus.h>

#include <cstdio>
#include <string>
#include <vector>

#include "UIImage.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIRenderSurface.h"

using namespace SkinUI;
using namespace Gdiplus;

namespace {

// A 32-bit DIB section selected into a memory DC, top-down or bottom-up.
class Surface {
public:
    Surface(int width, int height, DWORD fill, bool bottomUp = false) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, bottomUp ? height : -height, 1, 32, BI_RGB};
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        bits_ = static_cast<DWORD*>(bits);
        bottomUp_ = bottomUp;
        Fill(fill);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    ~Surface() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    DWORD At(int x, int y) const {
        GdiFlush();
        return bits_[static_cast<size_t>(bottomUp_ ? height_ - 1 - y : y) * width_ + x];
    }
    void Fill(DWORD argb) {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = argb;
    }
    int width() const { return width_; }
    int height() const { return height_; }

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
    int width_, height_;
    bool bottomUp_ = false;
};

// "" when both surfaces hold the same bytes; else where and what differs first, and how many differ.
std::string Compare(const Surface& actual, const Surface& expected) {
    int differing = 0;
    char first[96] = "";
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (actual.At(x, y) != expected.At(x, y) && differing++ == 0)
                snprintf(first, sizeof first, "(%d, %d): %08lX instead of %08lX", x, y,
                         static_cast<unsigned long>(actual.At(x, y)), static_cast<unsigned long>(expected.At(x, y)));
    return differing ? std::string(first) + ", " + std::to_string(differing) + " pixels differ" : std::string();
}

// ---- the reference drawing: GDI+ on the target DC, as the general path does it

void ReferenceFill(HDC dc, const RECT& r, DWORD color) {
    GpGraphics* graphics = nullptr;
    ASSERT_EQ(DllExports::GdipCreateFromHDC(dc, &graphics), Ok);
    GpSolidFill* brush = nullptr;
    DllExports::GdipCreateSolidFill(color, &brush);
    DllExports::GdipFillRectangleI(graphics, brush, r.left, r.top, r.right - r.left, r.bottom - r.top);
    DllExports::GdipDeleteBrush(brush);
    DllExports::GdipDeleteGraphics(graphics);
}

// Clips a DC to two separate rectangles, or to a rounded rectangle; none leaves it unclipped.
enum class ClipKind { None, TwoPieces, Round };

void ApplyClip(HDC dc, ClipKind kind) {
    HRGN region = nullptr;
    if (kind == ClipKind::TwoPieces) {
        region = CreateRectRgn(0, 0, 14, 40);
        HRGN second = CreateRectRgn(22, 5, 40, 30);
        CombineRgn(region, region, second, RGN_OR);
        DeleteObject(second);
    } else if (kind == ClipKind::Round) {
        region = CreateRoundRectRgn(3, 3, 37, 33, 12, 12);
    }
    SelectClipRgn(dc, region);
    if (region) DeleteObject(region);
}

class PixelPaths : public ::testing::Test {
protected:
    CPaintManagerUI manager;  // starts GDI+
};

}  // namespace

// Opaque fills write the DIB's pixels themselves: colour and alpha as GDI+ leaves them, on every
// background, under every clip, under a window origin, on bottom-up bitmaps and partly off the canvas.
TEST_F(PixelPaths, OpaqueFillMatchesGdiplus) {
    const DWORD backgrounds[] = {0x00000000, 0xFF112233, 0x80402010};
    const RECT rects[] = {{4, 4, 30, 20}, {-5, -3, 8, 50}, {10, 10, 10, 20}, {35, 25, 60, 45}, {0, 0, 40, 40}};
    const DWORD colors[] = {0xFF337AB7, 0xFF000000, 0xFFFFFFFF};
    for (bool bottomUp : {false, true})
        for (ClipKind clip : {ClipKind::None, ClipKind::TwoPieces, ClipKind::Round})
            for (int origin : {0, 7})
                for (DWORD background : backgrounds) {
                    Surface fast(40, 40, background, bottomUp), reference(40, 40, background, bottomUp);
                    for (Surface* s : {&fast, &reference}) {
                        ApplyClip(s->dc(), clip);
                        SetWindowOrgEx(s->dc(), origin, -origin, nullptr);
                    }
                    for (size_t i = 0; i < sizeof rects / sizeof rects[0]; ++i) {
                        const DWORD color = colors[i % 3];
                        CUIRender::DrawColor(fast.dc(), rects[i], color);
                        ReferenceFill(reference.dc(), rects[i], color);
                    }
                    EXPECT_EQ(Compare(fast, reference), "")
                        << "bottom-up " << bottomUp << " clip " << static_cast<int>(clip) << " origin " << origin
                        << " background " << std::hex << background;
                }
}

// The alpha byte of an opaque fill is what later blends rely on: a translucent fill over it mixes with
// its colour instead of treating the pixel as empty.
TEST_F(PixelPaths, TranslucentFillOverOpaqueFillBlendsWithIt) {
    Surface fast(20, 20, 0), reference(20, 20, 0);
    CUIRender::DrawColor(fast.dc(), {0, 0, 20, 20}, 0xFF204060);
    ReferenceFill(reference.dc(), {0, 0, 20, 20}, 0xFF204060);
    CUIRender::DrawColor(fast.dc(), {5, 5, 15, 15}, 0x80FFFFFF);
    ReferenceFill(reference.dc(), {5, 5, 15, 15}, 0x80FFFFFF);
    EXPECT_EQ(Compare(fast, reference), "");
    EXPECT_EQ(fast.At(10, 10) >> 24, 0xFFu);
    EXPECT_GT(fast.At(10, 10) & 0xFF, 0xA0u);  // white over blue 0x60, not white over nothing
}

// A scaled DC is left to GDI+, which knows the transform and keeps the alpha.
TEST_F(PixelPaths, OpaqueFillUnderAWorldTransform) {
    Surface fast(40, 40, 0), reference(40, 40, 0);
    const XFORM scale = {2, 0, 0, 2, 3, 1};
    for (Surface* s : {&fast, &reference}) {
        SetGraphicsMode(s->dc(), GM_ADVANCED);
        SetWorldTransform(s->dc(), &scale);
    }
    CUIRender::DrawColor(fast.dc(), {2, 2, 10, 8}, 0xFF336699);
    ReferenceFill(reference.dc(), {2, 2, 10, 8}, 0xFF336699);
    EXPECT_EQ(Compare(fast, reference), "");
    EXPECT_EQ(fast.At(15, 10), 0xFF336699u);
}

// A target without 32-bit pixels (a device bitmap) is filled through GDI.
TEST_F(PixelPaths, OpaqueFillOnDeviceBitmap) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 20, 20);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 20, 20, BLACKNESS);
    CUIRender::DrawColor(dc, {5, 5, 10, 10}, 0xFF00FF00);
    EXPECT_EQ(GetPixel(dc, 7, 7), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 10, 10), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(dc, 4, 7), RGB(0, 0, 0));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

namespace {

void ReferenceRect(HDC dc, const RECT& r, int size, DWORD color) {
    GpGraphics* graphics = nullptr;
    ASSERT_EQ(DllExports::GdipCreateFromHDC(dc, &graphics), Ok);
    GpPen* pen = nullptr;
    DllExports::GdipCreatePen1(color, static_cast<REAL>(size), UnitWorld, &pen);
    DllExports::GdipSetPenMode(pen, PenAlignmentInset);
    DllExports::GdipDrawRectangleI(graphics, pen, r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1);
    DllExports::GdipDeletePen(pen);
    DllExports::GdipDeleteGraphics(graphics);
}

}  // namespace

// One-pixel square borders match GDI+ exactly, alpha included, under clips and an origin.
TEST_F(PixelPaths, SquareBorderMatchesGdiplus) {
    const RECT rects[] = {{2, 2, 30, 20}, {10, 5, 38, 39}, {-4, 8, 12, 16}, {20, 20, 23, 23}, {5, 30, 7, 45}};
    for (ClipKind clip : {ClipKind::None, ClipKind::TwoPieces, ClipKind::Round})
        for (int origin : {0, 5})
            for (DWORD background : {0x00000000u, 0xFF112233u}) {
                Surface fast(40, 40, background), reference(40, 40, background);
                for (Surface* s : {&fast, &reference}) {
                    ApplyClip(s->dc(), clip);
                    SetWindowOrgEx(s->dc(), -origin, origin, nullptr);
                }
                for (const RECT& r : rects) {
                    CUIRender::DrawRect(fast.dc(), r, 1, 0xFF445566);
                    ReferenceRect(reference.dc(), r, 1, 0xFF445566);
                }
                EXPECT_EQ(Compare(fast, reference), "")
                    << "clip " << static_cast<int>(clip) << " origin " << origin << " background " << std::hex << background;
            }
}

// Wider borders lie inside the rectangle, as an inset pen draws them on Windows (Wine's GDI+ centres
// the pen on the outline instead, half outside the control): each side is exactly size pixels thick.
TEST_F(PixelPaths, WideSquareBorderLiesInside) {
    for (int size : {2, 3, 10}) {
        Surface canvas(40, 40, 0xFF000000);
        const RECT r = {5, 6, 35, 30};
        CUIRender::DrawRect(canvas.dc(), r, size, 0xFF00FF00);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                const bool band = inside && (x < r.left + size || x >= r.right - size || y < r.top + size ||
                                             y >= r.bottom - size);
                ASSERT_EQ(canvas.At(x, y), band ? 0xFF00FF00u : 0xFF000000u) << size << " at " << x << "," << y;
            }
    }
}

// Translucent borders still go through GDI+ and blend.
TEST_F(PixelPaths, TranslucentSquareBorderMatchesGdiplus) {
    Surface fast(30, 30, 0xFF112233), reference(30, 30, 0xFF112233);
    CUIRender::DrawRect(fast.dc(), {3, 3, 27, 20}, 1, 0x80FFFFFF);
    ReferenceRect(reference.dc(), {3, 3, 27, 20}, 1, 0x80FFFFFF);
    EXPECT_EQ(Compare(fast, reference), "");
    EXPECT_NE(fast.At(3, 10), 0xFF112233u);
}

namespace {

// The rounded path of the general path, drawn by GDI+ on the target DC.
void ReferenceRoundRectangle(HDC dc, float x, float y, float w, float h, float arc, DWORD penColor, float penWidth,
                             bool fill, DWORD fillColor) {
    GpGraphics* graphics = nullptr;
    ASSERT_EQ(DllExports::GdipCreateFromHDC(dc, &graphics), Ok);
    DllExports::GdipSetSmoothingMode(graphics, SmoothingModeHighQuality);
    const float r = arc / 2, d = 2 * r;
    GpPath* path = nullptr;
    DllExports::GdipCreatePath(FillModeAlternate, &path);
    DllExports::GdipAddPathLine(path, x + r, y, x + w - r, y);
    DllExports::GdipAddPathArc(path, x + w - d, y, d, d, 270, 90);
    DllExports::GdipAddPathLine(path, x + w, y + r, x + w, y + h - r);
    DllExports::GdipAddPathArc(path, x + w - d, y + h - d, d, d, 0, 90);
    DllExports::GdipAddPathLine(path, x + w - r, y + h, x + r, y + h);
    DllExports::GdipAddPathArc(path, x, y + h - d, d, d, 90, 90);
    DllExports::GdipAddPathLine(path, x, y + h - r, x, y + r);
    DllExports::GdipAddPathArc(path, x, y, d, d, 180, 90);
    GpPen* pen = nullptr;
    DllExports::GdipCreatePen1(penColor, penWidth, UnitWorld, &pen);
    DllExports::GdipDrawPath(graphics, pen, path);
    if (fill) {
        GpSolidFill* brush = nullptr;
        DllExports::GdipCreateSolidFill((fillColor >> 24) ? fillColor : penColor, &brush);
        DllExports::GdipFillPath(graphics, brush, path);
        DllExports::GdipDeleteBrush(brush);
    }
    DllExports::GdipDeletePen(pen);
    DllExports::GdipDeletePath(path);
    DllExports::GdipDeleteGraphics(graphics);
}

// Compares with a tolerance per channel. Wine's GDI+ does not anti-alias and the pixels agree exactly;
// where GDI+ anti-aliases (Windows), blending an edge pixel from the scratch bitmap rounds once more
// than blending it in place, which a tolerance of 1 allows.
std::string CompareNear(const Surface& actual, const Surface& expected, int tolerance) {
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            for (int shift = 0; shift < 32; shift += 8) {
                const int a = (actual.At(x, y) >> shift) & 0xFF, e = (expected.At(x, y) >> shift) & 0xFF;
                if (std::abs(a - e) > tolerance) {
                    char text[80];
                    snprintf(text, sizeof text, "(%d, %d): %08lX instead of %08lX", x, y,
                             static_cast<unsigned long>(actual.At(x, y)), static_cast<unsigned long>(expected.At(x, y)));
                    return text;
                }
            }
    return "";
}

}  // namespace

// Rounded borders and filled rounded rectangles, opaque and translucent, thin and wide, at whole and
// half pixels, under clips: the pixels of GDI+ drawing on the target itself.
TEST_F(PixelPaths, RoundBorderMatchesGdiplus) {
    struct Case {
        RECT rect;
        int size, round;
        DWORD color;
    };
    const Case cases[] = {{{2, 2, 30, 20}, 1, 6, 0xFF202020}, {{8, 12, 38, 38}, 2, 10, 0x80FFFFFF},
                          {{-6, 20, 14, 36}, 1, 4, 0xFFFF0000}, {{20, 1, 39, 11}, 2, 8, 0xFF00FF00}};
    for (bool bottomUp : {false, true})
    for (ClipKind clip : {ClipKind::None, ClipKind::TwoPieces, ClipKind::Round})
        for (DWORD background : {0x00000000u, 0xFF112233u, 0x80402010u}) {
            Surface fast(40, 40, background, bottomUp), reference(40, 40, background, bottomUp);
            ApplyClip(fast.dc(), clip);
            ApplyClip(reference.dc(), clip);
            for (const Case& c : cases) {
                CUIRender::DrawRoundRect(fast.dc(), c.rect, c.size, c.round, c.round, c.color);
                ReferenceRoundRectangle(reference.dc(), static_cast<float>(c.rect.left), static_cast<float>(c.rect.top),
                                        static_cast<float>(c.rect.right - c.rect.left - 1),
                                        static_cast<float>(c.rect.bottom - c.rect.top - 1), static_cast<float>(c.round),
                                        c.color, static_cast<float>(c.size), false, 0);
            }
            EXPECT_EQ(CompareNear(fast, reference, 0), "")
                << "bottom-up " << bottomUp << " clip " << static_cast<int>(clip) << " background " << std::hex
                << background;
        }
    Surface fast(40, 40, 0xFF112233), reference(40, 40, 0xFF112233);
    CUIRender::DrawRoundRectangle(fast.dc(), 3.5f, 4.5f, 30, 25, 9, 0xFF0000FF, 1.5f, true, 0x8000FF00);
    ReferenceRoundRectangle(reference.dc(), 3.5f, 4.5f, 30, 25, 9, 0xFF0000FF, 1.5f, true, 0x8000FF00);
    CUIRender::DrawRoundRectangle(fast.dc(), 10, 10, 12, 12, 6, 0xFFFF00FF, 1, true, 0);
    ReferenceRoundRectangle(reference.dc(), 10, 10, 12, 12, 6, 0xFFFF00FF, 1, true, 0);
    EXPECT_EQ(CompareNear(fast, reference, 0), "");
}

// On a target without 32-bit pixels the rounded shape is blended through the system.
TEST_F(PixelPaths, RoundBorderOnDeviceBitmap) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 30, 30);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 30, 30, WHITENESS);
    CUIRender::DrawRoundRect(dc, {2, 2, 28, 20}, 1, 6, 6, 0xFF0000FF);
    EXPECT_EQ(GetPixel(dc, 15, 2), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 2, 10), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 15, 10), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 255, 255));  // cut off by the rounded corner
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// Wine's GDI+ widens pens of three pixels and more with a few stray pixels that depend on where the
// shape lies in absolute coordinates, so a picture drawn at its own corner gets them elsewhere; away
// from Wine the widening does not move with the shape. Such borders agree but for a few pixels.
TEST_F(PixelPaths, WideRoundBorderAgreesButForWineStrays) {
    Surface fast(40, 40, 0), reference(40, 40, 0);
    CUIRender::DrawRoundRect(fast.dc(), {20, 1, 39, 11}, 3, 8, 8, 0xFF00FF00);
    ReferenceRoundRectangle(reference.dc(), 20, 1, 18, 9, 8, 0xFF00FF00, 3, false, 0);
    int differing = 0, inked = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            differing += fast.At(x, y) != reference.At(x, y);
            inked += fast.At(x, y) == 0xFF00FF00u;
            EXPECT_TRUE(fast.At(x, y) == 0 || fast.At(x, y) == 0xFF00FF00u) << x << "," << y;
        }
    EXPECT_GT(inked, 100);
    EXPECT_LE(differing, 16);  // 10 on Wine today, of some 250 border pixels
}

namespace {

// A premultiplied top-down image whose nine parts (corners of 3, edges, middle) each hold one kind of
// pixel: opaque, half transparent or empty, chosen per part by kinds (9 letters 'o', 'h', 'e', row by
// row); opaque pixels vary so that stretching shows.
class NineImage {
public:
    explicit NineImage(const char* kinds, int size = 10) : size_(size) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        auto* pixels = static_cast<DWORD*>(bits);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const int col = x < 3 ? 0 : x < size - 3 ? 1 : 2, row = y < 3 ? 0 : y < size - 3 ? 1 : 2;
                const char kind = kinds[row * 3 + col];
                const DWORD shade = static_cast<DWORD>((x * 23 + y * 41) & 0xFF);
                pixels[y * size + x] = kind == 'o'   ? 0xFF000000 | shade << 16 | (255 - shade) << 8 | 0x40
                                       : kind == 'h' ? 0x80000000 | (shade / 2) << 8 | 0x30
                                                     : 0;
            }
        RememberTopDownBitmap(bitmap_, bits);  // as the manager's images are: their parts blend without GDI
    }
    ~NineImage() {
        ForgetTopDownBitmap(bitmap_);
        DeleteObject(bitmap_);
    }
    HBITMAP bitmap() const { return bitmap_; }
    int size() const { return size_; }

private:
    HBITMAP bitmap_;
    int size_;
};

// The general nine-grid blit: every part blended with AlphaBlend on the translucent path, copied or
// stretched with halftone on the opaque one.
void ReferenceNineGrid(HDC hdc, HBITMAP bitmap, const RECT& rc, const RECT& paint, const RECT& src, const RECT& c,
                       bool alpha, BYTE fade, bool hole, bool tiledX, bool tiledY) {
    HDC memory = CreateCompatibleDC(hdc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const int oldMode = SetStretchBltMode(hdc, HALFTONE);
    SetBrushOrgEx(hdc, 0, 0, nullptr);
    const bool translucent = alpha || fade < 255;
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
    auto part = [&](const RECT& d, const RECT& s) {
        const int dw = d.right - d.left, dh = d.bottom - d.top, sw = s.right - s.left, sh = s.bottom - s.top;
        RECT hit;
        if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0 || !IntersectRect(&hit, &d, &paint)) return;
        if (translucent)
            AlphaBlend(hdc, d.left, d.top, dw, dh, memory, s.left, s.top, sw, sh, blend);
        else if (dw == sw && dh == sh)
            BitBlt(hdc, d.left, d.top, dw, dh, memory, s.left, s.top, SRCCOPY);
        else
            StretchBlt(hdc, d.left, d.top, dw, dh, memory, s.left, s.top, sw, sh, SRCCOPY);
    };
    if (!hole) {
        const RECT middle = {rc.left + c.left, rc.top + c.top, rc.right - c.right, rc.bottom - c.bottom};
        const RECT source = {src.left + c.left, src.top + c.top, src.right - c.right, src.bottom - c.bottom};
        const int tw = source.right - source.left, th = source.bottom - source.top;
        const int countX = tiledX ? (middle.right - middle.left + tw - 1) / tw : 1;
        const int countY = tiledY ? (middle.bottom - middle.top + th - 1) / th : 1;
        for (int j = 0; j < countY; ++j)
            for (int i = 0; i < countX; ++i) {
                RECT d = middle, s = source;
                if (tiledX) {
                    d.left = middle.left + i * tw;
                    d.right = std::min<LONG>(d.left + tw, middle.right);
                    s.right = s.left + d.right - d.left;
                }
                if (tiledY) {
                    d.top = middle.top + j * th;
                    d.bottom = std::min<LONG>(d.top + th, middle.bottom);
                    s.bottom = s.top + d.bottom - d.top;
                }
                part(d, s);
            }
    }
    const LONG dx[4] = {rc.left, rc.left + c.left, rc.right - c.right, rc.right};
    const LONG dy[4] = {rc.top, rc.top + c.top, rc.bottom - c.bottom, rc.bottom};
    const LONG sx[4] = {src.left, src.left + c.left, src.right - c.right, src.right};
    const LONG sy[4] = {src.top, src.top + c.top, src.bottom - c.bottom, src.bottom};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            if (row != 1 || col != 1) part({dx[col], dy[row], dx[col + 1], dy[row + 1]}, {sx[col], sy[row], sx[col + 1], sy[row + 1]});
    SetStretchBltMode(hdc, oldMode);
    SelectObject(memory, old);
    DeleteDC(memory);
}

}  // namespace

// Nine-grid images: opaque parts are copied (stretched pixel by pixel as AlphaBlend stretches), empty
// parts skipped and unstretched ones blended in place instead of through AlphaBlend, with the kept source
// DC; the pixels are those of blending every part.
TEST_F(PixelPaths, NineGridMatchesBlendingEveryPart) {
    struct Case {
        const char* kinds;
        RECT dest, corners;
        bool alpha;
        BYTE fade;
        bool hole, tiledX, tiledY;
    };
    const RECT none = {0, 0, 0, 0}, three = {3, 3, 3, 3};
    const Case cases[] = {
        {"ooooooooo", {2, 2, 30, 30}, three, true, 255, false, false, false},   // an opaque image in a layered window
        {"hohoeohoh", {2, 2, 38, 25}, three, true, 255, false, false, false},   // rounded panel: mixed corners
        {"eeeeoeeee", {0, 5, 40, 35}, three, true, 255, false, false, false},   // only the middle
        {"hhhhhhhhh", {4, 4, 36, 36}, three, true, 255, false, false, false},   // all translucent
        {"ooooooooo", {1, 1, 39, 39}, three, true, 200, false, false, false},   // faded: blended
        {"ohoheoooo", {3, 3, 37, 33}, three, true, 255, true, false, false},    // hole
        {"ooooooooo", {2, 2, 38, 38}, three, true, 255, false, true, true},     // tiled both ways
        {"ooooooooo", {2, 2, 38, 38}, three, true, 255, false, true, false},    // tiled along x
        {"oooohoooo", {0, 0, 40, 40}, three, true, 255, false, false, true},    // tiled along y
        {"ooooooooo", {5, 5, 15, 15}, none, true, 255, false, false, false},    // unstretched, no corners
        {"hohoeohoh", {5, 5, 15, 15}, none, true, 255, false, false, false},    // a picture: blended whole
        {"ooooooooo", {5, 5, 35, 20}, none, true, 255, false, false, false},    // stretched, no corners
        {"ooooooooo", {2, 2, 30, 30}, three, false, 255, false, false, false},  // the opaque path
    };
    for (const Case& c : cases)
        for (ClipKind clip : {ClipKind::None, ClipKind::Round})
            for (const RECT& paint : {RECT{0, 0, 40, 40}, RECT{10, 0, 25, 40}}) {
                NineImage image(c.kinds);
                Surface fast(40, 40, 0xFF112233), reference(40, 40, 0xFF112233);
                ApplyClip(fast.dc(), clip);
                ApplyClip(reference.dc(), clip);
                const RECT source = {0, 0, image.size(), image.size()};
                CUIRender::DrawImage(fast.dc(), image.bitmap(), c.dest, paint, source, c.corners, c.alpha, c.fade,
                                     c.hole, c.tiledX, c.tiledY);
                ReferenceNineGrid(reference.dc(), image.bitmap(), c.dest, paint, source, c.corners, c.alpha, c.fade,
                                  c.hole, c.tiledX, c.tiledY);
                EXPECT_EQ(Compare(fast, reference), "")
                    << c.kinds << " clip " << static_cast<int>(clip) << " paint " << paint.left;
            }
}

// An image drawn through the manager into a layered window's picture, and a bitmap whose rows run
// bottom-up, take the same pixels as blending.
TEST_F(PixelPaths, NineGridOfBottomUpBitmap) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, 8, 1, 32, BI_RGB};  // bottom-up
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<DWORD*>(bits);
    for (int i = 0; i < 64; ++i) pixels[i] = i < 32 ? 0xFF0000FF + (static_cast<DWORD>(i) << 10) : 0x40200000;
    Surface fast(30, 30, 0xFF808080), reference(30, 30, 0xFF808080);
    const RECT dest = {1, 1, 29, 29}, paint = {0, 0, 30, 30}, source = {0, 0, 8, 8}, corners = {2, 2, 2, 2};
    CUIRender::DrawImage(fast.dc(), bitmap, dest, paint, source, corners, true);
    ReferenceNineGrid(reference.dc(), bitmap, dest, paint, source, corners, true, 255, false, false, false);
    EXPECT_EQ(Compare(fast, reference), "");
    DeleteObject(bitmap);
}

namespace {

// Text as GDI+ draws it on the target with a font and format made for the call.
void ReferenceText(HDC hdc, HFONT font, RECT& rect, const wchar_t* text, DWORD color, UINT style) {
    HGDIOBJ old = SelectObject(hdc, font);
    GpGraphics* graphics = nullptr;
    ASSERT_EQ(DllExports::GdipCreateFromHDC(hdc, &graphics), Ok);
    LOGFONTW logFont = {};
    GetObjectW(font, sizeof logFont, &logFont);
    GpFont* gpFont = nullptr;
    DllExports::GdipCreateFontFromLogfontW(hdc, &logFont, &gpFont);
    DllExports::GdipSetTextRenderingHint(graphics, TextRenderingHintSystemDefault);
    DllExports::GdipSetSmoothingMode(graphics, SmoothingModeHighQuality);
    DllExports::GdipSetInterpolationMode(graphics, InterpolationModeHighQualityBicubic);
    GpStringFormat *typographic = nullptr, *format = nullptr;
    DllExports::GdipStringFormatGetGenericTypographic(&typographic);
    DllExports::GdipCloneStringFormat(typographic, &format);
    if (style & DT_END_ELLIPSIS) DllExports::GdipSetStringFormatTrimming(format, StringTrimmingEllipsisCharacter);
    DllExports::GdipSetStringFormatFlags(format, ((style & DT_NOCLIP) ? StringFormatFlagsNoClip : 0) |
                                                     ((style & DT_SINGLELINE) ? StringFormatFlagsNoWrap : 0));
    DllExports::GdipSetStringFormatAlign(format, (style & DT_CENTER)  ? StringAlignmentCenter
                                                 : (style & DT_RIGHT) ? StringAlignmentFar
                                                                      : StringAlignmentNear);
    DllExports::GdipSetStringFormatLineAlign(format, (style & DT_VCENTER)  ? StringAlignmentCenter
                                                     : (style & DT_BOTTOM) ? StringAlignmentFar
                                                                           : StringAlignmentNear);
    RectF layout(static_cast<REAL>(rect.left), static_cast<REAL>(rect.top), static_cast<REAL>(rect.right - rect.left),
                 static_cast<REAL>(rect.bottom - rect.top));
    if (style & DT_CALCRECT) {
        RectF bounds;
        DllExports::GdipMeasureString(graphics, text, -1, gpFont, &layout, format, &bounds, nullptr, nullptr);
        rect.right = rect.left + static_cast<LONG>(bounds.Width) + 1;
        rect.bottom = rect.top + static_cast<LONG>(bounds.Height) + 1;
    } else {
        GpSolidFill* brush = nullptr;
        DllExports::GdipCreateSolidFill(0xFE000000 | (color & 0xFFFFFF), &brush);
        DllExports::GdipDrawString(graphics, text, -1, gpFont, &layout, format, brush);
        DllExports::GdipDeleteBrush(brush);
    }
    DllExports::GdipDeleteStringFormat(format);
    DllExports::GdipDeleteStringFormat(typographic);
    DllExports::GdipDeleteFont(gpFont);
    DllExports::GdipDeleteGraphics(graphics);
    SelectObject(hdc, old);
}

// Draws a few texts in turn with two fonts and several styles, through the render engine (GDI+ text on,
// as in a layered window) and through the reference; both canvases must agree after each.
void CompareTexts(CPaintManagerUI& manager) {
    struct Text {
        int font;
        RECT rect;
        const wchar_t* text;
        DWORD color;
        UINT style;
    };
    const Text texts[] = {
        {1, {2, 2, 118, 22}, L"Output 1 gain", 0xFF202020, DT_SINGLELINE | DT_VCENTER},
        {2, {2, 24, 118, 50}, L"Front left", 0xFFCC3366, DT_SINGLELINE | DT_CENTER | DT_VCENTER},
        {1, {2, 52, 60, 78}, L"A long label that ends early", 0xFF0000FF, DT_SINGLELINE | DT_END_ELLIPSIS},
        {2, {2, 80, 118, 118}, L"Two words\nand more", 0xFF008000, DT_RIGHT | DT_BOTTOM},
        {1, {60, 52, 118, 78}, L"again", 0xFF202020, DT_SINGLELINE | DT_VCENTER},
    };
    Surface fast(120, 120, 0xFFF0F0F0), reference(120, 120, 0xFFF0F0F0);
    for (const Text& t : texts) {
        RECT a = t.rect, b = t.rect;
        CUIRender::DrawText(fast.dc(), &manager, a, t.text, t.color, t.font, t.style);
        ReferenceText(reference.dc(), manager.GetFontHandle(t.font), b, t.text, t.color, t.style);
        ASSERT_EQ(Compare(fast, reference), "") << t.font << " " << static_cast<const void*>(t.text);
        RECT measured = t.rect, expected = t.rect;
        CUIRender::DrawText(fast.dc(), &manager, measured, t.text, t.color, t.font, t.style | DT_CALCRECT);
        ReferenceText(reference.dc(), manager.GetFontHandle(t.font), expected, t.text, t.color, t.style | DT_CALCRECT);
        EXPECT_EQ(measured.right, expected.right);
        EXPECT_EQ(measured.bottom, expected.bottom);
    }
    int inked = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x) inked += fast.At(x, y) != 0xFFF0F0F0u;
    EXPECT_GT(inked, 200);
}

}  // namespace

// Text of layered windows goes through GDI+ with kept fonts and formats: the pixels and measures of a
// font and format made per call, for each font and style in turn, and again after the shared shut-down
// has let the kept ones go.
TEST(PixelPathsText, LayeredTextMatchesFreshFontsAndFormats) {
    for (int round = 0; round < 2; ++round) {
        CPaintManagerUI manager;
        manager.AddFont(1, L"Tahoma", 13, false, false, false);
        manager.AddFont(2, L"Tahoma", 17, true, false, true);
        manager.SetUseGdiplusText(true);
        CompareTexts(manager);
        manager.SetUseGdiplusText(false);
        CPaintManagerUI::ShutdownShared(false);
    }
}

// A shape too large for a picture is drawn by GDI+ on the target, as before.
TEST_F(PixelPaths, HugeRoundBorderDrawnInPlace) {
    Surface fast(2100, 2100, 0xFF112233), reference(2100, 2100, 0xFF112233);
    CUIRender::DrawRoundRect(fast.dc(), {5, 5, 2095, 2095}, 2, 40, 40, 0xFFFFFFFF);
    ReferenceRoundRectangle(reference.dc(), 5, 5, 2089, 2089, 40, 0xFFFFFFFF, 2, false, 0);
    for (const POINT& corner : {POINT{0, 0}, POINT{2060, 2060}, POINT{0, 2060}})
        for (int y = corner.y; y < corner.y + 40; ++y)
            for (int x = corner.x; x < corner.x + 40; ++x)
                ASSERT_EQ(fast.At(x, y), reference.At(x, y)) << x << "," << y;
    EXPECT_EQ(fast.At(1000, 5), 0xFFFFFFFFu);
}

// Panel-sized rounded shapes are drawn small and widened as a nine-grid: the pixels of GDI+ drawing the
// whole shape on the target, for wide and tall shapes, thin pens, fills, translucent colours, half-pixel
// places, clips and bottom-up bitmaps.
TEST_F(PixelPaths, PanelRoundBorderAsNineGridMatchesGdiplus) {
    struct Case {
        float x, y, w, h, arc, pen;
        DWORD color;
        bool fill;
        DWORD fillColor;
    };
    const Case cases[] = {
        {4, 4, 300, 150, 8, 1, 0xFF2A3038, false, 0},        // a panel at 100 %
        {2, 3, 310, 170, 12, 2, 0xFF2A3038, false, 0},       // at 200 %
        {10.5f, 6.5f, 280, 140, 6, 1.5f, 0xFF00FF00, false, 0},
        {-20, 20, 340, 130, 20, 1, 0x80FFFFFF, false, 0},    // translucent, partly off the canvas
        {6, 8, 290, 150, 10, 1, 0xFF0000FF, true, 0x8000FF00},  // filled with a translucent colour
        {30, 2, 260, 174, 40, 1, 0xFFFF00FF, true, 0},       // large corners
        {5, 60, 300, 110, 6, 2, 0xFF808080, false, 0},
    };
    for (bool bottomUp : {false, true})
        for (ClipKind clip : {ClipKind::None, ClipKind::TwoPieces})
            for (const Case& c : cases) {
                Surface fast(320, 180, 0xFF112233, bottomUp), reference(320, 180, 0xFF112233, bottomUp);
                for (Surface* s : {&fast, &reference}) ApplyClip(s->dc(), clip);
                CUIRender::DrawRoundRectangle(fast.dc(), c.x, c.y, c.w, c.h, c.arc, c.color, c.pen, c.fill, c.fillColor);
                ReferenceRoundRectangle(reference.dc(), c.x, c.y, c.w, c.h, c.arc, c.color, c.pen, c.fill, c.fillColor);
                EXPECT_EQ(CompareNear(fast, reference, 0), "")
                    << "bottom-up " << bottomUp << " clip " << static_cast<int>(clip) << " shape at " << c.x << ","
                    << c.y << " " << c.w << "x" << c.h << " pen " << c.pen;
            }
    // Drawn again from the kept small picture, and within a paint part under a window origin.
    Surface fast(320, 180, 0xFF112233), reference(320, 180, 0xFF112233);
    for (Surface* s : {&fast, &reference}) {
        SetWindowOrgEx(s->dc(), 7, -5, nullptr);
        IntersectClipRect(s->dc(), 100, 0, 180, 200);
    }
    CUIRender::DrawRoundRect(fast.dc(), {4, 4, 305, 155}, 1, 8, 8, 0xFF2A3038);
    ReferenceRoundRectangle(reference.dc(), 4, 4, 300, 150, 8, 0xFF2A3038, 1, false, 0);
    EXPECT_EQ(CompareNear(fast, reference, 0), "");
}

// On a target without 32-bit pixels the widened picture is blended through the system.
TEST_F(PixelPaths, PanelRoundBorderOnDeviceBitmap) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 320, 200);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, 320, 200, WHITENESS);
    CUIRender::DrawRoundRect(dc, {2, 2, 302, 182}, 1, 8, 8, 0xFF0000FF);
    EXPECT_EQ(GetPixel(dc, 150, 2), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 2, 90), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 301, 90), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 150, 181), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 150, 90), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(255, 255, 255));  // cut off by the rounded corner
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

namespace {

// The colour over the background at a coverage of 0..1, as a source-over blend gives it.
DWORD Mix(DWORD background, DWORD color, double coverage) {
    const double a = coverage * (color >> 24) / 255.0;
    DWORD result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double top = shift == 24 ? 255.0 : ((color >> shift) & 0xFF);
        const double value = top * a + ((background >> shift) & 0xFF) * (1 - a);
        result |= static_cast<DWORD>(value + 0.5) << shift;
    }
    return result;
}

}  // namespace

// Anti-aliased lines straight into the pixels: along the pixel grid each row or column is covered by
// the part of it the line's width spans (whole numbers are pixel centres, as in GDI+).
TEST_F(PixelPaths, AntiAliasedLineCoversThePixelsItSpans) {
    const DWORD background = 0xFF102030;
    struct Case {
        TStrokePoint a, b;
        float width;
        DWORD color;
        double cover[3];  // of the rows (or columns) before, on and after the centre
    };
    const Case cases[] = {
        {{5, 10}, {30, 10}, 1, 0xFFFF8000, {0, 1, 0}},
        {{5, 10}, {30, 10}, 2, 0xFFFF8000, {0.5, 1, 0.5}},
        {{5, 10}, {30, 10}, 3, 0xFF00FF00, {1, 1, 1}},
        {{8, 4}, {8, 30}, 2, 0x80FFFFFF, {0.5, 1, 0.5}},
        {{5, 10.5f}, {30, 10.5f}, 1, 0xFFFF8000, {0, 0.5, 0.5}},
    };
    for (const Case& c : cases) {
        Surface canvas(40, 40, background);
        const TStrokePoint line[2] = {c.a, c.b};
        ASSERT_TRUE(StrokePolylineAntiAliased(canvas.dc(), line, 2, c.width, c.color, {0, 0, 40, 40}));
        const bool horizontal = c.a.y == c.b.y;
        const int centre = static_cast<int>(horizontal ? c.a.y : c.a.x);
        for (int offset = -1; offset <= 1; ++offset) {
            const int along = horizontal ? 15 : 20, across = centre + offset;
            const DWORD seen = horizontal ? canvas.At(along, across) : canvas.At(across, along);
            const DWORD expected = Mix(background, c.color, c.cover[offset + 1]);
            for (int shift = 0; shift < 32; shift += 8)
                EXPECT_NEAR(static_cast<int>((seen >> shift) & 0xFF), static_cast<int>((expected >> shift) & 0xFF), 1)
                    << "width " << c.width << " offset " << offset << std::hex << " seen " << seen;
        }
        // Two pixels off the line nothing is touched.
        EXPECT_EQ(horizontal ? canvas.At(15, centre + 3) : canvas.At(centre + 3, 20), background);
        EXPECT_EQ(horizontal ? canvas.At(15, centre - 2) : canvas.At(centre - 2, 20), background);
    }
    // A polyline's joints are covered once, not blended twice: a translucent corner stays as light
    // as the straight parts.
    Surface corner(40, 40, background);
    const TStrokePoint bend[3] = {{5, 20}, {20, 20}, {20, 35}};
    ASSERT_TRUE(StrokePolylineAntiAliased(corner.dc(), bend, 3, 1, 0x80FFFFFF, {0, 0, 40, 40}));
    EXPECT_EQ(corner.At(20, 20), corner.At(10, 20));
    EXPECT_EQ(corner.At(20, 20), corner.At(20, 30));
}

// The line keeps within the target's clip, the given rectangle and the bitmap, under a window origin
// and on bottom-up bitmaps: inside them the pixels of the same line drawn unclipped, outside untouched.
TEST_F(PixelPaths, AntiAliasedLineKeepsWithinItsClips) {
    const TStrokePoint zigzag[5] = {{-10, 5}, {15, 35.5f}, {25, 3}, {33.3f, 38}, {60, 20}};
    const RECT within = {2, 4, 37, 34};
    for (bool bottomUp : {false, true})
        for (ClipKind clip : {ClipKind::None, ClipKind::TwoPieces, ClipKind::Round})
            for (int origin : {0, 3}) {
                Surface clipped(40, 40, 0xFF112233, bottomUp), whole(40, 40, 0xFF112233, bottomUp),
                    mask(40, 40, 0, bottomUp);
                ApplyClip(clipped.dc(), clip);
                ApplyClip(mask.dc(), clip);
                for (Surface* s : {&clipped, &whole, &mask}) SetWindowOrgEx(s->dc(), origin, -origin, nullptr);
                ASSERT_TRUE(StrokePolylineAntiAliased(clipped.dc(), zigzag, 5, 2.5f, 0xFFE0C020, within));
                ASSERT_TRUE(StrokePolylineAntiAliased(whole.dc(), zigzag, 5, 2.5f, 0xFFE0C020, {-100, -100, 100, 100}));
                // The mask: the clip and the rectangle, filled through the same clip.
                CUIRender::DrawColor(mask.dc(), within, 0xFFFFFFFF);
                int inked = 0;
                for (int y = 0; y < 40; ++y)
                    for (int x = 0; x < 40; ++x) {
                        const bool inside = mask.At(x, y) != 0;
                        const DWORD expected = inside ? whole.At(x, y) : 0xFF112233u;
                        ASSERT_EQ(clipped.At(x, y), expected) << x << "," << y << " clip " << static_cast<int>(clip)
                                                              << " origin " << origin << " bottom-up " << bottomUp;
                        inked += inside && expected != 0xFF112233u;
                    }
                EXPECT_GT(inked, 40);
            }
}

// A target without 32-bit pixels is left to the caller.
TEST_F(PixelPaths, AntiAliasedLineNeedsPixels) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 20, 20);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const TStrokePoint line[2] = {{1, 1}, {18, 18}};
    EXPECT_FALSE(StrokePolylineAntiAliased(dc, line, 2, 1, 0xFFFFFFFF, {0, 0, 20, 20}));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

namespace {

// Plain text as DrawTextW draws it, each time, in the render engine's set-up.
void ReferenceGdiText(HDC dc, HFONT font, RECT rect, const wchar_t* text, DWORD color, UINT style) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF));
    HGDIOBJ old = SelectObject(dc, font);
    DrawTextW(dc, text, -1, &rect, style);
    SelectObject(dc, old);
}

// Paints a striped background into the rectangle, different for each seed.
void Background(Surface& s, const RECT& r, int seed) {
    for (int y = r.top; y < r.bottom; y += 3) {
        const DWORD color = 0xFF000000 | static_cast<DWORD>((y * 37 + seed * 91) & 0xFF) << 8 | static_cast<DWORD>(seed * 40);
        CUIRender::DrawColor(s.dc(), {r.left, y, r.right, std::min<LONG>(y + 3, r.bottom)}, color);
    }
}

}  // namespace

// Plain text is drawn once and written again from what it left while the same words in the same font,
// colour, style and place meet the same pixels: whatever changes (the background, the colour, the font,
// the words, the clip), the pixels are those of DrawTextW drawing every time.
TEST_F(PixelPaths, KeptTextMatchesDrawingItEachTime) {
    CUIPixelMemo::Clear();  // nothing kept from earlier tests
    manager.AddFont(1, L"Tahoma", 13, false, false, false);
    manager.AddFont(2, L"Tahoma", 17, true, false, true);
    struct Step {
        int seed, font;
        DWORD color;
        const wchar_t* text;
        ClipKind clip;
        int remadeSize = 0;  // font 1 made again at this size first (its handle may well be the old one's)
    };
    const Step steps[] = {
        {1, 1, 0xFFE6E8EB, L"Phase 180\u00B0", ClipKind::None},  // drawn
        {1, 1, 0xFFE6E8EB, L"Phase 180\u00B0", ClipKind::None},  // written again
        {2, 1, 0xFFE6E8EB, L"Phase 180\u00B0", ClipKind::None},  // another background
        {1, 1, 0xFFF6CE1D, L"Phase 180\u00B0", ClipKind::None},  // another colour
        {1, 2, 0xFFE6E8EB, L"Phase 180\u00B0", ClipKind::None},  // another font
        {1, 1, 0xFFE6E8EB, L"Phase 0\u00B0", ClipKind::None},    // other words
        {1, 1, 0xFFE6E8EB, L"Phase 180\u00B0", ClipKind::None},
        {1, 1, 0xFFE6E8EB, L"Phase 190\u00B0", ClipKind::None},  // as many letters, one other
        {1, 1, 0xFFE6E8EB, L"Phase 180\u00B0", ClipKind::Round}, // a rounded control's clip
        {1, 1, 0xFFE6E8EB, L"Phase 180\u00B0", ClipKind::Round},
        {1, 1, 0xFFE6E8EB, L"Phase 180\u00B0", ClipKind::TwoPieces},
        {2, 1, 0xFFE6E8EB, L"Phase 180\u00B0", ClipKind::None},
        {1, 1, 0xFFE6E8EB, L"Phase 180\u00B0", ClipKind::None, 15},
        {1, 1, 0xFFE6E8EB, L"Phase 180\u00B0", ClipKind::None},
    };
    const RECT rect = {2, 8, 38, 30};
    const UINT style = DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS;
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        const Step& step = steps[i];
        if (step.remadeSize) manager.AddFont(1, L"Tahoma", step.remadeSize, false, false, false);
        Surface kept(40, 40, 0xFF101010), reference(40, 40, 0xFF101010);
        for (Surface* s : {&kept, &reference}) {
            Background(*s, {0, 0, 40, 40}, step.seed);
            ApplyClip(s->dc(), step.clip);
        }
        RECT r = rect;
        CUIRender::DrawText(kept.dc(), &manager, r, step.text, step.color, step.font, style);
        ReferenceGdiText(reference.dc(), manager.GetFontHandle(step.font), rect, step.text, step.color, style);
        EXPECT_EQ(Compare(kept, reference), "") << "step " << i;
        EXPECT_TRUE(EqualRect(&r, &rect));
    }
    // Kept text shows: a step drawn again differs from its background.
    Surface plain(40, 40, 0xFF101010);
    Background(plain, {0, 0, 40, 40}, 1);
    Surface drawn(40, 40, 0xFF101010);
    Background(drawn, {0, 0, 40, 40}, 1);
    RECT r = rect;
    CUIRender::DrawText(drawn.dc(), &manager, r, L"Phase 180\u00B0", 0xFFE6E8EB, 1, style);
    EXPECT_NE(Compare(drawn, plain), "");
}

// A kept call is taken again only over the very pixels it met: one pixel changed anywhere under it (at
// either end or amid a run of the background, of rows of any length) makes it draw.
TEST_F(PixelPaths, KeptTextNoticesOnePixelChanged) {
    CUIPixelMemo::Clear();
    manager.AddFont(1, L"Tahoma", 13, false, false, false);
    const UINT style = DT_SINGLELINE | DT_LEFT | DT_VCENTER;
    const POINT changed[] = {{2, 8}, {9, 8}, {10, 20}, {17, 12}, {25, 29}, {36, 15}, {37, 29}};
    for (const RECT& rect : {RECT{2, 8, 38, 30}, RECT{2, 8, 13, 30}}) {
        for (const POINT& at : changed) {
            if (!PtInRect(&rect, at)) continue;
            for (int pass = 0; pass < 2; ++pass) {  // the plain background kept, then the changed one met
                Surface kept(40, 40, 0xFF203040), reference(40, 40, 0xFF203040);
                if (pass == 1)
                    for (Surface* s : {&kept, &reference}) CUIRender::DrawColor(s->dc(), {at.x, at.y, at.x + 1, at.y + 1}, 0xFF203041);
                RECT r = rect;
                CUIRender::DrawText(kept.dc(), &manager, r, L"Wi", 0xFFE6E8EB, 1, style);
                ReferenceGdiText(reference.dc(), manager.GetFontHandle(1), rect, L"Wi", 0xFFE6E8EB, style);
                EXPECT_EQ(Compare(kept, reference), "") << at.x << "," << at.y << " pass " << pass;
            }
        }
    }
}

// Images of the manager are blended once and written again from what they left over the same pixels;
// over other pixels, elsewhere, faded or cut by the paint area they are drawn, as every time before.
TEST_F(PixelPaths, KeptImagesMatchDrawingThemEachTime) {
    CUIPixelMemo::Clear();
    TImageRecord* image = manager.AddImage(L"101", L"PNG");
    ASSERT_NE(image, nullptr);
    struct Step {
        int seed;
        RECT dest, paint;
        BYTE fade;
    };
    const RECT all = {0, 0, 40, 40};
    const Step steps[] = {
        {1, {4, 4, 28, 28}, all, 255},  {1, {4, 4, 28, 28}, all, 255}, {2, {4, 4, 28, 28}, all, 255},
        {1, {4, 4, 28, 28}, all, 128},  {2, {4, 4, 28, 28}, all, 128}, {1, {4, 4, 28, 28}, all, 128},
        {1, {6, 4, 30, 28}, all, 255},  {1, {4, 4, 28, 28}, {0, 0, 20, 40}, 255}, {1, {4, 4, 28, 28}, all, 255},
    };
    const RECT source = {0, 0, 12, 12}, corners = {3, 3, 3, 3};
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        const Step& step = steps[i];
        for (ClipKind clip : {ClipKind::None, ClipKind::Round}) {
            Surface kept(40, 40, 0xFF101010), reference(40, 40, 0xFF101010);
            for (Surface* s : {&kept, &reference}) {
                Background(*s, all, step.seed);
                ApplyClip(s->dc(), clip);
            }
            ASSERT_TRUE(CUIRender::DrawImage(kept.dc(), &manager, all, step.paint, L"101", L"PNG", step.dest, source,
                                             corners, 0, step.fade, false, false, false));
            CUIRender::DrawImage(reference.dc(), image->bitmap, step.dest, step.paint, source, corners, image->hasAlpha,
                                 step.fade);
            EXPECT_EQ(Compare(kept, reference), "") << "step " << i << " clip " << static_cast<int>(clip);
        }
    }
}
