#include "UITreeView.h"

#include "UIAttributes.h"
#include "UILabel.h"
#include "UIListHeader.h"
#include "UIManager.h"
#include "UIOption.h"

namespace SkinUI {

namespace {

bool Is(const wchar_t* name, const wchar_t* expected) { return EqualsIgnoreCase(name, expected); }

bool IsMouseEvent(const TUIEvent& event) {
    return event.Type >= UIEVENT__MOUSEBEGIN && event.Type <= UIEVENT__MOUSEEND;
}

CTreeNodeUI* NodeOf(CControlUI* control) {
    return control ? static_cast<CTreeNodeUI*>(control->GetInterface(L"TreeNode")) : nullptr;
}

// The node whose row holds a part (folder button or check box): the part's parent's parent.
CTreeNodeUI* NodeOfPart(CControlUI* part) {
    CControlUI* row = part ? part->GetParent() : nullptr;
    return NodeOf(row ? row->GetParent() : nullptr);
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// CTreeNodeUI

CTreeNodeUI::CTreeNodeUI(CControlUI* parent) {
    SetFixedHeight(kRowHeight);
    SetFixedWidth(kRowWidth);
    m_pRow = new CHorizontalLayoutUI;
    m_pFolderButton = new CCheckBoxUI;
    m_pIndentLine = new CLabelUI;
    m_pCheckBox = new CCheckBoxUI;
    m_pTextButton = new COptionUI;

    m_pRow->SetChildVAlign(DT_VCENTER);
    // Clicks on the row's free space belong to the node; its buttons still take their own.
    m_pRow->SetMouseEnabled(false);
    m_pFolderButton->SetFixedWidth(kRowHeight);
    m_pCheckBox->SetFixedWidth(kRowHeight);
    m_pCheckBox->SetVisible(false);
    m_pIndentLine->SetVisible(false);
    m_pIndentLine->SetFixedWidth(kTopIndent);
    m_pTextButton->SetAttribute(L"align", L"left");
    m_pTextButton->SetMouseEnabled(false);

    if (parent) {
        CTreeNodeUI* parentNode = EqualsIgnoreCase(parent->GetClass(), L"TreeNodeUI") ? NodeOf(parent) : nullptr;
        if (!parentNode) return;  // not a node: the parts stay out of the row (freed by the destructor)
        m_pIndentLine->SetVisible(parentNode->m_pIndentLine->IsVisible());
        SetIndentWidth(parentNode->m_nIndentWidth + kIndentStep);
        m_pParentNode = parentNode;
    }
    m_pRow->Add(m_pIndentLine);
    m_pRow->Add(m_pFolderButton);
    m_pRow->Add(m_pCheckBox);
    m_pRow->Add(m_pTextButton);
    CContainerUI::Add(m_pRow);
    m_bRowAdded = true;
}

CTreeNodeUI::~CTreeNodeUI() {
    if (!m_bRowAdded) {
        delete m_pIndentLine;
        delete m_pFolderButton;
        delete m_pCheckBox;
        delete m_pTextButton;
        delete m_pRow;
    }
    // Children outside any view belong to nobody else.
    for (int i = 0; i < m_children.Count(); ++i) {
        auto* child = static_cast<CTreeNodeUI*>(m_children[i]);
        if (child && !child->m_pTreeView) delete child;
    }
}

CControlUI* CTreeNodeUI::CreateControl() { return new CTreeNodeUI; }

const wchar_t* CTreeNodeUI::GetClass() const { return L"TreeNodeUI"; }

void* CTreeNodeUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"TreeNode")) return static_cast<CTreeNodeUI*>(this);
    if (Is(name, L"ITreeNode")) return static_cast<ITreeNodeUI*>(this);
    return CListContainerElementUI::GetInterface(name);
}

CControlUI* CTreeNodeUI::GetTreeViewControl() { return m_pTreeView; }

IContainerUI* CTreeNodeUI::GetItemLayout() { return m_pRow; }

void CTreeNodeUI::SetIndentWidth(int width) {
    m_nIndentWidth = width;
    m_pIndentLine->SetFixedWidth(width);
    // A subtree prepared before this node found its parent moves in with it.
    for (int i = 0; i < m_children.Count(); ++i)
        if (CTreeNodeUI* child = GetChild(i)) child->SetIndentWidth(width + kIndentStep);
}

