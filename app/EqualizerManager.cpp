// The tuning controller's life cycle and connection: connect, read back, ready, disconnect, plug events,
// factory reset and the start of the forced update.
#include "EqualizerManager.h"

#include "base/Log.h"
#include "MsgWnd.h"
#include "SButton.h"
#include "Settings.h"
#include "TextFormat.h"
#include "UIManager.h"
#include "UITextResource.h"
#include "device/DeviceMessages.h"
#include "windows/ForceUpdateImages.h"
#include "windows/ForceUpdateWnd.h"
#include "windows/MixerWnd.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>

using namespace SkinUI;

namespace {

constexpr DWORD kDisconnectedText = 0xFFFF0000;
constexpr DWORD kConnectedText = 0xFFFFFFFF;
constexpr DWORD kUnplugNoticeMs = 500;  // how long a broken read-back waits for the system's word of an unplug

DeviceLinkSeams SeamsWith(HidBackend* hid, DeviceClock* clock) {
    DeviceLinkSeams seams;
    seams.hid = hid;
    seams.clock = clock;
    return seams;
}

bool NoForceUpdateMarker() { return IsFileInCurrentDir(L"noForceUpdate.ini"); }

}  // namespace

FirmwareVerdict CompareFirmware(int mainVersion, int slaveVersion) {
    if (mainVersion == kBuiltInMainVersion && slaveVersion == kBuiltInSlaveVersion) return FirmwareVerdict::Same;
    if (mainVersion > kBuiltInMainVersion ||
        (mainVersion == kBuiltInMainVersion && slaveVersion > kBuiltInSlaveVersion))
        return FirmwareVerdict::Newer;
    return FirmwareVerdict::Older;
}

