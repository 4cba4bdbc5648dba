// Device link against the emulated amplifier on a paced bus (one report per 1 ms interval each way):
// the wall time of 100 get requests, and the latency from an asynchronous setter call until its report
// has been written, each beside the minimum the bus allows.
#include "AmpEmulator.h"
#include "device/DeviceLink.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Forwards to the emulator and notes when each write has gone out.
class WriteTimer final : public ForwardingHidBackend {
public:
    using ForwardingHidBackend::ForwardingHidBackend;

    Clock::time_point WaitForWrite(int count) {
        std::unique_lock<std::mutex> lock(mLock);
        mChanged.wait(lock, [&] { return mWrites >= count; });
        return mLastWrite;
    }
    int Writes() {
        std::lock_guard<std::mutex> lock(mLock);
        return mWrites;
    }

    int Write(HidHandle* d, const uint8_t* data, size_t length) override {
        const int result = mInner.Write(d, data, length);
        std::lock_guard<std::mutex> lock(mLock);
        mLastWrite = Clock::now();
        ++mWrites;
        mChanged.notify_all();
        return result;
    }

private:
    std::mutex mLock;
    std::condition_variable mChanged;
    int mWrites = 0;
    Clock::time_point mLastWrite;
};

// 100 requests in the mix of the application's read-back.
void HundredGets(DeviceLink& link) {
    for (int round = 0; round < 10; ++round) {
        link.Get_Delay(0, 0, 0, 9);
        link.Get_Trim(0, 0, 0, 9);
        link.Get_Filter(0, 0, 0, 3);
        link.Get_EQ(0, 0, static_cast<uint8_t>(round), 0, 7);
        link.Get_Mix_Ch(0, static_cast<uint8_t>(round % 9), 0, 9);
        link.Get_Mute_Ch(0, 0, 0, 9);
        link.Get_Phase(0, 0, 0, 9);
        link.Get_Source();
        link.Get_SceneName(static_cast<uint8_t>(round + 1));
        link.Get_Input_Mix_CH_Trim(0, 0, static_cast<uint8_t>(round), 0, 9);
    }
}

}  // namespace

int main() {
    timeBeginPeriod(1);  // 1 ms sleeps, as the bus intervals need
    AmpEmulator amp;
    amp.SetRealTime(true);
    amp.SetUsbPacing(true);
    WriteTimer timer(amp);
    DeviceLink link(DeviceLinkSeams{&timer, nullptr, nullptr});
    link.SetDeviceProfile(94, 10, 10, 0, 0);
    link.OpenHIDDevice();
    if (!link.IsConnected()) {
        std::printf("the emulated amplifier did not open\n");
        return 1;
    }

    HundredGets(link);  // warm-up
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        const Clock::time_point start = Clock::now();
        HundredGets(link);
        runs.push_back(Ms(Clock::now() - start));
    }
    std::sort(runs.begin(), runs.end());
    constexpr double kBusFloorMs = 200.0;  // one 1 ms interval out and one in per request
    const double median = runs[runs.size() / 2];
    std::printf("100 get requests: median %.1f ms, best %.1f ms; bus floor %.0f ms (one 1 ms interval out, one in); "
                "median %.3f x the floor\n",
                median, runs.front(), kBusFloorMs, median / kBusFloorMs);

    link.EnableCmdQueue();
    std::vector<double> latencies;
    for (int i = 0; i < 200; ++i) {
        const int before = timer.Writes();
        const Clock::time_point call = Clock::now();
        link.Mute_Ctrl(static_cast<uint8_t>(i & 1), false);
        latencies.push_back(Ms(timer.WaitForWrite(before + 1) - call));
        while (!link.IsCmdQueueIdle()) Sleep(0);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("async setter call to report written: median %.2f ms, best %.2f ms, worst %.2f ms "
                "(bus minimum 1 ms: one interval out)\n",
                latencies[latencies.size() / 2], latencies.front(), latencies.back());
    timeEndPeriod(1);
    return 0;
}
