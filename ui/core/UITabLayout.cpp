#include "UITabLayout.h"

#include "UIAttributes.h"
#include "UIManager.h"

namespace SkinUI {

CControlUI* CTabLayoutUI::CreateControl() { return new CTabLayoutUI; }

const wchar_t* CTabLayoutUI::GetClass() const { return L"TabLayoutUI"; }

void* CTabLayoutUI::GetInterface(const wchar_t* name) {
    return EqualsIgnoreCase(name, L"TabLayout") ? this : CContainerUI::GetInterface(name);
}

void CTabLayoutUI::TakeNewPage(CControlUI* control, int index) {
    if (m_iCurSel == -1 && control->IsVisible()) {
        m_iCurSel = index;
        return;
    }
    // A page inserted before the selection moves it on; the new page stays hidden either way, so that
    // only the selected page is ever visible.
    if (m_iCurSel != -1 && index <= m_iCurSel) ++m_iCurSel;
    control->SetVisible(false);
}

bool CTabLayoutUI::Add(CControlUI* control) {
    if (!CContainerUI::Add(control)) return false;
    TakeNewPage(control, GetCount() - 1);
    return true;
}

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
    if (!CContainerUI::AddAt(control, index)) return false;
    TakeNewPage(control, index);
    return true;
}

bool CTabLayoutUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (!control || !CContainerUI::Remove(control)) return false;
    if (index == m_iCurSel) {
        if (GetCount() > 0) {
            m_iCurSel = 0;
            GetItemAt(0)->SetVisible(true);
        } else {
            m_iCurSel = -1;
        }
        NeedParentUpdate();
    } else if (index < m_iCurSel) {
        --m_iCurSel;
    }
    return true;
}

void CTabLayoutUI::RemoveAll() {
    m_iCurSel = -1;
    CContainerUI::RemoveAll();
    NeedParentUpdate();
}

bool CTabLayoutUI::SelectItem(CControlUI* control) {
    const int index = GetItemIndex(control);
    return index >= 0 && SelectItem(index);
}

bool CTabLayoutUI::SelectItem(int index) {
    if (index < 0 || index >= GetCount()) return false;
    if (index == m_iCurSel) return true;
    const int old = m_iCurSel;
    m_iCurSel = index;
    for (int i = 0; i < GetCount(); ++i) {
        if (i != index) GetItemAt(i)->SetVisible(false);
    }
    CControlUI* page = GetItemAt(index);
    page->SetVisible(true);
    page->SetFocus();
    ShowSelectedPage(page, old);
    if (m_pManager) {
        m_pManager->MoveTabFocus(true);
        m_pManager->RaiseNotify(this, L"tabselect", static_cast<WPARAM>(index), old);
    }
    return true;
}

void CTabLayoutUI::ShowSelectedPage(CControlUI* /*page*/, int /*oldIndex*/) {
    SetPos(m_rcItem, true);
    NeedParentUpdate();
}

void CTabLayoutUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    const RECT area = GetInsetRect();
    for (int i = 0; i < GetCount(); ++i) {
        CControlUI* child = GetItemAt(i);
        if (!child->IsVisible()) continue;
        if (child->IsFloat()) {
            SetFloatPos(i);
            continue;
        }
        if (i != m_iCurSel) continue;
        const RECT pad = child->GetPadding();
        const RECT rc = {area.left + pad.left, area.top + pad.top, area.right - pad.right, area.bottom - pad.bottom};
        const SIZE size = FitInto(*child, rc.right - rc.left, rc.bottom - rc.top);
        child->SetPos(RECT{rc.left, rc.top, rc.left + size.cx, rc.top + size.cy}, true);
    }
}

void CTabLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"selectedid")) SelectItem(ParseInt(value));
    CContainerUI::SetAttribute(name, value);
}

}  // namespace SkinUI
