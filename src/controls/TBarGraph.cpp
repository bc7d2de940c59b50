#include "controls/TBarGraph.h"

#include "toolkit/Convert.h"
#include "toolkit/Exceptions.h"

#include <algorithm>

TBarGraph::TBarGraph(TComponent* owner) : TCustomPanel(owner) {
    SetBevelOuter(bvLowered);
    SetBounds(Left(), Top(), 18, 164);
    // While a window description is read the size above may be the last one the bar gets, and
    // resizing builds nothing then; the lamps exist from the start either way.
    if (lumis_.empty())
        CreateLumis();
}

TLumi* TBarGraph::Lumis(int index) const {
    if (index < 0 || index >= LumiCount())
        throw EInvalidOperation("Lampenindex außerhalb des Bereichs (" + std::to_string(index) +
                                ")");
    return lumis_[static_cast<std::size_t>(index)];
}

int TBarGraph::LitCount() const {
    return static_cast<int>(
        std::count_if(lumis_.begin(), lumis_.end(), [](const TLumi* lumi) { return lumi->On(); }));
}

std::string TBarGraph::ScaleText() const {
    return std::to_string(LitCount()) + " von " + std::to_string(LumiCount()) + " Lampen leuchten";
}

void TBarGraph::SetLevel(int value) {
    if (value > levelMax_)
        return;
    level_ = value;
    const int target = RoundHalfEven(static_cast<double>(value) / levelMax_ * (LumiCount() - 1));
    if (target <= topIndex_)
        return;
    // Only the lamps between the old top and the new one change; the others keep their state.
    for (int i = topIndex_; i <= target; ++i)
        SwitchLumi(i, true);
    topIndex_ = target;
}

void TBarGraph::SetLevelMax(int value) {
    if (value <= 0)
        throw ERangeError("Der Wert für LevelMax muss größer als 0 sein.");
    levelMax_ = value;
}

void TBarGraph::SetLumiHeight(int value) {
    if (value <= 1)
        throw ERangeError("Der Wert für LumiHeight muss größer als 1 sein.");
    FreeLumis();
    lumiHeight_ = value;
    CreateLumis();
}

void TBarGraph::SetOn(bool value) {
    SetLevel(value ? LevelMax() : 0);
    on_ = value;
}

void TBarGraph::CreateLumis() {
    const int count = Height() / (lumiHeight_ - 1);
    lumis_.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        auto* lumi = new TLumi(this);
        lumi->SetBounds(1, LumiTop(i), Width() - 3, lumiHeight_);
        lumi->SetColorOn(lumiColor_);
        lumi->SetParent(this);
        lumis_.push_back(lumi);
    }
    // The new lamps are all dark: the column is at rest, and the top index stays inside it.
    topIndex_ = 0;
}

void TBarGraph::FreeLumis() {
    for (int n = ControlCount(); n > 0; --n)
        Controls(0)->Free();
    lumis_.clear();
    topIndex_ = 0;
}

void TBarGraph::Loaded() {
    TCustomPanel::Loaded();
    FreeLumis();
    CreateLumis();
}

void TBarGraph::BoundsResized() {
    TCustomPanel::BoundsResized();
    // The description's final size builds the lamps once it is read (Loaded).
    if (Loading() || Destroying())
        return;
    const int count = LumiCount();
    const int step = lumiHeight_ - 1;
    if (Height() >= (count + 1) * step + 2 || Height() < count * step + 2) {
        FreeLumis();
        CreateLumis();
        SetOn(on_);
    } else {
        for (int i = 0; i < count; ++i)
            lumis_[static_cast<std::size_t>(i)]->SetTop(LumiTop(i));
    }
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->SetWidth(Width() - 3);
}

void TBarGraph::Notification(TComponent* component, TOperation operation) {
    TCustomPanel::Notification(component, operation);
    if (operation != opRemove)
        return;
    auto it = std::find(lumis_.begin(), lumis_.end(), component);
    if (it == lumis_.end())
        return;
    // A lamp destroyed from outside leaves no dangling entry and no index past the column.
    lumis_.erase(it);
    topIndex_ = std::clamp(topIndex_, 0, std::max(LumiCount() - 1, 0));
}
