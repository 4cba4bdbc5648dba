#include "UIContainer.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIRenderSurface.h"
#include "UIScrollBar.h"
#include "UIHorizontalLayout.h"
#include "UITabLayout.h"
#include "UITileLayout.h"
#include "UIVerticalLayout.h"

#include <cwchar>
#include <typeinfo>

namespace SkinUI {

namespace {

constexpr int kDefaultLineStep = 8;

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

bool IsShown(const CScrollBarUI* bar) { return bar && bar->IsVisible(); }

bool Meets(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRects(common, a, b);
}

int ClampToMinMax(int value, int minimum, int maximum) {
    if (value < minimum) value = minimum;
    if (value > maximum) value = maximum;
    return value;
}

}  // namespace

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    m_bDelayedDestroy = false;
    RemoveAll();
    delete m_pVerticalScrollBar;
    delete m_pHorizontalScrollBar;
}

CControlUI* CContainerUI::CreateControl() { return new CContainerUI; }

const wchar_t* CContainerUI::GetClass() const { return L"ContainerUI"; }

void* CContainerUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"IContainer")) return static_cast<IContainerUI*>(this);
    if (Is(name, L"Container")) return static_cast<CContainerUI*>(this);
    return CControlUI::GetInterface(name);
}

// ---------------------------------------------------------------------------------------------------
// The child list.

CControlUI* CContainerUI::GetItemAt(int index) const { return static_cast<CControlUI*>(m_items.ItemAt(index)); }

int CContainerUI::GetItemIndex(CControlUI* control) const { return m_items.IndexOf(control); }

int CContainerUI::GetCount() const { return m_items.Count(); }

bool CContainerUI::SetItemIndex(CControlUI* control, int index) {
    const int current = m_items.IndexOf(control);
    // A bad index would drop the child from the list while it still points here as its parent.
    if (current < 0 || index < 0 || index >= m_items.Count()) return false;
    NeedUpdate();
    m_items.RemoveAt(current);
    return m_items.InsertAt(index, control);
}

bool CContainerUI::Add(CControlUI* control) { return InsertChild(control, m_items.Count()); }

bool CContainerUI::AddAt(CControlUI* control, int index) { return InsertChild(control, index); }

bool CContainerUI::InsertChild(CControlUI* control, int index) {
    // Checked before the child is initialised: a refused child must not stay registered by name.
    if (!control || index < 0 || index > m_items.Count()) return false;
    if (m_pManager) m_pManager->InitControls(control, this);
    if (IsVisible()) {
        NeedUpdate();
    } else {
        control->SetInternVisible(false);
    }
    return m_items.InsertAt(index, control);
}

bool CContainerUI::Remove(CControlUI* control) {
    const int index = control ? m_items.IndexOf(control) : -1;
    if (index < 0) return false;
    NeedUpdate();
    m_items.RemoveAt(index);
    if (m_bAutoDestroy) DisposeChild(control);
    return true;
}

bool CContainerUI::RemoveAt(int index) { return Remove(GetItemAt(index)); }

void CContainerUI::RemoveAll() {
    // A destroyed child's subscribers may touch this list: work on a copy.
    CUIPtrArray children(m_items);
    m_items.Clear();
    for (int i = 0; i < children.Count() && m_bAutoDestroy; ++i) DisposeChild(static_cast<CControlUI*>(children[i]));
    NeedUpdate();
}

void CContainerUI::DisposeChild(CControlUI* control) {
    if (m_bDelayedDestroy && m_pManager) {
        m_pManager->AddDelayedCleanup(control);
    } else {
        delete control;
    }
}

// ---------------------------------------------------------------------------------------------------
// Spacing, alignment and flags.

RECT CContainerUI::GetInset() const { return ScaledMargins(m_rcInset); }

void CContainerUI::SetInset(RECT inset) {
    m_rcInset = inset;
    NeedUpdate();
}

int CContainerUI::GetChildPadding() const { return Scaled(m_iChildPadding); }

