#include "UIListEx.h"

#include "UIAttributes.h"
#include "UIComboBox.h"
#include "UIListHeader.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIRichEdit.h"

#include <algorithm>
#include <cwchar>

namespace SkinUI {

namespace {

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

bool IsMouseEvent(const TUIEvent& event) {
    return event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND;
}

constexpr UINT kCapturedAndPushed = UISTATE_CAPTURED | UISTATE_PUSHED;

enum class CheckBoxAction { None, Changed, Toggle };

// The mouse on a check box: press, drag over and release inside toggles it.
CheckBoxAction TrackCheckBox(const TUIEvent& event, const RECT& box, UINT& state) {
    const bool inside = PtInRect(&box, event.ptMouse) != FALSE;
    switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (!inside) return CheckBoxAction::None;
        state |= kCapturedAndPushed;
        return CheckBoxAction::Changed;
    case UIEVENT_MOUSEMOVE: {
        const UINT bit = (state & UISTATE_CAPTURED) ? UISTATE_PUSHED : UISTATE_HOT;
        state = inside ? (state | bit) : (state & ~bit);
        return CheckBoxAction::Changed;
    }
    case UIEVENT_BUTTONUP: {
        if (!(state & UISTATE_CAPTURED)) return CheckBoxAction::None;
        state &= ~kCapturedAndPushed;
        return inside ? CheckBoxAction::Toggle : CheckBoxAction::Changed;
    }
    case UIEVENT_MOUSEENTER:
        if (!inside) return CheckBoxAction::None;
        state |= UISTATE_HOT;
        return CheckBoxAction::Changed;
    case UIEVENT_MOUSELEAVE:
        state &= ~UISTATE_HOT;
        return CheckBoxAction::Changed;
    default:
        return CheckBoxAction::None;
    }
}

bool DrawInBox(CControlUI& control, HDC hdc, const CUIString& image, const RECT& box) {
    if (image.IsEmpty()) return false;
    const RECT& item = control.GetPos();
    CUIString modify;
    modify.Format(L"dest='%d,%d,%d,%d'", static_cast<int>(box.left - item.left), static_cast<int>(box.top - item.top),
                  static_cast<int>(box.right - item.left), static_cast<int>(box.bottom - item.top));
    return control.DrawImage(hdc, image.Data(), modify.Data());
}

// Paints a check box by state; true when a state or normal image drew, which ends the item's painting.
bool PaintCheckBox(CControlUI& control, HDC hdc, const TListCheckBoxLook& look, UINT& state, bool checked,
                   const RECT& box) {
    state &= ~UISTATE_PUSHED;
    if (!(checked && DrawInBox(control, hdc, look.selectedImage, box))) {
        state = control.IsFocused() ? (state | UISTATE_FOCUSED) : (state & ~UISTATE_FOCUSED);
        if (!control.IsEnabled()) state |= UISTATE_DISABLED;
        const CUIString* image = nullptr;
        if (state & UISTATE_DISABLED) {
            image = &look.disabledImage;
        } else if (state & UISTATE_PUSHED) {
            image = &look.pushedImage;
        } else if (state & UISTATE_HOT) {
            image = &look.hotImage;
        } else if (state & UISTATE_FOCUSED) {
            image = &look.focusedImage;
        }
        if (image && DrawInBox(control, hdc, *image, box)) return true;
        if (DrawInBox(control, hdc, look.normalImage, box)) return true;
    }
    DrawInBox(control, hdc, look.foreImage, box);
    return false;
}

void DrawCellText(HDC hdc, CPaintManagerUI* manager, RECT rect, const wchar_t* text, DWORD color, int font,
                  UINT style, bool html, RECT* linkRects, CUIString* linkTexts, int& links) {
    if (html) {
        CUIRender::DrawHtmlText(hdc, manager, rect, text, color, linkRects, linkTexts, links, font, style);
    } else {
        CUIRender::DrawText(hdc, manager, rect, text, color, font, style);
        links = 0;
    }
}

}  // namespace

bool TListCheckBoxLook::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!value) value = L"";
    if (Is(name, L"checkboxwidth")) {
        if (ParseInt(value) >= 0) width = ParseInt(value);
    } else if (Is(name, L"checkboxheight")) {
        if (ParseInt(value) >= 0) height = ParseInt(value);
    } else if (Is(name, L"checkboxnormalimage")) {
        normalImage = value;
    } else if (Is(name, L"checkboxhotimage")) {
        hotImage = value;
    } else if (Is(name, L"checkboxpushedimage")) {
        pushedImage = value;
    } else if (Is(name, L"checkboxfocusedimage")) {
        focusedImage = value;
    } else if (Is(name, L"checkboxdisabledimage")) {
        disabledImage = value;
    } else if (Is(name, L"checkboxselectedimage")) {
        selectedImage = value;
    } else if (Is(name, L"checkboxforeimage")) {
        foreImage = value;
    } else {
        return false;
    }
    return true;
}

