#include "forms/CloneComponents.h"

#include "FormsFixture.h"
#include "controls/ExtControls.h"
#include "controls/TExtSpeedButton.h"
#include "controls/TLevelMeter.h"
#include "controls/TSlider.h"
#include "platform/MessageQueue.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TBevel.h"
#include "toolkit/TEdit.h"
#include "toolkit/TPanel.h"
#include "toolkit/TSpeedButton.h"

#include <string>
#include <vector>

namespace {

// A channel window with its designed strip in one panel.
class CloneComponentsTest : public FormsTest {
protected:
    CloneComponentsTest() {
        window = new TForm(&app);
        window->SetCaption("Analog Input");
        strip = Make<TPanel>("pnStrip", window);
        strip->SetBounds(0, 0, 140, 300);
    }

    template <class T> T* Make(const std::string& name, TWinControl* parent) {
        auto* c = new T(window);
        if (!name.empty())
            c->SetName(name);
        c->SetParent(parent);
        return c;
    }

    // The children of a container that are not designed (have no name), in child order.
    static std::vector<TControl*> Copies(const TWinControl* container) {
        std::vector<TControl*> copies;
        for (int i = 0; i < container->ControlCount(); ++i)
            if (container->Controls(i)->Name().empty())
                copies.push_back(container->Controls(i));
        return copies;
    }

