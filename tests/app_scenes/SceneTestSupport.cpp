#include "SceneTestSupport.h"

#include "AppTestSupport.h"
#include "MsgWnd.h"
#include "NameWnd.h"
#include "UIControl.h"
#include "UIList.h"
#include "UIMenu.h"

#include <cstdlib>
#include <cstring>

#include "model/MessagePresenter.h"

using namespace SkinUI;

namespace SceneTest {

namespace {
Script* gScript = nullptr;
}

Script::Script(std::vector<std::function<bool()>> steps, int stepTimeoutMs)
    : m_steps(std::move(steps)), m_stepTimeoutMs(stepTimeoutMs), m_stepStart(GetTickCount()) {
    gScript = this;
    m_timer = SetTimer(nullptr, 0, 20, Tick);
}

Script::~Script() {
    KillTimer(nullptr, m_timer);
    gScript = nullptr;
}

void CALLBACK Script::Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* script = gScript;
    if (!script || script->m_running || script->Done()) return;
    script->m_running = true;
    if (script->m_steps[script->m_next]()) {
        ++script->m_next;
        script->m_stepStart = GetTickCount();
    } else if (GetTickCount() - script->m_stepStart > static_cast<DWORD>(script->m_stepTimeoutMs)) {
        script->GiveUp();
    }
    script->m_running = false;
}

void Script::GiveUp() {
    m_failedStep = static_cast<int>(m_next);
    m_next = m_steps.size();
    CMsgWnd::CloseAll();
    if (auto* name = OpenWindow<CNameMsgWnd>(L"NameMsgWnd", L"namemsgwnd")) PostClick(name->GetPaintManager(), L"cancel_btn");
    if (CSceneWnd* scenes = OpenSceneWnd()) PostClick(scenes->GetPaintManager(), L"cancel_btn");
}

void PostMenuClick(HWND mainWindow, const wchar_t* item) {
    auto* record = static_cast<MenuCmd*>(calloc(1, sizeof(MenuCmd)));
    wcsncpy(record->szName, item, MenuCmd::kNameLength - 1);
    PostMessageW(mainWindow, WM_MENU_CLICK, reinterpret_cast<WPARAM>(record), 0);
}

