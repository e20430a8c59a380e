// The text of Privoxy's configuration file as Veilmark sees it: lines between
// CR LF pairs, the forward directive, and the six-line block that the switch
// keeps at the end of the file. Pure text logic: no file, no Win32.
//
// The rules work on the file's own bytes, so that a large file is never held
// as UTF-16 beside them: the markers are ASCII, and CR LF and ASCII are the
// same bytes in UTF-8 and in every ANSI code page.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/textcodec.h"

namespace privoxy_config {

// The block's lines and markers. All but the comment are ASCII, and so the
// same bytes in every file.
inline constexpr std::string_view ForwardKeyword = "forward-socks4a";
inline constexpr std::string_view BlockRule = "# ===================================================================";
inline constexpr std::u16string_view BlockComment =
    u"# Подключение к TOR. Внимание! Добавляйте свои данные до этого блока!";
inline constexpr std::string_view BlockedPrefix = "# [BLOCKED BY VEILMARK] ";
inline constexpr std::string_view OffPrefix = "# [OFF] # ";
inline constexpr std::string_view ForwardLine = "forward-socks4a   /               127.0.0.1:9050 .";
inline constexpr std::string_view LineBreak = "\r\n";

// True when any line of the file is a forward line.
bool isForwardingOn(std::string_view bytes);

// The block's comment line in the bytes that a file of these bytes can hold:
// UTF-8, or the ANSI code page `ansi` in a legacy file whose kept lines have
// 8-bit bytes, where the code page has Cyrillic; UTF-8 again where it has
// not, which Privoxy skips like any comment while the other lines keep their
// bytes.
std::string blockCommentFor(std::string_view bytes, const textcodec::AnsiEncoder& ansi);

// The file after a switch to the wanted state, as pieces to be written one
// after another: forward lines before the first rule line gain
// BlockedPrefix, everything from that rule line on is dropped, and a fresh
// block with `comment` as its second line ends the file. The pieces are runs
// of `bytes` itself, the prefixes and the block's lines: nothing is copied, so
// they are valid as long as `bytes` and `comment` are.
std::vector<std::string_view> rewriteForwarding(std::string_view bytes, bool enable, std::string_view comment);

}  // namespace privoxy_config
