#pragma once
// Helpers of the standard-control tests: every notification a window raises, recorded; images written to
// a resource folder of their own; real mouse and keyboard messages; a window at a chosen DPI.
#include "ui_window/ImageFolder.h"
#include "ui_window/WindowTestSupport.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ControlsTest {

// Records every notification of one window's paint manager, in order.
class CRecorder : public SkinUI::INotifyUI {
public:
    void Notify(SkinUI::TNotifyMessage& msg) override;
    std::vector<WindowTest::TNote> Of(const wchar_t* type) const;
    // The types in order, leaving out focus and window notifications.
    std::vector<std::wstring> Types() const;
    void Clear() { notes.clear(); }

    std::vector<WindowTest::TNote> notes;
    // Runs after each notification is recorded. The recorder listens last, so a hook here may delete
    // the sender without a later listener reading it.
    std::function<void(SkinUI::TNotifyMessage&)> after;
};

// A test window built from layout XML, with a recorder, shown at a DPI (96 = 100 %).
class CControlWindow : public WindowTest::CTestWindow {
public:
    explicit CControlWindow(std::wstring layout);
    ~CControlWindow() override;
    HWND Open(int dpi = 96, int x = 40, int y = 40);
    // Makes the window the active one with the keyboard focus, as a user's window is.
    void Activate();
    template <class T>
    T* Get(const wchar_t* name) {
        return dynamic_cast<T*>(Control(name));
    }
    // The centre of a control, in client coordinates.
    POINT Centre(const wchar_t* name);
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void MoveTo(POINT point);
    void Press(POINT point);
    void Release(POINT point);
    void Click(POINT point);
    void Key(WPARAM key);
    void Wheel(POINT client, bool down);
    // Lays out and paints what is due, then returns the painted pixel (0xRRGGBB) of the off-screen bitmap.
    DWORD Pixel(int x, int y);

    CRecorder recorder;

private:
    POINT m_savedCursor = {};  // the real cursor goes back there: other tests' windows meet it
};

// Lays out and paints what is due, then counts the pixels of rect that are rgb (0xRRGGBB).
int CountColour(CControlWindow& window, const RECT& rect, DWORD rgb);

// The four DPI values the framework supports, with their percents.
struct TDpi {
    int dpi;
    int percent;
};
extern const TDpi kDpis[4];
int Scaled(int value, int percent);

}  // namespace ControlsTest
