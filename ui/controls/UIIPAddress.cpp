#include "UIIPAddress.h"

#include "UIHotKey.h"
#include "UIManager.h"

#include <iphlpapi.h>

#include <cwchar>
#include <vector>

namespace SkinUI {

namespace {

constexpr UINT kReflectedCommand = 0x2000 + WM_COMMAND;
constexpr UINT_PTR kFieldSubclassId = 0x1950;

}  // namespace

DWORD LocalIPv4Address() {
    // The interface table is read locally: no name resolution, so a layout never waits on the network.
    ULONG size = 0;
    if (GetIpAddrTable(nullptr, &size, TRUE) != ERROR_INSUFFICIENT_BUFFER || size == 0) return 0;
    std::vector<BYTE> buffer(size);
    auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
    if (GetIpAddrTable(table, &size, TRUE) != NO_ERROR) return 0;
    DWORD loopback = 0;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(&table->table[i].dwAddr);  // network order
        const DWORD address = static_cast<DWORD>(bytes[0]) << 24 | static_cast<DWORD>(bytes[1]) << 16 |
                              static_cast<DWORD>(bytes[2]) << 8 | bytes[3];
        if (address == 0) continue;
        if (bytes[0] == 127) {
            if (!loopback) loopback = address;
            continue;
        }
        return address;
    }
    return loopback;
}

// ---------------------------------------------------------------------------------------------------
// Control

CIPAddressUI::CIPAddressUI() {
    m_dwIP = LocalIPv4Address();
    ShowValue();
}

CIPAddressUI::~CIPAddressUI() {
    // The address window (often kept hidden) must not write into this control once it is gone.
    if (!m_pWindow) return;
    CIPAddressWnd* window = m_pWindow;
    m_pWindow = nullptr;
    window->DetachOwner();
    if (window->GetHandle() && IsWindow(window->GetHandle())) DestroyWindow(window->GetHandle());
}

CControlUI* CIPAddressUI::CreateControl() { return new CIPAddressUI; }

// The same class text as the date label: layouts and default attribute lists may rely on it.
const wchar_t* CIPAddressUI::GetClass() const { return L"DateTimeUI"; }

void* CIPAddressUI::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"IPAddress") == 0) return static_cast<CIPAddressUI*>(this);
    return CLabelUI::GetInterface(name);
}

void CIPAddressUI::SetAttribute(const wchar_t* name, const wchar_t* value) { CLabelUI::SetAttribute(name, value); }

CWindowWnd* CIPAddressUI::NativeWindow() const { return m_pWindow; }

void CIPAddressUI::SetIP(DWORD address) {
    m_dwIP = address;
    ShowValue();
}

void CIPAddressUI::SetReadOnly(bool readOnly) {
    m_bReadOnly = readOnly;
    Invalidate();
}

void CIPAddressUI::ShowValue() {
    m_nIPUpdateFlag = UIPICKER_TEXT_VALUE;
    UpdateText();
    m_nIPUpdateFlag = UIPICKER_TEXT_KEEP;
}

void CIPAddressUI::UpdateText() {
    if (m_nIPUpdateFlag == UIPICKER_TEXT_EMPTY) {
        SetText(L"");
    } else if (m_nIPUpdateFlag == UIPICKER_TEXT_VALUE) {
        CUIString text;
        text.Format(L"%d.%d.%d.%d", static_cast<int>(m_dwIP >> 24 & 0xFF), static_cast<int>(m_dwIP >> 16 & 0xFF),
                    static_cast<int>(m_dwIP >> 8 & 0xFF), static_cast<int>(m_dwIP & 0xFF));
        SetText(text.Data());
    }
}

void CIPAddressUI::OpenNativeWindow() {
    if (!m_pWindow) m_pWindow = new CIPAddressWnd(this);
    CIPAddressWnd* window = m_pWindow;
    window->Init(this);
    if (!window->GetHandle() && m_pWindow == window) {
        m_pWindow = nullptr;
        delete window;  // never created: nothing else will free it
    }
}

