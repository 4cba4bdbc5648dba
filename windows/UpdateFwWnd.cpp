#include "UpdateFwWnd.h"

#include "EqualizerManager.h"
#include "PageControls.h"
#include "Settings.h"
#include "ToolWindowControls.h"
#include "UIEdit.h"
#include "UIProgress.h"
#include "base/Log.h"
#include "device/DeviceLink.h"
#include "device/DeviceMessages.h"

#include <commdlg.h>

#include <cwchar>
#include <exception>

using namespace SkinUI;

namespace {

CUpdateFwWnd* gCurrent = nullptr;

// Asks for the file once the click into the empty path field has been handled.
constexpr UINT WM_CHOOSE_FILE_LATER = WM_APP + 0x40;

}  // namespace

SKINUI_BEGIN_NOTIFY_MAP(CUpdateFwWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CUpdateFwWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

// ---------------------------------------------------------------------------------------------------
// File choice

CUpdateFwWnd::FileDialog& CUpdateFwWnd::FileDialogSeam() {
    static FileDialog dialog = &CUpdateFwWnd::ShowFileDialog;
    return dialog;
}

bool CUpdateFwWnd::ShowFileDialog(HWND owner, wchar_t* path, DWORD capacity) {
    const std::wstring folder = CurrentDirectory();
    // The amplifier's two image names first; the second entry lists every image file, the boot loader's
    // and combined files among them.
    static const wchar_t kFilter[] =
        L"KTR3.500DSP_MCU_UPG.bin,KTR3.500DSP_FLASH_UPG.bin\0KTR3.500DSP_MCU_UPG.bin;KTR3.500DSP_FLASH_UPG.bin\0"
        L"*UPG*.bin\0*UPG*.bin\0";
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = capacity;
    dialog.lpstrInitialDir = folder.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    return GetOpenFileNameW(&dialog) != FALSE;
}

bool CUpdateFwWnd::ChooseFirmwareFile() {
    if (IsUploading()) return false;
    wchar_t chosen[MAX_PATH];
    CopyFirmwarePath(chosen, m_dialogPath);
    if (!FileDialogSeam() || !FileDialogSeam()(m_hWnd, chosen, MAX_PATH)) return false;
    chosen[MAX_PATH - 1] = 0;
    CopyFirmwarePath(m_dialogPath, chosen);
    CopyFirmwarePath(m_uploadPath, chosen);
    m_fileGiven = false;  // a chosen file is the user's own: never renamed
    LogPrintW(L"Upg_GetOpenFileName %ls ok\n", m_uploadPath);
    if (m_pathEdit) {
        m_pathEdit->SetText(m_uploadPath);
        m_pathEdit->SetFocus();
        m_pathEdit->SetSelAll();
    }
    return true;
}

void CUpdateFwWnd::SetGivenFile(const wchar_t* path) {
    if (!path || !*path) return;
    if (m_pathEdit) m_pathEdit->SetText(path);
    CopyFirmwarePath(m_dialogPath, path);
    CopyFirmwarePath(m_uploadPath, path);
    m_fileGiven = true;
}

// ---------------------------------------------------------------------------------------------------
// Upload

void CUpdateFwWnd::BeginUpdate() {
    LogPrintW(L"%ls\n", L"CUpdateFwWnd::BeginUpdate");
    if (!m_link || IsUploading()) return;
    if (!m_link->IsConnected() || m_link->IsLinkFailed()) {
        // Restarting after the upload it took, the amplifier comes back by itself (and this window then
        // closes); otherwise only a replug brings it back.
        const bool restarting = m_doneAt != 0 && GetTickCount() - m_doneAt < kAmplifierRestartMs;
        SetStatus(restarting ? L"${update_wait_restart}" : L"${please_plug_out_and_in}");
        return;
    }
    if (!m_uploadPath[0]) {
        // Nothing chosen yet: the choice comes first.
        if (!ChooseFirmwareFile()) return;
    }
    m_link->DisableCmdQueue();
    SetStatus(L"${loading_fw}");
    if (m_progress) m_progress->SetValue(0);
    if (!m_worker.StartUpload(*m_link, m_uploadPath, 0, m_hWnd, L"UpdateFwThread")) {
        SetStatus(L"${update_fail}");
        return;
    }
    m_uploading = true;
    m_uploadStarted = true;
    EnableControls(false);
}

void CUpdateFwWnd::SetProgress(int value) {
    PageControls::SetText(m_status, PageControls::Format(L"%d%%", value).c_str());
    if (m_progress) m_progress->SetValue(value);
}

void CUpdateFwWnd::OnProgressTick() { SetProgress(TickedProgress(m_progress ? m_progress->GetValue() : 0)); }

void CUpdateFwWnd::ResetProgress() { SetProgress(0); }

void CUpdateFwWnd::EnableControls(bool enabled) {
    for (CControlUI* control : {m_closeButton, m_cancelButton, m_fileButton, m_updateButton})
        PageControls::Enable(control, enabled);
    if (m_pathEdit) m_pathEdit->SetEnabled(enabled);
}

void CUpdateFwWnd::SetStatus(const wchar_t* text) { PageControls::SetText(m_status, text); }

void CUpdateFwWnd::OnUploadEnded(UINT message, WPARAM wParam) {
    m_uploading = false;
    m_worker.Join();  // its last message is this one: the thread is ending
    EnableControls(true);
    switch (message) {
    case WM_UPDATE_STAGE_DONE:
        SetStatus(L"${update_ok}");
        m_doneAt = wParam == kAmplifierRestarts ? GetTickCount() | 1 : 0;
        if (m_fileGiven) {
            wchar_t backup[MAX_PATH + 8];
            _snwprintf(backup, MAX_PATH + 7, L"%ls_bak", m_dialogPath);
            backup[MAX_PATH + 7] = 0;
            if (!MoveFileExW(m_dialogPath, backup, MOVEFILE_COPY_ALLOWED))
                LogPrintW(L"firmware file not renamed to %ls: %lu\n", backup, GetLastError());
        }
        break;
    case WM_UPDATE_FAILED: SetStatus(L"${update_fail}"); break;
    default: SetStatus(UploadStartFailureText(static_cast<int>(wParam))); break;
    }
}

// ---------------------------------------------------------------------------------------------------
// Window

CUpdateFwWnd* CUpdateFwWnd::Current() { return gCurrent; }

void CUpdateFwWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    m_pathEdit = dynamic_cast<CEditUI*>(m_pm.FindControlByName(L"file_path_edt"));
    m_fileButton = m_pm.FindControlByName(L"file_btn");
    m_cancelButton = m_pm.FindControlByName(L"cancel_btn");
    m_progress = dynamic_cast<CProgressUI*>(m_pm.FindControlByName(L"progress"));
    m_status = m_pm.FindControlByName(L"update_tips");
    m_updateButton = m_pm.FindControlByName(L"update_btn");
    gCurrent = this;
}

