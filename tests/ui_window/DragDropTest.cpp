// OLE drag and drop objects: the drop target's format choice and effect decision, the drop that always
// answers "none", the drop source, the data object's storage, look-ups and medium copies, the format
// enumerator, and self-deleting reference counts. The paint manager as its window's drop target: in
// place while the window lives, accepting nothing, never deleted by its count, revoked before the window
// goes.
#include "WindowTestSupport.h"

#include <cstring>
#include <string>

#include "UIDragDrop.h"

using namespace SkinUI;

namespace {

FORMATETC Format(CLIPFORMAT format, DWORD tymed, DWORD aspect = DVASPECT_CONTENT) {
    return FORMATETC{format, nullptr, aspect, -1, tymed};
}

HGLOBAL GlobalText(const char* text) {
    const size_t size = strlen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(memory), text, size);
    GlobalUnlock(memory);
    return memory;
}

std::string ReadGlobalText(HGLOBAL memory) {
    const char* text = static_cast<const char*>(GlobalLock(memory));
    std::string result = text ? text : "";
    GlobalUnlock(memory);
    return result;
}

// A data object offering CF_TEXT in global memory; released by the test.
CIDataObject* TextData(const char* text) {
    auto* data = new CIDataObject(nullptr);
    data->AddRef();
    FORMATETC format = Format(CF_TEXT, TYMED_HGLOBAL);
    STGMEDIUM medium = {};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = GlobalText(text);
    EXPECT_EQ(S_OK, data->SetData(&format, &medium, TRUE));
    return data;
}

class RecordingTarget : public CIDropTarget {
public:
    bool OnDrop(FORMATETC* format, STGMEDIUM* medium, DWORD* effect) override {
        ++drops;
        droppedFormat = format->cfFormat;
        droppedText = ReadGlobalText(medium->hGlobal);
        effectSeen = *effect;
        if (!releaseMedium) kept = *medium;
        return releaseMedium;
    }
    int drops = 0;
    CLIPFORMAT droppedFormat = 0;
    std::string droppedText;
    DWORD effectSeen = 0;
    bool releaseMedium = true;
    STGMEDIUM kept = {};
};

DWORD Enter(CIDropTarget& target, IDataObject* data, DWORD keys, DWORD allowed) {
    DWORD effect = allowed;
    EXPECT_EQ(S_OK, target.DragEnter(data, keys, POINTL{0, 0}, &effect));
    return effect;
}

}  // namespace

TEST(DropTarget, EffectFollowsTheKeysAndWhatTheSourceAllows) {
    RecordingTarget target;
    target.AddSupportedFormat(Format(CF_TEXT, TYMED_HGLOBAL));
    CIDataObject* data = TextData("x");
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    EXPECT_EQ(DWORD(DROPEFFECT_NONE), Enter(target, data, MK_CONTROL, DROPEFFECT_MOVE));
    EXPECT_EQ(DWORD(DROPEFFECT_COPY), Enter(target, data, MK_CONTROL, all));
    EXPECT_EQ(DWORD(DROPEFFECT_MOVE), Enter(target, data, MK_SHIFT, all));
    EXPECT_EQ(DWORD(DROPEFFECT_LINK), Enter(target, data, MK_CONTROL | MK_SHIFT, all));
    EXPECT_EQ(DWORD(DROPEFFECT_NONE), Enter(target, data, MK_CONTROL | MK_SHIFT, DROPEFFECT_COPY));
    EXPECT_EQ(DWORD(DROPEFFECT_COPY), Enter(target, data, 0, all));
    EXPECT_EQ(DWORD(DROPEFFECT_MOVE), Enter(target, data, 0, DROPEFFECT_MOVE | DROPEFFECT_LINK));
    EXPECT_EQ(DWORD(DROPEFFECT_LINK), Enter(target, data, 0, DROPEFFECT_LINK));
    DWORD effect = DROPEFFECT_MOVE;
    EXPECT_EQ(S_OK, target.DragOver(MK_CONTROL, POINTL{1, 1}, &effect));
    EXPECT_EQ(DWORD(DROPEFFECT_NONE), effect);
    effect = all;
    EXPECT_EQ(S_OK, target.DragOver(MK_SHIFT, POINTL{1, 1}, &effect));
    EXPECT_EQ(DWORD(DROPEFFECT_MOVE), effect);
    EXPECT_EQ(S_OK, target.DragLeave());
    effect = all;
    target.DragOver(0, POINTL{1, 1}, &effect);
    EXPECT_EQ(DWORD(DROPEFFECT_NONE), effect) << "after leaving, nothing is allowed";
    EXPECT_EQ(E_INVALIDARG, target.DragEnter(nullptr, 0, POINTL{0, 0}, &effect));
    data->Release();
}

