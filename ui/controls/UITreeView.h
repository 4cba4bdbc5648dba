#pragma once
// The tree view and its nodes. CTreeViewUI shows a node hierarchy as a flat list whose rows are the
// nodes in display order; each CTreeNodeUI row holds an indentation line, a folder button, a check box
// and a text button, and keeps its parent node, its children and its view. The view keeps the list order
// in step with the hierarchy: a node's children always follow it, after its earlier children's subtrees.
// A selected folder button means collapsed.
//
// The dialog builder places nodes through ITreeNodeUI and ITreeViewUI, so it needs neither class.
#include "UIDlgBuilder.h"
#include "UIHorizontalLayout.h"
#include "UIList.h"
#include "UIListElement.h"
#include "UINotify.h"

namespace SkinUI {

class CCheckBoxUI;
class CLabelUI;
class COptionUI;
class CTreeViewUI;

class CTreeNodeUI : public CListContainerElementUI, public ITreeNodeUI {
public:
    enum { kRowHeight = 18, kRowWidth = 250, kTopIndent = 2, kIndentStep = 16 };

    // parent: the node this one will belong to (its indentation follows the parent's).
    explicit CTreeNodeUI(CControlUI* parent = nullptr);
    ~CTreeNodeUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void DoEvent(TUIEvent& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    // ---- IContainerUI: nodes become child nodes, other controls ordinary children
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;

    // ---- IListItemUI
    bool Select(bool select = true) override;
    bool SelectMulti(bool select = true) override;
    bool IsExpanded() const override { return m_bExpanded; }
    // Opens or closes the node's subtree as its folder button does.
    bool Expand(bool expand = true) override;

    // ---- ITreeNodeUI
    CControlUI* GetTreeViewControl() override;
    IContainerUI* GetItemLayout() override;

    bool AppendChild(CTreeNodeUI* node);
    bool RemoveChildNode(CTreeNodeUI* node);
    CTreeNodeUI* PrepareChild(CTreeNodeUI* node);
    // The last row of this node's subtree: itself without children.
    CTreeNodeUI* FindLastDescendant();
    int GetListPosition() const;

    CTreeNodeUI* GetChild(int index) const;
    int GetChildCount() const { return m_children.Count(); }
    bool HasChildren() const { return !m_children.IsEmpty(); }
    bool IsChild(CTreeNodeUI* node) const { return m_children.IndexOf(node) >= 0; }
    CUIPtrArray CopyChildren() const { return m_children; }
    CTreeNodeUI* GetParentTreeNode() const { return m_pParentNode; }
    void SetParentTreeNode(CTreeNodeUI* parent) { m_pParentNode = parent; }
    CTreeViewUI* GetTreeView() const { return m_pTreeView; }
    void SetTreeView(CTreeViewUI* view) { m_pTreeView = view; }
    CUIString GetItemText() const;
    void SetItemText(const wchar_t* text);
    void SetCheckBoxSelected(bool selected);
    bool IsCheckBoxSelected() const;
    void SetFolderButtonVisible(bool visible);
    void SetCheckBoxVisible(bool visible);
    void SetExpandedFlag(bool expanded) { m_bExpanded = expanded; }

    void SetItemTextColor(DWORD color);
    void SetItemHotTextColor(DWORD color);
    void SetSelItemTextColor(DWORD color);
    void SetSelItemHotTextColor(DWORD color);
    DWORD GetItemTextColor() const { return m_dwItemTextColor; }
    DWORD GetItemHotTextColor() const { return m_dwItemHotTextColor; }
    DWORD GetSelItemTextColor() const { return m_dwSelItemTextColor; }
    DWORD GetSelItemHotTextColor() const { return m_dwSelItemHotTextColor; }

    CHorizontalLayoutUI* GetRowLayout() const { return m_pRow; }
    CCheckBoxUI* GetFolderButton() const { return m_pFolderButton; }
    CLabelUI* GetIndentLine() const { return m_pIndentLine; }
    CCheckBoxUI* GetCheckBox() const { return m_pCheckBox; }
    COptionUI* GetTextButton() const { return m_pTextButton; }
    int GetIndentWidth() const { return m_nIndentWidth; }  // unscaled

private:
    void SetIndentWidth(int width);
    void HideUnderCollapsed(CTreeNodeUI* node);
    // Takes the child out of the children array only; false when it is not a child.
    bool DetachChild(CTreeNodeUI* node);
    // The text colour for the hover state just entered or left.
    void ApplyHoverTextColor(bool entering);

    bool m_bExpanded = true;
    DWORD m_dwItemTextColor = 0;
    DWORD m_dwItemHotTextColor = 0;
    DWORD m_dwSelItemTextColor = 0;
    DWORD m_dwSelItemHotTextColor = 0;
    CTreeViewUI* m_pTreeView = nullptr;
    CHorizontalLayoutUI* m_pRow = nullptr;
    CCheckBoxUI* m_pFolderButton = nullptr;
    CLabelUI* m_pIndentLine = nullptr;
    CCheckBoxUI* m_pCheckBox = nullptr;
    COptionUI* m_pTextButton = nullptr;
    CTreeNodeUI* m_pParentNode = nullptr;
    CUIPtrArray m_children;
    int m_nIndentWidth = kTopIndent;
    bool m_bRowAdded = false;  // false when the row parts belong to nobody yet
};

class CTreeViewUI : public CListUI, public INotifyUI, public ITreeViewUI {
public:
    CTreeViewUI();
    ~CTreeViewUI() override;
    static CControlUI* CreateControl();

