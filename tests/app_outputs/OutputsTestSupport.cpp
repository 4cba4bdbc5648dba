#include "OutputsTestSupport.h"

#include "AmpProtocol.h"
#include "AppTestSupport.h"
#include "UIEdit.h"
#include "UIManager.h"
#include "UIProgress.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace SkinUI;

namespace OutputsTest {

namespace {

LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }

std::string Hex(const Frame& frame) {
    std::ostringstream out;
    const size_t used = std::min<size_t>(frame.size(), 28);
    for (size_t i = 1; i < used; ++i) out << std::hex << static_cast<int>(frame[i]) << ' ';
    return out.str();
}

}  // namespace

Frame Dsp(uint8_t sub, std::vector<uint8_t> payload) { return MakeAmpRequest(kAmpCmdDsp, sub, kAmpOpSet, payload); }

CControlUI* Driver::Find(const wchar_t* name) {
    CControlUI* control = run.Find(name);
    EXPECT_NE(control, nullptr) << "no control named " << std::string(name, name + wcslen(name));
    return control;
}

POINT Driver::Centre(const wchar_t* name) {
    CControlUI* control = Find(name);
    if (!control) return POINT{0, 0};
    const RECT& pos = control->GetPos();
    return POINT{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
}

void Driver::Click(const wchar_t* name) {
    const POINT p = Centre(name);
    SendMessageW(run.handle, WM_MOUSEMOVE, 0, At(p));
    SendMessageW(run.handle, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
    SendMessageW(run.handle, WM_LBUTTONUP, 0, At(p));
    AppTest::PumpUntil([] { return false; }, 30);
}

int Driver::DragSlider(const wchar_t* name, int dx) {
    auto* slider = static_cast<CSliderUI*>(Find(name)->GetInterface(L"Slider"));
    if (!slider) return 0;
    const RECT thumb = slider->GetThumbRect();
    POINT p{(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
    SendMessageW(run.handle, WM_MOUSEMOVE, 0, At(p));
    SendMessageW(run.handle, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
    for (int step = 1; step <= 4; ++step) {
        const POINT q{p.x + dx * step / 4, p.y};
        SendMessageW(run.handle, WM_MOUSEMOVE, MK_LBUTTON, At(q));
    }
    SendMessageW(run.handle, WM_LBUTTONUP, 0, At(POINT{p.x + dx, p.y}));
    AppTest::PumpUntil([] { return false; }, 30);
    return slider->GetValue();
}

void Driver::TypeAndEnter(const wchar_t* name, const wchar_t* text) {
    Click(name);
    auto* edit = static_cast<CEditUI*>(Find(name)->GetInterface(L"Edit"));
    ASSERT_NE(edit, nullptr);
    // The native edit opens from a posted message, later on a loaded machine.
    AppTest::PumpUntil([&] { return edit->GetNativeWindow() != nullptr; });
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(native, nullptr) << "the click opened no native edit";
    SendMessageW(native, EM_SETSEL, 0, -1);
    for (const wchar_t* ch = text; *ch; ++ch) SendMessageW(native, WM_CHAR, *ch, 1);
    KeyIn(name, VK_RETURN);
}

void Driver::KeyIn(const wchar_t* name, WPARAM key) {
    auto* edit = static_cast<CEditUI*>(Find(name)->GetInterface(L"Edit"));
    ASSERT_NE(edit, nullptr);
    HWND native = edit->GetNativeWindow();
    ASSERT_NE(native, nullptr) << "the edit has no keyboard focus";
    SendMessageW(native, WM_KEYDOWN, key, 1);
    SendMessageW(native, WM_KEYUP, key, 0xC0000001);
    AppTest::PumpUntil([] { return false; }, 30);
}

void Driver::Settle() {
    run.window->GetPaintManager()->FocusControl(nullptr);
    Take(0);
    emulator.ClearRequests();
}

std::vector<Frame> Driver::Take(size_t count) {
    AppTest::PumpUntil([&] { return emulator.Requests().size() >= count; }, 5000);
    // Quiet: nothing more arrives for a while.
    size_t seen = emulator.Requests().size();
    for (int i = 0; i < 20; ++i) {
        AppTest::PumpUntil([] { return false; }, 25);
        const size_t now = emulator.Requests().size();
        if (now != seen) {
            seen = now;
            i = 0;
        }
    }
    std::vector<Frame> frames = emulator.Requests();
    emulator.ClearRequests();
    return frames;
}

void ExpectFrames(const std::vector<Frame>& got, const std::vector<Frame>& want, const char* what) {
    EXPECT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < got.size() && i < want.size(); ++i)
        EXPECT_EQ(got[i], want[i]) << what << ", frame " << i << ": got " << Hex(got[i]) << ", want " << Hex(want[i]);
    for (size_t i = want.size(); i < got.size(); ++i) ADD_FAILURE() << what << ", extra frame " << Hex(got[i]);
    for (size_t i = got.size(); i < want.size(); ++i) ADD_FAILURE() << what << ", missing frame " << Hex(want[i]);
}

}  // namespace OutputsTest
