// The scene and profile commands of the tuning controller: the three device-scene commands open the
// scene window, the four file commands read and write profile files; the scene workers talk to the
// amplifier. Workers only call device commands and post: everything that touches controls, the
// configuration or a file runs on the UI thread when their message arrives, after every reply they
// caused (posted messages of one thread arrive in order).
#include "EqualizerManager.h"

#include "base/Log.h"
#include "MsgWnd.h"
#include "SceneWnd.h"
#include "Settings.h"
#include "model/ProfileFile.h"

#include <commdlg.h>

#include <cstring>

namespace {

// Filter pairs, each text followed by its pattern, the list ending with an empty text.
const wchar_t kSceneFilter[] = L"Scene Profile(*.spf)\0*.spf\0All Files(*.*)\0*.*\0";
const wchar_t kWholeFilter[] = L"Whole Config Profile(*.wpf)\0*.wpf\0All Files(*.*)\0*.*\0";
const wchar_t kSceneFilterCn[] = L"\x573A\x666F\x914D\x7F6E\x6587\x4EF6(*.spf)\0*.spf\0\x6240\x6709\x6587\x4EF6(*.*)\0*.*\0";
const wchar_t kWholeFilterCn[] = L"\x6574\x673A\x914D\x7F6E\x6587\x4EF6(*.wpf)\0*.wpf\0\x6240\x6709\x6587\x4EF6(*.*)\0*.*\0";

void OneButtonBox(HWND owner, const wchar_t* text) {
    const wchar_t* buttons[] = {L"${confirm}"};
    ShowMsgWndButtons(owner, L"${tips}", text, buttons, 1);
}

SceneNameSlot* NameSlots(wchar_t (&names)[kSceneSlots][kSceneNameChars]) {
    static_assert(sizeof(names[0]) == sizeof(SceneNameSlot), "a scene name slot is 16 bytes");
    return reinterpret_cast<SceneNameSlot*>(names);
}

}  // namespace

bool EqualizerManager::ShowProfileDialog(HWND owner, bool save, bool whole, wchar_t* path, DWORD capacity) {
    const bool chinese = GetConfigLanguage() == 1;
    const std::wstring directory = CurrentDirectory();
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = whole ? (chinese ? kWholeFilterCn : kWholeFilter) : (chinese ? kSceneFilterCn : kSceneFilter);
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = capacity;
    dialog.lpstrInitialDir = directory.c_str();
    if (!save) {
        dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
        return GetOpenFileNameW(&dialog) != FALSE;
    }
    // A save must be able to name a new file, and asks before replacing one.
    dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT;
    dialog.lpstrDefExt = whole ? L"wpf" : L"spf";
    return GetSaveFileNameW(&dialog) != FALSE;
}

EqualizerManager::ProfileDialog& EqualizerManager::ProfileDialogSeam() {
    static ProfileDialog dialog = &EqualizerManager::ShowProfileDialog;
    return dialog;
}

// ---------------------------------------------------------------------------------------------------
// Device scenes: the scene window, modal, in its mode

void EqualizerManager::LoadSenceConfigFromDSP(HWND window) {
    LogPrintA("%s\n", "EqualizerManager::LoadSenceConfigFromDSP");
    CSceneWnd scenes;
    scenes.ShowLoad(window, *this);
}

void EqualizerManager::SaveSenceConfigToDSP(HWND window) {
    LogPrintA("%s\n", "EqualizerManager::SaveSenceConfigToDSP");
    CSceneWnd scenes;
    scenes.ShowSaveAs(window, *this);
}

void EqualizerManager::DeleteDSPSenceConfig(HWND window) {
    LogPrintA("%s\n", "EqualizerManager::DeleteDSPSenceConfig");
    CSceneWnd scenes;
    scenes.ShowDelete(window, *this);
}

// ---------------------------------------------------------------------------------------------------
// Profile files

