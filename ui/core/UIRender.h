#pragma once
// CUIRender: the stateless drawing routines every control paints through: colours and their
// hue/saturation/lightness adjustment, fills, gradients, lines, plain text, translucent blits, images
// (UIImage.cpp) and formatted text (UIFormattedText.cpp). CUIRenderClip narrows a device context's clip
// for one paint call and restores it afterwards.
//
// Colours are 0xAARRGGBB; 32-bit bitmap pixels are stored in the same order (blue in the lowest byte).
// Routines draw nothing for missing inputs and report nothing.
#include "UIGeometry.h"
#include "UIRenderSurface.h"
#include "UIString.h"

#include <windows.h>

namespace Gdiplus {
class GpImage;
}

namespace SkinUI {

class CControlUI;
class CPaintManagerUI;
struct TImageRecord;
struct TImageDrawInfo;

class CUIRenderClip {
public:
    CUIRenderClip() = default;
    CUIRenderClip(const CUIRenderClip&) = delete;
    CUIRenderClip& operator=(const CUIRenderClip&) = delete;
    ~CUIRenderClip();  // the clip as it was before the guard

    // Narrows the clip of hdc to rect within the current clip.
    static void GenerateClip(HDC hdc, const RECT& rect, CUIRenderClip& clip);
    // The same, further within a rounded rectangle over inner whose corner ellipse is width x height.
    static void GenerateRoundClip(HDC hdc, const RECT& rect, const RECT& inner, int width, int height,
                                  CUIRenderClip& clip);
    // Paints outside the narrowed area (scroll bars, floating children) between Begin and End.
    static void UseOldClipBegin(HDC hdc, CUIRenderClip& clip);
    static void UseOldClipEnd(HDC hdc, CUIRenderClip& clip);

    RECT rcItem = {};
    HDC hDC = nullptr;
    HRGN hRgn = nullptr;     // the narrowed clip, in device units, read by UseOldClipBegin
    HRGN hOldRgn = nullptr;  // the clip before; null when the DC had none

private:
    // On the window's off-screen picture: the known clip before, and the narrowed one while the old one
    // is in use; whether the DC's clip was saved as a region (else the old clip is a known rectangle).
    bool m_tracked = false;
    bool m_generic = false;
    TKnownClip m_old;
    TKnownClip m_narrowed;

    static void Begin(HDC hdc, const RECT& rect, HRGN narrowing, CUIRenderClip& clip);
};

class CUIRender {
public:
    // ---- colours and pixels
    static DWORD AdjustColor(DWORD color, short hue, short saturation, short lightness);
    // Rewrites the image's current pixels from its source pixels with the adjustment.
    static void AdjustImage(bool useHSL, TImageRecord* image, short hue, short saturation, short lightness);
    static void RGBtoHSL(DWORD argb, float* hue, float* saturation, float* lightness);
    static void HSLtoRGB(DWORD* argb, float hue, float saturation, float lightness);  // keeps the alpha
    static DWORD PixelAlpha(DWORD source, double sourceWeight, DWORD destination, double destinationWeight);
    static void CheckAlphaColor(DWORD& color);  // pure black becomes blue 1

    // ---- fills, lines, text
    static void DrawColor(HDC hdc, const RECT& rect, DWORD color);
    static void DrawGradient(HDC hdc, const RECT& rect, DWORD first, DWORD second, bool vertical, int steps);
    static void DrawLine(HDC hdc, const RECT& rect, int size, DWORD color, int style = PS_SOLID);
    static void DrawRect(HDC hdc, const RECT& rect, int size, DWORD color, int style = PS_SOLID);
    static void DrawRoundRect(HDC hdc, const RECT& rect, int size, int width, int height, DWORD color,
                              int style = PS_SOLID);
    static void DrawRoundRectangle(HDC hdc, float x, float y, float width, float height, float arcSize,
                                   DWORD penColor, float penWidth, bool fill, DWORD fillColor);
    // style: DrawTextW's DT_* flags; with DT_CALCRECT rect receives the measured extent.
    static void DrawText(HDC hdc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD color,
                         int font, UINT style);
    static void DrawText(HDC hdc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD color,
                         int font, UINT style, DWORD backColor);
    static SIZE GetTextSize(HDC hdc, CPaintManagerUI* manager, const wchar_t* text, int font);