// ---------------------------------------------------------------------------------------------------
// Native address window

CIPAddressWnd::~CIPAddressWnd() {
    if (m_hBkBrush) DeleteObject(m_hBkBrush);
}

void CIPAddressWnd::Init(CIPAddressUI* owner) {
    m_pOwner = owner;
    m_pOwner->m_nIPUpdateFlag = UIPICKER_TEXT_KEEP;
    CPaintManagerUI* manager = owner->GetManager();
    if (!m_hWnd) {
        if (!manager || !InitPickerClasses()) return;
        if (!CreateNativeWindow(manager->GetWindowHandle(), nullptr, WS_CHILD | WS_TABSTOP | WS_GROUP, 0,
                                owner->GetPos()))
            return;
        SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(manager->GetFontHandle(owner->GetFont())), TRUE);
        SubclassFields();
    }
    if (owner->GetText().IsEmpty()) owner->m_dwIP = LocalIPv4Address();
    SendMessageW(m_hWnd, IPM_SETADDRESS, 0, static_cast<LPARAM>(owner->m_dwIP));
    ShowWindow(m_hWnd, SW_SHOW);
    ::SetFocus(m_hWnd);
    m_bInit = true;
}

void CIPAddressWnd::SubclassFields() {
    for (HWND field = GetWindow(m_hWnd, GW_CHILD); field; field = GetWindow(field, GW_HWNDNEXT))
        SetWindowSubclass(field, &FieldProc, kFieldSubclassId, reinterpret_cast<DWORD_PTR>(m_hWnd));
}

LRESULT CALLBACK CIPAddressWnd::FieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &FieldProc, kFieldSubclassId);
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    if (message == WM_KEYUP && (wParam == VK_DELETE || wParam == VK_BACK || wParam == VK_ESCAPE))
        SendMessageW(reinterpret_cast<HWND>(data), WM_KEYUP, wParam, lParam);
    return result;
}

void CIPAddressWnd::OnFieldKeyUp(WPARAM key) {
    if (!m_pOwner) return;
    m_pOwner->m_nIPUpdateFlag = key == VK_ESCAPE ? UIPICKER_TEXT_CANCELLED : UIPICKER_TEXT_EMPTY;
    m_pOwner->UpdateText();
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

void CIPAddressWnd::OnEditKillFocus(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND focus = ::GetFocus();
    if (focus == m_hWnd || IsChild(m_hWnd, focus)) return;  // moving between the four fields
    CWindowWnd::HandleWndMessage(message, wParam, lParam);
    if (m_pOwner && m_pOwner->m_nIPUpdateFlag == UIPICKER_TEXT_KEEP) {
        DWORD address = 0;
        SendMessageW(m_hWnd, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
        m_pOwner->m_dwIP = address;
        m_pOwner->m_nIPUpdateFlag = UIPICKER_TEXT_VALUE;
        m_pOwner->UpdateText();
    }
    ShowWindow(m_hWnd, SW_HIDE);  // kept for the next click
}

LRESULT CIPAddressWnd::HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KILLFOCUS:
        return 0;
    case WM_KEYUP:
        if (wParam == VK_DELETE || wParam == VK_BACK || wParam == VK_ESCAPE) {
            CWindowWnd::HandleWndMessage(message, wParam, lParam);
            OnFieldKeyUp(wParam);
            return 0;
        }
        break;
    case kReflectedCommand:
        if (HIWORD(wParam) == EN_KILLFOCUS) OnEditKillFocus(message, wParam, lParam);
        return 0;
    default:
        break;
    }
    return CWindowWnd::HandleWndMessage(message, wParam, lParam);
}

void CIPAddressWnd::OnWindowDestroyed(HWND) {
    if (m_pOwner) m_pOwner->m_pWindow = nullptr;
    delete this;
}

}  // namespace SkinUI