RECT ListCheckBoxRect(const RECT& item, int width, int height) {
    RECT box;
    box.left = item.left + 6;
    box.top = item.top + (item.bottom - item.top - height) / 2;
    box.right = box.left + width;
    box.bottom = box.top + height;
    return box;
}

// ---------------------------------------------------------------------------------------------------
// CListExUI

CListExUI::CListExUI() = default;

CListExUI::~CListExUI() {
    if (m_pListeningTo) m_pListeningTo->RemoveNotifyListener(this);
}

CControlUI* CListExUI::CreateControl() { return new CListExUI; }

const wchar_t* CListExUI::GetClass() const { return L"XListUI"; }

void* CListExUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"ListEx")) return static_cast<IListUI*>(this);
    return CListUI::GetInterface(name);
}

UINT CListExUI::GetControlFlags() const { return UIFLAG_TABSTOP; }

void CListExUI::DoInit() {
    CListUI::DoInit();
    // The editors commit through the window's notifications, so the list listens to them itself.
    if (m_pManager && m_pListeningTo != m_pManager) {
        if (m_pListeningTo) m_pListeningTo->RemoveNotifyListener(this);
        m_pManager->AddNotifyListener(this);
        m_pListeningTo = m_pManager;
    }
}

void CListExUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    // Leaving a window: its manager may go before this list does.
    if (m_pListeningTo && m_pListeningTo != manager) {
        m_pListeningTo->RemoveNotifyListener(this);
        m_pListeningTo = nullptr;
    }
    CListUI::SetManager(manager, parent, init);
}

bool CListExUI::Add(CControlUI* control) {
    if (!control || !control->GetInterface(L"ListContainerHeaderItem")) return CListUI::Add(control);
    const bool added = GetHeader()->Add(control);
    GetListInfo()->nColumns = std::min(GetHeader()->GetCount(), static_cast<int>(ListInfo::kMaxColumns));
    return added;
}

bool CListExUI::AddAt(CControlUI* control, int index) {
    if (!control || !control->GetInterface(L"ListContainerHeaderItem")) return CListUI::AddAt(control, index);
    const bool added = GetHeader()->AddAt(control, index);
    GetListInfo()->nColumns = std::min(GetHeader()->GetCount(), static_cast<int>(ListInfo::kMaxColumns));
    return added;
}

CListContainerHeaderItemUI* CListExUI::HeaderItemAt(int column) const {
    CControlUI* item = column >= 0 ? GetHeader()->GetItemAt(column) : nullptr;
    return item ? static_cast<CListContainerHeaderItemUI*>(item->GetInterface(L"ListContainerHeaderItem")) : nullptr;
}

CListTextExtElementUI* CListExUI::RowAt(int row) {
    CControlUI* item = row >= 0 ? GetItemAt(row) : nullptr;
    return item ? static_cast<CListTextExtElementUI*>(item->GetInterface(L"ListTextExElement")) : nullptr;
}

bool CListExUI::IsColumnEditable(int column) {
    CListContainerHeaderItemUI* item = HeaderItemAt(column);
    return item && item->IsEditable();
}

bool CListExUI::IsColumnComboable(int column) {
    CListContainerHeaderItemUI* item = HeaderItemAt(column);
    return item && item->IsComboable();
}

bool CListExUI::IsColumnCheckable(int column) {
    CListContainerHeaderItemUI* item = HeaderItemAt(column);
    return item && item->IsCheckable();
}

CControlUI* CListExUI::GetColumnEditor() { return GetInPlaceEdit(); }

CControlUI* CListExUI::GetColumnCombo() { return GetInPlaceCombo(); }

void CListExUI::HideEditor(CControlUI* editor) {
    if (!editor) return;
    editor->SetPos(RECT{0, 0, 0, 0});
    editor->SetVisible(false);
}

