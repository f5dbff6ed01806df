#include "ui/Component.h"

#include <algorithm>

void Free(TObject* object) {
  if (!object) return;
  object->BeforeDestruction();
  delete object;
}

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
  while (!components_.empty()) Free(components_.back());  // each one leaves the list
  if (owner_) {
    auto& siblings = owner_->components_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}
