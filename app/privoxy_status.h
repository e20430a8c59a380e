// The Privoxy that really runs, as text: where the configuration file says it
// listens, and what its status page says it loaded. Pure text logic: no
// sockets, no Win32.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace privoxy_status {

// An address Privoxy listens on: a numeric host (IPv4, or IPv6 without its
// brackets) and a port.
struct ListenAddress {
  std::string host;
  unsigned short port;
  bool operator==(const ListenAddress& other) const { return host == other.host && port == other.port; }
};

// The address as the user reads it: "127.0.0.1:8118", "[::1]:8118".
std::wstring addressText(const ListenAddress& address);

// The addresses of the file's listen-address lines, in order; Privoxy's own
// 127.0.0.1:8118 when there is none. An unspecified host (":8118", 0.0.0.0,
// [::]) listens on loopback too, and is asked there; "localhost" is asked on
// 127.0.0.1, then on ::1.
// A line that does not parse, or names a host by a name that would need a
// lookup, is left out: no address at all means there is nothing to ask.
std::vector<ListenAddress> listenAddresses(std::string_view configBytes);

// The request for the status page, sent to Privoxy as to a proxy.
inline constexpr std::string_view kStatusRequest =
    "GET http://p.p/show-status HTTP/1.0\r\nHost: p.p\r\nConnection: close\r\n\r\n";

// Whether the options Privoxy reports loaded forward through Tor: a
// forward-socks4a option, the file's own rule for "on". Nothing when the
// answer is no whole status page of Privoxy's (cut off, an error, another
// language, not HTML): what was not seen is not claimed.
std::optional<bool> forwardsThroughTor(std::string_view answer);

}  // namespace privoxy_status
