#include "app/chain_warning.h"
#include "app/privoxy_status.h"

#include <gtest/gtest.h>

namespace {

using privoxy_status::ListenAddress;

TEST(ListenAddresses, AreAskedOnLoopbackWhenUnspecifiedAndNeverLookedUp) {
  const ListenAddress kDefault = {"127.0.0.1", 8118};
  const struct {
    const char* config;
    std::vector<ListenAddress> asked;
  } cases[] = {
      {"", {kDefault}},
      {"#listen-address 127.0.0.1:9999\r\n", {kDefault}},
      {"listen-address  127.0.0.1:8119\r\n", {{"127.0.0.1", 8119}}},
      {"  LISTEN-ADDRESS\t:8120 # comment\r\n", {{"127.0.0.1", 8120}}},
      {"listen-address 0.0.0.0:8121\nlisten-address [::]:8122\n", {{"127.0.0.1", 8121}, {"::1", 8122}}},
      {"listen-address [::1]:8123\r\nlisten-address localhost:8124\r\n", {{"::1", 8123}, {"127.0.0.1", 8124}}},
      {"listen-address 192.168.1.5\r\n", {{"192.168.1.5", 8118}}},
      {"listen-address proxy.example:8118\r\n", {}},
      {"listen-address 127.0.0.1:99999\r\nlisten-address 127.0.0.1:\r\nlisten-address [::1\r\n", {}},
      {"listen-address 1:2:3\r\nlisten-address 127.0.0.1:8125\r\n", {{"127.0.0.1", 8125}}},
      {"listen-addressx 127.0.0.1:1\r\n", {kDefault}},
  };
  for (const auto& row : cases) EXPECT_EQ(privoxy_status::listenAddresses(row.config), row.asked) << row.config;
  EXPECT_EQ(privoxy_status::addressText({"::1", 8118}), L"[::1]:8118");
}

// The status page as Debian's Privoxy 3.0.34 writes it, around its options.
std::string page(const std::string& options, const std::string& end = "</p>\n</td>") {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<html><h2>The following options were given in the "
         "<a href=\"//config.privoxy.org/user-manual/config.html\">config file</a>:</h2>\n<p>\n"
         "<a href=\"x#CONFDIR\">confdir</a> /etc/privoxy<br>\n" + options + end;
}

TEST(StatusPage, TellsForwardingOnlyFromAWholePageOfPrivoxy) {
  const std::string forward = "<a href=\"x#FORWARD-SOCKS4A\">forward-socks4a</a> /               127.0.0.1:9050 .<br>";
  const struct {
    std::string answer;
    std::optional<bool> forwards;
  } cases[] = {
      {page(forward), true},
      {page("<a href=\"x\">listen-address</a> 127.0.0.1:8118<br>\n" + forward + "\n"), true},
      {page("<a href=\"x\">forward-socks5</a> / 127.0.0.1:9050 .<br>"), false},
      {page("<a href=\"x\">forwarded-connect-retries</a> 0<br>"), false},
      {page(""), false},
      {page(forward, ""), std::nullopt},
      {page(forward).substr(0, 120), std::nullopt},
      {"HTTP/1.1 503 Connect failed\r\n\r\n" + page(forward).substr(17), std::nullopt},
      {"SSH-2.0-OpenSSH_9.2\r\n", std::nullopt},
      {"", std::nullopt},
      {"HTTP/1.1 200 OK\r\n\r\n<h2>Die folgenden Optionen:</h2><p>forward-socks4a / 127.0.0.1:9050 .<br></p>",
       std::nullopt},
      {page(std::string(1 << 16, 'x') + "<br>" + forward), true},
  };
  for (const auto& row : cases)
    EXPECT_EQ(privoxy_status::forwardsThroughTor(row.answer), row.forwards) << row.answer.substr(0, 300);
}

TEST(ChainWarnings, TheMostSeriousIsTold) {
  using P = ChainFindings::Privoxy;
  using T = ChainFindings::Tor;
  using W = ChainWarning;
  const struct {
    bool fileForwards;
    P privoxy;
    T tor;
    W told;
  } cases[] = {
      {true, P::Forwards, T::Answers, W::None},
      {true, P::DoesNotForward, T::Silent, W::NotThroughTor},
      {true, P::NotRunning, T::Silent, W::PrivoxyNotRunning},
      {false, P::NotRunning, T::NotLookedFor, W::PrivoxyNotRunning},
      {false, P::Forwards, T::NotLookedFor, W::ThroughTorAgainstFile},
      {false, P::DoesNotForward, T::NotLookedFor, W::None},
      {true, P::Forwards, T::Silent, W::TorNotAnswering},
      {true, P::Unknown, T::OnlyTorBrowser, W::TorBrowserOnly},
      {true, P::Unknown, T::Answers, W::None},
      {false, P::Unknown, T::NotLookedFor, W::None},
  };
  for (const auto& row : cases) {
    const W told = MostSerious(row.fileForwards, {row.privoxy, L"127.0.0.1:8118", row.tor});
    EXPECT_EQ(told, row.told) << &row - cases;
    const std::optional<BalloonText> balloon = BalloonFor(told, L"127.0.0.1:8118");
    ASSERT_EQ(balloon.has_value(), told != W::None);
    if (balloon) EXPECT_LE(balloon->text.size(), 255u);
  }
  EXPECT_NE(BalloonFor(W::PrivoxyNotRunning, L"[::1]:8118")->text.find(L"[::1]:8118"), std::wstring::npos);
  EXPECT_NE(BalloonFor(W::TorBrowserOnly, L"")->text.find(L"127.0.0.1:9150"), std::wstring::npos);
}

}  // namespace
