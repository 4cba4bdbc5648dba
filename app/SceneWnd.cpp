#include "SceneWnd.h"

#include "EqualizerManager.h"
#include "base/Log.h"
#include "MsgWnd.h"
#include "NameWnd.h"
#include "TextFormat.h"
#include "UIControl.h"
#include "UIList.h"
#include "UITextResource.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

using namespace SkinUI;

namespace {

constexpr DWORD kWindowStyle = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_TOOLWINDOW;

std::wstring Resolved(const wchar_t* key) { return CTextResource::GetInstance()->GetText(key).Data(); }

const wchar_t* SkipConversion(const wchar_t* at) {
    while (*at && !std::iswalpha(*at)) ++at;  // flags and width
    return at;
}

}  // namespace

std::wstring FormatSceneText(const wchar_t* format, const wchar_t* expected, const std::wstring* values, int count) {
    std::wstring out;
    if (!format) format = L"";
    if (!FormatHasConversions(format, expected)) {
        out = format;
        for (int i = 0; i < count; ++i) out += L" " + values[i];
        return out;
    }
    int next = 0;
    for (const wchar_t* at = format; *at; ++at) {
        if (*at != L'%') {
            out += *at;
        } else if (at[1] == L'%') {
            out += L'%';
            ++at;
        } else {
            at = SkipConversion(at + 1);
            if (!*at) break;
            if (next < count) out += values[next++];
        }
    }
    return out;
}

bool SceneNameToDevice(const wchar_t* name, char (&bytes)[16]) {
    std::memset(bytes, 0, sizeof bytes);
    if (!name) return true;
    // A UTF-8 system code page takes every character, and the conversion may not be asked about defaults.
    const bool utf8 = GetACP() == CP_UTF8;
    bool whole = true;
    int used = 0;
    for (const wchar_t* at = name; *at; ++at) {
        // A surrogate pair goes over as one character.
        const int units = (at[0] >= 0xD800 && at[0] <= 0xDBFF && at[1]) ? 2 : 1;
        char encoded[8];
        BOOL defaulted = FALSE;
        const int length = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, at, units, encoded,
                                               sizeof encoded, nullptr, utf8 ? nullptr : &defaulted);
        if (length <= 0 || used + length > 15) return false;
        if (defaulted) whole = false;
        std::memcpy(bytes + used, encoded, length);
        used += length;
        at += units - 1;
    }
    // The amplifier reads a slot of nothing but 0xFF bytes as erased: such a name would come back empty.
    if (used > 0 && std::all_of(bytes, bytes + used, [](char b) { return static_cast<uint8_t>(b) == 0xFF; }))
        whole = false;
    return whole;
}

bool IsSceneNameStorable(const wchar_t* name) {
    char bytes[16];
    return SceneNameToDevice(name, bytes);
}

SKINUI_BEGIN_NOTIFY_MAP(CSceneWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CSceneWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

// ---------------------------------------------------------------------------------------------------
// Opening

void CSceneWnd::ShowLoad(HWND owner, EqualizerManager& controller) {
    Open(owner, controller, kLoad, L"${load_scene}", L"${load}");
}

void CSceneWnd::ShowSaveAs(HWND owner, EqualizerManager& controller) {
    Open(owner, controller, kSaveAs, L"${save_as_scene}", L"${save}");
}

void CSceneWnd::ShowDelete(HWND owner, EqualizerManager& controller) {
    Open(owner, controller, kDelete, L"${delete_scene}", L"${delete}");
}

void CSceneWnd::Open(HWND owner, EqualizerManager& controller, Mode mode, const wchar_t* title,
                     const wchar_t* confirm) {
    if (!CreateNativeWindow(owner, L"scenewnd", kWindowStyle, kWindowExStyle)) return;
    CenterOnOwner();
    m_mode = mode;
    m_controller = &controller;
    if (controller.sceneIndex >= 1) UpdateCurrentScene(controller.sceneIndex - 1);
    // The amplifier's answer comes later as WM_CURRENT_SCENE.
    controller.Device().mReplyWnd[DeviceLink::kSceneWnd] = GetHandle();
    controller.Device().GetSceneID();
    SetMessageTitle(title);
    SetButtonTexts(confirm, L"${exit}");
    FillSceneList();
    RunModal();
}

void CSceneWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    m_list = dynamic_cast<CListUI*>(m_pm.FindControlByName(L"listview"));
    m_header = m_pm.FindControlByName(L"list_header");
    // Sizes are kept unscaled; the window's DPI scales them when laid out.
    if (m_header) m_header->SetFixedHeight(25);
}