void CContainerUI::SetChildPadding(int padding) {
    m_iChildPadding = padding;
    NeedUpdate();
}

UINT CContainerUI::GetChildAlign() const { return m_iChildAlign; }

void CContainerUI::SetChildAlign(UINT align) {
    m_iChildAlign = align;
    NeedUpdate();
}

UINT CContainerUI::GetChildVAlign() const { return m_iChildVAlign; }

void CContainerUI::SetChildVAlign(UINT align) {
    m_iChildVAlign = align;
    NeedUpdate();
}

bool CContainerUI::IsAutoDestroy() const { return m_bAutoDestroy; }
void CContainerUI::SetAutoDestroy(bool autoDestroy) { m_bAutoDestroy = autoDestroy; }
bool CContainerUI::IsDelayedDestroy() const { return m_bDelayedDestroy; }
void CContainerUI::SetDelayedDestroy(bool delayed) { m_bDelayedDestroy = delayed; }
bool CContainerUI::IsMouseChildEnabled() const { return m_bMouseChildEnabled; }
void CContainerUI::SetMouseChildEnabled(bool enable) { m_bMouseChildEnabled = enable; }

int CContainerUI::FindSelectable(int index, bool forward) const {
    const int count = m_items.Count();
    if (count == 0) return -1;
    index = ClampToMinMax(index, 0, count - 1);
    auto selectable = [this](int i) {
        CControlUI* item = GetItemAt(i);
        return item->GetInterface(L"ListItem") && item->IsVisible() && item->IsEnabled();
    };
    if (forward) {
        for (int i = index; i < count; ++i) {
            if (selectable(i)) return i;
        }
        return -1;
    }
    for (int i = index; i >= 0; --i) {
        if (selectable(i)) return i;
    }
    return FindSelectable(0, true);
}

// ---------------------------------------------------------------------------------------------------
// Manager, visibility and state passed down to the children.

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    for (int i = 0; i < m_items.Count(); ++i) GetItemAt(i)->SetManager(manager, this, init);
    if (m_pVerticalScrollBar) m_pVerticalScrollBar->SetManager(manager, this, init);
    if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->SetManager(manager, this, init);
    CControlUI::SetManager(manager, parent, init);
}

void CContainerUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    CControlUI::SetVisible(visible);
    for (int i = 0; i < m_items.Count(); ++i) GetItemAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    for (int i = 0; i < m_items.Count(); ++i) GetItemAt(i)->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool enable) {
    if (m_bEnabled == enable) return;
    m_bEnabled = enable;
    for (int i = 0; i < m_items.Count(); ++i) GetItemAt(i)->SetEnabled(enable);
    Invalidate();
}

void CContainerUI::SetMouseEnabled(bool enable) {
    if (m_pVerticalScrollBar) m_pVerticalScrollBar->SetMouseEnabled(enable);
    if (m_pHorizontalScrollBar) m_pHorizontalScrollBar->SetMouseEnabled(enable);
    CControlUI::SetMouseEnabled(enable);
}

