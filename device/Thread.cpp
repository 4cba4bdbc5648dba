#include "device/Thread.h"

#include "base/Log.h"

#include <exception>

namespace {
constexpr SIZE_T kStackBytes = 4096;
}

Thread::Thread(Function function, void* argument) { Start(new Holder{function, argument}, &Thread::Invoke); }

Thread::~Thread() { Destroy(); }

void Thread::Start(Holder* holder, Invoker invoker) {
    mContext = new Context{nullptr, holder, invoker};
    mContext->handle = CreateThread(nullptr, kStackBytes, &Thread::StartRoutine, mContext, 0, nullptr);
    if (mContext->handle == nullptr) {
        // The thread never ran, so nothing else will free the holder.
        delete holder;
        mContext->holder = nullptr;
    }
}

void Thread::Invoke(Holder* holder) {
    // Exceptions cannot cross the system's thread frames.
    try {
        holder->function(holder->argument);
    } catch (const std::exception& e) {
        LogPrintA("Thread: unhandled exception: %s\n", e.what());
    } catch (...) {
        LogPrintA("Thread: unhandled exception\n");
    }
    delete holder;
}

DWORD WINAPI Thread::StartRoutine(LPVOID context) {
    auto* ctx = static_cast<Context*>(context);
    ctx->invoker(ctx->holder);
    return 0;
}

void Thread::Join() {
    if (mContext == nullptr || mContext->handle == nullptr) return;
    WaitForSingleObject(mContext->handle, INFINITE);
    CloseHandle(mContext->handle);
    mContext->handle = nullptr;
}

void Thread::Destroy() {
    if (mContext == nullptr) return;
    Join();
    delete mContext;
    mContext = nullptr;
}