TEST(DropTarget, DataWithoutAnAcceptedFormatIsRefused) {
    RecordingTarget target;
    target.AddSupportedFormat(Format(CF_HDROP, TYMED_HGLOBAL));
    CIDataObject* data = TextData("not a file list");
    EXPECT_EQ(DWORD(DROPEFFECT_NONE), Enter(target, data, 0, DROPEFFECT_COPY));
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_EQ(S_OK, target.Drop(data, 0, POINTL{0, 0}, &effect));
    EXPECT_EQ(0, target.drops);
    EXPECT_EQ(DWORD(DROPEFFECT_NONE), effect);

    RecordingTarget acceptsNothing;
    EXPECT_EQ(DWORD(DROPEFFECT_NONE), Enter(acceptsNothing, data, 0, DROPEFFECT_COPY));
    data->Release();
}

TEST(DropTarget, DropHandsTheDataOverAndAlwaysAnswersNone) {
    RecordingTarget target;
    target.AddSupportedFormat(Format(CF_HDROP, TYMED_HGLOBAL));
    target.AddSupportedFormat(Format(CF_TEXT, TYMED_HGLOBAL));
    CIDataObject* data = TextData("dropped words");
    Enter(target, data, 0, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(S_OK, target.Drop(data, MK_SHIFT, POINTL{3, 4}, &effect));
    EXPECT_EQ(1, target.drops);
    EXPECT_EQ(CF_TEXT, target.droppedFormat);
    EXPECT_EQ("dropped words", target.droppedText);
    EXPECT_EQ(DWORD(DROPEFFECT_MOVE), target.effectSeen);
    EXPECT_EQ(DWORD(DROPEFFECT_NONE), effect);

    // A receiver that keeps the medium gets a copy of its own that outlives the data object.
    target.releaseMedium = false;
    Enter(target, data, 0, DROPEFFECT_COPY);
    effect = DROPEFFECT_COPY;
    target.Drop(data, 0, POINTL{0, 0}, &effect);
    data->Release();
    EXPECT_EQ("dropped words", ReadGlobalText(target.kept.hGlobal));
    ReleaseStgMedium(&target.kept);
}

TEST(DropSource, ReleasingTheButtonsDropsAndEscapeCancels) {
    CIDropSource source;
    EXPECT_EQ(DRAGDROP_S_CANCEL, source.QueryContinueDrag(TRUE, MK_LBUTTON));
    EXPECT_EQ(S_OK, source.QueryContinueDrag(FALSE, MK_LBUTTON));
    EXPECT_EQ(S_OK, source.QueryContinueDrag(FALSE, MK_RBUTTON));
    EXPECT_FALSE(source.IsDropped());
    EXPECT_EQ(DRAGDROP_S_DROP, source.QueryContinueDrag(FALSE, 0));
    EXPECT_TRUE(source.IsDropped());
    EXPECT_EQ(DRAGDROP_S_USEDEFAULTCURSORS, source.GiveFeedback(DROPEFFECT_COPY));
}

TEST(DataObject, QueryGetDataAnswers) {
    CIDataObject* data = new CIDataObject(nullptr);
    data->AddRef();
    FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL);
    EXPECT_EQ(E_INVALIDARG, data->QueryGetData(nullptr));
    EXPECT_EQ(DV_E_TYMED, data->QueryGetData(&text)) << "empty object";
    STGMEDIUM medium = {};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = GlobalText("t");
    data->SetData(&text, &medium, TRUE);
    EXPECT_EQ(S_OK, data->QueryGetData(&text));
    FORMATETC icon = Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_ICON);
    EXPECT_EQ(DV_E_DVASPECT, data->QueryGetData(&icon));
    FORMATETC unicode = Format(CF_UNICODETEXT, TYMED_HGLOBAL);
    EXPECT_EQ(DV_E_CLIPFORMAT, data->QueryGetData(&unicode));
    FORMATETC stream = Format(CF_TEXT, TYMED_ISTREAM);
    EXPECT_EQ(DV_E_TYMED, data->QueryGetData(&stream));
    STGMEDIUM out = {};
    EXPECT_EQ(DV_E_FORMATETC, data->GetData(&unicode, &out));
    EXPECT_EQ(E_INVALIDARG, data->GetData(nullptr, &out));
    FORMATETC canonical = {};
    EXPECT_EQ(DATA_S_SAMEFORMATETC, data->GetCanonicalFormatEtc(&text, &canonical));
    EXPECT_EQ(E_NOTIMPL, data->GetDataHere(&text, &out));
    EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, data->DAdvise(&text, 0, nullptr, nullptr));
    data->Release();
}

