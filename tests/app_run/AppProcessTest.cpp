// The emulated program as processes: a second instance shows its message and leaves, and a display change
// restarts the program exactly once, the fresh instance starting after the old one let go of its mutex.
//   app_process_tests.exe <app_emulated.exe> (a Unix or Windows path)
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring gProgram;

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
};

Process Start(const wchar_t* currentDirectory = nullptr) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + gProgram + L"\"";
    Process process;
    if (CreateProcessW(gProgram.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, currentDirectory,
                       &startup, &info)) {
        CloseHandle(info.hThread);
        process.handle = info.hProcess;
        process.id = info.dwProcessId;
    }
    return process;
}

struct WindowSearch {
    const wchar_t* className;
    DWORD processId;  // 0: any process
    std::vector<std::pair<HWND, DWORD>> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    wchar_t name[64];
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (GetClassNameW(hwnd, name, 64) && wcscmp(name, search->className) == 0 && IsWindowVisible(hwnd) &&
        (search->processId == 0 || search->processId == owner))
        search->found.emplace_back(hwnd, owner);
    return TRUE;
}

std::vector<std::pair<HWND, DWORD>> VisibleWindows(const wchar_t* className, DWORD processId = 0) {
    WindowSearch search{className, processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits until the process shows a visible window of the class; null after the time-out.
HWND WaitForWindow(const wchar_t* className, DWORD processId, int timeoutMs = 20000) {
    for (int waited = 0; waited < timeoutMs; waited += 50) {
        const auto windows = VisibleWindows(className, processId);
        if (!windows.empty()) return windows.front().first;
        Sleep(50);
    }
    return nullptr;
}

bool Exited(const Process& process, int timeoutMs, DWORD* exitCode) {
    if (WaitForSingleObject(process.handle, timeoutMs) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process.handle, exitCode);
    return true;
}

void Finish(Process& process) {
    if (WaitForSingleObject(process.handle, 0) != WAIT_OBJECT_0) {
        for (const auto& window : VisibleWindows(L"MainWnd", process.id)) PostMessageW(window.first, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.handle, 10000) != WAIT_OBJECT_0) TerminateProcess(process.handle, 9);
    }
    CloseHandle(process.handle);
    process.handle = nullptr;
}

std::wstring FreshFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    DeleteFileW((folder + L"\\save.log").c_str());
    DeleteFileW((folder + L"\\savelog.ini").c_str());
    return folder;
}

std::wstring ReadUtf16(const std::wstring& path, bool* exists) {
    std::wstring text;
    FILE* file = _wfopen(path.c_str(), L"rb");
    *exists = file != nullptr;
    if (!file) return text;
    wchar_t unit;
    while (fread(&unit, sizeof(unit), 1, file) == 1) text.push_back(unit);
    fclose(file);
    return text;
}

void RunAndClose(const std::wstring& folder) {
    Process process = Start(folder.c_str());
    ASSERT_NE(process.handle, nullptr);
    HWND window = WaitForWindow(L"MainWnd", process.id);
    ASSERT_NE(window, nullptr);
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    EXPECT_TRUE(Exited(process, 10000, &code));
    EXPECT_EQ(code, 0u);
    Finish(process);
}

}  // namespace

TEST(AppProcess, LogOnlyWithItsMarkerFileAndStartsWithItsHeader) {
    const std::wstring quiet = FreshFolder(L"app_run_quiet");
    RunAndClose(quiet);
    bool exists = true;
    ReadUtf16(quiet + L"\\save.log", &exists);
    EXPECT_FALSE(exists) << "a log without its marker file";

    const std::wstring logged = FreshFolder(L"app_run_logged");
    FILE* marker = _wfopen((logged + L"\\savelog.ini").c_str(), L"w");
    ASSERT_NE(marker, nullptr);
    fclose(marker);
    RunAndClose(logged);
    const std::wstring log = ReadUtf16(logged + L"\\save.log", &exists);
    ASSERT_TRUE(exists);
    const size_t model = log.find(L"MODEL_NAME: KTR3.500DSP\n");
    const size_t id = log.find(L"MODEL_ID: 94\n");
    const size_t version = log.find(L"VERSION: v6.7.99\n");
    const size_t inner = log.find(L"INNER_FW: 1, 19\n");
    ASSERT_NE(model, std::wstring::npos) << "no header";
    EXPECT_LT(model, id);
    EXPECT_LT(id, version);
    EXPECT_LT(version, inner);
    EXPECT_NE(inner, std::wstring::npos);
    EXPECT_NE(log.find(L"DPI "), std::wstring::npos);  // the automatic DPI choice is logged after the header
}

TEST(AppProcess, SecondInstanceShowsItsMessageAndLeaves) {
    Process first = Start();
    ASSERT_NE(first.handle, nullptr);
    ASSERT_NE(WaitForWindow(L"MainWnd", first.id), nullptr);

    Process second = Start();
    ASSERT_NE(second.handle, nullptr);
    HWND box = WaitForWindow(L"MsgWnd", second.id);
    ASSERT_NE(box, nullptr) << "the second instance shows no message";
    wchar_t title[64] = L"";
    GetWindowTextW(box, title, 64);
    EXPECT_STREQ(title, L"msgwnd");
    PostMessageW(box, WM_CLOSE, 1, 0);  // as its confirming button does
    DWORD code = 99;
    EXPECT_TRUE(Exited(second, 10000, &code)) << "the second instance stays";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(WaitForSingleObject(first.handle, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the first instance ended";
    EXPECT_EQ(VisibleWindows(L"MsgWnd", first.id).size(), 0u);
    Finish(second);
    Finish(first);
}

TEST(AppProcess, DisplayChangeRestartsOnceAfterTheOldInstanceLeft) {
    Process old = Start();
    ASSERT_NE(old.handle, nullptr);
    HWND window = WaitForWindow(L"MainWnd", old.id);
    ASSERT_NE(window, nullptr);
    // Two notices in a row, as a mode change may bring.
    PostMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    PostMessageW(window, WM_DISPLAYCHANGE, 32, MAKELPARAM(1920, 1080));
    DWORD code = 99;
    ASSERT_TRUE(Exited(old, 15000, &code));
    EXPECT_EQ(code, 0u);

    // Exactly one successor comes up with its main window and no message box.
    HWND successor = nullptr;
    DWORD successorId = 0;
    for (int waited = 0; waited < 20000 && !successor; waited += 50) {
        const auto windows = VisibleWindows(L"MainWnd");
        if (!windows.empty()) {
            successor = windows.front().first;
            successorId = windows.front().second;
        }
        Sleep(50);
    }
    ASSERT_NE(successor, nullptr) << "no fresh instance";
    EXPECT_NE(successorId, old.id);
    Sleep(1500);  // time for a second, unwanted successor to appear
    EXPECT_EQ(VisibleWindows(L"MainWnd").size(), 1u);
    EXPECT_EQ(VisibleWindows(L"MsgWnd").size(), 0u);

    Process fresh;
    fresh.id = successorId;
    fresh.handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, successorId);
    ASSERT_NE(fresh.handle, nullptr);
    PostMessageW(successor, WM_CLOSE, 0, 0);
    EXPECT_TRUE(Exited(fresh, 10000, &code));
    EXPECT_EQ(code, 0u);
    Finish(fresh);
    CloseHandle(old.handle);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: app_process_tests <app_emulated.exe>\n");
        return 2;
    }
    // A Unix path of the build becomes its Windows path on drive Z:.
    std::string path = argv[1];
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    gProgram.assign(path.begin(), path.end());
    return RUN_ALL_TESTS();
}
