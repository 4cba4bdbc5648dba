#pragma once
// What the two firmware windows share: one upload stage run on a worker thread (UpgradeStart, then
// UpgradeProgress until the transfer ends), the worker that runs it and is joined before its window
// goes, and a process-wide "firmware work in progress" count that the main window consults before it
// closes or restarts.
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
// WM_UPDATE_PROGRESS for every new percentage up to 100, and WM_UPDATE_STAGE_DONE or
// WM_UPDATE_FAILED. A stop request ends the transfer between two steps and reports WM_UPDATE_FAILED.
void RunUploadStage(DeviceLink& link, const std::wstring& path, UINT startedMessage, const std::atomic<bool>& stop,
                    const UploadReport& report);

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

private:
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stop{false};
};
