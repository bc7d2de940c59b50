#include "controls/TSlider.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TBevel.h"
#include "toolkit/TForm.h"
#include "toolkit/TScrollBox.h"
#include "toolkit/ToolkitFixture.h"
#include "toolkit/UserInput.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

const char* const kRangeMessage = "Wert für Position liegt außerhalb von Min und Max";

class SliderTest : public ToolkitTest {
protected:
    SliderTest() {
        form = new TForm(&app);
        strip = new TPanel(form);
        strip->SetParent(form);
        strip->SetBounds(0, 0, 53, 160);
        form->Show();
    }

    // A gain fader of the analog input window, read from its window description.
    TSlider* LoadFader() {
        form->BeginLoading();
        auto* s = new TSlider(form);
        s->SetParent(strip);
        s->SetBounds(12, 12, 4, 112);
        s->SetMin(108);
        s->SetMax(255);
        s->SetPosition(108);
        s->SetBtnHeight(26);
        s->SetBtnWidth(18);
        s->SetMoveRestriction(6);
        s->OnChange = [this](TObject* sender) {
            changes.push_back(static_cast<TSlider*>(sender)->Position());
        };
        form->EndLoading();
        return s;
    }

    // The user grabs the knob `grabY` pixels below its top and moves the mouse by each step on the
    // screen; every move reaches the knob in its own coordinates, wherever the knob is by then.
    void Drag(TSlider* s, int grabY, const std::vector<int>& steps) {
        TPanel* knob = s->Knob();
        int screenY = knob->Top() + grabY;
        UserInput::MouseDown(knob, mbLeft, ssLeft, 5, grabY);
        for (int step : steps) {
            screenY += step;
            UserInput::MouseMove(knob, ssLeft, 5, screenY - knob->Top());
        }
        UserInput::MouseUp(knob, mbLeft, 0, 5, screenY - knob->Top());
    }

    TForm* form;
    TPanel* strip;
    std::vector<int> changes;
};

TEST_F(SliderTest, CreationGivesAFourPixelGrooveAndAKnobThatOnlyTheLayoutPlaces) {
    auto* s = new TSlider(form);
    EXPECT_EQ(s->Width(), 4);
    EXPECT_EQ(s->Height(), 149);
    EXPECT_EQ(s->Travel(), 141) << "149 less a margin of 4 at each end";
    EXPECT_FALSE(s->LaidOut());
    EXPECT_EQ(s->Knob()->Owner(), s);
    EXPECT_EQ(s->Knob()->Parent(), nullptr);
    EXPECT_EQ(s->KnobLine()->Owner(), s->Knob());
    EXPECT_EQ(s->KnobLine()->Parent(), s->Knob());
    s->SetParent(strip);
    EXPECT_EQ(s->Knob()->Parent(), strip) << "entering a shown window lays a slider out";
}

// A slider made in code (a cloned fader) is laid out when its window is shown, with no backend,
// before the window's OnShow: its first OnChange comes before anything the window does at show.
TEST_F(SliderTest, AShownWindowLaysItsSlidersOutBeforeItsOnShowHiddenOnesToo) {
    auto* window = new TForm(&app);
    auto* section = new TPanel(window);
    section->SetParent(window);
    section->SetVisible(false);
    auto* s = new TSlider(window);
    s->SetParent(section);
    s->SetBounds(12, 12, 4, 112);
    s->SetMin(108);
    s->SetMax(255);
    s->SetPosition(200);
    s->OnChange = [this](TObject* sender) {
        changes.push_back(static_cast<TSlider*>(sender)->Position());
    };
    EXPECT_FALSE(s->LaidOut());
    std::vector<int> seenAtShow;
    window->OnShow = [&](TObject*) { seenAtShow = changes; };
    window->Show();
    EXPECT_EQ(seenAtShow, std::vector<int>{200});
    EXPECT_EQ(s->Knob()->Parent(), section);
    EXPECT_EQ(s->Knob()->Top(), 12 + 112 - 7 - 65 - 4) << "travel 104 at 92 / 147";

    window->Hide();
    window->Show();
    EXPECT_EQ(changes, std::vector<int>{200}) << "laid out once";
}

