#include "ToolWindowTestSupport.h"

#include "AppTestSupport.h"
#include "Settings.h"
#include "UICombo.h"
#include "UIDpi.h"
#include "UIOption.h"
#include "UIProgress.h"

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

CControlUI* Control(WindowImplBase* window, const std::wstring& name) {
    return window ? window->GetPaintManager()->FindControlByName(name.c_str()) : nullptr;
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

bool DragSlider(WindowImplBase* window, const std::wstring& name, double fraction) {
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

std::wstring TextIn(WindowImplBase* window, const std::wstring& name) {
    CControlUI* control = Control(window, name);
    return control ? control->GetText().Data() : L"<missing>";
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

}  // namespace ToolTest
