#include "UIOption.h"

#include "UIAttributes.h"
#include "UIManager.h"
#include "UIPtrArray.h"
#include "UIRender.h"
#include "UITextResource.h"

#include <typeinfo>

namespace SkinUI {

namespace {

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

}  // namespace

COptionUI::~COptionUI() {
    if (!m_sGroupName.IsEmpty() && m_pManager) m_pManager->RemoveFromOptionGroup(m_sGroupName.Data(), this);
}

CControlUI* COptionUI::CreateControl() { return new COptionUI; }

const wchar_t* COptionUI::GetClass() const { return L"OptionUI"; }

void* COptionUI::GetInterface(const wchar_t* name) { return Is(name, L"Option") ? this : CButtonUI::GetInterface(name); }

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    CButtonUI::SetManager(manager, parent, init);
    if (init && !m_sGroupName.IsEmpty() && m_pManager) m_pManager->AddToOptionGroup(m_sGroupName.Data(), this);
}

void COptionUI::SetGroup(const wchar_t* name) {
    if (!name) {
        if (m_sGroupName.IsEmpty()) return;
        if (m_pManager) m_pManager->RemoveFromOptionGroup(m_sGroupName.Data(), this);
        m_sGroupName.Clear();
        return;
    }
    if (m_sGroupName == name) return;
    if (!m_sGroupName.IsEmpty() && m_pManager) m_pManager->RemoveFromOptionGroup(m_sGroupName.Data(), this);
    m_sGroupName = name;
    if (!m_sGroupName.IsEmpty() && m_pManager) m_pManager->AddToOptionGroup(m_sGroupName.Data(), this);
}

bool COptionUI::StoreSelected(bool selected) {
    if (m_bSelected == selected) return false;
    m_bSelected = selected;
    if (selected) {
        m_uButtonState |= UISTATE_SELECTED;
    } else {
        m_uButtonState &= ~UISTATE_SELECTED;
    }
    return true;
}

void COptionUI::DeselectGroupMembers(bool quiet) {
    CUIPtrArray* group = m_pManager ? m_pManager->FindOptionGroup(m_sGroupName.Data()) : nullptr;
    if (!group) return;
    // A copy: a member's handler may change the group.
    const CUIPtrArray members(*group);
    for (int i = 0; i < members.Count(); ++i) {
        auto* member = static_cast<COptionUI*>(static_cast<CControlUI*>(members[i])->GetInterface(L"Option"));
        if (member && member != this) member->Selected(false, quiet);
    }
}

void COptionUI::Selected(bool selected, bool quiet) {
    if (!StoreSelected(selected)) return;
    const CUILifeWatch alive = m_life.Watch();
    if (m_pManager) {
        if (m_sGroupName.IsEmpty()) {
            if (!quiet) m_pManager->RaiseNotify(this, L"selectchanged");
        } else if (m_bSelected) {
            DeselectGroupMembers(false);
            if (alive && !quiet) m_pManager->RaiseNotify(this, L"selectchanged");
        }
    }
    if (alive) Invalidate();
}

bool COptionUI::Activate() {
    const CUILifeWatch alive = m_life.Watch();
    if (!CButtonUI::Activate()) return false;
    if (!alive) return true;  // a "click" handler deleted this option
    if (!m_sGroupName.IsEmpty()) {
        Selected(true, false);
    } else {
        Selected(!m_bSelected, false);
    }
    return true;
}

void COptionUI::SetEnabled(bool enable) {
    CButtonUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = m_bSelected ? UISTATE_SELECTED : 0u;
}

void COptionUI::SetSelectedImage(const wchar_t* image) {
    m_sSelectedImage = image;
    Invalidate();
}

void COptionUI::SetSelectedHotImage(const wchar_t* image) {
    m_sSelectedHotImage = image;
    Invalidate();
}

void COptionUI::SetSelectedPushedImage(const wchar_t* image) {
    m_sSelectedPushedImage = image;
    Invalidate();
}

void COptionUI::SetSelectedForeImage(const wchar_t* image) {
    m_sSelectedForeImage = image;
    Invalidate();
}

void COptionUI::SetSelectedStateImage(const wchar_t* image) {
    m_sSelectedImage.Clear();  // the next paint cuts the strip again
    m_sSelectedStateImage = image;
    Invalidate();
}

void COptionUI::SetSelectedText(const wchar_t* text) {
    m_sSelectedText = text;
    Invalidate();
}

CUIString COptionUI::GetSelectedText() const {
    return CTextResource::GetInstance()->GetText(m_sSelectedText.Data());
}

void COptionUI::SetSelectedStateCount(int count) {
    m_nSelectedStateCount = count;
    Invalidate();
}

void COptionUI::SetSelectedFont(int index) {
    m_iSelectedFont = index;
    Invalidate();
}

void COptionUI::SetSelectedHotTextColor(DWORD color) {
    m_dwSelectedHotTextColor = color;
    Invalidate();
}

void COptionUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"group")) SetGroup(value);
    else if (Is(name, L"selected")) Selected(IsTrue(value), true);
    else if (Is(name, L"selectedimage")) SetSelectedImage(value);
    else if (Is(name, L"selectedhotimage")) SetSelectedHotImage(value);
    else if (Is(name, L"selectedpushedimage")) SetSelectedPushedImage(value);
    else if (Is(name, L"selectedforeimage")) SetSelectedForeImage(value);
    else if (Is(name, L"selectedstateimage")) SetSelectedStateImage(value);
    else if (Is(name, L"selectedtext")) SetSelectedText(value);
    else if (Is(name, L"selectedstatecount")) SetSelectedStateCount(ParseInt(value));
    else if (Is(name, L"selectedbkcolor")) SetSelectedBkColor(ParseColor(value));
    else if (Is(name, L"selectedtextcolor")) SetSelectedTextColor(ParseColor(value));
    else if (Is(name, L"selectedhottextcolor")) SetSelectedHotTextColor(ParseColor(value));
    else if (Is(name, L"hottextcolor")) SetHotTextColor(ParseColor(value));
    else if (Is(name, L"selectedfont")) SetSelectedFont(ParseInt(value));
    else CButtonUI::SetAttribute(name, value);
}

// ---------------------------------------------------------------------------------------------------
// Painting.

void COptionUI::PaintBkColor(HDC hdc) {
    if (!m_bSelected) {
        CButtonUI::PaintBkColor(hdc);
        return;
    }
    if (m_dwSelectedBkColor != 0) CUIRender::DrawColor(hdc, m_rcPaint, GetAdjustColor(m_dwSelectedBkColor));
}

void COptionUI::CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const {
    if (typeid(*this) == typeid(COptionUI)) CollectSelectableBackground(m_bSelected, m_dwSelectedBkColor, within, cover);
}

void COptionUI::PaintStatusImage(HDC hdc) {
    if (!m_bSelected) {
        CButtonUI::PaintStatusImage(hdc);
        return;
    }
    if (!m_sSelectedStateImage.IsEmpty() && m_nSelectedStateCount >= 1 && m_sSelectedImage.IsEmpty()) {
        const TStripParts strip = CutStateStrip(m_pManager, m_sSelectedStateImage.Data(), m_nSelectedStateCount);
        if (strip.count >= 1) m_sSelectedImage = strip.parts[0];
        if (strip.count >= 2) m_sSelectedHotImage = m_sSelectedPushedImage = strip.parts[1];
        if (strip.count >= 3) m_sSelectedPushedImage = strip.parts[2];
    }
    const CUIString* chosen = nullptr;
    if (m_uButtonState & UISTATE_PUSHED) {
        chosen = !m_sSelectedPushedImage.IsEmpty() ? &m_sSelectedPushedImage
                 : (m_uButtonState & UISTATE_HOT) ? &m_sSelectedHotImage
                                                  : nullptr;
    } else if (m_uButtonState & UISTATE_HOT) {
        chosen = &m_sSelectedHotImage;
    }
    const CUIString* order[] = {chosen, &m_sSelectedImage};
    DrawFirstImage(hdc, order, 2);
}

void COptionUI::PaintForeImage(HDC hdc) {
    if (m_bSelected && !m_sSelectedForeImage.IsEmpty() && DrawImage(hdc, m_sSelectedForeImage.Data())) return;
    CButtonUI::PaintForeImage(hdc);
}

void COptionUI::PaintText(HDC hdc) {
    if (!m_bSelected) {
        CButtonUI::PaintText(hdc);
        return;
    }
    RefreshState();
    TakeDefaultTextColors();
    DWORD color = m_dwSelectedTextColor != 0 ? m_dwSelectedTextColor : m_dwTextColor;
    if ((m_uButtonState & UISTATE_HOT) && m_dwSelectedHotTextColor != 0) color = m_dwSelectedHotTextColor;
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    const CUIString selectedText = GetSelectedText();
    const CUIString& shown = selectedText.IsEmpty() ? text : selectedText;
    DrawButtonText(hdc, shown.Data(), IsEnabled() ? color : m_dwDisabledTextColor, GetSelectedFont());
}

// ---------------------------------------------------------------------------------------------------
// Check box.

CControlUI* CCheckBoxUI::CreateControl() { return new CCheckBoxUI; }

const wchar_t* CCheckBoxUI::GetClass() const { return L"CheckBoxUI"; }

void* CCheckBoxUI::GetInterface(const wchar_t* name) {
    return Is(name, L"CheckBox") ? this : COptionUI::GetInterface(name);
}

void CCheckBoxUI::Selected(bool selected, bool quiet) {
    if (!StoreSelected(selected)) return;
    const CUILifeWatch alive = m_life.Watch();
    if (m_pManager) {
        if (m_sGroupName.IsEmpty()) {
            if (!quiet) m_pManager->RaiseNotify(this, L"selectchanged", m_bSelected ? 1 : 0);
        } else if (m_bSelected) {
            DeselectGroupMembers(true);
            if (alive && !quiet) m_pManager->RaiseNotify(this, L"selectchanged", 1);
        }
    }
    if (alive) Invalidate();
}

void CCheckBoxUI::DoEvent(TUIEvent& event) {
    const bool mouse = event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND;
    if (!IsMouseEnabled() && mouse) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            COptionUI::DoEvent(event);
        }
        return;
    }
    if (m_bAutoCheck && (event.Type == UIEVENT_BUTTONDOWN || event.Type == UIEVENT_DBLCLICK)) {
        if (PtInRect(&m_rcItem, event.ptMouse) && IsEnabled()) {
            const CUILifeWatch alive = m_life.Watch();
            SetCheck(!GetCheck());
            if (alive && m_pManager) m_pManager->RaiseNotify(this, L"checkclick");
            if (alive) Invalidate();
        }
        return;
    }
    COptionUI::DoEvent(event);
}

void CCheckBoxUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"EnableAutoCheck")) SetAutoCheck(IsTrue(value));
    COptionUI::SetAttribute(name, value);
}

}  // namespace SkinUI
