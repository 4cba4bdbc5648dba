#pragma once
// CWebBrowserUI: hosts the system's web browser control through CActiveXUI and is its document host
// (UI handler, command target, service provider, security manager) and its event sink, handing events
// and questions to an application's CWebBrowserEventHandler. Layout element "WebBrowser".
//
// Its COM parts live inside the control and are never deleted by Release: the control ends every hold
// the browser has on them (event connection, document UI handler) before it goes.
#include "UIActiveX.h"
#include "UIComGuard.h"
#include "UIWebBrowserEventHandler.h"

#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <servprov.h>
#include <urlmon.h>

namespace SkinUI {

class CWebBrowserUI : public CActiveXUI,
                      public IDocHostUIHandler,
                      public IServiceProvider,
                      public IOleCommandTarget,
                      public IDispatch,
                      public ITranslateAccelerator,
                      public IInternetSecurityManager {
public:
    CWebBrowserUI();
    ~CWebBrowserUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void ReleaseControl() override;
    bool DoCreateControl() override;
    // Hands eight values of the application's own to its handler; 0 without a handler.
    virtual LRESULT ExtendedCall(UINT_PTR a, UINT_PTR b, UINT_PTR c, UINT_PTR d, UINT_PTR e, UINT_PTR f, UINT_PTR g,
                                 UINT_PTR h);

    void SetWebBrowserEventHandler(CWebBrowserEventHandler* handler);
    void SetHomePage(const wchar_t* url);
    const CUIString& GetHomePage() const { return m_sHomePage; }
    void SetAutoNavigation(bool autoNavigate) { m_bAutoNavi = autoNavigate; }
    bool IsAutoNavigation() const { return m_bAutoNavi; }
    void Navigate(const wchar_t* url);
    void NavigateUrl(const wchar_t* url);
    IWebBrowser2* GetWebBrowser2() const { return m_pWebBrowser2; }
    DWORD GetEventCookie() const { return m_dwCookie; }
    LONG GetComRefCount() const { return m_dwRef; }

    // Members of any IDispatch by name.
    static HRESULT GetProperty(IDispatch* object, const wchar_t* name, VARIANT* value);
    static HRESULT InvokeMethod(IDispatch* object, const wchar_t* name, VARIANT* result, VARIANT* args, int count);
    static HRESULT SetProperty(IDispatch* object, const wchar_t* name, VARIANT* value);

    // ---- IUnknown (one for every COM part; IUnknown itself is the UI handler part)
    STDMETHOD(QueryInterface)(REFIID iid, void** out) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // ---- IDocHostUIHandler
    STDMETHOD(ShowContextMenu)(DWORD id, POINT* point, IUnknown* reserved, IDispatch* dispatchReserved) override;
    STDMETHOD(GetHostInfo)(DOCHOSTUIINFO* info) override;
    STDMETHOD(ShowUI)(DWORD id, IOleInPlaceActiveObject* object, IOleCommandTarget* target, IOleInPlaceFrame* frame,
                      IOleInPlaceUIWindow* document) override;
    STDMETHOD(HideUI)() override;
    STDMETHOD(UpdateUI)() override;
    STDMETHOD(EnableModeless)(BOOL enable) override;
    STDMETHOD(OnDocWindowActivate)(BOOL activate) override;
    STDMETHOD(OnFrameWindowActivate)(BOOL activate) override;
    STDMETHOD(ResizeBorder)(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHOD(TranslateAccelerator)(LPMSG msg, const GUID* group, DWORD command) override;
    STDMETHOD(GetOptionKeyPath)(LPOLESTR* key, DWORD reserved) override;
    STDMETHOD(GetDropTarget)(IDropTarget* target, IDropTarget** out) override;
    STDMETHOD(GetExternal)(IDispatch** out) override;
    STDMETHOD(TranslateUrl)(DWORD translate, LPWSTR url, LPWSTR* out) override;
    STDMETHOD(FilterDataObject)(IDataObject* object, IDataObject** out) override;
    // ---- IServiceProvider
    STDMETHOD(QueryService)(REFGUID service, REFIID iid, void** out) override;
    // ---- IOleCommandTarget
    STDMETHOD(QueryStatus)(const GUID* group, ULONG count, OLECMD* commands, OLECMDTEXT* text) override;
    STDMETHOD(Exec)(const GUID* group, DWORD command, DWORD options, VARIANT* in, VARIANT* out) override;
    // ---- IDispatch (the browser's event sink)
    STDMETHOD(GetTypeInfoCount)(UINT* count) override;
    STDMETHOD(GetTypeInfo)(UINT index, LCID locale, ITypeInfo** out) override;
    STDMETHOD(GetIDsOfNames)(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHOD(Invoke)(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;
    // ---- ITranslateAccelerator (the window's key translator)
    LRESULT TranslateAccelerator(MSG* msg) override;
    // ---- IInternetSecurityManager: the host trusts its own pages
    STDMETHOD(SetSecuritySite)(IInternetSecurityMgrSite* site) override;
    STDMETHOD(GetSecuritySite)(IInternetSecurityMgrSite** site) override;
    STDMETHOD(MapUrlToZone)(LPCWSTR url, DWORD* zone, DWORD flags) override;
    STDMETHOD(GetSecurityId)(LPCWSTR url, BYTE* id, DWORD* size, DWORD_PTR reserved) override;
    STDMETHOD(ProcessUrlAction)(LPCWSTR url, DWORD action, BYTE* policy, DWORD policySize, BYTE* context,
                                DWORD contextSize, DWORD flags, DWORD reserved) override;
    STDMETHOD(QueryCustomPolicy)(LPCWSTR url, REFGUID key, BYTE** policy, DWORD* size, BYTE* context,
                                 DWORD contextSize, DWORD reserved) override;
    STDMETHOD(SetZoneMapping)(DWORD zone, LPCWSTR pattern, DWORD flags) override;
    STDMETHOD(GetZoneMappings)(DWORD zone, IEnumString** out, DWORD flags) override;

protected:
    using Handler = CWebBrowserEventHandler;
    // The handler's answer to a document-host question, or the answer without a handler; a handler that
    // throws answers E_FAIL (the browser's frames must not see the exception).
    template <class Question>
    HRESULT Ask(const wchar_t* question, HRESULT withoutHandler, Question ask) {
        if (!m_pWebBrowserEventHandler) return withoutHandler;
        return GuardedCall(question, [&] { return ask(*m_pWebBrowserEventHandler); }, E_FAIL);
    }
    void ConnectEvents(bool connect);
    // The loaded document answers its host questions through this control.
    void AttachDocumentHandler(IDispatch* browser);
    void DetachDocumentHandler();
    HRESULT ShowScriptError(VARIANT* in, VARIANT* out);
    // A browser event handed to the application's handler.
    HRESULT DispatchEvent(DISPID id, DISPPARAMS* params);

    IWebBrowser2* m_pWebBrowser2 = nullptr;
    LONG m_dwRef = 0;
    DWORD m_dwCookie = 0;
    CUIString m_sHomePage;
    bool m_bAutoNavi = false;
    CWebBrowserEventHandler* m_pWebBrowserEventHandler = nullptr;
    ICustomDoc* m_pCustomDoc = nullptr;  // the document given this control as its UI handler
};

}  // namespace SkinUI
