#include "UICombo.h"

#include "UIAttributes.h"
#include "UILabel.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIScrollBar.h"
#include "UIStateImage.h"
#include "UIStringMap.h"

#include <algorithm>

namespace SkinUI {

namespace {

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

bool IsMouseEvent(const TUIEvent& event) {
    return event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND;
}

// Attribute names of the seven images, in ImageKind order.
constexpr const wchar_t* kImageAttributes[] = {L"normalimage",   L"hotimage",      L"hotforeimage",
                                               L"pushedimage",   L"focusedimage",  L"disabledimage",
                                               L"disableforeimage"};

CControlUI* ForgetIn(CControlUI* control, void* manager) {
    static_cast<CPaintManagerUI*>(manager)->ForgetControl(control);
    return nullptr;
}

// Font ids a skin gives its window fonts; the popup gets copies of those the combo's window has.
constexpr int kCopiedFontIds = 64;

}  // namespace

CComboUI::CComboUI() {
    m_ListInfo.uTextStyle = DT_VCENTER;
}

// An open popup borrows the items: they come back before the container deletes them.
CComboUI::~CComboUI() {
    if (CComboWnd* window = m_pWindow) {
        m_pWindow = nullptr;
        window->CloseForOwner();
    }
}

CControlUI* CComboUI::CreateControl() { return new CComboUI; }

const wchar_t* CComboUI::GetClass() const { return L"ComboUI"; }

void* CComboUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"Combo")) return this;
    if (Is(name, L"IListOwner")) return static_cast<IListOwnerUI*>(this);
    return CContainerUI::GetInterface(name);
}

UINT CComboUI::GetControlFlags() const { return UIFLAG_TABSTOP | UIFLAG_SETCURSOR; }

bool CComboUI::Activate() {
    if (!CControlUI::Activate()) return false;
    const CUILifeWatch alive = m_life.Watch();
    if (m_pManager) m_pManager->RaiseNotify(this, L"predropdown");
    if (!alive) return true;
    if (!m_pWindow) {
        m_pWindow = new CComboWnd(this);
        if (!m_pWindow->Init()) {
            m_pWindow = nullptr;  // the window object went with its window, or was never shown
            return true;
        }
        if (m_pManager) m_pManager->RaiseNotify(this, L"dropdown");
        if (!alive) return true;
        Invalidate();
    }
    return true;
}

IListItemUI* CComboUI::ListItemAt(int index) const {
    CControlUI* item = GetItemAt(index);
    return item ? static_cast<IListItemUI*>(item->GetInterface(L"ListItem")) : nullptr;
}

CUIString CComboUI::GetText() const {
    // A stale selection index shows nothing rather than reading past the items.
    CControlUI* item = m_iCurSel >= 0 ? GetItemAt(m_iCurSel) : nullptr;
    return item ? item->GetText() : CUIString();
}

void CComboUI::SetPos(RECT rect, bool needInvalidate) {
    if (EqualRect(&rect, &m_rcItem)) return;
    if (m_pWindow && m_pWindow->GetHandle()) PostMessageW(m_pWindow->GetHandle(), WM_CLOSE, 1, 0);
    if (!m_pWindow) {
        for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetPos(RECT{}, false);
    }
    CControlUI::SetPos(rect, needInvalidate);
}

void CComboUI::Move(SIZE offset, bool needInvalidate) { CControlUI::Move(offset, needInvalidate); }

void CComboUI::SetEnabled(bool enable) {
    CContainerUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

SIZE CComboUI::EstimateSize(SIZE available) {
    if (m_cxyFixed.cy == 0 && m_pManager)
        return SIZE{GetFixedWidth(), m_pManager->GetDefaultFontRecord()->metrics.tmHeight + 12};
    return CContainerUI::EstimateSize(available);
}

// ---------------------------------------------------------------------------------------------------
// Items and selection.

void CComboUI::RenumberFrom(int index) {
    for (int i = std::max(index, 0); i < GetCount(); ++i) {
        if (IListItemUI* item = ListItemAt(i)) item->SetIndex(i);
    }
}

bool CComboUI::Add(CControlUI* control) {
    if (!control) return false;
    if (auto* item = static_cast<IListItemUI*>(control->GetInterface(L"ListItem"))) {
        item->SetOwner(this);
        item->SetIndex(GetCount());
    }
    return CContainerUI::Add(control);
}

bool CComboUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    if (auto* item = static_cast<IListItemUI*>(control->GetInterface(L"ListItem"))) {
        item->SetOwner(this);
        item->SetIndex(index);
    }
    RenumberFrom(index + 1);
    if (m_iCurSel >= index) ++m_iCurSel;
    return true;
}

