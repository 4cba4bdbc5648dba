#pragma once
// What the mixer, noise-threshold, karaoke and link-selection windows share.
#include "UIControl.h"
#include "UIManager.h"
#include "UIWindow.h"

// The caption and button clicks: the close button closes with 0, the minimise, maximise and restore
// buttons send their system commands, and "confirm_btn", "cancel_btn" and "third_btn" (in any case)
// close with 1, 0 and 2. True when the click was one of these and has been acted on.
bool HandleToolWindowClick(SkinUI::CWindowWnd& window, SkinUI::CControlUI* closeButton, SkinUI::CControlUI* sender);

// The size the window's layout was drawn at (its "size"), whatever scale the layout was built with.
SIZE UnscaledLayoutSize(SkinUI::CPaintManagerUI& pm);
