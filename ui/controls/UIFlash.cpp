#include "UIFlash.h"

#include "UIString.h"

#include <ocidl.h>

namespace SkinUI {

namespace {

// {D27CDB6C-AE6D-11CF-96B8-444553540000}
const IID kIidShockwaveFlash = {0xD27CDB6C, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {D27CDB6D-AE6D-11CF-96B8-444553540000}
const IID kDiidShockwaveFlashEvents = {0xD27CDB6D, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

}  // namespace

CFlashUI::CFlashUI() {
    CLSID clsid = CLSID_NULL;
    if (SUCCEEDED(CLSIDFromString(L"{D27CDB6E-AE6D-11CF-96B8-444553540000}", &clsid))) m_clsid = clsid;
}

CFlashUI::~CFlashUI() {
    if (m_pFlashEventHandler) {
        m_pFlashEventHandler->Release();
        m_pFlashEventHandler = nullptr;
    }
    ReleaseControl();
}

CControlUI* CFlashUI::CreateControl() { return new CFlashUI; }

const wchar_t* CFlashUI::GetClass() const { return L"Flash"; }

void* CFlashUI::GetInterface(const wchar_t* name) {
    if (EqualsIgnoreCase(name, L"Flash")) return static_cast<CFlashUI*>(this);
    return CActiveXUI::GetInterface(name);
}

void CFlashUI::SetFlashEventHandler(IFlashEventHandler* handler) {
    if (m_pFlashEventHandler) m_pFlashEventHandler->Release();
    m_pFlashEventHandler = handler;
    if (m_pFlashEventHandler) m_pFlashEventHandler->AddRef();
}

HRESULT CFlashUI::OnReadyStateChange(long newState) {
    return m_pFlashEventHandler ? m_pFlashEventHandler->OnReadyStateChange(newState) : S_OK;
}

HRESULT CFlashUI::OnProgress(long percentDone) {
    return m_pFlashEventHandler ? m_pFlashEventHandler->OnProgress(percentDone) : S_OK;
}

bool CFlashUI::DoCreateControl() {
    if (!CActiveXUI::DoCreateControl()) return false;
    GetControl(kIidShockwaveFlash, reinterpret_cast<void**>(&m_pFlash));
    ConnectEvents(true);
    return true;
}

void CFlashUI::ReleaseControl() {
    ConnectEvents(false);
    if (m_pFlash) {
        m_pFlash->Release();
        m_pFlash = nullptr;
    }
    CActiveXUI::ReleaseControl();
}

void CFlashUI::ConnectEvents(bool connect) {
    ConnectEventSink(m_pFlash, kDiidShockwaveFlashEvents, static_cast<IDispatch*>(this), m_dwCookie, connect);
}

STDMETHODIMP CFlashUI::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IDispatch && iid != kDiidShockwaveFlashEvents) return E_NOINTERFACE;
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CFlashUI::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&m_dwRef)); }
STDMETHODIMP_(ULONG) CFlashUI::Release() { return static_cast<ULONG>(InterlockedDecrement(&m_dwRef)); }
STDMETHODIMP CFlashUI::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP CFlashUI::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP CFlashUI::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

// Flash events are received and dropped.
STDMETHODIMP CFlashUI::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) { return S_OK; }

LRESULT CFlashUI::TranslateAccelerator(MSG* msg) {
    if (!msg || msg->message < WM_KEYFIRST || msg->message > WM_KEYLAST) return S_FALSE;
    if (!m_pFlash) return E_NOTIMPL;
    HWND focus = ::GetFocus();
    HWND host = m_hwndHost;
    if (!host || !focus || (focus != host && !IsChild(host, focus))) return S_FALSE;
    IOleInPlaceActiveObject* active = nullptr;
    if (FAILED(m_pFlash->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void**>(&active))) || !active)
        return S_FALSE;
    const HRESULT hr = active->TranslateAccelerator(msg);
    active->Release();
    return hr;
}

}  // namespace SkinUI
