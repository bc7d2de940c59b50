#pragma once
// Checks a window's designed controls against a table of texts, places, sizes and tags. A row
// names a component (an empty name is the window itself); kAny leaves a value unchecked. A strip
// container that each further card widens is marked, and its width is checked as designed plus
// the widening the window got.

#include "ChannelWindowFixture.h"
#include "controls/ExtControls.h"
#include "toolkit/TForm.h"

#include <climits>
#include <gtest/gtest.h>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

constexpr int kAny = INT_MIN;

struct DesignedControl {
    std::string name;
    const char* german = nullptr;  // the caption; nullptr: not checked
    const char* english = nullptr; // nullptr: the same text in both languages
    int left = kAny;
    int top = kAny;
    int width = kAny;
    int height = kAny;
    int tag = kAny;
    bool widened = false;
};

// The German and English texts of a bilingual control.
inline std::optional<std::pair<std::string, std::string>> BilingualTexts(const TComponent* c) {
    if (auto* x = dynamic_cast<const TExtLabel*>(c))
        return std::pair{x->CaptionGerman(), x->CaptionEnglish()};
    if (auto* x = dynamic_cast<const TExtCheckBox*>(c))
        return std::pair{x->CaptionGerman(), x->CaptionEnglish()};
    if (auto* x = dynamic_cast<const TExtRadioButton*>(c))
        return std::pair{x->CaptionGerman(), x->CaptionEnglish()};
    if (auto* x = dynamic_cast<const TExtGroupBox*>(c))
        return std::pair{x->CaptionGerman(), x->CaptionEnglish()};
    return std::nullopt;
}

inline void ExpectDesigned(const TForm* window, std::span<const DesignedControl> rows,
                           int widening) {
    for (const DesignedControl& row : rows) {
        const std::string name = row.name.empty() ? window->Name() : row.name;
        SCOPED_TRACE(std::string(window->Caption()) + ": " + name);
        const TComponent* component = row.name.empty() ? window : window->FindComponent(row.name);
        const auto* control = dynamic_cast<const TControl*>(component);
        ASSERT_NE(control, nullptr);
        const int width = row.width == kAny || !row.widened ? row.width : row.width + widening;
        for (auto [expected, actual, what] : {std::tuple{row.left, control->Left(), "left"},
                                              std::tuple{row.top, control->Top(), "top"},
                                              std::tuple{width, control->Width(), "width"},
                                              std::tuple{row.height, control->Height(), "height"},
                                              std::tuple{row.tag, int(control->Tag()), "tag"}})
            if (expected != kAny) {
                EXPECT_EQ(actual, expected) << what;
            }
        if (!row.german)
            continue;
        EXPECT_EQ(control->Caption(), row.german);
        const std::string english = row.english ? row.english : row.german;
        if (auto texts = BilingualTexts(component)) {
            EXPECT_EQ(texts->first, row.german);
            EXPECT_EQ(texts->second, english);
        } else {
            EXPECT_EQ(english, row.german) << "a plain control has one text";
        }
    }
}

inline const char* const kScale[] = {"0", "-5", "-10", "-20", "-30", "-40", "-60", "dB"};

// The dB scale beside a meter panel: the seven marks at `tops`, then "dB".
inline void AddScale(std::vector<DesignedControl>& rows, const std::string& prefix,
                     std::initializer_list<int> tops) {
    int mark = 0;
    for (int top : tops) {
        rows.push_back({.name = prefix + std::to_string(mark), .german = kScale[mark], .top = top});
        ++mark;
    }
}

// The two meters of a designed meter panel.
inline void AddMeters(std::vector<DesignedControl>& rows, const char* left, const char* right) {
    rows.push_back({.name = left, .left = 6, .top = 6, .height = 163});
    rows.push_back({.name = right, .left = 28, .top = 6, .height = 163});
}

// Opens a window on the fixture's cards, checks it against its rows and closes it again.
class ChannelLayoutTest : public ChannelWindowTest {
protected:
    template <class T> void ExpectLayout(const std::vector<DesignedControl>& rows) {
        T* opened = Open<T>();
        ASSERT_NE(opened, nullptr);
        ExpectDesigned(opened, rows, opened->Params().stripWidth);
        CloseAndFree(window);
    }
};
