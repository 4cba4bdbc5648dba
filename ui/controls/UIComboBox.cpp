#include "UIComboBox.h"

#include "UIAttributes.h"
#include "UIManager.h"

#include <cwchar>

namespace SkinUI {

CComboBoxUI::~CComboBoxUI() = default;

CControlUI* CComboBoxUI::CreateControl() { return new CComboBoxUI; }

const wchar_t* CComboBoxUI::GetClass() const { return L"ComboBoxUI"; }

void CComboBoxUI::SetArrowImage(const wchar_t* image) {
    m_sArrowImage = image ? image : L"";
    Invalidate();
}

void CComboBoxUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"arrowimage")) {
        SetArrowImage(value);
    } else {
        CComboUI::SetAttribute(name, value);
    }
}

int CComboBoxUI::ArrowPictureIndex() const {
    const UINT state = GetButtonState();
    if (!IsEnabled()) return 4;
    if (state & UISTATE_PUSHED) return 2;
    if (state & UISTATE_HOT) return 1;
    if (IsFocused()) return 3;
    return 0;
}

CUIString CComboBoxUI::MakeArrowModify(const wchar_t* arrowImage, int index, const RECT& dest, int* width) {
    if (width) *width = 0;
    if (!arrowImage) return CUIString();
    const wchar_t* source = std::wcsstr(arrowImage, L"source");
    if (!source) return CUIString();
    // The quote opens after "source=" (7 characters) at the earliest.
    const size_t available = std::wcslen(source);
    const wchar_t* open = available > 7 ? std::wcschr(source + 7, L'\'') : nullptr;
    const wchar_t* close = open ? std::wcschr(open + 1, L'\'') : nullptr;
    if (!open || !close) return CUIString();
    LONG strip[4] = {};
    ParseIntList(CUIString(open + 1).Substring(0, static_cast<int>(close - open - 1)).Data(), strip, 4);
    const int pictureWidth = (strip[2] - strip[0]) / kArrowPictures;
    if (width) *width = pictureWidth;
    const int left = strip[0] + pictureWidth * index;
    CUIString part;
    part.Format(L"source='%d,%d,%d,%d' dest='%d,%d,%d,%d'", left, static_cast<int>(strip[1]), left + pictureWidth,
                static_cast<int>(strip[3]), static_cast<int>(dest.left), static_cast<int>(dest.top),
                static_cast<int>(dest.right), static_cast<int>(dest.bottom));
    CUIString modify(CUIString(arrowImage).Substring(0, static_cast<int>(source - arrowImage)));
    modify += part;
    modify += close + 1;
    return modify;
}

void CComboBoxUI::PaintStatusImage(HDC hdc) {
    if (m_sArrowImage.IsEmpty()) {
        CComboUI::PaintStatusImage(hdc);
        return;
    }
    const int border = GetBorderSize();
    RECT dest = {border, border, m_rcItem.right - m_rcItem.left - border, m_rcItem.bottom - m_rcItem.top - border};
    int width = 0;
    MakeArrowModify(m_sArrowImage.Data(), 0, dest, &width);
    m_nArrowWidth = width;
    dest.left = dest.right - width;
    const CUIString modify = MakeArrowModify(m_sArrowImage.Data(), ArrowPictureIndex(), dest, nullptr);
    if (!modify.IsEmpty()) DrawImage(hdc, m_sArrowImage.Data(), modify.Data());
}

void CComboBoxUI::PaintText(HDC hdc) {
    if (m_sArrowImage.IsEmpty()) {
        CComboUI::PaintText(hdc);
        return;
    }
    const RECT padding = GetTextPadding();
    RECT rect = {m_rcItem.left + padding.left, m_rcItem.top + padding.top,
                 m_rcItem.right - (m_nArrowWidth + padding.right), m_rcItem.bottom - padding.bottom};
    const int selected = GetCurSel();
    CControlUI* item = selected >= 0 ? GetItemAt(selected) : nullptr;
    if (!item) return;
    if (auto* listItem = static_cast<IListItemUI*>(item->GetInterface(L"ListItem"))) {
        listItem->DrawItemText(hdc, rect);
        return;
    }
    const RECT old = item->GetPos();
    item->SetPos(rect, false);
    item->DoPaint(hdc, rect, nullptr);
    item->SetPos(old, false);
}

}  // namespace SkinUI
