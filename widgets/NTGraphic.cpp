#include "NTGraphic.h"

#include "UIManager.h"

#include <ocidl.h>
#include <oleauto.h>

namespace SkinUI {

// {AC90A107-78E8-4ED8-995A-3AE8BB3044A7}
const IID CNTGraphicUI::kIidGraph = {0xAC90A107, 0x78E8, 0x4ED8, {0x99, 0x5A, 0x3A, 0xE8, 0xBB, 0x30, 0x44, 0xA7}};
// {D59ADFE5-1B52-45D5-AE1D-8FA146152154}
const IID CNTGraphicUI::kDiidGraphEvents = {0xD59ADFE5, 0x1B52, 0x45D5,
                                            {0xAE, 0x1D, 0x8F, 0xA1, 0x46, 0x15, 0x21, 0x54}};

namespace {

// Argument i of an event (arguments come last first) as the type asked for.
HRESULT Argument(DISPPARAMS* params, UINT count, UINT i, VARTYPE type, VARIANT& out) {
    VariantInit(&out);
    if (FAILED(VariantChangeType(&out, &params->rgvarg[count - 1 - i], 0, type))) return DISP_E_TYPEMISMATCH;
    return S_OK;
}

}  // namespace

CNTGraphicUI::CNTGraphicUI() {
    CLSID clsid = CLSID_NULL;
    if (SUCCEEDED(CLSIDFromString(L"{C9FE01C2-2746-479B-96AB-E0BE9931B018}", &clsid))) m_clsid = clsid;
}

CNTGraphicUI::~CNTGraphicUI() { ReleaseControl(); }

void* CNTGraphicUI::GetInterface(const wchar_t* name) {
    if (name && wcscmp(name, L"NTGraphic") == 0) return static_cast<CNTGraphicUI*>(this);
    return CActiveXUI::GetInterface(name);
}

bool CNTGraphicUI::DoCreateControl() {
    if (!CActiveXUI::DoCreateControl()) return false;
    GetControl(kIidGraph, reinterpret_cast<void**>(&m_pGraph));
    ConnectEvents(true);
    if (m_pManager && !m_loopFilter) m_loopFilter = m_pManager->AddLoopMessageFilter(this);
    return true;
}

void CNTGraphicUI::ReleaseControl() {
    if (m_loopFilter && m_pManager) m_pManager->RemoveLoopMessageFilter(this);
    m_loopFilter = false;
    ConnectEvents(false);
    if (m_pGraph) {
        m_pGraph->Release();
        m_pGraph = nullptr;
    }
    CActiveXUI::ReleaseControl();
}

void CNTGraphicUI::ConnectEvents(bool connect) {
    ConnectEventSink(m_pGraph, kDiidGraphEvents, static_cast<IDispatch*>(this), m_dwCookie, connect);
}

bool CNTGraphicUI::FocusInsideHost() const {
    const HWND focus = ::GetFocus();
    return m_hwndHost && focus && (focus == m_hwndHost || IsChild(m_hwndHost, focus));
}

LRESULT CNTGraphicUI::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message < WM_KEYFIRST || message > WM_KEYLAST || !m_pUnk || !FocusInsideHost())
        return CActiveXUI::MessageHandler(message, wParam, lParam, handled);
    IOleInPlaceActiveObject* active = nullptr;
    if (FAILED(m_pUnk->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active))) || !active)
        return 0;
    MSG msg = {::GetFocus(), message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
    if (active->TranslateAccelerator(&msg) == S_OK) handled = true;
    active->Release();
    return 0;
}

STDMETHODIMP CNTGraphicUI::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != kDiidGraphEvents) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

// The sink lives as long as the control, which disconnects it before it goes.
STDMETHODIMP_(ULONG) CNTGraphicUI::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_dwRef)); }
STDMETHODIMP_(ULONG) CNTGraphicUI::Release() { return static_cast<ULONG>(InterlockedDecrement(&m_dwRef)); }
STDMETHODIMP CNTGraphicUI::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP CNTGraphicUI::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP CNTGraphicUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP CNTGraphicUI::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    const UINT count = params ? params->cArgs : 0;
    if (count > 0 && !params->rgvarg) return E_INVALIDARG;
    switch (id) {
    case kClickEvent:
        if (count != 0) return DISP_E_BADPARAMCOUNT;
        return OnGraphClick();
    case kCursorPositionEvent: {
        if (count != 2) return DISP_E_BADPARAMCOUNT;
        VARIANT x, y;
        if (FAILED(Argument(params, count, 0, VT_R8, x)) || FAILED(Argument(params, count, 1, VT_R8, y)))
            return DISP_E_TYPEMISMATCH;
        return OnCursorPosition(x.dblVal, y.dblVal);
    }
    case kTrackModeEvent: {
        if (count != 1) return DISP_E_BADPARAMCOUNT;
        VARIANT mode;
        if (FAILED(Argument(params, count, 0, VT_I4, mode))) return DISP_E_TYPEMISMATCH;
        return OnTrackModeChanged(mode.lVal);
    }
    default:
        return S_OK;
    }
}

}  // namespace SkinUI
