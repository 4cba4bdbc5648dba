#include "UIEdit.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIStateImage.h"
#include "UITextResource.h"

#include <cwchar>
#include <typeinfo>
#include <vector>

namespace SkinUI {

namespace {

constexpr UINT kReflectedCommand = 0x2000 + WM_COMMAND;
constexpr UINT kReflectedColorEdit = 0x2000 + WM_CTLCOLOREDIT;
constexpr UINT kReflectedColorStatic = 0x2000 + WM_CTLCOLORSTATIC;

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

COLORREF ToColorRef(DWORD argb) { return RGB(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF); }

}  // namespace

CEditUI::CEditUI() {
    m_rcTextPadding = CUIRect(4, 3, 4, 3);
    m_dwBackColor = 0xFFFFFFFF;
}

// The native window must not outlive its owner, nor a pending close reach a freed one.
CEditUI::~CEditUI() {
    if (!m_pWindow) return;
    CEditWnd* window = m_pWindow;
    m_pWindow = nullptr;
    window->DetachOwner();
    HWND hwnd = window->GetHandle();
    if (m_pManager && hwnd) m_pManager->RemoveNativeChild(hwnd);
    if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);  // the window object deletes itself
}

CControlUI* CEditUI::CreateControl() { return new CEditUI; }

const wchar_t* CEditUI::GetClass() const { return L"EditUI"; }

void* CEditUI::GetInterface(const wchar_t* name) { return Is(name, L"Edit") ? this : CLabelUI::GetInterface(name); }

UINT CEditUI::GetControlFlags() const { return IsEnabled() ? (UIFLAG_TABSTOP | UIFLAG_SETCURSOR) : 0u; }

HWND CEditUI::GetNativeWindow() const { return m_pWindow ? m_pWindow->GetHandle() : nullptr; }

// Value boxes are set again after every change of their value, mostly to the text they already show:
// the same text repaints nothing (the native control still takes it, which puts its caret back).
void CEditUI::SetText(const wchar_t* text) {
    const bool changed = !(m_sText == text);
    m_sText = text;
    if (m_pWindow) m_pWindow->SetTextQuietly(m_sText.Data());
    if (changed) Invalidate();
}

void CEditUI::PlaceNativeWindow(bool move) {
    if (!m_pWindow || !m_pWindow->GetHandle()) return;
    RECT rect = CEditWnd::ComputeEditRect(*this);
    if (m_pManager && m_pManager->IsLayeredWindow()) {
        RECT window = {};
        GetWindowRect(m_pManager->GetWindowHandle(), &window);
        OffsetRect(&rect, window.left, window.top - 1);
    }
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (move ? SWP_NOSIZE : 0u);
    SetWindowPos(m_pWindow->GetHandle(), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 flags);
}

void CEditUI::SetPos(RECT rect, bool needInvalidate) {
    CLabelUI::SetPos(rect, needInvalidate);
    PlaceNativeWindow(false);
}

void CEditUI::Move(SIZE offset, bool needInvalidate) {
    CLabelUI::Move(offset, needInvalidate);
    PlaceNativeWindow(true);
}

void CEditUI::SetVisible(bool visible) {
    CLabelUI::SetVisible(visible);
    if (!IsVisible() && m_pWindow && m_pManager) m_pManager->FocusControl(nullptr);
}

// The base keeps the flag too: a field on a hidden page must be no tab stop and no hit.
void CEditUI::SetInternVisible(bool visible) {
    CLabelUI::SetInternVisible(visible);
    if (!visible && m_pWindow && m_pManager) m_pManager->FocusControl(nullptr);
}

