#pragma once
// WindowImplBase: the base of every application window. A frameless native window whose whole area is
// drawn by its paint manager from a layout file; it routes window messages to overridable handlers, builds
// the layout when the window is created, hit-tests its sizing borders and caption, keeps the minimise,
// maximise and restore buttons in step with the window state, and routes the notifications of its
// controls through its notification maps.
#include "UIDlgBuilder.h"
#include "UIManager.h"
#include "UINotify.h"
#include "UITextResource.h"
#include "UIWindow.h"

namespace SkinUI {

class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IMessageFilterUI,
                       public IDialogBuilderCallback,
                       public IQueryControlText {
public:
    WindowImplBase() = default;
    // A window still open is destroyed first, while the paint manager exists.
    ~WindowImplBase() override;

    // What happens when a window's layout cannot be built. By default a message box names the layout and
    // the process ends with exit code 1; a replacement (tests) that returns makes the creation fail.
    using LayoutFailureHandler = void (*)(const wchar_t* layoutFile);
    static void SetLayoutFailureHandler(LayoutFailureHandler handler);  // null: the default

    CPaintManagerUI* GetPaintManager() { return &m_pm; }

    // The loop filter: Return and Escape key-downs go to OnDefaultKey; nothing is consumed.
    LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    void Notify(TNotifyMessage& msg) override;
    CControlUI* CreateControl(const wchar_t* className) override;
    const wchar_t* QueryControlText(const wchar_t* key, int type) override;

protected:
    UINT GetWndClassStyle() const override { return CS_DBLCLKS; }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;

    virtual void EmptyHook() {}
    virtual void OnInitWindow() {}
    // "closebtn" closes with code 1; "minbtn", "maxbtn" and "restorebtn" minimise, maximise, restore.
    virtual void OnClick(TNotifyMessage& msg);
    // True when the caption drags the window over this control: it and all its ancestors are passive.
    virtual bool IsCaptionDragControl(CControlUI* control);
    // Empty: the layout is a file; otherwise GetLayoutFile is a numeric resource id of this type.
    virtual CUIString GetLayoutResourceType() const { return CUIString(); }
    virtual CUIString GetLayoutFile() const = 0;
    virtual const wchar_t* GetPaintManagerName() const { return nullptr; }
    virtual BOOL OnDefaultKey(WPARAM key) { return key == VK_ESCAPE; }

    // Handlers take (message, wParam, lParam, handled) with handled preset to TRUE; one that leaves the
    // message to the rest of the routing sets it to FALSE.
    virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnMouseHover(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnCreate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    virtual LRESULT HandleOtherMessage(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    LONG GetStyleWithoutCaption() const;

    CPaintManagerUI m_pm;

private:
    LRESULT RouteToHandler(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void SwapMaxRestoreButtons(bool maximised);
    CUILifeToken m_life;

    SKINUI_DECLARE_NOTIFY_MAP()
};

}  // namespace SkinUI
