#include "UIDlgBuilder.h"

#include "UIAttributes.h"
#include "UIContainer.h"
#include "UIControlFactory.h"
#include "UIManager.h"
#include "UITextResource.h"
#include "base/Log.h"

#include <cwchar>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <vector>

namespace SkinUI {

namespace {

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

bool IsResourceElement(const wchar_t* name) {
    return Is(name, L"Image") || Is(name, L"Font") || Is(name, L"Default") || Is(name, L"Style") || Is(name, L"Import");
}

// ---- window attributes of the root element "Window"

using WindowAttributeSetter = void (*)(CPaintManagerUI& manager, const wchar_t* value);

struct TWindowAttribute {
    const wchar_t* name;
    bool matchCase;
    WindowAttributeSetter set;
};

const TWindowAttribute kWindowAttributes[] = {
    {L"size", false,
     [](CPaintManagerUI& m, const wchar_t* v) {
         const SIZE size = ParseSize(v);
         m.SetInitialSize(m.GetDpiScaler()->Scale(size.cx), m.GetDpiScaler()->Scale(size.cy));
     }},
    {L"sizebox", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetSizeBox(ParseRect(v)); }},
    {L"caption", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetCaptionRect(ParseRect(v)); }},
    {L"roundcorner", false,
     [](CPaintManagerUI& m, const wchar_t* v) {
         const SIZE size = ParseSize(v);
         m.SetCornerRoundness(size.cx, size.cy);
     }},
    {L"mininfo", false,
     [](CPaintManagerUI& m, const wchar_t* v) {
         const SIZE size = ParseSize(v);
         m.SetMinInfo(size.cx, size.cy);
     }},
    {L"maxinfo", false,
     [](CPaintManagerUI& m, const wchar_t* v) {
         const SIZE size = ParseSize(v);
         m.SetMaxInfo(size.cx, size.cy);
     }},
    {L"showdirty", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetShowUpdateRect(IsTrue(v)); }},
    {L"noactivate", true, [](CPaintManagerUI& m, const wchar_t* v) { m.SetNoActivate(IsTrue(v)); }},
    {L"disabledfontcolor", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetDefaultDisabledColor(ParseColor(v)); }},
    {L"defaultfontcolor", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetDefaultTextColor(ParseColor(v)); }},
    {L"linkfontcolor", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetDefaultLinkColor(ParseColor(v)); }},
    {L"linkhoverfontcolor", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetDefaultLinkHoverColor(ParseColor(v)); }},
    {L"selectedcolor", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetDefaultSelectedBkColor(ParseColor(v)); }},
    {L"gdiplustext", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetUseGdiplusText(IsTrue(v)); }},
    {L"textrenderinghint", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetGdiplusTextRenderingHint(ParseInt(v)); }},
    {L"tooltiphovertime", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetHoverDelay(ParseInt(v)); }},
    {L"opacity", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetOpacity(static_cast<BYTE>(ParseInt(v))); }},
    {L"alpha", false, [](CPaintManagerUI& m, const wchar_t* v) { m.SetOpacity(static_cast<BYTE>(ParseInt(v))); }},
    {L"layeredopacity", true, [](CPaintManagerUI& m, const wchar_t* v) { m.SetLayeredOpacity(static_cast<BYTE>(ParseInt(v))); }},
    {L"layered", true, [](CPaintManagerUI& m, const wchar_t* v) { m.SetLayeredWindow(IsTrue(v)); }},
    {L"bktrans", true, [](CPaintManagerUI& m, const wchar_t* v) { m.SetLayeredWindow(IsTrue(v)); }},
    {L"layeredimage", true,
     [](CPaintManagerUI& m, const wchar_t* v) {
         m.SetLayeredWindow(true);
         m.SetLayeredImage(v);
     }},
    {L"shadowsize", false, [](CPaintManagerUI& m, const wchar_t* v) { m.GetShadowWindow()->SetSize(ParseInt(v)); }},
    {L"shadowsharpness", false, [](CPaintManagerUI& m, const wchar_t* v) { m.GetShadowWindow()->SetSharpness(ParseInt(v)); }},
    {L"shadowdarkness", false, [](CPaintManagerUI& m, const wchar_t* v) { m.GetShadowWindow()->SetDarkness(ParseInt(v)); }},
    {L"shadowposition", false,
     [](CPaintManagerUI& m, const wchar_t* v) {
         const SIZE offset = ParseSize(v);
         m.GetShadowWindow()->SetPosition(offset.cx, offset.cy);
     }},
    {L"shadowcolor", false, [](CPaintManagerUI& m, const wchar_t* v) { m.GetShadowWindow()->SetColor(ParseColor(v)); }},
    {L"shadowcorner", false, [](CPaintManagerUI& m, const wchar_t* v) { m.GetShadowWindow()->SetShadowCorner(ParseRect(v)); }},
    {L"shadowimage", false, [](CPaintManagerUI& m, const wchar_t* v) { m.GetShadowWindow()->SetImage(v); }},
    {L"showshadow", false, [](CPaintManagerUI& m, const wchar_t* v) { m.GetShadowWindow()->ShowShadow(IsTrue(v)); }},
};

