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

namespace Gdiplus {
class GpGraphics;
}

namespace SkinUI {

// Fills each rectangle (logical units of hdc) with the opaque colour 0xFFRRGGBB; alpha becomes 0xFF.
void FillOpaqueRects(HDC hdc, const RECT* rects, int count, DWORD color);

// A premultiplied 32-bit scratch bitmap, kept between calls and grown when needed, on which GDI+ draws
// one shape at a time. Begin clears the area (0, 0, width, height) and returns a GDI+ graphics over it,
// translated so that the logical point (x, y) of the target lands on (0, 0); End deletes that graphics
// and blends the area onto the target at (x, y). UI thread only; one shape at a time.
class CUIScratchSurface {
public:
    static Gdiplus::GpGraphics* Begin(int x, int y, int width, int height);
    static void End(HDC target, Gdiplus::GpGraphics* graphics);
    static void Release();  // frees the kept bitmap

private:
    static bool Reserve(int width, int height);
};

}  // namespace SkinUI