bool PostClick(CPaintManagerUI* manager, const wchar_t* name) {
    CControlUI* control = manager ? manager->FindControlByName(name) : nullptr;
    if (!control) return false;
    const RECT r = control->GetPos();
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(manager->GetWindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(manager->GetWindowHandle(), WM_LBUTTONUP, 0, at);
    return true;
}

CSceneWnd* OpenSceneWnd() { return OpenWindow<CSceneWnd>(L"MsgWnd", L"scenewnd"); }

bool ConfirmRow(CSceneWnd* scenes, int row) {
    auto* list = dynamic_cast<SkinUI::CListUI*>(scenes->GetPaintManager()->FindControlByName(L"listview"));
    if (!list) return false;
    list->SelectItem(row);
    return PostClick(scenes->GetPaintManager(), L"confirm_btn");
}

bool Settled(ControllerTest::MainWindowRun& run) {
    using ControllerTest::MainWindowRun;
    return MainWindowRun::PopupsCreated() == MainWindowRun::PopupsDestroyed() &&
           !FindWindowW(L"LoadingWnd", nullptr) && !run.Controller().IsSceneWorkerRunning();
}

bool RunScript(Script& script, int timeoutMs) {
    return AppTest::PumpUntil([&] { return script.Done() && !OpenSceneWnd(); }, timeoutMs) && !script.Failed();
}

namespace {
void SetName(AmpState& state, int id, const char* name) {
    std::memset(state.directory.names[id - 1], 0, kAmpSceneNameBytes);
    std::memcpy(state.directory.names[id - 1], name, std::strlen(name));
    state.directory.validMask |= 1u << (id - 1);
}
}  // namespace

void PrepareScenes(AmpState& state) {
    SetName(state, 1, "Club");
    SetName(state, 2, "Road");
    state.scenes[2].outputs[0].type = 3;
    state.scenes[2].outputs[0].trim[0] = 6;  // attenuation 6 dB: a gain of -6 dB
    state.scenes[2].outputs[0].trim[1] = 0;
    state.directory.currentScene = 1;
}

const wchar_t* UnstorableName() {
    for (const wchar_t* name : {L"\x0416\x0418", L"\x0E01\x0E02", L"\x97F3\x97F3\x97F3\x97F3\x97F3\x97F3\x97F3"}) {
        char out[64];
        BOOL defaulted = FALSE;
        const bool utf8 = GetACP() == CP_UTF8;
        const int n = WideCharToMultiByte(CP_ACP, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, name, -1, out, 64, nullptr,
                                          utf8 ? nullptr : &defaulted);
        if (n <= 0 || defaulted || n > 16) return name;
    }
    return nullptr;
}

std::string NameBytes(const uint8_t (&bytes)[16]) {
    std::string name;
    for (uint8_t b : bytes) {
        if (b == 0 || b == 0xFF) break;
        name += static_cast<char>(b);
    }
    return name;
}

AnsweredProfileUi::AnsweredProfileUi(DialogAnswer& answer) {
    EqualizerManager::ProfileDialogSeam() = [&answer](HWND, bool save, bool whole, wchar_t* path, DWORD capacity) {
        answer.asked.emplace_back(save, whole);
        if (answer.whileAsked) answer.whileAsked();
        if (answer.path.empty() || answer.path.size() >= capacity) return false;
        wcscpy(path, answer.path.c_str());
        return true;
    };
    SetMessagePresenter([](HWND owner, const wchar_t* title, const wchar_t* text, const wchar_t* const* buttons,
                           int count) { return ShowMsgWndButtons(owner, title, text, buttons, count); });
}

AnsweredProfileUi::~AnsweredProfileUi() {
    EqualizerManager::ProfileDialogSeam() = &EqualizerManager::ShowProfileDialog;
    SetMessagePresenter(nullptr);
}

std::string DifferingParts(const AmpScene& a, const AmpScene& b) {
    std::string parts;
    auto check = [&](const std::string& name, const void* x, const void* y, size_t size) {
        if (std::memcmp(x, y, size) != 0) parts += name + " ";
    };
    for (int n = 0; n < kAmpChannels; ++n)  // byte fields only: no padding
        check("outputs[" + std::to_string(n) + "]", &a.outputs[n], &b.outputs[n], sizeof a.outputs[n]);
#define VELMOR_PART(field) check(#field, &a.field, &b.field, sizeof a.field)
    VELMOR_PART(inputs); VELMOR_PART(mix); VELMOR_PART(inputMix); VELMOR_PART(crossMix); VELMOR_PART(mixType);
    VELMOR_PART(mixType2); VELMOR_PART(link); VELMOR_PART(trimLink); VELMOR_PART(delayLink); VELMOR_PART(lock);
    VELMOR_PART(dspBypass); VELMOR_PART(autoOn); VELMOR_PART(ircActiveBypass); VELMOR_PART(bridgeCount);
    VELMOR_PART(bridge); VELMOR_PART(profile);
#undef VELMOR_PART
    return parts;
}

bool EnterName(const wchar_t* name, bool byEnter) {
    auto* dialog = OpenWindow<CNameMsgWnd>(L"NameMsgWnd", L"namemsgwnd");
    if (!dialog) return false;
    SkinUI::CControlUI* edit = dialog->GetPaintManager()->FindControlByName(L"name_edt");
    if (!edit) return false;
    edit->SetText(name);
    if (byEnter) {
        dialog->GetPaintManager()->RaiseNotify(edit, L"return", 0, 0, false);
        return true;
    }
    return PostClick(dialog->GetPaintManager(), L"confirm_btn");
}

std::vector<AmpRequest> RequestsOf(const AmpEmulator& emulator, uint8_t cmd, uint8_t sub) {
    std::vector<AmpRequest> found;
    for (const AmpRequest& r : ControllerTest::ParsedRequests(emulator))
        if (r.cmd == cmd && r.sub == sub) found.push_back(r);
    return found;
}

}  // namespace SceneTest
