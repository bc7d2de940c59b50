#pragma once
// A list of strings that tells its owner about every change (the items of a combo box).

#include <functional>
#include <string>
#include <vector>

class TStrings {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& operator[](int index) const;
    const std::string& Strings(int index) const { return (*this)[index]; }
    int Add(const std::string& text);
    void Insert(int index, const std::string& text);
    void Delete(int index);
    void Clear();
    int IndexOf(const std::string& text) const;
    void Assign(const std::vector<std::string>& items);
    const std::vector<std::string>& Items() const { return items_; }

    std::function<void()> OnChange;

private:
    void Changed();
    std::vector<std::string> items_;
};