// ---- layouts being built right now, outermost first (UI thread only): an "Include" of one of them
// would never end.

std::vector<CUIString>& LayoutsInProgress() {
    static std::vector<CUIString> layouts;
    return layouts;
}

CUIString LayoutKey(const wchar_t* layout) {
    if (!IS_INTRESOURCE(layout)) return CUIString(layout);
    CUIString key;
    key.Format(L"#%u", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(layout)));
    return key;
}

class LayoutInProgress {
public:
    explicit LayoutInProgress(const CUIString& key) { LayoutsInProgress().push_back(key); }
    ~LayoutInProgress() { LayoutsInProgress().pop_back(); }
};

bool IsIncludeRefused(const CUIString& key) {
    const std::vector<CUIString>& layouts = LayoutsInProgress();
    if (layouts.size() >= static_cast<size_t>(CUIBuilder::kMaxIncludeNesting)) return true;
    for (const CUIString& outer : layouts) {
        if (outer.CompareIgnoreCase(key.Data()) == 0) return true;
    }
    return false;
}

// ---- what one layout build has used up, shared by the builders of everything it includes (UI thread
// only). The outermost builder owns it; a failure recorded here stops every level of the build.

class BuildBudget {
public:
    BuildBudget() : m_owner(!s_current) {
        if (m_owner) s_current = this;
    }
    ~BuildBudget() {
        if (m_owner) s_current = nullptr;
    }
    BuildBudget(const BuildBudget&) = delete;
    BuildBudget& operator=(const BuildBudget&) = delete;

    bool IsOwner() const { return m_owner; }
    static bool Failed() { return s_current && !s_current->m_error.IsEmpty(); }
    static void Fail(const CUIString& why) {
        if (s_current && s_current->m_error.IsEmpty()) s_current->m_error = why;
    }
    const CUIString& Error() const { return s_current->m_error; }
    // One more control; false (and the build failed) beyond the limit.
    static bool TakeControl() {
        if (!s_current || ++s_current->m_controls <= CUIBuilder::kMaxLayoutControls) return true;
        CUIString why;
        why.Format(L"the layout builds more than %d controls", static_cast<int>(CUIBuilder::kMaxLayoutControls));
        Fail(why);
        return false;
    }
    // One more included layout built; false beyond the limit.
    static bool TakeInclude() {
        if (!s_current || ++s_current->m_includes <= CUIBuilder::kMaxIncludeCount) return true;
        CUIString why;
        why.Format(L"the layout includes layouts more than %d times", static_cast<int>(CUIBuilder::kMaxIncludeCount));
        Fail(why);
        return false;
    }

private:
    static BuildBudget* s_current;
    bool m_owner;
    int m_controls = 0;
    int m_includes = 0;
    CUIString m_error;
};

BuildBudget* BuildBudget::s_current = nullptr;

// The controls a failed build added to a parent that was given to it are taken out again.
void RemoveAddedChildren(CControlUI* parent, int countBefore) {
    auto* container = parent ? static_cast<IContainerUI*>(parent->GetInterface(L"IContainer")) : nullptr;
    if (!container) return;
    auto* owner = static_cast<CContainerUI*>(parent->GetInterface(L"Container"));
    for (int i = container->GetCount() - 1; i >= countBefore; --i) {
        CControlUI* child = container->GetItemAt(i);
        container->RemoveAt(i);
        if (owner && !owner->IsAutoDestroy()) delete child;
    }
}