void CContainerUI::Move(SIZE offset, bool needInvalidate) {
    CControlUI::Move(offset, needInvalidate);
    if (IsShown(m_pVerticalScrollBar)) m_pVerticalScrollBar->Move(offset, false);
    if (IsShown(m_pHorizontalScrollBar)) m_pHorizontalScrollBar->Move(offset, false);
    for (int i = 0; i < m_items.Count(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (child->IsVisible()) child->Move(offset, false);
    }
}

// ---------------------------------------------------------------------------------------------------
// Geometry.

RECT CContainerUI::GetInsetRect() const {
    const RECT inset = GetInset();
    return RECT{m_rcItem.left + inset.left, m_rcItem.top + inset.top, m_rcItem.right - inset.right,
                m_rcItem.bottom - inset.bottom};
}

RECT CContainerUI::GetInnerRect() const {
    RECT inner = GetInsetRect();
    if (IsShown(m_pVerticalScrollBar)) inner.right -= m_pVerticalScrollBar->GetFixedWidth();
    if (IsShown(m_pHorizontalScrollBar)) inner.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    return inner;
}

RECT CContainerUI::GetScrolledContentRect() const {
    RECT rect = GetInsetRect();
    if (IsShown(m_pVerticalScrollBar)) {
        const int position = m_pVerticalScrollBar->GetScrollPos();
        rect.top -= position;
        rect.bottom -= position;
        rect.bottom += m_pVerticalScrollBar->GetScrollRange();
        rect.right -= m_pVerticalScrollBar->GetFixedWidth();
    }
    if (IsShown(m_pHorizontalScrollBar)) {
        const int position = m_pHorizontalScrollBar->GetScrollPos();
        rect.left -= position;
        rect.right -= position;
        rect.right += m_pHorizontalScrollBar->GetScrollRange();
        rect.bottom -= m_pHorizontalScrollBar->GetFixedHeight();
    }
    return rect;
}

RECT CContainerUI::GetClientPos() const { return GetScrolledContentRect(); }

void CContainerUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    if (m_items.IsEmpty()) return;
    const CUIRect content = GetScrolledContentRect();
    for (int i = 0; i < m_items.Count(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const int width = ClampToMinMax(content.Width(), child->GetMinWidth(), child->GetMaxWidth());
        const int height = ClampToMinMax(content.Height(), child->GetMinHeight(), child->GetMaxHeight());
        child->SetPos(RECT{content.left, content.top, content.left + width, content.top + height}, false);
    }
}

SIZE CContainerUI::FitInto(CControlUI& child, int width, int height) {
    SIZE size = child.EstimateSize(SIZE{width, height});
    if (size.cx == 0) size.cx = width;
    if (size.cy == 0) size.cy = height;
    size.cx = ClampToMinMax(size.cx, child.GetMinWidth(), child.GetMaxWidth());
    size.cy = ClampToMinMax(size.cy, child.GetMinHeight(), child.GetMaxHeight());
    return size;
}

void CContainerUI::SetFloatPos(int index) {
    CControlUI* child = GetItemAt(index);
    if (!child || !child->IsVisible() || !child->IsFloat()) return;
    const SIZE xy = child->GetFixedXY();
    const int cx = child->GetFixedWidth();
    const int cy = child->GetFixedHeight();
    const int parentWidth = m_rcItem.Width();
    const int parentHeight = m_rcItem.Height();
    const UINT align = child->GetFloatAlign();
    CUIRect rect;
    if (align != 0) {
        const int x = (align & UIFLOAT_CENTER) ? (parentWidth - cx) / 2 : (align & UIFLOAT_RIGHT) ? parentWidth - cx : xy.cx;
        const int y = (align & UIFLOAT_VCENTER) ? (parentHeight - cy) / 2 : (align & UIFLOAT_BOTTOM) ? parentHeight - cy : xy.cy;
        rect = CUIRect(x, y, x + cx, y + cy);
        rect.Offset(m_rcItem.left, m_rcItem.top);
    } else {
        const TPercentInfo percent = child->GetFloatPercent();
        rect.left = static_cast<int>(parentWidth * percent.left) + m_rcItem.left + xy.cx;
        rect.top = static_cast<int>(parentHeight * percent.top) + m_rcItem.top + xy.cy;
        rect.right = static_cast<int>(parentWidth * percent.right) + m_rcItem.left + cx + xy.cx;
        rect.bottom = static_cast<int>(parentHeight * percent.bottom) + m_rcItem.top + cy + xy.cy;
    }
    child->SetPos(rect, false);
}

// ---------------------------------------------------------------------------------------------------
// Scroll bars and scrolling.

void CContainerUI::EnableScrollBar(bool enableVertical, bool enableHorizontal) {
    if (enableVertical && !m_pVerticalScrollBar) {
        m_pVerticalScrollBar = new CScrollBarUI;
        m_pVerticalScrollBar->SetOwner(this);
        m_pVerticalScrollBar->SetManager(m_pManager, nullptr, false);
        const wchar_t* defaults = m_pManager ? m_pManager->GetClassDefaultAttributes(L"VScrollBar") : nullptr;
        if (defaults) m_pVerticalScrollBar->ApplyAttributeList(defaults);
    } else if (!enableVertical && m_pVerticalScrollBar) {
        delete m_pVerticalScrollBar;
        m_pVerticalScrollBar = nullptr;
    }
    if (enableHorizontal && !m_pHorizontalScrollBar) {
        m_pHorizontalScrollBar = new CScrollBarUI;
        m_pHorizontalScrollBar->SetHorizontal(true);
        m_pHorizontalScrollBar->SetOwner(this);
        m_pHorizontalScrollBar->SetManager(m_pManager, nullptr, false);
        const wchar_t* defaults = m_pManager ? m_pManager->GetClassDefaultAttributes(L"HScrollBar") : nullptr;
        if (defaults) m_pHorizontalScrollBar->ApplyAttributeList(defaults);
    } else if (!enableHorizontal && m_pHorizontalScrollBar) {
        delete m_pHorizontalScrollBar;
        m_pHorizontalScrollBar = nullptr;
    }
    NeedUpdate();
}

CScrollBarUI* CContainerUI::GetVerticalScrollBar() const { return m_pVerticalScrollBar; }
CScrollBarUI* CContainerUI::GetHorizontalScrollBar() const { return m_pHorizontalScrollBar; }

void CContainerUI::ProcessScrollBar(RECT rect, int cxRequired, int cyRequired) {
    if (m_pHorizontalScrollBar && ProcessOneScrollBar(m_pHorizontalScrollBar, true, rect, cxRequired)) return;
    if (m_pVerticalScrollBar) ProcessOneScrollBar(m_pVerticalScrollBar, false, rect, cyRequired);
}

// True when the container was laid out again (which processed both bars already).
bool CContainerUI::ProcessOneScrollBar(CScrollBarUI* bar, bool horizontal, const RECT& rect, int required) {
    const int available = horizontal ? rect.right - rect.left : rect.bottom - rect.top;
    if (available < required && !bar->IsVisible()) {
        bar->SetVisible(true);
        bar->SetScrollRange(required - available);
        bar->SetScrollPos(0);
        SetPos(m_rcItem, true);
        return true;
    }
    if (!bar->IsVisible()) return false;
    const int range = required - available;
    if (range < 1) {
        bar->SetVisible(false);
        bar->SetScrollPos(0);
        bar->SetScrollRange(0);
        SetPos(m_rcItem, true);
        return true;
    }
    if (horizontal) {
        bar->SetPos(RECT{rect.left, rect.bottom, rect.right, rect.bottom + bar->GetFixedHeight()}, true);
    } else {
        bar->SetPos(RECT{rect.right, rect.top, rect.right + bar->GetFixedWidth(), rect.bottom}, true);
    }
    if (bar->GetScrollRange() == range) return false;
    const int oldPosition = bar->GetScrollPos();
    bar->SetScrollRange(range);
    if (bar->GetScrollPos() >= oldPosition) return false;
    SetPos(m_rcItem, true);
    return true;
}

SIZE CContainerUI::GetScrollPos() const {
    return SIZE{IsShown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->GetScrollPos() : 0,
                IsShown(m_pVerticalScrollBar) ? m_pVerticalScrollBar->GetScrollPos() : 0};
}

SIZE CContainerUI::GetScrollRange() const {
    return SIZE{IsShown(m_pHorizontalScrollBar) ? m_pHorizontalScrollBar->GetScrollRange() : 0,
                IsShown(m_pVerticalScrollBar) ? m_pVerticalScrollBar->GetScrollRange() : 0};
}

SIZE CContainerUI::MoveScrollBars(SIZE pos) {
    SIZE moved = {0, 0};
    if (IsShown(m_pVerticalScrollBar)) {
        const int old = m_pVerticalScrollBar->GetScrollPos();
        m_pVerticalScrollBar->SetScrollPos(pos.cy);
        moved.cy = m_pVerticalScrollBar->GetScrollPos() - old;
    }
    if (IsShown(m_pHorizontalScrollBar)) {
        const int old = m_pHorizontalScrollBar->GetScrollPos();
        m_pHorizontalScrollBar->SetScrollPos(pos.cx);
        moved.cx = m_pHorizontalScrollBar->GetScrollPos() - old;
    }
    return moved;
}

void CContainerUI::ShiftChildren(int dx, int dy) {
    for (int i = 0; i < m_items.Count(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible() || child->IsFloat()) continue;
        CUIRect rect = child->GetPos();
        rect.Offset(-dx, -dy);
        child->SetPos(rect, true);
    }
}

void CContainerUI::SetScrollPos(SIZE pos, bool sendNotify) {
    const SIZE moved = MoveScrollBars(pos);
    if (moved.cx == 0 && moved.cy == 0) return;
    ShiftChildren(moved.cx, moved.cy);
    Invalidate();
    if (m_pVerticalScrollBar && m_pManager && sendNotify) {
        // A line size of 0 or less (the "linesize" attribute allows it) counts as 1.
        const int line = m_pVerticalScrollBar->GetLineSize() > 0 ? m_pVerticalScrollBar->GetLineSize() : 1;
        const int position = m_pVerticalScrollBar->GetScrollPos();
        m_pManager->RaiseNotify(this, L"scroll", static_cast<WPARAM>((position + line) / line), 0);
    }
}

void CContainerUI::SetScrollStepSize(int size) {
    if (size > 0) m_nScrollStepSize = size;
}

int CContainerUI::GetScrollStepSize() const { return Scaled(m_nScrollStepSize); }

int CContainerUI::LineStep(bool vertical) const {
    if (const int step = GetScrollStepSize()) return step;
    if (!vertical || !m_pManager) return kDefaultLineStep;
    return kDefaultLineStep + m_pManager->GetDefaultFontRecord()->metrics.tmHeight;
}

int CContainerUI::PageStep(bool vertical) const {
    const RECT inset = GetInset();
    if (vertical) {
        const int page = m_rcItem.Height() - inset.top - inset.bottom;
        return IsShown(m_pHorizontalScrollBar) ? page - m_pHorizontalScrollBar->GetFixedHeight() : page;
    }
    const int page = m_rcItem.Width() - inset.left - inset.right;
    return IsShown(m_pVerticalScrollBar) ? page - m_pVerticalScrollBar->GetFixedWidth() : page;
}

void CContainerUI::ScrollBy(int dx, int dy) {
    SIZE pos = GetScrollPos();
    pos.cx += dx;
    pos.cy += dy;
    SetScrollPos(pos);
}

void CContainerUI::LineUp() { ScrollBy(0, -LineStep(true)); }
void CContainerUI::LineDown() { ScrollBy(0, LineStep(true)); }
void CContainerUI::LineLeft() { ScrollBy(-LineStep(false), 0); }
void CContainerUI::LineRight() { ScrollBy(LineStep(false), 0); }
void CContainerUI::PageUp() { ScrollBy(0, -PageStep(true)); }
void CContainerUI::PageDown() { ScrollBy(0, PageStep(true)); }
void CContainerUI::PageLeft() { ScrollBy(-PageStep(false), 0); }
void CContainerUI::PageRight() { ScrollBy(PageStep(false), 0); }

void CContainerUI::HomeUp() {
    SIZE pos = GetScrollPos();
    pos.cy = 0;
    SetScrollPos(pos);
}

void CContainerUI::EndDown() {
    if (m_pManager && m_pManager->GetWindowHandle()) UpdateWindow(m_pManager->GetWindowHandle());
    SIZE pos = GetScrollPos();
    pos.cy = GetScrollRange().cy;
    SetScrollPos(pos);
}

void CContainerUI::HomeLeft() {
    SIZE pos = GetScrollPos();
    pos.cx = 0;
    SetScrollPos(pos);
}

void CContainerUI::EndRight() {
    if (m_pManager && m_pManager->GetWindowHandle()) UpdateWindow(m_pManager->GetWindowHandle());
    SIZE pos = GetScrollPos();
    pos.cx = GetScrollRange().cx;
    SetScrollPos(pos);
}

// ---------------------------------------------------------------------------------------------------
// Events, hit tests, attributes, painting.

void CContainerUI::DoEvent(TUIEvent& event) {
    if (!m_bMouseEnabled && event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            CControlUI::DoEvent(event);
        }
        return;
    }
    if (event.Type == UIEVENT_SETFOCUS || event.Type == UIEVENT_KILLFOCUS) {
        m_bFocused = event.Type == UIEVENT_SETFOCUS;
        return;
    }
    const bool vertical = IsShown(m_pVerticalScrollBar) && m_pVerticalScrollBar->IsEnabled();
    const bool horizontal = !vertical && IsShown(m_pHorizontalScrollBar) && m_pHorizontalScrollBar->IsEnabled();
    if (vertical || horizontal) {
        if (event.Type == UIEVENT_KEYDOWN) {
            switch (event.chKey) {
            case VK_PRIOR: vertical ? PageUp() : PageLeft(); return;
            case VK_NEXT: vertical ? PageDown() : PageRight(); return;
            case VK_END: vertical ? EndDown() : EndRight(); return;
            case VK_HOME: vertical ? HomeUp() : HomeLeft(); return;
            case VK_UP: vertical ? LineUp() : LineLeft(); return;
            case VK_DOWN: vertical ? LineDown() : LineRight(); return;
            default: break;
            }
        } else if (event.Type == UIEVENT_SCROLLWHEEL) {
            switch (LOWORD(event.wParam)) {
            case 0: vertical ? LineUp() : LineLeft(); return;
            case 1: vertical ? LineDown() : LineRight(); return;
            default: break;
            }
        }
    }
    CControlUI::DoEvent(event);
}

