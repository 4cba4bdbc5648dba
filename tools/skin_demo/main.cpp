// skin_demo: a small window drawn by the UI framework from a skin archive embedded in the program
// (resource "IDR_ZIPRES" of type "ZIPRES", as the application keeps its own skin).
//   skin_demo.exe            shows the window until it is closed
//   skin_demo.exe --check    shows it, compares its first painting, the controls page and an open combo
//                            with the layouts' colours, closes; exit code 0 when it painted as laid out
//   skin_demo.exe --controls shows the controls page with its combo open
//   skin_demo.exe --lists    the lists and menus page instead (with --check: checked the same way)
//   skin_demo.exe --composite  the composite controls page instead (with --check likewise)
#include "DemoCompositeWindow.h"
#include "DemoListsWindow.h"
#include "DemoWindow.h"
#include "UIControls.h"
#include "UIManager.h"

#include <ole2.h>

#include <cstdio>
#include <cwchar>

using namespace SkinUI;

namespace {

bool OpenEmbeddedSkin(HINSTANCE instance) {
    HRSRC resource = FindResourceW(instance, L"IDR_ZIPRES", L"ZIPRES");
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = resource ? SizeofResource(instance, resource) : 0;
    if (!bytes || !size) return false;
    return CPaintManagerUI::OpenResourceArchiveFromMemory(bytes, size, SKIN_DEMO_PASSWORD);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const bool selfCheck = commandLine && wcsstr(commandLine, L"--check") != nullptr;
    const bool controlsPage = commandLine && wcsstr(commandLine, L"--controls") != nullptr;
    const bool listsPage = commandLine && wcsstr(commandLine, L"--lists") != nullptr;
    const bool compositePage = commandLine && wcsstr(commandLine, L"--composite") != nullptr;
    if (FAILED(OleInitialize(nullptr))) return 1;
    CPaintManagerUI::SetModuleInstance(instance);
    RegisterControlClasses();
    CPaintManagerUI::SetResourceSourceKind(4);
    if (!OpenEmbeddedSkin(instance)) {
        fwprintf(stderr, L"skin_demo: the embedded skin archive cannot be opened\n");
        OleUninitialize();
        return 1;
    }
    int exitCode = 1;
    if (compositePage) {
        SkinDemo::CDemoCompositeWindow window(selfCheck);
        if (window.CreateNativeWindow(nullptr, L"SkinUI composite", WS_VISIBLE | WS_POPUP, 0, 0, 0, 0, 0)) {
            window.CenterOnOwner();
            CPaintManagerUI::RunMessageLoop();
            exitCode = window.GetExitCode();
        }
    } else if (listsPage) {
        SkinDemo::CDemoListsWindow window(selfCheck);
        if (window.CreateNativeWindow(nullptr, L"SkinUI lists", WS_VISIBLE | WS_POPUP, 0, 0, 0, 0, 0)) {
            window.CenterOnOwner();
            CPaintManagerUI::RunMessageLoop();
            exitCode = window.GetExitCode();
        }
    } else {
        SkinDemo::CDemoWindow window(selfCheck, controlsPage);
        if (window.CreateNativeWindow(nullptr, L"SkinUI demo", WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, 0)) {
            window.CenterOnOwner();
            CPaintManagerUI::RunMessageLoop();
            exitCode = window.GetExitCode();
        }
    }
    CPaintManagerUI::ShutdownShared(true);
    OleUninitialize();
    return exitCode;
}
