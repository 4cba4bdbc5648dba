#include "UILinearLayout.h"

#include "UIManager.h"
#include "UIRender.h"
#include "UIScrollBar.h"

#include <algorithm>

namespace SkinUI {

namespace {

constexpr DWORD kTrackerColor = 0xAA000000;
constexpr WORD kSizeNorthSouthCursor = 32645;
constexpr WORD kSizeWestEastCursor = 32644;

enum class CrossAlign { Start, Center, End };

int Clamp(int value, int minimum, int maximum) { return std::min(std::max(value, minimum), maximum); }

bool IsShown(const CScrollBarUI* bar) { return bar && bar->IsVisible(); }

// A child's limits and padding told along the main and the cross axis.
struct ChildLimits {
    int limitMain;  // fixed size, or the maximum when not fixed
    int limitCross;
    int minMain;
    int maxMain;
    int minCross;
    int maxCross;
    int padMainBefore;
    int padMainAfter;
    int padCrossBefore;
    int padCrossAfter;

    ChildLimits(const CControlUI& child, bool vertical) {
        const int fixedWidth = child.GetFixedWidth();
        const int fixedHeight = child.GetFixedHeight();
        const int width = fixedWidth < 1 ? child.GetMaxWidth() : fixedWidth;
        const int height = fixedHeight < 1 ? child.GetMaxHeight() : fixedHeight;
        const RECT pad = child.GetPadding();
        limitMain = vertical ? height : width;
        limitCross = vertical ? width : height;
        minMain = vertical ? child.GetMinHeight() : child.GetMinWidth();
        maxMain = vertical ? child.GetMaxHeight() : child.GetMaxWidth();
        minCross = vertical ? child.GetMinWidth() : child.GetMinHeight();
        maxCross = vertical ? child.GetMaxWidth() : child.GetMaxHeight();
        padMainBefore = vertical ? pad.top : pad.left;
        padMainAfter = vertical ? pad.bottom : pad.right;
        padCrossBefore = vertical ? pad.left : pad.top;
        padCrossAfter = vertical ? pad.right : pad.bottom;
    }
    int PadCross() const { return padCrossBefore + padCrossAfter; }
};

// EstimateSize with the room told along the axes; the answer too.
SIZE Estimate(CControlUI& child, bool vertical, int roomMain, int roomCross) {
    const SIZE estimate = child.EstimateSize(vertical ? SIZE{roomCross, roomMain} : SIZE{roomMain, roomCross});
    return vertical ? SIZE{estimate.cy, estimate.cx} : SIZE{estimate.cx, estimate.cy};  // {main, cross}
}

RECT MakeRect(bool vertical, int mainStart, int mainEnd, int crossStart, int crossEnd) {
    return vertical ? RECT{crossStart, mainStart, crossEnd, mainEnd} : RECT{mainStart, crossStart, mainEnd, crossEnd};
}

CrossAlign CrossAlignOf(const CContainerUI& box, bool vertical) {
    if (vertical) {
        const UINT align = box.GetChildAlign();
        return align == 1 ? CrossAlign::Center : align == 2 ? CrossAlign::End : CrossAlign::Start;
    }
    const UINT align = box.GetChildVAlign();
    return align == 4 ? CrossAlign::Center : align == 8 ? CrossAlign::End : CrossAlign::Start;
}

}  // namespace

void ArrangeLinear(CContainerUI& box, bool vertical) {
    const RECT rc = box.GetInnerRect();
    CScrollBarUI* verticalBar = box.GetVerticalScrollBar();
    CScrollBarUI* horizontalBar = box.GetHorizontalScrollBar();
    if (box.GetCount() == 0) {
        box.ProcessScrollBar(rc, 0, 0);
        return;
    }

    const int availableWidth = rc.right - rc.left + (IsShown(horizontalBar) ? horizontalBar->GetScrollRange() : 0);
    const int availableHeight = rc.bottom - rc.top + (IsShown(verticalBar) ? verticalBar->GetScrollRange() : 0);
    const int availableMain = vertical ? availableHeight : availableWidth;
    const int availableCross = vertical ? availableWidth : availableHeight;
    const int childPadding = box.GetChildPadding();

    // Measuring: the room taken by children of a known size, and how many share the rest.
    int adjustableCount = 0;
    int fixedMain = 0;
    int neededCross = 0;
    int counted = 0;
    for (int i = 0; i < box.GetCount(); ++i) {
        CControlUI* child = box.GetItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        const ChildLimits limits(*child, vertical);
        SIZE size = Estimate(*child, vertical, std::min(limits.limitMain, availableMain),
                             std::min(limits.limitCross, availableCross - limits.PadCross()));
        if (size.cx == 0) {
            ++adjustableCount;
        } else {
            size.cx = Clamp(size.cx, limits.minMain, limits.maxMain);
        }
        fixedMain += limits.padMainBefore + limits.padMainAfter + size.cx;
        size.cy = Clamp(std::max<int>(size.cy, 0), limits.minCross, limits.maxCross);
        neededCross = std::max<int>(neededCross, size.cy + limits.PadCross());
        ++counted;
    }
    fixedMain += (counted - 1) * childPadding;
    const int expand = adjustableCount ? std::max(0, (availableMain - fixedMain) / adjustableCount) : 0;

    // Placing, in list order; the last adjustable child takes the rounding rest.
    CScrollBarUI* mainBar = vertical ? verticalBar : horizontalBar;
    CScrollBarUI* crossBar = vertical ? horizontalBar : verticalBar;
    const int crossStart = vertical ? rc.left : rc.top;
    const int crossEnd = vertical ? rc.right : rc.bottom;
    const CrossAlign align = CrossAlignOf(box, vertical);
    int position = (vertical ? rc.top : rc.left) - (IsShown(mainBar) ? mainBar->GetScrollPos() : 0);
    int remaining = availableMain;
    int remainingFixed = fixedMain;
    int neededMain = 0;
    int placed = 0;
    int adjustableSeen = 0;
    for (int i = 0; i < box.GetCount(); ++i) {
        CControlUI* child = box.GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            box.SetFloatPos(i);
            continue;
        }
        ++placed;
        const ChildLimits limits(*child, vertical);
        remaining -= limits.padMainBefore;
        const int crossRoom = availableCross - limits.PadCross();
        const int roomMain = std::min(limits.limitMain, remaining);
        const int roomCross = std::min(limits.limitCross, crossRoom);
        remainingFixed -= limits.padMainBefore + limits.padMainAfter;
        if (placed > 1) remainingFixed -= childPadding;

        int sizeMain = Estimate(*child, vertical, roomMain, roomCross).cx;
        if (sizeMain != 0) {
            sizeMain = Clamp(sizeMain, limits.minMain, limits.maxMain);
            remainingFixed -= sizeMain;
        } else {
            ++adjustableSeen;
            sizeMain = expand;
            if (adjustableSeen == adjustableCount)
                sizeMain = std::max(0, remaining - limits.padMainAfter - remainingFixed);
            sizeMain = Clamp(sizeMain, limits.minMain, limits.maxMain);
        }
        // The estimate's cross size is not used here: the child takes its cross room up to its maximum.
        const int maxCross = limits.maxCross == 0 ? crossRoom : limits.maxCross;
        const int sizeCross = std::max(std::min(roomCross, std::max(0, maxCross)), limits.minCross);

        int childCrossStart = 0;
        const int crossScroll = IsShown(crossBar) ? crossBar->GetScrollPos() : 0;
        const int crossRange = IsShown(crossBar) ? crossBar->GetScrollRange() : 0;
        switch (align) {
        case CrossAlign::Center:
            childCrossStart = (crossStart + crossEnd) / 2 + crossRange / 2 - crossScroll - sizeCross / 2;
            break;
        case CrossAlign::End:
            childCrossStart = crossEnd + crossRange - crossScroll - limits.padCrossAfter - sizeCross;
            break;
        case CrossAlign::Start:
            childCrossStart = crossStart - crossScroll + limits.padCrossBefore;
            break;
        }
        const int mainStart = position + limits.padMainBefore;
        child->SetPos(MakeRect(vertical, mainStart, mainStart + sizeMain, childCrossStart, childCrossStart + sizeCross),
                      false);

        position += limits.padMainBefore + sizeMain + limits.padMainAfter + childPadding;
        neededMain += limits.padMainBefore + sizeMain + limits.padMainAfter;
        remaining -= sizeMain + limits.padMainAfter + childPadding;
    }
    neededMain += (counted - 1) * childPadding;
    box.ProcessScrollBar(rc, vertical ? neededCross : neededMain, vertical ? neededMain : neededCross);
}

