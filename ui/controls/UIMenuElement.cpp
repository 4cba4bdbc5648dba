#include "UIMenuElement.h"

#include "UIAttributes.h"
#include "UIListBody.h"
#include "UIListHeader.h"
#include "UIRender.h"
#include "UIScrollBar.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>

namespace SkinUI {

namespace {

bool IsMenuElement(CControlUI* control) { return control && control->GetInterface(L"MenuElement"); }

// While it lives, a menu item's child list holds only its ordinary controls: its child menu items are
// the sub-menu's, laid out, hit and painted there.
class CPlainChildrenOnly {
public:
    explicit CPlainChildrenOnly(CUIPtrArray& items) : m_items(items), m_saved(items) {
        m_items.Clear();
        for (int i = 0; i < m_saved.Count(); ++i) {
            auto* child = static_cast<CControlUI*>(m_saved[i]);
            if (!IsMenuElement(child)) m_items.Add(child);
        }
    }
    ~CPlainChildrenOnly() { m_items = m_saved; }
    CPlainChildrenOnly(const CPlainChildrenOnly&) = delete;
    CPlainChildrenOnly& operator=(const CPlainChildrenOnly&) = delete;

private:
    CUIPtrArray& m_items;
    CUIPtrArray m_saved;
};

void CopyBounded(wchar_t* target, const wchar_t* text, int capacity) { lstrcpynW(target, text ? text : L"", capacity); }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// CMenuUI

CMenuUI::CMenuUI() {
    if (GetHeader()) GetHeader()->SetVisible(false);
}

CMenuUI::~CMenuUI() = default;

CControlUI* CMenuUI::CreateControl() { return new CMenuUI; }

const wchar_t* CMenuUI::GetClass() const { return L"MenuUI"; }

void* CMenuUI::GetInterface(const wchar_t* name) {
    if (EqualsIgnoreCase(name, L"Menu")) return static_cast<CMenuUI*>(this);
    return CListUI::GetInterface(name);
}

int CMenuUI::GetListType() { return kMenu; }

int CMenuUI::GetItemIndex(CControlUI* control) const {
    return IsMenuElement(control) ? CListUI::GetItemIndex(control) : -1;
}

bool CMenuUI::SetItemIndex(CControlUI* control, int index) {
    return IsMenuElement(control) && CListUI::SetItemIndex(control, index);
}

bool CMenuUI::Add(CControlUI* control) {
    if (!IsMenuElement(control)) return false;
    auto* item = static_cast<CMenuElementUI*>(control->GetInterface(L"MenuElement"));
    for (int i = 0; i < item->GetCount(); ++i) {
        if (IsMenuElement(item->GetItemAt(i))) item->GetItemAt(i)->SetInternVisible(false);
    }
    return CListUI::Add(control);
}

bool CMenuUI::AddAt(CControlUI* control, int index) {
    if (!IsMenuElement(control)) return false;
    auto* item = static_cast<CMenuElementUI*>(control->GetInterface(L"MenuElement"));
    for (int i = 0; i < item->GetCount(); ++i) {
        if (IsMenuElement(item->GetItemAt(i))) item->GetItemAt(i)->SetInternVisible(false);
    }
    return CListUI::AddAt(control, index);
}

bool CMenuUI::Remove(CControlUI* control) { return IsMenuElement(control) && CListUI::Remove(control); }

SIZE CMenuUI::EstimateSize(SIZE available) {
    int widest = 0;
    int height = 0;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (!item->IsVisible()) continue;
        const SIZE size = item->EstimateSize(available);
        height += size.cy;
        widest = std::max<int>(widest, size.cx);
    }
    const int unscaled = m_pManager ? m_pManager->GetDpiScaler()->ScaleBack(widest) : widest;
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* item = GetItemAt(i);
        if (item->IsVisible()) item->SetFixedWidth(unscaled);
    }
    return SIZE{widest, height};
}

