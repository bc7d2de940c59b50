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

    TNotifyEvent OnChange;

    bool AcceptsFocus() const override { return true; }

private:
    TStrings items_;
    int itemIndex_ = -1;
    TComboBoxStyle style_ = csDropDown;
    int dropDownCount_ = 8;
};
