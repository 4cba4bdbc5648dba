#include "EqualizerManager.h"

#include "Log.h"
#include "MsgWnd.h"
#include "SButton.h"
#include "UIManager.h"

using namespace SkinUI;

namespace {

constexpr DWORD kSwitchOffText = 0xFFFF0000;

DeviceLinkSeams SeamsWith(HidBackend* hid) {
    DeviceLinkSeams seams;
    seams.hid = hid;
    return seams;
}

}  // namespace

EqualizerManager::EqualizerManager(HidBackend* hid) : device(SeamsWith(hid)) {
    device.SetDeviceProfile(94, 10, 10, 0, 0);
}

EqualizerManager::~EqualizerManager() = default;

void EqualizerManager::Init(CPaintManagerUI* manager, HWND window) {
    hMainWnd = window;
    device.SetMainHwnd(window);
    paintManager = manager;
    btnConnect = static_cast<CSButtonUI*>(manager->FindControlByName(L"btnConnect"));
    if (btnConnect && !btnConnect->GetInterface(L"SButton")) btnConnect = nullptr;
    if (btnConnect) manager->FocusControl(btnConnect);
}

bool EqualizerManager::UpgradeInProgress() const {
    const uint32_t state = device.mUpgState.load();
    return state == UPG_PARSING || state == UPG_START;
}

void EqualizerManager::ShowConnectionState(const wchar_t* text, DWORD textColor, bool selected) {
    if (!btnConnect) return;
    btnConnect->SetText(text);
    btnConnect->SetSelected(selected);
    btnConnect->SetTextColor(textColor);
}

void EqualizerManager::ConnectDevice(bool showError) {
    if (UpgradeInProgress()) return;
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
        ShowConnectionState(L"${btn_disconnected}", kSwitchOffText, false);
        return;
    }
    LogPrintW(L"Connect OK\xFF01\n");
    ShowConnectionState(L"${btn_connecting}", kSwitchOffText, false);
}

void EqualizerManager::DisconnectDevice() {
    if (UpgradeInProgress()) return;
    device.DisableCmdQueue();
    device.CloseHIDDevice(true);
    ShowConnectionState(L"${btn_disconnected}", kSwitchOffText, false);
    config.model = -1;
}

void EqualizerManager::DevicePlugin() {
    LogPrintW(L"DevicePlugin\n");
    if (UpgradeInProgress()) {
        LogPrintW(L"sys_upg_status UPG_ENTER or UPG_START\n");
        return;
    }
    // A repeated arrival (several HID collections) must not toggle an open connection off.
    if (!device.IsConnected()) ConnectDevice(false);
}

void EqualizerManager::DevicePlugOut() {
    LogPrintW(L"DevicePlugOut\n");
    if (UpgradeInProgress()) {
        LogPrintW(L"sys_upg_status UPG_ENTER or UPG_START\n");
        return;
    }
    DisconnectDevice();
}
