#pragma once
// Helpers of the window tests: a recording probe control, a skin window built from layout XML text that
// records the notifications reaching its map, a message pump that pre-translates like the real loop, and
// pixel reading from windows and bitmaps.
#include "UIControl.h"
#include "UIManager.h"
#include "UIWindowImplBase.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace WindowTest {

// Element "Probe": records every event it gets, the activations and the paints; "tabstop" and
// "wantcursor" set its control flags; "gdicolor" (RRGGBB) paints it with a plain GDI fill, which leaves
// alpha 0 as text does.
class CProbeUI : public SkinUI::CControlUI {
public:
    const wchar_t* GetClass() const override { return L"ProbeUI"; }
    UINT GetControlFlags() const override { return m_flags; }
    bool Activate() override;
    void DoEvent(SkinUI::TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    bool DoPaint(HDC hdc, const RECT& paintRect, SkinUI::CControlUI* stopControl) override;

    int Count(int type) const;
    std::vector<int> Types() const;
    const SkinUI::TUIEvent* Last(int type) const;
    void Clear() { events.clear(); }

    std::vector<SkinUI::TUIEvent> events;
    int activations = 0;
    int paints = 0;

private:
    UINT m_flags = 0;
    COLORREF m_gdiColor = CLR_INVALID;
    bool m_clickOnUp = false;  // "clickonup": raises "click" when the left button goes up over it
};

// Element "LabelProbe": a probe whose class name marks it as a label (Alt shortcuts pass it by).
class CLabelProbeUI : public CProbeUI {
public:
    const wchar_t* GetClass() const override { return L"ProbeLabelUI"; }
};

struct TNote {
    std::wstring type;
    std::wstring sender;
    WPARAM wParam;
    LPARAM lParam;
};

// A skin window whose layout is XML text. Its notification map records what reaches it.
class CTestWindow : public SkinUI::WindowImplBase {
public:
    explicit CTestWindow(std::wstring layout) : m_layout(std::move(layout)) {}
    ~CTestWindow() override;

    // A popup at (x, y), shown without activation unless asked; its size comes from the layout.
    HWND Create(HWND owner = nullptr, int x = 40, int y = 40, DWORD style = WS_POPUP);
    SkinUI::CPaintManagerUI& pm() { return m_pm; }
    CProbeUI* Probe(const wchar_t* name);
    SkinUI::CControlUI* Control(const wchar_t* name);
    std::vector<TNote> NotesOf(const wchar_t* type) const;
    void ClearNotes() { notes.clear(); }

    std::vector<TNote> notes;
    std::function<void(SkinUI::TNotifyMessage&)> onNote;  // runs for each recorded notification
    int initCount = 0;
    int defaultKeys = 0;
    int closeRequests = 0;
    bool refuseClose = false;
    bool destroyed = false;

protected:
    const wchar_t* GetWndClassName() const override { return L"SkinTestWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(m_layout.c_str()); }
    SkinUI::CControlUI* CreateControl(const wchar_t* className) override;
    void OnInitWindow() override { ++initCount; }
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    BOOL OnDefaultKey(WPARAM key) override;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void OnWindowDestroyed(HWND hwnd) override;

    void Record(SkinUI::TNotifyMessage& msg);
    void RecordParams(WPARAM wParam, LPARAM lParam);

private:
    std::wstring m_layout;

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Processes every message waiting for this thread, each pre-translated as the message loop does.
void Pump();
LPARAM At(int x, int y);
// The pixel of a window's client area as it is on its surface (0x00RRGGBB).
DWORD WindowPixel(HWND window, int x, int y);
// A pixel of the manager's off-screen bitmap (0xAARRGGBB).
DWORD OffscreenPixel(SkinUI::CPaintManagerUI& manager, int x, int y);

// The manager's tree painted over area on a top-down 32-bit canvas of the given size first filled with
// fill: as the window's own paint, or with a stop control never reached so everything is painted whole.
std::vector<DWORD> PaintTreeOnCanvas(SkinUI::CPaintManagerUI& manager, SIZE size, const RECT& area,
                                     bool asWindowPaint, DWORD fill);
// Holds a key down (or releases it) in this thread's keyboard state.
void SetKeyDown(int key, bool down);

// The window-class and screen facts every test relies on: OLE is initialised, layout failures do not end
// the process, and a bad layout is reported.
class WindowEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;
    static int LayoutFailures();
    static std::wstring LastFailedLayout();
};

}  // namespace WindowTest
