#include "windows/MixControlWnd.h"

#include "controls/ExtControls.h"
#include "driver/CardDiscovery.h"
#include "driver/ConfigChannel.h"
#include "forms/FormState.h"
#include "forms/WindowChrome.h"
#include "platform/MessageBox.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TApplication.h"
#include "windows/ChannelWindow.h"
#include "windows/MixerIcon.h"

#include <array>
#include <cstdio>
#include <vector>

TMixControlWnd* MixControlWnd = nullptr;

namespace {

constexpr std::array<ChannelWindowKind, kChannelWindowKinds> kKinds = {
    ChannelWindowKind::AnalogInputs,   ChannelWindowKind::DigitalInputs,
    ChannelWindowKind::AdatInputs,     ChannelWindowKind::AnalogOutputs,
    ChannelWindowKind::DigitalOutputs, ChannelWindowKind::AdatOutputs,
};

// The boxes unticked, in this order, before a window of the kind is created: the digital and the
// ADAT windows share the card's digital interface and never run together.
std::vector<ChannelWindowKind> OtherFamily(ChannelWindowKind kind) {
    using enum ChannelWindowKind;
    switch (kind) {
    case DigitalInputs:
    case DigitalOutputs:
        return {AdatInputs, AdatOutputs};
    case AdatInputs:
    case AdatOutputs:
        return {DigitalOutputs, DigitalInputs};
    default:
        return {};
    }
}

TCustomForm* InstanceOf(ChannelWindowKind kind) {
    const auto* windowClass = FindChannelWindow(kind);
    return windowClass ? windowClass->instance() : nullptr;
}

} // namespace

TMixControlWnd::TMixControlWnd(TComponent* owner) : TForm(owner) {
    LoadDesign([this] {
        Design();
        for (auto kind : kKinds)
            BoxOf(kind)->OnClick = [this, kind](TObject*) { WindowBoxClick(kind); };
        chkStayOnTop->OnClick = [this](TObject* sender) { chkStayOnTopClick(sender); };
        chkSettings->OnClick = [this](TObject* sender) { chkSettingsClick(sender); };
        OnCreate = [this](TObject* sender) { FormCreate(sender); };
        OnShow = [this](TObject* sender) { FormShow(sender); };
        OnClose = [this](TObject* sender, TCloseAction& action) { FormClose(sender, action); };
        OnActivate = [this](TObject* sender) { FormActiveChanged(sender); };
        OnDeactivate = [this](TObject* sender) { FormActiveChanged(sender); };
        SetMessageHandler(kCloseNotice, [this](TMessage& message) { CloseNotice(message); });
        SetMessageHandler(kIconCallback, [this](TMessage& message) { IconCallback(message); });
        SetMessageHandler(WM_GETMINMAXINFO, [this](TMessage& message) { GetMinMaxInfo(message); });
    });
}

// The application's activation handlers lead here; they must not outlive the hub.
TMixControlWnd::~TMixControlWnd() {
    Application->OnActivate = nullptr;
    Application->OnDeactivate = nullptr;
    if (MixControlWnd == this)
        MixControlWnd = nullptr;
}

TExtCheckBox* TMixControlWnd::BoxOf(ChannelWindowKind kind) const {
    switch (kind) {
    case ChannelWindowKind::AnalogInputs:
        return chkAnalogInputs;
    case ChannelWindowKind::DigitalInputs:
        return chkDigitalInputs;
    case ChannelWindowKind::AdatInputs:
        return chkAdatInputs;
    case ChannelWindowKind::AnalogOutputs:
        return chkAnalogOutputs;
    case ChannelWindowKind::DigitalOutputs:
        return chkDigitalOutputs;
    case ChannelWindowKind::AdatOutputs:
        return chkAdatOutputs;
    }
    return nullptr;
}

// Discovery raising ends the creation here: the toolkit reports the error (nothing for EAbort)
// and the window stays, with its designed caption and everything enabled.
void TMixControlWnd::FormCreate(TObject*) {
    DiscoverCards();
    SetCaption("Varnel PRO");
    Icon().SetHandle(MixerIcon);
    if (!DriverPresent) {
        MessageBoxA(Handle(), "Varnel PRO Treiber konnte nicht geöffnet werden.", "Fehler",
                    MB_ICONERROR);
        for (int i = 0; i < ComponentCount(); ++i)
            if (auto* control = dynamic_cast<TControl*>(Components(i)))
                control->SetEnabled(false);
    }
    Application->OnActivate = [this](TObject* sender) { FormActiveChanged(sender); };
    Application->OnDeactivate = [this](TObject* sender) { FormActiveChanged(sender); };
}

// Restoring a ticked box runs its click reaction: the windows open when the hub was last closed
// open again, and the saved always-on-top state is applied.
void TMixControlWnd::FormShow(TObject*) {
    if (!DriverPresent)
        return;
    restoring_ = true;
    try {
        RestoreFormState(this, kIniFile, "", 1, -1);
    } catch (...) {
        // Only the program's end makes the state half the user's; after another error the
        // user still sees the hub and closes it as usual.
        restoring_ = Application->Ending();
        throw;
    }
    restoring_ = false;
}

