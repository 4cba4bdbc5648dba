#pragma once
// CNativeEditLabelUI: a label that a native editing window (a date picker, an address or a hot-key
// control) lies over while it has the focus or is clicked. The derived control owns that window; this
// class answers the mouse and focus the same way for all of them.
#include "UILabel.h"

namespace SkinUI {

class CNativeEditLabelUI : public CLabelUI {
public:
    void DoEvent(TUIEvent& event) override;
    // The native window while one exists, else null.
    HWND GetNativeWindow() const;

protected:
    virtual CWindowWnd* NativeWindow() const = 0;
    // Creates the native window over the label, or brings back the one there is.
    virtual void OpenNativeWindow() = 0;
    // The mouse entering (or leaving) the label; false hands the event on to the label.
    virtual bool OnHover(bool /*entering*/) { return true; }
};

}  // namespace SkinUI
