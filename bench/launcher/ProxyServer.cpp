#include "bench/launcher/ProxyServer.h"

#include <ws2tcpip.h>

#include "bench/launcher/Clock.h"

namespace {

constexpr char kPage[] = "<!DOCTYPE html><html><body>bench</body></html>";
// A client that connects and says nothing must not hold the thread for long.
constexpr DWORD kReceiveTimeoutMs = 3000;

class Locked {
 public:
  explicit Locked(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  ~Locked() { LeaveCriticalSection(&lock_); }

 private:
  CRITICAL_SECTION& lock_;
};

}  // namespace

ProxyServer::ProxyServer() { InitializeCriticalSection(&lock_); }

ProxyServer::~ProxyServer() {
  Stop();
  if (wsaStarted_) WSACleanup();
  DeleteCriticalSection(&lock_);
}

int ProxyServer::Start(unsigned short port) {
  WSADATA data;
  if (int error = WSAStartup(MAKEWORD(2, 2), &data)) return error;
  wsaStarted_ = true;
  listener_.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!listener_) return WSAGetLastError();
  BOOL reuse = TRUE;
  setsockopt(listener_.get(), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
             sizeof reuse);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_.get(), 16) != 0) {
    int error = WSAGetLastError();
    listener_.reset();
    return error;
  }
  thread_.reset(CreateThread(nullptr, 0, &ProxyServer::ThreadMain, this, 0, nullptr));
  return thread_ ? 0 : static_cast<int>(GetLastError());
}

void ProxyServer::Stop() {
  // Closing the listener ends the thread's accept.
  listener_.reset();
  if (thread_) WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
}

ProxyServer::FirstRequest ProxyServer::First() {
  Locked locked(lock_);
  return first_;
}

DWORD WINAPI ProxyServer::ThreadMain(void* self) {
  static_cast<ProxyServer*>(self)->Serve();
  return 0;
}

void ProxyServer::Serve() {
  for (;;) {
    UniqueSocket client(accept(listener_.get(), nullptr, nullptr));
    if (!client) return;
    Answer(client.get());
  }
}

void ProxyServer::Answer(SOCKET client) {
  DWORD timeout = kReceiveTimeoutMs;
  setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
             sizeof timeout);
  std::string request;
  bool lineSeen = false;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    int got = recv(client, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    request.append(buffer, static_cast<size_t>(got));
    size_t end = request.find("\r\n");
    if (!lineSeen && end != std::string::npos) {
      lineSeen = true;
      double at = NowMs();
      Locked locked(lock_);
      if (!first_.seen) {
        first_.seen = true;
        first_.atMs = at;
        first_.line = request.substr(0, end);
      }
    }
  }
  if (!lineSeen) return;
  std::string answer =
      "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-store\r\n"
      "Connection: close\r\nContent-Length: " +
      std::to_string(sizeof kPage - 1) + "\r\n\r\n" + kPage;
  send(client, answer.data(), static_cast<int>(answer.size()), 0);
  shutdown(client, SD_SEND);
  Locked locked(lock_);
  ++first_.count;
}
