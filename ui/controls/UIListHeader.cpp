#include "UIListHeader.h"

#include "UIAttributes.h"
#include "UIList.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIScrollBar.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {

namespace {

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

int Clamp(int value, int minimum, int maximum) { return std::max(minimum, std::min(value, maximum)); }

constexpr WORD kSizeWestEastCursor = 32644;

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Header row

CControlUI* CListHeaderUI::CreateControl() { return new CListHeaderUI; }

const wchar_t* CListHeaderUI::GetClass() const { return L"ListHeaderUI"; }

void* CListHeaderUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"ListHeader")) return this;
    return CHorizontalLayoutUI::GetInterface(name);
}

void CListHeaderUI::SetScaleHeader(bool scale) { m_bIsScaleHeader = scale; }

void CListHeaderUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"scaleheader")) {
        SetScaleHeader(IsTrue(value));
    } else {
        CHorizontalLayoutUI::SetAttribute(name, value);
    }
}

SIZE CListHeaderUI::EstimateSize(SIZE available) {
    SIZE size = {0, GetFixedHeight()};
    for (int i = 0; i < GetCount(); ++i) size.cx += GetItemAt(i)->EstimateSize(available).cx;
    if (size.cy == 0 && m_pManager) {
        for (int i = 0; i < GetCount(); ++i)
            size.cy = std::max<LONG>(size.cy, GetItemAt(i)->EstimateSize(available).cy);
        const int fontHeight = m_pManager->GetDefaultFontRecord()->metrics.tmHeight + 6;
        size.cy = std::max<LONG>(size.cy, fontHeight);
    }
    return size;
}

int CListHeaderUI::ScaleBase() const {
    int base = GetWidth();
    auto* list = m_pParent ? static_cast<CListUI*>(m_pParent->GetInterface(L"List")) : nullptr;
    if (list && list->GetVerticalScrollBar()) base -= list->GetVerticalScrollBar()->GetFixedWidth();
    return base;
}

void CListHeaderUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    if (GetCount() == 0) return;
    const RECT inner = GetInsetRect();
    const SIZE innerSize = {inner.right - inner.left, inner.bottom - inner.top};
    const int childPadding = GetChildPadding();

    int adjustable = 0;
    int fixedWidth = 0;
    int counted = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible() || item->IsFloat()) continue;
        int width = item->EstimateSize(innerSize).cx;
        if (width == 0) {
            ++adjustable;
        } else {
            width = Clamp(width, item->GetMinWidth(), item->GetMaxWidth());
        }
        const RECT padding = item->GetPadding();
        fixedWidth += padding.left + width + padding.right;
        ++counted;
    }
    fixedWidth += (counted - 1) * childPadding;
    const int share = adjustable ? std::max<int>(0, (innerSize.cx - fixedWidth) / adjustable) : 0;
    const int scaleBase = ScaleBase();

    int x = inner.left;
    int remaining = innerSize.cx;
    int adjustableSeen = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible()) continue;
        if (item->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        const RECT padding = item->GetPadding();
        remaining -= padding.left;
        int width = 0;
        if (m_bIsScaleHeader) {
            auto* headerItem = static_cast<CListHeaderItemUI*>(item->GetInterface(L"ListHeaderItem"));
            const int percent = headerItem ? headerItem->GetScale() : 0;
            width = static_cast<int>(percent * static_cast<double>(scaleBase) / 100.0);
        } else {
            width = item->EstimateSize(SIZE{remaining, innerSize.cy}).cx;
        }
        if (width == 0) {
            ++adjustableSeen;
            width = share;
            if (adjustableSeen == adjustable) width = std::max<int>(0, remaining - padding.right - fixedWidth);
            width = Clamp(width, item->GetMinWidth(), item->GetMaxWidth());
        } else {
            width = Clamp(width, item->GetMinWidth(), item->GetMaxWidth());
            fixedWidth -= width;
        }
        int height = item->GetFixedHeight();
        if (height == 0) height = innerSize.cy - padding.top - padding.bottom;
        height = Clamp(std::max(0, height), item->GetMinHeight(), item->GetMaxHeight());
        const int left = x + padding.left;
        const int top = inner.top + padding.top;
        item->SetPos(RECT{left, top, left + width + padding.right, top + height}, false);
        x += padding.left + width + padding.right + childPadding;
        remaining -= width + padding.right + childPadding;
    }
}

// ---------------------------------------------------------------------------------------------------
// Header item

CListHeaderItemUI::CListHeaderItemUI() { SetMinWidth(16); }

