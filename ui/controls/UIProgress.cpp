#include "UIProgress.h"

#include "UIAttributes.h"
#include "UIImage.h"
#include "UIManager.h"
#include "UIRender.h"

#include <algorithm>
#include <cmath>

namespace SkinUI {

namespace {

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

bool Inside(const RECT& rect, POINT point) { return PtInRect(&rect, point) != FALSE; }

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// numerator / denominator rounded to the nearest integer (halves away from zero).
int RoundedQuotient(long long numerator, long long denominator) {
    return static_cast<int>(std::llround(static_cast<double>(numerator) / static_cast<double>(denominator)));
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Geometry.

int TBarGeometry::Range() const {
    const long long range = static_cast<long long>(maximum) - minimum;
    return range > 0 ? static_cast<int>(std::min<long long>(range, 0x7FFFFFFF)) : 1;
}

int TBarGeometry::ClampedValue() const {
    const int top = minimum + Range();
    return std::max(minimum, std::min(value, top));
}

RECT TBarGeometry::FilledPart(int width, int height) const {
    const long long done = static_cast<long long>(ClampedValue()) - minimum;
    if (horizontal) return RECT{0, 0, static_cast<LONG>(width * done / Range()), height};
    return RECT{0, static_cast<LONG>(height - height * done / Range()), width, height};
}

RECT TBarGeometry::ThumbRect(SIZE thumb) const {
    const long long done = static_cast<long long>(ClampedValue()) - minimum;
    if (horizontal) {
        const int track = std::max(Width(item) - static_cast<int>(thumb.cx), 0);
        const LONG left = item.left + static_cast<LONG>(done * track / Range());
        const LONG top = (item.top + item.bottom - thumb.cy) / 2;
        return RECT{left, top, left + thumb.cx, top + thumb.cy};
    }
    const int track = std::max(Height(item) - static_cast<int>(thumb.cy), 0);
    const LONG left = (item.left + item.right - thumb.cx) / 2;
    const LONG top = item.bottom - thumb.cy - static_cast<LONG>(done * track / Range());
    return RECT{left, top, left + thumb.cx, top + thumb.cy};
}

int TBarGeometry::ValueAtThumbEdge(SIZE thumb, int position) const {
    long long travelled;
    int track;
    if (horizontal) {
        track = std::max(Width(item) - static_cast<int>(thumb.cx), 1);
        travelled = static_cast<long long>(position) - item.left;
    } else {
        track = std::max(Height(item) - static_cast<int>(thumb.cy), 1);
        travelled = static_cast<long long>(item.bottom) - thumb.cy - position;
    }
    travelled = std::max(0LL, std::min<long long>(travelled, track));
    const int value = minimum + RoundedQuotient(travelled * Range(), track);
    return std::min(value, std::max(minimum, maximum));  // an empty range keeps its only value
}

CUIString PercentText(int value, int minimum, int maximum) {
    TBarGeometry bar;
    bar.minimum = minimum;
    bar.maximum = maximum;
    bar.value = value;
    const long long done = static_cast<long long>(bar.ClampedValue()) - minimum;
    const long long range = bar.Range();
    CUIString text;
    text.Format(L"%d%%", static_cast<int>((200 * done + range) / (2 * range)));
    return text;
}

// ---------------------------------------------------------------------------------------------------
// Progress.

CProgressUI::CProgressUI() {
    m_uTextStyle = DT_CENTER | DT_SINGLELINE;
    m_cxyFixed.cy = 12;
}

CControlUI* CProgressUI::CreateControl() { return new CProgressUI; }

const wchar_t* CProgressUI::GetClass() const { return L"ProgressUI"; }

void* CProgressUI::GetInterface(const wchar_t* name) {
    return Is(name, L"Progress") ? this : CLabelUI::GetInterface(name);
}

void CProgressUI::SetMinValue(int value) {
    m_nMin = value;
    Invalidate();
}

void CProgressUI::SetMaxValue(int value) {
    m_nMax = value;
    Invalidate();
}

void CProgressUI::SetValue(int value) {
    if (value == m_nValue || value < m_nMin || value > m_nMax) return;
    m_nValue = value;
    Invalidate();
    UpdateText();
}

void CProgressUI::SetHorizontal(bool horizontal) {
    if (m_bHorizontal == horizontal) return;
    m_bHorizontal = horizontal;
    Invalidate();
}

void CProgressUI::SetStretchForeImage(bool stretch) {
    if (m_bStretchForeImage == stretch) return;
    m_bStretchForeImage = stretch;
    Invalidate();
}

void CProgressUI::SetShowText(bool show) {
    if (m_bShowText == show) return;
    m_bShowText = show;
    if (!show) SetText(L"");
}

void CProgressUI::UpdateText() {
    if (m_bShowText) SetText(PercentText(m_nValue, m_nMin, m_nMax).Data());
}

void CProgressUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"hor")) SetHorizontal(IsTrue(value));
    else if (Is(name, L"min")) SetMinValue(ParseInt(value));
    else if (Is(name, L"max")) SetMaxValue(ParseInt(value));
    else if (Is(name, L"value")) SetValue(ParseInt(value));
    else if (Is(name, L"isstretchfore")) SetStretchForeImage(IsTrue(value));
    else CLabelUI::SetAttribute(name, value);
}