// ---------------------------------------------------------------------------------------------------
// The list

CControlUI* CSceneWnd::RowValue(int row) const {
    if (!m_list || row < 0 || row >= kSceneSlots) return nullptr;
    auto* item = dynamic_cast<CContainerUI*>(m_list->GetItemAt(row));
    return item ? item->FindSubControl(L"value") : nullptr;
}

std::wstring CSceneWnd::RowText(int row) const {
    CControlUI* value = RowValue(row);
    return value ? value->GetText().Data() : L"";
}

void CSceneWnd::FillSceneList() {
    if (!m_controller) return;
    for (int row = 0; row < kSceneSlots; ++row)
        if (CControlUI* value = RowValue(row)) value->SetText(m_controller->sceneNames[row]);
}

void CSceneWnd::UpdateCurrentScene(int row) {
    LogPrintA("UpdateCurrentScene %d\n", row);
    m_currentRow = row >= 0 && row < kSceneSlots ? row : -1;
    if (!m_list) return;
    for (int i = 0; i < kSceneSlots; ++i)
        if (CControlUI* item = m_list->GetItemAt(i)) item->SetBkColor(i == m_currentRow ? kCurrentRowColor : 0);
}

int CSceneWnd::SelectedRow() const {
    const int row = m_list ? m_list->GetCurSel() : -1;
    return row >= 0 && row < kSceneSlots ? row : -1;
}

void CSceneWnd::SetButtonTexts(const wchar_t* confirm, const wchar_t* cancel) {
    if (CControlUI* button = m_pm.FindControlByName(L"confirm_btn")) button->SetText(confirm);
    if (CControlUI* button = m_pm.FindControlByName(L"cancel_btn")) button->SetText(cancel);
}

void CSceneWnd::SetMessageTitle(const wchar_t* text) { SetLabel(L"MessageTitle", text); }

void CSceneWnd::SetMessageText(const wchar_t* text) { SetLabel(L"MessageText", text); }

// ---------------------------------------------------------------------------------------------------
// Choosing a row

bool CSceneWnd::RunModeOperation(int row) {
    switch (m_mode) {
    case kSaveAs:
        LogPrintA("SENCE_SAVE id = %d\n", row);
        return row >= 0 && SaveSence(row + 1);
    case kLoad:
        LogPrintA("SENCE_LOAD id = %d\n", row);
        return row >= 0 && LoadSence(row + 1);
    case kDelete:
        LogPrintA("SENCE_DELETE id = %d\n", row);
        if (row >= 0) DeleteSence(row + 1);
        return row >= 0;
    }
    return false;
}

void CSceneWnd::OnClick(TNotifyMessage& msg) {
    if (!msg.pSender) return;
    if (msg.pSender == m_closeButton) {
        PostClose(0);
        return;
    }
    const CUIString name = msg.pSender->GetName();
    if (EqualsIgnoreCase(name.Data(), L"cancel_btn")) {
        LogPrintA("Click cancel_btn\n");
        PostClose(0);
    } else if (EqualsIgnoreCase(name.Data(), L"confirm_btn")) {
        LogPrintA("Click confirm_btn\n");
        const int row = SelectedRow();
        if (RunModeOperation(row) && m_mode == kSaveAs) UpdateCurrentScene(row);
    }
}

void CSceneWnd::Notify(TNotifyMessage& msg) {
    try {
        const std::wstring name = msg.pSender ? msg.pSender->GetName().Data() : L"";
        if (msg.sType == L"itemactivate" && name.compare(0, 8, L"listitem") == 0) {
            const int row = SelectedRow();
            RunModeOperation(row);
            if (m_mode == kLoad || m_mode == kSaveAs) UpdateCurrentScene(row);
        }
    } catch (const std::exception& e) {
        LogPrintA("CSceneWnd::Notify: %s\n", e.what());
    } catch (...) {
        LogPrintA("CSceneWnd::Notify failed\n");
    }
    WindowImplBase::Notify(msg);
}

