// The text of Privoxy's configuration file as Veilmark sees it: lines between
// CR LF pairs, the forward directive, and the six-line block that the switch
// keeps at the end of the file. Pure text logic: no file, no Win32.
#pragma once

#include <string>
#include <string_view>

#include "support/textcodec.h"

namespace privoxy_config {

inline constexpr std::u16string_view ForwardKeyword = u"forward-socks4a";
inline constexpr std::u16string_view BlockRule =
    u"# ===================================================================";
inline constexpr std::u16string_view BlockComment =
    u"# Подключение к TOR. Внимание! Добавляйте свои данные до этого блока!";
inline constexpr std::u16string_view BlockedPrefix = u"# [BLOCKED BY VEILMARK] ";
inline constexpr std::u16string_view OffPrefix = u"# [OFF] # ";
inline constexpr std::u16string_view ForwardLine = u"forward-socks4a   /               127.0.0.1:9050 .";
inline constexpr std::u16string_view LineBreak = u"\r\n";

// The keyword at the very start of the line, in any ASCII case.
bool isForwardLine(std::u16string_view line);
// Exactly the block's rule, nothing after it.
bool isRuleLine(std::u16string_view line);

// True when any line of the text is a forward line.
bool isForwardingOn(std::u16string_view text);

// The block's comment line as a file of this text can hold it when written
// with `ansi`: a legacy (byte-wise) file whose code page lacks Cyrillic gets
// the comment's UTF-8 bytes, which Privoxy skips like any comment, while its
// other lines keep their bytes.
std::u16string blockCommentFor(std::u16string_view text, const textcodec::AnsiEncoder& ansi);

// The text after a switch to the wanted state: forward lines before the first
// rule line gain BlockedPrefix, everything from that rule line on is dropped,
// and a fresh block with `comment` as its second line ends the text.
std::u16string rewriteForwarding(std::u16string_view text, bool enable, std::u16string_view comment = BlockComment);

}  // namespace privoxy_config
