#include "ToolkitFixture.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScrollBox.h"
#include "toolkit/WindowPos.h"

#include <algorithm>
#include <vector>

namespace {

using LayoutTest = ToolkitTest;

TRect B(const TControl* c) {
    return c->BoundsRect();
}

// A form with nested top-, bottom- and client-aligned panels, built as a window description is.
struct NestedForm : TForm {
    TPanel *pTop1, *pTop2, *pBottom, *pClient, *nTop, *nBottom, *nClient;
    TRect clientDuringLoading;

    explicit NestedForm(TComponent* owner) : TForm(owner) {
        LoadDesign([this] {
            SetBounds(0, 0, 308, 327); // client 300 × 300
            pTop1 = Panel(this, alTop, 0, 0, 10, 40, bvNone);
            pTop2 = Panel(this, alTop, 0, 100, 10, 30, bvNone);
            pTop2->SetVisible(false);
            pBottom = Panel(this, alBottom, 0, 0, 10, 50, bvNone);
            pClient = Panel(this, alClient, 0, 0, 10, 10, bvRaised);
            pClient->SetBevelWidth(2); // aligned children sit 2 pixels inside
            nTop = Panel(pClient, alTop, 0, 0, 10, 20, bvNone);
            nBottom = Panel(pClient, alBottom, 0, 0, 10, 25, bvNone);
            nClient = Panel(pClient, alClient, 0, 0, 10, 10, bvNone);
            clientDuringLoading = pClient->BoundsRect();
        });
    }
    TPanel* Panel(TWinControl* parent, TAlign align, int l, int t, int w, int h, TBevelCut outer) {
        auto* p = new TPanel(this);
        p->SetParent(parent);
        p->SetBounds(l, t, w, h);
        p->SetBevelOuter(outer);
        p->SetAlign(align);
        return p;
    }
};

TEST_F(LayoutTest, NestedAlignedPanelsLayOutToHandWorkedNumbers) {
    auto* f = new NestedForm(&app);
    EXPECT_EQ(f->clientDuringLoading, Bounds(0, 0, 10, 10))
        << "layout waits for the end of loading";
    EXPECT_EQ(f->ClientWidth(), 300);
    EXPECT_EQ(f->ClientHeight(), 300);
    EXPECT_EQ(B(f->pTop1), Bounds(0, 0, 300, 40));
    EXPECT_EQ(B(f->pTop2), Bounds(0, 100, 10, 30)) << "hidden: takes no room, keeps its place";
    EXPECT_EQ(B(f->pBottom), Bounds(0, 250, 300, 50));
    EXPECT_EQ(B(f->pClient), Bounds(0, 40, 300, 210));
    EXPECT_EQ(B(f->nTop), Bounds(2, 2, 296, 20));
    EXPECT_EQ(B(f->nBottom), Bounds(2, 183, 296, 25));
    EXPECT_EQ(B(f->nClient), Bounds(2, 22, 296, 161));

    f->pTop2->Show(); // its top (100) puts it below pTop1
    EXPECT_EQ(B(f->pTop2), Bounds(0, 40, 300, 30));
    EXPECT_EQ(B(f->pClient), Bounds(0, 70, 300, 180));
    EXPECT_EQ(B(f->nBottom), Bounds(2, 153, 296, 25));
    EXPECT_EQ(B(f->nClient), Bounds(2, 22, 296, 131));

    f->SetHeight(427);
    EXPECT_EQ(B(f->pBottom), Bounds(0, 350, 300, 50));
    EXPECT_EQ(B(f->pClient), Bounds(0, 70, 300, 280));
    EXPECT_EQ(B(f->nBottom), Bounds(2, 253, 296, 25));
    EXPECT_EQ(B(f->nClient), Bounds(2, 22, 296, 231));

    f->nTop->Hide();
    EXPECT_EQ(B(f->nClient), Bounds(2, 2, 296, 251));
    f->pTop1->SetHeight(60); // a resized top panel pushes the rest down
    EXPECT_EQ(B(f->pTop2), Bounds(0, 60, 300, 30));
    EXPECT_EQ(B(f->pClient), Bounds(0, 90, 300, 260));
}

TEST_F(LayoutTest, FramesAddTheirClassicSizes) {
    auto* f = new TForm(&app);
    f->SetClientWidth(168);
    f->SetClientHeight(173);
    EXPECT_EQ(f->Width(), 176);
    EXPECT_EQ(f->Height(), 200);
    f->SetBorderStyle(bsDialog);
    EXPECT_EQ(f->ClientWidth(), 170);
    EXPECT_EQ(f->ClientHeight(), 175);
    f->SetBorderStyle(bsSingle);
    EXPECT_EQ(f->ClientHeight(), 173);
}

TEST_F(LayoutTest, EveryResizeRespectsTheWindowsSizeLimits) {
    auto* f = new TForm(&app);
    f->SetMessageHandler(WM_GETMINMAXINFO, [](TMessage& m) {
        auto* info = reinterpret_cast<MINMAXINFO*>(m.LParam);
        info->ptMinTrackSize = {176, 200};
        info->ptMaxTrackSize = {176, 200};
        m.Result = 0;
    });
    f->SetBounds(10, 20, 400, 90);
    EXPECT_EQ(B(f), Bounds(10, 20, 176, 200));
    SetWindowPos(f->Handle(), 0, 5, 6, 500, 500, SWP_NOZORDER);
    EXPECT_EQ(B(f), Bounds(5, 6, 176, 200));
}

TEST_F(LayoutTest, ScrollBoxScrollsItsContentsAndItsBarTakesRoom) {
    auto* f = new TForm(&app);
    auto* box = new TScrollBox(f);
    box->SetParent(f);
    box->SetBorderStyle(bsNone);
    box->SetBounds(0, 0, 200, 100);
    auto* strip = new TPanel(f);
    strip->SetParent(box);
    strip->SetBounds(0, 0, 140, 80);
    auto* strip2 = new TPanel(f);
    strip2->SetParent(box);
    strip2->SetBounds(140, 0, 140, 80);
    box->HorzScrollBar().SetMargin(4);
    EXPECT_EQ(box->HorzScrollBar().Range(), 284);
    EXPECT_EQ(box->ClientHeight(), 84) << "the horizontal bar takes 16 pixels";
    box->HorzScrollBar().SetPosition(1000);
    EXPECT_EQ(box->HorzScrollBar().Position(), 84);
    EXPECT_EQ(strip2->Left(), 56);
    box->HorzScrollBar().SetVisible(false);
    EXPECT_EQ(strip2->Left(), 140);
    EXPECT_EQ(box->ClientHeight(), 100);
}

// A panel that refuses to be moved while told to, as a control whose reaction to a move raises.
struct RefusingPanel : TPanel {
    using TPanel::TPanel;
    void SetBounds(int left, int top, int width, int height) override {
        if (refuse)
            throw EInvalidOperation("refused");
        TPanel::SetBounds(left, top, width, height);
    }
    bool refuse = false;
};

TEST_F(LayoutTest, AnAlignmentOrAScrollThatRaisesDoesNotLeaveTheAlignmentHeld) {
    auto* f = new TForm(&app);
    auto* box = new TScrollBox(f);
    box->SetParent(f);
    box->SetBorderStyle(bsNone);
    box->SetBounds(0, 0, 200, 100);
    auto* strip = new RefusingPanel(f);
    strip->SetParent(box);
    strip->SetBounds(0, 0, 300, 40);
    strip->refuse = true;
    EXPECT_THROW(box->ScrollBy(-10, 0), EInvalidOperation);
    EXPECT_FALSE(box->AlignDisabled());
    EXPECT_THROW(strip->SetAlign(alTop), EInvalidOperation);
    EXPECT_FALSE(box->AlignDisabled());

    strip->refuse = false;
    box->Realign();
    EXPECT_EQ(B(strip), Bounds(0, 0, 200, 40)) << "the next alignment places the strip";
    strip->SetHeight(30);
    EXPECT_EQ(B(strip), Bounds(0, 0, 200, 30)) << "its own moves still realign";
}

// A channel window's scroll box: top-aligned sections over unaligned strips, one per card.
struct StripBox {
    TScrollBox* box;
    TPanel* header;
    TPanel* section;
    std::vector<TPanel*> strips;