bool CComboUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) return false;
    return RemoveAt(index);
}

bool CComboUI::RemoveAt(int index) {
    // The container's RemoveAt goes through the virtual Remove: its own Remove is called directly.
    CControlUI* control = GetItemAt(index);
    if (!control || !CContainerUI::Remove(control)) return false;
    RenumberFrom(index);
    if (index == m_iCurSel) {
        m_iCurSel = -1;
        SelectItem(FindSelectable(index, false), false);
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

bool CComboUI::SetItemIndex(CControlUI* control, int index) {
    const int old = GetItemIndex(control);
    if (old < 0) return false;
    if (old == index) return true;
    CControlUI* selected = m_iCurSel >= 0 ? GetItemAt(m_iCurSel) : nullptr;
    if (!CContainerUI::SetItemIndex(control, index)) return false;
    const int first = std::min(old, index);
    const int last = std::max(old, index);
    for (int i = first; i <= last; ++i) {
        if (IListItemUI* item = ListItemAt(i)) item->SetIndex(i);
    }
    if (selected) m_iCurSel = GetItemIndex(selected);
    return true;
}

void CComboUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
}

bool CComboUI::SelectItem(int index, bool takeFocus) {
    if (index == m_iCurSel) return true;
    const int old = m_iCurSel;
    if (m_iCurSel >= 0) {
        CControlUI* current = GetItemAt(m_iCurSel);
        if (!current) {
            m_iCurSel = -1;  // a stale index: forget it rather than refuse every later choice
        } else {
            if (auto* item = static_cast<IListItemUI*>(current->GetInterface(L"ListItem"))) item->Select(false);
            m_iCurSel = -1;
        }
    }
    if (index < 0 || GetCount() == 0) return false;
    index = std::min(index, GetCount() - 1);
    for (int i = 0; i < GetCount(); ++i) {
        if (IListItemUI* item = ListItemAt(i); item && item->IsSelected()) item->Select(false);
    }
    IListItemUI* chosen = ListItemAt(index);
    if (!chosen) return false;
    m_iCurSel = index;
    const CUILifeWatch alive = m_life.Watch();
    if (m_pWindow || takeFocus) GetItemAt(index)->SetFocus();
    if (!alive) return true;  // a focus handler deleted the combo
    chosen->Select(true);
    if (alive && m_pManager) m_pManager->RaiseNotify(this, L"itemselect", static_cast<WPARAM>(m_iCurSel), old);
    if (alive) Invalidate();
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Settings.

RECT CComboUI::GetTextPadding() const { return ScaledMargins(m_rcTextPadding); }

void CComboUI::SetTextPadding(RECT padding) {
    m_rcTextPadding = padding;
    Invalidate();
}

void CComboUI::SetTextStyle(UINT style) {
    m_uTextStyle = style;
    Invalidate();
}

void CComboUI::SetFont(int index) {
    m_iFont = index;
    Invalidate();
}

void CComboUI::SetTextColor(DWORD color) {
    m_dwTextColor = color;
    Invalidate();
}

void CComboUI::SetDisabledTextColor(DWORD color) {
    m_dwDisabledTextColor = color;
    Invalidate();
}

void CComboUI::SetShowHtml(bool showHtml) {
    if (m_bShowHtml == showHtml) return;
    m_bShowHtml = showHtml;
    Invalidate();
}

void CComboUI::SetShowShadow(bool show) {
    if (m_bShowShadow == show) return;
    m_bShowShadow = show;
    Invalidate();
}

void CComboUI::SetImage(ImageKind kind, const wchar_t* image) {
    m_sImages[kind] = image;
    Invalidate();
}

bool CComboUI::SetListInfoAttribute(const wchar_t* name, const wchar_t* value) {
    ListInfo& info = m_ListInfo;
    if (Is(name, L"itemfont")) info.nFont = ParseInt(value);
    else if (Is(name, L"itemalign")) info.uTextStyle = ApplyAlignWords(info.uTextStyle, value);
    else if (Is(name, L"itemvalign")) {
        if (ContainsWord(value, L"top")) info.uTextStyle &= ~(DT_VCENTER | DT_BOTTOM);
        if (ContainsWord(value, L"vcenter"))
            info.uTextStyle = (info.uTextStyle & ~(DT_BOTTOM | DT_WORDBREAK)) | DT_VCENTER | DT_SINGLELINE;
        if (ContainsWord(value, L"bottom")) info.uTextStyle = (info.uTextStyle & ~DT_VCENTER) | DT_BOTTOM;
    } else if (Is(name, L"itemendellipsis")) info.uTextStyle = SetStyleBit(info.uTextStyle, DT_END_ELLIPSIS, IsTrue(value));
    else if (Is(name, L"itemtextpadding")) info.rcTextPadding = ParseRect(value);
    else if (Is(name, L"itemshowhtml")) info.bShowHtml = IsTrue(value);
    else if (!SetItemLookAttribute(info, name, value)) return false;
    Invalidate();
    return true;
}

void CComboUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    for (int kind = 0; kind < kImageCount; ++kind) {
        if (Is(name, kImageAttributes[kind])) {
            SetImage(static_cast<ImageKind>(kind), value);
            return;
        }
    }
    // Alignment keeps the selected text on one vertically centred line, as a label's does.
    if (Is(name, L"align")) SetTextStyle(ApplyAlignWords(m_uTextStyle, value));
    else if (Is(name, L"valign")) SetTextStyle(ApplyVAlignWords(m_uTextStyle, value));
    else if (Is(name, L"endellipsis")) SetTextStyle(SetStyleBit(m_uTextStyle, DT_END_ELLIPSIS, IsTrue(value)));
    else if (Is(name, L"wordbreak")) SetTextStyle(ApplyWordBreak(m_uTextStyle, IsTrue(value)));
    else if (Is(name, L"font")) SetFont(ParseInt(value));
    else if (Is(name, L"textcolor")) SetTextColor(ParseColor(value));
    else if (Is(name, L"disabledtextcolor")) SetDisabledTextColor(ParseColor(value));
    else if (Is(name, L"textpadding")) SetTextPadding(ParseRect(value));
    else if (Is(name, L"showhtml")) SetShowHtml(IsTrue(value));
    else if (Is(name, L"showshadow")) SetShowShadow(IsTrue(value));
    else if (Is(name, L"scrollselect")) SetScrollSelect(IsTrue(value));
    else if (Is(name, L"dropbox")) SetDropBoxAttributeList(value);
    else if (Is(name, L"hottextcolor")) SetHotTextColor(ParseColor(value));
    else if (Is(name, L"dropboxsize")) SetDropBoxSize(ParseSize(value));
    else if (Is(name, L"dropboxinset")) SetDropBoxInset(ParseRect(value));
    else if (!SetListInfoAttribute(name, value)) CContainerUI::SetAttribute(name, value);
}

// ---------------------------------------------------------------------------------------------------
// Events.

void CComboUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
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
        if (IsEnabled()) {
            const CUILifeWatch alive = m_life.Watch();
            Activate();
            if (!alive) return;
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_uButtonState &= ~UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_KEYDOWN:
        switch (event.chKey) {
        case VK_UP:
        case VK_PRIOR: SelectItem(FindSelectable(m_iCurSel - 1, false), false); return;
        case VK_DOWN:
        case VK_NEXT: SelectItem(FindSelectable(m_iCurSel + 1, true), false); return;
        case VK_HOME: SelectItem(FindSelectable(0, false), false); return;
        case VK_END: SelectItem(FindSelectable(GetCount() - 1, true), false); return;
        case VK_F4: Activate(); return;
        default: break;
        }
        break;
    case UIEVENT_SCROLLWHEEL:
        if (m_bScrollSelect) {
            const bool down = LOWORD(event.wParam) == 1;
            SelectItem(FindSelectable(m_iCurSel + (down ? 1 : -1), down), false);
        }
        return;
    case UIEVENT_MOUSEENTER:
        if (PtInRect(&m_rcItem, event.ptMouse) && !(m_uButtonState & UISTATE_HOT)) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSELEAVE:
        if (m_uButtonState & UISTATE_HOT) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// Painting: the control's own, without the items.

bool CComboUI::DoPaint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) {
    return CControlUI::DoPaint(hdc, paintRect, stopControl);
}

void CComboUI::RefreshState() {
    m_uButtonState = WithFocusAndEnabled(m_uButtonState, *this);
}

void CComboUI::PaintStatusImage(HDC hdc) {
    RefreshState();
    const CUIString* chosen = (m_uButtonState & UISTATE_DISABLED) ? &m_sImages[kDisabled]
                              : (m_uButtonState & UISTATE_PUSHED)  ? &m_sImages[kPushed]
                              : (m_uButtonState & UISTATE_HOT)     ? &m_sImages[kHot]
                              : (m_uButtonState & UISTATE_FOCUSED) ? &m_sImages[kFocused]
                                                                   : nullptr;
    if (chosen && !chosen->IsEmpty() && DrawImage(hdc, chosen->Data())) return;
    if (!m_sImages[kNormal].IsEmpty()) DrawImage(hdc, m_sImages[kNormal].Data());
}

void CComboUI::PaintForeImage(HDC hdc) {
    if (!IsEnabled()) {
        if (!m_sImages[kDisabledFore].IsEmpty()) {
            DrawImage(hdc, m_sImages[kDisabledFore].Data());
            return;
        }
    } else if ((m_uButtonState & UISTATE_HOT) && !m_sImages[kHotFore].IsEmpty() &&
               DrawImage(hdc, m_sImages[kHotFore].Data())) {
        return;
    }
    CControlUI::PaintForeImage(hdc);
}

void CComboUI::PaintText(HDC hdc) {
    RefreshState();
    if (m_pManager) {
        if (m_dwTextColor == 0) m_dwTextColor = m_pManager->GetDefaultTextColor();
        if (m_dwDisabledTextColor == 0) m_dwDisabledTextColor = m_pManager->GetDefaultDisabledTextColor();
    }
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    const RECT padding = GetTextPadding();
    RECT rect = {m_rcItem.left + padding.left, m_rcItem.top + padding.top, m_rcItem.right - padding.right,
                 m_rcItem.bottom - padding.bottom};
    DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if (IsEnabled() && (m_uButtonState & UISTATE_HOT) && m_dwHotTextColor != 0) color = m_dwHotTextColor;
    if (m_bShowHtml) {
        int links = 0;
        CUIRender::DrawHtmlText(hdc, m_pManager, rect, text.Data(), color, nullptr, nullptr, links, m_iFont,
                                m_uTextStyle);
    } else {
        CUIRender::DrawText(hdc, m_pManager, rect, text.Data(), color, m_iFont, m_uTextStyle);
    }
}

// ---------------------------------------------------------------------------------------------------
// The popup.

RECT CComboWnd::PlacePopup(const RECT& combo, int width, int height, const RECT& workArea) {
    RECT popup = {combo.left, combo.bottom, combo.left + width, combo.bottom + height};
    if (popup.bottom > workArea.bottom) popup = RECT{combo.left, combo.top - height, combo.left + width, combo.top};
    return popup;
}

bool CComboWnd::Init() {
    CPaintManagerUI* ownerManager = m_pOwner->GetManager();
    HWND ownerWindow = ownerManager ? ownerManager->GetWindowHandle() : nullptr;
    if (!ownerWindow) {
        delete this;
        return false;
    }
    m_iOldSel = m_pOwner->GetCurSel();
    const CUIDpi* dpi = ownerManager->GetDpiScaler();
    const RECT owner = m_pOwner->GetPos();
    const SIZE drop = m_pOwner->GetDropBoxSize();
    const int width = drop.cx > 0 ? dpi->Scale(drop.cx) : owner.right - owner.left;
    const int maxHeight = dpi->Scale(drop.cy);
    const SIZE available = {width, maxHeight};
    int content = dpi->Scale(m_pOwner->GetDropBoxInset().top);
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* item = m_pOwner->GetItemAt(i);
        if (item->IsVisible()) content += item->EstimateSize(available).cy;
    }
    const int height = std::min(content + 4, maxHeight);

    // Placed on the monitor the combo is on.
    RECT onScreen = owner;
    MapWindowPoints(ownerWindow, HWND_DESKTOP, reinterpret_cast<POINT*>(&onScreen), 2);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&onScreen, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT popup = PlacePopup(onScreen, width, height, monitor.rcWork);

    if (!CreateNativeWindow(ownerWindow, nullptr, WS_POPUP, WS_EX_TOOLWINDOW, popup)) {
        delete this;
        return false;
    }
    const CUILifeWatch alive = m_life.Watch();
    ShowWindow(m_hWnd, SW_SHOW);
    if (!alive) return false;
    // The main window keeps its active caption while the popup has the focus.
    if (HWND root = GetAncestor(m_hWnd, GA_ROOTOWNER)) SendMessageW(root, WM_NCACTIVATE, TRUE, 0);
    return true;
}

