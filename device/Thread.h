#pragma once
// Thread: a minimal thread object. The constructor starts function(argument) on a system thread with
// a 4096-byte initial stack; Join waits for it; Destroy (and the destructor) joins and frees.
#include <windows.h>

class Thread {
public:
    using Function = void (*)(void* argument);

    Thread(Function function, void* argument);
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void Join();
    void Destroy();
    bool Started() const { return mContext != nullptr && mContext->handle != nullptr; }

private:
    struct Holder {
        Function function;
        void* argument;
    };
    using Invoker = void (*)(Holder* holder);
    struct Context {
        HANDLE handle = nullptr;
        Holder* holder = nullptr;
        Invoker invoker = nullptr;
    };

    void Start(Holder* holder, Invoker invoker);
    static void Invoke(Holder* holder);
    static DWORD WINAPI StartRoutine(LPVOID context);

    Context* mContext = nullptr;
};