TEST_F(SliderTest, ReadingADescriptionRaisesOnChangeOnceInTheLayoutThatPlacesTheKnobAtMin) {
    TSlider* s = LoadFader();
    EXPECT_EQ(changes, std::vector<int>{108});
    EXPECT_TRUE(s->LaidOut());
    TPanel* knob = s->Knob();
    EXPECT_EQ(knob->Parent(), strip) << "the knob is the groove's sibling";
    EXPECT_GT(strip->ChildIndex(knob), strip->ChildIndex(s)) << "and lies over it";
    EXPECT_EQ(s->Travel(), 100);
    EXPECT_EQ(s->Offset(), 0);
    EXPECT_EQ(knob->Left(), 12 + 4 / 2 - 18 / 2);
    EXPECT_EQ(knob->Top(), 12 + 112 - 26 / 2 - 6);
    EXPECT_EQ(knob->Top() + 26 / 2, s->Top() + s->Height() - 6)
        << "at Min the knob's centre is MoveRestriction above the groove's bottom";
    EXPECT_EQ(knob->Width(), 18);
    EXPECT_EQ(knob->Height(), 26);
    EXPECT_EQ(s->KnobLine()->Top(), (26 - 4) / 2);
    EXPECT_EQ(s->KnobLine()->Width(), 18 - 5);

    changes.clear();
    form->Hide();
    form->Show();
    EXPECT_TRUE(changes.empty()) << "the layout runs once";
}

TEST_F(SliderTest, PositionMaxPutsTheKnobCentreMoveRestrictionBelowTheTopAndRaisesOnChangeOnce) {
    TSlider* s = LoadFader();
    changes.clear();
    s->SetPosition(255);
    EXPECT_EQ(changes, std::vector<int>{255});
    EXPECT_EQ(s->Offset(), s->Travel());
    EXPECT_EQ(s->Knob()->Top() + 26 / 2, s->Top() + 6);
    EXPECT_DOUBLE_EQ(s->Fraction(), 1.0);
}

TEST_F(SliderTest, PositionOutsideTheRangeIsRefusedAndChangesNothing) {
    TSlider* s = LoadFader();
    s->SetPosition(200);
    changes.clear();
    const int top = s->Knob()->Top();
    for (int bad : {107, 256, std::numeric_limits<int>::min()}) {
        try {
            s->SetPosition(bad);
            ADD_FAILURE() << bad << " was accepted";
        } catch (const ERangeError& e) {
            EXPECT_EQ(e.Message(), kRangeMessage);
        }
    }
    EXPECT_EQ(s->Position(), 200);
    EXPECT_EQ(s->Knob()->Top(), top);
    EXPECT_TRUE(changes.empty());
}

TEST_F(SliderTest, SetFractionRoundsHalvesToEvenAndRefusesWhatLiesOutsideZeroToOne) {
    auto* s = new TSlider(form); // travel 141
    s->SetMax(5);
    s->SetFraction(0.5);
    EXPECT_EQ(s->Position(), 2) << "2.5 goes to 2";
    EXPECT_EQ(s->Offset(), 70) << "70.5 goes to 70";
    s->SetMax(7);
    s->SetFraction(0.5);
    EXPECT_EQ(s->Position(), 4) << "3.5 goes to 4";
    s->SetHeight(151); // travel 143
    s->SetFraction(0.5);
    EXPECT_EQ(s->Offset(), 72) << "71.5 goes to 72";

    int calls = 0;
    s->OnChange = [&](TObject*) { ++calls; };
    s->SetFraction(0.5);
    EXPECT_EQ(calls, 1) << "raised also when nothing moved";
    for (double bad : {-0.001, 1.001, std::nan("")})
        EXPECT_THROW(s->SetFraction(bad), ERangeError);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(s->Position(), 4);
    EXPECT_DOUBLE_EQ(s->Fraction(), 0.5);
}