CRichEditUI* CListExUI::GetInPlaceEdit() {
    if (!m_pEdit) {
        m_pEdit = new CRichEditUI;
        m_pEdit->SetName(L"ListEx_Edit");
        if (m_pManager)
            if (const wchar_t* defaults = m_pManager->GetClassDefaultAttributes(L"RichEdit"))
                m_pEdit->ApplyAttributeList(defaults);
        m_pEdit->SetBkColor(0xFFFFFFFF);
        m_pEdit->SetRich(false);
        m_pEdit->SetAttribute(L"multiline", L"false");
        m_pEdit->SetWantReturn(true);
        m_pEdit->SetFloat(true);
        m_pEdit->SetAttribute(L"autohscroll", L"true");
        m_pEdit->SetVisible(false);
        CListUI::Add(m_pEdit);
    }
    HideEditor(m_pCombo);
    return m_pEdit;
}

CComboBoxUI* CListExUI::GetInPlaceCombo() {
    if (!m_pCombo) {
        m_pCombo = new CComboBoxUI;
        m_pCombo->SetName(L"ListEx_Combo");
        if (m_pManager)
            if (const wchar_t* defaults = m_pManager->GetClassDefaultAttributes(L"Combo"))
                m_pCombo->ApplyAttributeList(defaults);
        // Floating and hidden until a cell opens it, so it takes no room among the rows.
        m_pCombo->SetFloat(true);
        m_pCombo->SetVisible(false);
        CListUI::Add(m_pCombo);
    }
    HideEditor(m_pEdit);
    return m_pCombo;
}

void CListExUI::PlaceEditor(CControlUI* editor) {
    const int percent = m_pManager ? m_pManager->GetDpiScaler()->GetScale() : 100;
    auto unscaled = [percent](LONG value) { return percent > 0 ? MulDiv(value, 100, percent) : value; };
    editor->SetFixedWidth(unscaled(m_rcCell.right - m_rcCell.left));
    editor->SetFixedHeight(unscaled(m_rcCell.bottom - m_rcCell.top));
    editor->SetFixedXY(SIZE{unscaled(m_rcCell.left), unscaled(m_rcCell.top)});
    editor->SetVisible(true);
    RECT onWindow = m_rcCell;
    OffsetRect(&onWindow, m_rcItem.left, m_rcItem.top);
    editor->SetPos(onWindow);
}

void CListExUI::SetPos(RECT rect, bool needInvalidate) {
    CListUI::SetPos(rect, needInvalidate);
    // The layout rounds the float place at some DPI: an open editor keeps the cell's exact pixels.
    for (CControlUI* editor : {static_cast<CControlUI*>(m_pEdit), static_cast<CControlUI*>(m_pCombo)}) {
        if (!editor || !editor->IsVisible()) continue;
        RECT onWindow = m_rcCell;
        OffsetRect(&onWindow, m_rcItem.left, m_rcItem.top);
        editor->SetPos(onWindow, false);
    }
}

void CListExUI::ShowInPlaceEditor(int row, int column, const RECT& rect, const wchar_t* text) {
    const int height = rect.bottom - rect.top;
    if (column >= 0 && IsColumnEditable(column) && GetInPlaceEdit()) {
        m_nRow = row;
        m_nColumn = column;
        m_rcCell = rect;
        int textHeight = 0;
        if (m_pManager && m_pManager->GetPaintDeviceContext())
            textHeight = CUIRender::GetTextSize(m_pManager->GetPaintDeviceContext(), m_pManager, L"TTT",
                                                GetListInfo()->nFont).cy;
        m_pEdit->SetTextPadding(RECT{2, (height - textHeight) / 2, 2, 0});
        PlaceEditor(m_pEdit);
        m_pEdit->SetText(text ? text : L"");
        m_pEdit->SetFocus();
    } else if (column >= 0 && IsColumnComboable(column) && GetInPlaceCombo()) {
        m_bFillingCombo = true;
        m_pCombo->RemoveAll();
        m_nRow = row;
        m_nColumn = column;
        m_rcCell = rect;
        m_pCombo->CControlUI::SetText(text);
        if (m_pComboFill) m_pComboFill->FillCombo(m_pCombo, row, column);
        // The item showing the cell's text starts selected.
        for (int i = 0; i < m_pCombo->GetCount() && text; ++i) {
            if (m_pCombo->GetItemAt(i)->GetText() == text) {
                m_pCombo->SelectItem(i);
                break;
            }
        }
        m_bFillingCombo = false;
        PlaceEditor(m_pCombo);
    } else {
        HideEditor(m_pEdit);
        HideEditor(m_pCombo);
    }
}

void CListExUI::HideInPlaceEditors() {
    HideEditor(m_pEdit);
    HideEditor(m_pCombo);
}

void CListExUI::CommitCell(const CUIString& text) {
    if (CListTextExtElementUI* row = RowAt(m_nRow)) row->SetColumnText(m_nColumn, text.Data());
}

