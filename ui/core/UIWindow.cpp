// CWindowWnd: class registration, creation, the two window procedures, the modal loop and small window
// helpers.
#include "UIWindow.h"

#include "UIManager.h"
#include "base/Log.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace SkinUI {

namespace {

const wchar_t kObjectProperty[] = L"WndX";

HINSTANCE ModuleInstance() {
    HINSTANCE instance = CPaintManagerUI::GetModuleInstance();
    return instance ? instance : GetModuleHandleW(nullptr);
}

bool RegisteredOrExists(ATOM atom) { return atom != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS; }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Lifetime

CWindowWnd::~CWindowWnd() {
    ReleaseWindow();
    DestroyIcons();
}

void CWindowWnd::ReleaseWindow() {
    HWND hwnd = m_hWnd;
    m_hWnd = nullptr;
    if (!hwnd || !IsWindow(hwnd)) return;
    // The window's messages go straight to the procedure this object took over (the default one, the
    // base class's or the subclassed window's own) before anything else happens to it.
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    if (GetWindowLongPtrW(hwnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    if (GetPropW(hwnd, kObjectProperty) == this) RemovePropW(hwnd, kObjectProperty);
    const bool subclassed = m_bSubclassed;
    m_previousProc = DefWindowProcW;
    m_bSubclassed = false;
    if (!subclassed) DestroyWindow(hwnd);
}

void CWindowWnd::DestroyIcons() {
    if (m_hIconBig) DestroyIcon(m_hIconBig);
    if (m_hIconSmall) DestroyIcon(m_hIconSmall);
    m_hIconBig = m_hIconSmall = nullptr;
}

// ---------------------------------------------------------------------------------------------------
// Creation

HWND CWindowWnd::CreateNativeWindow(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle, int x, int y,
                                    int cx, int cy, HMENU menu) {
    const bool registered = GetBaseWndClassName() ? RegisterBaseClassCopy() : RegisterWndClass();
    if (!registered) return nullptr;
    m_hWnd = CreateWindowExW(exStyle, GetWndClassName(), title, style, x, y, cx, cy, parent, menu,
                             ModuleInstance(), this);
    return m_hWnd;
}

HWND CWindowWnd::CreateNativeWindow(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle,
                                    const RECT& rect, HMENU menu) {
    return CreateNativeWindow(parent, title, style, exStyle, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, menu);
}

HWND CWindowWnd::CreateNativeWindow(HWND parent, const wchar_t* title, DWORD style, DWORD exStyle) {
    return CreateNativeWindow(parent, title, style, exStyle, 0, 0, 0, 0, nullptr);
}

bool CWindowWnd::RegisterWndClass() {
    WNDCLASSW wc = {};
    wc.style = GetWndClassStyle();
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = ModuleInstance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = GetWndClassName();
    return RegisteredOrExists(RegisterClassW(&wc));
}

bool CWindowWnd::RegisterBaseClassCopy() {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(nullptr, GetBaseWndClassName(), &wc) &&
        !GetClassInfoExW(ModuleInstance(), GetBaseWndClassName(), &wc))
        return false;
    m_previousProc = wc.lpfnWndProc;
    wc.lpfnWndProc = PropertyWndProc;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = GetWndClassName();
    return RegisteredOrExists(RegisterClassExW(&wc));
}

HWND CWindowWnd::AttachToExisting(HWND hwnd) {
    auto old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWindowWnd::StaticWndProc)));
    if (!old) return nullptr;
    m_previousProc = old;
    m_bSubclassed = true;
    m_hWnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return m_hWnd;
}

void CWindowWnd::DetachFromExisting() {
    if (!m_hWnd || !IsWindow(m_hWnd) || !m_bSubclassed) return;
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previousProc));
    m_previousProc = DefWindowProcW;
    m_bSubclassed = false;
}

// ---------------------------------------------------------------------------------------------------
// Window procedures

LRESULT CWindowWnd::HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(m_previousProc, m_hWnd, message, wParam, lParam);
}

