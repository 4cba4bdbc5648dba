#pragma once
// Millisecond tick and sleep as the device link sees them. The product uses GetTickCount and Sleep;
// tests pass a clock they advance themselves, so the 2 s write wait and the 10 s reads cost no real time.
#include <cstdint>

class DeviceClock {
public:
    virtual ~DeviceClock() = default;
    virtual uint32_t NowMs() = 0;             // wraps after 49.7 days: compare differences only
    virtual void SleepMs(uint32_t ms) = 0;    // 0 gives up the rest of the time slice
};

// GetTickCount and Sleep; one shared instance.
DeviceClock& SystemDeviceClock();

// Milliseconds since start, safe across the tick counter's wrap.
inline uint32_t ElapsedMs(DeviceClock& clock, uint32_t start) { return clock.NowMs() - start; }
