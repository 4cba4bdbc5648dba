#include "UIListElement.h"

#include "UIListHeader.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIScrollBar.h"
#include "UITextResource.h"

#include <algorithm>

namespace SkinUI {

namespace {

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

bool IsMouseEvent(const TUIEvent& event) {
    return event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND;
}

constexpr WORD kHandCursor = 32649;

// ---- the rules both element kinds share

IListOwnerUI* OwnerOf(CControlUI* owner) {
    return owner ? static_cast<IListOwnerUI*>(owner->GetInterface(L"IListOwner")) : nullptr;
}

// The item rectangle clipped to what its scrolling parent shows and to every further ancestor.
void InvalidateItem(CControlUI& self) {
    if (!self.IsVisible()) return;
    CPaintManagerUI* manager = self.GetManager();
    CControlUI* parent = self.GetParent();
    auto* container = parent ? static_cast<CContainerUI*>(parent->GetInterface(L"Container")) : nullptr;
    if (!container) {
        self.CControlUI::Invalidate();
        return;
    }
    RECT band = container->GetPos();
    const RECT inset = container->GetInset();
    band.left += inset.left;
    band.top += inset.top;
    band.right -= inset.right;
    band.bottom -= inset.bottom;
    if (CScrollBarUI* bar = container->GetVerticalScrollBar(); bar && bar->IsVisible()) band.right -= bar->GetFixedWidth();
    if (CScrollBarUI* bar = container->GetHorizontalScrollBar(); bar && bar->IsVisible())
        band.bottom -= bar->GetFixedHeight();
    RECT rect = self.GetPos();
    if (!IntersectRect(&rect, &rect, &band)) return;
    for (CControlUI* above = parent->GetParent(); above; above = above->GetParent()) {
        const RECT& pos = above->GetPos();
        if (!IntersectRect(&rect, &rect, &pos)) return;
    }
    if (manager) manager->InvalidateArea(rect);
}

// Selects or deselects through the owner, so that the owner's selection list stays right; repaints the
// item.
bool SelectItem(TListItemState& state, CControlUI& self, bool select) {
    if (!self.IsEnabled()) return false;
    if (state.selected && state.owner) state.owner->UnSelectItem(state.index, true);
    if (select != state.selected) {
        state.selected = select;
        if (state.owner && select) {
            state.owner->SelectItem(state.index, false);
        } else if (state.owner) {
            // The owner forgets the index too, so it never reports an item that is not selected.
            state.owner->UnSelectItem(state.index, false);
        }
    }
    InvalidateItem(self);
    return true;
}

// Toggles the item in a selection of many; repaints it when that changed it.
bool SelectMultiItem(TListItemState& state, CControlUI& self, bool select) {
    if (!self.IsEnabled()) return false;
    if (select == state.selected) return true;
    state.selected = select;
    if (state.owner) {
        if (select) {
            state.owner->SelectMultiItem(state.index, false);
        } else {
            state.owner->UnSelectItem(state.index, false);  // a toggled-off item leaves the selection
        }
    }
    InvalidateItem(self);
    return true;
}

// Announces the activation of an item (a double click or Return).
bool ActivateItem(CControlUI& self) {
    if (!self.CControlUI::Activate()) return false;
    if (CPaintManagerUI* manager = self.GetManager()) manager->RaiseNotify(&self, L"itemactivate");
    return true;
}

// Hiding a selected item empties the owner's selection.
void AfterVisibilityChange(TListItemState& state, const CControlUI& self) {
    if (self.IsVisible() || !state.selected) return;
    state.selected = false;
    if (state.owner) state.owner->SelectItem(-1, false);
}

// Background by state, then state and background images, then grid lines.
void DrawItemBackground(HDC hdc, const RECT& item, CControlUI& self, const TListItemState& state,
                        const CUIString& ownImage) {
    if (!state.owner) return;
    const ListInfo& info = *state.owner->GetListInfo();
    const bool oddRow = info.bAlternateBk && (state.index % 2) != 0;
    const bool hot = (state.buttonState & UISTATE_HOT) != 0;
    DWORD color = oddRow ? 0 : info.dwBkColor;
    if (hot && info.dwHotBkColor != 0) color = info.dwHotBkColor;
    if (state.selected && info.dwSelectedBkColor != 0) color = info.dwSelectedBkColor;
    if (!self.IsEnabled() && info.dwDisabledBkColor != 0) color = info.dwDisabledBkColor;
    if (color != 0) CUIRender::DrawColor(hdc, item, self.GetAdjustColor(color));

    bool imageDrawn = false;
    if (!self.IsEnabled() && !info.sDisabledImage.IsEmpty()) imageDrawn = self.DrawImage(hdc, info.sDisabledImage.Data());
    if (!imageDrawn && state.selected && !info.sSelectedImage.IsEmpty())
        imageDrawn = self.DrawImage(hdc, info.sSelectedImage.Data());
    if (!imageDrawn && hot && !info.sHotImage.IsEmpty()) imageDrawn = self.DrawImage(hdc, info.sHotImage.Data());
    if (!imageDrawn) {
        if (!ownImage.IsEmpty()) {
            if (!oddRow) self.DrawImage(hdc, ownImage.Data());
        } else if (!info.sBkImage.IsEmpty()) {
            self.DrawImage(hdc, info.sBkImage.Data());
        }
    }

    if (info.dwLineColor == 0) return;
    if (info.bShowRowLine) {
        CUIRender::DrawLine(hdc, RECT{item.left, item.bottom - 1, item.right, item.bottom - 1}, 1,
                            self.GetAdjustColor(info.dwLineColor));
    }
    if (info.bShowColumnLine) {
        for (int i = 0; i < info.nColumns; ++i) {
            const int x = info.rcColumn[i].right - 1;
            CUIRender::DrawLine(hdc, RECT{x, item.top, x, item.bottom}, 1, self.GetAdjustColor(info.dwLineColor));
        }
    }
}

RECT Inset(RECT rect, const RECT& padding) {
    rect.left += padding.left;
    rect.top += padding.top;
    rect.right -= padding.right;
    rect.bottom -= padding.bottom;
    return rect;
}

bool IsControlHeld(const TUIEvent& event) { return (event.wKeyState & MK_CONTROL) != 0; }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// CListElementUI

const wchar_t* CListElementUI::GetClass() const { return L"ListElementUI"; }

void* CListElementUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"ListItem")) return static_cast<IListItemUI*>(this);
    if (Is(name, L"ListElement")) return static_cast<CListElementUI*>(this);
    return CControlUI::GetInterface(name);
}

