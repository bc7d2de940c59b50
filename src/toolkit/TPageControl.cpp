#include "toolkit/TPageControl.h"

#include "toolkit/Exceptions.h"

#include <algorithm>

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    SetAlign(alClient);
    SetParentColor(true);
}

TTabSheet::~TTabSheet() {
    if (pageControl_)
        pageControl_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* control) {
    if (control == pageControl_)
        return;
    if (pageControl_)
        pageControl_->RemovePage(this);
    SetParent(control);
    if (control)
        control->AddPage(this);
}

int TTabSheet::PageIndex() const {
    if (!pageControl_)
        return -1;
    auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetTabVisible(bool value) {
    if (value == tabVisible_)
        return;
    tabVisible_ = value;
    Changed(TControlProperty::Style);
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
    SetBounds(0, 0, 289, 193);
    SetTabStop(true);
}

TPageControl::~TPageControl() {
    for (auto* page : pages_)
        page->pageControl_ = nullptr;
}

TTabSheet* TPageControl::Pages(int index) const {
    if (index < 0 || index >= PageCount())
        throw EInvalidOperation("Seitenindex außerhalb des gültigen Bereichs (" +
                                std::to_string(index) + ")");
    return pages_[static_cast<std::size_t>(index)];
}

void TPageControl::AddPage(TTabSheet* page) {
    pages_.push_back(page);
    page->pageControl_ = this;
    if (!activePage_)
        SetActivePage(page);
    else
        page->SetVisible(false);
}

void TPageControl::RemovePage(TTabSheet* page) {
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end())
        return;
    pages_.erase(it);
    page->pageControl_ = nullptr;
    if (activePage_ == page) {
        activePage_ = nullptr;
        if (!pages_.empty() && !Destroying())
            SetActivePage(pages_.front());
    }
}

int TPageControl::ActivePageIndex() const {
    return activePage_ ? activePage_->PageIndex() : -1;
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->pageControl_ != this)
        return;
    if (page == activePage_)
        return;
    TTabSheet* previous = activePage_;
    activePage_ = page;
    if (page)
        page->SetVisible(true);
    if (previous)
        previous->SetVisible(false);
    Changed(TControlProperty::State);
}

void TPageControl::SetActivePageIndex(int index) {
    SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)]
                                                    : nullptr);
}

bool TPageControl::SelectPageByUser(int index) {
    if (index < 0 || index >= PageCount() || index == ActivePageIndex())
        return index == ActivePageIndex();
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    if (!allow)
        return false;
    SetActivePageIndex(index);
    if (OnChange)
        OnChange(this);
    return true;
}

void TPageControl::AdjustClientRect(TRect& rect) const {
    // The tab row is a caption line plus its frame; the sheets sit inside a 4-pixel border.
    const int tabs = TextMetrics().TextHeight(Font()) + 9;
    rect.Left += 4;
    rect.Top += tabs + 2;
    rect.Right -= 4;
    rect.Bottom -= 4;
}
