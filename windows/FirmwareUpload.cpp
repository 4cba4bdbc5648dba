#include "FirmwareUpload.h"

#include "base/Log.h"
#include "device/DeviceLink.h"
#include "device/DeviceMessages.h"

#include <exception>
#include <memory>

namespace {

std::atomic<int> gBusyHolds{0};

}  // namespace

bool FirmwareUpdateBusy() { return gBusyHolds.load() > 0; }

FirmwareBusyHold::FirmwareBusyHold() { ++gBusyHolds; }

void FirmwareBusyHold::Release() {
    if (!m_held) return;
    m_held = false;
    --gBusyHolds;
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
        report(progress == UPG_PROGRESS_FAILED ? WM_UPDATE_FAILED : WM_UPDATE_STAGE_DONE, 0);
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

void FirmwareWorker::Join() {
    if (m_thread.joinable()) m_thread.join();
}
