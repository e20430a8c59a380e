// The COM objects of the library: the shared base, and the one way they are made.
#pragma once

#include "oxcom.hpp"
#include "errors.h"

namespace oxs {

using ox::ComObject;

// Body of every factory: a new object holding one reference for the caller.
template <class Object, class Interface>
HRESULT createObject(Interface** result) {
  return ox::comMethod([&] {
    requirePointer(result);
    *result = nullptr;
    *result = new Object();
  });
}

}  // namespace oxs
