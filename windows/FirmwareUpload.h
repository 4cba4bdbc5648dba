#pragma once
// What the two firmware windows share: one upload stage run on a worker thread (UpgradeStart, then
// UpgradeProgress until the transfer ends), the worker that runs it and is joined before its window
// goes, the status text of a start that failed, the slow progress tick, the file path copy, and a
// process-wide "firmware work in progress" count that the main window consults before it closes or
// restarts.
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class DeviceLink;

// True while an upload or a factory reset of an update runs, or a forced update waits between its
// stages: closing or restarting the program now could leave the amplifier without firmware.
bool FirmwareUpdateBusy();

// Holds the busy state while it lives; Release ends it early. Holders nest.
class FirmwareBusyHold {
public:
    FirmwareBusyHold();
    ~FirmwareBusyHold() { Release(); }
    FirmwareBusyHold(const FirmwareBusyHold&) = delete;
    FirmwareBusyHold& operator=(const FirmwareBusyHold&) = delete;
    void Release();

private:
    bool m_held = true;
};

// Where a stage reports to: (message, wParam), posted to its window by the product.
using UploadReport = std::function<void(UINT message, WPARAM wParam)>;

// One upload stage, on the calling (worker) thread. Reports WM_UPDATE_START_FAILED (wParam the
// UpgradeStart result) when it cannot start, else `startedMessage` (when non-zero), then
// WM_UPDATE_PROGRESS for every new percentage up to 100, and WM_UPDATE_STAGE_DONE (wParam
// kAmplifierRestarts or 0) or WM_UPDATE_FAILED. A stop request ends the transfer between two steps and
// reports WM_UPDATE_FAILED.
void RunUploadStage(DeviceLink& link, const std::wstring& path, UINT startedMessage, const std::atomic<bool>& stop,
                    const UploadReport& report);

// The status text for an UpgradeStart result other than 0.
const wchar_t* UploadStartFailureText(int result);

// How long an amplifier may take to come back after an upload restarted it, before a replug is asked for.
constexpr DWORD kAmplifierRestartMs = 30000;

// WM_UPDATE_STAGE_DONE's wParam when the amplifier restarts to take the upload (MCU and DSP images); a
// boot-loader image is taken by the running boot loader, which stays on the bus.
constexpr WPARAM kAmplifierRestarts = 1;

// The timer id of the slow progress tick both firmware windows take (as WM_TIMER, or WM_UPDATE_TICK).
constexpr UINT_PTR UPDATE_TICK_TIMER = 4113;

// The progress after one slow tick from `value`: below 80 % the bar creeps one step every value / 10
// ticks (a counter shared by every window); from 80 % on it stays.
int TickedProgress(int value);

// Copies a path into a MAX_PATH buffer, cut short if longer; null gives an empty path.
void CopyFirmwarePath(wchar_t (&to)[MAX_PATH], const wchar_t* from);

// One worker thread at a time, holding the busy state while it runs. The destructor asks the work to
// stop and joins it, so a worker never outlives the window whose fields it reads.
class FirmwareWorker {
public:
    FirmwareWorker() = default;
    ~FirmwareWorker();
    FirmwareWorker(const FirmwareWorker&) = delete;
    FirmwareWorker& operator=(const FirmwareWorker&) = delete;

    // Starts work(stop) unless a worker still runs; false when nothing was started.
    bool Start(std::function<void(const std::atomic<bool>& stop)> work);
    bool IsRunning() const { return m_running.load(); }
    void Join();

    // Starts RunUploadStage on the worker, posting its reports to `window`; `name` marks the thread's
    // start and end in the log.
    bool StartUpload(DeviceLink& link, const std::wstring& path, UINT startedMessage, HWND window,
                     const wchar_t* name);

private:
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stop{false};
};