void CComboWnd::CopyOwnerFonts() {
    CPaintManagerUI* ownerManager = m_pOwner->GetManager();
    const TFontRecord* fallback = ownerManager->GetDefaultFontRecord();
    m_pm.SetDefaultFont(fallback->faceName.Data(), fallback->size, fallback->bold, fallback->underline,
                        fallback->italic);
    for (int id = 0; id < kCopiedFontIds; ++id) {
        const TFontRecord* font = ownerManager->GetFontRecord(id);
        if (!font || font == fallback) continue;
        m_pm.AddFont(id, font->faceName.Data(), font->size, font->bold, font->underline, font->italic);
    }
}

void CComboWnd::OnCreate() {
    CPaintManagerUI* ownerManager = m_pOwner->GetManager();
    m_pm.AttachWindow(m_hWnd);
    m_pm.GetDpiScaler()->SetScale(ownerManager->GetDpiScaler()->GetDPI());
    CopyOwnerFonts();
    m_pm.SetLayeredWindow(true);
    m_pLayout = new CVerticalLayoutUI;
    m_pLayout->SetManager(&m_pm, nullptr, true);
    if (const wchar_t* defaults = ownerManager->GetClassDefaultAttributes(L"VerticalLayout"))
        m_pLayout->ApplyAttributeList(defaults);
    m_pLayout->SetInset(RECT{1, 1, 1, 1});
    m_pLayout->SetBkColor(0xFFFFFFFF);
    m_pLayout->SetBorderColor(0xFFC6C7D2);
    m_pLayout->SetBorderSize(1);
    m_pLayout->SetAutoDestroy(false);  // the items stay the combo's
    m_pLayout->EnableScrollBar(true, false);
    // The drop box list may name styles of the combo's window, as any attribute list there may.
    const CUIStringMap& styles = ownerManager->GetStyles(false);
    for (int i = 0; i < styles.Count(); ++i) {
        if (const auto* style = static_cast<const CUIString*>(styles.Lookup(styles.KeyAt(i), false)))
            m_pm.AddStyle(styles.KeyAt(i), style->Data());
    }
    m_pLayout->ApplyAttributeList(m_pOwner->GetDropBoxAttributeList().Data());
    for (int i = 0; i < m_pOwner->GetCount(); ++i) m_pLayout->Add(m_pOwner->GetItemAt(i));
    ownerManager->GetShadowWindow()->CopyShadow(m_pm.GetShadowWindow());
    m_pm.GetShadowWindow()->ShowShadow(m_pOwner->IsShowShadow());
    m_pm.AttachRoot(m_pLayout);
    m_pm.AddNotifyListener(this);
}

