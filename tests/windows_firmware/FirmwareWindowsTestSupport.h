#pragma once
// The firmware and tool windows against the emulated amplifier, through the real main window: a link
// clock whose long sleeps (the upload's wait for the restarting amplifier) are cut short, the windows
// found by class, their controls read by name, and the progress messages they receive recorded.
#include "AppTestSupport.h"
#include "ControllerTestSupport.h"
#include "SceneTestSupport.h"
#include "device_firmware/FirmwareTestSupport.h"
#include "tool_windows/ToolWindowTestSupport.h"
#include "windows/ForceUpdateWnd.h"
#include "windows/UpdateFwWnd.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace FirmwareTest {

// Real ticks; sleeps of more than a few milliseconds cut short, so an upload's 8 s wait for the
// restarting amplifier lasts only until it is back and the system has told the program so.
class QuickClock final : public DeviceClock {
public:
    explicit QuickClock(AmpEmulator& emulator) : m_emulator(emulator) {}
    uint32_t NowMs() override { return GetTickCount(); }
    void SleepMs(uint32_t ms) override {
        if (ms >= kRestartWaitMs) m_emulator.WaitUntilSettled(static_cast<int>(ms));
        Sleep(ms > 5 ? 5 : ms);
    }

private:
    static constexpr uint32_t kRestartWaitMs = 1000;
    AmpEmulator& m_emulator;
};

// The main window connected to a fresh emulated amplifier (prepared first), with the settings file
// kept aside.
struct AppRig {
    explicit AppRig(void (*prepare)(AmpState&) = nullptr);
    EqualizerManager& Controller() { return run->Controller(); }
    // From now on the system's report that the amplifier is back on the bus is kept from the program
    // (its removal is told, and makes a kept arrival void), so that what a window shows while the
    // amplifier is away stays until the test has seen it.
    void HoldArrivals();
    // Tells the program the kept arrival once the amplifier is back and the bus has told everything;
    // false until then.
    bool LetArrivalIn();

    AppTest::SettingsFileGuard settings;
    AmpEmulator emulator;
    QuickClock clock{emulator};
    std::mutex arrivalLock;
    bool holdingArrivals = false;
    bool arrivalKept = false;
    std::unique_ptr<ControllerTest::MainWindowRun> run;
};

CUpdateFwWnd* UpdateWindow();
CForceUpdateWnd* ForceWindow();
using ToolTest::DragSlider;
using ToolTest::EnabledIn;
using ToolTest::Pm;
using ToolTest::ProgressIn;
using ToolTest::TextIn;
// The status line of a firmware window, still open, is the resolved text of this key.
bool StatusIs(SkinUI::CWindowWnd* window, const wchar_t* key);

// Every WM_UPDATE_PROGRESS this thread's windows take from their queue while it lives, in order.
class ProgressRecorder {
public:
    ProgressRecorder();
    ~ProgressRecorder();
    std::vector<int> Values() const;
    void Clear();
};

// What an upload of this wrapper must leave in the emulator: the image bytes at their offsets, the
// head of the start command, the finish command.
::testing::AssertionResult ImageReceived(const AmpEmulator& emulator, AmpFirmwareTarget target,
                                         const Bytes& wrapper);

// Tries every way of closing a window (its close and cancel buttons, Alt+F4, a close from outside,
// Escape); the window must process them before it is looked at again.
void TryToClose(SkinUI::CWindowWnd* window);

}  // namespace FirmwareTest