void CProgressUI::Normalise() {
    if (m_nMax <= m_nMin) m_nMax = m_nMin + 1;
    m_nValue = std::max(m_nMin, std::min(m_nValue, m_nMax));
}

TBarGeometry CProgressUI::Geometry() const {
    TBarGeometry bar;
    bar.item = m_rcItem;
    bar.minimum = m_nMin;
    bar.maximum = m_nMax;
    bar.value = m_nValue;
    bar.horizontal = m_bHorizontal;
    return bar;
}

void CProgressUI::PaintForeColor(HDC hdc) {
    if (m_dwForeColor == 0) return;
    Normalise();
    RECT filled = Geometry().FilledPart(m_rcItem.Width(), m_rcItem.Height());
    OffsetRect(&filled, m_rcItem.left, m_rcItem.top);
    CUIRender::DrawColor(hdc, filled, GetAdjustColor(m_dwForeColor));
}

bool CProgressUI::DrawImageOver(HDC hdc, const CUIString& image, const RECT& dest, const RECT* source) {
    const TImageDrawInfo* info = m_pManager ? m_pManager->GetImageDrawInfo(image.Data()) : nullptr;
    if (!info) return false;
    return CUIRender::DrawImage(hdc, m_pManager, m_rcItem, m_rcPaint, info->imageName.Data(), info->resourceType.Data(),
                                dest, source ? *source : info->source, info->corner, info->mask, info->fade, info->hole,
                                info->tiledX, info->tiledY, m_instance);
}

// The filled part is drawn directly rather than through a description made for the value: such texts
// would fill the window's description cache with one entry per value.
void CProgressUI::PaintForeImage(HDC hdc) {
    Normalise();
    if (m_sForeImage.IsEmpty() || !m_pManager) return;
    const TImageDrawInfo* info = m_pManager->GetImageDrawInfo(m_sForeImage.Data());
    if (!info) return;
    RECT area = {0, 0, m_rcItem.Width(), m_rcItem.Height()};
    const RECT& d = info->dest;
    if (d.left || d.top || d.right || d.bottom) area = d;
    RECT filled = Geometry().FilledPart(Width(area), Height(area));
    OffsetRect(&filled, area.left, area.top);
    RECT dest = filled;
    OffsetRect(&dest, m_rcItem.left, m_rcItem.top);
    dest.right = std::min(dest.right, m_rcItem.right);
    dest.bottom = std::min(dest.bottom, m_rcItem.bottom);
    if (IsRectEmpty(&dest)) return;
    DrawImageOver(hdc, m_sForeImage, dest, m_bStretchForeImage ? nullptr : &filled);
}

// ---------------------------------------------------------------------------------------------------
// Slider.

CSliderUI::CSliderUI() { m_uTextStyle = DT_CENTER | DT_SINGLELINE; }

CControlUI* CSliderUI::CreateControl() { return new CSliderUI; }

const wchar_t* CSliderUI::GetClass() const { return L"SliderUI"; }

void* CSliderUI::GetInterface(const wchar_t* name) { return Is(name, L"Slider") ? this : CProgressUI::GetInterface(name); }

UINT CSliderUI::GetControlFlags() const { return IsEnabled() ? UIFLAG_SETCURSOR : 0u; }

void CSliderUI::SetEnabled(bool enable) {
    CProgressUI::SetEnabled(enable);
    if (!IsEnabled()) m_uButtonState = 0;
}

void CSliderUI::SetValue(int value) {
    if (m_uButtonState & UISTATE_CAPTURED) return;
    CProgressUI::SetValue(value);
}

void CSliderUI::SetThumbImage(const wchar_t* image) {
    m_sThumbImage = image;
    Invalidate();
}

void CSliderUI::SetThumbHotImage(const wchar_t* image) {
    m_sThumbHotImage = image;
    Invalidate();
}

void CSliderUI::SetThumbPushedImage(const wchar_t* image) {
    m_sThumbPushedImage = image;
    Invalidate();
}

RECT CSliderUI::GetThumbRect() const { return Geometry().ThumbRect(ScaledSize(m_szThumb)); }

void CSliderUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"thumbimage")) SetThumbImage(value);
    else if (Is(name, L"thumbhotimage")) SetThumbHotImage(value);
    else if (Is(name, L"thumbpushedimage")) SetThumbPushedImage(value);
    else if (Is(name, L"thumbsize")) SetThumbSize(ParseSize(value));
    else if (Is(name, L"step")) SetChangeStep(ParseInt(value));
    else if (Is(name, L"sendmove")) SetSendMove(IsTrue(value));
    else CProgressUI::SetAttribute(name, value);
}

