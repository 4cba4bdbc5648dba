#pragma once
// CWndUI: places a native window over the control. Whenever the control moves or is shown or hidden,
// the hosted window follows: moved to the control's rectangle (in screen coordinates when it is not a
// child of the paint window), shown while the control is visible, hidden otherwise. The control does
// not own the window. Layout element "Wnd".
#include "UIControl.h"

namespace SkinUI {

class CWndUI : public CControlUI {
public:
    static CControlUI* CreateControl() { return new CWndUI; }

    const wchar_t* GetClass() const override { return L"Wnd"; }
    void SetPos(RECT rect, bool needInvalidate = true) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;

    // The window to place (null for none); it is placed at once.
    void Attach(HWND window);
    HWND Detach();
    HWND GetHostedWindow() const { return m_hwnd; }

private:
    void PlaceHostedWindow();

    HWND m_hwnd = nullptr;
};

// Where a hosted window goes: the control's rectangle in the paint window's client coordinates, turned
// into screen coordinates when the hosted window is not a child of the paint window.
RECT HostedWindowRect(HWND paintWindow, HWND hosted, const RECT& control);

}  // namespace SkinUI
