#pragma once
// Captures what the model writes to the log, without time stamps, as narrow text.
#include <windows.h>

#include <string>

#include "base/Log.h"

class LogCapture {
public:
    LogCapture() {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        path_ = std::wstring(dir) + L"velmor_model_log_" + std::to_wstring(GetCurrentProcessId()) + L".log";
        LogOpenFile(path_.c_str());
        LogTimestampEnabled = 0;
    }
    ~LogCapture() {
        LogCloseFile();
        LogTimestampEnabled = 1;
        DeleteFileW(path_.c_str());
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Everything logged since the capture started (the log writes UTF-16; the lines are ASCII). The log
    // reopens its file emptied, so what was read so far is kept here.
    std::string Text() {
        LogCloseFile();
        std::string bytes = ReadAll();
        LogOpenFile(path_.c_str());
        for (size_t i = 0; i + 1 < bytes.size(); i += 2) accumulated_.push_back(bytes[i]);
        return accumulated_;
    }

private:
    std::string ReadAll() const {
        HANDLE h = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return {};
        std::string out;
        char buf[4096];
        DWORD n = 0;
        while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n) out.append(buf, n);
        CloseHandle(h);
        return out;
    }
    std::wstring path_;
    std::string accumulated_;
};
