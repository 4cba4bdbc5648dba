#include "TuningTestSupport.h"

#include "AppTestSupport.h"
#include "ControllerTestSupport.h"
#include "UIEdit.h"
#include "UIWindow.h"

#include <gtest/gtest.h>

using namespace SkinUI;

namespace TuningTest {

CControlUI* Driver::Find(const wchar_t* name) {
    CControlUI* control = m_pm ? m_pm->FindControlByName(name) : nullptr;
    EXPECT_NE(control, nullptr) << "no control named " << std::string(name, name + wcslen(name));
    return control;
}

void Driver::Click(const wchar_t* name) {
    CControlUI* control = Find(name);
    if (!control) return;
    // As the user's click would, the window takes the keyboard focus (no window manager does it here).
    if (GetFocus() != Window()) SetFocus(Window());
    const RECT r = control->GetPos();
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(Window(), WM_MOUSEMOVE, 0, at);
    SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(Window(), WM_LBUTTONUP, 0, at);
    // No pumping here: a close the click posts belongs to the window's own modal loop.
}

HWND Driver::NativeEdit(const wchar_t* name) {
    CControlUI* control = Find(name);
    auto* edit = control ? static_cast<CEditUI*>(control->GetInterface(L"Edit")) : nullptr;
    if (!edit) return nullptr;
    // The native edit appears once the focus has arrived; a busy machine may take a moment. A window
    // just opened may take the first click for its own activation: then the edit is clicked again.
    for (int attempt = 0; attempt < 3 && !edit->GetNativeWindow(); ++attempt) {
        if (attempt > 0) Click(name);
        AppTest::PumpUntil([&] { return edit->GetNativeWindow() != nullptr; }, 1000);
    }
    return edit->GetNativeWindow();
}

void Driver::Key(HWND window, WPARAM key) {
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 0xC0000001);
    AppTest::PumpUntil([] { return false; }, 20);
}

void Driver::Type(const wchar_t* name, const wchar_t* text, WPARAM finish) {
    Click(name);
    HWND native = NativeEdit(name);
    ASSERT_NE(native, nullptr) << "no native edit";
    SendMessageW(native, EM_SETSEL, 0, -1);
    for (const wchar_t* ch = text; *ch; ++ch) SendMessageW(native, WM_CHAR, *ch, 1);
    Key(native, finish);
}

void Driver::KeyIn(const wchar_t* name, WPARAM key) {
    Click(name);
    HWND native = NativeEdit(name);
    ASSERT_NE(native, nullptr) << "no native edit";
    Key(native, key);
}

void Driver::Wheel(const wchar_t* name, bool up) {
    CControlUI* control = Find(name);
    if (!control) return;
    const RECT r = control->GetPos();
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SendMessageW(Window(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
    ClientToScreen(Window(), &at);
    SendMessageW(Window(), WM_MOUSEWHEEL, MAKEWPARAM(0, up ? WHEEL_DELTA : -WHEEL_DELTA), MAKELPARAM(at.x, at.y));
    AppTest::PumpUntil([] { return false; }, 20);
}

std::wstring Driver::TextOf(const wchar_t* name) {
    CControlUI* control = Find(name);
    return control ? control->GetText().Data() : L"<missing>";
}

std::wstring Driver::FocusedName() {
    CControlUI* focused = m_pm->GetFocusedControl();
    return focused ? focused->GetName().Data() : L"";
}

CPaintManagerUI* OpenManager(const wchar_t* className) {
    const HWND window = FindWindowW(className, nullptr);
    if (!window || !IsWindowVisible(window)) return nullptr;
    auto* object = reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    auto* framed = dynamic_cast<WindowImplBase*>(object);
    if (!framed) return nullptr;
    // Only once laid out are its controls where a click finds them.
    CControlUI* root = framed->GetPaintManager()->GetRootControl();
    if (!root || root->GetPos().right <= root->GetPos().left) return nullptr;
    // And once painted, so that nothing of its opening is still waiting for a paint.
    if (!framed->GetPaintManager()->GetOffscreenPixels()) return nullptr;
    return framed->GetPaintManager();
}

std::vector<Bytes> Payloads(const AmpEmulator& emulator, uint8_t cmd, uint8_t sub, uint8_t optype) {
    std::vector<Bytes> found;
    for (const AmpRequest& r : ControllerTest::ParsedRequests(emulator))
        if (r.cmd == cmd && r.sub == sub && r.optype == optype) found.push_back(r.payload);
    return found;
}

void Settle(int ms) { AppTest::PumpUntil([] { return false; }, ms); }

}  // namespace TuningTest
