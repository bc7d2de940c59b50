#pragma once
// What assistive technology learns of a control from the model, whether Qt gives it a widget or
// its parent paints it: role, name, state, value and the actions a user could take. Actions go
// through UserInput, so a disabled or hidden control refuses them as it refuses a user's click.

#include <QAccessible>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

class TControl;

namespace accessible {

// A caption as it is read out: without its accelerator marks ("&&" stays one "&") and without
// outer blanks.
std::string SpokenCaption(const std::string& caption);

QAccessible::Role RoleOf(const TControl* control);
// The caption; for a control that shows none (edit field, combo box, track bar, fader, meter) the
// label beside it: the nearest visible label of the same parent to its left on its row, else
// above it in its column, else the nearest label below it in its column anywhere in its window
// (a strip's channel number under its meters and faders). A fader's knob is named as its fader.
std::string NameOf(const TControl* control);
QAccessible::State StateOf(const TControl* control);
// The children a screen reader walks, in child order: a meter's lamps and a knob's centre line
// are part of their control's value and look, not controls of their own.
std::vector<TControl*> ChildrenOf(const TControl* control);

// A position on a scale: a track bar's or a fader's position, a meter's raw level.
struct Value {
    int minimum = 0;
    int maximum = 0;
    int current = 0;
    bool settable = false;
};
std::optional<Value> ValueOf(const TControl* control);
// Moves a track bar or a fader as a user's drag would; false when the control refuses.
bool SetValue(TControl* control, int value);
// True for an edit field and a drop-down list: they show a text a screen reader reads.
bool ShowsText(const TControl* control);
// The value as text: an edit field's text, a combo box's item, a meter's lamps lit.
std::string ValueText(const TControl* control);

QStringList ActionsOf(const TControl* control);
// False when the control refuses the action as it would refuse the user.
bool DoAction(TControl* control, const QString& action);

// The texts Qt asks for: name, value text, the hint as description and the Alt+letter accelerator.
QString TextOf(const TControl* control, QAccessible::Text t);

// The fader a knob belongs to, or null when the control is no knob.
TControl* FaderOfKnob(const TControl* control);

} // namespace accessible
