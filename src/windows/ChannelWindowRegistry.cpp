#include "windows/ChannelWindowRegistry.h"

#include <array>
#include <optional>

namespace {

struct Registry {
    std::array<std::optional<ChannelWindowClass>, kChannelWindowKinds> windows;
    std::optional<SettingsDialogClass> settings;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::size_t IndexOf(ChannelWindowKind kind) {
    return static_cast<std::size_t>(kind);
}

} // namespace

const char* ChannelWindowClassName(ChannelWindowKind kind) {
    switch (kind) {
    case ChannelWindowKind::AnalogInputs:
        return "TfrmAnalogInp";
    case ChannelWindowKind::DigitalInputs:
        return "TfrmDigInp";
    case ChannelWindowKind::AdatInputs:
        return "TfrmAdatInp";
    case ChannelWindowKind::AnalogOutputs:
        return "TfrmAnalogOut";
    case ChannelWindowKind::DigitalOutputs:
        return "TfrmDigOut";
    case ChannelWindowKind::AdatOutputs:
        return "TfrmAdatOut";
    }
    return "?";
}

void RegisterChannelWindow(ChannelWindowKind kind, ChannelWindowClass windowClass) {
    TheRegistry().windows.at(IndexOf(kind)) = std::move(windowClass);
}

void RegisterSettingsDialog(SettingsDialogClass dialogClass) {
    TheRegistry().settings = std::move(dialogClass);
}

const ChannelWindowClass* FindChannelWindow(ChannelWindowKind kind) {
    auto& entry = TheRegistry().windows.at(IndexOf(kind));
    return entry ? &*entry : nullptr;
}

const SettingsDialogClass* FindSettingsDialog() {
    auto& entry = TheRegistry().settings;
    return entry ? &*entry : nullptr;
}

void ClearWindowRegistry() {
    TheRegistry() = Registry{};
}
