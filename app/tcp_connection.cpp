#include <winsock2.h>
#include <ws2tcpip.h>

#include "app/tcp_connection.h"

#include <algorithm>

TcpConnection::TcpConnection(const std::string& host, unsigned short port, HWND window, UINT message) {
  started_ = WSAStartup(MAKEWORD(2, 2), &winsock_) == 0;
  if (!started_) return;
  addrinfo hints{}, *found = nullptr;
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
  hints.ai_socktype = SOCK_STREAM;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return;
  addressed_ = true;
  socket_ = socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
  // Makes the socket non-blocking too.
  if (socket_ != INVALID_SOCKET &&
      (WSAAsyncSelect(socket_, window, message, FD_CONNECT | FD_READ | FD_CLOSE) != 0 ||
       (connect(socket_, found->ai_addr, static_cast<int>(found->ai_addrlen)) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK))) {
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }
  freeaddrinfo(found);
}

TcpConnection::~TcpConnection() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  if (started_) WSACleanup();
}

TcpConnection::State TcpConnection::state() const {
  if (socket_ == INVALID_SOCKET) return State::Failed;
  sockaddr_storage peer;
  int size = sizeof peer;
  if (getpeername(socket_, reinterpret_cast<sockaddr*>(&peer), &size) == 0) return State::Connected;
  int error = 0, length = sizeof error;
  getsockopt(socket_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
  return error ? State::Failed : State::Connecting;
}

bool TcpConnection::send(std::string_view request) {
  return ::send(socket_, request.data(), static_cast<int>(request.size()), 0) == static_cast<int>(request.size());
}

bool TcpConnection::receive(std::string& answer, size_t limit) {
  char chunk[16384];
  while (answer.size() < limit) {
    const int got = recv(socket_, chunk, static_cast<int>(std::min(sizeof chunk, limit - answer.size())), 0);
    if (got <= 0) return got == 0 || WSAGetLastError() != WSAEWOULDBLOCK;
    answer.append(chunk, got);
  }
  return true;
}
