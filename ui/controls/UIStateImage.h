#pragma once
// What the button-like controls share about their state: the focused and disabled bits taken from the
// control, and the state image of an entry field (edit, rich edit, hot key).
#include "UIControl.h"

namespace SkinUI {

// state with UISTATE_FOCUSED and UISTATE_DISABLED set as the control is now.
UINT WithFocusAndEnabled(UINT state, const CControlUI& control);

// Draws the image of an entry field's state: disabled before focused before hot; the normal image when
// that one is empty or cannot be drawn.
void PaintFieldStateImage(CControlUI& control, HDC hdc, UINT state, const CUIString& normal, const CUIString& hot,
                          const CUIString& focused, const CUIString& disabled);

}  // namespace SkinUI
