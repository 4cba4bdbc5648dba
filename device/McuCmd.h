#pragma once
// McuCmd: one command waiting for the send worker, and the queue that carries it. The queue takes
// items from several threads at once (the UI thread and the application's workers) and hands them to
// the one worker.
#include "device/HidPacket.h"

#include <readerwriterqueue/readerwriterqueue.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>

struct McuCmd {
    uint8_t mcmd = 0;     // packet type
    uint8_t subcmd = 0;
    uint8_t optype = 0;   // OP_SET or OP_GET
    std::array<uint8_t, HidPacket::kMaxRequestPayload> cmd_data{};  // held by value: nothing to free
    uint32_t len = 0;     // payload bytes; only the low byte counts
    int waitMs = 10000;   // how long the worker waits for the reply
};

class McuCmdQueue {
public:
    static constexpr size_t kInitialCapacity = 256;  // grows by itself when full

    McuCmdQueue() : mQueue(kInitialCapacity) {}

    // False only when growing the queue failed.
    bool Enqueue(const McuCmd& cmd) {
        std::lock_guard<std::mutex> lock(mProducers);
        return mQueue.enqueue(cmd);
    }
    // Waits up to timeoutMs for an item; the worker's idle poll.
    bool WaitDequeue(McuCmd& cmd, uint32_t timeoutMs) {
        return mQueue.wait_dequeue_timed(cmd, static_cast<std::int64_t>(timeoutMs) * 1000);
    }
    bool TryDequeue(McuCmd& cmd) { return mQueue.try_dequeue(cmd); }
    size_t SizeApprox() const { return mQueue.size_approx(); }

private:
    std::mutex mProducers;  // the underlying queue allows one producer at a time
    moodycamel::BlockingReaderWriterQueue<McuCmd> mQueue;
};
