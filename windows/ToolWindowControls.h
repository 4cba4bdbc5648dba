#pragma once
// What the tool windows share: name tests, the index a control carries in its user data, typed look-ups
// that give null for a missing or differently typed control, the caption and button clicks, the size
// their layout was drawn at, and the modal run of a tool window owned by the main window.
#include "SkinDialogWnd.h"
#include "UIEdit.h"
#include "UIManager.h"
#include "UIProgress.h"
#include "UIWindow.h"

#include <cwchar>
#include <string>

namespace ToolWindow {

inline bool StartsWith(const std::wstring& name, const wchar_t* prefix) {
    return name.compare(0, wcslen(prefix), prefix) == 0;
}

inline bool EqualsNoCase(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// The index in a control's user data; non-numeric text gives 0.
inline int UserIndex(SkinUI::CControlUI* control) { return control ? _wtoi(control->GetUserData().Data()) : 0; }

inline std::wstring NameOf(SkinUI::CControlUI* control) { return control ? control->GetName().Data() : L""; }

inline std::wstring Numbered(const wchar_t* prefix, int n) { return prefix + std::to_wstring(n); }

inline SkinUI::CSliderUI* FindSlider(SkinUI::CPaintManagerUI& pm, const std::wstring& name) {
    SkinUI::CControlUI* control = pm.FindControlByName(name.c_str());
    return control ? static_cast<SkinUI::CSliderUI*>(control->GetInterface(L"Slider")) : nullptr;
}

inline SkinUI::CEditUI* FindEdit(SkinUI::CPaintManagerUI& pm, const std::wstring& name) {
    SkinUI::CControlUI* control = pm.FindControlByName(name.c_str());
    return control ? static_cast<SkinUI::CEditUI*>(control->GetInterface(L"Edit")) : nullptr;
}

// The caption and button clicks: the close button closes with 0, the minimise, maximise and restore
// buttons send their system commands, and "confirm_btn", "cancel_btn" and "third_btn" (in any case)
// close with 1, 0 and 2. True when the click was one of these and has been acted on.
bool HandleClick(SkinUI::CWindowWnd& window, SkinUI::CControlUI* closeButton, SkinUI::CControlUI* sender);

// The size the window's layout was drawn at (its "size"), whatever scale the layout was built with.
SIZE UnscaledLayoutSize(SkinUI::CPaintManagerUI& pm);

// Creates a tool window (WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW) owned by `owner` and centres it
// on it; false when it could not be created.
inline bool OpenToolWindow(CSkinDialogWnd* window, HWND owner, const wchar_t* title) {
    if (!window->CreateNativeWindow(owner, title, WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW)) return false;
    window->CenterOnOwner();
    return true;
}

// A tool window opened as above and run modally; the window deletes itself when it closes. The close
// code, or 0 when it could not open.
inline int RunToolWindow(CSkinDialogWnd* window, HWND owner, const wchar_t* title) {
    // A window that failed after its creation began has already deleted itself with its native window.
    if (!OpenToolWindow(window, owner, title)) return 0;
    return static_cast<int>(window->RunModal());
}

}  // namespace ToolWindow
