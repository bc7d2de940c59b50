#include "ToolkitFixture.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TPanel.h"
#include "toolkit/TRadioButton.h"
#include "toolkit/TTrackBar.h"

#include <string>
#include <vector>

namespace {

using ComponentTest = ToolkitTest;

struct Probe : TComponent {
    Probe(TComponent* owner, std::vector<std::string>& log, std::string id)
        : TComponent(owner), log_(log), id_(std::move(id)) {}
    ~Probe() override { log_.push_back("~" + id_); }
    void Loaded() override {
        log_.push_back(id_ + (Loading() ? " loading" : " ?"));
        TComponent::Loaded();
    }
    std::vector<std::string>& log_;
    std::string id_;
};

TEST_F(ComponentTest, OwnerKeepsCreationOrderFindsByNameAndDestroysLastFirst) {
    std::vector<std::string> log;
    auto* root = new TComponent(&app);
    auto* a = new Probe(root, log, "a");
    auto* b = new Probe(root, log, "b");
    new Probe(a, log, "a1");
    a->SetName("chkPeakMeter");
    b->SetTag(-1);
    EXPECT_EQ(root->ComponentCount(), 2);
    EXPECT_EQ(root->Components(0), a);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_EQ(root->FindComponent("CHKPEAKMETER"), a);
    EXPECT_EQ(root->FindComponent(""), nullptr);
    EXPECT_EQ(b->Tag(), -1);
    EXPECT_THROW(b->SetName("chkPeakMeter"), EComponentError);
    EXPECT_THROW(b->SetName("1abc"), EComponentError);
    EXPECT_THROW(root->Components(5), EComponentError);
    root->Free();
    // Each destructor body runs before the component frees what it owns.
    EXPECT_EQ(log, (std::vector<std::string>{"~b", "~a", "~a1"}));
}

TEST_F(ComponentTest, LoadedRunsOnEveryComponentInCreationOrderEachStillLoading) {
    std::vector<std::string> log;
    auto* root = new TComponent(&app);
    root->BeginLoading();
    auto* a = new Probe(root, log, "a");
    new Probe(a, log, "a1");
    new Probe(root, log, "b");
    EXPECT_TRUE(a->Loading());
    root->EndLoading();
    EXPECT_EQ(log, (std::vector<std::string>{"a loading", "a1 loading", "b loading"}));
    EXPECT_FALSE(a->Loading());
    EXPECT_FALSE(root->Loading());
    EXPECT_THROW(root->EndLoading(), EComponentError);
    log.clear();
    root->Free();
}

TEST_F(ComponentTest, WhileLoadingNoSetterRunsItsReactionAfterwardsEverySetterDoes) {
    auto* form = new TForm(&app);
    int reactions = 0;
    auto count = [&](TObject*) { ++reactions; };
    form->BeginLoading();
    auto* chk = new TCheckBox(form);
    chk->SetParent(form);
    chk->OnClick = count;
    chk->SetChecked(true);
    auto* bar = new TTrackBar(form);
    bar->SetParent(form);
    bar->OnChange = count;
    bar->SetPosition(60); // arrives before Max, as in a window description
    bar->SetMax(100);
    auto* ed = new TEdit(form);
    ed->SetParent(form);
    ed->OnChange = count;
    ed->SetText("44100");
    auto* radio = new TRadioButton(form);
    radio->SetParent(form);
    radio->OnClick = count;
    radio->SetChecked(true);
    form->EndLoading();
    EXPECT_EQ(reactions, 0);
    EXPECT_TRUE(chk->Checked());
    EXPECT_EQ(bar->Position(), 60);
    EXPECT_EQ(ed->Text(), "44100");
    EXPECT_TRUE(radio->Checked());

    chk->SetEnabled(false); // a reaction runs whether or not the control is enabled
    chk->SetChecked(false);
    bar->SetPosition(61);
    ed->SetText("48000");
    EXPECT_EQ(reactions, 3);
}

TEST_F(ComponentTest, ParentIsSeparateFromOwnerAndAParentDestroysItsChildren) {
    auto* owner = new TComponent(&app);
    auto* panel = new TPanel(owner);
    auto* chk = new TCheckBox(owner);
    chk->SetParent(panel);
    EXPECT_EQ(chk->Owner(), owner);
    EXPECT_EQ(chk->Parent(), panel);
    EXPECT_EQ(panel->ControlCount(), 1);
    panel->Free();
    EXPECT_EQ(owner->ComponentCount(), 0) << "the child went with its parent";
    owner->Free();
}

} // namespace