void CListExUI::DoEvent(TUIEvent& event) {
    if (event.Type == UIEVENT_BUTTONDOWN || event.Type == UIEVENT_SCROLLWHEEL) HideInPlaceEditors();
    // Paging moves the rows under an open editor: it closes too.
    if (event.Type == UIEVENT_KEYDOWN) {
        switch (event.chKey) {
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
        case VK_UP:
        case VK_DOWN:
            HideInPlaceEditors();
            break;
        default:
            break;
        }
    }
    CListUI::DoEvent(event);
}

void CListExUI::Notify(TNotifyMessage& msg) {
    CControlUI* sender = msg.pSender;
    if (!sender) return;
    if (msg.sType == L"listheaditemchecked") {
        if (GetHeader()->GetItemIndex(sender) < 0) return;
        for (int i = 0; i < GetCount(); ++i)
            if (CListTextExtElementUI* row = RowAt(i)) row->SetChecked(msg.lParam != 0);
        return;
    }
    if (msg.sType == L"listitemchecked") {
        if (GetItemIndex(sender) < 0 || !RowAt(GetItemIndex(sender))) return;
        OnRowChecked(LOWORD(msg.wParam), HIWORD(msg.wParam), msg.lParam != 0);
        return;
    }
    const bool open = m_nRow >= 0 && m_nColumn >= 0;
    if (sender == m_pEdit && m_pEdit) {
        if (msg.sType == L"killfocus" && open) {
            CommitCell(m_pEdit->GetText());
            m_nRow = m_nColumn = -1;
            HideEditor(m_pEdit);
        }
        return;
    }
    if (sender == m_pCombo && m_pCombo) {
        // The combo reports a choice as "itemselect" with the chosen index.
        const bool chosen = (msg.sType == L"itemselect" && static_cast<int>(msg.wParam) >= 0) ||
                            (msg.sType == L"listitemselect" && msg.lParam >= 0);
        if (chosen && open && !m_bFillingCombo) {
            CommitCell(m_pCombo->GetText());
            m_nRow = m_nColumn = -1;
            HideEditor(m_pCombo);
        }
        return;
    }
    if (msg.sType == L"scroll" && (m_pEdit || m_pCombo) && open) HideInPlaceEditors();
}

void CListExUI::OnRowChecked(int, int column, bool checked) {
    CListContainerHeaderItemUI* header = HeaderItemAt(column);
    if (!header) return;
    if (!checked) {
        header->SetChecked(false);
        return;
    }
    bool all = true;
    for (int i = 0; i < GetCount() && all; ++i)
        if (CListTextExtElementUI* row = RowAt(i)) all = row->IsChecked();
    header->SetChecked(all);
}

bool CListExUI::GetCellColour(int row, int column, DWORD& colour) {
    CListTextExtElementUI* item = RowAt(row);
    return item && item->GetCellColour(column, colour);
}

void CListExUI::SetCellColour(int row, int column, DWORD colour) {
    if (CListTextExtElementUI* item = RowAt(row)) item->SetCellColour(column, colour);
}

// ---------------------------------------------------------------------------------------------------
// CListContainerHeaderItemUI

CListContainerHeaderItemUI::CListContainerHeaderItemUI() { SetMinWidth(16); }

CListContainerHeaderItemUI::~CListContainerHeaderItemUI() = default;

CControlUI* CListContainerHeaderItemUI::CreateControl() { return new CListContainerHeaderItemUI; }

const wchar_t* CListContainerHeaderItemUI::GetClass() const { return L"ListContainerHeaderItem"; }

void* CListContainerHeaderItemUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"ListContainerHeaderItem")) return this;
    return CContainerUI::GetInterface(name);
}

UINT CListContainerHeaderItemUI::GetControlFlags() const {
    return IsEnabled() && m_iSepWidth != 0 ? UIFLAG_SETCURSOR : 0u;
}

void CListContainerHeaderItemUI::SetChecked(bool checked) {
    if (m_bChecked == checked) return;
    m_bChecked = checked;
    m_uCheckBoxState = checked ? (m_uCheckBoxState | UISTATE_SELECTED) : (m_uCheckBoxState & ~UISTATE_SELECTED);
    Invalidate();
}

