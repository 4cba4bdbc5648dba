#include "UIWebBrowser.h"

#include "UIAttributes.h"
#include "UIComGuard.h"
#include "UIManager.h"

#include <exdispid.h>
#include <mshtml.h>
#include <olectl.h>

#include <cwchar>

namespace SkinUI {

namespace {

// {8856F961-340A-11D0-A96B-00C04FD705A2}
const CLSID kClsidWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};
// {F38BC242-B950-11D1-8918-00C04FC2C836}
const GUID kCgidDocHostCommandHandler = {0xF38BC242, 0xB950, 0x11D1, {0x89, 0x18, 0x00, 0xC0, 0x4F, 0xC2, 0xC8, 0x36}};
// {3050F3F0-98B5-11CF-BB82-00AA00BDCE0B}
const IID kIidCustomDoc = {0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};
// {988934A4-064B-11D3-BB80-00104B35E7F9}: the download-manager service, which this host does not offer.
const GUID kSidDownloadManager = {0x988934A4, 0x064B, 0x11D3, {0xBB, 0x80, 0x00, 0x10, 0x4B, 0x35, 0xE7, 0xF9}};

constexpr DWORD kNoBorders = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_NO3DOUTERBORDER;
constexpr DWORD kShowScriptError = 40;

HRESULT InvokeByName(IDispatch* object, const wchar_t* name, WORD flags, DISPPARAMS& params, VARIANT* result) {
    if (!object || !name) return E_FAIL;
    DISPID id = 0;
    auto* member = const_cast<LPOLESTR>(name);
    if (FAILED(object->GetIDsOfNames(IID_NULL, &member, 1, LOCALE_SYSTEM_DEFAULT, &id))) return E_FAIL;
    return object->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, flags, &params, result, nullptr, nullptr);
}

// The event's argument at position i counted from the first (they arrive last first).
VARIANT* Arg(DISPPARAMS* params, UINT i, UINT count) { return &params->rgvarg[count - 1 - i]; }

}  // namespace

CWebBrowserUI::CWebBrowserUI() { m_clsid = kClsidWebBrowser; }

CWebBrowserUI::~CWebBrowserUI() {
    // First: the browser lets go of the parts that live in this object.
    ReleaseControl();
}

CControlUI* CWebBrowserUI::CreateControl() { return new CWebBrowserUI; }

const wchar_t* CWebBrowserUI::GetClass() const { return L"WebBrowserUI"; }

void* CWebBrowserUI::GetInterface(const wchar_t* name) {
    if (EqualsIgnoreCase(name, L"WebBrowser")) return static_cast<CWebBrowserUI*>(this);
    return CActiveXUI::GetInterface(name);
}

void CWebBrowserUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (EqualsIgnoreCase(name, L"homepage"))
        SetHomePage(value);
    else if (EqualsIgnoreCase(name, L"autonavi"))
        SetAutoNavigation(IsTrue(value));
    else
        CActiveXUI::SetAttribute(name, value);
}

void CWebBrowserUI::SetWebBrowserEventHandler(CWebBrowserEventHandler* handler) {
    if (handler) m_pWebBrowserEventHandler = handler;
}

void CWebBrowserUI::SetHomePage(const wchar_t* url) { m_sHomePage.Format(L"%s", url ? url : L""); }

void CWebBrowserUI::Navigate(const wchar_t* url) {
    if (!m_pWebBrowser2 || !url) return;
    BSTR text = SysAllocString(url);
    m_pWebBrowser2->Navigate(text, nullptr, nullptr, nullptr, nullptr);
    SysFreeString(text);
}

void CWebBrowserUI::NavigateUrl(const wchar_t* url) {
    if (!m_pWebBrowser2 || !url) return;
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocString(url);
    m_pWebBrowser2->Navigate2(&target, nullptr, nullptr, nullptr, nullptr);
    VariantClear(&target);
}

LRESULT CWebBrowserUI::ExtendedCall(UINT_PTR a, UINT_PTR b, UINT_PTR c, UINT_PTR d, UINT_PTR e, UINT_PTR f, UINT_PTR g,
                                    UINT_PTR h) {
    if (!m_pWebBrowserEventHandler) return 0;
    return m_pWebBrowserEventHandler->ExtendedCall(this, a, b, c, d, e, f, g, h);
}

