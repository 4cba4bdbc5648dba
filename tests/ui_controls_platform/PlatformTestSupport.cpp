#include "PlatformTestSupport.h"

#include "UIControls.h"

#include <gtest/gtest.h>

using namespace SkinUI;

namespace PlatformTest {

namespace {

// Before the first test builds a layout, so the factory knows the controls.
const bool g_registered = [] {
    RegisterControlClasses();
    return true;
}();

TTestObjectRecord* LoadRecord() {
    static TTestObjectRecord* record = [] {
        HMODULE module = LoadLibraryW(TestObjectModulePath().c_str());
        auto get = module ? reinterpret_cast<GetTestObjectRecordFn>(
                                reinterpret_cast<void*>(GetProcAddress(module, "GetTestObjectRecord")))
                          : nullptr;
        return get ? get() : nullptr;
    }();
    return record;
}

}  // namespace

CNoteRecorder::CNoteRecorder(CPaintManagerUI& manager) : m_manager(manager) { m_manager.AddNotifyListener(this); }

CNoteRecorder::~CNoteRecorder() { m_manager.RemoveNotifyListener(this); }

void CNoteRecorder::Notify(TNotifyMessage& msg) {
    notes.push_back({msg.sType.Data(), msg.pSender ? msg.pSender->GetName().Data() : L"", msg.wParam, msg.lParam});
}

int CNoteRecorder::Count(const wchar_t* type) const {
    int count = 0;
    for (const auto& note : notes) count += note.type == type;
    return count;
}

CPlatformWindow::~CPlatformWindow() {
    if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
    m_recorder.reset();
}

void CPlatformWindow::OnInitWindow() {
    CTestWindow::OnInitWindow();
    m_recorder.reset(new CNoteRecorder(m_pm));
}

std::wstring TestObjectModulePath() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder + L"ui_test_activex_object.dll";
}

TTestObjectRecord& TestObjectRecord() {
    TTestObjectRecord* record = LoadRecord();
    if (!record) {
        ADD_FAILURE() << "the test object module cannot be loaded";
        static TTestObjectRecord dummy = {};
        return dummy;
    }
    return *record;
}

TTestObjectRecord& ResetTestObjectRecord() {
    TTestObjectRecord& record = TestObjectRecord();
    const int live = record.liveObjects;
    record = TTestObjectRecord{};
    record.liveObjects = live;
    record.closeDeactivates = true;
    record.fillColor = RGB(0x20, 0xA0, 0x60);
    return record;
}

std::wstring ClsidText(const CLSID& clsid) {
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    return text;
}

}  // namespace PlatformTest