TEST(DataObject, GetDataCopiesTheMedium) {
    CIDataObject* data = TextData("original");
    FORMATETC text = Format(CF_TEXT, TYMED_HGLOBAL | TYMED_ISTREAM);
    STGMEDIUM first = {};
    STGMEDIUM second = {};
    ASSERT_EQ(S_OK, data->GetData(&text, &first));
    ASSERT_EQ(S_OK, data->GetData(&text, &second));
    EXPECT_EQ(DWORD(TYMED_HGLOBAL), first.tymed);
    EXPECT_NE(first.hGlobal, second.hGlobal);
    EXPECT_EQ("original", ReadGlobalText(first.hGlobal));
    ReleaseStgMedium(&first);
    EXPECT_EQ("original", ReadGlobalText(second.hGlobal)) << "each copy is its own";
    ReleaseStgMedium(&second);

    // A stream is shared with a reference, not copied.
    IStream* stream = nullptr;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, &stream));
    FORMATETC streamFormat = Format(CF_TEXT, TYMED_ISTREAM);
    STGMEDIUM streamMedium = {};
    streamMedium.tymed = TYMED_ISTREAM;
    streamMedium.pstm = stream;
    data->SetData(&streamFormat, &streamMedium, FALSE);  // the object takes its own reference
    STGMEDIUM out = {};
    ASSERT_EQ(S_OK, data->GetData(&streamFormat, &out));
    EXPECT_EQ(stream, out.pstm);
    stream->AddRef();
    EXPECT_EQ(3u, stream->Release()) << "the test's, the object's and the copy's reference";
    ReleaseStgMedium(&out);

    // A file medium holds a name, which is copied as text.
    FORMATETC fileFormat = Format(CF_TEXT, TYMED_FILE);
    STGMEDIUM fileMedium = {};
    fileMedium.tymed = TYMED_FILE;
    wchar_t name[] = L"C:\\somewhere\\file.txt";
    fileMedium.lpszFileName = name;
    data->SetData(&fileFormat, &fileMedium, FALSE);
    STGMEDIUM fileOut = {};
    ASSERT_EQ(S_OK, data->GetData(&fileFormat, &fileOut));
    ASSERT_NE(nullptr, fileOut.lpszFileName);
    EXPECT_NE(name, fileOut.lpszFileName);
    EXPECT_STREQ(name, fileOut.lpszFileName);
    CoTaskMemFree(fileOut.lpszFileName);
    data->Release();
    EXPECT_EQ(0u, stream->Release()) << "the data object let its stream go";
}