HRESULT CWebBrowserUI::GetProperty(IDispatch* object, const wchar_t* name, VARIANT* value) {
    DISPPARAMS params = {};
    return InvokeByName(object, name, DISPATCH_PROPERTYGET, params, value);
}

HRESULT CWebBrowserUI::InvokeMethod(IDispatch* object, const wchar_t* name, VARIANT* result, VARIANT* args, int count) {
    DISPPARAMS params = {args, nullptr, static_cast<UINT>(count > 0 ? count : 0), 0};
    return InvokeByName(object, name, DISPATCH_METHOD, params, result);
}

HRESULT CWebBrowserUI::SetProperty(IDispatch* object, const wchar_t* name, VARIANT* value) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {value, &named, 1, 1};
    return InvokeByName(object, name, DISPATCH_PROPERTYPUT, params, nullptr);
}

// ---------------------------------------------------------------------------------------------------
// Creation and release

bool CWebBrowserUI::DoCreateControl() {
    if (!CActiveXUI::DoCreateControl()) return false;
    if (m_pManager) m_pManager->AddKeyTranslator(this);
    GetControl(IID_IWebBrowser2, reinterpret_cast<void**>(&m_pWebBrowser2));
    if (m_bAutoNavi && !m_sHomePage.IsEmpty()) Navigate(m_sHomePage.Data());
    ConnectEvents(true);
    return true;
}

void CWebBrowserUI::ReleaseControl() {
    m_bCreated = false;
    if (m_pManager) m_pManager->RemoveKeyTranslator(this);
    ConnectEvents(false);
    DetachDocumentHandler();
    if (m_pWebBrowser2) {
        m_pWebBrowser2->Release();
        m_pWebBrowser2 = nullptr;
    }
    CActiveXUI::ReleaseControl();
}

void CWebBrowserUI::ConnectEvents(bool connect) {
    ConnectEventSink(m_pWebBrowser2, DIID_DWebBrowserEvents2, static_cast<IDispatch*>(this), m_dwCookie, connect);
}

void CWebBrowserUI::AttachDocumentHandler(IDispatch* browserDispatch) {
    if (!browserDispatch) return;
    IWebBrowser2* browser = nullptr;
    if (FAILED(browserDispatch->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser))) || !browser)
        return;
    IDispatch* document = nullptr;
    if (SUCCEEDED(browser->get_Document(&document)) && document) {
        ICustomDoc* custom = nullptr;
        if (SUCCEEDED(document->QueryInterface(kIidCustomDoc, reinterpret_cast<void**>(&custom))) && custom) {
            DetachDocumentHandler();
            custom->SetUIHandler(static_cast<IDocHostUIHandler*>(this));
            m_pCustomDoc = custom;
        }
        document->Release();
    }
    browser->Release();
}

void CWebBrowserUI::DetachDocumentHandler() {
    if (!m_pCustomDoc) return;
    m_pCustomDoc->SetUIHandler(nullptr);
    m_pCustomDoc->Release();
    m_pCustomDoc = nullptr;
}

// ---------------------------------------------------------------------------------------------------
// IUnknown

STDMETHODIMP CWebBrowserUI::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDocHostUIHandler)
        *out = static_cast<IDocHostUIHandler*>(this);
    else if (iid == IID_IDispatch)
        *out = static_cast<IDispatch*>(this);
    else if (iid == IID_IServiceProvider)
        *out = static_cast<IServiceProvider*>(this);
    else if (iid == IID_IOleCommandTarget)
        *out = static_cast<IOleCommandTarget*>(this);
    else if (iid == IID_IInternetSecurityManager)
        *out = static_cast<IInternetSecurityManager*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CWebBrowserUI::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_dwRef)); }
STDMETHODIMP_(ULONG) CWebBrowserUI::Release() { return static_cast<ULONG>(InterlockedDecrement(&m_dwRef)); }

// ---------------------------------------------------------------------------------------------------
// IDocHostUIHandler

