// WindowImplBase: message routing, creation from the layout, hit testing of the frameless window, the
// window region, maximise/restore buttons and the default click handling.
#include "UIWindowImplBase.h"

#include "UIControl.h"
#include "base/Log.h"

#include <windowsx.h>

#include <cwchar>

namespace SkinUI {

namespace {

// "Failed to load the resource file: " as the framework has always said it.
const wchar_t kLayoutFailureText[] = L"\u52a0\u8f7d\u8d44\u6e90\u6587\u4ef6\u5931\u8d25\uff1a";

void ShowLayoutFailureAndExit(const wchar_t* layoutFile) {
    CUIString text = kLayoutFailureText;
    text += layoutFile;
    MessageBoxW(nullptr, text.Data(), L"SkinUI", MB_ICONERROR);
    ExitProcess(1);
}

WindowImplBase::LayoutFailureHandler g_layoutFailureHandler = &ShowLayoutFailureAndExit;

// Classes over which the caption drags the window: they take no mouse input of their own.
const wchar_t* const kPassiveClasses[] = {
    L"controlui",          L"textui",           L"labelui",        L"containerui",   L"horizontallayoutui",
    L"verticallayoutui",   L"tablayoutui",      L"childlayoutui",  L"dialoglayoutui", L"progresscontainerui",
};

bool IsPassiveClass(const wchar_t* className) {
    if (!className) return false;
    for (const wchar_t* passive : kPassiveClasses)
        if (_wcsicmp(className, passive) == 0) return true;
    return false;
}

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(WindowImplBase, CNotifyPump)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &WindowImplBase::OnClick)
SKINUI_END_NOTIFY_MAP()

WindowImplBase::~WindowImplBase() {
    if (m_hWnd && IsWindow(m_hWnd)) m_pm.RevokeDropTarget();
    ReleaseWindow();
}

void WindowImplBase::SetLayoutFailureHandler(LayoutFailureHandler handler) {
    g_layoutFailureHandler = handler ? handler : &ShowLayoutFailureAndExit;
}

// ---------------------------------------------------------------------------------------------------
// Routing

LRESULT WindowImplBase::HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const CUILifeWatch alive = m_life.Watch();
    HWND hwnd = m_hWnd;
    // The drop target must go while the window is still there, whoever handles WM_DESTROY.
    if (message == WM_DESTROY) m_pm.RevokeDropTarget();
    BOOL handled = TRUE;
    LRESULT result = RouteToHandler(message, wParam, lParam, handled);
    if (handled || !alive) return result;
    handled = FALSE;
    result = HandleOtherMessage(message, wParam, lParam, handled);
    if (handled || !alive) return result;
    if (m_pm.HandleWindowMessage(message, wParam, lParam, result)) return result;
    if (!alive) return DefWindowProcW(hwnd, message, wParam, lParam);
    return CWindowWnd::HandleWndMessage(message, wParam, lParam);
}

LRESULT WindowImplBase::RouteToHandler(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    switch (message) {
    case WM_CLOSE: return OnClose(message, wParam, lParam, handled);
    case WM_DESTROY: return OnDestroy(message, wParam, lParam, handled);
    case WM_NCACTIVATE: return OnNcActivate(message, wParam, lParam, handled);
    case WM_NCCALCSIZE: return OnNcCalcSize(message, wParam, lParam, handled);
    case WM_NCPAINT: return OnNcPaint(message, wParam, lParam, handled);
    case WM_NCHITTEST: return OnNcHitTest(message, wParam, lParam, handled);
    case WM_GETMINMAXINFO: return OnGetMinMaxInfo(message, wParam, lParam, handled);
    case WM_MOUSEWHEEL: return OnMouseWheel(message, wParam, lParam, handled);
    case WM_MOUSEHOVER: return OnMouseHover(message, wParam, lParam, handled);
    case WM_SIZE: return OnSize(message, wParam, lParam, handled);
    case WM_CHAR: return OnChar(message, wParam, lParam, handled);
    case WM_SYSCOMMAND: return OnSysCommand(message, wParam, lParam, handled);
    case WM_CREATE: return OnCreate(message, wParam, lParam, handled);
    case WM_KEYDOWN: return OnKeyDown(message, wParam, lParam, handled);
    case WM_KILLFOCUS: return OnKillFocus(message, wParam, lParam, handled);
    case WM_SETFOCUS: return OnSetFocus(message, wParam, lParam, handled);
    case WM_LBUTTONDOWN: return OnLButtonDown(message, wParam, lParam, handled);
    case WM_LBUTTONUP: return OnLButtonUp(message, wParam, lParam, handled);
    case WM_MOUSEMOVE: return OnMouseMove(message, wParam, lParam, handled);
    default:
        handled = FALSE;
        return 0;
    }
}

void WindowImplBase::OnWindowDestroyed(HWND) {
    m_pm.RemoveLoopMessageFilter(this);
    m_pm.RemoveNotifyListener(this);
    m_pm.ForgetControl(m_pm.GetRootControl());
}

LRESULT WindowImplBase::MessageHandler(UINT message, WPARAM wParam, LPARAM, bool&) {
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) return OnDefaultKey(wParam);
    return 0;
}

void WindowImplBase::Notify(TNotifyMessage& msg) { DispatchNotify(msg); }

CControlUI* WindowImplBase::CreateControl(const wchar_t*) { return nullptr; }

