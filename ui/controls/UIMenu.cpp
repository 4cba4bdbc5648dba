#include "UIMenu.h"

#include "UIListBody.h"
#include "UIMenuElement.h"

#include <algorithm>
#include <cstdlib>

namespace SkinUI {

namespace {

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

RECT WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    return info.rcWork;
}

// The start of a span of the size on one axis: from forwardStart on, or ending at backwardEnd, whichever
// is preferred and fits the work span; else the other if it fits; else the one with more room, moved
// into the work span (its start edge wins when the span is larger than the work span).
int PlaceSpan(int forwardStart, int backwardEnd, int size, bool preferBackward, int workStart, int workEnd) {
    const bool forwardFits = forwardStart >= workStart && forwardStart + size <= workEnd;
    const bool backwardFits = backwardEnd - size >= workStart && backwardEnd <= workEnd;
    bool backward = preferBackward;
    if (backward ? !backwardFits : !forwardFits) {
        if (backward ? forwardFits : backwardFits) {
            backward = !backward;
        } else {
            backward = backwardEnd - workStart > workEnd - forwardStart;
        }
    }
    const int start = backward ? backwardEnd - size : forwardStart;
    return std::max(workStart, std::min(start, workEnd - size));
}

RECT InsetOf(CControlUI* root) {
    auto* container = root ? static_cast<CContainerUI*>(root->GetInterface(L"Container")) : nullptr;
    return container ? container->GetInset() : RECT{};
}

// What a sub-menu's items need from the menu that opens them; a sub-menu's own manager holds no layout
// resources, so without them a deeper level would paint with none.
const wchar_t* const kInheritedDefaults[] = {L"Menu", L"ExplandIcon", L"VScrollBar", L"HScrollBar"};

void CopyFont(CPaintManagerUI& from, CPaintManagerUI& to, int id) {
    const TFontRecord* font = from.GetFontRecord(id);
    if (font && !font->faceName.IsEmpty())
        to.AddFont(id, font->faceName.Data(), font->size, font->bold, font->underline, font->italic);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Observer and receiver

void MenuObserverImpl::AddReceiver(MenuMenuReceiverImplBase* receiver) {
    if (!receiver) return;
    m_receivers.Add(receiver);
    receiver->AddObserver(this);
}

void MenuObserverImpl::RemoveReceiver(MenuMenuReceiverImplBase* receiver) {
    const int index = m_receivers.IndexOf(receiver);
    if (index >= 0) m_receivers.RemoveAt(index);
}

BOOL MenuObserverImpl::Broadcast(int code, HWND window) {
    const CUIPtrArray receivers(m_receivers);
    for (int i = receivers.Count() - 1; i >= 0; --i) {
        auto* receiver = static_cast<MenuMenuReceiverImplBase*>(receivers[i]);
        if (HasReceiver(receiver)) receiver->Receive(code, window);
    }
    return FALSE;
}

void MenuObserverImpl::SetManager(CPaintManagerUI* manager) {
    if (manager) m_pManager = manager;
}

void MenuReceiverImpl::AddObserver(MenuMenuObserverImplBase* observer) { m_observers.Add(observer); }

void MenuReceiverImpl::RemoveObserver() {
    for (int i = 0; i < m_observers.Count(); ++i)
        static_cast<MenuMenuObserverImplBase*>(m_observers[i])->RemoveReceiver(this);
    m_observers.Clear();
}

void MenuObserverImpl::SetMenuCheckInfo(CUIStringMap* map) {
    m_pCheckInfo = map;
    m_checkInfoAlive.reset();
    if (map) m_checkInfoAlive = map->WatchLife();
}

CUIStringMap* MenuObserverImpl::GetMenuCheckInfo() const {
    return m_checkInfoAlive && *m_checkInfoAlive ? m_pCheckInfo : nullptr;
}

MenuObserverImpl& GetMenuObserver() {
    static MenuObserverImpl observer;
    return observer;
}

// ---------------------------------------------------------------------------------------------------
// Check records

MenuItemInfo* CMenuWnd::SetMenuItemInfo(const wchar_t* name, bool checked) {
    CUIStringMap* map = GetMenuObserver().GetMenuCheckInfo();
    if (!name || !*name || !map) return nullptr;
    // Keyed by the name as the record holds it, so a long name finds its record again.
    wchar_t key[MenuItemInfo::kNameLength];
    lstrcpynW(key, name, MenuItemInfo::kNameLength);
    auto* info = static_cast<MenuItemInfo*>(map->Lookup(key));
    if (!info) {
        info = static_cast<MenuItemInfo*>(calloc(1, sizeof(MenuItemInfo)));
        if (!info) return nullptr;
        lstrcpynW(info->szName, key, MenuItemInfo::kNameLength);
        if (!map->Insert(key, info)) {
            free(info);
            return nullptr;
        }
    }
    info->bChecked = checked;
    return info;
}

MenuItemInfo* CMenuWnd::GetMenuItemInfo(const wchar_t* name) {
    CUIStringMap* map = GetMenuObserver().GetMenuCheckInfo();
    if (!name || !*name || !map) return nullptr;
    wchar_t key[MenuItemInfo::kNameLength];
    lstrcpynW(key, name, MenuItemInfo::kNameLength);
    return static_cast<MenuItemInfo*>(map->Lookup(key));
}

void CMenuWnd::DestroyMenu() {
    CUIStringMap* map = GetMenuObserver().GetMenuCheckInfo();
    if (!map) return;
    for (int i = 0; i < map->Count(); ++i) {
        if (const wchar_t* key = map->KeyAt(i)) free(map->Lookup(key, false));
    }
    map->RemoveAll();
}

// ---------------------------------------------------------------------------------------------------
// Opening

CMenuWnd::CMenuWnd() = default;

CMenuWnd::~CMenuWnd() {
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    RemoveObserver();
}

CMenuWnd* CMenuWnd::CreateMenu(CMenuElementUI* owner, const wchar_t* layout, POINT point, CPaintManagerUI* manager,
                               CUIStringMap* checkInfo, DWORD alignment) {
    auto* menu = new CMenuWnd;
    menu->Init(owner, layout, point, manager, checkInfo, alignment);
    return menu;
}

void CMenuWnd::Init(CMenuElementUI* owner, const wchar_t* layout, POINT point, CPaintManagerUI* manager,
                    CUIStringMap* checkInfo, DWORD alignment) {
    m_pLayout = nullptr;
    m_BasedPoint = point;
    m_xml = layout;
    m_pOwner = owner;
    m_dwAlignment = alignment;
    MenuObserverImpl& observer = GetMenuObserver();
    if (!owner) {
        observer.SetManager(manager);
        if (checkInfo) observer.SetMenuCheckInfo(checkInfo);
    }
    observer.AddReceiver(this);
    HWND parent = nullptr;
    if (owner && owner->GetManager()) {
        parent = owner->GetManager()->GetWindowHandle();
    } else if (manager) {
        parent = manager->GetWindowHandle();
    }
    if (!CreateNativeWindow(parent, L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, RECT{})) return;
    ShowWindow(m_hWnd, SW_SHOW);
    // The application window keeps its active look while its menu has the focus.
    if (HWND top = GetAncestor(m_hWnd, GA_ROOTOWNER)) SendMessageW(top, WM_NCACTIVATE, TRUE, 0);
}

LRESULT CMenuWnd::OnCreate() {
    if (m_pOwner) {
        CreateSubMenu();
    } else {
        CreateTopLevel();
    }
    if (CMenuUI* menu = RootMenu()) menu->SetMenuWnd(this);
    m_pm.GetShadowWindow()->ShowShadow(m_bShowShadow);
    m_pm.GetShadowWindow()->Create(&m_pm);
    return 0;
}

void CMenuWnd::CreateTopLevel() {
    m_pm.AttachWindow(m_hWnd);
    if (CPaintManagerUI* opener = GetMenuObserver().GetManager()) m_pm.GetDpiScaler()->SetScale(opener->GetDpiScaler()->GetDPI());
    CUIBuilder builder;
    CControlUI* root = builder.Create(m_xml.Data(), nullptr, this, &m_pm);
    m_bShowShadow = m_pm.GetShadowWindow()->IsShowShadow();
    m_pm.GetShadowWindow()->ShowShadow(false);
    m_pm.AttachRoot(root);
    m_pm.AddNotifyListener(this);
    ResizeMenu();
}

void CMenuWnd::CreateSubMenu() {
    LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    style &= ~WS_CAPTION;
    style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    SetWindowLongW(m_hWnd, GWL_STYLE, style);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    SetWindowPos(m_hWnd, nullptr, client.left, client.top, Width(client), Height(client), SWP_FRAMECHANGED);

    CPaintManagerUI* ownerManager = m_pOwner->GetManager();
    m_pm.AttachWindow(m_hWnd);
    if (ownerManager) m_pm.GetDpiScaler()->SetScale(ownerManager->GetDpiScaler()->GetDPI());
    if (ownerManager) InheritLook(*ownerManager);
    m_pLayout = new CMenuUI;
    m_pLayout->SetManager(&m_pm, nullptr, true);
    if (const wchar_t* defaults = m_pm.GetClassDefaultAttributes(L"Menu")) m_pLayout->ApplyAttributeList(defaults);
    if (ownerManager) CopyFont(*ownerManager, m_pm, m_pLayout->GetListInfo()->nFont);
    // The items stay the owner's: the list only borrows them.
    m_pLayout->GetList()->SetAutoDestroy(false);
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* child = m_pOwner->GetItemAt(i);
        auto* item = static_cast<CMenuElementUI*>(child->GetInterface(L"MenuElement"));
        if (!item) continue;
        item->SetOwner(m_pLayout);
        m_pLayout->Add(item);
    }
    if (ownerManager) {
        ownerManager->GetShadowWindow()->CopyShadow(m_pm.GetShadowWindow());
        m_pm.SetLayeredWindow(ownerManager->IsLayeredWindow());
    }
    m_bShowShadow = m_pm.GetShadowWindow()->IsShowShadow();
    m_pm.GetShadowWindow()->ShowShadow(false);
    m_pm.AttachRoot(m_pLayout);
    m_pm.AddNotifyListener(this);
    ResizeSubMenu();
}

void CMenuWnd::InheritLook(CPaintManagerUI& from) {
    for (const wchar_t* name : kInheritedDefaults) {
        if (const wchar_t* list = from.GetClassDefaultAttributes(name)) m_pm.AddDefaultAttributeList(name, list);
    }
    const TFontRecord* font = from.GetDefaultFontRecord();
    if (font && !font->faceName.IsEmpty())
        m_pm.SetDefaultFont(font->faceName.Data(), font->size, font->bold, font->underline, font->italic);
    m_pm.SetDefaultTextColor(from.GetDefaultTextColor());
    m_pm.SetDefaultDisabledColor(from.GetDefaultDisabledTextColor());
    m_pm.SetDefaultSelectedBkColor(from.GetDefaultSelectedBkColor());
}

CMenuUI* CMenuWnd::RootMenu() const {
    CControlUI* root = m_pm.GetRootControl();
    return root ? static_cast<CMenuUI*>(root->GetInterface(L"Menu")) : nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Placement

RECT CMenuWnd::PlaceMenu(POINT point, const RECT& anchor, SIZE size, DWORD alignment, const RECT& work) {
    const bool leftOfPoint = (alignment & eMenuAlignment_Right) != 0;
    const bool abovePoint = (alignment & eMenuAlignment_Bottom) != 0;
    const int left = PlaceSpan(leftOfPoint ? anchor.left : point.x, leftOfPoint ? point.x : anchor.right, size.cx,
                               leftOfPoint, work.left, work.right);
    const int top = PlaceSpan(abovePoint ? anchor.bottom : point.y, abovePoint ? point.y : anchor.top, size.cy,
                              abovePoint, work.top, work.bottom);
    return RECT{left, top, left + size.cx, top + size.cy};
}

RECT CMenuWnd::PlaceSubMenu(const RECT& item, const RECT& ownerWindow, SIZE size, bool toLeft, bool aboveOwner,
                            const RECT& work) {
    const int left = PlaceSpan(ownerWindow.right, ownerWindow.left, size.cx, toLeft, work.left, work.right);
    const int top = PlaceSpan(item.top, aboveOwner ? ownerWindow.top : item.bottom, size.cy, aboveOwner, work.top,
                              work.bottom);
    return RECT{left, top, left + size.cx, top + size.cy};
}

void CMenuWnd::ResizeMenu() {
    CControlUI* root = m_pm.GetRootControl();
    if (!root) return;
    const RECT work = WorkAreaOf(MonitorFromPoint(m_BasedPoint, MONITOR_DEFAULTTONEAREST));
    const SIZE size = root->EstimateSize(SIZE{Width(work), Height(work)});
    m_pm.SetInitialSize(size.cx, size.cy);
    const RECT inset = InsetOf(root);
    const SIZE outer = {size.cx + 8, size.cy + inset.top + inset.bottom};
    const RECT anchor = m_bHasAnchor ? m_rcAnchor : RECT{m_BasedPoint.x, m_BasedPoint.y, m_BasedPoint.x, m_BasedPoint.y};
    const RECT rect = PlaceMenu(m_BasedPoint, anchor, outer, m_dwAlignment, work);
    SetForegroundWindow(m_hWnd);
    MoveWindow(m_hWnd, rect.left, rect.top, outer.cx, outer.cy, FALSE);
    SetWindowPos(m_hWnd, HWND_TOPMOST, rect.left, rect.top, outer.cx, outer.cy, SWP_SHOWWINDOW);
}

void CMenuWnd::ResizeSubMenu() {
    HWND ownerWindow = m_pOwner->GetManager()->GetWindowHandle();
    RECT ownerRect = {};
    GetWindowRect(ownerWindow, &ownerRect);
    RECT item = m_pOwner->GetPos();
    MapWindowPoints(ownerWindow, HWND_DESKTOP, reinterpret_cast<POINT*>(&item), 2);
    const RECT work = WorkAreaOf(MonitorFromRect(&item, MONITOR_DEFAULTTONEAREST));
    const SIZE available = {Width(work), Height(work)};
    int totalHeight = 0;
    int width = 0;
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* child = m_pOwner->GetItemAt(i);
        if (!child->GetInterface(L"MenuElement")) continue;
        const SIZE size = child->EstimateSize(available);
        totalHeight += size.cy;
        width = std::max<int>(width, size.cx);
    }

    // Where the menus already open stand decides the side this one opens on.
    bool reachRight = false;
    bool reachBottom = false;
    MenuObserverImpl& observer = GetMenuObserver();
    for (int i = 0; i < observer.GetReceiverCount(); ++i) {
        auto* menu = dynamic_cast<CMenuWnd*>(observer.GetReceiver(i));
        if (!menu || !menu->GetHandle() || menu == this) continue;
        RECT other = {};
        GetWindowRect(menu->GetHandle(), &other);
        reachRight = other.left >= ownerRect.right;
        reachBottom = other.top >= ownerRect.bottom;
        if (menu->GetHandle() == ownerWindow || reachRight || reachBottom) break;
    }
    const bool up = (m_dwAlignment & eMenuAlignment_Up) != 0;
    const bool upAndLeft = up && (m_dwAlignment & eMenuAlignment_Bottom);
    // "Intelligent" menus open on the side their alignment names; the others follow the open menus.
    const bool intelligent = (m_dwAlignment & eMenuAlignment_Intelligent) != 0;
    const bool toLeft = upAndLeft || (intelligent ? (m_dwAlignment & eMenuAlignment_Right) != 0 : reachRight);
    const bool aboveOwner = upAndLeft || (!up && reachBottom);

    const RECT inset = m_pLayout ? m_pLayout->GetInset() : RECT{};
    const SIZE outer = {width + 2, totalHeight + inset.top + inset.bottom};
    const RECT rect = PlaceSubMenu(item, ownerRect, outer, toLeft, aboveOwner, work);
    MoveWindow(m_hWnd, rect.left, rect.top, outer.cx, outer.cy, FALSE);
}

// ---------------------------------------------------------------------------------------------------
// Closing

void CMenuWnd::Close(UINT code) {
    if (!m_hWnd || !IsWindow(m_hWnd)) return;
    PostMessageW(m_hWnd, WM_CLOSE, code, 0);
    m_bClosing = true;
}

BOOL CMenuWnd::Receive(int code, HWND window) {
    if (code == kMenuCloseAll) {
        Close(IDOK);
    } else if (code == kMenuCloseDescendants && m_hWnd) {
        for (HWND parent = GetParent(m_hWnd); parent; parent = GetParent(parent)) {
            if (parent == window) {
                Close(IDOK);
                break;
            }
        }
    }
    return TRUE;
}

bool CMenuWnd::IsMenuWindow(HWND window) const {
    MenuObserverImpl& observer = GetMenuObserver();
    for (int i = 0; i < observer.GetReceiverCount(); ++i) {
        auto* menu = dynamic_cast<CMenuWnd*>(observer.GetReceiver(i));
        if (menu && window && menu->GetHandle() == window) return true;
    }
    return false;
}

void CMenuWnd::OnKillFocus(HWND next) {
    if (IsMenuWindow(next)) return;
    GetMenuObserver().Broadcast(kMenuCloseAll, m_hWnd);
}

void CMenuWnd::GiveBackOwnerItems(bool hide) {
    if (!m_pOwner) return;
    m_pOwner->SetManager(m_pOwner->GetManager(), m_pOwner->GetParent(), false);
    if (!hide) return;
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        auto* item = static_cast<CMenuElementUI*>(m_pOwner->GetItemAt(i)->GetInterface(L"MenuElement"));
        if (!item) continue;
        item->SetOwner(m_pOwner->GetParent());
        item->SetVisible(false);
        item->SetInternVisible(false);
    }
}