TEST_F(SliderTest, MaxEqualToMinKeepsTheKnobAtTheBottom) {
    TSlider* s = LoadFader();
    s->SetMax(108);
    s->SetPosition(108);
    EXPECT_EQ(s->Offset(), 0);
    EXPECT_EQ(s->Knob()->Top(), 12 + 112 - 13 - 6);
}

TEST_F(SliderTest, WritingABoundReappliesTheOldFractionFirst) {
    TSlider* s = LoadFader();
    s->SetPosition(200);
    std::vector<std::pair<int, int>> seen;
    s->OnChange = [&](TObject*) { seen.emplace_back(s->Min(), s->Max()); };
    s->SetMax(300);
    s->SetMin(0);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{108, 255}, {108, 300}}))
        << "OnChange sees the bounds before each change";
    EXPECT_EQ(s->Min(), 0);
    EXPECT_EQ(s->Max(), 300);
    // The fraction of 200 in 108..255, applied to 108..300 when Min is written: 228.16.
    EXPECT_EQ(s->Position(), 228) << "recomputed from the bounds before the write";
}

TEST_F(SliderTest, AFirstLayoutAfterMinRoseAbovePositionIsReportedAndTheWindowShowsRegardless) {
    auto* window = new TForm(&app);
    auto* s = new TSlider(window);
    s->SetParent(window);
    s->SetPosition(50);
    s->SetMin(60);
    bool shown = false;
    window->OnShow = [&](TObject*) { shown = true; };
    window->Show();
    ASSERT_EQ(boxes->History().size(), 1u);
    EXPECT_EQ(boxes->History()[0].request.text, kRangeMessage);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(s->LaidOut());
    EXPECT_EQ(s->Position(), 50);
}

TEST_F(SliderTest, ResizingKeepsTheGrooveFourWideAndTheKnobAtItsFraction) {
    TSlider* s = LoadFader();
    s->SetPosition(255);
    s->SetWidth(30);
    EXPECT_EQ(s->Width(), 4);
    s->SetBounds(12, 12, 10, 212);
    EXPECT_EQ(s->Width(), 4);
    EXPECT_EQ(s->Travel(), 200);
    EXPECT_EQ(s->Offset(), 200);
    EXPECT_EQ(s->Knob()->Top(), 12 + 6 - 13);
    s->SetMoveRestriction(0);
    EXPECT_EQ(s->Travel(), 212);
    EXPECT_EQ(s->Knob()->Top(), 12 - 13);
    s->SetLeft(40); // moved, not resized: the knob goes along
    EXPECT_EQ(s->Knob()->Left(), 40 + 2 - 9);
    EXPECT_EQ(s->Knob()->Top(), 12 - 13);
    s->SetHeight(8); // shorter than both margins: no room to travel, and no negative room
    s->SetMoveRestriction(6);
    EXPECT_EQ(s->Travel(), 0);
}

TEST_F(SliderTest, KnobSizeChangesKeepItCentredAndItsLineInTheMiddle) {
    TSlider* s = LoadFader();
    s->SetBtnWidth(30);
    EXPECT_EQ(s->Knob()->Left(), 12 + 2 - 15);
    EXPECT_EQ(s->KnobLine()->Width(), 25);
    s->SetBtnHeight(10);
    EXPECT_EQ(s->Knob()->Height(), 10);
    EXPECT_EQ(s->Knob()->Top(), 12 + 112 - 5 - 6);
    EXPECT_EQ(s->KnobLine()->Top(), 3);
}

