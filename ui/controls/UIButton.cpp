#include "UIButton.h"

#include "UIAttributes.h"
#include "UIImage.h"
#include "UIManager.h"
#include "UIRender.h"
#include "UIStateImage.h"
#include "UITabLayout.h"

#include <typeinfo>

namespace SkinUI {

namespace {

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

bool Inside(const RECT& rect, POINT point) { return PtInRect(&rect, point) != FALSE; }

}  // namespace

TStripParts CutStateStrip(CPaintManagerUI* manager, const wchar_t* stripImage, int count) {
    TStripParts strip;
    if (!manager || !stripImage || !*stripImage || count < 1) return strip;
    // The slices are written for 96 DPI like every description: measured on the strip's own file when
    // it loads, else on the scaled file the window draws.
    TImageDrawInfo raw;
    raw.Parse(stripImage, nullptr, static_cast<const CUIDpi*>(nullptr));
    const wchar_t* type = raw.resourceType.IsEmpty() ? nullptr : raw.resourceType.Data();
    SIZE unscaled = {};
    if (const TImageRecord* image = manager->GetOrLoadImage(raw.imageName.Data(), type, raw.mask)) {
        unscaled = SIZE{image->width, image->height};
    } else if (const TImageDrawInfo* scaled = manager->GetImageDrawInfo(stripImage)) {
        const CUIDpi* dpi = manager->GetDpiScaler();
        if (const TImageRecord* image = manager->GetOrLoadImage(scaled->imageName.Data(), type, scaled->mask))
            unscaled = SIZE{dpi->ScaleBack(image->width), dpi->ScaleBack(image->height)};
    }
    const int partWidth = unscaled.cx / count;
    const int partHeight = unscaled.cy;
    if (partWidth < 1 || partHeight < 1) return strip;
    const RECT& d = raw.dest;
    strip.count = count < 4 ? count : 4;
    for (int i = 0; i < strip.count; ++i) {
        strip.parts[i].Format(L"res='%ls' restype='%ls' dest='%d,%d,%d,%d' source='%d,%d,%d,%d'", raw.imageName.Data(),
                              raw.resourceType.Data(), static_cast<int>(d.left), static_cast<int>(d.top),
                              static_cast<int>(d.right), static_cast<int>(d.bottom), i * partWidth, 0,
                              (i + 1) * partWidth, partHeight);
    }
    return strip;
}

CButtonUI::CButtonUI() { m_uTextStyle = DT_CENTER | DT_VCENTER | DT_SINGLELINE; }

CControlUI* CButtonUI::CreateControl() { return new CButtonUI; }

const wchar_t* CButtonUI::GetClass() const { return L"ButtonUI"; }

void* CButtonUI::GetInterface(const wchar_t* name) { return Is(name, L"Button") ? this : CLabelUI::GetInterface(name); }

UINT CButtonUI::GetControlFlags() const {
    return (IsKeyboardEnabled() ? UIFLAG_TABSTOP : 0u) | (IsEnabled() ? UIFLAG_SETCURSOR : 0u);
}

bool CButtonUI::Activate() {
    if (!CLabelUI::Activate()) return false;
    if (!m_pManager) return true;
    const CUILifeWatch alive = m_life.Watch();
    m_pManager->RaiseNotify(this, L"click");
    // A "click" handler may have deleted this button (or its whole window).
    if (alive) SelectBoundTab(-1);
    return true;
}

void CButtonUI::SetEnabled(bool enable) {
    CLabelUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CButtonUI::DoEvent(TUIEvent& event) {
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
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
        Invalidate();
        break;
    case UIEVENT_KEYDOWN:
        if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
            Activate();
            return;
        }
        break;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (Inside(m_rcItem, event.ptMouse) && IsEnabled()) {
            m_uButtonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
            Invalidate();
        }
        return;
    case UIEVENT_MOUSEMOVE:
        if (m_uButtonState & UISTATE_CAPTURED) {
            if (Inside(m_rcItem, event.ptMouse)) {
                m_uButtonState |= UISTATE_PUSHED;
            } else {
                m_uButtonState &= ~UISTATE_PUSHED;
            }
            Invalidate();
        }
        return;
    case UIEVENT_BUTTONUP:
        if (m_uButtonState & UISTATE_CAPTURED) {
            m_uButtonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
            Invalidate();
            if (Inside(m_rcItem, event.ptMouse)) Activate();  // last: a handler may delete this button
        }
        return;
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed() && m_pManager) m_pManager->RaiseNotify(this, L"menu", event.wParam, event.lParam);
        return;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButtonState |= UISTATE_HOT;
            Invalidate();
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        break;
    default:
        break;
    }
    CLabelUI::DoEvent(event);
}

// ---------------------------------------------------------------------------------------------------
// Settings.

void CButtonUI::SetNormalImage(const wchar_t* image) {
    m_sNormalImage = image;
    Invalidate();
}

void CButtonUI::SetHotImage(const wchar_t* image) {
    m_sHotImage = image;
    Invalidate();
}