CControlUI* CContainerUI::FindControl(FindControlProc proc, void* data, UINT flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    const bool hitTest = (flags & UIFIND_HITTEST) != 0;
    if (hitTest && !PtInRect(&m_rcItem, *static_cast<POINT*>(data))) return nullptr;
    if ((flags & UIFIND_UPDATETEST) && proc(this, data)) return nullptr;
    const bool selfSearchable = !(hitTest && !m_bMouseEnabled);

    if ((flags & UIFIND_ME_FIRST) && selfSearchable) {
        if (CControlUI* found = proc(this, data)) return found;
    }
    if (selfSearchable) {
        for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
            if (!bar) continue;
            if (CControlUI* found = bar->FindControl(proc, data, flags)) return found;
        }
    }
    if (!(hitTest && !m_bMouseChildEnabled)) {
        const RECT inner = GetInnerRect();
        const int count = m_items.Count();
        for (int step = 0; step < count; ++step) {
            const int index = (flags & UIFIND_TOP_FIRST) ? count - 1 - step : step;
            CControlUI* child = GetItemAt(index);
            CControlUI* found = child->FindControl(proc, data, flags);
            if (!found) continue;
            // A floating child may lie in the inset: it and whatever it holds can be hit there.
            if (!hitTest || child->IsFloat() || PtInRect(&inner, *static_cast<POINT*>(data))) return found;
        }
    }
    if (!(flags & UIFIND_ME_FIRST) && selfSearchable) return proc(this, data);
    return nullptr;
}