// ---------------------------------------------------------------------------------------------------
// The separator strip.

RECT CLayoutSeparator::GetThumbRect(const RECT& item, bool vertical, bool useNewPosition) const {
    const RECT& r = (IsCaptured() && useNewPosition) ? m_newPosition : item;
    if (vertical) {
        if (m_size < 0) return RECT{r.left, r.top, r.right, std::min<LONG>(r.top - m_size, r.bottom)};
        return RECT{r.left, std::max<LONG>(r.top, r.bottom - m_size), r.right, r.bottom};
    }
    if (m_size < 0) return RECT{r.left, r.top, r.left - m_size, r.bottom};
    return RECT{r.right - m_size, r.top, r.right, r.bottom};
}

void CLayoutSeparator::SetImmediate(CContainerUI& box, bool immediate) {
    if (m_immediate == immediate) return;
    if (IsCaptured() && !m_immediate && box.GetManager()) box.GetManager()->RemovePostPaint(&box);
    m_immediate = immediate;
}

bool CLayoutSeparator::DoEvent(CContainerUI& box, bool vertical, RECT& item, LONG& fixedSize, TUIEvent& event) {
    if (m_size == 0) return false;
    CPaintManagerUI* manager = box.GetManager();
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN: {
        if (!box.IsEnabled()) return false;
        const RECT strip = GetThumbRect(item, vertical, false);
        if (!PtInRect(&strip, event.ptMouse)) return false;
        m_buttonState |= UISTATE_CAPTURED;
        m_lastMouse = event.ptMouse;
        m_newPosition = item;
        if (!m_immediate && manager) manager->AddPostPaint(&box);
        return true;
    }
    case UIEVENT_BUTTONUP:
        if (!IsCaptured()) return false;
        item = m_newPosition;
        m_buttonState &= ~UISTATE_CAPTURED;
        if (!m_immediate && manager) manager->RemovePostPaint(&box);
        box.NeedParentUpdate();
        return true;
    case UIEVENT_MOUSEMOVE:
        if (!IsCaptured()) return false;
        return OnMouseMove(box, vertical, item, fixedSize, event.ptMouse);
    case UIEVENT_SETCURSOR: {
        const RECT strip = GetThumbRect(item, vertical, false);
        if (!box.IsEnabled() || !PtInRect(&strip, event.ptMouse)) return false;
        ::SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(vertical ? kSizeNorthSouthCursor : kSizeWestEastCursor)));
        return true;
    }
    default:
        return false;
    }
}