// ---------------------------------------------------------------------------------------------------
// CMenuElementUI: basics

CMenuElementUI::CMenuElementUI() {
    m_cxyFixed.cx = 150;
    m_cxyFixed.cy = 30;
}

CMenuElementUI::~CMenuElementUI() {
    // An open sub-menu borrows this item's children: it gives them back and goes before they do.
    if (m_pSubMenuWnd && m_pSubMenuWnd->GetHandle()) DestroyWindow(m_pSubMenuWnd->GetHandle());
    m_pSubMenuWnd = nullptr;
}

CControlUI* CMenuElementUI::CreateControl() { return new CMenuElementUI; }

const wchar_t* CMenuElementUI::GetClass() const { return L"MenuElementUI"; }

void* CMenuElementUI::GetInterface(const wchar_t* name) {
    if (EqualsIgnoreCase(name, L"MenuElement")) return static_cast<CMenuElementUI*>(this);
    return CListContainerElementUI::GetInterface(name);
}

void CMenuElementUI::SetIcon(const wchar_t* name) {
    if (!name) return;
    m_strIcon = name;
    Invalidate();
}

void CMenuElementUI::SetIconSize(LONG cx, LONG cy) {
    m_szIconSize = SIZE{cx, cy};
    Invalidate();
}

void CMenuElementUI::SetLineType() {
    m_bDrawLine = true;
    if (m_cxyFixed.cy == 0 || m_cxyFixed.cy == 30) SetFixedHeight(6);
    SetMouseChildEnabled(false);
    SetMouseEnabled(false);
    SetEnabled(false);
}

bool CMenuElementUI::GetChecked() const {
    const CUIString name = GetName();
    if (name.IsEmpty()) return false;
    const MenuItemInfo* info = CMenuWnd::GetMenuItemInfo(name.Data());
    return info && info->bChecked;
}

void CMenuElementUI::SetChecked(bool checked) { CMenuWnd::SetMenuItemInfo(GetName().Data(), checked); }

bool CMenuElementUI::HasSubItems() {
    for (int i = 0; i < GetCount(); ++i)
        if (IsMenuElement(GetItemAt(i))) return true;
    return false;
}

void CMenuElementUI::ShowSubItems(bool show) {
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!IsMenuElement(child)) continue;
        child->SetVisible(show);
        child->SetInternVisible(show);
    }
}

CMenuUI* CMenuElementUI::OwningMenu() const {
    CControlUI* root = m_pManager ? m_pManager->GetRootControl() : nullptr;
    return root ? static_cast<CMenuUI*>(root->GetInterface(L"Menu")) : nullptr;
}

void CMenuElementUI::ClearPushed() { m_state.buttonState &= ~UISTATE_PUSHED; }

void CMenuElementUI::OnSubMenuClosed() {
    m_pSubMenuWnd = nullptr;
    ClearPushed();
    Invalidate();
}

void CMenuElementUI::CreateMenuWnd() {
    if (m_pSubMenuWnd || !m_pManager) return;
    auto* menu = new CMenuWnd;
    m_pSubMenuWnd = menu;
    // The other sub-menus of this menu close.
    GetMenuObserver().Broadcast(kMenuCloseDescendants, m_pManager->GetWindowHandle());
    menu->Init(this, L"", POINT{0, 0}, nullptr, nullptr, m_dwSubMenuAlign);
    if (!menu->GetHandle() && m_pSubMenuWnd == menu) {
        m_pSubMenuWnd = nullptr;
        delete menu;
    }
}

// ---------------------------------------------------------------------------------------------------
// Events

void CMenuElementUI::OpenOrSelect() {
    ShowSubItems(true);
    const bool hasSubItems = HasSubItems();
    if (!hasSubItems && m_pManager) GetMenuObserver().Broadcast(kMenuCloseDescendants, m_pManager->GetWindowHandle());
    if (m_state.owner) m_state.owner->SelectItem(GetIndex(), false);
    if (hasSubItems) CreateMenuWnd();
}

