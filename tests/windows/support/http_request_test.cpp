#include <winsock2.h>

#include <gtest/gtest.h>

#include "support_test_host.h"

using namespace support_test;

namespace {

// A loopback HTTP server on its own thread: answers one request, or, when
// silent, accepts and never says a word.
class LoopbackServer {
 public:
  explicit LoopbackServer(bool silent) : silent_(silent) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    listen(listener_, 4);
    thread_ = CreateThread(nullptr, 0, serve, this, 0, nullptr);
  }
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;
  ~LoopbackServer() {
    SetEvent(stop_);
    closesocket(listener_);  // ends a pending accept
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(stop_);
    WSACleanup();
  }
  int port() const { return port_; }
  std::string request() {
    WaitForSingleObject(thread_, 10000);
    return request_;
  }

 private:
  static DWORD WINAPI serve(void* parameter) {
    auto* self = static_cast<LoopbackServer*>(parameter);
    SOCKET client = accept(self->listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return 1;
    if (self->silent_) {
      WaitForSingleObject(self->stop_, 30000);
    } else {
      char chunk[4096];
      while (self->request_.find("\r\n\r\n") == std::string::npos) {
        const int got = recv(client, chunk, sizeof chunk, 0);
        if (got <= 0) break;
        self->request_.append(chunk, got);
      }
      const char answer[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-Test: yes\r\n\r\nok";
      send(client, answer, sizeof answer - 1, 0);
      Sleep(200);
    }
    closesocket(client);
    return 0;
  }

  bool silent_;
  HANDLE stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SOCKET listener_;
  int port_ = 0;
  HANDLE thread_;
  std::string request_;
};

// Points WinINet's system proxy settings at the loopback server and puts the
// user's own settings back afterwards.
class SystemProxy {
 public:
  explicit SystemProxy(int port) {
    RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    saveOld(L"ProxyEnable", enable_);
    saveOld(L"ProxyServer", server_);
    DWORD on = 1;
    RegSetValueExW(key_, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<BYTE*>(&on), sizeof on);
    const std::wstring server = L"127.0.0.1:" + std::to_wstring(port);
    RegSetValueExW(key_, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
  }
  SystemProxy(const SystemProxy&) = delete;
  SystemProxy& operator=(const SystemProxy&) = delete;
  ~SystemProxy() {
    restore(L"ProxyEnable", enable_);
    restore(L"ProxyServer", server_);
    RegCloseKey(key_);
  }

 private:
  struct Saved {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };
  static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

  void saveOld(const wchar_t* name, Saved& saved) {
    DWORD size = 0;
    if (RegQueryValueExW(key_, name, nullptr, &saved.type, nullptr, &size) != ERROR_SUCCESS) return;
    saved.data.resize(size);
    saved.present = RegQueryValueExW(key_, name, nullptr, &saved.type, saved.data.data(), &size) == ERROR_SUCCESS;
  }
  void restore(const wchar_t* name, const Saved& saved) {
    if (saved.present) {
      RegSetValueExW(key_, name, 0, saved.type, saved.data.data(), static_cast<DWORD>(saved.data.size()));
    } else {
      RegDeleteValueW(key_, name);
    }
  }

  HKEY key_ = nullptr;
  Saved enable_, server_;
};

struct Outcome {
  HRESULT result;
  LONG status;
  DWORD elapsedMs;
};

Outcome send(LONG mode, const wchar_t* host, int port, LONG timeoutMs, IOxHttpData* response,
             const wchar_t* proxyHost = nullptr, int proxyPort = 0) {
  auto settings = ox::create(oxCreateHttpSettings);
  settings->put_Mode(mode);
  auto request = ox::create(oxCreateHttpRequest);
  request->putref_Settings(settings.get());
  TestApplication app;
  ox::Bstr identity;
  ox::check(request->IdentityFromApp(&app, identity.put()));
  LONG status = 0;
  const DWORD start = GetTickCount();
  const HRESULT result = request->Send(host, port, L"HEAD", L"/", L"HTTP/1.1", nullptr, nullptr, 0, timeoutMs,
                                       identity.get(), response, proxyHost, proxyPort, VARIANT_TRUE, VARIANT_TRUE, 0,
                                       nullptr, nullptr, &status);
  return {result, status, GetTickCount() - start};
}

TEST(HttpRequest, IdentityIsProductSlashVersion) {
  auto request = ox::create(oxCreateHttpRequest);
  TestApplication app;
  ox::Bstr identity;
  EXPECT_EQ(ox::text(request->IdentityFromApp(&app, identity.put()), identity), L"Veilmark/1.0.0");
}

TEST(HttpRequest, HeadRequestReachesTheSystemProxy) {
  LoopbackServer server(false);
  SystemProxy proxy(server.port());
  auto response = ox::create(oxCreateHttpData);
  const Outcome outcome = send(0, L"p.p", 80, 10000, response.get());
  const std::string request = server.request();
  EXPECT_EQ(outcome.result, S_OK);
  EXPECT_EQ(outcome.status, 200);
  // Through a proxy the request line carries the whole address; Wine adds
  // the default port to it, Windows leaves it out.
  const std::string requestLine = request.substr(0, request.find("\r\n"));
  EXPECT_EQ(requestLine.rfind("HEAD http://p.p", 0), 0u) << request;
  EXPECT_EQ(requestLine.substr(requestLine.size() - 9), " HTTP/1.1") << request;
  EXPECT_NE(request.find("\r\nHost: p.p"), std::string::npos) << request;
  EXPECT_NE(request.find("User-Agent: Veilmark/1.0.0\r\n"), std::string::npos) << request;
  LONG code = 0;
  response->get_StatusCode(&code);
  EXPECT_EQ(code, 200);
  ox::Bstr headers;
  EXPECT_NE(ox::text(response->get_Headers(headers.put()), headers).find(L"X-Test: yes"), std::wstring::npos);
}

TEST(HttpRequest, NoResponseObjectIsFine) {
  LoopbackServer server(false);
  const Outcome outcome = send(2, L"p.p", 80, 10000, nullptr, L"127.0.0.1", server.port());
  EXPECT_EQ(outcome.status, 200);
  EXPECT_NE(server.request().find("p.p"), std::string::npos);
}

TEST(HttpRequest, SilentServerTimesOut) {
  LoopbackServer server(true);
  const Outcome outcome = send(2, L"p.p", 80, 1500, nullptr, L"127.0.0.1", server.port());
  EXPECT_LT(outcome.status, 0);
  EXPECT_EQ(outcome.result, outcome.status);
  EXPECT_GE(outcome.elapsedMs, 1400u);
  EXPECT_LT(outcome.elapsedMs, 3500u);
}

TEST(HttpRequest, RefusedPortFailsAtOnce) {
  int port = 0;
  {
    LoopbackServer closedSoon(true);
    port = closedSoon.port();
  }
  const Outcome outcome = send(1, L"127.0.0.1", port, 20000, nullptr);
  EXPECT_LT(outcome.status, 0);
  EXPECT_LT(outcome.elapsedMs, 5000u);
}

}  // namespace