void CEditUI::SetEnabled(bool enable) {
    CLabelUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CEditUI::SetReadOnly(bool readOnly) {
    if (m_bReadOnly == readOnly) return;
    m_bReadOnly = readOnly;
    if (HWND hwnd = GetNativeWindow()) SendMessageW(hwnd, EM_SETREADONLY, readOnly, 0);
    Invalidate();
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    m_uWindowStyles = numberOnly ? (m_uWindowStyles | ES_NUMBER) : (m_uWindowStyles & ~ES_NUMBER);
}

// ES_PASSWORD cannot be switched on a live control: its password character can.
void CEditUI::SetPasswordMode(bool password) {
    if (m_bPasswordMode == password) return;
    m_bPasswordMode = password;
    Invalidate();
    if (HWND hwnd = GetNativeWindow()) {
        SendMessageW(hwnd, EM_SETPASSWORDCHAR, password ? m_cPasswordChar : 0, 0);
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

void CEditUI::SetPasswordChar(wchar_t ch) {
    if (m_cPasswordChar == ch) return;
    m_cPasswordChar = ch;
    if (HWND hwnd = GetNativeWindow(); hwnd && m_bPasswordMode) SendMessageW(hwnd, EM_SETPASSWORDCHAR, ch, 0);
    Invalidate();
}

void CEditUI::SetMaxChar(UINT count) {
    m_uMaxChar = count;
    if (HWND hwnd = GetNativeWindow()) SendMessageW(hwnd, EM_LIMITTEXT, count, 0);
}

void CEditUI::SetNormalImage(const wchar_t* image) {
    m_sNormalImage = image;
    Invalidate();
}

void CEditUI::SetHotImage(const wchar_t* image) {
    m_sHotImage = image;
    Invalidate();
}

void CEditUI::SetFocusedImage(const wchar_t* image) {
    m_sFocusedImage = image;
    Invalidate();
}

void CEditUI::SetDisabledImage(const wchar_t* image) {
    m_sDisabledImage = image;
    Invalidate();
}

CUIString CEditUI::GetTipValue() const { return CTextResource::GetInstance()->GetText(m_sTipValue.Data()); }

void CEditUI::SetTipValueColor(const wchar_t* color) {
    m_dwTipValueColor = ParseColor(color);
    Invalidate();
}

void CEditUI::SetSel(long start, long end) {
    if (HWND hwnd = GetNativeWindow()) SendMessageW(hwnd, EM_SETSEL, start, end);
}

void CEditUI::SetReplaceSel(const wchar_t* text) {
    if (HWND hwnd = GetNativeWindow()) SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}

void CEditUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"readonly")) SetReadOnly(IsTrue(value));
    else if (Is(name, L"numberonly")) SetNumberOnly(IsTrue(value));
    // Name and value are matched exactly, as skins write them.
    else if (name && wcscmp(name, L"autoselall") == 0) SetAutoSelAll(value && wcscmp(value, L"true") == 0);
    else if (Is(name, L"password")) SetPasswordMode(IsTrue(value));
    else if (Is(name, L"passwordchar")) SetPasswordChar(value ? *value : 0);
    else if (Is(name, L"maxchar")) SetMaxChar(ParseInt(value));
    else if (Is(name, L"normalimage")) SetNormalImage(value);
    else if (Is(name, L"hotimage")) SetHotImage(value);
    else if (Is(name, L"focusedimage")) SetFocusedImage(value);
    else if (Is(name, L"disabledimage")) SetDisabledImage(value);
    else if (Is(name, L"tipvalue")) SetTipValue(value);
    else if (Is(name, L"tipvaluecolor")) SetTipValueColor(value);
    else if (Is(name, L"nativetextcolor")) m_dwEditTextColor = ParseColor(value);
    else if (Is(name, L"nativebkcolor")) SetNativeEditBkColor(ParseColor(value));
    else CLabelUI::SetAttribute(name, value);
}

SIZE CEditUI::EstimateSize(SIZE available) {
    if (m_cxyFixed.cy == 0) return SIZE{GetFixedWidth(), FontHeight(m_iFont) + 6};
    return CLabelUI::EstimateSize(available);
}

// ---------------------------------------------------------------------------------------------------
// Events.

void CEditUI::StartEditing() {
    m_pWindow = new CEditWnd(this);
    if (!m_pWindow->Init()) {
        // Nothing was created: the field simply is not edited.
        CEditWnd* failed = m_pWindow;
        m_pWindow = nullptr;
        if (!failed->GetHandle()) delete failed;
    }
    Invalidate();
}

