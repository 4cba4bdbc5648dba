#include "ControlsTestSupport.h"

#include "UIControls.h"
#include "ui_core_render/TestSupport.h"

using namespace SkinUI;
using namespace WindowTest;

namespace ControlsTest {

namespace {

// The controls are known to the factory before any window is built.
const bool g_registered = (RegisterControlClasses(), true);

}  // namespace

const TDpi kDpis[4] = {{96, 100}, {120, 125}, {144, 150}, {192, 200}};

int Scaled(int value, int percent) { return MulDiv(value, percent, 100); }

void CRecorder::Notify(TNotifyMessage& msg) {
    notes.push_back({msg.sType.Data(), msg.pSender ? msg.pSender->GetName().Data() : L"", msg.wParam, msg.lParam});
    if (after) after(msg);
}

std::vector<TNote> CRecorder::Of(const wchar_t* type) const {
    std::vector<TNote> found;
    for (const TNote& note : notes)
        if (note.type == type) found.push_back(note);
    return found;
}

std::vector<std::wstring> CRecorder::Types() const {
    std::vector<std::wstring> types;
    for (const TNote& note : notes) {
        if (note.type == L"setfocus" || note.type == L"killfocus" || note.type == L"windowinit" ||
            note.type == L"windowsize" || note.type == L"timer")
            continue;
        types.push_back(note.type);
    }
    return types;
}

CControlWindow::CControlWindow(std::wstring layout) : CTestWindow(std::move(layout)) {
    GetCursorPos(&m_savedCursor);
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);  // off every window
}

CControlWindow::~CControlWindow() { SetCursorPos(m_savedCursor.x, m_savedCursor.y); }

HWND CControlWindow::Open(int dpi, int x, int y) {
    HWND hwnd = Create(nullptr, x, y);
    if (!hwnd) return nullptr;
    pm().AddNotifyListener(&recorder);
    // Always applied: the shared fonts follow the last DPI any window applied.
    pm().ApplyDpi(dpi);
    Pump();
    UpdateWindow(hwnd);
    Pump();
    recorder.Clear();
    return hwnd;
}

void CControlWindow::Activate() {
    SetForegroundWindow(GetHandle());
    SetActiveWindow(GetHandle());
    SetFocus(GetHandle());
    // The system's answers to the activation arrive as messages.
    for (int i = 0; i < 5; ++i) {
        Pump();
        Sleep(10);
    }
    // The window's first focus move (to its first tab stop) is done, and undone: no control has the focus.
    for (int i = 0; i < 10 && pm().IsFocusNeeded(); ++i) {
        InvalidateRect(GetHandle(), nullptr, FALSE);
        UpdateWindow(GetHandle());
        Pump();
    }
    pm().FocusControl(nullptr);
    Pump();
    recorder.Clear();
}

POINT CControlWindow::Centre(const wchar_t* name) {
    const RECT& pos = Control(name)->GetPos();
    return POINT{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
}

LRESULT CControlWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(GetHandle(), message, wParam, lParam);
}

void CControlWindow::MoveTo(POINT point) {
    // The real cursor goes there too, so that the system's mouse-leave tracking agrees.
    POINT screen = point;
    ClientToScreen(GetHandle(), &screen);
    SetCursorPos(screen.x, screen.y);
    Send(WM_MOUSEMOVE, 0, At(point.x, point.y));
}

void CControlWindow::Press(POINT point) {
    MoveTo(point);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, At(point.x, point.y));
}

void CControlWindow::Release(POINT point) { Send(WM_LBUTTONUP, 0, At(point.x, point.y)); }

void CControlWindow::Click(POINT point) {
    Press(point);
    Release(point);
    Pump();
}

void CControlWindow::Key(WPARAM key) {
    Send(WM_KEYDOWN, key, 1);
    Send(WM_KEYUP, key, 0xC0000001);
    Pump();
}

void CControlWindow::Wheel(POINT client, bool down) {
    POINT screen = client;
    ClientToScreen(GetHandle(), &screen);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, down ? -WHEEL_DELTA : WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
    Pump();
}

DWORD CControlWindow::Pixel(int x, int y) {
    UpdateWindow(GetHandle());
    Pump();
    return OffscreenPixel(pm(), x, y) & 0xFFFFFF;
}

int CountColour(CControlWindow& window, const RECT& rect, DWORD rgb) {
    window.Pixel(0, 0);
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x) count += (OffscreenPixel(window.pm(), x, y) & 0xFFFFFF) == rgb;
    return count;
}

}  // namespace ControlsTest