void CMenuElementUI::PostClickRecord(CPaintManagerUI* receiver) {
    auto* record = static_cast<MenuCmd*>(calloc(1, sizeof(MenuCmd)));
    if (!record) return;
    CopyBounded(record->szName, GetName().Data(), MenuCmd::kNameLength);
    CopyBounded(record->szUserData, GetUserData().Data(), MenuCmd::kTextLength);
    CopyBounded(record->szText, GetText().Data(), MenuCmd::kTextLength);
    record->bChecked = GetChecked() ? TRUE : FALSE;
    if (!PostMessageW(receiver->GetWindowHandle(), WM_MENU_CLICK, reinterpret_cast<WPARAM>(record),
                      reinterpret_cast<LPARAM>(this))) {
        free(record);
    }
}

void CMenuElementUI::ClickPlainItem() {
    SetChecked(!GetChecked());  // every plain item toggles its record; check items show it
    CMenuUI* menu = OwningMenu();
    CMenuWnd* window = menu ? menu->GetMenuWnd() : nullptr;
    CPaintManagerUI* receiver = GetMenuObserver().GetManager();
    if (window && window->GetHandle() && !window->IsClosing() && receiver) PostClickRecord(receiver);
    if (m_pManager) GetMenuObserver().Broadcast(kMenuCloseAll, m_pManager->GetWindowHandle());
}

void CMenuElementUI::DoEvent(TUIEvent& event) {
    switch (event.Type) {
    case UIEVENT_MOUSEENTER:
        CListContainerElementUI::DoEvent(event);
        if (!m_pSubMenuWnd) OpenOrSelect();
        return;
    case UIEVENT_MOUSELEAVE:
        if (!HasSubItems() && m_state.owner) m_state.owner->SelectItem(-1, true);
        break;
    case UIEVENT_KEYDOWN:
        if (event.chKey == VK_RIGHT) {
            if (!m_pSubMenuWnd) OpenOrSelect();
            return;
        }
        break;
    case UIEVENT_BUTTONUP:
        if (!IsEnabled()) break;
        CListContainerElementUI::DoEvent(event);
        if (m_pSubMenuWnd) return;
        if (HasSubItems()) {
            ShowSubItems(true);
            CreateMenuWnd();
        } else {
            ClickPlainItem();
        }
        return;
    default:
        break;
    }
    CListContainerElementUI::DoEvent(event);
}

void CMenuElementUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!value) value = L"";
    if (wcscmp(name, L"icon") == 0) {
        SetIcon(value);
    } else if (wcscmp(name, L"iconsize") == 0) {
        const SIZE size = ParseSize(value);
        SetIconSize(size.cx, size.cy);
    } else if (wcscmp(name, L"checkitem") == 0) {
        SetCheckItem(wcscmp(value, L"true") == 0);
    } else if (wcscmp(name, L"ischeck") == 0) {
        // A state the check map already holds for this name wins over the layout's.
        CUIStringMap* map = GetMenuObserver().GetMenuCheckInfo();
        bool known = false;
        for (int i = 0; map && i < map->Count() && !known; ++i) {
            const wchar_t* key = map->KeyAt(i);
            known = key && EqualsIgnoreCase(key, GetName().Data());
        }
        if (!known) SetChecked(wcscmp(value, L"true") == 0);
    } else if (wcscmp(name, L"linetype") == 0) {
        if (wcscmp(value, L"true") == 0) SetLineType();
    } else if (wcscmp(name, L"expland") == 0) {
        SetExpland(wcscmp(value, L"true") == 0);
    } else if (wcscmp(name, L"linecolor") == 0) {
        SetLineColor(ParseColor(value));
    } else if (wcscmp(name, L"linepadding") == 0) {
        SetLinePadding(ParseRect(value));
    } else if (wcscmp(name, L"height") == 0) {
        SetFixedHeight(ParseInt(value));
    } else {
        CListContainerElementUI::SetAttribute(name, value);
    }
}

