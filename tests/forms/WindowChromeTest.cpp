#include "forms/WindowChrome.h"

#include "FormsFixture.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TPanel.h"

#include <string>
#include <vector>

namespace {

struct Item {
    std::string text;
    bool checked;
    bool operator==(const Item&) const = default;
};

// A window with its control panel of check boxes and an about box.
class WindowChromeTest : public FormsTest {
protected:
    WindowChromeTest() {
        window = new TForm(&app);
        window->SetCaption("Analog Input");
        panel = new TPanel(window);
        panel->SetParent(window);
        about = new TForm(&app);
    }

    TCheckBox* Box(const std::string& caption, int left, int top, bool checked = false) {
        auto* box = new TCheckBox(window);
        box->SetCaption(caption);
        box->SetBounds(left, top, 100, 17);
        box->SetChecked(checked);
        box->SetParent(panel);
        return box;
    }

    // The items BuildSystemMenu added after the standard ones ("-" for a separator).
    std::vector<Item> Added() const {
        std::vector<Item> items;
        auto all = SystemMenuItems(window->Handle());
        for (std::size_t i = 7; i < all.size(); ++i)
            items.push_back({all[i].separator ? "-" : all[i].text, all[i].checked});
        return items;
    }

    TForm* window = nullptr;
    TPanel* panel = nullptr;
    TForm* about = nullptr;
};

TEST_F(WindowChromeTest, ItemsFollowTheBoxesColumnByColumnThenThePanelAndTheAboutBox) {
    Box(" Routing", 8, 26, true);
    Box(" Link", 8, 44);
    Box(" Peak Meter", 8, 10, true);
    Box(" Rechts", 120, 4);
    ASSERT_NE(BuildSystemMenu(panel, about, 0), 0u);
    EXPECT_EQ(Added(), (std::vector<Item>{{"-", false},
                                          {" Peak Meter", true},
                                          {" Routing", true},
                                          {" Link", false},
                                          {" Rechts", false},
                                          {"-", false},
                                          {" Fenstersteuerung anzeigen", true},
                                          {"-", false},
                                          {" Info...", false}}));
}

TEST_F(WindowChromeTest, BoxesAtTheOriginOrSharingAPlaceEachGetAnItem) {
    // Every box of the panel is listed once, also one at 0,0 and two on the same spot (these
    // would otherwise vanish from the menu without a trace).
    Box(" Zweite", 8, 8);
    Box(" Ursprung", 0, 0);
    Box(" Erste", 8, 8);
    auto* outside = new TCheckBox(window);
    outside->SetCaption(" Nicht im Panel");
    outside->SetParent(window);
    BuildSystemMenu(panel, about, 1);
    EXPECT_EQ(Added(), (std::vector<Item>{{"-", false},
                                          {" Ursprung", false},
                                          {" Zweite", false},
                                          {" Erste", false},
                                          {"-", false},
                                          {"-", false},
                                          {" Fenstersteuerung anzeigen", true},
                                          {"-", false},
                                          {" Info...", false}}));
}

TEST_F(WindowChromeTest, IdsAreUniqueClearOfSystemCommandsAndMapBackToTheirObjects) {
    auto* peak = Box(" Peak Meter", 8, 10);
    auto* route = Box(" Routing", 8, 26);
    BuildSystemMenu(panel, about, 0);
    std::vector<TObject*> targets{peak, route, panel, about};
    std::vector<UINT> ids;
    for (TObject* target : targets) {
        UINT id = SystemMenuItemId(window, target);
        EXPECT_NE(id, 0u);
        EXPECT_LT(id, SC_SIZE);
        EXPECT_EQ(SystemMenuItemTarget(window, id), target);
        for (UINT seen : ids)
            EXPECT_NE(seen, id);
        ids.push_back(id);
    }
    EXPECT_EQ(SystemMenuItemTarget(window, SC_CLOSE), nullptr);
    EXPECT_EQ(SystemMenuItemTarget(window, 0), nullptr);
    EXPECT_EQ(SystemMenuItemId(about, about), 0u) << "ids belong to the window that built them";

    // Choosing an item delivers its id, which the window's handler maps back.
    TObject* chosen = nullptr;
    window->SetMessageHandler(WM_SYSCOMMAND, [&](TMessage& m) {
        chosen = SystemMenuItemTarget(window, static_cast<UINT>(m.WParam & 0xFFFF));
    });
    ASSERT_TRUE(ChooseSystemMenuItem(window->Handle(), " Info..."));
    EXPECT_EQ(chosen, about);
    ASSERT_TRUE(ChooseSystemMenuItem(window->Handle(), " Routing"));
    EXPECT_EQ(chosen, route);

    // Building again keeps every object's id.
    BuildSystemMenu(panel, about, 0);
    EXPECT_EQ(SystemMenuItemId(window, route), ids[1]);
}

TEST_F(WindowChromeTest, UpdateFollowsABoxOrThePanelAndIgnoresControlsWithoutItems) {
    auto* peak = Box(" Peak Meter", 8, 10, true);
    auto* stray = new TCheckBox(window);
    stray->SetParent(window);
    UpdateSystemMenuItem(peak); // before the menu exists: nothing to change
    BuildSystemMenu(panel, about, 0);
    auto before = Added();

    peak->SetChecked(false);
    peak->SetCaption(" P&eak Meter");
    UpdateSystemMenuItem(peak);
    EXPECT_EQ(Added()[1], (Item{" P&eak Meter", false}));

    panel->Hide();
    UpdateSystemMenuItem(panel);
    EXPECT_EQ(Added()[3], (Item{" Fenstersteuerung anzeigen", false}));

    auto now = Added();
    stray->SetChecked(true);
    UpdateSystemMenuItem(stray);
    UpdateSystemMenuItem(nullptr);
    UpdateSystemMenuItem(about);
    EXPECT_EQ(Added(), now);
    EXPECT_EQ(before.size(), now.size());
}

TEST_F(WindowChromeTest, StayOnTopChangesTheOrderOnly) {
    window->SetBounds(30, 40, 200, 150);
    window->Show();
    about->Show();
    SetStayOnTop(window, true);
    EXPECT_TRUE(window->Topmost());
    EXPECT_EQ(window->BoundsRect(), Bounds(30, 40, 200, 150));
    EXPECT_FALSE(window->Active()) << "not activated";
    SetStayOnTop(window, false);
    EXPECT_FALSE(window->Topmost());
    SetStayOnTop(nullptr, true);
}

TEST_F(WindowChromeTest, CloseAndFreeClosesDestroysAndClearsOnce) {
    std::vector<std::string> log;
    TForm* held = new TForm(&app);
    held->OnClose = [&](TObject*, TCloseAction&) { log.push_back("close"); };
    held->OnDestroy = [&](TObject*) { log.push_back("destroy"); };
    CloseAndFree(held);
    EXPECT_EQ(held, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"close", "destroy"}));
    CloseAndFree(held);
    EXPECT_EQ(log.size(), 2u);

    // The variable is already clear when OnDestroy runs.
    held = new TForm(&app);
    bool clearedFirst = false;
    held->OnDestroy = [&](TObject*) { clearedFirst = held == nullptr; };
    CloseAndFree(held);
    EXPECT_TRUE(clearedFirst);
}

} // namespace
