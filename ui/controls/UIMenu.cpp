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
    m_pLayout = new CMenuUI;
    m_pLayout->SetManager(&m_pm, nullptr, true);
    if (ownerManager) {
        if (const wchar_t* defaults = ownerManager->GetClassDefaultAttributes(L"Menu")) m_pLayout->ApplyAttributeList(defaults);
    }
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

CMenuUI* CMenuWnd::RootMenu() const {
    CControlUI* root = m_pm.GetRootControl();
    return root ? static_cast<CMenuUI*>(root->GetInterface(L"Menu")) : nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Placement

void CMenuWnd::ResizeMenu() {
    CControlUI* root = m_pm.GetRootControl();
    if (!root) return;
    const RECT work = WorkAreaOf(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY));
    const SIZE size = root->EstimateSize(SIZE{Width(work), Height(work)});
    m_pm.SetInitialSize(size.cx, size.cy);
    RECT rect = {m_BasedPoint.x, m_BasedPoint.y, m_BasedPoint.x + 8 + size.cx, m_BasedPoint.y + size.cy};
    const int width = Width(rect);
    const int height = Height(rect);
    if (m_dwAlignment & eMenuAlignment_Right) {
        rect.right = m_BasedPoint.x;
        rect.left = rect.right - width;
    }
    if (m_dwAlignment & eMenuAlignment_Bottom) {
        rect.bottom = m_BasedPoint.y;
        rect.top = rect.bottom - height;
    }
    const RECT inset = static_cast<CContainerUI*>(root->GetInterface(L"Container")) ?
                           static_cast<CContainerUI*>(root->GetInterface(L"Container"))->GetInset() : RECT{};
    SetForegroundWindow(m_hWnd);
    MoveWindow(m_hWnd, rect.left, rect.top, width, height, FALSE);
    SetWindowPos(m_hWnd, HWND_TOPMOST, rect.left, rect.top, width, height + inset.top + inset.bottom, SWP_SHOWWINDOW);
}

void CMenuWnd::ResizeSubMenu() {
    POINT cursor = {};
    GetCursorPos(&cursor);
    const RECT work = WorkAreaOf(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST));
    const SIZE available = {Width(work), Height(work)};
    int totalHeight = 0;
    int width = 0;
    int lastHeight = available.cy;
    for (int i = 0; i < m_pOwner->GetCount(); ++i) {
        CControlUI* child = m_pOwner->GetItemAt(i);
        if (!child->GetInterface(L"MenuElement")) continue;
        const SIZE size = child->EstimateSize(available);
        totalHeight += size.cy;
        width = std::max<int>(width, size.cx);
        lastHeight = size.cy;
    }

    HWND ownerWindow = m_pOwner->GetManager()->GetWindowHandle();
    RECT ownerRect = {};
    GetWindowRect(ownerWindow, &ownerRect);
    const RECT& element = m_pOwner->GetPos();
    POINT topLeft = {element.left, element.top};
    ClientToScreen(ownerWindow, &topLeft);
    RECT rect = {ownerRect.right, topLeft.y, ownerRect.right + 2 + width, topLeft.y + totalHeight};

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
    const int fullWidth = Width(rect);
    if ((m_dwAlignment & eMenuAlignment_Up) && (m_dwAlignment & eMenuAlignment_Bottom)) {
        rect = RECT{ownerRect.left - width, ownerRect.top - totalHeight, ownerRect.left, ownerRect.top};
    } else if (!(m_dwAlignment & eMenuAlignment_Up) && reachBottom) {
        rect.bottom = ownerRect.top;
        rect.top = rect.bottom - totalHeight;
    }
    auto toLeft = [&] {
        rect.right = ownerRect.left;
        rect.left = rect.right - fullWidth;
    };
    // "Intelligent" menus open on the side their alignment names; the others avoid open menus.
    const bool intelligent = (m_dwAlignment & eMenuAlignment_Intelligent) != 0;
    if (intelligent ? (m_dwAlignment & eMenuAlignment_Right) != 0 : reachRight) toLeft();

    // Kept on the work area.
    if (rect.bottom > work.bottom) {
        rect.bottom = std::min<LONG>(rect.top + lastHeight, work.bottom);
        rect.top = rect.bottom - totalHeight;
    }
    if (rect.right > work.right) toLeft();
    if (rect.top < work.top) {
        rect.top = topLeft.y;
        rect.bottom = rect.top + totalHeight;
    }
    if (rect.left < work.left) {
        rect.left = ownerRect.right;
        rect.right = rect.left + fullWidth;
    }
    const RECT inset = m_pLayout ? m_pLayout->GetInset() : RECT{};
    MoveWindow(m_hWnd, rect.left, rect.top, Width(rect), Height(rect) + inset.top + inset.bottom, FALSE);
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
