#pragma once
// What the controller benchmarks share: the program's skin and controls set up and taken down, the
// emulated amplifier paced like a full-speed USB device (each report takes one 1 ms interval of its
// pipe), the main window opened on a backend, and the test for its connected page.
#include "AmpEmulator.h"
#include "AppMain.h"
#include "MainWnd.h"
#include "SButton.h"
#include "UIControls.h"
#include "UIManager.h"
#include "UITextResource.h"
#include "bench/BenchClock.h"

#include <ole2.h>

#include <cstdio>
#include <string>

// The skin, controls and OLE for the benchmark's life; `ready` is false when the skin could not be read.
struct BenchApplication {
    BenchApplication() {
        OleInitialize(nullptr);
        SkinUI::CPaintManagerUI::SetModuleInstance(GetModuleHandleW(nullptr));
        SkinUI::RegisterControlClasses();
        ready = InitSkinResource(VELMOR_SKIN_PASSWORD);
        if (!ready) fprintf(stderr, "skin archive not readable\n");
    }
    ~BenchApplication() {
        SkinUI::CPaintManagerUI::ShutdownShared(true);
        OleUninitialize();
    }
    bool ready = false;
};

inline void PaceLikeUsb(AmpEmulator& emulator) {
    emulator.SetRealTime(true);
    emulator.SetUsbPacing(true);
}

// The main window at its normal size, shown, talking through `backend`.
inline CMainWnd* OpenMainWindow(HidBackend* backend) {
    auto* window = new CMainWnd(backend);
    window->CreateNativeWindow(nullptr, CMainWnd::kTitle, WS_VISIBLE | WS_OVERLAPPEDWINDOW, 0, 0, 0, CMainWnd::kWidth,
                               CMainWnd::kHeight);
    return window;
}

inline void CloseMainWindow(CMainWnd* window) {
    DestroyWindow(window->GetHandle());
    delete window;
}

// Connected, read back and the busy popup gone.
inline bool MainWindowConnected(CMainWnd& window) {
    static const std::wstring connected = SkinUI::CTextResource::GetInstance()->GetText(L"${btn_connected}").Data();
    EqualizerManager& c = window.Controller();
    return c.ConnectButton() && connected == c.ConnectButton()->GetText().Data() && !c.IsReadRunning() &&
           !FindWindowW(L"LoadingWnd", nullptr);
}
