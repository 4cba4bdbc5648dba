#pragma once
// Notifications: what controls report ("click", "selectchanged", ...) to their window, and how a window
// routes them to handler methods through static notification maps.
//
// A window class declares its map with the SKINUI_*_NOTIFY_MAP macros; the map chains to the base class's
// map and is built once by the source file's static initialiser:
//
//   class CMyWnd : public WindowImplBase {
//       SKINUI_DECLARE_NOTIFY_MAP()
//       void OnClose(TNotifyMessage& msg);
//       void OnSelect(WPARAM wParam, LPARAM lParam);
//   };
//   SKINUI_BEGIN_NOTIFY_MAP(CMyWnd, WindowImplBase)
//       SKINUI_NOTIFY_ENTRY(L"click", L"closebtn", &CMyWnd::OnClose)
//       SKINUI_NOTIFY_ENTRY(L"selectchanged", L"", &CMyWnd::OnSelect)
//   SKINUI_END_NOTIFY_MAP()
#include "UIString.h"
#include "UIStringMap.h"

#include <windows.h>

namespace SkinUI {

class CControlUI;

struct TNotifyMessage {
    CUIString sType;        // e.g. "click"
    CUIString sVirtualWnd;  // the sender's page name, filled when the manager uses pages
    CControlUI* pSender = nullptr;  // null when the sender was destroyed before a queued delivery
    DWORD dwTimestamp = 0;
    POINT ptMouse = {};
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyMessage& msg) = 0;
};

class CNotifyPump;

// Handler kinds of a map entry.
enum TNotifyHandlerKind : UINT {
    UINOTIFY_END = 0,         // end of the table
    UINOTIFY_PARAMS = 1,      // handler(WPARAM, LPARAM)
    UINOTIFY_MESSAGE = 2      // handler(TNotifyMessage&)
};

// A member function of the class that owns the map, seen as a member of CNotifyPump; the kind says
// which of the two it is.
union TNotifyHandler {
    void (CNotifyPump::*withParams)(WPARAM, LPARAM);
    void (CNotifyPump::*withMessage)(TNotifyMessage&);
};

struct TMessageMapEntry {
    CUIString sType;      // notification type, compared case-sensitively
    CUIString sCtrlName;  // sender name to match; empty = any control
    UINT nKind;           // TNotifyHandlerKind
    TNotifyHandler pfn;
};

struct TMessageMap {
    const TMessageMap* pBaseMap;      // null at the root
    const TMessageMapEntry* pEntries;  // ends with an entry of kind UINOTIFY_END
};

template <class T>
TMessageMapEntry NotifyEntry(const wchar_t* type, const wchar_t* control, void (T::*handler)(TNotifyMessage&)) {
    TMessageMapEntry entry = {type, control, UINOTIFY_MESSAGE, {}};
    entry.pfn.withMessage = static_cast<void (CNotifyPump::*)(TNotifyMessage&)>(handler);
    return entry;
}

template <class T>
TMessageMapEntry NotifyEntry(const wchar_t* type, const wchar_t* control, void (T::*handler)(WPARAM, LPARAM)) {
    TMessageMapEntry entry = {type, control, UINOTIFY_PARAMS, {}};
    entry.pfn.withParams = static_cast<void (CNotifyPump::*)(WPARAM, LPARAM)>(handler);
    return entry;
}

inline TMessageMapEntry NotifyMapEnd() { return {L"", L"", UINOTIFY_END, {}}; }

// Routes notifications through the class's map chain, after offering them to a registered page.
class CNotifyPump {
public:
    CNotifyPump();
    virtual ~CNotifyPump();
    CNotifyPump(const CNotifyPump&) = delete;
    CNotifyPump& operator=(const CNotifyPump&) = delete;

    virtual const TMessageMap* GetNotifyMap() const;

    // A page receives the notifications of controls whose "virtualwnd" is its name. False when a page
    // of that name exists. The page is not owned and must outlive this object.
    bool AddNotifyPage(const wchar_t* pageName, CNotifyPump* page);
    // The page first (names compared ignoring case), then this object's own maps.
    bool DispatchNotify(TNotifyMessage& msg);
    // The own map chain only, from the most derived map to the root. A notification without a sender
    // is not dispatched (its name cannot be read).
    bool DispatchThroughMaps(TNotifyMessage& msg);
    // An exact (type, sender name) entry wins wherever it stands; else the last any-control entry.
    static const TMessageMapEntry* FindNotifyMapEntry(const TMessageMapEntry* entries, const TNotifyMessage& msg);

protected:
    static const TMessageMap notifyMap_;

private:
    static const TMessageMapEntry notifyEntries_[];
    CUIStringMap m_pages;  // page name -> CNotifyPump*
};

}  // namespace SkinUI

#define SKINUI_DECLARE_NOTIFY_MAP()                                      \
public:                                                                  \
    const ::SkinUI::TMessageMap* GetNotifyMap() const override;          \
                                                                         \
protected:                                                               \
    static const ::SkinUI::TMessageMap notifyMap_;                       \
                                                                         \
private:                                                                 \
    static const ::SkinUI::TMessageMapEntry notifyEntries_[];

#define SKINUI_BEGIN_NOTIFY_MAP(theClass, baseClass)                                          \
    const ::SkinUI::TMessageMap* theClass::GetNotifyMap() const { return &notifyMap_; }       \
    const ::SkinUI::TMessageMap theClass::notifyMap_ = {&baseClass::notifyMap_, theClass::notifyEntries_}; \
    const ::SkinUI::TMessageMapEntry theClass::notifyEntries_[] = {

#define SKINUI_NOTIFY_ENTRY(type, control, handler) ::SkinUI::NotifyEntry(type, control, handler),

#define SKINUI_END_NOTIFY_MAP() \
    ::SkinUI::NotifyMapEnd()    \
    }                           \
    ;
