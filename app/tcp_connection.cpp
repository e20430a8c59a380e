#include <winsock2.h>
#include <ws2tcpip.h>

#include "app/tcp_connection.h"

#include <algorithm>

TcpConnection::TcpConnection(const std::string& host, unsigned short port, ULONGLONG deadline) : deadline_(deadline) {
  started_ = WSAStartup(MAKEWORD(2, 2), &winsock_) == 0;
  if (!started_) return;
  addrinfo hints{}, *found = nullptr;
  hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
  hints.ai_socktype = SOCK_STREAM;
  if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return;
  addressed_ = true;
  SOCKET attempt = socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
  if (attempt != INVALID_SOCKET) {
    u_long nonBlocking = 1;
    ioctlsocket(attempt, FIONBIO, &nonBlocking);
    connect(attempt, found->ai_addr, static_cast<int>(found->ai_addrlen));
    socket_ = attempt;
    // A refused connection shows as a failure, an accepted one as writable.
    if (!ready(true)) socket_ = INVALID_SOCKET;
    if (socket_ == INVALID_SOCKET) closesocket(attempt);
  }
  freeaddrinfo(found);
}

TcpConnection::~TcpConnection() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
  if (started_) WSACleanup();
}

bool TcpConnection::ready(bool toWrite) {
  const ULONGLONG now = GetTickCount64();
  const ULONGLONG left = deadline_ > now ? deadline_ - now : 0;
  fd_set wanted, failed;
  FD_ZERO(&wanted);
  FD_ZERO(&failed);
  FD_SET(socket_, &wanted);
  FD_SET(socket_, &failed);
  timeval wait = {static_cast<long>(left / 1000), static_cast<long>(left % 1000 * 1000)};
  return select(0, toWrite ? nullptr : &wanted, toWrite ? &wanted : nullptr, &failed, &wait) > 0 &&
         FD_ISSET(socket_, &wanted);
}

std::string TcpConnection::exchange(std::string_view request, size_t limit) {
  std::string answer;
  if (!connected()) return answer;
  while (!request.empty()) {
    const int sent = send(socket_, request.data(), static_cast<int>(request.size()), 0);
    if (sent > 0) {
      request.remove_prefix(sent);
    } else if (WSAGetLastError() != WSAEWOULDBLOCK || !ready(true)) {
      return answer;
    }
  }
  char chunk[16384];
  while (answer.size() < limit && ready(false)) {
    const int got = recv(socket_, chunk, static_cast<int>(std::min(sizeof chunk, limit - answer.size())), 0);
    if (got <= 0) break;
    answer.append(chunk, got);
  }
  return answer;
}