// Only a shown hub holds the user's state: a hidden one was saved when the user closed it (or was
// never shown), and the program's end closing it again must leave its section as it was.
void TMixControlWnd::FormClose(TObject*, TCloseAction&) {
    if (DriverPresent && !restoring_ && Visible())
        SaveFormState(this, kIniFile, "", 1, -1);
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* box = dynamic_cast<TCheckBox*>(Components(i)))
            box->SetChecked(false);
}

// Every window the hub owns, also one whose creation is still under way (copying its strips lets
// the removal in) and that no box's variable holds yet.
void TMixControlWnd::ReleaseDriver() {
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* window = dynamic_cast<TChannelWindow*>(Components(i)))
            window->ReleaseDriver();
}

void TMixControlWnd::FormActiveChanged(TObject* Sender) {
    if (MixControlWnd)
        chkStayOnTopClick(Sender);
}

void TMixControlWnd::chkStayOnTopClick(TObject*) {
    const bool onTop = chkStayOnTop->Checked();
    SetStayOnTop(this, onTop);
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* form = dynamic_cast<TCustomForm*>(Components(i)))
            SetStayOnTop(form, onTop);
}

void TMixControlWnd::WindowBoxClick(ChannelWindowKind kind) {
    TExtCheckBox* box = BoxOf(kind);
    if (!box->Checked()) {
        if (TCustomForm* window = InstanceOf(kind)) {
            window->Close();
            FindChannelWindow(kind)->setInstance(nullptr);
            window->Free();
        }
    } else if (!InstanceOf(kind) && !Application->Ending()) {
        try {
            OpenWindow(kind);
        } catch (...) {
            // A window cut short by the program's end stays for the teardown, which closes
            // every window from the program's own loop.
            if (!Application->Ending()) {
                box->SetChecked(false);
                Application->ProcessMessages();
            }
            throw;
        }
    }
    Application->ProcessMessages();
}

void TMixControlWnd::OpenWindow(ChannelWindowKind kind) {
    for (auto other : OtherFamily(kind))
        BoxOf(other)->SetChecked(false);
    // Closing the other family lets pending messages run; the program may be ending now.
    if (Application->Ending())
        throw EAbort();
    TExtCheckBox* box = BoxOf(kind);
    const ChannelWindowClass* windowClass = FindChannelWindow(kind);
    if (!windowClass) {
        std::fprintf(stderr, "varnel-manager: the window %s does not exist yet\n",
                     ChannelWindowClassName(kind));
        std::fflush(stderr);
        box->SetChecked(false);
        return;
    }
    TCustomForm* window = windowClass->create(this);
    windowClass->setInstance(window);
    // Copying the strips of further cards lets messages run: a removal handled meanwhile ends the
    // program, and a window shown now would talk to the departing card.
    if (Application->Ending())
        throw EAbort();
    if (windowClass->ready(window))
        window->Show();
    else
        box->SetChecked(false);
}

void TMixControlWnd::chkSettingsClick(TObject*) {
    const SettingsDialogClass* dialogClass = FindSettingsDialog();
    TCustomForm* dialog = dialogClass ? dialogClass->instance() : nullptr;
    if (!chkSettings->Checked()) {
        if (dialog) {
            dialog->Close();
            dialogClass->setInstance(nullptr);
            dialog->Free();
        }
        return;
    }
    if (dialog)
        return;
    // A failed getconfig opens nothing and says nothing; the box stays ticked.
    if (!RunDriverConfig(ConfigChannelEnabled, CFG_GETCONFIG, Config.Data(), ConfigBlock::kSize))
        return;
    if (!dialogClass) {
        std::fprintf(stderr, "varnel-manager: the window TdlgCfg does not exist yet\n");
        std::fflush(stderr);
        chkSettings->SetChecked(false);
        return;
    }
    dialog = dialogClass->create(this, Config, 0, CardCount);
    dialogClass->setInstance(dialog);
    dialog->Show();
}

void TMixControlWnd::CloseNotice(TMessage& message) {
    const auto* closed = reinterpret_cast<const TCustomForm*>(message.LParam);
    if (!closed)
        return;
    for (auto kind : kKinds)
        if (InstanceOf(kind) == closed) {
            BoxOf(kind)->SetChecked(false);
            return;
        }
    if (const auto* dialogClass = FindSettingsDialog();
        dialogClass && dialogClass->instance() == closed)
        chkSettings->SetChecked(false);
}

void TMixControlWnd::IconCallback(TMessage& message) {
    if (message.LParam != WM_LBUTTONDBLCLK)
        return;
    SetWindowState(wsNormal);
    Show();
}

void TMixControlWnd::GetMinMaxInfo(TMessage& message) {
    auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
    if (info) {
        info->ptMaxSize = {kFixedWidth, kFixedHeight};
        info->ptMaxPosition = {0, 0};
        info->ptMinTrackSize = {kFixedWidth, kFixedHeight};
        info->ptMaxTrackSize = {kFixedWidth, kFixedHeight};
    }
    message.Result = 0;
}

// A window the hub owns that goes away by another path (the program's end frees the hub with
// everything it owns) must not stay behind in its variable.
void TMixControlWnd::Notification(TComponent* component, TOperation operation) {
    TForm::Notification(component, operation);
    if (operation != opRemove)
        return;
    for (auto kind : kKinds)
        if (InstanceOf(kind) == component)
            FindChannelWindow(kind)->setInstance(nullptr);
    if (const auto* dialogClass = FindSettingsDialog();
        dialogClass && dialogClass->instance() == component)
        dialogClass->setInstance(nullptr);
}
