// CControlUI: state, geometry, events and painting. Attributes are in UIControlAttributes.cpp.
#include "UIControl.h"

#include "UIManager.h"
#include "UIRender.h"
#include "UITextResource.h"

#include <typeinfo>

namespace SkinUI {

namespace {

constexpr WORD kArrowCursor = 32512;

bool HasAnySide(const RECT& sides) { return sides.left > 0 || sides.top > 0 || sides.right > 0 || sides.bottom > 0; }

}  // namespace

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
    if (OnDestroy) OnDestroy(this);
    RemoveAllCustomAttribute();
    if (m_pManager) m_pManager->ForgetControl(this);
}

CControlUI* CControlUI::CreateControl() { return new CControlUI; }

CUIString CControlUI::GetName() const { return m_sName; }

void CControlUI::SetName(const wchar_t* name) { m_sName = name; }

const wchar_t* CControlUI::GetClass() const { return L"ControlUI"; }

void* CControlUI::GetInterface(const wchar_t* name) { return EqualsIgnoreCase(name, L"Control") ? this : nullptr; }

UINT CControlUI::GetControlFlags() const { return 0; }

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

CPaintManagerUI* CControlUI::GetManager() const { return m_pManager; }

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
    // Once detached it could be deleted without its old manager knowing: that manager lets go of it now.
    if (m_pManager && m_pManager != manager) m_pManager->ReleaseControl(this);
    m_pManager = manager;
    m_pParent = parent;
    if (init && m_pParent) Init();
}

CControlUI* CControlUI::GetParent() const { return m_pParent; }

// ---------------------------------------------------------------------------------------------------
// Texts and plain flags.

CUIString CControlUI::GetText() const { return CTextResource::GetInstance()->GetText(m_sText.Data()); }

void CControlUI::SetText(const wchar_t* text) {
    if (m_sText == text) return;
    m_sText = text;
    m_sText.ReplaceAll(L"{\\n}", L"\n");
    Invalidate();
}

bool CControlUI::IsResourceText() const { return m_bResourceText; }

void CControlUI::SetResourceText(bool resource) {
    if (m_bResourceText == resource) return;
    m_bResourceText = resource;
    Invalidate();
}

bool CControlUI::IsDragEnabled() const { return m_bDragEnabled; }
void CControlUI::SetDragEnable(bool enable) { m_bDragEnabled = enable; }
bool CControlUI::IsDropEnabled() const { return m_bDropEnabled; }
void CControlUI::SetDropEnable(bool enable) { m_bDropEnabled = enable; }

CUIString CControlUI::GetToolTip() const { return CTextResource::GetInstance()->GetText(m_sToolTip.Data()); }

void CControlUI::SetToolTip(const wchar_t* text) {
    m_sToolTip = text;
    m_sToolTip.ReplaceAll(L"<n>", L"\r\n");
}

void CControlUI::SetToolTipWidth(int width) { m_nTooltipWidth = width; }
int CControlUI::GetToolTipWidth() const { return Scaled(m_nTooltipWidth); }

WORD CControlUI::GetCursor() const { return m_wCursor; }

void CControlUI::SetCursor(WORD cursor) {
    m_wCursor = cursor;
    Invalidate();
}

wchar_t CControlUI::GetShortcut() const { return m_chShortcut; }
void CControlUI::SetShortcut(wchar_t ch) { m_chShortcut = ch; }
bool CControlUI::IsContextMenuUsed() const { return m_bMenuUsed; }
void CControlUI::SetContextMenuUsed(bool used) { m_bMenuUsed = used; }
const CUIString& CControlUI::GetUserData() const { return m_sUserData; }
void CControlUI::SetUserData(const wchar_t* text) { m_sUserData = text; }
UINT_PTR CControlUI::GetTag() const { return m_pTag; }
void CControlUI::SetTag(UINT_PTR tag) { m_pTag = tag; }