    // ---- bitmaps
    // A software AlphaBlend with the system's arguments and result, for a premultiplied source.
    static BOOL AlphaBitBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy,
                            int sourceWidth, int sourceHeight, BLENDFUNCTION blend);
    // A 32-bit DIB section, bottom-up unless asked otherwise; its pixels through bits (may be null).
    static HBITMAP CreateARGB32Bitmap(HDC hdc, int width, int height, BYTE** bits, bool topDown = false);
    // A control (or the window's tree up to stopControl) painted as it is over rect, as a new 32-bit
    // bitmap of rect's size owned by the caller; a filter colour with alpha is laid over it. Null on
    // failure. (UIRenderBitmap.cpp)
    static HBITMAP GenerateBitmap(CPaintManagerUI* manager, CControlUI* control, const RECT& rect,
                                  DWORD filterColor = 0);
    static HBITMAP GenerateBitmap(CPaintManagerUI* manager, const RECT& rect, CControlUI* stopControl,
                                  DWORD filterColor = 0);

    // ---- images (UIImage.cpp)
    // Loads an image by file name (archive, resource folder or the name as a path) or, with a resource
    // type, from the module's resources. A premultiplied 32-bit top-down DIB; null when nothing worked.
    static TImageRecord* LoadImage(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0,
                                   HINSTANCE instance = nullptr);
    static TImageRecord* LoadImage(UINT resourceId, const wchar_t* type = nullptr, DWORD mask = 0,
                                   HINSTANCE instance = nullptr);
    // Decodes image file bytes; null for an unsupported, damaged or oversized image.
    static TImageRecord* DecodeImage(const BYTE* data, size_t size, DWORD mask);
    static void FreeImage(TImageRecord* image, bool deleteRecord = true);
    // A GDI+ image from a description's file, or from bytes; null when none. The caller disposes of it.
    static Gdiplus::GpImage* LoadGdiplusImage(const wchar_t* description);
    static Gdiplus::GpImage* LoadGdiplusImage(const BYTE* data, size_t size);

    // The core nine-grid blit: corners are the border widths in both destination and source.
    static void DrawImage(HDC hdc, HBITMAP bitmap, const RECT& dest, const RECT& paint, const RECT& source,
                          const RECT& corners, bool alpha, BYTE fade = 255, bool hole = false,
                          bool tiledX = false, bool tiledY = false);
    static bool DrawImage(HDC hdc, CPaintManagerUI* manager, const RECT& item, const RECT& paint,
                          const wchar_t* name, const wchar_t* type, const RECT& dest, const RECT& source,
                          const RECT& corners, DWORD mask, BYTE fade, bool hole, bool tiledX, bool tiledY,
                          HINSTANCE instance = nullptr);
    static bool DrawImageInfo(HDC hdc, CPaintManagerUI* manager, const RECT& item, const RECT& paint,
                              const TImageDrawInfo* info, HINSTANCE instance = nullptr);
    static bool DrawImageString(HDC hdc, CPaintManagerUI* manager, const RECT& item, const RECT& paint,
                                const wchar_t* image, const wchar_t* modify = nullptr,
                                HINSTANCE instance = nullptr);
    static bool DrawIconImageString(HDC hdc, CPaintManagerUI* manager, const RECT& item, const RECT& paint,
                                    const wchar_t* image, const wchar_t* modify = nullptr);
    // Places an icon of the given size in item: "left", "center", "vcenter" or "hcenter"; another text
    // leaves out unchanged. Clipped at the item's right and bottom.
    static bool MakeFitIconDest(const RECT& item, const SIZE& iconSize, const wchar_t* align, RECT& out);

    // ---- formatted text (UIFormattedText.cpp)
    // Text with inline tags in angle brackets or braces: a (link), b, c (colour), f (font), i (image or
    // italic), n, p, r (raw), s (selection), u, x, y. linkCount: capacity in, links found out.
    static void DrawHtmlText(HDC hdc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD color,
                             RECT* linkRects, CUIString* linkTexts, int& linkCount, int font, UINT style);
};

}  // namespace SkinUI