TEST_F(SliderTest, DraggingUpRaisesThePositionAndTheKnobFollowsTheMouse) {
    TSlider* s = LoadFader();
    changes.clear();
    const int top = s->Knob()->Top();
    Drag(s, 13, {-10, -20});
    EXPECT_EQ(s->Offset(), 30);
    EXPECT_EQ(s->Knob()->Top(), top - 30);
    EXPECT_EQ(s->Position(), 152) << "147 * 0.3 + 108 = 152.1";
    EXPECT_EQ(changes, (std::vector<int>{123, 152}));
    EXPECT_FALSE(s->Dragging());

    changes.clear();
    UserInput::MouseMove(s->Knob(), 0, 5, 0);
    EXPECT_TRUE(changes.empty()) << "moving without a pressed button drags nothing";
}

TEST_F(SliderTest, TheOffsetNearestAPositionIsWhereADragComesClosestToIt) {
    TSlider* s = LoadFader();
    // 147 positions over 100 pixels: offset 30 gives 152.1 -> 152, offset 31 gives 153.57 -> 154.
    EXPECT_EQ(s->PositionAtOffset(30), 152);
    EXPECT_EQ(s->OffsetNearest(152), 30);
    EXPECT_EQ(s->OffsetNearest(153), 30) << "unreachable: the lower of two equally near offsets";
    EXPECT_EQ(s->OffsetNearest(154), 31);
    EXPECT_EQ(s->OffsetNearest(255), 100);
    Drag(s, 13, {-s->OffsetNearest(154)});
    EXPECT_EQ(s->Position(), 154) << "the drag reaches what the mapping promised";
}

TEST_F(SliderTest, DraggingPastEitherEndStopsTheKnobThere) {
    TSlider* s = LoadFader();
    Drag(s, 13, {-70, -70, -500});
    EXPECT_EQ(s->Offset(), 100);
    EXPECT_EQ(s->Position(), 255);
    EXPECT_EQ(s->Knob()->Top(), 12 + 6 - 13);

    Drag(s, 2, {40, 1000, 1});
    EXPECT_EQ(s->Offset(), 0);
    EXPECT_EQ(s->Position(), 108);
    EXPECT_EQ(s->Knob()->Top(), 12 + 112 - 13 - 6);
}

TEST_F(SliderTest, AnyMouseButtonDragsButADisabledSliderDoesNot) {
    TSlider* s = LoadFader();
    TPanel* knob = s->Knob();
    UserInput::MouseDown(knob, mbRight, ssRight, 5, 13);
    UserInput::MouseMove(knob, ssRight, 5, 3);
    UserInput::MouseUp(knob, mbRight, 0, 5, 13);
    EXPECT_EQ(s->Offset(), 10);

    s->SetEnabled(false);
    changes.clear();
    Drag(s, 13, {-50});
    EXPECT_EQ(s->Offset(), 10);
    EXPECT_TRUE(changes.empty());
}

TEST_F(SliderTest, AsAScaleItTakesExactlyTheValueSetUnlessDisabledOrOffTheScale) {
    TSlider* s = LoadFader();
    AccessibleScale& scale = *s;
    EXPECT_EQ(scale.ScaleHandle(), s->Knob());
    // A pixel spans about one and a half positions: 131 is no place a drag reaches, yet it is set.
    for (int value : {130, 131, 132, 131, 108, 255}) {
        changes.clear();
        EXPECT_TRUE(scale.SetScaleValue(value));
        EXPECT_EQ(s->Position(), value);
        EXPECT_EQ(scale.ScaleValue(), value);
        EXPECT_LE(std::abs(s->PositionAtOffset(s->Offset()) - value), 1) << "the knob beside it";
        EXPECT_EQ(changes, std::vector<int>{value});
    }
    EXPECT_EQ(scale.ScaleText(), "255");
    changes.clear();
    EXPECT_TRUE(scale.SetScaleValue(255));
    EXPECT_TRUE(changes.empty()) << "the same value sends nothing";
    EXPECT_FALSE(scale.SetScaleValue(256));
    EXPECT_FALSE(scale.SetScaleValue(107));

    s->SetEnabled(false);
    EXPECT_FALSE(scale.SetScaleValue(120));
    EXPECT_EQ(s->Position(), 255);
}

