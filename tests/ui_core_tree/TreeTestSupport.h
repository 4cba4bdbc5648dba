#pragma once
// Helpers of the control-tree tests: a recording test control, a notification recorder, layouts built
// from XML text, rectangle checks and a 32-bit canvas to paint into.
#include "UIContainer.h"
#include "UIDlgBuilder.h"
#include "UIManager.h"
#include "UINotify.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace TreeTest {

// Element "Test": a tab stop that records the events it receives.
class CTestUI : public SkinUI::CControlUI {
public:
    static SkinUI::CControlUI* CreateControl() { return new CTestUI; }
    const wchar_t* GetClass() const override { return L"TestUI"; }
    UINT GetControlFlags() const override { return SkinUI::UIFLAG_TABSTOP; }
    void DoEvent(SkinUI::TUIEvent& event) override {
        events.push_back(event.Type);
        CControlUI::DoEvent(event);
    }
    std::vector<int> events;
};

// Registers CTestUI with the control factory (once).
void RegisterTestControls();

struct TRecordedNotify {
    std::wstring type;
    SkinUI::CControlUI* sender;
    WPARAM wParam;
    LPARAM lParam;
    std::wstring page;
};

class NotifyRecorder : public SkinUI::INotifyUI {
public:
    void Notify(SkinUI::TNotifyMessage& msg) override {
        received.push_back({msg.sType.Data(), msg.pSender, msg.wParam, msg.lParam, msg.sVirtualWnd.Data()});
    }
    std::vector<TRecordedNotify> OfType(const wchar_t* type) const;
    std::vector<TRecordedNotify> received;
};

// Builds XML text with the manager and attaches the result as the manager's root.
SkinUI::CControlUI* BuildRoot(SkinUI::CPaintManagerUI& manager, const wchar_t* xml);
// The control of that name (exact) from the manager's name map; fails the test when missing.
SkinUI::CControlUI* Named(SkinUI::CPaintManagerUI& manager, const wchar_t* name);

std::string RectText(const RECT& rect);
inline std::string RectText(int l, int t, int r, int b) { return RectText(RECT{l, t, r, b}); }

// A top-down 32-bit DIB section selected into a memory DC, cleared to 0.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return m_dc; }
    DWORD Rgb(int x, int y) const { return m_bits[y * m_width + x] & 0x00FFFFFF; }
    void Fill(DWORD argb);

private:
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    DWORD* m_bits = nullptr;
    int m_width;
    int m_height;
};

// A hidden top-level window for the services that need one.
class TestWindow {
public:
    TestWindow();
    ~TestWindow();
    HWND hwnd() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
};

// A folder of its own below the temporary folder (unique per process), emptied and removed at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::wstring& path() const { return m_path; }  // ends in a backslash
    void Write(const wchar_t* name, const char* utf8);

private:
    std::wstring m_path;
    std::vector<std::wstring> m_files;
};

}  // namespace TreeTest

#define EXPECT_RECT(rect, l, t, r, b) EXPECT_EQ(::TreeTest::RectText(l, t, r, b), ::TreeTest::RectText(rect))
