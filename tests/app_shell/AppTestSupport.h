#pragma once
// Helpers of the application-shell tests: work scheduled on the UI thread's timers (it runs inside any
// modal loop the test starts), a message pump, the open message box, and the settings file kept aside.
#include "MsgWnd.h"

#include <functional>
#include <string>

namespace AppTest {

// Runs work once after ms milliseconds on this thread, also inside nested modal loops.
void RunLater(int ms, std::function<void()> work);
// Processes messages until done() or the time is up; WM_QUIT is swallowed and remembered.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
bool QuitSeen();
void ClearQuit();

// A window property a test sets on a message box it keeps open on purpose (and closes itself).
constexpr const wchar_t* kHeldByTest = L"heldByTest";

// The newest open message box, or null.
CMsgWnd* NewestBox();
SkinUI::CControlUI* BoxControl(CMsgWnd* box, const wchar_t* name);
// Raises "click" on a control of the newest box, as a mouse click does.
void ClickInNewestBox(const wchar_t* name);

// The resolved text of a "${key}" in the current language.
std::wstring Text(const wchar_t* key);
// A fresh text resource with the test skin's resource table (language packs are limited per run).
void FreshTextResource();

// Moves the settings file aside for the lifetime of the object and puts it back afterwards.
class SettingsFileGuard {
public:
    SettingsFileGuard();
    ~SettingsFileGuard();

private:
    std::wstring m_path;
    std::string m_saved;
    bool m_existed = false;
};

}  // namespace AppTest
