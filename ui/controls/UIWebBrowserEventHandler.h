#pragma once
// CWebBrowserEventHandler: what an application hears from a CWebBrowserUI: the browser's events and its
// document host's questions. Every operation has a default that does nothing and answers as a host
// without a handler would; an application overrides what it needs.
#include <windows.h>

#include <exdisp.h>
#include <mshtmhst.h>
#include <ole2.h>

namespace SkinUI {

class CWebBrowserUI;

class CWebBrowserEventHandler {
public:
    virtual ~CWebBrowserEventHandler() = default;

    // ---- browser events
    virtual void BeforeNavigate2(CWebBrowserUI*, IDispatch*, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT*&,
                                 VARIANT_BOOL*&) {}
    virtual void NavigateError(CWebBrowserUI*, IDispatch*, VARIANT*&, VARIANT*&, VARIANT*&, VARIANT_BOOL*&) {}
    virtual void NavigateComplete2(CWebBrowserUI*, IDispatch*, VARIANT*&) {}
    virtual void ProgressChange(CWebBrowserUI*, LONG, LONG) {}
    virtual void NewWindow3(CWebBrowserUI*, IDispatch**, VARIANT_BOOL*&, DWORD, BSTR, BSTR) {}
    virtual void CommandStateChange(CWebBrowserUI*, long, VARIANT_BOOL) {}
    virtual void TitleChange(CWebBrowserUI*, BSTR) {}
    virtual void DocumentComplete(CWebBrowserUI*, IDispatch*, VARIANT*&) {}

    // ---- document host questions
    virtual HRESULT ShowContextMenu(CWebBrowserUI*, DWORD, POINT*, IUnknown*, IDispatch*) { return S_FALSE; }
    virtual HRESULT GetHostInfo(CWebBrowserUI*, DOCHOSTUIINFO*) { return S_OK; }
    virtual HRESULT ShowUI(CWebBrowserUI*, DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                           IOleInPlaceUIWindow*) {
        return S_OK;
    }
    virtual HRESULT HideUI(CWebBrowserUI*) { return S_OK; }
    virtual HRESULT UpdateUI(CWebBrowserUI*) { return S_OK; }
    virtual HRESULT EnableModeless(CWebBrowserUI*, BOOL) { return E_NOTIMPL; }
    virtual HRESULT OnDocWindowActivate(CWebBrowserUI*, BOOL) { return E_NOTIMPL; }
    virtual HRESULT OnFrameWindowActivate(CWebBrowserUI*, BOOL) { return E_NOTIMPL; }
    virtual HRESULT ResizeBorder(CWebBrowserUI*, LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }
    virtual HRESULT TranslateAccelerator(CWebBrowserUI*, LPMSG, const GUID*, DWORD) { return S_FALSE; }
    virtual HRESULT GetOptionKeyPath(CWebBrowserUI*, LPOLESTR*, DWORD) { return E_NOTIMPL; }
    virtual HRESULT GetDropTarget(CWebBrowserUI*, IDropTarget*, IDropTarget**) { return S_FALSE; }
    virtual HRESULT GetExternal(CWebBrowserUI*, IDispatch**) { return S_FALSE; }
    virtual HRESULT TranslateUrl(CWebBrowserUI*, DWORD, LPWSTR, LPWSTR*) { return E_NOTIMPL; }
    virtual HRESULT FilterDataObject(CWebBrowserUI*, IDataObject*, IDataObject**) { return E_NOTIMPL; }

    // ---- a call of the application's own through the control (CWebBrowserUI::ExtendedCall)
    virtual LRESULT ExtendedCall(CWebBrowserUI*, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR, UINT_PTR,
                                 UINT_PTR) {
        return 0;
    }
};

}  // namespace SkinUI