void CUpdateFwWnd::OnWindowDestroyed(HWND hwnd) {
    if (gCurrent == this) gCurrent = nullptr;
    KillTimer(hwnd, UPDATE_TICK_TIMER);
    CSkinDialogWnd::OnWindowDestroyed(hwnd);
}

void CUpdateFwWnd::OnClick(TNotifyMessage& msg) {
    if (!msg.pSender) return;
    const CUIString name = msg.pSender->GetName();
    if (msg.pSender == m_closeButton || EqualsIgnoreCase(name.Data(), L"cancel_btn")) {
        if (!IsUploading()) PostClose(0);
    } else if (EqualsIgnoreCase(name.Data(), L"file_btn")) {
        ChooseFirmwareFile();
    } else if (EqualsIgnoreCase(name.Data(), L"update_btn")) {
        BeginUpdate();
    }
}

void CUpdateFwWnd::Notify(TNotifyMessage& msg) {
    try {
        LogPrintW(L"Notify %ls\n", msg.sType.Data());
        if (msg.sType == L"setfocus") {
            const CUIString name = msg.pSender ? msg.pSender->GetName() : CUIString();
            LogPrintW(L"on %ls UI_MSGTYPE_SETFOCUS\n", name.Data());
            if (name.Find(L"file_path_edt", 0) == 0) {
                // An empty path field asks for the file when it is clicked into. The dialog waits until
                // the click is over: opened in the middle of it, it takes the button's release, and the
                // field, handed the press afterwards, holds the mouse until the next click.
                if (m_pathEdit && m_pathEdit->GetText().IsEmpty() && !m_choiceAsked)
                    m_choiceAsked = PostMessageW(m_hWnd, WM_CHOOSE_FILE_LATER, 0, 0) != FALSE;
                return;
            }
        }
        WindowImplBase::Notify(msg);
    } catch (const std::exception& e) {
        LogPrintA("CUpdateFwWnd::Notify: %s\n", e.what());
    }
}

