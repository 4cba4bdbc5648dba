#include "UIActiveXSite.h"

#include "UIComGuard.h"
#include "UIManager.h"

#include <new>

namespace SkinUI {

namespace {

template <class T>
void ReleaseAndClear(T*& pointer) {
    if (pointer) pointer->Release();
    pointer = nullptr;
}

// The frame's accelerator table: one empty entry, made once and kept for the process.
HACCEL EmptyAcceleratorTable() {
    static HACCEL table = [] {
        ACCEL entry = {};
        return CreateAcceleratorTableW(&entry, 1);
    }();
    return table;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Site

CActiveXCtrl::CActiveXCtrl(CActiveXUI* owner) : m_pOwner(owner) {}

CActiveXCtrl::~CActiveXCtrl() {
    if (m_pWindow) {
        HWND hwnd = m_pWindow->GetHandle();
        if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
        delete m_pWindow;
        m_pWindow = nullptr;
    }
    ReleaseAndClear(m_pUnkSite);
    ReleaseAndClear(m_pViewObject);
    ReleaseAndClear(m_pInPlaceObject);
}

STDMETHODIMP CActiveXCtrl::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *out = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleInPlaceSite || iid == IID_IOleInPlaceSiteEx || iid == IID_IOleInPlaceSiteWindowless ||
             iid == IID_IOleWindow)
        *out = static_cast<IOleInPlaceSiteWindowless*>(this);
    else if (iid == IID_IOleControlSite)
        *out = static_cast<IOleControlSite*>(this);
    else if (iid == IID_IObjectWithSite)
        *out = static_cast<IObjectWithSite*>(this);
    else if (iid == IID_IOleContainer || iid == IID_IParseDisplayName)
        *out = static_cast<IOleContainer*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXCtrl::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_dwRef)); }

