#include "UIControlFactory.h"

#include <atomic>
#include <mutex>

namespace SkinUI {

namespace {

// The framework's built-in control classes, in registration order.
constexpr const wchar_t* kBuiltinClasses[] = {
    L"CControlUI",              L"CContainerUI",           L"CButtonUI",
    L"CComboUI",                L"CComboBoxUI",            L"CDateTimeUI",
    L"CEditUI",                 L"CActiveXUI",             L"CFlashUI",
    L"CGifAnimUI",              L"CGroupBoxUI",            L"CIPAddressUI",
    L"CIPAddressExUI",          L"CLabelUI",               L"CListUI",
    L"CListHeaderUI",           L"CListHeaderItemUI",      L"CListLabelElementUI",
    L"CListTextElementUI",      L"CListContainerElementUI", L"CMenuUI",
    L"CMenuElementUI",          L"COptionUI",              L"CCheckBoxUI",
    L"CProgressUI",             L"CRichEditUI",            L"CScrollBarUI",
    L"CSliderUI",               L"CTextUI",                L"CTreeNodeUI",
    L"CTreeViewUI",             L"CWebBrowserUI",          L"CAnimationTabLayoutUI",
    L"CChildLayoutUI",          L"CHorizontalLayoutUI",    L"CTabLayoutUI",
    L"CTileLayoutUI",           L"CVerticalLayoutUI",      L"CRollTextUI",
    L"CColorPaletteUI",         L"CListExUI",              L"CListContainerHeaderItemUI",
    L"CListTextExtElementUI",   L"CHotKeyUI",              L"CFadeButtonUI",
    L"CRingUI",                 L"CLoadingBarUI",
};
constexpr int kBuiltinClassCount = sizeof(kBuiltinClasses) / sizeof(kBuiltinClasses[0]);
static_assert(kBuiltinClassCount == 47, "the built-in class list has 47 entries");

std::atomic<CControlFactory*> gInstance{nullptr};
std::recursive_mutex gMutex;  // a registrar may ask for the instance while the built-ins go in

std::vector<CControlFactory::Registrar>& Registrars() {
    static std::vector<CControlFactory::Registrar> registrars;
    return registrars;
}

}  // namespace

CControlFactory::CControlFactory() = default;

CControlFactory::~CControlFactory() = default;

CControlFactory* CControlFactory::GetInstance() {
    CControlFactory* instance = gInstance.load(std::memory_order_acquire);
    if (instance) return instance;
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    instance = gInstance.load(std::memory_order_relaxed);
    if (!instance) {
        instance = new CControlFactory();
        gInstance.store(instance, std::memory_order_release);
        for (Registrar registrar : Registrars()) registrar(*instance);
    }
    return instance;
}

void CControlFactory::Release() {
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    delete gInstance.exchange(nullptr);
}

void CControlFactory::AddBuiltinRegistrar(Registrar registrar) {
    if (!registrar) return;
    std::lock_guard<std::recursive_mutex> lock(gMutex);
    for (Registrar known : Registrars()) {
        if (known == registrar) return;
    }
    Registrars().push_back(registrar);
    if (CControlFactory* instance = gInstance.load()) registrar(*instance);
}

CUIString CControlFactory::Key(const wchar_t* className) {
    CUIString key(className);
    key.ToLower();
    return key;
}

void CControlFactory::RegistControl(const wchar_t* className, CreateControlFn create) {
    if (!className || !*className || !create) return;
    m_creators.emplace(Key(className), create);  // keeps an existing entry
}

void CControlFactory::RegistControls(const TControlClass* classes, int count) {
    for (int i = 0; classes && i < count; ++i) RegistControl(classes[i].name, classes[i].create);
}

CControlUI* CControlFactory::CreateControl(const wchar_t* className) const {
    auto found = m_creators.find(Key(className));
    return found == m_creators.end() ? nullptr : found->second();
}

bool CControlFactory::IsRegistered(const wchar_t* className) const {
    return m_creators.find(Key(className)) != m_creators.end();
}

int CControlFactory::GetBuiltinClassCount() { return kBuiltinClassCount; }

const wchar_t* CControlFactory::GetBuiltinClassName(int index) {
    return index >= 0 && index < kBuiltinClassCount ? kBuiltinClasses[index] : nullptr;
}

}  // namespace SkinUI
