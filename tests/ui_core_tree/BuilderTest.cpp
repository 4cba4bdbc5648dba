// The dialog builder: resources, defaults, styles, includes, child layouts, window attributes, tree
// placement, unknown and unattachable elements, and the limits on nesting.
#include "TreeTestSupport.h"

#include "UIChildLayout.h"
#include "UIControlFactory.h"

#include <algorithm>
#include <string>

using namespace SkinUI;
using namespace TreeTest;

namespace {

int gLiveCounted = 0;

// Element "Counted", made by the window callback: counts its live instances.
class CountedUI : public CControlUI {
public:
    CountedUI() { ++gLiveCounted; }
    ~CountedUI() override { --gLiveCounted; }
};

class CountingCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* className) override {
        asked.push_back(className);
        return wcscmp(className, L"Counted") == 0 ? new CountedUI : nullptr;
    }
    std::vector<std::wstring> asked;
};

int CountChildren(CControlUI* control) {
    auto* container = static_cast<IContainerUI*>(control->GetInterface(L"IContainer"));
    return container ? container->GetCount() : -1;
}

TEST(Builder, ResourcesDefaultsStylesAndIncludes) {
    CPaintManagerUI pm;
    CountingCallback callback;
    CUIBuilder builder;
    const wchar_t* xml =
        L"<Window size=\"400,300\">"
        L"<Font id=\"0\" name=\"Tahoma\" size=\"12\" default=\"true\"/><Font name=\"NoId\"/>"
        L"<Default name=\"Control\" value=\"bkcolor=&quot;#FF00FF00&quot;\"/>"
        L"<Style name=\"red\" value=\"bkcolor=&quot;#FFFF0000&quot;\"/>"
        L"<VerticalLayout name=\"root\">"
        L"<Control name=\"c1\" height=\"20\"/><Control name=\"c2\" bkcolor=\"red\"/>"
        L"<Include count=\"3\" source=\"&lt;I&gt;&lt;Control height=&quot;5&quot;/&gt;&lt;/I&gt;\"/>"
        L"<Control name=\"host\"><Counted name=\"lost\"/><Control name=\"skipped\"/></Control>"
        L"<NoSuchThing/><control name=\"lower\"/></VerticalLayout></Window>";
    CControlUI* root = builder.Create(xml, nullptr, &callback, &pm);
    ASSERT_NE(nullptr, root);
    pm.AttachRoot(root);
    EXPECT_STREQ(L"VerticalLayoutUI", root->GetClass());
    auto* list = static_cast<IContainerUI*>(root->GetInterface(L"IContainer"));
    ASSERT_EQ(7, list->GetCount());
    EXPECT_EQ(Named(pm, L"c1"), list->GetItemAt(0));
    EXPECT_EQ(5, list->GetItemAt(2)->GetFixedHeight());
    EXPECT_EQ(5, list->GetItemAt(4)->GetFixedHeight());
    EXPECT_EQ(Named(pm, L"host"), list->GetItemAt(5));
    EXPECT_EQ(Named(pm, L"lower"), list->GetItemAt(6));

    EXPECT_EQ(0xFF00FF00u, Named(pm, L"c1")->GetBkColor());
    EXPECT_EQ(0xFF00FF00u, list->GetItemAt(3)->GetBkColor());
    EXPECT_EQ(0xFFFF0000u, Named(pm, L"c2")->GetBkColor());
    EXPECT_EQ(0u, Named(pm, L"lower")->GetBkColor());  // defaults are kept by exact element name

    EXPECT_STREQ(L"Tahoma", pm.GetDefaultFontRecord()->faceName.Data());
    EXPECT_EQ(1, pm.GetCustomFontCount());
    EXPECT_EQ(0, pm.GetInitialSize().cx);  // no window: window attributes are not applied

    // A control whose parent cannot hold children is not kept; the rest of that level is skipped.
    EXPECT_EQ(0, gLiveCounted);
    EXPECT_EQ(nullptr, pm.FindControlByName(L"lost"));
    EXPECT_EQ(nullptr, pm.FindControlByName(L"skipped"));
    EXPECT_NE(callback.asked.end(), std::find(callback.asked.begin(), callback.asked.end(), L"NoSuchThing"));
}

