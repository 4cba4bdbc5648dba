#include "UIFadeButton.h"

#include "UIManager.h"

namespace SkinUI {

CFadeButtonUI::CFadeButtonUI() : CUIAnimation(this) {}

CFadeButtonUI::~CFadeButtonUI() { StopAnimation(); }

CControlUI* CFadeButtonUI::CreateControl() { return new CFadeButtonUI; }

const wchar_t* CFadeButtonUI::GetClass() const { return L"FadeButtonUI"; }

void* CFadeButtonUI::GetInterface(const wchar_t* name) {
    return EqualsIgnoreCase(name, L"FadeButton") ? this : CButtonUI::GetInterface(name);
}

void CFadeButtonUI::SetNormalImage(const wchar_t* image) {
    CButtonUI::SetNormalImage(image);
    m_sLastImage = m_sNormalImage;
}

void CFadeButtonUI::DoEvent(TUIEvent& event) {
    if (event.Type == UIEVENT_MOUSEENTER && !IsAnimationRunning(kFadeIn)) {
        m_bFadeAlpha = 0;
        m_bMouseEntered = true;
        StopAnimation(kFadeOut);
        StartAnimation(kFrameMs, kFrames, kFadeIn, false);
        Invalidate();
        return;
    }
    if (event.Type == UIEVENT_MOUSELEAVE && !IsAnimationRunning(kFadeOut)) {
        m_bFadeAlpha = 0;
        m_bMouseLeft = true;
        StopAnimation(kFadeIn);
        StartAnimation(kFrameMs, kFrames, kFadeOut, false);
        Invalidate();
        return;
    }
    if (event.Type == UIEVENT_TIMER) OnAnimationElapse(static_cast<int>(event.wParam));
    CButtonUI::DoEvent(event);
}

void CFadeButtonUI::OnAnimationStep(int totalFrames, int currentFrame, int) {
    // Scaled before dividing: the alpha rises through the frames instead of jumping at the last one.
    int alpha = totalFrames > 0 ? currentFrame * 255 / totalFrames : 255;
    if (alpha < 0) alpha = 0;
    if (alpha > 255) alpha = 255;
    m_bFadeAlpha = static_cast<BYTE>(alpha == 0 ? 10 : alpha);
    Invalidate();
}

void CFadeButtonUI::DrawFaded(HDC hdc, const CUIString& image, int alpha) {
    CUIString modify;
    modify.Format(L"fade='%d'", alpha);
    DrawImage(hdc, image.Data(), modify.Data());
}

bool CFadeButtonUI::PaintEdge(HDC hdc) {
    if (m_bMouseEntered) {
        m_bMouseEntered = false;
        m_sLastImage = m_sHotImage;
        DrawImage(hdc, m_sNormalImage.Data());
        return true;
    }
    if (m_bMouseLeft) {
        m_bMouseLeft = false;
        m_sLastImage = m_sNormalImage;
        DrawImage(hdc, m_sHotImage.Data());
        return true;
    }
    return false;
}

void CFadeButtonUI::PaintStatusImage(HDC hdc) {
    RefreshState();
    const CUIString* state = nullptr;
    if (m_uButtonState & UISTATE_DISABLED) {
        state = &m_sDisabledImage;
    } else if (m_uButtonState & UISTATE_PUSHED) {
        state = &m_sPushedImage;
    } else if (m_uButtonState & UISTATE_FOCUSED) {
        state = &m_sFocusedImage;
    }
    if (state && !state->IsEmpty() && DrawImage(hdc, state->Data())) return;
    if (m_sNormalImage.IsEmpty()) return;
    const bool fadingIn = IsAnimationRunning(kFadeIn);
    const bool fadingOut = IsAnimationRunning(kFadeOut);
    if (PaintEdge(hdc)) return;
    if (fadingIn || fadingOut) {
        m_sOldImage = fadingIn ? m_sNormalImage : m_sHotImage;
        m_sNewImage = fadingIn ? m_sHotImage : m_sNormalImage;
        DrawFaded(hdc, m_sOldImage, 255 - m_bFadeAlpha);
        DrawFaded(hdc, m_sNewImage, m_bFadeAlpha);
        return;
    }
    if (m_sLastImage.IsEmpty()) m_sLastImage = m_sNormalImage;
    DrawImage(hdc, m_sLastImage.Data());
}

}  // namespace SkinUI
