#pragma once
// Shared pieces of the component layer's tests: components that free
// themselves, a message pump that goes through the application's own loop,
// and a recording exception display.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Component.h"

struct FreeObject {
  void operator()(TObject* object) const { Free(object); }
};
// A component the test owns: freed as the layer frees it (BeforeDestruction first).
template <class T>
using Owned = std::unique_ptr<T, FreeObject>;

template <class T>
Owned<T> Make(TComponent* owner = nullptr) {
  return Owned<T>(new T(owner));
}

// Handles the messages that arrive within `milliseconds` through the
// application's loop (ProcessMessages), waiting for new ones in between.
void PumpFor(DWORD milliseconds);
// The same until `done` holds (checked after every round) or `timeout` has
// passed; the result is done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, DWORD timeout = 3000);

// A host path as this process reaches it: through the prefix's drive of the
// root folder.
std::string HostPath(const std::string& path);
// The host path in environment variable `name` (RADIO_BUILD_DIR, ...) with
// `relative` appended, as HostPath gives it; empty when it is not set.
std::string EnvironmentPath(const char* name, const std::string& relative = "");

// Takes the place of the application's exception display while it lives and
// keeps what it is shown; the previous display comes back afterwards.
class ExceptionRecorder {
 public:
  ExceptionRecorder();
  ~ExceptionRecorder();
  ExceptionRecorder(const ExceptionRecorder&) = delete;
  ExceptionRecorder& operator=(const ExceptionRecorder&) = delete;

  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  void Show(TObject* sender, Exception& exception);

  TExceptionEvent saved_;
  std::vector<std::string> messages_;
};
