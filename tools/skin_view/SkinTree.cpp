#include "SkinTree.h"

#include "UIContainer.h"
#include "UIControlFactory.h"
#include "UIList.h"
#include "UIListHeader.h"
#include "UITextResource.h"

namespace SkinView {

using namespace SkinUI;

const TLanguagePack kLanguagePacks[3] = {
    {L"en", L"lan/lan_en.xml"}, {L"cn_zh", L"lan/lan_cn.xml"}, {L"ru", L"lan/lan_ru.xml"}};

const wchar_t kMainLayout[] = L"XML_MAIN";
const wchar_t kChannelLayout[] = L"xml/channel_settings_6in_mixer.xml";
const wchar_t kChannelHost[] = L"channel_settings";

bool OpenEmbeddedSkin(HINSTANCE module, const wchar_t* password) {
    HRSRC resource = FindResourceW(module, L"IDR_ZIPRES", L"ZIPRES");
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = resource ? SizeofResource(module, resource) : 0;
    if (!bytes || !size) return false;
    CPaintManagerUI::SetResourceSourceKind(4);
    if (!CPaintManagerUI::OpenResourceArchiveFromMemory(bytes, size, password)) return false;
    return CTextResource::GetInstance()->LoadResourceTable(L"xml\\res.xml");
}

bool LoadSkinLanguages(const wchar_t* selected) {
    CTextResource* texts = CTextResource::GetInstance();
    for (const TLanguagePack& pack : kLanguagePacks) {
        if (!texts->LoadLanguage(pack.file, pack.name)) return false;
    }
    texts->SelectLanguage(selected);
    return texts->GetLanguage().CompareIgnoreCase(selected) == 0;
}

CControlUI* CStandInFactory::CreateControl(const wchar_t* element) {
    // The application's own controls are drawn like the standard control they extend.
    static const struct {
        const wchar_t* element;
        const wchar_t* standard;
    } kNearest[] = {{L"SButton", L"COptionUI"}, {L"CircleProgress", L"CProgressUI"}, {L"Curve", L"CControlUI"},
                    {L"CurveAc", L"CControlUI"}};
    for (const auto& pair : kNearest) {
        if (_wcsicmp(element, pair.element) != 0) continue;
        if (CControlUI* control = CControlFactory::GetInstance()->CreateControl(pair.standard)) return control;
        return new CStandInUI(element);
    }
    m_unknown.insert(element);
    return new CStandInUI(element);
}

bool AttachChannelSettings(CPaintManagerUI& manager, IDialogBuilderCallback* callback, CControlUI* root) {
    CControlUI* host = nullptr;
    for (CControlUI* control : AllControls(root)) {
        if (control->GetName() == kChannelHost) host = control;
    }
    auto* container = host ? static_cast<IContainerUI*>(host->GetInterface(L"IContainer")) : nullptr;
    if (!container) return false;
    CUIBuilder builder;
    CControlUI* channels = builder.Create(kChannelLayout, nullptr, callback, &manager, nullptr);
    if (!channels) return false;
    return container->Add(channels);
}

namespace {

CControlUI* Collect(CControlUI* control, void* found) {
    static_cast<std::vector<CControlUI*>*>(found)->push_back(control);
    return nullptr;  // go on through the whole tree
}

}  // namespace

// The container items of every container, what the framework's own walk reaches besides, and each list's
// header (no item of its list).
std::vector<CControlUI*> AllControls(CControlUI* root) {
    std::vector<CControlUI*> found;
    std::set<CControlUI*> seen;
    std::vector<CControlUI*> pending;
    if (root) pending.push_back(root);
    while (!pending.empty()) {
        CControlUI* control = pending.back();
        pending.pop_back();
        if (!seen.insert(control).second) continue;
        found.push_back(control);
        std::vector<CControlUI*> reached;
        control->FindControl(&Collect, &reached, UIFIND_ALL | UIFIND_ME_FIRST);
        if (auto* container = static_cast<IContainerUI*>(control->GetInterface(L"IContainer"))) {
            for (int i = 0; i < container->GetCount(); ++i) reached.push_back(container->GetItemAt(i));
        }
        if (auto* list = static_cast<IListUI*>(control->GetInterface(L"IList"))) {
            if (list->GetHeader()) reached.push_back(list->GetHeader());
        }
        for (CControlUI* next : reached) {
            if (!seen.count(next)) pending.push_back(next);
        }
    }
    return found;
}

std::set<std::wstring> ControlNames(CControlUI* root) {
    std::set<std::wstring> names;
    for (CControlUI* control : AllControls(root)) {
        const CUIString name = control->GetName();
        if (!name.IsEmpty()) names.insert(name.Data());
    }
    return names;
}

}  // namespace SkinView