void CListContainerHeaderItemUI::SetEnabled(bool enable) {
    CHorizontalLayoutUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CListContainerHeaderItemUI::SetTextStyle(UINT style) {
    m_uTextStyle = style;
    Invalidate();
}

RECT CListContainerHeaderItemUI::GetCheckBoxRect() const { return ListCheckBoxRect(m_rcItem, m_check.width, m_check.height); }

RECT CListContainerHeaderItemUI::GetThumbRect() const {
    if (m_iSepWidth >= 0) return RECT{m_rcItem.right - m_iSepWidth, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
    return RECT{m_rcItem.left, m_rcItem.top, m_rcItem.left - m_iSepWidth, m_rcItem.bottom};
}

RECT CListContainerHeaderItemUI::GetGripRect() const {
    RECT grip = GetThumbRect();
    if (m_iSepWidth >= 0) {
        grip.left -= 4;
    } else {
        grip.right += 4;
    }
    return grip;
}

void CListContainerHeaderItemUI::OnDragMove(POINT point) {
    const int dx = point.x - m_ptLastMouse.x;
    RECT rect = m_rcItem;
    if (m_iSepWidth >= 0) {
        rect.right += dx;
    } else {
        rect.left += dx;
    }
    const int width = rect.right - rect.left;
    if (width <= GetMinWidth()) return;
    // Stored as written for 96 DPI, like every fixed width.
    const int percent = m_pManager ? m_pManager->GetDpiScaler()->GetScale() : 100;
    SetFixedWidth(percent > 0 ? width * 100 / percent : width);
    m_ptLastMouse = point;
    if (m_pParent) m_pParent->NeedParentUpdate();
}

void CListContainerHeaderItemUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_pParent) {
            m_pParent->DoEvent(event);
        } else {
            CContainerUI::DoEvent(event);
        }
        return;
    }
    if (m_bCheckable) {
        const CheckBoxAction action = TrackCheckBox(event, GetCheckBoxRect(), m_uCheckBoxState);
        if (action == CheckBoxAction::Toggle) {
            SetChecked(!m_bChecked);
            if (m_pParent && m_pManager) {
                auto* header = static_cast<IContainerUI*>(m_pParent->GetInterface(L"IContainer"));
                const int index = header ? header->GetItemIndex(this) : -1;
                m_pManager->RaiseNotify(this, L"listheaditemchecked", static_cast<WPARAM>(index), m_bChecked);
            }
        }
        if (action != CheckBoxAction::None) Invalidate();
    }
    const RECT grip = GetGripRect();
    const bool onGrip = PtInRect(&grip, event.ptMouse) != FALSE;
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (!IsEnabled()) return;
        if (onGrip) {
            if (m_bDragable) {
                m_uButtonState |= UISTATE_CAPTURED;
                m_ptLastMouse = event.ptMouse;
            }
        } else {
            m_uButtonState |= UISTATE_PUSHED;
            if (m_pManager) m_pManager->RaiseNotify(this, L"listheaderclick");
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_uButtonState &= ~UISTATE_CAPTURED;
            if (m_pParent) m_pParent->NeedParentUpdate();
        } else if (m_uButtonState & UISTATE_PUSHED) {
            m_uButtonState &= ~UISTATE_PUSHED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED) OnDragMove(event.ptMouse);
        return;
    case UIEVENT_SETCURSOR:
        if (IsEnabled() && m_bDragable && onGrip) {
            ::SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
            return;
        }
        break;
    case UIEVENT_MOUSEENTER:
        if (!IsEnabled()) break;
        m_uButtonState |= UISTATE_HOT;
        Invalidate();
        return;
    case UIEVENT_MOUSELEAVE:
        if (!IsEnabled()) break;
        m_uButtonState &= ~UISTATE_HOT;
        Invalidate();
        return;
    default:
        break;
    }
    CContainerUI::DoEvent(event);
}

void CListContainerHeaderItemUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!value) value = L"";
    if (m_check.SetAttribute(name, value)) return;
    if (Is(name, L"dragable")) {
        m_bDragable = IsTrue(value);
        if (!m_bDragable) m_uButtonState &= ~UISTATE_CAPTURED;
    } else if (Is(name, L"sepwidth")) {
        m_iSepWidth = ParseInt(value);
    } else if (Is(name, L"align")) {
        if (std::wcsstr(value, L"left")) m_uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        if (std::wcsstr(value, L"center")) m_uTextStyle |= DT_CENTER;
        if (std::wcsstr(value, L"right")) m_uTextStyle |= DT_RIGHT;
    } else if (Is(name, L"endellipsis")) {
        m_uTextStyle = IsTrue(value) ? (m_uTextStyle | DT_END_ELLIPSIS) : (m_uTextStyle & ~DT_END_ELLIPSIS);
    } else if (Is(name, L"font")) {
        m_iFont = ParseInt(value);
    } else if (Is(name, L"textcolor")) {
        m_dwTextColor = ParseColor(value);
    } else if (Is(name, L"textpadding")) {
        m_rcTextPadding = ParseRect(value);
        Invalidate();
    } else if (Is(name, L"showhtml")) {
        const bool show = IsTrue(value);
        if (show != m_bShowHtml) {
            m_bShowHtml = show;
            Invalidate();
        }
    } else if (Is(name, L"normalimage")) {
        m_sNormalImage = value;
        Invalidate();
    } else if (Is(name, L"hotimage")) {
        m_sHotImage = value;
        Invalidate();
    } else if (Is(name, L"pushedimage")) {
        m_sPushedImage = value;
        Invalidate();
    } else if (Is(name, L"focusedimage")) {
        m_sFocusedImage = value;
        Invalidate();
    } else if (Is(name, L"sepimage")) {
        m_sSepImage = value;
        Invalidate();
    } else if (Is(name, L"editable")) {
        m_bEditable = IsTrue(value);
    } else if (Is(name, L"comboable")) {
        m_bComboable = IsTrue(value);
    } else if (Is(name, L"checkable")) {
        m_bCheckable = IsTrue(value);
    } else {
        CContainerUI::SetAttribute(name, value);
    }
}

SIZE CListContainerHeaderItemUI::EstimateSize(SIZE available) {
    if (GetFixedHeight() == 0 && m_pManager) {
        const TFontRecord* font = m_pManager->GetDefaultFontRecord();
        return SIZE{GetFixedWidth(), (font ? font->metrics.tmHeight : 0) + 14};
    }
    return CHorizontalLayoutUI::EstimateSize(available);
}

void CListContainerHeaderItemUI::PaintStatusImage(HDC hdc) {
    m_uButtonState = IsFocused() ? (m_uButtonState | UISTATE_FOCUSED) : (m_uButtonState & ~UISTATE_FOCUSED);
    const CUIString* state = nullptr;
    if (m_uButtonState & UISTATE_PUSHED) {
        state = &m_sPushedImage;
    } else if (m_uButtonState & UISTATE_HOT) {
        state = &m_sHotImage;
    } else if (m_uButtonState & UISTATE_FOCUSED) {
        state = &m_sFocusedImage;
    }
    if (!state || state->IsEmpty() || !DrawImage(hdc, state->Data())) DrawImage(hdc, m_sNormalImage.Data());
    if (!m_sSepImage.IsEmpty()) {
        const RECT thumb = GetThumbRect();
        m_sSepImageModify.Format(L"dest='%d,%d,%d,%d'", static_cast<int>(thumb.left - m_rcItem.left),
                                 static_cast<int>(thumb.top - m_rcItem.top), static_cast<int>(thumb.right - m_rcItem.left),
                                 static_cast<int>(thumb.bottom - m_rcItem.top));
        DrawImage(hdc, m_sSepImage.Data(), m_sSepImageModify.Data());
    }
    if (m_bCheckable) PaintCheckBox(*this, hdc, m_check, m_uCheckBoxState, m_bChecked, GetCheckBoxRect());
}

void CListContainerHeaderItemUI::PaintText(HDC hdc) {
    if (m_dwTextColor == 0 && m_pManager) m_dwTextColor = m_pManager->GetDefaultTextColor();
    RECT rect = {m_rcItem.left + m_rcTextPadding.left, m_rcItem.top + m_rcTextPadding.top,
                 m_rcItem.right - m_rcTextPadding.right, m_rcItem.bottom - m_rcTextPadding.bottom};
    if (m_bCheckable) rect.left += m_check.width;
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    int links = 0;
    DrawCellText(hdc, m_pManager, rect, text.Data(), m_dwTextColor, m_iFont, m_uTextStyle | DT_SINGLELINE,
                 m_bShowHtml, nullptr, nullptr, links);
}

// ---------------------------------------------------------------------------------------------------
// CListTextExtElementUI

CListTextExtElementUI::CListTextExtElementUI() = default;

CListTextExtElementUI::~CListTextExtElementUI() = default;

CControlUI* CListTextExtElementUI::CreateControl() { return new CListTextExtElementUI; }

const wchar_t* CListTextExtElementUI::GetClass() const { return L"ListTextExElementUI"; }

void* CListTextExtElementUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"ListTextExElement")) return this;
    return CListLabelElementUI::GetInterface(name);
}