CTreeNodeUI* CTreeNodeUI::GetChild(int index) const {
    return index >= 0 && index < m_children.Count() ? static_cast<CTreeNodeUI*>(m_children[index]) : nullptr;
}

CUIString CTreeNodeUI::GetItemText() const { return m_pTextButton->GetText(); }

void CTreeNodeUI::SetItemText(const wchar_t* text) { m_pTextButton->SetText(text); }

void CTreeNodeUI::SetCheckBoxSelected(bool selected) { m_pCheckBox->Selected(selected); }

bool CTreeNodeUI::IsCheckBoxSelected() const { return m_pCheckBox->IsSelected(); }

void CTreeNodeUI::SetFolderButtonVisible(bool visible) { m_pFolderButton->SetVisible(visible); }

void CTreeNodeUI::SetCheckBoxVisible(bool visible) { m_pCheckBox->SetVisible(visible); }

void CTreeNodeUI::SetItemTextColor(DWORD color) {
    m_dwItemTextColor = color;
    m_pTextButton->SetTextColor(color);
}

void CTreeNodeUI::SetItemHotTextColor(DWORD color) {
    m_dwItemHotTextColor = color;
    Invalidate();
}

void CTreeNodeUI::SetSelItemTextColor(DWORD color) {
    m_dwSelItemTextColor = color;
    Invalidate();
}

void CTreeNodeUI::SetSelItemHotTextColor(DWORD color) {
    m_dwSelItemHotTextColor = color;
    Invalidate();
}

int CTreeNodeUI::GetListPosition() const {
    return m_pTreeView ? m_pTreeView->GetItemIndex(const_cast<CTreeNodeUI*>(this)) : -1;
}

CTreeNodeUI* CTreeNodeUI::FindLastDescendant() {
    CTreeNodeUI* last = nullptr;
    for (int i = 0; i < m_children.Count(); ++i)
        if (m_children[i]) last = GetChild(i);
    return last ? last->FindLastDescendant() : this;
}

CTreeNodeUI* CTreeNodeUI::PrepareChild(CTreeNodeUI* node) {
    node->m_pIndentLine->SetVisible(true);
    node->SetIndentWidth(m_nIndentWidth + kIndentStep);
    node->m_pParentNode = this;
    if (!m_pTextButton->GetGroup().IsEmpty()) node->m_pTextButton->SetGroup(m_pTextButton->GetGroup().Data());
    node->m_pTreeView = m_pTreeView;
    return node;
}

bool CTreeNodeUI::Add(CControlUI* control) {
    if (CTreeNodeUI* node = NodeOf(control)) return AppendChild(node);
    return CListContainerElementUI::Add(control);
}

bool CTreeNodeUI::AppendChild(CTreeNodeUI* node) {
    if (!node) return false;
    PrepareChild(node);
    if (m_pTreeView) {
        CTreeNodeUI* reference = HasChildren() ? FindLastDescendant() : this;
        if (m_pTreeView->InsertNodeAt(node, reference->GetListPosition() + 1) < 0) return false;
        HideUnderCollapsed(node);
    }
    m_children.Add(node);
    return true;
}

void CTreeNodeUI::HideUnderCollapsed(CTreeNodeUI* node) {
    // A child joins its parent's state: under a closed or hidden node it is hidden with its subtree.
    if (m_bExpanded && m_bVisible) return;
    node->SetVisible(false);
    if (m_pTreeView) m_pTreeView->SetItemExpanded(false, node);
}

bool CTreeNodeUI::AddAt(CControlUI* control, int index) {
    CTreeNodeUI* node = NodeOf(control);
    if (!node) return false;
    CControlUI* reference = nullptr;
    if (index >= 0 && index < m_children.Count()) {
        reference = GetChild(index);
        m_children.InsertAt(index, node);
    } else {
        // The row after this node's whole subtree, so the new last child follows the earlier ones.
        const int after = m_pTreeView ? FindLastDescendant()->GetListPosition() + 1 : -1;
        m_children.Add(node);
        if (after > 0) reference = m_pTreeView->GetItemAt(after);
    }
    PrepareChild(node);
    if (!m_pTreeView) return true;
    const bool added = reference ? m_pTreeView->InsertNodeBefore(node, reference) : m_pTreeView->AddNode(node);
    if (added) HideUnderCollapsed(node);
    return added;
}

bool CTreeNodeUI::Remove(CControlUI* control) { return RemoveChildNode(NodeOf(control)); }