UINT CListElementUI::GetControlFlags() const { return UIFLAG_WANTRETURN; }

void CListElementUI::SetOwner(CControlUI* owner) { m_state.owner = OwnerOf(owner); }

bool CListElementUI::Select(bool select) { return SelectItem(m_state, *this, select); }

bool CListElementUI::SelectMulti(bool select) { return SelectMultiItem(m_state, *this, select); }

bool CListElementUI::Activate() { return ActivateItem(*this); }

void CListElementUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    AfterVisibilityChange(m_state, *this);
}

void CListElementUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!IsEnabled()) m_state.buttonState = 0;
}

void CListElementUI::Invalidate() { InvalidateItem(*this); }

void CListElementUI::DrawItemBk(HDC hdc, const RECT& item) { DrawItemBackground(hdc, item, *this, m_state, m_sBkImage); }

void CListElementUI::DoEvent(TUIEvent& event) {
    if (IsMouseEnabled() || !IsMouseEvent(event)) {
        const bool activation = event.Type == UIEVENT_DBLCLICK || (event.Type == UIEVENT_KEYDOWN && event.chKey == VK_RETURN);
        if (activation && IsEnabled()) {
            // Painted before the notification: a handler may delete the item.
            Invalidate();
            Activate();
            return;
        }
        if (event.Type == UIEVENT_DBLCLICK) return;
    }
    if (m_state.owner) {
        m_state.owner->DoEvent(event);
    } else {
        CControlUI::DoEvent(event);
    }
}

void CListElementUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"selected")) {
        Select(true);
    } else {
        CControlUI::SetAttribute(name, value);
    }
}

// ---------------------------------------------------------------------------------------------------
// CListLabelElementUI

CControlUI* CListLabelElementUI::CreateControl() { return new CListLabelElementUI; }

const wchar_t* CListLabelElementUI::GetClass() const { return L"ListLabelElementUI"; }

void* CListLabelElementUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"ListLabelElement")) return static_cast<CListLabelElementUI*>(this);
    return CListElementUI::GetInterface(name);
}

void CListLabelElementUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_state.owner) {
            m_state.owner->DoEvent(event);
        } else {
            CListElementUI::DoEvent(event);
        }
        return;
    }
    const bool rightSelects = m_state.owner && m_state.owner->GetListInfo()->bRSelected;
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (event.Type == UIEVENT_RBUTTONDOWN && !rightSelects) break;
        if (IsEnabled()) {
            if (IsControlHeld(event)) {
                SelectMulti(!IsSelected());
            } else {
                Select(true);
            }
        }
        return;
    case UIEVENT_BUTTONUP:
        if (IsEnabled() && m_pManager) m_pManager->RaiseNotify(this, L"itemclick");
        return;  // the handler may have deleted this item
    case UIEVENT_MOUSEMOVE:
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_state.buttonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (m_state.buttonState & UISTATE_HOT) {
            m_state.buttonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CListElementUI::DoEvent(event);
}

SIZE CListLabelElementUI::EstimateSize(SIZE available) {
    if (!m_state.owner) return SIZE{0, 0};
    const ListInfo& info = *m_state.owner->GetListInfo();
    SIZE size = {GetFixedWidth(), GetFixedHeight()};
    if (size.cx == 0) size.cx = m_pManager ? available.cx : 0;
    if (size.cy == 0 && m_pManager) {
        const RECT padding = ScaledMargins(info.rcTextPadding);
        size.cy = m_pManager->GetFontRecord(info.nFont)->metrics.tmHeight + padding.top + padding.bottom + 8;
    }
    return size;
}

bool CListLabelElementUI::DoPaint(HDC hdc, const RECT& paintRect, CControlUI* /*stopControl*/) {
    RECT visible;
    if (!IntersectRect(&visible, &paintRect, &m_rcItem)) return true;
    DrawItemBk(hdc, m_rcItem);
    DrawItemText(hdc, m_rcItem);
    return true;
}

DWORD CListLabelElementUI::StateTextColor(const ListInfo& info) const {
    DWORD color = info.dwTextColor;
    if (IsHot()) color = info.dwHotTextColor;
    if (IsSelected()) color = info.dwSelectedTextColor;
    if (!IsEnabled()) color = info.dwDisabledTextColor;
    return color;
}

void CListLabelElementUI::DrawItemText(HDC hdc, const RECT& rect) {
    const CUIString text = GetText();
    if (text.IsEmpty() || !m_state.owner) return;
    const ListInfo& info = *m_state.owner->GetListInfo();
    RECT textRect = Inset(rect, ScaledMargins(info.rcTextPadding));
    const DWORD color = StateTextColor(info);
    if (info.bShowHtml) {
        int links = 0;
        CUIRender::DrawHtmlText(hdc, m_pManager, textRect, text.Data(), color, nullptr, nullptr, links, info.nFont,
                                info.uTextStyle);
    } else {
        CUIRender::DrawText(hdc, m_pManager, textRect, text.Data(), color, info.nFont, info.uTextStyle);
    }
}

// ---------------------------------------------------------------------------------------------------
// CListTextElementUI

CControlUI* CListTextElementUI::CreateControl() { return new CListTextElementUI; }

const wchar_t* CListTextElementUI::GetClass() const { return L"ListTextElementUI"; }

void* CListTextElementUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"ListTextElement")) return static_cast<CListTextElementUI*>(this);
    return CListLabelElementUI::GetInterface(name);
}

UINT CListTextElementUI::GetControlFlags() const {
    return UIFLAG_WANTRETURN | (IsEnabled() && m_nLinks > 0 ? static_cast<UINT>(UIFLAG_SETCURSOR) : 0u);
}

void CListTextElementUI::SetOwner(CControlUI* owner) {
    CListLabelElementUI::SetOwner(owner);
    m_pListOwner = owner ? static_cast<IListUI*>(owner->GetInterface(L"IList")) : nullptr;
}

CUIString CListTextElementUI::GetText(int column) const {
    if (column < 0 || column >= static_cast<int>(m_aTexts.size()) || !m_aTexts[column]) return CUIString();
    return CTextResource::GetInstance()->GetText(m_aTexts[column]->Data());
}

bool CListTextElementUI::HasText(int column) const {
    return column >= 0 && column < static_cast<int>(m_aTexts.size()) && m_aTexts[column];
}

