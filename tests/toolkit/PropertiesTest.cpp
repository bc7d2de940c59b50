#include "ToolkitFixture.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TBevel.h"
#include "toolkit/TButton.h"
#include "toolkit/TGroupBox.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPanel.h"
#include "toolkit/TShape.h"
#include "toolkit/TTimer.h"
#include "toolkit/UserInput.h"

#include <string>
#include <vector>

namespace {

using PropertiesTest = ToolkitTest;

TEST_F(PropertiesTest, FontColourHintAnd3DLookComeFromTheParentUntilSetOwn) {
    auto* f = new TForm(&app);
    f->Font().SetName("Arial");
    f->Font().SetHeight(-11);
    f->SetShowHint(true);
    auto* panel = new TPanel(f);
    panel->SetParent(f);
    auto* lb = new TLabel(f);
    lb->SetParent(panel);
    EXPECT_EQ(lb->Font().Name(), "Arial");
    EXPECT_EQ(lb->Font().Size(), 8);
    EXPECT_TRUE(lb->ShowHint());
    EXPECT_TRUE(lb->ParentColor());
    EXPECT_EQ(lb->Color(), panel->Color());

    lb->Font().SetStyle(fsBold | fsItalic);
    f->Font().SetHeight(-24);
    EXPECT_FALSE(lb->ParentFont()) << "an own font stays";
    EXPECT_EQ(lb->Font().Height(), -11);
    EXPECT_EQ(panel->Font().Height(), -24);

    panel->SetColor(0xE1E1E1);
    EXPECT_EQ(lb->Color(), 0xE1E1E1);
    lb->SetShowHint(false);
    f->SetShowHint(true);
    EXPECT_FALSE(lb->ShowHint());

    auto* grp = new TGroupBox(f);
    grp->SetParent(panel);
    panel->SetCtl3D(false);
    EXPECT_FALSE(grp->Ctl3D());
    grp->SetCtl3D(true);
    panel->SetCtl3D(false);
    EXPECT_TRUE(grp->Ctl3D());
    EXPECT_FALSE(grp->ParentCtl3D());
}

TEST_F(PropertiesTest, FontSizeAndHeightAreTheClassicPair) {
    TFont font;
    font.SetSize(8);
    EXPECT_EQ(font.Height(), -11);
    font.SetHeight(-13);
    EXPECT_EQ(font.Size(), 10);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0u);
    EXPECT_EQ(ColorToRGB(clNavy), 0x800000u);
}

TEST_F(PropertiesTest, MouseEventsCarryButtonShiftAndPositionClickBeforeMouseUp) {
    auto* f = new TForm(&app);
    f->Show();
    auto* lb = new TLabel(f);
    lb->SetParent(f);
    lb->SetAutoSize(false);
    lb->SetBounds(0, 0, 40, 20);
    std::vector<std::string> log;
    lb->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        log.push_back("down " + std::to_string(int(b)) + " " + std::to_string(s) + " " +
                      std::to_string(x) + "," + std::to_string(y));
    };
    lb->OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
        log.push_back("move " + std::to_string(x) + "," + std::to_string(y));
    };
    lb->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { log.push_back("up"); };
    lb->OnClick = [&](TObject*) { log.push_back("click"); };
    lb->OnDblClick = [&](TObject*) { log.push_back("dblclick"); };
    UserInput::MouseDown(lb, mbRight, ssShift, 3, 4);
    UserInput::MouseUp(lb, mbRight, ssShift, 3, 4);
    UserInput::MouseDown(lb, mbLeft, 0, 10, 5);
    UserInput::MouseMove(lb, ssLeft, 11, 6);
    UserInput::MouseUp(lb, mbLeft, 0, 11, 6);
    EXPECT_EQ(log, (std::vector<std::string>{"down 1 1 3,4", "up", "down 0 0 10,5", "move 11,6",
                                             "click", "up"}));
    log.clear();
    UserInput::DblClick(lb);
    EXPECT_EQ(log, (std::vector<std::string>{"down 0 0 20,10", "click", "up", "dblclick",
                                             "down 0 72 20,10", "up"}));

    // A copied handler is the label's own; an empty one leaves the event unset.
    auto* copy = new TLabel(f);
    copy->OnClick = lb->OnClick;
    lb->OnClick = nullptr;
    lb->OnDblClick = TNotifyEvent();
    EXPECT_FALSE(lb->OnClick);
    EXPECT_FALSE(lb->OnDblClick);
    log.clear();
    ASSERT_TRUE(copy->OnClick);
    copy->OnClick(copy);
    EXPECT_EQ(log, std::vector<std::string>{"click"});
}

