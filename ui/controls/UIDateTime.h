#pragma once
// CDateTimeUI: a label showing a date ("%4d-%02d-%02d"); when clicked or focused a native date picker
// (CDateTimeWnd, "SysDateTimePick32") lies over it to edit the date. Escape restores the date shown when
// the picker opened. Layout element "DateTime".
#include "UINativeEditLabel.h"

#include <commctrl.h>

namespace SkinUI {

class CDateTimeWnd;

// What writing the text of a picker label puts there.
enum TPickerTextMode : int {
    UIPICKER_TEXT_KEEP = 0,
    UIPICKER_TEXT_VALUE = 1,
    UIPICKER_TEXT_EMPTY = 2,
    UIPICKER_TEXT_CANCELLED = 3  // the last edit was cancelled (IP label)
};

class CDateTimeUI : public CNativeEditLabelUI {
    friend class CDateTimeWnd;

public:
    CDateTimeUI();
    ~CDateTimeUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;

    const SYSTEMTIME& GetTime() const { return m_sysTime; }
    void SetTime(const SYSTEMTIME& time);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly);

protected:
    CWindowWnd* NativeWindow() const override;
    void OpenNativeWindow() override;

private:
    void UpdateText();
    // Writes the date into the text.
    void ShowValue();

    SYSTEMTIME m_sysTime = {};
    int m_nDTUpdateFlag = UIPICKER_TEXT_KEEP;
    bool m_bReadOnly = false;
    CDateTimeWnd* m_pWindow = nullptr;
};

class CDateTimeWnd : public CWindowWnd {
public:
    explicit CDateTimeWnd(CDateTimeUI* owner) : m_pOwner(owner) {}
    ~CDateTimeWnd() override;
    void Init(CDateTimeUI* owner);
    void DetachOwner() { m_pOwner = nullptr; }
    bool IsCalendarOpen() const { return m_bDropOpen; }

protected:
    const wchar_t* GetWndClassName() const override { return L"DateTimeWnd"; }
    const wchar_t* GetBaseWndClassName() const override { return DATETIMEPICK_CLASSW; }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    void ReadBack();
    // The focus went to the picker's own month calendar (its drop-down), which is part of the editing.
    bool IsOwnCalendar(HWND focus) const;

    CDateTimeUI* m_pOwner;
    HBRUSH m_hBkBrush = nullptr;
    bool m_bInit = false;
    bool m_bDropOpen = false;
    SYSTEMTIME m_oldSysTime = {};
};

}  // namespace SkinUI
