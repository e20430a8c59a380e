// The rules of the configuration file, written once for any character type:
// the program applies them to the file's own bytes, its tests to the decoded
// text as well. Pure text logic: no file, no Win32.
#pragma once

#include <string_view>
#include <vector>

#include "app/privoxy_config.h"

namespace privoxy_config::rules {

template <class Char>
using View = std::basic_string_view<Char>;

template <class Char>
Char asciiLower(Char c) {
  return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - 'A' + 'a') : c;
}

// Calls visit(start, line) for every line and the offset where it starts: the
// pieces between CR LF pairs, the last one after the final CR LF (empty when
// the text ends with one). Empty text has no lines. visit returns false to stop.
template <class Char, class Visit>
void forEachLine(View<Char> text, Visit visit) {
  if (text.empty()) return;
  const View<Char> lineBreak = Markers<Char>::LineBreak;
  for (size_t start = 0;;) {
    const size_t end = text.find(lineBreak, start);
    if (!visit(start, text.substr(start, end == View<Char>::npos ? View<Char>::npos : end - start))) return;
    if (end == View<Char>::npos) return;
    start = end + lineBreak.size();
  }
}

template <class Char>
bool isForwardLineIn(View<Char> line) {
  const View<Char> keyword = Markers<Char>::ForwardKeyword;
  if (line.size() < keyword.size()) return false;
  for (size_t i = 0; i < keyword.size(); ++i)
    if (asciiLower(line[i]) != keyword[i]) return false;
  return true;
}

template <class Char>
bool isRuleLineIn(View<Char> line) {
  return line == View<Char>(Markers<Char>::BlockRule);
}

template <class Char>
bool isForwardingOnIn(View<Char> text) {
  bool on = false;
  forEachLine(text, [&](size_t, View<Char> line) { return !(on = isForwardLineIn(line)); });
  return on;
}

// The user's lines go out as runs of the text itself, broken only where a
// forward line gains its prefix; the six block lines, joined by CR LF and the
// sixth empty, follow.
template <class Char>
std::vector<View<Char>> switchedPieces(View<Char> text, bool enable, View<Char> comment) {
  using M = Markers<Char>;
  std::vector<View<Char>> pieces;
  const auto put = [&](View<Char> piece) {
    if (!piece.empty()) pieces.push_back(piece);
  };
  size_t run = 0, userEnd = text.size();
  bool ruleFound = false;
  forEachLine(text, [&](size_t start, View<Char> line) {
    if ((ruleFound = isRuleLineIn(line))) {
      userEnd = start;
      return false;
    }
    if (isForwardLineIn(line)) {
      put(text.substr(run, start - run));
      put(M::BlockedPrefix);
      run = start;
    }
    return true;
  });
  put(text.substr(run, userEnd - run));
  // Each user line ends with CR LF; in the text, only the last line of a file
  // without a rule line has none.
  if (!ruleFound && !text.empty()) put(M::LineBreak);
  const View<Char> block[] = {M::BlockRule, M::LineBreak, comment, M::LineBreak, M::BlockRule, M::LineBreak,
                              M::LineBreak, enable ? View<Char>() : M::OffPrefix, M::ForwardLine, M::LineBreak};
  for (View<Char> part : block) put(part);
  return pieces;
}

}  // namespace privoxy_config::rules
