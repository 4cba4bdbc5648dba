#include "UIActiveX.h"

#include "UIActiveXSite.h"
#include "UIAttributes.h"
#include "UIManager.h"

#include <cwchar>

namespace SkinUI {

namespace {

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, LPVOID*);

constexpr DWORD kCreateContexts =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

bool IsNullClsid(const CLSID& clsid) { return IsEqualCLSID(clsid, CLSID_NULL) != 0; }

POINT ClientPointOf(HWND window, UINT message, LPARAM lParam) {
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (message == WM_SETCURSOR) {
        GetCursorPos(&point);
        ScreenToClient(window, &point);
    } else if (message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL) {
        ScreenToClient(window, &point);  // wheel messages carry screen coordinates
    }
    return point;
}

}  // namespace

SIZEL PixelsToHimetric(SIZE pixels) {
    HDC screen = GetDC(nullptr);
    const int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    const int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return {MulDiv(pixels.cx, 2540, dpiX > 0 ? dpiX : 96), MulDiv(pixels.cy, 2540, dpiY > 0 ? dpiY : 96)};
}

CActiveXUI::CActiveXUI() = default;

CActiveXUI::~CActiveXUI() { ReleaseControl(); }

CControlUI* CActiveXUI::CreateControl() { return new CActiveXUI; }

const wchar_t* CActiveXUI::GetClass() const { return L"ActiveXUI"; }

void* CActiveXUI::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"ActiveX") == 0) return static_cast<CActiveXUI*>(this);
    return CControlUI::GetInterface(name);
}

bool CActiveXUI::SetCLSID(const wchar_t* text) {
    // Longer texts name no class (a braced id is 38 characters, a ProgID at most 39).
    if (!text || wcslen(text) > kMaxClassText) return CreateControl(CLSID_NULL);
    wchar_t copy[kMaxClassText + 1] = {};
    wcsncpy(copy, text, kMaxClassText);
    CLSID clsid = CLSID_NULL;
    if (copy[0] == L'{') {
        if (FAILED(CLSIDFromString(copy, &clsid))) clsid = CLSID_NULL;
    } else if (FAILED(CLSIDFromProgID(copy, &clsid))) {
        clsid = CLSID_NULL;
    }
    return CreateControl(clsid);
}

bool CActiveXUI::CreateControl(const CLSID& clsid) {
    if (IsNullClsid(clsid)) return false;
    m_bCreated = false;
    m_clsid = clsid;
    if (!m_bDelayCreate) DoCreateControl();
    return true;
}

void CActiveXUI::SetDelayCreate(bool delay) {
    if (m_bDelayCreate == delay) return;
    if (!delay && !m_bCreated && !IsNullClsid(m_clsid)) {
        m_bDelayCreate = delay;
        DoCreateControl();
        return;
    }
    m_bDelayCreate = delay;
}

HRESULT CActiveXUI::GetControl(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!m_pUnk) return E_PENDING;
    return m_pUnk->QueryInterface(iid, out);
}

RECT CActiveXUI::ObjectRect(bool windowed) const {
    RECT rect = m_rcItem;
    if (windowed) OffsetRect(&rect, -rect.left, -rect.top);
    return rect;
}

void CActiveXUI::MoveHostWindow() {
    if (!m_pControl || m_pControl->m_bWindowless || !m_pControl->m_pWindow) return;
    ::MoveWindow(m_hwndHost, m_rcItem.left, m_rcItem.top, m_rcItem.Width(), m_rcItem.Height(), TRUE);
}

void CActiveXUI::ShowHostWindow() {
    if (!m_pControl || m_pControl->m_bWindowless || !m_pControl->m_pWindow) return;
    ::ShowWindow(m_hwndHost, IsVisible() ? SW_SHOW : SW_HIDE);
}

void CActiveXUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    if (!m_bCreated) DoCreateControl();
    if (!m_pUnk || !m_pControl) return;
    SIZEL extent = PixelsToHimetric({m_rcItem.Width(), m_rcItem.Height()});
    m_pUnk->SetExtent(DVASPECT_CONTENT, &extent);
    if (m_pControl->m_pInPlaceObject) {
        const RECT objectRect = ObjectRect(!m_pControl->m_bWindowless);
        m_pControl->m_pInPlaceObject->SetObjectRects(&objectRect, &objectRect);
    }
    MoveHostWindow();
}

void CActiveXUI::Move(SIZE offset, bool needInvalidate) {
    CControlUI::Move(offset, needInvalidate);
    MoveHostWindow();
}

void CActiveXUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    ShowHostWindow();
}

void CActiveXUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    ShowHostWindow();
}

void CActiveXUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (wcscmp(name, L"clsid") == 0)
        SetCLSID(value);
    else if (wcscmp(name, L"modulename") == 0)
        SetModuleName(value);
    else if (wcscmp(name, L"delaycreate") == 0)
        SetDelayCreate(wcscmp(value, L"true") == 0);
    else
        CControlUI::SetAttribute(name, value);
}

bool CActiveXUI::DoPaint(HDC hdc, const RECT&, CControlUI*) {
    if (m_pControl && m_pControl->m_bWindowless && m_pControl->m_pViewObject) {
        RECTL bounds = {m_rcItem.left, m_rcItem.top, m_rcItem.right, m_rcItem.bottom};
        m_pControl->m_pViewObject->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &bounds, &bounds,
                                        nullptr, 0);
    }
    return true;
}

void CActiveXUI::ReleaseControl() {
    if (m_pManager) m_pManager->RemoveWindowMessageFilter(this);
    if (m_pUnk) {
        IObjectWithSite* withSite = nullptr;
        if (SUCCEEDED(m_pUnk->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite))) &&
            withSite) {
            withSite->SetSite(nullptr);
            withSite->Release();
        }
        if (!m_bMFC) m_pUnk->Close(OLECLOSE_NOSAVE);
        // Closing normally deactivates the object, which ends its running lock; otherwise end it here.
        if (m_pControl) m_pControl->UnlockRunning();
        m_pUnk->SetClientSite(nullptr);
        m_pUnk->Release();
        m_pUnk = nullptr;
    }
    if (m_pControl) {
        m_pControl->m_pOwner = nullptr;
        m_pControl->Release();
        m_pControl = nullptr;
    }
    m_hwndHost = nullptr;
}

IUnknown* CActiveXUI::CreateFromModule() {
    if (m_sModuleName.IsEmpty()) return nullptr;
    HMODULE module = LoadLibraryW(m_sModuleName.Data());  // kept loaded: the object's code lives there
    if (!module) return nullptr;
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    if (!getClassObject) return nullptr;
    IClassFactory* factory = nullptr;
    if (FAILED(getClassObject(m_clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory))) || !factory)
        return nullptr;
    IOleObject* object = nullptr;
    const HRESULT hr = factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&object));
    factory->Release();
    return SUCCEEDED(hr) ? object : nullptr;
}