void CButtonUI::SetPushedImage(const wchar_t* image) {
    m_sPushedImage = image;
    Invalidate();
}

void CButtonUI::SetFocusedImage(const wchar_t* image) {
    m_sFocusedImage = image;
    Invalidate();
}

void CButtonUI::SetDisabledImage(const wchar_t* image) {
    m_sDisabledImage = image;
    Invalidate();
}

void CButtonUI::SetHotForeImage(const wchar_t* image) {
    m_sHotForeImage = image;
    Invalidate();
}

void CButtonUI::SetStateImage(const wchar_t* image) {
    m_sNormalImage.Clear();  // the next paint cuts the strip again
    m_sStateImage = image;
    Invalidate();
}

void CButtonUI::SetHotBkColor(DWORD color) {
    m_dwHotBkColor = color;
    Invalidate();
}

void CButtonUI::SetPushedBkColor(DWORD color) {
    m_dwPushedBkColor = color;
    Invalidate();
}

void CButtonUI::SetDisabledBkColor(DWORD color) {
    m_dwDisabledBkColor = color;
    Invalidate();
}

void CButtonUI::SetHotFont(int index) {
    m_iHotFont = index;
    Invalidate();
}

void CButtonUI::SetPushedFont(int index) {
    m_iPushedFont = index;
    Invalidate();
}

void CButtonUI::SetFocusedFont(int index) {
    m_iFocusedFont = index;
    Invalidate();
}

void CButtonUI::SetStateCount(int count) {
    m_nStateCount = count;
    Invalidate();
}

void CButtonUI::BindTabIndex(int index) {
    if (index >= 0) m_iBindTabIndex = index;
}

void CButtonUI::BindTabLayoutName(const wchar_t* name) {
    if (name) m_sBindTabLayoutName = name;
}

void CButtonUI::SelectBoundTab(int index) {
    if (m_iBindTabIndex < 0 && index < 0) return;
    if (!m_pManager || m_sBindTabLayoutName.IsEmpty()) return;
    CControlUI* found = m_pManager->FindControlByName(m_sBindTabLayoutName.Data());
    // Only a tab layout can switch pages: any other control of that name is left alone.
    auto* tabs = found ? static_cast<CTabLayoutUI*>(found->GetInterface(L"TabLayout")) : nullptr;
    if (tabs) tabs->SelectItem(index >= 0 ? index : m_iBindTabIndex);
}

void CButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"normalimage")) SetNormalImage(value);
    else if (Is(name, L"hotimage")) SetHotImage(value);
    else if (Is(name, L"pushedimage")) SetPushedImage(value);
    else if (Is(name, L"focusedimage")) SetFocusedImage(value);
    else if (Is(name, L"disabledimage")) SetDisabledImage(value);
    else if (Is(name, L"hotforeimage")) SetHotForeImage(value);
    else if (Is(name, L"stateimage")) SetStateImage(value);
    else if (Is(name, L"statecount")) SetStateCount(ParseInt(value));
    else if (Is(name, L"bindtabindex")) BindTabIndex(ParseInt(value));
    else if (Is(name, L"bindtablayoutname")) BindTabLayoutName(value);
    else if (Is(name, L"hotbkcolor")) SetHotBkColor(ParseColor(value));
    else if (Is(name, L"pushedbkcolor")) SetPushedBkColor(ParseColor(value));
    else if (Is(name, L"disabledbkcolor")) SetDisabledBkColor(ParseColor(value));
    else if (Is(name, L"hottextcolor")) SetHotTextColor(ParseColor(value));
    else if (Is(name, L"pushedtextcolor")) SetPushedTextColor(ParseColor(value));
    else if (Is(name, L"focusedtextcolor")) SetFocusedTextColor(ParseColor(value));
    else if (Is(name, L"hotfont")) SetHotFont(ParseInt(value));
    else if (Is(name, L"pushedfont")) SetPushedFont(ParseInt(value));
    // Skins spell it "focuedfont"; the correct spelling is accepted too.
    else if (Is(name, L"focuedfont") || Is(name, L"focusedfont")) SetFocusedFont(ParseInt(value));
    else CLabelUI::SetAttribute(name, value);
}

// ---------------------------------------------------------------------------------------------------
// Painting.

void CButtonUI::RefreshState() {
    m_uButtonState = WithFocusAndEnabled(m_uButtonState, *this);
    HWND window = m_pManager ? m_pManager->GetWindowHandle() : nullptr;
    if (window && !IsWindowEnabled(window)) m_uButtonState &= UISTATE_DISABLED;
}

void CButtonUI::PaintBkColor(HDC hdc) {
    RefreshState();  // the background is painted before the status image refreshes the state
    DWORD color = 0;
    if (m_uButtonState & UISTATE_DISABLED) {
        color = m_dwDisabledBkColor;
    } else if (m_uButtonState & UISTATE_PUSHED) {
        color = m_dwPushedBkColor;
    } else if (m_uButtonState & UISTATE_HOT) {
        color = m_dwHotBkColor;
    }
    if (color == 0) {
        CLabelUI::PaintBkColor(hdc);
        return;
    }
    CUIRender::DrawColor(hdc, m_rcPaint, GetAdjustColor(color));
}

