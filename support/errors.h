// How a failure inside the library reaches its caller: the code that fails
// throws an ox::Error; ox::comMethod around every exported call turns it into
// a negative status plus a COM error object.
#pragma once

#include "oxerror.hpp"

namespace oxs {

using ox::checkWin32;
using ox::fail;
using ox::failWin32;

void requirePointer(const void* pointer);

}  // namespace oxs
