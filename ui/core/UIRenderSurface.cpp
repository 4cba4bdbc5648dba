#include "UIRenderSurface.h"

#include "UIManager.h"

#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace SkinUI {

using namespace Gdiplus;

namespace {

// The pixels of the 32-bit DIB section selected into a memory DC, when it has one and draws in plain
// device units (no mirroring, scaling or world transform). GetObject does not tell a top-down bitmap
// from a bottom-up one; FindRowOrder asks the DC.
struct TDibPixels {
    BYTE* bits = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool bottomUp = false;

    DWORD* Row(int y) const {
        return reinterpret_cast<DWORD*>(bits + static_cast<size_t>(bottomUp ? height - 1 - y : y) * stride);
    }
};

bool DibPixels(HDC hdc, TDibPixels& out) {
    if (GetObjectType(hdc) != OBJ_MEMDC) return false;
    HGDIOBJ bitmap = GetCurrentObject(hdc, OBJ_BITMAP);
    DIBSECTION dib = {};
    if (!bitmap || GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits) return false;
    if (dib.dsBmih.biBitCount != 32 || dib.dsBmih.biCompression != BI_RGB) return false;
    if (GetLayout(hdc) != 0 || GetMapMode(hdc) != MM_TEXT || GetGraphicsMode(hdc) != GM_COMPATIBLE) return false;
    out.bits = static_cast<BYTE*>(dib.dsBm.bmBits);
    out.width = dib.dsBm.bmWidth;
    out.height = dib.dsBm.bmHeight;
    out.stride = dib.dsBm.bmWidthBytes;
    return out.width > 0 && out.height > 0;
}

// The DC's clip as device rectangles within the bitmap (the whole bitmap when it has no clip region);
// false when the region cannot be read.
bool ClipRects(HDC hdc, const TDibPixels& dib, std::vector<RECT>& rects) {
    const RECT bounds = {0, 0, dib.width, dib.height};
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (!region) return false;
    bool ok = true;
    if (GetClipRgn(hdc, region) == 1) {
        const DWORD size = GetRegionData(region, 0, nullptr);
        std::vector<BYTE> buffer(size);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        ok = size && GetRegionData(region, size, data) == size;
        for (DWORD i = 0; ok && i < data->rdh.nCount; ++i) {
            RECT piece;
            if (IntersectRect(&piece, &reinterpret_cast<const RECT*>(data->Buffer)[i], &bounds)) rects.push_back(piece);
        }
    } else {
        rects.push_back(bounds);
    }
    DeleteObject(region);
    return ok;
}

// Settles dib.bottomUp by reading one pixel inside the clip through GDI and comparing it with the two
// places it may sit in memory; when both hold the same colour, one of them is changed for the moment.
// Returns false only when GDI cannot read the pixel. Rows that are the same in both orders (the middle
// one) tell nothing and need no answer.
bool FindRowOrder(HDC hdc, TDibPixels& dib, const std::vector<RECT>& clip) {
    for (const RECT& piece : clip) {
        int y = piece.top;
        if (y == dib.height - 1 - y) ++y;
        if (y >= piece.bottom) continue;
        const int x = piece.left;
        DWORD* topDown = reinterpret_cast<DWORD*>(dib.bits + static_cast<size_t>(y) * dib.stride) + x;
        const DWORD* bottomUp = reinterpret_cast<DWORD*>(dib.bits + static_cast<size_t>(dib.height - 1 - y) * dib.stride) + x;
        const DWORD saved = *topDown;
        if (((*topDown ^ *bottomUp) & 0xFFFFFF) == 0) *topDown ^= 0x00FFFFFF;
        POINT logical = {x, y};
        DPtoLP(hdc, &logical, 1);
        const COLORREF seen = GetPixel(hdc, logical.x, logical.y);
        const DWORD expectTopDown = *topDown;
        *topDown = saved;
        if (seen == CLR_INVALID) return false;
        const COLORREF topDownColor = RGB((expectTopDown >> 16) & 0xFF, (expectTopDown >> 8) & 0xFF, expectTopDown & 0xFF);
        dib.bottomUp = seen != topDownColor;
        return true;
    }
    return true;
}

void FillDeviceRect(const TDibPixels& dib, const RECT& rect, DWORD pixel) {
    const int width = rect.right - rect.left;
    for (int y = rect.top; y < rect.bottom; ++y) std::fill_n(dib.Row(y) + rect.left, width, pixel);
}

void FillWithGdi(HDC hdc, const RECT* rects, int count, DWORD color) {
    HBRUSH brush = CreateSolidBrush(RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF));
    if (!brush) return;
    for (int i = 0; i < count; ++i) FillRect(hdc, &rects[i], brush);
    DeleteObject(brush);
}