UINT CListTextExtElementUI::GetControlFlags() const {
    return IsEnabled() && m_nLinks > 0 ? (UIFLAG_SETCURSOR | UIFLAG_WANTRETURN) : UIFLAG_WANTRETURN;
}

void CListTextExtElementUI::SetOwner(CControlUI* owner) {
    CListLabelElementUI::SetOwner(owner);
    m_pOwnerList = owner ? static_cast<CListUI*>(owner->GetInterface(L"List")) : nullptr;
}

CListExUI* CListTextExtElementUI::OwnerList() const { return dynamic_cast<CListExUI*>(m_pOwnerList); }

void CListTextExtElementUI::SetChecked(bool checked) {
    if (m_bChecked == checked) return;
    m_bChecked = checked;
    m_uCheckBoxState = checked ? (m_uCheckBoxState | UISTATE_SELECTED) : (m_uCheckBoxState & ~UISTATE_SELECTED);
    Invalidate();
}

const CUIString* CListTextExtElementUI::GetColumnText(int column) const {
    if (column < 0 || column >= static_cast<int>(m_aTexts.size())) return nullptr;
    return m_aTexts[column].get();
}

void CListTextExtElementUI::SetColumnText(int column, const wchar_t* text) {
    if (!m_state.owner) return;
    const ListInfo& info = *m_state.owner->GetListInfo();
    if (column < 0 || column >= info.nColumns) return;
    if (static_cast<int>(m_aTexts.size()) < info.nColumns) m_aTexts.resize(info.nColumns);
    std::unique_ptr<CUIString>& slot = m_aTexts[column];
    if (slot) {
        if (text && *slot == text) return;
        *slot = text ? text : L"";
    } else {
        if (!text) return;
        slot = std::make_unique<CUIString>(text);
    }
    Invalidate();
}

bool CListTextExtElementUI::GetCellColour(int column, DWORD& colour) const {
    if (column < 0 || column >= kMaxCellColours || !m_cellColours[column].set) return false;
    colour = m_cellColours[column].colour;
    return true;
}

void CListTextExtElementUI::SetCellColour(int column, DWORD colour) {
    const int columns = m_state.owner ? m_state.owner->GetListInfo()->nColumns : kMaxCellColours;
    if (column < 0 || column >= kMaxCellColours || column >= columns) return;
    m_cellColours[column].set = true;
    m_cellColours[column].colour = colour;
    Invalidate();
}

const CUIString* CListTextExtElementUI::GetLinkText(int index) const {
    return index >= 0 && index < m_nLinks ? &m_sLinks[index] : nullptr;
}

RECT CListTextExtElementUI::GetCheckBoxRect() const { return ListCheckBoxRect(m_rcItem, m_check.width, m_check.height); }

RECT CListTextExtElementUI::GetColumnRect(int column) const {
    if (!m_state.owner) return RECT{};
    const ListInfo& info = *m_state.owner->GetListInfo();
    if (column < 0 || column >= info.nColumns) return RECT{};
    const RECT padding = ScaledMargins(info.rcTextPadding);
    return RECT{info.rcColumn[column].left + padding.left, m_rcItem.top + padding.top,
                info.rcColumn[column].right - padding.right, m_rcItem.bottom - padding.bottom};
}

int CListTextExtElementUI::HitTestColumn(POINT point) const {
    if (!m_state.owner) return -1;
    for (int column = 0; column < m_state.owner->GetListInfo()->nColumns; ++column) {
        const RECT cell = GetColumnRect(column);
        if (PtInRect(&cell, point)) return column;
    }
    return -1;
}

int CListTextExtElementUI::LinkAt(POINT point) const {
    for (int i = 0; i < m_nLinks; ++i)
        if (PtInRect(&m_rcLinks[i], point)) return i;
    return -1;
}

void CListTextExtElementUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_state.owner) {
            m_state.owner->DoEvent(event);
        } else {
            CListLabelElementUI::DoEvent(event);
        }
        return;
    }
    const bool links = m_nLinks > 0;
    const int link = links ? LinkAt(event.ptMouse) : -1;
    if (event.Type == UIEVENT_SETCURSOR && link >= 0) {
        ::SetCursor(LoadCursor(nullptr, IDC_HAND));
        return;
    }
    if (event.Type == UIEVENT_BUTTONUP && IsEnabled() && link >= 0) {
        if (m_pManager) m_pManager->RaiseNotify(this, L"link", static_cast<WPARAM>(link));
        return;
    }
    if (links && event.Type == UIEVENT_MOUSEMOVE && link != m_nHoverLink) {
        Invalidate();
        m_nHoverLink = link;
    }
    if (links && event.Type == UIEVENT_MOUSELEAVE && m_nHoverLink != -1) {
        Invalidate();
        m_nHoverLink = -1;
    }
    CListExUI* list = OwnerList();
    if (event.Type == UIEVENT_BUTTONUP && list && list->IsFocused()) {
        const int column = HitTestColumn(event.ptMouse);
        RECT cell = {};
        if (column >= 0) {
            const RECT& columnRect = m_state.owner->GetListInfo()->rcColumn[column];
            const RECT& listRect = list->GetPos();
            cell = RECT{columnRect.left + 1, 1, columnRect.right - 1, m_rcItem.bottom - m_rcItem.top - 1};
            OffsetRect(&cell, -listRect.left, m_rcItem.top - listRect.top);
        }
        const CUIString* text = GetColumnText(column);
        list->ShowInPlaceEditor(m_state.index, column, cell, text ? text->Data() : L"");
    }
    // One box serves every checkable column: it is tracked once.
    bool checkable = false;
    if (list && m_state.owner)
        for (int column = 0; column < m_state.owner->GetListInfo()->nColumns && !checkable; ++column)
            checkable = list->IsColumnCheckable(column);
    if (checkable) {
        const CheckBoxAction action = TrackCheckBox(event, GetCheckBoxRect(), m_uCheckBoxState);
        if (action == CheckBoxAction::Toggle) {
            SetChecked(!m_bChecked);
            if (m_pManager)
                m_pManager->RaiseNotify(this, L"listitemchecked", MAKEWPARAM(m_state.index, 0), m_bChecked);
        }
        if (action != CheckBoxAction::None) Invalidate();
    }
    CListLabelElementUI::DoEvent(event);
}

void CListTextExtElementUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (m_check.SetAttribute(name, value)) return;
    CListElementUI::SetAttribute(name, value);
}

SIZE CListTextExtElementUI::EstimateSize(SIZE available) { return CListLabelElementUI::EstimateSize(available); }

bool CListTextExtElementUI::DoPaint(HDC hdc, const RECT& paintRect, CControlUI*) {
    RECT visible;
    if (!IntersectRect(&visible, &paintRect, &m_rcItem)) return true;
    DrawItemBk(hdc, m_rcItem);
    PaintStatusImage(hdc);
    DrawItemText(hdc, m_rcItem);
    return true;
}

void CListTextExtElementUI::PaintStatusImage(HDC hdc) {
    CListExUI* list = OwnerList();
    if (!list || !m_state.owner) return;
    for (int column = 0; column < m_state.owner->GetListInfo()->nColumns; ++column) {
        if (!list->IsColumnCheckable(column)) continue;
        if (PaintCheckBox(*this, hdc, m_check, m_uCheckBoxState, m_bChecked, GetCheckBoxRect())) return;
    }
}

void CListTextExtElementUI::DrawItemText(HDC hdc, const RECT& rect) {
    if (!m_state.owner) return;
    const ListInfo& info = *m_state.owner->GetListInfo();
    CListExUI* list = OwnerList();
    const DWORD color = StateTextColor(info);
    const RECT padding = ScaledMargins(info.rcTextPadding);
    IListTextCallbackUI* callback = m_pOwnerList ? m_pOwnerList->GetTextCallback() : nullptr;
    m_nLinks = 0;
    for (int column = 0; column < info.nColumns; ++column) {
        RECT cell = {info.rcColumn[column].left, rect.top, info.rcColumn[column].right, rect.bottom};
        if (m_cellColours[column].set) CUIRender::DrawColor(hdc, cell, m_cellColours[column].colour);
        cell.left += padding.left;
        cell.top += padding.top;
        cell.right -= padding.right;
        cell.bottom -= padding.bottom;
        if (list && list->IsColumnCheckable(column)) cell.left += m_check.width;
        CUIString text;
        if (callback) {
            text = callback->GetItemText(this, m_state.index, column);
        } else if (const CUIString* own = GetColumnText(column)) {
            text = *own;
        }
        int found = kMaxLinks - m_nLinks;
        DrawCellText(hdc, m_pManager, cell, text.Data(), color, info.nFont, info.uTextStyle | DT_SINGLELINE,
                     info.bShowHtml, &m_rcLinks[m_nLinks], &m_sLinks[m_nLinks], found);
        m_nLinks += found;
    }
    for (int i = m_nLinks; i < kMaxLinks; ++i) {
        m_rcLinks[i] = RECT{};
        m_sLinks[i].Clear();
    }
}

}  // namespace SkinUI