TEST(FormatEnumerator, NextSkipResetAndClone) {
    CIDataObject* data = TextData("a");
    FORMATETC unicode = Format(CF_UNICODETEXT, TYMED_HGLOBAL);
    STGMEDIUM medium = {};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = GlobalText("b");
    data->SetData(&unicode, &medium, TRUE);
    IEnumFORMATETC* formats = nullptr;
    EXPECT_EQ(E_NOTIMPL, data->EnumFormatEtc(DATADIR_SET, &formats));
    EXPECT_EQ(E_POINTER, data->EnumFormatEtc(DATADIR_GET, nullptr));
    ASSERT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, &formats));

    FORMATETC out[3] = {};
    EXPECT_EQ(S_FALSE, formats->Next(3, out, nullptr)) << "several records need a count pointer";
    EXPECT_EQ(0, out[0].cfFormat);
    EXPECT_EQ(S_FALSE, formats->Skip(2)) << "skipping to the end";
    ULONG fetched = 9;
    EXPECT_EQ(S_OK, formats->Next(1, out, &fetched)) << "the position was not moved";
    EXPECT_EQ(1u, fetched);
    EXPECT_EQ(CF_TEXT, out[0].cfFormat);

    IEnumFORMATETC* copy = nullptr;
    ASSERT_EQ(S_OK, formats->Clone(&copy));
    EXPECT_EQ(S_OK, copy->Next(1, out, nullptr));
    EXPECT_EQ(CF_UNICODETEXT, out[0].cfFormat) << "the clone goes on where the original was";
    EXPECT_EQ(S_FALSE, copy->Next(1, out, &fetched));
    EXPECT_EQ(0u, fetched);

    formats->Reset();
    EXPECT_EQ(S_FALSE, formats->Next(3, out, &fetched));
    EXPECT_EQ(2u, fetched);
    EXPECT_EQ(CF_TEXT, out[0].cfFormat);
    EXPECT_EQ(CF_UNICODETEXT, out[1].cfFormat);
    EXPECT_EQ(S_FALSE, formats->Next(0, out, &fetched));
    EXPECT_EQ(0u, copy->Release());
    EXPECT_EQ(0u, formats->Release());
    data->Release();
}

namespace {
bool g_sourceDeleted = false;
class CountedSource : public CIDropSource {
public:
    ~CountedSource() override { g_sourceDeleted = true; }
};
}  // namespace

TEST(ReferenceCounts, AnObjectDeletesItselfWhenTheLastReferenceGoes) {
    auto* source = new CountedSource;
    EXPECT_EQ(1u, source->AddRef());
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, source->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, source->QueryInterface(IID_IDataObject, &other));
    EXPECT_EQ(nullptr, other);
    EXPECT_EQ(1u, unknown->Release());
    EXPECT_FALSE(g_sourceDeleted);
    EXPECT_EQ(0u, source->Release());
    EXPECT_TRUE(g_sourceDeleted);
}

namespace {

// A drag-image service that, like the shell's, deletes the bitmap it was given once it accepted it.
class COwningImageService : public IDragSourceHelper {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDragSourceHelper)) return E_NOINTERFACE;
        *object = static_cast<IDragSourceHelper*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE InitializeFromBitmap(SHDRAGIMAGE* image, IDataObject*) override {
        given = image->hbmpDragImage;
        givenSize = image->sizeDragImage;
        if (!accept) return E_FAIL;
        DeleteObject(image->hbmpDragImage);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InitializeFromWindow(HWND, POINT*, IDataObject*) override { return E_NOTIMPL; }

    ULONG references = 1;
    bool accept = true;
    HBITMAP given = nullptr;
    SIZE givenSize = {};
};

}  // namespace

