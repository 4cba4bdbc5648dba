// The tree view and its nodes built from a layout: display order and indentation, expanding and
// collapsing with the mouse and the keyboard, selection, check boxes, and the node operations that keep
// the list in step with the hierarchy (whole subtrees inserted, leaves removed, nothing left dangling).
#include "CompositeTestSupport.h"
#include "UILabel.h"
#include "UIListHeader.h"
#include "UIOption.h"
#include "UITreeView.h"

#include <memory>

using namespace SkinUI;
using namespace ControlsTest;
using namespace WindowTest;

namespace {

const wchar_t kLayout[] =
    L"<Window size=\"400,300\"><VerticalLayout>"
    L"<TreeView name=\"tree\" visiblecheckbtn=\"true\" itemtextcolor=\"#FF102030\">"
    L"<TreeNode name=\"a\" text=\"A\"><TreeNode name=\"a1\" text=\"A1\"><TreeNode name=\"a1a\" text=\"A1a\"/>"
    L"</TreeNode></TreeNode>"
    L"<TreeNode name=\"b\" text=\"B\"/>"
    L"</TreeView></VerticalLayout></Window>";

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<CControlWindow>(kLayout);
        ASSERT_NE(nullptr, window->Open());
        tree = window->Get<CTreeViewUI>(L"tree");
        ASSERT_NE(nullptr, tree);
    }
    CTreeNodeUI* Node(const wchar_t* name) { return window->Get<CTreeNodeUI>(name); }
    // A point on the node's row right of its text, where neither button lies.
    POINT OnRow(const wchar_t* name) {
        const RECT& pos = Node(name)->GetPos();
        return POINT{pos.right - 20, (pos.top + pos.bottom) / 2};
    }
    POINT Centre(CControlUI* control) {
        const RECT& pos = control->GetPos();
        return POINT{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2};
    }
    void DoubleClick(POINT point) {
        window->Click(point);
        window->Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(point.x, point.y));
        window->Release(point);
        Pump();
    }
    std::vector<std::wstring> Order() {
        std::vector<std::wstring> names;
        for (int i = 0; i < tree->GetCount(); ++i) names.push_back(tree->GetItemAt(i)->GetName().Data());
        return names;
    }
    std::vector<bool> Shown() {
        std::vector<bool> shown;
        for (int i = 0; i < tree->GetCount(); ++i) shown.push_back(tree->GetItemAt(i)->IsVisible());
        return shown;
    }

    std::unique_ptr<CControlWindow> window;
    CTreeViewUI* tree = nullptr;
};

}  // namespace

TEST_F(TreeTest, LayoutBuildsTheHierarchyInDisplayOrderWithIndentation) {
    EXPECT_STREQ(L"TreeViewUI", tree->GetClass());
    EXPECT_EQ(IListOwnerUI::kTree, tree->GetListType());
    EXPECT_FALSE(tree->GetHeader()->IsVisible());
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"a1", L"a1a", L"b"}), Order());

    struct Row {
        const wchar_t* name;
        int indent;
        bool lineShown;
        const wchar_t* parent;
        int children;
    };
    const Row rows[] = {{L"a", 2, false, nullptr, 1}, {L"a1", 18, true, L"a", 1}, {L"a1a", 34, true, L"a1", 0},
                        {L"b", 2, false, nullptr, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CTreeNodeUI* node = Node(row.name);
        ASSERT_NE(nullptr, node);
        EXPECT_EQ(row.indent, node->GetIndentWidth());
        EXPECT_EQ(row.indent, node->GetIndentLine()->GetFixedWidth());
        EXPECT_EQ(row.lineShown, node->GetIndentLine()->IsVisible());
        EXPECT_EQ(row.parent ? Node(row.parent) : nullptr, node->GetParentTreeNode());
        EXPECT_EQ(row.children, node->GetChildCount());
        EXPECT_EQ(tree, node->GetTreeView());
        EXPECT_EQ(18, node->GetPos().bottom - node->GetPos().top);
        EXPECT_TRUE(node->GetCheckBox()->IsVisible());
        EXPECT_TRUE(node->GetFolderButton()->IsVisible());
        // The view's colour reached every node, the text is the text button's.
        EXPECT_EQ(0xFF102030u, node->GetItemTextColor());
        EXPECT_EQ(row.name, std::wstring(L"") + node->GetName().Data());
    }
    EXPECT_EQ(L"A1a", std::wstring(Node(L"a1a")->GetItemText().Data()));
    // The builder reaches nodes through the interfaces, not the classes.
    EXPECT_NE(nullptr, Node(L"a")->GetInterface(L"ITreeNode"));
    EXPECT_NE(nullptr, tree->GetInterface(L"ITreeView"));
}

