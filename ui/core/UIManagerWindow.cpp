// CPaintManagerUI: the window side. Native window messages become events of the control tree (mouse
// with hover, press and capture, keyboard, focus, timers, tooltips), the message loop pre-translates
// queued messages (accelerators, loop filters, Tab and Alt shortcuts), and a DPI change re-scales the
// window and its assets.
//
// Any event handler may destroy the window and with it this manager (a window object that deletes itself
// when its window goes). Code that runs after a handler checks IsAlive on a token taken before it, and
// lists are walked as copies.
#include "UIManager.h"

#include "UIControl.h"
#include "UIRender.h"
#include "base/Log.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cwctype>
#include <exception>

namespace SkinUI {

namespace {

constexpr UINT kPendingNotifyMessage = WM_APP + 1;
constexpr UINT kReflectBase = 0x2000;  // a parent's message reflected back to its child window

TUIEvent MakeEvent(int type, CControlUI* sender, POINT mouse, WORD keyState = 0, WPARAM wParam = 0,
                   LPARAM lParam = 0) {
    TUIEvent event;
    event.Type = type;
    event.pSender = sender;
    event.dwTimestamp = GetTickCount();
    event.ptMouse = mouse;
    event.wKeyState = keyState;
    event.wParam = wParam;
    event.lParam = lParam;
    return event;
}

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

bool ClassContains(CControlUI* control, const wchar_t* part) {
    const wchar_t* name = control->GetClass();
    return name && wcsstr(name, part) != nullptr;
}

struct TFindShortcut {
    wchar_t ch;
    bool pickNext;
};

// The Alt shortcut search: a label passes its shortcut on to the control after it.
CControlUI* FindControlFromShortcut(CControlUI* control, void* data) {
    if (!control->IsVisible()) return nullptr;
    auto* shortcut = static_cast<TFindShortcut*>(data);
    if (static_cast<wchar_t>(towupper(control->GetShortcut())) == shortcut->ch) shortcut->pickNext = true;
    if (ClassContains(control, L"LabelUI")) return nullptr;
    return shortcut->pickNext ? control : nullptr;
}

bool IsManagerAlive(CPaintManagerUI* manager) { return CPaintManagerUI::GetManagers().IndexOf(manager) >= 0; }

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Registration lists

namespace {

bool AddUnique(CUIPtrArray& list, void* item) {
    if (!item || list.IndexOf(item) >= 0) return false;
    return list.Add(item);
}

bool RemoveItem(CUIPtrArray& list, void* item) {
    const int index = list.IndexOf(item);
    return index >= 0 && list.RemoveAt(index);
}

}  // namespace

bool CPaintManagerUI::AddWindowMessageFilter(IMessageFilterUI* filter) { return AddUnique(m_aMessageFilters, filter); }
bool CPaintManagerUI::RemoveWindowMessageFilter(IMessageFilterUI* filter) { return RemoveItem(m_aMessageFilters, filter); }
bool CPaintManagerUI::AddKeyTranslator(ITranslateAccelerator* translator) { return AddUnique(m_aTranslators, translator); }
bool CPaintManagerUI::RemoveKeyTranslator(ITranslateAccelerator* translator) { return RemoveItem(m_aTranslators, translator); }
bool CPaintManagerUI::AddLoopMessageFilter(IMessageFilterUI* filter) { return AddUnique(m_aLoopFilters, filter); }
bool CPaintManagerUI::RemoveLoopMessageFilter(IMessageFilterUI* filter) { return RemoveItem(m_aLoopFilters, filter); }

// ---------------------------------------------------------------------------------------------------
// Window messages

bool CPaintManagerUI::HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (!m_hWndPaint) return false;
    const CUILifeWatch alive = m_life.Watch();
    if (RunWindowFilters(message, wParam, lParam, result)) return true;
    if (!alive) return true;

    if (m_bLayered) {
        switch (message) {
        case WM_NCCALCSIZE:
        case WM_NCPAINT:
            result = 0;
            return true;
        case WM_NCACTIVATE:
            if (IsIconic(m_hWndPaint)) return false;
            result = wParam == 0;
            return true;
        default:
            break;
        }
    }

