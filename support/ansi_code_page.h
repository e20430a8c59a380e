// The system's ANSI code page as the codec writes to it.
#pragma once

#include <string>
#include <string_view>

namespace textcodec {

// An AnsiEncoder: exact conversion to the ANSI code page, appended to
// `bytes`; a character it lacks is refused, never replaced by a look-alike or
// a question mark.
bool toAnsiCodePage(std::u16string_view text, std::string& bytes);

}  // namespace textcodec
