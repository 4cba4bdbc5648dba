// The tests' ActiveX object module (see TestActiveXObject.h).
#include "TestActiveXObject.h"

#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>

#include <cwchar>

namespace {

TTestObjectRecord g_record = {0, false, true, RGB(0x20, 0xA0, 0x60)};

// {D27CDB6D-AE6D-11CF-96B8-444553540000}: the Flash control's event interface.
const IID kFlashEvents = {0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6C-AE6D-11CF-96B8-444553540000}: the Flash control's own interface.
const IID kShockwaveFlash = {0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

class CTestObject;

class CTestConnectionPoint : public IConnectionPoint {
public:
    explicit CTestConnectionPoint(CTestObject* owner) : m_owner(owner) {}
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    STDMETHOD(GetConnectionInterface)(IID* iid) override {
        *iid = kFlashEvents;
        return S_OK;
    }
    STDMETHOD(GetConnectionPointContainer)(IConnectionPointContainer**) override { return E_NOTIMPL; }
    STDMETHOD(Advise)(IUnknown* sink, DWORD* cookie) override {
        ++g_record.adviseCalls;
        if (!sink || !cookie || m_sink) return E_FAIL;
        m_sink = sink;
        m_sink->AddRef();
        *cookie = kTestAdviseCookie;
        return S_OK;
    }
    STDMETHOD(Unadvise)(DWORD cookie) override {
        ++g_record.unadviseCalls;
        g_record.lastUnadviseCookie = cookie;
        if (cookie != kTestAdviseCookie || !m_sink) return CONNECT_E_NOCONNECTION;
        m_sink->Release();
        m_sink = nullptr;
        return S_OK;
    }
    STDMETHOD(EnumConnections)(IEnumConnections**) override { return E_NOTIMPL; }
    void Drop() {
        if (m_sink) m_sink->Release();
        m_sink = nullptr;
    }

private:
    CTestObject* m_owner;
    IUnknown* m_sink = nullptr;
};

class CTestObject final : public IOleObject,
                    public IOleInPlaceObjectWindowless,
                    public IOleInPlaceActiveObject,
                    public IViewObjectEx,
                    public IPersistStreamInit,
                    public IRunnableObject,
                    public IObjectWithSite,
                    public IConnectionPointContainer {
public:
    explicit CTestObject(const CLSID& clsid) : m_clsid(clsid), m_point(this) { ++g_record.liveObjects; }

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        const bool flash = IsEqualCLSID(m_clsid, CLSID_TestFlash);
        if (iid == IID_IUnknown || iid == IID_IOleObject || iid == IID_IOleControl)
            *out = static_cast<IOleObject*>(this);
        else if (iid == IID_IOleInPlaceObject || iid == IID_IOleWindow)
            *out = static_cast<IOleInPlaceObjectWindowless*>(this);
        else if (iid == IID_IOleInPlaceObjectWindowless && !IsEqualCLSID(m_clsid, CLSID_TestWindowed))
            *out = static_cast<IOleInPlaceObjectWindowless*>(this);
        else if (iid == IID_IOleInPlaceActiveObject)
            *out = static_cast<IOleInPlaceActiveObject*>(this);
        else if (iid == IID_IViewObject || iid == IID_IViewObject2 || iid == IID_IViewObjectEx)
            *out = static_cast<IViewObjectEx*>(this);
        else if (iid == IID_IPersistStreamInit)
            *out = static_cast<IPersistStreamInit*>(this);
        else if (iid == IID_IRunnableObject)
            *out = static_cast<IRunnableObject*>(this);
        else if (iid == IID_IObjectWithSite)
            *out = static_cast<IObjectWithSite*>(this);
        else if (flash && iid == IID_IConnectionPointContainer)
            *out = static_cast<IConnectionPointContainer*>(this);
        else if (flash && iid == kShockwaveFlash)
            *out = static_cast<IOleObject*>(this);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++m_ref; }
    STDMETHOD_(ULONG, Release)() override {
        const ULONG count = --m_ref;
        if (count == 0) {
            m_point.Drop();
            --g_record.liveObjects;
            delete this;
        }
        return count;
    }

    // IOleObject
    STDMETHOD(SetClientSite)(IOleClientSite* site) override {
        if (site) {
            ++g_record.setClientSiteCalls;
            g_record.clientSiteSetBeforeInitNew = g_record.initNewCalls == 0;
            site->AddRef();
        }
        if (m_site) m_site->Release();
        m_site = site;
        g_record.hasClientSite = site != nullptr;
        return S_OK;
    }
    STDMETHOD(GetClientSite)(IOleClientSite** out) override {
        *out = m_site;
        if (m_site) m_site->AddRef();
        return S_OK;
    }
    STDMETHOD(SetHostNames)(LPCOLESTR app, LPCOLESTR) override {
        lstrcpynW(g_record.hostName, app ? app : L"", 32);
        return S_OK;
    }
    STDMETHOD(Close)(DWORD) override {
        ++g_record.closeCalls;
        if (g_record.closeDeactivates) InPlaceDeactivate();
        return S_OK;
    }
    STDMETHOD(SetMoniker)(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHOD(GetMoniker)(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHOD(InitFromData)(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetClipboardData)(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHOD(DoVerb)(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) override {
        ++g_record.doVerbCalls;
        g_record.lastVerb = verb;
        if (verb != OLEIVERB_INPLACEACTIVATE || m_active || !site) return S_OK;
        return Activate(site);
    }
    STDMETHOD(EnumVerbs)(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHOD(Update)() override { return S_OK; }
    STDMETHOD(IsUpToDate)() override { return S_OK; }
    STDMETHOD(GetUserClassID)(CLSID* clsid) override {
        *clsid = m_clsid;
        return S_OK;
    }
    STDMETHOD(GetUserType)(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHOD(SetExtent)(DWORD, SIZEL* size) override {
        g_record.extent = *size;
        return S_OK;
    }
    STDMETHOD(GetExtent)(DWORD, SIZEL* size) override {
        *size = g_record.extent;
        return S_OK;
    }
    STDMETHOD(Advise)(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(Unadvise)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(EnumAdvise)(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHOD(GetMiscStatus)(DWORD, DWORD* status) override {
        *status = g_record.miscStatus;
        return S_OK;
    }
    STDMETHOD(SetColorScheme)(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow (shared by the in-place object and the active object)
    STDMETHOD(GetWindow)(HWND* window) override {
        *window = nullptr;
        return E_FAIL;
    }
    STDMETHOD(ContextSensitiveHelp)(BOOL) override { return S_OK; }
    // IOleInPlaceObject
    STDMETHOD(InPlaceDeactivate)() override {
        if (!m_active) return S_OK;
        m_active = false;
        IOleInPlaceSite* site = nullptr;
        if (m_site && SUCCEEDED(m_site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)))) {
            site->OnInPlaceDeactivate();
            site->Release();
        }
        return S_OK;
    }
    STDMETHOD(UIDeactivate)() override { return S_OK; }
    STDMETHOD(SetObjectRects)(LPCRECT position, LPCRECT) override {
        ++g_record.setObjectRectsCalls;
        g_record.objectRect = *position;
        return S_OK;
    }
    STDMETHOD(ReactivateAndUndo)() override { return E_NOTIMPL; }
    // IOleInPlaceObjectWindowless
    STDMETHOD(OnWindowMessage)(UINT message, WPARAM, LPARAM, LRESULT* result) override {
        ++g_record.windowMessages;
        g_record.lastWindowMessage = message;
        *result = 0;
        return S_OK;
    }
    STDMETHOD(GetDropTarget)(IDropTarget**) override { return E_NOTIMPL; }
    // IOleInPlaceActiveObject
    STDMETHOD(TranslateAccelerator)(LPMSG) override {
        ++g_record.acceleratorCalls;
        return S_OK;
    }
    STDMETHOD(OnFrameWindowActivate)(BOOL) override { return S_OK; }
    STDMETHOD(OnDocWindowActivate)(BOOL) override { return S_OK; }
    STDMETHOD(ResizeBorder)(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    STDMETHOD(EnableModeless)(BOOL) override { return S_OK; }

    // IViewObjectEx
    STDMETHOD(Draw)
    (DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
     ULONG_PTR) override {
        ++g_record.drawCalls;
        g_record.lastDrawDc = dc;
        if (bounds) {
            g_record.lastDrawBounds = *bounds;
            RECT rect = {bounds->left, bounds->top, bounds->right, bounds->bottom};
            HBRUSH brush = CreateSolidBrush(g_record.fillColor);
            FillRect(dc, &rect, brush);
            DeleteObject(brush);
        }
        return S_OK;
    }
    STDMETHOD(GetColorSet)(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHOD(Freeze)(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(Unfreeze)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetAdvise)(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
    STDMETHOD(GetAdvise)(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
    STDMETHOD(GetExtent)(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL size) override {
        *size = g_record.extent;
        return S_OK;
    }
    STDMETHOD(GetRect)(DWORD, LPRECTL) override { return E_NOTIMPL; }
    STDMETHOD(GetViewStatus)(DWORD* status) override {
        *status = 0;
        return S_OK;
    }
    // Only the left half of the object answers a hit.
    STDMETHOD(QueryHitPoint)(DWORD, LPCRECT bounds, POINT point, LONG, DWORD* result) override {
        const RECT left = {bounds->left, bounds->top, (bounds->left + bounds->right) / 2, bounds->bottom};
        *result = PtInRect(&left, point) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
        return S_OK;
    }
    STDMETHOD(QueryHitRect)(DWORD, LPCRECT, LPCRECT, LONG, DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(GetNaturalExtent)(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) override {
        return E_NOTIMPL;
    }

    // IPersistStreamInit
    STDMETHOD(GetClassID)(CLSID* clsid) override {
        *clsid = m_clsid;
        return S_OK;
    }
    STDMETHOD(IsDirty)() override { return S_FALSE; }
    STDMETHOD(Load)(LPSTREAM) override { return E_NOTIMPL; }
    STDMETHOD(Save)(LPSTREAM, BOOL) override { return E_NOTIMPL; }
    STDMETHOD(GetSizeMax)(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHOD(InitNew)() override {
        ++g_record.initNewCalls;
        return g_record.failInitNew ? E_FAIL : S_OK;
    }

    // IRunnableObject
    STDMETHOD(GetRunningClass)(LPCLSID clsid) override {
        *clsid = m_clsid;
        return S_OK;
    }
    STDMETHOD(Run)(LPBINDCTX) override { return S_OK; }
    STDMETHOD_(BOOL, IsRunning)() override { return TRUE; }
    STDMETHOD(LockRunning)(BOOL lock, BOOL) override {
        ++g_record.lockCalls;
        g_record.runningLocks += lock ? 1 : -1;
        return S_OK;
    }
    STDMETHOD(SetContainedObject)(BOOL) override { return S_OK; }

    // IObjectWithSite
    STDMETHOD(SetSite)(IUnknown* site) override {
        if (site) site->AddRef();
        if (m_objectSite) m_objectSite->Release();
        m_objectSite = site;
        g_record.hasObjectSite = site != nullptr;
        return S_OK;
    }
    STDMETHOD(GetSite)(REFIID iid, void** out) override {
        if (!m_objectSite) return E_FAIL;
        return m_objectSite->QueryInterface(iid, out);
    }

    // IConnectionPointContainer
    STDMETHOD(EnumConnectionPoints)(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHOD(FindConnectionPoint)(REFIID iid, IConnectionPoint** out) override {
        *out = nullptr;
        if (iid != kFlashEvents) return CONNECT_E_NOCONNECTION;
        *out = &m_point;
        m_point.AddRef();
        return S_OK;
    }

private:
    ~CTestObject() {
        if (m_site) m_site->Release();
        if (m_objectSite) m_objectSite->Release();
    }

    HRESULT Activate(IOleClientSite* clientSite) {
        const bool windowed = IsEqualCLSID(m_clsid, CLSID_TestWindowed);
        IOleInPlaceSiteWindowless* windowless = nullptr;
        IOleInPlaceSite* site = nullptr;
        HRESULT hr = E_FAIL;
        if (!windowed && SUCCEEDED(clientSite->QueryInterface(IID_IOleInPlaceSiteWindowless,
                                                              reinterpret_cast<void**>(&windowless)))) {
            if (windowless->CanWindowlessActivate() == S_OK) {
                BOOL noRedraw = FALSE;
                hr = windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
                g_record.activatedWindowless = SUCCEEDED(hr);
            }
            windowless->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site));
            windowless->Release();
        } else if (SUCCEEDED(clientSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site)))) {
            if (site->CanInPlaceActivate() == S_OK) {
                hr = site->OnInPlaceActivate();
                g_record.activatedWindowed = SUCCEEDED(hr);
            }
        }
        if (site) {
            site->GetWindow(&g_record.siteWindow);
            IOleInPlaceFrame* frame = nullptr;
            IOleInPlaceUIWindow* document = nullptr;
            RECT position = {}, clip = {};
            OLEINPLACEFRAMEINFO info = {};
            info.cb = sizeof info;
            if (SUCCEEDED(site->GetWindowContext(&frame, &document, &position, &clip, &info))) {
                if (frame) {
                    frame->SetActiveObject(static_cast<IOleInPlaceActiveObject*>(this), nullptr);
                    frame->SetActiveObject(nullptr, nullptr);
                    frame->Release();
                }
                if (document) document->Release();
            }
            site->Release();
        }
        m_active = SUCCEEDED(hr);
        return hr;
    }

    ULONG m_ref = 1;
    CLSID m_clsid;
    IOleClientSite* m_site = nullptr;
    IUnknown* m_objectSite = nullptr;
    bool m_active = false;
    CTestConnectionPoint m_point;
};

STDMETHODIMP CTestConnectionPoint::QueryInterface(REFIID iid, void** out) {
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}
STDMETHODIMP_(ULONG) CTestConnectionPoint::AddRef() { return m_owner->AddRef(); }
STDMETHODIMP_(ULONG) CTestConnectionPoint::Release() { return m_owner->Release(); }

class CTestFactory final : public IClassFactory {
public:
    explicit CTestFactory(const CLSID& clsid) : m_clsid(clsid) {}
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHOD_(ULONG, AddRef)() override { return ++m_ref; }
    STDMETHOD_(ULONG, Release)() override {
        const ULONG count = --m_ref;
        if (count == 0) delete this;
        return count;
    }
    STDMETHOD(CreateInstance)(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* object = new CTestObject(m_clsid);
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    STDMETHOD(LockServer)(BOOL) override { return S_OK; }

private:
    ULONG m_ref = 1;
    CLSID m_clsid;
};

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_TestWindowless) && !IsEqualCLSID(clsid, CLSID_TestWindowed) &&
        !IsEqualCLSID(clsid, CLSID_TestFlash))
        return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new CTestFactory(clsid);
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

extern "C" __declspec(dllexport) TTestObjectRecord* GetTestObjectRecord() { return &g_record; }