    TForm* window = nullptr;
    TPanel* strip = nullptr;
};

TEST_F(CloneComponentsTest, EachCallCopiesTheDesignedControlsOnlyShiftedByItsOffset) {
    auto* lbTitle = Make<TLabel>("lbTitle", strip);
    lbTitle->SetBounds(10, 4, 60, 13);
    lbTitle->SetTag(5);
    Make<TLabel>("", strip)->SetBounds(10, 20, 60, 13);

    CloneComponents(strip, strip, 140, 0, nullptr, window);
    auto first = Copies(strip);
    ASSERT_EQ(first.size(), 2u) << "the unnamed label is not copied";
    EXPECT_EQ(first[1]->BoundsRect(), Bounds(150, 4, 60, 13));
    EXPECT_EQ(first[1]->Tag(), 5);
    EXPECT_EQ(first[1]->Owner(), window);

    CloneComponents(strip, strip, 280, 0, nullptr, window);
    auto both = Copies(strip);
    ASSERT_EQ(both.size(), 3u) << "the first copy is not copied again";
    EXPECT_EQ(both[2]->BoundsRect(), Bounds(290, 4, 60, 13));

    auto* onlyUnnamed = Make<TPanel>("", window);
    Make<TLabel>("", onlyUnnamed);
    auto* target = Make<TPanel>("pnTarget", window);
    CloneComponents(onlyUnnamed, target, 0, 0, nullptr, window);
    EXPECT_EQ(target->ControlCount(), 0);
}

TEST_F(CloneComponentsTest, NestedContainersKeepRelativePlacesAndTheCallbackSeesEveryCopy) {
    auto* pnMeter = Make<TPanel>("pnMeter", strip);
    pnMeter->SetBounds(20, 30, 60, 200);
    auto* grp = Make<TExtGroupBox>("grpRoute", pnMeter);
    grp->SetBounds(4, 100, 50, 60);
    grp->SetCaptionGerman("Wiedergabe");
    Make<TRadioButton>("btnRoute1", grp)->SetBounds(6, 14, 40, 17);
    Make<TLabel>("lbAfter", strip)->SetBounds(90, 30, 30, 13);

    std::vector<std::string> seen;
    TObject* passed = nullptr;
    CloneComponents(
        strip, strip, 140, 0,
        [&](TObject* context, TControl*& copy) {
            passed = context;
            seen.push_back(copy->ClassName());
        },
        window);
    EXPECT_EQ(passed, window);
    EXPECT_EQ(seen, (std::vector<std::string>{"TPanel", "TGroupBox", "TRadioButton", "TLabel"}));

    auto copies = Copies(strip);
    ASSERT_EQ(copies.size(), 2u);
    auto* meterCopy = dynamic_cast<TPanel*>(copies[0]);
    ASSERT_NE(meterCopy, nullptr);
    EXPECT_EQ(meterCopy->BoundsRect(), Bounds(160, 30, 60, 200));
    ASSERT_EQ(meterCopy->ControlCount(), 1);
    auto* grpCopy = dynamic_cast<TGroupBox*>(meterCopy->Controls(0));
    ASSERT_NE(grpCopy, nullptr);
    EXPECT_EQ(dynamic_cast<TExtGroupBox*>(grpCopy), nullptr) << "a plain group box";
    EXPECT_EQ(grpCopy->Caption(), "Wiedergabe");
    EXPECT_EQ(grpCopy->BoundsRect(), Bounds(4, 100, 50, 60));
    ASSERT_EQ(grpCopy->ControlCount(), 1);
    EXPECT_EQ(grpCopy->Controls(0)->BoundsRect(), Bounds(6, 14, 40, 17));
    EXPECT_STREQ(copies[1]->ClassName(), "TLabel") << "a label after a panel stays a label";
}

TEST_F(CloneComponentsTest, ADroppedBevelCopyLeavesNoHoleAndRenamedCopiesStay) {
    Make<TLabel>("lbA", strip);
    auto* bevel = Make<TBevel>("Bevel1", strip);
    bevel->SetShape(bsBottomLine);
    bevel->SetStyle(bsRaised);
    Make<TLabel>("lbB", strip)->SetCaption("B");
    int renamed = 0;
    CloneComponents(
        strip, strip, 140, 0,
        [&](TObject*, TControl*& copy) {
            if (dynamic_cast<TBevel*>(copy)) {
                copy->Free();
                copy = nullptr;
            } else {
                copy->SetName("lbCopy" + std::to_string(++renamed));
            }
        },
        window);
    ASSERT_EQ(strip->ControlCount(), 5);
    EXPECT_EQ(strip->Controls(3)->Name(), "lbCopy1");
    EXPECT_EQ(strip->Controls(4)->Name(), "lbCopy2");
    EXPECT_EQ(strip->Controls(4)->Caption(), "B");

    // Without the callback the bevel is copied with its shape and style.
    auto* target = Make<TPanel>("pnTarget", window);
    CloneComponents(strip, target, 0, 0, nullptr, window);
    auto* bevelCopy = dynamic_cast<TBevel*>(target->Controls(1));
    ASSERT_NE(bevelCopy, nullptr);
    EXPECT_EQ(bevelCopy->Shape(), bsBottomLine);
    EXPECT_EQ(bevelCopy->Style(), bsRaised);
}

TEST_F(CloneComponentsTest, ADownSpeedButtonIsCopiedUpWithItsGroupAndNoReaction) {
    auto* sb = Make<TExtSpeedButton>("sbMono", strip);
    sb->SetGroupIndex(3);
    sb->SetHintGerman("Mono");
    sb->SetCaptionGerman("M");
    sb->SetDown(true);
    int downs = 0, clicks = 0;
    sb->OnDown = [&](TObject*) { ++downs; };
    sb->OnClick = [&](TObject*) { ++clicks; };
    auto* plain = Make<TSpeedButton>("sbPlain", strip);
    plain->SetGroupIndex(4);
    plain->SetDown(true);
    plain->Hide();

    CloneComponents(strip, strip, 140, 0, nullptr, window);
    auto copies = Copies(strip);
    ASSERT_EQ(copies.size(), 2u);
    auto* copy = dynamic_cast<TExtSpeedButton*>(copies[0]);
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(copy->Down());
    EXPECT_EQ(copy->GroupIndex(), 3);
    EXPECT_EQ(copy->Caption(), "M");
    EXPECT_EQ(copy->Hint(), "Mono");
    EXPECT_EQ(copy->CaptionGerman(), "") << "the texts stay with the original";
    EXPECT_EQ(downs + clicks, 0);
    EXPECT_TRUE(sb->Down()) << "the original keeps its state";

    // The copies share the handlers: a click on the copy reaches them with the copy as sender.
    copy->SetDown(true);
    EXPECT_EQ(downs, 1);

    auto* plainCopy = dynamic_cast<TSpeedButton*>(copies[1]);
    EXPECT_FALSE(plainCopy->Down());
    EXPECT_FALSE(plainCopy->Visible()) << "the plain speed button carries its visibility";
}

TEST_F(CloneComponentsTest, BilingualControlsBecomePlainCopiesWithTheVisibleCaption) {
    auto* chk = Make<TExtCheckBox>("chkPeakMeter", strip);
    chk->SetCaptionEnglish(" &Peak Meter");
    chk->SetCaptionGerman(" P&eak Meter");
    chk->SetChecked(true);
    chk->SetEnabled(false);
    std::vector<TObject*> senders;
    chk->OnClick = [&](TObject* s) { senders.push_back(s); };
    auto* lb = Make<TExtLabel>("lbGain", strip);
    lb->SetCaptionGerman("Pegel");
    lb->SetAlignment(taCenter);
    lb->Font().SetStyle(fsBold);
    auto* radio = Make<TExtRadioButton>("btnOptical", strip);
    radio->SetCaptionGerman("Optisch");
    radio->SetChecked(true);

    CloneComponents(strip, strip, 140, 0, nullptr, window);
    auto copies = Copies(strip);
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_STREQ(copies[0]->ClassName(), "TCheckBox");
    auto* chkCopy = dynamic_cast<TCheckBox*>(copies[0]);
    EXPECT_EQ(chkCopy->Caption(), " P&eak Meter");
    EXPECT_TRUE(chkCopy->Checked());
    EXPECT_TRUE(chkCopy->Enabled()) << "enabled states are not copied";
    EXPECT_TRUE(senders.empty()) << "copying the checked state raised nothing";
    chkCopy->SetChecked(false);
    EXPECT_EQ(senders, (std::vector<TObject*>{chkCopy}));

    EXPECT_STREQ(copies[1]->ClassName(), "TLabel");
    auto* lbCopy = dynamic_cast<TLabel*>(copies[1]);
    EXPECT_EQ(lbCopy->Alignment(), taCenter);
    EXPECT_EQ(lbCopy->Font().Style(), fsBold);
    EXPECT_NE(&lbCopy->Font(), &lb->Font());

    auto* radioCopy = dynamic_cast<TExtRadioButton*>(copies[2]);
    ASSERT_NE(radioCopy, nullptr) << "the bilingual radio button keeps its class";
    EXPECT_EQ(radioCopy->Caption(), "Optisch");
    EXPECT_EQ(radioCopy->CaptionGerman(), "");
    EXPECT_TRUE(radioCopy->Checked());
}

TEST_F(CloneComponentsTest, SlidersMetersAndPanelsCarryTheirOwnProperties) {
    auto* bar = Make<TSlider>("barGain", strip);
    bar->SetBounds(60, 20, 4, 112);
    bar->SetMin(108);
    bar->SetMax(255);
    bar->SetMoveRestriction(6);
    bar->SetNumber(0);
    bar->SetPosition(200);
    int changes = 0;
    bar->OnChange = [&](TObject*) { ++changes; };
    auto* meter = Make<TLevelMeter>("lmLeft", strip);
    meter->SetNumLumisRed(3);
    meter->SetLumiHeight(5);
    meter->SetTimerEnable(true);
    meter->SetLevelMaxHold(1500);
    auto* pn = Make<TPanel>("pnFrame", strip);
    pn->SetColor(clNavy);
    pn->SetParentColor(false);
    pn->SetBevelInner(bvLowered);
    pn->SetBevelWidth(2);

    std::vector<int> changesSeenByCallback;
    CloneComponents(
        strip, strip, 140, 0,
        [&](TObject*, TControl*& copy) {
            if (auto* s = dynamic_cast<TSlider*>(copy)) {
                s->SetNumber(1);
                changesSeenByCallback.push_back(changes);
            }
        },
        window);
    EXPECT_EQ(changesSeenByCallback, (std::vector<int>{0})) << "no OnChange while copying";

    auto copies = Copies(strip);
    auto* barCopy = dynamic_cast<TSlider*>(copies.at(0));
    ASSERT_NE(barCopy, nullptr);
    EXPECT_EQ(barCopy->Min(), 108);
    EXPECT_EQ(barCopy->Max(), 255);
    EXPECT_EQ(barCopy->MoveRestriction(), 6);
    EXPECT_EQ(barCopy->Position(), 200);
    EXPECT_EQ(barCopy->Number(), 1);
    EXPECT_EQ(barCopy->Left(), 200);
    EXPECT_EQ(bar->Number(), 0);

    auto* meterCopy = dynamic_cast<TLevelMeter*>(copies.at(1));
    ASSERT_NE(meterCopy, nullptr);
    EXPECT_EQ(meterCopy->NumLumisRed(), 3);
    EXPECT_EQ(meterCopy->LumiHeight(), 5);
    EXPECT_EQ(meterCopy->LevelMaxHold(), 1500);
    EXPECT_TRUE(meterCopy->TimerEnable());
    EXPECT_EQ(meterCopy->TimerId(), 0u) << "copied while on no form: no timer runs";

    auto* pnCopy = dynamic_cast<TPanel*>(copies.at(2));
    ASSERT_NE(pnCopy, nullptr);
    EXPECT_EQ(pnCopy->BevelInner(), bvLowered);
    EXPECT_EQ(pnCopy->BevelWidth(), 2);
    EXPECT_NE(pnCopy->Color(), clNavy) << "only the parent-colour flag is copied";
}

TEST_F(CloneComponentsTest, ANamedEditFieldFailsTheWholeCallNamingIt) {
    Make<TLabel>("lbFirst", strip);
    Make<TEdit>("edName", strip);
    Make<TLabel>("lbLast", strip);
    int before = window->ComponentCount();
    try {
        CloneComponents(strip, strip, 140, 0, nullptr, window);
        FAIL() << "no error";
    } catch (const EComponentError& e) {
        EXPECT_STREQ(e.what(),
                     "CloneComponents: Komponentenklasse von edName nicht implementiert.");
    }
    EXPECT_TRUE(Copies(strip).empty()) << "nothing was inserted";
    EXPECT_EQ(window->ComponentCount(), before + 1) << "the first copy stays owned by the window";

    Make<TEdit>("", strip);
    auto* target = Make<TPanel>("pnTarget", window);
    EXPECT_THROW(CloneComponents(strip, target, 0, 0, nullptr, window), EComponentError);
}

TEST_F(CloneComponentsTest, PendingMessagesRunWhileCopying) {
    Make<TLabel>("lbA", strip);
    int handled = 0;
    window->SetMessageHandler(WM_USER + 9, [&](TMessage&) { ++handled; });
    PostMessageA(window->Handle(), WM_USER + 9, 0, 0);
    CloneComponents(strip, strip, 140, 0, nullptr, window);
    EXPECT_EQ(handled, 1);
}

} // namespace
