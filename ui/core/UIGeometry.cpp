#include "UIGeometry.h"

#include <algorithm>
#include <utility>

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

namespace {

// The columns of a band left free by the holes' columns [first, last), which are sorted by their left.
void FreeColumns(const RECT& area, const RECT* first, const RECT* last, std::vector<std::pair<LONG, LONG>>& free) {
    free.clear();
    LONG x = area.left;
    for (const RECT* hole = first; hole != last; ++hole) {
        if (hole->left > x) free.push_back({x, hole->left});
        if (hole->right > x) x = hole->right;
    }
    if (x < area.right) free.push_back({x, area.right});
}

}  // namespace

// A sweep from top to bottom: the area is cut into bands where a hole starts or ends; in each band the
// columns no hole crosses are free. A free run with the same columns as one in the band above grows that
// rectangle, so a panel around a few controls comes out as a few rectangles, not one per band.
std::vector<RECT> SubtractRects(const RECT& area, const std::vector<RECT>& holes) {
    std::vector<RECT> parts;
    if (area.left >= area.right || area.top >= area.bottom) return parts;
    std::vector<RECT> cut;
    std::vector<LONG> edges = {area.top, area.bottom};
    for (const RECT& hole : holes) {
        RECT inside;
        if (!IntersectRects(inside, hole, area)) continue;
        cut.push_back(inside);
        edges.push_back(inside.top);
        edges.push_back(inside.bottom);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<RECT> crossing;
    std::vector<std::pair<LONG, LONG>> free;
    std::vector<size_t> open, next;  // the parts that reach the band's top, by their left
    for (size_t band = 0; band + 1 < edges.size(); ++band) {
        const LONG top = edges[band], bottom = edges[band + 1];
        crossing.clear();
        for (const RECT& hole : cut)
            if (hole.top <= top && hole.bottom >= bottom) crossing.push_back(hole);
        std::sort(crossing.begin(), crossing.end(), [](const RECT& a, const RECT& b) { return a.left < b.left; });
        FreeColumns(area, crossing.data(), crossing.data() + crossing.size(), free);
        next.clear();
        size_t o = 0;
        for (const auto& run : free) {
            while (o < open.size() && parts[open[o]].left < run.first) ++o;
            if (o < open.size() && parts[open[o]].left == run.first && parts[open[o]].right == run.second) {
                parts[open[o]].bottom = bottom;
                next.push_back(open[o++]);
            } else {
                next.push_back(parts.size());
                parts.push_back({run.first, top, run.second, bottom});
            }
        }
        open.swap(next);
    }
    return parts;
}

}  // namespace SkinUI
