// What the application costs while it sits connected and idle, and the memory it holds after reading the
// amplifier, each beside the same figure of a process that only shows an empty window (the floor; for
// CPU and wake-ups also one whose window has a 100 ms timer doing nothing, the share of the status timer
// the application keeps while connected):
//   - CPU while idle: the process's CPU time over the measured seconds, in percent of one core;
//   - wake-ups: how often the process's threads were put back on a CPU, per second;
//   - reports sent while idle: anything but 0 is a poll of the device;
//   - private memory after the read-back: the process's own resident pages (Private_Clean +
//     Private_Dirty), which is where Wine puts the program image it loads, debug information included.
// The programs run as their own processes (the emulated application, tools/app_emulated, with its trace
// telling when the read-back has ended); the figures come from the Linux process underneath Wine.
// Run under Wine in an X session: idle_bench.exe [seconds]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::wstring BesideThisProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L'\\') + 1);
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW((folder + name).c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full) : folder + name;
}

// A whole small file; empty when it cannot be read.
std::string ReadText(const std::wstring& path) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return {};
    std::string text;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    fclose(file);
    return text;
}

std::wstring ProcPath(int pid, const wchar_t* rest) {
    return L"Z:\\proc\\" + std::to_wstring(pid) + L"\\" + rest;
}

// Field `index` (1-based, as in proc(5)) of a stat line; the command name may hold spaces, so fields are
// counted after its closing parenthesis, where field 3 begins.
long long StatField(const std::string& stat, int index) {
    size_t at = stat.rfind(')');
    if (at == std::string::npos) return -1;
    at += 2;
    for (int field = 3; field < index; ++field) {
        at = stat.find(' ', at);
        if (at == std::string::npos) return -1;
        ++at;
    }
    return atoll(stat.c_str() + at);
}

long long StatusValue(const std::string& status, const char* key) {
    const size_t at = status.find(key);
    return at == std::string::npos ? 0 : atoll(status.c_str() + at + strlen(key));
}

