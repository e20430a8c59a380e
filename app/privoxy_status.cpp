#include "app/privoxy_status.h"

#include <algorithm>
#include <cctype>

namespace privoxy_status {
namespace {

const ListenAddress kDefault = {"127.0.0.1", 8118};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string lowered(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower;
}

// The first word of a line and what follows it.
std::pair<std::string_view, std::string_view> splitWord(std::string_view line) {
  line = trimmed(line);
  const size_t end = std::min(line.size(), static_cast<size_t>(std::find_if(line.begin(), line.end(), isBlank) - line.begin()));
  return {line.substr(0, end), trimmed(line.substr(end))};
}

std::optional<unsigned short> portOf(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<unsigned short>(value);
}

// Every address, however written (0.0.0.0, 0, ::, 0::0): loopback among them.
bool isAnyAddress(std::string_view host, bool v6) {
  return host.find_first_not_of(v6 ? "0:" : "0.") == std::string_view::npos;
}

// A numeric host as written, or nothing for a name: only what needs no lookup.
bool isNumericHost(std::string_view host, bool v6) {
  const std::string_view allowed = v6 ? "0123456789abcdefABCDEF:." : "0123456789.";
  return !host.empty() && host.find_first_not_of(allowed) == std::string_view::npos;
}

// "[host]:port", "host:port", ":port", "host" (Privoxy's own port).
std::optional<ListenAddress> parseAddress(std::string_view text) {
  std::string_view host, port;
  bool v6 = false;
  if (!text.empty() && text.front() == '[') {
    const size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = text.substr(1, close - 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') return std::nullopt;
    port = rest.empty() ? rest : rest.substr(1);
    v6 = true;
  } else {
    const size_t colon = text.find(':');
    if (colon != text.rfind(':')) return std::nullopt;
    host = text.substr(0, colon);
    port = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
  }
  ListenAddress address = kDefault;
  if (!port.empty() || (!text.empty() && text.back() == ':')) {
    const std::optional<unsigned short> number = portOf(port);
    if (!number) return std::nullopt;
    address.port = *number;
  }
  if (v6) {
    if (host.empty()) return std::nullopt;
    address.host = isAnyAddress(host, true) ? "::1" : std::string(host);
    if (!isNumericHost(address.host, true)) return std::nullopt;
  } else if (isAnyAddress(host, false) || lowered(host) == "localhost") {
    address.host = kDefault.host;
  } else if (isNumericHost(host, false)) {
    address.host = std::string(host);
  } else {
    return std::nullopt;
  }
  return address;
}

std::string_view strippedComment(std::string_view line) {
  const size_t hash = line.find('#');
  return hash == std::string_view::npos ? line : line.substr(0, hash);
}

// The text of an HTML piece: its tags left out.
std::string withoutTags(std::string_view html) {
  std::string text;
  bool inTag = false;
  for (char c : html) {
    if (c == '<') inTag = true;
    if (!inTag) text += c;
    if (c == '>') inTag = false;
  }
  return text;
}

}  // namespace

std::wstring addressText(const ListenAddress& address) {
  const bool v6 = address.host.find(':') != std::string::npos;
  const std::string text = (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
  return std::wstring(text.begin(), text.end());
}

std::vector<ListenAddress> listenAddresses(std::string_view configBytes) {
  std::vector<ListenAddress> addresses;
  const auto add = [&](const ListenAddress& address) {
    if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) addresses.push_back(address);
  };
  bool named = false;
  while (!configBytes.empty()) {
    const size_t end = configBytes.find('\n');
    const auto [word, value] = splitWord(strippedComment(configBytes.substr(0, end)));
    configBytes.remove_prefix(end == std::string_view::npos ? configBytes.size() : end + 1);
    if (lowered(word) != "listen-address") continue;
    named = true;
    const std::string_view written = splitWord(value).first;
    const std::optional<ListenAddress> address = parseAddress(written);
    if (!address) continue;
    add(*address);
    // Privoxy binds the first address its lookup of "localhost" gives, which
    // on Windows may be ::1 as well as 127.0.0.1.
    if (lowered(written).rfind("localhost", 0) == 0) add({"::1", address->port});
  }
  if (!named) add(kDefault);
  return addresses;
}

std::optional<bool> forwardsThroughTor(std::string_view answer) {
  constexpr std::string_view heading = "The following options were given in the ";
  if (answer.size() < 13 || answer.substr(0, 7) != "HTTP/1." || answer.substr(8, 5) != " 200 ") return std::nullopt;
  const size_t at = answer.find(heading);
  const size_t start = answer.find("</h2>", at);
  const size_t end = answer.find("</p>", start);
  if (at == std::string_view::npos || start == std::string_view::npos || end == std::string_view::npos)
    return std::nullopt;
  std::string_view options = answer.substr(start, end - start);
  // One option a line, each ended by <br>.
  for (size_t line = 0; line < options.size();) {
    const size_t next = std::min(options.find("<br>", line), options.size());
    if (lowered(splitWord(withoutTags(options.substr(line, next - line))).first) == "forward-socks4a") return true;
    line = next + 4;
  }
  return false;
}

}  // namespace privoxy_status
