#include "UIHotKey.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIStateImage.h"

#include <cwchar>

namespace SkinUI {

namespace {

constexpr UINT kReflectedCommand = 0x2000 + WM_COMMAND;  // WM_COMMAND the window hands back to its child
constexpr WORD kChangeCode = EN_CHANGE;                    // 0x300
constexpr WORD kUpdateCode = EN_UPDATE;                    // 0x400

// Keys whose scan code needs the extended bit to be named correctly.
bool IsExtendedKey(UINT key) { return (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE; }

}  // namespace

bool InitPickerClasses() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX init = {sizeof(INITCOMMONCONTROLSEX),
                                     ICC_DATE_CLASSES | ICC_INTERNET_CLASSES | ICC_HOTKEY_CLASS};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    return done;
}

CUIString KeyName(UINT virtualKey) {
    UINT scan = MapVirtualKeyExW(virtualKey, MAPVK_VK_TO_VSC, GetKeyboardLayout(0));
    if (IsExtendedKey(virtualKey)) scan |= 0x100;
    wchar_t name[260] = {};
    GetKeyNameTextW(static_cast<LONG>(scan << 16), name, 260);
    return CUIString(name);
}

CUIString HotKeyText(WORD virtualKey, WORD modifiers) {
    CUIString text;
    if (virtualKey == 0 && modifiers == 0) return text;
    static const struct {
        WORD bit;
        UINT key;
    } kModifiers[] = {{UIHOTKEY_CONTROL, VK_CONTROL}, {UIHOTKEY_SHIFT, VK_SHIFT}, {UIHOTKEY_ALT, VK_MENU}};
    for (const auto& modifier : kModifiers) {
        if (!(modifiers & modifier.bit)) continue;
        text += KeyName(modifier.key);
        text += L" + ";
    }
    text += KeyName(virtualKey);
    return text;
}

// ---------------------------------------------------------------------------------------------------
// Native window

CHotKeyWnd::~CHotKeyWnd() {
    if (m_hBkBrush) DeleteObject(m_hBkBrush);
}

bool CHotKeyWnd::Init() {
    InitPickerClasses();
    CPaintManagerUI* manager = m_pOwner->GetManager();
    if (!manager) return false;
    const RECT rect = m_pOwner->NativeRect();
    if (!CreateNativeWindow(manager->GetWindowHandle(), nullptr, WS_CHILD | ES_AUTOHSCROLL, 0, rect)) return false;
    HFONT font = manager->GetFontHandle(m_pOwner->GetFont());
    SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    SendMessageW(m_hWnd, HKM_SETHOTKEY, MAKEWORD(m_pOwner->m_wVirtualKeyCode, m_pOwner->m_wModifiers), 0);
    m_pOwner->CLabelUI::SetText(ReadHotKeyText().Data());
    EnableWindow(m_hWnd, m_pOwner->IsEnabled());
    ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::SetFocus(m_hWnd);
    m_bInit = true;
    return true;
}

CUIString CHotKeyWnd::ReadHotKeyText(WORD* virtualKey, WORD* modifiers) const {
    const LRESULT hotKey = SendMessageW(m_hWnd, HKM_GETHOTKEY, 0, 0);
    const WORD key = LOBYTE(LOWORD(hotKey));
    const WORD mods = HIBYTE(LOWORD(hotKey));
    if (virtualKey) *virtualKey = key;
    if (modifiers) *modifiers = mods;
    return HotKeyText(key, mods);
}

void CHotKeyWnd::OnChanged() {
    if (!m_bInit || !m_pOwner) return;
    WORD key = 0;
    WORD modifiers = 0;
    const CUIString text = ReadHotKeyText(&key, &modifiers);
    m_pOwner->m_wVirtualKeyCode = key;
    if (key != 0) {
        m_pOwner->m_wModifiers = modifiers;
        m_pOwner->CLabelUI::SetText(text.Data());
    } else {
        m_pOwner->m_wModifiers = 0;
        m_pOwner->CLabelUI::SetText(L"");
    }
    if (CPaintManagerUI* manager = m_pOwner->GetManager()) manager->RaiseNotify(m_pOwner, L"textchanged");
}

void CHotKeyWnd::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    RECT client = {};
    GetClientRect(m_hWnd, &client);
    if (m_pOwner) {
        const DWORD bk = m_pOwner->m_dwHotKeyBkColor;
        if (!m_hBkBrush) m_hBkBrush = CreateSolidBrush(RGB(bk >> 16 & 0xFF, bk >> 8 & 0xFF, bk & 0xFF));
        FillRect(dc, &client, m_hBkBrush);
        const DWORD color = m_pOwner->GetTextColor();
        ::SetTextColor(dc, RGB(color >> 16 & 0xFF, color >> 8 & 0xFF, color & 0xFF));
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
        const CUIString text = ReadHotKeyText();
        RECT textRect = client;
        DrawTextW(dc, text.Data(), -1, &textRect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        SIZE extent = {};
        GetTextExtentPoint32W(dc, text.Data(), text.Length(), &extent);
        SetCaretPos(extent.cx, 0);
        SelectObject(dc, oldFont);
    }
    EndPaint(m_hWnd, &ps);
}

LRESULT CHotKeyWnd::HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KILLFOCUS: {
        const LRESULT result = CWindowWnd::HandleWndMessage(message, wParam, lParam);
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return result;
    }
    case WM_COMMAND:
    case kReflectedCommand:
        // The hot-key window reports its changes to the skin window, which hands them back here.
        if (HIWORD(wParam) == kChangeCode) {
            OnChanged();
            return 0;
        }
        if (HIWORD(wParam) == kUpdateCode) {
            InvalidateRect(m_hWnd, nullptr, FALSE);
            return 0;
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN && m_pOwner) {
            if (CPaintManagerUI* manager = m_pOwner->GetManager()) manager->RaiseNotify(m_pOwner, L"return");
            return 0;
        }
        break;
    case WM_NCACTIVATE:
    case WM_NCCALCSIZE:
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    default:
        break;
    }
    return CWindowWnd::HandleWndMessage(message, wParam, lParam);
}

