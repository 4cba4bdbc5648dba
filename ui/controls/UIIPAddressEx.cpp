#include "UIIPAddressEx.h"

#include "UIManager.h"

#include <cwchar>

namespace SkinUI {

namespace {

constexpr int kMaxBuffer = 260;

// The digit a key types, or 0.
wchar_t DigitOf(WORD key) {
    if (key >= '0' && key <= '9') return static_cast<wchar_t>(key);
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return static_cast<wchar_t>(L'0' + (key - VK_NUMPAD0));
    return 0;
}

// The decimal value of the digits, stopping once it passes 255 (whatever follows cannot bring it back).
int SaturatingValue(const CUIString& digits) {
    int value = 0;
    for (int i = 0; i < digits.Length() && value <= 255; ++i) {
        if (digits[i] < L'0' || digits[i] > L'9') break;
        value = value * 10 + (digits[i] - L'0');
    }
    return value > 255 ? 255 : value;
}

}  // namespace

CIPAddressExUI::CIPAddressExUI() {
    SetReadOnly(true);  // the native edit never takes text: this control types itself
    UpdateText();
}

CControlUI* CIPAddressExUI::CreateControl() { return new CIPAddressExUI; }

const wchar_t* CIPAddressExUI::GetClass() const { return L"IPAddressExUI"; }

void* CIPAddressExUI::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"IPAddress") == 0) return static_cast<CIPAddressExUI*>(this);
    return CEditUI::GetInterface(name);
}

UINT CIPAddressExUI::GetControlFlags() const { return IsEnabled() ? UIFLAG_TABSTOP | UIFLAG_SETCURSOR : 0; }

void CIPAddressExUI::UpdateText() {
    CUIString text;
    text.Format(L"%d.%d.%d.%d", m_octets[0], m_octets[1], m_octets[2], m_octets[3]);
    SetText(text.Data());
}

void CIPAddressExUI::CommitBuffer() {
    if (m_nActiveSection < 1 || m_nActiveSection > 4) return;
    m_octets[m_nActiveSection - 1] = SaturatingValue(m_strNum);
    UpdateText();
}

void CIPAddressExUI::AppendDigit(WORD key) {
    const wchar_t digit = DigitOf(key);
    if (!digit || m_nActiveSection == 0) return;
    m_chNum = digit;
    if (m_strNum.Length() < kMaxBuffer) m_strNum += digit;
    CommitBuffer();
    if (m_strNum.Length() == 3 && m_nActiveSection < 4) {
        ++m_nActiveSection;
        m_strNum.Clear();
    }
}

void CIPAddressExUI::IncreaseActive() {
    if (m_nActiveSection == 0) return;
    int& octet = m_octets[m_nActiveSection - 1];
    if (octet < 255) ++octet;
    UpdateText();
}

void CIPAddressExUI::DecreaseActive() {
    if (m_nActiveSection == 0) return;
    int& octet = m_octets[m_nActiveSection - 1];
    if (octet > 0) --octet;
    UpdateText();
}

void CIPAddressExUI::MoveActive(int step) {
    if (!m_strNum.IsEmpty()) {
        CommitBuffer();
        m_strNum.Clear();
    }
    m_nActiveSection += step;
    Invalidate();
}

int CIPAddressExUI::FieldAt(POINT point) const {
    const int width = m_rcItem.Width();
    const int offset = point.x - m_rcItem.left;
    if (offset <= width / 4) return 1;
    if (offset <= width / 2) return 2;
    if (offset <= width * 3 / 4) return 3;
    return 4;
}

void CIPAddressExUI::DoEvent(TUIEvent& event) {
    const bool enabled = IsEnabled();
    switch (event.Type) {
    case UIEVENT_KILLFOCUS:
        if (enabled) {
            m_nActiveSection = 0;
            Invalidate();
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
    case UIEVENT_RBUTTONDOWN:
        if (!enabled) return;
        m_strNum.Clear();
        m_nActiveSection = FieldAt(event.ptMouse);
        UpdateText();
        break;
    case UIEVENT_SCROLLWHEEL:
        if (!enabled) return;
        if (event.wParam != 0)
            DecreaseActive();
        else
            IncreaseActive();
        break;
    case UIEVENT_KEYDOWN:
        if (!enabled) return;
        if (event.chKey == VK_DELETE || event.chKey == VK_BACK) {
            if (m_nActiveSection != 0) {
                m_octets[m_nActiveSection - 1] = 0;
                m_strNum.Clear();
                UpdateText();
            }
        }
        if (DigitOf(event.chKey) && m_nActiveSection != 0) AppendDigit(event.chKey);
        switch (event.chKey) {
        case VK_UP:
            IncreaseActive();
            break;
        case VK_DOWN:
            DecreaseActive();
            break;
        case VK_LEFT:
            if (m_nActiveSection >= 2) MoveActive(-1);
            break;
        case VK_RIGHT:
        case VK_OEM_PERIOD:
        case VK_DECIMAL:
            if (m_nActiveSection >= 1 && m_nActiveSection < 4) MoveActive(1);
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

void CIPAddressExUI::PaintText(HDC hdc) {
    TakeDefaultTextColors();
    if (m_sText.IsEmpty() || !m_pManager) return;
    const RECT text = TextRect();
    const int quarter = (text.right - text.left) / 4;
    const int eighth = (text.right - text.left) / 8;
    const UINT style = m_uTextStyle | DT_SINGLELINE | DT_NOPREFIX;
    const DWORD argb = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    const COLORREF color = RGB(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF);
    HGDIOBJ oldFont = SelectObject(hdc, m_pManager->GetFontHandle(m_iFont));
    ::SetBkMode(hdc, TRANSPARENT);
    ::SetTextColor(hdc, color);
    for (int k = 1; k <= 3; ++k) {
        RECT dot = {text.left + k * quarter, text.top, text.right, text.bottom};
        DrawTextW(hdc, L".", 1, &dot, style);
    }
    const bool empty = m_octets[0] == 0 && m_octets[1] == 0 && m_octets[2] == 0 && m_octets[3] == 0;
    if (!empty || m_nActiveSection != 0) {
        for (int k = 1; k <= 4; ++k) {
            wchar_t digits[8] = {};
            swprintf(digits, 8, L"%d", m_octets[k - 1]);
            RECT field = {text.left + (k - 1) * quarter + eighth, text.top, text.right, text.bottom};
            const bool active = k == m_nActiveSection && IsEnabled();
            if (active) {
                ::SetBkMode(hdc, OPAQUE);
                ::SetBkColor(hdc, kActiveFieldColor);
                ::SetTextColor(hdc, RGB(0xFF, 0xFF, 0xFF));
            }
            DrawTextW(hdc, digits, -1, &field, style);
            if (active) {
                ::SetBkMode(hdc, TRANSPARENT);
                ::SetTextColor(hdc, color);
            }
        }
    }
    SelectObject(hdc, oldFont);
}

}  // namespace SkinUI
