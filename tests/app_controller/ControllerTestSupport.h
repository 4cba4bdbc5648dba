#pragma once
// The main window against the emulated amplifier: created as the program creates it, with the emulator's
// plug events reaching it as device notifications, message boxes answered "no" (result 0) as they open
// and remembered, and the busy popup watched.
#include "AmpEmulator.h"
#include "AmpProtocol.h"
#include "MainWnd.h"

#include <string>
#include <vector>

namespace ControllerTest {

class MainWindowRun {
public:
    // clock: the device link's sleeps and ticks (null: the system's).
    explicit MainWindowRun(AmpEmulator& emulator, DeviceClock* clock = nullptr);
    ~MainWindowRun();

    CMainWnd* window = nullptr;
    HWND handle = nullptr;
    EqualizerManager& Controller() { return window->Controller(); }
    SkinUI::CControlUI* Find(const wchar_t* name) { return window->GetPaintManager()->FindControlByName(name); }
    std::wstring TextOf(const wchar_t* name);

    // Pumps until the connection button shows the state and no read or popup is left (false on time-out).
    bool WaitConnected(int timeoutMs = 20000);
    bool WaitDisconnected(int timeoutMs = 20000);
    // Pumps until a box whose text contains this one (a "${key}" is resolved first) was seen.
    bool WaitForBox(const std::wstring& part, int timeoutMs = 10000);
    // Closes the window as the user does and pumps until it is gone; false when it stays.
    bool Close(int timeoutMs = 20000);

    static std::vector<std::wstring>& BoxesSeen();  // texts of every box opened, oldest first
    // Boxes whose text contains this (resolved) text are confirmed (result 1) instead; empty for none.
    static std::wstring& ConfirmContaining();
    // Boxes whose text contains this (resolved) text stay open, as a user away from the screen leaves them;
    // empty for none.
    static std::wstring& HoldContaining();
    static bool& PopupSeen();
    static int& PopupsCreated();    // busy popups created and destroyed since the run began
    static int& PopupsDestroyed();

private:
    AmpEmulator& m_emulator;
};

// Every request written to the emulator, parsed.
std::vector<AmpRequest> ParsedRequests(const AmpEmulator& emulator);

// The resolved text of a "${key}".
std::wstring Text(const wchar_t* key);

}  // namespace ControllerTest