void CListTextElementUI::SetText(int column, const wchar_t* text) {
    if (column < 0 || column >= ListInfo::kMaxColumns) return;
    if (static_cast<int>(m_aTexts.size()) <= column) m_aTexts.resize(column + 1);
    if (text) {
        m_aTexts[column] = std::make_unique<CUIString>(text);
    } else {
        m_aTexts[column].reset();
    }
    Invalidate();
}

const wchar_t* CListTextElementUI::GetLinkContent(int index) const {
    return index >= 0 && index < m_nLinks ? m_sLinks[index].Data() : nullptr;
}

int CListTextElementUI::LinkAt(POINT point) const {
    for (int i = 0; i < m_nLinks; ++i)
        if (PtInRect(&m_rcLinks[i], point)) return i;
    return -1;
}

void CListTextElementUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pListOwner) {
            m_pListOwner->DoEvent(event);
        } else {
            CListLabelElementUI::DoEvent(event);
        }
        return;
    }
    if (event.Type == UIEVENT_SETCURSOR && m_nLinks > 0 && LinkAt(event.ptMouse) >= 0) {
        ::SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(kHandCursor)));
        return;
    }
    if (event.Type == UIEVENT_BUTTONUP && IsEnabled() && m_nLinks > 0) {
        const int link = LinkAt(event.ptMouse);
        if (link >= 0) {
            if (m_pManager) m_pManager->RaiseNotify(this, L"link", static_cast<WPARAM>(link));
            return;
        }
    }
    if (m_nLinks > 0 && event.Type == UIEVENT_MOUSEMOVE) {
        const int hover = LinkAt(event.ptMouse);
        if (hover != m_nHoverLink) {
            m_nHoverLink = hover;
            Invalidate();
        }
    }
    if (m_nLinks > 0 && event.Type == UIEVENT_MOUSELEAVE && m_nHoverLink >= 0) {
        Invalidate();
        m_nHoverLink = -1;
    }
    CListLabelElementUI::DoEvent(event);
}

SIZE CListTextElementUI::EstimateSize(SIZE /*available*/) {
    SIZE size = {GetFixedWidth(), GetFixedHeight()};
    if (size.cy == 0 && m_pManager) {
        const ListInfo* info = m_pListOwner ? m_pListOwner->GetListInfo() : nullptr;
        const RECT padding = info ? ScaledMargins(info->rcTextPadding) : RECT{};
        const int font = info ? info->nFont : -1;
        size.cy = m_pManager->GetFontRecord(font)->metrics.tmHeight + padding.top + padding.bottom + 8;
    }
    return size;
}

void CListTextElementUI::DrawItemText(HDC hdc, const RECT& rect) {
    if (!m_pListOwner) return;
    const ListInfo& info = *m_pListOwner->GetListInfo();
    const DWORD color = StateTextColor(info);
    const RECT padding = ScaledMargins(info.rcTextPadding);
    IListTextCallbackUI* callback = m_pListOwner->GetTextCallback();
    m_nLinks = 0;
    for (int column = 0; column < info.nColumns; ++column) {
        RECT textRect = {info.rcColumn[column].left + padding.left, rect.top + padding.top,
                         info.rcColumn[column].right - padding.right, rect.bottom - padding.bottom};
        CUIString text;
        if (callback) {
            text = callback->GetItemText(this, m_state.index, column);
        } else {
            text = GetText(column);
        }
        if (info.bShowHtml) {
            int found = kMaxLinks - m_nLinks;
            CUIRender::DrawHtmlText(hdc, m_pManager, textRect, text.Data(), color, &m_rcLinks[m_nLinks],
                                    &m_sLinks[m_nLinks], found, info.nFont, info.uTextStyle);
            m_nLinks += found;
        } else {
            CUIRender::DrawText(hdc, m_pManager, textRect, text.Data(), color, info.nFont, info.uTextStyle);
        }
    }
    for (int i = m_nLinks; i < kMaxLinks; ++i) {
        m_rcLinks[i] = RECT{};
        m_sLinks[i].Clear();
    }
}

// ---------------------------------------------------------------------------------------------------
// CListContainerElementUI

CControlUI* CListContainerElementUI::CreateControl() { return new CListContainerElementUI; }

const wchar_t* CListContainerElementUI::GetClass() const { return L"ListContainerElementUI"; }

void* CListContainerElementUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"ListItem")) return static_cast<IListItemUI*>(this);
    if (Is(name, L"ListContainerElement")) return static_cast<CListContainerElementUI*>(this);
    return CHorizontalLayoutUI::GetInterface(name);
}

UINT CListContainerElementUI::GetControlFlags() const { return UIFLAG_WANTRETURN; }

void CListContainerElementUI::SetOwner(CControlUI* owner) { m_state.owner = OwnerOf(owner); }

bool CListContainerElementUI::Select(bool select) { return SelectItem(m_state, *this, select); }

bool CListContainerElementUI::SelectMulti(bool select) { return SelectMultiItem(m_state, *this, select); }

bool CListContainerElementUI::Activate() { return ActivateItem(*this); }

void CListContainerElementUI::SetVisible(bool visible) {
    CHorizontalLayoutUI::SetVisible(visible);
    AfterVisibilityChange(m_state, *this);
}

void CListContainerElementUI::SetEnabled(bool enable) {
    CHorizontalLayoutUI::SetEnabled(enable);
    if (!IsEnabled()) m_state.buttonState = 0;
}

void CListContainerElementUI::Invalidate() { InvalidateItem(*this); }

void CListContainerElementUI::DrawItemBk(HDC hdc, const RECT& item) {
    DrawItemBackground(hdc, item, *this, m_state, m_sBkImage);
}

void CListContainerElementUI::SetPos(RECT rect, bool needInvalidate) {
    CHorizontalLayoutUI::SetPos(rect, needInvalidate);
    if (!m_state.owner || m_state.owner->GetListType() != IListOwnerUI::kList) return;
    auto* list = dynamic_cast<IListUI*>(m_state.owner);
    CListHeaderUI* header = list ? list->GetHeader() : nullptr;
    if (!header || !header->IsVisible()) return;
    // Children line up under the header's columns.
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* column = header->GetItemAt(i);
        if (!column) break;
        const RECT columnRect = column->GetPos();
        if (columnRect.left == 0 && columnRect.right == 0) continue;
        CControlUI* child = GetItemAt(i);
        RECT childRect = child->GetPos();
        childRect.left = columnRect.left;
        childRect.right = columnRect.right;
        child->SetPos(childRect, true);
    }
}

void CListContainerElementUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_state.owner) {
            m_state.owner->DoEvent(event);
        } else {
            CContainerUI::DoEvent(event);
        }
        return;
    }
    const bool rightSelects = m_state.owner && m_state.owner->GetListInfo()->bRSelected;
    switch (event.Type) {
    case UIEVENT_DBLCLICK:
        if (!IsEnabled()) break;
        Invalidate();
        Activate();
        return;
    case UIEVENT_KEYDOWN:
        if (event.chKey != VK_RETURN || !IsEnabled()) break;
        Invalidate();
        Activate();
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
        if (event.Type == UIEVENT_RBUTTONDOWN && !rightSelects) break;
        if (IsEnabled()) {
            if (IsControlHeld(event)) {
                SelectMulti(!IsSelected());
            } else {
                Select(true);
            }
        }
        return;
    case UIEVENT_BUTTONUP:
        if (IsEnabled() && m_pManager) m_pManager->RaiseNotify(this, L"itemclick");
        return;
    case UIEVENT_MOUSEMOVE:
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_state.buttonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (m_state.buttonState & UISTATE_HOT) {
            m_state.buttonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_TIMER:
        if (m_pManager) m_pManager->RaiseNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case UIEVENT_CONTEXTMENU:
        if (!IsContextMenuUsed()) break;
        if (m_pManager) m_pManager->RaiseNotify(this, L"menu", event.wParam, event.lParam);
        return;
    default:
        break;
    }
    if (m_state.owner) {
        m_state.owner->DoEvent(event);
    } else {
        CControlUI::DoEvent(event);
    }
}

void CListContainerElementUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"selected")) {
        Select(true);
    } else {
        CHorizontalLayoutUI::SetAttribute(name, value);
    }
}

bool CListContainerElementUI::DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) {
    RECT visible;
    if (!IntersectRect(&visible, &paintRect, &m_rcItem)) return true;
    DrawItemBk(hdc, m_rcItem);
    return CContainerUI::DoPaint(hdc, paintRect, stopControl);
}

}  // namespace SkinUI
