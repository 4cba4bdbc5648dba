#pragma once
// Driving the modal scene and profile windows: a script of steps run from a timer inside whatever modal
// loop is active, clicks posted as mouse messages, and the windows found by class and title.
#include "ControllerTestSupport.h"
#include "SceneWnd.h"

#include <functional>
#include <string>
#include <vector>

namespace SceneTest {

// Steps run one after another, each from a timer tick, until each answers true. A step acts only by
// posting, so a modal loop it causes never blocks the script. A step still waiting after stepTimeoutMs
// fails the script, which then closes every box and dialog it may have left open, so that the modal
// loops under it end and the test goes on to report it.
class Script {
public:
    explicit Script(std::vector<std::function<bool()>> steps, int stepTimeoutMs = 30000);
    ~Script();
    bool Done() const { return m_next >= m_steps.size(); }
    size_t StepsDone() const { return m_failedStep >= 0 ? static_cast<size_t>(m_failedStep) : m_next; }
    bool Failed() const { return m_failedStep >= 0; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    void GiveUp();
    std::vector<std::function<bool()>> m_steps;
    size_t m_next = 0;
    int m_stepTimeoutMs;
    DWORD m_stepStart;
    int m_failedStep = -1;
    bool m_running = false;
    UINT_PTR m_timer = 0;
};

// The dialog answers with this path (empty: cancelled) and records what it was asked.
struct DialogAnswer {
    std::wstring path;
    std::vector<std::pair<bool, bool>> asked;  // save, whole
    std::function<void()> whileAsked;          // runs as the dialog is answered
};

// While it lives, the profile dialogs answer with `answer`, and the profile reader and writer tell the
// user through the application's message boxes.
class AnsweredProfileUi {
public:
    explicit AnsweredProfileUi(DialogAnswer& answer);
    ~AnsweredProfileUi();
    AnsweredProfileUi(const AnsweredProfileUi&) = delete;
    AnsweredProfileUi& operator=(const AnsweredProfileUi&) = delete;
};

// Posts a main-window menu click with the record its receiver frees.
void PostMenuClick(HWND mainWindow, const wchar_t* item);
// Posts a left click at the centre of a named control of a window built by a paint manager.
bool PostClick(SkinUI::CPaintManagerUI* manager, const wchar_t* name);
// The open window of this framework class and title, or null.
template <class T>
T* OpenWindow(const wchar_t* className, const wchar_t* title) {
    const HWND window = FindWindowW(className, title);
    if (!window) return nullptr;
    auto* object = reinterpret_cast<SkinUI::CWindowWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return dynamic_cast<T*>(object);
}
CSceneWnd* OpenSceneWnd();
// Selects a row of the scene window and presses its confirm button.
bool ConfirmRow(CSceneWnd* scenes, int row);
// Busy popups all gone again and no scene worker left.
bool Settled(ControllerTest::MainWindowRun& run);
// Pumps until the script is done and no scene window is left (false on time-out or a step that timed out).
bool RunScript(Script& script, int timeoutMs = 60000);

// The amplifier as these tests expect it: named scenes 1 "Club" and 2 "Road", scene 2 with output 0 at
// position 3 and -6 dB, the rest empty; scene 1 current.
void PrepareScenes(AmpState& state);
std::string NameBytes(const uint8_t (&bytes)[16]);
// A name the system's code page cannot hold: Cyrillic, Thai or, where it takes them all (UTF-8), seven
// CJK characters, more than the amplifier's 15 bytes.
const wchar_t* UnstorableName();
// Requests of one packet type and sub-command, in order.
std::vector<AmpRequest> RequestsOf(const AmpEmulator& emulator, uint8_t cmd, uint8_t sub);
// The parts of two amplifier configurations that differ, by name (empty: equal field for field).
std::string DifferingParts(const AmpScene& a, const AmpScene& b);
// Types a name into the open name dialog and confirms it: by the button, or by Enter in the edit.
bool EnterName(const wchar_t* name, bool byEnter);

}  // namespace SceneTest