bool CSliderUI::ChangeValue(int value, const wchar_t* notification) {
    m_nValue = value;
    const CUILifeWatch alive = m_life.Watch();
    UpdateText();
    if (m_pManager) m_pManager->RaiseNotify(this, notification);
    if (!alive) return false;
    Invalidate();
    return true;
}

int CSliderUI::DragValue(POINT point) const {
    const int position = m_bHorizontal ? point.x - m_ptGrab.x : point.y - m_ptGrab.y;
    return Geometry().ValueAtThumbEdge(ScaledSize(m_szThumb), position);
}

void CSliderUI::OnButtonDown(const TUIEvent& event) {
    m_bTrackPress = false;
    if (!IsEnabled()) return;
    const RECT thumb = GetThumbRect();
    if (!Inside(thumb, event.ptMouse)) {
        m_bTrackPress = event.Type == UIEVENT_BUTTONDOWN || event.Type == UIEVENT_DBLCLICK;
        return;
    }
    // Grabbing the thumb changes nothing: only moving it does.
    m_uButtonState |= UISTATE_CAPTURED;
    m_ptGrab = POINT{event.ptMouse.x - thumb.left, event.ptMouse.y - thumb.top};
    m_nPressValue = m_nValue;
    Invalidate();
}

void CSliderUI::OnButtonUp(const TUIEvent& event) {
    const bool dragged = (m_uButtonState & UISTATE_CAPTURED) != 0;
    const bool trackPress = m_bTrackPress && event.Type == UIEVENT_BUTTONUP;
    m_uButtonState &= ~UISTATE_CAPTURED;
    m_bTrackPress = false;
    if (dragged) {
        // The drag ends where the thumb is; the change of the whole drag is reported once.
        const int value = DragValue(event.ptMouse);
        if (value != m_nPressValue) {
            ChangeValue(value, L"valuechanged");
            return;
        }
        m_nValue = value;
        UpdateText();
        Invalidate();
        return;
    }
    if (!trackPress) return;
    const RECT thumb = GetThumbRect();
    if (Inside(thumb, event.ptMouse)) return;
    int value = m_nValue;
    if (m_bHorizontal) {
        value += event.ptMouse.x < thumb.left ? -m_nStep : m_nStep;
    } else {
        value += event.ptMouse.y < thumb.top ? m_nStep : -m_nStep;
    }
    if (value < m_nMin || value > m_nMax || value == m_nValue) {
        UpdateText();
        return;
    }
    ChangeValue(value, L"valuechanged");
}

void CSliderUI::OnMouseMove(const TUIEvent& event) {
    if (m_uButtonState & UISTATE_CAPTURED) {
        const int value = DragValue(event.ptMouse);
        if (value != m_nValue) {
            if (m_bSendMove) {
                if (!ChangeValue(value, L"movevaluechanged")) return;
            } else {
                m_nValue = value;
            }
        }
        Invalidate();
    }
    const bool hot = IsEnabled() && Inside(GetThumbRect(), event.ptMouse);
    if (hot == ((m_uButtonState & UISTATE_HOT) != 0)) return;
    if (hot) {
        m_uButtonState |= UISTATE_HOT;
    } else {
        m_uButtonState &= ~UISTATE_HOT;
    }
    Invalidate();
}

void CSliderUI::OnWheel(const TUIEvent& event) {
    const int before = m_nValue;
    SetValue(event.wParam == 0 ? m_nValue + m_nStep : m_nValue - m_nStep);
    if (m_nValue != before && m_pManager) m_pManager->RaiseNotify(this, L"valuechanged");
}

void CSliderUI::DoEvent(TUIEvent& event) {
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
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
        OnButtonDown(event);
        return;
    case UIEVENT_BUTTONUP:
    case UIEVENT_RBUTTONUP:
        if (IsEnabled()) OnButtonUp(event);
        return;
    case UIEVENT_CONTEXTMENU:
        return;
    case UIEVENT_SCROLLWHEEL:
        if (IsEnabled() && (event.wParam == 0 || event.wParam == 1)) {
            OnWheel(event);
            return;
        }
        break;
    case UIEVENT_MOUSEMOVE:
        OnMouseMove(event);
        return;
    case UIEVENT_SETCURSOR:
        if (IsEnabled()) {
            ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case UIEVENT_MOUSELEAVE:
        if (IsEnabled()) {
            m_uButtonState &= ~UISTATE_HOT;
            Invalidate();
        }
        return;
    default:
        break;
    }
    CControlUI::DoEvent(event);
}

void CSliderUI::PaintForeImage(HDC hdc) {
    CProgressUI::PaintForeImage(hdc);
    const RECT thumb = GetThumbRect();
    const CUIString* images[3] = {};
    if (m_uButtonState & UISTATE_CAPTURED) {
        images[0] = &m_sThumbPushedImage;
    } else if (m_uButtonState & UISTATE_HOT) {
        images[0] = &m_sThumbHotImage;
    }
    images[1] = &m_sThumbImage;
    for (const CUIString* image : images) {
        if (image && !image->IsEmpty() && DrawImageOver(hdc, *image, thumb, nullptr)) return;
    }
}

}  // namespace SkinUI
