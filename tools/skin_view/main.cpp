// skin_view: shows one layout of the application's skin from the archive embedded in this program.
//   skin_view.exe [LAYOUT] [--dpi N] [--lang en|cn_zh|ru] [--plain] [--focus NAME] [--shot FILE.bmp]
// LAYOUT is a layout id of the skin's resource table (default XML_MAIN). --dpi applies a DPI (96 = 100 %);
// --plain shows the layout as built, without the demonstration values; --shot saves the client area
// after the first painting and closes. The exit code is 0 when the window opened (and, with --shot,
// the picture was saved, shows more than a handful of colours and, for the main window, has its size).
#include "SkinViewWindow.h"
#include "UIControls.h"

#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

using namespace SkinUI;
using namespace SkinView;

namespace {

bool ParseOptions(TViewOptions& options) {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return false;
    bool ok = true;
    for (int i = 1; i < count && ok; ++i) {
        const std::wstring arg = args[i];
        const bool hasValue = i + 1 < count;
        if (arg == L"--dpi" && hasValue) {
            options.dpi = _wtoi(args[++i]);
            ok = options.dpi >= 48 && options.dpi <= 480;
        } else if (arg == L"--lang" && hasValue) {
            options.language = args[++i];
        } else if (arg == L"--shot" && hasValue) {
            options.shotPath = args[++i];
        } else if (arg == L"--focus" && hasValue) {
            options.focus = args[++i];
        } else if (arg == L"--plain") {
            options.demo = false;
        } else if (!arg.empty() && arg[0] != L'-') {
            options.layout = arg;
        } else {
            ok = false;
        }
    }
    LocalFree(args);
    return ok;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    TViewOptions options;
    if (!ParseOptions(options)) {
        fwprintf(stderr, L"usage: skin_view [LAYOUT] [--dpi N] [--lang en|cn_zh|ru] [--plain] [--focus NAME] [--shot FILE.bmp]\n");
        return 2;
    }
    if (FAILED(OleInitialize(nullptr))) return 1;
    CPaintManagerUI::SetModuleInstance(instance);
    RegisterControlClasses();
    int exitCode = 1;
    if (!OpenEmbeddedSkin(instance, VELMOR_SKIN_PASSWORD)) {
        fwprintf(stderr, L"skin_view: the embedded skin cannot be opened\n");
    } else if (!LoadSkinLanguages(options.language.c_str())) {
        fwprintf(stderr, L"skin_view: the language files cannot be loaded or \"%ls\" is not one of them\n",
                 options.language.c_str());
    } else {
        CSkinViewWindow window(options);
        if (window.Open()) {
            CPaintManagerUI::RunMessageLoop();
            const TShotResult& shot = window.Shot();
            exitCode = 0;
            if (!options.shotPath.empty()) {
                fwprintf(stdout, L"shot %ls: %dx%d, %d colours\n", options.shotPath.c_str(), shot.width, shot.height,
                         shot.colours);
                exitCode = shot.saved && shot.colours >= 16 ? 0 : 1;
                // The main window opens at 1230 x 650 and follows the DPI.
                const int percent = MulDiv(options.dpi, 100, 96);
                if (window.IsMainLayout() &&
                    (shot.width != MulDiv(1230, percent, 100) || shot.height != MulDiv(650, percent, 100))) {
                    fwprintf(stderr, L"skin_view: the main window is not 1230 x 650 at %d %%\n", percent);
                    exitCode = 1;
                }
            }
            for (const std::wstring& element : window.Factory().Unknown())
                fwprintf(stdout, L"stand-in for unknown element %ls\n", element.c_str());
        } else {
            fwprintf(stderr, L"skin_view: layout %ls did not open\n", options.layout.c_str());
        }
    }
    CPaintManagerUI::ShutdownShared(true);
    OleUninitialize();
    return exitCode;
}
