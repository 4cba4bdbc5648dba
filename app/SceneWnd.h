#pragma once
// The scene window: one list row per scene stored in the amplifier, in load, save-as or delete mode. It
// asks for confirmation and for a name where needed, starts the controller's scene worker for the
// chosen row and shows the busy popup while the worker runs. While it is open it is the device link's
// scene reply window, so the amplifier's scene acknowledgements and current-scene reply come to it.
#include "LoadingWnd.h"
#include "SkinDialogWnd.h"

#include <string>

class EqualizerManager;

namespace SkinUI {
class CListUI;
}

// Private messages of the scene workers (beside WM_SHOW_LOADING and WM_HIDE_LOADING).
constexpr UINT WM_SCENE_WORK_DONE = WM_USER + 266;  // 1290, to the main window: wParam the finished work
constexpr UINT WM_SCENE_UI_STEP = WM_USER + 267;    // 1291, to the main window: a worker's step on the UI thread
constexpr UINT WM_SCENE_ACK_1236 = WM_USER + 212;   // 1236, handled like a delete acknowledgement
constexpr UINT WM_SCENE_SAVE_DONE = WM_USER + 268;  // 1292, to the scene window: the save worker has ended

// A language text used as a format, filled with the values in order when its conversions are exactly
// `expected` ("d" integer, "s" text); else the text followed by the values, so nothing is misread.
std::wstring FormatSceneText(const wchar_t* format, const wchar_t* expected, const std::wstring* values, int count);

// The ANSI form (system code page) of a scene name into the amplifier's 16-byte slot: whole characters
// only, at most 15 bytes, zero-filled. False when the name does not survive it: a character the code
// page lacks (it goes over as the code page's default character) or more than 15 bytes (cut).
bool SceneNameToDevice(const wchar_t* name, char (&bytes)[16]);
bool IsSceneNameStorable(const wchar_t* name);

class CSceneWnd : public CSkinDialogWnd {
public:
    // The opener deletes the scene window; it does not delete itself.
    CSceneWnd() : CSkinDialogWnd(false) {}
    enum Mode { kLoad = 0, kSaveAs = 1, kDelete = 2 };
    static constexpr DWORD kCurrentRowColor = 0xFFF6CE1D;

    // Each returns when the window closes.
    void ShowLoad(HWND owner, EqualizerManager& controller);
    void ShowSaveAs(HWND owner, EqualizerManager& controller);
    void ShowDelete(HWND owner, EqualizerManager& controller);

    bool LoadSence(int scene);
    bool SaveSence(int scene);
    void DeleteSence(int scene);
    void UpdateCurrentScene(int row);
    void FillSceneList();
    void SetButtonTexts(const wchar_t* confirm, const wchar_t* cancel);
    void SetMessageTitle(const wchar_t* text);
    void SetMessageText(const wchar_t* text);
    int AskSceneName(HWND owner, wchar_t* buffer, size_t capacity);
    void ShowLoadingWnd(HWND owner);

    int GetMode() const { return m_mode; }
    // The row now highlighted as the amplifier's current scene, -1 for none.
    int CurrentRow() const { return m_currentRow; }
    // The text a row shows.
    std::wstring RowText(int row) const;

protected:
    const wchar_t* GetWndClassName() const override { return L"MsgWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_SENCE_PROFILE"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    void Notify(SkinUI::TNotifyMessage& msg) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;

private:
    void Open(HWND owner, EqualizerManager& controller, Mode mode, const wchar_t* title, const wchar_t* confirm);
    // The list's selected row when it is a scene row (0..9), else -1.
    int SelectedRow() const;
    // Runs the mode's operation on a row; true when a worker was started.
    bool RunModeOperation(int row);
    SkinUI::CControlUI* RowValue(int row) const;
    // Makes this window the scene reply window and starts the worker under the busy popup.
    void StartWorker(int scene, int work);

    SkinUI::CListUI* m_list = nullptr;
    SkinUI::CControlUI* m_header = nullptr;
    int m_mode = kLoad;
    CLoadingPopupHolder m_loading;
    EqualizerManager* m_controller = nullptr;
    int m_currentRow = -1;
    // The save under way until its worker ends: the scene, whether the amplifier acknowledged it, and
    // what its row showed before, put back when it was not stored.
    struct PendingSave {
        int scene = 0;
        bool acknowledged = false;
        int currentRow = -1;
        wchar_t name[8] = {};
    } m_save;

    void OnSaveDone();

    SKINUI_DECLARE_NOTIFY_MAP()
};
