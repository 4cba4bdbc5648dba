#include "UIScrollBar.h"

#include "UIAttributes.h"
#include "UIContainer.h"
#include "UIManager.h"
#include "UIRender.h"

#include <cstdlib>

namespace SkinUI {

namespace {

constexpr DWORD kPartOutlineColor = 0xFF85E4FF;  // drawn round a button or thumb that has no image

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

bool Contains(const RECT& rect, POINT point) { return PtInRect(&rect, point) != FALSE; }

// Image attributes: name, part and state.
struct TImageAttribute {
    const wchar_t* name;
    int part;  // 0 button 1, 1 button 2, 2 thumb, 3 rail, 4 background
    CScrollBarUI::ImageState state;
};

constexpr TImageAttribute kImageAttributes[] = {
    {L"button1normalimage", 0, CScrollBarUI::kNormal}, {L"button1hotimage", 0, CScrollBarUI::kHot},
    {L"button1pushedimage", 0, CScrollBarUI::kPushed}, {L"button1disabledimage", 0, CScrollBarUI::kDisabled},
    {L"button2normalimage", 1, CScrollBarUI::kNormal}, {L"button2hotimage", 1, CScrollBarUI::kHot},
    {L"button2pushedimage", 1, CScrollBarUI::kPushed}, {L"button2disabledimage", 1, CScrollBarUI::kDisabled},
    {L"thumbnormalimage", 2, CScrollBarUI::kNormal},   {L"thumbhotimage", 2, CScrollBarUI::kHot},
    {L"thumbpushedimage", 2, CScrollBarUI::kPushed},   {L"thumbdisabledimage", 2, CScrollBarUI::kDisabled},
    {L"railnormalimage", 3, CScrollBarUI::kNormal},    {L"railhotimage", 3, CScrollBarUI::kHot},
    {L"railpushedimage", 3, CScrollBarUI::kPushed},    {L"raildisabledimage", 3, CScrollBarUI::kDisabled},
    {L"bknormalimage", 4, CScrollBarUI::kNormal},      {L"bkhotimage", 4, CScrollBarUI::kHot},
    {L"bkpushedimage", 4, CScrollBarUI::kPushed},      {L"bkdisabledimage", 4, CScrollBarUI::kDisabled},
};

}  // namespace

CScrollBarUI::CScrollBarUI() { m_cxyFixed.cx = kDefaultThickness; }

CControlUI* CScrollBarUI::CreateControl() { return new CScrollBarUI; }

const wchar_t* CScrollBarUI::GetClass() const { return L"ScrollBarUI"; }

void* CScrollBarUI::GetInterface(const wchar_t* name) {
    return Is(name, L"ScrollBar") ? this : CControlUI::GetInterface(name);
}

// ---------------------------------------------------------------------------------------------------
// Settings.

void CScrollBarUI::SetHorizontal(bool horizontal) {
    if (m_bHorizontal == horizontal) return;
    m_bHorizontal = horizontal;
    if (horizontal && m_cxyFixed.cy == 0) {
        m_cxyFixed.cx = 0;
        m_cxyFixed.cy = kDefaultThickness;
    } else if (!horizontal && m_cxyFixed.cx == 0) {
        m_cxyFixed.cy = 0;
        m_cxyFixed.cx = kDefaultThickness;
    }
    if (m_pOwner) {
        m_pOwner->NeedUpdate();
    } else {
        NeedParentUpdate();
    }
}

void CScrollBarUI::SetScrollRange(int range) {
    LONGLONG value = range;
    if (value == m_nRange) return;
    if (value < 0) value = 0;
    m_nRange = value;
    if (m_nScrollPos > m_nRange) m_nScrollPos = m_nRange;
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetScrollPos(int pos) {
    LONGLONG value = pos;
    if (value == m_nScrollPos) return;
    if (value < 0) value = 0;
    if (value > m_nRange) value = m_nRange;
    m_nScrollPos = value;
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetShowButton1(bool show) {
    m_bShowButton1 = show;
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetShowButton2(bool show) {
    m_bShowButton2 = show;
    SetPos(m_rcItem, true);
}

void CScrollBarUI::SetButton1Image(ImageState state, const wchar_t* image) {
    m_sButton1Images[state] = image;
    Invalidate();
}

void CScrollBarUI::SetButton2Image(ImageState state, const wchar_t* image) {
    m_sButton2Images[state] = image;
    Invalidate();
}

void CScrollBarUI::SetThumbImage(ImageState state, const wchar_t* image) {
    m_sThumbImages[state] = image;
    Invalidate();
}

void CScrollBarUI::SetRailImage(ImageState state, const wchar_t* image) {
    m_sRailImages[state] = image;
    Invalidate();
}

void CScrollBarUI::SetBkImageOfState(ImageState state, const wchar_t* image) {
    m_sBkImages[state] = image;
    Invalidate();
}

void CScrollBarUI::SetVisible(bool visible) {
    // The owner lays itself out again through ProcessScrollBar: no parent update here.
    if (m_bVisible == visible) return;
    m_bVisible = visible;
    m_bFocused = false;
}

void CScrollBarUI::SetEnabled(bool enable) {
    CControlUI::SetEnabled(enable);
    if (!enable) {
        m_uButton1State = 0;
        m_uButton2State = 0;
        m_uThumbState = 0;
    }
}

void CScrollBarUI::SetFocus() {
    if (m_pOwner) {
        m_pOwner->SetFocus();
    } else {
        CControlUI::SetFocus();
    }
}

void CScrollBarUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!value) value = L"";
    for (const TImageAttribute& image : kImageAttributes) {
        if (!Is(name, image.name)) continue;
        switch (image.part) {
        case 0: SetButton1Image(image.state, value); break;
        case 1: SetButton2Image(image.state, value); break;
        case 2: SetThumbImage(image.state, value); break;
        case 3: SetRailImage(image.state, value); break;
        default: SetBkImageOfState(image.state, value); break;
        }
        return;
    }
    if (Is(name, L"hor")) SetHorizontal(IsTrue(value));
    else if (Is(name, L"linesize")) SetLineSize(ParseInt(value));
    else if (Is(name, L"range")) SetScrollRange(ParseInt(value));
    else if (Is(name, L"value")) SetScrollPos(ParseInt(value));
    else if (Is(name, L"showbutton1")) SetShowButton1(IsTrue(value));
    else if (Is(name, L"showbutton2")) SetShowButton2(IsTrue(value));
    else CControlUI::SetAttribute(name, value);
}

// ---------------------------------------------------------------------------------------------------
// Geometry of buttons and thumb.

void CScrollBarUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    if (m_bHorizontal) {
        LayoutHorizontal();
    } else {
        LayoutVertical();
    }
}

void CScrollBarUI::LayoutVertical() {
    const CUIRect& r = m_rcItem;
    const int w = GetFixedWidth();
    const int height = r.Height();
    const int track = height - (m_bShowButton1 ? w : 0) - (m_bShowButton2 ? w : 0);
    if (w >= track) {
        // No room for a thumb: the buttons share the length.
        const int button = w < height / 2 ? w : height / 2;
        m_rcButton1 = m_bShowButton1 ? CUIRect(r.left, r.top, r.left + w, r.top + button) : CUIRect(r.left, r.top, r.left, r.top);
        m_rcButton2 = m_bShowButton2 ? CUIRect(r.left, r.bottom - button, r.left + w, r.bottom)
                                     : CUIRect(r.left, r.bottom, r.left, r.bottom);
        m_rcThumb = CUIRect();
        return;
    }
    m_rcButton1 = m_bShowButton1 ? CUIRect(r.left, r.top, r.left + w, r.top + w) : CUIRect(r.left, r.top, r.left, r.top);
    m_rcButton2 = m_bShowButton2 ? CUIRect(r.left, r.bottom - w, r.left + w, r.bottom) : CUIRect(r.left, r.bottom, r.left, r.bottom);
    const int start = m_rcButton1.bottom;
    m_rcThumb.left = r.left;
    m_rcThumb.right = r.left + w;
    if (m_nRange <= 0) {
        m_rcThumb.top = start;
        m_rcThumb.bottom = m_rcButton2.top;
        return;
    }
    LONGLONG length = static_cast<LONGLONG>(height) * track / (height + m_nRange);
    if (length < w) length = w;
    const float fraction = static_cast<float>(m_nScrollPos) / static_cast<float>(m_nRange);
    m_rcThumb.top = static_cast<int>(fraction * static_cast<float>(track - length)) + start;
    m_rcThumb.bottom = m_rcThumb.top + static_cast<int>(length);
    if (m_rcThumb.bottom > m_rcButton2.top) {
        m_rcThumb.top = m_rcButton2.top - static_cast<int>(length);
        m_rcThumb.bottom = m_rcButton2.top;
    }
}

void CScrollBarUI::LayoutHorizontal() {
    const CUIRect& r = m_rcItem;
    const int h = GetFixedHeight();
    const int width = r.Width();
    const int track = width - (m_bShowButton1 ? h : 0) - (m_bShowButton2 ? h : 0);
    if (h >= track) {
        const int button = h < width / 2 ? h : width / 2;
        m_rcButton1 = m_bShowButton1 ? CUIRect(r.left, r.top, r.left + button, r.top + h) : CUIRect(r.left, r.top, r.left, r.top);
        m_rcButton2 = m_bShowButton2 ? CUIRect(r.right - button, r.top, r.right, r.top + h)
                                     : CUIRect(r.right, r.top, r.right, r.top);
        m_rcThumb = CUIRect();
        return;
    }
    m_rcButton1 = m_bShowButton1 ? CUIRect(r.left, r.top, r.left + h, r.top + h) : CUIRect(r.left, r.top, r.left, r.top);
    m_rcButton2 = m_bShowButton2 ? CUIRect(r.right - h, r.top, r.right, r.top + h) : CUIRect(r.right, r.top, r.right, r.top);
    const int start = m_rcButton1.right;
    m_rcThumb.top = r.top;
    m_rcThumb.bottom = r.top + h;
    if (m_nRange <= 0) {
        m_rcThumb.left = start;
        m_rcThumb.right = m_rcButton2.left;
        return;
    }
    LONGLONG length = static_cast<LONGLONG>(width) * track / (width + m_nRange);
    if (length < h) length = h;
    m_rcThumb.left = static_cast<int>((track - length) * m_nScrollPos / m_nRange) + start;
    m_rcThumb.right = m_rcThumb.left + static_cast<int>(length);
    if (m_rcThumb.right > m_rcButton2.left) {
        m_rcThumb.left = m_rcButton2.left - static_cast<int>(length);
        m_rcThumb.right = m_rcButton2.left;
    }
}

// ---------------------------------------------------------------------------------------------------
// Scrolling: through the owner when there is one.

void CScrollBarUI::ScrollLineBack() {
    if (!m_pOwner) {
        SetScrollPos(GetScrollPos() - m_nLineSize);
    } else if (m_bHorizontal) {
        m_pOwner->LineLeft();
    } else {
        m_pOwner->LineUp();
    }
}

void CScrollBarUI::ScrollLineForward() {
    if (!m_pOwner) {
        SetScrollPos(GetScrollPos() + m_nLineSize);
    } else if (m_bHorizontal) {
        m_pOwner->LineRight();
    } else {
        m_pOwner->LineDown();
    }
}

void CScrollBarUI::ScrollPageBack() {
    if (!m_pOwner) {
        SetScrollPos(GetScrollPos() - Length());
    } else if (m_bHorizontal) {
        m_pOwner->PageLeft();
    } else {
        m_pOwner->PageUp();
    }
}

void CScrollBarUI::ScrollPageForward() {
    if (!m_pOwner) {
        SetScrollPos(GetScrollPos() + Length());
    } else if (m_bHorizontal) {
        m_pOwner->PageRight();
    } else {
        m_pOwner->PageDown();
    }
}

void CScrollBarUI::MoveToDragPosition() {
    const int target = m_nLastScrollPos + m_nLastScrollOffset;
    if (!m_pOwner) {
        SetScrollPos(target);
        return;
    }
    SIZE pos = m_pOwner->GetScrollPos();
    if (m_bHorizontal) {
        pos.cx = target;
    } else {
        pos.cy = target;
    }
    m_pOwner->SetScrollPos(pos);
}

void CScrollBarUI::RaiseScroll() {
    if (m_pManager) m_pManager->RaiseNotify(this, L"scroll", 0, 0);
}

// ---------------------------------------------------------------------------------------------------
// Events.

void CScrollBarUI::DoEvent(TUIEvent& event) {
    const bool mouseEvent = event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND;
    if (!IsMouseEnabled() && mouseEvent) {
        if (m_pOwner) {
            m_pOwner->DoEvent(event);
        } else {
            CControlUI::DoEvent(event);
        }
        return;
    }
    switch (event.Type) {
    case UIEVENT_SETFOCUS:
    case UIEVENT_KILLFOCUS:
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        if (OnButtonDown(event)) return;
        break;
    case UIEVENT_BUTTONUP:
        OnButtonUp();
        return;
    case UIEVENT_MOUSEMOVE:
        OnMouseMove(event);
        return;
    case UIEVENT_TIMER:
        if (event.wParam == kRepeatTimerId) {
            if (OnRepeatTimer()) RaiseScroll();
            return;
        }
        break;
    case UIEVENT_MOUSEENTER:
        if (IsEnabled()) {
            m_uButton1State |= UISTATE_HOT;
            m_uButton2State |= UISTATE_HOT;
            if (Contains(m_rcThumb, event.ptMouse)) m_uThumbState |= UISTATE_HOT;
            Invalidate();
            return;
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButton1State &= ~UISTATE_HOT;
            m_uButton2State &= ~UISTATE_HOT;
            m_uThumbState &= ~UISTATE_HOT;
            Invalidate();
            return;
        }
        break;
    default:
        break;
    }
    if (m_pOwner) {
        m_pOwner->DoEvent(event);
    } else {
        CControlUI::DoEvent(event);
    }
}

bool CScrollBarUI::OnButtonDown(const TUIEvent& event) {
    if (!IsEnabled()) return false;
    m_nLastScrollOffset = 0;
    m_nScrollRepeatDelay = 0;
    SetTimer(kRepeatTimerId, kRepeatElapse);
    const POINT point = event.ptMouse;
    if (Contains(m_rcButton1, point)) {
        m_uButton1State |= UISTATE_PUSHED;
        ScrollLineBack();
    } else if (Contains(m_rcButton2, point)) {
        m_uButton2State |= UISTATE_PUSHED;
        ScrollLineForward();
    } else if (Contains(m_rcThumb, point)) {
        m_uThumbState |= UISTATE_CAPTURED | UISTATE_PUSHED;
        m_ptLastMouse = point;
        m_nLastScrollPos = GetScrollPos();
    } else if (Along(point) < (m_bHorizontal ? m_rcThumb.left : m_rcThumb.top)) {
        ScrollPageBack();
    } else {
        ScrollPageForward();
    }
    RaiseScroll();
    return true;
}

bool CScrollBarUI::OnButtonUp() {
    m_nScrollRepeatDelay = 0;
    m_nLastScrollOffset = 0;
    KillTimer(kRepeatTimerId);
    if (m_uThumbState & UISTATE_CAPTURED) {
        m_uThumbState &= ~(UISTATE_CAPTURED | UISTATE_PUSHED);
    } else if (m_uButton1State & UISTATE_PUSHED) {
        m_uButton1State &= ~UISTATE_PUSHED;
    } else if (m_uButton2State & UISTATE_PUSHED) {
        m_uButton2State &= ~UISTATE_PUSHED;
    } else {
        return false;
    }
    Invalidate();
    return true;
}

void CScrollBarUI::OnMouseMove(const TUIEvent& event) {
    if (m_uThumbState & UISTATE_CAPTURED) {
        const LONGLONG moved = Along(event.ptMouse) - Along(m_ptLastMouse);
        const int thumbLength = m_bHorizontal ? m_rcThumb.right - m_rcThumb.left : m_rcThumb.bottom - m_rcThumb.top;
        const LONGLONG travel = std::llabs(static_cast<LONGLONG>(Length()) - thumbLength - 2LL * Thickness());
        if (travel != 0) m_nLastScrollOffset = static_cast<int>(moved * m_nRange / travel);
        return;
    }
    if (!IsEnabled()) return;
    const bool hot = Contains(m_rcThumb, event.ptMouse);
    if (hot == ((m_uThumbState & UISTATE_HOT) != 0)) return;
    if (hot) {
        m_uThumbState |= UISTATE_HOT;
    } else {
        m_uThumbState &= ~UISTATE_HOT;
    }
    Invalidate();
}

// One tick of the repeat timer; true when it went on (and "scroll" is due).
bool CScrollBarUI::OnRepeatTimer() {
    ++m_nScrollRepeatDelay;
    if (m_uThumbState & UISTATE_CAPTURED) {
        MoveToDragPosition();
        Invalidate();
        return true;
    }
    if (m_nScrollRepeatDelay < kRepeatStartTick) return false;
    if (m_uButton1State & UISTATE_PUSHED) {
        ScrollLineBack();
    } else if (m_uButton2State & UISTATE_PUSHED) {
        ScrollLineForward();
    } else {
        HWND window = m_pManager ? m_pManager->GetWindowHandle() : nullptr;
        POINT cursor = {};
        if (window && GetCursorPos(&cursor) && ScreenToClient(window, &cursor)) {
            if (Along(cursor) < (m_bHorizontal ? m_rcThumb.left : m_rcThumb.top)) {
                ScrollPageBack();
            } else if (Along(cursor) > (m_bHorizontal ? m_rcThumb.right : m_rcThumb.bottom)) {
                ScrollPageForward();
            }
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Painting: background colour and image, background images, button 1, button 2, thumb, rail, border.

bool CScrollBarUI::DoPaint(HDC hdc, const RECT& /*paintRect*/, CControlUI* /*stopControl*/) {
    PaintBkColor(hdc);
    PaintBkImage(hdc);
    PaintPart(hdc, m_uThumbState, m_sBkImages, nullptr, false);
    if (m_bShowButton1) PaintPart(hdc, m_uButton1State, m_sButton1Images, &m_rcButton1, true);
    if (m_bShowButton2) PaintPart(hdc, m_uButton2State, m_sButton2Images, &m_rcButton2, true);
    PaintPart(hdc, m_uThumbState, m_sThumbImages, &m_rcThumb, true);
    PaintRail(hdc);
    PaintBorder(hdc);
    return true;
}

void CScrollBarUI::PaintPart(HDC hdc, UINT& state, const CUIString* images, const RECT* part, bool outlineFallback) {
    if (IsEnabled()) {
        state &= ~UISTATE_DISABLED;
    } else {
        state |= UISTATE_DISABLED;
    }
    const CUIString* special = (state & UISTATE_DISABLED) ? &images[kDisabled]
                               : (state & UISTATE_PUSHED) ? &images[kPushed]
                               : (state & UISTATE_HOT)    ? &images[kHot]
                                                          : nullptr;
    if (special && !special->IsEmpty() && DrawPartImage(hdc, *special, part)) return;
    if (!images[kNormal].IsEmpty() && DrawPartImage(hdc, images[kNormal], part)) return;
    if (outlineFallback && part) CUIRender::DrawRect(hdc, *part, 2, kPartOutlineColor);
}

// The description is drawn over the part, whatever "dest" it names. Parts move with the position: a
// description with the part as its "dest" would be a new entry of the window's cache at every position.
bool CScrollBarUI::DrawPartImage(HDC hdc, const CUIString& image, const RECT* part) {
    if (!part) return DrawImage(hdc, image.Data());
    const TImageDrawInfo* info = m_pManager ? m_pManager->GetImageDrawInfo(image.Data()) : nullptr;
    return info && CUIRender::DrawImage(hdc, m_pManager, m_rcItem, m_rcPaint, info->imageName.Data(),
                                        info->resourceType.Data(), *part, info->source, info->corner, info->mask,
                                        info->fade, info->hole, info->tiledX, info->tiledY, m_instance);
}

void CScrollBarUI::PaintRail(HDC hdc) {
    if (IsRectEmpty(&m_rcThumb)) return;
    const int thickness = Thickness();
    CUIRect grip = m_rcThumb;
    if (m_bHorizontal) {
        const int middle = (m_rcThumb.left + m_rcThumb.right) / 2;
        grip.left = middle - thickness / 2;
        grip.right = grip.left + thickness;
    } else {
        const int middle = (m_rcThumb.top + m_rcThumb.bottom) / 2;
        grip.top = middle - thickness / 2;
        grip.bottom = grip.top + thickness;
    }
    UINT state = m_uThumbState;
    const bool anyImage = !m_sRailImages[kNormal].IsEmpty() || !m_sRailImages[kHot].IsEmpty() ||
                          !m_sRailImages[kPushed].IsEmpty() || !m_sRailImages[kDisabled].IsEmpty();
    if (anyImage) PaintPart(hdc, state, m_sRailImages, &grip, false);
}

}  // namespace SkinUI