// A DC whose pixels can be written directly: its DIB, its clip and its row order. Not usable (GDI must
// draw) for other targets; empty when nothing is visible.
struct TDirectTarget {
    bool usable = false;
    TDibPixels dib;
    std::vector<RECT> clip;

    // The device rectangles of a logical rectangle that lie within the clip.
    template <class Fn>
    void ForEachVisible(HDC hdc, const RECT& logical, Fn fn) const {
        POINT corners[2] = {{logical.left, logical.top}, {logical.right, logical.bottom}};
        LPtoDP(hdc, corners, 2);
        const RECT device = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
        for (const RECT& piece : clip) {
            RECT part;
            if (IntersectRect(&part, &device, &piece)) fn(part, device);
        }
    }
};

TDirectTarget DirectTarget(HDC hdc) {
    TDirectTarget target;
    if (!DibPixels(hdc, target.dib) || !ClipRects(hdc, target.dib, target.clip)) return target;
    GdiFlush();  // GDI drawing still queued must land before the pixels are read or written
    target.usable = target.clip.empty() || FindRowOrder(hdc, target.dib, target.clip);
    return target;
}

// Source-over of a premultiplied pixel, rounded as the system's AlphaBlend rounds.
inline DWORD BlendPixel(DWORD destination, DWORD source) {
    const DWORD keep = 255 - (source >> 24);
    DWORD result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const DWORD value = ((source >> shift) & 0xFF) + (((destination >> shift) & 0xFF) * keep + 127) / 255;
        result |= std::min<DWORD>(value, 255) << shift;
    }
    return result;
}

// A memory DC holding a 32-bit DIB, whose alpha byte GDI would not set.
bool HasAlphaPixels(HDC hdc) {
    if (GetObjectType(hdc) != OBJ_MEMDC) return false;
    DIBSECTION dib = {};
    HGDIOBJ bitmap = GetCurrentObject(hdc, OBJ_BITMAP);
    return bitmap && GetObjectW(bitmap, sizeof dib, &dib) == sizeof dib && dib.dsBmih.biBitCount == 32;
}

}  // namespace

bool FillOpaqueRects(HDC hdc, const RECT* rects, int count, DWORD color) {
    if (!hdc || !rects || count <= 0) return true;
    const TDirectTarget target = DirectTarget(hdc);
    if (!target.usable) {
        if (HasAlphaPixels(hdc)) return false;
        FillWithGdi(hdc, rects, count, color);
        return true;
    }
    const DWORD pixel = 0xFF000000 | (color & 0x00FFFFFF);
    for (int i = 0; i < count; ++i)
        target.ForEachVisible(hdc, rects[i], [&](const RECT& part, const RECT&) { FillDeviceRect(target.dib, part, pixel); });
    return true;
}