bool CTreeNodeUI::DetachChild(CTreeNodeUI* node) {
    const int index = m_children.IndexOf(node);
    if (index < 0) return false;
    m_children.RemoveAt(index);
    return true;
}

bool CTreeNodeUI::RemoveChildNode(CTreeNodeUI* node) {
    if (!node || m_children.IndexOf(node) < 0) return false;
    while (node->HasChildren()) {
        CTreeNodeUI* grandchild = node->GetChild(0);
        if (!grandchild) {
            node->m_children.RemoveAt(0);
            continue;
        }
        node->RemoveChildNode(grandchild);
    }
    DetachChild(node);
    if (m_pTreeView) {
        m_pTreeView->RemoveNode(node);
    } else {
        delete node;  // outside a view nobody else holds it
    }
    return true;
}

bool CTreeNodeUI::Select(bool select) {
    const bool result = CListContainerElementUI::Select(select);
    m_pTextButton->SetTextColor(IsSelected() ? m_dwSelItemTextColor : m_dwItemTextColor);
    return result;
}

bool CTreeNodeUI::Expand(bool expand) {
    // Quietly: the view's folder handler would apply the same change a second time.
    m_pFolderButton->Selected(!expand, true);
    m_bExpanded = expand;
    if (m_pTreeView) m_pTreeView->SetItemExpanded(expand, this);
    return true;
}

bool CTreeNodeUI::SelectMulti(bool select) {
    const bool result = CListContainerElementUI::SelectMulti(select);
    m_pTextButton->SetTextColor(IsSelected() ? m_dwSelItemTextColor : m_dwItemTextColor);
    return result;
}

void CTreeNodeUI::ApplyHoverTextColor(bool entering) {
    if (!IsEnabled()) {
        m_pTextButton->SetTextColor(m_pTextButton->GetDisabledTextColor());
    } else if (IsSelected()) {
        if (entering) {
            m_pTextButton->SetTextColor(m_dwSelItemHotTextColor ? m_dwSelItemHotTextColor : m_dwItemHotTextColor);
        } else if (m_dwSelItemTextColor) {
            m_pTextButton->SetTextColor(m_dwSelItemTextColor);
        }
    } else {
        m_pTextButton->SetTextColor(entering ? m_dwItemHotTextColor : m_dwItemTextColor);
    }
}

void CTreeNodeUI::DoEvent(TUIEvent& event) {
    if (!IsMouseEnabled() && IsMouseEvent(event)) {
        if (m_state.owner) {
            m_state.owner->DoEvent(event);
        } else {
            CContainerUI::DoEvent(event);
        }
        return;
    }
    const int type = event.Type;
    CListContainerElementUI::DoEvent(event);
    if (type == UIEVENT_DBLCLICK && IsEnabled()) {
        if (m_pManager) m_pManager->RaiseNotify(this, L"treeitemdbclick");
        Invalidate();
    } else if (type == UIEVENT_MOUSEENTER) {
        ApplyHoverTextColor(true);
    } else if (type == UIEVENT_MOUSELEAVE) {
        ApplyHoverTextColor(false);
    }
}

void CTreeNodeUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!value) value = L"";
    if (Is(name, L"text")) {
        SetItemText(value);
    } else if (Is(name, L"horizattr")) {
        m_pRow->ApplyAttributeList(value);
    } else if (Is(name, L"dotlineattr")) {
        m_pIndentLine->ApplyAttributeList(value);
    } else if (Is(name, L"folderattr")) {
        m_pFolderButton->ApplyAttributeList(value);
    } else if (Is(name, L"checkboxattr")) {
        m_pCheckBox->ApplyAttributeList(value);
    } else if (Is(name, L"itemattr")) {
        m_pTextButton->ApplyAttributeList(value);
    } else if (Is(name, L"itemtextcolor")) {
        SetItemTextColor(ParseColor(value));
    } else if (Is(name, L"itemhottextcolor")) {
        SetItemHotTextColor(ParseColor(value));
    } else if (Is(name, L"selitemtextcolor")) {
        SetSelItemTextColor(ParseColor(value));
    } else if (Is(name, L"selitemhottextcolor")) {
        SetSelItemHotTextColor(ParseColor(value));
    } else {
        CListContainerElementUI::SetAttribute(name, value);
    }
}

// ---------------------------------------------------------------------------------------------------
// CTreeViewUI

CTreeViewUI::CTreeViewUI() { GetHeader()->SetVisible(false); }

CTreeViewUI::~CTreeViewUI() = default;