CUIString CControlUI::GetVirtualWnd() const {
    if (!m_sVirtualWnd.IsEmpty()) return m_sVirtualWnd;
    return m_pParent ? m_pParent->GetVirtualWnd() : CUIString();
}

void CControlUI::SetVirtualWnd(const wchar_t* name) {
    m_sVirtualWnd = name;
    if (m_pManager) m_pManager->SetUsePages(true);
}

// ---------------------------------------------------------------------------------------------------
// Geometry. Getters of layout sizes scale; setters store what they are given.

int CControlUI::Scaled(int value) const { return m_pManager ? m_pManager->GetDpiScaler()->Scale(value) : value; }

RECT CControlUI::ScaledMargins(const RECT& margins) const {
    return RECT{Scaled(margins.left), Scaled(margins.top), Scaled(margins.right), Scaled(margins.bottom)};
}

SIZE CControlUI::ScaledSize(SIZE size) const { return SIZE{Scaled(size.cx), Scaled(size.cy)}; }

RECT CControlUI::GetRelativePos() const {
    if (!m_pParent) return RECT{};
    CUIRect rect = m_rcItem;
    const RECT& parent = m_pParent->GetPos();
    rect.Offset(-parent.left, -parent.top);
    return rect;
}

RECT CControlUI::GetClientPos() const { return m_rcItem; }
const RECT& CControlUI::GetPos() const { return m_rcItem; }
int CControlUI::GetWidth() const { return m_rcItem.Width(); }
int CControlUI::GetHeight() const { return m_rcItem.Height(); }
int CControlUI::GetX() const { return m_rcItem.left; }
int CControlUI::GetY() const { return m_rcItem.top; }

void CControlUI::SetPos(RECT rect, bool needInvalidate) {
    if (rect.right < rect.left) rect.right = rect.left;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    CUIRect invalidateRect = m_rcItem;
    if (IsRectEmpty(&invalidateRect)) invalidateRect = rect;
    m_rcItem = rect;
    if (!m_pManager) return;
    if (!m_bSetPos) {
        m_bSetPos = true;
        if (OnSize) OnSize(this);
        m_bSetPos = false;
    }
    m_bUpdateNeeded = false;
    if (needInvalidate && IsVisible()) {
        invalidateRect.Union(m_rcItem);
        if (ClipToAncestors(invalidateRect)) m_pManager->InvalidateArea(invalidateRect);
    }
}

void CControlUI::Move(SIZE offset, bool /*needInvalidate*/) {
    m_cXY.cx += offset.cx;
    m_cXY.cy += offset.cy;
    NeedParentUpdate();
}

RECT CControlUI::GetPadding() const { return ScaledMargins(m_rcPadding); }

void CControlUI::SetPadding(RECT padding) {
    m_rcPadding = padding;
    NeedParentUpdate();
}

SIZE CControlUI::GetFixedXY() const { return ScaledSize(m_cXY); }

void CControlUI::SetFixedXY(SIZE xy) {
    m_cXY = xy;
    NeedParentUpdate();
}

int CControlUI::GetFixedWidth() const { return Scaled(m_cxyFixed.cx); }

