#include "MemWrWnd.h"

#include "PageControls.h"
#include "ToolWindowControls.h"
#include "Settings.h"
#include "base/Log.h"
#include "device/DeviceLink.h"
#include "device/DeviceMessages.h"
#include "device/DeviceRecords.h"
#include "model/ValueRanges.h"

#include <cstdlib>
#include <exception>

using namespace SkinUI;

namespace {

void ShowWord(CControlUI* edit, const wchar_t* key, uint32_t value) {
    PageControls::SetInt(edit, L"0x%08x", static_cast<int>(value));
    // Kept as a signed decimal: a word of 0x80000000 or more reads back as the same 32 bits.
    WriteSettingText(key, std::to_wstring(static_cast<int32_t>(value)).c_str());
}

// Replies still queued for a window that is going are freed here, since it will not see them.
void FreeQueuedReplies(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, window, WM_MEM_DATA, WM_MEM_DATA, PM_REMOVE)) free(reinterpret_cast<void*>(msg.lParam));
}

}  // namespace

uint32_t ParseMemNumber(const wchar_t* text) {
    if (!text || !*text) return 0;
    int base = 10;
    const wchar_t* at = text;
    if (at[0] == L'0' && (at[1] == L'x' || at[1] == L'X')) {
        base = 16;
        at += 2;
    } else if (at[0] == L'0') {
        base = 8;
        at += 1;
    }
    // A "/" or anything else that is not a digit of the base ends the number.
    return ReadWordDigits(at, base);
}

SKINUI_BEGIN_NOTIFY_MAP(CMemWrWnd, WindowImplBase)
    SKINUI_NOTIFY_ENTRY(L"click", L"", &CMemWrWnd::OnClick)
SKINUI_END_NOTIFY_MAP()

void CMemWrWnd::SetAddress(uint32_t value) { ShowWord(m_addressEdit, L"mem_addr", value); }
void CMemWrWnd::SetData(uint32_t value) { ShowWord(m_dataEdit, L"mem_data", value); }
uint32_t CMemWrWnd::GetAddress() const { return ParseMemNumber(PageControls::TextOf(m_addressEdit).c_str()); }
uint32_t CMemWrWnd::GetData() const { return ParseMemNumber(PageControls::TextOf(m_dataEdit).c_str()); }

void CMemWrWnd::OnInitWindow() {
    CSkinDialogWnd::OnInitWindow();
    m_readButton = m_pm.FindControlByName(L"read_btn");
    m_writeButton = m_pm.FindControlByName(L"write_btn");
    m_addressEdit = m_pm.FindControlByName(L"addr_edit");
    m_dataEdit = m_pm.FindControlByName(L"data_edit");
    SetAddress(static_cast<uint32_t>(ReadSettingInt(L"mem_addr", 0)));
    SetData(static_cast<uint32_t>(ReadSettingInt(L"mem_data", 0)));
    if (m_link) m_link->mReplyWnd[DeviceLink::kMemoryWnd] = m_hWnd;
}

void CMemWrWnd::OnWindowDestroyed(HWND hwnd) {
    // Replies that come after this window has gone have nobody to go to: the link frees them.
    if (m_link) {
        HWND expected = hwnd;
        m_link->mReplyWnd[DeviceLink::kMemoryWnd].compare_exchange_strong(expected, nullptr);
    }
    FreeQueuedReplies(hwnd);
    CSkinDialogWnd::OnWindowDestroyed(hwnd);
}

void CMemWrWnd::Read() {
    const uint32_t address = GetAddress();
    SetAddress(address);
    LogPrintW(L"read_btn read dsp mem, addr(0x%08x)\n", address);
    if (m_link) m_link->Get_MemData(address);
}

void CMemWrWnd::Write() {
    const uint32_t address = GetAddress();
    const uint32_t data = GetData();
    SetAddress(address);
    SetData(data);
    LogPrintW(L"write_btn write dsp mem, addr(0x%08x), data(0x%08x)\n", address, data);
    if (m_link) m_link->Set_MemData(address, data, false);
}

void CMemWrWnd::OnClick(TNotifyMessage& msg) {
    if (!msg.pSender) return;
    const CUIString name = msg.pSender->GetName();
    if (msg.pSender == m_closeButton)
        PostClose(0);
    else if (EqualsIgnoreCase(name.Data(), L"read_btn"))
        Read();
    else if (EqualsIgnoreCase(name.Data(), L"write_btn"))
        Write();
}

void CMemWrWnd::Notify(TNotifyMessage& msg) {
    try {
        LogPrintW(L"Notify %ls\n", msg.sType.Data());
        if (msg.sType == L"setfocus") {
            const CUIString name = msg.pSender ? msg.pSender->GetName() : CUIString();
            LogPrintW(L"on %ls UI_MSGTYPE_SETFOCUS\n", name.Data());
            if (name.Find(L"file_path_edt", 0) == 0) return;
        }
        WindowImplBase::Notify(msg);
    } catch (const std::exception& e) {
        LogPrintA("CMemWrWnd::Notify: %s\n", e.what());
    }
}

BOOL CMemWrWnd::OnDefaultKey(WPARAM key) {
    if (key == VK_ESCAPE) PostClose(0);
    return key == VK_ESCAPE;
}

LRESULT CMemWrWnd::HandleOtherMessage(UINT message, WPARAM, LPARAM lParam, BOOL& handled) {
    handled = FALSE;
    if (message != WM_MEM_DATA) return 0;
    auto* record = reinterpret_cast<DspMemDataRecord*>(lParam);
    if (!record) return 0;
    try {
        LogPrintW(L"mem data = addr(0x%08x), data(0x%08x)\n", record->address, record->data);
        SetAddress(record->address);
        SetData(record->data);
    } catch (const std::exception& e) {
        LogPrintA("CMemWrWnd: reply failed: %s\n", e.what());
    }
    free(record);
    handled = TRUE;
    return 0;
}

int ShowMemWrWnd(HWND owner, DeviceLink& link) {
    auto* window = new CMemWrWnd;
    window->SetDeviceLink(&link);
    return ToolWindow::RunToolWindow(window, owner, L"memwrwnd");  // the window deletes itself when it is destroyed
}
