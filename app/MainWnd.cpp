#include "MainWnd.h"

#include "CircleProgress.h"
#include "base/Log.h"
#include "MsgWnd.h"
#include "SButton.h"
#include "ScreenInfo.h"
#include "Settings.h"
#include "UIContainer.h"
#include "UIDlgBuilder.h"
#include "UIEqualizer.h"
#include "UIEqualizerAc.h"
#include "UIMenu.h"
#include "UITextResource.h"
#include "device/DeviceMessages.h"
#include "device/DeviceRecords.h"
#include "windows/FirmwareUpload.h"

#include <cstdlib>
#include <cwctype>
#include <exception>
#include <string>

using namespace SkinUI;

namespace {

constexpr const wchar_t* kModelNameWide = L"KTR3.500DSP";
// Polls, after a display change during a firmware update, for the update's end.
constexpr UINT_PTR RESTART_WAIT_TIMER = 4118;
// The HID device-interface class.
constexpr GUID kHidInterfaceClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

std::wstring Lower(const wchar_t* text) {
    std::wstring result(text ? text : L"");
    for (wchar_t& c : result) c = static_cast<wchar_t>(towlower(c));
    return result;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Main page

SKINUI_BEGIN_NOTIFY_MAP(CMainPage, CNotifyPump)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CMainPage::OnClick)
    SKINUI_NOTIFY_ENTRY(L"selectchanged", L"", &CMainPage::OnSelectChanged)
    SKINUI_NOTIFY_ENTRY(L"itemclick", L"", &CMainPage::OnItemClick)
SKINUI_END_NOTIFY_MAP()

void CMainPage::SetPaintMagager(CPaintManagerUI* manager) {
    LogPrintW(L"SetPaintMagager\n");
    m_pm = manager;
}

void CMainPage::OnClick(TNotifyMessage&) { LogPrintW(L"OnClick\n"); }
void CMainPage::OnSelectChanged(TNotifyMessage&) { LogPrintW(L"OnSelectChanged\n"); }
void CMainPage::OnItemClick(TNotifyMessage&) { LogPrintW(L"OnItemClick\n"); }

// ---------------------------------------------------------------------------------------------------
// Main window: life cycle

CMainWnd::CMainWnd(HidBackend* hid, DeviceClock* clock) : m_controller(hid, clock) {
    m_mainPage.SetPaintMagager(&m_pm);
    AddNotifyPage(L"mainpage", &m_mainPage);
    m_pm.GetDpiScaler()->SetDPIAwareness(CUIDpi::kPerMonitorAware);
}

CMainWnd::~CMainWnd() {
    // The observer must not keep a pointer to a window object that is gone.
    RemoveObserver();
    // Nor may the menu observer keep this window's menu or its check map.
    delete m_menu;
    m_menu = nullptr;
    CMenuWnd::DestroyMenu();
    GetMenuObserver().SetMenuCheckInfo(nullptr);
    m_controller.Device().CloseHIDDevice(true);
}

void CMainWnd::OnInitWindow() {
    BuildChannelSettings();
    SetWindowLongW(m_hWnd, GWL_STYLE, GetWindowLongW(m_hWnd, GWL_STYLE) & ~(WS_MAXIMIZEBOX | WS_THICKFRAME));
    LoadLanguages();
    m_controller.factoryEQ = static_cast<uint32_t>(ReadSettingInt(L"factoryEQ", 0));
    if (const wchar_t* pack = LanguagePackForSetting(GetConfigLanguage())) CTextResource::GetInstance()->SelectLanguage(pack);
    GlobalSkinChangeObserver().AddReceiver(this);
    m_pm.ApplyDpi(GetAutoDpi());
    // Placed at its final size before the window is first shown, so it never appears at the corner.
    CenterOnOwner();
    m_controller.startMainVolumePoll = [this] { StartMainVolumePoll(); };
    m_controller.Init(&m_pm, m_hWnd);
    if (!ClaimSingleInstance()) return;
    m_controller.ConnectDevice(false);
    RegisterHidNotification(kHidInterfaceClass, m_hWnd, &m_deviceNotification);
}

void CMainWnd::BuildChannelSettings() {
    CControlUI* host = m_pm.FindControlByName(L"channel_settings");
    auto* container = host ? static_cast<IContainerUI*>(host->GetInterface(L"IContainer")) : nullptr;
    if (!container) {
        LogPrintW(L"CMainWnd: no container \"channel_settings\"\n");
        return;
    }
    // Built whole first, then attached: attaching registers every name of the finished tree.
    CUIBuilder builder;
    CControlUI* settings = builder.Create(L"xml/channel_settings_6in_mixer.xml", nullptr, this, &m_pm);
    if (!settings) {
        LogPrintW(L"CMainWnd: channel settings not built: %ls\n", builder.GetLastErrorMessage());
        return;
    }
    if (!container->Add(settings)) delete settings;
}

void CMainWnd::LoadLanguages() {
    CTextResource* texts = CTextResource::GetInstance();
    texts->SetTextQuery(this);
    texts->LoadLanguage(L"lan/lan_en.xml", L"en");
    texts->LoadLanguage(L"lan/lan_cn.xml", L"cn_zh");
    texts->LoadLanguage(L"lan/lan_ru.xml", L"ru");
}

bool CMainWnd::ClaimSingleInstance() {
    wchar_t name[64];
    _snwprintf(name, 63, L"VELMOR4TO8_%ls", kModelNameWide);
    name[63] = 0;
    m_instanceMutex = CreateMutexW(nullptr, TRUE, name);
    if (m_instanceMutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        m_secondInstance = true;
        const wchar_t* captions[] = {L"${confirm}"};
        ShowMsgWndButtons(m_hWnd, L"${tips}", L"${mutex_tips}", captions, 1);
        PostMessageW(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return false;
    }
    return true;
}

bool CMainWnd::RegisterHidNotification(const GUID& interfaceClass, HWND window, HDEVNOTIFY* handle) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interfaceClass;
    *handle = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (!*handle) {
        LogPrintW(L"RegisterDeviceNotification\n");
        return false;
    }
    return true;
}

LRESULT CMainWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_instanceMutex) {
        CloseHandle(m_instanceMutex);
        m_instanceMutex = nullptr;
    }
    return 0;
}

