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

std::vector<RECT> SubtractRects(const RECT& area, const std::vector<RECT>& holes) {
    std::vector<RECT> parts;
    if (area.left >= area.right || area.top >= area.bottom) return parts;
    parts.push_back(area);
    std::vector<RECT> next;
    for (const RECT& hole : holes) {
        if (hole.left >= hole.right || hole.top >= hole.bottom) continue;
        next.clear();
        for (const RECT& p : parts) {
            RECT cut;
            if (!IntersectRect(&cut, &p, &hole)) {
                next.push_back(p);
                continue;
            }
            // Above and below the hole full width, beside it only its rows.
            if (p.top < cut.top) next.push_back({p.left, p.top, p.right, cut.top});
            if (p.left < cut.left) next.push_back({p.left, cut.top, cut.left, cut.bottom});
            if (cut.right < p.right) next.push_back({cut.right, cut.top, p.right, cut.bottom});
            if (cut.bottom < p.bottom) next.push_back({p.left, cut.bottom, p.right, p.bottom});
        }
        parts.swap(next);
        if (parts.empty()) break;
    }
    return parts;
}

}  // namespace SkinUI
