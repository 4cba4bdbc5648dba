#pragma once
// Popup menus: a skin layout shown in a borderless topmost popup window (CMenuWnd). Items that hold
// further items open a sub-menu window beside themselves. Every open menu window is registered with one
// process-wide observer, which also remembers the paint manager of the window that opened the top-level
// menu (the receiver of the menu's notifications and click records) and the check map that keeps the
// checked state of menu items by name across openings.
#include "UIDlgBuilder.h"
#include "UIManager.h"
#include "UINotify.h"
#include "UIPtrArray.h"
#include "UIStringMap.h"
#include "UIWindow.h"

#include <optional>

namespace SkinUI {

class CMenuElementUI;
class CMenuUI;

// Posted to the window that opened the menu when a plain item is clicked: wParam is a MenuCmd the
// receiver frees with CPaintManagerUI::FreeBlock; lParam is the item, which may be gone by then and must
// not be used.
constexpr UINT WM_MENU_CLICK = WM_USER + 3;

struct MenuCmd {
    enum { kNameLength = 256, kTextLength = 1024 };
    wchar_t szName[kNameLength];
    wchar_t szUserData[kTextLength];
    wchar_t szText[kTextLength];
    BOOL bChecked;
};
static_assert(sizeof(MenuCmd) == 4612, "the click record's layout is shared with its receivers");

// The checked state of one named item.
struct MenuItemInfo {
    enum { kNameLength = 256 };
    wchar_t szName[kNameLength];
    bool bChecked;
};
static_assert(sizeof(MenuItemInfo) == 514, "one check record");

// Broadcast codes.
enum MenuBroadcast { kMenuCloseAll = 1, kMenuCloseDescendants = 2 };

// Alignment bits of a menu: 8 left of the point, 16 above it; 0x40, 0x10, 0x20 and 8 steer a sub-menu.
enum MenuAlignment : DWORD {
    eMenuAlignment_Left = 1 << 1,
    eMenuAlignment_Top = 1 << 2,
    eMenuAlignment_Right = 1 << 3,
    eMenuAlignment_Bottom = 1 << 4,
    eMenuAlignment_Intelligent = 1 << 5,
    eMenuAlignment_Up = 1 << 6,
};

class MenuMenuReceiverImplBase;

class MenuMenuObserverImplBase {
public:
    virtual void AddReceiver(MenuMenuReceiverImplBase* receiver) = 0;
    virtual void RemoveReceiver(MenuMenuReceiverImplBase* receiver) = 0;
    virtual BOOL Broadcast(int code, HWND window) = 0;
    virtual void SetManager(CPaintManagerUI* manager) = 0;
    virtual CPaintManagerUI* GetManager() const = 0;
    virtual void SetMenuCheckInfo(CUIStringMap* map) = 0;
    virtual CUIStringMap* GetMenuCheckInfo() const = 0;

protected:
    ~MenuMenuObserverImplBase() = default;
};

class MenuMenuReceiverImplBase {
public:
    virtual void AddObserver(MenuMenuObserverImplBase* observer) = 0;
    virtual void RemoveObserver() = 0;
    virtual BOOL Receive(int code, HWND window) = 0;

protected:
    ~MenuMenuReceiverImplBase() = default;
};

class MenuObserverImpl : public MenuMenuObserverImplBase {
public:
    void AddReceiver(MenuMenuReceiverImplBase* receiver) override;
    void RemoveReceiver(MenuMenuReceiverImplBase* receiver) override;
    // Every receiver, from the last registered to the first; receivers removed meanwhile are passed by.
    BOOL Broadcast(int code, HWND window) override;
    void SetManager(CPaintManagerUI* manager) override;  // a null never clears it
    CPaintManagerUI* GetManager() const override { return m_pManager; }
    void SetMenuCheckInfo(CUIStringMap* map) override;
    // Null once the application has deleted the map it gave, even without clearing it here.
    CUIStringMap* GetMenuCheckInfo() const override;

    // Forgets the receiver of the menus' notifications (when the last top-level menu is gone).
    void ResetManager() { m_pManager = nullptr; }
    int GetReceiverCount() const { return m_receivers.Count(); }
    MenuMenuReceiverImplBase* GetReceiver(int index) const {
        return static_cast<MenuMenuReceiverImplBase*>(m_receivers.ItemAt(index));
    }
    bool HasReceiver(MenuMenuReceiverImplBase* receiver) const { return m_receivers.IndexOf(receiver) >= 0; }

private:
    CUIPtrArray m_receivers;
    CPaintManagerUI* m_pManager = nullptr;
    CUIStringMap* m_pCheckInfo = nullptr;
    std::optional<CUILifeWatch> m_checkInfoAlive;  // the map is borrowed: its owner may delete it first
};

class MenuReceiverImpl : public MenuMenuReceiverImplBase {
public:
    void AddObserver(MenuMenuObserverImplBase* observer) override;
    void RemoveObserver() override;
    BOOL Receive(int /*code*/, HWND /*window*/) override { return FALSE; }

protected:
    ~MenuReceiverImpl() = default;

private:
    CUIPtrArray m_observers;
};

// The process-wide observer.
MenuObserverImpl& GetMenuObserver();

class CMenuWnd : public CWindowWnd, public MenuReceiverImpl, public INotifyUI, public IDialogBuilderCallback {
public:
    CMenuWnd();
    // An object whose window is open destroys the window first, so that nothing queued for it (a close
    // requested by losing the focus) reaches a freed object.
    ~CMenuWnd() override;