namespace {

// Blends a premultiplied top-down picture onto a 32-bit DIB target at the logical point (x, y); empty
// pixels are skipped. False for another kind of target.
bool BlendOnto(HDC hdc, int x, int y, const DWORD* pixels, int stride, int width, int height) {
    const TDirectTarget target = DirectTarget(hdc);
    if (!target.usable) return false;
    target.ForEachVisible(hdc, RECT{x, y, x + width, y + height}, [&](const RECT& part, const RECT& device) {
        for (int row = part.top; row < part.bottom; ++row) {
            const DWORD* from = pixels + static_cast<size_t>(row - device.top) * stride - device.left;
            DWORD* to = target.dib.Row(row);
            for (int column = part.left; column < part.right; ++column) {
                const DWORD s = from[column];
                if (s) to[column] = (s >> 24) == 0xFF ? s : BlendPixel(to[column], s);
            }
        }
    });
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Scratch surface.

namespace {

struct TScratch {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    DWORD* pixels = nullptr;
    int width = 0, height = 0;  // of the bitmap
    // The shape being drawn.
    GpBitmap* image = nullptr;
    int areaWidth = 0, areaHeight = 0;
};

TScratch& Scratch() {
    static TScratch scratch;
    return scratch;
}

bool& ShutdownHookSet() {
    static bool set = false;
    return set;
}

void ReleaseAtShutdown(bool) {
    ShutdownHookSet() = false;  // the shut-down forgets its hooks
    CUIScratchSurface::Release();
}

}  // namespace

bool CUIScratchSurface::Reserve(int width, int height) {
    TScratch& s = Scratch();
    if (s.bitmap && width <= s.width && height <= s.height) return true;
    const int newWidth = std::max(width, s.width), newHeight = std::max(height, s.height);
    Release();
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), newWidth, -newHeight, 1, 32, BI_RGB};
    void* bits = nullptr;
    s.dc = CreateCompatibleDC(nullptr);
    s.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!s.dc || !s.bitmap) {
        Release();
        return false;
    }
    s.oldBitmap = SelectObject(s.dc, s.bitmap);
    s.pixels = static_cast<DWORD*>(bits);
    if (!ShutdownHookSet()) {
        CPaintManagerUI::AddShutdownHook(&ReleaseAtShutdown);
        ShutdownHookSet() = true;
    }
    s.width = newWidth;
    s.height = newHeight;
    return true;
}

void CUIScratchSurface::Release() {
    TScratch& s = Scratch();
    if (s.dc && s.oldBitmap) SelectObject(s.dc, s.oldBitmap);
    if (s.bitmap) DeleteObject(s.bitmap);
    if (s.dc) DeleteDC(s.dc);
    s = TScratch();
}

GpGraphics* CUIScratchSurface::Begin(int x, int y, int width, int height) {
    TScratch& s = Scratch();
    if (s.image || width <= 0 || height <= 0 || !Reserve(width, height)) return nullptr;
    GdiFlush();
    for (int row = 0; row < height; ++row) memset(s.pixels + static_cast<size_t>(row) * s.width, 0, width * 4u);
    // GDI+ draws straight into the DIB's memory, premultiplied.
    if (DllExports::GdipCreateBitmapFromScan0(s.width, s.height, s.width * 4, PixelFormat32bppPARGB,
                                              reinterpret_cast<BYTE*>(s.pixels), &s.image) != Ok) {
        s.image = nullptr;
        return nullptr;
    }
    GpGraphics* graphics = nullptr;
    if (DllExports::GdipGetImageGraphicsContext(s.image, &graphics) != Ok) {
        DllExports::GdipDisposeImage(s.image);
        s.image = nullptr;
        return nullptr;
    }
    DllExports::GdipTranslateWorldTransform(graphics, static_cast<REAL>(-x), static_cast<REAL>(-y), MatrixOrderPrepend);
    s.areaWidth = width;
    s.areaHeight = height;
    return graphics;
}

void CUIScratchSurface::End(GpGraphics* graphics, TShapePicture& picture) {
    TScratch& s = Scratch();
    picture = TShapePicture();
    if (!graphics || !s.image) return;
    DllExports::GdipDeleteGraphics(graphics);
    DllExports::GdipDisposeImage(s.image);
    s.image = nullptr;
    picture.width = s.areaWidth;
    picture.height = s.areaHeight;
    picture.pixels.resize(static_cast<size_t>(s.areaWidth) * s.areaHeight);
    for (int row = 0; row < s.areaHeight; ++row)
        memcpy(&picture.pixels[static_cast<size_t>(row) * s.areaWidth], s.pixels + static_cast<size_t>(row) * s.width,
               s.areaWidth * 4u);
}

void CUIScratchSurface::Blend(HDC target, int x, int y, const TShapePicture& picture) {
    if (!target || picture.width <= 0 || picture.height <= 0) return;
    if (BlendOnto(target, x, y, picture.pixels.data(), picture.width, picture.width, picture.height)) return;
    // Another kind of target: through the system's blend, from the scratch bitmap.
    TScratch& s = Scratch();
    if (s.image || !Reserve(picture.width, picture.height)) return;
    GdiFlush();
    for (int row = 0; row < picture.height; ++row)
        memcpy(s.pixels + static_cast<size_t>(row) * s.width, &picture.pixels[static_cast<size_t>(row) * picture.width],
               picture.width * 4u);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(target, x, y, picture.width, picture.height, s.dc, 0, 0, picture.width, picture.height, blend);
}

}  // namespace SkinUI
