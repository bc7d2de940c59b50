// The settings dialog's frame: creation, the fill, the apply sequence, closing and the ">>" chain.

#include "windows/DlgCfg.h"

#include "controls/ExtControls.h"
#include "driver/ConfigChannel.h"
#include "platform/MessageBox.h"
#include "platform/MessageQueue.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TApplication.h"
#include "toolkit/TEdit.h"
#include "toolkit/TPageControl.h"
#include "windows/MixControlWnd.h"

#include <charconv>

TdlgCfg* dlgCfg = nullptr;

namespace {

constexpr const char* kRestartText =
    "Sie müssen Windows neu starten, damit die Änderungen zu den verfügbaren "
    "DirectSound-Geräten übernommen werden.";
constexpr const char* kRefusedText =
    "Die Einstellungen des Varnel PRO Treibers können derzeit nicht geändert werden.\r\n"
    "Beenden Sie erst alle Anwendungen, welche die Varnel PRO verwenden.";

TdlgCfg::ConfigRunner& Runner() {
    static TdlgCfg::ConfigRunner runner;
    return runner;
}

bool RunConfig(UINT code, void* record, DWORD size) {
    if (Runner())
        return Runner()(code, record, size);
    return RunDriverConfig(ConfigChannelEnabled, code, record, size);
}

int CheckedCard(int card) {
    if (card < 0 || card >= static_cast<int>(ConfigBlock::kCards))
        throw EInvalidOperation("TdlgCfg: Karte " + std::to_string(card) + " gibt es nicht");
    return card;
}

// A decimal integer and nothing else: no blanks, no hexadecimal, no fraction.
bool ParseDecimal(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    return error == std::errc() && stop == end && !text.empty();
}

} // namespace

void TdlgCfg::SetConfigRunner(ConfigRunner runner) {
    Runner() = std::move(runner);
}

TdlgCfg::TdlgCfg(TComponent* owner, ConfigBlock& block, int card, int cardCount)
    : TForm(owner), block_(&block), card_(CheckedCard(card)), cardCount_(cardCount),
      working_(block[static_cast<std::size_t>(card)]) {
    LoadDesign([this] {
        Design();
        WireClockReactions();
        WireDirectSoundReactions();
        btnOk->OnClick = [this](TObject* sender) { btnOkClick(sender); };
        btnCancel->OnClick = [this](TObject* sender) { btnCancelClick(sender); };
        btnApply->OnClick = [this](TObject* sender) { btnApplyClick(sender); };
        btnNext->OnClick = [this](TObject* sender) { btnNextClick(sender); };
        OnShow = [this](TObject* sender) { FormShow(sender); };
        OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
    });
    okPressed_ = false;
    SetCaption("Zq40Pro Einstellungen Karte #" + std::to_string(card_ + 1));
    // The block has room for four cards; there is no dialog beyond the last one.
    if (card_ + 1 >= cardCount_ || card_ + 1 >= static_cast<int>(ConfigBlock::kCards))
        btnNext->SetEnabled(false);
    SetDeviceItems();
    btnApply->SetEnabled(false);
}

void TdlgCfg::Edited() {
    btnApply->SetEnabled(true);
}

void TdlgCfg::FormShow(TObject*) {
    Fill();
}

void TdlgCfg::Fill() {
    FillMessageBoxes();
    FillClockTabs();
    FillDirectSoundTab();
}

void TdlgCfg::btnOkClick(TObject*) {
    okPressed_ = true;
    Close();
}

void TdlgCfg::btnCancelClick(TObject*) {
    Close();
}

void TdlgCfg::btnApplyClick(TObject*) {
    if (ApplyConfig())
        btnApply->SetEnabled(false);
}

void TdlgCfg::btnNextClick(TObject*) {
    auto* next = new TdlgCfg(this, *block_, card_ + 1, cardCount_);
    next->SetPosition(poDesigned);
    next->SetBounds(Left() + 24, Top() + 24, next->Width(), next->Height());
    try {
        next->ShowModal();
    } catch (...) {
        next->Free();
        throw;
    }
    next->Free();
}

void TdlgCfg::FormClose(TObject*, TCloseAction& Action) {
    if (okPressed_) {
        okPressed_ = false;
        if (!ApplyConfig()) {
            Action = caNone;
            return;
        }
    }
    if (MixControlWnd)
        PostMessageA(MixControlWnd->Handle(), kCloseNotice, 0, reinterpret_cast<LPARAM>(this));
}

bool TdlgCfg::ApplyConfig() {
    ValidateRate(edDefaultRate1, ConfigField::Clock1DefaultRate);
    ValidateRate(edDefaultRate2, ConfigField::Clock2DefaultRate);
    if (rateInvalid_)
        return false;

    ConfigRecord& shared = (*block_)[static_cast<std::size_t>(card_)];
    if (shared.Flag(ConfigField::RestrictDevices) != working_.Flag(ConfigField::RestrictDevices) ||
        shared.Get(ConfigField::OfferedDevice) != working_.Get(ConfigField::OfferedDevice))
        MessageBoxA(Handle(), kRestartText, "Varnel PRO Info", MB_ICONINFORMATION);
    // The box may have closed because the program is ending: the driver has been told of the
    // removal, and a setconfig now would undo that notice.
    if (Application->Ending())
        return false;

    bool applied = false;
    std::int32_t reconfigurable = 0;
    if (RunConfig(CFG_RECONFIGURABLE, &reconfigurable, sizeof reconfigurable) &&
        reconfigurable != 0) {
        // A block the driver did not take must not keep this card's record: a later apply from
        // another dialog of the chain would send edits that were never confirmed here.
        const ConfigRecord before = shared;
        shared = working_;
        applied = RunConfig(CFG_SETCONFIG, block_->Data(), ConfigBlock::kSize);
        if (!applied)
            shared = before;
    }
    if (!applied) {
        MessageBoxA(Handle(), kRefusedText, "Fehler", MB_ICONERROR);
        return false;
    }
    // The working record stays as it is: the refill shows it, not the block read back.
    if (RunConfig(CFG_GETCONFIG, block_->Data(), ConfigBlock::kSize))
        Fill();
    return true;
}

void TdlgCfg::RateChanged() {
    rateInvalid_ = false;
}

void TdlgCfg::ValidateRate(TEdit* edit, ConfigField field) {
    int rate = 0;
    if (ParseDecimal(edit->Text(), rate) && rate >= kMinRate && rate <= kMaxRate) {
        Edited();
        working_.Set(field, rate);
        return;
    }
    edit->SetColor(kInvalidColor);
    rateInvalid_ = true;
    // The field may sit on a tab the user is not looking at: show it before focusing it.
    if (!Visible())
        return;
    if (PageControl1->ActivePage() != tabClock)
        PageControl1->SetActivePage(tabClock);
    if (edit->CanFocus())
        edit->SetFocus();
}
