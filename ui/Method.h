#pragma once
// A method pointer: an object and one of its member functions, kept together
// so that a handler can be saved, replaced and put back by plain assignment.
// Two method pointers are equal when they name the same object and member.

#include <cstring>
#include <type_traits>

template <typename... Args>
class TMethod {
 public:
  TMethod() = default;

  template <class T>
  TMethod(T* object, void (T::*member)(Args...)) : object_(object) {
    using Member = decltype(member);
    static_assert(sizeof(Member) <= sizeof(member_), "member pointer does not fit");
    std::memcpy(member_, &member, sizeof(Member));
    invoke_ = [](void* obj, const unsigned char* stored, Args... args) {
      Member m;
      std::memcpy(&m, stored, sizeof(Member));
      (static_cast<T*>(obj)->*m)(args...);
    };
  }

  explicit operator bool() const { return invoke_ != nullptr; }

  void operator()(Args... args) const {
    if (invoke_) invoke_(object_, member_, args...);
  }

  friend bool operator==(const TMethod& a, const TMethod& b) {
    return a.object_ == b.object_ && a.invoke_ == b.invoke_ &&
           std::memcmp(a.member_, b.member_, sizeof a.member_) == 0;
  }

 private:
  void* object_ = nullptr;
  unsigned char member_[2 * sizeof(void*) + sizeof(int)] = {};
  void (*invoke_)(void*, const unsigned char*, Args...) = nullptr;
};