LRESULT CMainWnd::OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    return 0;
}

LRESULT CMainWnd::OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    LogPrintW(L"on CMainWnd UI_MSGTYPE_KILLFOCUS\n");
    return WindowImplBase::OnKillFocus(message, wParam, lParam, handled);
}

// ---------------------------------------------------------------------------------------------------
// Controls, texts, language, skin changes

CControlUI* CMainWnd::CreateControl(const wchar_t* className) {
    if (EqualsIgnoreCase(className, L"CircleProgress")) return new CCircleProgressUI;
    if (EqualsIgnoreCase(className, L"SButton")) return new CSButtonUI;
    if (EqualsIgnoreCase(className, L"Curve")) return new UIEqualizer;
    if (EqualsIgnoreCase(className, L"CurveAc")) return new UIEqualizerAc;
    return nullptr;
}

const wchar_t* CMainWnd::QueryControlText(const wchar_t*, int) { return nullptr; }

void CMainWnd::ChangeLanguage(const wchar_t* language, const wchar_t* iniValue) {
    LogPrintW(L"change language to %ls - %ls\n", language, iniValue);
    CTextResource::GetInstance()->SelectLanguage(language);
    WriteSettingText(L"lan", iniValue);
    m_controller.UpdateAllVolumeEdit();
    InvalidateRect(m_hWnd, nullptr, TRUE);
    m_pm.RequestLayout();
    LogPrintW(L"change language finish\n");
}

