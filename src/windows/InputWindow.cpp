#include "windows/InputWindow.h"

#include "controls/ExtControls.h"
#include "driver/DriverMessages.h"
#include "toolkit/TPanel.h"

TInputWindow::TInputWindow(TComponent* owner, const ChannelWindowParams& params)
    : TChannelWindow(owner, params) {}

void TInputWindow::AssignMonitorTags() {
    btnAnaMon->SetTag(MonitorToAnalogOut);
    btnDigMon->SetTag(MonitorToDigitalOut);
    btnNever->SetTag(MonitorNever);
    btnOnRec->SetTag(MonitorWhileRecording);
    btnOnPunch->SetTag(MonitorWhilePunch);
}

void TInputWindow::WireMonitorReactions() {
    for (TRadioButton* button : {btnAnaMon, btnDigMon})
        button->OnClick = [this](TObject* s) { ChooseMonitorByte(s, MonitorState::kDestination); };
    for (TRadioButton* button : {btnNever, btnOnRec, btnOnPunch})
        button->OnClick = [this](TObject* s) { ChooseMonitorByte(s, MonitorState::kCondition); };
}

MonitorState TInputWindow::MonitorStateOf(int card) const {
    const SharedBlock& block = monitorBlocks_.at(static_cast<std::size_t>(card));
    return block.Usable() ? ReadQuadBlock<MonitorState>(block.Flat()) : MonitorState{};
}

bool TInputWindow::LoadMonitorStates() {
    for (int card = 0; card < Cards(); ++card) {
        SharedBlock& block = monitorBlocks_[static_cast<std::size_t>(card)];
        if (!ObtainBlock(block, kQuadBlockSize))
            return false;
        SendControlMessage(HandleEntry(2 * card), INMSG_GET_MONITOR, block.Address());
    }
    return true;
}

void TInputWindow::CheckButtonsFromState(const TPanel* designed, int byteIndex) {
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* panel = dynamic_cast<TPanel*>(Components(i));
        if (!panel || panel->Parent() != designed->Parent() || panel->Top() != designed->Top())
            continue;
        const int card = panel->Tag();
        if (card < 0 || card >= Cards())
            continue;
        const BYTE value = MonitorStateOf(card).b[byteIndex];
        // classic behaviour: checking a button from code runs its click, so each button checked
        // here sends its card's unchanged state back to the driver once.
        for (int c = 0; c < panel->ControlCount(); ++c)
            if (auto* button = dynamic_cast<TRadioButton*>(panel->Controls(c)))
                button->SetChecked(value == button->Tag());
    }
}

void TInputWindow::CheckMonitorButtons() {
    CheckButtonsFromState(pnRouteParent, MonitorState::kDestination);
    CheckButtonsFromState(pnWhenToMonParent, MonitorState::kCondition);
}

void TInputWindow::ChooseMonitorByte(TObject* button, int byteIndex) {
    auto* control = dynamic_cast<TControl*>(button);
    if (!control || !control->Parent())
        return;
    const int card = control->Parent()->Tag();
    if (card < 0 || card >= Cards())
        return;
    SharedBlock& block = monitorBlocks_[static_cast<std::size_t>(card)];
    if (!block.Usable())
        return;
    block.Flat()[byteIndex] = static_cast<BYTE>(control->Tag());
    const MonitorState state = ReadQuadBlock<MonitorState>(block.Flat());
    SendControlMessage(HandleEntry(2 * card), INMSG_SET_MONITOR, state.Packed());
}