CControlUI* CListHeaderItemUI::CreateControl() { return new CListHeaderItemUI; }

const wchar_t* CListHeaderItemUI::GetClass() const { return L"ListHeaderItemUI"; }

void* CListHeaderItemUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"ListHeaderItem")) return this;
    return CContainerUI::GetInterface(name);
}

UINT CListHeaderItemUI::GetControlFlags() const {
    return IsEnabled() && m_iSepWidth != 0 ? static_cast<UINT>(UIFLAG_SETCURSOR) : 0u;
}

void CListHeaderItemUI::SetEnabled(bool enable) {
    CContainerUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CListHeaderItemUI::SetDragable(bool dragable) {
    m_bDragable = dragable;
    if (!dragable) m_uButtonState &= ~kDragging;
}

void CListHeaderItemUI::SetTextStyle(UINT style) {
    m_uTextStyle = style;
    Invalidate();
}

void CListHeaderItemUI::SetShowHtml(bool show) {
    if (m_bShowHtml == show) return;
    m_bShowHtml = show;
    Invalidate();
}

void CListHeaderItemUI::SetTextPadding(RECT padding) {
    m_rcTextPadding = padding;
    Invalidate();
}

void CListHeaderItemUI::SetNormalImage(const wchar_t* image) {
    m_sNormalImage = image;
    Invalidate();
}

void CListHeaderItemUI::SetHotImage(const wchar_t* image) {
    m_sHotImage = image;
    Invalidate();
}

void CListHeaderItemUI::SetPushedImage(const wchar_t* image) {
    m_sPushedImage = image;
    Invalidate();
}

void CListHeaderItemUI::SetFocusedImage(const wchar_t* image) {
    m_sFocusedImage = image;
    Invalidate();
}

void CListHeaderItemUI::SetSepImage(const wchar_t* image) {
    m_sSepImage = image;
    Invalidate();
}

RECT CListHeaderItemUI::GetSeparatorRect() const {
    if (m_iSepWidth >= 0) return RECT{m_rcItem.right - m_iSepWidth, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
    return RECT{m_rcItem.left, m_rcItem.top, m_rcItem.left - m_iSepWidth, m_rcItem.bottom};
}

RECT CListHeaderItemUI::GetGripRect() const {
    RECT grip = GetSeparatorRect();
    if (m_iSepWidth >= 0) {
        grip.left -= kSeparatorGrip;
    } else {
        grip.right += kSeparatorGrip;
    }
    return grip;
}

int CListHeaderItemUI::GetFixedWidth() const {
    return m_iDraggedWidth > 0 ? m_iDraggedWidth : CContainerUI::GetFixedWidth();
}

void CListHeaderItemUI::SetFixedWidth(int cx) {
    m_iDraggedWidth = 0;
    CContainerUI::SetFixedWidth(cx);
}

void CListHeaderItemUI::OnDpiChanged() {
    m_iDraggedWidth = 0;
    CContainerUI::OnDpiChanged();
}

SIZE CListHeaderItemUI::EstimateSize(SIZE available) {
    if (m_cxyFixed.cy == 0) {
        const int fontHeight = m_pManager ? m_pManager->GetDefaultFontRecord()->metrics.tmHeight : 0;
        return SIZE{GetFixedWidth(), fontHeight + 14};
    }
    return CContainerUI::EstimateSize(available);
}

void CListHeaderItemUI::OnDragMove(POINT point) {
    // Measured from where the drag started, so rounding at DPI other than 100 % never adds up.
    const int dx = point.x - m_ptLastMouse.x;
    const int width = m_iSepWidth >= 0 ? m_iDragStartWidth + dx : m_iDragStartWidth - dx;
    if (width <= GetMinWidth()) return;
    // Stored in layout units like every fixed size, so it scales with a later DPI change; until then
    // the column keeps exactly the dragged pixels.
    m_cxyFixed.cx = m_pManager ? m_pManager->GetDpiScaler()->ScaleBack(width) : width;
    m_iDraggedWidth = width;
    if (m_pParent) m_pParent->NeedParentUpdate();
}

void CListHeaderItemUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            CContainerUI::DoEvent(event);
        }
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK: {
        if (!IsEnabled()) return;
        const RECT grip = GetGripRect();
        if (PtInRect(&grip, event.ptMouse)) {
            if (m_bDragable) {
                m_uButtonState |= kDragging;
                m_ptLastMouse = event.ptMouse;
                m_iDragStartWidth = m_rcItem.Width();
            }
            return;
        }
        m_uButtonState |= UISTATE_PUSHED;
        if (m_pManager) m_pManager->RaiseNotify(this, L"headerclick");
        Invalidate();
        return;
    }
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & kDragging) {
            m_uButtonState &= ~kDragging;
            if (m_pParent) m_pParent->NeedParentUpdate();
        } else if (m_uButtonState & UISTATE_PUSHED) {
            m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & kDragging) OnDragMove(event.ptMouse);
        return;
    case UIEVENT_SETCURSOR: {
        const RECT grip = GetGripRect();
        if (IsEnabled() && m_bDragable && PtInRect(&grip, event.ptMouse)) {
            ::SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(kSizeWestEastCursor)));
            return;
        }
        break;
    }
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

void CListHeaderItemUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!value) value = L"";
    if (Is(name, L"dragable")) {
        SetDragable(IsTrue(value));
    } else if (Is(name, L"sepwidth")) {
        SetSepWidth(ParseInt(value));
    } else if (Is(name, L"align")) {
        if (wcsstr(value, L"left")) m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        if (wcsstr(value, L"center")) m_uTextStyle = (m_uTextStyle & ~DT_RIGHT) | DT_CENTER;
        if (wcsstr(value, L"right")) m_uTextStyle = (m_uTextStyle & ~DT_CENTER) | DT_RIGHT;
    } else if (Is(name, L"endellipsis")) {
        if (IsTrue(value)) {
            m_uTextStyle |= DT_END_ELLIPSIS;
        } else {
            m_uTextStyle &= ~DT_END_ELLIPSIS;
        }
    } else if (Is(name, L"font")) {
        SetFont(ParseInt(value));
    } else if (Is(name, L"textcolor")) {
        SetTextColor(ParseColor(value));
    } else if (Is(name, L"textpadding")) {
        SetTextPadding(ParseRect(value));
    } else if (Is(name, L"showhtml")) {
        SetShowHtml(IsTrue(value));
    } else if (Is(name, L"normalimage")) {
        SetNormalImage(value);
    } else if (Is(name, L"hotimage")) {
        SetHotImage(value);
    } else if (Is(name, L"pushedimage")) {
        SetPushedImage(value);
    } else if (Is(name, L"focusedimage")) {
        SetFocusedImage(value);
    } else if (Is(name, L"sepimage")) {
        SetSepImage(value);
    } else if (Is(name, L"scale")) {
        SetScale(ParseInt(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

void CListHeaderItemUI::PaintStatusImage(HDC hdc) {
    if (IsFocused()) {
        m_uButtonState |= UISTATE_FOCUSED;
    } else {
        m_uButtonState &= ~UISTATE_FOCUSED;
    }
    const CUIString* stateImage = nullptr;
    if (m_uButtonState & UISTATE_PUSHED) {
        stateImage = &m_sPushedImage;
    } else if (m_uButtonState & UISTATE_HOT) {
        stateImage = &m_sHotImage;
    } else if (m_uButtonState & UISTATE_FOCUSED) {
        stateImage = &m_sFocusedImage;
    }
    if (!stateImage || stateImage->IsEmpty()) {
        if (!m_sNormalImage.IsEmpty()) DrawImage(hdc, m_sNormalImage.Data());
    }
    if (stateImage && !stateImage->IsEmpty()) DrawImage(hdc, stateImage->Data());

    if (!m_sSepImage.IsEmpty()) {
        RECT separator = GetSeparatorRect();
        OffsetRect(&separator, -m_rcItem.left, -m_rcItem.top);
        m_sSepImageModify.Format(L"dest='%d,%d,%d,%d'", separator.left, separator.top, separator.right,
                                 separator.bottom);
        DrawImage(hdc, m_sSepImage.Data(), m_sSepImageModify.Data());
    }
}

void CListHeaderItemUI::PaintText(HDC hdc) {
    if (m_dwTextColor == 0 && m_pManager) m_dwTextColor = m_pManager->GetDefaultTextColor();
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    // The padding is in layout units, like every other inset.
    const RECT padding = ScaledMargins(m_rcTextPadding);
    RECT rect = m_rcItem;
    rect.left += padding.left;
    rect.top += padding.top;
    rect.right -= padding.right;
    rect.bottom -= padding.bottom;
    if (m_bShowHtml) {
        int links = 0;
        CUIRender::DrawHtmlText(hdc, m_pManager, rect, text.Data(), m_dwTextColor, nullptr, nullptr, links, m_iFont,
                                m_uTextStyle);
    } else {
        CUIRender::DrawText(hdc, m_pManager, rect, text.Data(), m_dwTextColor, m_iFont, m_uTextStyle);
    }
}

}  // namespace SkinUI