CControlUI* CTreeViewUI::CreateControl() { return new CTreeViewUI; }

const wchar_t* CTreeViewUI::GetClass() const { return L"TreeViewUI"; }

void* CTreeViewUI::GetInterface(const wchar_t* name) {
    if (Is(name, L"TreeView")) return static_cast<CTreeViewUI*>(this);
    if (Is(name, L"ITreeView")) return static_cast<ITreeViewUI*>(this);
    return CListUI::GetInterface(name);
}

int CTreeViewUI::GetListType() { return kTree; }

void CTreeViewUI::Notify(TNotifyMessage&) {}

CTreeNodeUI* CTreeViewUI::AsNode(CControlUI* control) { return NodeOf(control); }

CTreeNodeUI* CTreeViewUI::NodeAt(int index) { return NodeOf(GetItemAt(index)); }

void CTreeViewUI::SetUpNode(CTreeNodeUI* node) {
    node->OnNotify += MakeDelegate(this, &CTreeViewUI::OnNodeDoubleClickNotify);
    node->GetFolderButton()->OnNotify += MakeDelegate(this, &CTreeViewUI::OnNodeFolderNotify);
    node->GetCheckBox()->OnNotify += MakeDelegate(this, &CTreeViewUI::OnNodeCheckBoxNotify);
    node->SetFolderButtonVisible(m_bFolderButtonsVisible);
    node->SetCheckBoxVisible(m_bCheckBoxesVisible);
    if (m_nItemMinWidth != 0) node->SetMinWidth(m_nItemMinWidth);
}

bool CTreeViewUI::AddNode(CControlUI* control) {
    CTreeNodeUI* node = AsNode(control);
    if (!node) return false;
    SetUpNode(node);
    CListUI::Add(node);
    for (int i = 0; i < node->GetChildCount(); ++i)
        if (CTreeNodeUI* child = node->GetChild(i)) AddNode(child);
    node->SetTreeView(this);
    return true;
}

int CTreeViewUI::InsertNodeAt(CControlUI* control, int index) {
    CTreeNodeUI* node = AsNode(control);
    if (!node) return -1;
    SetUpNode(node);
    if (!CListUI::AddAt(node, index)) return -1;
    node->SetTreeView(this);
    // A prepared subtree follows its root row, depth first.
    int next = index + 1;
    for (int i = 0; i < node->GetChildCount() && next >= 0; ++i)
        if (CTreeNodeUI* child = node->GetChild(i)) next = InsertNodeAt(child, next);
    return next;
}

bool CTreeViewUI::InsertNodeBefore(CControlUI* node, CControlUI* item) {
    if (!node || !item) return false;
    const int position = GetItemIndex(item);
    if (position < 0) return false;
    return InsertNodeAt(node, position) >= 0;
}

bool CTreeViewUI::RemoveNode(CControlUI* control) {
    CTreeNodeUI* node = AsNode(control);
    if (!node) return false;
    const int position = GetItemIndex(node);
    if (position < 0) return false;
    // Through its parent first, so no children array keeps a pointer to a deleted node; the parent
    // comes back here once the node is no longer its child.
    CTreeNodeUI* parent = node->GetParentTreeNode();
    if (parent && parent->IsChild(node)) return parent->RemoveChildNode(node);
    for (int i = node->GetChildCount() - 1; i >= 0; --i)
        if (CTreeNodeUI* child = node->GetChild(i)) node->RemoveChildNode(child);
    CListUI::RemoveAt(GetItemIndex(node));
    return true;
}

bool CTreeViewUI::RemoveAt(int index) {
    CControlUI* item = GetItemAt(index);
    if (!item) return false;
    if (CTreeNodeUI* node = AsNode(item)) return RemoveNode(node);
    return CListUI::RemoveAt(index);
}

void CTreeViewUI::RemoveAll() { CListUI::RemoveAll(); }

bool CTreeViewUI::SetItemChecked(bool checked, CTreeNodeUI* node) {
    if (!node) {
        ForEachNode([checked](CTreeNodeUI* item) { item->SetCheckBoxSelected(checked); });
        return true;
    }
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CTreeNodeUI* child = node->GetChild(i);
        if (!child) continue;
        child->SetCheckBoxSelected(checked);
        if (child->HasChildren()) SetItemChecked(checked, child);
    }
    return true;
}