    switch (message) {
    case kPendingNotifyMessage:
        // Handled here, whatever the handlers did: the window object may be gone by now.
        DeliverPendingNotify();
        result = 0;
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_PRINTCLIENT:
        OnPrintClient(reinterpret_cast<HDC>(wParam), lParam);
        result = 0;
        return true;
    case WM_ERASEBKGND:
        result = 1;
        return true;
    case WM_SIZE:
        return OnWindowSize(alive);
    case WM_SETFOCUS:
        if (m_pFocus) SendEvent(m_pFocus, MakeEvent(UIEVENT_SETFOCUS, m_pFocus, m_ptLastMousePos, 0, wParam, lParam));
        return !alive;
    case WM_KILLFOCUS:
        if (m_bMouseCapture) ReleaseMouseCapture();
        return false;
    case WM_CLOSE:
        return OnWindowClose(alive);
    case WM_DESTROY:
        RevokeDropTarget();
        return false;
    case WM_SETCURSOR:
        if (!OnSetCursor(wParam, lParam, alive)) return false;
        result = TRUE;  // the cursor is set: no default one over it
        return true;
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return false;
    case WM_NOTIFY:
        if (!lParam) return false;
        result = SendMessageW(reinterpret_cast<NMHDR*>(lParam)->hwndFrom, kReflectBase + message, wParam, lParam);
        return true;
    case WM_COMMAND:
        if (lParam) SendMessageW(reinterpret_cast<HWND>(lParam), kReflectBase + message, wParam, lParam);
        return false;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        // The child's brush is the answer; without one the default colours stay.
        if (!lParam) return false;
        result = SendMessageW(reinterpret_cast<HWND>(lParam), kReflectBase + message, wParam, lParam);
        return result != 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        return OnKeyMessage(message, wParam, lParam, alive);
    case WM_TIMER:
        return OnTimer(wParam, lParam, alive);
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
    case WM_CONTEXTMENU:
        return HandleMouseMessage(message, wParam, lParam, alive);
    default:
        return false;
    }
}

bool CPaintManagerUI::RunWindowFilters(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const CUIPtrArray filters(m_aMessageFilters);
    const CUILifeWatch alive = m_life.Watch();
    for (int i = 0; i < filters.Count(); ++i) {
        auto* filter = static_cast<IMessageFilterUI*>(filters[i]);
        if (m_aMessageFilters.IndexOf(filter) < 0) continue;  // removed by an earlier filter
        bool handled = false;
        const LRESULT answer = filter->MessageHandler(message, wParam, lParam, handled);
        if (!alive) return true;
        if (!handled) continue;
        result = answer;
        switch (message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
            m_ptLastMousePos = PointOf(lParam);
            break;
        case WM_CONTEXTMENU:
        case WM_MOUSEWHEEL: {
            POINT point = PointOf(lParam);
            ScreenToClient(m_hWndPaint, &point);
            m_ptLastMousePos = point;
            break;
        }
        default:
            break;
        }
        return true;
    }
    return false;
}

bool CPaintManagerUI::SendEvent(CControlUI* control, TUIEvent event) {
    if (!control) return true;
    const CUILifeWatch alive = m_life.Watch();
    control->Event(event);
    return static_cast<bool>(alive);
}

bool CPaintManagerUI::OnWindowSize(const CUILifeWatch& alive) {
    if (m_pFocus) SendEvent(m_pFocus, MakeEvent(UIEVENT_WINDOWSIZE, m_pFocus, m_ptLastMousePos));
    if (!alive) return true;
    if (m_pRoot) m_pRoot->NeedUpdate();
    return false;
}

bool CPaintManagerUI::OnWindowClose(const CUILifeWatch& alive) {
    const WORD keys = static_cast<WORD>(MapKeyState());
    if (m_pEventHover) SendEvent(m_pEventHover, MakeEvent(UIEVENT_MOUSELEAVE, m_pEventHover, m_ptLastMousePos, keys));
    if (!alive) return true;
    if (m_pEventClick) SendEvent(m_pEventClick, MakeEvent(UIEVENT_BUTTONUP, m_pEventClick, m_ptLastMousePos, keys));
    if (!alive) return true;
    FocusControl(nullptr);
    if (!alive) return true;
    HWND owner = GetWindow(m_hWndPaint, GW_OWNER);
    if (GetActiveWindow() == m_hWndPaint && owner) SetFocus(owner);
    if (m_hwndTooltip) {
        DestroyWindow(m_hwndTooltip);
        m_hwndTooltip = nullptr;
    }
    return false;
}

bool CPaintManagerUI::OnSetCursor(WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive) {
    if (!m_pRoot || LOWORD(lParam) != HTCLIENT) return false;
    if (m_bMouseCapture) return true;  // the control holding the mouse keeps its cursor
    POINT point = {};
    GetCursorPos(&point);
    ScreenToClient(m_hWndPaint, &point);
    CControlUI* control = FindControlAtPoint(point.x, point.y);
    if (!control || !(control->GetControlFlags() & UIFLAG_SETCURSOR)) return false;
    SendEvent(control, MakeEvent(UIEVENT_SETCURSOR, control, point, static_cast<WORD>(MapKeyState()), wParam, lParam));
    return true;
}

void CPaintManagerUI::OnGetMinMaxInfo(MINMAXINFO* info) {
    if (!info) return;
    const SIZE minimum = GetMinInfo();
    const SIZE maximum = GetMaxInfo();
    if (minimum.cx > 0) info->ptMinTrackSize.x = minimum.cx;
    if (minimum.cy > 0) info->ptMinTrackSize.y = minimum.cy;
    if (maximum.cx > 0) info->ptMaxTrackSize.x = info->ptMaxSize.x = maximum.cx;
    if (maximum.cy > 0) info->ptMaxTrackSize.y = info->ptMaxSize.y = maximum.cy;
}

bool CPaintManagerUI::OnKeyMessage(UINT message, WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive) {
    if (!m_pRoot) return false;
    const WORD keys = static_cast<WORD>(MapKeyState());
    TUIEvent event = MakeEvent(0, nullptr, m_ptLastMousePos, keys, wParam, lParam);
    event.chKey = static_cast<WORD>(wParam);
    switch (message) {
    case WM_KEYDOWN: {
        CControlUI* focus = m_pFocus;
        if (!focus) return false;
        event.Type = UIEVENT_KEYDOWN;
        event.pSender = focus;
        if (!SendEvent(focus, event)) return true;
        m_pEventKey = focus;
        return false;
    }
    case WM_KEYUP: {
        CControlUI* key = m_pEventKey;
        if (!key) return false;
        event.Type = UIEVENT_KEYUP;
        event.pSender = key;
        if (!SendEvent(key, event)) return true;
        m_pEventKey = nullptr;
        return false;
    }
    default:  // WM_CHAR
        if (!m_pFocus) return false;
        event.Type = UIEVENT_CHAR;
        event.pSender = m_pFocus;
        return !SendEvent(m_pFocus, event) || !alive;
    }
}

bool CPaintManagerUI::OnTimer(WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive) {
    CControlUI* owner = nullptr;
    UINT localId = 0;
    if (!FindTimerOwner(LOWORD(wParam), owner, localId)) return false;
    TUIEvent event = MakeEvent(UIEVENT_TIMER, owner, m_ptLastMousePos, 0, localId, lParam);
    return !SendEvent(owner, event) || !alive;
}

// ---------------------------------------------------------------------------------------------------
// Mouse

bool CPaintManagerUI::HandleMouseMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                         const CUILifeWatch& alive) {
    if (!m_pRoot) return false;
    switch (message) {
    case WM_MOUSEHOVER:
        return OnMouseHover(lParam, alive);
    case WM_MOUSELEAVE:
        return OnMouseLeave(alive);
    case WM_CONTEXTMENU:
        return OnContextMenu(wParam, lParam, alive);
    case WM_MOUSEWHEEL:
        return OnMouseWheel(wParam, lParam, alive);
    default:
        break;
    }
    const POINT previous = m_ptLastMousePos;
    const POINT point = PointOf(lParam);
    m_ptLastMousePos = point;
    CControlUI* control = FindControlAtPoint(point.x, point.y);
    if (control && control->GetManager() != this) return false;
    switch (message) {
    case WM_MOUSEMOVE:
        return OnMouseMove(control, point, previous, wParam, lParam, alive);
    case WM_LBUTTONDOWN:
        return OnLeftButtonDown(control, point, wParam, lParam, alive);
    case WM_LBUTTONDBLCLK:
        if (!m_bNoActivate) ::SetFocus(m_hWndPaint);
        if (!control) return false;
        CaptureMouse();
        m_pEventClick = control;
        return !SendEvent(control, MakeEvent(UIEVENT_DBLCLICK, control, point, LOWORD(wParam), wParam, lParam));
    case WM_LBUTTONUP: {
        CControlUI* pressed = m_pEventClick;
        if (!pressed) return false;
        ReleaseMouseCapture();
        m_pEventClick = nullptr;
        return !SendEvent(pressed, MakeEvent(UIEVENT_BUTTONUP, pressed, point, LOWORD(wParam), wParam, lParam));
    }
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        if (!m_bNoActivate) ::SetFocus(m_hWndPaint);
        if (!control) return false;
        control->SetFocus();
        if (!alive) return true;
        CaptureMouse();
        m_pEventClick = control;
        const int type = message == WM_RBUTTONDOWN ? UIEVENT_RBUTTONDOWN : UIEVENT_MBUTTONDOWN;
        return !SendEvent(control, MakeEvent(type, control, point, LOWORD(wParam), wParam, lParam));
    }
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        // The pressed control stays set: moves go on reaching it until the next left button up.
        m_pEventClick = control;
        if (!control) return false;
        ReleaseMouseCapture();
        const int type = message == WM_RBUTTONUP ? UIEVENT_RBUTTONUP : UIEVENT_MBUTTONUP;
        return !SendEvent(control, MakeEvent(type, control, point, LOWORD(wParam), wParam, lParam));
    }
    default:
        return false;
    }
}