TEST(Builder, BuiltinClassesAnyLetterCase) {
    CUIBuilder builder;  // registers the core classes
    for (const wchar_t* name : {L"CControlUI", L"CContainerUI", L"CScrollBarUI", L"CChildLayoutUI", L"CHorizontalLayoutUI",
                                L"CTabLayoutUI", L"CTileLayoutUI", L"CVerticalLayoutUI"}) {
        EXPECT_TRUE(CControlFactory::GetInstance()->IsRegistered(name));
    }
    CPaintManagerUI pm;
    CControlUI* root = BuildRoot(pm, L"<Window><verticallayout><TILELAYOUT/><tablayout/><ScrollBar/></verticallayout></Window>");
    EXPECT_STREQ(L"VerticalLayoutUI", root->GetClass());
    EXPECT_STREQ(L"TileLayoutUI", static_cast<CContainerUI*>(root)->GetItemAt(0)->GetClass());
    EXPECT_STREQ(L"ScrollBarUI", static_cast<CContainerUI*>(root)->GetItemAt(2)->GetClass());
}

TEST(Builder, WindowAttributesNeedAWindow) {
    TestWindow window;
    CPaintManagerUI pm;
    pm.GetDpiScaler()->SetScale(144);
    pm.AttachWindow(window.hwnd(), L"test");
    CUIBuilder builder;
    CControlUI* root = builder.Create(L"<Window size=\"400,300\" caption=\"0,0,0,30\" sizebox=\"4,4,4,4\" mininfo=\"100,80\" "
                                      L"NoActivate=\"true\" defaultfontcolor=\"#FF123456\" tooltiphovertime=\"900\" "
                                      L"showdirty=\"TRUE\"><Control/></Window>",
                                      nullptr, nullptr, &pm);
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(600, pm.GetInitialSize().cx);
    EXPECT_EQ(450, pm.GetInitialSize().cy);
    EXPECT_EQ(45, pm.GetCaptionRect().bottom);
    EXPECT_EQ(6, pm.GetSizeBox().left);
    EXPECT_EQ(150, pm.GetMinInfo().cx);
    EXPECT_FALSE(pm.IsNoActivate());  // this one name is matched with its case
    EXPECT_EQ(0xFF123456u, pm.GetDefaultTextColor());
    EXPECT_EQ(900, pm.GetHoverDelay());
    EXPECT_TRUE(pm.IsShowUpdateRect());
    delete root;

    root = builder.Create(L"<Window noactivate=\"true\"><Control/></Window>", nullptr, nullptr, &pm);
    EXPECT_TRUE(pm.IsNoActivate());
    delete root;
}

TEST(Builder, LayoutsFromResources) {
    CPaintManagerUI pm;
    CUIBuilder builder;
    CControlUI* root = builder.Create(MAKEINTRESOURCEW(201), L"LAYOUT", nullptr, &pm);
    ASSERT_NE(nullptr, root);
    pm.AttachRoot(root);
    EXPECT_STREQ(L"fromres", root->GetName().Data());
    EXPECT_EQ(2, CountChildren(root));  // included twice by resource id
    EXPECT_EQ(nullptr, builder.Create(MAKEINTRESOURCEW(299), L"LAYOUT", nullptr, &pm));
}

// Element "InitCounted": counts how often it is initialised.
class InitCountedUI : public CContainerUI {
public:
    void DoInit() override { ++inits; }
    int inits = 0;
};

class InitCountingCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* className) override {
        return wcscmp(className, L"InitCounted") == 0 ? new InitCountedUI : nullptr;
    }
};

