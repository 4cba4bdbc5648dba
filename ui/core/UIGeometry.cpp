#include "UIGeometry.h"

namespace SkinUI {

CUIPoint::CUIPoint(LPARAM mouseParam) {
    x = static_cast<short>(LOWORD(mouseParam));
    y = static_cast<short>(HIWORD(mouseParam));
}

void CUIRect::Offset(int dx, int dy) { ::OffsetRect(this, dx, dy); }

void CUIRect::Inflate(int cx, int cy) { ::InflateRect(this, cx, cy); }

void CUIRect::Join(const RECT& r) {
    if (r.left < left) left = r.left;
    if (r.top < top) top = r.top;
    if (r.right > right) right = r.right;
    if (r.bottom > bottom) bottom = r.bottom;
}

void CUIRect::Union(const RECT& r) {
    RECT a = *this;
    ::UnionRect(this, &a, &r);
}

}  // namespace SkinUI