    const wchar_t* GetClass() const override;
    void* GetInterface(const wchar_t* name) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    int GetListType() override;
    void Notify(TNotifyMessage& msg) override;

    // ---- IContainerUI: removing a row removes the node's whole subtree
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    // ---- ITreeViewUI
    bool AddNode(CControlUI* node) override;

    // Inserts the node and its whole prepared subtree at the list index; the index after the last row
    // inserted, or -1 for a control that is not a node.
    virtual int InsertNodeAt(CControlUI* node, int index);
    virtual bool InsertNodeBefore(CControlUI* node, CControlUI* item);
    virtual bool RemoveNode(CControlUI* node);
    virtual bool OnNodeCheckBoxNotify(void* param);
    virtual bool OnNodeFolderNotify(void* param);
    virtual bool OnNodeDoubleClickNotify(void* param);
    virtual bool SetItemChecked(bool checked, CTreeNodeUI* node = nullptr);
    virtual void SetItemExpanded(bool expanded, CTreeNodeUI* node = nullptr);
    virtual void SetFolderButtonsVisible(bool visible);
    virtual bool GetFolderButtonsVisible() const { return m_bFolderButtonsVisible; }
    virtual void SetCheckBoxesVisible(bool visible);
    virtual bool GetCheckBoxesVisible() const { return m_bCheckBoxesVisible; }
    virtual void SetItemMinWidth(int width);
    virtual int GetItemMinWidth() const { return m_nItemMinWidth; }
    virtual void SetItemTextColor(DWORD color);
    virtual void SetItemHotTextColor(DWORD color);
    virtual void SetSelItemTextColor(DWORD color);
    virtual void SetSelItemHotTextColor(DWORD color);

private:
    static CTreeNodeUI* AsNode(CControlUI* control);
    CTreeNodeUI* NodeAt(int index);
    // Subscribes to the node's events and gives it the view's settings.
    void SetUpNode(CTreeNodeUI* node);
    template <class Fn>
    void ForEachNode(Fn fn) {
        for (int i = 0; i < GetCount(); ++i)
            if (CTreeNodeUI* node = NodeAt(i)) fn(node);
    }

    int m_nItemMinWidth = 0;
    bool m_bFolderButtonsVisible = true;
    bool m_bCheckBoxesVisible = false;
};

}  // namespace SkinUI
