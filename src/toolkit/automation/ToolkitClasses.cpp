#include "toolkit/automation/ToolkitClasses.h"

#include "toolkit/TButton.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TForm.h"
#include "toolkit/TGroupBox.h"
#include "toolkit/TLabel.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TPanel.h"
#include "toolkit/TRadioButton.h"
#include "toolkit/TShape.h"
#include "toolkit/TSpeedButton.h"
#include "toolkit/TTrackBar.h"
#include "toolkit/UserInput.h"
#include "toolkit/automation/RequestWords.h"

namespace {

std::optional<bool> ParseFlag(const std::string& value) {
    if (value == "0" || value == "1")
        return value == "1";
    return std::nullopt;
}

template <class T> void Captioned(const T* control, std::string& out) {
    AddText(out, "caption", control->Caption());
}

std::string SetCheckBox(TCheckBox* box, const std::string& value) {
    auto wanted = ParseFlag(value);
    if (!wanted)
        return NotAFlag(value);
    if (box->Checked() != *wanted)
        UserInput::Click(box);
    if (box->Checked() != *wanted)
        return std::string("the check box stayed checked=") + (box->Checked() ? "1" : "0");
    return {};
}

std::string SetRadioButton(TRadioButton* radio, const std::string& value) {
    if (value != "1")
        return "a radio button is only checked (1); another one unchecks it";
    if (!radio->Checked())
        UserInput::Click(radio);
    return radio->Checked() ? "" : "the radio button stayed checked=0";
}

std::string SetSpeedButton(TSpeedButton* button, const std::string& value) {
    auto wanted = ParseFlag(value);
    if (!wanted)
        return NotAFlag(value);
    if (button->Down() != *wanted)
        UserInput::Click(button);
    if (button->Down() != *wanted)
        return std::string("the speed button stayed down=") + (button->Down() ? "1" : "0");
    return {};
}

std::string SetEdit(TEdit* edit, const std::string& value) {
    if (edit->ReadOnly())
        return "the edit field is read-only";
    UserInput::TypeText(edit, value);
    UserInput::Leave(edit);
    return {};
}

std::string SetComboBox(TComboBox* combo, const std::string& value) {
    auto index = ParseInt(value);
    if (!index)
        return NotANumber(value);
    if (*index < 0 || *index >= combo->Items().Count())
        return "no item " + value + " (the list has " + std::to_string(combo->Items().Count()) +
               ")";
    UserInput::SelectItem(combo, *index);
    return {};
}

std::string SetTrackBar(TTrackBar* bar, const std::string& value) {
    auto position = ParseInt(value);
    if (!position)
        return NotANumber(value);
    if (*position < bar->Min() || *position > bar->Max())
        return value + " is outside " + std::to_string(bar->Min()) + ".." +
               std::to_string(bar->Max());
    UserInput::MoveTrackBar(bar, *position);
    return {};
}

std::string SetPageControl(TPageControl* pages, const std::string& value) {
    auto index = ParseInt(value);
    if (!index)
        return NotANumber(value);
    if (*index < 0 || *index >= pages->PageCount())
        return "no page " + value + " (there are " + std::to_string(pages->PageCount()) + ")";
    if (!UserInput::SelectPage(pages, *index))
        return "the page change was refused";
    return {};
}

std::string ComboText(const TComboBox* combo) {
    const int index = combo->ItemIndex();
    if (index < 0 || index >= combo->Items().Count())
        return {};
    return combo->Items()[index];
}

} // namespace

std::deque<ControlAutomation> ToolkitClassAutomation() {
    std::deque<ControlAutomation> entries;
    entries.push_back(AutomationFor<TCustomForm>(Captioned<TCustomForm>));
    entries.push_back(AutomationFor<TLabel>(Captioned<TLabel>));
    entries.push_back(AutomationFor<TCustomPanel>(Captioned<TCustomPanel>));
    entries.push_back(AutomationFor<TCustomGroupBox>(Captioned<TCustomGroupBox>));
    entries.push_back(AutomationFor<TTabSheet>(Captioned<TTabSheet>));
    entries.push_back(AutomationFor<TButton>(Captioned<TButton>));
    entries.push_back(AutomationFor<TCheckBox>(
        [](const TCheckBox* box, std::string& out) {
            AddText(out, "caption", box->Caption());
            AddFlag(out, "checked", box->Checked());
        },
        SetCheckBox));
    entries.push_back(AutomationFor<TRadioButton>(
        [](const TRadioButton* radio, std::string& out) {
            AddText(out, "caption", radio->Caption());
            AddFlag(out, "checked", radio->Checked());
        },
        SetRadioButton));
    entries.push_back(AutomationFor<TSpeedButton>(
        [](const TSpeedButton* button, std::string& out) {
            AddText(out, "caption", button->Caption());
            AddFlag(out, "down", button->Down());
        },
        SetSpeedButton));
    entries.push_back(AutomationFor<TEdit>(
        [](const TEdit* edit, std::string& out) { AddText(out, "text", edit->Text()); }, SetEdit));
    entries.push_back(AutomationFor<TComboBox>(
        [](const TComboBox* combo, std::string& out) {
            AddAttribute(out, "index", combo->ItemIndex());
            AddText(out, "text", ComboText(combo));
        },
        SetComboBox));
    entries.push_back(AutomationFor<TTrackBar>(
        [](const TTrackBar* bar, std::string& out) {
            AddAttribute(out, "position", bar->Position());
        },
        SetTrackBar));
    entries.push_back(AutomationFor<TPageControl>(
        [](const TPageControl* pages, std::string& out) {
            AddAttribute(out, "index", pages->ActivePageIndex());
        },
        SetPageControl));
    entries.push_back(AutomationFor<TShape>([](const TShape* shape, std::string& out) {
        AddColor(out, "color", shape->BrushColor());
    }));
    return entries;
}
