#include "AppTestSupport.h"

#include "AppMain.h"
#include "Settings.h"
#include "UIControl.h"
#include "UIControls.h"
#include "UITextResource.h"
#include "UIWindowImplBase.h"

#include <gtest/gtest.h>
#include <ole2.h>

#include <cstdio>
#include <algorithm>
#include <map>
#include <vector>

using namespace SkinUI;

namespace AppTest {

namespace {

std::string WideToUtf8(const wchar_t* text) {
    char buffer[512] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof(buffer) - 1, nullptr, nullptr);
    return buffer;
}

std::map<UINT_PTR, std::function<void()>>& Pending() {
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}

bool gQuitSeen = false;

void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto it = Pending().find(id);
    if (it == Pending().end()) return;
    std::function<void()> work = std::move(it->second);
    Pending().erase(it);
    work();
}

void IgnoreLayoutFailure(const wchar_t* layout) { ADD_FAILURE() << "layout not built"; }

// A box that no test answers would block the run for good: one still open after two ticks of the
// watchdog is reported and closed, unless a test holds it open on purpose.
std::vector<CMsgWnd*> gBoxesAtLastTick;

void CALLBACK WatchOpenBoxes(HWND, UINT, UINT_PTR, DWORD) {
    const std::vector<CMsgWnd*> open = CMsgWnd::OpenBoxes();
    for (CMsgWnd* box : open) {
        if (std::find(gBoxesAtLastTick.begin(), gBoxesAtLastTick.end(), box) == gBoxesAtLastTick.end()) continue;
        if (GetPropW(box->GetHandle(), kHeldByTest)) continue;
        CControlUI* text = box->GetPaintManager()->FindControlByName(L"MessageText");
        ADD_FAILURE() << "a message box stayed open: " << (text ? WideToUtf8(text->GetText().Data()) : std::string());
        CMsgWnd::CloseAll();
        break;
    }
    gBoxesAtLastTick = CMsgWnd::OpenBoxes();
}

class ShellEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        OleInitialize(nullptr);
        CPaintManagerUI::SetModuleInstance(GetModuleHandleW(nullptr));
        WindowImplBase::SetLayoutFailureHandler(&IgnoreLayoutFailure);
        RegisterControlClasses();
        ASSERT_TRUE(InitSkinResource(TEST_SKIN_PASSWORD));
        SetTimer(nullptr, 0, 5000, WatchOpenBoxes);
    }
    void TearDown() override {
        CPaintManagerUI::ShutdownShared(true);
        OleUninitialize();
    }
};

const auto* gEnvironment = ::testing::AddGlobalTestEnvironment(new ShellEnvironment);

std::string ReadAll(const std::wstring& path, bool* exists) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    *exists = file != nullptr;
    std::string bytes;
    if (!file) return bytes;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), file)) > 0;) bytes.append(buffer, n);
    fclose(file);
    return bytes;
}

}  // namespace

void RunLater(int ms, std::function<void()> work) {
    const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(ms), RunPending);
    Pending()[id] = std::move(work);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (static_cast<int>(GetTickCount() - start) > timeoutMs) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                gQuitSeen = true;
                continue;
            }
            if (!CPaintManagerUI::PreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        Sleep(5);
    }
    return true;
}

bool QuitSeen() { return gQuitSeen; }
void ClearQuit() { gQuitSeen = false; }

CMsgWnd* NewestBox() {
    const auto boxes = CMsgWnd::OpenBoxes();
    return boxes.empty() ? nullptr : boxes.back();
}

CControlUI* BoxControl(CMsgWnd* box, const wchar_t* name) {
    return box ? box->GetPaintManager()->FindControlByName(name) : nullptr;
}

void ClickInNewestBox(const wchar_t* name) {
    CControlUI* control = BoxControl(NewestBox(), name);
    ASSERT_NE(control, nullptr) << "no control in the box";
    control->Activate();
}

std::wstring Text(const wchar_t* key) { return CTextResource::GetInstance()->GetText(key).Data(); }

void FreshTextResource() {
    CTextResource::Release();
    ASSERT_TRUE(CTextResource::GetInstance()->LoadResourceTable(L"xml\\res.xml"));
}

SettingsFileGuard::SettingsFileGuard() : m_path(SettingsFilePath()) {
    m_saved = ReadAll(m_path, &m_existed);
    DeleteFileW(m_path.c_str());
}

SettingsFileGuard::~SettingsFileGuard() {
    DeleteFileW(m_path.c_str());
    if (!m_existed) return;
    if (FILE* file = _wfopen(m_path.c_str(), L"wb")) {
        fwrite(m_saved.data(), 1, m_saved.size(), file);
        fclose(file);
    }
}

}  // namespace AppTest