// ---------------------------------------------------------------------------------------------------
// Scene operations

void CSceneWnd::StartWorker(int scene, int work) {
    PostMessageW(GetHandle(), WM_SHOW_LOADING, 0, 0);
    m_controller->sceneIndex = static_cast<uint8_t>(scene);
    m_controller->Device().mReplyWnd[DeviceLink::kSceneWnd] = GetHandle();
    // Another worker still running: the popup closes again at once.
    if (!m_controller->StartSceneWorker(static_cast<EqualizerManager::SceneWork>(work))) {
        if (work == static_cast<int>(EqualizerManager::SceneWork::SaveScene))
            PostMessageW(GetHandle(), WM_SCENE_SAVE_DONE, 0, 0);
        PostMessageW(GetHandle(), WM_HIDE_LOADING, 0, 0);
    }
}

bool CSceneWnd::LoadSence(int scene) {
    LogPrintA("LoadSence\n");
    if (!m_controller || scene < 1 || scene > kSceneSlots) return false;
    const wchar_t* name = m_controller->sceneNames[scene - 1];
    std::wstring text;
    if (name[0] == 0) {
        const std::wstring values[] = {std::to_wstring(scene)};
        text = FormatSceneText(Resolved(L"${load_scene_tips2}").c_str(), L"d", values, 1);
    } else {
        const std::wstring values[] = {std::to_wstring(scene), name};
        text = FormatSceneText(Resolved(L"${load_scene_tips1}").c_str(), L"ds", values, 2);
    }
    if (ShowMsgWnd(GetHandle(), L"${tips}", text.c_str()) != 1) return false;
    StartWorker(scene, static_cast<int>(EqualizerManager::SceneWork::LoadScene));
    return true;
}

bool CSceneWnd::SaveSence(int scene) {
    LogPrintA("SaveSence\n");
    if (!m_controller || scene < 1 || scene > kSceneSlots) return false;
    EqualizerManager& c = *m_controller;
    std::memset(c.pendingSceneName, 0, sizeof c.pendingSceneName);
    wchar_t (&slot)[kSceneNameChars] = c.sceneNames[scene - 1];
    wchar_t earlier[kSceneNameChars];
    std::memcpy(earlier, slot, sizeof earlier);
    wchar_t name[kSceneNameChars];
    std::memcpy(name, slot, sizeof name);
    name[kSceneNameChars - 1] = 0;

    // A stored scene is asked about even without a name: only a clear valid bit means it is empty.
    if (slot[0] != 0 || (c.validSceneMask & (1u << (scene - 1)))) {
        const std::wstring values[] = {std::to_wstring(scene)};
        const std::wstring text = FormatSceneText(Resolved(L"${save_scene_overwrite}").c_str(), L"d", values, 1);
        if (ShowMsgWnd(GetHandle(), L"${tips}", text.c_str()) != 1) return false;
    }
    if (AskSceneName(GetHandle(), name, kSceneNameChars) != 1) return false;

    SceneNameToDevice(name, c.pendingSceneName);
    std::memcpy(slot, name, sizeof name);
    if (name[0] != 0) {
        for (int other = 1; other <= kSceneSlots; ++other) {
            if (other == scene || std::wcscmp(c.sceneNames[other - 1], name) != 0) continue;
            const std::wstring values[] = {name, std::to_wstring(other), c.sceneNames[other - 1]};
            const std::wstring text = FormatSceneText(Resolved(L"${same_name_tips}").c_str(), L"sds", values, 3);
            const wchar_t* buttons[] = {L"${confirm}"};
            ShowMsgWndButtons(GetHandle(), L"${tips}", text.c_str(), buttons, 1);
            // Nothing was saved: the scene keeps the name it had.
            std::memcpy(slot, earlier, sizeof earlier);
            std::memset(c.pendingSceneName, 0, sizeof c.pendingSceneName);
            return false;
        }
    }
    if (CControlUI* value = RowValue(scene - 1)) value->SetText(name);
    static_assert(sizeof m_save.name == sizeof earlier, "a saved row keeps one name slot");
    m_save.scene = scene;
    m_save.acknowledged = false;
    m_save.currentRow = m_currentRow;
    std::memcpy(m_save.name, earlier, sizeof earlier);
    StartWorker(scene, static_cast<int>(EqualizerManager::SceneWork::SaveScene));
    return true;
}