int ChildCount(CControlUI* parent) {
    auto* container = parent ? static_cast<IContainerUI*>(parent->GetInterface(L"IContainer")) : nullptr;
    return container ? container->GetCount() : 0;
}

// The outermost builder is the boundary of a build: a failure anywhere below it (a limit, or an
// allocation or other exception) becomes a null result with the reason in error and nothing of the
// build left behind. The builders of included layouts pass an exception on to it.
CControlUI* GuardedBuild(CUIString& error, CControlUI* parent, const std::function<CControlUI*()>& build) {
    error.Clear();
    const BuildBudget budget;
    const int childrenBefore = ChildCount(parent);
    CControlUI* root = nullptr;
    try {
        root = build();
    } catch (const std::bad_alloc&) {
        if (!budget.IsOwner()) throw;
        BuildBudget::Fail(L"out of memory while building the layout");
    } catch (const std::exception& e) {
        if (!budget.IsOwner()) throw;
        CUIString why;
        why.Format(L"the layout build failed: %hs", e.what());
        BuildBudget::Fail(why);
    }
    if (!budget.IsOwner() || !BuildBudget::Failed()) return root;
    error = budget.Error();
    LogPrintW(L"CUIBuilder::Create: %ls\n", error.Data());
    if (!parent) delete root;
    RemoveAddedChildren(parent, childrenBefore);
    return nullptr;
}

// ---- attaching a new control to its parent

enum class Attach { Done, Refused, NoContainer };

}  // namespace

CUIBuilder::CUIBuilder() { RegisterCoreControlClasses(); }

// ---------------------------------------------------------------------------------------------------
// Loading.

CControlUI* CUIBuilder::Create(const wchar_t* layout, const wchar_t* resourceType, IDialogBuilderCallback* callback,
                               CPaintManagerUI* manager, CControlUI* parent) {
    if (!layout) return nullptr;
    const LayoutInProgress inProgress(LayoutKey(layout));
    CControlUI* root = GuardedBuild(m_sError, parent, [&]() -> CControlUI* {
        if (!LoadLayout(layout, resourceType)) {
            LogPrintW(L"CUIBuilder::Create: layout not loaded: %ls %ls\n", GetLastErrorMessage(), GetLastErrorLocation());
            return nullptr;
        }
        return Build(callback, manager, parent);
    });
    m_xml.Release();
    return root;
}

bool CUIBuilder::LoadLayout(const wchar_t* layout, const wchar_t* resourceType) {
    m_sResourceType = resourceType;
    if (IS_INTRESOURCE(layout)) return LoadResourceLayout(layout, resourceType);
    if (const wchar_t* path = CTextResource::GetInstance()->GetLayoutPath(layout)) layout = path;
    if (layout[0] == L'<') return m_xml.Load(layout);
    return m_xml.LoadFromFile(layout);
}