bool CPaintManagerUI::OnMouseMove(CControlUI* control, POINT point, POINT previous, WPARAM wParam, LPARAM lParam,
                                  const CUILifeWatch& alive) {
    // The move a leave sends (at -1, -1) tracks nothing: two windows of the thread would otherwise hand
    // the leave back and forth.
    if (!m_bMouseTracking && lParam != static_cast<LPARAM>(-1)) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof track;
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = m_hWndPaint;
        track.dwHoverTime = m_hwndTooltip
            ? static_cast<DWORD>(SendMessageW(m_hwndTooltip, TTM_GETDELAYTIME, TTDT_INITIAL, 0))
            : static_cast<DWORD>(m_iHoverTime);
        TrackMouseEvent(&track);
        m_bMouseTracking = true;
    }
    const bool moved = point.x != previous.x || point.y != previous.y;
    if (moved && m_bDragMode && wParam == MK_LBUTTON) {
        m_bDragMode = false;
        StartDrag();
        return !alive;
    }
    const WORD keys = static_cast<WORD>(MapKeyState());
    if (!m_bMouseCapture) {
        CControlUI* oldHover = m_pEventHover;
        if (control != oldHover && oldHover) {
            const CUIPtrArray leaveNeeded(m_aNeedMouseLeaveNeeded);
            const TUIEvent leave = MakeEvent(UIEVENT_MOUSELEAVE, oldHover, point, keys, wParam, lParam);
            for (int i = 0; i < leaveNeeded.Count(); ++i) {
                auto* listener = static_cast<CControlUI*>(leaveNeeded[i]);
                if (m_aNeedMouseLeaveNeeded.IndexOf(listener) < 0) continue;  // forgotten by an earlier one
                if (!SendEvent(listener, leave)) return true;
            }
            if (m_pEventHover == oldHover && !SendEvent(oldHover, leave)) return true;
            m_pEventHover = nullptr;
            if (m_hwndTooltip) SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
        }
        if (control != oldHover && control) {
            if (!SendEvent(control, MakeEvent(UIEVENT_MOUSEENTER, control, point, keys, wParam, lParam))) return true;
            m_pEventHover = control;
        }
    }
    CControlUI* target = m_pEventClick ? m_pEventClick : control;
    if (!target) return false;
    return !SendEvent(target, MakeEvent(UIEVENT_MOUSEMOVE, target, point, keys, wParam, lParam));
}

