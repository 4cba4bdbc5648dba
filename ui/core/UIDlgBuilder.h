#pragma once
// CUIBuilder: turns a layout XML into a control tree. The root element "Window" carries window-wide
// settings for the window's paint manager; its first-level children "Image", "Font", "Default", "Style"
// and "Import" register resources with the manager; "Include" builds another layout into the current
// parent; every other element N becomes a control of class "C" + N + "UI" (from the control factory,
// then the plug-ins, then the window's callback) whose XML attributes go to its SetAttribute.
#include "UIMarkup.h"
#include "UIString.h"

#include <windows.h>

namespace SkinUI {

class CControlUI;
class CPaintManagerUI;
class IContainerUI;

// The window's creator of its own controls, for element names the factory does not know.
class IDialogBuilderCallback {
public:
    virtual ~IDialogBuilderCallback() = default;
    virtual CControlUI* CreateControl(const wchar_t* className) = 0;
};

// Tree nodes and tree views live with the other controls; the builder places them through these
// interfaces, which those classes answer for GetInterface(L"ITreeNode") and GetInterface(L"ITreeView").
class ITreeNodeUI {
public:
    virtual ~ITreeNodeUI() = default;
    virtual CControlUI* GetTreeViewControl() = 0;  // the tree view the node belongs to, or null
    virtual IContainerUI* GetItemLayout() = 0;     // takes the node's ordinary child controls
};

class ITreeViewUI {
public:
    virtual ~ITreeViewUI() = default;
    virtual bool AddNode(CControlUI* node) = 0;  // a top-level node
};

// Registers the control classes of the core (control, container, scroll bar and layouts) with the
// control factory. The builder does it itself; other code that creates controls by class name before
// any layout is built calls it once.
void RegisterCoreControlClasses();

class CUIBuilder {
public:
    // Layouts included into layouts (and nested child layouts) deeper than this are refused, as is a
    // layout that includes itself.
    enum { kMaxIncludeNesting = 16 };
    // What one layout, with everything it includes, may build: more makes the whole build fail (no
    // control of it is kept), so that a hostile layout can neither hang the program nor exhaust its
    // memory.
    enum { kMaxIncludeCount = 1000, kMaxLayoutControls = 20000 };

    CUIBuilder();
    CUIBuilder(const CUIBuilder&) = delete;
    CUIBuilder& operator=(const CUIBuilder&) = delete;

    // layout: a layout id of the resource index (replaced by its path), XML text (first character "<"),
    // a file name, or a Win32 resource id (MAKEINTRESOURCE) of the given type. Null when the layout
    // cannot be found, read or parsed, goes beyond the limits above or runs out of memory
    // (GetLastErrorMessage tells why); the controls it had built are gone then.
    CControlUI* Create(const wchar_t* layout, const wchar_t* resourceType = nullptr,
                       IDialogBuilderCallback* callback = nullptr, CPaintManagerUI* manager = nullptr,
                       CControlUI* parent = nullptr);
    // Builds from the markup already loaded (GetMarkup).
    CControlUI* Create(IDialogBuilderCallback* callback = nullptr, CPaintManagerUI* manager = nullptr,
                       CControlUI* parent = nullptr);

    CUIMarkup* GetMarkup() { return &m_xml; }
    const wchar_t* GetLastErrorMessage() const {
        return m_sError.IsEmpty() ? m_xml.GetLastErrorMessage() : m_sError.Data();
    }
    const wchar_t* GetLastErrorLocation() const { return m_xml.GetLastErrorLocation(); }
    // The module whose resources are searched for resource ids (null: the manager's resource module).
    void SetInstance(HINSTANCE instance) { m_instance = instance; }

    // Builds the child elements of node into parent; returns the first control created at this level.
    CControlUI* ParseNode(const CUIMarkupNode& node, CControlUI* parent, CPaintManagerUI* manager);

private:
    bool LoadLayout(const wchar_t* layout, const wchar_t* resourceType);
    bool LoadResourceLayout(const wchar_t* id, const wchar_t* resourceType);
    void RegisterResources(const CUIMarkupNode& root, CPaintManagerUI& manager);
    void ApplyWindowAttributes(CUIMarkupNode root, CPaintManagerUI& manager);
    CControlUI* Build(IDialogBuilderCallback* callback, CPaintManagerUI* manager, CControlUI* parent);
    CControlUI* ParseLevel(const CUIMarkupNode& node, CControlUI* parent, CPaintManagerUI* manager);
    void BuildInclude(CUIMarkupNode node, CControlUI* parent, CPaintManagerUI* manager);
    CControlUI* CreateControlFor(const wchar_t* elementName);

    CUIMarkup m_xml;
    IDialogBuilderCallback* m_pCallback = nullptr;
    CUIString m_sResourceType;
    HINSTANCE m_instance = nullptr;
    CUIString m_sError;  // why the last build failed, when the markup did not say
};

}  // namespace SkinUI