bool CUIBuilder::LoadResourceLayout(const wchar_t* id, const wchar_t* resourceType) {
    HINSTANCE module = m_instance ? m_instance : CPaintManagerUI::GetResourceModule();
    HRSRC resource = FindResourceW(module, id, resourceType);
    HGLOBAL handle = resource ? LoadResource(module, resource) : nullptr;
    const DWORD size = resource ? SizeofResource(module, resource) : 0;
    const auto* bytes = handle ? static_cast<const BYTE*>(LockResource(handle)) : nullptr;
    if (!bytes || size == 0) {
        LogPrintW(L"CUIBuilder::Create: resource %u not found\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(id)));
        return false;
    }
    return m_xml.LoadFromMem(bytes, size);
}

CControlUI* CUIBuilder::Create(IDialogBuilderCallback* callback, CPaintManagerUI* manager, CControlUI* parent) {
    return GuardedBuild(m_sError, parent, [&] { return Build(callback, manager, parent); });
}

CControlUI* CUIBuilder::Build(IDialogBuilderCallback* callback, CPaintManagerUI* manager, CControlUI* parent) {
    m_pCallback = callback;
    const CUIMarkupNode root = m_xml.GetRoot();
    if (!root.IsValid()) return nullptr;
    if (manager) {
        RegisterResources(root, *manager);
        if (Is(root.GetName(), L"Window") && manager->GetWindowHandle()) ApplyWindowAttributes(root, *manager);
    }
    return ParseLevel(root, parent, manager);
}

// ---------------------------------------------------------------------------------------------------
// Resources and window settings.

void CUIBuilder::RegisterResources(const CUIMarkupNode& root, CPaintManagerUI& manager) {
    for (CUIMarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
        const wchar_t* name = node.GetName();
        const bool shared = IsTrue(node.GetAttributeValue(L"shared"));
        if (Is(name, L"Image")) {
            manager.AddImage(node.GetAttributeValue(L"name"), node.GetAttributeValue(L"restype"),
                             ParseColor(node.GetAttributeValue(L"mask")), false, shared);
        } else if (Is(name, L"Font")) {
            const int id = node.HasAttribute(L"id") ? ParseInt(node.GetAttributeValue(L"id")) : -1;
            if (id < 0) continue;
            const wchar_t* face = node.GetAttributeValue(L"name");
            const int size = node.HasAttribute(L"size") ? ParseInt(node.GetAttributeValue(L"size")) : 12;
            const bool bold = IsTrue(node.GetAttributeValue(L"bold"));
            const bool underline = IsTrue(node.GetAttributeValue(L"underline"));
            const bool italic = IsTrue(node.GetAttributeValue(L"italic"));
            manager.AddFont(id, face, size, bold, underline, italic, shared);
            if (IsTrue(node.GetAttributeValue(L"default"))) manager.SetDefaultFont(face, size, bold, underline, italic, shared);
        } else if (Is(name, L"Default")) {
            manager.AddDefaultAttributeList(node.GetAttributeValue(L"name"), node.GetAttributeValue(L"value"), shared);
        } else if (Is(name, L"Style")) {
            manager.AddStyle(node.GetAttributeValue(L"name"), node.GetAttributeValue(L"value"), shared);
        } else if (Is(name, L"Import")) {
            manager.LoadFontFile(node.GetAttributeValue(L"fontfile"));
        }
    }
}

void CUIBuilder::ApplyWindowAttributes(CUIMarkupNode root, CPaintManagerUI& manager) {
    for (int i = 0; i < root.GetAttributeCount(); ++i) {
        const wchar_t* name = root.GetAttributeName(i);
        const wchar_t* value = root.GetAttributeValue(i);
        for (const TWindowAttribute& attribute : kWindowAttributes) {
            const bool match = attribute.matchCase ? wcscmp(name, attribute.name) == 0 : Is(name, attribute.name);
            if (!match) continue;
            attribute.set(manager, value);
            break;
        }
    }
}

// ---------------------------------------------------------------------------------------------------
// Controls.

CControlUI* CUIBuilder::CreateControlFor(const wchar_t* elementName) {
    CUIString className(L"C");
    className += elementName;
    className += L"UI";
    if (CControlUI* control = CControlFactory::GetInstance()->CreateControl(className.Data())) return control;
    const CUIPtrArray& plugins = CPaintManagerUI::GetPlugins();
    for (int i = 0; i < plugins.Count(); ++i) {
        auto create = reinterpret_cast<PluginCreateControl>(plugins[i]);
        if (CControlUI* control = create(elementName)) return control;
    }
    CControlUI* control = m_pCallback ? m_pCallback->CreateControl(elementName) : nullptr;
    if (!control) LogPrintW(L"CUIBuilder: no control for the element \"%ls\"\n", elementName);
    return control;
}

void CUIBuilder::BuildInclude(CUIMarkupNode node, CControlUI* parent, CPaintManagerUI* manager) {
    const int count = node.HasAttribute(L"count") ? ParseInt(node.GetAttributeValue(L"count")) : 1;
    const wchar_t* source = node.GetAttributeValue(L"source");
    if (count > kMaxIncludeCount) {
        CUIString why;
        why.Format(L"Include count %d is above %d", count, static_cast<int>(kMaxIncludeCount));
        BuildBudget::Fail(why);
        return;
    }
    const bool byResourceId = !m_sResourceType.IsEmpty();
    const wchar_t* layout = byResourceId ? MAKEINTRESOURCEW(ParseInt(source)) : source;
    if (IsIncludeRefused(LayoutKey(layout))) {
        LogPrintW(L"CUIBuilder: include of \"%ls\" refused: it includes itself or nests too deeply\n", source);
        return;
    }
    for (int i = 0; i < count && BuildBudget::TakeInclude(); ++i) {
        CUIBuilder builder;
        builder.SetInstance(m_instance);
        builder.Create(layout, byResourceId ? m_sResourceType.Data() : nullptr, m_pCallback, manager, parent);
    }
}

CControlUI* CUIBuilder::ParseNode(const CUIMarkupNode& root, CControlUI* parent, CPaintManagerUI* manager) {
    const BuildBudget budget;  // a build of its own unless a layout build is running
    return ParseLevel(root, parent, manager);
}

CControlUI* CUIBuilder::ParseLevel(const CUIMarkupNode& root, CControlUI* parent, CPaintManagerUI* manager) {
    CControlUI* first = nullptr;
    IContainerUI* container = nullptr;
    bool containerAsked = false;
    for (CUIMarkupNode node = root.GetChild(); node.IsValid() && !BuildBudget::Failed(); node = node.GetSibling()) {
        const wchar_t* name = node.GetName();
        if (IsResourceElement(name)) continue;
        if (Is(name, L"Include")) {
            BuildInclude(node, parent, manager);
            continue;
        }
        // Held here until something owns it, so that a failure below leaves nothing behind.
        std::unique_ptr<CControlUI> owned(CreateControlFor(name));
        if (!owned) continue;
        if (!BuildBudget::TakeControl()) break;
        CControlUI* control = owned.get();
        if (node.HasChildren()) ParseLevel(node, control, manager);
        if (BuildBudget::Failed()) break;

        CControlUI* treeView = nullptr;
        CPaintManagerUI* liveManager = nullptr;  // of a parent already in a window's tree
        if (parent) {
            auto* newNode = static_cast<ITreeNodeUI*>(control->GetInterface(L"ITreeNode"));
            auto* parentNode = static_cast<ITreeNodeUI*>(parent->GetInterface(L"ITreeNode"));
            auto* parentView = static_cast<ITreeViewUI*>(parent->GetInterface(L"ITreeView"));
            Attach attached = Attach::Done;
            if (newNode && parentNode) {
                treeView = parentNode->GetTreeViewControl();
                auto* nodeContainer = static_cast<IContainerUI*>(parent->GetInterface(L"IContainer"));
                attached = nodeContainer && nodeContainer->Add(control) ? Attach::Done : Attach::Refused;
            } else if (newNode && parentView) {
                treeView = parent;
                attached = parentView->AddNode(control) ? Attach::Done : Attach::Refused;
            } else if (parentNode) {
                IContainerUI* items = parentNode->GetItemLayout();
                attached = items && items->Add(control) ? Attach::Done : Attach::Refused;
            } else {
                if (!containerAsked) {
                    container = static_cast<IContainerUI*>(parent->GetInterface(L"IContainer"));
                    containerAsked = true;
                }
                attached = !container ? Attach::NoContainer : container->Add(control) ? Attach::Done : Attach::Refused;
                liveManager = parent->GetManager();
            }
            if (attached != Attach::Done) {
                // Nobody holds the control: it goes, instead of leaking with its subtree.
                if (attached == Attach::NoContainer) return first;
                continue;
            }
            owned.release();  // the parent holds it now
        }
        CPaintManagerUI* styling = manager ? manager : liveManager;
        if (styling) {
            control->SetManager(styling, treeView, treeView != nullptr);
            if (const wchar_t* defaults = styling->GetClassDefaultAttributes(name)) control->ApplyAttributeList(defaults);
        }
        for (int i = 0; i < node.GetAttributeCount(); ++i)
            control->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
        if (liveManager) {
            // Joined a window's tree before its name was known: it stays there, and its name is
            // registered now (attaching registered those of its children).
            control->SetManager(liveManager, parent, false);
            control->FindControl(&CPaintManagerUI::FindControlFromNameHash, liveManager, UIFIND_ALL);
        } else if (styling && !treeView) {
            // Waits, detached, for the tree it belongs to to be attached.
            control->SetManager(nullptr, nullptr, false);
        }
        if (!first) first = control;
        // The first control of a level without a parent is the caller's; others of that level have
        // nobody to hold them and go.
        if (control == first) owned.release();
    }
    return first;
}

}  // namespace SkinUI