bool CPaintManagerUI::OnLeftButtonDown(CControlUI* control, POINT point, WPARAM wParam, LPARAM lParam,
                                       const CUILifeWatch& alive) {
    if (!m_bNoActivate) ::SetFocus(m_hWndPaint);
    if (!alive) return true;
    if (!control) return false;
    if (control->IsDragEnabled()) {
        m_bDragMode = true;
        if (m_hDragBitmap) DeleteObject(m_hDragBitmap);
        m_hDragBitmap = CUIRender::GenerateBitmap(this, control, control->GetPos());
    }
    CaptureMouse();
    m_pEventClick = control;
    control->SetFocus();
    if (!alive) return true;
    if (m_pEventClick != control) return false;  // forgotten by a focus handler
    return !SendEvent(control, MakeEvent(UIEVENT_BUTTONDOWN, control, point, LOWORD(wParam), wParam, lParam));
}

bool CPaintManagerUI::OnMouseWheel(WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive) {
    POINT point = PointOf(lParam);
    ScreenToClient(m_hWndPaint, &point);
    m_ptLastMousePos = point;
    CControlUI* control = FindControlAtPoint(point.x, point.y);
    if (!control) return false;
    if (control->GetManager() != this) return false;
    const WPARAM down = static_cast<short>(HIWORD(wParam)) < 0 ? 1 : 0;
    if (!SendEvent(control, MakeEvent(UIEVENT_SCROLLWHEEL, control, point, static_cast<WORD>(MapKeyState()), down, lParam)))
        return true;
    // The content may have moved under the mouse.
    SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(m_ptLastMousePos.x, m_ptLastMousePos.y));
    return !alive;
}

