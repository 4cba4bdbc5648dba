#include "AppMain.h"

#include "base/Log.h"
#include "MainWnd.h"
#include "MsgWnd.h"
#include "ScreenInfo.h"
#include "Settings.h"
#include "UIControls.h"
#include "UIManager.h"
#include "UITextResource.h"
#include "model/MessagePresenter.h"

#include <ole2.h>

#include <exception>
#include <memory>
#include <string>

using namespace SkinUI;

namespace {

constexpr const char* kModelName = "KTR3.500DSP";
constexpr int kModelId = 94;
constexpr const wchar_t* kAppVersion = L"v6.7.99";
constexpr int kInnerMainVersion = 1;
constexpr int kInnerSlaveVersion = 19;

void OpenLogWhenMarked() {
    if (!IsFileInCurrentDir(L"savelog.ini")) return;
    const std::wstring path = CurrentDirectory() + L"\\save.log";
    InitConsoleWindow(path.c_str());
    LogPrintW(L"MODEL_NAME: %hs\n", kModelName);
    LogPrintW(L"MODEL_ID: %d\n", kModelId);
    LogPrintW(L"VERSION: %ls\n", kAppVersion);
    LogPrintW(L"INNER_FW: %d, %d\n", kInnerMainVersion, kInnerSlaveVersion);
}

int RunMainWindow(const AppOptions& options, bool* restart) {
    auto window = std::unique_ptr<CMainWnd>(new (std::nothrow) CMainWnd(options.hid));
    if (!window) return 0;
    if (window->CreateNativeWindow(nullptr, CMainWnd::kTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0,
                                   CMainWnd::kWidth, CMainWnd::kHeight)) {
        window->CenterOnOwner();
        CPaintManagerUI::RunMessageLoop();
    }
    *restart = window->RestartRequested();
    window.reset();  // closes the HID device and stops the link's worker
    return 0;
}

}  // namespace

bool InitSkinResource(const wchar_t* password) {
    CPaintManagerUI::SetResourceSourceKind(4);
    CPaintManagerUI::SetResourceFolder(
        (CPaintManagerUI::GetModuleFolder() + L"skin\\Velmor4to10_VR417K_KTR3.500\\").Data());
    HINSTANCE module = CPaintManagerUI::GetResourceModule();
    HRSRC resource = FindResourceW(module, L"IDR_ZIPRES", L"ZIPRES");
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const DWORD size = resource ? SizeofResource(module, resource) : 0;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    bool opened = false;
    if (bytes && size) {
        opened = CPaintManagerUI::OpenResourceArchiveFromMemory(bytes, size, password) &&
                 CTextResource::GetInstance()->LoadResourceTable(L"xml\\res.xml");
    }
    if (loaded) FreeResource(loaded);
    if (!opened) LogPrintW(L"InitSkinResource: the skin archive cannot be read\n");
    return opened;
}

bool StartSuccessorProcess() {
    wchar_t path[MAX_PATH] = L"";
    if (!GetModuleFileNameW(nullptr, path, MAX_PATH)) return false;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(path, nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

int RunApplication(HINSTANCE instance, const AppOptions& options) {
    OpenLogWhenMarked();
    if (FAILED(CoInitialize(nullptr))) return 0;
    OleInitialize(nullptr);
    SetAutoDpiOverride(options.forcedDpi);
    CPaintManagerUI::SetModuleInstance(instance);
    RegisterControlClasses();
    InitSkinResource(options.skinPassword);
    SetMessagePresenter([](HWND owner, const wchar_t* title, const wchar_t* text, const wchar_t* const* buttons,
                           int count) { return ShowMsgWndButtons(owner, title, text, buttons, count); });

    bool restart = false;
    try {
        RunMainWindow(options, &restart);
    } catch (const std::exception& e) {
        LogPrintA("RunApplication: %s\n", e.what());
    }

    SetMessagePresenter(nullptr);
    CPaintManagerUI::ShutdownShared(true);
    OleUninitialize();
    CoUninitialize();
    // Only now, with the mutex and the device released, can a fresh instance start cleanly; once.
    if (restart) StartSuccessorProcess();
    return 0;
}
