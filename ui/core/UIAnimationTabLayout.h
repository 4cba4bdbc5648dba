#pragma once
// CAnimationTabLayoutUI: a tab layout that slides the newly selected page in, horizontally (the default)
// or vertically ("animation_direction"="vertical"), over 15 frames 10 ms apart.
#include "UIAnimation.h"
#include "UITabLayout.h"

namespace SkinUI {

class CAnimationTabLayoutUI : public CTabLayoutUI, public CUIAnimation {
public:
    enum { kAnimationId = 1, kFrameElapse = 10, kFrameCount = 15 };

    CAnimationTabLayoutUI();
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    void OnAnimationStart(int id, bool firstLoop) override {}
    void OnAnimationStep(int totalFrames, int currentFrame, int id) override;
    void OnAnimationStop(int id) override;

    bool IsVerticalDirection() const { return m_bIsVerticalDirection; }
    int GetDirection() const { return m_nPositiveDirection; }

protected:
    // The page slides in from the side it comes from instead of showing at once.
    void ShowSelectedPage(CControlUI* page, int oldIndex) override;
    // Starts the slide from one page width (less 52 pixels) on the side the page comes from.
    void AnimationSwitch();

    bool m_bIsVerticalDirection = false;
    int m_nPositiveDirection = 1;
    RECT m_rcCurPos = {};
    RECT m_rcItemOld = {};
    CControlUI* m_pCurrentControl = nullptr;
    bool m_bControlVisibleFlag = false;
};

}  // namespace SkinUI
