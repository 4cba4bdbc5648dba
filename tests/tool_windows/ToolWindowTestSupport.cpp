#include "ToolWindowTestSupport.h"

#include "AppTestSupport.h"
#include "Settings.h"
#include "UICombo.h"
#include "UIDpi.h"
#include "UIEdit.h"
#include "UIOption.h"
#include "UIProgress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

using namespace SkinUI;

namespace ToolTest {

namespace {
Watchdog* gWatchdog = nullptr;
}

Watchdog::Watchdog(const wchar_t* className, int ms) : m_class(className) {
    gWatchdog = this;
    m_timer = SetTimer(nullptr, 0, ms, Tick);
}

Watchdog::~Watchdog() {
    KillTimer(nullptr, m_timer);
    gWatchdog = nullptr;
}

void CALLBACK Watchdog::Tick(HWND, UINT, UINT_PTR, DWORD) {
    Watchdog* dog = gWatchdog;
    if (!dog) return;
    if (HWND window = FindWindowW(dog->m_class.c_str(), nullptr)) {
        dog->m_fired = true;
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

bool RunWatched(SceneTest::Script& script, const wchar_t* className, int ms) {
    Watchdog dog(className, ms);
    const bool done = AppTest::PumpUntil([&] { return script.Done() || dog.Fired(); }, ms + 15000);
    return done && script.Done() && !dog.Fired();
}

WindowImplBase* OpenTool(const wchar_t* className) {
    const HWND window = FindWindowW(className, nullptr);
    if (!window || !IsWindowVisible(window)) return nullptr;
    return dynamic_cast<WindowImplBase*>(reinterpret_cast<CWindowWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA)));
}

CPaintManagerUI* OpenManager(const wchar_t* className) {
    WindowImplBase* window = OpenTool(className);
    if (!window) return nullptr;
    // Only once laid out are its controls where a click finds them.
    CPaintManagerUI* pm = window->GetPaintManager();
    CControlUI* root = pm->GetRootControl();
    if (!root || root->GetPos().right <= root->GetPos().left) return nullptr;
    // And once painted, so that nothing of its opening is still waiting for a paint.
    return pm->GetOffscreenPixels() ? pm : nullptr;
}

CPaintManagerUI* Pm(CWindowWnd* window) { return dynamic_cast<WindowImplBase*>(window)->GetPaintManager(); }

CControlUI* Control(CWindowWnd* window, const std::wstring& name) {
    auto* skin = dynamic_cast<WindowImplBase*>(window);
    return skin ? skin->GetPaintManager()->FindControlByName(name.c_str()) : nullptr;
}

bool ClickAt(WindowImplBase* window, const std::wstring& name, double fraction) {
    CControlUI* control = Control(window, name);
    if (!control || !control->IsVisible()) return false;
    const RECT r = control->GetPos();
    const int x = r.left + static_cast<int>((r.right - r.left - 1) * fraction);
    const LPARAM at = MAKELPARAM(x, (r.top + r.bottom) / 2);
    const HWND handle = window->GetHandle();
    PostMessageW(handle, WM_MOUSEMOVE, 0, at);
    PostMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(handle, WM_LBUTTONUP, 0, at);
    return true;
}

bool DragSlider(CWindowWnd* window, const std::wstring& name, double fraction) {
    auto* slider = dynamic_cast<CSliderUI*>(Control(window, name));
    if (!slider || !slider->IsVisible()) return false;
    const RECT thumb = slider->GetThumbRect();
    const RECT r = slider->GetPos();
    const int y = (thumb.top + thumb.bottom) / 2;
    const int to = r.left + static_cast<int>((r.right - r.left) * fraction);
    const HWND handle = window->GetHandle();
    PostMessageW(handle, WM_MOUSEMOVE, 0, MAKELPARAM((thumb.left + thumb.right) / 2, y));
    PostMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((thumb.left + thumb.right) / 2, y));
    PostMessageW(handle, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, y));
    PostMessageW(handle, WM_LBUTTONUP, 0, MAKELPARAM(to, y));
    return true;
}

bool Type(WindowImplBase* window, const std::wstring& name, const wchar_t* text, const wchar_t* commit) {
    CControlUI* edit = Control(window, name);
    if (!edit) return false;
    edit->SetText(text);
    window->GetPaintManager()->RaiseNotify(edit, commit, 0, 0, false);
    return true;
}

bool Raise(WindowImplBase* window, const std::wstring& name, const wchar_t* type) {
    CControlUI* control = Control(window, name);
    if (!control) return false;
    window->GetPaintManager()->RaiseNotify(control, type, 0, 0, false);
    return true;
}

bool ChooseTagged(WindowImplBase* window, const std::wstring& name, const wchar_t* tag) {
    auto* combo = dynamic_cast<CComboUI*>(Control(window, name));
    if (!combo) return false;
    for (int i = 0; i < combo->GetCount(); ++i)
        if (combo->GetItemAt(i)->GetUserData() == tag) return combo->SelectItem(i);
    return false;
}

std::wstring SelectedTag(WindowImplBase* window, const std::wstring& name) {
    auto* combo = dynamic_cast<CComboUI*>(Control(window, name));
    if (!combo || combo->GetCurSel() < 0) return L"";
    return combo->GetItemAt(combo->GetCurSel())->GetUserData().Data();
}

bool IsShown(WindowImplBase* window, const std::wstring& name) {
    CControlUI* control = Control(window, name);
    return control && control->IsVisible();
}