// Only the amplifier's acknowledgement says a scene is stored; without it the row shows again what it
// showed before and the user is told.
void CSceneWnd::OnSaveDone() {
    const PendingSave save = m_save;
    m_save = PendingSave();
    if (save.scene < 1 || save.scene > kSceneSlots || save.acknowledged || !m_controller) return;
    LogPrintA("SaveSence: scene %d not acknowledged\n", save.scene);
    std::memcpy(m_controller->sceneNames[save.scene - 1], save.name, sizeof save.name);
    if (CControlUI* value = RowValue(save.scene - 1)) value->SetText(save.name);
    UpdateCurrentScene(save.currentRow);
    const wchar_t* buttons[] = {L"${confirm}"};
    ShowMsgWndButtons(GetHandle(), L"${tips}", L"${save_scene_fail}", buttons, 1);
}

void CSceneWnd::DeleteSence(int scene) {
    LogPrintA("DeleteSence\n");
    if (!m_controller || scene < 1 || scene > kSceneSlots) return;
    std::memset(m_controller->sceneNames[scene - 1], 0, sizeof m_controller->sceneNames[scene - 1]);
    m_controller->validSceneMask &= ~(1u << (scene - 1));
    FillSceneList();
    StartWorker(scene, static_cast<int>(EqualizerManager::SceneWork::DeleteScene));
}

int CSceneWnd::AskSceneName(HWND owner, wchar_t* buffer, size_t capacity) {
    auto* dialog = new CNameMsgWnd(buffer, capacity);
    if (!dialog->CreateNativeWindow(owner, L"namemsgwnd", kWindowStyle, kWindowExStyle)) {
        delete dialog;
        return 0;
    }
    dialog->CenterOnOwner();
    dialog->FocusNameEdit();
    return static_cast<int>(dialog->RunModal());
}

void CSceneWnd::ShowLoadingWnd(HWND owner) { m_loading.Show(owner); }

// ---------------------------------------------------------------------------------------------------
// Messages

LRESULT CSceneWnd::HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    handled = FALSE;
    try {
        switch (message) {
        case WM_SHOW_LOADING:
            handled = TRUE;
            ShowLoadingWnd(GetHandle());
            break;
        case WM_HIDE_LOADING:
            handled = TRUE;
            m_loading.Hide();
            break;
        case WM_FLASH_VALUE: {
            handled = TRUE;
            // The acknowledgement names the scene now stored.
            if (m_controller && wParam >= 1 && wParam <= kSceneSlots) m_controller->validSceneMask |= 1u << (wParam - 1);
            if (static_cast<int>(wParam) == m_save.scene) m_save.acknowledged = true;
            PostMessageW(GetHandle(), WM_HIDE_LOADING, 0, 0);
            const wchar_t* buttons[] = {L"${confirm}"};
            ShowMsgWndButtons(GetHandle(), L"${tips}", L"${save_scene_ok}", buttons, 1);
            break;
        }
        case WM_SCENE_SAVE_DONE:
            handled = TRUE;
            OnSaveDone();
            break;
        case WM_CURRENT_SCENE:
            handled = TRUE;
            if (m_controller && lParam >= 0 && lParam <= kSceneSlots) {
                m_controller->sceneIndex = static_cast<uint8_t>(lParam);
                LogPrintA("FLASH_SCENE_ID/mSceneId %d\n", static_cast<int>(lParam));
                if (lParam >= 1) UpdateCurrentScene(static_cast<int>(lParam) - 1);
            }
            break;
        case WM_SCENE_DELETED:
        case WM_SCENE_ACK_1236:
            handled = TRUE;
            PostMessageW(GetHandle(), WM_HIDE_LOADING, 0, 0);
            break;
        default: break;
        }
    } catch (const std::exception& e) {
        LogPrintA("CSceneWnd: message %u failed: %s\n", message, e.what());
    } catch (...) {
        LogPrintA("CSceneWnd: message %u failed\n", message);
    }
    return 0;
}
