#pragma once
// The HTTP proxy the measured program is pointed at (http_proxy): it records
// when the first request line arrives, on the launcher's clock, and answers
// every request with a tiny page. One thread of its own; one connection at a
// time is enough for a start page.

#include <windows.h>

#include <string>

#include "bench/launcher/Handles.h"

class ProxyServer {
 public:
  struct FirstRequest {
    bool seen = false;
    double atMs = 0;   // NowMs() when its request line was complete
    std::string line;  // the request line, without CRLF
    int count = 0;     // requests answered so far
  };

  ProxyServer();
  ~ProxyServer();
  ProxyServer(const ProxyServer&) = delete;
  ProxyServer& operator=(const ProxyServer&) = delete;

  // Listens on 127.0.0.1:port and starts answering; on failure the Winsock
  // error code, else 0.
  int Start(unsigned short port);
  void Stop();
  FirstRequest First();

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Serve();
  void Answer(SOCKET client);

  bool wsaStarted_ = false;
  UniqueSocket listener_;
  UniqueKernelHandle thread_;
  CRITICAL_SECTION lock_;
  FirstRequest first_;
};
