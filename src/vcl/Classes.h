// The component framework: owned components, free notification, component state and loading.
#pragma once

#include "vcl/SysUtils.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vcl {

class FormReader;
struct DfmValue;

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
    virtual const char* ClassName() const { return "TObject"; }
};

// A small set over an enumeration with values below 32, as the class library's sets.
template <class E> class Set {
public:
    constexpr Set() = default;
    constexpr Set(std::initializer_list<E> items) {
        for (E e : items) Include(e);
    }
    constexpr bool Contains(E e) const { return (bits_ >> static_cast<unsigned>(e)) & 1u; }
    constexpr void Include(E e) { bits_ |= 1u << static_cast<unsigned>(e); }
    constexpr void Exclude(E e) { bits_ &= ~(1u << static_cast<unsigned>(e)); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr bool operator==(const Set&) const = default;

private:
    unsigned bits_ = 0;
};

enum class TComponentStateItem { csLoading, csReading, csDesigning, csDestroying };
using enum TComponentStateItem;
using TComponentState = Set<TComponentStateItem>;

enum class TOperation { opInsert, opRemove };
using enum TOperation;

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    const char* ClassName() const override { return "TComponent"; }

    TComponent* Owner() const { return owner_; }
    const AnsiString& Name() const { return name_; }
    void SetName(const AnsiString& name) { name_ = name; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(index); }
    TComponent* FindComponent(const AnsiString& name) const;
    TComponentState ComponentState() const { return state_; }

    // Asks `AComponent` to tell this component, through Notification, when it is destroyed.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // What a form designer does to the components it hosts; owned components inherit it.
    void SetDesigning(bool designing);

    // Frees the owned components, last first; a destructor that needs them gone early calls it.
    void DestroyComponents();

    // Form reading: the reader sets stored properties by name and hands over nested objects.
    virtual void ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader);
    virtual void ReadChild(TComponent* child);
    void BeginLoading();
    // A root's published handlers and component fields, found by name while it is read.
    virtual TNotifyEvent MethodAddress(const AnsiString& name) const;
    virtual bool BindField(const AnsiString& name, TComponent* component);

    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void Loaded();
    // Runs before the destructor while the whole object still exists (see Free).
    virtual void BeforeDestruction() {}
    // Marks the component as going and tells those who asked for a free notification, while
    // it is still whole, so they can tell what kind of component it is.
    void BeginDestroy();

protected:
    void Destroying() { state_.Include(csDestroying); }

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* owner_ = nullptr;
    AnsiString name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    TComponentState state_;
};

// Frees a component as the class library does: BeforeDestruction, then the destructor.
void Free(TComponent* component);

// An unsorted list of strings, each with an object, found by exact text.
class TStringList : public TObject {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const AnsiString& Strings(int index) const { return At(index).first; }
    void SetStrings(int index, const AnsiString& text) { At(index).first = text; }
    TObject* Objects(int index) const { return At(index).second; }
    int AddObject(const AnsiString& text, TObject* object);
    int IndexOf(const AnsiString& text) const; // first exact match, or -1
    void Delete(int index);

private:
    const std::pair<AnsiString, TObject*>& At(int index) const;
    std::pair<AnsiString, TObject*>& At(int index);
    std::vector<std::pair<AnsiString, TObject*>> items_;
};

} // namespace vcl
