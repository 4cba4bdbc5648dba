#pragma once
// The device notification Windows sends a window registered for HID interfaces when the amplifier comes
// or goes, so that plugging the emulated amplifier reaches the program the way a real one does.
#include <windows.h>

class AmpEmulator;

// The interface path of the emulated amplifier, as the system spells it.
extern const wchar_t* const kAmpInterfacePath;

// Sends WM_DEVICECHANGE (DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE) for that path to the window and
// returns when it was handled (from another thread: once the window's thread took it, or after 30 s);
// nothing for a null window.
void SendAmpPlugNotification(HWND window, bool arrived);

// From now on every plug change of the emulator (Unplug, Replug, restarts, vanishing) notifies the
// window that findWindow returns then.
void NotifyPlugEvents(AmpEmulator& emulator, HWND (*findWindow)());
