// The floor of the start-up benchmark: a process that shows a plain 1230 x 650 window and runs its loop
// until the window is closed. With "--timer MS" the window also has a timer of that period that does
// nothing, the floor of the idle benchmark's figures for a program that keeps one.
#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK EmptyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = EmptyProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"BenchEmptyWnd";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, L"BenchEmptyWnd", L"Empty", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 1230, 650,
                                  nullptr, nullptr, instance, nullptr);
    const wchar_t* timer = commandLine ? wcsstr(commandLine, L"--timer ") : nullptr;
    if (timer && window) SetTimer(window, 1, static_cast<UINT>(_wtoi(timer + 8)), nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