void CContainerUI::ApplyScrollBarStyle(CScrollBarUI* bar, const CUIString& style) {
    const wchar_t* named = m_pManager ? m_pManager->GetStyle(style.Data()) : nullptr;
    bar->ApplyAttributeList(named ? named : style.Data());
}

void CContainerUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!value) value = L"";
    if (Is(name, L"inset")) {
        SetInset(ParseRect(value));
    } else if (Is(name, L"mousechild")) {
        SetMouseChildEnabled(IsTrue(value));
    } else if (Is(name, L"vscrollbar")) {
        EnableScrollBar(IsTrue(value), m_pHorizontalScrollBar != nullptr);
    } else if (Is(name, L"vscrollbarstyle")) {
        m_sVerticalScrollBarStyle = value;
        EnableScrollBar(true, m_pHorizontalScrollBar != nullptr);
        ApplyScrollBarStyle(m_pVerticalScrollBar, m_sVerticalScrollBarStyle);
    } else if (Is(name, L"hscrollbar")) {
        EnableScrollBar(m_pVerticalScrollBar != nullptr, IsTrue(value));
    } else if (Is(name, L"hscrollbarstyle")) {
        m_sHorizontalScrollBarStyle = value;
        EnableScrollBar(m_pVerticalScrollBar != nullptr, true);
        ApplyScrollBarStyle(m_pHorizontalScrollBar, m_sHorizontalScrollBarStyle);
    } else if (Is(name, L"childpadding")) {
        SetChildPadding(ParseInt(value));
    } else if (wcscmp(name, L"childalign") == 0) {
        // Name and values of the two alignments are matched with their letter case.
        if (wcscmp(value, L"left") == 0) m_iChildAlign = 0;
        else if (wcscmp(value, L"center") == 0) m_iChildAlign = 1;
        else if (wcscmp(value, L"right") == 0) m_iChildAlign = 2;
    } else if (wcscmp(name, L"childvalign") == 0) {
        if (wcscmp(value, L"top") == 0) m_iChildVAlign = 0;
        else if (wcscmp(value, L"vcenter") == 0) m_iChildVAlign = 4;
        else if (wcscmp(value, L"bottom") == 0) m_iChildVAlign = 8;
    } else if (Is(name, L"scrollstepsize")) {
        SetScrollStepSize(ParseInt(value));
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

bool CContainerUI::DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) {
    RECT visible;
    if (!IntersectRects(visible, paintRect, m_rcItem)) return true;
    CUIRenderClip clip;
    CUIRenderClip::GenerateClip(hdc, visible, clip);
    m_bLeaveCovered = stopControl == nullptr;
    CControlUI::DoPaint(hdc, paintRect, stopControl);
    m_bLeaveCovered = false;

    if (!m_items.IsEmpty()) {
        const RECT inner = GetInnerRect();
        RECT innerVisible;
        const bool innerShown = IntersectRects(innerVisible, paintRect, inner);
        // Without an inset the inner area's clip is the container's own: no second one is made.
        const bool innerClipped = innerShown && !EqualRect(&innerVisible, &visible);
        CUIRenderClip innerClip;
        if (innerClipped) CUIRenderClip::GenerateClip(hdc, innerVisible, innerClip);
        for (int i = 0; i < m_items.Count(); ++i) {
            CControlUI* child = GetItemAt(i);
            if (child == stopControl) return false;
            if (!child->IsVisible() || !Meets(paintRect, child->GetPos())) continue;
            if (child->IsFloat()) {
                // Floating children may leave the inner area: they paint under the container's own clip.
                if (!Meets(m_rcItem, child->GetPos())) continue;
                if (innerClipped) CUIRenderClip::UseOldClipBegin(hdc, innerClip);
                const bool painted = child->Paint(hdc, paintRect, stopControl);
                if (innerClipped) CUIRenderClip::UseOldClipEnd(hdc, innerClip);
                if (!painted) return false;
            } else if (innerShown && Meets(inner, child->GetPos())) {
                if (!child->Paint(hdc, paintRect, stopControl)) return false;
            }
        }
    }
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (!bar) continue;
        if (bar == stopControl) return false;
        if (bar->IsVisible() && Meets(paintRect, bar->GetPos()) && !bar->Paint(hdc, paintRect, stopControl))
            return false;
    }
    return true;
}