bool CPaintManagerUI::OnContextMenu(WPARAM wParam, LPARAM lParam, const CUILifeWatch& alive) {
    // From the keyboard the position is -1: the last mouse position stays.
    if (lParam != -1) {
        POINT point = PointOf(lParam);
        ScreenToClient(m_hWndPaint, &point);
        m_ptLastMousePos = point;
    }
    CControlUI* pressed = m_pEventClick;
    if (!pressed) return false;
    ReleaseMouseCapture();
    m_pEventClick = nullptr;
    TUIEvent event = MakeEvent(UIEVENT_CONTEXTMENU, pressed, m_ptLastMousePos, LOWORD(wParam), wParam,
                               reinterpret_cast<LPARAM>(pressed));
    return !SendEvent(pressed, event) || !alive;
}

bool CPaintManagerUI::OnMouseHover(LPARAM lParam, const CUILifeWatch& alive) {
    m_bMouseTracking = false;
    const POINT point = PointOf(lParam);
    CControlUI* control = FindControlAtPoint(point.x, point.y);
    if (!control) return false;
    if (m_pEventHover &&
        !SendEvent(m_pEventHover, MakeEvent(UIEVENT_MOUSEHOVER, m_pEventHover, point, static_cast<WORD>(MapKeyState()))))
        return true;
    const CUIString tip = control->GetToolTip();
    if (tip.IsEmpty()) return false;
    m_sToolTipText = tip;
    m_ToolTip = TOOLINFOW();
    m_ToolTip.cbSize = sizeof m_ToolTip;
    m_ToolTip.uFlags = TTF_IDISHWND;
    m_ToolTip.hwnd = m_hWndPaint;
    m_ToolTip.uId = reinterpret_cast<UINT_PTR>(m_hWndPaint);
    m_ToolTip.hinst = GetModuleInstance();
    m_ToolTip.lpszText = const_cast<wchar_t*>(m_sToolTipText.Data());
    m_ToolTip.rect = control->GetPos();
    if (!m_hwndTooltip) {
        m_hwndTooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWndPaint,
                                        nullptr, GetModuleInstance(), nullptr);
        if (!m_hwndTooltip) return false;
        SendMessageW(m_hwndTooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
        SendMessageW(m_hwndTooltip, TTM_SETMAXTIPWIDTH, 0, control->GetToolTipWidth());
    }
    if (!IsWindowVisible(m_hwndTooltip)) {
        SendMessageW(m_hwndTooltip, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&m_ToolTip));
        SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&m_ToolTip));
    }
    return !alive;
}

