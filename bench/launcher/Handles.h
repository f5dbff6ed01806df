#pragma once
// Owners for the launcher's kernel handles and sockets.

#include <winsock2.h>
#include <windows.h>

#include <utility>

#include "ui/Scoped.h"

using UniqueKernelHandle = UniqueHandle<HANDLE, CloseHandle>;

class UniqueSocket {
 public:
  UniqueSocket() = default;
  explicit UniqueSocket(SOCKET owned) : s_(owned) {}
  UniqueSocket(UniqueSocket&& other) noexcept : s_(std::exchange(other.s_, INVALID_SOCKET)) {}
  UniqueSocket& operator=(UniqueSocket&& other) noexcept {
    if (this != &other) reset(std::exchange(other.s_, INVALID_SOCKET));
    return *this;
  }
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;
  ~UniqueSocket() { reset(); }

  SOCKET get() const { return s_; }
  explicit operator bool() const { return s_ != INVALID_SOCKET; }
  void reset(SOCKET owned = INVALID_SOCKET) {
    SOCKET old = std::exchange(s_, owned);
    if (old != INVALID_SOCKET) closesocket(old);
  }

 private:
  SOCKET s_ = INVALID_SOCKET;
};