// An opaque background is filled only where no child paints an opaque one over it (nested panels would
// otherwise fill most pixels two or three times).
void CContainerUI::PaintBkColor(HDC hdc) {
    // Kept from call to call (painting is the UI thread's, and nothing below paints): no allocation for
    // each container of each paint.
    static std::vector<RECT> cover;
    cover.clear();
    if (m_bLeaveCovered && (m_dwBackColor >> 24) == 0xFF && m_dwBackColor2 == 0) CollectChildrenCover(m_rcPaint, cover);
    if (cover.empty()) {
        CControlUI::PaintBkColor(hdc);
        return;
    }
    const std::vector<RECT> parts = SubtractRects(m_rcPaint, cover);
    if (parts.empty()) return;
    if (!FillOpaqueRects(hdc, parts.data(), static_cast<int>(parts.size()), GetAdjustColor(m_dwBackColor)))
        CControlUI::PaintBkColor(hdc);
}

namespace {

// The containers whose painting is this file's: their own background, then their children.
bool PaintsAsContainer(const CContainerUI& container) {
    const std::type_info& type = typeid(container);
    return type == typeid(CContainerUI) || type == typeid(CVerticalLayoutUI) || type == typeid(CHorizontalLayoutUI) ||
           type == typeid(CTabLayoutUI) || type == typeid(CTileLayoutUI);
}

// Enough for a window's panels; the rest is filled as before.
const size_t kMaxCoverRects = 256;

}  // namespace

