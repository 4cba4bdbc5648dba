#pragma once
// The main window "VR ZOD Evoda": the main page built from "XML_MAIN" with the channel sub-layout, the
// tuning controller it holds for the whole run, the single-instance check, the first connection and the
// HID plug notifications, the language choice, the busy popup, and the receiver part of the skin-change
// observer.
#include "EqualizerManager.h"
#include "LoadingWnd.h"
#include "SkinObserver.h"
#include "UIStringMap.h"
#include "UIWindowImplBase.h"

#include <dbt.h>

#include <functional>
#include <string>

namespace SkinUI {
class CMenuWnd;
}

// The edit box the focus moves to from `name` (user-data index `index`) with the Left or Right key, or
// "" when that box is not in the ring; bands is the current output's band count and enabled tells
// whether a box takes the focus.
std::wstring NextInFocusRing(const std::wstring& name, int index, bool right, int bands,
                             const std::function<bool(const std::wstring&)>& enabled);

// The notification page of controls whose "virtualwnd" is "mainpage"; it only logs what it gets.
class CMainPage : public SkinUI::CNotifyPump {
public:
    void SetPaintMagager(SkinUI::CPaintManagerUI* manager);

    virtual void OnClick(SkinUI::TNotifyMessage& msg);
    virtual void OnSelectChanged(SkinUI::TNotifyMessage& msg);
    virtual void OnItemClick(SkinUI::TNotifyMessage& msg);

private:
    SkinUI::CPaintManagerUI* m_pm = nullptr;

    SKINUI_DECLARE_NOTIFY_MAP()
};

class CMainWnd : public SkinUI::WindowImplBase, public SkinChangeReceiver {
public:
    static constexpr const wchar_t* kTitle = L"VR ZOD Evoda";
    static constexpr int kWidth = 1230;
    static constexpr int kHeight = 650;

    // hid: the HID calls behind the device link; null talks to the real amplifier. clock: the link's
    // sleeps and ticks; null for the system's.
    explicit CMainWnd(HidBackend* hid = nullptr, DeviceClock* clock = nullptr);
    ~CMainWnd() override;

    void ChangeLanguage(const wchar_t* language, const wchar_t* iniValue);
    int Receive(SkinChangedParam param) override;
    SkinUI::CControlUI* CreateControl(const wchar_t* className) override;
    const wchar_t* QueryControlText(const wchar_t* key, int type) override;
    // Every notification of the main window: routed to the controller, then to the base dispatch.
    void Notify(SkinUI::TNotifyMessage& msg) override;
    void DispatchClick(SkinUI::CControlUI* sender);
    // Reads the main volume once a second, ten times, unless a reply ends it earlier.
    void StartMainVolumePoll();

    EqualizerManager& Controller() { return m_controller; }
    bool IsSecondInstance() const { return m_secondInstance; }
    // True once a display change asked for a fresh instance; the start-up code starts it after this one
    // has released its mutex and its device.
    bool RestartRequested() const { return m_restartRequested; }
    HDEVNOTIFY DeviceNotification() const { return m_deviceNotification; }

    static bool RegisterHidNotification(const GUID& interfaceClass, HWND window, HDEVNOTIFY* handle);
    // True when a device path names the amplifier (HID, vendor 0483, product 5750), in any letter case.
    static bool IsAmplifierPath(const wchar_t* path);

protected:
    const wchar_t* GetWndClassName() const override { return L"MainWnd"; }
    UINT GetWndClassStyle() const override { return CS_DBLCLKS; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_MAIN"); }
    void OnInitWindow() override;
    LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

private:
    void BuildChannelSettings();
    void LoadLanguages();
    bool ClaimSingleInstance();
    void OnDeviceChange(WPARAM event, LPARAM data, BOOL& handled);
    void OnClose();
    // A display change asks for a fresh instance; not while a firmware update runs, which it waits for.
    void RequestRestart();
    // Routing (MainWndRouting.cpp).
    bool RouteNotify(SkinUI::TNotifyMessage& msg);
    void RouteSlider(const std::wstring& name, int index, SkinUI::CControlUI* sender);
    void RouteCommit(const std::wstring& name, int index, bool isReturn);
    void FocusByName(const std::wstring& name);
    int CurrentBandCount() const;
    void ResyncAfterCalibration();
    bool HandleControllerMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void OnMenuClick(WPARAM record);
    void DispatchMenu(const std::wstring& name);

    SkinUI::CControlUI* m_dpiControl = nullptr;  // never bound
    EqualizerManager m_controller;
    int m_currentOutput = 0;
    SkinUI::CUIStringMap m_menuChecks{83};
    SkinUI::CMenuWnd* m_menu = nullptr;
    HDEVNOTIFY m_deviceNotification = nullptr;
    CMainPage m_mainPage;
    CLoadingPopupHolder m_loading;
    HANDLE m_instanceMutex = nullptr;
    bool m_secondInstance = false;
    bool m_restartRequested = false;
};