void CComboWnd::ReturnItems() {
    if (m_bItemsReturned || !m_pOwner) return;
    m_bItemsReturned = true;
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* item = m_pOwner->GetItemAt(i);
        item->FindControl(&ForgetIn, &m_pm, UIFIND_ALL);
        item->SetPos(RECT{}, false);
    }
    if (m_pLayout) m_pLayout->RemoveAll();
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
}

void CComboWnd::CloseForOwner() {
    ReturnItems();
    m_pOwner = nullptr;
    if (m_hWnd && IsWindow(m_hWnd)) {
        DestroyWindow(m_hWnd);  // deletes this object
    } else {
        delete this;
    }
}

bool CComboWnd::IsHitItem(POINT point) const {
    CControlUI* control = m_pm.FindControlAtPoint(point.x, point.y);
    if (!control || control->GetInterface(L"ScrollBar")) return false;
    for (; control; control = control->GetParent()) {
        if (control->GetInterface(L"ListItem")) return true;
    }
    return false;
}

void CComboWnd::EnsureVisible(int index) {
    if (!m_pOwner || m_pOwner->GetCurSel() < 0 || !m_pLayout) return;
    CControlUI* item = m_pOwner->GetItemAt(index);
    if (!item) return;
    const RECT itemRect = item->GetPos();
    RECT list = m_pLayout->GetPos();
    CScrollBarUI* bar = m_pLayout->GetHorizontalScrollBar();
    if (bar && bar->IsVisible()) list.bottom -= bar->GetFixedHeight();
    int dy = 0;
    if (itemRect.top < list.top) {
        dy = itemRect.top - list.top;
    } else if (itemRect.bottom >= list.bottom) {
        dy = itemRect.bottom - list.bottom;
    }
    if (dy == 0) return;
    SIZE pos = m_pLayout->GetScrollPos();
    pos.cy += dy;
    m_pLayout->SetScrollPos(pos);
}