// Exceptions cannot cross the system's frames: a handler that throws is logged and the message gets the
// default handling.
LRESULT CWindowWnd::Dispatch(CWindowWnd* window, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return window->HandleWndMessage(message, wParam, lParam);
    } catch (const std::exception& e) {
        LogPrintW(L"CWindowWnd: %hs in message %ls\n", e.what(), MessageIdToName(message));
    } catch (...) {
        LogPrintW(L"CWindowWnd: exception in message %ls\n", MessageIdToName(message));
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// WM_NCDESTROY: the previous procedure finishes the window, then the object is unbound and told.
LRESULT CWindowWnd::FinalMessage(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcW(m_previousProc, hwnd, WM_NCDESTROY, wParam, lParam);
    if (m_bSubclassed) DetachFromExisting();
    m_hWnd = nullptr;
    DestroyIcons();
    try {
        OnWindowDestroyed(hwnd);  // may delete this object
    } catch (...) {
        LogPrintW(L"CWindowWnd: exception in OnWindowDestroyed\n");
    }
    return result;
}

LRESULT CALLBACK CWindowWnd::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* window = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        window = static_cast<CWindowWnd*>(create->lpCreateParams);
        if (window) {
            window->m_hWnd = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        }
    } else {
        window = reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_NCDESTROY && window) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            return window->FinalMessage(hwnd, wParam, lParam);
        }
    }
    if (window) return Dispatch(window, hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CWindowWnd::PropertyWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindowWnd* window = nullptr;
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        window = static_cast<CWindowWnd*>(create->lpCreateParams);
        if (window) {
            window->m_hWnd = hwnd;
            SetPropW(hwnd, kObjectProperty, window);
        }
    } else {
        window = static_cast<CWindowWnd*>(GetPropW(hwnd, kObjectProperty));
        if (message == WM_NCDESTROY && window) {
            // Removed, not just cleared: a property left on a dying window leaks its name.
            RemovePropW(hwnd, kObjectProperty);
            return window->FinalMessage(hwnd, wParam, lParam);
        }
    }
    if (window) return Dispatch(window, hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------------
// Showing, modal loop, placement

BOOL CWindowWnd::SetShown(bool show, bool takeFocus) {
    if (!m_hWnd || !IsWindow(m_hWnd)) return FALSE;
    return ShowWindow(m_hWnd, !show ? SW_HIDE : takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE);
}

UINT CWindowWnd::RunModal() {
    HWND window = m_hWnd;  // this object may be gone when the loop ends
    HWND owner = GetWindow(window, GW_OWNER);
    ShowWindow(window, SW_SHOWNORMAL);
    if (owner) EnableWindow(owner, FALSE);
    UINT result = 0;
    MSG msg = {};
    bool quit = false;
    while (IsWindow(window)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            break;
        }
        if (got < 0) break;
        if (msg.message == WM_MOUSEWHEEL && owner && msg.hwnd == owner) continue;
        const bool closing = msg.message == WM_CLOSE && msg.hwnd == window;
        if (closing) {
            result = static_cast<UINT>(msg.wParam);
            // The owner must be enabled before the window goes, or the system activates another
            // program's window.
            if (owner) {
                EnableWindow(owner, TRUE);
                SetFocus(owner);
            }
        }
        if (!CPaintManagerUI::PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (closing && IsWindow(window)) {
            // The window refused to close: it is still modal.
            if (owner) EnableWindow(owner, FALSE);
            result = 0;
        }
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetFocus(owner);
    }
    if (quit) PostQuitMessage(static_cast<int>(msg.wParam));
    return result;
}

void CWindowWnd::CenterOnOwner() {
    if (!m_hWnd) return;
    RECT rect = {};
    GetWindowRect(m_hWnd, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HWND owner = GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    RECT centre = work;
    if (owner) GetWindowRect(owner, &centre);
    int x = (centre.left + centre.right) / 2 - width / 2;
    int y = (centre.top + centre.bottom) / 2 - height / 2;
    if (x < work.left)
        x = work.left;
    else if (x + width > work.right)
        x = work.right - width;
    if (y < work.top)
        y = work.top;
    else if (y + height > work.bottom)
        y = work.bottom - height;
    SetWindowPos(m_hWnd, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWindowWnd::PostClose(UINT code) {
    if (m_hWnd && IsWindow(m_hWnd)) PostMessageW(m_hWnd, WM_CLOSE, code, 0);
}

LRESULT CWindowWnd::SendWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(m_hWnd, message, wParam, lParam);
}

void CWindowWnd::PostWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWindowWnd::ResizeClientArea(int cx, int cy) {
    RECT rect = {};
    if (!GetClientRect(m_hWnd, &rect)) return FALSE;
    if (cx != -1) rect.right = cx;
    if (cy != -1) rect.bottom = cy;
    const DWORD style = GetWindowLongW(m_hWnd, GWL_STYLE);
    const bool menu = !(style & WS_CHILD) && GetMenu(m_hWnd) != nullptr;
    if (!AdjustWindowRectEx(&rect, style, menu, GetWindowLongW(m_hWnd, GWL_EXSTYLE))) return FALSE;
    return SetWindowPos(m_hWnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                        SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

LRESULT CWindowWnd::SetIcon(UINT resourceId) {
    auto roundUp16 = [](int value) { return (value + 15) & ~15; };
    HINSTANCE instance = ModuleInstance();
    auto load = [&](int cx, int cy) {
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, cx, cy, 0));
    };
    HICON big = load(roundUp16(GetSystemMetrics(SM_CXICON)), roundUp16(GetSystemMetrics(SM_CYICON)));
    HICON small = load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    const LRESULT result = SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    // The window no longer shows the earlier icons: they are ours to free.
    DestroyIcons();
    m_hIconBig = big;
    m_hIconSmall = small;
    return result;
}

// ---------------------------------------------------------------------------------------------------
// Free helpers

namespace {

struct TMessageName {
    UINT id;
    const wchar_t* name;
};

#define MESSAGE_NAME(id) {id, L## #id}
const TMessageName kMessageNames[] = {
    MESSAGE_NAME(WM_CREATE),        MESSAGE_NAME(WM_DESTROY),       MESSAGE_NAME(WM_MOVE),
    MESSAGE_NAME(WM_SIZE),          MESSAGE_NAME(WM_ACTIVATE),      MESSAGE_NAME(WM_SETFOCUS),
    MESSAGE_NAME(WM_KILLFOCUS),     MESSAGE_NAME(WM_ENABLE),        MESSAGE_NAME(WM_SETTEXT),
    MESSAGE_NAME(WM_GETTEXT),       MESSAGE_NAME(WM_GETTEXTLENGTH), MESSAGE_NAME(WM_PAINT),
    MESSAGE_NAME(WM_CLOSE),         MESSAGE_NAME(WM_QUIT),          MESSAGE_NAME(WM_ERASEBKGND),
    MESSAGE_NAME(WM_SHOWWINDOW),    MESSAGE_NAME(WM_ACTIVATEAPP),   MESSAGE_NAME(WM_SETCURSOR),
    MESSAGE_NAME(WM_MOUSEACTIVATE), MESSAGE_NAME(WM_GETMINMAXINFO), MESSAGE_NAME(WM_WINDOWPOSCHANGING),
    MESSAGE_NAME(WM_WINDOWPOSCHANGED), MESSAGE_NAME(WM_NOTIFY),     MESSAGE_NAME(WM_CONTEXTMENU),
    MESSAGE_NAME(WM_GETICON),       MESSAGE_NAME(WM_SETICON),       MESSAGE_NAME(WM_NCCREATE),
    MESSAGE_NAME(WM_NCDESTROY),     MESSAGE_NAME(WM_NCCALCSIZE),    MESSAGE_NAME(WM_NCHITTEST),
    MESSAGE_NAME(WM_NCPAINT),       MESSAGE_NAME(WM_NCACTIVATE),    MESSAGE_NAME(WM_NCMOUSEMOVE),
    MESSAGE_NAME(WM_NCLBUTTONDOWN), MESSAGE_NAME(WM_KEYDOWN),       MESSAGE_NAME(WM_KEYUP),
    MESSAGE_NAME(WM_CHAR),          MESSAGE_NAME(WM_SYSKEYDOWN),    MESSAGE_NAME(WM_SYSKEYUP),
    MESSAGE_NAME(WM_SYSCHAR),       MESSAGE_NAME(WM_COMMAND),       MESSAGE_NAME(WM_SYSCOMMAND),
    MESSAGE_NAME(WM_TIMER),         MESSAGE_NAME(WM_MOUSEMOVE),     MESSAGE_NAME(WM_LBUTTONDOWN),
    MESSAGE_NAME(WM_LBUTTONUP),     MESSAGE_NAME(WM_LBUTTONDBLCLK), MESSAGE_NAME(WM_RBUTTONDOWN),
    MESSAGE_NAME(WM_RBUTTONUP),     MESSAGE_NAME(WM_MOUSEWHEEL),    MESSAGE_NAME(WM_MOUSEHOVER),
    MESSAGE_NAME(WM_MOUSELEAVE),
};
#undef MESSAGE_NAME

}  // namespace

const wchar_t* MessageIdToName(UINT message) {
    for (const TMessageName& entry : kMessageNames)
        if (entry.id == message) return entry.name;
    static thread_local wchar_t number[16];
    _snwprintf(number, 16, L"0x%04X", message);
    number[15] = 0;
    return number;
}

char* WideToCodePage(const wchar_t* text, UINT codePage) {
    if (!text) return nullptr;
    const int bytes = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    auto* result = static_cast<char*>(calloc(static_cast<size_t>(bytes > 0 ? bytes : 0) + 1, 1));
    if (!result) return nullptr;
    if (bytes > 0) WideCharToMultiByte(codePage, 0, text, -1, result, bytes, nullptr, nullptr);
    return result;
}

}  // namespace SkinUI
