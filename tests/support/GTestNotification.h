#pragma once
// GoogleTest's start signal for the threads it makes, on Win32 events: the
// compiler's win32 thread model has no std::mutex or std::condition_variable,
// which GoogleTest's own version of this class needs. Force-included into
// GoogleTest and the tests (GTEST_HAS_NOTIFICATION_ says it is provided).

#include <windows.h>

namespace testing::internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  ~Notification() { CloseHandle(event_); }

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace testing::internal