TEST(DragPicture, TheServiceGetsACopyAndTheCallerKeepsItsBitmap) {
    CIDataObject* data = TextData("picture");
    HBITMAP picture = CreateBitmap(6, 4, 1, 32, nullptr);
    COwningImageService service;
    {
        CDragSourceHelper helper(&service);
        EXPECT_EQ(S_OK, helper.InitializeFromBitmap(picture, POINT{3, 2}, RECT{0, 0, 6, 4}, data));
        EXPECT_NE(picture, service.given);
        EXPECT_EQ(6, service.givenSize.cx);
        EXPECT_EQ(4, service.givenSize.cy);
        BITMAP info = {};
        EXPECT_NE(0, GetObjectW(picture, sizeof info, &info)) << "the caller's bitmap was deleted by the service";

        service.accept = false;
        EXPECT_EQ(E_FAIL, helper.InitializeFromBitmap(picture, POINT{3, 2}, RECT{0, 0, 6, 4}, data));
        EXPECT_EQ(0u, GetObjectType(service.given)) << "a refused copy is deleted";
        EXPECT_NE(0, GetObjectW(picture, sizeof info, &info));
    }
    EXPECT_EQ(1u, service.references);
    DeleteObject(picture);
    data->Release();
}

namespace {

const wchar_t kPlainLayout[] = L"<Window size=\"120,80\"><VerticalLayout bkcolor=\"#FF808080\"/></Window>";

// A data object offering a bitmap, as a drag of a picture would.
CIDataObject* BitmapData() {
    auto* data = new CIDataObject(nullptr);
    data->AddRef();
    FORMATETC format = Format(CF_BITMAP, TYMED_GDI);
    STGMEDIUM medium = {};
    medium.tymed = TYMED_GDI;
    medium.hBitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    data->SetData(&format, &medium, TRUE);
    return data;
}

}  // namespace

TEST(ManagerDropTarget, InPlaceWhileTheWindowLivesAndAcceptingNothing) {
    WindowTest::CTestWindow window(kPlainLayout);
    ASSERT_NE(nullptr, window.Create());
    CPaintManagerUI& pm = window.pm();
    HWND hwnd = window.GetHandle();
    ASSERT_TRUE(pm.IsDropTargetRegistered());
    auto* other = new RecordingTarget;
    other->AddRef();
    EXPECT_EQ(DRAGDROP_E_ALREADYREGISTERED, RegisterDragDrop(hwnd, other));

    for (CIDataObject* data : {TextData("words"), BitmapData()}) {
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        EXPECT_EQ(S_OK, pm.DragEnter(data, 0, POINTL{10, 10}, &effect));
        EXPECT_EQ(DWORD(DROPEFFECT_NONE), effect);
        effect = DROPEFFECT_COPY;
        EXPECT_EQ(S_OK, pm.Drop(data, 0, POINTL{10, 10}, &effect));
        EXPECT_EQ(DWORD(DROPEFFECT_NONE), effect);
        data->Release();
    }

    // Its count never deletes it: it lives inside its window object.
    pm.AddRef();
    pm.AddRef();
    pm.Release();
    pm.Release();
    EXPECT_EQ(0u, pm.Release());
    EXPECT_EQ(hwnd, pm.GetWindowHandle());

    pm.RevokeDropTarget();
    EXPECT_FALSE(pm.IsDropTargetRegistered());
    EXPECT_EQ(S_OK, RegisterDragDrop(hwnd, other)) << "revoked: the window takes another target";
    EXPECT_EQ(S_OK, RevokeDragDrop(hwnd));
    EXPECT_EQ(0u, other->Release());
}

TEST(ManagerDropTarget, RevokedWhenTheWindowIsDestroyed) {
    WindowTest::CTestWindow window(kPlainLayout);
    ASSERT_NE(nullptr, window.Create());
    ASSERT_TRUE(window.pm().IsDropTargetRegistered());
    DestroyWindow(window.GetHandle());
    EXPECT_FALSE(window.pm().IsDropTargetRegistered());
    EXPECT_TRUE(window.destroyed);
}
