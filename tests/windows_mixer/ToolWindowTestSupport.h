#pragma once
// Driving the mixer and the other tool windows of the Functions menu against the emulated amplifier:
// controls found by name in the open window, clicks posted as mouse messages, typed values committed as
// the edit commits them, the requests of one DSP sub-command, and pictures of the live window.
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

// The open window of this framework class (any title), or null.
SkinUI::WindowImplBase* OpenTool(const wchar_t* className);
SkinUI::CControlUI* Control(SkinUI::WindowImplBase* window, const std::wstring& name);
// A left click at a fraction of the control's width (0.5: its centre), as the mouse makes it.
bool ClickAt(SkinUI::WindowImplBase* window, const std::wstring& name, double fraction = 0.5);
// Drags a slider's thumb with the mouse to a fraction of the slider's width.
bool DragSlider(SkinUI::WindowImplBase* window, const std::wstring& name, double fraction);
// Types text into an edit and raises the notification that commits it ("return" or "killfocus").
bool Type(SkinUI::WindowImplBase* window, const std::wstring& name, const wchar_t* text,
          const wchar_t* commit = L"return");
bool Raise(SkinUI::WindowImplBase* window, const std::wstring& name, const wchar_t* type);
// Selects the combo item whose user data is `tag`, as choosing it in the drop list does.
bool ChooseTagged(SkinUI::WindowImplBase* window, const std::wstring& combo, const wchar_t* tag);
std::wstring SelectedTag(SkinUI::WindowImplBase* window, const std::wstring& combo);
bool IsShown(SkinUI::WindowImplBase* window, const std::wstring& name);
bool IsChecked(SkinUI::WindowImplBase* window, const std::wstring& name);
std::wstring TextIn(SkinUI::WindowImplBase* window, const std::wstring& name);
SIZE ClientSize(SkinUI::WindowImplBase* window);
int Scale(SkinUI::WindowImplBase* window);

// DSP (or another packet type's) requests of one sub-command, and the first bytes of a payload.
std::vector<AmpRequest> Sent(const AmpEmulator& emulator, uint8_t sub, uint8_t cmd = 1);
std::vector<uint8_t> Head(const AmpRequest& request, size_t count);
// The payloads of one sub-command's requests in hex, for failure messages.
std::string Dump(const AmpEmulator& emulator, uint8_t sub, uint8_t cmd = 1);
bool HasRequest(const AmpEmulator& emulator, uint8_t sub, const std::vector<uint8_t>& head, uint8_t cmd = 1);

// With VELMOR_SHOT_LANG set (0 English, 1 Chinese, 2 Russian), the settings file names that language
// for the run to come, so that the pictures show it; call it after moving the settings file aside.
void UseShotLanguage();
// The window's off-screen picture must be its client size and painted in more than a few colours; with
// VELMOR_SHOT_DIR set it is also saved there as <name>.bmp.
bool CheckPicture(SkinUI::WindowImplBase* window, const wchar_t* name);

}  // namespace ToolTest
