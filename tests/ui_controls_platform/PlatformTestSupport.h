#pragma once
// Helpers of the platform-control tests: the control classes registered before any layout is built, a
// listener that records every notification of a window, and the tests' ActiveX object module.
#include "TestActiveXObject.h"
#include "UIManager.h"
#include "WindowTestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace PlatformTest {

// Records every notification raised in a window (the test window's own map records only a few kinds).
class CNoteRecorder : public SkinUI::INotifyUI {
public:
    explicit CNoteRecorder(SkinUI::CPaintManagerUI& manager);
    ~CNoteRecorder() override;
    void Notify(SkinUI::TNotifyMessage& msg) override;
    int Count(const wchar_t* type) const;
    std::vector<WindowTest::TNote> notes;

private:
    SkinUI::CPaintManagerUI& m_manager;
};

// A test window that records every notification from its creation on.
class CPlatformWindow : public WindowTest::CTestWindow {
public:
    using CTestWindow::CTestWindow;
    ~CPlatformWindow() override;
    CNoteRecorder& Notes() { return *m_recorder; }
    int NoteCount(const wchar_t* type) const { return m_recorder ? m_recorder->Count(type) : 0; }

protected:
    void OnInitWindow() override;

private:
    std::unique_ptr<CNoteRecorder> m_recorder;
};

// The full path of the tests' ActiveX object module.
std::wstring TestObjectModulePath();
// The module's record, reset to the defaults (the module is loaded on first use and stays loaded).
TTestObjectRecord& ResetTestObjectRecord();
TTestObjectRecord& TestObjectRecord();
// "{...}" text of a class id.
std::wstring ClsidText(const CLSID& clsid);

}  // namespace PlatformTest