TEST_F(PropertiesTest, AnErrorEscapingAUserClickIsReportedAndTheProgramGoesOn) {
    auto* f = new TForm(&app);
    f->Show();
    auto* btn = new TButton(f);
    btn->SetParent(f);
    int runs = 0;
    btn->OnClick = [&](TObject*) {
        if (++runs == 1)
            throw ERangeError("Wert für Position liegt außerhalb von Min und Max");
        ::Abort();
    };
    UserInput::Click(btn);
    UserInput::Click(btn);
    ASSERT_EQ(boxes->History().size(), 1u);
    EXPECT_EQ(boxes->History()[0].request.text,
              "Wert für Position liegt außerhalb von Min und Max");
    EXPECT_EQ(runs, 2);
}

TEST_F(PropertiesTest, TimerRunsOnTimerEveryIntervalWhileEnabled) {
    auto* owner = new TComponent(&app);
    auto* timer = new TTimer(owner);
    timer->SetInterval(40);
    int ticks = 0;
    timer->OnTimer = [&](TObject*) { ++ticks; };
    clock->Advance(120);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 3);
    timer->SetEnabled(false);
    clock->Advance(200);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 3);
    timer->SetEnabled(true);
    timer->SetInterval(100);
    clock->Advance(100);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 4);
    owner->Free();
    clock->Advance(500);
    app.ProcessMessages();
    EXPECT_EQ(ticks, 4) << "a freed timer never fires";
}

TEST_F(PropertiesTest, ProcessMessagesHandlesWhatIsPendingWithoutWaitingForTimers) {
    auto* f = new TForm(&app);
    int seen = 0;
    f->SetMessageHandler(WM_USER + 9, [&](TMessage&) { ++seen; });
    auto* timer = new TTimer(f);
    timer->SetInterval(1000);
    timer->OnTimer = [&](TObject*) { PostMessageA(f->Handle(), WM_USER + 9, 0, 0); };
    PostMessageA(f->Handle(), WM_USER + 9, 0, 0);
    app.ProcessMessages();
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(clock->NowMs(), 0u) << "no virtual time passed";
    app.HandleMessage(); // nothing pending: waits for the timer, which posts WM_TIMER
    EXPECT_EQ(clock->NowMs(), 1000u);
    app.HandleMessage(); // WM_TIMER: OnTimer posts
    app.HandleMessage();
    EXPECT_EQ(seen, 2);
}

TEST_F(PropertiesTest, GraphicControlsKeepTheirLooks) {
    auto* f = new TForm(&app);
    auto* bevel = new TBevel(f);
    bevel->SetShape(bsBottomLine);
    bevel->SetStyle(bsRaised);
    auto* shape = new TShape(f);
    shape->SetBrushColor(clLime);
    shape->SetPenColor(clGreen);
    shape->SetShape(stEllipse);
    EXPECT_EQ(bevel->Shape(), bsBottomLine);
    EXPECT_EQ(bevel->Style(), bsRaised);
    EXPECT_EQ(shape->BrushColor(), clLime);
    EXPECT_EQ(shape->Shape(), stEllipse);
}

TEST_F(PropertiesTest, FreeAndNilRunsOnDestroyWhileTheFormIsWholeAndClearsTheVariable) {
    struct Window : TForm {
        std::vector<int> handles{1, 2, 3};
        int* closed;
        Window(TComponent* o, int* c) : TForm(o), closed(c) {
            LoadDesign([this] {
                OnDestroy = [this](TObject*) { *closed = static_cast<int>(handles.size()); };
            });
        }
    };
    int closed = 0;
    auto* w = new Window(&app, &closed);
    FreeAndNil(w);
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(closed, 3);
}

} // namespace