    StripBox(TApplication& app, int cards) {
        auto* f = new TForm(&app);
        box = new TScrollBox(f);
        box->SetParent(f);
        box->SetBorderStyle(bsNone);
        box->SetBounds(0, 0, 300, 120);
        box->VertScrollBar().SetVisible(false);
        box->HorzScrollBar().SetIncrement(140);
        box->HorzScrollBar().SetMargin(2);
        header = Child(f, alTop, 0, 0, 141, 20);
        section = Child(f, alTop, 0, 20, 141, 30);
        for (int card = 0; card < cards; ++card)
            strips.push_back(Child(f, alNone, 8 + 140 * card, 50, 133, 60));
    }

    TPanel* Child(TForm* f, TAlign align, int l, int t, int w, int h) {
        auto* p = new TPanel(f);
        p->SetParent(box);
        p->SetBounds(l, t, w, h);
        p->SetAlign(align);
        return p;
    }
};

TEST_F(LayoutTest, ScrollBoxLaysAlignedChildrenOverTheRangeAndScrollsThemWithTheStrips) {
    for (int cards = 1; cards <= 4; ++cards) {
        SCOPED_TRACE(cards);
        StripBox s(app, cards);
        auto& bar = s.box->HorzScrollBar();
        const int range = 8 + 133 + 140 * (cards - 1) + 2;
        EXPECT_EQ(bar.Range(), range);
        const bool scrolls = range > 300;
        EXPECT_EQ(bar.IsScrollBarShowing(), scrolls);
        EXPECT_EQ(s.box->ClientHeight(), scrolls ? 104 : 120);
        for (TPanel* aligned : {s.header, s.section})
            EXPECT_EQ(aligned->Width(), std::max(range, 300)) << "spans every strip";
        EXPECT_EQ(s.section->Top(), 20);

        bar.SetPosition(bar.Increment());
        const int step = std::clamp(range - 300, 0, 140);
        EXPECT_EQ(bar.Position(), step);
        EXPECT_EQ(s.header->Left(), -step);
        EXPECT_EQ(s.section->Left(), -step);
        EXPECT_EQ(s.strips[0]->Left(), 8 - step);
        EXPECT_EQ(bar.Range(), range) << "scrolling leaves the range alone";

        bar.SetPosition(100000);
        const int last = bar.Position();
        EXPECT_EQ(last, std::max(0, range - 300));
        EXPECT_EQ(s.section->Left(), -last);
        if (scrolls) {
            EXPECT_EQ(s.strips.back()->Left() + s.strips.back()->Width() + bar.Margin(), 300)
                << "the far end shows the last strip and the margin";
        }
    }
}

TEST_F(LayoutTest, ScrollBoxRangeFollowsItsChildrenAndTheBarsSettings) {
    StripBox s(app, 4);
    auto& bar = s.box->HorzScrollBar();
    bar.Scroll(scBottom);
    EXPECT_EQ(bar.Position(), 263);
    bar.Scroll(scPageUp);
    EXPECT_EQ(bar.Position(), 0) << "a page is the client width";
    bar.Scroll(scTrack, 100);
    EXPECT_EQ(bar.Position(), 0) << "without tracking the thumb's drag waits for the release";
    bar.Scroll(scPosition, 263);
    // A right-aligned child stacks after the strips; it scrolls as well.
    TPanel* tail = s.Child(static_cast<TForm*>(s.box->Parent()), alRight, 0, 0, 30, 10);
    EXPECT_EQ(bar.Range(), 563 + 30);
    EXPECT_EQ(tail->Left(), 563 + 30 - 30 - 263);
    EXPECT_EQ(tail->Height(), 104 - 50) << "below the top-aligned sections";

    // Fewer strips: the position stays inside the smaller range, the sections shrink with it.
    s.strips[3]->Hide();
    s.strips[2]->Hide();
    EXPECT_EQ(bar.Range(), 283 + 30);
    EXPECT_EQ(bar.Position(), 13);
    EXPECT_EQ(s.header->Left(), -13);
    EXPECT_EQ(s.header->Width(), 313);

    bar.SetMargin(20);
    EXPECT_EQ(bar.Range(), 331);

    // A hidden bar does not scroll: everything returns and the sections fit the client area.
    bar.SetVisible(false);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(s.strips[0]->Left(), 8);
    EXPECT_EQ(s.header->Left(), 0);
    EXPECT_EQ(s.header->Width(), 300);
    EXPECT_EQ(s.box->ClientHeight(), 120);
}

TEST_F(LayoutTest, AutoSizedLabelTakesTheSizeOfItsTextAfterLoading) {
    auto* f = new TForm(&app);
    f->BeginLoading();
    auto* lb = new TLabel(f);
    lb->SetParent(f);
    lb->SetBounds(10, 10, 200, 40);
    lb->SetCaption("Karte #1");
    EXPECT_EQ(lb->Width(), 200);
    f->EndLoading();
    EXPECT_EQ(lb->Width(), TextMetrics().TextWidth(lb->Font(), "Karte #1"));
    EXPECT_EQ(lb->Height(), TextMetrics().TextHeight(lb->Font()));
}

} // namespace
