#include "AboutWnd.h"

#include "EqualizerManager.h"
#include "PageControls.h"
#include "ToolWindowControls.h"
#include "base/Log.h"
#include "model/DspConfig.h"

#include <shellapi.h>

#include <exception>

using namespace SkinUI;

namespace {

std::wstring Version(int main, int slave) { return L"v" + std::to_wstring(main) + L"." + std::to_wstring(slave); }

}  // namespace

std::wstring AboutFirmwareLine(const DeviceIdentity& identity, const std::wstring& versionWord) {
    const std::wstring model = std::wstring(CAboutWnd::kModelName) + L" ";
    if (identity.model == -1) return model;
    return model + versionWord + L" " + Version(identity.mainVersion, identity.slaveVersion);
}

SKINUI_BEGIN_NOTIFY_MAP(CAboutWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CAboutWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

void CAboutWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    CControlUI* firmware = m_pm.FindControlByName(L"fw_version");
    CControlUI* software = m_pm.FindControlByName(L"soft_version");
    CControlUI* inner = m_pm.FindControlByName(L"inner_fw_version");
    CControlUI* company = m_pm.FindControlByName(L"company_title");
    PageControls::Show(company, false);
    PageControls::SetText(firmware, AboutFirmwareLine(m_identity, PageControls::Lang(L"${version}")).c_str());
    if (m_identity.model != -1) PageControls::Show(firmware, true);
    PageControls::SetText(software, (PageControls::Lang(L"${soft_version}") + L" " + kSoftwareVersion).c_str());
    if (inner) {
        inner->SetVisible(true);
        inner->SetText((PageControls::Lang(L"${inner_fw_version}") + L" " +
                        Version(kBuiltInMainVersion, kBuiltInSlaveVersion)).c_str());
    }
    PageControls::SetText(company, kCompanyTitle);
}

void CAboutWnd::Notify(TNotifyMessage& msg) {
    try {
        LogPrintW(L"Notify %ls\n", msg.sType.Data());
        if (msg.sType == L"click" && msg.pSender && msg.pSender->GetName().Find(L"web_btn", 0) == 0) {
            const CUIString target = msg.pSender->GetText();
            if (!target.IsEmpty()) ShellExecuteW(nullptr, L"open", target.Data(), nullptr, nullptr, SW_SHOWNORMAL);
        }
        WindowImplBase::Notify(msg);
    } catch (const std::exception& e) {
        LogPrintA("CAboutWnd::Notify: %s\n", e.what());
    }
}

void CAboutWnd::OnClick(TNotifyMessage& msg) {
    ToolWindow::HandleClick(*this, m_closeButton, msg.pSender);
}

BOOL CAboutWnd::OnDefaultKey(WPARAM key) {
    if (key == VK_ESCAPE) PostClose(0);
    return key == VK_ESCAPE;
}

int ShowAboutWnd(HWND owner, const DspConfig& config) {
    auto* window = new CAboutWnd;
    window->SetIdentity(DeviceIdentity{config.model, config.mainVersion, config.slaveVersion});
    return ToolWindow::RunToolWindow(window, owner, L"msgwnd");  // the window deletes itself when it is destroyed
}
