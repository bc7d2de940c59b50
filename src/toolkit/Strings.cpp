#include "toolkit/Strings.h"

#include "toolkit/Exceptions.h"

#include <algorithm>

namespace {
void CheckIndex(int index, int count) {
    if (index < 0 || index >= count)
        throw EInvalidOperation("Listenindex außerhalb des gültigen Bereichs (" +
                                std::to_string(index) + ")");
}
} // namespace

const std::string& TStrings::operator[](int index) const {
    CheckIndex(index, Count());
    return items_[static_cast<std::size_t>(index)];
}

int TStrings::Add(const std::string& text) {
    items_.push_back(text);
    Changed();
    return Count() - 1;
}

void TStrings::Insert(int index, const std::string& text) {
    if (index < 0 || index > Count())
        throw EInvalidOperation("Listenindex außerhalb des gültigen Bereichs (" +
                                std::to_string(index) + ")");
    items_.insert(items_.begin() + index, text);
    Changed();
}

void TStrings::Delete(int index) {
    CheckIndex(index, Count());
    items_.erase(items_.begin() + index);
    Changed();
}

void TStrings::Clear() {
    if (items_.empty())
        return;
    items_.clear();
    Changed();
}

int TStrings::IndexOf(const std::string& text) const {
    auto it = std::find(items_.begin(), items_.end(), text);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TStrings::Assign(const std::vector<std::string>& items) {
    items_ = items;
    Changed();
}

void TStrings::Changed() {
    if (OnChange)
        OnChange();
}
