// CPaintManagerUI: process-wide settings (kept by CUIResourceSettings), plug-ins and the shutdown of the
// shared resources.
#include "UIManagerShared.h"

#include "UIControlFactory.h"
#include "UIRender.h"
#include "UITextResource.h"

#include <cstdlib>

namespace SkinUI {

SharedResources& Shared() {
    static SharedResources shared;
    return shared;
}

CUIPtrArray& CPaintManagerUI::GetManagers() { return Shared().managers; }

// ---- resource location

void CPaintManagerUI::SetModuleInstance(HINSTANCE instance) { CUIResourceSettings::SetModuleInstance(instance); }
HINSTANCE CPaintManagerUI::GetModuleInstance() { return CUIResourceSettings::GetModuleInstance(); }
void CPaintManagerUI::SetResourceModule(HINSTANCE module) { CUIResourceSettings::SetResourceModule(module); }
HINSTANCE CPaintManagerUI::GetResourceModule() { return CUIResourceSettings::GetResourceModule(); }
CUIString CPaintManagerUI::GetModuleFolder() { return CUIResourceSettings::GetModuleFolder(); }
CUIString CPaintManagerUI::GetCurrentPath() { return CUIResourceSettings::GetCurrentPath(); }
void CPaintManagerUI::SetCurrentPath(const wchar_t* path) { CUIResourceSettings::SetCurrentPath(path); }
void CPaintManagerUI::SetResourceFolder(const wchar_t* folder) { CUIResourceSettings::SetResourceFolder(folder); }
const CUIString& CPaintManagerUI::GetResourceFolder() { return CUIResourceSettings::GetResourceFolder(); }
void CPaintManagerUI::SetResourceSourceKind(int kind) { CUIResourceSettings::SetResourceSourceKind(kind); }
int CPaintManagerUI::GetResourceSourceKind() { return CUIResourceSettings::GetResourceSourceKind(); }

bool CPaintManagerUI::OpenResourceArchiveFromMemory(const void* data, unsigned size, const wchar_t* password) {
    return CUIResourceSettings::OpenResourceArchiveFromMemory(data, size, password);
}

bool CPaintManagerUI::OpenResourceArchiveFile(const wchar_t* name, bool cache, const wchar_t* password) {
    return CUIResourceSettings::OpenResourceArchiveFile(name, cache, password);
}

const CUIString& CPaintManagerUI::GetArchiveName() { return CUIResourceSettings::GetArchiveName(); }
bool CPaintManagerUI::IsArchiveCached() { return CUIResourceSettings::IsArchiveCached(); }
ZipHandle* CPaintManagerUI::GetArchiveHandle() { return CUIResourceSettings::GetArchiveHandle(); }
const CUIString& CPaintManagerUI::GetArchivePassword() { return CUIResourceSettings::GetArchivePassword(); }

// ---- plug-ins

bool CPaintManagerUI::LoadPlugin(const wchar_t* moduleName) {
    if (!moduleName || !*moduleName) return false;
    HMODULE module = LoadLibraryW(moduleName);
    if (!module) return false;
    void* entry = reinterpret_cast<void*>(GetProcAddress(module, "CreateControl"));
    if (!entry) {
        FreeLibrary(module);  // not a plug-in: nothing keeps it loaded
        return false;
    }
    CUIPtrArray& plugins = Shared().plugins;  // PluginCreateControl pointers
    if (plugins.IndexOf(entry) < 0) plugins.Add(entry);
    return true;
}

const CUIPtrArray& CPaintManagerUI::GetPlugins() { return Shared().plugins; }

void CPaintManagerUI::FreeBlock(void* block) { free(block); }

// ---- shutdown

void CPaintManagerUI::AddShutdownHook(void (*hook)(bool all)) {
    if (hook) Shared().shutdownHooks.push_back(hook);
}

void CPaintManagerUI::ShutdownShared(bool all) {
    SharedResources& shared = Shared();
    for (auto hook : shared.shutdownHooks) hook(all);
    shared.shutdownHooks.clear();
    FreeImageMap(shared.set.images);
    FreeFontMap(shared.set.fonts);
    if (shared.set.defaultFont.handle) DeleteObject(shared.set.defaultFont.handle);
    shared.set.defaultFont = TFontRecord();  // the next manager makes it again
    FreeTextMap(shared.set.styles);
    FreeTextMap(shared.set.defaultAttributes);
    CUIResourceSettings::CloseResourceArchive();
    if (all) {
        CTextResource::Release();
        CControlFactory::Release();
    }
}

}  // namespace SkinUI
