#include "toolkit/TComboBox.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr WORD kF4 = VK_F1 + 3;
} // namespace

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 145, 21);
    SetTabStop(true);
    SetColor(clWindow);
    items_.OnChange = [this] {
        if (itemIndex_ >= items_.Count())
            SetItemIndex(-1);
        else if (itemIndex_ >= 0)
            TWinControl::SetText(items_[itemIndex_]);
        Changed(TControlProperty::Items);
    };
}

void TComboBox::SetItemIndex(int index) {
    if (index < 0 || index >= items_.Count())
        index = -1;
    if (index == itemIndex_)
        return;
    itemIndex_ = index;
    TWinControl::SetText(index >= 0 ? items_[index] : std::string());
    Changed(TControlProperty::State);
}

void TComboBox::SelectByUser(int index) {
    SetItemIndex(index);
    Click();
    if (OnChange)
        OnChange(this);
}

void TComboBox::SetDroppedDown(bool value) {
    if (value == droppedDown_)
        return;
    droppedDown_ = value;
    Changed(TControlProperty::State);
}

void TComboBox::KeyDown(WORD& key, TShiftState shift) {
    TWinControl::KeyDown(key, shift);
    const int count = items_.Count();
    const bool alt = (shift & ssAlt) != 0;
    auto choose = [&](int index) {
        index = std::clamp(index, 0, count - 1);
        if (count > 0 && index != itemIndex_)
            SelectByUser(index);
    };
    switch (key) {
    case kF4:
        SetDroppedDown(!droppedDown_);
        break;
    case VK_UP:
        if (alt)
            SetDroppedDown(false);
        else
            choose(itemIndex_ < 0 ? 0 : itemIndex_ - 1);
        break;
    case VK_DOWN:
        if (alt)
            SetDroppedDown(!droppedDown_);
        else
            choose(itemIndex_ + 1);
        break;
    case VK_HOME:
        choose(0);
        break;
    case VK_END:
        choose(count - 1);
        break;
    case VK_RETURN:
    case VK_ESCAPE:
        if (!droppedDown_)
            return;
        SetDroppedDown(false);
        break;
    default:
        return;
    }
    key = 0;
}

void TComboBox::KeyPress(char& key) {
    TWinControl::KeyPress(key);
    const auto letter = static_cast<unsigned char>(key);
    if (key == 0 || letter < 0x20 || letter >= 0x7F || items_.Count() == 0)
        return;
    const int count = items_.Count();
    for (int step = 1; step <= count; ++step) {
        const int index = (std::max(itemIndex_, -1) + step + count) % count;
        const std::string& item = items_[index];
        if (!item.empty() &&
            std::tolower(static_cast<unsigned char>(item[0])) == std::tolower(letter)) {
            if (index != itemIndex_)
                SelectByUser(index);
            break;
        }
    }
    key = 0;
}