BOOL CUpdateFwWnd::OnDefaultKey(WPARAM key) {
    // Escape cancels an idle window; during an upload it is refused like every other close.
    if (key == VK_ESCAPE && !IsUploading()) PostClose(0);
    return key == VK_ESCAPE;
}

LRESULT CUpdateFwWnd::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
    // Closing now would leave the amplifier half-written: Alt+F4 and closes from outside are refused.
    handled = IsUploading() ? TRUE : FALSE;
    if (handled) LogPrintW(L"firmware update running: close refused\n");
    return 0;
}

LRESULT CUpdateFwWnd::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = FALSE;
    try {
        switch (message) {
        case WM_UPDATE_PROGRESS: SetProgress(static_cast<int>(wParam)); break;
        case WM_UPDATE_STAGE_DONE:
        case WM_UPDATE_FAILED:
        case WM_UPDATE_START_FAILED: OnUploadEnded(message, wParam); break;
        case WM_UPDATE_REPLUG:
            EnableControls(!m_worker.IsRunning());
            SetStatus(L"${please_plug_out_and_in}");
            break;
        case WM_UPDATE_TICK: OnProgressTick(); break;
        case WM_TIMER:
            if (wParam == UPDATE_TICK_TIMER) OnProgressTick();
            break;
        case WM_UPDATE_RESTART: ResetProgress(); break;
        case WM_CHOOSE_FILE_LATER:
            m_choiceAsked = false;
            if (m_pathEdit && m_pathEdit->GetText().IsEmpty()) ChooseFirmwareFile();
            break;
        default: break;
        }
    } catch (const std::exception& e) {
        LogPrintA("CUpdateFwWnd: message %u failed: %s\n", message, e.what());
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------------
// Openers

int ShowUpdateFwWnd(HWND owner, DeviceLink& link, const wchar_t* path, bool* uploadStarted) {
    if (uploadStarted) *uploadStarted = false;
    auto window = std::make_unique<CUpdateFwWnd>();
    if (!ToolWindow::OpenToolWindow(window.get(), owner, L"updatefwwnd")) return 0;
    window->SetDeviceLink(&link);
    window->SetGivenFile(path);
    const int result = static_cast<int>(window->RunModal());
    if (uploadStarted) *uploadStarted = window->UploadStarted();
    return result;
}

int RunUserFirmwareUpdate(HWND owner, EqualizerManager& controller) {
    controller.updateWindowOpen = 1;
    controller.closeUpdateWindow = [] {
        if (CUpdateFwWnd* window = CUpdateFwWnd::Current()) window->PostClose(1);
    };
    bool uploaded = false;
    const int result = ShowUpdateFwWnd(owner, controller.Device(), L"", &uploaded);
    controller.closeUpdateWindow = nullptr;
    controller.updateWindowOpen = 0;
    if (uploaded && result != 1) controller.ReadAgainAfterUpdate();
    return result;
}