// ---------------------------------------------------------------------------------------------------
// Layout

SIZE CMenuElementUI::EstimateSize(SIZE available) {
    SIZE size = {GetFixedWidth(), GetFixedHeight()};
    SIZE children = {0, 0};
    {
        CPlainChildrenOnly plain(m_items);
        for (int i = 0; i < GetCount(); ++i) {
            CControlUI* child = GetItemAt(i);
            if (!child->IsVisible()) continue;
            const SIZE childSize = child->EstimateSize(available);
            children.cy += childSize.cy;
            children.cx = std::max<int>(children.cx, childSize.cx);
        }
    }
    SIZE measured = children;
    if (children.cy == 0 && m_pManager) {
        const ListInfo* info = m_state.owner ? m_state.owner->GetListInfo() : nullptr;
        const RECT padding = info ? ScaledMargins(info->rcTextPadding) : RECT{};
        RECT text = {0, 0, std::max<int>(size.cx, available.cx), 9999};
        text.left += padding.left;
        text.right -= padding.right;
        const CUIString label = GetText();
        const int font = info ? info->nFont : -1;
        const UINT style = (info ? info->uTextStyle : 0u) | DT_SINGLELINE;
        HDC dc = m_pManager->GetPaintDeviceContext();
        if (dc && !label.IsEmpty()) {
            if (info && info->bShowHtml) {
                int links = 0;
                CUIRender::DrawHtmlText(dc, m_pManager, text, label.Data(), 0, nullptr, nullptr, links, font,
                                        style | DT_CALCRECT);
            } else {
                CUIRender::DrawText(dc, m_pManager, text, label.Data(), 0, font, style | DT_CALCRECT);
            }
            measured.cx = text.right - text.left + padding.left + padding.right;
            measured.cy = text.bottom - text.top + padding.top + padding.bottom;
        }
    }
    if (size.cy != 0) measured.cy = size.cy;
    if (measured.cx < size.cx) measured.cx = size.cx;
    // Kept as the item's own size, in layout units.
    const int scale = m_pManager ? m_pManager->GetDpiScaler()->GetScale() : 100;
    m_cxyFixed.cx = MulDiv(measured.cx, 100, scale);
    m_cxyFixed.cy = MulDiv(measured.cy, 100, scale);
    return measured;
}

void CMenuElementUI::SetPos(RECT rect, bool needInvalidate) {
    CPlainChildrenOnly plain(m_items);
    CListContainerElementUI::SetPos(rect, needInvalidate);
}

CControlUI* CMenuElementUI::FindControl(FindControlProc proc, void* data, UINT flags) {
    if (flags & (UIFIND_HITTEST | UIFIND_UPDATETEST)) {
        CPlainChildrenOnly plain(m_items);
        return CListContainerElementUI::FindControl(proc, data, flags);
    }
    return CListContainerElementUI::FindControl(proc, data, flags);
}

// ---------------------------------------------------------------------------------------------------
// Painting

bool CMenuElementUI::DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) {
    RECT visible;
    if (!IntersectRect(&visible, &paintRect, &m_rcItem)) return true;
    if (m_bDrawLine) {
        const RECT padding = ScaledMargins(m_rcLinePadding);
        const int y = m_rcItem.top + GetFixedHeight() / 2;
        CUIRender::DrawLine(hdc, RECT{m_rcItem.left + padding.left, y, m_rcItem.right - padding.right, y}, 1,
                            GetAdjustColor(m_dwLineColor));
        return true;
    }
    CUIRenderClip clip;
    CUIRenderClip::GenerateClip(hdc, visible, clip);
    DrawItemBk(hdc, m_rcItem);
    DrawItemText(hdc, m_rcItem);
    DrawIcon(hdc);
    DrawExpandArrow(hdc);
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (child == stopControl) return false;
        if (IsMenuElement(child) || !child->IsVisible()) continue;
        RECT common;
        if (!IntersectRect(&common, &paintRect, &child->GetPos())) continue;
        if (!child->Paint(hdc, paintRect, stopControl)) return false;
    }
    for (CScrollBarUI* bar : {m_pVerticalScrollBar, m_pHorizontalScrollBar}) {
        if (bar && bar->IsVisible() && !bar->Paint(hdc, paintRect, stopControl)) return false;
    }
    return true;
}