TEST_F(TreeTest, DoubleClickAndFolderButtonCollapseAndExpand) {
    DoubleClick(OnRow(L"a"));
    EXPECT_EQ((std::vector<bool>{true, false, false, true}), Shown());
    EXPECT_TRUE(Node(L"a")->GetFolderButton()->IsSelected());
    EXPECT_FALSE(Node(L"a")->IsExpanded());
    EXPECT_EQ(1u, window->recorder.Of(L"treeitemdbclick").size());
    // The hidden rows take no room: b moved up under a.
    EXPECT_EQ(Node(L"a")->GetPos().bottom, Node(L"b")->GetPos().top);

    DoubleClick(OnRow(L"a"));
    EXPECT_EQ((std::vector<bool>{true, true, true, true}), Shown());
    EXPECT_TRUE(Node(L"a")->IsExpanded());

    // A collapsed sub-node keeps its children hidden when its parent opens again.
    window->Click(Centre(Node(L"a1")->GetFolderButton()));
    EXPECT_EQ((std::vector<bool>{true, true, false, true}), Shown());
    window->Click(Centre(Node(L"a")->GetFolderButton()));
    EXPECT_EQ((std::vector<bool>{true, false, false, true}), Shown());
    window->Click(Centre(Node(L"a")->GetFolderButton()));
    EXPECT_EQ((std::vector<bool>{true, true, false, true}), Shown());

    // From the keyboard: Space on a focused folder button.
    Node(L"a1")->GetFolderButton()->SetFocus();
    window->Key(VK_SPACE);
    EXPECT_EQ((std::vector<bool>{true, true, true, true}), Shown());

    // From code, through the list item's expansion.
    EXPECT_TRUE(Node(L"a")->Expand(false));
    EXPECT_EQ((std::vector<bool>{true, false, false, true}), Shown());
    EXPECT_TRUE(Node(L"a")->GetFolderButton()->IsSelected());
    EXPECT_TRUE(tree->ExpandItem(0, true));
    EXPECT_EQ((std::vector<bool>{true, true, true, true}), Shown());
    EXPECT_TRUE(Node(L"a")->IsExpanded());
}

TEST_F(TreeTest, SelectionWithMouseAndKeysPassesCollapsedRows) {
    window->Click(OnRow(L"a1"));
    EXPECT_EQ(1, tree->GetCurSel());
    EXPECT_TRUE(Node(L"a1")->IsSelected());
    window->Key(VK_DOWN);
    EXPECT_EQ(2, tree->GetCurSel());
    window->Key(VK_UP);
    window->Key(VK_UP);
    EXPECT_EQ(0, tree->GetCurSel());

    window->Click(Centre(Node(L"a")->GetFolderButton()));  // collapse a
    EXPECT_EQ(0, tree->GetCurSel());
    window->Key(VK_DOWN);
    EXPECT_EQ(3, tree->GetCurSel());
    EXPECT_TRUE(Node(L"b")->IsSelected());

    // The selected row paints the list's selected background.
    const POINT row = OnRow(L"b");
    EXPECT_EQ(0xC1E3FFu, window->Pixel(row.x, row.y));
    EXPECT_NE(0xC1E3FFu, window->Pixel(OnRow(L"a").x, OnRow(L"a").y));
}

