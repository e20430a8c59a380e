#include "app/chain_check.h"

namespace {

constexpr ULONGLONG kGiveUpMs = 2000;
// Privoxy's status page is some 20 kB; anything much larger is no such page.
constexpr size_t kPageLimit = 1 << 20;
constexpr unsigned short kTorPort = 9050, kTorBrowserPort = 9150;

}  // namespace

ChainCheck::ChainCheck(HWND window, UINT message, UINT_PTR timer,
                       std::vector<privoxy_status::ListenAddress> addresses, bool lookForTor)
    : window_(window),
      message_(message),
      timer_(timer),
      addresses_(std::move(addresses)),
      lookForTor_(lookForTor),
      privoxyEnds_(GetTickCount64() + kGiveUpMs) {
  AskNextPrivoxy();
  // Over at once: the findings come with a message all the same.
  if (step_ == Step::Over) PostMessageW(window_, message_, 0, 0);
}

ChainCheck::~ChainCheck() { KillTimer(window_, timer_); }

std::optional<ChainFindings> ChainCheck::Continue(UINT message, WPARAM wParam) {
  using State = TcpConnection::State;
  const bool ticked = message == WM_TIMER && wParam == timer_;
  if (!ticked && message != message_) return std::nullopt;
  // A tick before its time (the clocks differ) or of a check before this one.
  if (ticked && GetTickCount64() < stepEnds_ && step_ != Step::Over) {
    WaitUntil(stepEnds_);
    return std::nullopt;
  }
  if (ticked || (connection_ && connection_->owns(wParam))) {
    const State state = ticked ? State::Failed : connection_->state();
    switch (step_) {
      case Step::Privoxy:
        if (state == State::Failed) {
          // Out of time, the addresses left get none.
          if (ticked) nextAddress_ = addresses_.size();
          AskNextPrivoxy();
        } else if (state == State::Connected) {
          findings_.address = asked_;
          step_ = Step::Answer;
          if (!connection_->send(privoxy_status::kStatusRequest)) TakeAnswer();
        }
        break;
      case Step::Answer:
        if (ticked || connection_->receive(answer_, kPageLimit)) TakeAnswer();
        break;
      case Step::Tor:
        if (state == State::Connected) {
          findings_.tor = torPort_ == kTorPort ? ChainFindings::Tor::Answers : ChainFindings::Tor::OnlyTorBrowser;
          End();
        } else if (state == State::Failed && torPort_ == kTorPort) {
          LookForTor(kTorBrowserPort);
        } else if (state == State::Failed) {
          findings_.tor = ChainFindings::Tor::Silent;
          End();
        }
        break;
      case Step::Over:
        break;
    }
  }
  if (step_ != Step::Over) return std::nullopt;
  return findings_;
}

void ChainCheck::AskNextPrivoxy() {
  connection_.reset();
  while (nextAddress_ < addresses_.size()) {
    const privoxy_status::ListenAddress& address = addresses_[nextAddress_++];
    auto connection = std::make_unique<TcpConnection>(address.host, address.port, window_, message_);
    if (!connection->addressed()) continue;
    asked_ = privoxy_status::addressText(address);
    if (findings_.address.empty()) findings_.address = asked_;
    findings_.privoxy = ChainFindings::Privoxy::NotRunning;
    // Refused at once (no such address family, no route): no message will come.
    if (connection->state() == TcpConnection::State::Failed) continue;
    connection_ = std::move(connection);
    return WaitUntil(privoxyEnds_);
  }
  if (lookForTor_) return LookForTor(kTorPort);
  End();
}

void ChainCheck::TakeAnswer() {
  using Privoxy = ChainFindings::Privoxy;
  const std::optional<bool> forwards = privoxy_status::forwardsThroughTor(answer_);
  findings_.privoxy = !forwards ? Privoxy::Unknown : *forwards ? Privoxy::Forwards : Privoxy::DoesNotForward;
  connection_.reset();
  if (lookForTor_) return LookForTor(kTorPort);
  End();
}

void ChainCheck::LookForTor(unsigned short port) {
  step_ = Step::Tor;
  torPort_ = port;
  connection_.reset();
  connection_ = std::make_unique<TcpConnection>("127.0.0.1", port, window_, message_);
  WaitUntil(GetTickCount64() + kGiveUpMs);
}

void ChainCheck::End() {
  step_ = Step::Over;
  connection_.reset();
  KillTimer(window_, timer_);
}

void ChainCheck::WaitUntil(ULONGLONG end) {
  stepEnds_ = end;
  const ULONGLONG now = GetTickCount64();
  SetTimer(window_, timer_, end > now ? static_cast<UINT>(end - now) : 0, nullptr);
}
