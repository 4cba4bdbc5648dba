#pragma once
// Geometry value types. Each derives from its Win32 record, so it can be passed to the system as is.
#include <windows.h>

#include <vector>

namespace SkinUI {

class CUIPoint : public POINT {
public:
    CUIPoint() { x = y = 0; }
    CUIPoint(const POINT& src) { x = src.x; y = src.y; }
    CUIPoint(int px, int py) { x = px; y = py; }
    // From a mouse-message lParam: signed low and high 16 bits.
    explicit CUIPoint(LPARAM mouseParam);
};

class CUISize : public SIZE {
public:
    CUISize() { cx = cy = 0; }
    CUISize(const SIZE& src) { cx = src.cx; cy = src.cy; }
    CUISize(int w, int h) { cx = w; cy = h; }
    CUISize(int left, int top, int right, int bottom) { cx = right - left; cy = bottom - top; }
};

class CUIRect : public RECT {
public:
    CUIRect() { left = top = right = bottom = 0; }
    CUIRect(const RECT& src) { left = src.left; top = src.top; right = src.right; bottom = src.bottom; }
    CUIRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    void Offset(int dx, int dy);
    void Inflate(int cx, int cy);
    void Deflate(int cx, int cy) { Inflate(-cx, -cy); }
    void MoveToOrigin() { Offset(-left, -top); }
    // Smallest rectangle holding both, empty ones included.
    void Join(const RECT& r);
    // The system's union, which ignores empty rectangles.
    void Union(const RECT& r);
};

// The system's IntersectRect, inline: painting asks it tens of thousands of times a frame, and under Wine
// each call leaves the program. False, and out emptied, when a and b share no pixel.
inline bool IntersectRects(RECT& out, const RECT& a, const RECT& b) {
    const LONG left = a.left > b.left ? a.left : b.left, right = a.right < b.right ? a.right : b.right;
    const LONG top = a.top > b.top ? a.top : b.top, bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
    if (left >= right || top >= bottom) {
        out = RECT{};
        return false;
    }
    out = RECT{left, top, right, bottom};
    return true;
}

// The parts of area outside every hole, as disjoint rectangles ordered by their top, then their left.
std::vector<RECT> SubtractRects(const RECT& area, const std::vector<RECT>& holes);

}  // namespace SkinUI
