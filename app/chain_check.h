// A look at the chain a page takes as it really runs: the Privoxy that the
// configuration file names, asked what it loaded, and Tor. It is made from
// the window's own messages, never waiting in them: under Wine a thread of
// its own would keep a megabyte after it ended, for as long as the program runs.
#pragma once

#include "app/chain_warning.h"
#include "app/privoxy_status.h"
#include "app/tcp_connection.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class ChainCheck {
 public:
  // Asks the Privoxy at the first of `addresses` that takes a connection for
  // its status page, straight, never through the system proxy, giving up
  // after 2 s; then, when `lookForTor`, whether something takes connections
  // on 127.0.0.1:9050, else on Tor Browser's 127.0.0.1:9150, 2 s each. The
  // window gets `message` and WM_TIMER `timer` for it, even with nothing to ask.
  ChainCheck(HWND window, UINT message, UINT_PTR timer, std::vector<privoxy_status::ListenAddress> addresses,
             bool lookForTor);
  ~ChainCheck();
  ChainCheck(const ChainCheck&) = delete;
  ChainCheck& operator=(const ChainCheck&) = delete;

  // Goes on with a message of the window's, passing over those not its own;
  // the findings when the look is over, and the check is done with.
  std::optional<ChainFindings> Continue(UINT message, WPARAM wParam);

 private:
  enum class Step { Privoxy, Answer, Tor, Over };
  void AskNextPrivoxy();
  void TakeAnswer();
  void LookForTor(unsigned short port);
  void End();
  // Until when the step may take: WM_TIMER then ends it.
  void WaitUntil(ULONGLONG end);

  const HWND window_;
  const UINT message_;
  const UINT_PTR timer_;
  const std::vector<privoxy_status::ListenAddress> addresses_;
  const bool lookForTor_;
  Step step_ = Step::Privoxy;
  size_t nextAddress_ = 0;
  ULONGLONG privoxyEnds_, stepEnds_ = 0;
  std::unique_ptr<TcpConnection> connection_;
  std::wstring asked_;
  std::string answer_;
  unsigned short torPort_ = 0;
  ChainFindings findings_;
};
