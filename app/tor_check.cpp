#include <winsock2.h>

#include "app/tor_check.h"

#include "runtime/background.h"

namespace {

constexpr u_short kTorPort = 9050;
constexpr long kGiveUpSeconds = 2;

bool TorAnswers() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  bool answered = false;
  const SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (probe != INVALID_SOCKET) {
    u_long nonBlocking = 1;
    ioctlsocket(probe, FIONBIO, &nonBlocking);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(kTorPort);
    connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    // A refused connection shows as an error, an accepted one as writable.
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(probe, &writable);
    FD_SET(probe, &failed);
    timeval giveUp = {kGiveUpSeconds, 0};
    answered = select(0, nullptr, &writable, &failed, &giveUp) > 0 && FD_ISSET(probe, &writable);
    closesocket(probe);
  }
  WSACleanup();
  return answered;
}

}  // namespace

void CheckTorAnswers(HWND window, UINT message) {
  // No thread to be had: no warning, as when Tor answers.
  runtime::runInBackground([window, message] { PostMessageW(window, message, TorAnswers(), 0); });
}
