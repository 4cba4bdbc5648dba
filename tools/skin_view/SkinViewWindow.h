#pragma once
// A window that shows one layout of the application's skin as the application opens it: the main window
// at its fixed size with the channel sub-layout attached, the dialogs at their layout's size; optionally
// with the page filled as a connected amplifier would fill it, and a screenshot taken after the first
// painting.
#include "SkinTree.h"
#include "UIMenu.h"
#include "UIWindowImplBase.h"

#include <memory>
#include <string>

namespace SkinView {

struct TViewOptions {
    std::wstring layout = kMainLayout;
    std::wstring language = L"en";
    int dpi = 96;
    bool demo = true;            // fill texts and states as a connected amplifier would
    std::wstring shotPath;       // when set: save the client area as a BMP after painting and close
    std::wstring focus;          // control to give the focus before the screenshot
    std::wstring menu;           // main window: the menu button whose menu to open ("btn_option", ...)
    std::wstring hover;          // an item of that menu to put the mouse on (opens its sub-menu)
};

struct TShotResult {
    bool saved = false;
    int width = 0, height = 0;
    int colours = 0;  // distinct colours in the picture
};

class CSkinViewWindow : public SkinUI::WindowImplBase {
public:
    explicit CSkinViewWindow(TViewOptions options) : m_options(std::move(options)) {}
    ~CSkinViewWindow() override;
    HWND Open();
    bool IsMainLayout() const;
    const TShotResult& Shot() const { return m_shot; }
    const CStandInFactory& Factory() const { return m_factory; }

protected:
    const wchar_t* GetWndClassName() const override { return L"SkinViewWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(m_options.layout.c_str()); }
    // The curve controls are the real ones, so the plot shows as the application draws it.
    SkinUI::CControlUI* CreateControl(const wchar_t* element) override;
    void OnInitWindow() override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    void ApplyDemoState();
    void ApplyDemoCurve();
    void Set(const wchar_t* name, const wchar_t* attribute, const wchar_t* value);
    void TakeShot();
    void OpenMenu();

    TViewOptions m_options;
    CStandInFactory m_factory;
    TShotResult m_shot;
    std::unique_ptr<SkinUI::CMenuWnd> m_menu;
    SkinUI::CUIStringMap m_menuChecks;
};

// Writes the client area of a window into a 32-bit BMP file and counts its distinct colours; from the
// screen, with the windows over it (open menus), when asked.
TShotResult SaveClientBitmap(HWND window, const wchar_t* path, bool fromScreen = false);

}  // namespace SkinView