void EqualizerManager::LoadSenceConfigFromFile() {
    LogPrintA("%s\n", "EqualizerManager::LoadSenceConfigFromFile");
    wchar_t path[MAX_PATH] = {};
    if (!ProfileDialogSeam()(hMainWnd, false, false, path, MAX_PATH)) return;
    LogPrintW(L"GetOpenFileName %ls ok\n", path);
    if (IsSceneWorkerRunning()) return;
    // The reader tells the user why a file cannot be loaded and then leaves the configuration as it was.
    ProfileFile file(hMainWnd);
    if (!file.LoadSceneProfile(path, config)) return;
    Post(WM_SHOW_LOADING);
    if (!StartSceneWorker(SceneWork::SendSceneProfile)) Post(WM_HIDE_LOADING);
}

void EqualizerManager::LoadWholeConfigFromFile() {
    LogPrintA("%s\n", "EqualizerManager::LoadWholeConfigFromFile");
    wholeProfilePath[0] = 0;
    if (!ProfileDialogSeam()(hMainWnd, false, true, wholeProfilePath, MAX_PATH)) return;
    LogPrintW(L"GetOpenFileName %ls ok\n", wholeProfilePath);
    if (IsSceneWorkerRunning()) return;
    ProfileFile file(hMainWnd);
    if (!file.LoadWholeProfile(wholeProfilePath, config, sceneConfigs, NameSlots(sceneNames))) return;
    // Names come from a file: each slot ends within its 16 bytes whatever the file held.
    for (auto& name : sceneNames) name[kSceneNameChars - 1] = 0;
    Post(WM_SHOW_LOADING);
    if (!StartSceneWorker(SceneWork::SendWholeProfile)) Post(WM_HIDE_LOADING);
}

void EqualizerManager::SaveSenceConfigToFile() {
    LogPrintA("%s\n", "EqualizerManager::SaveSenceConfigToFile");
    wchar_t path[MAX_PATH] = {};
    if (!ProfileDialogSeam()(hMainWnd, true, false, path, MAX_PATH)) return;
    LogPrintW(L"GetSaveFileName %ls ok\n", path);
    // The writer tells the user whether the file was written.
    ProfileFile file(hMainWnd);
    file.SaveSceneProfile(config, path);
}

void EqualizerManager::SaveWholeConfigToFile() {
    LogPrintA("%s\n", "EqualizerManager::SaveWholeConfigToFile");
    wholeProfilePath[0] = 0;
    if (!ProfileDialogSeam()(hMainWnd, true, true, wholeProfilePath, MAX_PATH)) return;
    LogPrintW(L"GetSaveFileName %ls ok\n", wholeProfilePath);
    Post(WM_SHOW_LOADING);
    if (!StartSceneWorker(SceneWork::WholeSave)) Post(WM_HIDE_LOADING);
}

// ---------------------------------------------------------------------------------------------------
// Workers

bool EqualizerManager::StartSceneWorker(SceneWork work) {
    if (mSceneRunning || mStopping) return false;
    if (mSceneThread.joinable()) mSceneThread.join();
    // The reads use the band counts of now; the worker never reads the configuration itself.
    for (int n = 0; n < OutputCount; ++n) mReadBandCounts[n] = config.channels[n].eqSize;
    mSceneRunning = true;
    try {
        mSceneThread = std::thread(&EqualizerManager::RunSceneWork, this, work);
    } catch (const std::exception& e) {
        mSceneRunning = false;
        LogPrintA("scene worker not started: %s\n", e.what());
        return false;
    }
    return true;
}

void EqualizerManager::JoinSceneWorker() {
    if (mSceneThread.joinable()) mSceneThread.join();
}

void EqualizerManager::RunSceneWork(SceneWork work) {
    try {
        switch (work) {
        case SceneWork::LoadScene: LoadSenceThread(); break;
        case SceneWork::SaveScene: SaveSenceThread(); break;
        case SceneWork::DeleteScene: DeleteSenceThread(); break;
        case SceneWork::WholeSave: SaveWholeSceneThread(); break;
        case SceneWork::SendSceneProfile: SetCurSceneThread(this); break;
        case SceneWork::SendWholeProfile: SetWholeProfileThread(this); break;
        }
    } catch (const std::exception& e) {
        LogPrintA("scene worker %d: %s\n", static_cast<int>(work), e.what());
    } catch (...) {
        LogPrintA("scene worker %d failed\n", static_cast<int>(work));
    }
    mSceneRunning = false;
}