void CComboWnd::Notify(TNotifyMessage& msg) {
    if (msg.sType == L"windowinit") EnsureVisible(m_iOldSel);
}

LRESULT CComboWnd::HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const CUILifeWatch alive = m_life.Watch();
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_CLOSE:
        if (m_pOwner) {
            ReturnItems();
            m_pOwner->SetFocus();
        }
        break;
    case WM_LBUTTONDOWN:
        m_bHitItem = IsHitItem(CUIPoint(lParam));
        break;
    case WM_LBUTTONUP:
        if (m_bHitItem && IsHitItem(CUIPoint(lParam))) PostMessageW(m_hWnd, WM_KILLFOCUS, 0, 0);
        m_bHitItem = false;
        break;
    case WM_KEYDOWN:
        if (!m_pOwner) break;
        if (wParam == VK_RETURN) {
            PostMessageW(m_hWnd, WM_KILLFOCUS, 0, 0);
        } else if (wParam == VK_ESCAPE) {
            m_pOwner->SelectItem(m_iOldSel, true);
            if (!alive) return 0;
            EnsureVisible(m_iOldSel);
            PostMessageW(m_hWnd, WM_KILLFOCUS, 0, 0);
        } else {
            TUIEvent event;
            event.Type = UIEVENT_KEYDOWN;
            event.chKey = static_cast<WORD>(wParam);
            event.wParam = wParam;
            event.lParam = lParam;
            event.dwTimestamp = GetTickCount();
            m_pOwner->DoEvent(event);
            if (alive && m_pOwner) EnsureVisible(m_pOwner->GetCurSel());
        }
        return 0;
    case WM_MOUSEWHEEL: {
        if (!m_pOwner) break;
        TUIEvent event;
        event.Type = UIEVENT_SCROLLWHEEL;
        event.wParam = static_cast<short>(HIWORD(wParam)) < 0 ? 1 : 0;
        event.lParam = lParam;
        event.dwTimestamp = GetTickCount();
        if (m_pOwner->GetScrollSelect()) {
            m_pOwner->DoEvent(event);
            if (alive && m_pOwner) EnsureVisible(m_pOwner->GetCurSel());
        } else if (m_pLayout) {
            m_pLayout->DoEvent(event);
        }
        return 0;
    }
    case WM_KILLFOCUS:
        if (reinterpret_cast<HWND>(wParam) != m_hWnd) PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
    LRESULT result = 0;
    if (m_pm.HandleWindowMessage(message, wParam, lParam, result)) return result;
    if (!alive) return 0;
    return CWindowWnd::HandleWndMessage(message, wParam, lParam);
}

void CComboWnd::OnWindowDestroyed(HWND) {
    // However the window ended (closed, or destroyed with the window it belongs to), the items go back.
    ReturnItems();
    m_pm.RemoveNotifyListener(this);
    if (m_pOwner) {
        m_pOwner->m_pWindow = nullptr;
        m_pOwner->m_uButtonState &= ~UISTATE_PUSHED;
        m_pOwner->Invalidate();
    }
    delete this;
}

}  // namespace SkinUI
