#pragma once
// How the model tells the user something: a modal message owned by a window. Title, text and button
// texts are "${key}" placeholders; whoever shows the message resolves them in the current language.
#include <windows.h>

#include <functional>

// Returns 1 for the first (confirming) button, 0 for cancel, 2 for the third button.
using MessagePresenter = std::function<int(HWND owner, const wchar_t* titleKey, const wchar_t* textKey,
                                           const wchar_t* const* buttonKeys, int buttonCount)>;

// The application installs its message window at start-up. Until then, or after an empty presenter
// is installed, messages are only written to the log.
void SetMessagePresenter(MessagePresenter presenter);

int ShowModelMessage(HWND owner, const wchar_t* titleKey, const wchar_t* textKey, const wchar_t* const* buttonKeys,
                     int buttonCount);