void CEditUI::DoEvent(TUIEvent& event) {
    if (event.Type == UIEVENT_SCROLLWHEEL && IsEnabled() && (event.wParam == 0 || event.wParam == 1)) {
        if (m_pManager) m_pManager->RaiseNotify(this, event.wParam == 0 ? L"valuechangedup" : L"valuechangeddown");
        return;
    }
    const bool mouse = event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND;
    if (!IsMouseEnabled() && mouse) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            CLabelUI::DoEvent(event);
        }
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        if (IsEnabled()) {
            ::SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
            return;
        }
        break;
    case UIEVENT_WINDOWSIZE:
        // The native window follows the field's new place (SetPos); taking the focus away here would
        // close it and end the user's editing at every resize.
        break;
    case UIEVENT_SCROLLWHEEL:
        if (m_pWindow) return;
        break;
    case UIEVENT_SETFOCUS:
        if (IsEnabled()) {
            if (m_pWindow) return;
            StartEditing();
        }
        break;
    case UIEVENT_KILLFOCUS:
        if (IsEnabled()) Invalidate();
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
    case UIEVENT_RBUTTONDOWN:
        if (!IsEnabled()) return;
        if (m_pManager) m_pManager->ReleaseMouseCapture();
        if (IsFocused() && !m_pWindow) {
            StartEditing();
            if (m_pWindow && PtInRect(&m_rcItem, event.ptMouse)) {
                const int length = GetWindowTextLengthW(m_pWindow->GetHandle());
                SetSel(0, length > 0 ? length : 1);
            }
        } else if (m_pWindow && !m_bAutoSelAll) {
            // The caret lands where the user clicked.
            const RECT edit = CEditWnd::ComputeEditRect(*this);
            HWND hwnd = m_pWindow->GetHandle();
            SendMessageW(hwnd, EM_SETSEL, 0, 0);
            SendMessageW(hwnd, WM_LBUTTONDOWN, event.wKeyState,
                         MAKELPARAM(event.ptMouse.x - edit.left, event.ptMouse.y - edit.top));
        }
        return;
    case UIEVENT_MOUSEMOVE:
    case UIEVENT_BUTTONUP:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_MOUSEENTER:
        if (PtInRect(&m_rcItem, event.ptMouse) && IsEnabled() && !(m_uButtonState & UISTATE_HOT)) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// Painting.

void CEditUI::CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const {
    if (typeid(*this) == typeid(CEditUI)) CollectOpaqueBackground(within, cover);
}

void CEditUI::PaintStatusImage(HDC hdc) {
    m_uButtonState = WithFocusAndEnabled(m_uButtonState, *this);
    PaintFieldStateImage(*this, hdc, m_uButtonState, m_sNormalImage, m_sHotImage, m_sFocusedImage, m_sDisabledImage);
}

void CEditUI::PaintText(HDC hdc) {
    TakeDefaultTextColors();
    const CUIString text = GetText();
    const CUIString tip = GetTipValue();
    CUIString shown;
    DWORD color = m_dwTextColor;
    if (text.IsEmpty() || text == tip) {
        shown = tip;
        color = m_dwTipValueColor;
    } else if (m_bPasswordMode) {
        std::vector<wchar_t> masked(static_cast<size_t>(text.Length()), m_cPasswordChar);
        shown.Assign(masked.data(), static_cast<int>(masked.size()));
    } else {
        shown = text;
    }
    if (!IsEnabled()) color = m_dwDisabledTextColor;
    if (shown.IsEmpty()) return;
    RECT rect = TextRect();
    CUIRender::DrawText(hdc, m_pManager, rect, shown.Data(), color, m_iFont, m_uTextStyle | DT_SINGLELINE);
}

// ---------------------------------------------------------------------------------------------------
// The native window.

HBRUSH PatternBrushFrom(HBITMAP picture) {
    if (!picture) return nullptr;
    HBRUSH brush = CreatePatternBrush(picture);
    DeleteObject(picture);
    return brush;
}

