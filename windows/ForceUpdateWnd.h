#pragma once
// The forced update window: brings an amplifier whose firmware is older than the program's up to date
// from the images the program carries, in stages: 1 the MCU image, 2 the DSP flash image, 3 (when asked
// for) a factory reset. The amplifier restarts after each stage; the window waits, and the controller
// calls NextStage once the amplifier is back. A stage that fails ends the sequence with a message and
// lets the user start again.
//
// While a stage runs or the amplifier is expected back, the window cannot be closed; if it does not
// come back in time, the window asks for a replug and may then be closed.
#include "FirmwareUpload.h"
#include "SkinDialogWnd.h"

#include <functional>
#include <memory>

class DeviceLink;

namespace SkinUI {
class CProgressUI;
}

class CForceUpdateWnd : public CSkinDialogWnd {
public:
    enum Stage { kIdle = 0, kMcu = 1, kFlash = 2, kFactory = 3 };

    // The opener deletes the window object after the modal run, so that it can still read the result.
    CForceUpdateWnd() : CSkinDialogWnd(false) {}

    void SetDeviceLink(DeviceLink* link) { m_link = link; }
    void SetMcuText(const wchar_t* text);
    void SetMcuPath(const wchar_t* path);
    void SetFlashPath(const wchar_t* path);

    void BeginUpdate();
    void NextStage();
    void ResetMcuFactoryDefault();
    void SetProgress(int value);
    void OnProgressTick();

    int GetStage() const { return m_stage; }
    // The whole sequence reached its end.
    bool IsFinished() const { return m_finished; }
    // Some stage was started (the amplifier may have been in upgrade mode since).
    bool StageStarted() const { return m_stageStarted; }
    // A stage runs, or the amplifier is expected back after one: every close is refused.
    bool IsBusy() const;

    // How long the window waits for the amplifier after a stage before it asks for a replug.
    static constexpr UINT kReplugWaitMs = kAmplifierRestartMs;

protected:
    const wchar_t* GetWndClassName() const override { return L"ForceUpdateWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_FORCE_UPDATE"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    void Notify(SkinUI::TNotifyMessage& msg) override;
    BOOL OnDefaultKey(WPARAM key) override;
    LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    void ShowStatus(UINT message, WPARAM wParam);
    void SetStatus(const wchar_t* text);
    void EnableButtons(bool enabled);
    void StartStage(Stage stage);
    void OnStageEnded(UINT message, WPARAM wParam);
    void HoldSequence();
    void WaitForAmplifier();
    void EndSequence();
    SkinUI::CProgressUI* StageBar() const;
    std::wstring McuText() const;
    std::wstring FlashText() const;

    SkinUI::CControlUI* m_factoryBox = nullptr;
    SkinUI::CControlUI* m_mcuFile = nullptr;
    SkinUI::CControlUI* m_flashFile = nullptr;
    SkinUI::CControlUI* m_updateButton = nullptr;
    SkinUI::CControlUI* m_cancelButton = nullptr;
    SkinUI::CControlUI* m_status = nullptr;
    SkinUI::CProgressUI* m_mcuBar = nullptr;
    SkinUI::CProgressUI* m_flashBar = nullptr;
    DeviceLink* m_link = nullptr;
    int m_stage = kIdle;
    bool m_finished = false;
    bool m_stageStarted = false;
    bool m_stageDone = false;        // the current stage's worker reported success
    bool m_nextStagePending = false;  // the amplifier came back before the stage's end was shown
    bool m_replugAsked = false;       // the amplifier did not come back in time: closing is allowed
    int m_retryStage = kIdle;         // the upload stage that failed: the next start repeats it
    wchar_t m_mcuPath[MAX_PATH] = {};
    wchar_t m_flashPath[MAX_PATH] = {};
    std::unique_ptr<FirmwareBusyHold> m_sequenceHold;  // from the first stage to the sequence's end
    FirmwareWorker m_worker;  // last: joined before anything it was given goes

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Opens the forced update window modally over `parent`: mcuText labels the MCU image, mcuPath and
// flashPath are the images sent (an empty flash path skips the DSP stage). While it runs, nextStage
// holds the window's NextStage. Returns 1 when the sequence finished, else the close code; stageStarted
// (when given) tells whether any stage was started.
int ShowForceUpdateWnd(HWND parent, DeviceLink& link, const wchar_t* mcuText, const wchar_t* mcuPath,
                       const wchar_t* flashPath, std::function<void()>& nextStage, bool* stageStarted = nullptr);
