#include "FirmwareUpload.h"

#include "base/Log.h"
#include "device/DeviceLink.h"
#include "device/DeviceMessages.h"

#include <cwchar>
#include <exception>
#include <memory>

namespace {

std::atomic<int> gBusyHolds{0};
int gTickCount = 0;  // the slow-tick counter, shared by every window as the progress ticks expect

}  // namespace

bool FirmwareUpdateBusy() { return gBusyHolds.load() > 0; }

FirmwareBusyHold::FirmwareBusyHold() { ++gBusyHolds; }

void FirmwareBusyHold::Release() {
    if (!m_held) return;
    m_held = false;
    --gBusyHolds;
}

const wchar_t* UploadStartFailureText(int result) {
    switch (result) {
    case UPG_FILE_OPEN_FAIL: return L"${update_file_open_fail}";
    case UPG_CONNECT_FAIL: return L"${please_plug_out_and_in}";
    case UPG_START_FAIL: return L"${update_start_refused}";
    default: return L"${load_fw_fail}";  // an invalid file, and anything not told apart
    }
}

int TickedProgress(int value) {
    if (value >= 80) return value;
    ++gTickCount;
    if (gTickCount * 10 < value) return value;
    gTickCount = 0;
    return value + 1;
}

void CopyFirmwarePath(wchar_t (&to)[MAX_PATH], const wchar_t* from) {
    _snwprintf(to, MAX_PATH - 1, L"%ls", from ? from : L"");
    to[MAX_PATH - 1] = 0;
}

void RunUploadStage(DeviceLink& link, const std::wstring& path, UINT startedMessage, const std::atomic<bool>& stop,
                    const UploadReport& report) {
    const int started = link.UpgradeStart(path.c_str(), 0);
    if (started != 0) {
        LogPrintW(L"firmware upload of %ls not started: %d\n", path.c_str(), started);
        report(WM_UPDATE_START_FAILED, static_cast<WPARAM>(started));
        return;
    }
    if (startedMessage != 0) report(startedMessage, 0);
    // Only a new percentage is worth a message: the window shows nothing else of a step.
    int shown = -1;
    for (;;) {
        if (stop) {
            LogPrintW(L"firmware upload stopped\n");
            report(WM_UPDATE_FAILED, 0);
            return;
        }
        const int progress = link.UpgradeProgress();
        if (progress <= 100) {
            if (progress != shown) report(WM_UPDATE_PROGRESS, static_cast<WPARAM>(progress));
            shown = progress;
            continue;
        }
        if (progress == UPG_PROGRESS_FAILED)
            report(WM_UPDATE_FAILED, 0);
        else
            report(WM_UPDATE_STAGE_DONE, link.IsUpgBL() ? 0 : kAmplifierRestarts);
        return;
    }
}

FirmwareWorker::~FirmwareWorker() {
    m_stop = true;
    Join();
}

bool FirmwareWorker::Start(std::function<void(const std::atomic<bool>& stop)> work) {
    if (m_running) return false;
    Join();  // the previous worker has ended; its thread object is let go here
    m_stop = false;
    m_running = true;
    // Busy from here, not from the thread's first step: a close in between must already be refused.
    auto busy = std::make_unique<FirmwareBusyHold>();
    try {
        m_thread = std::thread([this, work = std::move(work), busy = std::move(busy)] {
            try {
                work(m_stop);
            } catch (const std::exception& e) {
                LogPrintA("firmware worker: %s\n", e.what());
            } catch (...) {
                LogPrintA("firmware worker failed\n");
            }
            busy->Release();
            m_running = false;
        });
    } catch (const std::exception& e) {
        LogPrintA("firmware worker not started: %s\n", e.what());
        m_running = false;
        return false;
    }
    return true;
}

bool FirmwareWorker::StartUpload(DeviceLink& link, const std::wstring& path, UINT startedMessage, HWND window,
                                 const wchar_t* name) {
    return Start([&link, path, startedMessage, window, name](const std::atomic<bool>& stop) {
        LogPrintW(L"%ls start\n", name);
        RunUploadStage(link, path, startedMessage, stop,
                       [window](UINT message, WPARAM wParam) { PostMessageW(window, message, wParam, 0); });
        LogPrintW(L"%ls end\n", name);
    });
}

void FirmwareWorker::Join() {
    if (m_thread.joinable()) m_thread.join();
}