// A layout built straight into a container of a live window is whole there: every control, the
// sub-layout's root included, is found by name, knows its parent and manager and is initialised once.
TEST(Builder, ASubLayoutBuiltIntoALiveParentIsFoundByName) {
    CPaintManagerUI pm;
    InitCountingCallback callback;
    CUIBuilder main;
    CControlUI* root = main.Create(L"<Window><Default name=\"Control\" value=\"bkcolor=&quot;#FF00FF00&quot;\"/>"
                                   L"<VerticalLayout name=\"root\"><VerticalLayout name=\"host\"/></VerticalLayout></Window>",
                                   nullptr, &callback, &pm);
    ASSERT_NE(nullptr, root);
    pm.AttachRoot(root);
    CControlUI* host = Named(pm, L"host");
    ASSERT_NE(nullptr, host);

    CUIBuilder sub;
    CControlUI* built = sub.Create(L"<Window><InitCounted name=\"sub\"><Control name=\"leaf\"/></InitCounted>"
                                   L"<InitCounted name=\"second\"/></Window>",
                                   nullptr, &callback, &pm, host);
    ASSERT_NE(nullptr, built);
    EXPECT_EQ(built, Named(pm, L"sub")) << "the sub-layout's root is registered";
    EXPECT_EQ(2, CountChildren(host));
    CControlUI* leaf = Named(pm, L"leaf");
    ASSERT_NE(nullptr, leaf);
    CControlUI* second = Named(pm, L"second");
    ASSERT_NE(nullptr, second);
    for (CControlUI* control : {built, second}) {
        EXPECT_EQ(host, control->GetParent());
        EXPECT_EQ(&pm, control->GetManager());
        EXPECT_EQ(1, static_cast<InitCountedUI*>(control)->inits);
    }
    EXPECT_EQ(built, leaf->GetParent());
    EXPECT_EQ(&pm, leaf->GetManager());
    EXPECT_EQ(0xFF00FF00u, leaf->GetBkColor()) << "class defaults apply";

    // Without a manager of its own the build takes the parent's.
    CUIBuilder third;
    ASSERT_NE(nullptr, third.Create(L"<Window><Control name=\"third\"/></Window>", nullptr, nullptr, nullptr, host));
    CControlUI* found = Named(pm, L"third");
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(0xFF00FF00u, found->GetBkColor());
    EXPECT_EQ(host, found->GetParent());
}

class BuilderFiles : public testing::Test {
protected:
    void SetUp() override { CPaintManagerUI::SetResourceFolder(folder.path().c_str()); }
    void TearDown() override { CPaintManagerUI::SetResourceFolder(L""); }
    TempFolder folder;
};

TEST_F(BuilderFiles, IncludesRepeatAndRefuseCycles) {
    folder.Write(L"row.xml", "<R><Control/><Control/></R>");
    folder.Write(L"rows.xml", "<Window><VerticalLayout name=\"v\"><Include count=\"3\" source=\"row.xml\"/></VerticalLayout></Window>");
    folder.Write(L"self.xml", "<Window><VerticalLayout name=\"v\"><Control/><Include source=\"self.xml\"/></VerticalLayout></Window>");
    folder.Write(L"a.xml", "<Window><VerticalLayout name=\"v\"><Include source=\"b.xml\"/></VerticalLayout></Window>");
    folder.Write(L"b.xml", "<R><Control name=\"fromb\"/><Include source=\"A.XML\"/></R>");

    CPaintManagerUI pm;
    CUIBuilder builder;
    CControlUI* rows = builder.Create(L"rows.xml", nullptr, nullptr, &pm);
    ASSERT_NE(nullptr, rows);
    EXPECT_EQ(6, CountChildren(rows));
    delete rows;

    CControlUI* self = builder.Create(L"self.xml", nullptr, nullptr, &pm);
    ASSERT_NE(nullptr, self);
    EXPECT_EQ(1, CountChildren(self));
    delete self;

    CControlUI* cycle = builder.Create(L"a.xml", nullptr, nullptr, &pm);
    ASSERT_NE(nullptr, cycle);
    ASSERT_EQ(1, CountChildren(cycle));
    EXPECT_STREQ(L"fromb", static_cast<CContainerUI*>(cycle)->GetItemAt(0)->GetName().Data());
    delete cycle;

    EXPECT_EQ(nullptr, builder.Create(L"missing.xml", nullptr, nullptr, &pm));
}

TEST_F(BuilderFiles, ChildLayoutsBuildTheirFileOnce) {
    folder.Write(L"child.xml", "<Window><HorizontalLayout name=\"inner\"><Control name=\"leaf\"/></HorizontalLayout></Window>");
    folder.Write(L"nest.xml", "<Window><VerticalLayout name=\"outer\"><ChildLayout name=\"again\" xmlfile=\"nest.xml\"/>"
                              "</VerticalLayout></Window>");
    CPaintManagerUI pm;
    BuildRoot(pm, L"<Window><VerticalLayout><ChildLayout name=\"good\" xmlfile=\"child.xml\"/>"
                  L"<ChildLayout name=\"empty\"/><ChildLayout name=\"broken\" xmlfile=\"missing.xml\"/>"
                  L"<ChildLayout name=\"top\" xmlfile=\"nest.xml\"/></VerticalLayout></Window>");
    CControlUI* good = Named(pm, L"good");
    EXPECT_EQ(nullptr, good->GetInterface(L"IContainer"));  // not a container to the builder
    auto* goodLayout = static_cast<CChildLayoutUI*>(good->GetInterface(L"ChildLayout"));
    ASSERT_EQ(1, goodLayout->GetCount());
    EXPECT_EQ(Named(pm, L"inner"), goodLayout->GetItemAt(0));
    EXPECT_NE(nullptr, pm.FindControlByName(L"leaf"));
    EXPECT_EQ(0, static_cast<CChildLayoutUI*>(Named(pm, L"empty"))->GetCount());
    EXPECT_EQ(0, static_cast<CChildLayoutUI*>(Named(pm, L"broken"))->GetCount());
    // The file that contains itself is built once; its inner copy stays empty.
    EXPECT_EQ(1, static_cast<CChildLayoutUI*>(Named(pm, L"top"))->GetCount());
    EXPECT_EQ(0, static_cast<CChildLayoutUI*>(Named(pm, L"again"))->GetCount());
}