bool CPaintManagerUI::OnMouseLeave(const CUILifeWatch& alive) {
    if (m_hwndTooltip) SendMessageW(m_hwndTooltip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&m_ToolTip));
    // Taken even when the hover message has cleared the tracking flag: the leave request outlives the
    // hover one, and a pointer that rested on a control and then left would keep the control hot.
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT window = {};
    GetWindowRect(m_hWndPaint, &window);
    // A leave into a native child or the tooltip is no leave: the mouse is still over the window. A
    // cursor position over the window itself is older than the leave (Wine's, right after the pointer
    // jumped to another window) and is no reason to stay.
    HWND under = WindowFromPoint(cursor);
    bool inside = under && under != m_hWndPaint && (under == m_hwndTooltip || IsChild(m_hWndPaint, under)) &&
                  !IsIconic(m_hWndPaint) && GetActiveWindow() == m_hWndPaint && PtInRect(&window, cursor) &&
                  SendMessageW(m_hWndPaint, WM_NCHITTEST, 0, MAKELPARAM(cursor.x, cursor.y)) == HTCLIENT;
    if (!alive) return true;
    if (inside) {
        ScreenToClient(m_hWndPaint, &cursor);
        SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, MAKELPARAM(cursor.x, cursor.y));
    } else {
        SendMessageW(m_hWndPaint, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    }
    if (!alive) return true;
    m_bMouseTracking = false;
    return false;
}

// The window side of destruction, while the tree and the window still exist.
void CPaintManagerUI::ReleaseWindowSide() {
    RevokeDropTarget();
    if (m_hwndTooltip && IsWindow(m_hwndTooltip)) DestroyWindow(m_hwndTooltip);
    m_hwndTooltip = nullptr;
    FreeOffscreen();
    if (m_hDragBitmap) DeleteObject(m_hDragBitmap);
    m_hDragBitmap = nullptr;
}

void CPaintManagerUI::CaptureMouse() {
    SetCapture(m_hWndPaint);
    m_bMouseCapture = true;
}

void CPaintManagerUI::ReleaseMouseCapture() {
    ReleaseCapture();
    m_bMouseCapture = false;
    m_bDragMode = false;
}

// ---------------------------------------------------------------------------------------------------
// Message loop

// Asked on every mouse message: the whole keyboard at once, one question to the system (under Wine a
// round trip to its server) instead of one per key.
UINT CPaintManagerUI::MapKeyState() {
    BYTE keys[256] = {};
    if (!GetKeyboardState(keys)) return 0;
    UINT state = 0;
    if (keys[VK_CONTROL] & 0x80) state |= MK_CONTROL;
    if (keys[VK_LBUTTON] & 0x80) state |= MK_LBUTTON;
    if (keys[VK_RBUTTON] & 0x80) state |= MK_RBUTTON;
    if (keys[VK_SHIFT] & 0x80) state |= MK_SHIFT;
    if (keys[VK_MENU] & 0x80) state |= MK_ALT;
    return state;
}

