#include "ForceUpdateWnd.h"

#include "PageControls.h"
#include "ToolWindowControls.h"
#include "TextFormat.h"
#include "UIProgress.h"
#include "UpdateFwWnd.h"
#include "base/Log.h"
#include "device/DeviceLink.h"
#include "device/DeviceMessages.h"

#include <exception>

using namespace SkinUI;

namespace {

constexpr UINT_PTR REPLUG_WAIT_TIMER = 4117;
constexpr DWORD kFactoryPauseMs = 1000;

// A language text with one percentage in it, checked before it is used as a format.
std::wstring Percent(const wchar_t* key, int value) {
    const CUIString format = CTextResource::GetInstance()->GetText(key);
    return FormatIntegers(format.Data(), &value, 1);
}

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CForceUpdateWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CForceUpdateWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

// ---------------------------------------------------------------------------------------------------
// Set-up

void CForceUpdateWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    m_mcuFile = m_pm.FindControlByName(L"mcu_file");
    m_flashFile = m_pm.FindControlByName(L"flash_file");
    m_mcuBar = dynamic_cast<CProgressUI*>(m_pm.FindControlByName(L"mcu_progress"));
    m_flashBar = dynamic_cast<CProgressUI*>(m_pm.FindControlByName(L"flash_progress"));
    m_factoryBox = m_pm.FindControlByName(L"check_box_facotry");
    m_status = m_pm.FindControlByName(L"update_tips");
    m_updateButton = m_pm.FindControlByName(L"update_btn");
    m_cancelButton = m_pm.FindControlByName(L"cancel_btn");
}

void CForceUpdateWnd::SetMcuText(const wchar_t* text) {
    if (text && *text) PageControls::SetText(m_mcuFile, text);
}

void CForceUpdateWnd::SetMcuPath(const wchar_t* path) {
    if (path && *path) CopyFirmwarePath(m_mcuPath, path);
}

void CForceUpdateWnd::SetFlashPath(const wchar_t* path) {
    if (!path || !*path) return;
    PageControls::SetText(m_flashFile, path);
    CopyFirmwarePath(m_flashPath, path);
}

std::wstring CForceUpdateWnd::McuText() const { return PageControls::TextOf(m_mcuFile); }
std::wstring CForceUpdateWnd::FlashText() const { return PageControls::TextOf(m_flashFile); }

bool CForceUpdateWnd::IsBusy() const { return m_worker.IsRunning() || (m_stage != kIdle && !m_replugAsked); }

// ---------------------------------------------------------------------------------------------------
// Stages

void CForceUpdateWnd::BeginUpdate() {
    LogPrintW(L"%ls\n", L"CForceUpdateWnd::BeginUpdate");
    if (!m_link || m_worker.IsRunning()) return;
    if (!m_link->IsConnected() || m_link->IsLinkFailed()) {
        // The amplifier left the bus (or restarted under the link): only a replug brings it back.
        SetStatus(L"${please_plug_out_and_in}");
        return;
    }
    Stage next = kIdle;
    if (m_stage == kIdle && m_retryStage == kFlash && m_flashPath[0])
        next = kFlash;  // the MCU stage is behind the amplifier already
    else if (m_stage == kIdle && !McuText().empty() && m_mcuPath[0])
        next = kMcu;
    else if (m_stage == kMcu && !FlashText().empty() && m_flashPath[0])
        next = kFlash;
    if (next == kIdle) {
        SetStatus(L"${update_no_file}");
        if (m_mcuBar) m_mcuBar->SetValue(0);
        if (m_flashBar) m_flashBar->SetValue(0);
        return;
    }
    StartStage(next);
}

void CForceUpdateWnd::StartStage(Stage stage) {
    m_link->DisableCmdQueue();
    if (m_stage == kIdle) EnableButtons(false);
    HoldSequence();
    if (stage == kMcu && m_mcuBar) m_mcuBar->SetValue(0);
    if (m_flashBar) m_flashBar->SetValue(0);
    m_stage = stage;
    m_retryStage = kIdle;
    m_stageDone = false;
    m_replugAsked = false;
    KillTimer(m_hWnd, REPLUG_WAIT_TIMER);
    SetStatus(stage == kMcu ? L"${update_check_mcu}" : L"${update_check_flash}");
    const wchar_t* path = stage == kMcu ? m_mcuPath : m_flashPath;
    const UINT started = stage == kMcu ? WM_UPDATE_MCU_STARTED : WM_UPDATE_FLASH_STARTED;
    m_stageStarted = true;
    if (!m_worker.StartUpload(*m_link, path, started, m_hWnd, L"ForceUpdateThread")) OnStageEnded(WM_UPDATE_FAILED, 0);
}

