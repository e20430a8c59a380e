#include <winsock2.h>

#include "loopback_proxy.h"

namespace {

const wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// A request's head, up to its blank line.
std::string readRequest(SOCKET client) {
  std::string request;
  char chunk[4096];
  for (int got; request.find("\r\n\r\n") == std::string::npos && (got = recv(client, chunk, sizeof chunk, 0)) > 0;)
    request.append(chunk, got);
  return request;
}

}  // namespace

LoopbackServer::LoopbackServer(bool silent, int port, std::function<std::string()> answer)
    : silent_(silent), answer_(std::move(answer)) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<u_short>(port));
  bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  listen(listener_, 4);
  thread_ = CreateThread(nullptr, 0, serve, this, 0, nullptr);
}

LoopbackServer::~LoopbackServer() {
  SetEvent(stop_);
  closesocket(listener_);  // ends a pending accept
  WaitForSingleObject(thread_, 10000);
  CloseHandle(thread_);
  CloseHandle(stop_);
  CloseHandle(connected_);
  WSACleanup();
}

bool LoopbackServer::waitForConnection(DWORD ms) { return WaitForSingleObject(connected_, ms) == WAIT_OBJECT_0; }

std::string LoopbackServer::request() {
  WaitForSingleObject(thread_, 10000);
  return request_;
}

DWORD WINAPI LoopbackServer::serve(void* parameter) {
  auto* self = static_cast<LoopbackServer*>(parameter);
  SOCKET client = accept(self->listener_, nullptr, nullptr);
  if (client == INVALID_SOCKET) return 1;
  SetEvent(self->connected_);
  for (; self->answer_; client = accept(self->listener_, nullptr, nullptr)) {
    if (client == INVALID_SOCKET) return 0;
    readRequest(client);
    const std::string answer = self->answer_();
    send(client, answer.data(), static_cast<int>(answer.size()), 0);
    shutdown(client, SD_SEND);
    closesocket(client);
  }
  if (self->silent_) {
    WaitForSingleObject(self->stop_, 30000);
  } else {
    self->request_ = readRequest(client);
    const char answer[] = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-Test: yes\r\n\r\nok";
    send(client, answer, sizeof answer - 1, 0);
    Sleep(200);
  }
  closesocket(client);
  return 0;
}

SystemProxy::SystemProxy(int port) {
  RegCreateKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  saveOld(L"ProxyEnable", enable_);
  saveOld(L"ProxyServer", server_);
  DWORD on = 1;
  RegSetValueExW(key_, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<BYTE*>(&on), sizeof on);
  const std::wstring server = L"127.0.0.1:" + std::to_wstring(port);
  RegSetValueExW(key_, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                 static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
}

SystemProxy::~SystemProxy() {
  restore(L"ProxyEnable", enable_);
  restore(L"ProxyServer", server_);
  RegCloseKey(key_);
}

void SystemProxy::saveOld(const wchar_t* name, Saved& saved) {
  DWORD size = 0;
  if (RegQueryValueExW(key_, name, nullptr, &saved.type, nullptr, &size) != ERROR_SUCCESS) return;
  saved.data.resize(size);
  saved.present = RegQueryValueExW(key_, name, nullptr, &saved.type, saved.data.data(), &size) == ERROR_SUCCESS;
}

void SystemProxy::restore(const wchar_t* name, const Saved& saved) {
  if (saved.present) {
    RegSetValueExW(key_, name, 0, saved.type, saved.data.data(), static_cast<DWORD>(saved.data.size()));
  } else {
    RegDeleteValueW(key_, name);
  }
}
