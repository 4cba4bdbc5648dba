// Times the read-back after connecting, against the emulated amplifier paced like a full-speed USB device
// (each report takes one 1 ms interval of its pipe), each figure beside its floor:
//   - the read-back: from the first request written to the last reply read. Floor: the bus time of its
//     127 requests (one without a reply): 1 + 126 x 2 ms = 253 ms. No fixed wait follows the read: the
//     ready handler runs as soon as the replies are applied.
//     The part of it the program spends between a reply read and its next request written is shown too.
//   - from the last reply read to the connected page painted (every reply applied, the popup gone, the
//     window's pending paint done). Floor: 0.
// Run under Wine in an X session: read_all_bench.exe [runs]
#include "ControllerBench.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace SkinUI;

namespace {

// Notes when the first request goes out and when the last report comes in.
class TimingBackend : public ForwardingHidBackend {
public:
    explicit TimingBackend(HidBackend& inner) : ForwardingHidBackend(inner) {}
    int Write(HidHandle* dev, const uint8_t* data, size_t length) override {
        const double now = BenchSeconds();
        double expected = 0;
        if (!firstWrite.compare_exchange_strong(expected, now) && lastRead.load() > 0)
            hostGaps = hostGaps.load() + (now - lastRead.load());
        ++writes;
        return ForwardingHidBackend::Write(dev, data, length);
    }
    int ReadTimeout(HidHandle* dev, uint8_t* data, size_t length, int timeoutMs) override {
        const int n = ForwardingHidBackend::ReadTimeout(dev, data, length, timeoutMs);
        if (n > 0) lastRead = BenchSeconds();
        return n;
    }
    std::atomic<double> firstWrite{0};
    std::atomic<double> lastRead{0};
    std::atomic<double> hostGaps{0};  // from each reply read to the next request written
    std::atomic<int> writes{0};
};

bool PumpUntilConnected(CMainWnd& window, double timeoutSeconds) {
    const double start = BenchSeconds();
    while (BenchSeconds() - start < timeoutSeconds) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            if (!CPaintManagerUI::PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (MainWindowConnected(window)) return true;
        // Sleeps until a message comes, as the program's own loop does: polling here would compete with
        // the read-back it measures.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    BenchApplication application;
    if (!application.ready) return 1;
    std::vector<double> readTimes, paintTimes, gapTimes;
    int requests = 0;
    for (int run = 0; run < runs; ++run) {
        AmpEmulator emulator;
        PaceLikeUsb(emulator);
        TimingBackend timing(emulator);
        CMainWnd* window = OpenMainWindow(&timing);
        if (!PumpUntilConnected(*window, 30)) {
            fprintf(stderr, "run %d: not connected\n", run);
            return 1;
        }
        UpdateWindow(window->GetHandle());
        const double painted = BenchSeconds();
        readTimes.push_back(timing.lastRead.load() - timing.firstWrite.load());
        paintTimes.push_back(painted - timing.lastRead.load());
        gapTimes.push_back(timing.hostGaps.load());
        requests = timing.writes.load();
        CloseMainWindow(window);
    }
    printf("read-back: %d requests, median %.0f ms over %d runs (floor %d ms on the bus)\n", requests,
           BenchMedian(readTimes) * 1000, runs, 1 + 126 * 2);
    printf("  of which the program between a reply and its next request: median %.1f ms in all (floor 0 ms)\n",
           BenchMedian(gapTimes) * 1000);
    printf("last reply to painted page: median %.1f ms (floor 0 ms)\n", BenchMedian(paintTimes) * 1000);
    return 0;
}
