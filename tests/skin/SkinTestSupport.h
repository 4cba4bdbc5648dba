#pragma once
// Shared by the skin tests: the embedded skin opened once, entries of the archive as text, the
// "${key}" placeholders and image names a layout mentions, and a layout opened in the viewer's window.
#include "SkinViewWindow.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace SkinTest {

// The archive entry as UTF-16 text (empty when missing).
std::wstring ReadEntryText(const wchar_t* name);
// Every "${...}" placeholder in a text.
std::set<std::wstring> TextKeys(const std::wstring& text);
// Every image file a layout names ("file='img/x.png'" in image descriptions, or a bare "img/x.png").
std::set<std::wstring> ImageFiles(const std::wstring& text);
// The layout files of the skin: the entries of the resource table and the files the windows build by
// path (the channel sub-layout, the four menus and the mixer's four input headings).
std::vector<std::wstring> SkinLayoutFiles();

// A layout shown in the viewer's window at a DPI and in a language (the texts of "en" come back when it
// closes), laid out and painted; the window closes with the object.
class ViewedLayout {
public:
    ViewedLayout(const wchar_t* layout, int dpi, const wchar_t* language = L"en", bool demo = false);
    ~ViewedLayout();
    bool IsOpen() const { return m_window != nullptr; }
    SkinUI::CPaintManagerUI& Pm() { return *m_view->GetPaintManager(); }
    SkinUI::CControlUI* Find(const wchar_t* name) { return Pm().FindControlByName(name); }
    // Paints the whole client area now and returns its off-screen picture, top-down, 0x00RRGGBB.
    std::vector<DWORD> Paint();
    SIZE Size() const;

private:
    std::unique_ptr<SkinView::CSkinViewWindow> m_view;
    HWND m_window = nullptr;
};

}  // namespace SkinTest
