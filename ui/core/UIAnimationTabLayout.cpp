// CAnimationTabLayoutUI: the page switch and its slide.
#include "UIAnimationTabLayout.h"

#include "UIManager.h"

namespace SkinUI {

CAnimationTabLayoutUI::CAnimationTabLayoutUI() : CUIAnimation(this) {}

CControlUI* CAnimationTabLayoutUI::CreateControl() { return new CAnimationTabLayoutUI; }

const wchar_t* CAnimationTabLayoutUI::GetClass() const { return L"AnimationTabLayoutUI"; }

void* CAnimationTabLayoutUI::GetInterface(const wchar_t* name) {
    return EqualsIgnoreCase(name, L"AnimationTabLayout") ? this : CTabLayoutUI::GetInterface(name);
}

void CAnimationTabLayoutUI::ShowSelectedPage(CControlUI* page, int oldIndex) {
    m_nPositiveDirection = m_iCurSel < oldIndex ? 1 : -1;
    m_pCurrentControl = page;
    m_bControlVisibleFlag = false;
    NeedParentUpdate();
    page->SetVisible(false);  // shown again by the first step of the slide
    AnimationSwitch();
}

void CAnimationTabLayoutUI::AnimationSwitch() {
    m_rcItemOld = m_rcItem;
    m_rcCurPos = m_rcItem;
    if (!m_bIsVerticalDirection) {
        const int shift = (m_rcItem.left - m_rcItem.right + 52) * m_nPositiveDirection;
        OffsetRect(&m_rcCurPos, shift, 0);
    } else {
        const int shift = -(m_rcItem.bottom - m_rcItem.top) * m_nPositiveDirection;
        OffsetRect(&m_rcCurPos, 0, shift);
    }
    StopAnimation(kAnimationId);
    StartAnimation(kFrameElapse, kFrameCount, kAnimationId, false);
}

void CAnimationTabLayoutUI::OnAnimationStep(int totalFrames, int currentFrame, int) {
    if (m_pCurrentControl && GetItemIndex(m_pCurrentControl) < 0) m_pCurrentControl = nullptr;  // removed meanwhile
    if (!m_bControlVisibleFlag && m_pCurrentControl) {
        m_bControlVisibleFlag = true;
        m_pCurrentControl->SetVisible(true);
    }
    const int extent = m_bIsVerticalDirection ? m_rcItemOld.bottom - m_rcItemOld.top : m_rcItemOld.right - m_rcItemOld.left;
    const int step = totalFrames > 0 ? extent * m_nPositiveDirection / totalFrames : 0;
    if (currentFrame != totalFrames) {
        if (m_bIsVerticalDirection)
            OffsetRect(&m_rcCurPos, 0, step);
        else
            OffsetRect(&m_rcCurPos, step, 0);
    } else {
        m_rcItem = m_rcCurPos = m_rcItemOld;
    }
    SetPos(m_rcCurPos, true);
}

void CAnimationTabLayoutUI::OnAnimationStop(int) {
    SetPos(m_rcItemOld, true);
    NeedParentUpdate();
}

void CAnimationTabLayoutUI::DoEvent(TUIEvent& event) {
    if (event.Type == UIEVENT_TIMER) OnAnimationElapse(static_cast<int>(event.wParam));
    CTabLayoutUI::DoEvent(event);
}

void CAnimationTabLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"animation_direction") && EqualsIgnoreCase(value, L"vertical"))
        m_bIsVerticalDirection = true;
    CTabLayoutUI::SetAttribute(name, value);
}

}  // namespace SkinUI
