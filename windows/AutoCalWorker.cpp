#include "AutoCalWorker.h"

#include "base/Log.h"
#include "device/DeviceLink.h"
#include "device/DeviceMessages.h"

#include <chrono>
#include <exception>

namespace {

constexpr int kStatusDone = 10;
constexpr int kStatusFailed = 11;
constexpr int kStatusExit = 12;
constexpr int kStatusDistanceReady = 14;
constexpr int kStatusSpectrumReady = 7;
constexpr int kStatusEqReady = 8;
constexpr int kStatusDataUpdate = 9;
constexpr int kReplyGraceMs = 2000;  // how long a round waits beyond its pause for the window to take the status
constexpr int kSpectrumLastPoint = 120;
constexpr int kSpectrumBlock = 9;

bool Ended(int status) { return status == kStatusFailed || status == kStatusExit; }

// The status request's answer is acted on only once the window has taken it in, so a busy UI thread never
// makes the worker act on the status before last.
void AwaitStatus(AutoCalShared& shared, unsigned before) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kReplyGraceMs);
    while (shared.statusesTaken.load() == before && std::chrono::steady_clock::now() < until) {
        if (!shared.Pause(5)) return;
    }
}

void FetchResults(AutoCalShared& shared, const AutoCalJob& job, int status) {
    DeviceLink& link = *job.link;
    const uint8_t ch = static_cast<uint8_t>(shared.currentChannel.load() & 0xFF);
    switch (status) {
    case kStatusDistanceReady: link.IRC_Get_Distance(ch, ch); break;
    case kStatusSpectrumReady:
        for (int first = 0; first <= kSpectrumLastPoint && !shared.stopRequest; first += kSpectrumBlock) {
            const int last = first + kSpectrumBlock - 1 < kSpectrumLastPoint ? first + kSpectrumBlock - 1 : kSpectrumLastPoint;
            link.IRC_Get_Spectrum(ch, static_cast<uint8_t>(first), static_cast<uint8_t>(last));
        }
        break;
    case kStatusEqReady:
        link.IRC_Get_EQ(ch, 0, 5);
        link.IRC_Get_EQ(ch, 6, 10);
        break;
    default:
        if (status == kStatusDataUpdate && shared.dataUpdate.exchange(false)) break;
        PostMessageW(job.window, WM_IRC_PROGRESS, static_cast<WPARAM>(shared.progress.load()), 0);
        break;
    }
}

}  // namespace

bool AutoCalShared::Pause(int ms) {
    std::unique_lock<std::mutex> lock(m_lock);
    return !m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopRequest.load(); });
}

void AutoCalShared::RequestStop() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        stopRequest = true;
    }
    m_wake.notify_all();
}

void AutoCalThread(AutoCalShared& shared, const AutoCalJob& job) {
    LogPrintW(L"AutoCalThread begin\n");
    DeviceLink& link = *job.link;
    link.IRC_Sel_Test_Module(job.modules, true);
    link.IRC_Ctrl(1, job.channels, job.eqMode, true);
    while (shared.status.load() != kStatusDone) {
        if (Ended(shared.status.load()) || shared.stopRequest) break;
        const unsigned before = shared.statusesTaken.load();
        link.IRC_Get();
        if (!shared.Pause(job.pauseMs)) break;
        AwaitStatus(shared, before);
        if (shared.stopRequest) break;
        FetchResults(shared, job, shared.status.load());
        if (!shared.Pause(job.pauseMs) || shared.status.load() == kStatusDone) break;
    }
    shared.running = false;
    LogPrintW(L"AutoCalThread end, pwm->mIrcStatus=0x%x\n", shared.status.load());
}

bool AutoCalWorker::Start(AutoCalShared& shared, const AutoCalJob& job) {
    Stop();
    m_shared = &shared;
    shared.status = 0;
    shared.dataUpdate = false;
    shared.stopRequest = false;
    shared.running = true;
    try {
        m_thread = std::thread([&shared, job] {
            try {
                AutoCalThread(shared, job);
            } catch (const std::exception& e) {
                LogPrintA("AutoCalThread: %s\n", e.what());
                shared.running = false;
            } catch (...) {
                LogPrintA("AutoCalThread failed\n");
                shared.running = false;
            }
        });
    } catch (const std::exception& e) {
        LogPrintA("AutoCalThread not started: %s\n", e.what());
        shared.running = false;
        return false;
    }
    return true;
}

void AutoCalWorker::Stop() {
    if (!m_thread.joinable()) return;
    if (m_shared) m_shared->RequestStop();
    m_thread.join();
}
