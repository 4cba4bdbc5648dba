#include "UIDateTime.h"

#include "UIHotKey.h"
#include "UIManager.h"

#include <cwchar>

namespace SkinUI {

namespace {

constexpr UINT kReflectedNotify = 0x2000 + WM_NOTIFY;  // WM_NOTIFY the window hands back to its child

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Control

CDateTimeUI::CDateTimeUI() {
    GetLocalTime(&m_sysTime);
    ShowValue();
}

CDateTimeUI::~CDateTimeUI() {
    // The picker must not write into this control once it is gone.
    if (!m_pWindow) return;
    CDateTimeWnd* window = m_pWindow;
    m_pWindow = nullptr;
    window->DetachOwner();
    if (window->GetHandle() && IsWindow(window->GetHandle())) DestroyWindow(window->GetHandle());
}

CControlUI* CDateTimeUI::CreateControl() { return new CDateTimeUI; }

const wchar_t* CDateTimeUI::GetClass() const { return L"DateTimeUI"; }

void* CDateTimeUI::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"DateTime") == 0) return static_cast<CDateTimeUI*>(this);
    return CLabelUI::GetInterface(name);
}

CWindowWnd* CDateTimeUI::NativeWindow() const { return m_pWindow; }

void CDateTimeUI::SetTime(const SYSTEMTIME& time) {
    m_sysTime = time;
    Invalidate();
    ShowValue();
}

void CDateTimeUI::SetReadOnly(bool readOnly) {
    m_bReadOnly = readOnly;
    Invalidate();
}

void CDateTimeUI::ShowValue() {
    m_nDTUpdateFlag = UIPICKER_TEXT_VALUE;
    UpdateText();
    m_nDTUpdateFlag = UIPICKER_TEXT_KEEP;
}

void CDateTimeUI::UpdateText() {
    if (m_nDTUpdateFlag == UIPICKER_TEXT_EMPTY) {
        SetText(L"");
    } else if (m_nDTUpdateFlag == UIPICKER_TEXT_VALUE) {
        CUIString text;
        text.Format(L"%4d-%02d-%02d", m_sysTime.wYear, m_sysTime.wMonth, m_sysTime.wDay);
        SetText(text.Data());
    }
}

void CDateTimeUI::OpenNativeWindow() {
    if (!m_pWindow) m_pWindow = new CDateTimeWnd(this);
    CDateTimeWnd* window = m_pWindow;
    window->Init(this);
    if (!window->GetHandle() && m_pWindow == window) {
        m_pWindow = nullptr;
        delete window;  // never created: nothing else will free it
    }
}

// ---------------------------------------------------------------------------------------------------
// Native picker

CDateTimeWnd::~CDateTimeWnd() {
    if (m_hBkBrush) DeleteObject(m_hBkBrush);
}

void CDateTimeWnd::Init(CDateTimeUI* owner) {
    m_pOwner = owner;
    m_pOwner->m_nDTUpdateFlag = UIPICKER_TEXT_KEEP;
    CPaintManagerUI* manager = owner->GetManager();
    if (!m_hWnd) {
        if (!manager) return;
        InitPickerClasses();
        RECT rect = owner->GetPos();
        if (!owner->ClipToAncestors(rect)) rect = RECT{};
        if (!CreateNativeWindow(manager->GetWindowHandle(), nullptr, WS_CHILD, 0, rect)) return;
        SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFontHandle(owner->GetFont())), TRUE);
    }
    if (owner->GetText().IsEmpty()) GetLocalTime(&owner->m_sysTime);
    m_oldSysTime = owner->m_sysTime;
    SendMessageW(m_hWnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&owner->m_sysTime));
    ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
}

void CDateTimeWnd::ReadBack() {
    if (!m_pOwner) return;
    SendMessageW(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&m_pOwner->m_sysTime));
    m_pOwner->ShowValue();
}

bool CDateTimeWnd::IsOwnCalendar(HWND focus) const {
    if (!focus) return false;
    HWND calendar = reinterpret_cast<HWND>(SendMessageW(m_hWnd, DTM_GETMONTHCAL, 0, 0));
    return calendar && (focus == calendar || IsChild(calendar, focus));
}

LRESULT CDateTimeWnd::HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        if (m_pOwner) {
            m_pOwner->m_sysTime = m_oldSysTime;
            m_pOwner->ShowValue();
        }
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    if (message == kReflectedNotify && lParam) {
        switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
        case DTN_DATETIMECHANGE:
            ReadBack();
            break;
        case DTN_DROPDOWN:
            m_bDropOpen = true;
            break;
        case DTN_CLOSEUP:
            ReadBack();
            PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
            m_bDropOpen = false;
            break;
        default:
            break;
        }
    } else if (message == WM_KILLFOCUS) {
        // Opening the calendar may move the focus to it before the picker says it dropped down.
        if (!m_bDropOpen && !IsOwnCalendar(reinterpret_cast<HWND>(wParam))) PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    }
    return CWindowWnd::HandleWndMessage(message, wParam, lParam);
}

void CDateTimeWnd::OnWindowDestroyed(HWND) {
    if (m_pOwner) m_pOwner->m_pWindow = nullptr;
    delete this;
}

}  // namespace SkinUI