void CForceUpdateWnd::NextStage() {
    LogPrintW(L"CForceUpdateWnd::NextStage, stage %d\n", m_stage);
    if (m_stage == kIdle) return;  // nothing is waiting for the amplifier
    if (m_worker.IsRunning() || !m_stageDone) {
        // Back before this stage's end was shown: go on once it has been.
        m_nextStagePending = true;
        return;
    }
    KillTimer(m_hWnd, REPLUG_WAIT_TIMER);
    const bool flashNext = m_stage == kMcu && m_flashPath[0];
    if (flashNext) {
        BeginUpdate();
        return;
    }
    if ((m_stage == kMcu || m_stage == kFlash) && PageControls::IsSelected(m_factoryBox)) {
        SetStatus(L"${update_factory}");
        ResetMcuFactoryDefault();
        return;
    }
    // The last stage is behind the amplifier: the update is complete.
    m_finished = true;
    SetStatus(L"${update_finish}");
    EndSequence();
}

void CForceUpdateWnd::ResetMcuFactoryDefault() {
    LogPrintW(L"%ls\n", L"CForceUpdateWnd::ResetMcuFactoryDefault");
    if (!m_link) return;
    m_stage = kFactory;
    m_stageDone = false;
    m_replugAsked = false;
    HoldSequence();
    DeviceLink* link = m_link;
    const HWND window = m_hWnd;
    const bool running = m_worker.Start([link, window](const std::atomic<bool>& stop) {
        LogPrintW(L"Factory default thread start!\n");
        for (DWORD waited = 0; waited < kFactoryPauseMs && !stop; waited += 50) Sleep(50);
        const bool acknowledged = !stop && link->MCU_Factory_Default();
        PostMessageW(window, WM_FACTORY_DEFAULT_DONE, acknowledged ? 1 : 0, 0);
        LogPrintW(L"Factory default thread end!\n");
    });
    if (!running) OnStageEnded(WM_UPDATE_FAILED, 0);
}

void CForceUpdateWnd::OnStageEnded(UINT message, WPARAM wParam) {
    m_worker.Join();  // its last message is this one: the thread is ending
    ShowStatus(message, wParam);
    // A factory reset the amplifier did not acknowledge was not done, and no restart follows it.
    if (message == WM_UPDATE_STAGE_DONE || (message == WM_FACTORY_DEFAULT_DONE && wParam != 0)) {
        m_stageDone = true;
        WaitForAmplifier();
        if (m_nextStagePending) {
            m_nextStagePending = false;
            NextStage();
        }
        return;
    }
    // A stage that failed ends the sequence; the user may start it again once the amplifier is back.
    m_nextStagePending = false;
    m_retryStage = m_stage;
    EndSequence();
}

void CForceUpdateWnd::HoldSequence() {
    if (!m_sequenceHold) m_sequenceHold = std::make_unique<FirmwareBusyHold>();
}

void CForceUpdateWnd::WaitForAmplifier() { SetTimer(m_hWnd, REPLUG_WAIT_TIMER, kReplugWaitMs, nullptr); }

void CForceUpdateWnd::EndSequence() {
    KillTimer(m_hWnd, REPLUG_WAIT_TIMER);
    m_stage = kIdle;
    m_replugAsked = false;
    EnableButtons(true);
    m_sequenceHold.reset();
}

void CForceUpdateWnd::EnableButtons(bool enabled) {
    for (CControlUI* control : {m_updateButton, m_cancelButton, m_closeButton}) PageControls::Enable(control, enabled);
}

CProgressUI* CForceUpdateWnd::StageBar() const {
    if (m_stage == kMcu) return m_mcuBar;
    if (m_stage == kFlash) return m_flashBar;
    return nullptr;
}

void CForceUpdateWnd::SetProgress(int value) {
    if (m_stage == kMcu)
        SetStatus(Percent(L"${update_progress_mcu}", value).c_str());
    else if (m_stage == kFlash)
        SetStatus(Percent(L"${update_progress_flash}", value).c_str());
    else
        return;
    if (CProgressUI* bar = StageBar()) bar->SetValue(value);
}

void CForceUpdateWnd::OnProgressTick() {
    CProgressUI* bar = StageBar();
    SetProgress(TickedProgress(bar ? bar->GetValue() : 0));
}

void CForceUpdateWnd::SetStatus(const wchar_t* text) { PageControls::SetText(m_status, text); }

void CForceUpdateWnd::ShowStatus(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_UPDATE_STAGE_DONE:
        if (m_stage == kMcu) SetStatus(L"${update_reboot_mcu}");
        if (m_stage == kFlash) SetStatus(L"${update_reboot_flash}");
        break;
    case WM_UPDATE_FAILED: SetStatus(L"${update_fail}"); break;
    case WM_UPDATE_START_FAILED: SetStatus(UploadStartFailureText(static_cast<int>(wParam))); break;
    case WM_UPDATE_MCU_STARTED: SetStatus(L"${update_start_mcu}"); break;
    case WM_UPDATE_FLASH_STARTED: SetStatus(L"${update_start_flash}"); break;
    case WM_FACTORY_DEFAULT_DONE:
        SetStatus(wParam != 0 ? L"${update_factory_reboot}" : L"${update_factory_fail}");
        break;
    case WM_UPDATE_REPLUG: SetStatus(L"${please_plug_out_and_in}"); break;
    default: break;
    }
}