void EqualizerManager::PostToSceneWnd(UINT message) {
    if (mStopping) return;
    const HWND window = device.mReplyWnd[DeviceLink::kSceneWnd].load();
    if (window) PostMessageW(window, message, 0, 0);
}

void EqualizerManager::LoadSenceThread() {
    LogPrintW(L"LoadSenceThread start!\n");
    device.DisableCmdQueue();
    device.ReadScene(sceneIndex, 0);
    PC_UI_Status_Init();
    // The markers, curves and the queue are set on the UI thread once the replies are in.
    if (!mStopping && hMainWnd)
        PostMessageW(hMainWnd, WM_SCENE_WORK_DONE, static_cast<WPARAM>(SceneWork::LoadScene), 0);
    PostToSceneWnd(WM_HIDE_LOADING);
    LogPrintW(L"LoadSenceThread end!\n");
}

void EqualizerManager::SaveSenceThread() {
    LogPrintW(L"SaveSenceThread start!\n");
    device.SetSceneName(sceneIndex, pendingSceneName, 16);
    device.SaveScene(sceneIndex, 0);
    PostToSceneWnd(WM_HIDE_LOADING);
    LogPrintW(L"SaveSenceThread end!\n");
}

void EqualizerManager::DeleteSenceThread() {
    LogPrintW(L"DeleteSenceThread start!\n");
    device.DeleteScene(sceneIndex);
    // The acknowledgement closes the popup too; without one (unplugged, no answer) this still does.
    PostToSceneWnd(WM_HIDE_LOADING);
    LogPrintW(L"DeleteSenceThread end!\n");
}

void EqualizerManager::SaveWholeSceneThread() {
    LogPrintW(L"SaveWholeSceneThread start!\n");
    bool ok = true;
    for (uint8_t id = 1; id <= kSceneSlots && ok && !mStopping; ++id) ok = ReadSceneFromDevice(id) == 0;
    if (ok && !mStopping) {
        device.ReadScene(0, 0);
        ok = PC_UI_Status_Init() == 0;
    }
    mWholeReadOk = ok;
    // The file is written on the UI thread, after every reply of these reads has been applied.
    if (!mStopping && hMainWnd)
        PostMessageW(hMainWnd, WM_SCENE_WORK_DONE, static_cast<WPARAM>(SceneWork::WholeSave), 0);
    LogPrintW(L"SaveWholeSceneThread end!\n");
}

// ---------------------------------------------------------------------------------------------------
// Ends of the workers, on the UI thread

void EqualizerManager::OnSceneWorkDone(WPARAM work) {
    if (mStopping) return;
    if (work == static_cast<WPARAM>(SceneWork::LoadScene)) {
        ShowOutputTypes();  // with the speaker markers
        for (int n = 0; n < OutputCount; ++n) UpdateEqCurve(n, config.channels[n].bypass == 1, CurvePoints);
        UpdateEqualizer(-1);
        device.EnableCmdQueue();
    } else if (work == static_cast<WPARAM>(SceneWork::WholeSave)) {
        WriteWholeProfile();
    }
}

void EqualizerManager::WriteWholeProfile() {
    bool written = false;
    if (mWholeReadOk) {
        ProfileFile file(hMainWnd);
        written = file.SaveWholeProfile(config, sceneConfigs, NameSlots(sceneNames), wholeProfilePath);
    } else {
        LogPrintW(L"SaveWholeSceneThread: the amplifier was not read whole, nothing written\n");
    }
    Post(WM_HIDE_LOADING);
    OneButtonBox(hMainWnd, written ? L"${profile_save_ok}" : L"${profile_create_error}");
}
