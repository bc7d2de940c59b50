#pragma once
// What the automation knows of each control class: the states a dump shows beyond the common ones
// and how `set` reaches a value as a user would. The toolkit's classes come built in; a library
// of further controls registers its own classes, so the automation never includes it.

#include <functional>
#include <string>
#include <string_view>

class TControl;
class TCustomForm;

struct ControlAutomation {
    // True for the controls this entry speaks for.
    std::function<bool(const TControl*)> matches;
    // Appends the class's states as ` key=value` attributes.
    std::function<void(const TControl*, std::string&)> describe;
    // Acts as a user would to reach `value`: "" when done, else the reason it was not. Null: the
    // class has no value to set.
    std::function<std::string(TControl*, const std::string& value)> set;
    // False when the dump sums the children up (a meter's lamps are its `lit=`).
    bool showsChildren = true;
};

// An entry for class T and its subclasses.
template <class T>
ControlAutomation AutomationFor(std::function<void(const T*, std::string&)> describe,
                                std::function<std::string(T*, const std::string&)> set = {},
                                bool showsChildren = true) {
    ControlAutomation entry;
    entry.matches = [](const TControl* c) { return dynamic_cast<const T*>(c) != nullptr; };
    entry.describe = [describe](const TControl* c, std::string& out) {
        describe(dynamic_cast<const T*>(c), out);
    };
    if (set)
        entry.set = [set](TControl* c, const std::string& value) {
            return set(dynamic_cast<T*>(c), value);
        };
    entry.showsChildren = showsChildren;
    return entry;
}

// Entries registered later are asked first, so a subclass registered after its base wins.
void RegisterControlAutomation(ControlAutomation entry);
// The entry that speaks for the control (the most recently registered match), or null.
const ControlAutomation* FindControlAutomation(const TControl* control);

// ` key=<n>`, ` key=0/1`, ` key="<text>"` and ` key=0x<BBGGRR>`.
void AddAttribute(std::string& out, std::string_view key, long long value);
void AddFlag(std::string& out, std::string_view key, bool value);
void AddText(std::string& out, std::string_view key, std::string_view text);
void AddColor(std::string& out, std::string_view key, int color);

// Reasons `set` gives for values of the wrong type.
std::string NotANumber(const std::string& value);
std::string NotAFlag(const std::string& value);
