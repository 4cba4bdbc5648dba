#include "UIStateImage.h"

namespace SkinUI {

UINT WithFocusAndEnabled(UINT state, const CControlUI& control) {
    if (control.IsFocused())
        state |= UISTATE_FOCUSED;
    else
        state &= ~UISTATE_FOCUSED;
    if (!control.IsEnabled())
        state |= UISTATE_DISABLED;
    else
        state &= ~UISTATE_DISABLED;
    return state;
}

void PaintFieldStateImage(CControlUI& control, HDC hdc, UINT state, const CUIString& normal, const CUIString& hot,
                          const CUIString& focused, const CUIString& disabled) {
    const CUIString* chosen = (state & UISTATE_DISABLED)  ? &disabled
                              : (state & UISTATE_FOCUSED) ? &focused
                              : (state & UISTATE_HOT)     ? &hot
                                                          : nullptr;
    if (chosen && !chosen->IsEmpty() && control.DrawImage(hdc, chosen->Data())) return;
    if (!normal.IsEmpty()) control.DrawImage(hdc, normal.Data());
}

}  // namespace SkinUI