bool CLayoutSeparator::OnMouseMove(CContainerUI& box, bool vertical, RECT& item, LONG& fixedSize, POINT point) {
    const int along = vertical ? point.y : point.x;
    const int moved = along - (vertical ? m_lastMouse.y : m_lastMouse.x);
    m_lastMouse = point;
    RECT r = m_newPosition;
    LONG& start = vertical ? r.top : r.left;
    LONG& end = vertical ? r.bottom : r.right;
    const int oldSize = end - start;
    const int minimum = vertical ? box.GetMinHeight() : box.GetMinWidth();
    const int maximum = vertical ? box.GetMaxHeight() : box.GetMaxWidth();
    // The edge that moves follows the mouse only while the mouse is on its side of the strip.
    LONG& edge = m_size < 0 ? start : end;
    const int stripFar = m_size < 0 ? start - m_size : end;
    const int stripNear = m_size < 0 ? start : end - m_size;
    if ((moved > 0 && along < stripNear) || (moved < 0 && along > stripFar)) return true;
    edge += moved;
    const int newSize = end - start;
    if (newSize <= minimum) {
        if (oldSize <= minimum) return true;
        edge = m_size < 0 ? end - minimum : start + minimum;
    }
    if (newSize >= maximum) {
        if (oldSize >= maximum) return true;
        edge = m_size < 0 ? end - maximum : start + maximum;
    }

    RECT invalid = GetThumbRect(item, vertical, true);
    m_newPosition = r;
    // Stored as written for 96 DPI, like every layout size.
    CPaintManagerUI* manager = box.GetManager();
    const int size = end - start;
    fixedSize = manager ? manager->GetDpiScaler()->ScaleBack(size) : size;
    if (m_immediate) {
        item = r;
        box.NeedParentUpdate();
        return true;
    }
    const RECT newStrip = GetThumbRect(item, vertical, true);
    const RECT itemStrip = GetThumbRect(item, vertical, false);
    UnionRect(&invalid, &invalid, &newStrip);
    UnionRect(&invalid, &invalid, &itemStrip);
    if (manager) manager->InvalidateArea(invalid);
    return true;
}

void CLayoutSeparator::DoPostPaint(HDC hdc, const RECT& item, bool vertical) const {
    if (IsCaptured() && !m_immediate) CUIRender::DrawColor(hdc, GetThumbRect(item, vertical, true), kTrackerColor);
}

}  // namespace SkinUI
