#pragma once
// A vertical column of lamps in a lowered panel that lights from the bottom up to a level. Lamp 0
// sits at the bottom and is child 0 of the bar; adjacent lamps share their outline.

#include "controls/TLumi.h"
#include "toolkit/AccessibleScale.h"
#include "toolkit/TPanel.h"

#include <string>
#include <vector>

class TBarGraph : public TCustomPanel, public AccessibleScale {
public:
    explicit TBarGraph(TComponent* owner);
    const char* ClassName() const override { return "TBarGraph"; }

    // The last accepted level. A level above the maximum is ignored; a level never darkens a lamp,
    // it only lights those from the top index up to its own lamp.
    virtual int Level() const { return level_; }
    virtual void SetLevel(int value);
    // The level that lights the top lamp; must be greater than 0.
    virtual int LevelMax() const { return levelMax_; }
    virtual void SetLevelMax(int value);

    // Height of one lamp in pixels, greater than 1; a change builds the lamps anew.
    int LumiHeight() const { return lumiHeight_; }
    void SetLumiHeight(int value);
    // The lit colour given to each lamp when it is built.
    TColor LumiColor() const { return lumiColor_; }
    void SetLumiColor(TColor value) { lumiColor_ = value; }

    // The bar's `_On` property: true sets the level to the maximum, false sets it to 0 (which
    // darkens nothing).
    bool On() const { return on_; }
    void SetOn(bool value);

    int LumiCount() const { return static_cast<int>(lumis_.size()); }
    TLumi* Lumis(int index) const;
    // The highest lamp lit by the last rising level, lowered by the meter's ticks; 0 at rest.
    int TopIndex() const { return topIndex_; }
    int LitCount() const;

    // Builds Height div (LumiHeight - 1) lamps, all dark, and puts the column at rest.
    virtual void CreateLumis();
    // Destroys every child of the bar, always the first one.
    virtual void FreeLumis();

    // Read out as a meter: its raw level, as the driver reports it (what that means in decibels is
    // the driver's), and the lamps lit as its text.
    Kind ScaleKind() const override { return Kind::Meter; }
    int ScaleMinimum() const override { return 0; }
    int ScaleMaximum() const override { return LevelMax(); }
    int ScaleValue() const override { return Level(); }
    std::string ScaleText() const override;
    const TControl* ScaleHandle() const override { return nullptr; }
    bool SetScaleValue(int) override { return false; }

protected:
    void Loaded() override;
    void BoundsResized() override;
    void Notification(TComponent* component, TOperation operation) override;

    // Switches one lamp; an index outside the column is ignored.
    void SwitchLumi(int index, bool on) {
        if (index >= 0 && index < static_cast<int>(lumis_.size()))
            lumis_[static_cast<std::size_t>(index)]->SetOn(on);
    }
    int level_ = 0;
    int levelMax_ = 65535;
    int topIndex_ = 0;
    std::vector<TLumi*> lumis_;

private:
    int LumiTop(int index) const { return Height() - lumiHeight_ - 2 - index * (lumiHeight_ - 1); }

    int lumiHeight_ = 6;
    TColor lumiColor_ = clLime;
    bool on_ = false;
};
