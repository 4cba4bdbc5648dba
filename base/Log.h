#pragma once
// Console and file log. Off unless opened at start-up; then every line goes to the console and to the
// log file, each preceded by a "[hh:mm:ss.mmm] " stamp while LogTimestampEnabled is set.
// Formats follow the Microsoft CRT: in wide formats %ls is wide text and %hs narrow text.
#include <atomic>
#include <cstdint>

extern std::atomic<uint8_t> LogTimestampEnabled;

// Leaves the time stamp off for the lines this thread writes while the scope lives (a hex dump written
// piece by piece); other threads' lines keep theirs. Scopes nest.
class LogUnstampedScope {
public:
    LogUnstampedScope();
    ~LogUnstampedScope();
    LogUnstampedScope(const LogUnstampedScope&) = delete;
    LogUnstampedScope& operator=(const LogUnstampedScope&) = delete;
};

// Opens a console window, switches the console locale to code page 936 and opens the log file.
int InitConsoleWindow(const wchar_t* path);
// Opens (emptying) or closes only the log file; the console is not touched.
bool LogOpenFile(const wchar_t* path);
void LogCloseFile();
bool LogIsOpen();

int LogPrintW(const wchar_t* format, ...);
int LogPrintA(const char* format, ...);

// Conversions in the ANSI code page, terminator included; the caller's buffer must hold the result.
void AnsiToWideBuf(const char* text, wchar_t* out);
void WideToAnsiBuf(const wchar_t* text, char* out);
