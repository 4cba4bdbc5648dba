// Times loading a whole profile (ten stored scenes with their names, then the live set) into the emulated
// amplifier, paced like a full-speed USB device (each report takes one 1 ms interval of its pipe), from
// the menu command to the busy popup gone, beside its floor: the bus time of the frames it sent, each a
// request and its reply, frames x 2 ms. The popup closes when the last frame is answered, with no fixed
// wait after sending.
// Run under Wine in an X session: whole_profile_load_bench.exe [runs]
#include "ControllerBench.h"
#include "TextFormat.h"
#include "UIMenu.h"
#include "model/MessagePresenter.h"
#include "model/ProfileFile.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace SkinUI;

namespace {

class CountingBackend : public ForwardingHidBackend {
public:
    explicit CountingBackend(HidBackend& inner) : ForwardingHidBackend(inner) {}
    int Write(HidHandle* dev, const uint8_t* data, size_t length) override {
        ++writes;
        return ForwardingHidBackend::Write(dev, data, length);
    }
    std::atomic<int> writes{0};
};

// The busy popup runs its own modal loop; a thread timer notices it from inside that loop.
std::atomic<bool> gPopupSeen{false};
void CALLBACK WatchPopup(HWND, UINT, UINT_PTR, DWORD) {
    if (FindWindowW(L"LoadingWnd", nullptr)) gPopupSeen = true;
}

bool Pump(const std::function<bool()>& done, double timeoutSeconds) {
    const double start = BenchSeconds();
    while (BenchSeconds() - start < timeoutSeconds) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            if (!CPaintManagerUI::PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (done()) return true;
        }
        if (done()) return true;
        Sleep(1);
    }
    return false;
}

// A profile whose scenes all differ from what the amplifier holds: every band raised a little.
void WriteProfile(EqualizerManager& c, const std::wstring& path) {
    for (int id = 0; id < kSceneSlots; ++id) {
        DspConfig& scene = c.sceneConfigs[id];
        for (int n = 0; n < OutputCount; ++n) {
            scene.channels[n].eqSize = BandCountOfOutput(n);
            for (int b = 0; b < scene.channels[n].eqSize; ++b) scene.channels[n].eqArray[b].gain = 0.5f * (id % 4);
        }
        _snwprintf(c.sceneNames[id], kSceneNameChars - 1, L"Set %d", id + 1);
    }
    ProfileFile file(nullptr);
    file.SaveWholeProfile(c.config, c.sceneConfigs, reinterpret_cast<const SceneNameSlot*>(c.sceneNames), path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    BenchApplication application;
    if (!application.ready) return 1;
    // The file's writer and reader report success without a box.
    SetMessagePresenter([](HWND, const wchar_t*, const wchar_t*, const wchar_t* const*, int) { return 1; });
    const std::wstring path = TempFilePath(L"whole_profile_bench.wpf");
    EqualizerManager::ProfileDialogSeam() = [&](HWND, bool, bool, wchar_t* out, DWORD capacity) {
        if (path.size() >= capacity) return false;
        wcscpy(out, path.c_str());
        return true;
    };
    std::vector<double> loadTimes;
    int frames = 0;
    for (int run = 0; run < runs; ++run) {
        AmpEmulator emulator;
        PaceLikeUsb(emulator);
        CountingBackend counting(emulator);
        CMainWnd* window = OpenMainWindow(&counting);
        EqualizerManager& c = window->Controller();
        if (!Pump([&] { return MainWindowConnected(*window); }, 30)) {
            fprintf(stderr, "run %d: not connected\n", run);
            return 1;
        }
        WriteProfile(c, path);
        counting.writes = 0;
        auto* record = static_cast<MenuCmd*>(calloc(1, sizeof(MenuCmd)));
        wcsncpy(record->szName, L"scene_item_load_whole", MenuCmd::kNameLength - 1);
        gPopupSeen = false;
        const UINT_PTR watch = SetTimer(nullptr, 0, 5, WatchPopup);
        const double start = BenchSeconds();
        PostMessageW(window->GetHandle(), WM_MENU_CLICK, reinterpret_cast<WPARAM>(record), 0);
        const bool ended = Pump(
            [&] { return gPopupSeen && !FindWindowW(L"LoadingWnd", nullptr) && !c.IsSceneWorkerRunning(); }, 120);
        const double took = BenchSeconds() - start;
        KillTimer(nullptr, watch);
        if (!ended) {
            fprintf(stderr, "run %d: the load did not end\n", run);
            return 1;
        }
        loadTimes.push_back(took);
        frames = counting.writes.load();
        CloseMainWindow(window);
    }
    _wremove(path.c_str());
    printf("whole-profile load: %d frames, median %.0f ms over %d runs (floor %d ms on the bus: frames x 2 ms)\n",
           frames, BenchMedian(loadTimes) * 1000, runs, frames * 2);
    return 0;
}