void CPaintManagerUI::RunMessageLoop() {
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

bool CPaintManagerUI::PreTranslateMessage(const MSG* msg) {
    if (!msg) return false;
    MSG copy = *msg;
    const CUIPtrArray managers(GetManagers());
    const LONG style = GetWindowLongW(msg->hwnd, GWL_STYLE);
    try {
        if (!(style & WS_CHILD)) {
            for (int i = 0; i < managers.Count(); ++i) {
                auto* manager = static_cast<CPaintManagerUI*>(managers[i]);
                if (!IsManagerAlive(manager) || manager->GetWindowHandle() != msg->hwnd) continue;
                if (manager->TranslateKeys(&copy)) return true;
                if (!IsManagerAlive(manager)) return false;
                LRESULT result = 0;
                return manager->HandleLoopMessage(msg->message, msg->wParam, msg->lParam, result);
            }
            return false;
        }
        // A native child's message also reaches the managers of the windows that host it.
        for (int i = 0; i < managers.Count(); ++i) {
            auto* manager = static_cast<CPaintManagerUI*>(managers[i]);
            if (!IsManagerAlive(manager)) continue;
            HWND window = manager->GetWindowHandle();
            bool hosts = msg->hwnd == window;
            for (HWND parent = GetParent(msg->hwnd); parent && !hosts; parent = GetParent(parent))
                hosts = parent == window;
            if (!hosts) continue;
            if (manager->TranslateKeys(&copy)) return true;
            if (!IsManagerAlive(manager)) continue;
            LRESULT result = 0;
            manager->HandleLoopMessage(msg->message, msg->wParam, msg->lParam, result);
        }
    } catch (const std::exception& e) {
        LogPrintW(L"CPaintManagerUI::PreTranslateMessage: %hs\n", e.what());
    } catch (...) {
        LogPrintW(L"CPaintManagerUI::PreTranslateMessage: exception\n");
    }
    return false;
}

bool CPaintManagerUI::TranslateKeys(MSG* msg) {
    const CUIPtrArray translators(m_aTranslators);
    const CUILifeWatch alive = m_life.Watch();
    for (int i = 0; i < translators.Count(); ++i) {
        auto* translator = static_cast<ITranslateAccelerator*>(translators[i]);
        if (m_aTranslators.IndexOf(translator) < 0) continue;
        if (translator->TranslateAccelerator(msg) == 0) return true;
        if (!alive) return true;  // the window went: nothing is left to dispatch to
    }
    return false;
}

bool CPaintManagerUI::HandleLoopMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const CUILifeWatch alive = m_life.Watch();
    const CUIPtrArray filters(m_aLoopFilters);
    for (int i = 0; i < filters.Count(); ++i) {
        auto* filter = static_cast<IMessageFilterUI*>(filters[i]);
        if (m_aLoopFilters.IndexOf(filter) < 0) continue;
        bool handled = false;
        result = filter->MessageHandler(message, wParam, lParam, handled);
        if (!alive || handled) return true;
    }
    switch (message) {
    case WM_KEYDOWN: {
        if (wParam != VK_TAB) return false;
        CControlUI* focus = m_pFocus;
        if (focus && focus->IsVisible() && focus->IsEnabled() &&
            (focus->IsWantTab() || ClassContains(focus, L"WkeWebkitUI")))
            return false;  // the control takes the Tab key itself (a rich edit's class text is "RichEdit")
        MoveTabFocus(GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    case WM_SYSKEYDOWN:
        if (m_pFocus) {
            TUIEvent event = MakeEvent(UIEVENT_SYSKEY, nullptr, m_ptLastMousePos, static_cast<WORD>(MapKeyState()));
            event.chKey = static_cast<WORD>(wParam);
            SendEvent(m_pFocus, event);
        }
        return false;
    case WM_SYSCHAR: {
        if (!m_pRoot) return false;
        TFindShortcut shortcut = {static_cast<wchar_t>(towupper(static_cast<wint_t>(wParam))), false};
        CControlUI* control = m_pRoot->FindControl(&FindControlFromShortcut, &shortcut,
                                                   UIFIND_ENABLED | UIFIND_ME_FIRST | UIFIND_TOP_FIRST);
        if (!control) return false;
        control->SetFocus();
        if (alive) control->Activate();
        return true;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------------
// DPI

void CPaintManagerUI::ApplyDpi(int dpi) {
    CUIDpi* scaler = GetDpiScaler();
    const int oldPercent = scaler->GetScale();
    scaler->SetScale(dpi);
    const int newPercent = scaler->GetScale();
    ResetDpiAssets();
    if (m_pRoot) m_pRoot->FindControl(&CPaintManagerUI::NotifyDpiChanged, nullptr, UIFIND_ALL);
    if (m_hWndPaint && !IsZoomed(m_hWndPaint) && oldPercent > 0) {
        RECT window = {};
        GetWindowRect(m_hWndPaint, &window);
        const int width = MulDiv(window.right - window.left, newPercent, oldPercent);
        const int height = MulDiv(window.bottom - window.top, newPercent, oldPercent);
        SetWindowPos(m_hWndPaint, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    if (m_pRoot) m_pRoot->NeedUpdate();
    m_bUpdateNeeded = true;
}

void CPaintManagerUI::SetAllDpi(int dpi) {
    const CUIPtrArray managers(GetManagers());
    for (int i = 0; i < managers.Count(); ++i) {
        auto* manager = static_cast<CPaintManagerUI*>(managers[i]);
        if (IsManagerAlive(manager)) manager->ApplyDpi(dpi);
    }
}

CControlUI* CPaintManagerUI::NotifyDpiChanged(CControlUI* control, void*) {
    control->OnDpiChanged();
    return nullptr;
}

}  // namespace SkinUI
