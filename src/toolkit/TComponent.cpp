#include "toolkit/TComponent.h"

#include "toolkit/Exceptions.h"
#include "toolkit/ScopeGuards.h"

#include <algorithm>
#include <cctype>

// One run of BeginLoading/EndLoading: the root and everything created under it meanwhile.
struct LoadingRun {
    TComponent* root;
    std::vector<TComponent*> created;
};

namespace {

std::vector<LoadingRun>& Runs() {
    static std::vector<LoadingRun> runs;
    return runs;
}

bool OwnedBy(const TComponent* component, const TComponent* root) {
    for (auto* c = component; c; c = c->Owner())
        if (c == root)
            return true;
    return false;
}

} // namespace

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsValidIdent(const std::string& name) {
    if (name.empty())
        return false;
    auto first = static_cast<unsigned char>(name[0]);
    if (!std::isalpha(first) && first != '_')
        return false;
    return std::all_of(name.begin(), name.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return std::isalnum(u) || u == '_';
    });
}

TComponent::TComponent(TComponent* owner) {
    if (owner)
        owner->InsertComponent(this);
    for (auto& run : Runs())
        if (owner && OwnedBy(owner, run.root)) {
            SetLoadingFlag();
            run.created.push_back(this);
        }
}

TComponent::~TComponent() {
    state_ |= csDestroying;
    for (auto& run : Runs())
        std::erase(run.created, this);
    DestroyComponents();
    if (owner_)
        owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EComponentError("Komponentenindex außerhalb des gültigen Bereichs (" +
                              std::to_string(index) + ")");
    return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!owner_)
        return -1;
    auto& list = owner_->components_;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty())
        return nullptr;
    for (auto* c : components_)
        if (SameText(c->name_, name))
            return c;
    return nullptr;
}

void TComponent::SetName(const std::string& name) {
    if (name == name_)
        return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError("'" + name + "' ist kein gültiger Komponentenname");
    if (owner_ && !name.empty()) {
        auto* other = owner_->FindComponent(name);
        if (other && other != this)
            throw EComponentError("Eine Komponente namens " + name + " existiert bereits");
    }
    name_ = name;
}

void TComponent::InsertComponent(TComponent* component) {
    if (component->owner_)
        component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    auto it = std::find(components_.begin(), components_.end(), component);
    if (it == components_.end())
        return;
    Notification(component, opRemove);
    components_.erase(std::find(components_.begin(), components_.end(), component));
    component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        components_.back()->Free();
    }
}

void TComponent::Free() {
    BeforeDestruction();
    delete this;
}

void TComponent::BeforeDestruction() {
    state_ |= csDestroying;
}

void TComponent::Notification(TComponent*, TOperation) {}

void TComponent::Loaded() {
    state_ &= ~csLoading;
}

void TComponent::BeginLoading() {
    SetLoadingFlag();
    Runs().push_back(LoadingRun{this, {}});
    LoadingBegun();
}

void TComponent::EndLoading() {
    auto& runs = Runs();
    auto it = std::find_if(runs.rbegin(), runs.rend(),
                           [this](const LoadingRun& r) { return r.root == this; });
    if (it == runs.rend())
        throw EComponentError(std::string(ClassName()) + ": Ende des Ladens ohne dessen Beginn");
    std::vector<TComponent*> loaded{this};
    loaded.insert(loaded.end(), it->created.begin(), it->created.end());
    runs.erase(std::next(it).base());
    // A component destroyed by an earlier Loaded() must not be touched; track removals.
    runs.push_back(LoadingRun{nullptr, loaded});
    const std::size_t guard = runs.size() - 1;
    // The tracking goes however the layout and the Loaded() calls end.
    const TScopeExit tracked(
        [guard] { Runs().erase(Runs().begin() + static_cast<std::ptrdiff_t>(guard)); });
    auto alive = [guard](TComponent* c) {
        auto& list = Runs()[guard].created;
        return std::find(list.begin(), list.end(), c) != list.end();
    };
    for (std::size_t i = 0; i < loaded.size(); ++i)
        if (alive(loaded[i]))
            loaded[i]->LoadingLayout();
    for (std::size_t i = 0; i < loaded.size(); ++i)
        if (alive(loaded[i]))
            loaded[i]->Loaded();
}