void CContainerUI::CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const {
    if (!PaintsAsContainer(*this)) return;
    RECT visible;
    if (!IntersectRects(visible, within, m_rcItem)) return;
    if (!CollectOpaqueBackground(visible, cover)) CollectChildrenCover(visible, cover);
}

// Children paint within the inner area, floating ones within the container's own.
void CContainerUI::CollectChildrenCover(const RECT& visible, std::vector<RECT>& cover) const {
    const RECT inner = GetInnerRect();
    RECT innerVisible;
    const bool innerShown = IntersectRects(innerVisible, visible, inner);
    for (int i = 0; i < m_items.Count() && cover.size() < kMaxCoverRects; ++i) {
        const CControlUI* child = static_cast<const CControlUI*>(m_items[i]);
        if (!child->IsVisible()) continue;
        if (child->IsFloat())
            child->CollectOpaqueCover(visible, cover);
        else if (innerShown)
            child->CollectOpaqueCover(innerVisible, cover);
    }
}

// ---------------------------------------------------------------------------------------------------
// Sub-controls by name.

CControlUI* CContainerUI::FindSubControl(const wchar_t* name) {
    return FindControl(&CPaintManagerUI::FindControlFromName, const_cast<wchar_t*>(name), UIFIND_ALL);
}

bool CContainerUI::SetSubControlText(const wchar_t* name, const wchar_t* text) {
    CControlUI* control = FindSubControl(name);
    if (!control) return false;
    control->SetText(text);
    return true;
}