bool CActiveXUI::DoCreateControl() {
    ReleaseControl();
    m_bCreated = true;
    IUnknown* created = CreateFromModule();
    if (!created) {
        IOleControl* control = nullptr;
        if (FAILED(CoCreateInstance(m_clsid, nullptr, kCreateContexts, IID_IOleControl,
                                    reinterpret_cast<void**>(&control))) ||
            !control)
            return false;
        created = control;
    }
    const HRESULT hr = created->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&m_pUnk));
    created->Release();
    if (FAILED(hr) || !m_pUnk) {
        m_pUnk = nullptr;
        return false;
    }
    m_pControl = new CActiveXCtrl(this);
    DWORD misc = 0;
    m_pUnk->GetMiscStatus(DVASPECT_CONTENT, &misc);
    IOleClientSite* clientSite = nullptr;
    m_pControl->QueryInterface(IID_IOleClientSite, reinterpret_cast<void**>(&clientSite));
    if (misc & OLEMISC_SETCLIENTSITEFIRST) m_pUnk->SetClientSite(clientSite);

    IPersistStreamInit* persist = nullptr;
    if (SUCCEEDED(m_pUnk->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist))) && persist) {
        const HRESULT initialised = persist->InitNew();
        persist->Release();
        if (FAILED(initialised)) {
            clientSite->Release();
            ReleaseControl();  // an object that cannot start is not kept half set up
            return false;
        }
    }
    if (!(misc & OLEMISC_SETCLIENTSITEFIRST)) m_pUnk->SetClientSite(clientSite);
    static const IID* const kViewInterfaces[] = {&IID_IViewObjectEx, &IID_IViewObject2, &IID_IViewObject};
    for (const IID* iid : kViewInterfaces) {
        if (SUCCEEDED(m_pUnk->QueryInterface(*iid, reinterpret_cast<void**>(&m_pControl->m_pViewObject))) &&
            m_pControl->m_pViewObject)
            break;
        m_pControl->m_pViewObject = nullptr;
    }
    m_pUnk->SetHostNames(L"UIActiveX", nullptr);
    if (m_pManager) m_pManager->RaiseNotify(this, L"showactivex");
    if (m_pUnk && !(misc & OLEMISC_INVISIBLEATRUNTIME) && m_pManager) {
        m_pUnk->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, clientSite, 0, m_pManager->GetWindowHandle(), &m_rcItem);
    }
    IObjectWithSite* withSite = nullptr;
    if (m_pUnk && SUCCEEDED(m_pUnk->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite))) &&
        withSite) {
        withSite->SetSite(static_cast<IOleClientSite*>(m_pControl));
        withSite->Release();
    }
    clientSite->Release();
    return m_pUnk != nullptr;
}

LRESULT CActiveXUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    CActiveXCtrl* site = m_pControl;
    if (!site || !site->m_bInPlaceActive || !site->m_bWindowless || !site->m_pInPlaceObject) return 0;
    bool wasHandled = true;
    const bool mouse = message >= WM_MOUSEFIRST && message <= WM_MOUSELAST;
    if (mouse || message == WM_SETCURSOR) {
        if (mouse && !IsMouseEnabled()) return 0;
        if (!site->m_bCaptured) {
            DWORD hit = HITRESULT_OUTSIDE;
            IViewObjectEx* viewEx = nullptr;
            if (site->m_pViewObject &&
                SUCCEEDED(site->m_pViewObject->QueryInterface(IID_IViewObjectEx, reinterpret_cast<void**>(&viewEx))) &&
                viewEx) {
                const POINT point =
                    ClientPointOf(m_pManager ? m_pManager->GetWindowHandle() : nullptr, message, lParam);
                viewEx->QueryHitPoint(DVASPECT_CONTENT, &m_rcItem, point, 0, &hit);
                viewEx->Release();
            }
            if (hit != HITRESULT_HIT) return 0;
        }
        if (message == WM_SETCURSOR) wasHandled = false;
    } else if (message >= WM_KEYFIRST && message <= WM_KEYLAST) {
        if (!IsFocused()) return 0;
    } else if (message == WM_HELP || message == WM_CONTEXTMENU) {
        wasHandled = false;
    } else {
        return 0;
    }
    LRESULT result = 0;
    auto* windowless = static_cast<IOleInPlaceObjectWindowless*>(site->m_pInPlaceObject);
    if (windowless->OnWindowMessage(message, wParam, lParam, &result) == S_OK) handled = wasHandled;
    return result;
}

void CActiveXUI::ConnectEventSink(IUnknown* source, REFIID events, IDispatch* sink, DWORD& cookie, bool connect) {
    if (!source || connect == (cookie != 0)) return;
    IConnectionPointContainer* container = nullptr;
    if (FAILED(source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container))) ||
        !container)
        return;
    IConnectionPoint* point = nullptr;
    if (SUCCEEDED(container->FindConnectionPoint(events, &point)) && point) {
        if (connect) {
            if (FAILED(point->Advise(sink, &cookie))) cookie = 0;
        } else {
            point->Unadvise(cookie);
            cookie = 0;
        }
        point->Release();
    }
    container->Release();
}

}  // namespace SkinUI
