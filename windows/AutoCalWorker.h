#pragma once
// The auto-calibration worker: it tells the amplifier what to measure, starts the run and then polls
// the run's status, fetching a channel's distance, spectrum and EQ result when the status says they are
// ready, until the amplifier reports the end, a failure or an exit, or the window asks it to stop.
// Every reply reaches the calibration window through the link; the worker only reads what the window
// took from them, through the shared record below, and posts the progress to show.
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

class DeviceLink;

constexpr int kAutoCalPauseMs = 500;  // the worker's pause, twice per round

// What the window and its worker share. The window writes the status fields from the replies; the
// worker writes `running`; the window asks it to stop.
struct AutoCalShared {
    std::atomic<int> status{0};
    std::atomic<int> currentChannel{0};
    std::atomic<int> progress{0};
    std::atomic<bool> dataUpdate{false};
    std::atomic<bool> running{false};
    std::atomic<bool> stopRequest{false};
    std::atomic<unsigned> statusesTaken{0};  // status replies the window has stored

    // Sleeps up to ms; false, at once, when a stop is (or gets) requested.
    bool Pause(int ms);
    void RequestStop();

private:
    std::mutex m_lock;
    std::condition_variable m_wake;
};

struct AutoCalJob {
    DeviceLink* link = nullptr;
    HWND window = nullptr;   // receives WM_IRC_PROGRESS
    uint8_t modules = 7;     // bit 0 EQ, bit 1 delay, bit 2 phase
    uint16_t channels = 0;   // bit i: output i is measured
    uint8_t eqMode = 0;
    int pauseMs = kAutoCalPauseMs;
};

// The worker's whole run, on the calling thread.
void AutoCalThread(AutoCalShared& shared, const AutoCalJob& job);

class AutoCalWorker {
public:
    ~AutoCalWorker() { Stop(); }
    // A previous run's thread is stopped and joined first. False when no thread could be started.
    bool Start(AutoCalShared& shared, const AutoCalJob& job);
    // Asks the run to stop and waits for it.
    void Stop();
    bool Exists() const { return m_thread.joinable(); }

private:
    AutoCalShared* m_shared = nullptr;
    std::thread m_thread;
};