STDMETHODIMP CWebBrowserUI::ShowContextMenu(DWORD id, POINT* point, IUnknown* reserved, IDispatch* dispatchReserved) {
    return Ask(L"ShowContextMenu", S_FALSE,
               [&](Handler& h) { return h.ShowContextMenu(this, id, point, reserved, dispatchReserved); });
}

STDMETHODIMP CWebBrowserUI::GetHostInfo(DOCHOSTUIINFO* info) {
    if (info) info->dwFlags |= kNoBorders;
    return Ask(L"GetHostInfo", S_OK, [&](Handler& h) { return h.GetHostInfo(this, info); });
}

STDMETHODIMP CWebBrowserUI::ShowUI(DWORD id, IOleInPlaceActiveObject* object, IOleCommandTarget* target,
                                   IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) {
    return Ask(L"ShowUI", S_OK, [&](Handler& h) { return h.ShowUI(this, id, object, target, frame, document); });
}

STDMETHODIMP CWebBrowserUI::HideUI() {
    return Ask(L"HideUI", S_OK, [&](Handler& h) { return h.HideUI(this); });
}

STDMETHODIMP CWebBrowserUI::UpdateUI() {
    return Ask(L"UpdateUI", S_OK, [&](Handler& h) { return h.UpdateUI(this); });
}

STDMETHODIMP CWebBrowserUI::EnableModeless(BOOL enable) {
    return Ask(L"EnableModeless", E_NOTIMPL, [&](Handler& h) { return h.EnableModeless(this, enable); });
}

STDMETHODIMP CWebBrowserUI::OnDocWindowActivate(BOOL activate) {
    return Ask(L"OnDocWindowActivate", E_NOTIMPL, [&](Handler& h) { return h.OnDocWindowActivate(this, activate); });
}

STDMETHODIMP CWebBrowserUI::OnFrameWindowActivate(BOOL activate) {
    return Ask(L"OnFrameWindowActivate", E_NOTIMPL,
               [&](Handler& h) { return h.OnFrameWindowActivate(this, activate); });
}

STDMETHODIMP CWebBrowserUI::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) {
    return Ask(L"ResizeBorder", E_NOTIMPL,
               [&](Handler& h) { return h.ResizeBorder(this, border, window, frameWindow); });
}

STDMETHODIMP CWebBrowserUI::TranslateAccelerator(LPMSG msg, const GUID* group, DWORD command) {
    return Ask(L"TranslateAccelerator", S_FALSE,
               [&](Handler& h) { return h.TranslateAccelerator(this, msg, group, command); });
}

STDMETHODIMP CWebBrowserUI::GetOptionKeyPath(LPOLESTR* key, DWORD reserved) {
    return Ask(L"GetOptionKeyPath", E_NOTIMPL, [&](Handler& h) { return h.GetOptionKeyPath(this, key, reserved); });
}

STDMETHODIMP CWebBrowserUI::GetDropTarget(IDropTarget* target, IDropTarget** out) {
    return Ask(L"GetDropTarget", S_FALSE, [&](Handler& h) { return h.GetDropTarget(this, target, out); });
}

STDMETHODIMP CWebBrowserUI::GetExternal(IDispatch** out) {
    return Ask(L"GetExternal", S_FALSE, [&](Handler& h) { return h.GetExternal(this, out); });
}

STDMETHODIMP CWebBrowserUI::TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* out) {
    if (!m_pWebBrowserEventHandler && out) *out = nullptr;
    return Ask(L"TranslateUrl", E_NOTIMPL, [&](Handler& h) { return h.TranslateUrl(this, translate, url, out); });
}

STDMETHODIMP CWebBrowserUI::FilterDataObject(IDataObject* object, IDataObject** out) {
    if (!m_pWebBrowserEventHandler && out) *out = nullptr;
    return Ask(L"FilterDataObject", E_NOTIMPL, [&](Handler& h) { return h.FilterDataObject(this, object, out); });
}

// ---------------------------------------------------------------------------------------------------
// IServiceProvider and IOleCommandTarget

