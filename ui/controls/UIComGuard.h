#pragma once
// Calls into this framework from a component's own frames (a hosted control, the text engine): an
// exception must not cross them, so it is logged and becomes the call's failure answer.
#include "base/Log.h"

#include <windows.h>

#include <exception>

namespace SkinUI {

template <class Work>
auto GuardedCall(const wchar_t* where, Work&& work, decltype(work()) failure) -> decltype(work()) {
    try {
        return work();
    } catch (const std::exception& e) {
        LogPrintW(L"%ls: %hs\n", where, e.what());
    } catch (...) {
        LogPrintW(L"%ls: exception\n", where);
    }
    return failure;
}

}  // namespace SkinUI
