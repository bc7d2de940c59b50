#include "forms/FormState.h"

#include "controls/TBarGraph.h"
#include "controls/TSlider.h"
#include "platform/IniFile.h"
#include "toolkit/Exceptions.h"
#include "toolkit/TApplication.h"
#include "toolkit/TCheckBox.h"
#include "toolkit/TComboBox.h"
#include "toolkit/TEdit.h"
#include "toolkit/TPageControl.h"
#include "toolkit/TPanel.h"
#include "toolkit/TScreen.h"
#include "toolkit/TSpeedButton.h"

namespace {

bool TakesPart(const TComponent* component, std::int32_t tagMask) {
    return !component->Name().empty() && (component->Tag() & tagMask) == tagMask;
}

// A panel: the plain one and the bar graphs (level meters included), but not the slider, whose
// position is what counts.
TCustomPanel* AsPanel(TComponent* component) {
    if (auto* panel = dynamic_cast<TPanel*>(component))
        return panel;
    return dynamic_cast<TBarGraph*>(component);
}

void ProcessPendingMessages() {
    if (Application)
        Application->ProcessMessages();
}

void RestoreComponent(const IniFile& ini, const std::string& section, TComponent* component) {
    const std::string& key = component->Name();
    if (auto* box = dynamic_cast<TCheckBox*>(component)) {
        box->SetChecked(ini.ReadBool(section, key, box->Checked()));
    } else if (auto* panel = AsPanel(component)) {
        panel->SetVisible(ini.ReadBool(section, key, panel->Visible()));
    } else if (auto* edit = dynamic_cast<TEdit*>(component)) {
        edit->SetText(ini.ReadString(section, key, edit->Text()));
    } else if (auto* pages = dynamic_cast<TPageControl*>(component)) {
        pages->SetActivePageIndex(ini.ReadInteger(section, key, 0));
    } else if (auto* button = dynamic_cast<TSpeedButton*>(component)) {
        // The plain rule: a bilingual speed button raises no OnDown here.
        button->SetDownByRule(ini.ReadBool(section, key, button->Down()));
        if (button->OnClick)
            button->OnClick(button);
    } else if (auto* slider = dynamic_cast<TSlider*>(component)) {
        // A position outside Min .. Max raises the slider's range error and ends the restore.
        slider->SetPosition(ini.ReadInteger(section, key, slider->Position()));
    } else if (auto* combo = dynamic_cast<TComboBox*>(component)) {
        combo->SetItemIndex(ini.ReadInteger(section, key, combo->ItemIndex()));
    }
}

// Writes the value of a persisted class; `written` turns false on a failed write.
void SaveComponent(IniFile& ini, const std::string& section, TComponent* component, bool& written) {
    const std::string& key = component->Name();
    bool ok = true;
    if (auto* box = dynamic_cast<TCheckBox*>(component))
        ok = ini.WriteBool(section, key, box->Checked());
    else if (auto* panel = AsPanel(component))
        ok = ini.WriteBool(section, key, panel->Visible());
    else if (auto* pages = dynamic_cast<TPageControl*>(component))
        ok = ini.WriteInteger(section, key, pages->ActivePageIndex());
    else if (auto* button = dynamic_cast<TSpeedButton*>(component))
        ok = ini.WriteBool(section, key, button->Down());
    else if (auto* slider = dynamic_cast<TSlider*>(component))
        ok = ini.WriteInteger(section, key, slider->Position());
    else if (auto* edit = dynamic_cast<TEdit*>(component))
        ok = ini.WriteString(section, key, edit->Text());
    else if (auto* combo = dynamic_cast<TComboBox*>(component))
        ok = ini.WriteInteger(section, key, combo->ItemIndex());
    written = written && ok;
}

// A stored size must be usable; anything else keeps the current one.
int SizeOrCurrent(const IniFile& ini, const std::string& section, const char* key, int current) {
    int value = ini.ReadInteger(section, key, current);
    return value > 0 ? value : current;
}

// The index after `component` in the owner's list, found again when reactions run meanwhile
// (opening or closing a window) changed the list in front of it.
int NextIndex(const TCustomForm* window, const TComponent* component, int index) {
    if (index < window->ComponentCount() && window->Components(index) == component)
        return index + 1;
    for (int i = 0; i < window->ComponentCount(); ++i)
        if (window->Components(i) == component)
            return i + 1;
    return index;
}

} // namespace

void RestoreFormState(TCustomForm* window, const std::string& fileName,
                      const std::string& sectionSuffix, WORD withPlacement, std::int32_t tagMask) {
    if (!window)
        return;
    // The file is read once here and closed when `ini` goes, on every path out.
    const IniFile ini(fileName);
    const std::string section = window->Caption() + sectionSuffix;

    for (int i = 0; i < window->ComponentCount();) {
        TComponent* component = window->Components(i);
        if (TakesPart(component, tagMask))
            RestoreComponent(ini, section, component);
        ProcessPendingMessages();
        // A message handled meanwhile may have begun the program's end: the window may be
        // half restored and must not go on opening windows or talking to the driver.
        if (Application && Application->Ending())
            throw EAbort();
        i = NextIndex(window, component, i);
    }

    if (withPlacement != 0) {
        window->SetTop(ini.ReadInteger(section, "Top", window->Top()));
        window->SetLeft(ini.ReadInteger(section, "Left", window->Left()));
        window->SetWidth(SizeOrCurrent(ini, section, "Width", window->Width()));
        window->SetHeight(SizeOrCurrent(ini, section, "Height", window->Height()));
        window->SetShowHint(ini.ReadInteger(section, "Hints", window->ShowHint() ? 1 : 0) != 0);
    }
}

bool SaveFormState(TCustomForm* window, const std::string& fileName,
                   const std::string& sectionSuffix, WORD withPlacement, std::int32_t tagMask) {
    if (!window)
        return true;
    IniFile ini(fileName);
    // Every key of the window in one replacement of the file, however large the file is.
    ini.HoldWrites();
    const std::string section = window->Caption() + sectionSuffix;
    bool written = true;

    for (int i = 0; i < window->ComponentCount(); ++i) {
        TComponent* component = window->Components(i);
        if (TakesPart(component, tagMask))
            SaveComponent(ini, section, component, written);
    }

    if (withPlacement != 0) {
        // A place the desktop never told is no place to come back to: the saved one stays.
        if (Screen->PlacesKnown()) {
            written = ini.WriteInteger(section, "Top", window->Top()) && written;
            written = ini.WriteInteger(section, "Left", window->Left()) && written;
        }
        written = ini.WriteInteger(section, "Width", window->Width()) && written;
        written = ini.WriteInteger(section, "Height", window->Height()) && written;
        written = ini.WriteInteger(section, "Hints", window->ShowHint() ? 1 : 0) && written;
    }
    return ini.Flush() && written;
}