TEST_F(SliderTest, FocusScrollsTheWholeFaderIntoViewItsKnobToo) {
    auto* box = new TScrollBox(form);
    box->SetParent(form);
    box->SetBounds(0, 0, 60, 200);
    auto* wide = new TPanel(form);
    wide->SetParent(box);
    wide->SetBounds(0, 0, 300, 150);
    TSlider* s = LoadFader();
    s->SetParent(wide);
    s->SetLeft(100);
    ASSERT_TRUE(UserInput::Focus(s));
    EXPECT_GT(s->Knob()->BoundsRect().Right, s->BoundsRect().Right);
    EXPECT_EQ(box->HorzScrollBar().Position(), s->Knob()->BoundsRect().Right - box->ClientWidth());
}

TEST_F(SliderTest, TheKnobGoesWithTheSliderAndAParentMayFreeItFirst) {
    TSlider* s = LoadFader();
    auto* other = new TPanel(form);
    other->SetParent(form);
    s->SetParent(other);
    EXPECT_EQ(s->Knob()->Parent(), other) << "a placed knob follows its groove";

    const int before = other->ControlCount();
    s->Free();
    EXPECT_EQ(other->ControlCount(), before - 2) << "groove and knob are gone";

    TSlider* again = LoadFader();
    again->Knob()->Free(); // as the knob's parent does when it goes first
    EXPECT_EQ(again->Knob(), nullptr);
    EXPECT_EQ(again->KnobLine(), nullptr);
    again->SetPosition(200);
    again->SetBtnHeight(20);
    again->SetBtnWidth(20);
    again->SetBounds(20, 20, 4, 112);
    EXPECT_EQ(again->Position(), 200);
    strip->Free();
}

TEST_F(SliderTest, KeysMoveTheKnobAsADragToTheSamePlaceDoesAndStopAtTheEnds) {
    TSlider* keyed = LoadFader();
    TSlider* dragged = LoadFader();
    changes.clear();
    ASSERT_TRUE(UserInput::Focus(keyed));
    for (WORD key : {VK_PRIOR, VK_PRIOR, VK_NEXT})
        UserInput::KeyDown(form, key);
    const std::vector<int> byKeys = changes;
    EXPECT_EQ(keyed->Offset(), 10);
    changes.clear();
    // Moving the mouse up raises the knob: ten pixels, ten more, ten back.
    Drag(dragged, 13, {-10, -10, 10});
    EXPECT_EQ(byKeys, changes) << "each key sends what the drag sends at the same place";

    // Up and Down step one position, where a pixel spans one or two.
    changes.clear();
    for (WORD key : {VK_UP, VK_UP, VK_UP, VK_DOWN})
        UserInput::KeyDown(form, key);
    const int at = byKeys.back();
    EXPECT_EQ(changes, (std::vector<int>{at + 1, at + 2, at + 3, at + 2}));

    changes.clear();
    UserInput::KeyDown(form, VK_HOME);
    UserInput::KeyDown(form, VK_UP);
    EXPECT_EQ(keyed->Offset(), keyed->Travel());
    UserInput::KeyDown(form, VK_END);
    UserInput::KeyDown(form, VK_DOWN);
    EXPECT_EQ(changes, (std::vector<int>{255, 108})) << "nothing moves beyond an end";

    changes.clear();
    keyed->SetEnabled(false);
    UserInput::KeyDown(form, VK_UP);
    EXPECT_TRUE(changes.empty()) << "a fader disabled while focused takes no keys";
    EXPECT_FALSE(UserInput::Focus(keyed)) << "nor the focus";
}

} // namespace
