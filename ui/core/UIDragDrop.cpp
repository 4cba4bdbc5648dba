// OLE drag and drop objects. Every method is called by OLE across system frames, so none lets an
// exception out.
#include "UIDragDrop.h"

#include <new>

namespace SkinUI {

namespace {

template <class Interface, class Object>
HRESULT QueryOwnInterface(Object* self, REFIID iid, REFIID own, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, own)) {
        *object = static_cast<Interface*>(self);
        self->AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

// Release of a self-owning object: deletes it when the count goes from 1 to 0.
template <class Object>
ULONG ReleaseSelf(Object* self, ULONG& count) {
    if (count == 0) return 0;
    if (--count == 0) {
        delete self;
        return 0;
    }
    return count;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// Drop target

CIDropTarget::CIDropTarget(HWND target) : m_hTargetWnd(target) {
    void* helper = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDropTargetHelper,
                                   &helper)))
        m_dropHelper = static_cast<IDropTargetHelper*>(helper);
}

CIDropTarget::~CIDropTarget() {
    if (m_dropHelper) m_dropHelper->Release();
}

HRESULT CIDropTarget::QueryInterface(REFIID iid, void** object) {
    return QueryOwnInterface<IDropTarget>(this, iid, IID_IDropTarget, object);
}

ULONG CIDropTarget::AddRef() { return ++m_refCount; }

ULONG CIDropTarget::Release() { return ReleaseSelf(this, m_refCount); }

void CIDropTarget::AddSupportedFormat(const FORMATETC& format) {
    m_chosenFormat = nullptr;  // a pointer into the list must not survive its growth
    m_formats.push_back(format);
}

void CIDropTarget::ClearSupportedFormats() {
    m_chosenFormat = nullptr;
    m_allowDrop = false;
    m_formats.clear();
}

bool CIDropTarget::DecideEffect(DWORD keyState, DWORD* effect) const {
    const DWORD allowed = *effect;
    *effect = DROPEFFECT_NONE;
    if (!m_allowDrop) return false;
    DWORD wanted = DROPEFFECT_NONE;
    if ((keyState & MK_CONTROL) && (keyState & MK_SHIFT))
        wanted = DROPEFFECT_LINK;
    else if (keyState & MK_CONTROL)
        wanted = DROPEFFECT_COPY;
    else if (keyState & MK_SHIFT)
        wanted = DROPEFFECT_MOVE;
    if (wanted != DROPEFFECT_NONE) {
        if (allowed & wanted) *effect = wanted;
    } else {
        for (DWORD candidate : {DWORD(DROPEFFECT_COPY), DWORD(DROPEFFECT_MOVE), DWORD(DROPEFFECT_LINK)}) {
            if (allowed & candidate) {
                *effect = candidate;
                break;
            }
        }
    }
    return *effect != DROPEFFECT_NONE;
}

HRESULT CIDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (!data || !effect) return E_INVALIDARG;
    if (m_dropHelper) {
        POINT pt = {point.x, point.y};
        m_dropHelper->DragEnter(m_hTargetWnd, data, &pt, *effect);
    }
    m_chosenFormat = nullptr;
    for (FORMATETC& format : m_formats) {
        if (data->QueryGetData(&format) == S_OK) {
            m_chosenFormat = &format;
            break;
        }
    }
    m_allowDrop = m_chosenFormat != nullptr;
    DecideEffect(keyState, effect);
    return S_OK;
}

HRESULT CIDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    if (m_dropHelper) {
        POINT pt = {point.x, point.y};
        m_dropHelper->DragOver(&pt, *effect);
    }
    DecideEffect(keyState, effect);
    return S_OK;
}

HRESULT CIDropTarget::DragLeave() {
    if (m_dropHelper) m_dropHelper->DragLeave();
    m_chosenFormat = nullptr;
    m_allowDrop = false;
    return S_OK;
}

HRESULT CIDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (!data || !effect) return E_INVALIDARG;
    if (m_dropHelper) {
        POINT pt = {point.x, point.y};
        m_dropHelper->Drop(data, &pt, *effect);
    }
    if (DecideEffect(keyState, effect) && m_allowDrop && m_chosenFormat) {
        STGMEDIUM medium = {};
        FORMATETC format = *m_chosenFormat;
        if (data->GetData(&format, &medium) == S_OK) {
            bool release = true;
            try {
                release = OnDrop(&format, &medium, effect);
            } catch (...) {
                release = true;
            }
            if (release) ReleaseStgMedium(&medium);
        }
    }
    m_allowDrop = false;
    m_chosenFormat = nullptr;
    *effect = DROPEFFECT_NONE;
    return S_OK;
}

