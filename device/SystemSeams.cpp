#include "device/DeviceClock.h"
#include "device/ReplyPoster.h"

namespace {

class SystemClock final : public DeviceClock {
public:
    uint32_t NowMs() override { return GetTickCount(); }
    void SleepMs(uint32_t ms) override { Sleep(ms); }
};

class WindowPoster final : public ReplyPoster {
public:
    bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        return window != nullptr && PostMessageW(window, message, wParam, lParam) != FALSE;
    }
};

}  // namespace

DeviceClock& SystemDeviceClock() {
    static SystemClock clock;
    return clock;
}

ReplyPoster& WindowReplyPoster() {
    static WindowPoster poster;
    return poster;
}
