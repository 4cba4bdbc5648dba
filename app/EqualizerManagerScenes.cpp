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
#include "UITextResource.h"
#include "model/ProfileFile.h"

#include <commdlg.h>

#include <cstring>

namespace {

// Filter pairs, each text followed by its pattern, the list ending with an empty text.
const wchar_t kSceneFilter[] = L"Scene Profile(*.spf)\0*.spf\0All Files(*.*)\0*.*\0";
const wchar_t kWholeFilter[] = L"Whole Config Profile(*.wpf)\0*.wpf\0All Files(*.*)\0*.*\0";
const wchar_t kSceneFilterCn[] = L"\x573A\x666F\x914D\x7F6E\x6587\x4EF6(*.spf)\0*.spf\0\x6240\x6709\x6587\x4EF6(*.*)\0*.*\0";
const wchar_t kWholeFilterCn[] = L"\x6574\x673A\x914D\x7F6E\x6587\x4EF6(*.wpf)\0*.wpf\0\x6240\x6709\x6587\x4EF6(*.*)\0*.*\0";

std::wstring Resolved(const wchar_t* key) { return SkinUI::CTextResource::GetInstance()->GetText(key).Data(); }

SceneNameSlot* NameSlots(wchar_t (&names)[kSceneSlots][kSceneNameChars]) {
    static_assert(sizeof(names[0]) == sizeof(SceneNameSlot), "a scene name slot is 16 bytes");
    return reinterpret_cast<SceneNameSlot*>(names);
}

EqualizerManager::CrossMixTable CrossMixOf(const DspConfig& r) {
    EqualizerManager::CrossMixTable t;
    std::memcpy(t.source, r.crossMixSource, sizeof t.source);
    std::memcpy(t.channel, r.crossMixChannel, sizeof t.channel);
    std::memcpy(t.gain, r.crossMixGain, sizeof t.gain);
    return t;
}

void SetCrossMix(DspConfig& r, const EqualizerManager::CrossMixTable& t) {
    std::memcpy(r.crossMixSource, t.source, sizeof t.source);
    std::memcpy(r.crossMixChannel, t.channel, sizeof t.channel);
    std::memcpy(r.crossMixGain, t.gain, sizeof t.gain);
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
    TakeProfileToSend(false);
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
    mUnstorableSceneNames = TakeUnstorableSceneNames();
    mSceneRecordsConnection = mConnection.load();
    TakeProfileToSend(true);
    Post(WM_SHOW_LOADING);
    if (!StartSceneWorker(SceneWork::SendWholeProfile)) Post(WM_HIDE_LOADING);
}

DspConfig& EqualizerManager::SendRecord() {
    if (!mSendRecord) mSendRecord = std::make_unique<DspConfig>();
    return *mSendRecord;
}

// The worker sends what the file holds, copied here on the UI thread: replies taken meanwhile (the volume
// poll after a source switch, a change the amplifier reports) write the live records, never what is sent.
// The volume poll stops: the file sets the volume.
void EqualizerManager::TakeProfileToSend(bool whole) {
    if (hMainWnd) KillTimer(hMainWnd, GET_MAIN_VOLUME_TIMER);
    config.CopyTo(SendRecord());
    if (!whole) return;
    mWholeToSend = std::make_unique<WholeProfileToSend>();
    for (int i = 0; i < kSceneSlots; ++i) {
        sceneConfigs[i].CopyTo(mWholeToSend->scenes[i]);
        // Never a name the code page turned into stand-in characters: such a scene goes without one.
        char (&name)[16] = mWholeToSend->names[i];
        if (!SceneNameToDevice(sceneNames[i], name)) std::memset(name, 0, sizeof name);
    }
}

// The amplifier holds scene names in the system's code page. A name from a file that it cannot hold
// exactly is not sent as the code page's stand-in characters: its scene is stored without a name, and
// the user is told which ones, as "3 (name), 5 (name)".
std::wstring EqualizerManager::TakeUnstorableSceneNames() {
    std::wstring list;
    for (int i = 0; i < kSceneSlots; ++i) {
        if (IsSceneNameStorable(sceneNames[i])) continue;
        if (!list.empty()) list += L", ";
        list += std::to_wstring(i + 1) + L"\x00A0(" + sceneNames[i] + L")";  // number and name on one line
        LogPrintW(L"scene %d: its name cannot be stored by the amplifier, stored without one\n", i + 1);
        std::memset(sceneNames[i], 0, sizeof sceneNames[i]);
    }
    return list;
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
    mWholeSaveReading = StartSceneWorker(SceneWork::WholeSave);
    if (!mWholeSaveReading) Post(WM_HIDE_LOADING);
}

bool EqualizerManager::KeepsSwitchedOffBands(const DspConfig* target) const {
    if (mPuttingBack && target == &config) return true;
    return mWholeSaveReading && (target == &config || mSceneRecordsConnection == mConnection.load());
}

// ---------------------------------------------------------------------------------------------------
// Workers

bool EqualizerManager::StartSceneWorker(SceneWork work) {
    if (mSceneRunning || mStopping) return false;
    if (mSceneThread.joinable()) mSceneThread.join();
    // The reads use the band counts of now; the worker never reads the configuration itself.
    for (int n = 0; n < OutputCount; ++n) mReadBandCounts[n] = config.channels[n].eqSize;
    mWorkConnection = mConnection.load();
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

bool EqualizerManager::ConnectionIntact() const {
    return !mStopping && device.IsConnected() && !device.IsLinkFailed() && mConnection.load() == mWorkConnection;
}

// Every worker ends the same way, whatever happened in it: its end reaches the UI thread (which closes
// the busy popup and reports a failure) behind every reply it caused.
void EqualizerManager::RunSceneWork(SceneWork work) {
    bool ok = false;
    try {
        switch (work) {
        case SceneWork::LoadScene: ok = LoadSenceThread(); break;
        case SceneWork::SaveScene: ok = SaveSenceThread(); break;
        case SceneWork::DeleteScene: ok = DeleteSenceThread(); break;
        case SceneWork::WholeSave: ok = SaveWholeSceneThread(); break;
        case SceneWork::SendSceneProfile: ok = SetCurSceneThread(this); break;
        case SceneWork::SendWholeProfile: ok = SetWholeProfileThread(this); break;
        }
    } catch (const std::exception& e) {
        LogPrintA("scene worker %d: %s\n", static_cast<int>(work), e.what());
    } catch (...) {
        LogPrintA("scene worker %d failed\n", static_cast<int>(work));
    }
    // Its end is told behind the system's word of an unplug that broke it, if there is one.
    if (!ok) WaitForUnplugNotice(mWorkConnection);
    mSceneRunning = false;
    // Its end names its connection: one closed since (a quick removal and arrival) is not its to change.
    const LPARAM end = static_cast<LPARAM>(mWorkConnection << 1 | (ok ? 1u : 0u));
    if (!mStopping && hMainWnd) PostMessageW(hMainWnd, WM_SCENE_WORK_DONE, static_cast<WPARAM>(work), end);
    // Behind the save's acknowledgement, if one came: the scene window tells which.
    if (work == SceneWork::SaveScene) PostToSceneWnd(WM_SCENE_SAVE_DONE);
    if (IsSceneWindowWork(work)) PostToSceneWnd(WM_HIDE_LOADING);
}

bool EqualizerManager::IsSceneWindowWork(SceneWork work) {
    return work == SceneWork::LoadScene || work == SceneWork::SaveScene || work == SceneWork::DeleteScene;
}

void EqualizerManager::PostToSceneWnd(UINT message) {
    if (mStopping) return;
    const HWND window = device.mReplyWnd[DeviceLink::kSceneWnd].load();
    if (window) PostMessageW(window, message, 0, 0);
}

// Runs one step on the UI thread once every reply posted before it has been applied, and waits for it.
// False when the controller stops meanwhile.
bool EqualizerManager::RunUiStep(UiStep step, int scene) {
    if (mStopping || !hMainWnd) return false;
    ResetEvent(mUiStepDone);
    if (!PostMessageW(hMainWnd, WM_SCENE_UI_STEP, static_cast<WPARAM>(step), scene)) return false;
    while (WaitForSingleObject(mUiStepDone, 100) == WAIT_TIMEOUT)
        if (mStopping) return false;
    return true;
}

void EqualizerManager::OnSceneUiStep(WPARAM step, LPARAM scene) {
    switch (static_cast<UiStep>(step)) {
    case UiStep::StartOffPageRead:
        mOffPage = OffPageSettings{};
        mOffPage.compressorSource = static_cast<uint8_t>(config.inputSource & 0xFF);
        break;
    case UiStep::KeepLive:
        mLiveCrossMix = CrossMixOf(config);
        mKeptOffPage = mOffPage;
        break;
    case UiStep::KeepSceneCrossMix:
        // The cross-source mixes are read from the working configuration, which is scene `scene` now.
        if (scene >= 1 && scene <= kSceneSlots) SetCrossMix(sceneConfigs[scene - 1], CrossMixOf(config));
        break;
    case UiStep::RestoreLive:
        SetCrossMix(config, mLiveCrossMix);
        mPutBack = std::make_unique<PutBackTuning>();
        config.CopyTo(mPutBack->record);
        mPutBack->offPage = mKeptOffPage;
        mPutBack->serial = device.SerialNumber();
        break;
    }
    SetEvent(mUiStepDone);
}

bool EqualizerManager::LoadSenceThread() {
    LogPrintW(L"LoadSenceThread start!\n");
    device.DisableCmdQueue();
    device.ReadScene(sceneIndex, 0);
    // Unanswered, the amplifier never took the request and still plays what it did.
    mSceneLoadAnswered = device.mBytesRead.load() > 0;
    const bool ok = PC_UI_Status_Init() == 0 && ConnectionIntact();
    LogPrintW(L"LoadSenceThread end!\n");
    return ok;
}

bool EqualizerManager::SaveSenceThread() {
    LogPrintW(L"SaveSenceThread start!\n");
    device.SetSceneName(sceneIndex, pendingSceneName, 16);
    device.SaveScene(sceneIndex, 0);
    LogPrintW(L"SaveSenceThread end!\n");
    return ConnectionIntact();
}

bool EqualizerManager::DeleteSenceThread() {
    LogPrintW(L"DeleteSenceThread start!\n");
    device.DeleteScene(sceneIndex);
    // The acknowledgement closes the popup; without one (unplugged, no answer) the worker's end does.
    LogPrintW(L"DeleteSenceThread end!\n");
    return ConnectionIntact();
}

// The live configuration is read first, with what the page does not show. Reading a stored scene makes
// it the working configuration, so after the ten scenes all of the live one is sent back and the page
// shows it again; the file is written on the UI thread from what was read.
bool EqualizerManager::SaveWholeSceneThread() {
    LogPrintW(L"SaveWholeSceneThread start!\n");
    bool ok = PC_UI_Status_Init() == 0 && RunUiStep(UiStep::StartOffPageRead, 0) &&
              RunReadSteps(OffPageSettings::ReadSteps(mOffPage.compressorSource)) && RunUiStep(UiStep::KeepLive, 0);
    bool scenesChanged = false;
    for (uint8_t id = 1; id <= kSceneSlots && ok && ConnectionIntact(); ++id) {
        scenesChanged = true;
        ok = ReadSceneFromDevice(id) == 0 && RunUiStep(UiStep::KeepSceneCrossMix, id);
    }
    // Whatever happened, the amplifier gets the live configuration back once a scene was loaded. When the
    // link broke first, the next connection's read-back puts it back.
    if (scenesChanged && RunUiStep(UiStep::RestoreLive, 0) && ConnectionIntact()) PutTuningBack(*mPutBack);
    if (scenesChanged && !ConnectionIntact() && !mStopping) {
        LogPrintW(L"SaveWholeSceneThread: cut off with a stored scene playing\n");
        OweTuning(std::move(mPutBack));
    }
    ok = ok && ConnectionIntact();
    LogPrintW(L"SaveWholeSceneThread end!\n");
    return ok;
}

// ---------------------------------------------------------------------------------------------------
// Ends of the workers, on the UI thread

void EqualizerManager::OnSceneWorkDone(WPARAM work, LPARAM end) {
    if (mStopping) return;
    const bool ok = (end & 1) != 0;
    const bool current = mConnection.load() == static_cast<unsigned>(static_cast<ULONG_PTR>(end) >> 1);
    std::wstring box;
    switch (static_cast<SceneWork>(work)) {
    case SceneWork::LoadScene:
        if (ok && current) {
            ShowOutputTypes();  // with the speaker markers
            for (int n = 0; n < OutputCount; ++n) UpdateEqCurve(n, config.channels[n].bypass == 1, CurvePoints);
            UpdateEqualizer(-1);
            device.EnableCmdQueue();
        } else if (ok) {
            LogPrintW(L"LoadSenceThread: its connection is gone, the next one reads what plays\n");
        } else if (current) {
            // As after a failed connect: the page shows the amplifier is gone and nothing is sent.
            LogPrintW(L"LoadSenceThread: the scene was not read back\n");
            PostForConnection(WM_CONNECT_FAILED, mConnection.load());
            PostForConnection(WM_READ_FAILED, mConnection.load());
        } else if (!mSceneLoadAnswered) {
            LogPrintW(L"LoadSenceThread: the amplifier went before it took the request\n");
            box = L"${scene_not_loaded}";
        } else {
            LogPrintW(L"LoadSenceThread: ended by a removal, the next connection reads what plays\n");
        }
        break;
    case SceneWork::WholeSave:
        mWholeSaveReading = false;
        mPutBack.reset();
        if (ok && current) mSceneRecordsConnection = mConnection.load();
        RefreshAllFromConfig();
        box = WriteWholeProfile(ok);
        break;
    case SceneWork::SendSceneProfile:
    case SceneWork::SendWholeProfile: {
        const bool whole = static_cast<SceneWork>(work) == SceneWork::SendWholeProfile;
        // Every scene of a whole profile is stored now, named or not.
        if (ok && whole) validSceneMask = (1u << kSceneSlots) - 1;
        Post(WM_HIDE_LOADING);
        if (!ok)
            box = L"${profile_send_fail}";
        else if (whole && !mUnstorableSceneNames.empty())
            box = FormatSceneText(Resolved(L"${scene_names_not_stored}").c_str(), L"s", &mUnstorableSceneNames, 1);
        if (whole) mUnstorableSceneNames.clear();
        mWholeToSend.reset();
        break;
    }
    default: break;
    }
    // The amplifier came back while the worker ran: it is connected (and what it owes put back) at once;
    // the box may wait for the user, the amplifier does not.
    ConnectPendingPlugIn();
    if (!box.empty()) ShowWorkReport(hMainWnd, box.c_str());
}

// Written on the UI thread from what the reads applied; answers the box that tells how it went.
std::wstring EqualizerManager::WriteWholeProfile(bool readOk) {
    bool written = false;
    if (readOk) {
        ProfileFile file(hMainWnd);
        written = file.SaveWholeProfile(config, sceneConfigs, NameSlots(sceneNames), wholeProfilePath);
    } else {
        LogPrintW(L"SaveWholeSceneThread: the amplifier was not read whole, nothing written\n");
    }
    Post(WM_HIDE_LOADING);
    if (!readOk) return L"${profile_read_fail}";
    return written ? L"${profile_save_ok}" : L"${profile_create_error}";
}
