#include <winsock2.h>

#include "app/chain_check.h"

#include "app/tcp_connection.h"
#include "runtime/background.h"

namespace {

constexpr ULONGLONG kGiveUpMs = 2000;
// Privoxy's status page is some 20 kB; anything much larger is no such page.
constexpr size_t kPageLimit = 1 << 20;

bool TorAnswersOn(unsigned short port) {
  return TcpConnection("127.0.0.1", port, GetTickCount64() + kGiveUpMs).connected();
}

ChainFindings Look(const std::vector<privoxy_status::ListenAddress>& addresses, bool lookForTor) {
  using Privoxy = ChainFindings::Privoxy;
  ChainFindings findings;
  const ULONGLONG deadline = GetTickCount64() + kGiveUpMs;
  for (const privoxy_status::ListenAddress& address : addresses) {
    TcpConnection privoxy(address.host, address.port, deadline);
    if (!privoxy.addressed()) continue;
    if (findings.address.empty() || privoxy.connected()) findings.address = privoxy_status::addressText(address);
    findings.privoxy = Privoxy::NotRunning;
    if (!privoxy.connected()) continue;
    const std::optional<bool> forwards =
        privoxy_status::forwardsThroughTor(privoxy.exchange(privoxy_status::kStatusRequest, kPageLimit));
    findings.privoxy = !forwards ? Privoxy::Unknown : *forwards ? Privoxy::Forwards : Privoxy::DoesNotForward;
    break;
  }
  if (lookForTor) {
    using Tor = ChainFindings::Tor;
    findings.tor = TorAnswersOn(9050) ? Tor::Answers : TorAnswersOn(9150) ? Tor::OnlyTorBrowser : Tor::Silent;
  }
  return findings;
}

}  // namespace

void CheckChain(HWND window, UINT message, WPARAM serial, std::vector<privoxy_status::ListenAddress> addresses,
                bool lookForTor) {
  // No thread to be had: no warning, as when all is well.
  runtime::runInBackground([=] {
    auto findings = std::make_unique<ChainFindings>(Look(addresses, lookForTor));
    if (PostMessageW(window, message, serial, reinterpret_cast<LPARAM>(findings.get()))) findings.release();
  });
}

std::unique_ptr<ChainFindings> TakeChainFindings(LPARAM lParam) {
  return std::unique_ptr<ChainFindings>(reinterpret_cast<ChainFindings*>(lParam));
}