std::wstring Nested(int depth) {
    std::wstring xml = L"<Window>";
    for (int i = 0; i < depth; ++i) xml += L"<Container>";
    for (int i = 0; i < depth; ++i) xml += L"</Container>";
    return xml + L"</Window>";
}

TEST(Builder, DeepNestingBuildsUpToTheLimitAndIsRefusedBeyond) {
    CPaintManagerUI pm;
    CUIBuilder builder;
    EXPECT_EQ(nullptr, builder.Create(Nested(300).c_str(), nullptr, nullptr, &pm));
    EXPECT_NE(L'\0', builder.GetLastErrorMessage()[0]);

    CControlUI* root = BuildRoot(pm, Nested(200).c_str());
    ASSERT_NE(nullptr, root);
    int depth = 1;
    for (CControlUI* c = root; CountChildren(c) == 1; c = static_cast<CContainerUI*>(c)->GetItemAt(0)) ++depth;
    EXPECT_EQ(200, depth);
    root->SetPos(RECT{0, 0, 50, 50});
    Canvas canvas(50, 50);
    EXPECT_TRUE(root->Paint(canvas.dc(), RECT{0, 0, 50, 50}));
}

// Stand-ins for the tree controls, which live with the other controls.
class FakeTreeNode : public CContainerUI, public ITreeNodeUI {
public:
    void* GetInterface(const wchar_t* name) override {
        if (wcscmp(name, L"ITreeNode") == 0) return static_cast<ITreeNodeUI*>(this);
        return CContainerUI::GetInterface(name);
    }
    CControlUI* GetTreeViewControl() override { return view; }
    IContainerUI* GetItemLayout() override { return &items; }
    CControlUI* view = nullptr;
    CContainerUI items;
};

class FakeTreeView : public CContainerUI, public ITreeViewUI {
public:
    void* GetInterface(const wchar_t* name) override {
        if (wcscmp(name, L"ITreeView") == 0) return static_cast<ITreeViewUI*>(this);
        return CContainerUI::GetInterface(name);
    }
    bool AddNode(CControlUI* node) override {
        static_cast<FakeTreeNode*>(node)->view = this;
        return Add(node);
    }
};

class TreeCallback : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const wchar_t* className) override {
        if (wcscmp(className, L"TreeView") == 0) return new FakeTreeView;
        if (wcscmp(className, L"TreeNode") == 0) return new FakeTreeNode;
        return nullptr;
    }
};

TEST(Builder, TreeNodesGoThroughTheirNodeOrView) {
    CPaintManagerUI pm;
    TreeCallback callback;
    CUIBuilder builder;
    CControlUI* root = builder.Create(L"<Window><TreeView name=\"view\"><TreeNode name=\"n1\"><TreeNode name=\"n2\"/>"
                                      L"<Control name=\"c\"/></TreeNode></TreeView></Window>",
                                      nullptr, &callback, &pm);
    ASSERT_NE(nullptr, root);
    auto* view = static_cast<FakeTreeView*>(root);
    ASSERT_EQ(1, view->GetCount());
    auto* n1 = static_cast<FakeTreeNode*>(view->GetItemAt(0));
    EXPECT_STREQ(L"n1", n1->GetName().Data());
    EXPECT_EQ(view, n1->view);
    EXPECT_EQ(view, n1->GetParent());  // attached under its tree view
    ASSERT_EQ(1, n1->GetCount());
    EXPECT_STREQ(L"n2", n1->GetItemAt(0)->GetName().Data());
    ASSERT_EQ(1, n1->items.GetCount());
    EXPECT_STREQ(L"c", n1->items.GetItemAt(0)->GetName().Data());
    pm.AttachRoot(root);
}

}  // namespace
