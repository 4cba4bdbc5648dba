#pragma once
// Driving the tool windows against the emulated amplifier: controls found by name in the open window,
// clicks posted as mouse messages or sent with real mouse and keyboard messages, typed values committed
// as the edit commits them, the requests of one sub-command, and pictures of the live window.
#include "AmpProtocol.h"
#include "SceneTestSupport.h"

#include <string>
#include <vector>

namespace ToolTest {

// Closes the tool window of this class if it is still open after ms, so that a script stuck inside
// the window's modal loop ends instead of waiting there for ever.
class Watchdog {
public:
    Watchdog(const wchar_t* className, int ms);
    ~Watchdog();
    bool Fired() const { return m_fired; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::wstring m_class;
    UINT_PTR m_timer = 0;
    bool m_fired = false;
};

// Runs the script under a watchdog for the window class; false (and the step it stopped at) when it
// did not finish.
bool RunWatched(SceneTest::Script& script, const wchar_t* className, int ms = 45000);

using Bytes = std::vector<uint8_t>;

// The open window of this framework class (any title), or null.
SkinUI::WindowImplBase* OpenTool(const wchar_t* className);
// The paint manager of that window once it is laid out and painted (so that a click finds its
// controls where they are shown), or null.
SkinUI::CPaintManagerUI* OpenManager(const wchar_t* className);
// The paint manager of a framework window.
SkinUI::CPaintManagerUI* Pm(SkinUI::CWindowWnd* window);
// A control of a framework window by name; null for a missing control or a window of another kind.
SkinUI::CControlUI* Control(SkinUI::CWindowWnd* window, const std::wstring& name);
// A left click at a fraction of the control's width (0.5: its centre), as the mouse makes it.
bool ClickAt(SkinUI::WindowImplBase* window, const std::wstring& name, double fraction = 0.5);
// Drags a slider's thumb with the mouse to a fraction of the slider's width.
bool DragSlider(SkinUI::CWindowWnd* window, const std::wstring& name, double fraction);
// Types text into an edit and raises the notification that commits it ("return" or "killfocus").
bool Type(SkinUI::WindowImplBase* window, const std::wstring& name, const wchar_t* text,
          const wchar_t* commit = L"return");
bool Raise(SkinUI::WindowImplBase* window, const std::wstring& name, const wchar_t* type);
// Selects the combo item whose user data is `tag`, as choosing it in the drop list does.
bool ChooseTagged(SkinUI::WindowImplBase* window, const std::wstring& combo, const wchar_t* tag);
std::wstring SelectedTag(SkinUI::WindowImplBase* window, const std::wstring& combo);
bool IsShown(SkinUI::WindowImplBase* window, const std::wstring& name);
bool IsChecked(SkinUI::WindowImplBase* window, const std::wstring& name);
// The resolved text of a named control, "<missing>" without one.
std::wstring TextIn(SkinUI::CWindowWnd* window, const std::wstring& name);
bool EnabledIn(SkinUI::CWindowWnd* window, const std::wstring& name);
// A progress bar's value, -1 without one.
int ProgressIn(SkinUI::CWindowWnd* window, const std::wstring& name);
SIZE ClientSize(SkinUI::WindowImplBase* window);
int Scale(SkinUI::WindowImplBase* window);

// DSP (or another packet type's) requests of one sub-command, and the first bytes of a payload.
std::vector<AmpRequest> Sent(const AmpEmulator& emulator, uint8_t sub, uint8_t cmd = 1);
std::vector<uint8_t> Head(const AmpRequest& request, size_t count);
// The payloads of one sub-command's requests in hex, for failure messages.
std::string Dump(const AmpEmulator& emulator, uint8_t sub, uint8_t cmd = 1);
bool HasRequest(const AmpEmulator& emulator, uint8_t sub, const std::vector<uint8_t>& head, uint8_t cmd = 1);
// Payloads of the requests of one packet type, sub-command and optype, in order.
std::vector<Bytes> Payloads(const AmpEmulator& emulator, uint8_t cmd, uint8_t sub, uint8_t optype = kAmpOpSet);

// Pumps messages for a while, so that anything queued has gone out.
void Settle(int ms = 150);

// Real mouse and keyboard messages on the named controls of one window, sent (not posted), as a user's
// hand makes them.
class Driver {
public:
    explicit Driver(SkinUI::CPaintManagerUI* manager) : m_pm(manager) {}

    SkinUI::CControlUI* Find(const wchar_t* name);
    // Moves the mouse over the control's centre, presses and releases the left button there. Nothing is
    // pumped, so a close it posts reaches the window's modal loop.
    void Click(const wchar_t* name);
    // The left button pressed over the control, and released, as the system delivers them: to the
    // window holding the mouse, else to the window under the pointer, in its own coordinates. Nothing
    // is pumped.
    void Press(const wchar_t* name);
    void Release();
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
    void Deliver(UINT message, WPARAM keys);
    void Key(HWND window, WPARAM key);
    HWND Window() const { return m_pm->GetWindowHandle(); }

    SkinUI::CPaintManagerUI* m_pm;
    POINT m_pointer{};  // on the screen
};

// With VELMOR_SHOT_LANG set (0 English, 1 Chinese, 2 Russian), the settings file names that language
// for the run to come, so that the pictures show it; call it after moving the settings file aside.
void UseShotLanguage();
// The window's off-screen picture must be its client size and painted in more than a few colours; with
// VELMOR_SHOT_DIR set it is also saved there as <name>.bmp.
bool CheckPicture(SkinUI::WindowImplBase* window, const wchar_t* name);

}  // namespace ToolTest
