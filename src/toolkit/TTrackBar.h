#pragma once
// A track bar. Position stays within Min and Max; OnChange runs whenever the position changes,
// also when set from code (not while loading).

#include "toolkit/TWinControl.h"

#include <vector>

enum class TTrackBarOrientation { trHorizontal, trVertical };
using enum TTrackBarOrientation;
enum class TTickMark { tmBottomRight, tmTopLeft, tmBoth };
using enum TTickMark;
enum class TTickStyle { tsNone, tsAuto, tsManual };
using enum TTickStyle;

class TTrackBar : public TWinControl {
public:
    explicit TTrackBar(TComponent* owner);
    const char* ClassName() const override { return "TTrackBar"; }

    int Min() const { return min_; }
    void SetMin(int value);
    int Max() const { return max_; }
    void SetMax(int value);
    int Position() const { return position_; }
    void SetPosition(int value);
    int PageSize() const { return pageSize_; }
    void SetPageSize(int value) { pageSize_ = value; }
    int LineSize() const { return lineSize_; }
    void SetLineSize(int value) { lineSize_ = value; }
    int Frequency() const { return frequency_; }
    void SetFrequency(int value);
    TTrackBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TTrackBarOrientation value);
    TTickMark TickMarks() const { return tickMarks_; }
    void SetTickMarks(TTickMark value);
    TTickStyle TickStyle() const { return tickStyle_; }
    void SetTickStyle(TTickStyle value);
    // Manual ticks (tsManual); Min and Max always carry one.
    void SetTick(int value);
    void ClearTicks();
    // The positions that carry a tick mark, in order.
    std::vector<int> Ticks() const;

    TNotifyEvent OnChange;
    virtual void Change();

    bool AcceptsFocus() const override { return true; }
    // Left and Up lower by LineSize, Right and Down raise; Prior/Next by PageSize; Home to Min,
    // End to Max. classic behaviour: the same direction when vertical, where Up moves the thumb
    // towards Min at the top.
    void KeyDown(WORD& key, TShiftState shift) override;

protected:
    void Loaded() override;

private:
    void Apply(int position);

    int min_ = 0;
    int max_ = 10;
    int position_ = 0;
    int pageSize_ = 2;
    int lineSize_ = 1;
    int frequency_ = 1;
    TTrackBarOrientation orientation_ = trHorizontal;
    TTickMark tickMarks_ = tmBottomRight;
    TTickStyle tickStyle_ = tsAuto;
    std::vector<int> manualTicks_;
};
