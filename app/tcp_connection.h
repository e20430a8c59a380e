// A TCP connection that tells a window of its progress instead of blocking:
// the program's look at the Privoxy and the Tor that really run, made on the
// window's own thread.
#pragma once

#include <winsock2.h>

#include <string>
#include <string_view>

class TcpConnection {
 public:
  // Starts connecting to a numeric host (never a name: no lookup) and port;
  // the window gets `message`, wParam the socket, whenever it moves on.
  TcpConnection(const std::string& host, unsigned short port, HWND window, UINT message);
  ~TcpConnection();
  TcpConnection(const TcpConnection&) = delete;
  TcpConnection& operator=(const TcpConnection&) = delete;

  // False when the host is no numeric address: nothing was tried.
  bool addressed() const { return addressed_; }
  // Whether a message of the window's, by its wParam, is this connection's.
  bool owns(WPARAM socket) const { return socket_ != INVALID_SOCKET && socket == socket_; }

  enum class State { Connecting, Connected, Failed };
  // Asked of the socket itself, not taken from a message: a message of a
  // socket closed before may come to a new one that got the same handle.
  State state() const;
  // Sends a short request whole; false when it could not.
  bool send(std::string_view request);
  // Adds to `answer` what has come; true once no more will: the other end
  // closed, `limit` bytes came, or the connection failed.
  bool receive(std::string& answer, size_t limit);

 private:
  WSADATA winsock_;
  bool started_ = false, addressed_ = false;
  SOCKET socket_ = INVALID_SOCKET;
};