STDMETHODIMP CWebBrowserUI::QueryService(REFGUID service, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (service == IID_IInternetSecurityManager && iid == IID_IInternetSecurityManager) {
        *out = static_cast<IInternetSecurityManager*>(this);
        AddRef();
        return S_OK;
    }
    // The download manager is recognised but not offered: the browser downloads as it would alone.
    if (service == kSidDownloadManager && iid == kSidDownloadManager) return E_NOINTERFACE;
    return E_NOINTERFACE;
}

STDMETHODIMP CWebBrowserUI::QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) { return OLECMDERR_E_NOTSUPPORTED; }

STDMETHODIMP CWebBrowserUI::Exec(const GUID* group, DWORD command, DWORD, VARIANT* in, VARIANT* out) {
    if (!group || *group != kCgidDocHostCommandHandler) return OLECMDERR_E_UNKNOWNGROUP;
    if (command != kShowScriptError) return OLECMDERR_E_NOTSUPPORTED;
    return ShowScriptError(in, out);
}

HRESULT CWebBrowserUI::ShowScriptError(VARIANT* in, VARIANT* out) {
    if (in && in->vt == VT_UNKNOWN && in->punkVal) {
        IHTMLDocument2* document = nullptr;
        if (SUCCEEDED(in->punkVal->QueryInterface(IID_IHTMLDocument2, reinterpret_cast<void**>(&document))) &&
            document) {
            IHTMLWindow2* window = nullptr;
            if (SUCCEEDED(document->get_parentWindow(&window)) && window) {
                IHTMLEventObj* event = nullptr;
                if (SUCCEEDED(window->get_event(&event)) && event) {
                    // Read as a debugger would; the page goes on without a dialog.
                    static const wchar_t* const kProperties[] = {L"errorLine", L"errorCharacter", L"errorCode",
                                                                 L"errorMessage", L"errorUrl"};
                    for (const wchar_t* name : kProperties) {
                        VARIANT value;
                        VariantInit(&value);
                        GetProperty(event, name, &value);
                        VariantClear(&value);
                    }
                    event->Release();
                }
                window->Release();
            }
            document->Release();
        }
    }
    if (out) {
        VariantInit(out);
        out->vt = VT_BOOL;
        out->boolVal = VARIANT_TRUE;  // scripts keep running
    }
    return S_OK;
}

// ---------------------------------------------------------------------------------------------------
// IDispatch: browser events

STDMETHODIMP CWebBrowserUI::GetTypeInfoCount(UINT* count) {
    if (count) *count = 0;
    return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserUI::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CWebBrowserUI::Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                   UINT*) {
    if (iid != IID_NULL) return E_INVALIDARG;
    return GuardedCall(L"CWebBrowserUI::Invoke", [&] { return DispatchEvent(id, params); }, S_OK);
}

