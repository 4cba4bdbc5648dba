#pragma once
// Driving the tool windows with real mouse and keyboard messages on named controls, and reading what
// the emulated amplifier received.
#include "AmpEmulator.h"
#include "AmpProtocol.h"
#include "UIManager.h"

#include <string>
#include <vector>

namespace TuningTest {

using Bytes = std::vector<uint8_t>;

class Driver {
public:
    explicit Driver(SkinUI::CPaintManagerUI* manager) : m_pm(manager) {}

    SkinUI::CControlUI* Find(const wchar_t* name);
    // Moves the mouse over the control's centre, presses and releases the left button there. Nothing is
    // pumped, so a close it posts reaches the window's modal loop.
    void Click(const wchar_t* name);
    // Clicks into an edit, replaces its text by typing, then presses `finish` there.
    void Type(const wchar_t* name, const wchar_t* text, WPARAM finish = VK_RETURN);
    // Clicks into an edit and presses one key there.
    void KeyIn(const wchar_t* name, WPARAM key);
    // One notch of the mouse wheel over the control.
    void Wheel(const wchar_t* name, bool up);
    std::wstring TextOf(const wchar_t* name);
    std::wstring FocusedName();

private:
    HWND NativeEdit(const wchar_t* name);
    void Key(HWND window, WPARAM key);
    HWND Window() const { return m_pm->GetWindowHandle(); }

    SkinUI::CPaintManagerUI* m_pm;
};

// The framework window of this class now open, or null.
SkinUI::CPaintManagerUI* OpenManager(const wchar_t* className);

// Payloads of the requests of one packet type, sub-command and optype, in order.
std::vector<Bytes> Payloads(const AmpEmulator& emulator, uint8_t cmd, uint8_t sub, uint8_t optype = kAmpOpSet);

// Pumps messages for a while, so that anything queued has gone out.
void Settle(int ms = 150);

}  // namespace TuningTest
