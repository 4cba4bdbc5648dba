#include "ToolWindowControls.h"

#include "UIDpi.h"
#include "UIString.h"

using namespace SkinUI;

namespace ToolWindow {

bool HandleClick(CWindowWnd& window, CControlUI* closeButton, CControlUI* sender) {
    if (!sender) return false;
    if (sender == closeButton) {
        window.PostClose(0);
        return true;
    }
    const CUIString name = sender->GetName();
    static const struct {
        const wchar_t* name;
        WPARAM command;
    } kSystem[] = {{L"minbtn", SC_MINIMIZE}, {L"maxbtn", SC_MAXIMIZE}, {L"restorebtn", SC_RESTORE}};
    for (const auto& button : kSystem) {
        if (name == button.name) {
            window.SendWindowMessage(WM_SYSCOMMAND, button.command, 0);
            return true;
        }
    }
    static const struct {
        const wchar_t* name;
        UINT code;
    } kClosing[] = {{L"confirm_btn", 1}, {L"cancel_btn", 0}, {L"third_btn", 2}};
    for (const auto& button : kClosing) {
        if (EqualsIgnoreCase(name.Data(), button.name)) {
            window.PostClose(button.code);
            return true;
        }
    }
    return false;
}

SIZE UnscaledLayoutSize(CPaintManagerUI& pm) {
    const SIZE built = pm.GetInitialSize();
    const int scale = pm.GetDpiScaler()->GetScale();
    if (scale <= 0 || scale == 100) return built;
    return {built.cx * 100 / scale, built.cy * 100 / scale};
}

}  // namespace ToolWindow