STDMETHODIMP_(ULONG) CActiveXCtrl::Release() {
    const LONG count = InterlockedDecrement(&m_dwRef);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CActiveXCtrl::SetSite(IUnknown* site) {
    ReleaseAndClear(m_pUnkSite);
    if (site) {
        m_pUnkSite = site;
        m_pUnkSite->AddRef();
    }
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetSite(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!m_pUnkSite) return E_FAIL;
    return m_pUnkSite->QueryInterface(iid, out);
}

STDMETHODIMP CActiveXCtrl::SaveObject() { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::GetMoniker(DWORD, DWORD, IMoniker** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CActiveXCtrl::GetContainer(IOleContainer** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    HRESULT hr = E_NOTIMPL;
    if (m_pUnkSite) hr = m_pUnkSite->QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(out));
    if (FAILED(hr)) hr = QueryInterface(IID_IOleContainer, reinterpret_cast<void**>(out));
    return hr;
}

STDMETHODIMP CActiveXCtrl::ShowObject() {
    if (!m_pOwner) return E_UNEXPECTED;
    HWND host = m_pOwner->m_hwndHost;
    if (!m_pViewObject || !host) return S_OK;
    HDC dc = ::GetDC(host);
    if (!dc) return E_FAIL;
    const RECT& item = m_pOwner->GetPos();
    RECTL bounds = {item.left, item.top, item.right, item.bottom};
    m_pViewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, &bounds, nullptr, 0);
    ::ReleaseDC(host, dc);
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnShowWindow(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::RequestNewObjectLayout() { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::CanWindowlessActivate() { return S_OK; }
STDMETHODIMP CActiveXCtrl::GetCapture() { return m_bCaptured ? S_OK : S_FALSE; }

STDMETHODIMP CActiveXCtrl::SetCapture(BOOL capture) {
    if (!m_pOwner) return E_UNEXPECTED;
    m_bCaptured = capture != FALSE;
    if (m_bCaptured)
        ::SetCapture(m_pOwner->m_hwndHost);
    else
        ::ReleaseCapture();
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetFocus() { return m_bFocused ? S_OK : S_FALSE; }

STDMETHODIMP CActiveXCtrl::SetFocus(BOOL focus) {
    if (!m_pOwner) return E_UNEXPECTED;
    if (focus && FAILED(GuardedCall(L"CActiveXCtrl::SetFocus", [this] { m_pOwner->SetFocus(); return S_OK; }, E_FAIL)))
        return E_FAIL;
    m_bFocused = focus != FALSE;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetDC(LPCRECT, DWORD flags, HDC* dc) {
    if (!dc) return E_POINTER;
    *dc = nullptr;
    if (!m_pOwner) return E_UNEXPECTED;
    RECT fill = m_pOwner->ObjectRect(!m_bWindowless);
    if (m_bWindowless) {
        // A windowless object draws where the framework draws: the window's paint DC.
        CPaintManagerUI* manager = m_pOwner->GetManager();
        *dc = manager ? manager->GetPaintDeviceContext() : nullptr;
    } else {
        *dc = ::GetDC(m_pOwner->m_hwndHost);
    }
    if (!*dc) return E_FAIL;
    if (flags & OLEDC_PAINTBKGND) FillRect(*dc, &fill, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ReleaseDC(HDC dc) {
    if (!m_pOwner) return E_UNEXPECTED;
    CPaintManagerUI* manager = m_pOwner->GetManager();
    if (m_bWindowless && manager && dc == manager->GetPaintDeviceContext()) return S_OK;  // the window keeps it
    return ::ReleaseDC(m_pOwner->m_hwndHost, dc) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::InvalidateRect(LPCRECT rect, BOOL erase) {
    if (!m_pOwner) return E_UNEXPECTED;
    if (!m_pOwner->m_hwndHost) return E_FAIL;
    return ::InvalidateRect(m_pOwner->m_hwndHost, rect, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::InvalidateRgn(HRGN region, BOOL erase) {
    if (!m_pOwner) return E_UNEXPECTED;
    if (!m_pOwner->m_hwndHost) return E_FAIL;
    return ::InvalidateRgn(m_pOwner->m_hwndHost, region, erase) ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::ScrollRect(INT, INT, LPCRECT, LPCRECT) { return S_OK; }
STDMETHODIMP CActiveXCtrl::AdjustRect(LPRECT) { return S_OK; }

STDMETHODIMP CActiveXCtrl::OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!m_pOwner) return E_UNEXPECTED;
    const LRESULT answer = ::DefWindowProcW(m_pOwner->m_hwndHost, message, wParam, lParam);
    if (result) *result = answer;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceActivateEx(BOOL*, DWORD flags) {
    if (!m_pOwner || !m_pOwner->m_pUnk) return E_UNEXPECTED;
    if (!m_bRunningLocked) m_bRunningLocked = SUCCEEDED(OleLockRunning(m_pOwner->m_pUnk, TRUE, FALSE));
    HRESULT hr = E_FAIL;
    if (flags & ACTIVATE_WINDOWLESS) {
        m_bWindowless = true;
        IOleInPlaceObjectWindowless* windowless = nullptr;
        hr = m_pOwner->m_pUnk->QueryInterface(IID_IOleInPlaceObjectWindowless, reinterpret_cast<void**>(&windowless));
        if (SUCCEEDED(hr) && windowless) {
            ReleaseAndClear(m_pInPlaceObject);
            m_pInPlaceObject = windowless;
            CPaintManagerUI* manager = m_pOwner->GetManager();
            m_pOwner->m_hwndHost = manager ? manager->GetWindowHandle() : nullptr;
            if (manager) manager->AddWindowMessageFilter(m_pOwner);
        } else {
            hr = E_FAIL;
        }
    }
    if (FAILED(hr)) {
        m_bWindowless = false;
        hr = CreateActiveXWnd();
        if (FAILED(hr)) return hr;
        IOleInPlaceObject* object = nullptr;
        hr = m_pOwner->m_pUnk->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&object));
        ReleaseAndClear(m_pInPlaceObject);
        m_pInPlaceObject = SUCCEEDED(hr) ? object : nullptr;
    }
    if (m_pInPlaceObject && !m_pOwner->IsMFC()) {
        const RECT rect = m_pOwner->ObjectRect(!m_bWindowless);
        m_pInPlaceObject->SetObjectRects(&rect, &rect);
    }
    m_bInPlaceActive = SUCCEEDED(hr);
    return hr;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivateEx(BOOL) {
    m_bInPlaceActive = false;
    ReleaseAndClear(m_pInPlaceObject);
    UnlockRunning();
    if (m_pWindow) {
        HWND hwnd = m_pWindow->GetHandle();
        if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
        delete m_pWindow;
        m_pWindow = nullptr;
    }
    return S_OK;
}

void CActiveXCtrl::UnlockRunning() {
    if (!m_bRunningLocked) return;
    m_bRunningLocked = false;
    if (m_pOwner && m_pOwner->m_pUnk) OleLockRunning(m_pOwner->m_pUnk, FALSE, FALSE);
}

STDMETHODIMP CActiveXCtrl::RequestUIActivate() { return S_OK; }
STDMETHODIMP CActiveXCtrl::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP CActiveXCtrl::OnInPlaceActivate() {
    BOOL noRedraw = FALSE;
    return OnInPlaceActivateEx(&noRedraw, 0);
}

STDMETHODIMP CActiveXCtrl::OnUIActivate() {
    m_bUIActivated = true;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                            LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !document || !position || !clip || !info) return E_POINTER;
    *frame = nullptr;
    *document = nullptr;
    if (!m_pOwner) return E_UNEXPECTED;
    *frame = new (std::nothrow) CActiveXFrameWnd(m_pOwner);
    if (!*frame) return E_OUTOFMEMORY;
    RECT rect = m_pOwner->ObjectRect(!m_bWindowless);
    if (m_pWindow) ::GetClientRect(m_pWindow->GetHandle(), &rect);
    *position = rect;
    *clip = rect;
    CPaintManagerUI* manager = m_pOwner->GetManager();
    info->cb = sizeof(OLEINPLACEFRAMEINFO);
    info->fMDIApp = FALSE;
    info->hwndFrame = manager ? manager->GetWindowHandle() : nullptr;
    info->haccel = EmptyAcceleratorTable();
    info->cAccelEntries = 1;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::Scroll(SIZE) { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::OnUIDeactivate(BOOL) {
    m_bUIActivated = false;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::OnInPlaceDeactivate() { return OnInPlaceDeactivateEx(TRUE); }
STDMETHODIMP CActiveXCtrl::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::DeactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP CActiveXCtrl::OnPosRectChange(LPCRECT) { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = nullptr;
    if (!m_pOwner) return E_UNEXPECTED;
    if (!m_pOwner->m_hwndHost) CreateActiveXWnd();
    *window = m_pOwner->m_hwndHost;
    return *window ? S_OK : E_FAIL;
}

STDMETHODIMP CActiveXCtrl::ContextSensitiveHelp(BOOL) { return S_OK; }
STDMETHODIMP CActiveXCtrl::OnControlInfoChanged() { return S_OK; }
STDMETHODIMP CActiveXCtrl::LockInPlaceActive(BOOL) { return S_OK; }

STDMETHODIMP CActiveXCtrl::GetExtendedControl(IDispatch** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!m_pOwner || !m_pOwner->m_pUnk) return E_UNEXPECTED;
    return m_pOwner->m_pUnk->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(out));
}

STDMETHODIMP CActiveXCtrl::TransformCoords(POINTL*, POINTF*, DWORD) { return S_OK; }
STDMETHODIMP CActiveXCtrl::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }

STDMETHODIMP CActiveXCtrl::OnFocus(BOOL got) {
    m_bFocused = got != FALSE;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ShowPropertyFrame() { return E_NOTIMPL; }

STDMETHODIMP CActiveXCtrl::EnumObjects(DWORD, IEnumUnknown** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!m_pOwner) return E_UNEXPECTED;
    *out = new (std::nothrow) CActiveXEnum(m_pOwner->m_pUnk);
    return *out ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CActiveXCtrl::LockContainer(BOOL lock) {
    m_bLocked = lock != FALSE;
    return S_OK;
}

STDMETHODIMP CActiveXCtrl::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG*, IMoniker** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

HRESULT CActiveXCtrl::CreateActiveXWnd() {
    if (m_pWindow) return S_OK;
    if (!m_pOwner) return E_UNEXPECTED;
    CPaintManagerUI* manager = m_pOwner->GetManager();
    m_pWindow = CActiveXWnd::Create(this, manager ? manager->GetWindowHandle() : nullptr);
    if (!m_pWindow) return E_OUTOFMEMORY;
    m_pOwner->m_hwndHost = m_pWindow->GetHandle();
    if (!m_pOwner->IsVisible()) ::ShowWindow(m_pOwner->m_hwndHost, SW_HIDE);  // a hidden page's control
    if (manager && manager->IsLayeredWindow()) manager->AddNativeChild(m_pOwner, m_pOwner->m_hwndHost);
    return S_OK;
}

// ---------------------------------------------------------------------------------------------------
// Child window of a windowed control

CActiveXWnd* CActiveXWnd::Create(CActiveXCtrl* site, HWND parent) {
    auto* window = new (std::nothrow) CActiveXWnd(site);
    if (!window) return nullptr;
    if (!window->CreateNativeWindow(parent, L"UIActiveX", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                                    0, 0, 0, 0)) {
        delete window;
        return nullptr;
    }
    return window;
}

void CActiveXWnd::DoVerb(LONG verb) {
    CActiveXUI* owner = m_pOwner->m_pOwner;
    if (!owner || !owner->m_pUnk) return;
    RECT client = {};
    ::GetClientRect(m_hWnd, &client);
    owner->m_pUnk->DoVerb(verb, nullptr, static_cast<IOleClientSite*>(m_pOwner), 0, m_hWnd, &client);
}

LRESULT CActiveXWnd::HandleWndMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    CActiveXUI* owner = m_pOwner->m_pOwner;
    switch (message) {
    case WM_ERASEBKGND:
        if (m_pOwner->m_pViewObject) return 1;
        break;
    case WM_SETFOCUS:
        m_pOwner->m_bFocused = true;
        if (!m_pOwner->m_bUIActivated) DoVerb(OLEIVERB_UIACTIVATE);
        break;
    case WM_KILLFOCUS:
        m_pOwner->m_bFocused = false;
        break;
    case WM_MOUSEACTIVATE: {
        DWORD misc = 0;
        if (owner && owner->m_pUnk) owner->m_pUnk->GetMiscStatus(DVASPECT_CONTENT, &misc);
        if (!(misc & OLEMISC_NOUIACTIVATE) && !m_pOwner->m_bInPlaceActive) DoVerb(OLEIVERB_INPLACEACTIVATE);
        break;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(m_hWnd, &ps);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_PRINT:
        if (m_pOwner->m_pViewObject) {
            RECT client = {};
            ::GetClientRect(m_hWnd, &client);
            RECTL bounds = {client.left, client.top, client.right, client.bottom};
            m_pOwner->m_pViewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr,
                                          reinterpret_cast<HDC>(wParam), &bounds, nullptr, nullptr, 0);
        }
        return 0;
    case WM_MOUSEWHEEL:
        return 0;
    default:
        break;
    }
    return CWindowWnd::HandleWndMessage(message, wParam, lParam);
}

void CActiveXWnd::OnWindowDestroyed(HWND hwnd) {
    CActiveXUI* owner = m_pOwner->m_pOwner;
    CPaintManagerUI* manager = owner ? owner->GetManager() : nullptr;
    if (manager && manager->IsLayeredWindow()) manager->RemoveNativeChild(hwnd);
}

// ---------------------------------------------------------------------------------------------------
// In-place frame

CActiveXFrameWnd::CActiveXFrameWnd(CActiveXUI* owner) : m_pOwner(owner) {}

CActiveXFrameWnd::~CActiveXFrameWnd() { ReleaseAndClear(m_pActiveObject); }

STDMETHODIMP CActiveXFrameWnd::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
        *out = static_cast<IOleInPlaceFrame*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXFrameWnd::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_dwRef)); }

STDMETHODIMP_(ULONG) CActiveXFrameWnd::Release() {
    const LONG count = InterlockedDecrement(&m_dwRef);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CActiveXFrameWnd::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    CPaintManagerUI* manager = m_pOwner ? m_pOwner->GetManager() : nullptr;
    *window = manager ? manager->GetWindowHandle() : nullptr;
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::ContextSensitiveHelp(BOOL) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::GetBorder(LPRECT) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP CActiveXFrameWnd::SetBorderSpace(LPCBORDERWIDTHS) { return S_OK; }

STDMETHODIMP CActiveXFrameWnd::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
    if (object) object->AddRef();
    ReleaseAndClear(m_pActiveObject);
    m_pActiveObject = object;
    return S_OK;
}

STDMETHODIMP CActiveXFrameWnd::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::RemoveMenus(HMENU) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP CActiveXFrameWnd::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// ---------------------------------------------------------------------------------------------------
// Enumerator

CActiveXEnum::CActiveXEnum(IUnknown* object) : m_pUnk(object) {
    if (m_pUnk) m_pUnk->AddRef();
}

CActiveXEnum::~CActiveXEnum() { ReleaseAndClear(m_pUnk); }

STDMETHODIMP CActiveXEnum::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IEnumUnknown) *out = static_cast<IEnumUnknown*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CActiveXEnum::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_dwRef)); }

STDMETHODIMP_(ULONG) CActiveXEnum::Release() {
    const LONG count = InterlockedDecrement(&m_dwRef);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CActiveXEnum::Next(ULONG count, IUnknown** out, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (!out) return E_POINTER;
    if (count == 0) return S_OK;
    *out = nullptr;
    if (++m_iPos > 1 || !m_pUnk) return S_FALSE;
    *out = m_pUnk;
    m_pUnk->AddRef();
    if (fetched) *fetched = 1;
    return count == 1 ? S_OK : S_FALSE;
}

STDMETHODIMP CActiveXEnum::Skip(ULONG count) {
    m_iPos += count;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Reset() {
    m_iPos = 0;
    return S_OK;
}

STDMETHODIMP CActiveXEnum::Clone(IEnumUnknown** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

}  // namespace SkinUI
