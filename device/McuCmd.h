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
    bool Enqueue(const McuCmd& cmd) { return Put(Slot{cmd, false}); }
    // Ends the consumer's current or next wait without an item, so it can look at its own state.
    void Wake() { Put(Slot{McuCmd{}, true}); }
    // Waits, without limit and without waking up meanwhile, for an item (true) or a Wake (false).
    bool WaitDequeue(McuCmd& cmd) {
        Slot slot;
        mQueue.wait_dequeue(slot);
        if (slot.wake) return false;
        cmd = slot.cmd;
        return true;
    }
    // The next item, if any; wake-ups are passed over.
    bool TryDequeue(McuCmd& cmd) {
        Slot slot;
        while (mQueue.try_dequeue(slot)) {
            if (slot.wake) continue;
            cmd = slot.cmd;
            return true;
        }
        return false;
    }

private:
    struct Slot {
        McuCmd cmd;
        bool wake = false;  // no item: only ends a wait
    };
    bool Put(const Slot& slot) {
        std::lock_guard<std::mutex> lock(mProducers);
        return mQueue.enqueue(slot);
    }

    std::mutex mProducers;  // the underlying queue allows one producer at a time
    moodycamel::BlockingReaderWriterQueue<Slot> mQueue;
};