TEST_F(TreeTest, CheckBoxesFollowTheirNodesSubtree) {
    // A click on a's box checks its whole subtree.
    window->Click(Centre(Node(L"a")->GetCheckBox()));
    EXPECT_TRUE(Node(L"a")->IsCheckBoxSelected());
    EXPECT_TRUE(Node(L"a1")->IsCheckBoxSelected());
    EXPECT_TRUE(Node(L"a1a")->IsCheckBoxSelected());
    EXPECT_FALSE(Node(L"b")->IsCheckBoxSelected());

    // From code the node's own box stays as it is.
    tree->SetItemChecked(false, Node(L"a"));
    EXPECT_TRUE(Node(L"a")->IsCheckBoxSelected());
    EXPECT_FALSE(Node(L"a1")->IsCheckBoxSelected());
    EXPECT_FALSE(Node(L"a1a")->IsCheckBoxSelected());
    tree->SetItemChecked(true);
    for (const wchar_t* name : {L"a", L"a1", L"a1a", L"b"}) EXPECT_TRUE(Node(name)->IsCheckBoxSelected()) << name;

    tree->SetCheckBoxesVisible(false);
    tree->SetFolderButtonsVisible(false);
    EXPECT_FALSE(Node(L"a1")->GetCheckBox()->IsVisible());
    EXPECT_FALSE(Node(L"a1")->GetFolderButton()->IsVisible());
    tree->SetAttribute(L"itemminwidth", L"300");
    EXPECT_EQ(300, Node(L"b")->GetMinWidth());
}

TEST_F(TreeTest, NodesAddedThroughTheirParentLandAfterItsSubtree) {
    auto* last = new CTreeNodeUI;
    last->SetName(L"a2");
    ASSERT_TRUE(Node(L"a")->Add(last));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"a1", L"a1a", L"a2", L"b"}), Order());
    EXPECT_EQ(18, last->GetIndentWidth());
    EXPECT_EQ(tree, last->GetTreeView());

    auto* first = new CTreeNodeUI;
    first->SetName(L"a0");
    ASSERT_TRUE(Node(L"a")->AddAt(first, 0));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"a0", L"a1", L"a1a", L"a2", L"b"}), Order());

    // Appended by index past the end: still after the whole subtree.
    auto* end = new CTreeNodeUI;
    end->SetName(L"a3");
    ASSERT_TRUE(Node(L"a")->AddAt(end, 99));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"a0", L"a1", L"a1a", L"a2", L"a3", L"b"}), Order());
    EXPECT_EQ(4, Node(L"a")->GetChildCount());

    // Under a collapsed node a new child starts hidden and opens with its parent.
    Node(L"a1")->Expand(false);
    auto* hidden = new CTreeNodeUI;
    hidden->SetName(L"a1b");
    ASSERT_TRUE(Node(L"a1")->Add(hidden));
    EXPECT_FALSE(hidden->IsVisible());
    EXPECT_FALSE(Node(L"a1a")->IsVisible());
    Node(L"a1")->Expand(true);
    EXPECT_TRUE(hidden->IsVisible());
    EXPECT_TRUE(Node(L"a1a")->IsVisible());

    // Refused: controls that are not nodes.
    CLabelUI label;
    EXPECT_FALSE(tree->AddNode(&label));
    EXPECT_EQ(-1, tree->InsertNodeAt(&label, 0));
    EXPECT_FALSE(tree->AddNode(nullptr));
    EXPECT_FALSE(tree->InsertNodeBefore(nullptr, nullptr));
}

