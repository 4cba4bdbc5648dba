#pragma once
// OLE drag and drop: a window as drop target (CIDropTarget), the source side of a drag (CIDropSource,
// CIDataObject, CEnumFormatEtc) and the shell's drag picture (CDragSourceHelper).
//
// Reference counts are plain counters: every call arrives on the UI thread that registered the window.
// An object deletes itself when Release takes its count from 1 to 0; a new object starts at 0, so its
// creator takes the first reference with AddRef.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include <vector>

namespace SkinUI {

class CIDropTarget : public IDropTarget {
public:
    // Asks the shell for its drag-picture service (stays null when COM cannot make it).
    explicit CIDropTarget(HWND target = nullptr);
    CIDropTarget(const CIDropTarget&) = delete;
    CIDropTarget& operator=(const CIDropTarget&) = delete;
    virtual ~CIDropTarget();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

    // The dropped data in the chosen format. True: the medium is released by the caller; false: the
    // receiver kept it.
    virtual bool OnDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) = 0;

    // Formats are tried in the order they were added; the first the drag offers is chosen.
    void AddSupportedFormat(const FORMATETC& format);
    void ClearSupportedFormats();
    int GetSupportedFormatCount() const { return static_cast<int>(m_formats.size()); }
    void SetTargetWindow(HWND target) { m_hTargetWnd = target; }
    HWND GetTargetWindow() const { return m_hTargetWnd; }
    ULONG GetRefCount() const { return m_refCount; }

    // The effect granted for the keys held, from the effects the source allows (in/out). False when
    // nothing is granted or no accepted format is on offer.
    bool DecideEffect(DWORD keyState, DWORD* effect) const;

protected:
    ULONG m_refCount = 0;

private:
    bool m_allowDrop = false;
    IDropTargetHelper* m_dropHelper = nullptr;
    std::vector<FORMATETC> m_formats;
    const FORMATETC* m_chosenFormat = nullptr;
    HWND m_hTargetWnd = nullptr;
};

class CIDropSource : public IDropSource {
public:
    CIDropSource() = default;
    virtual ~CIDropSource() = default;
    CIDropSource(const CIDropSource&) = delete;
    CIDropSource& operator=(const CIDropSource&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override;

    bool IsDropped() const { return m_dropped; }

private:
    ULONG m_refCount = 0;
    bool m_dropped = false;
};

class CIDataObject : public IDataObject {
public:
    explicit CIDataObject(CIDropSource* source);
    virtual ~CIDataObject();
    CIDataObject(const CIDataObject&) = delete;
    CIDataObject& operator=(const CIDataObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** enumerator) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD connection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** enumerator) override;

    CIDropSource* GetDropSource() const { return m_source; }

    // A copy of source in destination: handles duplicated, stream and storage interfaces shared with a
    // reference, a file name copied into task memory.
    static void CopyMedium(STGMEDIUM* destination, const STGMEDIUM* source, const FORMATETC* format);

private:
    CIDropSource* m_source;
    ULONG m_refCount = 0;
    std::vector<FORMATETC*> m_formats;
    std::vector<STGMEDIUM*> m_media;  // entry i belongs to format i
};

class CEnumFormatEtc : public IEnumFORMATETC {
public:
    explicit CEnumFormatEtc(const std::vector<FORMATETC>& formats);
    explicit CEnumFormatEtc(const std::vector<FORMATETC*>& formats);
    virtual ~CEnumFormatEtc() = default;
    CEnumFormatEtc(const CEnumFormatEtc&) = delete;
    CEnumFormatEtc& operator=(const CEnumFormatEtc&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** clone) override;

private:
    ULONG m_refCount = 0;
    std::vector<FORMATETC> m_formats;  // shallow copies: a target device pointer is shared
    ULONG m_position = 0;
};

// The picture that follows the cursor during a drag, through the shell's drag-image service.
class CDragSourceHelper {
public:
    CDragSourceHelper();
    // Another drag-image service (it takes its own reference); null gives none.
    explicit CDragSourceHelper(IDragSourceHelper* helper);
    virtual ~CDragSourceHelper();
    CDragSourceHelper(const CDragSourceHelper&) = delete;
    CDragSourceHelper& operator=(const CDragSourceHelper&) = delete;

    // grab: the cursor's place in the picture; rect: the picture's area (its top-left is the origin of
    // grab). The caller keeps its bitmap: the service gets a copy. E_FAIL without the service.
    HRESULT InitializeFromBitmap(HBITMAP bitmap, POINT grab, RECT rect, IDataObject* data,
                                 COLORREF colorKey = GetSysColor(COLOR_WINDOW));

private:
    IDragSourceHelper* m_helper = nullptr;
};

}  // namespace SkinUI
