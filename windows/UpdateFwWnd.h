#pragma once
// The firmware update window: the user picks a firmware file, starts the upload and watches its
// progress and outcome. The upload runs on the window's own worker (RunUploadStage); the window shows
// what the worker posts. While the upload runs, the window's buttons are disabled and every way of
// closing it (its buttons, Alt+F4, Escape, a close request from outside) is refused.
#include "FirmwareUpload.h"
#include "SkinDialogWnd.h"

#include <functional>

class DeviceLink;
class EqualizerManager;

namespace SkinUI {
class CEditUI;
class CProgressUI;
}  // namespace SkinUI

class CUpdateFwWnd : public CSkinDialogWnd {
public:
    // The opener deletes the window object after the modal run, so that it can still read it.
    CUpdateFwWnd() : CSkinDialogWnd(false) {}

    void SetDeviceLink(DeviceLink* link) { m_link = link; }
    // A file named by the opener: shown, and renamed to "<file>_bak" after a successful upload.
    void SetGivenFile(const wchar_t* path);

    bool ChooseFirmwareFile();
    void BeginUpdate();
    void SetProgress(int value);
    void OnProgressTick();
    void ResetProgress();

    bool IsUploading() const { return m_worker.IsRunning() || m_uploading; }
    // True once an upload was started in this window (the amplifier has then been in upgrade mode).
    bool UploadStarted() const { return m_uploadStarted; }
    const wchar_t* UploadPath() const { return m_uploadPath; }

    // The open-file dialog, replaceable so that a test names the file. Fills path (capacity characters)
    // and answers true on OK.
    using FileDialog = std::function<bool(HWND owner, wchar_t* path, DWORD capacity)>;
    static FileDialog& FileDialogSeam();
    static bool ShowFileDialog(HWND owner, wchar_t* path, DWORD capacity);

    // The window now open, or null.
    static CUpdateFwWnd* Current();

protected:
    const wchar_t* GetWndClassName() const override { return L"UpdateFwWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_UPDATE_FW"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    void Notify(SkinUI::TNotifyMessage& msg) override;
    BOOL OnDefaultKey(WPARAM key) override;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    void EnableControls(bool enabled);
    void SetStatus(const wchar_t* text);
    void OnUploadEnded(UINT message, WPARAM wParam);

    SkinUI::CEditUI* m_pathEdit = nullptr;
    SkinUI::CControlUI* m_fileButton = nullptr;
    SkinUI::CControlUI* m_cancelButton = nullptr;
    SkinUI::CProgressUI* m_progress = nullptr;
    SkinUI::CControlUI* m_status = nullptr;
    SkinUI::CControlUI* m_updateButton = nullptr;
    DeviceLink* m_link = nullptr;
    bool m_fileGiven = false;
    bool m_uploading = false;  // from the start until the worker's last message was shown
    bool m_uploadStarted = false;
    bool m_choiceAsked = false;  // the file dialog is due once the current click is handled
    DWORD m_doneAt = 0;          // tick of the last completed upload if the amplifier restarts after it; else 0
    wchar_t m_dialogPath[MAX_PATH] = {};
    wchar_t m_uploadPath[MAX_PATH] = {};
    FirmwareWorker m_worker;  // last: joined before anything it was given goes

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Opens the firmware window modally over `owner`; a non-empty path is shown as the chosen file.
// Returns the close code (1 when the amplifier's reconnection closed it); `uploadStarted` (when given)
// tells whether an upload ran.
int ShowUpdateFwWnd(HWND owner, DeviceLink& link, const wchar_t* path, bool* uploadStarted = nullptr);

// The main window's user-started update: the window over `owner`; while it runs a plug-out shows no
// box and the amplifier's reconnection closes it. When it closes after an upload without that
// reconnection, the amplifier is connected and read again, so that sending is never left switched off.
int RunUserFirmwareUpdate(HWND owner, EqualizerManager& controller);
