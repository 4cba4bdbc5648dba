#include "base/Log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <clocale>

std::atomic<uint8_t> LogTimestampEnabled{1};

namespace {
thread_local int tUnstampedDepth = 0;
}  // namespace

LogUnstampedScope::LogUnstampedScope() { ++tUnstampedDepth; }
LogUnstampedScope::~LogUnstampedScope() { --tUnstampedDepth; }

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

// "[hh:mm:ss.mmm] " of the local time; returns its length.
int FormatStamp(char* out, size_t size) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    int n = _snprintf(out, size - 1, "[%02d:%02d:%02d.%03d] ", t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    out[size - 1] = 0;
    return n > 0 ? n : 0;
}

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

namespace {

// The frame both writers share: nothing while the log is off, one writer at a time, the flush rule.
template <typename WriteLine>
int WriteLogLine(WriteLine writeLine) {
    if (!gLogFile) {
        ++gLineCount;
        return 0;
    }
    Acquire();
    int n = writeLine(LogTimestampEnabled != 0 && tUnstampedDepth == 0);
    Release();
    return n;
}

}  // namespace

int LogPrintW(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int n = WriteLogLine([&](bool stamped) {
        if (stamped) {
            char stamp[32];
            int length = FormatStamp(stamp, sizeof stamp);
            wchar_t wideStamp[32];
            for (int i = 0; i <= length; ++i) wideStamp[i] = static_cast<unsigned char>(stamp[i]);
            PutWide(wideStamp, length);
        }
        int count = FormatWide(format, args);
        PutWide(gWideMessage, wcslen(gWideMessage));
        return count;
    });
    va_end(args);
    return n;
}

int LogPrintA(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = WriteLogLine([&](bool stamped) {
        if (stamped) {
            char stamp[32];
            PutNarrow(stamp, FormatStamp(stamp, sizeof stamp));
        }
        int count = FormatNarrow(format, args);
        PutNarrow(gNarrowMessage, strlen(gNarrowMessage));
        return count;
    });
    va_end(args);
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
