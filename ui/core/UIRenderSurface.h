#pragma once
// Fast paths of the render engine.
//
// Off-screen and layered painting draws into 32-bit DIB sections whose alpha byte matters: GDI+ text,
// translucent fills and anti-aliased edges blend with it, and a layered window shows it. GDI fills leave
// that byte 0, GDI+ fills set it but cost a temporary surface per call. An opaque fill is therefore
// written straight into the DIB's pixels (within the DC's clip), and through GDI on any other target,
// where there is no alpha to keep.
//
// GDI+ shapes are drawn into one kept scratch bitmap of their own size and blended onto the target,
// instead of GDI+ making a surface over the whole target for each call.
#include <windows.h>

#include <string>
#include <vector>

namespace Gdiplus {
class GpGraphics;
}

namespace SkinUI {

// Fills each rectangle (logical units of hdc) with the opaque colour 0xFFRRGGBB; alpha becomes 0xFF.
// False, having drawn nothing, for a 32-bit DIB it cannot write (a scaled or transformed DC): GDI+ must.
bool FillOpaqueRects(HDC hdc, const RECT* rects, int count, DWORD color);

// A top-down 32-bit DIB section that the caller made for painting and keeps: drawing into it need not
// ask GDI for its row order each time. Forget it before deleting it.
void RememberTopDownBitmap(HBITMAP bitmap, const void* bits);
void ForgetTopDownBitmap(HBITMAP bitmap);
bool IsRememberedTopDown(HGDIOBJ bitmap, const void* bits);

// Blends a premultiplied top-down picture (stride in pixels) onto a 32-bit DIB target at the logical
// point (x, y), within the target's clip (and the logical rectangle `within`, when given), to the pixels
// AlphaBlend with per-pixel alpha gives; empty pixels are skipped. False, having drawn nothing, for
// another kind of target.
bool BlendOnto(HDC hdc, int x, int y, const DWORD* pixels, int stride, int width, int height,
               const RECT* within = nullptr);

// The window's off-screen picture while its paint manager paints into it. Its pixels, and its clip while
// that is a rectangle, are known here, so that the fast paths and the clip guards need not ask GDI for
// them on every call. The DC draws in plain device units (no origin, scale or transform) and its clip
// changes only through CUIRenderClip (or SaveDC/RestoreDC pairs) while the scope lasts; the scope
// begins with no clip. UI thread only.
// The clip as known beside the DC, in device units.
struct TKnownClip {
    bool known = false;       // false while GDI alone knows it
    RECT rect = {};           // the clip; with a shape, the box it lies in
    bool shaped = false;      // the clip is the rectangles of shape (a rounded control's), within rect
    std::vector<RECT> shape;
};

struct TKnownPaintTarget {
    HDC dc = nullptr;
    DWORD* bits = nullptr;  // top-down
    int width = 0;
    int height = 0;
    TKnownClip clip;
    bool plainText = false;  // no text alignment nor character extra (nothing changes them during a paint)
    TKnownPaintTarget* outer = nullptr;
};

class CUIPaintTargetScope {
public:
    CUIPaintTargetScope(HDC dc, DWORD* bits, int width, int height);
    CUIPaintTargetScope(const CUIPaintTargetScope&) = delete;
    CUIPaintTargetScope& operator=(const CUIPaintTargetScope&) = delete;
    ~CUIPaintTargetScope();

private:
    TKnownPaintTarget m_target;
};

// The known target when hdc is the one being painted; null otherwise.
TKnownPaintTarget* KnownPaintTarget(HDC hdc);

// A point of an anti-aliased line, in logical units; whole numbers are pixel centres (as in GDI+).
struct TStrokePoint {
    float x = 0;
    float y = 0;
};

// Draws the polyline through the points, width pixels wide, in the colour 0xAARRGGBB, straight into the
// pixels of a 32-bit DIB target, within the target's clip and within the logical rectangle `within`.
// Each pixel is covered by how far its centre lies inside the line's edge (a one-pixel ramp), taken
// once for the whole line, so joints are not blended twice. False, having drawn nothing, for another
// kind of target (a device bitmap, a scaled or transformed DC): the caller draws it otherwise.
bool StrokePolylineAntiAliased(HDC hdc, const TStrokePoint* points, int count, float width, DWORD color,
                               const RECT& within);

// What a drawing call did to the pixels under it, kept to be done again without drawing. For a call
// that draws only inside `rect` and whose result depends on nothing but its key (everything the caller
// passes that matters, and the place) and the pixels under rect: when the same call met the same pixels
// before, the constructor writes the result it had then and Done() is true; otherwise it reads the
// pixels, and Keep(), after the call has drawn, keeps them with the result. Only for 32-bit DIB targets
// where rect lies wholly within the clip; elsewhere it does nothing. UI thread only.
class CUIPixelMemo {
public:
    CUIPixelMemo(HDC hdc, const RECT& rect, std::wstring key);
    CUIPixelMemo(const CUIPixelMemo&) = delete;
    CUIPixelMemo& operator=(const CUIPixelMemo&) = delete;

    bool Done() const { return m_done; }
    void Keep();
    // Forgets every kept result (images freed or changed: their handles may come back with other pixels).
    static void Clear();

private:
    bool m_active = false;
    bool m_done = false;
    std::wstring m_key;
    BYTE* m_bits = nullptr;
    int m_stride = 0;
    bool m_bottomUp = false;
    int m_height = 0;
    RECT m_device = {};
    std::vector<DWORD> m_before;
};

// The premultiplied pixels of one drawn shape, top-down, kept to be blended again.
struct TShapePicture {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;
};

// A premultiplied 32-bit scratch bitmap, kept between calls and grown when needed, on which GDI+ draws
// one shape at a time. Begin clears the area (0, 0, width, height) and returns a GDI+ graphics over it,
// translated so that the point (x, y) lands on (0, 0); End deletes that graphics and hands back the
// area's pixels. UI thread only; one shape at a time.
class CUIScratchSurface {
public:
    static Gdiplus::GpGraphics* Begin(int x, int y, int width, int height);
    static void End(Gdiplus::GpGraphics* graphics, TShapePicture& picture);
    // Blends the picture onto the target with its top-left at the logical point (x, y), within the
    // target's clip (and within the logical rectangle clip, when given); on 32-bit DIBs directly,
    // elsewhere through AlphaBlend.
    static void Blend(HDC target, int x, int y, const TShapePicture& picture, const RECT* clip = nullptr);
    // Blends the picture widened to width x height (at least its own size) as a nine-grid whose middle
    // is a single column and row: columns left of splitX and right of it keep their pixels at either
    // end, column splitX fills the space between them; rows alike. Runs of one empty or opaque pixel
    // are skipped or filled, so a large outline costs its edges, not its area.
    static void BlendStretched(HDC target, int x, int y, int width, int height, const TShapePicture& picture,
                               int splitX, int splitY);
    static void Release();  // frees the kept bitmap (also at the shared shut-down)

private:
    static bool Reserve(int width, int height);
};

}  // namespace SkinUI