void CHotKeyWnd::OnWindowDestroyed(HWND) {
    if (m_pOwner) m_pOwner->m_pWindow = nullptr;
    delete this;
}

// ---------------------------------------------------------------------------------------------------
// Control

CHotKeyUI::CHotKeyUI() {
    m_rcTextPadding = CUIRect(4, 3, 4, 3);
    SetBkColor(0xFFFFFFFF);
}

CHotKeyUI::~CHotKeyUI() {
    // The native window must not write into this control once it is gone.
    if (!m_pWindow) return;
    CHotKeyWnd* window = m_pWindow;
    m_pWindow = nullptr;
    window->DetachOwner();
    if (window->GetHandle() && IsWindow(window->GetHandle())) DestroyWindow(window->GetHandle());
}

CControlUI* CHotKeyUI::CreateControl() { return new CHotKeyUI; }

const wchar_t* CHotKeyUI::GetClass() const { return L"HotKeyUI"; }

void* CHotKeyUI::GetInterface(const wchar_t* name) {
    if (EqualsIgnoreCase(name, L"HotKey")) return static_cast<CHotKeyUI*>(this);
    return CLabelUI::GetInterface(name);
}

UINT CHotKeyUI::GetControlFlags() const {
    return IsEnabled() ? UIFLAG_TABSTOP | UIFLAG_SETCURSOR : CLabelUI::GetControlFlags();
}

CWindowWnd* CHotKeyUI::NativeWindow() const { return m_pWindow; }

void CHotKeyUI::SetText(const wchar_t* text) {
    m_sText = text;
    if (m_pWindow && m_pWindow->GetHandle()) SetWindowTextW(m_pWindow->GetHandle(), m_sText.Data());
    Invalidate();
}

void CHotKeyUI::GetHotKey(WORD& virtualKey, WORD& modifiers) const {
    virtualKey = m_wVirtualKeyCode;
    modifiers = m_wModifiers;
}