const wchar_t* WindowImplBase::QueryControlText(const wchar_t*, int) { return nullptr; }

void WindowImplBase::OnClick(TNotifyMessage& msg) {
    if (!msg.pSender) return;
    const CUIString name = msg.pSender->GetName();
    if (name == L"closebtn")
        PostClose(1);
    else if (name == L"minbtn")
        SendWindowMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else if (name == L"maxbtn")
        SendWindowMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    else if (name == L"restorebtn")
        SendWindowMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
}

LONG WindowImplBase::GetStyleWithoutCaption() const { return GetWindowLongW(m_hWnd, GWL_STYLE) & ~WS_CAPTION; }

// ---------------------------------------------------------------------------------------------------
// Handlers

namespace {

LRESULT NotHandled(BOOL& handled) {
    handled = FALSE;
    return 0;
}

}  // namespace

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::HandleOtherMessage(UINT, WPARAM, LPARAM, BOOL& handled) { return NotHandled(handled); }

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    if (IsIconic(m_hWnd)) handled = FALSE;
    return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    const LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    SetWindowLongW(m_hWnd, GWL_STYLE, (style & ~WS_CAPTION) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    m_pm.AttachWindow(m_hWnd, GetPaintManagerName());
    m_pm.AddLoopMessageFilter(this);

    const CUIString type = GetLayoutResourceType();
    const CUIString file = GetLayoutFile();
    CUIBuilder builder;
    CControlUI* root = nullptr;
    if (!type.IsEmpty())
        root = builder.Create(MAKEINTRESOURCEW(_wtoi(file.Data())), type.Data(), this, &m_pm);
    else
        root = builder.Create(file.Data(), nullptr, this, &m_pm);
    if (!root) {
        LogPrintW(L"WindowImplBase: layout \"%ls\" not built: %ls\n", file.Data(), builder.GetLastErrorMessage());
        g_layoutFailureHandler(file.Data());
        return -1;  // a handler that returns lets the creation fail
    }
    m_pm.AttachRoot(root);
    m_pm.AddNotifyListener(this);
    OnInitWindow();
    return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL&) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(m_hWnd, &point);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    if (!IsZoomed(m_hWnd)) {
        const RECT box = m_pm.GetSizeBox();
        const bool left = point.x < client.left + box.left;
        const bool right = point.x >= client.right - box.right;
        if (point.y < client.top + box.top) return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
        if (point.y >= client.bottom - box.bottom) return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
        if (left) return HTLEFT;
        if (right) return HTRIGHT;
    }
    const RECT caption = m_pm.GetCaptionRect();
    const LONG captionBottom = caption.bottom < 0 ? client.bottom : caption.bottom;  // -1: the full height
    if (point.x >= client.left + caption.left && point.x < client.right - caption.right && point.y >= caption.top &&
        point.y < captionBottom) {
        if (IsCaptionDragControl(m_pm.FindControlAtPoint(point.x, point.y))) return HTCAPTION;
    }
    return HTCLIENT;
}

bool WindowImplBase::IsCaptionDragControl(CControlUI* control) {
    if (!control) return false;
    for (; control; control = control->GetParent())
        if (!IsPassiveClass(control->GetClass())) return false;
    return true;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL&) {
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT work = monitor.rcWork;
    if (!(monitor.dwFlags & MONITORINFOF_PRIMARY)) OffsetRect(&work, -monitor.rcMonitor.left, -monitor.rcMonitor.top);
    const SIZE workSize = {work.right - work.left, work.bottom - work.top};
    const SIZE maxInfo = m_pm.GetMaxInfo();
    const SIZE minInfo = m_pm.GetMinInfo();
    info->ptMaxPosition = {work.left, work.top};
    info->ptMaxSize = {workSize.cx, workSize.cy};
    info->ptMaxTrackSize = {maxInfo.cx ? maxInfo.cx : workSize.cx, maxInfo.cy ? maxInfo.cy : workSize.cy};
    info->ptMinTrackSize = {minInfo.cx, minInfo.cy};
    return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (!IsIconic(m_hWnd)) {
        RECT window = {};
        GetWindowRect(m_hWnd, &window);
        OffsetRect(&window, -window.left, -window.top);
        const SIZE corner = m_pm.GetCornerRoundness();
        HRGN region = CreateRoundRectRgn(window.left, window.top, window.right + 1, window.bottom + 1, corner.cx, corner.cy);
        SetWindowRgn(m_hWnd, region, TRUE);  // the system owns the region from here
    }
    handled = FALSE;  // the paint manager lays out on WM_SIZE too
    return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    const CUILifeWatch alive = m_life.Watch();
    const bool wasZoomed = IsZoomed(m_hWnd) != FALSE;
    const LRESULT result = CWindowWnd::HandleWndMessage(message, wParam, lParam);
    if (!alive || !m_hWnd) return result;
    const bool zoomed = IsZoomed(m_hWnd) != FALSE;
    if (zoomed != wasZoomed) SwapMaxRestoreButtons(zoomed);
    return result;
}

void WindowImplBase::SwapMaxRestoreButtons(bool maximised) {
    if (CControlUI* maxButton = m_pm.FindControlByName(L"maxbtn")) maxButton->SetVisible(!maximised);
    if (CControlUI* restoreButton = m_pm.FindControlByName(L"restorebtn")) restoreButton->SetVisible(maximised);
}

}  // namespace SkinUI
