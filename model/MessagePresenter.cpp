#include "model/MessagePresenter.h"

#include <utility>

#include "base/Log.h"

namespace {

MessagePresenter& InstalledPresenter() {
    static MessagePresenter presenter;
    return presenter;
}

}  // namespace

void SetMessagePresenter(MessagePresenter presenter) { InstalledPresenter() = std::move(presenter); }

int ShowModelMessage(HWND owner, const wchar_t* titleKey, const wchar_t* textKey, const wchar_t* const* buttonKeys,
                     int buttonCount) {
    const MessagePresenter& presenter = InstalledPresenter();
    if (presenter) return presenter(owner, titleKey, textKey, buttonKeys, buttonCount);
    LogPrintW(L"message %ls: %ls\n", titleKey, textKey);
    return 0;
}
