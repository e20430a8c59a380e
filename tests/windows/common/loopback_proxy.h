// A loopback HTTP server and WinINet's system proxy pointed at it: what a
// program's requests meet when the user's proxy answers, or never does.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A loopback HTTP server on its own thread: answers one request, or, when
// silent, accepts and never says a word; or answers every request with what
// `answer` gives at that moment. Port 0: any free one.
class LoopbackServer {
 public:
  explicit LoopbackServer(bool silent, int port = 0) : LoopbackServer(silent, port, nullptr) {}
  explicit LoopbackServer(std::function<std::string()> answer) : LoopbackServer(false, 0, std::move(answer)) {}
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;
  ~LoopbackServer();
  int port() const { return port_; }
  // The request it got, once it has answered.
  std::string request();
  // Whether a client has connected within the time.
  bool waitForConnection(DWORD ms);

 private:
  LoopbackServer(bool silent, int port, std::function<std::string()> answer);
  static DWORD WINAPI serve(void* parameter);

  bool silent_;
  std::function<std::string()> answer_;
  HANDLE stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE connected_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  UINT_PTR listener_;  // a SOCKET: the header stays free of winsock2.h
  int port_ = 0;
  HANDLE thread_;
  std::string request_;
};

// Points WinINet's system proxy settings at the loopback server and puts the
// user's own settings back afterwards.
class SystemProxy {
 public:
  explicit SystemProxy(int port);
  SystemProxy(const SystemProxy&) = delete;
  SystemProxy& operator=(const SystemProxy&) = delete;
  ~SystemProxy();

 private:
  struct Saved {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
  };

  void saveOld(const wchar_t* name, Saved& saved);
  void restore(const wchar_t* name, const Saved& saved);

  HKEY key_ = nullptr;
  Saved enable_, server_;
};
