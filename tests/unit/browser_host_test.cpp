#include <winsock2.h>
#include <ws2tcpip.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/BrowserHost.h"
#include "ui/ComPtr.h"
#include "ui/Scoped.h"

namespace {

constexpr int kClientWidth = 456;
constexpr int kClientHeight = 270;
constexpr char kWindowClass[] = "BrowserHostTestWindow";

class Socket {
 public:
  explicit Socket(SOCKET s) : s_(s) {}
  Socket(Socket&& other) noexcept : s_(std::exchange(other.s_, INVALID_SOCKET)) {}
  Socket& operator=(Socket&& other) noexcept {
    std::swap(s_, other.s_);  // our old socket closes with `other`
    return *this;
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  ~Socket() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
  }
  SOCKET get() const { return s_; }

 private:
  SOCKET s_;
};

// An HTTP server on 127.0.0.1, served from the test's own message loop: its
// sockets are non-blocking and polled between messages. It answers every
// request with a tiny page and records the request lines it saw.
class LocalHttpServer {
 public:
  LocalHttpServer() : listener_(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    u_long nonBlocking = 1;
    if (bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        listen(listener_.get(), 8) == 0 &&
        getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
        ioctlsocket(listener_.get(), FIONBIO, &nonBlocking) == 0)
      port_ = ntohs(address.sin_port);
  }

  int port() const { return port_; }
  const std::vector<std::string>& RequestLines() const { return lines_; }

  // Takes what has arrived so far; never waits.
  void Poll() {
    for (SOCKET s; (s = accept(listener_.get(), nullptr, nullptr)) != INVALID_SOCKET;) {
      u_long nonBlocking = 1;
      ioctlsocket(s, FIONBIO, &nonBlocking);
      clients_.push_back(Client{Socket(s), {}});
    }
    std::erase_if(clients_, [this](Client& client) { return Serve(client); });
  }

 private:
  struct Client {
    Socket socket;
    std::string request;
  };

  // True once the client is done with: answered, gone or failed.
  bool Serve(Client& client) {
    char buffer[1024];
    for (;;) {
      const int received = recv(client.socket.get(), buffer, sizeof buffer, 0);
      if (received > 0) {
        client.request.append(buffer, received);
        continue;
      }
      if (received < 0 && WSAGetLastError() == WSAEWOULDBLOCK) break;
      return true;
    }
    if (client.request.find("\r\n\r\n") == std::string::npos) return false;
    lines_.push_back(client.request.substr(0, client.request.find("\r\n")));
    static const char reply[] =
        "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 13\r\n"
        "Connection: close\r\n\r\n<html></html>";
    send(client.socket.get(), reply, sizeof reply - 1, 0);
    shutdown(client.socket.get(), SD_SEND);
    return true;
  }

  Socket listener_;
  int port_ = 0;
  std::vector<Client> clients_;
  std::vector<std::string> lines_;
};

// Pumps messages, as the control needs, until `done` or the timeout.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

HWND ControlWindow(const BrowserHost& host) {
  ComPtr<IOleWindow> window;
  HWND control = nullptr;
  if (host.Browser() && SUCCEEDED(host.Browser()->QueryInterface(IID_PPV_ARGS(window.put()))))
    window->GetWindow(&control);
  return control;
}

// The window's rectangle in its parent's client coordinates.
RECT PlacementOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void ExpectRect(const RECT& actual, const RECT& expected) {
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.right, expected.right);
  EXPECT_EQ(actual.bottom, expected.bottom);
}

VARIANT Omitted() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

// OLE for the thread and a visible top-level window of the program's size.
class BrowserHostTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(OleInitialize(nullptr), S_OK);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    window_ = MakeWindow();
    ASSERT_TRUE(window_);
  }
  void TearDown() override {
    window_.reset();
    UnregisterClassA(kWindowClass, GetModuleHandleA(nullptr));
    OleUninitialize();
  }

  static UniqueWindow MakeWindow() {
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    UniqueWindow window(CreateWindowExA(0, kWindowClass, "host",
                                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 50, 50,
                                        frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                        nullptr, GetModuleHandleA(nullptr), nullptr));
    if (window) ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    return window;
  }

  HWND window() const { return window_.get(); }

  UniqueWindow window_;
};

}  // namespace