void CControlUI::SetFixedWidth(int cx) {
    if (cx < 0) return;
    m_cxyFixed.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetFixedHeight() const { return Scaled(m_cxyFixed.cy); }

void CControlUI::SetFixedHeight(int cy) {
    if (cy < 0) return;
    m_cxyFixed.cy = cy;
    NeedParentUpdate();
}

int CControlUI::GetMinWidth() const { return Scaled(m_cxyMin.cx); }

void CControlUI::SetMinWidth(int cx) {
    if (cx < 0 || m_cxyMin.cx == cx) return;
    m_cxyMin.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetMaxWidth() const { return Scaled(m_cxyMax.cx); }

void CControlUI::SetMaxWidth(int cx) {
    if (cx < 0 || m_cxyMax.cx == cx) return;
    m_cxyMax.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetMinHeight() const { return Scaled(m_cxyMin.cy); }

void CControlUI::SetMinHeight(int cy) {
    if (cy < 0 || m_cxyMin.cy == cy) return;
    m_cxyMin.cy = cy;
    NeedParentUpdate();
}

int CControlUI::GetMaxHeight() const { return Scaled(m_cxyMax.cy); }

void CControlUI::SetMaxHeight(int cy) {
    if (cy < 0 || m_cxyMax.cy == cy) return;
    m_cxyMax.cy = cy;
    NeedParentUpdate();
}

TPercentInfo CControlUI::GetFloatPercent() const { return m_piFloatPercent; }

void CControlUI::SetFloatPercent(TPercentInfo percent) {
    m_piFloatPercent = percent;
    NeedParentUpdate();
}

void CControlUI::SetFloatAlign(UINT align) {
    m_uFloatAlign = align;
    NeedParentUpdate();
}

UINT CControlUI::GetFloatAlign() const { return m_uFloatAlign; }

SIZE CControlUI::EstimateSize(SIZE /*available*/) { return SIZE{GetFixedWidth(), GetFixedHeight()}; }

bool CControlUI::ClipToAncestors(RECT& rect) const {
    for (CControlUI* parent = m_pParent; parent; parent = parent->GetParent()) {
        if (!parent->IsVisible()) return false;
        const RECT& parentRect = parent->GetPos();
        if (!IntersectRects(rect, rect, parentRect)) return false;
    }
    return !IsRectEmpty(&rect);
}

void CControlUI::Invalidate() {
    if (!IsVisible()) return;
    RECT rect = m_rcItem;
    if (m_pManager && ClipToAncestors(rect)) m_pManager->InvalidateArea(rect);
}

void CControlUI::NeedUpdate() {
    if (!IsVisible()) return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager) m_pManager->RequestLayout();
}

void CControlUI::NeedParentUpdate() {
    // NeedUpdate invalidates too.
    if (m_pParent) {
        m_pParent->NeedUpdate();
    } else {
        NeedUpdate();
    }
    if (m_pManager) m_pManager->RequestLayout();
}

// ---------------------------------------------------------------------------------------------------
// Visibility and input state.

bool CControlUI::IsVisible() const { return m_bVisible && m_bInternVisible; }

void CControlUI::SetVisible(bool visible) {
    if (m_bVisible == visible) return;
    const bool wasVisible = IsVisible();
    m_bVisible = visible;
    m_bFocused = false;
    if (!visible && m_pManager && m_pManager->GetFocusedControl() == this) m_pManager->FocusControl(nullptr);
    if (IsVisible() != wasVisible) NeedParentUpdate();
}

void CControlUI::SetInternVisible(bool visible) {
    m_bInternVisible = visible;
    if (!visible && m_pManager && m_pManager->GetFocusedControl() == this) m_pManager->FocusControl(nullptr);
}

bool CControlUI::IsEnabled() const { return m_bEnabled; }

void CControlUI::SetEnabled(bool enable) {
    if (m_bEnabled == enable) return;
    m_bEnabled = enable;
    Invalidate();
}

bool CControlUI::IsMouseEnabled() const { return m_bMouseEnabled; }
void CControlUI::SetMouseEnabled(bool enable) { m_bMouseEnabled = enable; }
bool CControlUI::IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
void CControlUI::SetKeyboardEnabled(bool enable) { m_bKeyboardEnabled = enable; }
bool CControlUI::IsFocused() const { return m_bFocused; }

void CControlUI::SetFocus() {
    if (m_pManager) m_pManager->FocusControl(this);
}

bool CControlUI::IsFloat() const { return m_bFloat; }

void CControlUI::SetFloat(bool isFloat) {
    if (m_bFloat == isFloat) return;
    m_bFloat = isFloat;
    NeedParentUpdate();
}

CControlUI* CControlUI::FindControl(FindControlProc proc, void* data, UINT flags) {
    if ((flags & UIFIND_VISIBLE) && !IsVisible()) return nullptr;
    if ((flags & UIFIND_ENABLED) && !IsEnabled()) return nullptr;
    if ((flags & UIFIND_HITTEST) && (!m_bMouseEnabled || !PtInRect(&m_rcItem, *static_cast<POINT*>(data))))
        return nullptr;
    if (flags & UIFIND_UPDATETEST) {
        // An update search collects every out-of-date control in the visitor's list: one found here
        // must not end it, any more than an out-of-date container does.
        proc(this, data);
        return nullptr;
    }
    return proc(this, data);
}

// ---------------------------------------------------------------------------------------------------
// Initialisation and events.

void CControlUI::Init() {
    DoInit();
    if (OnInit) OnInit(this);
}

void CControlUI::DoInit() {}

void CControlUI::Event(TUIEvent& event) {
    if (OnEvent(&event)) DoEvent(event);
}

void CControlUI::DoEvent(TUIEvent& event) {
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        ::SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(m_wCursor ? m_wCursor : kArrowCursor)));
        return;
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        Invalidate();
        return;
    case UIEVENT_TIMER:
        if (m_pManager) m_pManager->RaiseNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case UIEVENT_CONTEXTMENU:
        if (IsContextMenuUsed()) {
            if (m_pManager) m_pManager->RaiseNotify(this, L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    default:
        break;
    }
    if (m_pParent) m_pParent->DoEvent(event);
}

bool CControlUI::SetTimer(UINT id, UINT elapse) {
    return m_pManager ? m_pManager->StartControlTimer(this, id, elapse) : false;
}

bool CControlUI::KillTimer(UINT id) { return m_pManager ? m_pManager->StopControlTimer(this, id) : false; }

// ---------------------------------------------------------------------------------------------------
// Look.

void CControlUI::SetBkColor(DWORD color) {
    if (m_dwBackColor == color) return;
    m_dwBackColor = color;
    Invalidate();
}

void CControlUI::SetBkColor2(DWORD color) {
    if (m_dwBackColor2 == color) return;
    m_dwBackColor2 = color;
    Invalidate();
}

void CControlUI::SetBkColor3(DWORD color) {
    if (m_dwBackColor3 == color) return;
    m_dwBackColor3 = color;
    Invalidate();
}

void CControlUI::SetForeColor(DWORD color) {
    if (m_dwForeColor == color) return;
    m_dwForeColor = color;
    Invalidate();
}

void CControlUI::SetBorderColor(DWORD color) {
    if (m_dwBorderColor == color) return;
    m_dwBorderColor = color;
    Invalidate();
}

void CControlUI::SetFocusBorderColor(DWORD color) {
    if (m_dwFocusBorderColor == color) return;
    m_dwFocusBorderColor = color;
    Invalidate();
}

void CControlUI::SetColorHSL(bool hsl) {
    if (m_bColorHSL == hsl) return;
    m_bColorHSL = hsl;
    Invalidate();
}

void CControlUI::SetGradient(const wchar_t* gradient) {
    if (m_sGradient == gradient) return;
    m_sGradient = gradient;
    Invalidate();
}

void CControlUI::SetBkImage(const wchar_t* image) {
    if (m_pManager) m_pManager->RemoveImageDrawInfo(image);
    if (m_sBkImage == image) return;
    m_sBkImage = image;
    Invalidate();
}

void CControlUI::SetForeImage(const wchar_t* image) {
    if (m_sForeImage == image) return;
    m_sForeImage = image;
    Invalidate();
}

int CControlUI::GetBorderSize() const { return Scaled(m_nBorderSize); }

void CControlUI::SetBorderSize(int size) {
    if (m_nBorderSize == size) return;
    m_nBorderSize = size;
    Invalidate();
}

void CControlUI::SetBorderSize(RECT sizes) {
    m_rcBorderSize = sizes;
    Invalidate();
}

void CControlUI::SetLeftBorderSize(int size) {
    m_rcBorderSize.left = size;
    Invalidate();
}

void CControlUI::SetTopBorderSize(int size) {
    m_rcBorderSize.top = size;
    Invalidate();
}

void CControlUI::SetRightBorderSize(int size) {
    m_rcBorderSize.right = size;
    Invalidate();
}

void CControlUI::SetBottomBorderSize(int size) {
    m_rcBorderSize.bottom = size;
    Invalidate();
}

void CControlUI::SetBorderStyle(int style) {
    m_nBorderStyle = style;
    Invalidate();
}

SIZE CControlUI::GetBorderRound() const { return ScaledSize(m_cxyBorderRound); }

void CControlUI::SetBorderRound(SIZE round) {
    m_cxyBorderRound = round;
    Invalidate();
}

DWORD CControlUI::GetAdjustColor(DWORD color) const {
    if (!m_bColorHSL) return color;
    short hue = 0;
    short saturation = 0;
    short lightness = 0;
    CPaintManagerUI::GetHSL(&hue, &saturation, &lightness);
    return CUIRender::AdjustColor(color, hue, saturation, lightness);
}

bool CControlUI::DrawImage(HDC hdc, const wchar_t* image, const wchar_t* modify) {
    return CUIRender::DrawImageString(hdc, m_pManager, m_rcItem, m_rcPaint, image, modify, m_instance);
}

// ---------------------------------------------------------------------------------------------------
// Painting: background colour, background image, status image, fore colour, fore image, text, border.

bool CControlUI::Paint(HDC hdc, const RECT& paintRect, CControlUI* stopControl) {
    if (stopControl == this) return false;
    if (!IntersectRects(m_rcPaint, paintRect, m_rcItem)) return true;
    return DoPaint(hdc, m_rcPaint, stopControl);
}

bool CControlUI::DoPaint(HDC hdc, const RECT& /*paintRect*/, CControlUI* /*stopControl*/) {
    const SIZE round = GetBorderRound();
    CUIRenderClip roundClip;
    if (round.cx > 0 || round.cy > 0)
        CUIRenderClip::GenerateRoundClip(hdc, m_rcPaint, m_rcItem, round.cx, round.cy, roundClip);
    PaintBkColor(hdc);
    PaintBkImage(hdc);
    PaintStatusImage(hdc);
    PaintForeColor(hdc);
    PaintForeImage(hdc);
    PaintText(hdc);
    PaintBorder(hdc);
    return true;
}

void CControlUI::PaintBkColor(HDC hdc) {
    if (m_dwBackColor == 0) return;
    const bool vertical = m_sGradient.CompareIgnoreCase(L"hor") != 0;
    if (m_dwBackColor2 && m_dwBackColor3) {
        const int middle = (m_rcItem.top + m_rcItem.bottom) / 2;
        RECT upper = m_rcItem;
        upper.bottom = middle;
        CUIRender::DrawGradient(hdc, upper, GetAdjustColor(m_dwBackColor), GetAdjustColor(m_dwBackColor2),
                                vertical, 8);
        RECT lower = m_rcItem;
        lower.top = middle;
        CUIRender::DrawGradient(hdc, lower, GetAdjustColor(m_dwBackColor2), GetAdjustColor(m_dwBackColor3),
                                vertical, 8);
    } else if (m_dwBackColor2) {
        CUIRender::DrawGradient(hdc, m_rcItem, GetAdjustColor(m_dwBackColor), GetAdjustColor(m_dwBackColor2),
                                vertical, 16);
    } else if ((m_dwBackColor >> 24) == 0xFF) {
        CUIRender::DrawColor(hdc, m_rcPaint, GetAdjustColor(m_dwBackColor));
    } else {
        CUIRender::DrawColor(hdc, m_rcItem, GetAdjustColor(m_dwBackColor));
    }
}

void CControlUI::PaintBkImage(HDC hdc) {
    if (!m_sBkImage.IsEmpty()) DrawImage(hdc, m_sBkImage.Data());
}

void CControlUI::PaintStatusImage(HDC /*hdc*/) {}

void CControlUI::PaintForeColor(HDC hdc) { CUIRender::DrawColor(hdc, m_rcItem, GetAdjustColor(m_dwForeColor)); }

void CControlUI::PaintForeImage(HDC hdc) {
    if (!m_sForeImage.IsEmpty()) DrawImage(hdc, m_sForeImage.Data());
}

void CControlUI::PaintText(HDC /*hdc*/) {}

void CControlUI::PaintBorder(HDC hdc) {
    if (m_dwBorderColor == 0 && m_dwFocusBorderColor == 0) return;
    const int size = GetBorderSize();
    const SIZE round = GetBorderRound();
    const RECT sides = ScaledMargins(m_rcBorderSize);
    const bool focusLook = m_bFocused && m_dwFocusBorderColor != 0;
    const DWORD border = GetAdjustColor(m_dwBorderColor);
    if (size > 0 && (round.cx > 0 || round.cy > 0)) {
        const DWORD color = focusLook ? GetAdjustColor(m_dwFocusBorderColor) : border;
        CUIRender::DrawRoundRect(hdc, m_rcItem, size, round.cx, round.cy, color, m_nBorderStyle);
    } else if (focusLook && size > 0) {
        CUIRender::DrawRect(hdc, m_rcItem, size, GetAdjustColor(m_dwFocusBorderColor), m_nBorderStyle);
    } else if (HasAnySide(sides)) {
        const CUIRect& r = m_rcItem;
        if (sides.left > 0) CUIRender::DrawLine(hdc, {r.left, r.top, r.left, r.bottom}, sides.left, border, m_nBorderStyle);
        if (sides.top > 0) CUIRender::DrawLine(hdc, {r.left, r.top, r.right, r.top}, sides.top, border, m_nBorderStyle);
        if (sides.right > 0)
            CUIRender::DrawLine(hdc, {r.right - 1, r.top, r.right - 1, r.bottom}, sides.right, border, m_nBorderStyle);
        if (sides.bottom > 0)
            CUIRender::DrawLine(hdc, {r.left, r.bottom - 1, r.right, r.bottom - 1}, sides.bottom, border, m_nBorderStyle);
    } else if (size > 0) {
        CUIRender::DrawRect(hdc, m_rcItem, size, border, m_nBorderStyle);
    }
}

void CControlUI::DoPostPaint(HDC /*hdc*/, const RECT& /*paintRect*/) {}

// Only this class's own painting is known here: subclasses with a painting of their own say what they
// cover themselves.
void CControlUI::CollectOpaqueCover(const RECT& within, std::vector<RECT>& cover) const {
    if (typeid(*this) == typeid(CControlUI)) CollectOpaqueBackground(within, cover);
}

bool CControlUI::CollectOpaqueBackground(const RECT& within, std::vector<RECT>& cover) const {
    return m_dwBackColor2 == 0 && CollectOpaqueFill(m_dwBackColor, within, cover);
}

bool CControlUI::CollectOpaqueFill(DWORD color, const RECT& within, std::vector<RECT>& cover) const {
    if ((color >> 24) != 0xFF) return false;
    const SIZE round = GetBorderRound();
    if (round.cx <= 0 && round.cy <= 0) {
        RECT part;
        if (IntersectRects(part, m_rcItem, within)) cover.push_back(part);
        return true;
    }
    // The rounded clip cuts the corners within half the ellipse (a pixel more for its rounding): the
    // cross between them is filled.
    const int cutX = round.cx / 2 + 1, cutY = round.cy / 2 + 1;
    const RECT& r = m_rcItem;
    for (const RECT& arm : {RECT{r.left + cutX, r.top, r.right - cutX, r.bottom}, RECT{r.left, r.top + cutY, r.right, r.bottom - cutY}}) {
        RECT part;
        if (IntersectRects(part, arm, within)) cover.push_back(part);
    }
    return true;
}

}  // namespace SkinUI