bool IsChecked(WindowImplBase* window, const std::wstring& name) {
    auto* option = dynamic_cast<COptionUI*>(Control(window, name));
    return option && option->IsSelected();
}

std::wstring TextIn(CWindowWnd* window, const std::wstring& name) {
    CControlUI* control = Control(window, name);
    return control ? control->GetText().Data() : L"<missing>";
}

bool EnabledIn(CWindowWnd* window, const std::wstring& name) {
    CControlUI* control = Control(window, name);
    return control && control->IsEnabled();
}

int ProgressIn(CWindowWnd* window, const std::wstring& name) {
    auto* bar = dynamic_cast<CProgressUI*>(Control(window, name));
    return bar ? bar->GetValue() : -1;
}

SIZE ClientSize(WindowImplBase* window) {
    RECT r = {};
    GetClientRect(window->GetHandle(), &r);
    return {r.right, r.bottom};
}

int Scale(WindowImplBase* window) { return window->GetPaintManager()->GetDpiScaler()->GetScale(); }

std::vector<AmpRequest> Sent(const AmpEmulator& emulator, uint8_t sub, uint8_t cmd) {
    return SceneTest::RequestsOf(emulator, cmd, sub);
}

std::vector<uint8_t> Head(const AmpRequest& request, size_t count) {
    std::vector<uint8_t> head(count, 0);
    for (size_t i = 0; i < count; ++i) head[i] = request.Arg(i);
    return head;
}

std::string Dump(const AmpEmulator& emulator, uint8_t sub, uint8_t cmd) {
    std::string text;
    for (const AmpRequest& r : Sent(emulator, sub, cmd)) {
        char byte[4];
        for (size_t i = 0; i < r.payload.size() && i < 12; ++i) {
            snprintf(byte, sizeof byte, "%02X ", r.payload[i]);
            text += byte;
        }
        text += "| ";
    }
    return text;
}

bool HasRequest(const AmpEmulator& emulator, uint8_t sub, const std::vector<uint8_t>& head, uint8_t cmd) {
    for (const AmpRequest& r : Sent(emulator, sub, cmd))
        if (Head(r, head.size()) == head) return true;
    return false;
}

std::vector<Bytes> Payloads(const AmpEmulator& emulator, uint8_t cmd, uint8_t sub, uint8_t optype) {
    std::vector<Bytes> found;
    for (const AmpRequest& r : SceneTest::RequestsOf(emulator, cmd, sub))
        if (r.optype == optype) found.push_back(r.payload);
    return found;
}

void Settle(int ms) { AppTest::PumpUntil([] { return false; }, ms); }

void UseShotLanguage() {
    if (const wchar_t* language = _wgetenv(L"VELMOR_SHOT_LANG")) WriteSettingText(L"lan", language);
}

bool CheckPicture(WindowImplBase* window, const wchar_t* name) {
    CPaintManagerUI* pm = window->GetPaintManager();
    pm->Invalidate();
    UpdateWindow(window->GetHandle());
    GdiFlush();
    // The window's own picture, as it paints it off-screen, whatever lies over it on the screen.
    const DWORD* pixels = pm->GetOffscreenPixels();
    const SIZE size = pm->GetOffscreenSize();
    const SIZE client = ClientSize(window);
    if (!pixels || size.cx != client.cx || size.cy != client.cy) return false;
    const size_t count = static_cast<size_t>(size.cx) * size.cy;
    std::set<DWORD> colours;
    for (size_t i = 0; i < count && colours.size() < 64; ++i) colours.insert(pixels[i] & 0x00FFFFFF);
    if (const wchar_t* folder = _wgetenv(L"VELMOR_SHOT_DIR")) {
        const std::wstring path = std::wstring(folder) + L"\\" + name + L".bmp";
        BITMAPINFOHEADER info = {};
        info.biSize = sizeof info;
        info.biWidth = size.cx;
        info.biHeight = -size.cy;  // top-down, as painted
        info.biPlanes = 1;
        info.biBitCount = 32;
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info;
        file.bfSize = file.bfOffBits + static_cast<DWORD>(count * 4);
        if (FILE* out = _wfopen(path.c_str(), L"wb")) {
            fwrite(&file, sizeof file, 1, out);
            fwrite(&info, sizeof info, 1, out);
            fwrite(pixels, 4, count, out);
            fclose(out);
        }
    }
    return colours.size() >= 12;
}

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

void Driver::Press(const wchar_t* name) {
    CControlUI* control = Find(name);
    if (!control) return;
    const RECT r = control->GetPos();
    m_pointer = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ClientToScreen(Window(), &m_pointer);
    Deliver(WM_MOUSEMOVE, 0);
    Deliver(WM_LBUTTONDOWN, MK_LBUTTON);
}

void Driver::Release() { Deliver(WM_LBUTTONUP, 0); }

void Driver::Deliver(UINT message, WPARAM keys) {
    HWND target = GetCapture();
    if (!target) target = WindowFromPoint(m_pointer);
    if (!target || GetWindowThreadProcessId(target, nullptr) != GetCurrentThreadId()) target = Window();
    POINT at = m_pointer;
    ScreenToClient(target, &at);
    SendMessageW(target, message, keys, MAKELPARAM(at.x, at.y));
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
    Settle(20);
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
    Settle(20);
}

std::wstring Driver::TextOf(const wchar_t* name) {
    CControlUI* control = Find(name);
    return control ? control->GetText().Data() : L"<missing>";
}

std::wstring Driver::FocusedName() {
    CControlUI* focused = m_pm->GetFocusedControl();
    return focused ? focused->GetName().Data() : L"";
}

}  // namespace ToolTest