// ---------------------------------------------------------------------------------------------------
// Drop source

HRESULT CIDropSource::QueryInterface(REFIID iid, void** object) {
    return QueryOwnInterface<IDropSource>(this, iid, IID_IDropSource, object);
}

ULONG CIDropSource::AddRef() { return ++m_refCount; }

ULONG CIDropSource::Release() { return ReleaseSelf(this, m_refCount); }

HRESULT CIDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (keyState & (MK_LBUTTON | MK_RBUTTON)) return S_OK;
    m_dropped = true;
    return DRAGDROP_S_DROP;
}

HRESULT CIDropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

// ---------------------------------------------------------------------------------------------------
// Data object

CIDataObject::CIDataObject(CIDropSource* source) : m_source(source) {}

CIDataObject::~CIDataObject() {
    for (size_t i = 0; i < m_formats.size(); ++i) {
        ReleaseStgMedium(m_media[i]);
        delete m_media[i];
        delete m_formats[i];
    }
}

HRESULT CIDataObject::QueryInterface(REFIID iid, void** object) {
    return QueryOwnInterface<IDataObject>(this, iid, IID_IDataObject, object);
}

ULONG CIDataObject::AddRef() { return ++m_refCount; }

ULONG CIDataObject::Release() { return ReleaseSelf(this, m_refCount); }

void CIDataObject::CopyMedium(STGMEDIUM* destination, const STGMEDIUM* source, const FORMATETC* format) {
    switch (source->tymed) {
    case TYMED_HGLOBAL:
    case TYMED_GDI:
    case TYMED_MFPICT:
    case TYMED_ENHMF:
        destination->hGlobal = static_cast<HGLOBAL>(OleDuplicateData(source->hGlobal, format->cfFormat, 0));
        break;
    case TYMED_FILE:
        // A file medium holds a name, not a handle: copy the text.
        destination->lpszFileName = nullptr;
        if (source->lpszFileName) {
            const size_t bytes = (wcslen(source->lpszFileName) + 1) * sizeof(wchar_t);
            auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
            if (copy) memcpy(copy, source->lpszFileName, bytes);
            destination->lpszFileName = copy;
        }
        break;
    case TYMED_ISTREAM:
        destination->pstm = source->pstm;
        if (destination->pstm) destination->pstm->AddRef();
        break;
    case TYMED_ISTORAGE:
        destination->pstg = source->pstg;
        if (destination->pstg) destination->pstg->AddRef();
        break;
    default:
        break;
    }
    destination->tymed = source->tymed;
    destination->pUnkForRelease = source->pUnkForRelease;
    if (destination->pUnkForRelease) destination->pUnkForRelease->AddRef();
}

HRESULT CIDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium) return E_INVALIDARG;
    medium->hGlobal = nullptr;
    for (size_t i = 0; i < m_formats.size(); ++i) {
        const FORMATETC& stored = *m_formats[i];
        if ((stored.tymed & format->tymed) && stored.dwAspect == format->dwAspect &&
            stored.cfFormat == format->cfFormat) {
            CopyMedium(medium, m_media[i], &stored);
            return S_OK;
        }
    }
    return DV_E_FORMATETC;
}

HRESULT CIDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT CIDataObject::QueryGetData(FORMATETC* format) {
    if (!format) return E_INVALIDARG;
    if (!(format->dwAspect & DVASPECT_CONTENT)) return DV_E_DVASPECT;
    if (m_formats.empty()) return DV_E_TYMED;
    bool lastTymedMatched = false;
    for (const FORMATETC* stored : m_formats) {
        lastTymedMatched = (stored->tymed & format->tymed) != 0;
        if (lastTymedMatched && stored->cfFormat == format->cfFormat) return S_OK;
    }
    return lastTymedMatched ? DV_E_CLIPFORMAT : DV_E_TYMED;
}

HRESULT CIDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    return out ? DATA_S_SAMEFORMATETC : E_INVALIDARG;
}