// ---------------------------------------------------------------------------------------------------
// Window

void CForceUpdateWnd::OnWindowDestroyed(HWND hwnd) {
    KillTimer(hwnd, UPDATE_TICK_TIMER);
    KillTimer(hwnd, REPLUG_WAIT_TIMER);
    CSkinDialogWnd::OnWindowDestroyed(hwnd);
}

void CForceUpdateWnd::OnClick(TNotifyMessage& msg) {
    if (!msg.pSender) return;
    const CUIString name = msg.pSender->GetName();
    if (msg.pSender == m_closeButton || EqualsIgnoreCase(name.Data(), L"cancel_btn")) {
        if (!IsBusy()) PostClose(0);
    } else if (EqualsIgnoreCase(name.Data(), L"update_btn")) {
        BeginUpdate();
    }
}

void CForceUpdateWnd::Notify(TNotifyMessage& msg) {
    try {
        LogPrintW(L"Notify %ls\n", msg.sType.Data());
        if (msg.sType == L"setfocus") {
            const CUIString name = msg.pSender ? msg.pSender->GetName() : CUIString();
            LogPrintW(L"on %ls UI_MSGTYPE_SETFOCUS\n", name.Data());
            if (name.Find(L"file_path_edt", 0) == 0) return;
        }
        WindowImplBase::Notify(msg);
    } catch (const std::exception& e) {
        LogPrintA("CForceUpdateWnd::Notify: %s\n", e.what());
    }
}

BOOL CForceUpdateWnd::OnDefaultKey(WPARAM key) {
    if (key == VK_ESCAPE && !IsBusy()) PostClose(0);
    return key == VK_ESCAPE;
}

LRESULT CForceUpdateWnd::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = IsBusy() ? TRUE : FALSE;
    if (handled) LogPrintW(L"forced firmware update running: close refused\n");
    return 0;
}

LRESULT CForceUpdateWnd::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = FALSE;
    try {
        switch (message) {
        case WM_UPDATE_PROGRESS: SetProgress(static_cast<int>(wParam)); break;
        case WM_UPDATE_STAGE_DONE:
        case WM_UPDATE_FAILED:
        case WM_UPDATE_START_FAILED:
        case WM_FACTORY_DEFAULT_DONE: OnStageEnded(message, wParam); break;
        case WM_UPDATE_MCU_STARTED:
        case WM_UPDATE_FLASH_STARTED: ShowStatus(message, wParam); break;
        case WM_UPDATE_REPLUG:
            // The amplifier is not back: the user is asked to replug it and may also give up.
            ShowStatus(message, wParam);
            if (m_stage != kIdle && !m_worker.IsRunning()) {
                m_replugAsked = true;
                m_sequenceHold.reset();
                PageControls::Enable(m_cancelButton, true);
                PageControls::Enable(m_closeButton, true);
            }
            break;
        case WM_UPDATE_TICK: OnProgressTick(); break;
        case WM_TIMER:
            if (wParam == UPDATE_TICK_TIMER) {
                OnProgressTick();
            } else if (wParam == REPLUG_WAIT_TIMER) {
                KillTimer(m_hWnd, REPLUG_WAIT_TIMER);
                PostMessageW(m_hWnd, WM_UPDATE_REPLUG, 0, 0);
            }
            break;
        case WM_UPDATE_RESTART: SetProgress(0); break;
        default: break;
        }
    } catch (const std::exception& e) {
        LogPrintA("CForceUpdateWnd: message %u failed: %s\n", message, e.what());
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------------
// Opener

int ShowForceUpdateWnd(HWND parent, DeviceLink& link, const wchar_t* mcuText, const wchar_t* mcuPath,
                       const wchar_t* flashPath, std::function<void()>& nextStage, bool* stageStarted) {
    if (stageStarted) *stageStarted = false;
    auto window = std::make_unique<CForceUpdateWnd>();
    if (!ToolWindow::OpenToolWindow(window.get(), parent, L"updatefwwnd")) return 0;
    window->SetDeviceLink(&link);
    window->SetMcuText(mcuText);
    window->SetMcuPath(mcuPath);
    window->SetFlashPath(flashPath);
    CForceUpdateWnd* open = window.get();
    nextStage = [open] { open->NextStage(); };
    const int code = static_cast<int>(window->RunModal());
    nextStage = nullptr;
    if (stageStarted) *stageStarted = window->StageStarted();
    return window->IsFinished() ? 1 : code;
}
