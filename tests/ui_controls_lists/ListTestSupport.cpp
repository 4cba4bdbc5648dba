#include "ListTestSupport.h"

#include "UIControls.h"

using namespace SkinUI;
using namespace WindowTest;

namespace ListTest {

namespace {

// The list and menu classes are known to the factory before any layout is built.
class ControlsEnvironment : public ::testing::Environment {
public:
    void SetUp() override { RegisterControlClasses(); }
};

const auto* g_controls = ::testing::AddGlobalTestEnvironment(new ControlsEnvironment);

}  // namespace

void CNoteRecorder::Notify(TNotifyMessage& msg) {
    if (msg.sType == L"setfocus" || msg.sType == L"killfocus") return;  // the manager's, not the controls'
    notes.push_back({msg.sType.Data(), msg.pSender ? msg.pSender->GetName().Data() : L"", msg.wParam, msg.lParam});
}

std::vector<TNote> CNoteRecorder::Of(const wchar_t* type) const {
    std::vector<TNote> found;
    for (const TNote& note : notes)
        if (note.type == type) found.push_back(note);
    return found;
}

std::vector<std::wstring> CNoteRecorder::Trace() const {
    std::vector<std::wstring> trace;
    for (const TNote& note : notes)
        if (note.type != L"setfocus" && note.type != L"killfocus") trace.push_back(note.type + L":" + note.sender + L":" + std::to_wstring(note.wParam));
    return trace;
}

void Repaint(HWND hwnd) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump();
}

void MouseMove(HWND hwnd, int x, int y, WPARAM keys) { SendMessageW(hwnd, WM_MOUSEMOVE, keys, At(x, y)); }

void Click(HWND hwnd, int x, int y, WPARAM keys) {
    MouseMove(hwnd, x, y, keys);
    SendMessageW(hwnd, WM_LBUTTONDOWN, keys | MK_LBUTTON, At(x, y));
    SendMessageW(hwnd, WM_LBUTTONUP, keys, At(x, y));
}

void DoubleClick(HWND hwnd, int x, int y) {
    Click(hwnd, x, y);
    SendMessageW(hwnd, WM_LBUTTONDBLCLK, MK_LBUTTON, At(x, y));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, At(x, y));
}

void Key(HWND hwnd, UINT key) {
    SendMessageW(hwnd, WM_KEYDOWN, key, 1);
    SendMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
}

POINT Centre(CControlUI* control) {
    const RECT& rect = control->GetPos();
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

}  // namespace ListTest