TEST_F(TreeTest, PreparedSubtreeIsInsertedWhole) {
    auto* root = new CTreeNodeUI;
    root->SetName(L"p");
    auto* child1 = new CTreeNodeUI;
    child1->SetName(L"p1");
    auto* child2 = new CTreeNodeUI;
    child2->SetName(L"p2");
    auto* grandchild = new CTreeNodeUI;
    grandchild->SetName(L"p1x");
    ASSERT_TRUE(child1->Add(grandchild));
    ASSERT_TRUE(root->Add(child1));
    ASSERT_TRUE(root->Add(child2));
    EXPECT_EQ(nullptr, root->GetTreeView());

    EXPECT_EQ(5, tree->InsertNodeAt(root, 1));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"p", L"p1", L"p1x", L"p2", L"a1", L"a1a", L"b"}), Order());
    for (CTreeNodeUI* node : {root, child1, child2, grandchild}) EXPECT_EQ(tree, node->GetTreeView());
    EXPECT_EQ(34, grandchild->GetIndentWidth());

    // Before an item: the same, at the item's place.
    auto* other = new CTreeNodeUI;
    other->SetName(L"q");
    EXPECT_TRUE(tree->InsertNodeBefore(other, Node(L"b")));
    EXPECT_EQ(L"q", std::wstring(tree->GetItemAt(7)->GetName().Data()));
}

TEST_F(TreeTest, RemovingLeavesAndInnerNodesLeavesNothingBehind) {
    // A leaf goes too, reported truthfully.
    EXPECT_TRUE(tree->RemoveAt(3));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"a1", L"a1a"}), Order());
    EXPECT_FALSE(tree->RemoveAt(7));

    // A grandchild removed through the view is gone from its parent's children as well.
    CTreeNodeUI* a1 = Node(L"a1");
    EXPECT_TRUE(tree->RemoveNode(Node(L"a1a")));
    EXPECT_EQ(0, a1->GetChildCount());
    EXPECT_FALSE(a1->HasChildren());
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"a1"}), Order());
    // Adding to it again finds no stale child.
    auto* again = new CTreeNodeUI;
    again->SetName(L"a1b");
    ASSERT_TRUE(a1->Add(again));
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"a1", L"a1b"}), Order());

    // A node with children takes its subtree with it.
    EXPECT_TRUE(tree->RemoveAt(0));
    EXPECT_EQ(0, tree->GetCount());
}

TEST(TreeNodeAlone, ChildrenOutsideAViewStayInTheNodeAndParentsOfOtherClassesAreRefused) {
    CTreeNodeUI root;
    auto* child = new CTreeNodeUI(&root);
    EXPECT_EQ(18, child->GetIndentWidth());
    EXPECT_EQ(&root, child->GetParentTreeNode());
    EXPECT_TRUE(root.Add(child));
    EXPECT_EQ(1, root.GetChildCount());
    EXPECT_EQ(child, root.FindLastDescendant());
    EXPECT_EQ(-1, child->GetListPosition());

    CLabelUI notANode;
    CTreeNodeUI refused(&notANode);
    EXPECT_EQ(nullptr, refused.GetParentTreeNode());
    EXPECT_EQ(0, refused.GetCount());  // the row stays out of the node
    EXPECT_TRUE(root.Remove(child));
    EXPECT_EQ(0, root.GetChildCount());
}

TEST(TreeDpiTest, RowHeightAndIndentationScaleWithTheWindow) {
    for (const TDpi& dpi : kDpis) {
        SCOPED_TRACE(dpi.percent);
        CControlWindow window(kLayout);
        ASSERT_NE(nullptr, window.Open(dpi.dpi));
        auto* grandchild = window.Get<CTreeNodeUI>(L"a1a");
        ASSERT_NE(nullptr, grandchild);
        EXPECT_EQ(Scaled(18, dpi.percent), grandchild->GetPos().bottom - grandchild->GetPos().top);
        const RECT& line = grandchild->GetIndentLine()->GetPos();
        EXPECT_EQ(Scaled(34, dpi.percent), line.right - line.left);
        const RECT& folder = grandchild->GetFolderButton()->GetPos();
        EXPECT_EQ(Scaled(18, dpi.percent), folder.right - folder.left);
        EXPECT_EQ(line.right, folder.left);
    }
}
