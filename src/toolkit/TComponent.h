#pragma once
// The root of the component model: names, tags, ownership in creation order and the loading state
// under which a window description is built.

#include <cstdint>
#include <string>
#include <vector>

class TObject {
public:
    virtual ~TObject() = default;
    virtual const char* ClassName() const { return "TObject"; }
};

using TComponentState = unsigned;
constexpr TComponentState csLoading = 1;
constexpr TComponentState csDestroying = 2;

enum class TOperation { opInsert, opRemove };
using enum TOperation;

class TComponent : public TObject {
public:
    // A component created while its owner is loading joins that loading run.
    explicit TComponent(TComponent* owner);
    // Destroys every owned component, the last created first.
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const char* ClassName() const override { return "TComponent"; }

    const std::string& Name() const { return name_; }
    // Raises EComponentError for a name that is no identifier or is taken among the owner's.
    virtual void SetName(const std::string& name);
    std::int32_t Tag() const { return tag_; }
    void SetTag(std::int32_t tag) { tag_ = tag; }

    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;
    int ComponentIndex() const;
    // The owned component of that name (case-insensitive), or null.
    TComponent* FindComponent(const std::string& name) const;
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void DestroyComponents();

    // Destroys the component the classic way: BeforeDestruction() first (a form runs OnDestroy
    // there, while it is still whole), then the destructor. Owners free what they own this way.
    void Free();
    virtual void BeforeDestruction();

    TComponentState ComponentState() const { return state_; }
    bool Loading() const { return (state_ & csLoading) != 0; }
    bool Destroying() const { return (state_ & csDestroying) != 0; }

    // Loading: every component created meanwhile (owned, at any depth) only stores what its
    // setters receive. EndLoading lays the windows out once and then calls Loaded() on this
    // component and each created one, in creation order; Loaded ends each one's loading state.
    void BeginLoading();
    void EndLoading();

protected:
    virtual void Loaded();
    // Layout held back while loading is done here, before any Loaded() runs.
    virtual void LoadingLayout() {}
    // This component became the root of a loading run.
    virtual void LoadingBegun() {}
    // Called on the owner alone when one of its components is inserted or removed; the other
    // components it owns are not told.
    virtual void Notification(TComponent* component, TOperation operation);

private:
    friend struct LoadingRun;
    void SetLoadingFlag() { state_ |= csLoading; }

    std::string name_;
    std::int32_t tag_ = 0;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    TComponentState state_ = 0;
};

// Frees the component a variable holds and clears the variable.
template <class T> void FreeAndNil(T*& component) {
    T* doomed = component;
    component = nullptr;
    if (doomed)
        doomed->Free();
}

bool IsValidIdent(const std::string& name);
bool SameText(const std::string& a, const std::string& b);