void CHotKeyUI::SetHotKey(WORD virtualKey, WORD modifiers) {
    m_wVirtualKeyCode = virtualKey;
    m_wModifiers = modifiers;
    if (m_pWindow && m_pWindow->GetHandle())
        SendMessageW(m_pWindow->GetHandle(), HKM_SETHOTKEY, MAKEWORD(virtualKey, modifiers), 0);
    CLabelUI::SetText(HotKeyText(virtualKey, modifiers).Data());
}

void CHotKeyUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    if (!IsVisible() && m_pWindow && m_pManager) m_pManager->FocusControl(nullptr);
}

void CHotKeyUI::SetInternVisible(bool visible) {
    CLabelUI::SetInternVisible(visible);
    if (!IsVisible() && m_pWindow && m_pManager) m_pManager->FocusControl(nullptr);
}

void CHotKeyUI::SetEnabled(bool enable) {
    CLabelUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

RECT CHotKeyUI::NativeRect() const {
    RECT rect = TextRect();
    const int fontHeight = FontHeight(m_iFont);
    const int height = rect.bottom - rect.top;
    if (fontHeight > 0 && fontHeight < height) {
        rect.top += (height - fontHeight) / 2;
        rect.bottom = rect.top + fontHeight;
    }
    return rect;
}

void CHotKeyUI::OpenNativeWindow() {
    if (m_pWindow) return;
    m_pWindow = new CHotKeyWnd(this);
    CHotKeyWnd* window = m_pWindow;
    if (!window->Init() && m_pWindow == window) {
        m_pWindow = nullptr;
        if (!window->GetHandle()) delete window;  // never created: nothing else will free it
    }
}

void CHotKeyUI::DoEvent(TUIEvent& event) {
    CNativeEditLabelUI::DoEvent(event);
    if (event.Type == UIEVENT_SETFOCUS && IsEnabled()) Invalidate();  // the focused image
}

bool CHotKeyUI::OnHover(bool entering) {
    if (!IsEnabled()) return false;
    if (entering)
        m_uButtonState |= UISTATE_HOT;
    else
        m_uButtonState &= ~UISTATE_HOT;
    Invalidate();
    return true;
}

void CHotKeyUI::SetNormalImage(const wchar_t* image) {
    m_sNormalImage = image;
    Invalidate();
}

void CHotKeyUI::SetHotImage(const wchar_t* image) {
    m_sHotImage = image;
    Invalidate();
}

void CHotKeyUI::SetFocusedImage(const wchar_t* image) {
    m_sFocusedImage = image;
    Invalidate();
}

void CHotKeyUI::SetDisabledImage(const wchar_t* image) {
    m_sDisabledImage = image;
    Invalidate();
}

void CHotKeyUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"normalimage"))
        SetNormalImage(value);
    else if (EqualsIgnoreCase(name, L"hotimage"))
        SetHotImage(value);
    else if (EqualsIgnoreCase(name, L"focusedimage"))
        SetFocusedImage(value);
    else if (EqualsIgnoreCase(name, L"disabledimage"))
        SetDisabledImage(value);
    else if (EqualsIgnoreCase(name, L"nativebkcolor"))
        SetNativeBkColor(ParseColor(value));
    else
        CLabelUI::SetAttribute(name, value);
}

SIZE CHotKeyUI::EstimateSize(SIZE available) {
    if (GetFixedHeight() == 0) return {GetFixedWidth(), FontHeight(m_iFont) + 6};
    return CLabelUI::EstimateSize(available);
}

void CHotKeyUI::PaintStatusImage(HDC hdc) {
    m_uButtonState = WithFocusAndEnabled(m_uButtonState, *this);
    PaintFieldStateImage(*this, hdc, m_uButtonState, m_sNormalImage, m_sHotImage, m_sFocusedImage, m_sDisabledImage);
}

void CHotKeyUI::PaintText(HDC hdc) {
    if (m_sText.IsEmpty()) return;
    TakeDefaultTextColors();
    RECT rect = TextRect();
    const DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    CUIRender::DrawText(hdc, m_pManager, rect, m_sText.Data(), color, m_iFont, m_uTextStyle | DT_SINGLELINE);
}

}  // namespace SkinUI