CEditWnd::~CEditWnd() {
    if (m_hBkBrush) DeleteObject(m_hBkBrush);
}

RECT CEditWnd::ComputeEditRect(const CEditUI& owner) {
    RECT rect = owner.TextRect();
    const int fontHeight = owner.FontHeight(owner.GetFont());
    const int height = rect.bottom - rect.top;
    if (fontHeight > 0 && fontHeight < height) {
        rect.top += (height - fontHeight) / 2;
        rect.bottom = rect.top + fontHeight;
    }
    for (CControlUI* parent = owner.GetParent(); parent; parent = parent->GetParent()) {
        if (!parent->IsVisible()) return RECT{};
        const RECT client = parent->GetClientPos();
        if (!IntersectRect(&rect, &rect, &client)) return RECT{};
    }
    return rect;
}

bool CEditWnd::Init() {
    CPaintManagerUI* manager = m_pOwner->GetManager();
    if (!manager || !manager->GetWindowHandle()) return false;
    RECT rect = ComputeEditRect(*m_pOwner);
    const bool layered = manager->IsLayeredWindow();
    DWORD style = ES_AUTOHSCROLL;
    if (layered) {
        style |= WS_POPUP | WS_VISIBLE;
        RECT window = {};
        GetWindowRect(manager->GetWindowHandle(), &window);
        OffsetRect(&rect, window.left, window.top - 1);
    } else {
        style |= WS_CHILD;
    }
    const UINT textStyle = m_pOwner->GetTextStyle();
    if (textStyle & DT_CENTER) {
        style |= ES_CENTER;
    } else if (textStyle & DT_RIGHT) {
        style |= ES_RIGHT;
    }
    if (m_pOwner->IsPasswordMode()) style |= ES_PASSWORD;
    if (!CreateNativeWindow(manager->GetWindowHandle(), nullptr, style, 0, rect)) return false;
    if (layered) manager->AddNativeChild(m_pOwner, m_hWnd);

    HFONT font = m_pOwner->GetFont() >= 0 ? manager->GetFontHandle(m_pOwner->GetFont()) : nullptr;
    if (!font) font = manager->GetDefaultFontRecord()->handle;
    SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(m_hWnd, EM_LIMITTEXT, m_pOwner->GetMaxChar(), 0);
    if (m_pOwner->IsPasswordMode()) SendMessageW(m_hWnd, EM_SETPASSWORDCHAR, m_pOwner->GetPasswordChar(), 0);
    SetTextQuietly(m_pOwner->GetText().Data());
    SendMessageW(m_hWnd, EM_SETMODIFY, FALSE, 0);
    SendMessageW(m_hWnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    EnableWindow(m_hWnd, m_pOwner->IsEnabled());
    SendMessageW(m_hWnd, EM_SETREADONLY, m_pOwner->IsReadOnly(), 0);
    const LONG windowStyle = GetWindowLongW(m_hWnd, GWL_STYLE);
    SetWindowLongW(m_hWnd, GWL_STYLE, windowStyle | static_cast<LONG>(m_pOwner->GetWindowStyles()));
    ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    SetFocus(m_hWnd);
    const int length = GetWindowTextLengthW(m_hWnd);
    if (m_pOwner->IsAutoSelAll()) {
        SendMessageW(m_hWnd, EM_SETSEL, 0, length > 0 ? length : 1);
    } else {
        SendMessageW(m_hWnd, EM_SETSEL, length, length);
    }
    m_bInit = true;
    return true;
}

void CEditWnd::SetTextQuietly(const wchar_t* text) {
    if (!m_hWnd) return;
    m_bQuiet = true;
    SetWindowTextW(m_hWnd, text);
    m_bQuiet = false;
}

void CEditWnd::Raise(const wchar_t* notification) {
    CPaintManagerUI* manager = m_pOwner ? m_pOwner->GetManager() : nullptr;
    if (manager) manager->RaiseNotify(m_pOwner, notification);
}

bool CEditWnd::OnKeyDown(WPARAM key) {
    switch (key) {
    case VK_RETURN: Raise(L"return"); return true;
    case VK_UP: Raise(L"valuechangedup"); return true;
    case VK_DOWN: Raise(L"valuechangeddown"); return true;
    case VK_LEFT: Raise(L"valuechangedleft"); return true;
    case VK_RIGHT: Raise(L"valuechangedright"); return true;
    case VK_TAB:
        if (m_pOwner && m_pOwner->GetManager() && m_pOwner->GetManager()->IsLayeredWindow()) {
            m_pOwner->GetManager()->MoveTabFocus(GetKeyState(VK_SHIFT) >= 0);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void CEditWnd::OnEditChanged() {
    if (!m_bInit || !m_pOwner || m_bQuiet) return;
    const int length = GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, 0);
    GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    m_pOwner->m_sText = buffer.data();
    const CUILifeWatch alive = m_life.Watch();
    Raise(L"textchanged");
    if (alive && m_pOwner && m_pOwner->GetManager() && m_pOwner->GetManager()->IsLayeredWindow()) m_pOwner->Invalidate();
}

HBRUSH CEditWnd::ColorBrush(HDC hdc) {
    if (!m_pOwner) return nullptr;
    const DWORD back = m_pOwner->GetNativeEditBkColor();
    if (back == 0xFFFFFFFF) return nullptr;
    SetBkMode(hdc, TRANSPARENT);
    // "nativetextcolor" when the skin gives one, else the field's own text colour.
    DWORD text = m_pOwner->GetNativeEditTextColor() != 0 ? m_pOwner->GetNativeEditTextColor() : m_pOwner->GetTextColor();
    if (text == 0 && m_pOwner->GetManager()) text = m_pOwner->GetManager()->GetDefaultTextColor();
    ::SetTextColor(hdc, ToColorRef(text));
    if ((back >> 24) < 0xFF) {
        // The window's own drawing under the native control shows through it.
        if (m_hBkBrush) DeleteObject(m_hBkBrush);
        m_hBkBrush = nullptr;
        RECT rect = ComputeEditRect(*m_pOwner);
        m_hBkBrush = PatternBrushFrom(CUIRender::GenerateBitmap(m_pOwner->GetManager(), rect, m_pOwner));
        return m_hBkBrush;
    }
    if (!m_hBkBrush) m_hBkBrush = CreateSolidBrush(ToColorRef(back));
    return m_hBkBrush;
}

LRESULT CEditWnd::HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KILLFOCUS: {
        const LRESULT result = CWindowWnd::HandleWndMessage(message, wParam, lParam);
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return result;
    }
    case WM_CLOSE:
        // Posted when the focus left; a click on the field's margin gives it back before the close
        // arrives, and then the editing goes on.
        if (GetFocus() == m_hWnd) return 0;
        break;
    case kReflectedCommand:
        if (HIWORD(wParam) == EN_CHANGE) {
            OnEditChanged();
        } else if (HIWORD(wParam) == EN_UPDATE) {
            InvalidateRect(m_hWnd, nullptr, FALSE);
        }
        return 0;
    case WM_KEYDOWN:
        if (OnKeyDown(wParam)) return 0;
        break;
    case WM_CHAR:
        // The keys above are commands: their characters would only make the control beep.
        if (wParam == VK_RETURN || wParam == VK_TAB) return 0;
        break;
    case kReflectedColorEdit:
    case kReflectedColorStatic:
        return reinterpret_cast<LRESULT>(ColorBrush(reinterpret_cast<HDC>(wParam)));
    default:
        break;
    }
    return CWindowWnd::HandleWndMessage(message, wParam, lParam);
}

void CEditWnd::OnWindowDestroyed(HWND hwnd) {
    if (m_pOwner) {
        m_pOwner->Invalidate();
        CPaintManagerUI* manager = m_pOwner->GetManager();
        if (manager && manager->IsLayeredWindow()) manager->RemoveNativeChild(hwnd);
        m_pOwner->m_pWindow = nullptr;
    }
    delete this;
}

}  // namespace SkinUI
