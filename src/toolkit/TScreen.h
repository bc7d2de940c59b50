#pragma once
// The desktop as the forms see it: its size, the forms in creation order and the active form.

#include <vector>

class TCustomForm;

class TScreen {
public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The backend reports the real desktop size; without one it is 1024 × 768.
    void SetSize(int width, int height);
    // False on a desktop that places windows itself and never says where (a Wayland
    // compositor): a window's Left and Top are then only what the program last asked for.
    bool PlacesKnown() const { return placesKnown_; }
    void SetPlacesKnown(bool known) { placesKnown_ = known; }

    int FormCount() const { return static_cast<int>(forms_.size()); }
    TCustomForm* Forms(int index) const { return forms_.at(static_cast<std::size_t>(index)); }
    TCustomForm* ActiveForm() const { return activeForm_; }
    // Activates a form (null: none): OnDeactivate of the previous one, then OnActivate.
    void SetActiveForm(TCustomForm* form);
    // The visible form activated most recently other than `except`, or null.
    TCustomForm* LastActiveVisibleForm(const TCustomForm* except) const;

    // Disables every visible enabled form but `except` and returns them (for a modal run).
    std::vector<TCustomForm*> DisableOtherForms(const TCustomForm* except);
    void EnableForms(const std::vector<TCustomForm*>& forms);

    // The next default position for a window placed by the desktop (cascading).
    int NextDefaultOffset();

private:
    friend class TCustomForm;
    void AddForm(TCustomForm* form);
    void RemoveForm(TCustomForm* form);

    int width_ = 1024;
    int height_ = 768;
    bool placesKnown_ = true;
    std::vector<TCustomForm*> forms_;
    std::vector<TCustomForm*> activation_; // most recent last
    TCustomForm* activeForm_ = nullptr;
    int defaultPlacements_ = 0;
};

extern TScreen* Screen;
