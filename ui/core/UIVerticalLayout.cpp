#include "UIVerticalLayout.h"

#include "UIAttributes.h"

namespace SkinUI {

CControlUI* CVerticalLayoutUI::CreateControl() { return new CVerticalLayoutUI; }

const wchar_t* CVerticalLayoutUI::GetClass() const { return L"VerticalLayoutUI"; }

void* CVerticalLayoutUI::GetInterface(const wchar_t* name) {
    return EqualsIgnoreCase(name, L"VerticalLayout") ? this : CContainerUI::GetInterface(name);
}

UINT CVerticalLayoutUI::GetControlFlags() const {
    return IsEnabled() && m_separator.GetSize() > 0 ? static_cast<UINT>(UIFLAG_SETCURSOR) : 0u;
}

RECT CVerticalLayoutUI::GetThumbRect(bool useNewPosition) const {
    return m_separator.GetThumbRect(m_rcItem, true, useNewPosition);
}

void CVerticalLayoutUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    ArrangeLinear(*this, true);
}

void CVerticalLayoutUI::DoEvent(TUIEvent& event) {
    if (!m_separator.DoEvent(*this, true, m_rcItem, m_cxyFixed.cy, event)) CContainerUI::DoEvent(event);
}

void CVerticalLayoutUI::DoPostPaint(HDC hdc, const RECT& /*paintRect*/) { m_separator.DoPostPaint(hdc, m_rcItem, true); }

void CVerticalLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"sepheight")) {
        SetSepHeight(ParseInt(value));
    } else if (EqualsIgnoreCase(name, L"sepimm")) {
        SetSepImmMode(IsTrue(value));
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