void CMenuElementUI::DrawItemText(HDC hdc, const RECT& rect) {
    const CUIString text = GetText();
    if (text.IsEmpty() || !m_state.owner) return;
    const ListInfo& info = *m_state.owner->GetListInfo();
    DWORD color = info.dwTextColor;
    if (IsHot()) color = info.dwHotTextColor;
    if (IsSelected()) color = info.dwSelectedTextColor;
    if (!IsEnabled()) color = info.dwDisabledTextColor;
    const RECT padding = ScaledMargins(info.rcTextPadding);
    RECT textRect = {rect.left + padding.left, rect.top + padding.top, rect.right - padding.right,
                     rect.bottom - padding.bottom};
    if (info.bShowHtml) {
        int links = 0;
        CUIRender::DrawHtmlText(hdc, m_pManager, textRect, text.Data(), color, nullptr, nullptr, links, info.nFont,
                                info.uTextStyle | DT_SINGLELINE);
    } else {
        CUIRender::DrawText(hdc, m_pManager, textRect, text.Data(), color, info.nFont, info.uTextStyle | DT_SINGLELINE);
    }
}

void CMenuElementUI::DrawIcon(HDC hdc) {
    if (m_strIcon.IsEmpty() || !m_pManager) return;
    if (m_bCheckItem && !GetChecked()) return;
    CUIDpi* dpi = m_pManager->GetDpiScaler();
    const int h = GetFixedHeight();
    const int iw = dpi->Scale(m_szIconSize.cx);
    const int ih = dpi->Scale(m_szIconSize.cy);
    const ListInfo* info = m_state.owner ? m_state.owner->GetListInfo() : nullptr;
    const int p = info ? dpi->Scale(info->rcTextPadding.left) : 0;
    RECT dest = {(p - iw) / 2, (h - ih) / 2, (p - iw) / 2 + iw, (h - ih) / 2 + ih};
    dpi->ScaleBackRect(&dest);
    CUIString modify;
    modify.Format(L"dest='%d,%d,%d,%d'", dest.left, dest.top, dest.right, dest.bottom);
    DrawImage(hdc, m_strIcon.Data(), modify.Data());
}

void CMenuElementUI::DrawExpandArrow(HDC hdc) {
    if (!m_bShowExplandIcon || !m_pManager) return;
    const wchar_t* arrow = m_pManager->GetClassDefaultAttributes(L"ExplandIcon");
    if (!arrow || !*arrow) return;
    const TImageDrawInfo* image = m_pManager->GetImageDrawInfo(arrow);
    const TImageRecord* record = image ? m_pManager->GetOrLoadImage(image->imageName.Data()) : nullptr;
    if (!record) return;
    CUIDpi* dpi = m_pManager->GetDpiScaler();
    const int w = GetFixedWidth();
    const int h = GetFixedHeight();
    const int margin = dpi->Scale(20) / 3;
    RECT dest = {w - record->width - margin, (h - record->height) / 2, w - margin, (h - record->height) / 2 + record->height};
    dpi->ScaleBackRect(&dest);
    CUIString modify;
    modify.Format(L"dest='%d,%d,%d,%d'", dest.left, dest.top, dest.right, dest.bottom);
    DrawImage(hdc, arrow, modify.Data());
}

}  // namespace SkinUI
