// What the user is told of the chain a page takes (the file, the Privoxy that
// really runs, Tor), from what a check of it found. Pure logic: no Win32.
#pragma once

#include <optional>
#include <string>

// What a check of the running chain found.
struct ChainFindings {
  enum class Privoxy { NotRunning, Forwards, DoesNotForward, Unknown } privoxy = Privoxy::Unknown;
  std::wstring address;  // where Privoxy was asked: the one that answered, else the first
  // Tor is looked for only while the file forwards to it.
  enum class Tor { NotLookedFor, Answers, Silent, OnlyTorBrowser } tor = Tor::NotLookedFor;
};

// The most serious thing wrong, one at a time: pages that go out without Tor
// first, then a Privoxy that is not there, one that forwards against the
// file, and a Tor that is not there.
enum class ChainWarning { None, NotThroughTor, PrivoxyNotRunning, ThroughTorAgainstFile, TorNotAnswering, TorBrowserOnly };
ChainWarning MostSerious(bool fileForwards, const ChainFindings& findings);

struct BalloonText {
  std::wstring title, text;
};
// The warning balloon for it; nothing for None.
std::optional<BalloonText> BalloonFor(ChainWarning warning, const std::wstring& address);
