#pragma once
// The tuning controller: it owns the live configuration and the link to the amplifier and lives inside
// the main window for the whole run. Here it holds what start-up needs: the connection button, the
// first connection attempt, disconnecting, and following plug-in and plug-out.
#include "device/DeviceLink.h"
#include "model/DspConfig.h"

#include <windows.h>

namespace SkinUI {
class CPaintManagerUI;
class CSButtonUI;
}  // namespace SkinUI

class EqualizerManager {
public:
    // hid: the HID calls behind the link; null talks to the real amplifier through hidapi.
    explicit EqualizerManager(HidBackend* hid = nullptr);
    ~EqualizerManager();
    EqualizerManager(const EqualizerManager&) = delete;
    EqualizerManager& operator=(const EqualizerManager&) = delete;

    // Binds the controller to the main window once its layout is built.
    void Init(SkinUI::CPaintManagerUI* manager, HWND window);

    // Connects, or disconnects when already connected (the connection button toggles).
    void ConnectDevice(bool showError);
    void DisconnectDevice();
    void DevicePlugin();
    void DevicePlugOut();

    DeviceLink& Device() { return device; }
    SkinUI::CSButtonUI* ConnectButton() const { return btnConnect; }

    HWND hMainWnd = nullptr;
    SkinUI::CPaintManagerUI* paintManager = nullptr;
    DspConfig config;
    uint32_t factoryEQ = 0;
    uint8_t forceUpdateRunning = 0;
    uint8_t updateWindowOpen = 0;

private:
    bool UpgradeInProgress() const;
    void ShowConnectionState(const wchar_t* text, DWORD textColor, bool selected);

    SkinUI::CSButtonUI* btnConnect = nullptr;
    DeviceLink device;
};