TEST_F(BrowserHostTest, ActivatesInPlaceFillingTheHostAndFollowsResize) {
  BrowserHost host;
  ASSERT_EQ(host.Create(window()), S_OK);
  ASSERT_NE(host.Browser(), nullptr);
  const HWND control = ControlWindow(host);
  ASSERT_TRUE(IsWindow(control));
  EXPECT_EQ(GetParent(control), window());
  EXPECT_TRUE(IsWindowVisible(control));
  ExpectRect(PlacementOf(control), RECT{0, 0, kClientWidth, kClientHeight});
  VARIANT_BOOL silent = VARIANT_FALSE;
  EXPECT_EQ(host.Browser()->get_Silent(&silent), S_OK);
  EXPECT_EQ(silent, VARIANT_TRUE) << "script errors must never raise a dialog";

  host.Resize(300, 120);
  ExpectRect(PlacementOf(control), RECT{0, 0, 300, 120});
}

// The control may be kept alive past the host by a reference of its own; the
// host's teardown must still take it out of the window and off our site.
TEST_F(BrowserHostTest, DestructionDeactivatesAControlThatOutlivesTheHost) {
  ComPtr<IOleObject> kept;
  HWND control;
  {
    BrowserHost host;
    ASSERT_EQ(host.Create(window()), S_OK);
    control = ControlWindow(host);
    ASSERT_TRUE(IsWindow(control));
    ASSERT_EQ(host.Browser()->QueryInterface(IID_PPV_ARGS(kept.put())), S_OK);
  }
  PumpUntil([] { return false; }, 200);  // whatever the control posted to itself
  EXPECT_FALSE(IsWindow(control));
  ComPtr<IOleClientSite> site;
  kept->GetClientSite(site.put());
  EXPECT_FALSE(site) << "the control still holds the host's site";
  kept.reset();

  BrowserHost again;
  ASSERT_EQ(again.Create(window()), S_OK);
  EXPECT_EQ(GetParent(ControlWindow(again)), window());
}

TEST_F(BrowserHostTest, CreateFailsCleanlyWithoutAUsableHost) {
  UniqueWindow destroyed = MakeWindow();
  const HWND stale = destroyed.get();
  destroyed.reset();
  for (HWND bogus : {HWND{}, stale}) {
    BrowserHost host;
    EXPECT_TRUE(FAILED(host.Create(bogus)));
    EXPECT_EQ(host.Browser(), nullptr);
    EXPECT_TRUE(FAILED(host.Navigate(L"about:blank", nullptr, nullptr, nullptr, nullptr)));
    host.Resize(10, 10);
    MSG key{window(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_FALSE(host.TranslateAccelerator(&key));
    // Still usable for a real host afterwards.
    ASSERT_EQ(host.Create(window()), S_OK);
    EXPECT_NE(host.Browser(), nullptr);
  }
}

TEST_F(BrowserHostTest, SecondCreateIsRefusedAndKeepsTheFirstControl) {
  BrowserHost host;
  ASSERT_EQ(host.Create(window()), S_OK);
  IWebBrowser2* const first = host.Browser();
  EXPECT_EQ(host.Create(window()), E_UNEXPECTED);
  EXPECT_EQ(host.Browser(), first);
}

TEST_F(BrowserHostTest, NavigateAcceptsOmittedArguments) {
  BrowserHost host;
  ASSERT_EQ(host.Create(window()), S_OK);
  VARIANT omitted[4] = {Omitted(), Omitted(), Omitted(), Omitted()};
  EXPECT_EQ(host.Navigate(L"about:blank", &omitted[0], &omitted[1], &omitted[2], &omitted[3]),
            S_OK);
  EXPECT_EQ(host.Navigate(L"about:blank", nullptr, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(host.Navigate(nullptr, nullptr, nullptr, nullptr, nullptr), E_POINTER);
}

TEST_F(BrowserHostTest, NavigateRequestsThePageFromTheServer) {
  WSADATA wsa;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &wsa), 0);
  {
    LocalHttpServer server;
    ASSERT_NE(server.port(), 0);
    BrowserHost host;
    ASSERT_EQ(host.Create(window()), S_OK);
    const std::wstring url =
        L"http://127.0.0.1:" + std::to_wstring(server.port()) + L"/client.aspx";
    VARIANT flags;
    VariantInit(&flags);
    flags.vt = VT_I4;
    flags.lVal = navNoHistory | navNoReadFromCache;
    VARIANT omitted = Omitted();
    ASSERT_EQ(host.Navigate(url.c_str(), &flags, &omitted, &omitted, &omitted), S_OK);

    auto requested = [&server] {
      server.Poll();
      for (const std::string& line : server.RequestLines())
        if (line.rfind("GET /client.aspx ", 0) == 0) return true;
      return false;
    };
    EXPECT_TRUE(PumpUntil(requested, 15000)) << "requests seen: " << server.RequestLines().size();
  }
  WSACleanup();
}