    // Opens the menu: owner is the item whose sub-menu this is (null for a top-level menu, which is
    // built from layout at the screen point with the opener's manager and check map).
    void Init(CMenuElementUI* owner, const wchar_t* layout, POINT point, CPaintManagerUI* manager,
              CUIStringMap* checkInfo = nullptr, DWORD alignment = eMenuAlignment_Left | eMenuAlignment_Top);
    static CMenuWnd* CreateMenu(CMenuElementUI* owner, const wchar_t* layout, POINT point, CPaintManagerUI* manager,
                                CUIStringMap* checkInfo = nullptr,
                                DWORD alignment = eMenuAlignment_Left | eMenuAlignment_Top);

    // The screen rectangle of what opened a top-level menu (its button): a menu without room on the
    // side its alignment names opens on the other side of it instead of covering it. Set before Init.
    void SetAnchor(const RECT& onScreen) { m_rcAnchor = onScreen; m_bHasAnchor = true; }

    // Where a top-level menu of the size goes: at the point as the alignment says, turned to the other
    // side of the anchor where the work area has no room, and always wholly on the work area.
    static RECT PlaceMenu(POINT point, const RECT& anchor, SIZE size, DWORD alignment, const RECT& work);
    // Where a sub-menu of the size goes: beside its menu window, level with its item (bottom to the item's
    // bottom when there is no room below), on the other side when there is no room on the preferred
    // one, and always wholly on the work area. aboveOwner puts it over the whole owner window instead.
    static RECT PlaceSubMenu(const RECT& item, const RECT& ownerWindow, SIZE size, bool toLeft, bool aboveOwner,
                             const RECT& work);

    CControlUI* GetMenuUI() const { return m_pm.GetRootControl(); }
    CPaintManagerUI* GetPaintManager() { return &m_pm; }
    CMenuElementUI* GetOwner() const { return m_pOwner; }
    bool IsClosing() const { return m_bClosing; }
    void ResizeMenu();
    void ResizeSubMenu();
    void SetDPI(int dpi) { m_pm.ApplyDpi(dpi); }
    // Posts WM_CLOSE with the code and marks the menu as closing.
    void Close(UINT code = IDOK);

    BOOL Receive(int code, HWND window) override;
    // The clicks and value changes of the menu's controls reach the window that opened the menu.
    void Notify(TNotifyMessage& msg) override;
    CControlUI* CreateControl(const wchar_t* className) override;

    // The check map's record of the name (created when missing); null for an empty name or without a
    // check map. Names are cut to the record's 255 characters.
    static MenuItemInfo* SetMenuItemInfo(const wchar_t* name, bool checked);
    static MenuItemInfo* GetMenuItemInfo(const wchar_t* name);
    // Frees every check record and empties the map (the map itself belongs to the application).
    static void DestroyMenu();

protected:
    const wchar_t* GetWndClassName() const override { return L"SkinMenuWnd"; }
    LRESULT HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnWindowDestroyed(HWND hwnd) override;

private:
    LRESULT OnCreate();
    void CreateTopLevel();
    void CreateSubMenu();
    void OnKillFocus(HWND next);
    // The borrowed items go back to their element: its manager and parent, hidden. Safe to repeat.
    void GiveBackOwnerItems(bool hide);
    // A sub-menu is dressed as the menu that opens it: its item look, fonts, arrow and colours.
    void InheritLook(CPaintManagerUI& from);
    bool IsMenuWindow(HWND window) const;
    CMenuUI* RootMenu() const;

    bool m_bClosing = false;
    POINT m_BasedPoint = {};
    CUIString m_xml;
    CPaintManagerUI m_pm;
    CMenuElementUI* m_pOwner = nullptr;
    CMenuUI* m_pLayout = nullptr;  // the list a sub-menu builds for its owner's items
    DWORD m_dwAlignment = eMenuAlignment_Left | eMenuAlignment_Top;
    bool m_bShowShadow = false;
    RECT m_rcAnchor = {};
    bool m_bHasAnchor = false;
};

}  // namespace SkinUI
