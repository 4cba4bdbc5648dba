#pragma once
// Loaded skin images and parsed image descriptions.
#include "UIString.h"

#include <windows.h>

namespace SkinUI {

class CPaintManagerUI;
class CUIDpi;

// One loaded image, owned by a paint manager's image map. Pixels are premultiplied 32-bit values.
struct TImageRecord {
    HBITMAP bitmap = nullptr;        // 32-bit top-down DIB section
    BYTE* currentPixels = nullptr;   // the DIB's own pixels (what the hue/saturation/lightness adjustment writes)
    BYTE* sourcePixels = nullptr;    // owned, unadjusted copy kept for that adjustment; null without
    int width = 0;
    int height = 0;
    bool hasAlpha = false;           // some pixel is translucent or was keyed out by the mask colour
    bool useHSL = false;
    CUIString resourceType;
    DWORD mask = 0;
};

// A parsed image description: a file name alone, or pairs key='value' separated by blanks:
// file/res, restype, dest, source, corner, mask, fade, hole, xtiled, ytiled, hsl, iconsize, iconalign.
struct TImageDrawInfo {
    CUIString drawText;
    CUIString modifyText;
    CUIString imageName;
    CUIString resourceType;
    RECT dest = {};
    RECT source = {};
    RECT corner = {};  // nine-grid border widths
    DWORD mask = 0;
    BYTE fade = 255;
    bool hole = false;
    bool tiledX = false;
    bool tiledY = false;
    bool hsl = false;
    SIZE iconSize = {};
    CUIString iconAlign;

    void Clear();
    // Scans the draw text, then the modify text (which overrides it). With a manager, dest, source and
    // corner are scaled by its DPI and, away from 100 %, "@<percent>" goes before the name's extension.
    void Parse(const wchar_t* drawText, const wchar_t* modifyText, CPaintManagerUI* manager);
    void Parse(const wchar_t* drawText, const wchar_t* modifyText, const CUIDpi* dpi);
};

// "dir/a.b.png" at 150 -> "dir/a.b@150.png": before the last dot of the file name; a file name
// without a dot is left as it is.
CUIString InsertDpiSuffix(const wchar_t* name, int percent);

}  // namespace SkinUI
