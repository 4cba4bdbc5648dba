#include "UIHorizontalLayout.h"

#include "UIAttributes.h"

namespace SkinUI {

CControlUI* CHorizontalLayoutUI::CreateControl() { return new CHorizontalLayoutUI; }

const wchar_t* CHorizontalLayoutUI::GetClass() const { return L"HorizontalLayoutUI"; }

void* CHorizontalLayoutUI::GetInterface(const wchar_t* name) {
    return EqualsIgnoreCase(name, L"HorizontalLayout") ? this : CContainerUI::GetInterface(name);
}

UINT CHorizontalLayoutUI::GetControlFlags() const {
    return IsEnabled() && m_separator.GetSize() > 0 ? static_cast<UINT>(UIFLAG_SETCURSOR) : 0u;
}

RECT CHorizontalLayoutUI::GetThumbRect(bool useNewPosition) const {
    return m_separator.GetThumbRect(m_rcItem, false, useNewPosition);
}

void CHorizontalLayoutUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    ArrangeLinear(*this, false);
}

void CHorizontalLayoutUI::DoEvent(TUIEvent& event) {
    if (!m_separator.DoEvent(*this, false, m_rcItem, m_cxyFixed.cx, event)) CContainerUI::DoEvent(event);
}

void CHorizontalLayoutUI::DoPostPaint(HDC hdc, const RECT& /*paintRect*/) { m_separator.DoPostPaint(hdc, m_rcItem, false); }

void CHorizontalLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"sepwidth")) {
        SetSepWidth(ParseInt(value));
    } else if (EqualsIgnoreCase(name, L"sepimm")) {
        SetSepImmMode(IsTrue(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