bool CButtonUI::CollectStateBackground(const RECT& within, std::vector<RECT>& cover) const {
    for (DWORD color : {m_dwDisabledBkColor, m_dwPushedBkColor, m_dwHotBkColor})
        if (color != 0 && (color >> 24) != 0xFF) return false;
    return CollectOpaqueBackground(within, cover);
}

bool CButtonUI::CollectSelectableBackground(bool selected, DWORD selectedColor, const RECT& within,
                                            std::vector<RECT>& cover) const {
    return selected ? CollectOpaqueFill(selectedColor, within, cover) : CollectStateBackground(within, cover);
}

void CButtonUI::CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const {
    if (typeid(*this) == typeid(CButtonUI)) CollectStateBackground(within, cover);
}

bool CButtonUI::DrawFirstImage(HDC hdc, const CUIString* const* images, int count) {
    for (int i = 0; i < count; ++i) {
        if (images[i] && !images[i]->IsEmpty() && DrawImage(hdc, images[i]->Data())) return true;
    }
    return false;
}

void CButtonUI::PaintStatusImage(HDC hdc) {
    if (!m_sStateImage.IsEmpty() && m_nStateCount >= 1 && m_sNormalImage.IsEmpty()) {
        const TStripParts strip = CutStateStrip(m_pManager, m_sStateImage.Data(), m_nStateCount);
        if (strip.count >= 1) m_sNormalImage = strip.parts[0];
        if (strip.count >= 2) m_sHotImage = m_sPushedImage = strip.parts[1];
        if (strip.count >= 3) m_sPushedImage = strip.parts[2];
        if (strip.count >= 4) m_sDisabledImage = strip.parts[3];
    }
    RefreshState();
    const CUIString* chosen = nullptr;
    if (m_uButtonState & UISTATE_DISABLED) {
        chosen = &m_sDisabledImage;
    } else if (m_uButtonState & UISTATE_PUSHED) {
        chosen = &m_sPushedImage;
    } else if (m_uButtonState & UISTATE_HOT) {
        chosen = &m_sHotImage;
    } else if (m_uButtonState & UISTATE_FOCUSED) {
        chosen = &m_sFocusedImage;
    }
    const CUIString* order[] = {chosen, &m_sNormalImage};
    DrawFirstImage(hdc, order, 2);
}

void CButtonUI::PaintForeImage(HDC hdc) {
    if (!(m_uButtonState & UISTATE_PUSHED) && (m_uButtonState & UISTATE_HOT) && !m_sHotForeImage.IsEmpty() &&
        DrawImage(hdc, m_sHotForeImage.Data()))
        return;
    CLabelUI::PaintForeImage(hdc);
}

void CButtonUI::DrawButtonText(HDC hdc, const wchar_t* text, DWORD color, int font) {
    RECT rect = TextRect();
    if (m_uTextStyle & DT_WORDBREAK) {
        // A word-broken block is measured, then placed in the middle of the text rectangle.
        RECT measured = {0, 0, rect.right - rect.left, rect.bottom - rect.top};
        DrawLabelText(hdc, measured, text, color, font, m_uTextStyle | DT_CALCRECT);
        const int spareX = (rect.right - rect.left) - (measured.right - measured.left);
        const int spareY = (rect.bottom - rect.top) - (measured.bottom - measured.top);
        if (spareX > 0) {
            rect.left += spareX / 2;
            rect.right -= spareX - spareX / 2;
        }
        if (spareY > 0) {
            rect.top += spareY / 2;
            rect.bottom -= spareY - spareY / 2;
        }
    }
    DrawLabelText(hdc, rect, text, color, font, m_uTextStyle);
}

void CButtonUI::PaintText(HDC hdc) {
    RefreshState();
    TakeDefaultTextColors();
    const CUIString text = GetText();
    if (text.IsEmpty()) return;
    DWORD color = IsEnabled() ? m_dwTextColor : m_dwDisabledTextColor;
    if ((m_uButtonState & UISTATE_PUSHED) && m_dwPushedTextColor != 0) {
        color = m_dwPushedTextColor;
    } else if ((m_uButtonState & UISTATE_HOT) && m_dwHotTextColor != 0) {
        color = m_dwHotTextColor;
    } else if ((m_uButtonState & UISTATE_FOCUSED) && m_dwFocusedTextColor != 0) {
        color = m_dwFocusedTextColor;
    }
    int font = m_iFont;
    if ((m_uButtonState & UISTATE_PUSHED) && m_iPushedFont != -1) {
        font = m_iPushedFont;
    } else if ((m_uButtonState & UISTATE_HOT) && m_iHotFont != -1) {
        font = m_iHotFont;
    } else if ((m_uButtonState & UISTATE_FOCUSED) && m_iFocusedFont != -1) {
        font = m_iFocusedFont;
    }
    DrawButtonText(hdc, text.Data(), color, font);
}

}  // namespace SkinUI
