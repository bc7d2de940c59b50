#pragma once
// The windows the mixer control window opens from its check boxes: the six channel windows and
// the settings dialog. Each window class registers how it is created, how it tells that it is
// ready, and the global variable that holds its one instance; the hub knows nothing more of them.
// A kind that no class has registered is a window that does not exist in this build. A window
// tells the hub that it has closed by posting WM_USER+100 with itself as lParam to the hub.

#include "toolkit/TForm.h"

#include <functional>
#include <string>

struct ConfigBlock;

enum class ChannelWindowKind {
    AnalogInputs,
    DigitalInputs,
    AdatInputs,
    AnalogOutputs,
    DigitalOutputs,
    AdatOutputs,
};
constexpr int kChannelWindowKinds = 6;

// The class name of each kind ("TfrmAnalogInp", …), also while none is registered.
const char* ChannelWindowClassName(ChannelWindowKind kind);

struct ChannelWindowClass {
    // Creates the window with the hub as owner (its creation runs in the constructor).
    std::function<TCustomForm*(TComponent* owner)> create;
    // The window's ready flag, read right after its creation.
    std::function<bool(const TCustomForm* window)> ready;
    // The global instance variable: read and written by the hub.
    std::function<TCustomForm*()> instance;
    std::function<void(TCustomForm* window)> setInstance;
};

// The usual registration: a form class T with a constructor T(owner) and `bool Ready() const`,
// held in `variable` (a global such as frmAnalogInp).
template <class T> ChannelWindowClass ChannelWindowClassOf(T*& variable) {
    return ChannelWindowClass{
        [](TComponent* owner) -> TCustomForm* { return new T(owner); },
        [](const TCustomForm* window) { return static_cast<const T*>(window)->Ready(); },
        [&variable]() -> TCustomForm* { return variable; },
        [&variable](TCustomForm* window) { variable = static_cast<T*>(window); },
    };
}

struct SettingsDialogClass {
    // Creates the dialog with the hub as owner, working on `block`, showing `card` first, for
    // `cardCount` cards.
    std::function<TCustomForm*(TComponent* owner, ConfigBlock& block, int card, int cardCount)>
        create;
    std::function<TCustomForm*()> instance;
    std::function<void(TCustomForm* dialog)> setInstance;
};

// The usual registration of the settings dialog: T(owner, block, card, cardCount), held in
// `variable` (dlgCfg).
template <class T> SettingsDialogClass SettingsDialogClassOf(T*& variable) {
    return SettingsDialogClass{
        [](TComponent* owner, ConfigBlock& block, int card, int cardCount) -> TCustomForm* {
            return new T(owner, block, card, cardCount);
        },
        [&variable]() -> TCustomForm* { return variable; },
        [&variable](TCustomForm* dialog) { variable = static_cast<T*>(dialog); },
    };
}

// Registering a kind again replaces its class.
void RegisterChannelWindow(ChannelWindowKind kind, ChannelWindowClass windowClass);
void RegisterSettingsDialog(SettingsDialogClass dialogClass);
// The registered class, or null while the window does not exist in this build.
const ChannelWindowClass* FindChannelWindow(ChannelWindowKind kind);
const SettingsDialogClass* FindSettingsDialog();
// Forgets every registration (tests install their own stand-ins).
void ClearWindowRegistry();