int CMainWnd::Receive(SkinChangedParam param) {
    CControlUI* root = m_pm.FindControlByName(L"root");
    if (!root) return TRUE;
    if (param.bColor) {
        root->SetBkColor(param.bkcolor);
        root->SetBkImage(L"");
    } else {
        root->SetBkColor(0);
        root->SetBkImage(param.bgimage.Data());
    }
    return TRUE;
}

// ---------------------------------------------------------------------------------------------------
// Messages

bool CMainWnd::IsAmplifierPath(const wchar_t* path) {
    const std::wstring lower = Lower(path);
    return lower.find(L"hid") != std::wstring::npos && lower.find(L"vid_0483") != std::wstring::npos &&
           lower.find(L"pid_5750") != std::wstring::npos;
}

void CMainWnd::OnClose() {
    m_controller.DisconnectDevice();
    // No worker may outlive the window it posts to.
    m_controller.Shutdown();
    CMsgWnd::CloseAll();
    m_loading.Hide();
    PostQuitMessage(0);
}

void CMainWnd::RequestRestart() {
    if (FirmwareUpdateBusy()) {
        LogPrintW(L"CMainWnd: display change during a firmware update, restart deferred\n");
        SetTimer(m_hWnd, RESTART_WAIT_TIMER, 1000, nullptr);
        return;
    }
    // The fresh instance starts once this one has let go of its mutex and device.
    m_restartRequested = true;
    PostMessageW(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void CMainWnd::OnDeviceChange(WPARAM event, LPARAM data, BOOL& handled) {
    if (event == DBT_DEVNODES_CHANGED) {
        LogPrintW(L"Message DBT_DEVNODES_CHANGED\n");
        handled = TRUE;
        return;
    }
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) {
        LogPrintW(L"Message %d\n", static_cast<int>(event));
        return;
    }
    LogPrintW(event == DBT_DEVICEARRIVAL ? L"Message DBT_DEVICEARRIVAL\n" : L"Message DBT_DEVICEREMOVECOMPLETE\n");
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return;
    handled = TRUE;
    const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(data);
    if (!IsAmplifierPath(device->dbcc_name)) return;
    // Whatever waits for the user is answered "no" before the connection changes under it; a restart the
    // user asked for leaves the box that announces it up until the amplifier is back, and what a box says
    // of finished work stays up to be read.
    if (event == DBT_DEVICEARRIVAL || !m_controller.IsRestartExpected()) CMsgWnd::CloseAll(false);
    if (event == DBT_DEVICEARRIVAL)
        m_controller.DevicePlugin();
    else
        m_controller.DevicePlugOut();
}

LRESULT CMainWnd::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = FALSE;
    try {
        switch (message) {
        case WM_CLOSE:
            if (FirmwareUpdateBusy()) {
                // Ending the program now could leave the amplifier without firmware.
                LogPrintW(L"CMainWnd: close refused while a firmware update runs\n");
                handled = TRUE;
                break;
            }
            OnClose();
            break;
        case WM_SHOWWINDOW: InvalidateRect(m_hWnd, nullptr, TRUE); break;
        case WM_DISPLAYCHANGE: RequestRestart(); break;
        case WM_TIMER:
            if (wParam == RESTART_WAIT_TIMER) {
                KillTimer(m_hWnd, RESTART_WAIT_TIMER);
                RequestRestart();
                handled = TRUE;
            } else {
                HandleControllerMessage(message, wParam, lParam, handled);
            }
            break;
        case WM_DEVICECHANGE: OnDeviceChange(wParam, lParam, handled); break;
        case WM_SHOW_LOADING: m_loading.Show(m_hWnd); break;
        case WM_HIDE_LOADING:
            m_loading.Hide();
            handled = TRUE;
            break;
        default: HandleControllerMessage(message, wParam, lParam, handled); break;
        }
    } catch (const std::exception& e) {
        LogPrintA("CMainWnd: message %u failed: %s\n", message, e.what());
    } catch (...) {
        LogPrintA("CMainWnd: message %u failed\n", message);
    }
    return 0;
}
