// The SysTray control's dispatch identifiers, as its type library numbers
// them: hosts set its properties and hear its events by these numbers.
#pragma once

#include <oaidl.h>
#include <olectl.h>

namespace lumicon {

constexpr DISPID kDispidVisible = 0x68030000;
constexpr DISPID kDispidIcon = 0x68030001;
constexpr DISPID kDispidCaption = DISPID_TEXT;
constexpr DISPID kDispidShowBaloon = 0x6003000B;
constexpr DISPID kDispidMouseUp = 3;

}  // namespace lumicon