HRESULT CIDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
    if (!format || !medium) return E_INVALIDARG;
    auto* storedFormat = new (std::nothrow) FORMATETC(*format);
    auto* storedMedium = new (std::nothrow) STGMEDIUM();
    if (!storedFormat || !storedMedium) {
        delete storedFormat;
        delete storedMedium;
        return E_OUTOFMEMORY;
    }
    try {
        m_formats.push_back(storedFormat);
        m_media.push_back(storedMedium);
    } catch (...) {
        if (m_formats.size() > m_media.size()) m_formats.pop_back();
        delete storedFormat;
        delete storedMedium;
        return E_OUTOFMEMORY;
    }
    if (release)
        *storedMedium = *medium;  // ours from now on
    else
        CopyMedium(storedMedium, medium, format);
    return S_OK;
}

HRESULT CIDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) {
    if (!enumerator) return E_POINTER;
    *enumerator = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    try {
        auto* result = new CEnumFormatEtc(m_formats);
        result->AddRef();
        *enumerator = result;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CIDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT CIDataObject::DUnadvise(DWORD) { return E_NOTIMPL; }

HRESULT CIDataObject::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

// ---------------------------------------------------------------------------------------------------
// Format enumerator

CEnumFormatEtc::CEnumFormatEtc(const std::vector<FORMATETC>& formats) : m_formats(formats) {}

CEnumFormatEtc::CEnumFormatEtc(const std::vector<FORMATETC*>& formats) {
    m_formats.reserve(formats.size());
    for (const FORMATETC* format : formats) m_formats.push_back(*format);
}

HRESULT CEnumFormatEtc::QueryInterface(REFIID iid, void** object) {
    return QueryOwnInterface<IEnumFORMATETC>(this, iid, IID_IEnumFORMATETC, object);
}

ULONG CEnumFormatEtc::AddRef() { return ++m_refCount; }

ULONG CEnumFormatEtc::Release() { return ReleaseSelf(this, m_refCount); }

HRESULT CEnumFormatEtc::Next(ULONG count, FORMATETC* formats, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (count == 0 || !formats) return S_FALSE;
    if (m_position >= m_formats.size() || (count != 1 && !fetched)) return S_FALSE;
    ULONG copied = 0;
    while (copied < count && m_position < m_formats.size()) formats[copied++] = m_formats[m_position++];
    if (fetched) *fetched = copied;
    return copied == count ? S_OK : S_FALSE;
}

HRESULT CEnumFormatEtc::Skip(ULONG count) {
    if (m_position + count >= m_formats.size()) return S_FALSE;
    m_position += count;
    return S_OK;
}

HRESULT CEnumFormatEtc::Reset() {
    m_position = 0;
    return S_OK;
}

HRESULT CEnumFormatEtc::Clone(IEnumFORMATETC** clone) {
    if (!clone) return E_POINTER;
    *clone = nullptr;
    try {
        auto* copy = new CEnumFormatEtc(m_formats);
        copy->m_position = m_position;
        copy->AddRef();
        *clone = copy;
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// ---------------------------------------------------------------------------------------------------
// Drag picture

CDragSourceHelper::CDragSourceHelper() {
    void* helper = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_IDragSourceHelper,
                                   &helper)))
        m_helper = static_cast<IDragSourceHelper*>(helper);
}

CDragSourceHelper::CDragSourceHelper(IDragSourceHelper* helper) : m_helper(helper) {
    if (m_helper) m_helper->AddRef();
}

CDragSourceHelper::~CDragSourceHelper() {
    if (m_helper) m_helper->Release();
}

HRESULT CDragSourceHelper::InitializeFromBitmap(HBITMAP bitmap, POINT grab, RECT rect, IDataObject* data,
                                                COLORREF colorKey) {
    if (!m_helper) return E_FAIL;
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    // The service owns the bitmap once the call succeeds, and deletes it when the drag ends.
    auto* copy = static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!copy) return E_FAIL;
    SHDRAGIMAGE image = {};
    image.sizeDragImage.cx = info.bmWidth;
    image.sizeDragImage.cy = info.bmHeight;
    image.ptOffset.x = grab.x - rect.left;
    image.ptOffset.y = grab.y - rect.top;
    image.hbmpDragImage = copy;
    image.crColorKey = colorKey;
    const HRESULT result = m_helper->InitializeFromBitmap(&image, data);
    if (FAILED(result)) DeleteObject(copy);
    return result;
}

}  // namespace SkinUI
