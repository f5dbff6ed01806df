#pragma once
// An owning COM interface pointer: holds one reference and releases it when
// reset, reassigned or destroyed. Move-only, so every reference has exactly
// one owner.

#include <unknwn.h>

#include <utility>

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already owns (no AddRef).
  explicit ComPtr(T* owned) : p_(owned) {}
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For out-parameters: drops the current reference first, so the callee's
  // reference is never leaked over an old one.
  T** put() {
    reset();
    return &p_;
  }

  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }

  // Another interface of the same object; empty when it has none.
  template <class U>
  ComPtr<U> As() const {
    ComPtr<U> other;
    if (p_) p_->QueryInterface(__uuidof(U), reinterpret_cast<void**>(other.put()));
    return other;
  }

 private:
  T* p_ = nullptr;
};
