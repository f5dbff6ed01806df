#pragma once
// Objects and owned components. An owner frees the components it owns, the
// last created first; a component freed on its own leaves its owner's list.

#include <vector>

#include "ui/AnsiString.h"

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  // Runs before the destructor when the object is freed through Free, while
  // the whole object still exists (forms fire OnDestroy here).
  virtual void BeforeDestruction() {}
};

// Frees an object: BeforeDestruction, then the destructor. Null is fine.
void Free(TObject* object);

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& name) { name_ = name; }

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const { return components_[static_cast<size_t>(index)]; }

 private:
  TComponent* owner_;
  AnsiString name_;
  std::vector<TComponent*> components_;
};