bool CContainerUI::SetSubControlFixedHeight(const wchar_t* name, int cy) {
    CControlUI* control = FindSubControl(name);
    if (!control) return false;
    control->SetFixedHeight(cy);
    return true;
}

bool CContainerUI::SetSubControlFixedWidth(const wchar_t* name, int cx) {
    CControlUI* control = FindSubControl(name);
    if (!control) return false;
    control->SetFixedWidth(cx);
    return true;
}

bool CContainerUI::SetSubControlUserData(const wchar_t* name, const wchar_t* text) {
    CControlUI* control = FindSubControl(name);
    if (!control) return false;
    control->SetUserData(text);
    return true;
}

CUIString CContainerUI::GetSubControlText(const wchar_t* name) {
    CControlUI* control = FindSubControl(name);
    return control ? control->GetText() : CUIString();
}

int CContainerUI::GetSubControlFixedHeight(const wchar_t* name) {
    CControlUI* control = FindSubControl(name);
    return control ? control->GetFixedHeight() : -1;
}

int CContainerUI::GetSubControlFixedWidth(const wchar_t* name) {
    CControlUI* control = FindSubControl(name);
    return control ? control->GetFixedWidth() : -1;
}

CUIString CContainerUI::GetSubControlUserData(const wchar_t* name) {
    CControlUI* control = FindSubControl(name);
    return control ? control->GetUserData() : CUIString();
}

}  // namespace SkinUI
