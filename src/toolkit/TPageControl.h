#pragma once
// A page control with its tab sheets: only the active sheet is visible. Setting the active page
// from code runs no reaction; a user's choice of a tab runs OnChanging (which may refuse) and
// OnChange.

#include "toolkit/TWinControl.h"

#include <functional>
#include <vector>

class TPageControl;

class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    const char* ClassName() const override { return "TTabSheet"; }

    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* control);
    int PageIndex() const;
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool value);

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;
    const char* ClassName() const override { return "TPageControl"; }

    int PageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet* Pages(int index) const;
    TTabSheet* ActivePage() const { return activePage_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    // −1 or an index out of range makes no page active.
    void SetActivePageIndex(int index);

    // A user's choice of a tab: OnChanging may refuse, then OnChange. False when refused.
    bool SelectPageByUser(int index);

    TNotifyEvent OnChange;
    std::function<void(TObject* Sender, bool& AllowChange)> OnChanging;

    bool AcceptsFocus() const override { return true; }
    // The sheets fill the area below the tabs.
    void AdjustClientRect(TRect& rect) const override;

private:
    friend class TTabSheet;
    void AddPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);

    std::vector<TTabSheet*> pages_;
    TTabSheet* activePage_ = nullptr;
};
