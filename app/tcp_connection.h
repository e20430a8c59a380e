// A TCP connection made and used on a thread of its own, within a time: the
// program's look at the Privoxy and the Tor that really run.
#pragma once

#include <winsock2.h>

#include <string>
#include <string_view>

class TcpConnection {
 public:
  // Connects to a numeric host (never a name: no lookup) and port, giving up
  // when `deadline`, a GetTickCount64 time, passes.
  TcpConnection(const std::string& host, unsigned short port, ULONGLONG deadline);
  ~TcpConnection();
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  // False when the host is no numeric address: nothing was tried.
  bool addressed() const { return addressed_; }
  // Whether the other end accepted the connection before the deadline.
  bool connected() const { return socket_ != INVALID_SOCKET; }
  // Sends `request`, then returns what came back when the other end closed,
  // `limit` bytes came or the deadline passed, whichever was first.
  std::string exchange(std::string_view request, size_t limit);

 private:
  // Waits until the socket can be read (or written), failed, or the deadline passed.
  bool ready(bool toWrite);

  WSADATA winsock_;
  bool started_ = false, addressed_ = false;
  SOCKET socket_ = INVALID_SOCKET;
  ULONGLONG deadline_;
};
