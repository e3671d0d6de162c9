#include "vcl/Classes.h"

#include "vcl/FormReader.h"

#include <algorithm>

namespace vcl {

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    BeginDestroy(); // a component deleted without Free
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::BeginDestroy() {
    Destroying();
    // Tell everyone who asked that this component is going; each removes its link to us.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& theirs = other->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->Notification(this, opRemove);
    }
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* last = components_.back();
        RemoveComponent(last);
        Free(last);
    }
}

void Free(TComponent* component) {
    if (!component) return;
    component->BeforeDestruction();
    component->BeginDestroy();
    delete component;
}

TComponent* TComponent::FindComponent(const AnsiString& name) const {
    for (TComponent* c : components_)
        if (!name.empty() && c->name_ == name) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    component->owner_ = this;
    if (state_.Contains(csDesigning)) component->SetDesigning(true);
    components_.push_back(component);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    Notification(component, opRemove);
    components_.erase(std::remove(components_.begin(), components_.end(), component),
                      components_.end());
    component->owner_ = nullptr;
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end()) {
        freeNotifies_.push_back(AComponent);
        AComponent->freeNotifies_.push_back(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    auto drop = [](std::vector<TComponent*>& list, TComponent* c) {
        list.erase(std::remove(list.begin(), list.end(), c), list.end());
    };
    drop(freeNotifies_, AComponent);
    if (AComponent) drop(AComponent->freeNotifies_, this);
}

void TComponent::SetDesigning(bool designing) {
    if (designing)
        state_.Include(csDesigning);
    else
        state_.Exclude(csDesigning);
    for (TComponent* c : components_) c->SetDesigning(designing);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    // Copy: a component may remove itself or others while it hears of the change.
    const std::vector<TComponent*> owned = components_;
    for (auto it = owned.rbegin(); it != owned.rend(); ++it)
        if (*it != AComponent || Operation == opInsert) (*it)->Notification(AComponent, Operation);
}

void TComponent::BeginLoading() {
    state_.Include(csLoading);
    state_.Include(csReading);
}

void TComponent::Loaded() {
    state_.Exclude(csLoading);
    state_.Exclude(csReading);
}

void TComponent::ReadProperty(const AnsiString& name, const DfmValue& value, FormReader& reader) {
    if (name == "Left" || name == "Top") {
        value.AsInt(reader); // a non-visual component's place in the designer; nothing at run time
        return;
    }
    reader.Fail(value, "unknown property " + name);
}

void TComponent::ReadChild(TComponent* child) {
    (void)child; // only containers keep their nested objects
}

TNotifyEvent TComponent::MethodAddress(const AnsiString& name) const {
    (void)name;
    return {};
}

bool TComponent::BindField(const AnsiString& name, TComponent* component) {
    (void)name;
    (void)component;
    return true; // a root without a field table keeps its components by owner only
}

int TStringList::AddObject(const AnsiString& text, TObject* object) {
    items_.emplace_back(text, object);
    return Count() - 1;
}

int TStringList::IndexOf(const AnsiString& text) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[i].first == text) return i;
    return -1;
}

void TStringList::Delete(int index) {
    At(index);
    items_.erase(items_.begin() + index);
}

const std::pair<AnsiString, TObject*>& TStringList::At(int index) const {
    if (index < 0 || index >= Count())
        throw Exception("List index out of bounds (" + IntToStr(index) + ")");
    return items_[index];
}

std::pair<AnsiString, TObject*>& TStringList::At(int index) {
    return const_cast<std::pair<AnsiString, TObject*>&>(std::as_const(*this).At(index));
}

} // namespace vcl