void CTreeViewUI::SetItemExpanded(bool expanded, CTreeNodeUI* node) {
    if (!node) {
        ForEachNode([expanded](CTreeNodeUI* item) { item->SetVisible(expanded); });
        return;
    }
    for (int i = 0; i < node->GetChildCount(); ++i) {
        CTreeNodeUI* child = node->GetChild(i);
        if (!child) continue;
        child->SetVisible(expanded);
        // A collapsed sub-node keeps its children hidden when its parent opens again.
        if (child->HasChildren() && !child->GetFolderButton()->IsSelected()) SetItemExpanded(expanded, child);
    }
}

bool CTreeViewUI::OnNodeCheckBoxNotify(void* param) {
    auto* msg = static_cast<TNotifyMessage*>(param);
    if (msg && msg->sType == L"selectchanged") {
        auto* box = static_cast<CCheckBoxUI*>(msg->pSender);
        if (CTreeNodeUI* node = NodeOfPart(box)) SetItemChecked(box->IsSelected(), node);
    }
    return true;
}

bool CTreeViewUI::OnNodeFolderNotify(void* param) {
    auto* msg = static_cast<TNotifyMessage*>(param);
    if (msg && msg->sType == L"selectchanged") {
        auto* button = static_cast<CCheckBoxUI*>(msg->pSender);
        if (CTreeNodeUI* node = NodeOfPart(button)) {
            const bool expanded = !button->IsSelected();
            node->SetExpandedFlag(expanded);
            SetItemExpanded(expanded, node);
        }
    }
    return true;
}

bool CTreeViewUI::OnNodeDoubleClickNotify(void* param) {
    auto* msg = static_cast<TNotifyMessage*>(param);
    if (!msg || msg->sType.CompareIgnoreCase(L"treeitemdbclick") != 0) return false;
    CTreeNodeUI* node = AsNode(msg->pSender);
    if (!node) return false;
    CCheckBoxUI* folder = node->GetFolderButton();
    // Quietly: the folder handler would otherwise apply the same change a second time.
    folder->Selected(!folder->IsSelected(), true);
    const bool expanded = !folder->IsSelected();
    node->SetExpandedFlag(expanded);
    SetItemExpanded(expanded, node);
    return true;
}

void CTreeViewUI::SetFolderButtonsVisible(bool visible) {
    m_bFolderButtonsVisible = visible;
    ForEachNode([visible](CTreeNodeUI* node) { node->SetFolderButtonVisible(visible); });
}

void CTreeViewUI::SetCheckBoxesVisible(bool visible) {
    m_bCheckBoxesVisible = visible;
    ForEachNode([visible](CTreeNodeUI* node) { node->SetCheckBoxVisible(visible); });
}

void CTreeViewUI::SetItemMinWidth(int width) {
    m_nItemMinWidth = width;
    ForEachNode([width](CTreeNodeUI* node) { node->SetMinWidth(width); });
    Invalidate();
}

void CTreeViewUI::SetItemTextColor(DWORD color) {
    ForEachNode([color](CTreeNodeUI* node) { node->SetItemTextColor(color); });
}

void CTreeViewUI::SetItemHotTextColor(DWORD color) {
    ForEachNode([color](CTreeNodeUI* node) { node->SetItemHotTextColor(color); });
}

void CTreeViewUI::SetSelItemTextColor(DWORD color) {
    ForEachNode([color](CTreeNodeUI* node) { node->SetSelItemTextColor(color); });
}

void CTreeViewUI::SetSelItemHotTextColor(DWORD color) {
    ForEachNode([color](CTreeNodeUI* node) { node->SetSelItemHotTextColor(color); });
}

void CTreeViewUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!value) value = L"";
    if (Is(name, L"visiblefolderbtn")) {
        SetFolderButtonsVisible(IsTrue(value));
    } else if (Is(name, L"visiblecheckbtn")) {
        SetCheckBoxesVisible(IsTrue(value));
    } else if (Is(name, L"itemminwidth")) {
        SetItemMinWidth(ParseInt(value));
    } else if (Is(name, L"itemtextcolor")) {
        SetItemTextColor(ParseColor(value));
    } else if (Is(name, L"itemhottextcolor")) {
        SetItemHotTextColor(ParseColor(value));
    } else if (Is(name, L"selitemtextcolor")) {
        SetSelItemTextColor(ParseColor(value));
    } else if (Is(name, L"selitemhottextcolor")) {
        SetSelItemHotTextColor(ParseColor(value));
    } else {
        CListUI::SetAttribute(name, value);
    }
}

}  // namespace SkinUI
