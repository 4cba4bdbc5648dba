#pragma once
// Helpers of the list and menu tests: every control class registered, a recorder of all notifications of
// a window, and mouse and key input sent as window messages.
#include "WindowTestSupport.h"

#include <string>
#include <vector>

namespace ListTest {

// Records the notifications its window raises, in order; focus changes are left out.
class CNoteRecorder : public SkinUI::INotifyUI {
public:
    void Notify(SkinUI::TNotifyMessage& msg) override;
    std::vector<WindowTest::TNote> Of(const wchar_t* type) const;
    // "type:sender:wParam" of every note, in order.
    std::vector<std::wstring> Trace() const;
    void Clear() { notes.clear(); }

    std::vector<WindowTest::TNote> notes;
};

// Lays the window out and paints it now.
void Repaint(HWND hwnd);
void MouseMove(HWND hwnd, int x, int y, WPARAM keys = 0);
void Click(HWND hwnd, int x, int y, WPARAM keys = 0);
void DoubleClick(HWND hwnd, int x, int y);
void Key(HWND hwnd, UINT key);
// The centre of a control's rectangle.
POINT Centre(SkinUI::CControlUI* control);

}  // namespace ListTest