HRESULT CWebBrowserUI::DispatchEvent(DISPID id, DISPPARAMS* params) {
    const UINT count = params ? params->cArgs : 0;
    auto needs = [count](UINT wanted) { return count >= wanted; };
    CWebBrowserEventHandler* handler = m_pWebBrowserEventHandler;
    switch (id) {
    case DISPID_BEFORENAVIGATE2:
        if (handler && needs(7)) {
            VARIANT* url = Arg(params, 1, count)->pvarVal;
            VARIANT* flags = Arg(params, 2, count)->pvarVal;
            VARIANT* frame = Arg(params, 3, count)->pvarVal;
            VARIANT* postData = Arg(params, 4, count)->pvarVal;
            VARIANT* headers = Arg(params, 5, count)->pvarVal;
            VARIANT_BOOL* cancel = Arg(params, 6, count)->pboolVal;
            handler->BeforeNavigate2(this, Arg(params, 0, count)->pdispVal, url, flags, frame, postData, headers,
                                     cancel);
        }
        return S_OK;
    case DISPID_NAVIGATECOMPLETE2:
        if (needs(2)) {
            AttachDocumentHandler(Arg(params, 0, count)->pdispVal);
            VARIANT* url = Arg(params, 1, count)->pvarVal;
            if (handler) handler->NavigateComplete2(this, Arg(params, 0, count)->pdispVal, url);
        }
        return S_OK;
    case DISPID_DOCUMENTCOMPLETE:
        if (handler && needs(2)) {
            VARIANT* url = Arg(params, 1, count)->pvarVal;
            handler->DocumentComplete(this, Arg(params, 0, count)->pdispVal, url);
        }
        return S_OK;
    case DISPID_NAVIGATEERROR:
        if (handler && needs(5)) {
            VARIANT* url = Arg(params, 1, count)->pvarVal;
            VARIANT* frame = Arg(params, 2, count)->pvarVal;
            VARIANT* status = Arg(params, 3, count)->pvarVal;
            VARIANT_BOOL* cancel = Arg(params, 4, count)->pboolVal;
            handler->NavigateError(this, Arg(params, 0, count)->pdispVal, url, frame, status, cancel);
        }
        return S_OK;
    case DISPID_NEWWINDOW3:
        if (handler && needs(5)) {
            VARIANT_BOOL* cancel = Arg(params, 1, count)->pboolVal;
            handler->NewWindow3(this, Arg(params, 0, count)->ppdispVal, cancel, Arg(params, 2, count)->lVal,
                                Arg(params, 3, count)->bstrVal, Arg(params, 4, count)->bstrVal);
        }
        return S_OK;
    case DISPID_COMMANDSTATECHANGE:
        if (handler && needs(2))
            handler->CommandStateChange(this, Arg(params, 0, count)->lVal, Arg(params, 1, count)->boolVal);
        return S_OK;
    case DISPID_TITLECHANGE:
        if (handler && needs(1)) handler->TitleChange(this, Arg(params, 0, count)->bstrVal);
        return S_OK;
    case DISPID_STATUSTEXTCHANGE:
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

// ---------------------------------------------------------------------------------------------------
// Key translator of the window

LRESULT CWebBrowserUI::TranslateAccelerator(MSG* msg) {
    if (!msg || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return S_FALSE;
    if (!m_pWebBrowser2) return E_NOTIMPL;
    HWND focus = ::GetFocus();
    HWND host = m_hwndHost;
    if (!host || !focus || (focus != host && !IsChild(host, focus))) return S_FALSE;
    IOleInPlaceActiveObject* active = nullptr;
    if (FAILED(m_pWebBrowser2->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active))) ||
        !active)
        return S_FALSE;
    const HRESULT hr = active->TranslateAccelerator(msg);
    active->Release();
    return hr;
}

// ---------------------------------------------------------------------------------------------------
// IInternetSecurityManager: succeeds and changes nothing (outputs are cleared, never left unset)

STDMETHODIMP CWebBrowserUI::SetSecuritySite(IInternetSecurityMgrSite*) { return S_OK; }

STDMETHODIMP CWebBrowserUI::GetSecuritySite(IInternetSecurityMgrSite** site) {
    if (site) *site = nullptr;
    return S_OK;
}

STDMETHODIMP CWebBrowserUI::MapUrlToZone(LPCWSTR, DWORD* zone, DWORD) {
    if (zone) *zone = 0;
    return S_OK;
}

STDMETHODIMP CWebBrowserUI::GetSecurityId(LPCWSTR, BYTE*, DWORD*, DWORD_PTR) { return S_OK; }

STDMETHODIMP CWebBrowserUI::ProcessUrlAction(LPCWSTR, DWORD, BYTE* policy, DWORD policySize, BYTE*, DWORD, DWORD,
                                             DWORD) {
    if (policy && policySize) ZeroMemory(policy, policySize);
    return S_OK;
}

STDMETHODIMP CWebBrowserUI::QueryCustomPolicy(LPCWSTR, REFGUID, BYTE** policy, DWORD* size, BYTE*, DWORD, DWORD) {
    if (policy) *policy = nullptr;
    if (size) *size = 0;
    return S_OK;
}

STDMETHODIMP CWebBrowserUI::SetZoneMapping(DWORD, LPCWSTR, DWORD) { return S_OK; }

STDMETHODIMP CWebBrowserUI::GetZoneMappings(DWORD, IEnumString** out, DWORD) {
    if (out) *out = nullptr;
    return S_OK;
}

}  // namespace SkinUI
