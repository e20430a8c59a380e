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
      {"#listen-address 127.0.0.1:9999\r\nlisten-addressx 127.0.0.1:1\r\n", {kDefault}},
      {"  LISTEN-ADDRESS\t:8120 # comment\r\n", {{"127.0.0.1", 8120}}},
      {"listen-address 0.0.0.0:8121\nlisten-address [::]:8122\nlisten-address [0::0]:8125\nlisten-address 0:8126\n",
       {{"127.0.0.1", 8121}, {"::1", 8122}, {"::1", 8125}, {"127.0.0.1", 8126}}},
      {"listen-address [::1]:8123\r\nlisten-address localhost:8124\r\n",
       {{"::1", 8123}, {"127.0.0.1", 8124}, {"::1", 8124}}},
      {"listen-address proxy.example:8118\r\nlisten-address 127.0.0.1:99999\r\nlisten-address [::1\r\n", {}},
      {"listen-address 1:2:3\r\nlisten-address 127.0.0.1:\r\nlisten-address 192.168.1.5\r\n", {{"192.168.1.5", 8118}}},
  };
  for (const auto& row : cases) EXPECT_EQ(privoxy_status::listenAddresses(row.config), row.asked) << row.config;
  EXPECT_EQ(privoxy_status::addressText({"::1", 8118}), L"[::1]:8118");
}

// The status page as Debian's Privoxy 3.0.34 writes it, around its options.
std::string page(const std::string& options, const std::string& end = "</p>\n</td>") {
  return "HTTP/1.1 200 OK\r\n\r\n<h2>The following options were given in the <a href=\"c\">config file</a>:</h2>\n"
         "<p>\n<a href=\"x#CONFDIR\">confdir</a> /etc/privoxy<br>\n" + options + end;
}

TEST(StatusPage, TellsForwardingOnlyFromAWholePageOfPrivoxy) {
  const std::string forward = "<a href=\"x#FORWARD-SOCKS4A\">forward-socks4a</a> /               127.0.0.1:9050 .<br>";
  const struct {
    std::string answer;
    std::optional<bool> forwards;
  } cases[] = {
      {page(forward), true},
      {page(std::string(1 << 16, 'x') + "<br>\n" + forward + "\n"), true},
      {page("<a href=\"x\">forward-socks5</a> / 127.0.0.1:9050 .<br><a>forwarded-connect-retries</a> 0<br>"), false},
      {page(forward, ""), std::nullopt},
      {page(forward).substr(0, 120), std::nullopt},
      {page(forward).substr(0, 7), std::nullopt},  // "HTTP/1." and no more
      {"HTTP/1.1 503 Connect failed\r\n\r\n" + page(forward).substr(17), std::nullopt},
      {"HTTP/1.1 200 OK\r\n\r\n<h2>Die folgenden Optionen:</h2><p>forward-socks4a / 127.0.0.1:9050 .<br></p>", std::nullopt},
  };
  for (const auto& row : cases)
    EXPECT_EQ(privoxy_status::forwardsThroughTor(row.answer), row.forwards) << row.answer.substr(0, 300);
}

}  // namespace