// The Linux process Wine runs a program in: Wine starts it on its own (not as a child of this process)
// with the program's Windows path as its first argument, so it is found by that path; the newest wins.
int UnixPidOf(const std::wstring& program) {
    std::string path(program.begin(), program.end());  // the build folder's path is plain ASCII
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int found = 0;
    long long foundStart = -1;
    do {
        const int pid = _wtoi(entry.cFileName);
        if (pid <= 0) continue;
        const std::string command = ReadText(ProcPath(pid, L"cmdline"));
        if (_stricmp(command.c_str(), path.c_str()) != 0) continue;  // the first argument ends at its NUL
        const long long start = StatField(ReadText(ProcPath(pid, L"stat")), 22);
        if (start > foundStart) {
            found = pid;
            foundStart = start;
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return found;
}

struct Usage {
    double cpuSeconds = 0;   // on a CPU, every thread together
    long long switches = 0;  // times a thread was switched out, voluntarily or not
};

Usage Sample(int pid) {
    Usage usage;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(ProcPath(pid, L"task\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return usage;
    do {
        const int tid = _wtoi(entry.cFileName);
        if (tid <= 0) continue;
        const std::wstring task = L"task\\" + std::to_wstring(tid) + L"\\";
        usage.cpuSeconds += atoll(ReadText(ProcPath(pid, (task + L"schedstat").c_str())).c_str()) / 1e9;
        const std::string status = ReadText(ProcPath(pid, (task + L"status").c_str()));
        usage.switches += StatusValue(status, "\nvoluntary_ctxt_switches:") +
                          StatusValue(status, "\nnonvoluntary_ctxt_switches:");
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return usage;
}

double PrivateMegabytes(int pid) {
    const std::string rollup = ReadText(ProcPath(pid, L"smaps_rollup"));
    return (StatusValue(rollup, "\nPrivate_Clean:") + StatusValue(rollup, "\nPrivate_Dirty:")) / 1024.0;
}

int TransmittedReports(const std::wstring& trace) {
    const std::string text = ReadText(trace);
    int count = text.compare(0, 2, "TX") == 0 ? 1 : 0;
    for (size_t at = text.find("\nTX"); at != std::string::npos; at = text.find("\nTX", at + 1)) ++count;
    return count;
}

struct Figures {
    bool ok = false;
    double cpuPercent = 0;
    double wakeupsPerSecond = 0;
    double privateMb = 0;
    int idleReports = 0;
    int readReports = 0;
};

class Child {
public:
    ~Child() {
        if (mWindow) PostMessageW(mWindow, WM_CLOSE, 0, 0);
        if (mProcess.hProcess) {
            if (WaitForSingleObject(mProcess.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(mProcess.hProcess, 1);
            CloseHandle(mProcess.hThread);
            CloseHandle(mProcess.hProcess);
        }
    }
    bool Start(const std::wstring& program, const std::wstring& arguments) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        std::wstring line = L"\"" + program + L"\" " + arguments;
        if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &mProcess))
            return false;
        for (int i = 0; i < 1000 && !mPid; ++i, Sleep(10)) mPid = UnixPidOf(program);
        return mPid != 0;
    }
    bool WaitForWindow(const wchar_t* windowClass) {
        for (int i = 0; i < 3000; ++i, Sleep(10)) {
            mWindow = FindWindowW(windowClass, nullptr);
            if (mWindow && IsWindowVisible(mWindow)) return true;
        }
        return false;
    }
    int Pid() const { return mPid; }

private:
    PROCESS_INFORMATION mProcess = {};
    HWND mWindow = nullptr;
    int mPid = 0;
};

// Waits until the trace has not grown for a second after the read-back's requests.
int WaitForQuietTrace(const std::wstring& trace) {
    int last = -1;
    DWORD stableSince = GetTickCount();
    for (DWORD start = GetTickCount(); GetTickCount() - start < 120000; Sleep(50)) {
        const int now = TransmittedReports(trace);
        if (now != last) {
            last = now;
            stableSince = GetTickCount();
        } else if (now >= 100 && GetTickCount() - stableSince >= 1000) {
            return now;
        }
    }
    return -1;
}

Figures Measure(Child& child, int seconds, const std::wstring& trace) {
    Figures figures;
    if (!trace.empty()) {
        figures.readReports = WaitForQuietTrace(trace);
        if (figures.readReports < 0) return figures;
    } else {
        Sleep(1000);  // its first paints done
    }
    figures.privateMb = PrivateMegabytes(child.Pid());
    const Usage before = Sample(child.Pid());
    Sleep(seconds * 1000);
    const Usage after = Sample(child.Pid());
    figures.cpuPercent = (after.cpuSeconds - before.cpuSeconds) * 100.0 / seconds;
    figures.wakeupsPerSecond = double(after.switches - before.switches) / seconds;
    if (!trace.empty()) figures.idleReports = TransmittedReports(trace) - figures.readReports;
    figures.ok = true;
    return figures;
}

Figures EmptyWindow(int seconds, const wchar_t* arguments) {
    Child child;
    if (!child.Start(BesideThisProgram(L"bench_empty_window.exe"), arguments) || !child.WaitForWindow(L"BenchEmptyWnd"))
        return {};
    return Measure(child, seconds, L"");
}

Figures ConnectedApplication(int seconds) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring trace = std::wstring(folder) + L"idle_bench_trace.txt";
    DeleteFileW(trace.c_str());
    Child child;
    if (!child.Start(BesideThisProgram(L"..\\..\\..\\tools\\app_emulated\\app_emulated.exe"),
                     L"--trace \"" + trace + L"\"") ||
        !child.WaitForWindow(L"MainWnd"))
        return {};
    return Measure(child, seconds, trace);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    const Figures empty = EmptyWindow(seconds, L"");
    const Figures timed = EmptyWindow(seconds, L"--timer 100");
    const Figures app = ConnectedApplication(seconds);
    if (!empty.ok || !timed.ok || !app.ok) {
        std::printf("a program did not come up (empty window %d, with a timer %d, application %d)\n", empty.ok,
                    timed.ok, app.ok);
        return 1;
    }
    std::printf("idle and connected, over %d s: CPU %.2f %% of one core, %.0f wake-ups/s, %d reports sent "
                "(floor 0)\n",
                seconds, app.cpuPercent, app.wakeupsPerSecond, app.idleReports);
    std::printf("  floors: empty window %.2f %%, %.0f wake-ups/s; empty window with a 100 ms timer that does "
                "nothing, as the status timer %.2f %%, %.0f wake-ups/s\n",
                empty.cpuPercent, empty.wakeupsPerSecond, timed.cpuPercent, timed.wakeupsPerSecond);
    std::printf("private memory after the read-back (%d reports): %.1f MB (empty window %.1f MB)\n", app.readReports,
                app.privateMb, empty.privateMb);
    return 0;
}
