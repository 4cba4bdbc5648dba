#pragma once
// How decoded replies reach their windows. The product posts with PostMessageW; tests capture the
// (window, message, wParam, lParam) tuples instead. A false result means the receiver never gets the
// message, so the caller still owns any record passed in lParam.
#include <windows.h>

class ReplyPoster {
public:
    virtual ~ReplyPoster() = default;
    virtual bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// PostMessageW; a null window fails instead of becoming a thread message. One shared instance.
ReplyPoster& WindowReplyPoster();