EqualizerManager::EqualizerManager(HidBackend* hid, DeviceClock* clock) : device(SeamsWith(hid, clock)) {
    device.SetDeviceProfile(kAmplifierModel, OutputCount, 10, 0, 0);
    mUiStepDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

EqualizerManager::~EqualizerManager() {
    Shutdown();
    if (mUiStepDone) CloseHandle(mUiStepDone);
}

void EqualizerManager::Shutdown() {
    mStopping = true;
    // A closed device makes a running read-back fail at once, so the joins below are short.
    device.DisableCmdQueue();
    device.CloseHIDDevice(true);
    if (mReadThread.joinable()) mReadThread.join();
    if (mFactoryThread.joinable()) mFactoryThread.join();
    JoinSceneWorker();
}

bool EqualizerManager::UpgradeInProgress() const {
    const uint32_t state = device.mUpgState.load();
    return state == UPG_PARSING || state == UPG_START;
}

void EqualizerManager::Post(UINT message) const {
    if (hMainWnd) PostMessageW(hMainWnd, message, 0, 0);
}

void EqualizerManager::ShowConnectionState(const wchar_t* text, DWORD textColor, bool selected) {
    if (!btnConnect) return;
    btnConnect->SetText(text);
    btnConnect->SetSelected(selected);
    btnConnect->SetTextColor(textColor);
}

int EqualizerManager::CurrentOutput() const {
    const int n = config.currOutChannel;
    return n >= 0 && n < OutputCount ? n : 0;
}

// ---------------------------------------------------------------------------------------------------
// Connection

void EqualizerManager::ConnectDevice(bool showError) {
    if (mStopping || UpgradeInProgress()) return;
    // The busy popup can be closed from outside; a second connect must not start a second read.
    if (mReadRunning) {
        LogPrintW(L"ConnectDevice: a read-back is running, ignored\n");
        return;
    }
    if (device.IsConnected()) {
        DisconnectDevice();
        return;
    }
    device.OpenHIDDevice();
    if (!device.IsConnected()) {
        LogPrintW(L"Can not conect usb devices, please connect devices again!\n");
        if (showError) {
            const wchar_t* captions[] = {L"${confirm}", L"", L""};
            ShowMsgWndButtons(hMainWnd, L"${tips}", L"${device_connect_fail}", captions, 1);
        }
        ShowConnectionState(L"${btn_disconnected}", kDisconnectedText, false);
        return;
    }
    ++mConnection;
    mRestartExpected = false;
    CloseMixerWnd(1);
    LogPrintW(L"Connect OK\xFF01\n");
    // A firmware window waiting for the amplifier: the user-started one closes, a forced update goes on.
    if (closeUpdateWindow) closeUpdateWindow();
    if (forceUpdateRunning && forceUpdateNextStage && !NoForceUpdateMarker()) {
        ShowConnectionState(L"${btn_connected}", kConnectedText, true);
        forceUpdateNextStage();
        return;
    }
    ShowConnectionState(L"${btn_connecting}", kDisconnectedText, false);
    StartReadBack();
}

void EqualizerManager::JoinFinishedWorkers() {
    if (!mReadRunning && mReadThread.joinable()) mReadThread.join();
    if (!mFactoryRunning && mFactoryThread.joinable()) mFactoryThread.join();
}

void EqualizerManager::StartReadBack() {
    JoinFinishedWorkers();
    // The band counts the requests use are taken here, so the worker never reads the configuration.
    for (int n = 0; n < OutputCount; ++n) mReadBandCounts[n] = config.channels[n].eqSize;
    device.DisableCmdQueue();
    Post(WM_SHOW_LOADING);
    // The status timer lives on the main window, so it is set here on its own thread.
    if (hMainWnd) {
        KillTimer(hMainWnd, DEVICE_STATUS_TIMER);
        SetTimer(hMainWnd, DEVICE_STATUS_TIMER, 100, nullptr);
    }
    mReadRunning = true;
    mReadConnection = mConnection.load();
    // A whole save cut off earlier left a stored scene playing on this amplifier: its tuning goes back
    // first. The page takes its bands, so that the read keeps the switched-off ones it put back.
    if (mPutBackOnConnect) OweTuning(std::move(mPutBackOnConnect));
    mPutBackOnConnect = TakeOwedTuning(device.SerialNumber());
    mPuttingBack = mPutBackOnConnect != nullptr;
    if (mPuttingBack) std::memcpy(config.bandStorage, mPutBackOnConnect->record.bandStorage, sizeof config.bandStorage);
    try {
        mReadThread = std::thread(&EqualizerManager::ReadMcuValueThread, this);
    } catch (const std::exception& e) {
        mReadRunning = false;
        LogPrintA("ReadMcuValueThread not started: %s\n", e.what());
        Post(WM_HIDE_LOADING);
        PostForConnection(WM_CONNECT_FAILED, mReadConnection);
        PostForConnection(WM_READ_FAILED, mReadConnection);
    }
}

void EqualizerManager::PostForConnection(UINT message, unsigned connection) const {
    if (hMainWnd) PostMessageW(hMainWnd, message, connection, 0);
}

void EqualizerManager::WaitForUnplugNotice(unsigned connection) const {
    const DWORD start = GetTickCount();
    while (device.IsLinkFailed() && mConnection.load() == connection && !mStopping &&
           GetTickCount() - start < kUnplugNoticeMs)
        Sleep(10);
}

void EqualizerManager::PostReadFailure() {
    if (mStopping) return;
    WaitForUnplugNotice(mReadConnection);
    Post(WM_HIDE_LOADING);
    // Ended under it (unplugged, or disconnected by the user): that was shown and told already. The
    // failure is tagged with its connection, so a later one never takes it for its own.
    if (mConnection.load() != mReadConnection) return;
    PostForConnection(WM_CONNECT_FAILED, mReadConnection);
    PostForConnection(WM_READ_FAILED, mReadConnection);
}

// The worker only asks the device and posts. The replies it caused are posted before its own messages,
// and posted messages arrive in order, so the ready handler sees every value applied.
void EqualizerManager::ReadMcuValueThread() {
    try {
        LogPrintW(L"Read mcu value thread start!\n");
        const int result = PC_UI_Status_Init(mPutBackOnConnect != nullptr);
        if (!mStopping) {
            if (result == -1) {
                PostReadFailure();
            } else {
                PostForConnection(WM_DSP_READY, mReadConnection);
                Post(WM_HIDE_LOADING);
            }
        }
        LogPrintW(L"Read mcu value thread end!\n");
    } catch (const std::exception& e) {
        LogPrintA("ReadMcuValueThread: %s\n", e.what());
        PostReadFailure();
    } catch (...) {
        LogPrintA("ReadMcuValueThread failed\n");
        PostReadFailure();
    }
    mReadRunning = false;
    if (!mStopping) Post(WM_READ_BACK_ENDED);
}

void EqualizerManager::OnReadBackEnded() {
    if (mStopping || mReadRunning) return;  // a newer read-back has started meanwhile
    mPuttingBack = false;
    // Not put back (the connection broke first): still owed to that amplifier.
    if (mPutBackOnConnect) OweTuning(std::move(mPutBackOnConnect));
    JoinFinishedWorkers();
    ConnectPendingPlugIn();
}

void EqualizerManager::ConnectPendingPlugIn() {
    if (!mPlugInPending || mReadRunning || mSceneRunning) return;
    mPlugInPending = false;
    if (!device.IsConnected()) ConnectDevice(false);
}

void EqualizerManager::OnDspReady() {
    if (UpgradeInProgress() || mStopping) return;
    // Answered from the upgrade mode: left connecting with the queue off.
    if (!device.mHandshakeOk) return;
    if (!device.IsConnected() || device.IsLinkFailed() || config.model == -1) {
        DisconnectDevice();
        return;
    }
    // The model and version checks use what the link decoded from the handshake.
    const int model = device.mModel.load();
    if (model != kAmplifierModel) {
        LogPrintW(L"OnDspReady: model %d is not supported, disconnect\n", model);
        DisconnectDevice();
        return;
    }
    ShowConnectionState(L"${btn_connected}", kConnectedText, true);
    device.EnableCmdQueue();
    if (mLinkOffPending) {
        // The read-back found lock off while linked: the amplifier is told now that the queue is on.
        mLinkOffPending = false;
        device.CH_Link_Ctrl(0, 0, 0, nullptr, false);
    }
    for (int n = 0; n < OutputCount; ++n) UpdateEqCurve(n, config.channels[n].bypass == 1, CurvePoints);
    // The rows follow the page's mode and the output's band count as well as the values read.
    RefreshEqBandControls();
    RefreshCrossoverControls();
    UpdateEqualizer(-1);

    switch (CompareFirmware(static_cast<int>(device.mMasterVersion.load()), static_cast<int>(device.mSlaveVersion.load()))) {
    case FirmwareVerdict::Same: break;
    case FirmwareVerdict::Newer: Post(WM_FW_NEWER); break;
    case FirmwareVerdict::Older:
        if (!NoForceUpdateMarker()) Post(WM_FORCE_UPDATE);
        break;
    }
}

void EqualizerManager::DisconnectDevice() {
    if (UpgradeInProgress()) return;
    CloseMixerWnd(1);
    if (hMainWnd) KillTimer(hMainWnd, DEVICE_STATUS_TIMER);
    device.DisableCmdQueue();
    device.CloseHIDDevice(true);
    ++mConnection;
    ShowConnectionState(L"${btn_disconnected}", kDisconnectedText, false);
    config.model = -1;
    mLinkOffPending = false;
}

void EqualizerManager::DevicePlugOut() {
    LogPrintW(L"DevicePlugOut\n");
    if (UpgradeInProgress()) {
        LogPrintW(L"sys_upg_status UPG_ENTER or UPG_START\n");
        return;
    }
    DisconnectDevice();
    // An arrival heard before this removal is over: the amplifier is gone again.
    mPlugInPending = false;
    if (mRestartExpected) {
        LogPrintW(L"DevicePlugOut: the amplifier restarts\n");
        return;
    }
    // The box runs on the UI thread, after the system's notification has returned, unless the amplifier
    // has been connected again by then.
    if (!forceUpdateRunning && !updateWindowOpen && hMainWnd)
        PostMessageW(hMainWnd, WM_SHOW_PLUGOUT_BOX, mConnection.load(), 0);
}

void EqualizerManager::DevicePlugin() {
    LogPrintW(L"DevicePlugin\n");
    if (UpgradeInProgress()) {
        LogPrintW(L"sys_upg_status UPG_ENTER or UPG_START\n");
        return;
    }
    mRestartExpected = false;
    // A repeated arrival (several HID collections) must not toggle an open connection off.
    if (device.IsConnected()) return;
    // A worker still winding down after the removal (a loose cable) must not see a second read-back
    // beside its own requests: the amplifier is connected when it has ended.
    if (mReadRunning || mSceneRunning) {
        LogPrintW(L"DevicePlugin: a worker runs, connecting when it ends\n");
        mPlugInPending = true;
        return;
    }
    ConnectDevice(false);
}

// ---------------------------------------------------------------------------------------------------
// Factory reset and forced update

void EqualizerManager::ResetMcuFactoryDefault() {
    LogPrintW(L"%ls\n", L"EqualizerManager::ResetMcuFactoryDefault");
    if (mFactoryRunning || mReadRunning || !device.IsConnected()) return;
    const wchar_t* captions[] = {L"${confirm}", L"${cancel}"};
    if (ShowMsgWndButtons(hMainWnd, L"${tips}", L"${factory_default_tips}", captions, 2) != 1) return;
    JoinFinishedWorkers();
    // Nothing queued may go out while the amplifier resets; then it restarts.
    device.DisableCmdQueue();
    mRestartExpected = true;
    Post(WM_SHOW_LOADING);
    mFactoryRunning = true;
    try {
        mFactoryThread = std::thread(&EqualizerManager::FactoryDefaultThread, this);
    } catch (const std::exception& e) {
        mFactoryRunning = false;
        LogPrintA("FactoryDefaultThread not started: %s\n", e.what());
        Post(WM_HIDE_LOADING);
    }
}

void EqualizerManager::FactoryDefaultThread() {
    try {
        LogPrintW(L"Factory default thread start!\n");
        const bool acknowledged = device.MCU_Factory_Default();
        if (!mStopping && hMainWnd) PostMessageW(hMainWnd, WM_FACTORY_DEFAULT_DONE, acknowledged ? 1 : 0, 0);
        LogPrintW(L"Factory default thread end!\n");
    } catch (...) {
        LogPrintA("FactoryDefaultThread failed\n");
        if (!mStopping) Post(WM_HIDE_LOADING);
    }
    mFactoryRunning = false;
}

void EqualizerManager::OnFactoryDefaultDone(bool acknowledged) {
    // Without its acknowledgement the amplifier was not reset and will not restart: its next removal is
    // an unplug the user is told of.
    if (!acknowledged) mRestartExpected = false;
    if (device.IsConnected() && !mReadRunning && config.model != -1) device.EnableCmdQueue();
}

void EqualizerManager::StartForceUpdate() {
    if (NoForceUpdateMarker() || forceUpdateRunning) return;
    const CUIString format = CTextResource::GetInstance()->GetText(L"${update_tips}");
    const int values[] = {static_cast<int>(device.mMasterVersion.load()), static_cast<int>(device.mSlaveVersion.load()),
                          kBuiltInMainVersion, kBuiltInSlaveVersion};
    const std::wstring question = FormatIntegers(format.Data(), values, 4);
    const wchar_t* captions[] = {L"${confirm}", L"${cancel}"};
    if (ShowMsgWndButtons(hMainWnd, L"${tips}", question.c_str(), captions, 2) != 1) return;
    LogPrintW(L"Start force update!\n");
    std::wstring mcuImagePath, flashImagePath;
    const int error = PrepareForceUpdateImages(kMcuImageResource, kFlashImageResource, mcuImagePath, flashImagePath);
    if (error != 0) {
        wchar_t text[64];
        _snwprintf(text, 63, L"File prepare error. error code %d", error);
        text[63] = 0;
        const wchar_t* confirm[] = {L"${confirm}", L"", L""};
        ShowMsgWndButtons(hMainWnd, L"${tips}", text, confirm, 1);
        return;
    }
    forceUpdateRunning = 1;
    bool stageRan = false;
    const int result = ShowForceUpdateWnd(hMainWnd, device, mcuImagePath.c_str(), mcuImagePath.c_str(),
                                          flashImagePath.c_str(), forceUpdateNextStage, &stageRan);
    forceUpdateRunning = 0;
    // A replug while the window waited for its first stage was handed to the window, which had nothing
    // to go on with: that connection has not been read yet, and is read now like any other.
    if (result == 1 || stageRan || device.IsConnected()) ReadAgainAfterUpdate();
}

void EqualizerManager::ReadAgainAfterUpdate() {
    if (mStopping || mReadRunning || UpgradeInProgress()) return;
    const bool ready = device.IsConnected() && !device.IsLinkFailed() && device.mQueueEnabled.load() == 1 &&
                       config.model == kAmplifierModel;
    if (ready) return;
    // A fresh handle: the amplifier restarted under the old one, whether or not the system said so.
    LogPrintW(L"firmware update ended: the amplifier is connected and read again\n");
    DisconnectDevice();
    ConnectDevice(false);
}

// ---------------------------------------------------------------------------------------------------
// Small helpers

float EqualizerManager::VolumeToDb(float value) {
    if (value <= 0) return -60.0f;
    if (value >= 40) return 6.0f;
    return static_cast<float>(std::log10(value) * 41.25 - 60.0);
}

const wchar_t* EqualizerManager::FormatDb(float value) {
    static wchar_t text[32];
    _snwprintf(text, 31, L"%ddB", static_cast<int>(value));
    text[31] = 0;
    return text;
}
