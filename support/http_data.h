// The library's own side of HttpData: how a request fills in its answer.
#pragma once

#include "oxlensupport.h"

#include <string>

struct IOxHttpDataFill : IOxHttpData {
  virtual void fill(LONG statusCode, std::wstring headers, std::wstring body) = 0;
};
__CRT_UUID_DECL(IOxHttpDataFill, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x87)
