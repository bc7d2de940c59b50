#pragma once
// A combo box (drop-down list). Setting ItemIndex from code runs no reaction; a user's selection
// runs OnClick and OnChange.

#include "toolkit/Strings.h"
#include "toolkit/TWinControl.h"

enum class TComboBoxStyle { csDropDown, csSimple, csDropDownList };
using enum TComboBoxStyle;

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);
    const char* ClassName() const override { return "TComboBox"; }

    TStrings& Items() { return items_; }
    const TStrings& Items() const { return items_; }
    int ItemIndex() const { return itemIndex_; }
    // An index out of range selects nothing (−1).
    void SetItemIndex(int index);
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style) { style_ = style; }
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int value) { dropDownCount_ = value; }

    // A user's choice of an item: selects it, then OnClick and OnChange.
    void SelectByUser(int index);
    // The list is open (the backend shows it while this is set).
    bool DroppedDown() const { return droppedDown_; }
    void SetDroppedDown(bool value);

    // The classic keys: Up/Down and Home/End choose the item before, after, first or last as the
    // mouse does; F4 and Alt+Down open or close the list, Alt+Up closes it; Enter and Esc close
    // an open list (and do nothing else then).
    void KeyDown(WORD& key, TShiftState shift) override;
    // A letter chooses the next item that begins with it, wrapping around.
    void KeyPress(char& key) override;

    TNotifyEvent OnChange;

    bool AcceptsFocus() const override { return true; }

private:
    TStrings items_;
    int itemIndex_ = -1;
    TComboBoxStyle style_ = csDropDown;
    int dropDownCount_ = 8;
    bool droppedDown_ = false;
};
