#pragma once
// COM for the calling thread for one scope: CoInitialize (a single-threaded
// apartment), undone on scope exit exactly when it succeeded, so that the
// caller's apartment stays as it was. Declare it before the interfaces it
// serves, so that they are released while COM is still up.

#include <objbase.h>

class ScopedComInit {
 public:
  ScopedComInit() : result_(CoInitialize(nullptr)) {}
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;
  ~ScopedComInit() {
    if (Succeeded()) CoUninitialize();
  }

  bool Succeeded() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};
