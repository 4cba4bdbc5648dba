#pragma once
// CFadeButtonUI: a button whose normal and hot images cross-fade when the mouse enters or leaves it,
// instead of switching at once.
#include "UIAnimation.h"
#include "UIButton.h"

namespace SkinUI {

class CFadeButtonUI : public CButtonUI, public CUIAnimation {
public:
    enum { kFadeIn = 8, kFadeOut = 9, kFrameMs = 10, kFrames = 30 };

    CFadeButtonUI();
    ~CFadeButtonUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void DoEvent(TUIEvent& event) override;
    void PaintStatusImage(HDC hdc) override;
    void SetNormalImage(const wchar_t* image) override;

    void OnAnimationStep(int totalFrames, int currentFrame, int id) override;
    void OnAnimationStart(int, bool) override {}
    void OnAnimationStop(int) override {}

    BYTE GetFadeAlpha() const { return m_bFadeAlpha; }
    const CUIString& GetLastImage() const { return m_sLastImage; }

private:
    // Draws the image with the fade modifier of the given alpha.
    void DrawFaded(HDC hdc, const CUIString& image, int alpha);
    // The first paint after entering or leaving shows the image being left; false when neither.
    bool PaintEdge(HDC hdc);

    CUIString m_sOldImage;
    CUIString m_sNewImage;
    CUIString m_sLastImage;
    BYTE m_bFadeAlpha = 0;
    bool m_bMouseEntered = false;
    bool m_bMouseLeft = false;
};

}  // namespace SkinUI
