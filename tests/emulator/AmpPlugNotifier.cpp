#include "AmpPlugNotifier.h"

#include "AmpEmulator.h"

#include <dbt.h>

#include <cwchar>

const wchar_t* const kAmpInterfacePath = L"\\\\?\\HID#VID_0483&PID_5750#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

namespace {

struct PlugBroadcast {
    DEV_BROADCAST_DEVICEINTERFACE_W header = {};
    wchar_t rest[160] = {};  // the path continues past the header's one-character name
};

}  // namespace

void SendAmpPlugNotification(HWND window, bool arrived) {
    if (!window) return;
    PlugBroadcast broadcast;
    broadcast.header.dbcc_size = sizeof(broadcast);
    broadcast.header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    wcsncpy(broadcast.header.dbcc_name, kAmpInterfacePath, 150);
    const WPARAM event = arrived ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
    const LPARAM data = reinterpret_cast<LPARAM>(&broadcast);
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        SendMessageW(window, WM_DEVICECHANGE, event, data);
        return;
    }
    // From the bus's own thread, as the system sends it: handled when the window's thread takes its
    // messages; a window that stopped taking them (its program is ending) is not waited for forever.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_DEVICECHANGE, event, data, SMTO_NORMAL, 30000, &result);
}

void NotifyPlugEvents(AmpEmulator& emulator, HWND (*findWindow)()) {
    emulator.SetPlugListener([findWindow](bool present) { SendAmpPlugNotification(findWindow(), present); });
}
