#pragma once
// The application's modal message boxes, built from the layout "XML_MSG". Titles, texts and captions are
// usually "${key}" texts of the current language. The show functions block until the box closes and
// return which button closed it: 1 the confirming button, 0 cancel, the close button or any close from
// outside, 2 the third button.
#include "SkinDialogWnd.h"

#include <vector>

class CMsgWnd : public CSkinDialogWnd {
public:
    CMsgWnd();
    ~CMsgWnd() override;

    void SetTitle(const wchar_t* text);
    void SetMsg(const wchar_t* text);
    void SetButtons(const wchar_t* const* captions, int count);

    // Every box now open in this process, oldest first.
    static std::vector<CMsgWnd*> OpenBoxes();
    // Closes every open box with result 0 (the boxes' modal loops end as they run on); returns how many.
    // Without reports, the boxes that tell how a finished piece of work went stay open.
    static int CloseAll(bool withReports = true);
    // What the box says stays true whatever the connection does next.
    void MarkAsReport() { m_report = true; }

protected:
    const wchar_t* GetWndClassName() const override { return L"MsgWnd"; }
    SkinUI::CUIString GetLayoutFile() const override { return SkinUI::CUIString(L"XML_MSG"); }
    void OnClick(SkinUI::TNotifyMessage& msg) override;

private:
    bool m_report = false;

    SKINUI_DECLARE_NOTIFY_MAP()
};

int ShowMsgWnd(HWND owner, const wchar_t* title, const wchar_t* text);
int ShowMsgWndButtons(HWND owner, const wchar_t* title, const wchar_t* text, const wchar_t* const* captions,
                      int count);
// The one-button box "${tips}" / text / "${confirm}" that tells how a piece of work ended (a file not
// written, a scene not loaded): plug events, which close questions and the connection's own boxes, leave
// it for the user to read.
int ShowWorkReport(HWND owner, const wchar_t* text);
