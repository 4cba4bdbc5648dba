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

#include <vector>

namespace Gdiplus {
class GpGraphics;
}

namespace SkinUI {

// Fills each rectangle (logical units of hdc) with the opaque colour 0xFFRRGGBB; alpha becomes 0xFF.
// False, having drawn nothing, for a 32-bit DIB it cannot write (a scaled or transformed DC): GDI+ must.
bool FillOpaqueRects(HDC hdc, const RECT* rects, int count, DWORD color);

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
    // target's clip; on 32-bit DIBs directly, elsewhere through AlphaBlend.
    static void Blend(HDC target, int x, int y, const TShapePicture& picture);
    static void Release();  // frees the kept bitmap (also at the shared shut-down)

private:
    static bool Reserve(int width, int height);
};

}  // namespace SkinUI
