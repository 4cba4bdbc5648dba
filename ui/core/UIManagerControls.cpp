// CPaintManagerUI: the services of the control tree. Controls call them for names, initialisation,
// focus and tab order, timers, notifications, delayed clean-up and invalidation. Everything that needs
// the window is skipped while there is none, so a tree can live, lay out and notify without one.
#include "UIManager.h"

#include "UIControl.h"

#include <cwchar>
#include <vector>

namespace SkinUI {

namespace {

constexpr UINT kPendingNotifyMessage = WM_APP + 1;
constexpr UINT kTabSearchFlags = UIFIND_VISIBLE | UIFIND_ENABLED | UIFIND_ME_FIRST;

struct TTimerRecord {
    CControlUI* pSender;
    UINT nLocalID;
    HWND hWnd;
    UINT uWinTimer;
    bool bKilled;
};

TTimerRecord* TimerAt(const CUIPtrArray& timers, int index) { return static_cast<TTimerRecord*>(timers[index]); }

bool RemoveFrom(CUIPtrArray& list, void* item) {
    const int index = list.IndexOf(item);
    if (index < 0) return false;
    return list.RemoveAt(index);
}

TUIEvent MakeEvent(int type, CControlUI* sender) {
    TUIEvent event;
    event.Type = type;
    event.pSender = sender;
    event.dwTimestamp = GetTickCount();
    return event;
}

// Visitor that makes the manager forget each control of a subtree.
CControlUI* ForgetEach(CControlUI* control, void* manager) {
    static_cast<CPaintManagerUI*>(manager)->ForgetControl(control);
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Window, root and initialisation.

void CPaintManagerUI::AttachWindow(HWND window, const wchar_t* name) {
    m_mNameHash.ResetBuckets(CUIStringMap::kDefaultBuckets);
    RemoveAllFonts();
    RemoveAllImages();
    RemoveAllDrawInfos();
    RemoveAllDefaultAttributeList();
    RemoveAllStyles();
    RemoveAllOptionGroups();
    RemoveAllWindowAttributes();
    RemoveAllTimers();
    m_name = name;
    if (m_hWndPaint == window) return;
    if (m_hWndPaint && m_hDcPaint) ReleaseDC(m_hWndPaint, m_hDcPaint);
    m_hWndPaint = window;
    m_hDcPaint = window ? GetDC(window) : nullptr;
    if (window && GetManagers().IndexOf(this) < 0) GetManagers().Add(this);
    RegisterDropTarget();
}

bool CPaintManagerUI::AttachRoot(CControlUI* root) {
    m_shadow.Create(this);
    FocusControl(nullptr);
    m_pEventKey = nullptr;
    m_pEventHover = nullptr;
    m_pEventClick = nullptr;
    if (m_pRoot && m_pRoot != root) {
        m_aPostPaintControls.Clear();
        AddDelayedCleanup(m_pRoot);
    }
    m_pRoot = root;
    m_bUpdateNeeded = true;
    m_bFirstLayout = true;
    m_bFocusNeeded = true;
    return InitControls(root);
}

bool CPaintManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
    if (!control) return false;
    control->SetManager(this, parent ? parent : control->GetParent(), true);
    control->FindControl(&FindControlFromNameHash, this, UIFIND_ALL);
    return true;
}

void CPaintManagerUI::ReleaseControlServices() {
    for (int i = 0; i < m_aDelayedCleanup.Count(); ++i) delete static_cast<CControlUI*>(m_aDelayedCleanup[i]);
    m_aDelayedCleanup.Clear();
    for (int i = 0; i < m_aAsyncNotify.Count(); ++i) delete static_cast<TNotifyMessage*>(m_aAsyncNotify[i]);
    m_aAsyncNotify.Clear();
    m_mNameHash.RemoveAll();
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;
    RemoveAllTimers();
    if (m_hWndPaint && m_hDcPaint) ReleaseDC(m_hWndPaint, m_hDcPaint);
    m_hDcPaint = nullptr;
}

void CPaintManagerUI::ReleaseControl(CControlUI* control) {
    if (!control) return;
    if (m_pEventKey == control) m_pEventKey = nullptr;
    if (m_pEventHover == control) m_pEventHover = nullptr;
    if (m_pEventClick == control) {
        m_pEventClick = nullptr;
        // Nobody would take the button up any more: the capture would outlive it and freeze the hover.
        if (m_bMouseCapture) ReleaseMouseCapture();
    }
    if (m_pFocus == control) m_pFocus = nullptr;
    if (m_pLosingFocus == control) m_pLosingFocus = nullptr;
    RemoveFrom(m_aNeedMouseLeaveNeeded, control);
}

void CPaintManagerUI::ForgetControl(CControlUI* control) {
    if (!control) return;
    ReleaseControl(control);
    for (int i = m_aTimers.Count() - 1; i >= 0; --i) {
        TTimerRecord* timer = TimerAt(m_aTimers, i);
        if (timer->pSender != control) continue;
        if (!timer->bKilled && IsWindow(timer->hWnd)) ::KillTimer(timer->hWnd, timer->uWinTimer);
        delete timer;
        m_aTimers.RemoveAt(i);
    }
    const CUIString name = control->GetName();
    if (!name.IsEmpty() && m_mNameHash.Lookup(name.Data()) == control) m_mNameHash.Remove(name.Data());
    for (int i = 0; i < m_aAsyncNotify.Count(); ++i) {
        auto* msg = static_cast<TNotifyMessage*>(m_aAsyncNotify[i]);
        if (msg->pSender == control) msg->pSender = nullptr;
    }
    RemoveFrom(m_aPostPaintControls, control);
    RemoveFrom(m_aFoundControls, control);
    RemoveFrom(m_aFoundByClass, control);
    const int native = m_aNativeWindowControl.IndexOf(control);
    if (native >= 0) {
        m_aNativeWindowControl.RemoveAt(native);
        m_aNativeWindow.RemoveAt(native);
    }
    std::vector<CUIString> groups;  // removing a member may delete its group: collect the names first
    for (int i = 0; i < m_optionGroups.Count(); ++i) groups.emplace_back(m_optionGroups.KeyAt(i));
    for (const CUIString& group : groups) RemoveFromOptionGroup(group.Data(), control);
}

// ---------------------------------------------------------------------------------------------------
// Notifications.

bool CPaintManagerUI::AddNotifyListener(INotifyUI* listener) {
    if (!listener || m_aNotifiers.IndexOf(listener) >= 0) return false;
    return m_aNotifiers.Add(listener);
}

bool CPaintManagerUI::RemoveNotifyListener(INotifyUI* listener) { return RemoveFrom(m_aNotifiers, listener); }

void CPaintManagerUI::RaiseNotify(CControlUI* control, const wchar_t* type, WPARAM wParam, LPARAM lParam, bool async) {
    TNotifyMessage msg;
    msg.sType = type;
    msg.pSender = control;
    msg.wParam = wParam;
    msg.lParam = lParam;
    RaiseNotify(msg, async);
}

void CPaintManagerUI::RaiseNotify(TNotifyMessage& msg, bool async) {
    msg.ptMouse = m_ptLastMousePos;
    msg.dwTimestamp = GetTickCount();
    if (m_bUsePages && msg.pSender) msg.sVirtualWnd = msg.pSender->GetVirtualWnd();
    if (!async) {
        DeliverNotify(msg);
        return;
    }
    auto* queued = new TNotifyMessage;
    queued->sType = msg.sType;
    queued->pSender = msg.pSender;
    queued->wParam = msg.wParam;
    queued->lParam = msg.lParam;
    queued->ptMouse = msg.ptMouse;
    queued->dwTimestamp = msg.dwTimestamp;
    if (!m_aAsyncNotify.Add(queued)) {
        delete queued;
        return;
    }
    PostPendingNotify();
}

void CPaintManagerUI::DeliverNotify(TNotifyMessage& msg) {
    const CUILifeWatch alive = m_life.Watch();
    const CUILifeWatch senderAlive = msg.pSender ? msg.pSender->WatchLife() : alive;
    if (msg.pSender && msg.pSender->OnNotify) msg.pSender->OnNotify(&msg);
    // A listener may add or remove listeners, or destroy the window, this manager or the sender, while
    // it runs: walk a copy, skip listeners removed meanwhile and stop when the manager or the sender is
    // gone (the rest would get a freed sender). The caller then finds no sender in the message.
    const CUIPtrArray listeners(m_aNotifiers);
    for (int i = 0; i < listeners.Count() && alive && senderAlive; ++i) {
        auto* listener = static_cast<INotifyUI*>(listeners[i]);
        if (m_aNotifiers.IndexOf(listener) >= 0) listener->Notify(msg);
    }
    if (!senderAlive) msg.pSender = nullptr;
}

void CPaintManagerUI::PostPendingNotify() {
    // Without a window the message would go to the thread queue and be lost, leaving the flag set.
    if (m_bAsyncNotifyPosted || !m_hWndPaint) return;
    m_bAsyncNotifyPosted = PostMessageW(m_hWndPaint, kPendingNotifyMessage, 0, 0) != FALSE;
}

void CPaintManagerUI::DeliverPendingNotify() {
    CUIPtrArray doomed(m_aDelayedCleanup);
    m_aDelayedCleanup.Clear();
    for (int i = 0; i < doomed.Count(); ++i) delete static_cast<CControlUI*>(doomed[i]);
    m_bAsyncNotifyPosted = false;
    const CUILifeWatch alive = m_life.Watch();
    while (!m_aAsyncNotify.IsEmpty()) {
        auto* msg = static_cast<TNotifyMessage*>(m_aAsyncNotify[0]);
        m_aAsyncNotify.RemoveAt(0);
        DeliverNotify(*msg);
        delete msg;
        // A handler closed the window: what is left is not delivered (the manager frees it).
        if (!alive || (m_hWndPaint && !IsWindow(m_hWndPaint))) return;
    }
}

void CPaintManagerUI::AddDelayedCleanup(CControlUI* control) {
    if (!control) return;
    // Forgotten now, while the subtree still points at this manager: once detached its controls could
    // no longer clear their timers, name entries and queued notifications when they are deleted.
    control->FindControl(&ForgetEach, this, UIFIND_ALL);
    control->SetManager(nullptr, nullptr, false);
    m_aDelayedCleanup.Add(control);
    PostPendingNotify();
}

// ---------------------------------------------------------------------------------------------------
// Focus and tab order.

// The old focus gets the kill-focus event and "killfocus"; false when a handler destroyed this manager
// (a window may close when it loses the focus). No control is focused while the handlers run, so that
// one of them may move the focus itself without the old control losing it twice.
bool CPaintManagerUI::KillFocus(CControlUI* next) {
    const CUILifeWatch alive = m_life.Watch();
    m_pLosingFocus = m_pFocus;
    m_pFocus = nullptr;
    TUIEvent event = MakeEvent(UIEVENT_KILLFOCUS, next);
    m_pLosingFocus->Event(event);
    if (!alive) return false;
    // A handler that deleted the control made the manager forget it: the notification has no sender.
    CControlUI* lost = m_pLosingFocus;
    m_pLosingFocus = nullptr;
    RaiseNotify(lost, L"killfocus");
    return static_cast<bool>(alive);
}

// A control focused here supersedes a tab move still waiting for the next paint: that move would start
// from this control and carry the focus one stop past the one just chosen.
void CPaintManagerUI::FocusControl(CControlUI* control) {
    if (m_hWndPaint && GetFocus() != m_hWndPaint && control != m_pFocus) SetFocus(m_hWndPaint);
    if (control == m_pFocus) {
        if (control) m_bFocusNeeded = false;
        return;
    }
    const unsigned change = ++m_focusChanges;
    if (m_pFocus && !KillFocus(control)) return;
    // A kill-focus handler that focused a control itself has the last word.
    if (change != m_focusChanges) return;
    if (control && control->GetManager() == this && control->IsVisible() && control->IsEnabled()) {
        m_pFocus = control;
        m_bFocusNeeded = false;
        const CUILifeWatch alive = m_life.Watch();
        TUIEvent event = MakeEvent(UIEVENT_SETFOCUS, control);
        control->Event(event);
        if (alive && m_pFocus == control) RaiseNotify(control, L"setfocus");
    }
}

void CPaintManagerUI::SetPendingFocus(CControlUI* control) {
    if (m_hWndPaint) SetFocus(m_hWndPaint);
    if (!control) return;
    const unsigned change = ++m_focusChanges;
    if (m_pFocus && !KillFocus(control)) return;
    if (change != m_focusChanges) return;  // a kill-focus handler moved the focus itself
    TFindTabInfo info = {control, nullptr, false, false};
    m_pFocus = m_pRoot ? m_pRoot->FindControl(&FindControlFromTab, &info, kTabSearchFlags) : nullptr;
    m_bFocusNeeded = true;
    if (m_pRoot) m_pRoot->NeedUpdate();
}

bool CPaintManagerUI::MoveTabFocus(bool forward) {
    if (m_bUpdateNeeded && forward) {
        m_bFocusNeeded = true;
        Invalidate();
        return true;
    }
    if (!m_pRoot) return false;
    TFindTabInfo info = {m_pFocus, nullptr, forward, false};
    CControlUI* next = m_pRoot->FindControl(&FindControlFromTab, &info, kTabSearchFlags);
    if (!next) {
        if (forward) {
            TFindTabInfo fromStart = {nullptr, nullptr, true, false};
            next = m_pRoot->FindControl(&FindControlFromTab, &fromStart, kTabSearchFlags);
        } else {
            next = info.last;
        }
    }
    if (!next) return false;  // no tab stop at all
    const CUILifeWatch alive = m_life.Watch();
    FocusControl(next);
    if (alive) m_bFocusNeeded = false;
    return true;
}

// ---------------------------------------------------------------------------------------------------
// Control timers.

UINT CPaintManagerUI::NextTimerId() {
    // Ids held by this window's records are skipped: after a wrap a new timer must not take over a
    // running (or revivable) one.
    for (UINT tries = 0; tries < kControlTimerIdCount; ++tries) {
        m_uTimerID = (m_uTimerID + 1) % kControlTimerIdCount;
        const UINT id = kFirstControlTimerId + m_uTimerID;
        bool used = false;
        for (int i = 0; i < m_aTimers.Count() && !used; ++i) {
            const TTimerRecord* timer = TimerAt(m_aTimers, i);
            used = timer->hWnd == m_hWndPaint && timer->uWinTimer == id;
        }
        if (!used) return id;
    }
    return 0;  // every id taken
}

bool CPaintManagerUI::StartControlTimer(CControlUI* control, UINT id, UINT elapse) {
    // Without a window SetTimer would make a thread timer that nobody routes.
    if (!control || !m_hWndPaint) return false;
    for (int i = 0; i < m_aTimers.Count(); ++i) {
        TTimerRecord* timer = TimerAt(m_aTimers, i);
        if (timer->pSender != control || timer->hWnd != m_hWndPaint || timer->nLocalID != id) continue;
        if (!timer->bKilled) return false;
        if (!::SetTimer(m_hWndPaint, timer->uWinTimer, elapse, nullptr)) return false;
        timer->bKilled = false;
        return true;
    }
    const UINT windowId = NextTimerId();
    if (windowId == 0 || !::SetTimer(m_hWndPaint, windowId, elapse, nullptr)) return false;
    auto* timer = new TTimerRecord{control, id, m_hWndPaint, windowId, false};
    if (!m_aTimers.Add(timer)) {
        ::KillTimer(m_hWndPaint, windowId);
        delete timer;
        return false;
    }
    return true;
}

bool CPaintManagerUI::FindTimerOwner(UINT windowTimerId, CControlUI*& control, UINT& localId) const {
    for (int i = 0; i < m_aTimers.Count(); ++i) {
        const TTimerRecord* timer = TimerAt(m_aTimers, i);
        if (timer->hWnd != m_hWndPaint || timer->uWinTimer != windowTimerId || timer->bKilled) continue;
        control = timer->pSender;
        localId = timer->nLocalID;
        return true;
    }
    return false;
}

bool CPaintManagerUI::StopControlTimer(CControlUI* control, UINT id) {
    for (int i = 0; i < m_aTimers.Count(); ++i) {
        TTimerRecord* timer = TimerAt(m_aTimers, i);
        if (timer->pSender != control || timer->hWnd != m_hWndPaint || timer->nLocalID != id || timer->bKilled)
            continue;
        if (IsWindow(timer->hWnd)) ::KillTimer(timer->hWnd, timer->uWinTimer);
        timer->bKilled = true;  // kept, so that a restart revives the same window timer id
        return true;
    }
    return false;
}

void CPaintManagerUI::StopAllControlTimers(CControlUI* control) {
    for (int i = m_aTimers.Count() - 1; i >= 0; --i) {
        TTimerRecord* timer = TimerAt(m_aTimers, i);
        if (timer->pSender != control || timer->hWnd != m_hWndPaint) continue;
        if (!timer->bKilled && IsWindow(timer->hWnd)) ::KillTimer(timer->hWnd, timer->uWinTimer);
        delete timer;
        m_aTimers.RemoveAt(i);
    }
}

void CPaintManagerUI::RemoveAllTimers() {
    for (int i = 0; i < m_aTimers.Count(); ++i) {
        TTimerRecord* timer = TimerAt(m_aTimers, i);
        if (!timer->bKilled && timer->hWnd == m_hWndPaint && IsWindow(timer->hWnd))
            ::KillTimer(timer->hWnd, timer->uWinTimer);
        delete timer;
    }
    m_aTimers.Clear();
}

// ---------------------------------------------------------------------------------------------------
// Lists of controls.

bool CPaintManagerUI::AddPostPaint(CControlUI* control) {
    if (!control || IsPostPaintControl(control)) return false;
    return m_aPostPaintControls.Add(control);
}

bool CPaintManagerUI::RemovePostPaint(CControlUI* control) { return RemoveFrom(m_aPostPaintControls, control); }

bool CPaintManagerUI::SetPostPaintIndex(CControlUI* control, int index) {
    if (!RemovePostPaint(control)) return false;
    return m_aPostPaintControls.InsertAt(index, control);
}

bool CPaintManagerUI::AddNativeChild(CControlUI* control, HWND child) {
    if (!control || !child || m_aNativeWindow.IndexOf(child) >= 0) return false;
    control->Invalidate();
    if (!m_aNativeWindow.Add(child)) return false;
    if (m_aNativeWindowControl.Add(control)) return true;
    m_aNativeWindow.RemoveAt(m_aNativeWindow.Count() - 1);
    return false;
}

bool CPaintManagerUI::RemoveNativeChild(HWND child) {
    const int index = m_aNativeWindow.IndexOf(child);
    if (index < 0) return false;
    m_aNativeWindow.RemoveAt(index);
    m_aNativeWindowControl.RemoveAt(index);
    return true;
}

bool CPaintManagerUI::AddMouseLeaveNeeded(CControlUI* control) {
    if (!control || m_aNeedMouseLeaveNeeded.IndexOf(control) >= 0) return false;
    return m_aNeedMouseLeaveNeeded.Add(control);
}

bool CPaintManagerUI::RemoveMouseLeaveNeeded(CControlUI* control) { return RemoveFrom(m_aNeedMouseLeaveNeeded, control); }

// ---------------------------------------------------------------------------------------------------
// Finding controls.

CControlUI* CPaintManagerUI::FindControlAtPoint(int x, int y) const { return FindSubControlByPoint(nullptr, x, y); }

CControlUI* CPaintManagerUI::FindControlByName(const wchar_t* name) const {
    return name ? static_cast<CControlUI*>(m_mNameHash.Lookup(name)) : nullptr;
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const wchar_t* name) const {
    CControlUI* start = parent ? parent : m_pRoot;
    return start ? start->FindControl(&FindControlFromName, const_cast<wchar_t*>(name), UIFIND_ALL) : nullptr;
}

CControlUI* CPaintManagerUI::FindSubControlByPoint(CControlUI* parent, int x, int y) const {
    CControlUI* start = parent ? parent : m_pRoot;
    POINT point = {x, y};
    return start ? start->FindControl(&FindControlFromPoint, &point, UIFIND_VISIBLE | UIFIND_HITTEST | UIFIND_TOP_FIRST)
                 : nullptr;
}

CControlUI* CPaintManagerUI::FindSubControlByClass(CControlUI* parent, const wchar_t* className, int index) {
    CControlUI* start = parent ? parent : m_pRoot;
    if (!start || index < 0) return nullptr;
    m_aFoundControls.Resize(index + 1);
    TFindClassInfo info = {this, className};
    return start->FindControl(&FindControlFromClass, &info, UIFIND_ALL);
}

CUIPtrArray* CPaintManagerUI::FindSubControlsByClass(CControlUI* parent, const wchar_t* className) {
    m_aFoundByClass.Clear();
    CControlUI* start = parent ? parent : m_pRoot;
    TFindClassInfo info = {this, className};
    if (start) start->FindControl(&FindControlsFromClass, &info, UIFIND_ALL);
    return &m_aFoundByClass;
}

// ---------------------------------------------------------------------------------------------------
// Invalidation.

void CPaintManagerUI::InvalidateArea(RECT rect) {
    // Without a window a null handle would invalidate every window of the desktop.
    if (!m_hWndPaint) return;
    if (rect.left < 0) rect.left = 0;
    if (rect.top < 0) rect.top = 0;
    if (rect.right < rect.left) rect.right = rect.left;
    if (rect.bottom < rect.top) rect.bottom = rect.top;
    UnionRect(&m_rcLayeredUpdate, &m_rcLayeredUpdate, &rect);
    InvalidateRect(m_hWndPaint, &rect, FALSE);
}

void CPaintManagerUI::Invalidate() {
    if (!m_hWndPaint) return;
    RECT client = {};
    GetClientRect(m_hWndPaint, &client);
    InvalidateArea(client);
}

// ---------------------------------------------------------------------------------------------------
// FindControl visitors.

CControlUI* CPaintManagerUI::FindControlFromPoint(CControlUI* control, void* point) {
    return PtInRect(&control->GetPos(), *static_cast<POINT*>(point)) ? control : nullptr;
}

CControlUI* CPaintManagerUI::FindControlFromName(CControlUI* control, void* name) {
    const CUIString own = control->GetName();
    return !own.IsEmpty() && own.CompareIgnoreCase(static_cast<const wchar_t*>(name)) == 0 ? control : nullptr;
}

namespace {

bool ClassMatches(CControlUI* control, const wchar_t* className) {
    return className && (wcscmp(className, L"*") == 0 || wcscmp(control->GetClass(), className) == 0);
}

}  // namespace

CControlUI* CPaintManagerUI::FindControlFromClass(CControlUI* control, void* data) {
    auto* info = static_cast<TFindClassInfo*>(data);
    if (!ClassMatches(control, info->className)) return nullptr;
    CUIPtrArray& found = info->manager->m_aFoundControls;
    int slot = 0;
    while (slot < found.Count() && found[slot]) ++slot;
    if (slot >= found.Count()) return nullptr;
    found.SetAt(slot, control);
    return slot == found.Count() - 1 ? control : nullptr;
}

CControlUI* CPaintManagerUI::FindControlsFromClass(CControlUI* control, void* data) {
    auto* info = static_cast<TFindClassInfo*>(data);
    if (ClassMatches(control, info->className)) info->manager->m_aFoundByClass.Add(control);
    return nullptr;
}

CControlUI* CPaintManagerUI::FindControlFromCount(CControlUI* /*control*/, void* counter) {
    ++*static_cast<int*>(counter);
    return nullptr;
}

CControlUI* CPaintManagerUI::FindControlFromNameHash(CControlUI* control, void* manager) {
    const CUIString name = control->GetName();
    if (!name.IsEmpty()) static_cast<CPaintManagerUI*>(manager)->m_mNameHash.Set(name.Data(), control);
    return nullptr;
}

CControlUI* CPaintManagerUI::FindControlFromUpdate(CControlUI* control, void* manager) {
    if (!control->IsUpdateNeeded()) return nullptr;
    static_cast<CPaintManagerUI*>(manager)->m_aFoundControls.Add(control);
    return control;
}

CControlUI* CPaintManagerUI::FindControlFromTab(CControlUI* control, void* data) {
    auto* info = static_cast<TFindTabInfo*>(data);
    if (info->focus == control) {
        if (info->forward) info->nextIsIt = true;
        return info->forward ? nullptr : info->last;
    }
    if (!(control->GetControlFlags() & UIFLAG_TABSTOP)) return nullptr;
    info->last = control;
    if (info->nextIsIt || !info->focus) return control;
    return nullptr;
}

}  // namespace SkinUI
