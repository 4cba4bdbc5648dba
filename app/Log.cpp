#include "Log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <clocale>

std::atomic<uint8_t> LogTimestampEnabled{1};

namespace {

constexpr int kMessageChars = 1024;
constexpr int kLinesPerFlush = 10;

FILE* gLogFile = nullptr;
bool gConsole = false;  // lines go to the console only once one was opened
std::atomic<int> gLineCount{0};
std::atomic<bool> gBusy{false};
wchar_t gWideMessage[kMessageChars];
char gNarrowMessage[kMessageChars];
char gFileBuffer[1 << 16];

// Writers from several threads take turns; a waiting writer sleeps 1 ms per check.
void Acquire() {
    while (gBusy.exchange(true, std::memory_order_acquire)) Sleep(1);
}

void Release() {
    int before = gLineCount.load();
    if (before > kLinesPerFlush) {
        if (gLogFile) fflush(gLogFile);
        before = 0;
    }
    gLineCount.store(before + 1);
    gBusy.store(false, std::memory_order_release);
}

void CurrentStamp(int& h, int& m, int& s, int& ms) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    h = t.wHour;
    m = t.wMinute;
    s = t.wSecond;
    ms = t.wMilliseconds;
}

// Formats into a fixed buffer; an over-long line is cut, never overflowing.
int FormatWide(const wchar_t* format, va_list args) {
    int n = _vsnwprintf(gWideMessage, kMessageChars - 1, format, args);
    gWideMessage[kMessageChars - 1] = 0;
    return n < 0 ? static_cast<int>(wcslen(gWideMessage)) : n;
}

int FormatNarrow(const char* format, va_list args) {
    int n = _vsnprintf(gNarrowMessage, kMessageChars - 1, format, args);
    gNarrowMessage[kMessageChars - 1] = 0;
    return n < 0 ? static_cast<int>(strlen(gNarrowMessage)) : n;
}

void PutWide(const wchar_t* text, size_t count) {
    if (gConsole) fputws(text, stdout);
    fwrite(text, sizeof(wchar_t), count, gLogFile);
}

void PutNarrow(const char* text, size_t count) {
    if (gConsole) fputs(text, stdout);
    fwrite(text, 1, count, gLogFile);
}

}  // namespace

bool LogOpenFile(const wchar_t* path) {
    Acquire();
    if (gLogFile) fclose(gLogFile);
    gLineCount = 0;
    gLogFile = _wfopen(path, L"wb");
    if (gLogFile) setvbuf(gLogFile, gFileBuffer, _IOFBF, sizeof gFileBuffer);
    gBusy.store(false);
    return gLogFile != nullptr;
}

void LogCloseFile() {
    Acquire();
    if (gLogFile) fclose(gLogFile);
    gLogFile = nullptr;
    gBusy.store(false);
}

bool LogIsOpen() { return gLogFile != nullptr; }

int InitConsoleWindow(const wchar_t* path) {
    AllocConsole();
    gConsole = freopen("CONOUT$", "w", stdout) != nullptr;
    setlocale(LC_CTYPE, ".936");
    LogOpenFile(path);
    return 0;
}

int LogPrintW(const wchar_t* format, ...) {
    if (!gLogFile) {
        ++gLineCount;
        return 0;
    }
    Acquire();
    if (LogTimestampEnabled) {
        int h, m, s, ms;
        CurrentStamp(h, m, s, ms);
        wchar_t stamp[32];
        int n = _snwprintf(stamp, 31, L"[%02d:%02d:%02d.%03d] ", h, m, s, ms);
        stamp[31] = 0;
        PutWide(stamp, n > 0 ? n : 0);
    }
    va_list args;
    va_start(args, format);
    int n = FormatWide(format, args);
    va_end(args);
    PutWide(gWideMessage, wcslen(gWideMessage));
    Release();
    return n;
}

int LogPrintA(const char* format, ...) {
    if (!gLogFile) {
        ++gLineCount;
        return 0;
    }
    Acquire();
    if (LogTimestampEnabled) {
        int h, m, s, ms;
        CurrentStamp(h, m, s, ms);
        char stamp[32];
        int n = _snprintf(stamp, 31, "[%02d:%02d:%02d.%03d] ", h, m, s, ms);
        stamp[31] = 0;
        PutNarrow(stamp, n > 0 ? n : 0);
    }
    va_list args;
    va_start(args, format);
    int n = FormatNarrow(format, args);
    va_end(args);
    PutNarrow(gNarrowMessage, strlen(gNarrowMessage));
    Release();
    return n;
}

void AnsiToWideBuf(const char* text, wchar_t* out) {
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    MultiByteToWideChar(CP_ACP, 0, text, -1, out, n);
}

void WideToAnsiBuf(const wchar_t* text, char* out) {
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    WideCharToMultiByte(CP_ACP, 0, text, -1, out, n, nullptr, nullptr);
}
