#pragma once
// The DSP memory window, behind the debug button: reads or writes one 32-bit word of the DSP's memory
// at an address the user types (decimal, 0x hexadecimal or 0 octal). The last address and data are kept
// in the settings file. While it is open it is the device link's memory reply window.
#include "SkinDialogWnd.h"

#include <cstdint>

class DeviceLink;

// The number a typed text gives: base 10, or 16 after "0x" or "0X", or 8 after another leading 0;
// digits are taken up to the first character that is not one of the base (or a "/"); no digit gives 0.
// A number beyond 32 bits is the largest word, 0xFFFFFFFF.
uint32_t ParseMemNumber(const wchar_t* text);

class CMemWrWnd : public CSkinDialogWnd {
public:
    void SetDeviceLink(DeviceLink* link) { m_link = link; }

    void SetAddress(uint32_t value);
    void SetData(uint32_t value);
    uint32_t GetAddress() const;
    uint32_t GetData() const;

protected:
    const wchar_t* GetWndClassName() const override { return L"MemWrWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_MEM_WR"); }
    void OnInitWindow() override;
    void OnClick(SkinUI::TNotifyMessage& msg) override;
    void Notify(SkinUI::TNotifyMessage& msg) override;
    BOOL OnDefaultKey(WPARAM key) override;
    LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    void Read();
    void Write();

    SkinUI::CControlUI* m_readButton = nullptr;
    SkinUI::CControlUI* m_writeButton = nullptr;
    SkinUI::CControlUI* m_addressEdit = nullptr;
    SkinUI::CControlUI* m_dataEdit = nullptr;
    DeviceLink* m_link = nullptr;

    SKINUI_DECLARE_NOTIFY_MAP()
};

// Opens the memory window modally over `owner`; returns when it closes.
int ShowMemWrWnd(HWND owner, DeviceLink& link);