LRESULT CMenuWnd::HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        LRESULT result = 0;
        switch (message) {
        case WM_CREATE:
            result = OnCreate();
            break;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) {
                RECT window = {};
                GetWindowRect(m_hWnd, &window);
                const SIZE round = m_pm.GetCornerRoundness();
                HRGN region = CreateRoundRectRgn(0, 0, Width(window) + 1, Height(window) + 1, round.cx, round.cy);
                SetWindowRgn(m_hWnd, region, TRUE);
            }
            break;
        case WM_KILLFOCUS:
            OnKillFocus(reinterpret_cast<HWND>(wParam));
            break;
        case WM_CLOSE:
            if (m_pOwner) {
                GiveBackOwnerItems(false);
                m_pOwner->SetPos(m_pOwner->GetPos(), true);
                m_pOwner->SetFocus();
            }
            break;
        case WM_CONTEXTMENU:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_RBUTTONDBLCLK:
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE || wParam == VK_LEFT) Close(IDOK);
            break;
        default:
            break;
        }
        LRESULT handled = 0;
        if (m_pm.HandleWindowMessage(message, wParam, lParam, handled)) return handled;
        if (message == WM_CREATE) return result;
        return CWindowWnd::HandleWndMessage(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void CMenuWnd::OnWindowDestroyed(HWND /*hwnd*/) {
    RemoveObserver();
    m_pm.RemoveNotifyListener(this);
    if (m_pOwner) {
        // However the window went (closed, or destroyed with its owner), the items go back.
        GiveBackOwnerItems(true);
        CMenuElementUI* owner = m_pOwner;
        m_pOwner = nullptr;
        owner->OnSubMenuClosed();
        delete this;
        return;
    }
    // The last top-level menu gone: its opener no longer receives menu notifications.
    MenuObserverImpl& observer = GetMenuObserver();
    for (int i = 0; i < observer.GetReceiverCount(); ++i) {
        auto* menu = dynamic_cast<CMenuWnd*>(observer.GetReceiver(i));
        if (menu && !menu->GetOwner()) return;
    }
    observer.ResetManager();
}

// ---------------------------------------------------------------------------------------------------
// Builder callback and notifications

void CMenuWnd::Notify(TNotifyMessage& msg) {
    CPaintManagerUI* opener = GetMenuObserver().GetManager();
    if (!opener) return;
    if (msg.sType == L"click" || msg.sType == L"valuechanged") opener->RaiseNotify(msg, false);
}

CControlUI* CMenuWnd::CreateControl(const wchar_t* className) {
    if (EqualsIgnoreCase(className, L"Menu")) return new CMenuUI;
    if (EqualsIgnoreCase(className, L"MenuElement")) return new CMenuElementUI;
    return nullptr;
}

}  // namespace SkinUI
